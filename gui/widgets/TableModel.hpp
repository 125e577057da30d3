// The item model of a grid table's window: a thin adapter that shows the
// table's visible columns and turns the table's notifications into model
// signals. Display role: the cell as shown (a choice cell shows its item);
// edit role: what the user types. Works without a display.
#pragma once

#include "gui/model/Table.hpp"

#include <QAbstractTableModel>
#include <QPointer>

namespace terva::gui {

class TTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TTableModel(TGridTable* table, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  // Stores an entry through the column's entry rules; on failure returns
  // false, leaves the cell as it was and keeps the message in LastError().
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Horizontal: the column's header lines, padded to HeaderLineCount() and
  // joined with "\n". Vertical: the group number of the row.
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  TGridTable* Table() const { return table_; }
  TColumn* ColumnAt(int visibleColumn) const;
  // Cells of this column are typed into (not drop-down lists or buttons).
  bool IsTextColumn(int visibleColumn) const;
  // The largest header-line count of the visible columns.
  int HeaderLineCount() const;
  QString LastError() const { return lastError_; }

  // Where Enter leads from `from`: the next row; from the last row, the first
  // row of the next text column; from the last column, the first row of the
  // first text column.
  QModelIndex NextAfterEnter(const QModelIndex& from) const;

  // Redisplays every cell and header.
  void RefreshAll();

 private:
  bool IsCell(const QModelIndex& index) const;
  void OnCellValueChanged(int column, int row);
  void OnRowsRemoved();
  void OnUnitsChanged();

  QPointer<TGridTable> table_;
  QString lastError_;
  bool resetting_ = false;
};

}  // namespace terva::gui
