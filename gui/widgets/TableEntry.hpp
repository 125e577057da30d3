// The entry of a table window's text cells: the editor delegate, which
// leaves storing to the window, and the grid, through which every move out
// of a cell goes so that the open entry is stored or the move undone. Only
// the table window's own files include this header.
#pragma once

#include <QStyledItemDelegate>
#include <QTableView>

namespace terva::gui {

class TTableForm;

// The editor of text cells. Entries are not committed by Qt's own rules:
// the window stores them when the cell is left, and keeps a rejected entry
// open in its cell.
class TCellDelegate : public QStyledItemDelegate {
 public:
  explicit TCellDelegate(TTableForm* form);

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override;

  void Close(QWidget* editor);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TTableForm* form_;
};

// The grid: every way of leaving a cell (mouse, keys, code) goes through
// currentChanged, where the open entry is stored or the move undone.
class TGridView : public QTableView {
 public:
  explicit TGridView(TTableForm* form);

  // To the next (or previous) cell, as Tab does.
  void Step(bool backwards);

 protected:
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Rows removed by the program (the window's own buttons store the entry
  // first): an entry in a removed row has nowhere to go and is dropped.
  void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

 private:
  TTableForm* form_;
  bool reverting_ = false;
};

}  // namespace terva::gui
