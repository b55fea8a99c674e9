#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "core/files/capture_file.h"
#include "core/files/signal_io.h"
#include "core/model/stream.h"
#include "gui/files/file_window.h"
#include "gui/ui_capture.h"
#include "support/temp_dir.h"

namespace {

using bytes = std::vector<uint8_t>;

// The main window as the file window sees it, with a record of what was done to it.
struct fake_host : sig_loader_host {
  void SetCurrentCell(int column, int row) override { cell = {column, row}; }
  void SetSignalCaption(const QString& name) override { caption = name; }
  void ShowFirstScreen() override { ++first_screens; }
  void SetGridVisible(bool on) override { visibility.push_back(on); }
  void SetSaved(bool on) override { saved = on; }
  QString CommandLineFile() const override { return argument; }

  std::pair<int, int> cell{0, 0};
  QString caption;
  int first_screens = 0;
  std::vector<bool> visibility;
  std::optional<bool> saved;
  QString argument;
};

class FileWindowTest : public ::testing::Test {
 protected:
  ~FileWindowTest() override { unload_store(store); }

  PLUGIN_RESULT run(uint8_t command) {
    TfSigLoader loader(nullptr, host);
    last_title.clear();
    ui.on_show = [this](TPelorin_Plugin& d) {
      if (before_work) before_work(d);
    };
    const PLUGIN_RESULT r = loader.Execute(command, store);
    last_title = loader.findChild<QLabel*>(QStringLiteral("lblTitle"))->text();
    return r;
  }

  void add(const std::vector<bytes>& packets, uint32_t colour = colour_white) {
    for (const bytes& b : packets) {
      auto* p = new xpaket(b.data(), static_cast<uint32_t>(b.size()));
      p->colour = colour;
      store.append(p);
    }
  }

  [[nodiscard]] std::vector<bytes> contents() const {
    std::vector<bytes> out;
    for (const auto& [number, p] : store) {
      out.emplace_back(p->bytes(), p->bytes() + p->size(true));
    }
    return out;
  }

  void choose(const std::string& path, int filter = 0) {
    ui.files.push_back(file_choice{QString::fromStdString(path), filter});
  }

