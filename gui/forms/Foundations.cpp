#include "gui/forms/Foundations.hpp"

#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace terva::gui {

using namespace field_units;
using P = TProgramData;

TfrmFoundations::TfrmFoundations(const TFormContext& context, QWidget* parent)
    : TDataForm(context, QStringLiteral("Foundation Data"), parent) {
  QFormLayout* depths = MakeForm();
  // The project file holds both depths for a stratum only: a half-space's
  // embedment is the sum of its side layers, and it has no bed rock.
  const QString stratumOnly = QStringLiteral("Held for a stratum only");
  auto depthSource = [stratumOnly](const QString& halfSpace) {
    return [stratumOnly, halfSpace](const TProgramData& p) {
      if (p.FoundationCode == TFoundationType::Stratum) return QString();
      return p.FoundationCode == TFoundationType::HalfSpace ? halfSpace : stratumOnly;
    };
  };
  AddFields(depths,
            {Real("BaseDepth", "Depth from ground surface to base of foundation", kLength, &P::BaseDepth)
                 .Min(0)
                 .NotHeld(depthSource(QStringLiteral("Set by the side layers' thicknesses (Soil Layer Data)"))),
             Real("BedrockDepth", "Depth from ground surface to bed rock (rigid underlying layer)", kLength,
                  &P::BedrockDepth)
                 .Min(0)
                 .NotHeld(depthSource(QStringLiteral("None: a half-space has no bed rock")))});
  QGroupBox* global = AddGroup(QStringLiteral("Global Coordinates of Foundation Base"),
                               {Real("Xc", "X Coordinate (Xc)", kLength, &P::Xc),
                                Real("Yc", "Y Coordinate (Yc) ", kLength, &P::Yc),
                                Real("Zc", "Z Coordinate (Zc) ", kLength, &P::Zc)});
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(depths);
  layout->addWidget(global);
  FinishLayout();
}

}  // namespace terva::gui
