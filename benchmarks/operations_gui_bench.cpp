// The cut, swap, fill, edit, statistics and the quick filter run through their dialogs, gauge shown
// (the stores hold more than 10000 packets), against the logic halves alone on the same stores, in
// the same run. A dialog's clock runs from the OK press to its close on a window already shown
// (bench_dialog.h); the filter window starts working from its activation, so its clock runs from
// the show. The program's main (grid_bench.cpp) owns the QApplication.

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>

#include <vector>

#include "bench_dialog.h"
#include "bench_store.h"
#include "core/operations/cut.h"
#include "core/operations/edit.h"
#include "core/operations/fill.h"
#include "core/operations/quick_filter.h"
#include "core/operations/swap.h"
#include "core/statistics/statistics.h"
#include "gui/dialogs/plugin_dialog.h"
#include "gui/grid/packet_grid.h"
#include "gui/operations/cut_dialog.h"
#include "gui/operations/edit_dialog.h"
#include "gui/operations/fill_dialog.h"
#include "gui/operations/quick_filter_window.h"
#include "gui/operations/stat_dialog.h"
#include "gui/operations/swap_dialog.h"

namespace {

constexpr uint32_t packet_count = 1000000;
constexpr uint32_t packet_length = 12;

void fill(PAKETS& store) {
  fill_store(store, packet_count, packet_length);
}

// Runs the filter window without a modal loop: shows it (it starts from there) and processes
// events until it has closed.
int run_filter_window(TPelorin_Plugin& window) {
  window.setModal(false);
  window.show();
  while (window.isVisible()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return window.result();
}

void press_cut_ok(TPelorin_Plugin& d) {
  d.findChild<QLineEdit*>(QStringLiteral("edStart"))->setText(QStringLiteral("2"));
  d.findChild<QToolButton*>(QStringLiteral("btnOk"))->click();
}

void BM_CutLogic(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    fill(store);
    state.ResumeTiming();
    pass run;
    cut(store, scope{}, cut_params{false, 2, 0}, run);
    state.PauseTiming();
    unload_store(store);
    state.ResumeTiming();
  }
}

// A dialog run against its logic half alone: `press` sets the fields and presses OK; `logic` is
// the same pass without a window; `expected` the changed count both must report.
template <typename Dialog>
void time_dialog(benchmark::State& state, void (*press)(TPelorin_Plugin&), int32_t expected) {
  time_dialog_run<Dialog>(
      state,
      [](PAKETS& store) {
        fill(store);
        return 0;
      },
      [](Dialog&, int) {}, press,
      [expected](const PLUGIN_RESULT& r, const PAKETS&) {
        return r.changed == expected ? nullptr : "wrong count";
      });
}

template <typename Logic>
void time_logic(benchmark::State& state, Logic logic) {
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    fill(store);
    state.ResumeTiming();
    pass run;
    logic(store, run);
    state.PauseTiming();
    unload_store(store);
    state.ResumeTiming();
  }
}

void press_fill_ok(TPelorin_Plugin& d) {
  d.findChild<QRadioButton*>(QStringLiteral("rbTo"))->click();
  d.findChild<QLineEdit*>(QStringLiteral("edFillTo"))->setText(QStringLiteral("16"));
  press_ok(d);
}

void press_edit_ok(TPelorin_Plugin& d) {
  d.findChild<QComboBox*>(QStringLiteral("cbVal"))->setEditText(QStringLiteral("255"));
  press_ok(d);
}

constexpr auto all = static_cast<int32_t>(packet_count);

void BM_CutDialog(benchmark::State& state) {
  time_dialog<TfSigCut>(state, press_cut_ok, all);
}

void BM_SwapDialog(benchmark::State& state) {
  time_dialog<TfSigSwap>(state, press_ok, all);
}
void BM_SwapLogic(benchmark::State& state) {
  time_logic(state, [](PAKETS& s, pass& run) { swap(s, scope{}, {swap_mode::reverse_bits}, run); });
}
void BM_FillDialog(benchmark::State& state) {
  time_dialog<TfSigFill>(state, press_fill_ok, all);
}
void BM_FillLogic(benchmark::State& state) {
  time_logic(state, [](PAKETS& s, pass& run) { ::fill(s, scope{}, {false, 16, 0}, run); });
}
// The position field opens at 1 without a grid: byte 1 is written.
void BM_EditDialog(benchmark::State& state) {
  time_dialog<TfSigEdit>(state, press_edit_ok, all);
}
void BM_EditLogic(benchmark::State& state) {
  time_logic(state, [](PAKETS& s, pass& run) { edit(s, scope{}, {false, 0, 0xFF}, run); });
}

void BM_QuickFilterWindow(benchmark::State& state) {
  const scoped_modal_hook hook(run_filter_window);
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    fill(store);
    TPacketGrid grid;
    grid.setStore(&store);
    grid.RecountPackets();
    grid.setCurrentCell(1, 1);
    state.ResumeTiming();
    TfSigInline window(nullptr);
    window.SetGrid(&grid);
    const PLUGIN_RESULT r =
        window.Execute(quick_filter_command(filter_criterion::byte, false), store);
    state.PauseTiming();
    if (r.deleted != static_cast<int32_t>(packet_count / 2)) state.SkipWithError("wrong count");
    grid.setStore(nullptr);
    unload_store(store);
    state.ResumeTiming();
  }
}

void BM_QuickFilterLogic(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    fill(store);
    state.ResumeTiming();
    pass run;
    quick_filter(store, {filter_criterion::byte, false, 0, 0}, run);
    state.PauseTiming();
    unload_store(store);
    state.ResumeTiming();
  }
}

// Byte statistics on bytes 1 and 2 through the dialog: OK counts, Cancel closes.
void press_stat_ok_then_cancel(TPelorin_Plugin& d) {
  d.findChild<QSpinBox*>(QStringLiteral("edE1"))->setValue(1);
  d.findChild<QSpinBox*>(QStringLiteral("edE2"))->setValue(2);
  d.findChild<QToolButton*>(QStringLiteral("btnOk"))->click();
  d.findChild<QToolButton*>(QStringLiteral("btnCancel"))->click();
}

void BM_StatDialog(benchmark::State& state) {
  PAKETS store;
  fill(store);
  const scoped_modal_hook hook(
      [&state](TPelorin_Plugin& d) { return run_timed(state, d, press_stat_ok_then_cancel); });
  for (auto _ : state) {
    state.PauseTiming();
    {
      TfSigStat dialog(nullptr);
      const PLUGIN_RESULT r = dialog.Execute(0, store);
      if (r.processed != static_cast<int32_t>(packet_count)) state.SkipWithError("wrong count");
    }
    state.ResumeTiming();
  }
  unload_store(store);
}

void BM_StatLogic(benchmark::State& state) {
  PAKETS store;
  fill(store);
  for (auto _ : state) {
    pass run;
    const stat_result r = statistics(store, stat_mode::bytes, {0, 1}, run);
    benchmark::DoNotOptimize(r.variants.size());
  }
  unload_store(store);
}

}  // namespace

BENCHMARK(BM_StatDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatLogic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutLogic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwapDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwapLogic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillLogic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditLogic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickFilterWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuickFilterLogic)->Unit(benchmark::kMillisecond);
