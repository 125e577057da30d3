// The data windows driven through their widgets inside the main window,
// offscreen: every field against the project value it edits, the shared
// reactions (activation, refused deactivation, close, modified), and each
// window's own rules.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <map>

#include "gui/app/Main.hpp"
#include "gui/forms/DataForm.hpp"
#include "gui/forms/Layout.hpp"
#include "gui/forms/Massdata.hpp"
#include "gui/forms/Multimat.hpp"
#include "gui/forms/SoilParams.hpp"
#include "gui/forms/cPileProperties.hpp"
#include "gui/forms/transient.hpp"
#include "gui/forms/random.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/widgets/DataEdit.hpp"
#include "gui/widgets/TableWindows.hpp"
#include "support/TestFolder.hpp"
#include "support/MessageRecorder.hpp"

using namespace terva::gui;
using terva::gui::test::TMessageRecorder;

namespace {

// One field of one window: where it is, what its label reads in SI units and
// the project value behind it (written here independently of the windows).
struct FieldRow {
  TChildId window;
  const char* field;
  const char* label;
  std::function<long double&(TProgramData&)> real;  // null for a count
  std::function<int&(TProgramData&)> count;
};

#define R(member) [](TProgramData& p) -> long double& { return p.member; }, nullptr
#define C(member) nullptr, [](TProgramData& p) -> int& { return p.member; }

const std::vector<FieldRow>& Rows() {
  using W = TChildId;
  static const std::vector<FieldRow> rows = {
      {W::FoundationShape, "Radius", "Radius (m)", R(Radius)},
      {W::FoundationShape, "Length", "Length x (m)", R(Length)},
      {W::FoundationShape, "Width", "Width y (m)", R(Width)},
      {W::FoundationShape, "Thickness", "Thickness z (m)", R(Thickness)},
      {W::MassData, "TotalMass", "Total mass (self weight only) of the foundation (Mg)", R(MassConstants[0])},
      {W::MassData, "Ixx", "Mass moment of inertia about X-axis (Mg-m^2)", R(MassConstants[1])},
      {W::MassData, "Iyy", "Mass moment of inertia about Y-axis (Mg-m^2)", R(MassConstants[2])},
      {W::MassData, "Izz", "Mass moment of inertia about Z-axis (Mg-m^2)", R(MassConstants[3])},
      {W::MassData, "Pxy", "Cross product X-Y (product of inertia) (Mg-m^2)", R(MassConstants[4])},
      {W::MassData, "Pxz", "Cross product X-Z (product of inertia) (Mg-m^2)", R(MassConstants[5])},
      {W::MassData, "Pyz", "Cross product Y-Z (product of inertia) (Mg-m^2)", R(MassConstants[6])},
      {W::MassData, "xCB", "x-coord. of C.B. (m)", R(CbLocal[0])},
      {W::MassData, "yCB", "y-coord. of C.B. (m)", R(CbLocal[1])},
      {W::MassData, "zCB", "z-coord. of C.B. (m)", R(CbLocal[2])},
      {W::PileCapProperties, "TotalMass", "Total mass (including equipment) of footing (Mg)", R(MassConstants[0])},
      {W::PileCapProperties, "Pyz", "Cross product Y-Z (product of inertia) (Mg-m^2)", R(MassConstants[6])},
      {W::PileCapProperties, "zCB", "z-coord. of C.B. (m)", R(CbLocal[2])},
      {W::FoundationData, "BaseDepth", "Depth from ground surface to base of foundation (m)", R(BaseDepth)},
      {W::FoundationData, "BedrockDepth", "Depth from ground surface to bed rock (rigid underlying layer) (m)",
       R(BedrockDepth)},
      {W::FoundationData, "Xc", "X Coordinate (Xc) (m)", R(Xc)},
      {W::FoundationData, "Yc", "Y Coordinate (Yc) (m)", R(Yc)},
      {W::FoundationData, "Zc", "Z Coordinate (Zc) (m)", R(Zc)},
      {W::FoundationProperties, "Xc", "Distance from center of foundation base to center of gravity (Xc) (m)", R(Xc)},
      {W::FoundationProperties, "Yc", "Distance from center of foundation base to center of gravity (Yc) (m)", R(Yc)},
      {W::FoundationProperties, "Zc", "Height of center of gravity of foundation from the base (Zc) (m)", R(Zc)},
      {W::FoundationProperties, "PileUnitWeight", "Unit weight of pile (kN/m^3)", R(PileUnitWeight)},
      {W::FoundationProperties, "PilePoisson", "Poisson's ratio of the pile", R(PilePoisson)},
      {W::FoundationProperties, "PileDamping", "Material damping of the pile", R(PileDamping)},
      {W::FoundationProperties, "PileModulus", "Elastic modulus of the pile (kN/m\u00b2)", R(PileModulus)},
      {W::FoundationProperties, "PileLength", "Total length of pile (m)", R(PileLength)},
      {W::FoundationProperties, "ShearCoefficient", "Cross-sectional coefficient of rigidity (kN/m)",
       R(ShearCoefficient)},
      {W::FoundationProperties, "StaticLoad", "Static load on foundation (kN)", R(StaticLoad)},
      {W::PileProperties, "Xc", "X Coordinate (Xc) (m)", R(Xc)},
      {W::PileProperties, "Yc", "Y Coordinate (Yc) (m)", R(Yc)},
      {W::PileProperties, "Zc", "Z Coordinate (Zc) (m)", R(Zc)},
      {W::PileProperties, "PileUnitWeight", "Unit weight of pile (kN/m^3)", R(PileUnitWeight)},
      {W::PileProperties, "PilePoisson", "Poisson's ratio of the pile", R(PilePoisson)},
      {W::PileProperties, "PileDamping", "Material damping of the pile", R(PileDamping)},
      {W::PileProperties, "PileModulus", "Elastic modulus of the pile (kN/m\u00b2)", R(PileModulus)},
      {W::PileProperties, "PileLength", "Total length of pile (m)", R(PileLength)},
      {W::PileProperties, "ShearCoefficient", "Cross-sectional coefficient of rigidity for the effect of shear",
       R(ShearCoefficient)},
      {W::PileProperties, "StaticLoad", "Static load on foundation (kN)", R(StaticLoad)},
      {W::SoilBelow, "BelowVs", "Shear wave velocity (m/sec)", R(BelowVs)},
      {W::SoilBelow, "BelowUnitWeight", "Unit weight (kN/m^3)", R(BelowUnitWeight)},
      {W::SoilBelow, "BelowPoisson", "Poisson's ratio", R(BelowPoisson)},
      {W::SoilBelow, "BelowDamping", "Material damping", R(BelowDamping)},
      {W::NonQuadratic, "FreqMax", "Maximum Frequency (Hz)", R(FreqMax)},
      {W::NonQuadratic, "FreqMin", "Minimum Frequency (Hz)", R(FreqMin)},
      {W::NonQuadratic, "FreqStep", "Step frequency (incremental frequency) (Hz)", R(FreqStep)},
      {W::NonQuadratic, "LoadX", "Force in X-direction (kN)", R(HarmonicLoads[0])},
      {W::NonQuadratic, "LoadY", "Force in Y-direction (kN)", R(HarmonicLoads[1])},
      {W::NonQuadratic, "LoadZ", "Force in Z-direction (kN)", R(HarmonicLoads[2])},
      {W::NonQuadratic, "MomentX", "Moment about X-axis (kN-m)", R(HarmonicLoads[3])},
      {W::NonQuadratic, "MomentY", "Moment about Y-axis (kN-m)", R(HarmonicLoads[4])},
      {W::NonQuadratic, "MomentZ", "Moment about Z-axis (kN-m)", R(HarmonicLoads[5])},
      {W::Quadratic, "FreqStep", "Step frequency (incremental frequency) (Hz)", R(FreqStep)},
      {W::Quadratic, "LoadX", "Force Coefficient in X-direction (Mg-m)", R(HarmonicLoads[0])},
      {W::Quadratic, "LoadZ", "Force Coefficient in Z-direction (Mg-m)", R(HarmonicLoads[2])},
      {W::Quadratic, "MomentX", "Moment Coefficient about X-axis (Mg-m^2)", R(HarmonicLoads[3])},
      {W::Quadratic, "MomentZ", "Moment about Z-axis (Mg-m^2)", R(HarmonicLoads[5])},
      {W::Transient, "PointCount", "Number of points", C(PointCount)},
      {W::Transient, "TimeStep", "Time interval between points", R(TimeStep)},
      {W::Transient, "LoadCount", "Number of load type to be input", C(LoadCount)},
      {W::Random, "RandomFreqMax", "Maximum frequency (Hz)", R(RandomFreqMax)},
      {W::Random, "RandomFreqMin", "Minimum frequency (Hz)", R(RandomFreqMin)},
      {W::Random, "PointCount", "Number of points to be read", C(PointCount)},
      {W::Random, "ObservationPeriod", "Observation period", R(ObservationPeriod)},
      {W::Random, "LoadCount", "Number of spectrum", C(LoadCount)},
  };
  return rows;
}

TDataForm* Open(TMainForm& main, TChildId id) { return qobject_cast<TDataForm*>(main.ShowChild(id)); }

QMdiSubWindow* FrameOf(QWidget* widget) { return qobject_cast<QMdiSubWindow*>(widget->parentWidget()); }

// Replaces the text of a field as a user does: focus, select all, type.
void Type(TDataEdit* field, const QString& text) {
  field->setFocus();
  field->selectAll();
  QTest::keyClicks(field, text);
}

}  // namespace

