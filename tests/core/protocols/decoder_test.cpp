#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/model/paket.h"
#include "core/protocols/decode_support.h"
#include "core/protocols/traffic_frames.h"

namespace {

using strings = std::vector<std::string>;

// Offsets in a frame whose IP header has 20 bytes.
constexpr std::size_t ip_at = 4;
constexpr std::size_t tcp_at = 24;

bytes syn_frame() {
  return from_hex(traffic_frames[0].hex);
}  // 66 bytes, TCP header 40
bytes fin_frame() {
  return from_hex(traffic_frames[3].hex);
}  // 46 bytes, TCP header 20

bytes bare_ip() {
  const bytes frame = fin_frame();
  return bytes(frame.begin() + ip_at, frame.end());
}

bytes patched(bytes frame, std::size_t at, std::initializer_list<uint8_t> values) {
  for (const uint8_t v : values) frame.at(at++) = v;
  return frame;
}

const strings cisco_ip_tcp = {root_name, cisco_name, ip_name, tcp_name, unknown_name};

}  // namespace

TEST(Decoders, OutermostLayerFromTheFirstBytes) {
  struct row {
    const char* what;
    bytes frame;
    strings names;
    strings cisco_lines;
  };
  const row rows[] = {
      {"unicast IP", fin_frame(), cisco_ip_tcp, {"адрес: Unicast", "IP - DoD Internet Protocol"}},
      {"broadcast IP",
       patched(fin_frame(), 0, {0x8F}),
       cisco_ip_tcp,
       {"адрес: Broadcast", "IP - DoD Internet Protocol"}},
      {"IPv6 type",
       patched(fin_frame(), 2, {0x86, 0xDD}),
       {root_name, cisco_name, unknown_name},
       {"адрес: Unicast"}},
      {"type 0x0008",
       patched(fin_frame(), 2, {0x00, 0x08}),
       {root_name, cisco_name, unknown_name},
       {"адрес: Unicast"}},
      {"bare IP", bare_ip(), {root_name, unknown_name}, {}},
      {"address 0x0E", patched(fin_frame(), 0, {0x0E}), {root_name, unknown_name}, {}},
      {"address 0x8E", patched(fin_frame(), 0, {0x8E}), {root_name, unknown_name}, {}},
  };
  for (const row& r : rows) {
    const decoded d(r.frame);
    EXPECT_EQ(d.names(), r.names) << r.what;
    EXPECT_TRUE(d.lines(0).empty()) << r.what;
    if (r.names.size() > 2) {
      EXPECT_EQ(d.lines(1), r.cisco_lines) << r.what;
    }
    EXPECT_TRUE(d.lines(d.layers.size() - 1).empty()) << r.what;
  }
  const decoded other(patched(fin_frame(), 0, {0x45}));
  EXPECT_EQ(other.layers[0]->data_begin(), nullptr) << "the root of an unknown packet has no range";
  EXPECT_EQ(other.layers[0]->data_end(), nullptr);
}

TEST(Decoders, IpVersionNames) {
  const std::pair<uint8_t, const char*> rows[] = {
      {0x45, "IP, internet protocol"},
      {0x55, "ST, ST datagram mode"},
      {0x65, "SIP/SIPP, simple IP"},
      {0x75, "TP/IX, the next internet"},
      {0x85, "PIP, P-protocol"},
      {0x95, "TUBA protocol"},
      {0x05, "reserved"},
      {0x35, "reserved"},
      {0xA5, "reserved"},
      {0xF5, "reserved"},
  };
  for (const auto& [byte0, name] : rows) {
    const decoded d(patched(fin_frame(), ip_at, {byte0}));
    ASSERT_EQ(d.names(), cisco_ip_tcp) << int{byte0};
    EXPECT_EQ(d.lines(2).at(0), std::string("версия: ") + name) << int{byte0};
    EXPECT_EQ(d.lines(2).at(1), "заголовок: 20 байт") << int{byte0};
  }
}

