// The statistics over 1,000,000 packets of 12 bytes against plain loops that count the same keys
// in a flat array and sort the variants found. The statistics read the store and change nothing,
// so each benchmark builds its store once, outside the timed loop.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "bench_store.h"
#include "core/statistics/statistics.h"

namespace {

constexpr uint32_t packet_count = 1000000;
constexpr uint32_t packet_length = 12;

using plain = std::vector<std::vector<uint8_t>>;
using counted = std::vector<std::pair<uint32_t, uint32_t>>;  // (count, key)

// The non-zero counters, by count descending and then key ascending.
counted sort_counts(const std::vector<uint32_t>& counts) {
  counted found;
  for (uint32_t key = 0; key < counts.size(); ++key) {
    if (counts[key] != 0) found.emplace_back(counts[key], key);
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  return found;
}

void time_statistics(benchmark::State& state, stat_mode mode, std::vector<uint32_t> positions,
                     size_t variants) {
  PAKETS store;
  fill_store(store, packet_count, packet_length);
  for (auto _ : state) {
    pass run;
    const stat_result r = statistics(store, mode, positions, run);
    benchmark::DoNotOptimize(r.variants.size());
    if (r.variants.size() != variants || r.processed != static_cast<int32_t>(packet_count)) {
      state.SkipWithError("wrong result");
    }
  }
  unload_store(store);
  state.SetItemsProcessed(state.iterations() * packet_count);
}

// Bytes 1 and 2 of every packet.
void BM_StatisticsTwoBytes(benchmark::State& state) {
  time_statistics(state, stat_mode::bytes, {0, 1}, 256);
}

// The same keys in 65536 counters.
void BM_StatisticsTwoBytesBaseline(benchmark::State& state) {
  plain store;
  fill_plain(store, packet_count, packet_length);
  for (auto _ : state) {
    std::vector<uint32_t> counts(65536, 0);
    for (const std::vector<uint8_t>& p : store) {
      if (p.size() >= 2) ++counts[uint32_t{p[0]} << 8 | p[1]];
    }
    const counted found = sort_counts(counts);
    benchmark::DoNotOptimize(found.data());
    if (found.size() != 256) state.SkipWithError("wrong result");
  }
  state.SetItemsProcessed(state.iterations() * packet_count);
}

void BM_StatisticsLengths(benchmark::State& state) {
  time_statistics(state, stat_mode::lengths, {}, 1);
}

// The lengths in 65536 counters.
void BM_StatisticsLengthsBaseline(benchmark::State& state) {
  plain store;
  fill_plain(store, packet_count, packet_length);
  for (auto _ : state) {
    std::vector<uint32_t> counts(65536, 0);
    for (const std::vector<uint8_t>& p : store) ++counts[p.size() & 0xFFFF];
    const counted found = sort_counts(counts);
    benchmark::DoNotOptimize(found.data());
    if (found.size() != 1) state.SkipWithError("wrong result");
  }
  state.SetItemsProcessed(state.iterations() * packet_count);
}

}  // namespace

BENCHMARK(BM_StatisticsTwoBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatisticsTwoBytesBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatisticsLengths)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatisticsLengthsBaseline)->Unit(benchmark::kMillisecond);
