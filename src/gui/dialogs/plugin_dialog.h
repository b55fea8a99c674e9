#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPoint>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/model/pakets.h"
#include "core/operations/pass.h"

class QFrame;
class QGroupBox;
class QLabel;
class QToolButton;
class TGauge;
class TPacketGrid;
class Tfr_select;

// A range of byte indexes (from 0), both ends included.
struct byte_range {
  uint32_t first = 0;
  uint32_t last = 0;
  bool operator==(const byte_range&) const = default;
};

// Where an operation dialog's scope frame stands in its parameter group: none, at the top, or at
// the bottom below the dialog's own fields (Tab still visits it after them).
enum class scope_place : uint8_t { none, top, bottom };

// What every operation dialog sets in the common frame; the base lays it out, so that the dialog's
// own constructor adds only its parameters.
struct dialog_frame {
  const char* name;                       // object name: the form's class name ("TfSigCut")
  const char* caption;                    // window caption, UTF-8 ("обрезка")
  const char* title;                      // the tool name lblTitle shows ("SIGCut")
  int extra_height = 0;                   // the window and its parameter group grow by this much...
  int extra_width = 0;                    // ...and widen by this much; the bottom row follows
  scope_place scope = scope_place::none;  // the scope frame fSelect, if any
};

// The base of every operation dialog: the logo, title, parameter group, gauge, Cancel and OK; the
// pass state (running flag, counters, the step that moves the gauge) and the way the main window
// runs a dialog on its store. One object serves one Execute.
class TPelorin_Plugin : public QDialog {
  Q_OBJECT

 public:
  explicit TPelorin_Plugin(QWidget* owner);
  // The frame of an operation dialog: names, caption, title, the logo, the sizes, the scope frame;
  // OK calls btnOkClick().
  TPelorin_Plugin(QWidget* owner, const dialog_frame& frame);
  TPelorin_Plugin(const TPelorin_Plugin&) = delete;
  TPelorin_Plugin& operator=(const TPelorin_Plugin&) = delete;
  ~TPelorin_Plugin() override;

  // Stores above this many packets show progress and accept Cancel during a pass.
  static constexpr size_t progress_threshold = 10000;
  // Events are let through at most this often during a pass, in milliseconds.
  static constexpr qint64 event_interval_ms = 20;
  // The step looks at the clock once per this many packets (a power of two).
  static constexpr qint64 clock_stride = 64;

  virtual void InitRange();
  virtual void InitProgress();
  // Destroys p (null is allowed) and counts it; the store entry is the caller's business.
  virtual void DeletePaket(xpaket* p);
  // Moves the gauge and, at most every event_interval_ms, lets the GUI process events (Cancel).
  // Does nothing unless InitProgress found a large store.
  virtual void StepProgress();
  // The same for `packets` packets at once: the events get their turn when the position passes a
  // multiple of clock_stride. The pass's step moves the gauge this way, clock_stride packets a
  // time.
  void AdvanceProgress(qint64 packets);
  // The dialog's pass; non-zero closes the dialog with OK.
  virtual int Process() = 0;
  // OK of an operation dialog: reads and checks the fields, then runs the pass and closes. The
  // base runs the pass and closes.
  virtual void btnOkClick();
  // Remembers the command and the store, prepares the pass (InitRange, InitProgress), asks
  // Prepare() whether the dialog should open, shows it modally and returns what the dialog did.
  // The store must outlive the call.
  virtual PLUGIN_RESULT Execute(uint16_t command, PAKETS& store);

  // What keeps the dialog's changes for undo during Execute; null for none. Borrowed.
  void SetRecorder(undo_recorder* recorder) { pass_.recorder = recorder; }
  // The grid of the main window, borrowed for the dialog's life (null in tests without one).
  void SetGrid(TPacketGrid* grid) { grid_ = grid; }
  [[nodiscard]] TPacketGrid* grid() const { return grid_; }
  // The grid's state in store terms: the packet of the current row, the byte index of the
  // current column, the marked column range as byte indexes. Nothing when there is none.
  [[nodiscard]] std::optional<uint32_t> CurrentPacket() const;
  [[nodiscard]] std::optional<uint32_t> CurrentByte() const;
  [[nodiscard]] std::optional<byte_range> MarkedBytes() const;

  [[nodiscard]] bool running() const { return pass_.running; }
  [[nodiscard]] const PLUGIN_RESULT& pluginResult() const { return pass_.result; }
  [[nodiscard]] bool showsProgress() const { return show_progress_; }
  [[nodiscard]] qint64 gaugePosition() const { return gauge_position_; }
  [[nodiscard]] uint16_t command() const { return command_; }
  // What the dialog has to tell after it closed, for the main window's status bar; empty when
  // nothing.
  [[nodiscard]] const QString& StatusText() const { return status_text_; }
  // Tests shorten the interval to see Cancel act within a small pass.
  void setEventInterval(qint64 ms) { event_interval_ms_ = ms; }

