#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <cstdint>
#include <memory>

#include "core/model/pakets.h"

class undo_record;

// The main window's undo history: a QUndoStack whose commands hold the records of the steps
// (core/operations/history), one per change of the store, within a memory budget. The oldest
// steps go first when a new one would pass the budget.
//
// The saved state is the stack's clean index; the signal counts as saved when only colourings lie
// between that state and the store's, since a file keeps no colours.
class TUndoHistory : public QObject {
  Q_OBJECT

 public:
  explicit TUndoHistory(PAKETS& store, QObject* parent = nullptr);
  TUndoHistory(const TUndoHistory&) = delete;
  TUndoHistory& operator=(const TUndoHistory&) = delete;
  ~TUndoHistory() override;

  // The memory the history may hold, its records' packets included.
  void SetBudget(uint64_t limit) { budget_ = limit; }
  [[nodiscard]] uint64_t Budget() const { return budget_; }
  // What the steps hold now.
  [[nodiscard]] uint64_t Memory() const;

  // A step has run with a recorder: `record` is what it kept (null when the recorder gave up, or
  // there was none), `name` what the menu calls the step ("обрезка"). A record that changed
  // nothing is no step. Without a record the history no longer matches the store and is emptied;
  // `colours_only` says whether the step could have changed more than colours. Returns false
  // when the step cannot be undone.
  bool Record(std::unique_ptr<undo_record> record, const QString& name, bool colours_only);
  // A new signal (opened or closed): no steps; `saved` says whether it equals its file.
  void Restart(bool saved);
  // The store was written to a file: its state is the saved one.
  void MarkSaved();
  // The store differs from its file in a way no step shows (a failed load, say).
  void MarkUnsaved();
  [[nodiscard]] bool Saved() const;

  // Takes the store a step back or forth. False when memory ran out: the store stays as it was
  // and the history is emptied.
  bool Undo();
  bool Redo();
  [[nodiscard]] bool CanUndo() const { return stack_.canUndo(); }
  [[nodiscard]] bool CanRedo() const { return stack_.canRedo(); }
  [[nodiscard]] QString UndoName() const { return stack_.undoText(); }
  [[nodiscard]] QString RedoName() const { return stack_.redoText(); }
  [[nodiscard]] int Steps() const { return stack_.count(); }

 signals:
  // The steps, the position among them or the saved state changed.
  void changed();

 private:
  // Drops the oldest steps until the rest fit the budget.
  void Trim();
  // Empties the history after a change it does not hold; the store stays saved only if it was
  // and the change could not touch what a file keeps.
  void Forget(bool colours_only);

  PAKETS& store_;
  QUndoStack stack_;
  uint64_t budget_ = 0;
};
