// The window of a grid table: a string grid over the table's visible columns
// (through TTableModel), a fixed column of row labels with the corner text,
// the "&Add Row", "&Insert Row" and "&Delete Row" buttons, the comments and
// the help picture. Choice cells are drop-down lists and nested-table cells
// buttons; text cells are typed into and stored when the cell is left.
#pragma once

#include "gui/model/Table.hpp"

#include <QModelIndex>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTableView;

namespace terva::gui {

class TTableModel;
class TCellDelegate;
class TGridView;

class TTableForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kMaxVisibleRows = 10;

  // Fails with "There must be at least 2 columns in grid" when the table has
  // no visible column (the grid's first column is the row labels).
  explicit TTableForm(TGridTable* table, QWidget* parent = nullptr);
  ~TTableForm() override;

  // The open window of `table` (null when it has none).
  static TTableForm* Of(const TGridTable& table);
  void BringForward();
  // Closes the window (and its child-window frame); refused while the open
  // entry is not valid. Destroying the window (as when its table goes)
  // drops an open entry without storing it or showing a message.
  bool CloseWindow();

  TGridTable* Table() const { return table_; }
  QTableView* Grid() const;
  TTableModel* Model() const { return model_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* InsertButton() const { return insert_; }
  QPushButton* DeleteButton() const { return delete_; }
  // A button of its own after the row buttons (an input helper, for example).
  QPushButton* AddHelperButton(const QString& text);
  // The row of the grid's current cell, -1 for none.
  int CurrentRow() const;
  QLabel* CommentsLabel() const { return comments_; }
  QLabel* PictureLabel() const { return picture_; }
  QString CornerText() const;
  // The drop-down list or button over a cell (null for text cells).
  QWidget* CellWidget(int row, int visibleColumn) const;

  // The cells as the clipboard exchanges them with spreadsheets: rows on
  // lines, cells separated by tabs; numbers as the table shows them, choices
  // by their item. Copy and Cut take the selected block (the current cell
  // without a selection); Cut then puts the values of a new row back into
  // its cells. Paste writes the clipboard's block from the selection's
  // first cell on (a single value fills the whole selection), adding rows
  // the table may hold; an empty cell leaves its cell alone, and
  // nested-table cells are never written. A paste is whole or not at all:
  // an entry that does not pass leaves the table as it was, with a message
  // naming the cell. Each is one undo step. False when nothing changed.
  bool HasSelection() const;
  void CopySelection() const;
  bool CutSelection();
  bool PasteClipboard();
  bool PasteText(const QString& text);
  // The block of the selection, as the clipboard gets it.
  QString SelectionText() const;

  // What a message about a cell starts with: its column, row and window
  // ("Shear wave velocity, row 2, Soil Properties: ").
  QString CellPlace(int row, int visibleColumn) const;
  // A column's name for messages and undo steps: its header lines in one.
  QString ColumnName(int visibleColumn) const;

  // Stores the entry of the cell being edited, if any. On failure the message
  // goes to the message sink, the entry stays in its cell and false is
  // returned.
  bool StoreCurrentCell();
  bool HasOpenEntry() const { return editor_ != nullptr; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class TCellDelegate;
  friend class TGridView;

  void AddRowClick();
  void InsertRowClick();
  void DeleteRowClick();
  void ChoiceActivated(QWidget* combo, int item);
  void NestedButtonClick(QWidget* button);
  void EnterPressed();
  void TabPressed(bool backwards);
  void EditorFocusLost(Qt::FocusReason reason);
  void EditorOpened(QWidget* editor, const QModelIndex& index);
  void EditorClosing(QWidget* editor);
  bool StoreText(const QModelIndex& index, const QString& text);
  void RefocusEditor(bool queued);
  // Closes the open entry without storing it.
  void DropEntry();
  void Report(const QString& text);
  int FirstTextColumn() const;

  // The selected block: first and last row and visible column; the current
  // cell alone without a selection; false when the grid has no cell.
  bool SelectedBlock(int& top, int& left, int& bottom, int& right) const;

  void RebuildCellWidgets();
  void UpdateCellWidgets();
  void UpdateButtons();
  void UpdateLayout();
  void UpdateTexts();

  QPointer<TGridTable> table_;
  TTableModel* model_ = nullptr;
  TGridView* grid_ = nullptr;
  TCellDelegate* delegate_ = nullptr;
  QAbstractButton* corner_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* insert_ = nullptr;
  QPushButton* delete_ = nullptr;
  QHBoxLayout* buttons_ = nullptr;
  QLabel* comments_ = nullptr;
  QLabel* picture_ = nullptr;

  QPointer<QWidget> editor_;
  QPersistentModelIndex editIndex_;
  bool inMessage_ = false;
  bool storing_ = false;
  bool closing_ = false;  // set when the window is destroyed: nothing is stored or reported
};

}  // namespace terva::gui
