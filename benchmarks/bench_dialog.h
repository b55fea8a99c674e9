#pragma once

// Timing an operation's dialog the way its user meets it: the window is built, shown and painted
// before the clock runs, as it is on screen before OK can be pressed; the clock runs from the
// press until the window has closed. The modal loop is replaced by a hook (no modal loop runs
// offscreen); the program's main (grid_bench.cpp) owns the QApplication.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QThread>
#include <QToolButton>

#include <functional>

#include "core/model/pakets.h"
#include "gui/dialogs/plugin_dialog.h"

// What a benchmark does inside the shown window: sets its fields and presses OK (and whatever
// else closes it).
using dialog_action = std::function<void(TPelorin_Plugin&)>;

// Presses the dialog's OK button.
inline void press_ok(TPelorin_Plugin& dialog) {
  dialog.findChild<QToolButton*>(QStringLiteral("btnOk"))->click();
}

// Notes when its object is painted.
class paint_spy : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) painted = true;
    return false;
  }
};

// Shows the dialog and lets it paint with the clock stopped (the window system asks for the
// first paint a few milliseconds after the show), then times `act` and the events up to the
// close.
inline int run_timed(benchmark::State& state, TPelorin_Plugin& dialog, const dialog_action& act) {
  dialog.setModal(false);
  paint_spy spy;
  dialog.installEventFilter(&spy);
  dialog.show();
  QElapsedTimer waited;
  waited.start();
  while (!spy.painted && waited.elapsed() < 1000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  QCoreApplication::processEvents();
  dialog.removeEventFilter(&spy);
  state.ResumeTiming();
  act(dialog);
  while (dialog.isVisible()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  state.PauseTiming();
  return dialog.result();
}

// One timed dialog run per iteration: `prepare` fills a fresh store (and may set up what the
// dialog reads, such as a grid), the dialog of type Dialog runs `act`, `check` looks at the
// result and the store and returns an error text or null; all but the press and the pass is
// untimed.
template <typename Dialog, typename Prepare, typename Setup, typename Check>
void time_dialog_run(benchmark::State& state, Prepare prepare, Setup setup,
                     const dialog_action& act, Check check) {
  const scoped_modal_hook hook(
      [&state, &act](TPelorin_Plugin& d) { return run_timed(state, d, act); });
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    {
      auto context = prepare(store);
      PLUGIN_RESULT r;
      {
        Dialog dialog(nullptr);
        setup(dialog, context);
        r = dialog.Execute(0, store);
      }
      if (const char* error = check(r, store)) state.SkipWithError(error);
    }
    unload_store(store);
    state.ResumeTiming();
  }
}
