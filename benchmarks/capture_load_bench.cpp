// Loading the same packets from a pcap file and from a SIG file, in the same run: the ratio of the
// two times is the cost of the capture reader against the SIG reader.
// Only the load is timed, in CPU time of the thread, so that other work on the machine does not
// weigh on one side more than the other; destroying the packets between iterations is not timed.

#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdio>
#include <string>

#include "bench_store.h"
#include "core/files/signal_io.h"

namespace {

double thread_seconds() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Writes `count` packets of `length` bytes in `format` and returns the file's path.
std::string make_file(uint32_t count, uint32_t length, signal_format format) {
  const std::string path = "/tmp/pelorin-bench-capture-" + std::to_string(count) + "x" +
                           std::to_string(length) +
                           (format == signal_format::capture ? ".pcap" : ".sig");
  PAKETS store;
  fill_store(store, count, length);
  if (save_signal_file(path, store, format).status != save_status::saved) return {};
  unload_store(store);
  return path;
}

void load_from(benchmark::State& state, signal_format format) {
  const auto count = static_cast<uint32_t>(state.range(0));
  const auto length = static_cast<uint32_t>(state.range(1));
  const std::string path = make_file(count, length, format);
  if (path.empty()) {
    state.SkipWithError("cannot write the sample file");
    return;
  }
  for (auto _ : state) {
    PAKETS store;
    const double t0 = thread_seconds();
    const load_result r = load_sig_file(path, store);
    state.SetIterationTime(thread_seconds() - t0);
    if (!r.ok || store.size() != count) state.SkipWithError("wrong packet count");
    unload_store(store);
  }
  state.SetItemsProcessed(state.iterations() * count);
  std::remove(path.c_str());
}

void BM_LoadCapturePcap(benchmark::State& state) {
  load_from(state, signal_format::capture);
}
void BM_LoadCaptureSig(benchmark::State& state) {
  load_from(state, signal_format::sig);
}

}  // namespace

BENCHMARK(BM_LoadCapturePcap)->Args({1000000, 12})->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCaptureSig)->Args({1000000, 12})->UseManualTime()->Unit(benchmark::kMillisecond);
