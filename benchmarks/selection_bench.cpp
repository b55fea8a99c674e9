// The selections by length and by values over 1,000,000 packets of 12 bytes, each against a loop
// over std::vector<std::vector<uint8_t>> (with a colour vector beside it) that does the same work,
// in the same process. The stores are rebuilt outside the timed part before every iteration. And
// the build of long condition lists against the per-condition tables any build has to fill.

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "bench_store.h"
#include "core/operations/select_by_length.h"
#include "core/operations/select_by_values.h"

namespace {

constexpr uint32_t packet_count = 1000000;
constexpr uint32_t packet_length = 12;
constexpr uint32_t red = 0x0000FF;

using plain = std::vector<std::vector<uint8_t>>;

// Every packet is 12 bytes long, so "равна 12" colours them all.
void BM_SelectByLength(benchmark::State& state) {
  time_store_pass(
      state, packet_count, packet_length,
      [](PAKETS& store, pass& run) {
        select_by_length(store, scope{}, {length_operator::equal, packet_length, red}, run);
      },
      [](const PAKETS&, const pass& run) {
        return run.result.recoloured == static_cast<int32_t>(packet_count) ? nullptr
                                                                           : "wrong count";
      });
}

// The same: the length read at run time as the logic reads its parameters, the matches coloured
// and counted with the packets visited.
void BM_SelectByLengthBaseline(benchmark::State& state) {
  std::vector<uint32_t> colours(packet_count, 0xFFFFFF);
  uint32_t length = packet_length;
  benchmark::DoNotOptimize(length);
  int32_t recoloured = 0;
  time_plain_pass(
      state, packet_count, packet_length,
      [&colours, &recoloured, length](plain& store) {
        int32_t processed = 0;
        recoloured = 0;
        for (size_t i = 0; i < store.size(); ++i) {
          if (store[i].size() == length) {
            colours[i] = red;
            ++recoloured;
          }
          ++processed;
        }
        benchmark::DoNotOptimize(processed);
        benchmark::DoNotOptimize(recoloured);
        benchmark::DoNotOptimize(colours.data());
      },
      [&recoloured](const plain&) {
        return recoloured == static_cast<int32_t>(packet_count) ? nullptr : "wrong count";
      });
}

// Byte 1 = 0 (every even packet), byte 5 ≠ 3, byte 12 ≥ 0.
const CLAUSES three_bytes = {
    {clause_element::byte, clause_operator::equal, 1, 0},
    {clause_element::byte, clause_operator::not_equal, 5, 3},
    {clause_element::byte, clause_operator::at_least, 12, 0},
};

void BM_SelectByThreeBytes(benchmark::State& state) {
  time_store_pass(
      state, packet_count, packet_length,
      [](PAKETS& store, pass& run) { select_by_values(store, scope{}, three_bytes, red, run); },
      [](const PAKETS&, const pass& run) {
        // Byte 5 of packet k is (k + 4) mod 256: 3 only for odd k, whose byte 1 is 1.
        return run.result.recoloured == static_cast<int32_t>(packet_count / 2) ? nullptr
                                                                               : "wrong count";
      });
}

// The same conditions, their values read at run time, tested in list order; the matches
// coloured and counted with the packets visited.
void BM_SelectByThreeBytesBaseline(benchmark::State& state) {
  std::vector<uint32_t> colours(packet_count, 0xFFFFFF);
  uint8_t equal = 0;
  uint8_t not_equal = 3;
  uint8_t at_least = 0;
  benchmark::DoNotOptimize(equal);
  benchmark::DoNotOptimize(not_equal);
  benchmark::DoNotOptimize(at_least);
  int32_t recoloured = 0;
  time_plain_pass(
      state, packet_count, packet_length,
      [&colours, &recoloured, equal, not_equal, at_least](plain& store) {
        int32_t processed = 0;
        recoloured = 0;
        for (size_t i = 0; i < store.size(); ++i) {
          const std::vector<uint8_t>& p = store[i];
          if (p.size() >= 1 && p[0] == equal && p.size() >= 5 && p[4] != not_equal &&
              p.size() >= 12 && p[11] >= at_least) {
            colours[i] = red;
            ++recoloured;
          }
          ++processed;
        }
        benchmark::DoNotOptimize(processed);
        benchmark::DoNotOptimize(recoloured);
        benchmark::DoNotOptimize(colours.data());
      },
      [&recoloured](const plain&) {
        return recoloured == static_cast<int32_t>(packet_count / 2) ? nullptr : "wrong count";
      });
}

// A list of n conditions on n different bytes, in an order that is neither ascending nor
// descending (position 7919 k mod n, plus 1), each byte condition followed by a bit condition on
// the same byte.
CLAUSES scattered_conditions(uint32_t n) {
  CLAUSES list;
  list.reserve(2 * size_t{n});
  for (uint32_t k = 0; k < n; ++k) {
    const auto position = static_cast<uint32_t>(uint64_t{7919} * k % n) + 1;
    list.push_back({clause_element::byte, clause_operator::at_least, position, 1});
    list.push_back({clause_element::bit, clause_operator::equal, 8 * position, 0});
  }
  return list;
}

// Making a list of conditions ready for a pass; the figure per condition stays flat as the list
// grows when the build is O(n log n).
void BM_BuildConditions(benchmark::State& state) {
  const CLAUSES list = scattered_conditions(static_cast<uint32_t>(state.range(0)));
  for (auto _ : state) {
    const clause_test test(list);
    benchmark::DoNotOptimize(&test);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(list.size()));
}

// The work no build can skip: one table of the 256 byte values a condition accepts, for every
// condition, without bringing those on one byte together.
void BM_BuildConditionsBaseline(benchmark::State& state) {
  const CLAUSES list = scattered_conditions(static_cast<uint32_t>(state.range(0)));
  std::vector<std::array<bool, 256>> tables(list.size());
  for (auto _ : state) {
    for (size_t i = 0; i < list.size(); ++i) {
      const xsort_clause& c = list[i];
      for (unsigned v = 0; v < 256; ++v) {
        tables[i][v] = c.element == clause_element::bit
                           ? ((v >> ((c.position - 1) & 7)) & 1) == c.value
                           : v >= c.value;
      }
    }
    benchmark::DoNotOptimize(tables.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(list.size()));
}

}  // namespace

BENCHMARK(BM_BuildConditions)->Arg(1000)->Arg(9000)->Arg(81000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildConditionsBaseline)
    ->Arg(1000)
    ->Arg(9000)
    ->Arg(81000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectByLength)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectByLengthBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectByThreeBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectByThreeBytesBaseline)->Unit(benchmark::kMillisecond);