  // Closes the window; while a pass started on activation runs, only clears the running flag and
  // closes once the pass has returned.
  void done(int result) override;
  // Runs the work once, the first time the window is activated or shown (see StartOnActivation).
  void FormActivate();

 protected:
  // For windows whose work starts by itself (the file window, the quick filters): the first
  // activation or show of the window runs Process() once; a close asked for meanwhile (Cancel,
  // Escape) waits until Process() has returned, so the pass never loses its window under it.
  void StartOnActivation() { start_on_activation_ = true; }
  [[nodiscard]] bool started() const { return started_; }
  [[nodiscard]] bool working() const { return working_; }
  // Whether the work may start now.
  [[nodiscard]] virtual bool ReadyToStart() const { return true; }
  // What follows the work when no close was asked for while it ran.
  virtual void AfterWork() {}
  // Called once when the window really closes, before the dialog's own close.
  virtual void Closing() {}
  bool event(QEvent* e) override;
  // The first control in reading order takes the focus, unless one has it already.
  void showEvent(QShowEvent* e) override;
  // Enter acts as OK (on a focused Cancel or other push button, as that button); Esc cancels.
  void keyPressEvent(QKeyEvent* e) override;
  // Notes where and when OK or Cancel was pressed: a close by that click keeps the second click
  // of a double click from the window beneath.
  bool eventFilter(QObject* watched, QEvent* e) override;
  // Tab and Shift+Tab move through the controls in reading order (tab_stops) and wrap round.
  bool focusNextPrevChild(bool next) override;

  // Shows the dialog modally (or hands it to the modal hook in tests); returns the modal result.
  int RunModal();
  virtual void btnCancelClick();
  // Execute's hook between the preparation and the modal loop: false returns at once with the
  // result as it stands (a refusal, or work done without the window).
  virtual bool Prepare() { return true; }

  // Grows the window and its parameter group by `extra` pixels; the bottom row moves down.
  void GrowParams(int extra);
  // Controls that start work besides OK: disabled with it while a pass runs.
  void AddStartControl(QWidget* control);
  // Runs Process() with the start controls disabled, so that a second click cannot nest a pass;
  // Cancel or a close meanwhile stops the pass and closes the window once it has returned.
  // Returns what Process() returned, or nothing when the window was closed during the pass.
  std::optional<int> RunPass();
  // RunPass, then closes: with OK when Process() returned non-zero, otherwise as Cancel.
  void RunPassAndClose();
  // Sets the gauge's maximum and position (the widget and the step counter alike); steps the pass
  // has not yet handed on are dropped.
  void SetGauge(qint64 maximum, qint64 position);
  void SetStatusText(const QString& text) { status_text_ = text; }

  TPacketGrid* grid_ = nullptr;
  PAKETS* store_ = nullptr;
  PAKETS::iterator position_;
  PAKETS::iterator end_;
  uint16_t command_ = 0;
  xpaket* current_ = nullptr;
  bool show_progress_ = false;
  // Running flag and counters; its step advances the gauge by clock_stride packets.
  pass pass_;

  QLabel* imgLogo = nullptr;
  QLabel* lblTitle = nullptr;
  QGroupBox* gbParams = nullptr;
  QFrame* panProgress = nullptr;
  TGauge* gProgress = nullptr;
  QToolButton* btnCancel = nullptr;
  QToolButton* btnOk = nullptr;
  // The scope frame of an operation dialog that has one (dialog_frame::scope).
  Tfr_select* fSelect = nullptr;

 private:
  // Moves the window's bottom edge and right edge out by these amounts, with the bottom row.
  void GrowFrame(int extra_width, int extra_height);
  // A scope frame made by the base stands below fields made after it: Tab visits it last.
  void PutScopeLastInTabOrder();

  // Process(), then the packets the pass stepped since its last call of the step join the gauge.
  int ProcessAndSettle();

  bool start_on_activation_ = false;
  bool started_ = false;  // the work has begun (it runs once)
  bool working_ = false;  // inside Process: closing waits until it returns
  std::optional<int> pending_result_;
  QString status_text_;
  QPoint close_press_at_;            // screen position of the last press on OK or Cancel
  QElapsedTimer close_press_clock_;  // started by that press; invalid before one
  std::vector<QWidget*> start_controls_;
  qint64 gauge_position_ = 0;
  qint64 event_interval_ms_ = event_interval_ms;
  qint64 events_at_ms_ = 0;  // when events last had their turn, on the coarse clock
  // PutScopeLastInTabOrder is still to run, when the window is first polished.
  bool scope_last_in_tab_order_ = false;
};

// What tests put in place of the modal loop: receives the dialog, returns its modal result.
using modal_hook = std::function<int(TPelorin_Plugin&)>;

class scoped_modal_hook {
 public:
  explicit scoped_modal_hook(modal_hook hook);
  scoped_modal_hook(const scoped_modal_hook&) = delete;
  scoped_modal_hook& operator=(const scoped_modal_hook&) = delete;
  ~scoped_modal_hook();

 private:
  modal_hook previous_;
};
