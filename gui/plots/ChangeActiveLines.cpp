#include "gui/plots/ChangeActiveLines.hpp"

#include "gui/model/PltData.hpp"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace terva::gui {

namespace {
const QString kYes = QStringLiteral(" yes : ");
const QString kNo = QStringLiteral(" no  : ");
constexpr int kNameRole = Qt::UserRole;
}  // namespace

QString TDlgActiveLines::EntryText(bool included, const QString& name) {
  return (included ? kYes : kNo) + QStringLiteral("   ") + name;
}

TDlgActiveLines::TDlgActiveLines(TGraphPlot& plot, QWidget* parent) : QDialog(parent), plot_(plot) {
  setWindowTitle(QStringLiteral("Active Plots"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Select Line to Active/Desactive"), this));
  list_ = new QListWidget(this);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  for (int i = 0; i < plot.LineCount(); ++i) {
    auto* item = new QListWidgetItem(EntryText(plot.Line(i).Included, plot.DisplayName(i)), list_);
    item->setData(kNameRole, plot.DisplayName(i));
  }
  layout->addWidget(list_);
  auto* row = new QHBoxLayout;
  auto* selected = new QPushButton(QStringLiteral("Activate/Desactivate Selected"), this);
  auto* all = new QPushButton(QStringLiteral("Activate All"), this);
  auto* none = new QPushButton(QStringLiteral("Desactivate All"), this);
  selected->setObjectName("ToggleSelected");
  all->setObjectName("ActivateAll");
  none->setObjectName("DesactivateAll");
  for (QPushButton* b : {selected, all, none}) {
    b->setAutoDefault(false);
    row->addWidget(b);
  }
  layout->addLayout(row);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  connect(list_, &QListWidget::itemDoubleClicked, this, &TDlgActiveLines::Toggle);
  connect(selected, &QPushButton::clicked, this, &TDlgActiveLines::ToggleSelected);
  connect(all, &QPushButton::clicked, this, [this] { SetAll(true); });
  connect(none, &QPushButton::clicked, this, [this] { SetAll(false); });
}

void TDlgActiveLines::Toggle(QListWidgetItem* item) {
  if (!item) return;
  item->setText(EntryText(!item->text().startsWith(kYes), item->data(kNameRole).toString()));
}

void TDlgActiveLines::ToggleSelected() {
  for (QListWidgetItem* item : list_->selectedItems()) Toggle(item);
}

void TDlgActiveLines::SetAll(bool included) {
  for (int i = 0; i < list_->count(); ++i)
    list_->item(i)->setText(EntryText(included, list_->item(i)->data(kNameRole).toString()));
}

void TDlgActiveLines::Apply() {
  for (int i = 0; i < list_->count() && i < plot_.LineCount(); ++i)
    plot_.Line(i).Included = list_->item(i)->text().startsWith(kYes);
}

}  // namespace terva::gui
