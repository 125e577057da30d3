// A table window: its construction, the row buttons, the in-place
// controls of choice and nested-table cells, the layout and the window's
// events. The entry of text cells (the delegate, the grid, storing and
// dropping an entry) is in TableEntry.cpp.
#include "gui/widgets/TableForm.hpp"

#include "gui/core/Messages.hpp"
#include "gui/model/ColumnTypes.hpp"
#include "gui/model/ProjectState.hpp"
#include "gui/widgets/TableEntry.hpp"
#include "gui/widgets/TableModel.hpp"
#include "gui/widgets/TableWindows.hpp"

#include <QAbstractButton>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QTableView>
#include <QTimer>

#include <algorithm>

namespace terva::gui {

namespace {

const char kRowProperty[] = "tervaRow";
const char kColumnProperty[] = "tervaColumn";

}  // namespace

// ---------------------------------------------------------------------------
// TTableForm: construction

TTableForm::TTableForm(TGridTable* table, QWidget* parent) : QWidget(parent), table_(table) {
  if (table == nullptr || table->VisibleColumnCount() + 1 < 2)
    throw TError("There must be at least 2 columns in grid");
  setAttribute(Qt::WA_DeleteOnClose);

  model_ = new TTableModel(table, this);
  grid_ = new TGridView(this);
  delegate_ = new TCellDelegate(this);
  grid_->setModel(model_);
  grid_->setItemDelegate(delegate_);
  grid_->setSelectionMode(QAbstractItemView::ContiguousSelection);  // blocks for the clipboard
  grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  grid_->setWordWrap(false);
  grid_->setTabKeyNavigation(true);
  grid_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->horizontalHeader()->setHighlightSections(false);
  grid_->verticalHeader()->setHighlightSections(false);
  grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  grid_->setCornerButtonEnabled(false);
  corner_ = grid_->findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly);
  if (corner_ != nullptr) corner_->installEventFilter(this);

  add_ = new QPushButton(tr("&Add Row"), this);
  insert_ = new QPushButton(tr("&Insert Row"), this);
  delete_ = new QPushButton(tr("&Delete Row"), this);
  for (QPushButton* button : {add_, insert_, delete_}) button->setAutoDefault(false);
  comments_ = new QLabel(this);
  picture_ = new QLabel(this);

  // Margins: a twentieth of an inch.
  const int margin = std::max(logicalDpiX() / 20, 2);
  auto* buttons = buttons_ = new QHBoxLayout;
  buttons->setSpacing(margin * 2);
  buttons->addWidget(add_);
  buttons->addWidget(insert_);
  buttons->addWidget(delete_);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(margin, margin, margin, margin);
  layout->setSpacing(margin * 2);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(grid_);
  layout->addLayout(buttons);
  layout->addWidget(comments_);
  layout->addWidget(picture_);

  connect(add_, &QPushButton::clicked, this, &TTableForm::AddRowClick);
  connect(insert_, &QPushButton::clicked, this, &TTableForm::InsertRowClick);
  connect(delete_, &QPushButton::clicked, this, &TTableForm::DeleteRowClick);

  const auto rebuild = [this] {
    RebuildCellWidgets();
    UpdateButtons();
    UpdateLayout();
  };
  connect(model_, &QAbstractItemModel::rowsInserted, this, rebuild);
  connect(model_, &QAbstractItemModel::rowsRemoved, this, rebuild);
  connect(model_, &QAbstractItemModel::modelReset, this, rebuild);
  connect(model_, &QAbstractItemModel::dataChanged, this, [this] { UpdateCellWidgets(); });
  connect(model_, &QAbstractItemModel::headerDataChanged, this, [this] { UpdateLayout(); });
  connect(table, &TGridTable::PropertiesChanged, this, [this] {
    UpdateTexts();
    UpdateButtons();
    UpdateLayout();
  });

  UpdateTexts();
  RebuildCellWidgets();
  UpdateButtons();
  UpdateLayout();
  const int first = FirstTextColumn();
  if (model_->rowCount() > 0 && first >= 0) grid_->setCurrentIndex(model_->index(0, first));
}

