// The general number format: the forms it gives at the edges of plain
// notation, and that each reads back through the expression evaluator.
#include "gui/core/Expression.hpp"
#include "gui/core/NumberFormat.hpp"

#include <QLocale>
#include <QtTest>

#include <cmath>

using namespace terva::gui;

class NumberFormatTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::French)); }

  void forms_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("eight digits") << 2.0 / 3.0 << "0.66666667";
    QTest::newRow("trailing zeros") << 1.5 << "1.5";
    QTest::newRow("smallest plain") << 1e-5 << "0.00001";
    QTest::newRow("below plain") << 9.9999e-6 << "9.9999E-6";
    QTest::newRow("rounds up into plain") << 9.99999999e-6 << "0.00001";
    QTest::newRow("eight integer digits") << 99999999.4 << "99999999";
    QTest::newRow("rounds to nine digits") << 99999999.5 << "1E8";
    QTest::newRow("nine digits") << 123456789.0 << "1.2345679E8";
    QTest::newRow("large") << 1e20 << "1E20";
    QTest::newRow("small") << -1.5e-7 << "-1.5E-7";
    QTest::newRow("three-digit exponent") << 1e-300 << "1E-300";
  }

  void forms() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(FormatGeneral(value), text);
    const Evaluation back = EvaluateExpression(text);
    QVERIFY2(back.ok, qPrintable(back.message));
    QCOMPARE(FormatGeneral(back.value), text);
  }

  void notFinite() {
    QCOMPARE(FormatGeneral(std::numeric_limits<long double>::infinity()), QString("INF"));
    QCOMPARE(FormatGeneral(-std::numeric_limits<long double>::infinity()), QString("-INF"));
    QCOMPARE(FormatGeneral(std::numeric_limits<long double>::quiet_NaN()), QString("NAN"));
  }
};

QTEST_GUILESS_MAIN(NumberFormatTest)
#include "numberformat_test.moc"
