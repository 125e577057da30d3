#include "gui/forms/SoilParams.hpp"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/files/ProjectWriter.hpp"
#include "gui/widgets/DataEdit.hpp"

namespace terva::gui {

using namespace field_units;
using P = TProgramData;

namespace {
// The thickness is computed on every save from the side layers of the
// foundation type (0.15 times the width or radius when there are none).
QString ThicknessSource(const TProgramData& p) {
  QString table;
  switch (p.FoundationCode) {
    case TFoundationType::Pile: table = QStringLiteral("the side layers (Side Weakened Soil Parameters)"); break;
    case TFoundationType::Multilayer: table = QStringLiteral("the embedded layers (Multi-Layer Foundation)"); break;
    default: table = QStringLiteral("the side layers (Soil Layer Data)"); break;
  }
  return QStringLiteral("Computed on saving: sum of %1, else 0.15 \u00d7 %2")
      .arg(table, p.Circular != 0 ? QStringLiteral("radius") : QStringLiteral("width"));
}
}  // namespace

TfrmShape::TfrmShape(const TFormContext& context, QWidget* parent)
    : TDataForm(context, QStringLiteral("Foundation Shape"), parent) {
  auto* shape = new QGroupBox(QStringLiteral("Shape"), this);
  rectangular_ = new QRadioButton(QStringLiteral("&Rectangular"), shape);
  rectangular_->setObjectName(QStringLiteral("Rectangular"));
  circular_ = new QRadioButton(QStringLiteral("&Circular"), shape);
  circular_->setObjectName(QStringLiteral("Circular"));
  auto* buttons = new QButtonGroup(this);
  buttons->addButton(rectangular_);
  buttons->addButton(circular_);
  rectangular_->setChecked(true);
  auto* row = new QHBoxLayout(shape);
  row->addWidget(rectangular_);
  row->addWidget(circular_);
  row->addStretch(1);

  auto* dimensions = new QGroupBox(QStringLiteral("Dimensions"), this);
  form_ = MakeForm();
  dimensions->setLayout(form_);
  AddFields(form_, {Real("Radius", "Radius", kLength, &P::Radius).Min(0),
                    Real("Length", "Length x, ", kLength, &P::Length).Min(0),
                    Real("Width", "Width y, ", kLength, &P::Width).Min(0),
                    Real("Thickness", "Thickness z, ", kLength, &P::Thickness).Min(0).Computed(ThicknessSource)});
  for (TDataEdit* field : Fields()) field->setCaption(field->caption().remove(QLatin1Char(',')).trimmed());

  connect(buttons, &QButtonGroup::buttonClicked, this, [this] {
    ShowDimensions();
    ShowThickness();
    MarkModified();
    CommitStep(QStringLiteral("Edit Foundation Shape"));
  });
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(shape);
  layout->addWidget(dimensions);
  ShowDimensions();
  FinishLayout();
}

void TfrmShape::ShowDimensions() {
  const bool circular = circular_->isChecked();
  form_->setRowVisible(Field(QStringLiteral("Radius")), circular);
  form_->setRowVisible(Field(QStringLiteral("Length")), !circular);
  form_->setRowVisible(Field(QStringLiteral("Width")), !circular);
  if (layout()) layout()->activate();
  adjustSize();
}

void TfrmShape::LoadExtras() {
  (Project().Circular == 1 ? circular_ : rectangular_)->setChecked(true);
  ShowDimensions();
  ShowThickness();
}

void TfrmShape::ShowThickness() {
  if (!Tables()) return;
  // The value the next save writes.
  TProgramData saved = Project();
  saved.Circular = circular_->isChecked() ? 1 : 0;
  ApplyGeometrySaveRules(saved, *Tables());
  ShowValue(Field(QStringLiteral("Thickness")), saved.Thickness);
}

void TfrmShape::StoreExtras() { Project().Circular = circular_->isChecked() ? 1 : 0; }

}  // namespace terva::gui