  temp_dir dir;
  PAKETS store;
  fake_host host;
  ui_capture ui;
  std::function<void(TPelorin_Plugin&)> before_work;
  QString last_title;
};

std::vector<bytes> numbered(uint32_t count, uint32_t length) {
  std::vector<bytes> packets;
  for (uint32_t k = 0; k < count; ++k) {
    bytes b(length);
    for (uint32_t i = 0; i < length; ++i) b[i] = static_cast<uint8_t>(k * 7 + i);
    packets.push_back(b);
  }
  return packets;
}

// A capture of the packets, written by the program's own pcap writer.
bytes capture_image(const std::vector<bytes>& packets) {
  temp_dir scratch;
  PAKETS made;
  for (const bytes& b : packets) made.append(new xpaket(b.data(), static_cast<uint32_t>(b.size())));
  const std::string path = scratch.file("made.pcap");
  EXPECT_EQ(save_signal_file(path, made, signal_format::capture).status, save_status::saved);
  unload_store(made);
  return read_file(path);
}

TEST_F(FileWindowTest, LoadReplacesTheStoreAndCountsAsTheMainWindowExpects) {
  add(numbered(3, 2));
  const std::vector<bytes> file = {{0x41, 0x42, 0x43}, {0xFF}, {}};
  choose(dir.write("a.sig", sig_image(file)));
  const PLUGIN_RESULT r = run(TfSigLoader::load);
  EXPECT_EQ(contents(), file);
  EXPECT_TRUE(r.modified);
  EXPECT_EQ(r.processed, 3);
  EXPECT_EQ(r.joined, 3u);
  EXPECT_EQ(r.deleted, 3);
  EXPECT_EQ(r.changed, 0);
  EXPECT_FALSE(marks_unsaved(r));
  EXPECT_EQ(host.saved, true);
  EXPECT_EQ(host.cell, std::make_pair(1, 1));
  EXPECT_EQ(host.caption, QString::fromStdString(dir.file("a.sig")));
  EXPECT_EQ(last_title, QStringLiteral("Загрузка..."));
  EXPECT_TRUE(ui.messages.empty());
  // The open dialog offers SIG files and captures.
  ASSERT_EQ(ui.file_dialogs.size(), 1u);
  EXPECT_EQ(ui.file_dialogs[0].name, QStringLiteral("dlgOpen"));
  EXPECT_EQ(ui.file_dialogs[0].filters, (QStringList{QStringLiteral("SIG - пакеты (*.sig)"),
                                                     QStringLiteral("Захваты (*.pcap *.pcapng)")}));
  EXPECT_EQ(ui.file_dialogs[0].default_suffix, QStringLiteral("sig"));
}

TEST_F(FileWindowTest, MergeNumbersBehindTheStoreKeepsColoursAndMarksNotSaved) {
  add(numbered(10, 3), 0x0000FF);
  const std::vector<bytes> more = numbered(5, 4);
  choose(dir.write("more.sig", sig_image(more)));
  const PLUGIN_RESULT r = run(TfSigLoader::merge);
  ASSERT_EQ(store.size(), 15u);
  std::vector<bytes> expected = numbered(10, 3);
  expected.insert(expected.end(), more.begin(), more.end());
  EXPECT_EQ(contents(), expected);
  for (uint32_t k = 0; k < 15; ++k) {
    EXPECT_EQ(store.at(k)->colour, k < 10 ? 0x0000FFu : colour_white) << k;
  }
  EXPECT_EQ(r.processed, 15);
  EXPECT_EQ(r.joined, 15u);
  EXPECT_EQ(r.deleted, 0);
  EXPECT_EQ(host.saved, false);
}

TEST_F(FileWindowTest, OpenFailuresLeaveTheStoreAndShowTheMessage) {
  const std::string locked = dir.write("locked.sig", sig_image({{1, 2}}));
  // A writer holds the file.
  const int holder = ::open(locked.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  for (const std::string& path : {locked, dir.file("missing.sig"), dir.path()}) {
    for (uint8_t command : {TfSigLoader::load, TfSigLoader::merge}) {
      unload_store(store);
      add(numbered(4, 2));
      ui.messages.clear();
      choose(path);
      const PLUGIN_RESULT r = run(command);
      EXPECT_EQ(contents(), numbered(4, 2)) << path;
      EXPECT_FALSE(r.modified) << path;
      EXPECT_EQ(r.processed, 0);
      EXPECT_EQ(r.deleted, 0);
      EXPECT_EQ(r.joined, 0u);
      ASSERT_EQ(ui.messages.size(), 1u) << path;
      EXPECT_EQ(ui.messages[0].kind, message_hooks::kind::error);
      EXPECT_EQ(ui.messages[0].text, QStringLiteral("Невозможно открыть указанный файл.   "));
      EXPECT_FALSE(host.saved.has_value());
    }
  }
  ::close(holder);
  EXPECT_EQ(ui.modal_runs, 0);
}

TEST_F(FileWindowTest, NothingChosenDoesNothing) {
  add(numbered(2, 2));
  ui.files.push_back(std::nullopt);
  EXPECT_FALSE(run(TfSigLoader::load).modified);
  // No command-line argument.
  EXPECT_FALSE(run(TfSigLoader::load_argument).modified);
  ui.files.push_back(std::nullopt);
  EXPECT_FALSE(run(TfSigLoader::save).modified);
  EXPECT_EQ(store.size(), 2u);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(ui.modal_runs, 0);
}

TEST_F(FileWindowTest, CommandLineFileLoadsWithoutADialog) {
  host.argument = QString::fromStdString(dir.write("arg.sig", sig_image(numbered(100, 3))));
  // An empty store may still remember the link type of packets an operation deleted.
  store.add_link_type(1);
  const PLUGIN_RESULT r = run(TfSigLoader::load_argument);
  EXPECT_EQ(contents(), numbered(100, 3));
  EXPECT_EQ(store.link_types(), std::vector<uint32_t>{104});
  EXPECT_EQ(r.processed, 100);
  EXPECT_EQ(r.deleted, 0);
  EXPECT_TRUE(ui.file_dialogs.empty());
  // The first screen shows once the first 70 packets are in.
  EXPECT_EQ(host.first_screens, 1);
}

TEST_F(FileWindowTest, SaveWritesExactBytesInTheFormatOfTheFilter) {
  add({{0x41, 0x42}, {0x43}, {}});
  struct row {
    const char* name;
    int filter;
    bytes expected;
  };
  const row rows[] = {
      {"out.sig", 0, {2, 0, 0x41, 0x42, 1, 0, 0x43, 0, 0}},
      {"out.bit", 1, {0x41, 0x42, 0x43}},
  };
  for (const row& r : rows) {
    host.saved.reset();
    choose(dir.file(r.name), r.filter);
    const PLUGIN_RESULT result = run(TfSigLoader::save);
    EXPECT_EQ(read_file(dir.file(r.name)), r.expected) << r.name;
    EXPECT_EQ(host.caption, QString::fromStdString(dir.file(r.name)));
    EXPECT_EQ(result.processed, 3);
    EXPECT_FALSE(result.modified);
    EXPECT_FALSE(marks_unsaved(result));
    EXPECT_EQ(host.saved, true) << r.name;
    EXPECT_EQ(last_title, QStringLiteral("Сохранение..."));
  }
  EXPECT_TRUE(ui.messages.empty());
  ASSERT_FALSE(ui.file_dialogs.empty());
  EXPECT_EQ(ui.file_dialogs[0].name, QStringLiteral("dlgSave"));
  EXPECT_EQ(ui.file_dialogs[0].filters,
            (QStringList{QStringLiteral("SIG-пакеты (SIG) (*.sig)"),
                         QStringLiteral("Пакеты без SIG-заголовков (BIT) (*.bit)"),
                         QStringLiteral("Захват pcap (*.pcap)")}));
  EXPECT_TRUE(ui.file_dialogs[0].hides_filter_details);
}

TEST_F(FileWindowTest, SavedFileNameAndContentsAgree) {
  add({{0x41, 0x42}, {0x43}});
  const bytes sig = {2, 0, 0x41, 0x42, 1, 0, 0x43};
  const bytes bit = {0x41, 0x42, 0x43};
  struct row {
    const char* typed;
    int filter;
    const char* written;
    bytes expected;
  };
  const row rows[] = {
      // No extension: the filter's is added.
      {"plain", 0, "plain.sig", sig},
      {"out2", 1, "out2.bit", bit},
      // A typed extension of the other format decides the format.
      {"named.bit", 0, "named.bit", bit},
      {"named.SIG", 1, "named.SIG", sig},
      // Another extension keeps the filter's format.
      {"data.raw", 1, "data.raw", bit},
      {"cap", 2, "cap.pcap", {}},
      {"cap2.PCAP", 0, "cap2.PCAP", {}},
  };
  for (const row& r : rows) {
    choose(dir.file(r.typed), r.filter);
    run(TfSigLoader::save);
    const bytes written = read_file(dir.file(r.written));
    if (r.expected.empty()) {
      // A capture: its header says so.
      EXPECT_TRUE(is_capture_header(written)) << r.typed;
    } else {
      EXPECT_EQ(written, r.expected) << r.typed;
    }
    EXPECT_EQ(host.caption, QString::fromStdString(dir.file(r.written))) << r.typed;
  }
  // A name completed to .sig reopens as the packets saved.
  choose(dir.file("plain.sig"));
  unload_store(store);
  run(TfSigLoader::load);
  EXPECT_EQ(contents(), (std::vector<bytes>{{0x41, 0x42}, {0x43}}));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FileWindowTest, EmptySignalSavesAndOpensAgain) {
  choose(dir.file("empty"), 0);
  run(TfSigLoader::save);
  ASSERT_EQ(read_file(dir.file("empty.sig")).size(), 0u);
  add(numbered(3, 2));
  for (uint8_t command : {TfSigLoader::merge, TfSigLoader::load}) {
    host.saved.reset();
    choose(dir.file("empty.sig"));
    const PLUGIN_RESULT r = run(command);
    EXPECT_TRUE(r.modified);
    EXPECT_EQ(r.joined, command == TfSigLoader::load ? 0u : 3u);
    // A merge of nothing leaves the saved state alone; a load of it equals its file.
    EXPECT_EQ(host.saved, command == TfSigLoader::load ? std::optional<bool>(true) : std::nullopt);
  }
  EXPECT_TRUE(store.empty());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FileWindowTest, TargetThatCannotBeCreatedIsRefusedBeforeTheWindowShows) {
  add(numbered(2, 2));
  choose("/proc/pelorin-cannot-be-here.sig");
  run(TfSigLoader::save);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, QStringLiteral("Невозможно открыть указанный файл.   "));
  EXPECT_EQ(ui.modal_runs, 0);
  EXPECT_FALSE(host.saved.has_value());
}

TEST_F(FileWindowTest, CancelledSaveLeavesTheOldFileAndTheSignalNotSaved) {
  add(numbered(20000, 2));
  const bytes old = {1, 0, 9};
  const std::string path = dir.write("keep.sig", old);
  before_work = [](TPelorin_Plugin& d) {
    d.setEventInterval(0);
    QTimer::singleShot(0, &d,
                       [&d] { d.findChild<QToolButton*>(QStringLiteral("btnCancel"))->click(); });
  };
  choose(path);
  run(TfSigLoader::save);
  EXPECT_EQ(read_file(path), old);
  EXPECT_FALSE(host.saved.has_value());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FileWindowTest, WriteFailureLeavesTheOldFileAndShowsTheError) {
  add(numbered(100, 200));
  const bytes old = {1, 0, 9};
  const std::string path = dir.write("full.sig", old);
  // A file size limit makes the writes fail part-way, as a full disk would.
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved_limit{};
  getrlimit(RLIMIT_FSIZE, &saved_limit);
  rlimit small = saved_limit;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  choose(path);
  run(TfSigLoader::save);
  setrlimit(RLIMIT_FSIZE, &saved_limit);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(read_file(path), old);
  EXPECT_FALSE(host.saved.has_value());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].kind, message_hooks::kind::error);
  EXPECT_EQ(ui.messages[0].text, QStringLiteral("Ошибка при записи файла.   "));
}

