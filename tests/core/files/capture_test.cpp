#include <gtest/gtest.h>

#include <pcap/pcap.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/files/capture_file.h"
#include "core/files/signal_io.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;

struct frame {
  bytes data;
  uint32_t wire_length = 0;  // 0: the frame was captured whole
};

// A capture written by libpcap's own writer.
std::string write_pcap(const temp_dir& dir, const std::string& name, int link_type,
                       const std::vector<frame>& frames,
                       unsigned precision = PCAP_TSTAMP_PRECISION_MICRO) {
  const std::string path = dir.file(name);
  pcap_t* dead = pcap_open_dead_with_tstamp_precision(link_type, 65535, precision);
  pcap_dumper_t* dumper = pcap_dump_open(dead, path.c_str());
  EXPECT_NE(dumper, nullptr) << pcap_geterr(dead);
  long second = 1700000000;
  for (const frame& f : frames) {
    pcap_pkthdr header{};
    header.ts.tv_sec = second++;
    header.caplen = static_cast<bpf_u_int32>(f.data.size());
    header.len = f.wire_length != 0 ? f.wire_length : header.caplen;
    static const u_char none = 0;
    pcap_dump(reinterpret_cast<u_char*>(dumper), &header, f.data.empty() ? &none : f.data.data());
  }
  pcap_dump_close(dumper);
  pcap_close(dead);
  return path;
}

void put32(bytes& out, uint32_t v, bool big = false) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (big ? 24 - 8 * i : 8 * i)));
}

void put16(bytes& out, uint16_t v, bool big = false) {
  out.push_back(static_cast<uint8_t>(big ? v >> 8 : v));
  out.push_back(static_cast<uint8_t>(big ? v : v >> 8));
}

// A pcapng image made block by block; each section in its own byte order.
struct pcapng {
  bytes image;
  bool big = false;

  // One block: type, total length, body padded to 4 bytes, total length.
  pcapng& block(uint32_t type, const bytes& body) {
    const auto padded = static_cast<uint32_t>((body.size() + 3) / 4 * 4);
    put32(image, type, big);
    put32(image, 12 + padded, big);
    image.insert(image.end(), body.begin(), body.end());
    image.resize(image.size() + (padded - body.size()), 0);
    put32(image, 12 + padded, big);
    return *this;
  }
  pcapng& section(bool big_endian = false) {
    big = big_endian;
    bytes b;
    put32(b, 0x1A2B3C4D, big);  // byte-order magic
    put16(b, 1, big);
    put16(b, 0, big);
    put32(b, 0xFFFFFFFF, big);  // section length unknown
    put32(b, 0xFFFFFFFF, big);
    return block(0x0A0D0D0A, b);
  }
  // An interface; `resolution` adds an if_tsresol option.
  pcapng& interface(uint16_t link_type, uint32_t snaplen = 0, int resolution = -1) {
    bytes b;
    put16(b, link_type, big);
    put16(b, 0, big);
    put32(b, snaplen, big);
    if (resolution >= 0) {
      put16(b, 9, big);
      put16(b, 1, big);
      b.insert(b.end(), {static_cast<uint8_t>(resolution), 0, 0, 0});
      put32(b, 0, big);  // end of options
    }
    return block(1, b);
  }
  // Interface statistics, which carry no frame.
  pcapng& statistics() {
    bytes b(12, 0);
    return block(5, b);
  }
  pcapng& packet(uint32_t interface, const frame& f) {
    bytes b;
    put32(b, interface, big);
    put32(b, 0, big);
    put32(b, 0, big);
    put32(b, static_cast<uint32_t>(f.data.size()), big);
    put32(b, f.wire_length != 0 ? f.wire_length : static_cast<uint32_t>(f.data.size()), big);
    b.insert(b.end(), f.data.begin(), f.data.end());
    return block(6, b);
  }
};

