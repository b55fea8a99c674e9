// The selection by length through its dialog, gauge shown, against its logic half alone on the
// same store, in the same run. The modal loop is replaced by a hook that presses OK; the
// program's main (grid_bench.cpp) owns the QApplication.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSpinBox>
#include <QToolButton>

#include "bench_store.h"
#include "core/operations/select_by_length.h"
#include "gui/dialogs/plugin_dialog.h"
#include "gui/operations/sort_len_dialog.h"

namespace {

constexpr uint32_t packet_count = 1000000;
constexpr uint32_t packet_length = 12;

int press_ok(TPelorin_Plugin& dialog) {
  dialog.setModal(false);
  dialog.show();
  dialog.findChild<QSpinBox*>(QStringLiteral("edVal"))->setValue(packet_length);
  dialog.findChild<QToolButton*>(QStringLiteral("btnOk"))->click();
  while (dialog.isVisible()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return dialog.result();
}

void BM_SortLenDialog(benchmark::State& state) {
  const scoped_modal_hook hook(press_ok);
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    fill_store(store, packet_count, packet_length);
    state.ResumeTiming();
    TfSortLen dialog(nullptr);
    const PLUGIN_RESULT r = dialog.Execute(0, store);
    state.PauseTiming();
    if (r.recoloured != static_cast<int32_t>(packet_count)) state.SkipWithError("wrong count");
    unload_store(store);
    state.ResumeTiming();
  }
}

void BM_SortLenLogic(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    fill_store(store, packet_count, packet_length);
    state.ResumeTiming();
    pass run;
    select_by_length(store, scope{}, {length_operator::equal, packet_length, 0x0000FF}, run);
    state.PauseTiming();
    unload_store(store);
    state.ResumeTiming();
  }
}

}  // namespace

BENCHMARK(BM_SortLenDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortLenLogic)->Unit(benchmark::kMillisecond);
