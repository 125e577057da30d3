#include "gui/forms/Multimat.hpp"

#include <QFormLayout>
#include <QVBoxLayout>

namespace terva::gui {

using namespace field_units;
using P = TProgramData;

// The pile constants are held for pile and multilayer foundations only.
static std::function<QString(const TProgramData&)> PilesOnly() {
  return HeldFor({TFoundationType::Pile, TFoundationType::Multilayer},
                 QStringLiteral("Held for pile and multilayer foundations only"));
}

TfrmMultimat::TfrmMultimat(const TFormContext& context, QWidget* parent)
    : TDataForm(context, QStringLiteral("Foundation Properties"), parent) {
  QFormLayout* form = MakeForm();
  AddFields(form,
            {Real("Xc", "Distance from center of foundation base to center of gravity (Xc) ", kLength, &P::Xc),
             Real("Yc", "Distance from center of foundation base to center of gravity (Yc)", kLength, &P::Yc),
             Real("Zc", "Height of center of gravity of foundation from the base (Zc)", kLength, &P::Zc),
             Real("PileUnitWeight", "Unit weight of pile", kUnitWeight, &P::PileUnitWeight).NotHeld(PilesOnly()),
             Real("PilePoisson", "Poisson's ratio of the pile", "", &P::PilePoisson).NotHeld(PilesOnly()),
             Real("PileDamping", "Material damping of the pile", "", &P::PileDamping).NotHeld(PilesOnly()),
             Real("PileModulus", "Elastic modulus of the pile ", kModulus, &P::PileModulus).NotHeld(PilesOnly()),
             Real("PileLength", "Total length of pile", kLength, &P::PileLength).Min(0).NotHeld(PilesOnly()),
             Real("ShearCoefficient", "Cross-sectional coefficient of rigidity", "F/L2", &P::ShearCoefficient).NotHeld(PilesOnly()),
             Real("StaticLoad", "Static load on foundation", kForce, &P::StaticLoad).NotHeld(PilesOnly()).Max(kMaxStaticLoad)});
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  FinishLayout();
}

}  // namespace terva::gui
