// The selection by length through its dialog, gauge shown, against its logic half alone on the
// same store, in the same run; the dialog's clock runs from the OK press (bench_dialog.h).

#include <benchmark/benchmark.h>

#include <QSpinBox>
#include <QToolButton>

#include "bench_dialog.h"
#include "bench_store.h"
#include "core/operations/select_by_length.h"
#include "gui/dialogs/plugin_dialog.h"
#include "gui/operations/sort_len_dialog.h"

namespace {

constexpr uint32_t packet_count = 1000000;
constexpr uint32_t packet_length = 12;

void press_length_ok(TPelorin_Plugin& dialog) {
  dialog.findChild<QSpinBox*>(QStringLiteral("edVal"))->setValue(packet_length);
  press_ok(dialog);
}

void BM_SortLenDialog(benchmark::State& state) {
  time_dialog_run<TfSortLen>(
      state,
      [](PAKETS& store) {
        fill_store(store, packet_count, packet_length);
        return 0;
      },
      [](TfSortLen&, int) {}, press_length_ok,
      [](const PLUGIN_RESULT& r, const PAKETS&) {
        return r.recoloured == static_cast<int32_t>(packet_count) ? nullptr : "wrong count";
      });
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
