#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "demodulator/core/demodulate.h"
#include "demodulator/core/messages.h"
#include "demodulator/core/packetize.h"
#include "demodulator/core/pipeline.h"
#include "reference.h"
#include "stream_builder.h"
#include "support/temp_dir.h"

namespace {

using bytes = std::vector<uint8_t>;

bytes random_bytes(std::mt19937& rng, size_t n) {
  bytes b(n);
  for (uint8_t& x : b) x = static_cast<uint8_t>(rng());
  return b;
}

bytes demodulated(const bytes& recording) {
  bytes signal(recording.size() / 2, 0);
  tessaly::demodulate(recording, signal);
  return signal;
}

bytes sync_packet(std::mt19937& rng) {
  bytes p = random_bytes(rng, 12);
  p[0] = 0x65;
  p[1] = 0xA8;
  return p;
}

// A packet of 12 bytes whose first byte is not 31, or a long one of 24 bytes starting with 31.
bytes random_packet(std::mt19937& rng, bool is_long) {
  bytes p = random_bytes(rng, is_long ? 24 : 12);
  if (is_long)
    p[0] = 31;
  else if (p[0] == 31)
    p[0] = 30;
  return p;
}

bytes records(const std::vector<bytes>& packets) {
  bytes out;
  for (const bytes& p : packets) {
    out.push_back(static_cast<uint8_t>(p.size()));
    out.push_back(0);
    out.insert(out.end(), p.begin(), p.end());
  }
  return out;
}

// Superframes of 4800 bits: a sync packet and 49 slots of short or long packets.
std::vector<bytes> superframes(std::mt19937& rng, int count) {
  std::vector<bytes> packets;
  for (int f = 0; f < count; ++f) {
    packets.push_back(sync_packet(rng));
    for (unsigned left = 49; left > 0;) {
      const bool is_long = left >= 2 && rng() % 4 == 0;
      packets.push_back(random_packet(rng, is_long));
      left -= is_long ? 2 : 1;
    }
  }
  return packets;
}

}  // namespace

TEST(Demodulate, SymbolPairsGiveBits) {
  struct row {
    bytes recording;
    bytes signal;
  };
  const row rows[] = {
      {{}, {}},
      {{0x08}, {}},                  // one byte leaves no room for output
      {{0x02, 0x00}, {0x00}},        // symbols 2, 0, 0, ...: 2 -> 0 is not a step
      {{0x08, 0x00}, {0x01}},        // symbols 0, 2, 0: 0 -> 2 is a step, 2 -> 0 is not
      {{0x78, 0x00}, {0x0F}},        // 0 -> 2 -> 3 -> 1 -> 0: four steps
      {{0xB4, 0x00}, {0x00}},        // 0 -> 1 -> 3 -> 2 -> 0: four steps back
      {{0x0C, 0x00}, {0x00}},        // 0 -> 3 -> 0: two steps at once
      {{0xFF, 0xFF, 0xFF}, {0x00}},  // the same symbol throughout
      {{0x00, 0x80}, {0x40}},        // the last symbol only ends a pair: bit 7 gets nothing
      {{0x78, 0x78, 0x78}, {0xFF}},  // odd length: bits beyond N div 2 bytes are dropped
  };
  for (const row& r : rows) {
    EXPECT_EQ(demodulated(r.recording), r.signal) << testing::PrintToString(r.recording);
    EXPECT_EQ(reference::demodulate(r.recording), r.signal) << testing::PrintToString(r.recording);
  }
}

TEST(Demodulate, WordAtATimeMatchesTheBitByBitReference) {
  std::mt19937 rng(11);
  for (size_t n = 0; n < 200; ++n) {
    const bytes r = random_bytes(rng, n < 100 ? n : 1000 + rng() % 5000);
    EXPECT_EQ(demodulated(r), reference::demodulate(r)) << n;
  }
  // Bits that receive nothing keep their value: with an even length the last one, 4N - 1.
  const bytes r = random_bytes(rng, 64);
  bytes signal(32, 0xFF);
  tessaly::demodulate(r, signal);
  EXPECT_EQ(signal.back() & 0x80, 0x80);
  bytes expected = reference::demodulate(r);
  expected.back() |= 0x80;
  EXPECT_EQ(signal, expected);
}