// A pcapng image: section header, one interface of `link_type`, an interface statistics block
// and one enhanced packet block per frame.
bytes pcapng_image(uint16_t link_type, const std::vector<frame>& frames) {
  pcapng out;
  out.section().interface(link_type).statistics();
  for (const frame& f : frames) out.packet(0, f);
  return out.image;
}

std::vector<bytes> data_of(const std::vector<frame>& frames) {
  std::vector<bytes> out;
  for (const frame& f : frames) out.push_back(f.data);
  return out;
}

const std::vector<frame> sample = {
    {{0x0F, 0x00, 0x08, 0x00, 0x45}},
    {{}},
    {{0xFF, 0x03, 0x00, 0x21}, 1500},  // cut by the capture's snapshot length
    {bytes(300, 0xA5)},
};

struct read_frame {
  bytes data;
  long seconds;
  long microseconds;
};

struct read_capture {
  int link_type = -1;
  int snapshot = 0;
  std::vector<read_frame> frames;
};

// What libpcap itself reads from a file.
read_capture read_with_libpcap(const std::string& path) {
  read_capture out;
  char error[PCAP_ERRBUF_SIZE] = {};
  pcap_t* in =
      pcap_open_offline_with_tstamp_precision(path.c_str(), PCAP_TSTAMP_PRECISION_MICRO, error);
  EXPECT_NE(in, nullptr) << error;
  if (in == nullptr) return out;
  out.link_type = pcap_datalink(in);
  out.snapshot = pcap_snapshot(in);
  pcap_pkthdr* header = nullptr;
  const u_char* data = nullptr;
  int got = 0;
  while ((got = pcap_next_ex(in, &header, &data)) == 1) {
    EXPECT_EQ(header->caplen, header->len);
    out.frames.push_back({bytes(data, data + header->caplen), static_cast<long>(header->ts.tv_sec),
                          static_cast<long>(header->ts.tv_usec)});
  }
  EXPECT_EQ(got, PCAP_ERROR_BREAK) << pcap_geterr(in);
  pcap_close(in);
  return out;
}

std::vector<bytes> frames_of(const read_capture& capture) {
  std::vector<bytes> out;
  for (const read_frame& f : capture.frames) out.push_back(f.data);
  return out;
}

bytes cut(bytes image, size_t n) {
  image.resize(image.size() - n);
  return image;
}

// A pcap image of version 2.2, big-endian, whose records state the wire length before the
// captured one, as writers of that version did.
bytes old_pcap_image(uint32_t link_type, const std::vector<frame>& frames) {
  bytes out;
  put32(out, 0xA1B2C3D4, true);
  put16(out, 2, true);
  put16(out, 2, true);
  put32(out, 0, true);
  put32(out, 0, true);
  put32(out, 65535, true);
  put32(out, link_type, true);
  for (const frame& f : frames) {
    put32(out, 0, true);
    put32(out, 0, true);
    put32(out, f.wire_length != 0 ? f.wire_length : static_cast<uint32_t>(f.data.size()), true);
    put32(out, static_cast<uint32_t>(f.data.size()), true);
    out.insert(out.end(), f.data.begin(), f.data.end());
  }
  return out;
}

}  // namespace

