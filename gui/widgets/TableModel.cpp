#include "gui/widgets/TableModel.hpp"

#include "gui/model/ColumnTypes.hpp"

#include <algorithm>

namespace terva::gui {

bool TTableModel::IsCell(const QModelIndex& index) const {
  return index.isValid() && index.model() == this && index.row() < rowCount() && index.column() < columnCount();
}

TTableModel::TTableModel(TGridTable* table, QObject* parent) : QAbstractTableModel(parent), table_(table) {
  if (table == nullptr) return;
  connect(table, &TGridTable::RowsAboutToBeInserted, this,
          [this](int first, int last) { beginInsertRows(QModelIndex(), first, last); });
  connect(table, &TGridTable::RowsInserted, this, [this] {
    endInsertRows();
    // New rows relabel the groups below them.
    if (rowCount() > 0) emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
  });
  connect(table, &TGridTable::RowsAboutToBeRemoved, this,
          [this](int first, int last) { beginRemoveRows(QModelIndex(), first, last); });
  connect(table, &TGridTable::RowsRemoved, this, [this] { OnRowsRemoved(); });
  connect(table, &TGridTable::CellValueChanged, this,
          [this](int column, int row) { OnCellValueChanged(column, row); });
  connect(table, &TGridTable::ColumnsAboutToChange, this, [this] {
    if (resetting_) return;
    resetting_ = true;
    beginResetModel();
  });
  connect(table, &TGridTable::ColumnsChanged, this, [this] {
    if (!resetting_) return;
    resetting_ = false;
    endResetModel();
  });
  connect(table, &TGridTable::UnitsChanged, this, [this] { OnUnitsChanged(); });
  connect(table, &TGridTable::PropertiesChanged, this, [this] {
    if (rowCount() > 0) emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
  });
  connect(table, &QObject::destroyed, this, [this] {
    beginResetModel();
    table_ = nullptr;
    endResetModel();
  });
}

int TTableModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !table_) return 0;
  return table_->RowCount();
}

int TTableModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid() || !table_) return 0;
  return table_->VisibleColumnCount();
}

TColumn* TTableModel::ColumnAt(int visibleColumn) const {
  if (!table_ || visibleColumn < 0 || visibleColumn >= table_->VisibleColumnCount()) return nullptr;
  return table_->VisibleColumn(visibleColumn);
}

bool TTableModel::IsTextColumn(int visibleColumn) const {
  const TColumn* column = ColumnAt(visibleColumn);
  return column != nullptr && !column->HasInPlaceControls();
}

QVariant TTableModel::data(const QModelIndex& index, int role) const {
  if (!IsCell(index)) return QVariant();
  const TColumn* column = ColumnAt(index.column());
  if (column == nullptr || index.row() >= column->CellCount()) return QVariant();
  const int kind = column->ClassNumber();
  switch (role) {
    case Qt::DisplayRole:
      if (kind == kEnumColumn) {
        const int choice = column->GetInteger(index.row());
        return static_cast<const TEnumColumn*>(column)->Items().value(choice - 1);
      }
      return column->Text(index.row());
    case Qt::EditRole:
      return column->Text(index.row());
    case Qt::TextAlignmentRole:
      if (kind == kFloatColumn || kind == kIntColumn)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
      return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
      return QVariant();
  }
}

bool TTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !IsCell(index)) return false;
  TColumn* column = ColumnAt(index.column());
  if (column == nullptr) return false;
  try {
    column->SetFromText(index.row(), value.toString());
  } catch (const TError& error) {
    lastError_ = error.Message();
    return false;
  } catch (const std::exception& error) {
    lastError_ = QString::fromLocal8Bit(error.what());
    return false;
  }
  lastError_.clear();
  // Linked top and bottom depths may have moved with the stored cell.
  RefreshAll();
  return true;
}

Qt::ItemFlags TTableModel::flags(const QModelIndex& index) const {
  if (!IsCell(index)) return Qt::NoItemFlags;
  // Drop-down and button cells are worked through their own controls; they
  // take no cursor and no typing.
  if (!IsTextColumn(index.column())) return Qt::ItemNeverHasChildren;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

int TTableModel::HeaderLineCount() const {
  int lines = 0;
  for (int i = 0; i < columnCount(); ++i) lines = std::max(lines, ColumnAt(i)->HeaderLineCount());
  return lines;
}

QVariant TTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (!table_) return QVariant();
  if (orientation == Qt::Vertical) {
    if (section < 0 || section >= rowCount()) return QVariant();
    if (role == Qt::DisplayRole) return QString::number(table_->GroupNumber(section));
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return QVariant();
  }
  const TColumn* column = ColumnAt(section);
  if (column == nullptr) return QVariant();
  if (role == Qt::DisplayRole) {
    QStringList lines = column->HeaderLines();
    while (lines.size() < HeaderLineCount()) lines.append(QString());
    return lines.join('\n');
  }
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
  return QVariant();
}

QModelIndex TTableModel::NextAfterEnter(const QModelIndex& from) const {
  const int rows = rowCount();
  const int columns = columnCount();
  if (rows == 0 || columns == 0) return QModelIndex();
  const int row = from.isValid() ? from.row() : -1;
  const int column = from.isValid() ? from.column() : -1;
  if (row >= 0 && row + 1 < rows && IsTextColumn(column)) return index(row + 1, column);
  for (int c = column + 1; c < columns; ++c)
    if (IsTextColumn(c)) return index(0, c);
  for (int c = 0; c < columns; ++c)
    if (IsTextColumn(c)) return index(0, c);
  return QModelIndex();
}

void TTableModel::RefreshAll() {
  if (rowCount() > 0 && columnCount() > 0)
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void TTableModel::OnCellValueChanged(int column, int row) {
  if (!table_ || column < 0 || column >= table_->ColumnCount()) return;
  const int visible = table_->VisibleIndexOf(table_->Column(column));
  if (visible < 0 || row < 0 || row >= rowCount()) return;
  const QModelIndex cell = index(row, visible);
  emit dataChanged(cell, cell);
}

void TTableModel::OnRowsRemoved() {
  endRemoveRows();
  // Removing a middle row relinks the layers after it and relabels groups.
  RefreshAll();
  if (rowCount() > 0) emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

void TTableModel::OnUnitsChanged() {
  RefreshAll();
  if (columnCount() > 0) emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

}  // namespace terva::gui