TEST_F(FileWindowTest, PacketTooLongForSigIsNamedAndNothingIsWritten) {
  add(numbered(2, 3));
  add({bytes(70000, 0x55)});
  const bytes old = {1, 0, 9};
  const std::string path = dir.write("long.sig", old);
  choose(path, 0);
  run(TfSigLoader::save);
  EXPECT_EQ(read_file(path), old);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].kind, message_hooks::kind::warning);
  EXPECT_EQ(
      ui.messages[0].text,
      QStringLiteral("Пакет номер 3 длиннее 65535 байт: формат SIG не может его сохранить.   "));
  EXPECT_FALSE(host.saved.has_value());
  // BIT has no length field: the same store saves.
  choose(dir.file("long.bit"), 1);
  run(TfSigLoader::save);
  EXPECT_EQ(read_file(dir.file("long.bit")).size(), 3u + 3u + 70000u);
  EXPECT_EQ(host.saved, true);
}

TEST_F(FileWindowTest, UnloadDestroysEveryPacketWithProgressAndNoCancel) {
  add(numbered(20000, 1));
  TfSigLoader loader(nullptr, host);
  const PLUGIN_RESULT r = loader.Execute(TfSigLoader::unload, store);
  EXPECT_TRUE(store.empty());
  EXPECT_EQ(r.deleted, 20000);
  EXPECT_TRUE(r.modified);
  EXPECT_EQ(r.processed, 0);
  EXPECT_FALSE(marks_unsaved(r));
  EXPECT_TRUE(loader.showsProgress());
  EXPECT_EQ(loader.gaugePosition(), 20000);
  EXPECT_FALSE(loader.findChild<QToolButton*>(QStringLiteral("btnCancel"))->isEnabled());
  EXPECT_EQ(loader.findChild<QLabel*>(QStringLiteral("lblTitle"))->text(),
            QStringLiteral("Выгрузка..."));
  // The grid is hidden for the unload and shown again after it.
  EXPECT_EQ(host.visibility, (std::vector<bool>{false, true}));
}

