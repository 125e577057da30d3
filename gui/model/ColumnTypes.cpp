#include "gui/model/ColumnTypes.hpp"

#include "gui/core/Expression.hpp"
#include "gui/core/NumberFormat.hpp"
#include "gui/core/units.hpp"

#include <QDataStream>

#include <algorithm>
#include <cmath>

namespace terva::gui {

namespace {

const char kOutOfBounds[] = "Index out of bounds";
const char kTopDepthLink[] = "If column if a topdepth then the next column must be a float column";
const char kFloatMarker[] = "FLOATCOLUMN2";
const char kFlexMarker[] = "FLEXCOLUMN2";
// Marker of the per-item form of a nested-table column (anything but the
// FLEXCOLUMN2 marker reads as that form).
const char kItemListMarker[] = "FLEXCOLUMN";

// Whole-number tolerance of typed integer entries.
constexpr long double kIntegerTolerance = 1e-10L;

// The common part of every numeric entry: not blank, and an expression that
// evaluates to a finite number.
long double EvaluateEntry(const QString& text) {
  if (text.trimmed().isEmpty()) throw TError("Entry cannot be blank.");
  const Evaluation result = EvaluateExpression(text);
  if (!result.ok || !std::isfinite(result.value)) throw TError(text + " is not a valid number.");
  return result.value;
}

bool IsWhole(long double value) {
  return std::fabs(value - std::nearbyint(value)) <= kIntegerTolerance;
}

QString BetweenMessage(long long minimum, long long maximum) {
  return QString("Entry must be between %1 and %2.").arg(minimum).arg(maximum);
}

void CheckInsertPosition(int position, int cellCount) {
  if (position < 0 || position > cellCount) throw TError(kOutOfBounds);
}

}  // namespace

void RegisterColumnTypes() {
  RegisterColumnClass(kEnumColumn, [] { return std::unique_ptr<TColumn>(new TEnumColumn); });
  RegisterColumnClass(kIntColumn, [] { return std::unique_ptr<TColumn>(new TIntColumn); });
  RegisterColumnClass(kFloatColumn, [] { return std::unique_ptr<TColumn>(new TFloatColumn); });
  RegisterColumnClass(kTableColumn, [] { return std::unique_ptr<TColumn>(new TTableColumn); });
  RegisterColumnClass(kStringColumn, [] { return std::unique_ptr<TColumn>(new TStringColumn); });
}

// ---------------------------------------------------------------------------
// TEnumColumn

TEnumColumn::TEnumColumn(const QStringList& header, const QStringList& items) : items_(items) {
  SetHeader(header);
}

void TEnumColumn::InsertCells(int position, int count) {
  CheckInsertPosition(position, CellCount());
  cells_.insert(cells_.begin() + position, static_cast<size_t>(std::max(count, 0)), 0);
}

void TEnumColumn::DeleteCell(int position) {
  CheckRow(position);
  cells_.erase(cells_.begin() + position);
}

int TEnumColumn::GetInteger(int row) const {
  CheckRow(row);
  return cells_[static_cast<size_t>(row)];
}

void TEnumColumn::SetInteger(int row, int value) {
  CheckRow(row);
  auto [first, last] = Grouped() ? GroupOf(row) : std::pair{row, row};
  for (int r = first; r <= last; ++r) {
    if (cells_[static_cast<size_t>(r)] == value) continue;
    cells_[static_cast<size_t>(r)] = value;
    NotifyChanged(r);
  }
}

QString TEnumColumn::Text(int row) const { return QString::number(GetInteger(row)); }

void TEnumColumn::SetFromText(int row, const QString& text) {
  CheckRow(row);
  const long double value = EvaluateEntry(text);
  if (!IsWhole(value)) throw TError("Value must be an integer.");
  // A number that names no item would leave the row without a valid choice.
  if (value < 0.0L || value > static_cast<long double>(items_.size()))
    throw TError(BetweenMessage(0, items_.size()));
  SetInteger(row, static_cast<int>(std::llround(value)));
}

void TEnumColumn::WriteDefinition(QDataStream& out) const {
  TColumn::WriteDefinition(out);
  colstream::WriteStringList(out, items_);
}

void TEnumColumn::ReadDefinition(QDataStream& in) {
  TColumn::ReadDefinition(in);
  items_ = colstream::ReadStringList(in);
}

// ---------------------------------------------------------------------------
// TIntColumn

TIntColumn::TIntColumn(const QStringList& header, int defaultValue, int minimum, int maximum)
    : default_(defaultValue) {
  SetHeader(header);
  SetBounds(minimum, maximum);
}

void TIntColumn::SetBounds(int minimum, int maximum) {
  min_ = std::min(minimum, maximum);
  max_ = std::max(minimum, maximum);
}

void TIntColumn::InsertCells(int position, int count) {
  CheckInsertPosition(position, CellCount());
  cells_.insert(cells_.begin() + position, static_cast<size_t>(std::max(count, 0)), default_);
}

void TIntColumn::DeleteCell(int position) {
  CheckRow(position);
  cells_.erase(cells_.begin() + position);
}

int TIntColumn::GetInteger(int row) const {
  CheckRow(row);
  return cells_[static_cast<size_t>(row)];
}

void TIntColumn::SetInteger(int row, int value) {
  CheckRow(row);
  auto [first, last] = Grouped() ? GroupOf(row) : std::pair{row, row};
  for (int r = first; r <= last; ++r) {
    cells_[static_cast<size_t>(r)] = value;
    NotifyChanged(r);
  }
}

QString TIntColumn::Text(int row) const { return QString::number(GetInteger(row)); }

void TIntColumn::SetFromText(int row, const QString& text) {
  CheckRow(row);
  const long double value = EvaluateEntry(text);
  if (!IsWhole(value)) throw TError("Entry must be an integer.");
  if (value < static_cast<long double>(min_) || value > static_cast<long double>(max_))
    throw TError(BetweenMessage(min_, max_));
  SetInteger(row, static_cast<int>(std::llround(value)));
}

void TIntColumn::WriteDefinition(QDataStream& out) const {
  TColumn::WriteDefinition(out);
  colstream::WriteInt(out, default_);
  colstream::WriteInt(out, min_);
  colstream::WriteInt(out, max_);
}

void TIntColumn::ReadDefinition(QDataStream& in) {
  TColumn::ReadDefinition(in);
  default_ = colstream::ReadInt(in);
  const int minimum = colstream::ReadInt(in);
  const int maximum = colstream::ReadInt(in);
  SetBounds(minimum, maximum);
}

// ---------------------------------------------------------------------------
// TFloatColumn

TFloatColumn::TFloatColumn(const QStringList& header, const QString& unitTemplate,
                           long double defaultValue, bool topDepth)
    : topDepth_(topDepth), unitTemplate_(unitTemplate), default_(defaultValue) {
  SetHeader(header);
}

void TFloatColumn::SetUnitTemplate(const QString& unitTemplate) {
  BeginDefinitionChange();
  unitTemplate_ = unitTemplate;
  EndDefinitionChange();
}

TFloatColumn* TFloatColumn::BottomColumn() const {
  TColumn* next = Next();
  if (next == nullptr) return nullptr;
  if (next->ClassNumber() != kFloatColumn) throw TError(kTopDepthLink);
  return static_cast<TFloatColumn*>(next);
}

TFloatColumn* TFloatColumn::TopColumnBefore() const {
  TColumn* previous = Previous();
  if (previous == nullptr || previous->ClassNumber() != kFloatColumn) return nullptr;
  auto* top = static_cast<TFloatColumn*>(previous);
  return top->topDepth_ ? top : nullptr;
}

void TFloatColumn::CheckLinks() const {
  if (topDepth_) BottomColumn();
}

void TFloatColumn::InsertCells(int position, int count) {
  CheckInsertPosition(position, CellCount());
  const TFloatColumn* bottom = topDepth_ ? BottomColumn() : nullptr;
  const TFloatColumn* top = TopColumnBefore();
  for (int i = 0; i < count; ++i) {
    const int d = position + i;
    long double value = default_;
    if (bottom != nullptr && d - 1 >= 0 && d - 1 < bottom->CellCount()) {
      value = bottom->cells_[static_cast<size_t>(d - 1)];  // the new layer starts where the one above ends
    } else if (top != nullptr && d + 1 < top->CellCount()) {
      value = top->cells_[static_cast<size_t>(d + 1)];  // and ends where the one below starts
    }
    cells_.insert(cells_.begin() + d, value);
  }
}

void TFloatColumn::DeleteCell(int position) {
  CheckRow(position);
  const int last = CellCount() - 1;
  if (topDepth_ && position > 0 && position < last) {
    // The layer below now starts where the layer above ends.
    if (const TFloatColumn* bottom = BottomColumn(); bottom != nullptr && position - 1 < bottom->CellCount())
      cells_[static_cast<size_t>(position + 1)] = bottom->cells_[static_cast<size_t>(position - 1)];
  }
  cells_.erase(cells_.begin() + position);
}

QString TFloatColumn::HeaderLine(int index) const {
  QString line = TColumn::HeaderLine(index);
  if (!unitTemplate_.isEmpty() && index == HeaderLineCount() - 1)
    line = QString("%1 (%2)  ").arg(line, TableUnitLabel(unitTemplate_, UnitsOfTable()));
  return line;
}

long double TFloatColumn::GetReal(int row) const {
  CheckRow(row);
  return cells_[static_cast<size_t>(row)];
}

void TFloatColumn::SetReal(int row, long double value) {
  CheckRow(row);
  if (Grouped()) {
    const auto [first, last] = GroupOf(row);
    for (int r = first; r <= last; ++r) {
      cells_[static_cast<size_t>(r)] = value;
      NotifyChanged(r);
    }
    return;
  }
  TFloatColumn* bottom = topDepth_ ? BottomColumn() : nullptr;  // fails before anything changes
  cells_[static_cast<size_t>(row)] = value;
  NotifyChanged(row);
  if (bottom != nullptr && row - 1 >= 0 && row - 1 < bottom->CellCount()) {
    // The bottom of the layer above follows the top of this one.
    bottom->cells_[static_cast<size_t>(row - 1)] = value;
    bottom->NotifyChanged(row - 1);
  } else if (TFloatColumn* top = TopColumnBefore(); top != nullptr && row + 1 < top->CellCount()) {
    // The top of the layer below follows the bottom of this one.
    top->cells_[static_cast<size_t>(row + 1)] = value;
    top->NotifyChanged(row + 1);
  }
}

QString TFloatColumn::Text(int row) const { return FormatGeneral(GetReal(row)); }

void TFloatColumn::SetFromText(int row, const QString& text) {
  CheckRow(row);
  SetReal(row, EvaluateEntry(text));
}

void TFloatColumn::SetUnitSystem(int from, int to) {
  const long double factor = UnitFactor(unitTemplate_, from, to);
  if (factor == 1.0L) return;
  for (long double& value : cells_) value *= factor;
}

void TFloatColumn::WriteDefinition(QDataStream& out) const {
  TColumn::WriteDefinition(out);
  colstream::WriteBool(out, topDepth_);
  colstream::WriteString(out, kFloatMarker);
  colstream::WriteString(out, unitTemplate_);
  colstream::WriteReal(out, static_cast<double>(default_));
}

void TFloatColumn::ReadDefinition(QDataStream& in) {
  TColumn::ReadDefinition(in);
  topDepth_ = colstream::ReadBool(in);
  const QString marker = colstream::ReadString(in);
  if (marker == kFloatMarker) {
    unitTemplate_ = colstream::ReadString(in);
    default_ = colstream::ReadReal(in);
  } else {
    unitTemplate_ = marker;
    default_ = 0.0L;
  }
}

// ---------------------------------------------------------------------------
// TTableColumn

TTableColumn::TTableColumn(const QStringList& header, int templateIdentifier)
    : templateId_(templateIdentifier) {
  SetHeader(header);
}

TTableColumn::TTableColumn(const QStringList& header, const QList<int>& itemTemplates)
    : templateId_(itemTemplates.value(0, 0)), itemTemplates_(itemTemplates) {
  SetHeader(header);
}

int TTableColumn::TemplateFor(int row) const {
  const TGridTable* table = Table();
  const TColumn* first = table != nullptr && table->ColumnCount() > 0 ? table->Column(0) : nullptr;
  const bool underChoice = first != nullptr && first != this && first->ClassNumber() == kEnumColumn;
  const int choice = underChoice && row >= 0 && row < first->CellCount() ? first->GetInteger(row) : 0;
  if (!itemTemplates_.isEmpty()) {
    if (choice >= 1 && choice <= itemTemplates_.size()) return itemTemplates_[choice - 1];
    return itemTemplates_.first();
  }
  if (underChoice && !table->HardwiredButton()) {
    const int items = static_cast<const TEnumColumn*>(first)->Items().size();
    if (choice >= 1 && choice <= items) return choice;
  }
  return templateId_;
}

std::unique_ptr<TGridTable> TTableColumn::MakeCopy(int row) const {
  TGridTable* table = Table();
  const TGridTable* source = TGridTable::Find(TemplateFor(row));
  if (table == nullptr || source == nullptr || !table->MayNest(*source)) return nullptr;
  try {
    return TGridTable::CreateCopy(*source, table, row + 1);
  } catch (const TError&) {
    return nullptr;  // a template whose own columns are inconsistent
  }
}

void TTableColumn::Renumber() {
  for (size_t i = 0; i < cells_.size(); ++i)
    if (cells_[i]) cells_[i]->SetNestPosition(static_cast<int>(i) + 1);
}

void TTableColumn::InsertCells(int position, int count) {
  CheckInsertPosition(position, CellCount());
  for (int i = 0; i < count; ++i) cells_.insert(cells_.begin() + position + i, nullptr);
  for (int i = 0; i < count; ++i) {
    const int row = position + i;
    cells_[static_cast<size_t>(row)] = MakeCopy(row);
    if (!cells_[static_cast<size_t>(row)] && Table() != nullptr) emit Table()->OnInitRow(Index(), row);
  }
  Renumber();
}

void TTableColumn::DeleteCell(int position) {
  CheckRow(position);
  cells_.erase(cells_.begin() + position);
  Renumber();
}

TGridTable* TTableColumn::NestedTable(int row) const {
  CheckRow(row);
  return cells_[static_cast<size_t>(row)].get();
}

QObject* TTableColumn::CellObject(int row) const { return NestedTable(row); }

QString TTableColumn::Text(int row) const {
  const TGridTable* nested = NestedTable(row);
  QString caption;
  if (nested != nullptr) {
    caption = nested->Caption();
  } else if (Table() != nullptr) {
    emit Table()->OnGetButtonCaption(Index(), row, &caption);
  }
  return QString("%1: %2").arg(row + 1).arg(caption);
}

void TTableColumn::SetFromText(int row, const QString&) {
  CheckRow(row);
  throw TError("Data of wrong type");
}

bool TTableColumn::HasChanges() const {
  for (size_t row = 0; row < cells_.size(); ++row) {
    if (cells_[row]) {
      if (cells_[row]->Modified()) return true;
    } else if (Table() != nullptr) {
      bool changed = false;
      emit Table()->OnGetChanged(Index(), static_cast<int>(row), &changed);
      if (changed) return true;
    }
  }
  return false;
}

void TTableColumn::ResetChanges() {
  for (size_t row = 0; row < cells_.size(); ++row) {
    if (cells_[row])
      cells_[row]->ClearModified();
    else if (Table() != nullptr)
      emit Table()->OnResetChanged(Index(), static_cast<int>(row));
  }
}

void TTableColumn::SetUnitSystem(int, int to) {
  for (size_t row = 0; row < cells_.size(); ++row) {
    if (cells_[row])
      cells_[row]->SetUnits(to);
    else if (Table() != nullptr)
      emit Table()->OnSetUnits(Index(), static_cast<int>(row), to);
  }
}

void TTableColumn::ChoiceChanged(int row) {
  if (row < 0 || row >= CellCount()) return;
  auto& cell = cells_[static_cast<size_t>(row)];
  if (cell && cell->TemplateIdentifier() == TemplateFor(row)) return;
  std::unique_ptr<TGridTable> fresh = MakeCopy(row);
  if (!fresh) {
    // No template for the new choice: the row keeps what it has.
    if (!cell && Table() != nullptr) emit Table()->OnSetRow(Index(), row);
    return;
  }
  cell = std::move(fresh);
  NotifyChanged(row);
}

void TTableColumn::WriteDefinition(QDataStream& out) const {
  TColumn::WriteDefinition(out);
  if (itemTemplates_.isEmpty()) {
    colstream::WriteString(out, kFlexMarker);
    colstream::WriteInt(out, templateId_);
  } else {
    // Per-item templates cannot be said with one identifier.
    colstream::WriteString(out, kItemListMarker);
    colstream::WriteIntList(out, itemTemplates_);
  }
}

void TTableColumn::ReadDefinition(QDataStream& in) {
  TColumn::ReadDefinition(in);
  const QString marker = colstream::ReadString(in);
  if (marker == kFlexMarker) {
    templateId_ = colstream::ReadInt(in);
    itemTemplates_.clear();
  } else {
    itemTemplates_ = colstream::ReadIntList(in);
    templateId_ = itemTemplates_.value(0, 0);
  }
}

// ---------------------------------------------------------------------------
// TStringColumn

TStringColumn::TStringColumn(const QStringList& header, const QString& defaultText)
    : default_(defaultText) {
  SetHeader(header);
}

void TStringColumn::InsertCells(int position, int count) {
  CheckInsertPosition(position, CellCount());
  cells_.insert(cells_.begin() + position, static_cast<size_t>(std::max(count, 0)), default_);
}

void TStringColumn::DeleteCell(int position) {
  CheckRow(position);
  cells_.erase(cells_.begin() + position);
}

QString TStringColumn::Text(int row) const {
  CheckRow(row);
  return cells_[static_cast<size_t>(row)];
}

void TStringColumn::SetFromText(int row, const QString& text) {
  CheckRow(row);
  if (text.trimmed().isEmpty()) throw TError("Entry cannot be blank.");
  auto [first, last] = Grouped() ? GroupOf(row) : std::pair{row, row};
  for (int r = first; r <= last; ++r) {
    cells_[static_cast<size_t>(r)] = text;
    NotifyChanged(r);
  }
}

void TStringColumn::WriteDefinition(QDataStream& out) const {
  TColumn::WriteDefinition(out);
  colstream::WriteString(out, default_);
  colstream::WriteReal(out, extra_);
}

void TStringColumn::ReadDefinition(QDataStream& in) {
  TColumn::ReadDefinition(in);
  default_ = colstream::ReadString(in);
  extra_ = colstream::ReadReal(in);
}

}  // namespace terva::gui