TEST(Decoders, IpFragmentFlagsAndOffset) {
  struct row {
    uint8_t b6, b7;
    strings lines;  // more fragments, don't fragment, offset
  };
  const row rows[] = {
      {0x00, 0x00, {"последний фрагмент", "фрагментация разрешена", "смещение: 0 байт"}},
      {0x40, 0x00, {"последний фрагмент", "фрагментация запрещена", "смещение: 0 байт"}},
      {0x20, 0x01, {"есть следующие фрагменты", "фрагментация разрешена", "смещение: 8 байт"}},
      {0xE0, 0x00, {"есть следующие фрагменты", "фрагментация запрещена", "смещение: 0 байт"}},
      {0x1F, 0xFF, {"последний фрагмент", "фрагментация разрешена", "смещение: 65528 байт"}},
      {0xFF, 0xFF, {"есть следующие фрагменты", "фрагментация запрещена", "смещение: 65528 байт"}},
      {0x01, 0x00, {"последний фрагмент", "фрагментация разрешена", "смещение: 2048 байт"}},
  };
  for (const row& r : rows) {
    const decoded d(patched(fin_frame(), ip_at + 6, {r.b6, r.b7}));
    const strings ip = d.lines(2);
    ASSERT_EQ(ip.size(), 12u);
    EXPECT_EQ(strings(ip.begin() + 5, ip.begin() + 8), r.lines) << int{r.b6} << ' ' << int{r.b7};
  }
}

TEST(Decoders, IpProtocolPicksTheNextLayer) {
  const std::pair<uint8_t, strings> rows[] = {
      {6, cisco_ip_tcp},
      {36, {root_name, cisco_name, ip_name, xtp_name}},
      {17, {root_name, cisco_name, ip_name, unknown_name}},
      {0, {root_name, cisco_name, ip_name, unknown_name}},
      {0xFF, {root_name, cisco_name, ip_name, unknown_name}},
  };
  for (const auto& [protocol, names] : rows) {
    const decoded d(patched(fin_frame(), ip_at + 9, {protocol}));
    EXPECT_EQ(d.names(), names) << int{protocol};
    EXPECT_EQ(d.lines(2).size(), 12u) << "the protocol byte has no line";
  }
  const decoded xtp(patched(fin_frame(), ip_at + 9, {36}));
  EXPECT_EQ(xtp.layers[3]->data_begin(), nullptr);
  EXPECT_EQ(xtp.layers[3]->data_end(), nullptr);
  EXPECT_EQ(xtp.layers[3]->line_count(), 0u);
}

// The IP payload runs to two bytes before the frame's end, whatever the total length says.
TEST(Decoders, TotalLengthDoesNotBoundThePayload) {
  for (const uint16_t total : {0, 20, 40, 41, 0xFFFF}) {
    const decoded d(patched(fin_frame(), ip_at + 2, {uint8_t(total >> 8), uint8_t(total)}));
    ASSERT_EQ(d.names(), cisco_ip_tcp) << total;
    EXPECT_EQ(d.lines(2).at(3), "дейтаграмма: " + std::to_string(total) + " байт");
    EXPECT_EQ(d.layers[2]->data_end(), d.end() - 2) << total;
    EXPECT_EQ(d.layers[3]->data_begin(), d.end() - 2) << "a TCP segment without payload";
    EXPECT_EQ(d.layers[3]->data_end(), d.end() - 2);
  }
}

TEST(Decoders, HeaderLengthBeyondTheData) {
  // 40 bytes of IP data: a header of 60 bytes does not fit, one of 40 bytes just does.
  const decoded ip(patched(fin_frame(), ip_at, {0x4F}));
  EXPECT_EQ(ip.names(), (strings{root_name, cisco_name, ip_name}));
  EXPECT_EQ(ip.lines(2),
            (strings{"версия: IP, internet protocol", "ошибка определения размера заголовка"}));

  const decoded exact(patched(fin_frame(), ip_at, {0x4A}));
  EXPECT_EQ(exact.names(), (strings{root_name, cisco_name, ip_name, tcp_name}));
  EXPECT_EQ(exact.lines(2).size(), 12u);
  EXPECT_EQ(exact.lines(3), strings{too_short});

  // 20 bytes of TCP data.
  const decoded tcp(patched(fin_frame(), tcp_at + 12, {0x60}));
  EXPECT_EQ(tcp.names(), (strings{root_name, cisco_name, ip_name, tcp_name}));
  EXPECT_EQ(tcp.lines(3), strings{"Ошибка в длине заголовка"});
}