TEST_F(FileWindowTest, CancelledLoadKeepsThePacketsReadAndIsNotSaved) {
  const std::string path = dir.write("big.sig", sig_image(numbered(200000, 2)));
  before_work = [](TPelorin_Plugin& d) {
    QTimer::singleShot(0, &d,
                       [&d] { d.findChild<QToolButton*>(QStringLiteral("btnCancel"))->click(); });
  };
  choose(path);
  const PLUGIN_RESULT r = run(TfSigLoader::load);
  // Cancel is seen at a progress break (every 1000 packets, at most every 20 ms).
  ASSERT_LT(store.size(), 200000u);
  EXPECT_EQ(store.size() % 1000, 0u);
  EXPECT_EQ(r.joined, store.size());
  const std::vector<bytes> all = numbered(200000, 2);
  EXPECT_EQ(contents(),
            std::vector<bytes>(all.begin(), all.begin() + static_cast<long>(store.size())));
  EXPECT_EQ(host.saved, false);
}

TEST_F(FileWindowTest, CapturesOpenAndMergeLikeSigFiles) {
  const std::vector<bytes> file = {{0x0F, 0x00, 0x08, 0x00}, {}, {0xFF}};
  const bytes image = capture_image(file);
  struct row {
    const char* name;
    int filter;
    uint8_t command;
  };
  const row rows[] = {
      {"a.pcap", 1, TfSigLoader::load},
      {"capture", 0, TfSigLoader::load},  // no extension: the content decides
      {"more.pcapng", 1, TfSigLoader::merge},
  };
  for (const row& r : rows) {
    unload_store(store);
    add(numbered(2, 2));
    host.saved.reset();
    choose(dir.write(r.name, image), r.filter);
    const PLUGIN_RESULT result = run(r.command);
    std::vector<bytes> expected = file;
    if (r.command == TfSigLoader::merge) expected.insert(expected.begin(), {{0, 1}, {7, 8}});
    EXPECT_EQ(contents(), expected) << r.name;
    EXPECT_EQ(result.processed, static_cast<int32_t>(expected.size())) << r.name;
    EXPECT_EQ(result.joined, expected.size()) << r.name;
    EXPECT_EQ(result.deleted, r.command == TfSigLoader::load ? 2 : 0) << r.name;
    EXPECT_EQ(host.saved, r.command == TfSigLoader::load) << r.name;
    for (const auto& entry : store) EXPECT_EQ(entry.second->colour, colour_white) << r.name;
  }
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(FileWindowTest, DamagedCaptureKeepsTheFramesBeforeAndShowsTheError) {
  bytes image = capture_image(numbered(5, 10));
  image.resize(image.size() - 3);
  choose(dir.write("cut.pcap", image), 1);
  const PLUGIN_RESULT r = run(TfSigLoader::load);
  const std::vector<bytes> all = numbered(5, 10);
  EXPECT_EQ(contents(), std::vector<bytes>(all.begin(), all.begin() + 4));
  EXPECT_EQ(r.joined, 4u);
  EXPECT_EQ(host.saved, false);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].kind, message_hooks::kind::error);
  EXPECT_EQ(ui.messages[0].text,
            QStringLiteral("Ошибка в формате файла захвата после пакета 4: файл обрывается "
                           "внутри записи. Чтение остановлено.   "));
}

