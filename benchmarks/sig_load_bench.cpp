// Loading a SIG file into the packet store against a minimal loop that copies every record of the
// same mapped file into plain vectors, both in the same run so that the ratio of their times
// survives a noisy machine.
//
// Every load runs in a fresh child process, as a program that opens a file does: the timings then
// include the page faults of the memory the load takes, and nothing an earlier iteration freed
// (or gave back to the system) distorts the next. The bytes_per_packet counter is the heap memory
// the loaded data holds (malloc's chunks in use, headers included, plus mmapped blocks) divided
// by the packet count.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/files/signal_io.h"

namespace {

std::string make_file(uint32_t packets, uint32_t length) {
  const std::string path =
      "/tmp/pelorin-bench-" + std::to_string(packets) + "x" + std::to_string(length) + ".sig";
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

long heap_bytes() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long>(info.uordblks + info.hblkhd);
}

struct sample {
  double seconds;
  long heap;
  size_t packets;
};

// Runs load(path) -> packet count in a child process; returns its time and heap growth.
template <typename Load>
sample in_child(const std::string& path, Load load) {
  int fds[2];
  if (::pipe(fds) != 0) return {0, 0, 0};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    const long before = heap_bytes();
    const auto t0 = std::chrono::steady_clock::now();
    sample s{};
    s.packets = load(path, [&] { s.heap = heap_bytes() - before; });
    s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (::write(fds[1], &s, sizeof s) != sizeof s) ::_exit(1);
    ::_exit(0);
  }
  ::close(fds[1]);
  sample s{};
  if (::read(fds[0], &s, sizeof s) != sizeof s) s = {0, 0, 0};
  ::close(fds[0]);
  ::waitpid(pid, nullptr, 0);
  return s;
}

// Loads through the program's reader. `measured` is called with the data still held.
template <typename Measured>
size_t load_store(const std::string& path, Measured measured) {
  PAKETS store;
  const load_result r = load_sig_file(path, store);
  benchmark::DoNotOptimize(r);
  measured();
  return store.size();  // the child exits without freeing: as fast for both sides
}

template <typename Measured>
size_t load_baseline(const std::string& path, Measured measured) {
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
  measured();
  return store.size();
}

template <bool baseline>
void BM_Load(benchmark::State& state) {
  const auto packets = static_cast<uint32_t>(state.range(0));
  const auto length = static_cast<uint32_t>(state.range(1));
  const std::string path = make_file(packets, length);
  long heap = 0;
  for (auto _ : state) {
    const sample s =
        baseline ? in_child(path, [](const std::string& p, auto m) { return load_baseline(p, m); })
                 : in_child(path, [](const std::string& p, auto m) { return load_store(p, m); });
    if (s.packets != packets) state.SkipWithError("wrong packet count");
    state.SetIterationTime(s.seconds);
    heap = s.heap;
  }
  state.counters["bytes_per_packet"] = static_cast<double>(heap) / packets;
  state.SetItemsProcessed(state.iterations() * packets);
  std::remove(path.c_str());
}

void BM_LoadSig(benchmark::State& state) {
  BM_Load<false>(state);
}
void BM_LoadBaseline(benchmark::State& state) {
  BM_Load<true>(state);
}

}  // namespace

BENCHMARK(BM_LoadSig)
    ->Args({1000000, 12})
    ->Args({100000, 200})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBaseline)
    ->Args({1000000, 12})
    ->Args({100000, 200})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