TEST(CaptureRead, EveryFrameBecomesAnUnmarkedPacketOfItsCapturedBytes) {
  temp_dir dir;
  struct row {
    std::string name;
    std::string path;
    uint32_t link_type;  // as the file states it
  };
  const std::vector<row> rows = {
      {"pcap ethernet", write_pcap(dir, "eth.pcap", DLT_EN10MB, sample), 1},
      {"pcap hdlc", write_pcap(dir, "hdlc.pcap", DLT_C_HDLC, sample), 104},
      {"pcap raw ip", write_pcap(dir, "raw.cap", DLT_RAW, sample), 101},
      {"pcap user, nanoseconds",
       write_pcap(dir, "user.pcap", DLT_USER0, sample, PCAP_TSTAMP_PRECISION_NANO), 147},
      {"pcap 2.2, big-endian", dir.write("old.pcap", old_pcap_image(9, sample)), 9},
      {"pcapng ethernet", dir.write("eth.pcapng", pcapng_image(DLT_EN10MB, sample)), 1},
  };
  for (const row& r : rows) {
    test_store s;
    const load_result loaded = load_sig_file(r.path, s.store);
    EXPECT_EQ(loaded.open_result, 0) << r.name;
    EXPECT_TRUE(loaded.ok) << r.name;
    EXPECT_TRUE(loaded.capture) << r.name;
    EXPECT_EQ(loaded.next, sample.size()) << r.name;
    EXPECT_EQ(s.contents(), data_of(sample)) << r.name;
    EXPECT_EQ(s.store.link_types(), std::vector<uint32_t>{r.link_type}) << r.name;
    for (const xpaket* p : s.pointers()) {
      EXPECT_EQ(p->colour, colour_white) << r.name;
      EXPECT_EQ(p->bit_length(), p->byte_length() * 8) << r.name;
    }
  }
}

TEST(CaptureRead, PcapngOfSeveralLinkTypesSectionsAndByteOrders) {
  const frame a{{0xA1, 0xA2}};
  const frame b{{0xB1}};
  const frame c{{0xC1, 0xC2, 0xC3}};
  struct row {
    std::string name;
    bytes image;
    std::vector<bytes> frames;
    std::vector<uint32_t> link_types;
  };
  const row rows[] = {
      {"interfaces of two link types",
       pcapng().section().interface(1).interface(101).packet(1, a).packet(0, b).packet(1, c).image,
       {a.data, b.data, c.data},
       {1, 101}},
      {"a second section of another link type",
       pcapng().section().interface(1).packet(0, a).section().interface(104).packet(0, b).image,
       {a.data, b.data},
       {1, 104}},
      {"a second section in the other byte order",
       pcapng().section().interface(1).packet(0, a).section(true).interface(1).packet(0, c).image,
       {a.data, c.data},
       {1}},
      {"time stamps in 2^-127 seconds",
       pcapng().section(true).interface(1, 0, 0xFF).packet(0, b).image,
       {b.data},
       {1}},
  };
  for (const row& r : rows) {
    test_store s;
    const sig_read_result read = read_capture_image(r.image, s.store, 0);
    EXPECT_TRUE(read.ok) << r.name;
    EXPECT_EQ(s.contents(), r.frames) << r.name;
    EXPECT_EQ(s.store.link_types(), r.link_types) << r.name;
  }
}

TEST(CaptureRead, FramesLongerThanTheSnapshotLengthAreReadWhole) {
  temp_dir dir;
  const frame whole{bytes(100, 0x5C)};
  // libpcap's writer keeps a record as it is given, the header's snapshot length of 64 aside.
  pcap_t* dead = pcap_open_dead(DLT_EN10MB, 64);
  const std::string pcap = dir.file("snap.pcap");
  pcap_dumper_t* dumper = pcap_dump_open(dead, pcap.c_str());
  ASSERT_NE(dumper, nullptr);
  pcap_pkthdr header{};
  header.caplen = 100;
  header.len = 100;
  pcap_dump(reinterpret_cast<u_char*>(dumper), &header, whole.data.data());
  pcap_dump_close(dumper);
  pcap_close(dead);
  for (const bytes& image :
       {read_file(pcap), pcapng().section().interface(1, 64).packet(0, whole).image}) {
    test_store s;
    EXPECT_TRUE(read_capture_image(image, s.store, 0).ok);
    EXPECT_EQ(s.contents(), std::vector<bytes>{whole.data});
  }
}

