#include "gui/model/ProjectState.hpp"

#include <algorithm>

#include "gui/model/Table.hpp"

namespace terva::gui {

namespace {
QString& NextStepName() {
  static QString name;
  return name;
}
}  // namespace

void NameNextStep(const QString& name) { NextStepName() = name; }

QString TakeStepName() {
  QString name;
  name.swap(NextStepName());
  return name;
}

bool SameCells(const TTableSnapshot& a, const TTableSnapshot& b) {
  if (a.units != b.units || a.rows != b.rows || a.columns.size() != b.columns.size()) return false;
  for (std::size_t c = 0; c < a.columns.size(); ++c) {
    const TTableSnapshot::Column& x = a.columns[c];
    const TTableSnapshot::Column& y = b.columns[c];
    if (x.kind != y.kind || x.reals != y.reals || x.integers != y.integers || x.texts != y.texts) return false;
    if (x.tables.size() != y.tables.size()) return false;
    for (std::size_t r = 0; r < x.tables.size(); ++r) {
      const bool hasX = x.tables[r] != nullptr, hasY = y.tables[r] != nullptr;
      if (hasX != hasY) return false;
      if (hasX && !SameCells(*x.tables[r], *y.tables[r])) return false;
    }
  }
  return true;
}

namespace {

// One pass over the cells; true when a cell was written. Linked cells (the
// bottom of a layer follows the top of the next) may move a cell written
// before, so the caller repeats until a pass writes nothing.
bool WriteCells(const TTableSnapshot& snapshot, TGridTable& table) {
  bool wrote = false;
  const int columnCount = std::min(table.ColumnCount(), static_cast<int>(snapshot.columns.size()));
  for (int c = 0; c < columnCount; ++c) {
    TColumn* column = table.Column(c);
    const TTableSnapshot::Column& copy = snapshot.columns[static_cast<std::size_t>(c)];
    if (column->ClassNumber() != copy.kind) continue;
    for (int r = 0; r < column->CellCount(); ++r) {
      const auto row = static_cast<std::size_t>(r);
      switch (copy.kind) {
        case kFloatColumn:
          if (row < copy.reals.size() && column->GetReal(r) != copy.reals[row]) {
            column->SetReal(r, copy.reals[row]);
            wrote = true;
          }
          break;
        case kEnumColumn:
        case kIntColumn:
          if (row < copy.integers.size() && column->GetInteger(r) != copy.integers[row]) {
            column->SetInteger(r, copy.integers[row]);
            wrote = true;
          }
          break;
        case kStringColumn:
          if (row < copy.texts.size() && column->Text(r) != copy.texts[row]) {
            column->SetFromText(r, copy.texts[row]);
            wrote = true;
          }
          break;
        case kTableColumn:
          if (row < copy.tables.size() && copy.tables[row])
            if (TGridTable* nested = column->NestedTable(r)) {
              if (!SameCells(*copy.tables[row], TTableSnapshot::Take(*nested))) {
                ApplyInPlace(*copy.tables[row], *nested);
                wrote = true;
              }
            }
          break;
        default: break;
      }
    }
  }
  return wrote;
}

}  // namespace

void ApplyInPlace(const TTableSnapshot& snapshot, TGridTable& table) {
  table.SetUnits(snapshot.units);
  table.SetRowCount(snapshot.rows);
  for (int pass = 0; pass < 4 && WriteCells(snapshot, table); ++pass) {
  }
}

TProjectState TProjectState::Capture(const TProgramData& data, const TProjectTables& tables) {
  TProjectState state;
  state.data_ = data;
  state.data_.FileName.clear();
  for (const TGridTable* table : tables.All())
    state.tables_.push_back(std::make_shared<const TTableSnapshot>(TTableSnapshot::Take(*table)));
  return state;
}

bool TProjectState::operator==(const TProjectState& other) const {
  if (!(data_ == other.data_) || tables_.size() != other.tables_.size()) return false;
  for (std::size_t i = 0; i < tables_.size(); ++i)
    if (tables_[i] != other.tables_[i] && !SameCells(*tables_[i], *other.tables_[i])) return false;
  return true;
}

void TProjectState::ShareWith(const TProjectState& previous) {
  for (std::size_t i = 0; i < tables_.size() && i < previous.tables_.size(); ++i)
    if (tables_[i] != previous.tables_[i] && SameCells(*tables_[i], *previous.tables_[i]))
      tables_[i] = previous.tables_[i];
}

void TProjectState::Apply(TProgramData& data, TProjectTables& tables) const {
  const QString fileName = data.FileName;
  data = data_;
  data.FileName = fileName;
  const auto& all = tables.All();
  for (std::size_t i = 0; i < all.size() && i < tables_.size(); ++i)
    if (!SameCells(*tables_[i], TTableSnapshot::Take(*all[i]))) ApplyInPlace(*tables_[i], *all[i]);
}

}  // namespace terva::gui
