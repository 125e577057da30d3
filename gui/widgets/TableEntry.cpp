#include "gui/widgets/TableEntry.hpp"

#include "gui/widgets/TableForm.hpp"
#include "gui/model/ProjectState.hpp"
#include "gui/core/Messages.hpp"
#include "gui/widgets/TableModel.hpp"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTimer>

namespace terva::gui {

namespace {

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

}  // namespace

// ---------------------------------------------------------------------------
// TCellDelegate

TCellDelegate::TCellDelegate(TTableForm* form) : QStyledItemDelegate(form), form_(form) {}

QWidget* TCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
  QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
  form_->EditorOpened(editor, index);
  return editor;
}

void TCellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
  form_->EditorClosing(editor);
  QStyledItemDelegate::destroyEditor(editor, index);
}

void TCellDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const {
  if (const auto* line = qobject_cast<QLineEdit*>(editor)) form_->StoreText(index, line->text());
}

void TCellDelegate::Close(QWidget* editor) { emit closeEditor(editor, QAbstractItemDelegate::NoHint); }

bool TCellDelegate::eventFilter(QObject* watched, QEvent* event) {
  if (qobject_cast<QWidget*>(watched) == nullptr) return QStyledItemDelegate::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (IsEnter(key)) {
      form_->EnterPressed();
      return true;
    }
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
      form_->TabPressed(key == Qt::Key_Backtab);
      return true;
    }
  } else if (event->type() == QEvent::FocusOut) {
    // Not committed here: see TTableForm::EditorFocusLost.
    form_->EditorFocusLost(static_cast<QFocusEvent*>(event)->reason());
    return false;
  }
  return QStyledItemDelegate::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// TGridView

TGridView::TGridView(TTableForm* form) : QTableView(form), form_(form) {}

void TGridView::Step(bool backwards) {
  const QModelIndex next = moveCursor(backwards ? MovePrevious : MoveNext, Qt::NoModifier);
  if (next.isValid()) setCurrentIndex(next);
}

void TGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  if (!reverting_ && form_->editor_ != nullptr && previous.isValid() && previous == form_->editIndex_ &&
      current != previous) {
    if (!form_->StoreCurrentCell()) {
      reverting_ = true;
      selectionModel()->setCurrentIndex(previous, QItemSelectionModel::ClearAndSelect);
      reverting_ = false;
      return;
    }
  }
  QTableView::currentChanged(current, previous);
}

void TGridView::mousePressEvent(QMouseEvent* event) {
  if (form_->editor_ != nullptr && indexAt(event->position().toPoint()) != form_->editIndex_ &&
      !form_->StoreCurrentCell()) {
    event->accept();
    return;
  }
  QTableView::mousePressEvent(event);
}

void TGridView::keyPressEvent(QKeyEvent* event) {
  if (IsEnter(event->key())) {
    form_->EnterPressed();
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

void TGridView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
  if (form_->editor_ != nullptr && form_->editIndex_.row() >= start && form_->editIndex_.row() <= end)
    form_->DropEntry();
  QTableView::rowsAboutToBeRemoved(parent, start, end);
}

// ---------------------------------------------------------------------------
// Entries

void TTableForm::EditorOpened(QWidget* editor, const QModelIndex& index) {
  editor_ = editor;
  editIndex_ = index;
}

void TTableForm::EditorClosing(QWidget* editor) {
  if (editor_ == editor) {
    editor_ = nullptr;
    editIndex_ = QPersistentModelIndex();
  }
}

bool TTableForm::StoreText(const QModelIndex& index, const QString& text) {
  if (storing_ || closing_) return false;
  storing_ = true;
  NameNextStep(QStringLiteral("Edit ") + ColumnName(index.column()));
  const bool stored = model_->setData(index, text, Qt::EditRole);
  TakeStepName();  // not taken when the entry changed nothing
  storing_ = false;
  if (!stored) Report(WithPrefix(CellPlace(index.row(), index.column()), model_->LastError()));
  return stored;
}

void TTableForm::DropEntry() {
  QWidget* editor = editor_;
  EditorClosing(editor);
  delegate_->Close(editor);
}

bool TTableForm::StoreCurrentCell() {
  if (editor_ == nullptr || closing_) return true;
  if (storing_ || inMessage_) return false;
  const auto* line = qobject_cast<QLineEdit*>(editor_);
  const QString text = line != nullptr ? line->text() : QString();
  if (!editIndex_.isValid() || !StoreText(editIndex_, text)) {
    RefocusEditor(false);
    return false;
  }
  QWidget* editor = editor_;
  delegate_->Close(editor);
  return true;
}

void TTableForm::RefocusEditor(bool queued) {
  const auto refocus = [this] {
    if (editor_ == nullptr) return;
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()); frame != nullptr && frame->mdiArea() != nullptr)
      frame->mdiArea()->setActiveSubWindow(frame);
    if (editIndex_.isValid()) grid_->scrollTo(editIndex_);
    editor_->setFocus();
  };
  if (queued)
    QTimer::singleShot(0, this, refocus);
  else
    refocus();
}

void TTableForm::EditorFocusLost(Qt::FocusReason reason) {
  if (inMessage_ || storing_ || closing_ || reason == Qt::PopupFocusReason) return;
  // Inside the window the cell is left through the grid, a control or a
  // button, each of which stores the entry first.
  QWidget* focus = QApplication::focusWidget();
  if (reason == Qt::OtherFocusReason && focus == nullptr) {
    // The focus was cleared by the program, as when a window around this
    // one is being destroyed: checked once control is back in the event
    // loop, when a window that went has nothing left to check.
    QTimer::singleShot(0, this, [this] {
      if (editor_ == nullptr || QApplication::focusWidget() != nullptr) return;
      if (!StoreCurrentCell()) RefocusEditor(false);
    });
    return;
  }
  if (reason != Qt::ActiveWindowFocusReason && focus != nullptr && isAncestorOf(focus)) return;
  if (reason == Qt::ActiveWindowFocusReason && QApplication::activeModalWidget() != nullptr) return;
  // The window is being left: the entry must be good first.
  if (!StoreCurrentCell()) RefocusEditor(true);
}

void TTableForm::EnterPressed() {
  QModelIndex from = grid_->currentIndex();
  if (editor_ != nullptr) {
    from = editIndex_;
    if (!StoreCurrentCell()) return;
  }
  const QModelIndex next = model_->NextAfterEnter(from);
  if (next.isValid()) grid_->setCurrentIndex(next);
}

void TTableForm::TabPressed(bool backwards) {
  if (!StoreCurrentCell()) return;
  grid_->Step(backwards);
}

}  // namespace terva::gui
