// The project's undo history: every change the user makes to the project
// (a field, a cell, rows, a paste, a helper's fill, the foundation or load
// type, the unit system, the mass calculator's results) is one named step
// on a QUndoStack. A step holds the project as it was before and after
// (TProjectState), so that undoing it gives back exactly what was there.
//
// Changes are not recorded where they are made: whoever changes the project
// asks for a commit, with the step's name, and the history compares the
// project with the state it holds. Requests made while one user action is
// handled (a paste writes many cells) come together in one step, taken when
// control returns to the event loop; Commit takes it at once.
#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <functional>
#include <optional>

#include "gui/model/ProjectState.hpp"

namespace terva::gui {

class TProjectHistory : public QObject {
  Q_OBJECT

 public:
  // `project` gives the open project (the main window replaces it on New
  // and Open).
  TProjectHistory(std::function<TProgramData&()> project, TProjectTables& tables, QObject* parent = nullptr);

  QUndoStack* Stack() { return &stack_; }

  // A new history from the project as it is now, which is the saved one
  // (after New and Open).
  void Reset();
  // Marks the present state as the saved one.
  void SetClean();
  // No state is the saved one (an imported or recovered project, unsaved
  // until the user saves it).
  void SetUnsaved();
  // Whether the project holds what was saved: undoing back to the saved
  // state, or changing a value there and back, is clean again.
  bool IsClean() const { return clean_; }

  // Takes the step now: when the project differs from the state the
  // history holds, a step named `name` ("Edit Shear Wave Velocity") goes on
  // the stack. Returns whether one did.
  bool Commit(const QString& name = QString());
  // Asks for a step, taken when control returns to the event loop; the
  // first name asked for names it.
  void RequestCommit(const QString& name);
  // Takes a requested step now, if there is one.
  void Flush();

  // While a step is undone or redone: changes the tables report then are
  // the history's own.
  bool Applying() const { return applying_; }

  const TProjectState& Current() const { return current_; }

 signals:
  // A step went on the stack.
  void Committed();
  // The project came to hold the saved state, or left it.
  void CleanChanged(bool clean);
  // A step was undone or redone: the project holds another state, and the
  // windows must show it.
  void Applied();

 private:
  friend class TStateCommand;
  void ApplyState(const TProjectState& state);
  void UpdateClean();

  std::function<TProgramData&()> project_;
  TProjectTables& tables_;
  QUndoStack stack_;
  TProjectState current_;
  std::optional<TProjectState> saved_;
  bool clean_ = true;
  QString pending_;
  bool requested_ = false;
  bool applying_ = false;
};

}  // namespace terva::gui