QPushButton* TTableForm::AddHelperButton(const QString& text) {
  auto* button = new QPushButton(text, this);
  button->setAutoDefault(false);
  buttons_->insertWidget(buttons_->count() - 1, button);  // before the stretch
  return button;
}

TTableForm::~TTableForm() {
  // The grid, its editor and its cell controls go first, while the window is
  // whole: an open entry is dropped, and the focus leaving the editor stores
  // nothing and reports nothing.
  closing_ = true;
  model_->disconnect(this);
  if (table_) table_->disconnect(this);
  delete grid_;
  grid_ = nullptr;
  if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) frame->deleteLater();
}

TTableForm* TTableForm::Of(const TGridTable& table) { return InstallTableWindows().Form(table); }

void TTableForm::BringForward() {
  if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) {
    frame->show();
    frame->raise();
    if (frame->mdiArea() != nullptr) frame->mdiArea()->setActiveSubWindow(frame);
  } else {
    show();
    raise();
    activateWindow();
  }
  if (editor_ != nullptr)
    editor_->setFocus();
  else
    grid_->setFocus();
}

bool TTableForm::CloseWindow() {
  if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) return frame->close();
  return close();
}

QTableView* TTableForm::Grid() const { return grid_; }

QString TTableForm::CornerText() const { return corner_ != nullptr ? corner_->text() : QString(); }

QWidget* TTableForm::CellWidget(int row, int visibleColumn) const {
  return grid_->indexWidget(model_->index(row, visibleColumn));
}

// ---------------------------------------------------------------------------
// Messages

void TTableForm::Report(const QString& text) {
  inMessage_ = true;
  ShowMessage(TMessageKind::Information, tr("Information"), text);
  inMessage_ = false;
}
// ---------------------------------------------------------------------------
// Buttons

int TTableForm::CurrentRow() const { return grid_->currentIndex().isValid() ? grid_->currentIndex().row() : -1; }

int TTableForm::FirstTextColumn() const {
  for (int c = 0; c < model_->columnCount(); ++c)
    if (model_->IsTextColumn(c)) return c;
  return -1;
}

void TTableForm::AddRowClick() {
  if (!StoreCurrentCell() || !table_) return;
  NameNextStep(QStringLiteral("Add Row to ") + table_->Caption().trimmed());
  try {
    table_->AddRows();
  } catch (const TError& error) {
    TakeStepName();
    Report(error.Message());
    return;
  }
  table_->SetModified();
  const int column = std::max(grid_->currentIndex().column(), std::max(FirstTextColumn(), 0));
  const QModelIndex last = model_->index(model_->rowCount() - 1, column);
  grid_->scrollTo(last);
  if (model_->IsTextColumn(column)) grid_->setCurrentIndex(last);
}

void TTableForm::InsertRowClick() {
  if (!StoreCurrentCell() || !table_) return;
  const int row = CurrentRow();
  const int column = grid_->currentIndex().column();
  try {
    if (row < 0 || row >= table_->RowCount()) throw TError("Grid.Row not in valid range");
    NameNextStep(QStringLiteral("Insert Row in ") + table_->Caption().trimmed());
    table_->InsertRows(row);
  } catch (const TError& error) {
    TakeStepName();
    Report(error.Message());
    return;
  }
  table_->SetModified();
  grid_->setCurrentIndex(model_->index(table_->GroupStart(row), column));
}

void TTableForm::DeleteRowClick() {
  if (!StoreCurrentCell() || !table_) return;
  const int row = CurrentRow();
  const int column = grid_->currentIndex().column();
  try {
    if (row < 0 || row >= table_->RowCount()) throw TError("Grid.Row not in valid range");
    NameNextStep(QStringLiteral("Delete Row from ") + table_->Caption().trimmed());
    table_->DeleteRows(row);
  } catch (const TError& error) {
    TakeStepName();
    Report(error.Message());
    return;
  }
  table_->SetModified();
  const int rows = model_->rowCount();
  if (rows > 0) grid_->setCurrentIndex(model_->index(std::min(table_->GroupStart(row), rows - 1), column));
}

