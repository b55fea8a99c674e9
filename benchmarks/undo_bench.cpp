// Undo over 1,000,000 packets of 12 bytes: each undoable step run with an undo recorder against
// the same step without one, and its undo and redo against the step without a recorder, all in the
// same iteration on fresh stores made the same way (outside the timed part). The times are the
// thread's CPU time (page faults included), which other programs on a busy machine do not
// stretch, and the ratios are those of the least times over the iterations, which the rest of the
// machine disturbed least. Since the machine may be busy for longer than a step, the recorded step
// is also set against the step without a recorder just before it: the median of those ratios
// over the iterations. The benchmark's time is the recorded step; the counters give the
// ratios, the least times themselves, the page faults of the last recorded step, and the record's
// memory a packet (for the swap against its bound: the packets' bytes x 1.2 + 8 bytes a packet).

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <algorithm>
#include <array>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

#include "bench_store.h"
#include "core/operations/colouring.h"
#include "core/operations/cut.h"
#include "core/operations/defrag.h"
#include "core/operations/demux.h"
#include "core/operations/edit.h"
#include "core/operations/fill.h"
#include "core/operations/history/undo_recorder.h"
#include "core/operations/quick_filter.h"
#include "core/operations/select_by_length.h"
#include "core/operations/swap.h"

namespace {

constexpr uint32_t packet_count = 1000000;
constexpr uint32_t packet_length = 12;
constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;
constexpr uint32_t green = 0x008000;
// The history budget of a machine with 16 GiB available.
constexpr uint64_t record_limit = uint64_t{4} << 30;

using step = std::function<void(PAKETS&, pass&)>;

double cpu_seconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double seconds_of(const std::function<void()>& work) {
  const double start = cpu_seconds();
  work();
  return cpu_seconds() - start;
}

// The store of the benchmarks; every packet coloured red, blue and green in turn (the fragments of
// the defragmenter, three to a packet).
void make_store(PAKETS& store) {
  fill_store(store, packet_count, packet_length);
  constexpr std::array<uint32_t, 3> colours{red, blue, green};
  uint32_t k = 0;
  for (const auto& entry : store) entry.second->colour = colours[k++ % 3];
}

void time_undo(benchmark::State& state, const step& run_step) {
  double plain = 1e9;
  double recorded = 1e9;
  double undo = 1e9;
  double redo = 1e9;
  uint64_t record_memory = 0;
  long faults = 0;
  std::vector<double> paired;  // each recorded step against the plain one before it
  for (auto _ : state) {
    double plain_now = 0;
    {
      PAKETS store;
      make_store(store);
      pass run;
      plain_now = seconds_of([&] { run_step(store, run); });
      plain = std::min(plain, plain_now);
      unload_store(store);
    }
    PAKETS store;
    make_store(store);
    std::unique_ptr<undo_record> record;
    rusage before_faults{};
    getrusage(RUSAGE_THREAD, &before_faults);
    const double step_time = seconds_of([&] {
      undo_recorder recorder(store, record_limit);
      pass run;
      run.recorder = &recorder;
      run_step(store, run);
      record = recorder.finish(store);
    });
    rusage after_faults{};
    getrusage(RUSAGE_THREAD, &after_faults);
    faults = after_faults.ru_minflt - before_faults.ru_minflt;
    state.SetIterationTime(step_time);
    recorded = std::min(recorded, step_time);
    paired.push_back(step_time / plain_now);
    if (!record) {
      state.SkipWithError("no record");
      unload_store(store);
      break;
    }
    record_memory = record->memory();
    bool ok = true;
    undo = std::min(undo, seconds_of([&] { ok = record->revert(store); }));
    redo = std::min(redo, seconds_of([&] { ok = ok && record->reapply(store); }));
    if (!ok) state.SkipWithError("undo or redo failed");
    record.reset();
    unload_store(store);
  }
  state.counters["recorded/plain"] = recorded / plain;
  if (!paired.empty()) {
    const auto middle = paired.begin() + static_cast<std::ptrdiff_t>(paired.size() / 2);
    std::nth_element(paired.begin(), middle, paired.end());
    state.counters["recorded/plain median"] = *middle;
  }
  state.counters["undo/plain"] = undo / plain;
  state.counters["redo/plain"] = redo / plain;
  state.counters["faults"] = static_cast<double>(faults);
  state.counters["plain ms"] = plain * 1e3;
  state.counters["recorded ms"] = recorded * 1e3;
  state.counters["undo ms"] = undo * 1e3;
  state.counters["record B/packet"] = static_cast<double>(record_memory) / packet_count;
  state.SetItemsProcessed(state.iterations() * packet_count);
}

void BM_UndoSwap(benchmark::State& state) {
  time_undo(state,
            [](PAKETS& store, pass& run) { swap(store, scope{}, {swap_mode::reverse_bits}, run); });
  state.counters["bound B/packet"] = packet_length * 1.2 + 8;
}

void BM_UndoCut(benchmark::State& state) {
  time_undo(state, [](PAKETS& store, pass& run) {
    cut(store, scope{}, cut_params{false, 2, 0}, run);
  });
}

void BM_UndoFill(benchmark::State& state) {
  time_undo(state, [](PAKETS& store, pass& run) { fill(store, scope{}, {false, 16, 0xAA}, run); });
}

void BM_UndoEdit(benchmark::State& state) {
  time_undo(state, [](PAKETS& store, pass& run) { edit(store, scope{}, {false, 2, 0xFF}, run); });
}

void BM_UndoQuickFilter(benchmark::State& state) {
  time_undo(state, [](PAKETS& store, pass& run) {
    quick_filter(store, {filter_criterion::byte, false, 0, 0}, run);
  });
}

void BM_UndoDemux(benchmark::State& state) {
  time_undo(state, [](PAKETS& store, pass& run) { demux(store, scope{}, {true, 1, 4}, run); });
}

void BM_UndoDefrag(benchmark::State& state) {
  time_undo(state, [](PAKETS& store, pass& run) {
    defrag_params params;
    params.first = scope{false, red};
    params.middle = scope{false, blue};
    params.middle_head = 1;
    params.last = scope{false, green};
    params.last_head = 1;
    defrag(store, params, run);
  });
}

void BM_UndoSelectByLength(benchmark::State& state) {
  time_undo(state, [](PAKETS& store, pass& run) {
    select_by_length(store, scope{}, {length_operator::equal, packet_length, 0x00FFFF}, run);
  });
}

void BM_UndoSelectAll(benchmark::State& state) {
  time_undo(state, [](PAKETS& store, pass& run) { select_all(store, 0x00FFFF, run.recorder); });
}

}  // namespace

BENCHMARK(BM_UndoSwap)->UseManualTime()->Iterations(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoCut)->UseManualTime()->Iterations(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoFill)->UseManualTime()->Iterations(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoEdit)->UseManualTime()->Iterations(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoQuickFilter)->UseManualTime()->Iterations(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoDemux)->UseManualTime()->Iterations(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoDefrag)->UseManualTime()->Iterations(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoSelectByLength)->UseManualTime()->Iterations(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoSelectAll)->UseManualTime()->Iterations(24)->Unit(benchmark::kMillisecond);
