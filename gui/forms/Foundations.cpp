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
  AddFields(depths, {Real("BaseDepth", "Depth from ground surface to base of foundation", kLength, &P::BaseDepth),
                     Real("BedrockDepth", "Depth from ground surface to bed rock (rigid underlying layer)", kLength,
                          &P::BedrockDepth)});
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
