// A table window's cells on the clipboard: Cut, Copy and Paste of blocks of
// cells as tab-separated text, which spreadsheets exchange.
#include "gui/widgets/TableForm.hpp"

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>

#include "gui/core/Messages.hpp"
#include "gui/model/ColumnTypes.hpp"
#include "gui/model/ProjectState.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/widgets/TableEntry.hpp"
#include "gui/widgets/TableModel.hpp"

namespace terva::gui {

namespace {

// A cell as the clipboard gets it: a choice by its item.
QString ClipboardText(const TColumn& column, int row) {
  if (column.ClassNumber() == kEnumColumn) {
    const int choice = column.GetInteger(row);
    const QStringList& items = static_cast<const TEnumColumn&>(column).Items();
    return choice >= 1 && choice <= items.size() ? items[choice - 1] : QString();
  }
  return column.Text(row);
}

// Writes a clipboard cell; a choice is taken by its item (case aside) or
// its number.
void WriteCell(TColumn& column, int row, const QString& text) {
  switch (column.ClassNumber()) {
    case kTableColumn: return;
    case kEnumColumn: {
      const QStringList& items = static_cast<const TEnumColumn&>(column).Items();
      for (int i = 0; i < items.size(); ++i)
        if (items[i].trimmed().compare(text.trimmed(), Qt::CaseInsensitive) == 0) {
          column.SetInteger(row, i + 1);
          return;
        }
      column.SetFromText(row, text);
      return;
    }
    default: column.SetFromText(row, text);
  }
}

// The value a new row has in a cell of the column.
void ResetCell(TColumn& column, int row) {
  if (auto* real = dynamic_cast<TFloatColumn*>(&column)) real->SetReal(row, real->DefaultValue());
  else if (auto* integer = dynamic_cast<TIntColumn*>(&column)) integer->SetInteger(row, integer->DefaultValue());
  else if (auto* text = dynamic_cast<TStringColumn*>(&column)) text->SetFromText(row, text->DefaultText());
}

// Rows of tab-separated cells; a last line break ends the block.
QList<QStringList> ParseBlock(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  QList<QStringList> rows;
  if (text.isEmpty()) return rows;
  for (const QString& line : text.split(QLatin1Char('\n'))) rows.append(line.split(QLatin1Char('\t')));
  return rows;
}

}  // namespace

QString TTableForm::ColumnName(int visibleColumn) const {
  const TColumn* column = model_->ColumnAt(visibleColumn);
  if (column == nullptr) return {};
  QString name = column->Header().join(QLatin1Char(' ')).simplified();
  while (name.endsWith(QLatin1Char(',')) || name.endsWith(QLatin1Char(' '))) name.chop(1);
  return name;
}

QString TTableForm::CellPlace(int row, int visibleColumn) const {
  QStringList parts;
  const QString column = ColumnName(visibleColumn);
  if (!column.isEmpty()) parts << column;
  if (row >= 0) parts << QStringLiteral("row %1").arg(row + 1);
  if (table_) parts << table_->WindowCaption().trimmed();
  return parts.join(QStringLiteral(", ")) + QStringLiteral(": ");
}

bool TTableForm::SelectedBlock(int& top, int& left, int& bottom, int& right) const {
  const QModelIndexList selected = grid_->selectionModel()->selectedIndexes();
  if (selected.isEmpty()) {
    const QModelIndex current = grid_->currentIndex();
    if (!current.isValid()) return false;
    top = bottom = current.row();
    left = right = current.column();
    return true;
  }
  top = left = INT_MAX;
  bottom = right = -1;
  for (const QModelIndex& index : selected) {
    top = std::min(top, index.row());
    bottom = std::max(bottom, index.row());
    left = std::min(left, index.column());
    right = std::max(right, index.column());
  }
  return true;
}

bool TTableForm::HasSelection() const {
  int top, left, bottom, right;
  return table_ && SelectedBlock(top, left, bottom, right);
}

QString TTableForm::SelectionText() const {
  int top, left, bottom, right;
  if (!table_ || !SelectedBlock(top, left, bottom, right)) return {};
  QString text;
  for (int row = top; row <= bottom; ++row) {
    QStringList cells;
    for (int c = left; c <= right; ++c) cells << ClipboardText(*model_->ColumnAt(c), row);
    text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
  }
  return text;
}

void TTableForm::CopySelection() const {
  const QString text = SelectionText();
  if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

bool TTableForm::CutSelection() {
  int top, left, bottom, right;
  if (!table_ || !StoreCurrentCell() || !SelectedBlock(top, left, bottom, right)) return false;
  CopySelection();
  NameNextStep(QStringLiteral("Cut from ") + table_->Caption().trimmed());
  for (int row = top; row <= bottom; ++row)
    for (int c = left; c <= right; ++c) ResetCell(*model_->ColumnAt(c), row);
  TakeStepName();  // unused when nothing changed
  model_->RefreshAll();
  return true;
}

bool TTableForm::PasteClipboard() { return PasteText(QApplication::clipboard()->text()); }

bool TTableForm::PasteText(const QString& text) {
  int top, left, bottom, right;
  if (!table_ || !StoreCurrentCell() || !SelectedBlock(top, left, bottom, right)) return false;
  QList<QStringList> block = ParseBlock(text);
  if (block.isEmpty()) return false;
  // One value fills the selection.
  if (block.size() == 1 && block[0].size() == 1 && (bottom > top || right > left)) {
    const QString value = block[0][0];
    block.clear();
    for (int row = top; row <= bottom; ++row) block.append(QStringList(QList<QString>(right - left + 1, value)));
  }
  int width = 0;
  for (const QStringList& row : block) width = std::max(width, static_cast<int>(row.size()));
  const QString where = QStringLiteral("Paste into ") + table_->WindowCaption().trimmed();
  if (left + width > model_->columnCount()) {
    ShowMessage(TMessageKind::Information, where,
                QStringLiteral("The clipboard holds %1 columns; from column %2 on, the table has %3.")
                    .arg(width)
                    .arg(left + 1)
                    .arg(model_->columnCount() - left));
    return false;
  }
  const int rowsNeeded = top + static_cast<int>(block.size());
  if (table_->MaxRows() > 0 && rowsNeeded > table_->MaxRows()) {
    ShowMessage(TMessageKind::Information, where,
                QStringLiteral("The clipboard holds %1 rows; from row %2 on, the table holds at most %3.")
                    .arg(block.size())
                    .arg(top + 1)
                    .arg(table_->MaxRows() - top));
    return false;
  }
  const TTableSnapshot before = TTableSnapshot::Take(*table_);
  NameNextStep(where);
  int failedRow = -1, failedColumn = -1;
  QString failure;
  try {
    if (rowsNeeded > table_->RowCount()) table_->SetRowCount(rowsNeeded);
    for (int r = 0; r < block.size() && failure.isEmpty(); ++r) {
      for (int c = 0; c < block[r].size(); ++c) {
        if (block[r][c].trimmed().isEmpty()) continue;
        failedRow = top + r;
        failedColumn = left + c;
        WriteCell(*model_->ColumnAt(left + c), top + r, block[r][c].trimmed());
      }
    }
  } catch (const TError& error) {
    failure = error.Message();
  } catch (const std::exception& error) {
    failure = QString::fromLocal8Bit(error.what());
  }
  if (!failure.isEmpty()) {
    ApplyInPlace(before, *table_);  // the whole paste or nothing
    if (!before.modified) table_->ClearModified();
    TakeStepName();
    model_->RefreshAll();
    ShowMessage(TMessageKind::Error, where, WithPrefix(CellPlace(failedRow, failedColumn), failure));
    return false;
  }
  TakeStepName();
  model_->RefreshAll();
  grid_->selectionModel()->select(
      QItemSelection(model_->index(top, left), model_->index(top + static_cast<int>(block.size()) - 1, left + width - 1)),
      QItemSelectionModel::ClearAndSelect);
  return true;
}

}  // namespace terva::gui