TEST(Pipeline, RoundTripGivesThePlantedPackets) {
  std::mt19937 rng(2026);
  for (int round = 0; round < 12; ++round) {
    stream_builder s;
    const uint64_t noise = rng() % 3000;
    for (uint64_t i = 0; i < noise; ++i) s.bit(rng() % 2 != 0);
    const std::vector<bytes> packets = superframes(rng, 6 + round % 3);
    for (const bytes& p : packets) s.append(p);
    const uint64_t cut = rng() % 4800;  // the recording ends inside the last superframe
    const uint64_t signal_bytes = (s.size() - cut) / 8;
    const bytes recording = s.recording(signal_bytes * 2);

    const tessaly::output_images out = tessaly::process(recording);
    ASSERT_TRUE(out.synced) << round;
    bytes signal = s.signal(signal_bytes);
    signal.back() &= 0x7F;  // the last bit of an even-length recording receives nothing
    EXPECT_EQ(out.signal, signal) << round;
    EXPECT_EQ(out.packets, reference::packetize(out.signal)) << round;
    const bytes expected = records(packets);
    ASSERT_LE(out.packets.size(), expected.size());
    // The last length field may come from bits past the end (read as 0), not the planted byte.
    EXPECT_TRUE(std::equal(out.packets.begin(), out.packets.end() - 2, expected.begin())) << round;
    // Only the records of the bits cut off the end are missing.
    EXPECT_GT(out.packets.size(), expected.size() - cut / 8 * 2 - 30) << round;
  }
}

TEST(Pipeline, LongPacketsAndTheCutLastRecord) {
  std::mt19937 rng(5);
  stream_builder s;
  s.bits(0x2A, 7);  // the sync starts off a byte boundary
  std::vector<bytes> packets = superframes(rng, 5);
  packets[1] = random_packet(rng, true);  // the second packet is long...
  packets.erase(packets.begin() + 2);     // ...and takes the room of two short ones
  for (const bytes& p : packets) s.append(p);
  const bytes signal = s.signal(s.size() / 8 - 5);  // the last record loses bytes
  const bytes out = reference::packetize(signal);

  tessaly::output_images images;
  images.packets.assign(2 * signal.size(), 0);
  const tessaly::packet_result r = tessaly::packetize(signal, images.packets);
  images.packets.resize(r.bits / 8);
  EXPECT_TRUE(r.synced);
  EXPECT_EQ(images.packets, out);
  ASSERT_GT(out.size(), 14u + 26u);
  EXPECT_EQ(bytes(out.begin(), out.begin() + 4), (bytes{12, 0, 0x65, 0xA8}));
  EXPECT_EQ(bytes(out.begin() + 14, out.begin() + 16), (bytes{24, 0}));
  EXPECT_EQ(bytes(out.begin() + 16, out.begin() + 40), packets[1]);
  EXPECT_EQ(out[40], 12);
  const bytes all = records(packets);
  EXPECT_LT(out.size(), all.size());
  EXPECT_TRUE(std::equal(out.begin(), out.end(), all.begin()));
}

TEST(Pipeline, TheLastBitIsNeverCopied) {
  // The sync at 703 leaves exactly 201 short packets before the signal's last bit, which is 1.
  stream_builder s;
  s.bits(0, 703);
  std::mt19937 rng(9);
  std::vector<bytes> packets;
  for (int i = 0; i < 201; ++i)
    packets.push_back(i % 50 == 0 ? sync_packet(rng) : random_packet(rng, false));
  for (const bytes& p : packets) s.append(p);
  s.bit(true);
  bytes signal = s.signal(2500);
  ASSERT_EQ(s.size(), 20000u);
  EXPECT_EQ(tessaly::process(s.recording(5000)).signal.back() & 0x80, 0);
  bytes out(5000, 0);
  const tessaly::packet_result r = tessaly::packetize(signal, out);
  out.resize(r.bits / 8);
  bytes expected = records(packets);
  expected.push_back(12);
  expected.push_back(0);
  EXPECT_EQ(out, expected);
  EXPECT_EQ(out, reference::packetize(signal));
}