TEST_F(FileWindowTest, CancelledCaptureLoadStopsAtAProgressBreak) {
  const std::string path = dir.write("big.pcap", capture_image(numbered(200000, 2)));
  before_work = [](TPelorin_Plugin& d) {
    QTimer::singleShot(0, &d,
                       [&d] { d.findChild<QToolButton*>(QStringLiteral("btnCancel"))->click(); });
  };
  choose(path, 1);
  const PLUGIN_RESULT r = run(TfSigLoader::load);
  ASSERT_LT(store.size(), 200000u);
  EXPECT_EQ(store.size() % 1000, 0u);
  EXPECT_EQ(r.joined, store.size());
  EXPECT_EQ(host.saved, false);
}

TEST_F(FileWindowTest, CaptureFilterSavesPcapAndNamesItsOwnLengthLimit) {
  const std::vector<bytes> packets = {{0x0F, 0x00}, {0x41}};
  add(packets);
  const std::string path = dir.file("out.pcap");
  choose(path, 2);
  const PLUGIN_RESULT r = run(TfSigLoader::save);
  EXPECT_EQ(r.processed, 2);
  EXPECT_EQ(host.saved, true);
  const bytes written = read_file(path);
  EXPECT_EQ(written, capture_image(packets));
  ASSERT_GE(written.size(), 24u);
  EXPECT_EQ(written[20], 104) << "link type";

  host.saved.reset();
  add({bytes(262145, 0x55)});
  choose(path, 2);
  run(TfSigLoader::save);
  EXPECT_EQ(read_file(path), written);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].kind, message_hooks::kind::warning);
  EXPECT_EQ(
      ui.messages[0].text,
      QStringLiteral("Пакет номер 3 длиннее 262144 байт: формат pcap не может его сохранить.   "));
  EXPECT_FALSE(host.saved.has_value());

  // Packets read with two link types: one pcap file cannot say which frame has which.
  ui.messages.clear();
  delete store.at(2);
  store.erase(2);
  store.add_link_type(1);
  store.add_link_type(104);
  choose(path, 2);
  run(TfSigLoader::save);
  EXPECT_EQ(read_file(path), written);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            QStringLiteral("Пакеты прочитаны с разными типами канала (EN10MB, C_HDLC), а файл pcap "
                           "хранит один тип.   "));
}

