#include "gui/plots/Caption.hpp"

#include "gui/model/PltData.hpp"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace terva::gui {

TDlgCaption::TDlgCaption(TGraphPlot& plot, QWidget* parent) : QDialog(parent), plot_(plot) {
  setWindowTitle(QStringLiteral("Graph Caption"));
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(QStringLiteral("Enter Graph Caption"), this);
  edit_ = new QLineEdit(plot.GraphTitle(), this);
  label->setBuddy(edit_);
  auto* where = new QGroupBox(QStringLiteral("Location"), this);
  auto* whereLayout = new QHBoxLayout(where);
  top_ = new QRadioButton(QStringLiteral("Top"), where);
  bottom_ = new QRadioButton(QStringLiteral("Bottom"), where);
  whereLayout->addWidget(top_);
  whereLayout->addWidget(bottom_);
  (plot.TitleLocation() == TTitleLocation::Top ? top_ : bottom_)->setChecked(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(label);
  layout->addWidget(edit_);
  layout->addWidget(where);
  layout->addWidget(buttons);
  edit_->setMinimumWidth(320);
}

void TDlgCaption::Apply() {
  plot_.SetGraphTitle(edit_->text(), top_->isChecked() ? TTitleLocation::Top : TTitleLocation::Bottom);
}

}  // namespace terva::gui