TEST(CaptureRead, MergesBehindTheStoreAndReadsEmptyCaptures) {
  temp_dir dir;
  test_store s(std::vector<bytes>{{1}, {2}});
  const load_result merged =
      load_sig_file(write_pcap(dir, "m.pcap", DLT_EN10MB, {{{7, 8}}, {{9}}}), s.store);
  EXPECT_TRUE(merged.ok);
  EXPECT_EQ(merged.next, 4u);
  EXPECT_EQ(s.contents(), (std::vector<bytes>{{1}, {2}, {7, 8}, {9}}));

  for (const std::string& empty : {write_pcap(dir, "empty.pcap", DLT_EN10MB, {}),
                                   dir.write("empty.pcapng", pcapng_image(DLT_EN10MB, {}))}) {
    const load_result loaded = load_sig_file(empty, s.store);
    EXPECT_TRUE(loaded.ok) << empty;
    EXPECT_EQ(loaded.next, 4u) << empty;
    EXPECT_EQ(s.store.size(), 4u) << empty;
  }
}

TEST(CaptureRead, DamageKeepsTheFramesBeforeItAndSaysWhy) {
  temp_dir dir;
  const bytes pcap = read_file(write_pcap(dir, "whole.pcap", DLT_EN10MB, sample));
  const bytes ng = pcapng_image(DLT_EN10MB, sample);
  bytes bad_version = pcap;
  bad_version[4] = 9;
  bytes bad_block = ng;
  // The last block's trailing length no longer matches its leading one.
  bad_block[bad_block.size() - 4] ^= 0x40;
  // The captured length of the last frame claims more than its block holds.
  bytes overlong = ng;
  overlong[overlong.size() - 4 - 300 - 8] = 0xFF;
  struct row {
    std::string name;
    bytes image;
    uint32_t kept;
    read_fault fault;
  };
  const row rows[] = {
      {"pcap, last frame cut", cut(pcap, 1), 3, read_fault::cut_short},
      {"pcap, last frame cut to its header", cut(pcap, 300 + 7), 3, read_fault::cut_short},
      {"pcapng, last block cut", cut(ng, 5), 3, read_fault::cut_short},
      {"pcapng, last block inconsistent", bad_block, 3, read_fault::bad_block},
      {"pcapng, frame longer than its block", overlong, 3, read_fault::frame_too_long},
      {"pcapng, packet of an undescribed interface",
       pcapng().section().interface(1).packet(0, sample[0]).packet(1, sample[1]).image, 1,
       read_fault::no_interface},
      {"pcap, header cut", bytes(pcap.begin(), pcap.begin() + 10), 0, read_fault::cut_short},
      {"pcap, unknown version", bad_version, 0, read_fault::version},
      {"pcapng, section header only in part", bytes(ng.begin(), ng.begin() + 16), 0,
       read_fault::cut_short},
      {"no capture at all", sig_image({{1, 2, 3}}), 0, read_fault::not_a_capture},
  };
  for (const row& r : rows) {
    test_store s(std::vector<bytes>{{0x55}});
    const load_result loaded = load_sig_file(dir.write("damaged.pcap", r.image), s.store);
    EXPECT_EQ(loaded.open_result, 0) << r.name;
    EXPECT_FALSE(loaded.ok) << r.name;
    EXPECT_EQ(loaded.fault, r.fault) << r.name;
    EXPECT_EQ(loaded.next, 1 + r.kept) << r.name;
    std::vector<bytes> expected = {{0x55}};
    for (uint32_t k = 0; k < r.kept; ++k) expected.push_back(sample[k].data);
    EXPECT_EQ(s.contents(), expected) << r.name;
  }
}

TEST(CaptureRead, HooksComeAsForSigAndCancelStopsBetweenFrames) {
  std::vector<frame> many(2500, frame{{1, 2, 3}});
  temp_dir dir;
  const bytes image = read_file(write_pcap(dir, "many.pcap", DLT_EN10MB, many));
  test_store s;
  int first_screens = 0;
  std::vector<uint64_t> progress;
  sig_read_hooks hooks;
  hooks.first_screen = [&] { ++first_screens; };
  hooks.progress = [&](uint64_t consumed) { progress.push_back(consumed); };
  hooks.keep_going = [&] { return s.store.size() < 2100; };
  const sig_read_result read = read_signal_image(image, signal_format::capture, s.store, 0, hooks);
  EXPECT_TRUE(read.ok);
  EXPECT_EQ(read.next, 2100u);
  EXPECT_EQ(first_screens, 1);
  // A file header of 24 bytes, then 16 + 3 bytes a frame.
  EXPECT_EQ(progress, (std::vector<uint64_t>{24 + 1000 * 19, 24 + 2000 * 19}));

  test_store wrong;
  EXPECT_FALSE(read_capture_image(image, wrong.store, 1).ok) << "k0 must be the store's size";
  EXPECT_EQ(wrong.store.size(), 0u);
}

