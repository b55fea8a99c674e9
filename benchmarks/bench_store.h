#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "core/model/pakets.h"
#include "core/operations/pass.h"

// The store the operation benchmarks work on: `count` packets of `length` bytes. Byte 0 of packet k
// is k mod 2, so a filter on that byte deletes every second packet; the other bytes vary.
inline void fill_store(PAKETS& store, uint32_t count, uint32_t length) {
  std::vector<uint8_t> b(length);
  for (uint32_t k = 0; k < count; ++k) {
    if (length > 0) b[0] = static_cast<uint8_t>(k & 1);
    for (uint32_t i = 1; i < length; ++i) b[i] = static_cast<uint8_t>(k + i);
    store.append(new xpaket(b.data(), length));
  }
}

// The same packets as plain vectors, for the baselines.
inline void fill_plain(std::vector<std::vector<uint8_t>>& store, uint32_t count, uint32_t length) {
  store.clear();
  store.reserve(count);
  std::vector<uint8_t> b(length);
  for (uint32_t k = 0; k < count; ++k) {
    if (length > 0) b[0] = static_cast<uint8_t>(k & 1);
    for (uint32_t i = 1; i < length; ++i) b[i] = static_cast<uint8_t>(k + i);
    store.push_back(b);
  }
}

// The shape of every operation benchmark: `run` works on a fresh store of `count` packets of
// `length` bytes, built and destroyed outside the timed part; `check` looks at the store and the
// pass afterwards and returns an error text (or null) that marks the run as failed.
template <typename Run, typename Check>
void time_store_pass(benchmark::State& state, uint32_t count, uint32_t length, Run run,
                     Check check) {
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    fill_store(store, count, length);
    pass p;
    state.ResumeTiming();
    run(store, p);
    state.PauseTiming();
    if (const char* error = check(store, p)) state.SkipWithError(error);
    unload_store(store);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
}

// Its baseline: `run` does the same work on plain vectors; `check` as above.
template <typename Run, typename Check>
void time_plain_pass(benchmark::State& state, uint32_t count, uint32_t length, Run run,
                     Check check) {
  std::vector<std::vector<uint8_t>> store;
  for (auto _ : state) {
    state.PauseTiming();
    fill_plain(store, count, length);
    state.ResumeTiming();
    run(store);
    benchmark::DoNotOptimize(store.data());
    state.PauseTiming();
    if (const char* error = check(store)) state.SkipWithError(error);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
