// The project model: the twelve project tables, a new project, and the unit
// system switch of the project values and the tables.
#include "gui/model/ColumnTypes.hpp"
#include "gui/model/Table.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"

#include <QLocale>
#include <QtTest>

#include <clocale>
#include <cmath>

using namespace terva::gui;

namespace {

constexpr long double kL = 3.280839895L;   // ft per m
constexpr long double kF = 224.8089237L;   // lb per kN
constexpr long double kM = 68.364249L;     // slug per Mg

bool Close(long double a, long double b, long double relative = 1e-15L) {
  return std::fabs(a - b) <= relative * std::max(std::fabs(a), std::fabs(b)) + 1e-300L;
}

}  // namespace

class ModelProjectTest : public QObject {
  Q_OBJECT

 private:
  TProjectTables* tables_ = nullptr;

 private slots:
  void initTestCase() {
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_ALL, "C");
    tables_ = new TProjectTables(this);
  }

  // The nested load tables find their templates by identifier: each of the
  // twelve is found under its own. (Captions and columns are checked against
  // the project file: model_writer_test and model_roundtrip_test.)
  void tablesAreFoundByTheirIdentifiers() {
    for (int identifier = 1; identifier <= TProjectTables::kTableCount; ++identifier) {
      TGridTable* table = TGridTable::Find(identifier);
      QVERIFY(table != nullptr);
      QCOMPARE(table, tables_->All()[static_cast<size_t>(identifier - 1)]);
      QCOMPARE(table->MinRows(), 1);
    }
  }

  // A project is read into a set of its own before it replaces the open
  // one: while that set lives it has the identifiers, and when it goes they
  // are the open set's again (the input helpers and the load tables' copies
  // find their tables by them).
  void aSecondSetGivesTheIdentifiersBack() {
    {
      TProjectTables loaded;
      QCOMPARE(TGridTable::Find(8), loaded.Dtransient());
    }
    for (int identifier = 1; identifier <= TProjectTables::kTableCount; ++identifier)
      QCOMPARE(TGridTable::Find(identifier), tables_->All()[static_cast<size_t>(identifier - 1)]);
    NewProject(*tables_);
    QCOMPARE(tables_->TLoadtype()->Column(1)->NestedTable(0)->TemplateIdentifier(), 8);
  }

  // The load tables make their nested tables from the templates 8 and 10,
  // and choosing a direction keeps the nested table (one template for all).
  void loadRowsCarryCopiesOfTheirTemplates() {
    auto data = NewProject(*tables_);
    for (TGridTable* outer : {tables_->TLoadtype(), tables_->Trandom()}) {
      const TGridTable* nested = outer->Column(1)->NestedTable(0);
      QVERIFY(nested != nullptr);
      const int templateId = outer == tables_->TLoadtype() ? 8 : 10;
      QCOMPARE(nested->TemplateIdentifier(), templateId);
      QCOMPARE(nested->Caption(), TGridTable::Find(templateId)->Caption());
      nested->Column(0)->SetReal(0, 7.5L);
      outer->Column(0)->SetInteger(0, 5);
      QCOMPARE(outer->Column(1)->NestedTable(0), nested);
      QCOMPARE(nested->Column(0)->GetReal(0), 7.5L);
    }
    const auto* plane = static_cast<const TEnumColumn*>(tables_->Pilecoord()->Column(3));
    QCOMPARE(plane->Items(), (QStringList{"XZ-Plane", "YZ-Plane"}));
    const auto* spectrum = static_cast<const TEnumColumn*>(tables_->Trandom()->Column(0));
    QCOMPARE(spectrum->Items().first(), QString("Force in X-directiin"));
  }

  void newProjectHasTheDefaults() {
    // Leave the tables in another state first: English, several rows, set cells.
    auto old = NewProject(*tables_);
    SetUnitSystem(*old, *tables_, 1);
    tables_->D1()->SetRowCount(4);
    tables_->D1()->Column(1)->SetReal(2, 500.0L);
    tables_->TLoadtype()->SetRowCount(3);
    tables_->TLoadtype()->Column(1)->NestedTable(2)->SetRowCount(9);

    auto data = NewProject(*tables_);
    QCOMPARE(data->Units, 2);
    QCOMPARE(data->Foundation, QString("HALF-SPACE"));
    QCOMPARE(data->FoundationCode, TFoundationType::HalfSpace);
    QCOMPARE(data->LoadType, TLoadType::Harmonic);
    QCOMPARE(data->PileHeadFixed, 1);
    QCOMPARE(data->EndBearing, 0);
    QCOMPARE(data->Interaction, 1);
    QCOMPARE(data->Matrix, 1);
    QCOMPARE(data->Title, QString("New Pile"));
    QCOMPARE(data->FileName, QString("NewData.tvd"));
    QVERIFY(data->IsUnnamed());
    QVERIFY(!data->Battered && !data->SideCap && data->Weak);
    for (TGridTable* table : tables_->AllWithNested()) {
      QCOMPARE(table->RowCount(), 1);
      QCOMPARE(table->Units(), 2);
      QVERIFY(!table->Modified());
      for (int c = 0; c < table->ColumnCount(); ++c) {
        TColumn* column = table->Column(c);
        if (column->ClassNumber() == kFloatColumn) QCOMPARE(column->GetReal(0), 0.0L);
        if (column->ClassNumber() == kEnumColumn) QCOMPARE(column->GetInteger(0), 0);
      }
    }
  }

  void switchingToTheCurrentSystemChangesNothing() {
    auto data = NewProject(*tables_);
    data->Radius = 2.0L;
    tables_->D1()->Column(1)->SetReal(0, 150.0L);
    SetUnitSystem(*data, *tables_, 2);
    SetUnitSystem(*data, *tables_, 7);  // clamped to 2
    QCOMPARE(data->Radius, 2.0L);
    QCOMPARE(tables_->D1()->Column(1)->GetReal(0), 150.0L);
    QCOMPARE(tables_->D1()->Units(), 2);
  }

  // Every converted value with its factor (English -> SI), and the values
  // that a switch leaves alone.
  void englishToSIConvertsEachValueByItsFactor() {
    auto data = NewProject(*tables_);
    SetUnitSystem(*data, *tables_, 1);
    TProgramData& d = *data;
    const long double L = 1 / kL, F = 1 / kF, M = 1 / kM;
    struct Item {
      long double* value;
      long double factor;
    };
    const std::vector<Item> items = {
        {&d.Radius, L}, {&d.Length, L}, {&d.Width, L}, {&d.Xc, L}, {&d.Yc, L}, {&d.Zc, L},
        {&d.CgLocal[0], L}, {&d.CbLocal[1], L}, {&d.CbGlobal[2], L}, {&d.BaseDepth, L},
        {&d.BedrockDepth, L}, {&d.PileLength, L}, {&d.BelowVs, L},
        {&d.BelowUnitWeight, F / (L * L * L)}, {&d.PileUnitWeight, F / (L * L * L)},
        {&d.PileModulus, F / (L * L)}, {&d.StaticLoad, F}, {&d.MassConstants[0], M},
        {&d.MassConstants[1], M * L * L}, {&d.MassConstants[6], M * L * L},
        {&d.HarmonicLoads[0], F}, {&d.HarmonicLoads[5], F * L},
        // Not converted:
        {&d.Thickness, 1}, {&d.FreqMax, 1}, {&d.RandomFreqMin, 1}, {&d.BelowPoisson, 1},
        {&d.BelowDamping, 1}, {&d.ShearCoefficient, 1}, {&d.TimeStep, 1}, {&d.ObservationPeriod, 1},
        {&d.PilePoisson, 1}, {&d.PileDamping, 1}};
    for (size_t i = 0; i < items.size(); ++i) *items[i].value = 1.5L + static_cast<long double>(i);
    SetUnitSystem(d, *tables_, 2);
    QCOMPARE(d.Units, 2);
    for (size_t i = 0; i < items.size(); ++i) {
      const long double start = 1.5L + static_cast<long double>(i);
      if (!Close(*items[i].value, start * items[i].factor))
        QFAIL(qPrintable(QString("item %1: %2 instead of %3")
                             .arg(i)
                             .arg(double(*items[i].value), 0, 'g', 17)
                             .arg(double(start * items[i].factor), 0, 'g', 17)));
    }
  }

  void quadraticCoefficientsConvertAsMassTimesLength() {
    auto data = NewProject(*tables_);
    SetUnitSystem(*data, *tables_, 1);
    data->Quadratic = 1;
    data->HarmonicLoads = {1, 1, 1, 1, 1, 1};
    SetUnitSystem(*data, *tables_, 2);
    QVERIFY(Close(data->HarmonicLoads[0], 1 / kM * (1 / kL)));
    QVERIFY(Close(data->HarmonicLoads[2], 1 / kM * (1 / kL)));
    QVERIFY(Close(data->HarmonicLoads[3], 1 / kM * (1 / kL) * (1 / kL)));
  }

  // The tables follow the project: each real column by its template, the
  // nested load histories too; dimensionless columns stay.
  void tablesAreConvertedWithTheProject() {
    auto data = NewProject(*tables_);
    tables_->D1()->Column(0)->SetReal(0, 2.0L);         // L2
    tables_->D1()->Column(1)->SetReal(0, 150.0L);       // L2/SEC
    tables_->D1()->Column(3)->SetReal(0, 0.35L);        // ratio
    tables_->Multisoil()->Column(2)->SetReal(0, 0.4L);  // Poisson's ratio
    tables_->MassCal()->Column(0)->SetReal(0, 40.0L);   // F6
    tables_->PileData()->Column(4)->SetReal(0, 0.001L); // L2^4
    tables_->TLoadtype()->Column(1)->NestedTable(0)->Column(0)->SetReal(0, 10.0L);  // F
    SetUnitSystem(*data, *tables_, 1);
    QVERIFY(Close(tables_->D1()->Column(0)->GetReal(0), 2.0L * kL, 1e-12L));
    QVERIFY(Close(tables_->D1()->Column(1)->GetReal(0), 150.0L * kL, 1e-12L));
    QCOMPARE(tables_->D1()->Column(3)->GetReal(0), 0.35L);
    QCOMPARE(tables_->Multisoil()->Column(2)->GetReal(0), 0.4L);
    QVERIFY(Close(tables_->MassCal()->Column(0)->GetReal(0), 40.0L * kM, 1e-12L));
    QVERIFY(Close(tables_->PileData()->Column(4)->GetReal(0), 0.001L * kL * kL * kL * kL, 1e-12L));
    QVERIFY(Close(tables_->TLoadtype()->Column(1)->NestedTable(0)->Column(0)->GetReal(0), 10.0L * kF, 1e-12L));
    for (TGridTable* table : tables_->AllWithNested()) QCOMPARE(table->Units(), 1);
  }

  void englishToSIAndBackRestoresTheValues() {
    auto data = NewProject(*tables_);
    SetUnitSystem(*data, *tables_, 1);
    data->MassConstants = {400, 15000, 20000, 30000, 1, 2, 3};
    data->PileModulus = 6.264e8L;
    data->BelowUnitWeight = 120.0L;
    data->HarmonicLoads = {1000, 0, 0, 0, 5000, 0};
    tables_->D1()->Column(1)->SetReal(0, 600.0L);
    const TProgramData start = *data;
    SetUnitSystem(*data, *tables_, 2);
    SetUnitSystem(*data, *tables_, 1);
    for (size_t i = 0; i < 7; ++i) QVERIFY(Close(data->MassConstants[i], start.MassConstants[i], 1e-15L));
    QVERIFY(Close(data->PileModulus, start.PileModulus, 1e-15L));
    QVERIFY(Close(data->BelowUnitWeight, start.BelowUnitWeight, 1e-15L));
    QVERIFY(Close(data->HarmonicLoads[4], start.HarmonicLoads[4], 1e-15L));
    QVERIFY(Close(tables_->D1()->Column(1)->GetReal(0), 600.0L, 1e-15L));
  }

  // A failed load puts the tables back: the snapshot restores rows, cells,
  // nested tables, units and the modified flag.
  void snapshotRestoresTheTables() {
    auto data = NewProject(*tables_);
    tables_->PileData()->SetRowCount(3);
    tables_->PileData()->Column(6)->SetReal(2, 0.25L);
    tables_->Trandom()->SetRowCount(2);
    tables_->Trandom()->Column(0)->SetInteger(1, 3);
    tables_->Trandom()->Column(1)->NestedTable(1)->SetRowCount(4);
    tables_->Trandom()->Column(1)->NestedTable(1)->Column(0)->SetReal(3, -1.5L);
    const auto snapshot = tables_->Snapshot();
    NewProject(*tables_);
    SetUnitSystem(*data, *tables_, 1);
    tables_->Restore(snapshot);
    QCOMPARE(tables_->PileData()->RowCount(), 3);
    QCOMPARE(tables_->PileData()->Column(6)->GetReal(2), 0.25L);
    QCOMPARE(tables_->PileData()->Units(), 2);
    QVERIFY(tables_->PileData()->Modified());
    QCOMPARE(tables_->Trandom()->Column(0)->GetInteger(1), 3);
    const TGridTable* nested = tables_->Trandom()->Column(1)->NestedTable(1);
    QCOMPARE(nested->RowCount(), 4);
    QCOMPARE(nested->Column(0)->GetReal(3), -1.5L);
    QCOMPARE(nested->Units(), 2);
  }
};

QTEST_MAIN(ModelProjectTest)
#include "model_project_test.moc"
