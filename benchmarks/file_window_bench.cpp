// Opening a SIG file of 1,000,000 packets of 12 bytes in the main window (file window shown, gauge
// moving, first screen painted at 70 packets, recount at the end) against `pelorin-cli info` on
// the same file, a process of its own, and against the same load and length pass in this process;
// and the unload when the main window closes (gauge shown) against the same unload with no window.
// The loads depend on what the allocator has kept from earlier benchmarks: compare them each in a
// run of its own (--benchmark_filter=OpenInMain, then =LoadAndCount). The program's main
// (grid_bench.cpp) owns the QApplication. The counter first_screen_ms is the time from the open
// command until the grid has painted its first screen.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench_store.h"
#include "core/files/signal_io.h"
#include "gui/dialogs/message_box.h"
#include "gui/dialogs/plugin_dialog.h"
#include "gui/files/file_window.h"
#include "gui/mainwindow/main_window.h"

extern char** environ;

namespace {

constexpr uint32_t packet_count = 1000000;
constexpr uint32_t packet_length = 12;

std::string make_file() {
  const std::string path = "/tmp/pelorin-open-bench.sig";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::vector<char> record(packet_length + 2);
  record[0] = static_cast<char>(packet_length);
  for (uint32_t k = 0; k < packet_count; ++k) {
    for (uint32_t i = 0; i < packet_length; ++i) record[2 + i] = static_cast<char>(k + i);
    out.write(record.data(), static_cast<std::streamsize>(record.size()));
  }
  return path;
}

// The modal loop replaced by showing the window and processing events until it closes.
int run_shown(TPelorin_Plugin& dialog) {
  dialog.setModal(false);
  dialog.show();
  while (dialog.isVisible()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return dialog.result();
}

// The main window, noting when the first screen has been painted.
class timed_main : public TfMain {
 public:
  void ShowFirstScreen() override {
    TfMain::ShowFirstScreen();
    first_screen_ms = clock.nsecsElapsed() / 1e6;
  }
  QElapsedTimer clock;
  double first_screen_ms = 0;
};

void BM_OpenInMainWindow(benchmark::State& state) {
  const std::string path = make_file();
  const scoped_modal_hook modal(run_shown);
  message_hooks hooks;
  hooks.file = [&path](QFileDialog&) {
    return std::optional<file_choice>(file_choice{QString::fromStdString(path), 0});
  };
  const scoped_message_hooks answers(hooks);
  double first_screen = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto main = std::make_unique<timed_main>();
    main->resize(1600, 900);
    main->show();
    QCoreApplication::processEvents();
    state.ResumeTiming();
    main->clock.start();
    main->mLoadClick();
    state.PauseTiming();
    if (main->store().size() != packet_count) state.SkipWithError("wrong packet count");
    first_screen += main->first_screen_ms;
    main->SetSaved(true);
    main->close();
    main.reset();
    state.ResumeTiming();
  }
  state.counters["first_screen_ms"] = first_screen / static_cast<double>(state.iterations());
  std::remove(path.c_str());
}

void BM_CliInfoBaseline(benchmark::State& state) {
  const std::string path = make_file();
  const std::string cli = PELORIN_CLI;
  for (auto _ : state) {
    std::vector<char*> argv = {const_cast<char*>(cli.c_str()), const_cast<char*>("info"),
                               const_cast<char*>(path.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("cannot start pelorin-cli");
    }
    int status = 0;
    waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("pelorin-cli failed");
  }
  std::remove(path.c_str());
}

// What `pelorin-cli info` does, in this process: load, then one pass for the lengths. Its
// unload is left out, as the main window's is.
void BM_LoadAndCountBaseline(benchmark::State& state) {
  const std::string path = make_file();
  for (auto _ : state) {
    PAKETS store;
    const load_result r = load_sig_file(path, store);
    uint32_t longest = 0;
    for (const auto& [number, p] : store) longest = std::max(longest, p->size(true));
    benchmark::DoNotOptimize(longest);
    state.PauseTiming();
    if (!r.ok || store.size() != packet_count) state.SkipWithError("wrong packet count");
    unload_store(store);
    state.ResumeTiming();
  }
  std::remove(path.c_str());
}

void fill(PAKETS& store) {
  fill_store(store, packet_count, packet_length);
}

// What the file window needs of a main window, and nothing more.
struct quiet_host : sig_loader_host {
  void SetCurrentCell(int, int) override {}
  void SetSignalCaption(const QString&) override {}
  void ShowFirstScreen() override {}
  void SetGridVisible(bool) override {}
  void SetSaved(bool) override {}
  QString CommandLineFile() const override { return {}; }
};

void BM_UnloadWithGauge(benchmark::State& state) {
  const scoped_modal_hook modal(run_shown);
  quiet_host host;
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    fill(store);
    state.ResumeTiming();
    TfSigLoader loader(nullptr, host);
    const PLUGIN_RESULT r = loader.Execute(TfSigLoader::unload, store);
    state.PauseTiming();
    if (r.deleted != static_cast<int32_t>(packet_count)) state.SkipWithError("wrong count");
    state.ResumeTiming();
  }
}

void BM_UnloadBaseline(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    PAKETS store;
    fill(store);
    state.ResumeTiming();
    pass run;
    unload_store(store, [&run](xpaket* p) {
      run.delete_paket(p);
      run.step_progress();
    });
  }
}

BENCHMARK(BM_OpenInMainWindow)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CliInfoBaseline)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoadAndCountBaseline)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_UnloadWithGauge)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_UnloadBaseline)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
