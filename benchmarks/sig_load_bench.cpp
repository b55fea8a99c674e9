// Loading a SIG file into the packet store against a minimal loop that copies every record of the
// same mapped file into plain vectors. Each pair runs in the same process, so the ratio of their
// times survives a noisy machine. The bytes_per_packet counter is the resident-memory growth of
// one load divided by the packet count.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "files/signal_io.h"

namespace {

std::string make_file(uint32_t packets, uint32_t length) {
  const std::string path = "/tmp/pelorin-bench-" + std::to_string(packets) + "x" +
                           std::to_string(length) + ".sig";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<char> record(length + 2);
  record[0] = static_cast<char>(length & 0xFF);
  record[1] = static_cast<char>(length >> 8);
  for (uint32_t k = 0; k < packets; ++k) {
    for (uint32_t i = 0; i < length; ++i) record[2 + i] = static_cast<char>(k + i);
    out.write(record.data(), static_cast<std::streamsize>(record.size()));
  }
  return path;
}

long resident_bytes() {
  long pages = 0;
  long resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * sysconf(_SC_PAGESIZE);
}

// Resident memory held by the loaded data: measured after the file is unmapped.
void report_memory(benchmark::State& state, long before, long after, uint32_t packets) {
  state.counters["bytes_per_packet"] = static_cast<double>(after - before) / packets;
}

void BM_LoadSig(benchmark::State& state) {
  const auto packets = static_cast<uint32_t>(state.range(0));
  const auto length = static_cast<uint32_t>(state.range(1));
  const std::string path = make_file(packets, length);
  long before = 0;
  long after = 0;
  for (auto _ : state) {
    state.PauseTiming();
    malloc_trim(0);
    before = resident_bytes();
    state.ResumeTiming();
    PAKETS store;
    const load_result r = load_sig_file(path, store);
    benchmark::DoNotOptimize(r);
    state.PauseTiming();
    after = resident_bytes();
    if (store.size() != packets) state.SkipWithError("wrong packet count");
    unload_store(store);
    state.ResumeTiming();
  }
  report_memory(state, before, after, packets);
  state.SetItemsProcessed(state.iterations() * packets);
  std::remove(path.c_str());
}

void BM_LoadBaseline(benchmark::State& state) {
  const auto packets = static_cast<uint32_t>(state.range(0));
  const auto length = static_cast<uint32_t>(state.range(1));
  const std::string path = make_file(packets, length);
  long before = 0;
  long after = 0;
  for (auto _ : state) {
    state.PauseTiming();
    malloc_trim(0);
    before = resident_bytes();
    state.ResumeTiming();
    std::vector<std::vector<uint8_t>> store;
    const int fd = ::open(path.c_str(), O_RDONLY);
    const off_t size = ::lseek(fd, 0, SEEK_END);
    auto* data = static_cast<const uint8_t*>(
        ::mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0));
    const uint8_t* pos = data;
    const uint8_t* end = data + size;
    while (pos + 2 <= end) {
      const size_t n = pos[0] | (pos[1] << 8);
      pos += 2;
      store.emplace_back(pos, pos + n);
      pos += n;
    }
    ::munmap(const_cast<uint8_t*>(data), static_cast<size_t>(size));
    ::close(fd);
    benchmark::DoNotOptimize(store.data());
    state.PauseTiming();
    after = resident_bytes();
    if (store.size() != packets) state.SkipWithError("wrong packet count");
    store = {};
    state.ResumeTiming();
  }
  report_memory(state, before, after, packets);
  state.SetItemsProcessed(state.iterations() * packets);
  std::remove(path.c_str());
}

}  // namespace

BENCHMARK(BM_LoadSig)->Args({1000000, 12})->Args({100000, 200})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBaseline)->Args({1000000, 12})->Args({100000, 200})->Unit(benchmark::kMillisecond);
