#include "gui/forms/Tipsoil.hpp"

#include <QFormLayout>
#include <QVBoxLayout>

namespace terva::gui {

using namespace field_units;
using P = TProgramData;

TfrmTipsoil::TfrmTipsoil(const TFormContext& context, QWidget* parent)
    : TDataForm(context, QStringLiteral("Soil Below The Footing"), parent) {
  QFormLayout* form = MakeForm();
  AddFields(form, {Real("BelowVs", "Shear wave velocity", kVelocity, &P::BelowVs),
                   Real("BelowUnitWeight", "Unit weight", kUnitWeight, &P::BelowUnitWeight),
                   Real("BelowPoisson", "Poisson's ratio", "", &P::BelowPoisson),
                   Real("BelowDamping", "Material damping", "", &P::BelowDamping)});
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  FinishLayout();
}

}  // namespace terva::gui
