#include "gui/plots/ChangeLineNames.hpp"

#include "gui/core/Messages.hpp"
#include "gui/model/PltData.hpp"
#include "gui/plots/PlotScale.hpp"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace terva::gui {

TDlgLineNames::TDlgLineNames(TGraphPlot& plot, QWidget* parent) : QDialog(parent), plot_(plot) {
  setWindowTitle(QStringLiteral("Legend"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Select line to modify:"), this));
  list_ = new QListWidget(this);
  for (int i = 0; i < plot.LineCount(); ++i) list_->addItem(plot.DisplayName(i));
  layout->addWidget(list_);
  layout->addWidget(new QLabel(QStringLiteral("Type new legend below:"), this));
  edit_ = new QLineEdit(this);
  edit_->installEventFilter(this);
  layout->addWidget(edit_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  // Enter belongs to the edit box; OK is clicked.
  for (QAbstractButton* b : buttons->buttons())
    if (auto* push = qobject_cast<QPushButton*>(b)) push->setAutoDefault(false);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    StoreName();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row_ >= 0 && row_ != row) StoreName();
    Select(row);
  });
  connect(edit_, &QLineEdit::editingFinished, this, &TDlgLineNames::StoreName);
  if (list_->count() > 0) list_->setCurrentRow(0);
}

void TDlgLineNames::Select(int row) {
  row_ = row;
  if (row < 0) return;
  edit_->setText(list_->item(row)->text());
  // The text takes the line's colour among the listed curves.
  int curve = 0;
  for (int i = 0; i < row && i < plot_.LineCount(); ++i)
    if (plot_.Line(i).Included) ++curve;
  QPalette palette = edit_->palette();
  palette.setColor(QPalette::Text, CurveColour(curve));
  edit_->setPalette(palette);
}

void TDlgLineNames::StoreName() {
  if (row_ < 0 || row_ >= list_->count()) return;
  QListWidgetItem* item = list_->item(row_);
  if (edit_->text().isEmpty()) {
    ShowMessage(TMessageKind::Warning, windowTitle(), QStringLiteral("The line must have a name!"));
    edit_->setText(item->text());
    return;
  }
  item->setText(edit_->text());
}

void TDlgLineNames::Apply() {
  for (int i = 0; i < list_->count() && i < plot_.LineCount(); ++i) {
    // A compared curve's project is shown after its name, not part of it.
    TLine& line = plot_.Line(i);
    QString name = list_->item(i)->text();
    const QString source = QStringLiteral(" (") + line.Source + QStringLiteral(")");
    if (!line.Source.isEmpty() && name.endsWith(source) && name.size() > source.size()) name.chop(source.size());
    line.Name = name;
  }
  plot_.NotifyChanged();
}

bool TDlgLineNames::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      StoreName();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace terva::gui
