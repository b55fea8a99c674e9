#include "gui/mainwindow/undo_history.h"

#include <QUndoCommand>

#include <algorithm>
#include <utility>
#include <vector>

#include "core/operations/history/undo_budget.h"
#include "core/operations/history/undo_record.h"

namespace {

// One step: its record, applied when the command is pushed (the step has run already).
class store_step : public QUndoCommand {
 public:
  store_step(PAKETS& store, std::unique_ptr<undo_record> record, const QString& name)
      : QUndoCommand(name), store_(store), record_(std::move(record)) {}

  void undo() override { done_ = record_->revert(store_); }
  void redo() override {
    if (std::exchange(pushed_, false)) return;
    done_ = record_->reapply(store_);
  }

  // Whether the last undo or redo took place (it fails, changing nothing, when memory runs out).
  [[nodiscard]] bool done() const { return done_; }
  [[nodiscard]] const undo_record& record() const { return *record_; }
  std::unique_ptr<undo_record> take() { return std::move(record_); }

 private:
  PAKETS& store_;
  std::unique_ptr<undo_record> record_;
  bool pushed_ = true;  // the first redo is the push: the step has run already
  bool done_ = true;
};

const store_step& step_at(const QUndoStack& stack, int index) {
  return static_cast<const store_step&>(*stack.command(index));
}

}  // namespace

TUndoHistory::TUndoHistory(PAKETS& store, QObject* parent) : QObject(parent), store_(store) {
  connect(&stack_, &QUndoStack::indexChanged, this, &TUndoHistory::changed);
  connect(&stack_, &QUndoStack::cleanChanged, this, &TUndoHistory::changed);
}

TUndoHistory::~TUndoHistory() = default;

uint64_t TUndoHistory::Memory() const {
  uint64_t total = 0;
  for (int i = 0; i < stack_.count(); ++i) total += step_at(stack_, i).record().memory();
  return total;
}

bool TUndoHistory::Record(std::unique_ptr<undo_record> record, const QString& name,
                          bool colours_only) {
  if (!record || record->memory() > budget_) {
    Forget(colours_only);
    return false;
  }
  if (record->empty()) return true;
  stack_.push(new store_step(store_, std::move(record), name));
  Trim();
  return true;
}

void TUndoHistory::Trim() {
  std::vector<uint64_t> sizes;
  sizes.reserve(static_cast<size_t>(stack_.count()));
  for (int i = 0; i < stack_.count(); ++i) sizes.push_back(step_at(stack_, i).record().memory());
  const auto dropped = static_cast<int>(steps_over_budget(sizes, budget_));
  if (dropped == 0) return;
  // A QUndoStack only drops commands from its top: the steps that stay are pushed again onto an
  // empty stack, and the saved state moves down with them (or is gone with the oldest).
  const int clean = stack_.cleanIndex();
  std::vector<std::pair<std::unique_ptr<undo_record>, QString>> kept;
  for (int i = dropped; i < stack_.count(); ++i) {
    // The stack lends its commands as const; they are its own, made here.
    auto& step = static_cast<store_step&>(const_cast<QUndoCommand&>(*stack_.command(i)));
    kept.emplace_back(step.take(), step.text());
  }
  const QSignalBlocker quiet(&stack_);
  stack_.clear();
  if (clean != dropped) stack_.resetClean();
  for (auto& [record, name] : kept) {
    stack_.push(new store_step(store_, std::move(record), name));
    if (stack_.index() == clean - dropped) stack_.setClean();
  }
  emit changed();
}

void TUndoHistory::Forget(bool colours_only) {
  const bool saved = Saved() && colours_only;
  Restart(saved);
}

void TUndoHistory::Restart(bool saved) {
  stack_.clear();
  if (!saved) stack_.resetClean();
  emit changed();
}

void TUndoHistory::MarkSaved() {
  stack_.setClean();
  emit changed();
}

void TUndoHistory::MarkUnsaved() {
  stack_.resetClean();
  emit changed();
}

bool TUndoHistory::Saved() const {
  const int clean = stack_.cleanIndex();
  if (clean < 0) return false;
  const int index = stack_.index();
  for (int i = std::min(clean, index); i < std::max(clean, index); ++i) {
    if (!step_at(stack_, i).record().colours_only()) return false;
  }
  return true;
}

bool TUndoHistory::Undo() {
  if (!stack_.canUndo()) return false;
  const bool saved = Saved();
  const store_step& step = step_at(stack_, stack_.index() - 1);
  stack_.undo();
  if (step.done()) return true;
  Restart(saved);  // the store is where it was
  return false;
}

bool TUndoHistory::Redo() {
  if (!stack_.canRedo()) return false;
  const bool saved = Saved();
  const store_step& step = step_at(stack_, stack_.index());
  stack_.redo();
  if (step.done()) return true;
  Restart(saved);
  return false;
}