TEST_F(FileWindowTest, TheSaveDialogsFilterDecidesForANameWithoutExtension) {
  add({{0x41, 0x42}, {0x43}});
  struct row {
    int filter;
    const char* written;
  };
  const row rows[] = {{1, "out.bit"}, {2, "out.pcap"}};
  for (const row& r : rows) {
    // The user picks the filter in the real dialog, types "out" and presses Enter.
    const scoped_message_hooks person(message_hooks{
        [this](message_hooks::kind kind, const QString& text) {
          ui.messages.push_back({kind, text});
        },
        [](const QString&) { return answer::cancel; },
        [](const QString&, const QString&) { return std::optional<QString>(); },
        [&](QFileDialog& dialog) -> std::optional<file_choice> {
          dialog.setDirectory(QString::fromStdString(dir.path()));
          dialog.show();
          auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
          types->setCurrentIndex(r.filter);
          emit types->activated(r.filter);
          emit types->textActivated(types->currentText());
          dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
              ->setText(QStringLiteral("out"));
          QTest::keyClick(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")),
                          Qt::Key_Return);
          if (dialog.result() != QDialog::Accepted) return std::nullopt;
          return chosen_file(dialog);
        }});
    run(TfSigLoader::save);
    EXPECT_EQ(host.caption, QString::fromStdString(dir.file(r.written))) << r.written;
    const bytes expected =
        r.filter == 1 ? bytes{0x41, 0x42, 0x43} : capture_image({{0x41, 0x42}, {0x43}});
    EXPECT_EQ(read_file(dir.file(r.written)), expected) << r.written;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.sig")));
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
