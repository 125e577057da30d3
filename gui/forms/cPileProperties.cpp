#include "gui/forms/cPileProperties.hpp"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/forms/Multimat.hpp"

namespace terva::gui {

namespace {
using namespace field_units;
using P = TProgramData;

// The pile constants are held for pile and multilayer foundations only.
std::function<QString(const TProgramData&)> PilesOnly() {
  return HeldFor({TFoundationType::Pile, TFoundationType::Multilayer},
                 QStringLiteral("Held for pile and multilayer foundations only"));
}

const QString kFixed = QStringLiteral("FIXED"), kPinned = QStringLiteral("PINNED");
const QString kFloating = QStringLiteral("Floating Piles"), kEndBearing = QStringLiteral("End-Bearing Piles");
const QString kYes = QStringLiteral("Yes"), kNo = QStringLiteral("No");

// The flag of a choice text by exact comparison; the flag stays as it was
// for any other text.
void FlagOf(const QString& text, const QString& one, const QString& zero, int& flag) {
  if (text == one) flag = 1;
  else if (text == zero) flag = 0;
}
}  // namespace

TfrmCPileProperties::TfrmCPileProperties(const TFormContext& context, QWidget* parent)
    : TDataForm(context, QStringLiteral("Pile Properties"), parent) {
  QGroupBox* global = AddGroup(QStringLiteral("Global Coordinates of Center of Pile Cap Base "),
                               {Real("Xc", "X Coordinate (Xc) ", kLength, &P::Xc),
                                Real("Yc", "Y Coordinate (Yc)", kLength, &P::Yc),
                                Real("Zc", "Z Coordinate (Zc)", kLength, &P::Zc)});
  QGroupBox* pile = AddGroup(
      QStringLiteral("Pile constants"),
      {Real("PileUnitWeight", "Unit weight of pile", kUnitWeight, &P::PileUnitWeight).NotHeld(PilesOnly()),
       Real("PilePoisson", "Poisson's ratio of the pile", "", &P::PilePoisson).NotHeld(PilesOnly()),
       Real("PileDamping", "Material damping of the pile", "", &P::PileDamping).NotHeld(PilesOnly()),
       Real("PileModulus", "Elastic modulus of the pile ", kModulus, &P::PileModulus).NotHeld(PilesOnly()),
       Real("PileLength", "Total length of pile", kLength, &P::PileLength).Min(0).NotHeld(PilesOnly()),
       Real("ShearCoefficient", "Cross-sectional coefficient of rigidity for the effect of shear", "",
            &P::ShearCoefficient).NotHeld(PilesOnly())});
  auto* constants = qobject_cast<QFormLayout*>(pile->layout());
  auto* note = new QLabel(QStringLiteral("(use 1.334 for solid circular sections;\nuse 1.52 for rectangular sections)"), this);
  note->setObjectName(QStringLiteral("ShearNote"));
  constants->addRow(QString(), note);
  AddFields(constants, {Real("StaticLoad", "Static load on foundation", kForce, &P::StaticLoad).NotHeld(PilesOnly()).Max(kMaxStaticLoad)});

  auto* options = new QGroupBox(QStringLiteral("Pile options"), this);
  QFormLayout* choices = MakeForm();
  options->setLayout(choices);
  head_ = AddChoice(choices, "PileHead", QStringLiteral("The connection between the pile cap and pile head"),
                    {kFixed, kPinned});
  tip_ = AddChoice(choices, "PileTip", QStringLiteral("Select either floating piles or  end-bearing piles"),
                   {kFloating, kEndBearing});
  interaction_ = AddChoice(choices, "Interaction", QStringLiteral("Consider the interaction of pile-soil-pile "),
                           {kYes, kNo});
  // The texts are the project's on every change; the flags follow on storing.
  connect(head_, &QComboBox::currentTextChanged, this, [this](const QString& t) { if (!Loading()) Project().PileHeadText = t; });
  connect(tip_, &QComboBox::currentTextChanged, this, [this](const QString& t) { if (!Loading()) Project().PileTipText = t; });
  connect(interaction_, &QComboBox::currentTextChanged, this,
          [this](const QString& t) { if (!Loading()) Project().InteractionText = t; });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(global);
  layout->addWidget(pile);
  layout->addWidget(options);
  FinishLayout();
}

void TfrmCPileProperties::LoadExtras() {
  TProgramData& project = Project();
  project.PileHeadText = project.PileHeadFixed == 1 ? kFixed : kPinned;
  project.PileTipText = project.EndBearing == 1 ? kEndBearing : kFloating;
  project.InteractionText = project.Interaction == 1 ? kYes : kNo;
  head_->setCurrentText(project.PileHeadText);
  tip_->setCurrentText(project.PileTipText);
  interaction_->setCurrentText(project.InteractionText);
}

void TfrmCPileProperties::StoreExtras() {
  TProgramData& project = Project();
  project.PileHeadText = head_->currentText();
  project.PileTipText = tip_->currentText();
  project.InteractionText = interaction_->currentText();
  FlagOf(project.PileHeadText, kFixed, kPinned, project.PileHeadFixed);
  FlagOf(project.PileTipText, kEndBearing, kFloating, project.EndBearing);
  FlagOf(project.InteractionText, kYes, kNo, project.Interaction);
}

}  // namespace terva::gui
