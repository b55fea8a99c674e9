#include <gtest/gtest.h>

#include <pcap/pcap.h>

#include <cstdlib>
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

void put32(bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void put16(bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// One little-endian pcapng block: type, total length, body padded to 4 bytes, total length.
void put_block(bytes& out, uint32_t type, const bytes& body) {
  const auto padded = static_cast<uint32_t>((body.size() + 3) / 4 * 4);
  put32(out, type);
  put32(out, 12 + padded);
  out.insert(out.end(), body.begin(), body.end());
  out.resize(out.size() + (padded - body.size()), 0);
  put32(out, 12 + padded);
}

// A pcapng image: section header, one interface of `link_type`, an interface statistics block
// (which a reader skips) and one enhanced packet block per frame.
bytes pcapng_image(uint16_t link_type, const std::vector<frame>& frames) {
  bytes out;
  bytes shb;
  put32(shb, 0x1A2B3C4D);  // byte-order magic
  put16(shb, 1);
  put16(shb, 0);
  put32(shb, 0xFFFFFFFF);  // section length unknown
  put32(shb, 0xFFFFFFFF);
  put_block(out, 0x0A0D0D0A, shb);
  bytes idb;
  put16(idb, link_type);
  put16(idb, 0);
  put32(idb, 0);  // no snapshot limit
  put_block(out, 1, idb);
  bytes isb;
  put32(isb, 0);
  put32(isb, 0);
  put32(isb, 0);
  put_block(out, 5, isb);
  uint32_t stamp = 0;
  for (const frame& f : frames) {
    bytes epb;
    put32(epb, 0);  // interface
    put32(epb, 0);
    put32(epb, stamp++);
    put32(epb, static_cast<uint32_t>(f.data.size()));
    put32(epb, f.wire_length != 0 ? f.wire_length : static_cast<uint32_t>(f.data.size()));
    epb.insert(epb.end(), f.data.begin(), f.data.end());
    put_block(out, 6, epb);
  }
  return out;
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

}  // namespace

TEST(CaptureRead, EveryFrameBecomesAnUnmarkedPacketOfItsCapturedBytes) {
  temp_dir dir;
  struct row {
    std::string name;
    std::string path;
  };
  const std::vector<row> rows = {
      {"pcap ethernet", write_pcap(dir, "eth.pcap", DLT_EN10MB, sample)},
      {"pcap hdlc", write_pcap(dir, "hdlc.pcap", DLT_C_HDLC, sample)},
      {"pcap raw ip", write_pcap(dir, "raw.cap", DLT_RAW, sample)},
      {"pcap user, nanoseconds",
       write_pcap(dir, "user.pcap", DLT_USER0, sample, PCAP_TSTAMP_PRECISION_NANO)},
      {"pcapng ethernet", dir.write("eth.pcapng", pcapng_image(DLT_EN10MB, sample))},
      // The content decides, not the name.
      {"pcapng named sig", dir.write("ppp.sig", pcapng_image(DLT_PPP, sample))},
  };
  for (const row& r : rows) {
    test_store s;
    const load_result loaded = load_sig_file(r.path, s.store);
    EXPECT_EQ(loaded.open_result, 0) << r.name;
    EXPECT_TRUE(loaded.ok) << r.name;
    EXPECT_TRUE(loaded.capture) << r.name;
    EXPECT_EQ(loaded.next, sample.size()) << r.name;
    EXPECT_EQ(s.contents(), data_of(sample)) << r.name;
    for (const xpaket* p : s.pointers()) {
      EXPECT_EQ(p->colour, colour_white) << r.name;
      EXPECT_EQ(p->bit_length(), p->byte_length() * 8) << r.name;
    }
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

TEST(CaptureRead, DamageKeepsTheFramesBeforeItAndFails) {
  temp_dir dir;
  const bytes pcap = read_file(write_pcap(dir, "whole.pcap", DLT_EN10MB, sample));
  const bytes pcapng = pcapng_image(DLT_EN10MB, sample);
  bytes bad_version = pcap;
  bad_version[4] = 9;
  bytes bad_block = pcapng;
  // The last block's trailing length no longer matches its leading one.
  bad_block[bad_block.size() - 4] ^= 0x40;
  struct row {
    std::string name;
    bytes image;
    uint32_t kept;
  };
  const row rows[] = {
      {"pcap, last frame cut", cut(pcap, 1), 3},
      {"pcap, last frame cut to its header", cut(pcap, 300 + 7), 3},
      {"pcapng, last block cut", cut(pcapng, 5), 3},
      {"pcapng, last block inconsistent", bad_block, 3},
      {"pcap, header cut", bytes(pcap.begin(), pcap.begin() + 10), 0},
      {"pcap, unknown version", bad_version, 0},
      {"pcapng, section header only in part", bytes(pcapng.begin(), pcapng.begin() + 16), 0},
  };
  for (const row& r : rows) {
    test_store s(std::vector<bytes>{{0x55}});
    const load_result loaded = load_sig_file(dir.write("damaged", r.image), s.store);
    EXPECT_EQ(loaded.open_result, 0) << r.name;
    EXPECT_FALSE(loaded.ok) << r.name;
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
  const sig_read_result read = read_signal_image(image, s.store, 0, hooks);
  EXPECT_TRUE(read.ok);
  EXPECT_EQ(read.next, 2100u);
  EXPECT_EQ(first_screens, 1);
  // A file header of 24 bytes, then 16 + 3 bytes a frame.
  EXPECT_EQ(progress, (std::vector<uint64_t>{24 + 1000 * 19, 24 + 2000 * 19}));

  test_store wrong;
  EXPECT_FALSE(read_capture_image(image, wrong.store, 1).ok) << "k0 must be the store's size";
  EXPECT_EQ(wrong.store.size(), 0u);
}

TEST(CaptureDetect, MagicNumbersOfEveryVariantAndNothingElse) {
  const bytes yes[] = {
      {0xD4, 0xC3, 0xB2, 0xA1}, {0xA1, 0xB2, 0xC3, 0xD4}, {0x4D, 0x3C, 0xB2, 0xA1},
      {0xA1, 0xB2, 0x3C, 0x4D}, {0x0A, 0x0D, 0x0D, 0x0A},
  };
  const bytes no[] = {{}, {0xD4, 0xC3, 0xB2}, {2, 0, 0x41, 0x42}, {0x0A, 0x0D, 0x0D, 0x0B}};
  for (const bytes& b : yes) EXPECT_TRUE(is_capture_image(b)) << int{b[0]};
  for (const bytes& b : no) EXPECT_FALSE(is_capture_image(b)) << b.size();
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

TEST(CaptureWrite, FormatFollowsTheTargetName) {
  EXPECT_EQ(format_for_target("a.bit"), signal_format::bit);
  EXPECT_EQ(format_for_target("dir.pcap/a.pcap"), signal_format::capture);
  EXPECT_EQ(format_for_target("a.pcapng"), signal_format::sig);
  EXPECT_EQ(format_for_target("a.sig"), signal_format::sig);
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

  // A foreign capture read and written again keeps its frames.
  const std::string foreign = write_pcap(dir, "foreign.pcap", DLT_EN10MB, sample);
  test_store s;
  ASSERT_TRUE(load_sig_file(foreign, s.store).ok);
  const std::string back = dir.file("back.pcap");
  ASSERT_EQ(save_signal_file(back, s.store, signal_format::capture).status, save_status::saved);
  EXPECT_EQ(frames_of(read_with_libpcap(back)), data_of(sample));
}

TEST(CaptureCli, ReadingCommandsTakeCapturesAndDamageIsAFormatError) {
  temp_dir dir;
  const std::string pcapng =
      dir.write("a.pcapng", pcapng_image(DLT_EN10MB, {{{1, 2, 3}}, {{4}}, {{5, 6}}}));
  const run_result info = run_program(dir, PELORIN_CLI, {"info", pcapng});
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(info.out, "packets=3 min=1 max=3\n");

  const bytes whole = read_file(write_pcap(dir, "w.pcap", DLT_EN10MB, sample));
  const std::string damaged = dir.write("d.pcap", cut(whole, 1));
  const run_result r = run_program(dir, PELORIN_CLI, {"convert", damaged, dir.file("d.sig")});
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find("after packet 3"), std::string::npos) << r.err;
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
