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

constexpr uint32_t packet_count = 1000000;
constexpr uint32_t packet_length = 12;

using plain = std::vector<std::vector<uint8_t>>;

// "Keep the packets with this byte" on byte 0 of packet 0.
void BM_QuickFilterHalf(benchmark::State& state) {
  time_store_pass(
      state, packet_count, packet_length,
      [](PAKETS& store, pass& run) {
        quick_filter(store, {filter_criterion::byte, false, 0, 0}, run);
      },
      [](const PAKETS& store, const pass&) {
        return store.size() == packet_count / 2 ? nullptr : "wrong packet count";
      });
}

// The same: the reference byte once, every packet tested, the others freed, the rest moved down.
void BM_QuickFilterHalfBaseline(benchmark::State& state) {
  time_plain_pass(
      state, packet_count, packet_length,
      [](plain& store) {
        const uint8_t reference = store[0][0];
        std::erase_if(store, [reference](const std::vector<uint8_t>& p) {
          return !(p.size() > 0 && p[0] == reference);
        });
      },
      [](const plain& store) {
        return store.size() == packet_count / 2 ? nullptr : "wrong packet count";
      });
}

// Byte-mode cut of 2 leading bytes from every packet.
void BM_CutTwoLeadingBytes(benchmark::State& state) {
  time_store_pass(
      state, packet_count, packet_length,
      [](PAKETS& store, pass& run) { cut(store, scope{}, cut_params{false, 2, 0}, run); },
      [](const PAKETS&, const pass& run) {
        return run.result.changed == static_cast<int32_t>(packet_count) ? nullptr
                                                                        : "wrong changed count";
      });
}

// The same: every packet whose length allows it loses its first 2 bytes.
void BM_CutTwoLeadingBytesBaseline(benchmark::State& state) {
  time_plain_pass(
      state, packet_count, packet_length,
      [](plain& store) {
        for (std::vector<uint8_t>& p : store) {
          if (p.size() > 2) p.erase(p.begin(), p.begin() + 2);
        }
      },
      [](const plain& store) { return store[0].size() == packet_length - 2 ? nullptr : "no cut"; });
}

// The floor under every pass over the store: the walk in packet-number order that reads each
// packet's length and nothing else.
void BM_StoreWalkFloor(benchmark::State& state) {
  PAKETS store;
  fill_store(store, packet_count, packet_length);
  for (auto _ : state) {
    uint64_t bits = 0;
    for (const auto& [number, p] : store) bits += p->bit_length();
    benchmark::DoNotOptimize(bits);
  }
  unload_store(store);
  state.SetItemsProcessed(state.iterations() * packet_count);
}

// The same walk over a plain std::vector of the same packets, made the same way.
void BM_StoreWalkFloorBaseline(benchmark::State& state) {
  std::vector<xpaket*> store;
  store.reserve(packet_count);
  std::vector<uint8_t> b(packet_length);
  for (uint32_t k = 0; k < packet_count; ++k) {
    b[0] = static_cast<uint8_t>(k & 1);
    for (uint32_t i = 1; i < packet_length; ++i) b[i] = static_cast<uint8_t>(k + i);
    store.push_back(new xpaket(b.data(), packet_length));
  }
  for (auto _ : state) {
    uint64_t bits = 0;
    for (const xpaket* p : store) bits += p->bit_length();
    benchmark::DoNotOptimize(bits);
  }
  for (xpaket* p : store) delete p;
  state.SetItemsProcessed(state.iterations() * packet_count);
}

}  // namespace

BENCHMARK(BM_QuickFilterHalf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickFilterHalfBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutTwoLeadingBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutTwoLeadingBytesBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreWalkFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreWalkFloorBaseline)->Unit(benchmark::kMillisecond);
