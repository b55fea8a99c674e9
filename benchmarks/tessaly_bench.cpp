// Tessaly's two passes over a 64 MiB recording against a memory-bound baseline that reads every
// byte of the recording once and writes as many bytes as the two outputs hold, through the same
// kind of mapped files. Both run in the same process, so the ratio of their times survives a
// noisy machine. The recording carries a sync every 4800 bits, so the second pass cuts packets
// all the way.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "demodulator/core/modulator.h"
#include "demodulator/core/pipeline.h"

namespace {

constexpr size_t recording_bytes = 64u << 20;
const std::string folder = "/tmp/tessaly-bench";

// A recording whose processed signal is random packets with a sync packet every 4800 bits.
std::vector<uint8_t> make_recording() {
  std::mt19937_64 rng(42);
  tessaly::modulator m;
  m.put_symbol(0);
  std::vector<uint8_t> superframe(600);
  while (m.symbols() < recording_bytes * 4) {
    for (size_t i = 0; i < superframe.size(); i += 8) {
      const uint64_t r = rng();
      std::memcpy(superframe.data() + i, &r, 8);
    }
    superframe[0] = 0x65;
    superframe[1] = 0xA8;
    for (size_t p = 12; p < superframe.size(); p += 12) {
      if (superframe[p] == 31) superframe[p] = 30;
    }
    m.put_bytes(superframe);
  }
  std::vector<uint8_t> r = m.bytes();
  r.resize(recording_bytes);
  return r;
}

const std::string& recording_file() {
  static const std::string path = [] {
    (void)std::system(("mkdir -p " + folder).c_str());
    const std::string p = folder + "/rec.wav";
    const std::vector<uint8_t> r = make_recording();
    std::ofstream(p, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(r.data()), static_cast<std::streamsize>(r.size()));
    return p;
  }();
  return path;
}

size_t file_size(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return static_cast<size_t>(in.tellg());
}

// Creates a file of n bytes through a mapping and writes every byte.
void write_mapped(const std::string& path, size_t n, uint8_t value) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  if (::ftruncate(fd, static_cast<off_t>(n)) != 0) std::abort();
  void* view = ::mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  std::memset(view, value, n);
  ::munmap(view, n);
  ::close(fd);
}

void BM_TessalyPipeline(benchmark::State& state) {
  const std::string& path = recording_file();
  for (auto _ : state) {
    const tessaly::run_report r = tessaly::run_file(path);
    if (r.result != tessaly::outcome::done) state.SkipWithError("no sync in the recording");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * recording_bytes));
}

void BM_TessalyBaseline(benchmark::State& state) {
  const std::string& path = recording_file();
  (void)tessaly::run_file(path);
  const size_t packets = file_size(folder + "/1_rec.wav.sig");
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    const auto* in =
        static_cast<const uint8_t*>(::mmap(nullptr, recording_bytes, PROT_READ, MAP_SHARED, fd, 0));
    uint64_t sum = 0;
    for (size_t i = 0; i < recording_bytes; i += 8) {
      uint64_t w = 0;
      std::memcpy(&w, in + i, 8);
      sum += w;
    }
    ::munmap(const_cast<uint8_t*>(in), recording_bytes);
    ::close(fd);
    write_mapped(folder + "/0_base", recording_bytes / 2, static_cast<uint8_t>(sum));
    write_mapped(folder + "/1_base", packets, static_cast<uint8_t>(sum >> 8));
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * recording_bytes));
}

// The same two passes in memory, against reading the recording and filling two buffers.
void BM_TessalyInMemory(benchmark::State& state) {
  std::ifstream in(recording_file(), std::ios::binary);
  std::vector<uint8_t> r(recording_bytes);
  in.read(reinterpret_cast<char*>(r.data()), static_cast<std::streamsize>(r.size()));
  for (auto _ : state) {
    const tessaly::output_images out = tessaly::process(r);
    benchmark::DoNotOptimize(out.packets.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * recording_bytes));
}

void BM_TessalyInMemoryBaseline(benchmark::State& state) {
  std::ifstream in(recording_file(), std::ios::binary);
  std::vector<uint8_t> r(recording_bytes);
  in.read(reinterpret_cast<char*>(r.data()), static_cast<std::streamsize>(r.size()));
  const size_t packets = tessaly::process(r).packets.size();
  for (auto _ : state) {
    uint64_t sum = 0;
    for (size_t i = 0; i < recording_bytes; i += 8) {
      uint64_t w = 0;
      std::memcpy(&w, r.data() + i, 8);
      sum += w;
    }
    std::vector<uint8_t> signal(recording_bytes / 2, static_cast<uint8_t>(sum));
    std::vector<uint8_t> records(packets, static_cast<uint8_t>(sum >> 8));
    benchmark::DoNotOptimize(signal.data());
    benchmark::DoNotOptimize(records.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * recording_bytes));
}

}  // namespace

BENCHMARK(BM_TessalyPipeline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TessalyBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TessalyInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TessalyInMemoryBaseline)->Unit(benchmark::kMillisecond);