void TTableForm::UpdateButtons() {
  if (!table_) return;
  const bool fixedRows = table_->MinRows() == table_->MaxRows();
  for (QPushButton* button : {add_, insert_, delete_}) button->setVisible(!fixedRows);
  // A MaxRows of 0 sets no limit.
  const int rows = table_->RowCount();
  const bool mayGrow = table_->MaxRows() == 0 || rows < table_->MaxRows();
  add_->setEnabled(mayGrow);
  insert_->setEnabled(mayGrow);
  delete_->setEnabled(rows > table_->MinRows());
}

// ---------------------------------------------------------------------------
// Drop-down lists and buttons over the cells

void TTableForm::RebuildCellWidgets() {
  if (!table_) return;
  for (int c = 0; c < model_->columnCount(); ++c) {
    const TColumn* column = model_->ColumnAt(c);
    if (!column->HasInPlaceControls()) continue;
    for (int row = 0; row < model_->rowCount(); ++row) {
      QWidget* control = nullptr;
      if (column->ClassNumber() == kEnumColumn) {
        auto* combo = new QComboBox;
        combo->addItems(static_cast<const TEnumColumn*>(column)->Items());
        combo->setMaxVisibleItems(11);
        connect(combo, &QComboBox::activated, this, [this, combo](int item) { ChoiceActivated(combo, item); });
        control = combo;
      } else {
        auto* button = new QPushButton;
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, button] { NestedButtonClick(button); });
        control = button;
      }
      control->setProperty(kRowProperty, row);
      control->setProperty(kColumnProperty, c);
      control->installEventFilter(this);
      grid_->setIndexWidget(model_->index(row, c), control);
    }
  }
  UpdateCellWidgets();
}

void TTableForm::UpdateCellWidgets() {
  if (!table_) return;
  for (int c = 0; c < model_->columnCount(); ++c) {
    const TColumn* column = model_->ColumnAt(c);
    if (!column->HasInPlaceControls()) continue;
    for (int row = 0; row < model_->rowCount(); ++row) {
      QWidget* control = CellWidget(row, c);
      if (auto* combo = qobject_cast<QComboBox*>(control)) {
        const QSignalBlocker block(combo);
        const int choice = column->GetInteger(row);
        combo->setCurrentIndex(choice >= 1 && choice <= combo->count() ? choice - 1 : -1);
      } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        button->setText(column->Text(row));
      }
    }
  }
}

void TTableForm::ChoiceActivated(QWidget* combo, int item) {
  const int row = combo->property(kRowProperty).toInt();
  const int column = combo->property(kColumnProperty).toInt();
  if (StoreCurrentCell() && table_) {
    NameNextStep(QStringLiteral("Edit ") + ColumnName(column));
    try {
      model_->ColumnAt(column)->SetInteger(row, item + 1);
    } catch (const TError& error) {
      Report(WithPrefix(CellPlace(row, column), error.Message()));
    }
    TakeStepName();
  }
  UpdateCellWidgets();
}

void TTableForm::NestedButtonClick(QWidget* button) {
  const int row = button->property(kRowProperty).toInt();
  const int column = button->property(kColumnProperty).toInt();
  if (!StoreCurrentCell() || !table_) return;
  TColumn* target = model_->ColumnAt(column);
  emit table_->OnButtonClick(table_->ColumnIndex(target), row);
  try {
    if (TGridTable* nested = target->NestedTable(row)) nested->Show();
  } catch (const TError& error) {
    Report(error.Message());
  }
}

// ---------------------------------------------------------------------------
// Texts and layout

void TTableForm::UpdateTexts() {
  if (!table_) return;
  setWindowTitle(table_->WindowCaption());
  if (corner_ != nullptr) {
    corner_->setText(table_->TopLeft());
    corner_->update();
  }
  comments_->setText(table_->Comments());
  comments_->setVisible(!table_->Comments().isEmpty());
  picture_->setPixmap(table_->HasHelpPicture() ? QPixmap(table_->HelpPicture()) : QPixmap());
  picture_->setVisible(table_->HasHelpPicture());
}

