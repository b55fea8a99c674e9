// The logic halves of the quick filter and the cut over 1,000,000 packets of 12 bytes, each against
// a loop over std::vector<std::vector<uint8_t>> that does the same work. Each pair runs in the same
// process, so the ratio of their times survives a noisy machine. The stores are rebuilt outside
// the timed part before every iteration.

#include <benchmark/benchmark.h>

#include <vector>

#include "bench_store.h"
#include "core/operations/quick_filter.h"
#include "core/operations/cut.h"

namespace {

using plain_store = std::vector<std::vector<uint8_t>>;

constexpr uint32_t packet_count = 1000000;
constexpr uint32_t packet_length = 12;

void fill(PAKETS& store) { fill_store(store, packet_count, packet_length); }
void fill(plain_store& store) { fill_plain(store, packet_count, packet_length); }

// "Keep the packets with this byte" on byte 0 of packet 0.
void BM_QuickFilterHalf(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    fill(store);
    state.ResumeTiming();
    pass run;
    quick_filter(store, {filter_criterion::byte, false, 0, 0}, run);
    state.PauseTiming();
    if (store.size() != packet_count / 2) state.SkipWithError("wrong packet count");
    unload_store(store);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * packet_count);
}

// The same: the reference byte once, every packet tested, the others freed, the rest moved down.
void BM_QuickFilterHalfBaseline(benchmark::State& state) {
  plain_store store;
  for (auto _ : state) {
    state.PauseTiming();
    fill(store);
    state.ResumeTiming();
    const uint8_t reference = store[0][0];
    std::erase_if(store, [reference](const std::vector<uint8_t>& p) {
      return !(p.size() > 0 && p[0] == reference);
    });
    benchmark::DoNotOptimize(store.data());
    state.PauseTiming();
    if (store.size() != packet_count / 2) state.SkipWithError("wrong packet count");
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * packet_count);
}

// Byte-mode cut of 2 leading bytes from every packet.
void BM_CutTwoLeadingBytes(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    fill(store);
    state.ResumeTiming();
    pass run;
    cut(store, scope{}, cut_params{false, 2, 0}, run);
    state.PauseTiming();
    if (run.result.changed != static_cast<int32_t>(packet_count)) {
      state.SkipWithError("wrong changed count");
    }
    unload_store(store);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * packet_count);
}

// The same: every packet whose length allows it loses its first 2 bytes, counted.
void BM_CutTwoLeadingBytesBaseline(benchmark::State& state) {
  plain_store store;
  for (auto _ : state) {
    state.PauseTiming();
    fill(store);
    state.ResumeTiming();
    int32_t changed = 0;
    for (std::vector<uint8_t>& p : store) {
      if (p.size() > 2) {
        p.erase(p.begin(), p.begin() + 2);
        ++changed;
      }
    }
    benchmark::DoNotOptimize(changed);
    state.PauseTiming();
    if (changed != static_cast<int32_t>(packet_count)) state.SkipWithError("wrong changed count");
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * packet_count);
}

// The floor under every pass over the store: the walk in packet-number order that reads each
// packet's length and nothing else.
void BM_StoreWalkFloor(benchmark::State& state) {
  PAKETS store;
  fill(store);
  for (auto _ : state) {
    uint64_t bits = 0;
    for (const auto& [number, p] : store) bits += p->bit_length();
    benchmark::DoNotOptimize(bits);
  }
  unload_store(store);
  state.SetItemsProcessed(state.iterations() * packet_count);
}

}  // namespace

BENCHMARK(BM_QuickFilterHalf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickFilterHalfBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutTwoLeadingBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutTwoLeadingBytesBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreWalkFloor)->Unit(benchmark::kMillisecond);
