// Every value a cell or a numeric field shows can be entered again: opening
// the editor on it, or leaving the field, without a change stores the value
// shown and raises no message.
#include "gui/core/NumberFormat.hpp"
#include "gui/model/ColumnTypes.hpp"
#include "gui/model/Table.hpp"
#include "gui/widgets/DataEdit.hpp"
#include "gui/widgets/TableForm.hpp"
#include "gui/widgets/TableModel.hpp"
#include "gui/widgets/TableWindows.hpp"
#include "support/MessageRecorder.hpp"

#include <QLineEdit>
#include <QLocale>
#include <QTableView>
#include <QtTest>

#include <cmath>

using namespace terva::gui;

namespace {

// Within the 8 significant digits that are shown.
bool SameToEightDigits(long double a, long double b) {
  return std::fabs(a - b) <= 5e-8L * std::fabs(b);
}

}  // namespace

class DisplayReentryTest : public QObject {
  Q_OBJECT

 private:
  test::TMessageRecorder recorder_;

 private slots:
  void initTestCase() {
    // A locale with a decimal comma: the displayed form does not follow it.
    QLocale::setDefault(QLocale(QLocale::German));
    InstallTableWindows();
  }
  void init() { recorder_.Clear(); }

  void unchangedValueIsStoredAgain_data() {
    QTest::addColumn<double>("value");
    const double magnitudes[] = {1e-30, 1.2345678912e-29, 1e-20, 9.87654321987e-15, 1e-10, 1e-6,
                                 1.23456789e-6, 1e-5, 0.1, 1, 123456789, 99999999.7, 1e20, 1.2345678912e20};
    for (double magnitude : magnitudes) {
      QTest::newRow(qPrintable(QString::number(magnitude, 'g', 12))) << magnitude;
      QTest::newRow(qPrintable(QString::number(-magnitude, 'g', 12))) << -magnitude;
    }
  }

  void unchangedValueIsStoredAgain() {
    QFETCH(double, value);
    const long double v = value;

    // A cell: open its editor, leave it unchanged, press Enter.
    TGridTable table;
    table.SetCaption("Values");
    table.AddColumn(std::make_unique<TFloatColumn>(QStringList{"Value"}));
    table.SetRowCount(2);
    table.Cell(0, 0).SetReal(v);
    table.Show();
    TTableForm* form = TTableForm::Of(table);
    QVERIFY(form != nullptr);
    QApplication::setActiveWindow(form);
    QVERIFY(QTest::qWaitForWindowExposed(form));
    const QString shown = form->Model()->data(form->Model()->index(0, 0), Qt::DisplayRole).toString();
    QCOMPARE(shown, FormatGeneral(v));
    form->Grid()->setCurrentIndex(form->Model()->index(0, 0));
    QTest::keyClick(form->Grid(), Qt::Key_F2);
    auto* editor = form->Grid()->findChild<QLineEdit*>();
    QVERIFY(editor != nullptr);
    QCOMPARE(editor->text(), shown);
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(recorder_.texts, QStringList());
    QVERIFY(!form->HasOpenEntry());
    const long double stored = table.Cell(0, 0).AsReal();
    QCOMPARE(FormatGeneral(stored), shown);
    QVERIFY(SameToEightDigits(stored, v));
    QVERIFY(form->close());

    // A numeric field: shown, then left unchanged.
    TDataEdit edit;
    edit.setNumber(v);
    QCOMPARE(edit.text(), shown);
    QVERIFY(edit.Validate());
    QCOMPARE(edit.text(), shown);
    QCOMPARE(recorder_.texts, QStringList());
    QCOMPARE(FormatGeneral(edit.number()), shown);
    QVERIFY(SameToEightDigits(edit.number(), v));
  }

  // A limit is shown rounded: the rounded text the check leaves in the field
  // passes the next check.
  void limitShownRoundedPasses() {
    TDataEdit edit;
    edit.setMaxVal(10.123456789L);
    edit.setText("11");
    QVERIFY(!edit.Validate());
    QCOMPARE(edit.text(), QString("10.123457"));
    recorder_.Clear();
    QVERIFY(edit.Validate());
    QCOMPARE(recorder_.texts, QStringList());
  }
};

QTEST_MAIN(DisplayReentryTest)
#include "display_reentry_test.moc"