void TTableForm::UpdateLayout() {
  if (!table_) return;
  const QFontMetrics cells(grid_->font());
  const QFontMetrics headers(grid_->horizontalHeader()->font());
  const int padding = 2 * grid_->style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;

  // Row labels: the corner text and two blanks, at least a third of an inch.
  int labelWidth = std::max(headers.horizontalAdvance(table_->TopLeft() + "  "), logicalDpiX() / 3);
  labelWidth = std::max(labelWidth, headers.horizontalAdvance(QString::number(table_->GroupNumber(
                                        std::max(table_->RowCount() - 1, 0)))) + padding);
  grid_->verticalHeader()->setFixedWidth(labelWidth);

  QComboBox probe;
  const int rowHeight = std::max(cells.height() + 10, probe.sizeHint().height() + 2);
  grid_->verticalHeader()->setDefaultSectionSize(rowHeight);
  grid_->verticalHeader()->setMinimumSectionSize(rowHeight);

  int columnsWidth = 0;
  for (int c = 0; c < model_->columnCount(); ++c) {
    const TColumn* column = model_->ColumnAt(c);
    int width = std::max(column->HeaderWidth([&](const QString& line) { return headers.horizontalAdvance(line); }) + padding, cells.horizontalAdvance("00000000") + padding);
    if (column->ClassNumber() == kEnumColumn) {
      QComboBox items;  // a combo box keeps its first size hint: one per column
      items.addItems(static_cast<const TEnumColumn*>(column)->Items());
      width = std::max(width, items.sizeHint().width());
    } else {
      for (int row = 0; row < model_->rowCount(); ++row) {
        const QString text = model_->data(model_->index(row, c), Qt::DisplayRole).toString();
        width = std::max(width, cells.horizontalAdvance(text) + padding + (column->HasInPlaceControls() ? 16 : 0));
      }
    }
    grid_->setColumnWidth(c, width);
    columnsWidth += width;
  }

  // At most ten data rows at once; the grid scrolls for more.
  const int rows = model_->rowCount();
  const bool scrolls = rows > kMaxVisibleRows;
  grid_->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  const int scrollBar = grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const int frame = 2 * grid_->frameWidth();
  const int headerHeight = grid_->horizontalHeader()->sizeHint().height();
  int width = labelWidth + columnsWidth + frame + (scrolls ? scrollBar : 0);
  int height = headerHeight + std::min(rows, kMaxVisibleRows) * rowHeight + frame;
  if (const QScreen* screen = this->screen(); screen != nullptr) {
    const int available = screen->availableGeometry().width() * 9 / 10;
    if (width > available) {
      width = available;
      height += scrollBar;
    }
  }
  grid_->setFixedSize(width, height);
  if (layout() != nullptr) layout()->activate();
  if (auto* frameWindow = qobject_cast<QMdiSubWindow*>(parentWidget())) frameWindow->adjustSize();
}

// ---------------------------------------------------------------------------
// Events

void TTableForm::closeEvent(QCloseEvent* event) {
  if (!StoreCurrentCell()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

void TTableForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (table_) emit table_->OnResize();
}

void TTableForm::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (table_) emit table_->OnHide();
}

bool TTableForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == corner_ && event->type() == QEvent::Paint) {
    // The corner cell shows the TopLeft text like a header cell.
    QStylePainter painter(corner_);
    QStyleOptionHeader option;
    option.initFrom(corner_);
    option.state |= QStyle::State_Enabled | QStyle::State_Raised;
    option.palette.setCurrentColorGroup(QPalette::Active);
    option.rect = corner_->rect();
    option.position = QStyleOptionHeader::OnlyOneSection;
    option.text = corner_->text();
    option.textAlignment = Qt::AlignCenter;
    painter.drawControl(QStyle::CE_Header, option);
    return true;
  }
  if (event->type() == QEvent::FocusIn) {
    auto* control = qobject_cast<QWidget*>(watched);
    if (control != nullptr && control->property(kRowProperty).isValid()) {
      // A drop-down list or button makes its row the grid's current row;
      // leaving an entry cell this way stores the entry first.
      const QModelIndex cell =
          model_->index(control->property(kRowProperty).toInt(), control->property(kColumnProperty).toInt());
      QTimer::singleShot(0, this, [this, cell = QPersistentModelIndex(cell)] {
        if (cell.isValid() && grid_->currentIndex() != cell) grid_->setCurrentIndex(cell);
      });
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace terva::gui
