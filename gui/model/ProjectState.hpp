// The project as a value: every scalar input and every table cell, nested
// tables included, at one moment. The undo history keeps one per step and
// the autosave writes the project it was taken from.
//
// A state leaves out what is not the project's content: the file name (a
// Save As is not an edit) and the tables' modified flags.
#pragma once

#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"

#include <memory>
#include <vector>

namespace terva::gui {

// Whether two table snapshots hold the same unit system, rows and cells
// (nested tables included); the modified flags are not compared.
bool SameCells(const TTableSnapshot& a, const TTableSnapshot& b);

// Puts the rows of `snapshot` into `table` in place: the row count is
// adjusted at the end, and only cells that differ are written, so that the
// table's open window and the windows of nested tables that stay open keep
// showing their table. The modified flag is left alone.
void ApplyInPlace(const TTableSnapshot& snapshot, TGridTable& table);

// The name of the undo step the next change of a table belongs to: a
// table window says what it is about to do ("Paste", "Insert Row in Pile
// Data") and the history takes the name with the change. Empty when no one
// named it.
void NameNextStep(const QString& name);
QString TakeStepName();

class TProjectState {
 public:
  TProjectState() = default;
  static TProjectState Capture(const TProgramData& data, const TProjectTables& tables);

  // Same content: scalar values and every table's cells.
  bool operator==(const TProjectState& other) const;

  // Writes the state into the project and its tables; the project's file
  // name stays. Tables whose cells already match are not touched.
  void Apply(TProgramData& data, TProjectTables& tables) const;

  const TProgramData& Data() const { return data_; }
  const TTableSnapshot& Table(int index) const { return *tables_.at(static_cast<std::size_t>(index)); }

  // Takes over the tables of `previous` that have the same cells, so that
  // a history of states holds each version of a table once.
  void ShareWith(const TProjectState& previous);

 private:
  TProgramData data_;
  // Shared between states: an unchanged table is held once.
  std::vector<std::shared_ptr<const TTableSnapshot>> tables_;
};

}  // namespace terva::gui
