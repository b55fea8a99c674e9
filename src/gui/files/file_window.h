#pragma once

#include <QString>

#include <QFileDialog>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/files/signal_io.h"
#include "core/model/stream.h"
#include "gui/dialogs/plugin_dialog.h"

class QTimer;

// What the file window does to the main window while it works.
class sig_loader_host {
 public:
  virtual ~sig_loader_host() = default;
  virtual void SetCurrentCell(int column, int row) = 0;
  // The window caption becomes "Pelorin - " and the file name.
  virtual void SetSignalCaption(const QString& file_name) = 0;
  // The store has just been emptied for a load, or the load's first packets are in: show them.
  virtual void ShowFirstScreen() = 0;
  virtual void SetGridVisible(bool on) = 0;
  // Sets or clears the saved flag and repaints its status panel.
  virtual void SetSaved(bool saved) = 0;
  // The file to open without a file dialog: a recent file the user chose, else the first
  // command-line argument; empty when there is none.
  [[nodiscard]] virtual QString CommandLineFile() const = 0;
};

// The file window: open (command 0), open the command-line file (2), save (3), unload (4) and
// merge (5). It chooses the file, runs the reader, writer or unload with progress, reports
// failures and fills the result. The work starts when the window is first activated; a 10 ms
// timer closes it once the running flag is clear.
class TfSigLoader : public TPelorin_Plugin {
  Q_OBJECT

 public:
  enum command_code : uint8_t { load = 0, load_argument = 2, save = 3, unload = 4, merge = 5 };

  TfSigLoader(QWidget* owner, sig_loader_host& host);
  ~TfSigLoader() override;

  PLUGIN_RESULT Execute(uint16_t command, PAKETS& store) override;
  int Process() override;

  // The program's texts of this window.
  static QString open_failed_text();
  static QString format_error_text();
  // A capture read up to `packets` packets, stopped by `fault`.
  static QString capture_format_error_text(read_fault fault, uint32_t packets);
  static QString mixed_link_types_text(const std::vector<uint32_t>& types);
  static QString write_failed_text();
  static QString packet_too_long_text(uint32_t number);
  static QString packet_too_long_for_capture_text(uint32_t number);

 protected:
  [[nodiscard]] bool ReadyToStart() const override { return pass_.running; }
  void AfterWork() override { tTimerTimer(); }
  void Closing() override;

 private:
  [[nodiscard]] uint8_t code() const { return static_cast<uint8_t>(command_ & 0xFF); }
  bool PrepareSave();
  bool PrepareLoad();
  void ProcessSave();
  void ProcessLoad();
  void Unload(bool with_steps);
  void tTimerTimer();
  void FormClose();
  // The too-long message of the chosen save format.
  [[nodiscard]] QString too_long_text(uint32_t number) const;

  sig_loader_host& host_;
  // Made by the commands that ask for a file; children of the main window while they live.
  std::unique_ptr<QFileDialog> dlgOpen;
  std::unique_ptr<QFileDialog> dlgSave;
  QTimer* tTimer = nullptr;
  xin_stream input_;
  std::string load_path_;
  std::string save_path_;
  signal_format save_format_ = signal_format::sig;
  bool shown_ = false;  // the window was shown: FormClose reports the store as modified
  bool closed_ = false;
};
