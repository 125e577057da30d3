// The grid table and the base of its columns: cells, rows in groups,
// columns, properties, the modified state and the table's window. The
// column registry and the column-definition stream are in ColumnStream.cpp.
#include "gui/model/Table.hpp"

#include "gui/model/ColumnTypes.hpp"

#include <algorithm>
#include <utility>

namespace terva::gui {

namespace {

const char kWrongType[] = "Data of wrong type";
const char kOutOfBounds[] = "Index out of bounds";

std::vector<TGridTable*>& TableList() {
  static std::vector<TGridTable*> list;
  return list;
}

TTableWindows*& InstalledWindows() {
  static TTableWindows* windows = nullptr;
  return windows;
}

int& IdentifierCounter() {
  static int counter = 0;
  return counter;
}

}  // namespace

// ---------------------------------------------------------------------------
// Table windows, TData

TTableWindows::~TTableWindows() = default;

TTableWindows* SetTableWindows(TTableWindows* windows) { return std::exchange(InstalledWindows(), windows); }

TTableWindows* TableWindows() { return InstalledWindows(); }

long double TData::AsReal() const { return column_->GetReal(row_); }
void TData::SetReal(long double value) const { column_->SetReal(row_, value); }
int TData::AsInteger() const { return column_->GetInteger(row_); }
void TData::SetInteger(int value) const { column_->SetInteger(row_, value); }
QString TData::AsText() const { return column_->Text(row_); }
void TData::SetText(const QString& text) const { column_->SetFromText(row_, text); }
TGridTable* TData::Table() const { return column_->NestedTable(row_); }

// ---------------------------------------------------------------------------
// TColumn

TColumn::~TColumn() = default;

void TColumn::SetHeader(const QStringList& lines) {
  BeginDefinitionChange();
  header_ = lines;
  EndDefinitionChange();
}

void TColumn::SetVisible(bool visible) {
  if (visible == visible_) return;
  BeginDefinitionChange();
  visible_ = visible;
  EndDefinitionChange();
}

int TColumn::Index() const { return table_ != nullptr ? table_->ColumnIndex(this) : -1; }

TColumn* TColumn::Previous() const {
  const int index = Index();
  return index > 0 ? table_->Column(index - 1) : nullptr;
}

TColumn* TColumn::Next() const {
  const int index = Index();
  return index >= 0 && index + 1 < table_->ColumnCount() ? table_->Column(index + 1) : nullptr;
}

std::pair<int, int> TColumn::GroupOf(int row) const {
  const int group = table_ != nullptr ? table_->RowGroup() : 1;
  const int first = row - row % group;
  return {first, std::min(first + group, CellCount()) - 1};
}

int TColumn::HeaderLineCount() const { return static_cast<int>(header_.size()); }

QString TColumn::HeaderLine(int index) const { return header_.value(index); }

QStringList TColumn::HeaderLines() const {
  QStringList lines;
  for (int i = 0; i < HeaderLineCount(); ++i) lines.append(HeaderLine(i));
  return lines;
}

int TColumn::HeaderWidth(const TTextAdvance& advance) const {
  int width = 0;
  for (const QString& line : HeaderLines()) width = std::max(width, advance(line));
  return width;
}

TGridTable* TColumn::NestedTable(int) const { throw TError(kWrongType); }
long double TColumn::GetReal(int) const { throw TError(kWrongType); }
void TColumn::SetReal(int, long double) { throw TError(kWrongType); }
int TColumn::GetInteger(int) const { throw TError(kWrongType); }
void TColumn::SetInteger(int, int) { throw TError(kWrongType); }
QObject* TColumn::CellObject(int) const { return nullptr; }
void TColumn::SetUnitSystem(int, int) {}

void TColumn::CheckRow(int row) const {
  if (row < 0 || row >= CellCount()) throw TError(kOutOfBounds);
}

void TColumn::NotifyChanged(int row) {
  if (table_ != nullptr) table_->CellChanged(this, row);
}

int TColumn::UnitsOfTable() const { return table_ != nullptr ? table_->Units() : 1; }

void TColumn::BeginDefinitionChange() {
  if (table_ != nullptr) table_->ColumnDefinitionChanging();
}

void TColumn::EndDefinitionChange() {
  if (table_ != nullptr) table_->ColumnDefinitionChanged();
}

// ---------------------------------------------------------------------------
// TGridTable: life

TGridTable::TGridTable(QObject* owner) : QObject(owner) {
  identifier_ = NextIdentifier();
  if (const auto* outer = qobject_cast<TGridTable*>(owner)) units_ = outer->units_;
  TableList().push_back(this);
}

TGridTable::~TGridTable() {
  destroying_ = true;
  CloseWindow(TCloseReason::TableGone);
  try {
    SetRowCount(0);
  } catch (...) {
    // Dropping rows from the end never relinks, so nothing is expected here.
  }
  auto& list = TableList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  columns_.clear();
}

int TGridTable::NextIdentifier() {
  // Skip identifiers that tables already carry, so that a lookup by
  // Identifier never meets two tables.
  int& counter = IdentifierCounter();
  do {
    ++counter;
  } while (Find(counter) != nullptr);
  return counter;
}

std::unique_ptr<TGridTable> TGridTable::CreateCopy(const TGridTable& source, TGridTable* outer,
                                                   int position) {
  auto copy = std::make_unique<TGridTable>();
  copy->outer_ = outer;
  copy->nestPosition_ = position;
  copy->units_ = outer != nullptr ? outer->units_ : 1;
  copy->templateIdentifier_ = source.identifier_;
  copy->caption_ = source.caption_;
  copy->comments_ = source.comments_;
  copy->topLeft_ = source.topLeft_;
  copy->minRows_ = source.minRows_;
  copy->maxRows_ = source.maxRows_;
  for (const auto& column : source.columns_) copy->AddColumn(column->Clone());
  copy->SetRowCount(copy->minRows_);
  copy->ClearModified();
  return copy;
}

// ---------------------------------------------------------------------------
// TGridTable: properties

void TGridTable::SetComments(const QString& text) {
  comments_ = text;
  emit PropertiesChanged();
}

void TGridTable::SetIdentifier(int id) {
  if (id == identifier_) return;
  for (TGridTable* other : TableList()) {
    if (other != this && other->identifier_ == id) other->identifier_ = identifier_;
  }
  identifier_ = id;
}

void TGridTable::SetCaption(const QString& text) {
  caption_ = text;
  emit PropertiesChanged();
}

void TGridTable::SetMaxRows(int rows) {
  maxRows_ = std::max(rows, 0);
  emit PropertiesChanged();
}

void TGridTable::SetMinRows(int rows) {
  if (rows <= 0) {
    if (!loading_) throw TError("Value must be greater than 0");
    rows = 1;
  }
  minRows_ = rows;
  emit PropertiesChanged();
}

void TGridTable::SetHelpPicture(const QString& path) {
  helpPicture_ = path;
  emit PropertiesChanged();
}

void TGridTable::SetRowGroup(int rows) {
  rowGroup_ = std::max(rows, 1);
  emit PropertiesChanged();
}

void TGridTable::SetTopLeft(const QString& text) {
  topLeft_ = text;
  emit PropertiesChanged();
}

// ---------------------------------------------------------------------------
// TGridTable: rows

void TGridTable::InsertRowsAt(int position, int count) {
  if (count <= 0) return;
  for (const auto& column : columns_) column->CheckLinks();
  emit RowsAboutToBeInserted(position, position + count - 1);
  ++structural_;
  // Column by column, in order: a bottom-depth column sees the new cells of
  // its top-depth column.
  for (const auto& column : columns_) column->InsertCells(position, count);
  rowCount_ += count;
  --structural_;
  emit RowsInserted(position, position + count - 1);
}

void TGridTable::RemoveRowsAt(int position, int count) {
  if (count <= 0) return;
  const bool atEnd = position + count == rowCount_;
  if (!atEnd) {
    for (const auto& column : columns_) column->CheckLinks();
  }
  emit RowsAboutToBeRemoved(position, position + count - 1);
  ++structural_;
  if (atEnd) {
    // Dropping from the end: no layer follows, nothing to relink.
    for (int row = rowCount_ - 1; row >= position; --row)
      for (const auto& column : columns_) column->DeleteCell(row);
  } else {
    for (int i = 0; i < count; ++i)
      for (const auto& column : columns_) column->DeleteCell(position);
  }
  rowCount_ -= count;
  --structural_;
  emit RowsRemoved(position, position + count - 1);
}

void TGridTable::SetRowCount(int rows) {
  rows = std::max(rows, 0);
  if (rows == rowCount_) return;
  if (rows < rowCount_) {
    RemoveRowsAt(rows, rowCount_ - rows);
  } else {
    while (rowCount_ < rows) InsertRowsAt(rowCount_, std::min(rowGroup_, rows - rowCount_));
  }
  NotifyChanged();
}

void TGridTable::AddRows() {
  InsertRowsAt(rowCount_, rowGroup_);
  NotifyChanged();
}

void TGridTable::InsertRows(int row) {
  if (row < 0 || row >= rowCount_) throw TError(kOutOfBounds);
  InsertRowsAt(GroupStart(row), rowGroup_);
  NotifyChanged();
}

void TGridTable::DeleteRows(int row) {
  if (row < 0 || row >= rowCount_) throw TError(kOutOfBounds);
  const int start = GroupStart(row);
  RemoveRowsAt(start, std::min(rowGroup_, rowCount_ - start));
  NotifyChanged();
}

// ---------------------------------------------------------------------------
// TGridTable: columns and cells

TColumn* TGridTable::Column(int index) const {
  if (index < 0 || index >= ColumnCount()) throw TError(kOutOfBounds);
  return columns_[static_cast<size_t>(index)].get();
}

int TGridTable::ColumnIndex(const TColumn* column) const {
  for (size_t i = 0; i < columns_.size(); ++i)
    if (columns_[i].get() == column) return static_cast<int>(i);
  return -1;
}

void TGridTable::AttachColumn(std::unique_ptr<TColumn> column) {
  TColumn* added = column.get();
  added->table_ = this;
  columns_.push_back(std::move(column));
  try {
    if (TColumn* previous = added->Previous()) previous->CheckLinks();
    added->CheckLinks();
  } catch (...) {
    columns_.pop_back();
    throw;
  }
  ++structural_;
  for (int done = 0; done < rowCount_; done += rowGroup_)
    added->InsertCells(done, std::min(rowGroup_, rowCount_ - done));
  --structural_;
}

TColumn* TGridTable::AddColumn(std::unique_ptr<TColumn> column) {
  if (!column) return nullptr;
  TColumn* added = column.get();
  ColumnDefinitionChanging();
  try {
    AttachColumn(std::move(column));
  } catch (...) {
    ColumnDefinitionChanged();
    throw;
  }
  ColumnDefinitionChanged();
  return added;
}

void TGridTable::ClearColumns() {
  if (columns_.empty()) return;
  ColumnDefinitionChanging();
  columns_.clear();
  ColumnDefinitionChanged();
}

int TGridTable::VisibleColumnCount() const {
  return static_cast<int>(std::count_if(columns_.begin(), columns_.end(),
                                        [](const auto& column) { return column->Visible(); }));
}

TColumn* TGridTable::VisibleColumn(int index) const {
  if (index >= 0) {
    for (const auto& column : columns_) {
      if (column->Visible() && index-- == 0) return column.get();
    }
  }
  throw TError(kOutOfBounds);
}

int TGridTable::VisibleIndexOf(const TColumn* column) const {
  int index = 0;
  for (const auto& candidate : columns_) {
    if (!candidate->Visible()) continue;
    if (candidate.get() == column) return index;
    ++index;
  }
  return -1;
}

TData TGridTable::Cell(int column, int row) const {
  TColumn* target = Column(column);
  if (row < 0 || row >= rowCount_) throw TError(kOutOfBounds);
  return TData(target, row);
}

TData TGridTable::VisibleCell(int column, int row) const {
  TColumn* target = VisibleColumn(column);
  if (row < 0 || row >= rowCount_) throw TError(kOutOfBounds);
  return TData(target, row);
}

void TGridTable::SetModified(bool on) {
  modified_ = on;
  if (on) NotifyEdited();
}

void TGridTable::NotifyEdited() {
  if (destroying_) return;
  for (TGridTable* table = this; table != nullptr; table = table->outer_) emit table->Edited();
}

void TGridTable::CellChanged(TColumn* column, int row) {
  modified_ = true;
  NotifyEdited();
  if (structural_ > 0) return;
  const int index = ColumnIndex(column);
  emit CellValueChanged(index, row);
  // A nested-table column under a choice column follows the choice.
  if (index == 0 && column->ClassNumber() == kEnumColumn) {
    for (const auto& other : columns_) {
      if (auto* nested = dynamic_cast<TTableColumn*>(other.get())) nested->ChoiceChanged(row);
    }
  }
}

void TGridTable::ColumnDefinitionChanging() { emit ColumnsAboutToChange(); }

void TGridTable::ColumnDefinitionChanged() {
  emit ColumnsChanged();
  NotifyChanged();
}

// ---------------------------------------------------------------------------
// TGridTable: units, changes, nesting

void TGridTable::SetUnits(int system) {
  system = std::clamp(system, 1, 2);
  if (system == units_) return;
  const int from = units_;
  for (const auto& column : columns_) column->SetUnitSystem(from, system);
  units_ = system;
  emit UnitsChanged();
  NotifyChanged();
}

bool TGridTable::Modified() const {
  if (modified_) return true;
  return std::any_of(columns_.begin(), columns_.end(),
                     [](const auto& column) { return column->HasChanges(); });
}

void TGridTable::ClearModified() {
  modified_ = false;
  for (const auto& column : columns_) column->ResetChanges();
}

bool TGridTable::MayNest(const TGridTable& source) const {
  for (const TGridTable* table = this; table != nullptr; table = table->outer_) {
    if (table == &source) return false;
    if (table->templateIdentifier_ >= 0 && table->templateIdentifier_ == source.identifier_) return false;
  }
  return true;
}

QString TGridTable::WindowCaption() const {
  QStringList positions;
  for (const TGridTable* table = this; table != nullptr && table->outer_ != nullptr; table = table->outer_)
    positions.prepend(QString::number(table->nestPosition_));
  QString caption = caption_ + ' ';
  for (const QString& position : positions) caption += ' ' + position;
  return caption;
}

void TGridTable::NotifyChanged() {
  if (destroying_) return;
  emit Changed();
  if (changeCallback_) changeCallback_();
  NotifyEdited();
}

// ---------------------------------------------------------------------------
// TGridTable: window and program-wide list

void TGridTable::Show() {
  if (VisibleColumnCount() == 0) return;
  if (rowCount_ < minRows_) SetRowCount(minRows_);
  if (TTableWindows* windows = TableWindows()) windows->Open(*this);
}

bool TGridTable::WindowOpen() const {
  const TTableWindows* windows = TableWindows();
  return windows != nullptr && windows->IsOpen(*this);
}

void TGridTable::CloseWindow(TCloseReason reason) {
  if (TTableWindows* windows = TableWindows()) windows->Close(*this, reason);
}

TGridTable* TGridTable::Find(int identifier) {
  for (TGridTable* table : TableList())
    if (table->identifier_ == identifier) return table;
  return nullptr;
}

const std::vector<TGridTable*>& TGridTable::AllTables() { return TableList(); }

}  // namespace terva::gui