class DataWindowsTest : public QObject {
  Q_OBJECT

 private:
  test::TTestFolder folder_;

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Isolate(QStringLiteral("TERVA-forms-test")));
    QLocale::setDefault(QLocale::c());
  }

  // Every field of every window: the label in the project's units, the
  // project value shown on activation, a typed expression stored on
  // deactivation into the same value and nowhere else, the project marked.
  void fieldsInAndOut_data() {
    QTest::addColumn<int>("row");
    for (std::size_t i = 0; i < Rows().size(); ++i) {
      const FieldRow& row = Rows()[i];
      QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(int(row.window)).arg(row.field))) << int(i);
    }
  }
  void fieldsInAndOut() {
    QFETCH(int, row);
    const FieldRow& decl = Rows()[row];
    TMessageRecorder messages;
    TMainForm main;
    main.Start();
    TProgramData& project = main.Project();
    if (decl.real) decl.real(project) = 12.5L;
    else decl.count(project) = 7;
    if (decl.window == TChildId::Quadratic) project.Quadratic = 1;  // as its menu command leaves it
    // A foundation type whose file holds the field.
    if (decl.window == TChildId::FoundationData) project.SetFoundation(TFoundationType::Stratum);
    if (decl.window == TChildId::FoundationProperties) project.SetFoundation(TFoundationType::Multilayer);
    if (decl.window == TChildId::PileProperties) project.SetFoundation(TFoundationType::Pile);
    const TProgramData before = project;

    TDataForm* form = Open(main, decl.window);
    QVERIFY(form);
    TDataEdit* field = form->Field(QString::fromLatin1(decl.field));
    QVERIFY2(field, decl.field);
    QCOMPARE(field->editLabel()->text(), QString::fromUtf8(decl.label));
    QVERIFY(field->isEnabled());
    if (field->isReadOnly()) {
      // Recomputed on saving: shown with where it comes from.
      QVERIFY(form->Hint(QString::fromLatin1(decl.field)));
      QVERIFY(!form->Hint(QString::fromLatin1(decl.field))->text().isEmpty());
      return;
    }
    QCOMPARE(field->text(), decl.real ? QStringLiteral("12.5") : QStringLiteral("7"));
    QVERIFY(!main.Modified());  // showing values changes nothing

    Type(field, decl.real ? QStringLiteral("3*4-0.25") : QStringLiteral("2*4"));
    QVERIFY(main.Modified());
    QVERIFY(main.DeactivateActiveChild());
    QVERIFY(messages.texts.isEmpty());
    if (decl.real) QCOMPARE(double(decl.real(project)), 11.75);
    else QCOMPARE(decl.count(project), 8);

    // Nothing else moved: put the value back and compare the whole project.
    TProgramData after = project;
    if (decl.real) decl.real(after) = 12.5L;
    else decl.count(after) = 7;
    after.Quadratic = before.Quadratic;  // the harmonic windows set the kind
    QCOMPARE(after.MassConstants, before.MassConstants);
    QCOMPARE(after.CbLocal, before.CbLocal);
    QCOMPARE(after.HarmonicLoads, before.HarmonicLoads);
    for (auto value : {&TProgramData::Xc, &TProgramData::Yc, &TProgramData::Zc, &TProgramData::PileLength,
                       &TProgramData::PileUnitWeight, &TProgramData::StaticLoad, &TProgramData::PilePoisson,
                       &TProgramData::PileDamping, &TProgramData::ShearCoefficient, &TProgramData::BaseDepth,
                       &TProgramData::BedrockDepth, &TProgramData::FreqMax, &TProgramData::FreqMin,
                       &TProgramData::FreqStep, &TProgramData::BelowVs, &TProgramData::BelowUnitWeight,
                       &TProgramData::BelowDamping, &TProgramData::BelowPoisson, &TProgramData::Radius,
                       &TProgramData::Length, &TProgramData::Width,
                       &TProgramData::PileModulus, &TProgramData::TimeStep, &TProgramData::RandomFreqMax,
                       &TProgramData::RandomFreqMin, &TProgramData::ObservationPeriod})
      QVERIFY2(after.*value == before.*value, decl.field);
    QCOMPARE(after.PointCount, before.PointCount);
    // (the load windows store the load table's row count)
    if (decl.window != TChildId::Random && decl.window != TChildId::Transient)
      QCOMPARE(after.LoadCount, before.LoadCount);
  }

  // Captions of the windows, and the window-open flags: a second command
  // shows the same window.
  void captionsAndOneWindowEach() {
    TMainForm main;
    main.Start();
    const QList<QPair<TChildId, QString>> windows = {
        {TChildId::FoundationOptions, "Foundation Options"},
        {TChildId::FoundationShape, "Foundation Shape"},
        {TChildId::MassData, "Mass Data"},
        {TChildId::PileCapProperties, "Pile Cap Properties"},
        {TChildId::FoundationData, "Foundation Data"},
        {TChildId::FoundationProperties, "Foundation Properties"},
        {TChildId::PileProperties, "Pile Properties"},
        {TChildId::SoilBelow, "Soil Below The Footing"},
        {TChildId::NonQuadratic, "Harmonic Loading Data, NonQuadratic"},
        {TChildId::Quadratic, "Harmonic Loading Data, Quadratic"},
        {TChildId::Transient, "Transient Loading Data"},
        {TChildId::Random, "Random Loading Data"}};
    for (const auto& [id, caption] : windows) {
      QWidget* window = main.ShowChild(id);
      QVERIFY2(window, qPrintable(caption));
      QCOMPARE(window->windowTitle(), caption);
      QCOMPARE(main.ShowChild(id), window);
      // Usable on a 1280 x 800 screen.
      QVERIFY2(window->sizeHint().width() <= 1200 && window->sizeHint().height() <= 640, qPrintable(caption));
      QVERIFY(main.DeactivateActiveChild());
    }
    QCOMPARE(main.MdiArea()->subWindowList().size(), windows.size());
  }

  // The menu commands reach their windows (the two shape commands the same one).
  void menuCommands() {
    TMainForm main;
    main.Start();
    main.Action("DataPileCapShape")->trigger();
    QWidget* shape = main.MdiArea()->activeSubWindow()->widget();
    QVERIFY(qobject_cast<TfrmShape*>(shape));
    main.Action("DataFoundationShape")->trigger();
    QCOMPARE(main.MdiArea()->activeSubWindow()->widget(), shape);
    main.Action("DataFoundationOptions")->trigger();
    QVERIFY(qobject_cast<TfrmLayout*>(main.MdiArea()->activeSubWindow()->widget()));
    main.Action("DataPileProperties")->trigger();
    QVERIFY(qobject_cast<TfrmCPileProperties*>(main.MdiArea()->activeSubWindow()->widget()));
  }

  // An entry that does not evaluate keeps its window in front, refuses
  // deactivation and close, and leaves the project as it was.
  void invalidEntryBlocksDeactivationAndClose() {
    TMessageRecorder messages;
    TMainForm main;
    main.Start();
    main.Project().BelowVs = 250;
    TDataForm* soil = Open(main, TChildId::SoilBelow);
    QMdiSubWindow* frame = FrameOf(soil);
    TDataEdit* vs = soil->Field("BelowVs");
    Type(vs, "2*(3");
    QVERIFY(!main.DeactivateActiveChild());
    QCOMPARE(double(main.Project().BelowVs), 250.0);
    QVERIFY(!messages.texts.isEmpty());

    // Another window asked to the front: the soil window comes back.
    messages.Clear();
    Open(main, TChildId::FoundationShape);
    QCOMPARE(main.MdiArea()->activeSubWindow(), frame);
    QVERIFY(!messages.texts.isEmpty());

    messages.Clear();
    vs->setFocus();
    frame->close();
    QVERIFY(main.ChildOpen(TChildId::SoilBelow));
    QCOMPARE(double(main.Project().BelowVs), 250.0);

    // A field left out of range by other means also stops the store.
    Type(vs, "300");
    soil->Field("BelowPoisson")->setText("abc");
    QVERIFY(!main.DeactivateActiveChild());
    QCOMPARE(double(main.Project().BelowVs), 250.0);

    // Corrected, the window stores and closes.
    Type(soil->Field("BelowPoisson"), "0.3");
    frame->close();
    QTRY_VERIFY(!main.ChildOpen(TChildId::SoilBelow));
    QCOMPARE(double(main.Project().BelowVs), 300.0);
    QCOMPARE(double(main.Project().BelowPoisson), 0.3);
  }

  // A unit switch shows the converted values and labels in the open window.
  void unitSwitchShowsConvertedValues() {
    TMainForm main;
    main.Start();
    main.Project().BelowVs = 100;
    main.Project().BelowUnitWeight = 18;
    TDataForm* soil = Open(main, TChildId::SoilBelow);
    main.SetUnits(1);
    QCOMPARE(soil->Field("BelowVs")->editLabel()->text(), QStringLiteral("Shear wave velocity (ft/sec)"));
    QCOMPARE(soil->Field("BelowVs")->text(), QStringLiteral("328.08399"));
    QCOMPARE(soil->Field("BelowUnitWeight")->editLabel()->text(), QStringLiteral("Unit weight (lbs/ft^3)"));
    QVERIFY(qAbs(double(soil->Field("BelowUnitWeight")->number()) - 18 * 6.365880) < 1e-3);
    // Storing what is shown changes nothing.
    QVERIFY(main.DeactivateActiveChild());
    main.SetUnits(2);
    QVERIFY(qAbs(double(main.Project().BelowVs) - 100) < 1e-12);
  }

  // The fields show 8 significant digits; leaving a window does not cut the
  // project's values to them, unless the user typed a new value.
  void valuesKeepTheirDigits() {
    TMainForm main;
    main.Start();
    main.Project().BelowVs = 1.0L / 3;
    main.Project().BelowUnitWeight = 2.0L / 3;
    TDataForm* soil = Open(main, TChildId::SoilBelow);
    QCOMPARE(soil->Field("BelowVs")->text(), QStringLiteral("0.33333333"));
    Type(soil->Field("BelowUnitWeight"), "0.5");
    QVERIFY(main.DeactivateActiveChild());
    QCOMPARE(main.Project().BelowVs, 1.0L / 3);
    QCOMPARE(double(main.Project().BelowUnitWeight), 0.5);
  }

  void foundationTypeAndMenus() {
    TMainForm main;
    main.Start();
    auto* layout = qobject_cast<TfrmLayout*>(Open(main, TChildId::FoundationOptions));
    QVERIFY(layout);
    QCOMPARE(layout->FootingType()->currentText(), QStringLiteral("HALF-SPACE"));
    QVERIFY(!layout->Picture()->pixmap().isNull());
    const QImage halfSpace = layout->Picture()->pixmap().toImage();

    // The same type again: not modified.
    layout->FootingType()->setCurrentText("HALF-SPACE");
    QVERIFY(main.DeactivateActiveChild());
    QVERIFY(!main.Modified());
    // There and back again before leaving the window: not modified either.
    main.ShowChild(TChildId::FoundationOptions);
    layout->FootingType()->setCurrentText("PILE");
    layout->FootingType()->setCurrentText("HALF-SPACE");
    QVERIFY(main.DeactivateActiveChild());
    QVERIFY(!main.Modified());

    // PILE: the project follows at once, the picture changes, and leaving
    // the window marks the project and enables the pile commands.
    main.Action("DataPileProperties")->setEnabled(false);
    layout->FootingType()->setCurrentText("PILE");
    QCOMPARE(main.Project().Foundation, QStringLiteral("PILE"));
    QCOMPARE(main.Project().FoundationCode, TFoundationType::Pile);
    QVERIFY(layout->Picture()->pixmap().toImage() != halfSpace);
    QVERIFY(main.DeactivateActiveChild());
    QVERIFY(main.Modified());
    QVERIFY(main.Action("DataPileProperties")->isEnabled());

    // A new activation shows the project's type.
    main.Project().SetFoundation(TFoundationType::Multilayer);
    layout->ActivateForm();
    QCOMPARE(layout->FootingType()->currentText(), QStringLiteral("MULTILAYER"));
  }

  void foundationDimensionByType() {
    TMainForm main;
    main.Start();
    QMdiArea* mdi = main.MdiArea();
    main.Project().SetFoundation(TFoundationType::Pile);
    main.Action("DataFoundationDimension")->trigger();
    QVERIFY(mdi->subWindowList().isEmpty());
    main.Project().SetFoundation(TFoundationType::Stratum);
    main.Action("DataFoundationDimension")->trigger();
    QCOMPARE(mdi->activeSubWindow()->widget()->windowTitle(), QStringLiteral("Foundation Data"));
    main.Project().SetFoundation(TFoundationType::Multilayer);
    main.Action("DataFoundationDimension")->trigger();
    QCOMPARE(mdi->activeSubWindow()->widget()->windowTitle(), QStringLiteral("Foundation Properties"));
  }

  void shapeVisibilityKeepsValues() {
    TMainForm main;
    main.Start();
    TProgramData& project = main.Project();
    project.Radius = 3;
    project.Length = 6;
    project.Width = 4;
    auto* shape = qobject_cast<TfrmShape*>(Open(main, TChildId::FoundationShape));
    QVERIFY(shape->Rectangular()->isChecked());
    QVERIFY(shape->Field("Radius")->isHidden());
    QVERIFY(shape->Field("Radius")->editLabel()->isHidden());
    QVERIFY(!shape->Field("Length")->isHidden());

    QTest::mouseClick(shape->Circular(), Qt::LeftButton);
    QVERIFY(!shape->Field("Radius")->isHidden());
    QVERIFY(shape->Field("Length")->isHidden() && shape->Field("Width")->isHidden());
    QVERIFY(shape->Field("Width")->editLabel()->isHidden());
    QVERIFY(!shape->Field("Thickness")->isHidden());
    QVERIFY(main.Modified());
    QVERIFY(main.DeactivateActiveChild());
    QCOMPARE(project.Circular, 1);
    QCOMPARE(double(project.Length), 6.0);

    main.ShowChild(TChildId::FoundationShape);
    QTest::mouseClick(shape->Rectangular(), Qt::LeftButton);
    QVERIFY(main.DeactivateActiveChild());
    QCOMPARE(project.Circular, 0);
    QCOMPARE(double(project.Radius), 3.0);
    QCOMPARE(double(project.Length), 6.0);
    QCOMPARE(double(project.Width), 4.0);
  }

  void pileChoicesFromAndToFlags() {
    TMainForm main;
    main.Start();
    TProgramData& project = main.Project();
    project.PileHeadFixed = 0;
    project.EndBearing = 1;
    project.Interaction = 0;
    project.PileHeadText = "something else";
    auto* pile = qobject_cast<TfrmCPileProperties*>(Open(main, TChildId::PileProperties));
    QCOMPARE(pile->PileHead()->currentText(), QStringLiteral("PINNED"));
    QCOMPARE(pile->PileTip()->currentText(), QStringLiteral("End-Bearing Piles"));
    QCOMPARE(pile->InteractionChoice()->currentText(), QStringLiteral("No"));
    QCOMPARE(project.PileHeadText, QStringLiteral("PINNED"));
    QVERIFY(!main.Modified());
    QCOMPARE(pile->PileHead()->count(), 2);
    QCOMPARE(pile->PileTip()->itemText(0), QStringLiteral("Floating Piles"));

    pile->PileHead()->setCurrentText("FIXED");
    pile->PileTip()->setCurrentText("Floating Piles");
    pile->InteractionChoice()->setCurrentText("Yes");
    QCOMPARE(project.PileHeadText, QStringLiteral("FIXED"));  // the text on every change
    QVERIFY(main.Modified());
    QVERIFY(main.DeactivateActiveChild());
    QCOMPARE(project.PileHeadFixed, 1);
    QCOMPARE(project.EndBearing, 0);
    QCOMPARE(project.Interaction, 1);
  }

  // The two load windows share the counts; their buttons open the load tables.
  void loadWindowsShareCountsAndOpenTables() {
    TMainForm main;
    main.Start();
    main.SetLoadType(2);
    auto* transient = qobject_cast<Tfrmtransient*>(Open(main, TChildId::Transient));
    Type(transient->Field("PointCount"), "40");
    // The number of loads is the load table's row count, which the file holds.
    QVERIFY(transient->Field("LoadCount")->isReadOnly());
    main.Tables().TLoadtype()->SetRowCount(2);
    main.Tables().Trandom()->SetRowCount(2);
    QVERIFY(main.DeactivateActiveChild());
    transient->ActivateForm();
    QCOMPARE(transient->Field("LoadCount")->text(), QStringLiteral("2"));
    QTest::mouseClick(transient->DataButton(), Qt::LeftButton);
    QVERIFY(InstallTableWindows().Form(*main.Tables().TLoadtype()));

    main.SetLoadType(3);
    auto* random = qobject_cast<Tfrmrandom*>(Open(main, TChildId::Random));
    QCOMPARE(random->Field("PointCount")->text(), QStringLiteral("40"));
    QCOMPARE(random->Field("LoadCount")->text(), QStringLiteral("2"));
    QVERIFY(random->Field("LoadCount")->isReadOnly());
    QVERIFY(main.DeactivateActiveChild());
    QCOMPARE(main.Project().LoadCount, 2);
    QTest::mouseClick(random->DataButton(), Qt::LeftButton);
    QVERIFY(InstallTableWindows().Form(*main.Tables().Trandom()));
  }

  void countsRoundToWholeNumbers() {
    QCOMPARE(RoundCount(2.5L), 3);
    QCOMPARE(RoundCount(-2.5L), -3);
    QCOMPARE(RoundCount(7.4999L), 7);
    QCOMPARE(RoundCount(1e12L), std::numeric_limits<int>::max());
    QCOMPARE(RoundCount(-1e12L), std::numeric_limits<int>::min());
  }

  // The table commands of the Data menu by foundation type (the command is
  // triggered whether or not the menu enables it).
  void tableCommandsByFoundationType_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("table");  // caption; empty: nothing opens
    const char* types[] = {"", "half-space", "pile", "stratum", "multilayer"};
    for (int type = 1; type <= 4; ++type) {
      const auto row = [&](const char* command, const char* table) {
        QTest::addRow("%s %s", types[type], command) << type << QString::fromLatin1(command) << QString::fromLatin1(table);
      };
      row("DataSoilLayer", type == 2 ? "Soil Properties" : "");
      row("DataSideSoil", type == 1 ? "Soil Layer Data" : type == 2 ? "Side Weakened Soil Parameters" : "Soil Properties");
      row("DataSoilColumn", "Soil Layers Below the Foundation");
      row("DataFoundationLayer", "Multi-Layer Foundation");
      row("DataPileCoordinates", "Pile Coordinations");
      row("DataPileElements", "Pile Data");
    }
  }
  void tableCommandsByFoundationType() {
    QFETCH(int, type);
    QFETCH(QString, command);
    QFETCH(QString, table);
    TMainForm main;
    main.Start();
    main.Project().SetFoundation(static_cast<TFoundationType>(type));
    main.Action(command)->trigger();
    QStringList open;
    for (TGridTable* t : main.Tables().All())
      if (InstallTableWindows().Form(*t)) open << t->Caption();
    QCOMPARE(open, table.isEmpty() ? QStringList() : QStringList{table});
  }

  // Tab goes through a window's fields in their order; computed fields are
  // passed over.
  void keyboardOrder() {
    TMainForm main;
    main.Start();
    main.show();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    main.Project().SetFoundation(TFoundationType::Pile);
    for (TChildId id : {TChildId::PileProperties, TChildId::MassData, TChildId::NonQuadratic, TChildId::Random}) {
      TDataForm* form = Open(main, id);
      std::vector<TDataEdit*> editable;
      for (TDataEdit* field : form->Fields())
        if (!field->isReadOnly()) editable.push_back(field);
      editable.front()->setFocus();
      for (std::size_t i = 1; i < editable.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(editable[i]));
      }
      QVERIFY(main.DeactivateActiveChild());
    }
  }

  // A half-space project: every field a user can edit in the data windows
  // (enabled, shown, not computed) keeps its value through Save, close and
  // reopen. A field met in two windows gets one value.
  void halfSpaceProjectKeepsEveryEditableField() {
    const QList<TChildId> windows = {TChildId::FoundationShape, TChildId::MassData,      TChildId::FoundationData,
                                     TChildId::FoundationProperties, TChildId::PileProperties, TChildId::SoilBelow,
                                     TChildId::NonQuadratic};
    const QString path = folder_.Path(QStringLiteral("half-space-fields.tvd"));
    std::map<QString, QString> typed;
    TMessageRecorder messages;
    {
      TMainForm main;
      main.Start();
      QCOMPARE(main.Project().FoundationCode, TFoundationType::HalfSpace);
      for (TChildId id : windows) {
        TDataForm* form = Open(main, id);
        QVERIFY(form);
        for (TDataEdit* field : form->Fields()) {
          if (!field->isEnabled() || field->isReadOnly() || field->isHidden()) continue;
          auto [entry, added] = typed.try_emplace(field->objectName(),
                                                  QString::number(typed.size() + 1) + QStringLiteral(".25"));
          Type(field, entry->second);
        }
        QVERIFY2(main.DeactivateActiveChild(), qPrintable(messages.texts.join(u'|')));
      }
      QVERIFY(typed.size() >= 25);
      QVERIFY(typed.count(QStringLiteral("Xc")) && typed.count(QStringLiteral("BelowVs")));
      TMainForm::SetFileDialogHook([path](bool, const QString&, const QString&) { return path; });
      const bool saved = main.FileSaveAs();
      TMainForm::SetFileDialogHook({});
      QVERIFY(saved);
    }
    TMainForm main;
    main.Start(path);
    QCOMPARE(main.Project().FileName, path);
    std::size_t checked = 0;
    for (TChildId id : windows) {
      TDataForm* form = Open(main, id);
      for (TDataEdit* field : form->Fields()) {
        const auto entry = typed.find(field->objectName());
        if (entry == typed.end() || !field->isEnabled() || field->isReadOnly()) continue;
        QVERIFY2(field->text() == entry->second, qPrintable(field->objectName() + QLatin1Char(' ') + field->text()));
        ++checked;
      }
      QVERIFY(main.DeactivateActiveChild());
    }
    QVERIFY(checked >= typed.size());
    QVERIFY(messages.texts.isEmpty());
  }

  // Fields the file does not hold for the foundation type are disabled with a
  // hint; computed ones are read-only with their source; both follow a change
  // of type made in Foundation Options while the windows are open.
  void fieldSourcesFollowFoundationType() {
    TMainForm main;
    main.Start();
    TDataForm* data = Open(main, TChildId::FoundationData);
    TDataForm* shape = Open(main, TChildId::FoundationShape);
    TDataForm* properties = Open(main, TChildId::FoundationProperties);
    auto state = [](TDataForm* form, const char* name) {
      const QLabel* hint = form->Hint(QString::fromLatin1(name));
      return QStringLiteral("%1 %2")
          .arg(form->Field(QString::fromLatin1(name))->isEnabled() ? "on" : "off",
               hint && !hint->isHidden() ? hint->text() : QStringLiteral("-"));
    };
    QCOMPARE(state(data, "BaseDepth"), QStringLiteral("off Set by the side layers' thicknesses (Soil Layer Data)"));
    QCOMPARE(state(data, "BedrockDepth"), QStringLiteral("off None: a half-space has no bed rock"));
    QCOMPARE(state(data, "Xc"), QStringLiteral("on -"));
    QVERIFY(state(properties, "PileLength").startsWith("off Held for pile and multilayer"));
    QVERIFY(shape->Field("Thickness")->isReadOnly());
    QVERIFY(state(shape, "Thickness").contains("Soil Layer Data"));
    // The layout stays: a disabled field keeps its place.
    QVERIFY(!data->Field("BaseDepth")->isHidden());

    auto* options = qobject_cast<TfrmLayout*>(Open(main, TChildId::FoundationOptions));
    auto* type = options->findChild<QComboBox*>(QStringLiteral("FootingType"));
    type->setCurrentText(QStringLiteral("STRATUM"));
    QCOMPARE(state(data, "BaseDepth"), QStringLiteral("on -"));
    QCOMPARE(state(data, "BedrockDepth"), QStringLiteral("on -"));
    QVERIFY(state(properties, "StaticLoad").startsWith("off "));
    type->setCurrentText(QStringLiteral("MULTILAYER"));
    QCOMPARE(state(data, "BaseDepth"), QStringLiteral("off Held for a stratum only"));
    QCOMPARE(state(properties, "PileLength"), QStringLiteral("on -"));
    QVERIFY(main.DeactivateActiveChild());
    shape->ActivateForm();
    QVERIFY(state(shape, "Thickness").contains("Multi-Layer Foundation"));

    // A disabled field with a bad entry left in it neither holds the window
    // nor changes the project.
    main.Project().BedrockDepth = 12;
    type->setCurrentText(QStringLiteral("HALF-SPACE"));
    data->ActivateForm();
    data->Field("BedrockDepth")->setText(QStringLiteral("abc"));
    QVERIFY(data->DeactivateForm());
    QCOMPARE(double(main.Project().BedrockDepth), 12.0);
  }

  // Limits: a negative length is refused with the out-of-range message and
  // nothing stored; a value beyond a limit leaves the exact limit, which is
  // what the project then holds.
  void lengthsAndLimits() {
    TMessageRecorder messages;
    TMainForm main;
    main.Start();
    main.Project().Width = 2;
    TDataForm* shape = Open(main, TChildId::FoundationShape);
    shape->Field("Width")->clear();  // a leading "-" on a selected value would extend it
    Type(shape->Field("Width"), "-1.5");
    QVERIFY(!main.DeactivateActiveChild());
    QCOMPARE(messages.texts, QStringList{QStringLiteral("Width y, Foundation Shape: entry must be greater than or equal to 0")});
    QCOMPARE(double(main.Project().Width), 2.0);
    Type(shape->Field("Width"), "1.5");
    QVERIFY(main.DeactivateActiveChild());
    QCOMPARE(double(main.Project().Width), 1.5);

    main.Project().SetFoundation(TFoundationType::Multilayer);
    TDataForm* properties = Open(main, TChildId::FoundationProperties);
    messages.Clear();
    for (const char* entry : {"3E12", "2147483647001"}) {
      Type(properties->Field("StaticLoad"), QString::fromLatin1(entry));
      main.DeactivateActiveChild();  // refused with a message, or taken as the limit shown
      QVERIFY(main.DeactivateActiveChild());
      QVERIFY(main.Project().StaticLoad == kMaxStaticLoad);
    }
    QCOMPARE(messages.texts, QStringList{QStringLiteral("Static load on foundation, Foundation Properties: entry must be less than or equal to 2.1474836E12")});
    // Typed again by hand, the text shown is an ordinary value below the limit.
    Type(properties->Field("StaticLoad"), "2.1474836E12");
    QVERIFY(main.DeactivateActiveChild());
    QCOMPARE(double(main.Project().StaticLoad), 2147483600000.0);
  }

  void harmonicWindowsSetTheirKind() {
    TMainForm main;
    main.Start();
    main.Action("HarmonicQuadratic")->trigger();
    QCOMPARE(main.Project().Quadratic, 1);
    QVERIFY(main.DeactivateActiveChild());
    main.Action("HarmonicNonQuadratic")->trigger();
    QCOMPARE(main.Project().Quadratic, 0);
    auto* nonQuadratic = Open(main, TChildId::NonQuadratic);
    QCOMPARE(nonQuadratic->Field("LoadX")->editLabel()->text(), QStringLiteral("Force in X-direction (kN)"));
  }
};

QTEST_MAIN(DataWindowsTest)
#include "data_windows_test.moc"
