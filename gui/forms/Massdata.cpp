#include "gui/forms/Massdata.hpp"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/forms/MassCalculator.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/widgets/DataEdit.hpp"
#include "gui/widgets/TableForm.hpp"
#include "gui/widgets/TableWindows.hpp"

namespace terva::gui {

namespace {
using namespace field_units;
using P = TProgramData;

std::vector<TFieldDecl> MassFields(const QString& massCaption) {
  return {Element("TotalMass", massCaption, kMass, &P::MassConstants, 0),
          Element("Ixx", "Mass moment of inertia about X-axis", kMassInertia, &P::MassConstants, 1),
          Element("Iyy", "Mass moment of inertia about Y-axis", kMassInertia, &P::MassConstants, 2),
          Element("Izz", "Mass moment of inertia about Z-axis", kMassInertia, &P::MassConstants, 3),
          Element("Pxy", "Cross product X-Y (product of inertia)", kMassInertia, &P::MassConstants, 4),
          Element("Pxz", "Cross product X-Z (product of inertia)", kMassInertia, &P::MassConstants, 5),
          Element("Pyz", "Cross product Y-Z (product of inertia)", kMassInertia, &P::MassConstants, 6)};
}

const char kExplanation[] =
    "The mass constants can be entered in two ways. Type the total mass, the mass moments of inertia about "
    "axes through the centre of gravity and the products of inertia directly; or list the masses that make up "
    "the footing and its equipment as rectangular blocks (\"Input all the mass components\"), give the centre "
    "of the foundation base in the same local system (z upward), and press \"Calculate mass moment of "
    "inertia\". The calculation fills every value of this window, and the base centre in global coordinates "
    "becomes the foundation's global base coordinates (Xc, Yc, Zc) when the window is left.";
}  // namespace

TMassForm::TMassForm(const TFormContext& context, const QString& caption, const QString& massCaption, QWidget* parent)
    : TDataForm(context, caption, parent) {
  QGroupBox* constants = AddGroup(QStringLiteral("Mass constants"), MassFields(massCaption));
  QGroupBox* base = AddGroup(QStringLiteral("Centre of the base, local coordinates"),
                             {Element("xCB", "x-coord. of C.B.", kLength, &P::CbLocal, 0),
                              Element("yCB", "y-coord. of C.B.", kLength, &P::CbLocal, 1),
                              Element("zCB", "z-coord. of C.B.", kLength, &P::CbLocal, 2)});
  QGroupBox* gravity = AddGroup(QStringLiteral("Centre of gravity, local coordinates (computed)"),
                                {Element("xCG", "x-coord. of C.G.", kLength, &P::CgLocal, 0).ReadOnly(),
                                 Element("yCG", "y-coord. of C.G.", kLength, &P::CgLocal, 1).ReadOnly(),
                                 Element("zCG", "z-coord. of C.G.", kLength, &P::CgLocal, 2).ReadOnly()});
  QGroupBox* global = AddGroup(QStringLiteral("Centre of the base, global coordinates (computed)"),
                               {Element("XCB", "X-coord. of C.B.", kLength, &P::CbGlobal, 0).ReadOnly(),
                                Element("YCB", "Y-coord. of C.B.", kLength, &P::CbGlobal, 1).ReadOnly(),
                                Element("ZCB", "Z-coord. of C.B.", kLength, &P::CbGlobal, 2).ReadOnly()});

  auto* memo = new QLabel(QString::fromUtf8(kExplanation), this);
  memo->setObjectName(QStringLiteral("Explanation"));
  memo->setWordWrap(true);
  memo->setFrameShape(QFrame::StyledPanel);
  memo->setMargin(6);

  input_ = new QPushButton(QStringLiteral("&Input all the mass components"), this);
  input_->setObjectName(QStringLiteral("InputButton"));
  calculate_ = new QPushButton(QStringLiteral("&Calculate mass moment of inertia"), this);
  calculate_->setObjectName(QStringLiteral("CalculateButton"));
  connect(input_, &QPushButton::clicked, this, [this] {
    if (Tables()) Tables()->MassCal()->Show();
  });
  connect(calculate_, &QPushButton::clicked, this, [this] { Calculate(); });

  auto* right = new QVBoxLayout;
  right->addWidget(base);
  right->addWidget(gravity);
  right->addWidget(global);
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addWidget(constants, 0, Qt::AlignTop);
  columns->addLayout(right);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(input_);
  buttons->addWidget(calculate_);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addWidget(memo);
  layout->addLayout(buttons);
  memo->setMaximumWidth(constants->sizeHint().width() + base->sizeHint().width() + 12);
  FinishLayout();
}

bool TMassForm::Calculate() {
  std::array<long double, 3> base{}, previousCg{};
  const char* baseNames[] = {"xCB", "yCB", "zCB"};
  const char* cgNames[] = {"xCG", "yCG", "zCG"};
  for (int i = 0; i < 3; ++i) {
    TDataEdit* field = Field(QString::fromLatin1(baseNames[i]));
    if (!field->Validate()) return false;
    base[i] = FieldValue(field);
    previousCg[i] = FieldValue(Field(QString::fromLatin1(cgNames[i])));
  }
  if (!Tables()) return false;
  TGridTable* table = Tables()->MassCal();
  // An entry still being typed in the table's window counts.
  if (TTableForm* form = InstallTableWindows().Form(*table)) form->StoreCurrentCell();
  const TMassProperties result = ComputeMassProperties(MassBlocks(*table), previousCg, base);

  const char* constantNames[] = {"TotalMass", "Ixx", "Iyy", "Izz", "Pxy", "Pxz", "Pyz"};
  for (int i = 0; i < 7; ++i) ShowValue(Field(QString::fromLatin1(constantNames[i])), result.constants[i]);
  const char* globalNames[] = {"XCB", "YCB", "ZCB"};
  for (int i = 0; i < 3; ++i) {
    ShowValue(Field(QString::fromLatin1(cgNames[i])), result.cgLocal[i]);
    ShowValue(Field(QString::fromLatin1(globalNames[i])), result.cbGlobal[i]);
  }
  calculated_ = true;
  MarkModified();
  CommitStep(QStringLiteral("Mass Calculator Results"));
  return true;
}

void TMassForm::StoreExtras() {
  if (!calculated_) return;
  TProgramData& project = Project();
  project.Xc = project.CbGlobal[0];
  project.Yc = project.CbGlobal[1];
  project.Zc = project.CbGlobal[2];
}

TfrmMassdata::TfrmMassdata(const TFormContext& context, QWidget* parent)
    : TMassForm(context, QStringLiteral("Mass Data"), QStringLiteral("Total mass (self weight only) of the foundation"),
                parent) {}

}  // namespace terva::gui
