// The packet grid over a store of 1,000,000 packets of 12 bytes: painting a full 1920x1080 grid in
// each display mode against a baseline that fills the same image with as many plain rectangles and
// short texts as the grid has visible cells; scrolling to the last row and back against the same
// two paints without scrolling; the recount that sizes the grid against the bare pass over the
// store. Each pair runs in the same process, so their ratio survives a noisy machine.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <memory>
#include <vector>

#include "core/grid/grid_recount.h"
#include "gui/grid/packet_grid.h"

namespace {

constexpr uint32_t packet_count = 1000000;
constexpr uint32_t packet_length = 12;

struct bench_store {
  bench_store(uint32_t count, uint32_t length) {
    std::vector<uint8_t> bytes(length);
    for (uint32_t k = 0; k < count; ++k) {
      for (uint32_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(k * 7 + i * 13);
      auto* p = new xpaket(bytes.data(), length);
      if (k % 5 == 0) p->colour = 0x00C0FF;
      store.append(p);
    }
  }
  bench_store(const bench_store&) = delete;
  bench_store& operator=(const bench_store&) = delete;
  ~bench_store() { unload_store(store); }
  PAKETS store;
};

bench_store* big = nullptr;   // 1,000,000 packets of 12 bytes, built once in main
bench_store* wide = nullptr;  // packets wide enough to fill every column of the screen

std::unique_ptr<TPacketGrid> make_grid(int mode, const bench_store* source = big) {
  auto grid = std::make_unique<TPacketGrid>();
  grid->resize(1920, 1080);
  grid->setStore(&source->store);
  grid->RecountPackets();
  grid->SetViewMode(mode);
  grid->setColumnRange(4, 7);
  grid->setFirstVisibleRow(500000);
  grid->setCurrentCell(5, 500010);
  return grid;
}

int visible_cells(const TPacketGrid& grid) {
  const int columns = grid.viewport()->width() / grid.columnWidth(0) + 1;
  const int rows = grid.viewport()->height() / grid.rowHeight(0) + 1;
  return std::min(columns, grid.gridColumnCount() - 1) * rows;
}

// range(0): the mode; range(1): 0 for the 12-byte store, 1 for the store that fills the screen.
void BM_GridPaint(benchmark::State& state) {
  auto grid = make_grid(static_cast<int>(state.range(0)), state.range(1) != 0 ? wide : big);
  QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
  grid->render(&image);
  for (auto _ : state) {
    grid->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["cells"] = visible_cells(*grid);
}

// As many cells as the grid shows in the mode, each a filled rectangle and a short text.
void BM_PlainCellsBaseline(benchmark::State& state) {
  auto grid = make_grid(static_cast<int>(state.range(0)), state.range(1) != 0 ? wide : big);
  const int width = grid->columnWidth(0);
  const int height = grid->rowHeight(0);
  const int cells = visible_cells(*grid);
  const int per_row = std::max(1, 1920 / width);
  std::vector<QString> texts;
  for (int b = 0; b < 256; ++b) texts.push_back(QString::number(b));
  QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QPainter painter(&image);
    painter.setFont(grid->font());
    painter.setPen(Qt::black);
    for (int i = 0; i < cells; ++i) {
      const int x = (i % per_row) * width;
      const int y = (i / per_row) * height;
      painter.fillRect(QRect(x, y, width - 1, height - 1), QColor(255, 192, 0));
      painter.drawText(x + 2, y + height - 4, texts[static_cast<size_t>(i & 255)]);
    }
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["cells"] = cells;
}

// Jumping to the last row and back, with a paint at each end.
void BM_ScrollToLastAndBack(benchmark::State& state) {
  auto grid = make_grid(0);
  QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    grid->setCurrentCell(1, grid->gridRowCount() - 1);
    grid->render(&image);
    grid->setCurrentCell(1, 1);
    grid->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}

void BM_TwoPaintsBaseline(benchmark::State& state) {
  auto grid = make_grid(0);
  grid->setCurrentCell(1, 1);
  QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    grid->render(&image);
    grid->render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
}

// Switching decimal -> binary -> decimal: the sizing of 1,000,000 rows and 13 columns.
void BM_SwitchMode(benchmark::State& state) {
  auto grid = make_grid(0);
  for (auto _ : state) {
    grid->SetViewMode(2);
    grid->SetViewMode(0);
    QCoreApplication::processEvents();
  }
}

// The recount of a grid that shows an empty store onto the full store (1,000,000 rows appear)
// and the first paint after it: what the grid adds to a load before the first screen shows.
void BM_RecountMillion(benchmark::State& state) {
  TPacketGrid grid;
  grid.resize(1920, 1080);
  QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
  const PAKETS empty;
  for (auto _ : state) {
    state.PauseTiming();
    grid.setStore(&empty);
    grid.RecountPackets();
    state.ResumeTiming();
    grid.setStore(&big->store);
    grid.RecountPackets();
    grid.render(&image);
  }
}

void BM_CountStoreBaseline(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(count_store(big->store, {}));
}

BENCHMARK(BM_GridPaint)->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCellsBaseline)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScrollToLastAndBack)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TwoPaintsBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwitchMode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecountMillion)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountStoreBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  bench_store store(packet_count, packet_length);
  bench_store wide_store(100000, 320);
  big = &store;
  wide = &wide_store;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  big = nullptr;
  wide = nullptr;
  return 0;
}