TEST(CaptureWrite, HdlcLinkTypeMicrosecondStampsAndEveryStoredByte) {
  temp_dir dir;
  test_store s({{0x0F, 0x00, 0x08, 0x00, 0x45, 0x00}, {}, {0xAB, 0xCD}});
  s[2].resize(12);  // 12 bits: both bytes stay stored
  const std::string path = dir.file("out.pcap");
  int steps = 0;
  save_hooks hooks;
  hooks.step = [&] { ++steps; };
  ASSERT_EQ(save_signal_file(path, s.store, signal_format::capture, hooks).status,
            save_status::saved);
  EXPECT_EQ(steps, 3);
  const read_capture back = read_with_libpcap(path);
  EXPECT_EQ(back.link_type, DLT_C_HDLC);
  EXPECT_GE(back.snapshot, 65535);
  ASSERT_EQ(back.frames.size(), 3u);
  for (long k = 0; k < 3; ++k) {
    EXPECT_EQ(back.frames[k].seconds, 0);
    EXPECT_EQ(back.frames[k].microseconds, k);
  }
  EXPECT_EQ(frames_of(back), s.contents());
  // Little-endian microsecond pcap, version 2.4.
  const bytes head = read_file(path);
  EXPECT_EQ(bytes(head.begin(), head.begin() + 8),
            (bytes{0xD4, 0xC3, 0xB2, 0xA1, 0x02, 0x00, 0x04, 0x00}));
}

TEST(CaptureWrite, TooLongCancelledAndFailedSavesLeaveTheTarget) {
  temp_dir dir;
  const std::string path = dir.write("old.pcap", {1, 2, 3});
  test_store s({{1}, bytes(capture_max_packet_bytes, 0), {2}});
  // A packet libpcap reads back is fine; one byte more is refused.
  save_hooks cancel_after_one;
  int written = 0;
  cancel_after_one.keep_going = [&] { return written == 0; };
  cancel_after_one.step = [&] { ++written; };
  EXPECT_EQ(save_signal_file(path, s.store, signal_format::capture, cancel_after_one).status,
            save_status::cancelled);
  const std::string longest = dir.file("longest.pcap");
  ASSERT_EQ(save_signal_file(longest, s.store, signal_format::capture).status, save_status::saved);
  EXPECT_EQ(frames_of(read_with_libpcap(longest)), s.contents());
  EXPECT_EQ(save_signal_file(dir.file("no/such/x.pcap"), s.store, signal_format::capture).status,
            save_status::write_failed);
  s[1].resize((capture_max_packet_bytes + 1) * 8);
  const save_result too_long = save_signal_file(path, s.store, signal_format::capture);
  EXPECT_EQ(too_long.status, save_status::packet_too_long);
  EXPECT_EQ(too_long.packet, 1u);
  EXPECT_EQ(read_file(path), (bytes{1, 2, 3}));
}

TEST(CaptureRoundTrip, SigToPcapToSigAndPcapBackKeepTheBytes) {
  temp_dir dir;
  const std::vector<bytes> packets = {{0x0F, 0x00, 0x08, 0x00}, {}, bytes(1000, 0x3C), {0xFF}};
  const std::string sig = dir.write("a.sig", sig_image(packets));
  const std::string pcap = dir.file("a.pcap");
  const std::string again = dir.file("again.sig");
  const run_result to_pcap = run_program(dir, PELORIN_CLI, {"convert", sig, pcap});
  EXPECT_EQ(to_pcap.status, 0) << to_pcap.err;
  const run_result to_sig = run_program(dir, PELORIN_CLI, {"convert", pcap, again});
  EXPECT_EQ(to_sig.status, 0) << to_sig.err;
  EXPECT_EQ(read_file(again), read_file(sig));
  EXPECT_EQ(read_with_libpcap(pcap).link_type, DLT_C_HDLC);
  EXPECT_EQ(frames_of(read_with_libpcap(pcap)), packets);
}

