// The input helpers in the table windows: "Section..." in the pile data
// fills every row (or the current one) from a 0.6 m pile's diameter,
// "Generate Grid..." in the pile coordinates makes a 3 × 3 group, "Unit
// Weight..." in the soil tables fills a unit weight from a density; the
// dialogs refuse what cannot be and other tables have no helper.
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"
#include "gui/widgets/InputHelperDialogs.hpp"
#include "gui/widgets/TableForm.hpp"
#include "gui/widgets/TableModel.hpp"
#include "gui/widgets/TableWindows.hpp"
#include "support/TestFolder.hpp"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QtTest>

#include <cmath>
#include <numbers>

using namespace terva::gui;

namespace {

QPushButton* Button(TTableForm& form, const QString& text) {
  for (QPushButton* b : form.findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

TTableForm* Open(TGridTable& table) {
  InstallTableWindows();
  table.Show();
  return TTableForm::Of(table);
}

}  // namespace

class InputHelperDialogsTest : public QObject {
  Q_OBJECT

 private:
  test::TTestFolder folder_;

 private slots:
  void initTestCase() { QVERIFY(folder_.Isolate()); }
  void cleanup() { SetHelperDialogHook({}); }

  void sectionFillsThePileData() {
    TProjectTables tables;
    TGridTable& data = *tables.PileData();
    data.SetRowCount(2);
    TTableForm* form = Open(data);
    QVERIFY(form);
    QPushButton* section = Button(*form, QStringLiteral("&Section..."));
    QVERIFY(section);
    QString shown;
    SetHelperDialogHook([&shown](QDialog& d) {
      auto& dialog = static_cast<TDlgPileSection&>(d);
      dialog.Field(QStringLiteral("Diameter"))->setText(QStringLiteral("0,6"));  // a decimal comma reads too
      shown = dialog.ResultLabel()->text();
      return dialog.EveryRowButton()->isChecked();
    });
    section->click();
    QVERIFY2(shown.startsWith(QStringLiteral("Area 0.282743 ft²")), qPrintable(shown));  // a new table is in feet
    const double pi = std::numbers::pi;
    for (int row = 0; row < 2; ++row) {
      QCOMPARE(double(data.Column(1)->GetReal(row)), 0.3);
      QCOMPARE(double(data.Column(3)->GetReal(row)), pi * 0.09);
      QCOMPARE(double(data.Column(6)->GetReal(row)), pi * std::pow(0.3, 4) / 2);
    }
    QVERIFY(data.Modified());

    // a square into the current row alone
    form->Grid()->setCurrentIndex(form->Model()->index(1, 0));
    SetHelperDialogHook([](QDialog& d) {
      auto& dialog = static_cast<TDlgPileSection&>(d);
      dialog.ShapeBox()->setCurrentIndex(2);
      dialog.Field(QStringLiteral("Width"))->setText(QStringLiteral("0.4"));
      dialog.CurrentRowButton()->setChecked(true);
      return true;
    });
    section->click();
    QCOMPARE(double(data.Column(3)->GetReal(0)), pi * 0.09);
    QCOMPARE(double(data.Column(3)->GetReal(1)), 0.16);
    QCOMPARE(double(data.Column(1)->GetReal(1)), 0.3);  // the radius as it was
    form->CloseWindow();
  }

  void dialogsRefuseWhatCannotBe() {
    TDlgPileSection section(2, 3, -1);
    QVERIFY(!section.CurrentRowButton()->isEnabled());
    section.ShapeBox()->setCurrentIndex(3);
    for (const char* f : {"Depth", "FlangeWidth", "FlangeThickness", "WebThickness"})
      section.Field(QString::fromLatin1(f))->setText(QStringLiteral("0.2"));
    section.accept();
    QCOMPARE(section.result(), int(QDialog::Rejected));
    QCOMPARE(section.ErrorLabel()->text(), QStringLiteral("The two flanges must be thinner than the depth."));

    TDlgGenerateGrid grid(2, 200);
    grid.RowsBox()->setValue(2);
    grid.SpacingXField()->setText(QStringLiteral("1.8"));
    grid.accept();
    QCOMPARE(grid.ErrorLabel()->text(), QStringLiteral("The spacing must be greater than 0."));
    grid.SpacingYField()->setText(QStringLiteral("1.5"));
    QCOMPARE(grid.ResultLabel()->text(), QStringLiteral("6 piles, from (-1.8, -0.75) to (1.8, 0.75)"));
  }

  void gridFillsThePileCoordinates() {
    TProjectTables tables;
    TGridTable& coords = *tables.Pilecoord();
    coords.SetRowCount(1);
    TTableForm* form = Open(coords);
    QVERIFY(form);
    QPushButton* generate = Button(*form, QStringLiteral("&Generate Grid..."));
    QVERIFY(generate);
    SetHelperDialogHook([](QDialog& d) {
      auto& dialog = static_cast<TDlgGenerateGrid&>(d);
      dialog.SpacingXField()->setText(QStringLiteral("1.8"));
      dialog.SpacingYField()->setText(QStringLiteral("1.8"));
      return true;
    });
    generate->click();
    QCOMPARE(coords.RowCount(), 9);
    QCOMPARE(double(coords.Column(0)->GetReal(0)), -1.8);
    QCOMPARE(double(coords.Column(1)->GetReal(8)), 1.8);
    QCOMPARE(form->Model()->rowCount(), 9);
    form->CloseWindow();

    // other tables have no helper
    TTableForm* soil = Open(*tables.D());
    QVERIFY(soil);
    QVERIFY(!Button(*soil, QStringLiteral("&Section...")) && !Button(*soil, QStringLiteral("&Generate Grid...")));
    soil->CloseWindow();
  }

  // Every table with a unit weight column has the button, the others not;
  // the mnemonic is none of the table window's own.
  void unitWeightButtonOnTheSoilTables() {
    TProjectTables tables;
    for (TGridTable* table : tables.All()) {
      TTableForm* form = Open(*table);
      QVERIFY(form);
      const int id = table->Identifier();
      const bool soil = id == 1 || id == 4 || id == 5 || id == 11;
      QVERIFY2(bool(Button(*form, QStringLiteral("&Unit Weight..."))) == soil, qPrintable(table->Caption()));
      int underU = 0;
      for (QPushButton* b : form->findChildren<QPushButton*>())
        underU += b->text().contains(QStringLiteral("&U"), Qt::CaseInsensitive);
      QCOMPARE(underU, soil ? 1 : 0);
      form->CloseWindow();
    }
  }

  void unitWeightFillsTheSoilRows() {
    TProjectTables tables;
    tables.SetUnits(2);
    TGridTable& soil = *tables.D1();
    soil.SetRowCount(3);
    TTableForm* form = Open(soil);
    QVERIFY(form);
    QPushButton* button = Button(*form, QStringLiteral("&Unit Weight..."));
    QVERIFY(button);

    // the current row by default, the result shown as the density is typed
    form->Grid()->setCurrentIndex(form->Model()->index(1, 0));
    QString shown;
    SetHelperDialogHook([&shown](QDialog& d) {
      auto& dialog = static_cast<TDlgUnitWeight&>(d);
      if (!dialog.CurrentRowButton()->isChecked()) return false;
      dialog.DensityField()->setText(QStringLiteral("1,8"));  // a decimal comma reads too
      shown = dialog.ResultLabel()->text();
      return true;
    });
    button->click();
    QCOMPARE(shown, QStringLiteral("= 17.64 kN/m³"));
    QCOMPARE(double(soil.Column(2)->GetReal(1)), 17.64);
    QCOMPARE(double(soil.Column(2)->GetReal(0)), 0.0);
    QCOMPARE(double(soil.Column(2)->GetReal(2)), 0.0);
    QVERIFY(soil.Modified());

    // every row, from kilograms per cubic metre
    SetHelperDialogHook([](QDialog& d) {
      auto& dialog = static_cast<TDlgUnitWeight&>(d);
      dialog.UnitBox()->setCurrentIndex(int(TDensityUnit::KilogramPerCubicMetre));
      dialog.DensityField()->setText(QStringLiteral("2000"));
      dialog.EveryRowButton()->setChecked(true);
      return true;
    });
    button->click();
    for (int row = 0; row < 3; ++row) QVERIFY(std::abs(double(soil.Column(2)->GetReal(row)) - 19.6) < 1e-12);

    // cancelled: nothing changes
    SetHelperDialogHook([](QDialog& d) {
      auto& dialog = static_cast<TDlgUnitWeight&>(d);
      dialog.DensityField()->setText(QStringLiteral("1.5"));
      dialog.EveryRowButton()->setChecked(true);
      return false;
    });
    button->click();
    QVERIFY(std::abs(double(soil.Column(2)->GetReal(0)) - 19.6) < 1e-12);
    form->CloseWindow();
  }

  void unitWeightRefusesABadDensity() {
    TDlgUnitWeight dialog(1, 2, -1);
    QVERIFY(!dialog.CurrentRowButton()->isEnabled());
    QVERIFY(dialog.EveryRowButton()->isChecked());
    QCOMPARE(dialog.UnitBox()->currentIndex(), int(TDensityUnit::SlugPerCubicFoot));  // the table's system
    dialog.DensityField()->setText(QStringLiteral("1"));
    QVERIFY2(dialog.ResultLabel()->text().startsWith(QStringLiteral("= 32.2 ")), qPrintable(dialog.ResultLabel()->text()));
    for (const char* bad : {"0", "-1.8", "abc", ""}) {
      dialog.DensityField()->setText(QString::fromLatin1(bad));
      QVERIFY(dialog.ResultLabel()->text().isEmpty());
      dialog.accept();
      QCOMPARE(dialog.result(), int(QDialog::Rejected));
      QVERIFY2(!dialog.ErrorLabel()->text().isEmpty(), bad);
    }
    dialog.DensityField()->setText(QStringLiteral("-1"));
    dialog.accept();
    QCOMPARE(dialog.ErrorLabel()->text(), QStringLiteral("The density must be greater than 0."));
    dialog.DensityField()->setText(QStringLiteral("2"));
    QVERIFY(dialog.ErrorLabel()->text().isEmpty());
  }
};

QTEST_MAIN(InputHelperDialogsTest)
#include "input_helper_dialogs_test.moc"
