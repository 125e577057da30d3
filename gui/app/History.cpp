#include "gui/app/History.hpp"

#include <QTimer>
#include <QUndoCommand>

namespace terva::gui {

// One step: the project before and after.
class TStateCommand : public QUndoCommand {
 public:
  TStateCommand(TProjectHistory& history, const QString& name, TProjectState before, TProjectState after)
      : QUndoCommand(name), history_(history), before_(std::move(before)), after_(std::move(after)) {}

  void undo() override { history_.ApplyState(before_); }
  // What the project holds after the step, once a save's own rules
  // (derived flags and counts) are in it.
  void SetAfter(TProjectState after) { after_ = std::move(after); }
  void redo() override {
    // Pushed after the change was made: the project holds it already.
    if (first_) {
      first_ = false;
      return;
    }
    history_.ApplyState(after_);
  }

 private:
  TProjectHistory& history_;
  TProjectState before_;
  TProjectState after_;
  bool first_ = true;
};

TProjectHistory::TProjectHistory(std::function<TProgramData&()> project, TProjectTables& tables, QObject* parent)
    : QObject(parent), project_(std::move(project)), tables_(tables) {
  stack_.setUndoLimit(200);
  Reset();
}

void TProjectHistory::Reset() {
  stack_.clear();
  current_ = TProjectState::Capture(project_(), tables_);
  pending_.clear();
  requested_ = false;
  SetClean();
}

void TProjectHistory::SetClean() {
  Flush();
  // A save sets what its rules derive (option flags, counts): that is part
  // of the state the last step leads to, not a step of its own.
  TProjectState now = TProjectState::Capture(project_(), tables_);
  if (!(now == current_)) {
    now.ShareWith(current_);
    current_ = now;
    if (stack_.index() > 0)
      if (auto* last = dynamic_cast<const TStateCommand*>(stack_.command(stack_.index() - 1)))
        const_cast<TStateCommand*>(last)->SetAfter(current_);
  }
  stack_.setClean();
  saved_ = current_;
  UpdateClean();
}

void TProjectHistory::SetUnsaved() {
  Flush();
  stack_.resetClean();
  saved_.reset();
  UpdateClean();
}

void TProjectHistory::UpdateClean() {
  const bool clean = saved_ && current_ == *saved_;
  if (clean == clean_) return;
  clean_ = clean;
  emit CleanChanged(clean);
}

bool TProjectHistory::Commit(const QString& name) {
  if (applying_) return false;
  // A name given here names the step; a requested step keeps the name it
  // was asked for with.
  const QString stepName = name.isEmpty() ? pending_ : name;
  pending_.clear();
  requested_ = false;
  TProjectState now = TProjectState::Capture(project_(), tables_);
  if (now == current_) return false;
  now.ShareWith(current_);
  if (saved_) now.ShareWith(*saved_);
  TProjectState before = current_;
  current_ = now;
  stack_.push(new TStateCommand(*this, stepName.isEmpty() ? QStringLiteral("Edit") : stepName, std::move(before),
                                std::move(now)));
  UpdateClean();
  emit Committed();
  return true;
}

void TProjectHistory::RequestCommit(const QString& name) {
  if (applying_) return;
  if (pending_.isEmpty()) pending_ = name;
  if (requested_) return;
  requested_ = true;
  QTimer::singleShot(0, this, [this] {
    if (requested_) Commit(QString());
  });
}

void TProjectHistory::Flush() {
  if (requested_) Commit(QString());
}

void TProjectHistory::ApplyState(const TProjectState& state) {
  applying_ = true;
  state.Apply(project_(), tables_);
  current_ = state;
  applying_ = false;
  UpdateClean();
  emit Applied();
}

}  // namespace terva::gui