TEST(CaptureRoundTrip, CapturesKeepTheirFramesAndLinkType) {
  temp_dir dir;
  for (const int dlt : {DLT_EN10MB, DLT_RAW, DLT_C_HDLC}) {
    const std::string name = std::to_string(dlt);
    test_store s;
    ASSERT_TRUE(load_sig_file(write_pcap(dir, name + ".pcap", dlt, sample), s.store).ok);
    const std::string back = dir.file(name + "-back.pcap");
    ASSERT_EQ(save_signal_file(back, s.store, signal_format::capture).status, save_status::saved);
    const read_capture written = read_with_libpcap(back);
    EXPECT_EQ(written.link_type, dlt) << name;
    EXPECT_EQ(frames_of(written), data_of(sample)) << name;
  }

  // Frames of two link types cannot share one pcap file: nothing is written.
  test_store mixed;
  ASSERT_TRUE(load_sig_file(write_pcap(dir, "e.pcap", DLT_EN10MB, sample), mixed.store).ok);
  ASSERT_TRUE(load_sig_file(dir.write("h.sig", sig_image({{1}})), mixed.store).ok);
  EXPECT_EQ(link_type_names(mixed.store.link_types()), "EN10MB, C_HDLC");
  const std::string refused = dir.file("mixed.pcap");
  EXPECT_EQ(save_signal_file(refused, mixed.store, signal_format::capture).status,
            save_status::mixed_link_types);
  EXPECT_FALSE(std::filesystem::exists(refused));
}

TEST(CaptureCli, ReadingCommandsTakeCapturesAndDamageIsAFormatError) {
  temp_dir dir;
  const std::string pcapng =
      dir.write("a.pcapng", pcapng_image(DLT_EN10MB, {{{1, 2, 3}}, {{4}}, {{5, 6}}}));
  const run_result info = run_program(dir, PELORIN_CLI, {"info", pcapng});
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(info.out, "packets=3 min=1 max=3 link=EN10MB\n");

  const bytes whole = read_file(write_pcap(dir, "w.pcap", DLT_EN10MB, sample));
  const std::string damaged = dir.write("d.pcap", cut(whole, 1));
  const run_result r = run_program(dir, PELORIN_CLI, {"convert", damaged, dir.file("d.sig")});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err, "pelorin-cli: " + damaged +
                       ": capture format error after packet 3: the file ends inside a record\n");
}

TEST(CaptureCli, AnalyserDecodesAWrittenCaptureWhenPresent) {
  if (std::system("command -v tshark >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "no packet analyser on this machine";
  }
  temp_dir dir;
  // HDLC unicast, protocol 0x0800, then a minimal IPv4 header.
  const bytes ip = {0x45, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x00, 0x40, 0x11,
                    0x00, 0x00, 0x0A, 0x00, 0x00, 0x01, 0x0A, 0x00, 0x00, 0x02};
  bytes frame_bytes = {0x0F, 0x00, 0x08, 0x00};
  frame_bytes.insert(frame_bytes.end(), ip.begin(), ip.end());
  test_store s({frame_bytes});
  const std::string path = dir.file("x.pcap");
  ASSERT_EQ(save_signal_file(path, s.store, signal_format::capture).status, save_status::saved);
  const run_result r = run_program(
      dir, "/bin/sh",
      {"-c", "tshark -r " + path + " -T fields -e frame.protocols -e ip.src -e ip.dst"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("chdlc:ip"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("10.0.0.1\t10.0.0.2"), std::string::npos) << r.out;
}