TEST(Decoders, TcpFlagLinesInOrder) {
  const std::string fin = "FIN : нет данных от отправителя";
  const std::string syn = "SYN : синхронизация номеров очереди";
  const std::string rst = "RST : перезагрузка соединения";
  const std::string psh = "PSH : немедленная выдача";
  const std::string ack = "AC\xD0\x9A : задействовано подтверждение";  // Cyrillic К
  const std::string urg = "URG : задействовано срочное указание";
  const std::pair<uint8_t, strings> rows[] = {
      {0x12, {syn, ack}}, {0x3F, {fin, syn, rst, psh, ack, urg}},
      {0x00, {}},         {0xC0, {}},
      {0xC1, {fin}},      {0x28, {psh, urg}},
  };
  for (const auto& [flags, expected] : rows) {
    const decoded d(patched(fin_frame(), tcp_at + 13, {flags}));
    const strings tcp = d.lines(3);
    ASSERT_EQ(tcp.size(), 8 + expected.size()) << int{flags};
    EXPECT_EQ(strings(tcp.begin() + 5, tcp.end() - 3), expected) << int{flags};
    EXPECT_EQ(tcp[tcp.size() - 3], "окно: 501");
  }
}

TEST(Decoders, SequenceNumbersInHex) {
  const std::pair<uint32_t, const char*> rows[] = {
      {0, "00h"},
      {5, "05h"},
      {0x0F, "0Fh"},
      {0x10, "10h"},
      {0xABCD, "ABCDh"},
      {0x100, "100h"},
      {0xFFFFFFFF, "FFFFFFFFh"},
      {0x0ABCDEF1, "ABCDEF1h"},
  };
  for (const auto& [value, text] : rows) {
    const uint8_t b[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8),
                          uint8_t(value)};
    const decoded d(
        patched(fin_frame(), tcp_at + 4, {b[0], b[1], b[2], b[3], b[0], b[1], b[2], b[3]}));
    EXPECT_EQ(d.lines(3).at(3), std::string("номер очереди: ") + text);
    EXPECT_EQ(d.lines(3).at(4), std::string("номер подтверждения: ") + text);
  }
}

// Truncating a SYN frame at every length: each layer shows what its bytes allow and ends the chain.
TEST(Decoders, ShortFramesEndTheChainWithTheShortDataLine) {
  struct row {
    std::size_t from, to;  // lengths
    strings names;
    std::string last_line;
  };
  const std::string ip_error = "ошибка определения размера заголовка";
  const row rows[] = {
      {0, 0, {root_name, unknown_name}, ""},
      {1, 3, {root_name, cisco_name}, too_short},
      {4, 5, {root_name, cisco_name}, too_short},
      {6, 6, {root_name, cisco_name, ip_name}, too_short},
      {7, 25, {root_name, cisco_name, ip_name}, ip_error},
      {26, 38, {root_name, cisco_name, ip_name, tcp_name}, too_short},
      {39, 65, {root_name, cisco_name, ip_name, tcp_name}, "Ошибка в длине заголовка"},
      {66, 66, cisco_ip_tcp, ""},
  };
  const bytes syn = syn_frame();
  for (const row& r : rows) {
    for (std::size_t n = r.from; n <= r.to; ++n) {
      const decoded d(bytes(syn.begin(), syn.begin() + n));
      ASSERT_EQ(d.names(), r.names) << n;
      const xprotocol* last = d.layers.back();
      EXPECT_EQ(last->line_count() ? last->line(last->line_count() - 1) : "", r.last_line) << n;
    }
  }
  const decoded four(bytes(syn.begin(), syn.begin() + 4));
  EXPECT_EQ(four.lines(1), (strings{"адрес: Unicast", "IP - DoD Internet Protocol", too_short}));
  const decoded two(bytes(syn.begin(), syn.begin() + 2));
  EXPECT_EQ(two.lines(1), (strings{"адрес: Unicast", too_short}));
}