TEST(Pipeline, NoSyncLeavesOneEmptyRecord) {
  std::mt19937 rng(3);
  struct row {
    const char* what;
    std::vector<uint64_t> syncs;
  };
  const row rows[] = {
      {"none", {}},
      {"once", {500}},
      {"4799 apart", {500, 5299, 10098, 14897, 19696}},
      {"three repeats", {500, 5300, 10100, 14900}},
  };
  for (const row& r : rows) {
    stream_builder s;
    uint64_t at = 0;
    for (const uint64_t p : r.syncs) {
      s.bits(0, static_cast<unsigned>(p - at));
      s.bits(0xA865, 16);
      at = p + 16;
    }
    const bytes recording = s.recording(6000);
    const tessaly::output_images out = tessaly::process(recording);
    EXPECT_FALSE(out.synced) << r.what;
    EXPECT_EQ(out.signal.size(), 3000u);
    EXPECT_EQ(out.packets, (bytes{0, 0})) << r.what;
  }
  EXPECT_EQ(tessaly::process(random_bytes(rng, 1)).packets, (bytes{0, 0}));
}

class RunFile : public ::testing::Test {
 protected:
  temp_dir dir;

  static bytes synced_recording() {
    std::mt19937 rng(17);
    stream_builder s;
    s.bits(0x5, 300);
    for (const bytes& p : superframes(rng, 6)) s.append(p);
    return s.recording(s.size() / 4 + 10);
  }
};

TEST_F(RunFile, WritesBothFilesBesideTheRecording) {
  std::filesystem::create_directory(dir.file("rec"));
  const bytes recording = synced_recording();
  const std::string path = dir.write("rec/cap ture.wav", recording);
  (void)dir.write("rec/1_cap ture.wav.sig", bytes(100000, 0xEE));  // an old, longer result
  const tessaly::run_report r = tessaly::run_file(path);
  EXPECT_EQ(r.result, tessaly::outcome::done);
  EXPECT_EQ(r.message,
            "Готово. \nВ файле 0_cap ture.wav - обработанный сигнал. \n"
            "В файле 1_cap ture.wav.sig - пакеты с синхронизацией.");
  const tessaly::output_images expected = tessaly::process(recording);
  EXPECT_EQ(read_file(dir.file("rec/0_cap ture.wav")), expected.signal);
  EXPECT_EQ(read_file(dir.file("rec/1_cap ture.wav.sig")), expected.packets);
}

TEST_F(RunFile, NoSyncKeepsTheSignalAndWritesAnEmptyRecord) {
  const std::string path = dir.write("quiet.wav", bytes(5000, 0x00));
  const tessaly::run_report r = tessaly::run_file(path);
  EXPECT_EQ(r.result, tessaly::outcome::no_sync);
  EXPECT_EQ(r.message, "Нет синхронизации.   ");
  EXPECT_EQ(read_file(dir.file("0_quiet.wav")), bytes(2500, 0));
  EXPECT_EQ(read_file(dir.file("1_quiet.wav.sig")), (bytes{0, 0}));
}

TEST_F(RunFile, FileFailuresGiveTheErrorMessage) {
  const std::string held = dir.write("held.wav", synced_recording());
  // A writer holds the input.
  const int fd = ::open(held.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  // An output that someone holds fails the same way.
  const std::string ok = dir.write("ok.wav", synced_recording());
  const int out_fd = ::open(dir.write("1_ok.wav.sig", {}).c_str(), O_RDONLY);
  ASSERT_EQ(::flock(out_fd, LOCK_SH), 0);
  const std::string inputs[] = {dir.write("empty.wav", {}),
                                dir.write("one.wav", {0x42}),
                                dir.file("missing.wav"),
                                dir.path(),
                                held,
                                ok};
  for (const std::string& in : inputs) {
    const tessaly::run_report r = tessaly::run_file(in);
    EXPECT_EQ(r.result, tessaly::outcome::file_error) << in;
    EXPECT_EQ(r.message, "Ошибка при выполнении файловых операций.   ") << in;
  }
  ::close(fd);
  ::close(out_fd);
  EXPECT_EQ(tessaly::run_file(held).result, tessaly::outcome::done);
}
