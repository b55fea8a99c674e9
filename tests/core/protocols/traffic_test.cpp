#include <gtest/gtest.h>

#include "core/protocols/decode_support.h"
#include "core/protocols/traffic_frames.h"

TEST(Traffic, EveryLineOfCapturedFrames) {
  for (const traffic_frame& frame : traffic_frames) {
    const decoded d(from_hex(frame.hex));
    EXPECT_EQ(d.tree(), frame.tree) << frame.name;
  }
}

// The payload ranges of a data segment: IP from the end of the Cisco header to two bytes before the
// frame's end, TCP after the IP header, the request text after the TCP header.
TEST(Traffic, LayersPointAtTheirPayload) {
  const bytes frame = from_hex(traffic_frames[2].hex);
  const decoded d(frame);
  ASSERT_EQ(d.names(),
            (std::vector<std::string>{root_name, cisco_name, ip_name, tcp_name, unknown_name}));
  const uint8_t* b = d.begin();
  EXPECT_EQ(d.layers[0]->data_begin(), b);
  EXPECT_EQ(d.layers[0]->data_end(), d.end());
  EXPECT_EQ(d.layers[1]->data_begin(), b + 4);
  EXPECT_EQ(d.layers[1]->data_end(), d.end() - 2);
  EXPECT_EQ(d.layers[2]->data_begin(), b + 24);
  EXPECT_EQ(d.layers[3]->data_begin(), b + 44);
  EXPECT_EQ(std::string(d.layers[3]->data_begin(), d.layers[3]->data_end()),
            "GET / HTTP/1.1\r\nHost: example.com\r\n\r\n");
  EXPECT_EQ(d.layers[4]->data_begin(), nullptr);

  const std::vector<uint8_t> codes = {1, 11, 21, 31, 0};
  for (std::size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(d.layers[i]->code(), codes[i]) << i;
}
