// The column demultiplexer and the defragmenter run through their dialogs, gauge shown (the stores
// hold 1,000,000 packets of 12 bytes), against the logic halves alone on the same stores, in the
// same run. A dialog's clock runs from the OK press to its close (bench_dialog.h).

#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QSpinBox>
#include <QToolButton>

#include <array>
#include <memory>

#include "bench_dialog.h"
#include "bench_store.h"
#include "core/operations/defrag.h"
#include "core/operations/demux.h"
#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/plugin_dialog.h"
#include "gui/grid/packet_grid.h"
#include "gui/operations/defrag_dialog.h"
#include "gui/operations/demux_dialog.h"

namespace {

constexpr uint32_t packet_count = 1000000;
constexpr uint32_t packet_length = 12;

// Grid columns 2 to 5 (bytes 1 to 4) kept.
void BM_DemuxDialog(benchmark::State& state) {
  time_dialog_run<TfSigDemux>(
      state,
      [](PAKETS& store) {
        fill_store(store, packet_count, packet_length);
        auto grid = std::make_unique<TPacketGrid>();
        grid->setStore(&store);
        grid->RecountPackets();
        grid->setColumnRange(2, 5);
        return grid;
      },
      [](TfSigDemux& dialog, const std::unique_ptr<TPacketGrid>& grid) {
        dialog.SetGrid(grid.get());
      },
      press_ok,
      [](const PLUGIN_RESULT& r, const PAKETS& store) {
        return r.changed == static_cast<int32_t>(packet_count) && store.at(0)->byte_length() == 4
                   ? nullptr
                   : "wrong result";
      });
}

void BM_DemuxLogic(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    fill_store(store, packet_count, packet_length);
    state.ResumeTiming();
    pass run;
    demux(store, scope{}, {true, 1, 4}, run);
    state.PauseTiming();
    unload_store(store);
    state.ResumeTiming();
  }
}

// Packets coloured first, intermediate, last in turn; the intermediate and last fragments lose a
// leading byte.
constexpr uint32_t first_colour = 0x0000FF;   // red
constexpr uint32_t middle_colour = 0xFF0000;  // blue
constexpr uint32_t last_colour = 0x008000;    // green
constexpr std::array<uint32_t, 3> fragment_colours{first_colour, middle_colour, last_colour};
constexpr uint32_t expected_joins = (packet_count + 2) / 3;

void fill_fragments(PAKETS& store) {
  fill_store(store, packet_count, packet_length);
  uint32_t k = 0;
  for (auto [number, p] : store) p->colour = fragment_colours[k++ % 3];
}

void press_defrag_ok(TPelorin_Plugin& d) {
  d.findChild<Tfr_colors*>(QStringLiteral("fCStart"))->Choose(first_colour);
  d.findChild<Tfr_colors*>(QStringLiteral("fCMiddle"))->Choose(middle_colour);
  d.findChild<QSpinBox*>(QStringLiteral("edEMiddle"))->setValue(1);
  d.findChild<QCheckBox*>(QStringLiteral("cbEnd"))->click();
  d.findChild<Tfr_colors*>(QStringLiteral("fCEnd"))->Choose(last_colour);
  d.findChild<QSpinBox*>(QStringLiteral("edEEnd"))->setValue(1);
  press_ok(d);
}

void BM_DefragDialog(benchmark::State& state) {
  time_dialog_run<TfSigDefrag>(
      state,
      [](PAKETS& store) {
        fill_fragments(store);
        return 0;
      },
      [](TfSigDefrag&, int) {}, press_defrag_ok,
      [](const PLUGIN_RESULT& r, const PAKETS& store) {
        return r.joined == expected_joins && store.at(0)->byte_length() == 3 * packet_length - 2
                   ? nullptr
                   : "wrong result";
      });
}

void BM_DefragLogic(benchmark::State& state) {
  defrag_params params;
  params.first = scope{false, first_colour};
  params.middle = scope{false, middle_colour};
  params.middle_head = 1;
  params.last = scope{false, last_colour};
  params.last_head = 1;
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    fill_fragments(store);
    state.ResumeTiming();
    pass run;
    defrag(store, params, run);
    state.PauseTiming();
    unload_store(store);
    state.ResumeTiming();
  }
}

}  // namespace

BENCHMARK(BM_DemuxDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemuxLogic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DefragDialog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DefragLogic)->Unit(benchmark::kMillisecond);
