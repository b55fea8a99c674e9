#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>

#include "demodulator/core/memory_stream.h"
#include "demodulator/core/output_file.h"
#include "demodulator/core/packetize.h"
#include "demodulator/core/pipeline.h"
#include "stream_builder.h"
#include "support/special_files.h"
#include "support/temp_dir.h"

namespace {

using bytes = std::vector<uint8_t>;

// A signal of zeros with a confirmed sync at bit 0: every packet is a short one (the sync's
// first byte is 101, not 31), the most length fields per signal byte there can be.
bytes short_packets_signal(uint64_t signal_bytes) {
  stream_builder s;
  for (uint64_t at = 0; at + 16 <= signal_bytes * 8; at += tessaly::sync_period) {
    s.bits(0xA865, 16);
    s.bits(0, static_cast<unsigned>(tessaly::sync_period - 16));
  }
  return s.signal(signal_bytes);
}

std::set<std::string> names_in(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) {
    names.insert(e.path().filename().string());
  }
  return names;
}

// A recording with a sync: its outputs are a signal and several packets.
bytes synced_recording() {
  stream_builder s;
  for (int i = 0; i < 6; ++i) {
    s.bits(0xA865, 16);
    s.bits(0, static_cast<unsigned>(tessaly::sync_period - 16));
  }
  return s.recording(s.size() / 4 + 10);
}

}  // namespace

TEST(HostileTessaly, PacketRoomIsWhatTheDensestSignalNeeds) {
  for (const uint64_t n :
       {1ull, 2ull, 11ull, 12ull, 13ull, 600ull, 601ull, 3000ull, 3011ull, 6001ull}) {
    const bytes signal = short_packets_signal(n);
    bytes out(tessaly::packet_room(n), 0);  // exactly the room, nothing to spare
    const tessaly::packet_result r = tessaly::packetize(signal, out);
    const uint64_t used = r.bits / 8;
    EXPECT_LE(used, out.size()) << n;
    if (n >= 3000) {  // five syncs: found and confirmed
      EXPECT_TRUE(r.synced) << n;
      EXPECT_LE(out.size() - used, 4u) << n;  // a bound, not a guess
    }
    EXPECT_LE(tessaly::packet_room(n), n * 7 / 6 + 6) << n;
  }
}

TEST(HostileTessaly, AFifoIsRefusedAtOnce) {
  temp_dir dir;
  const std::string fifo = make_fifo(dir, "pipe.wav");
  ASSERT_FALSE(fifo.empty());
  const auto result = within_seconds(10, fifo, [&fifo] { return tessaly::run_file(fifo).result; });
  ASSERT_TRUE(result.has_value()) << "the open blocked";
  EXPECT_EQ(*result, tessaly::outcome::file_error);
  const auto thrown = within_seconds(10, fifo, [&fifo] {
    sysx::memory_stream s;
    try {
      s.create_file(fifo, sysx::memory_stream::read);
    } catch (const std::invalid_argument&) {
      return true;
    }
    return false;
  });
  ASSERT_TRUE(thrown.has_value()) << "the open blocked";
  EXPECT_TRUE(*thrown);
}

TEST(HostileTessaly, AnInputCutAfterItWasOpenedIsStillReadable) {
  temp_dir dir;
  const std::string path = dir.write("rec.wav", bytes(100000, 0x5A));
  sysx::memory_stream in;
  in.create_file(path, sysx::memory_stream::read);
  (void)in.map(0);
  ASSERT_EQ(::truncate(path.c_str(), 0), 0);
  // A mapping of the file would fault here.
  uint64_t sum = 0;
  for (uint32_t i = 0; i < in.byte_size(); ++i) sum += in.data()[i];
  EXPECT_EQ(sum, 100000u * 0x5A);
  in.unmap();
  in.close(0);
}

TEST(HostileTessaly, AFullDiskLeavesNoOutputAndTheOldFilesAlone) {
  temp_dir dir;
  const bytes recording = synced_recording();
  const std::string path = dir.write("rec.wav", recording);
  const tessaly::output_images images = tessaly::process(recording);
  ASSERT_TRUE(images.synced);
  const bytes old_signal{1, 2, 3};
  const bytes old_packets{4, 0, 9, 9, 9, 9};
  (void)dir.write("0_rec.wav", old_signal);
  (void)dir.write("1_rec.wav.sig", old_packets);
  const std::set<std::string> before = names_in(dir.path());
  const uint64_t signal_bytes = images.signal.size();
  struct row {
    const char* what;
    uint64_t writable;
  };
  const row rows[] = {
      {"nothing fits", 0},
      {"half the signal", signal_bytes / 2},
      {"the signal, not the packets", signal_bytes},
      {"all but the last packet byte", signal_bytes + images.packets.size() - 1},
  };
  for (const row& r : rows) {
    tessaly::fail_output_after_for_testing(r.writable);
    const tessaly::run_report report = tessaly::run_file(path);
    tessaly::fail_output_after_for_testing(std::nullopt);
    EXPECT_EQ(report.result, tessaly::outcome::file_error) << r.what;
    EXPECT_EQ(read_file(dir.file("0_rec.wav")), old_signal) << r.what;
    EXPECT_EQ(read_file(dir.file("1_rec.wav.sig")), old_packets) << r.what;
    EXPECT_EQ(names_in(dir.path()), before) << r.what;
  }
  tessaly::fail_output_after_for_testing(signal_bytes + images.packets.size());
  EXPECT_EQ(tessaly::run_file(path).result, tessaly::outcome::done);
  tessaly::fail_output_after_for_testing(std::nullopt);
  EXPECT_EQ(read_file(dir.file("0_rec.wav")), images.signal);
  EXPECT_EQ(read_file(dir.file("1_rec.wav.sig")), images.packets);
  EXPECT_EQ(names_in(dir.path()), before);
}

TEST(HostileTessaly, AnOutputThatIsNoRegularFileIsRefused) {
  temp_dir dir;
  const std::string path = dir.write("rec.wav", synced_recording());
  const std::string fifo = make_fifo(dir, "1_rec.wav.sig");
  const auto result = within_seconds(10, fifo, [&path] { return tessaly::run_file(path).result; });
  ASSERT_TRUE(result.has_value()) << "the output blocked";
  EXPECT_EQ(*result, tessaly::outcome::file_error);
  EXPECT_TRUE(is_fifo(fifo));
  EXPECT_FALSE(std::filesystem::exists(dir.file("0_rec.wav")));
}
