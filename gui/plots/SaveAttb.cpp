#include "gui/plots/SaveAttb.hpp"

#include "gui/widgets/DataEdit.hpp"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>

namespace terva::gui {

namespace {

TDataEdit* Field(QWidget* parent, QFormLayout* form, const QString& caption, long double value, long double minimum,
                 bool integer) {
  auto* edit = new TDataEdit(parent);
  auto* label = new QLabel(parent);
  edit->setUnits(3);
  edit->setIntegerOnly(integer);
  edit->setCaption(caption);
  edit->setEditLabel(label);
  edit->setMinVal(minimum);
  edit->setNumber(value);
  form->addRow(label, edit);
  return edit;
}

}  // namespace

TDlgSaveAttb::TDlgSaveAttb(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Save Attributes"));
  auto* form = new QFormLayout(this);
  height_ = Field(this, form, QStringLiteral("Height (inches)"), 4, 2, false);
  width_ = Field(this, form, QStringLiteral("Width (inches)"), 6, 2, false);
  ppi_ = Field(this, form, QStringLiteral("Pixels per inch"), 72, 10, true);
  height_->setObjectName("Height");
  width_->setObjectName("Width");
  ppi_->setObjectName("Ppi");
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &TDlgSaveAttb::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

void TDlgSaveAttb::accept() {
  for (TDataEdit* edit : {height_, width_, ppi_})
    if (!edit->Validate()) {
      edit->setFocus();
      return;
    }
  QDialog::accept();
}

double TDlgSaveAttb::HeightInches() const { return static_cast<double>(height_->evaluate().value); }
double TDlgSaveAttb::WidthInches() const { return static_cast<double>(width_->evaluate().value); }
int TDlgSaveAttb::Ppi() const { return static_cast<int>(ppi_->evaluate().value); }

}  // namespace terva::gui