// Headers whose length field is below the fixed fields: the lines whose bytes are there, then the
// short-data line.
TEST(Decoders, ShortHeaderShowsTheFieldsItHas) {
  const bytes ip16 = patched(syn_frame(), ip_at, {0x44});  // a 16-byte IP header
  const decoded ip(bytes(ip16.begin(), ip16.begin() + 6 + 17));
  const strings lines = ip.lines(2);
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[1], "заголовок: 16 байт");
  EXPECT_EQ(lines[10], "отправитель: 192.168.1.10");
  EXPECT_EQ(lines[11], too_short);
  EXPECT_EQ(ip.layers.size(), 3u);

  // A TCP header of 16 bytes in 15 data bytes, then in 17.
  const bytes tcp16 = patched(fin_frame(), tcp_at + 12, {0x40});
  const decoded tcp15(bytes(tcp16.begin(), tcp16.begin() + tcp_at + 15 + 2));
  EXPECT_EQ(tcp15.lines(3).size(), 1u) << "16 bytes do not fit in 15";
  const decoded tcp17(bytes(tcp16.begin(), tcp16.begin() + tcp_at + 17 + 2));
  EXPECT_EQ(tcp17.lines(3),
            (strings{"размер заголовка: 16 байт", "порт-отправитель: 51514", "порт-получатель: 80",
                     "номер очереди: 6B8B458Dh", "номер подтверждения: 1F2E4F01h",
                     "FIN : нет данных от отправителя", "AC\xD0\x9A : задействовано подтверждение",
                     "окно: 501", too_short}));
  EXPECT_EQ(tcp17.layers.size(), 4u);
}

// Every length from 0 to 60 of several frame shapes: no read outside the packet (the sanitizer
// watches the exact-size copies), ranges inside the packet, and a chain that ends either in a data
// layer or in a layer whose last line says why.
TEST(Decoders, NoReadOutsideThePacketAtAnyLength) {
  const bytes shapes[] = {
      syn_frame(),
      patched(syn_frame(), ip_at, {0x41}),
      patched(syn_frame(), ip_at, {0x44}),
      patched(syn_frame(), tcp_at + 12, {0x00}),
      patched(syn_frame(), tcp_at + 12, {0x30}),
      patched(syn_frame(), 0, {0x8F}),
      bytes(60, 0x0F),
      bytes(60, 0x8F),
      patched(bytes(60, 0xFF), 0, {0x0F, 0x00, 0x08, 0x00, 0x4F}),
      patched(bytes(60, 0x00), 0, {0x0F, 0x00, 0x08, 0x00, 0x45, 0, 0, 0, 0, 0, 0, 0, 0, 6}),
  };
  const strings endings = {too_short, "ошибка определения размера заголовка",
                           "Ошибка в длине заголовка"};
  for (std::size_t s = 0; s < std::size(shapes); ++s) {
    for (std::size_t n = 0; n <= 60; ++n) {
      const decoded d(bytes(shapes[s].begin(), shapes[s].begin() + n));
      ASSERT_FALSE(d.layers.empty());
      EXPECT_EQ(d.layers[0]->code(), 1) << s << '/' << n;
      for (const xprotocol* layer : d.layers) {
        if (layer->data_end() == nullptr) continue;
        EXPECT_LE(d.begin(), layer->data_begin()) << s << '/' << n;
        EXPECT_LE(layer->data_begin(), layer->data_end()) << s << '/' << n;
        EXPECT_LE(layer->data_end(), d.end()) << s << '/' << n;
      }
      const xprotocol* last = d.layers.back();
      if (last->code() != 0) {
        ASSERT_GT(last->line_count(), 0u) << s << '/' << n;
        const std::string reason = last->line(last->line_count() - 1);
        EXPECT_NE(std::find(endings.begin(), endings.end(), reason), endings.end())
            << s << '/' << n << ' ' << reason;
      }
    }
  }
}

TEST(Decoders, PacketDecodeReplacesItsLayers) {
  const bytes frame = fin_frame();
  xpaket p(frame.data(), static_cast<uint32_t>(frame.size()));
  p.decode();
  ASSERT_EQ(p.protocols.size(), 5u);
  EXPECT_EQ(p.protocols[1]->data_begin(), p.bytes() + 4);
  p.set_byte(0, 0x45);
  p.decode();
  ASSERT_EQ(p.protocols.size(), 2u);
  EXPECT_EQ(p.protocols[0]->name(), root_name);
  EXPECT_EQ(p.protocols[1]->name(), unknown_name);

  xpaket empty(nullptr, 0);
  empty.decode();
  ASSERT_EQ(empty.protocols.size(), 2u);
  EXPECT_EQ(empty.protocols[1]->name(), unknown_name);
  EXPECT_EQ(empty.protocols[1]->line(0), "") << "a line out of range is empty";
}
