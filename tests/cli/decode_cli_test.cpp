#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/protocols/decode_support.h"
#include "core/protocols/traffic_frames.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

run_result decode_cli(const temp_dir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), "decode");
  return run_program(dir, PELORIN_CLI, args);
}

}  // namespace

TEST(CliDecode, PrintsEveryPacketOrOne) {
  temp_dir dir;
  std::vector<bytes> packets;
  std::string all;
  for (const traffic_frame& frame : traffic_frames) {
    packets.push_back(from_hex(frame.hex));
    all += std::string(frame.tree) + "\n";
  }
  packets.push_back({});
  all += "пакет\n  root\n  неизвестный протокол\n\n";
  const std::string sig = dir.write("t.sig", sig_image(packets));

  run_result r = decode_cli(dir, {sig});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, all);

  r = decode_cli(dir, {"--packet", "3", sig});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, traffic_frames[2].tree) << "packets are counted from 1";
  EXPECT_EQ(decode_cli(dir, {sig, "--packet", "9"}).out, traffic_frames[8].tree);
}

TEST(CliDecode, BadArgumentsAreUsageErrors) {
  temp_dir dir;
  const std::string sig = dir.write("t.sig", sig_image({{0x0F, 0x00}, {0x45}}));
  const std::vector<std::vector<std::string>> rows = {
      {"--packet", "0", sig},
      {"--packet", "3", sig},
      {"--packet", "-1", sig},
      {"--packet", "x", sig},
      {"--packet", "2x", sig},
      {sig, "--packet"},
      {},
      {"--hex", sig},
      {sig, sig},
      {"--packet", "1", "--packet", "2", sig},
  };
  for (const auto& args : rows) {
    const run_result r = decode_cli(dir, args);
    EXPECT_EQ(r.status, 2) << testing::PrintToString(args);
    EXPECT_EQ(r.out, "") << testing::PrintToString(args);
    EXPECT_NE(r.err.find("decode [--packet N] FILE.sig"), std::string::npos);
  }
  EXPECT_EQ(decode_cli(dir, {"--packet", "2", sig}).status, 0);
  EXPECT_EQ(decode_cli(dir, {dir.file("missing.sig")}).status, 3);
}
