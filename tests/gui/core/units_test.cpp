// Unit templates: the three label variants and the conversion factors.
#include <QLocale>
#include <QtTest>

#include <cmath>

#include "gui/core/units.hpp"

using namespace terva::gui;

class UnitsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void labels_data() {
    QTest::addColumn<QString>("unitTemplate");
    QTest::addColumn<int>("system");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("axis");
    const struct { const char* t; int s; const char* table; const char* field; const char* axis; } rows[] = {
        {"L2/SEC", kEnglish, "ft/SEC", "ft/SEC", "ft/SEC"},
        {"L2/SEC", kSI, "m/SEC", "m/SEC", "m/SEC"},
        {"L2/SEC", kGeneric, "L/SEC", "L2/SEC", "L2/SEC"},
        {"F/L2^3", kEnglish, "lbs/ft^3", "lbs/ft^3", "lbs/ft^3"},
        {"F/L2^3", kSI, "kN/m^3", "kN/m^3", "kN/m^3"},
        {"F-L2/radian", kEnglish, "lbs-ft/radian", "lbs-ft/radian", "lbs-ft/radian"},
        {"F-L2/radian", kGeneric, "F-L/radian", "F-L2/radian", "F-L2/radian"},
        {"", kEnglish, "", "", ""},
        {"rad.", kSI, "rad.", "rad.", "rad."},
        {"F2", kEnglish, "tons", "tons", "tons"},
        {"F2", kSI, "kN", "kN", "kN"},
        {"L1", kSI, "mm", "mm", "mm"},
        // F4, F5, F6 and L3 are unknown on plot axes, where the plain F or L inside them is replaced
        {"F4", kEnglish, "lb-sec2/in", "lb-sec2/in", "lbs4"},
        {"F4", kGeneric, "M", "F4", "F4"},
        {"F6-L2^2", kSI, "Mg-m^2", "Mg-m^2", "kN6-m^2"},
        {"F5/L3", kEnglish, "sec/rad", "sec/rad", "lbs5/in3"},
        // a field replaces one force and one length class only
        {"F2/F", kEnglish, "tons/lbs", "tons/F", "tons/F"},
        {"L1/L2", kSI, "mm/m", "L1/m", "L1/m"},
    };
    for (const auto& r : rows) {
      QTest::addRow("%s in %d", r.t, r.s) << QString::fromLatin1(r.t) << r.s << QString::fromLatin1(r.table)
                                          << QString::fromLatin1(r.field) << QString::fromLatin1(r.axis);
    }
  }

  void labels() {
    QFETCH(QString, unitTemplate);
    QFETCH(int, system);
    QTEST(TableUnitLabel(unitTemplate, system), "table");
    QTEST(FieldUnitLabel(unitTemplate, system), "field");
    QTEST(AxisUnitLabel(unitTemplate, system), "axis");
  }

  void factors_data() {
    QTest::addColumn<QString>("unitTemplate");
    QTest::addColumn<double>("siToEnglish");  // from physical conversions, e.g. 1 kPa = 0.14504 psi
    const QPair<const char*, double> rows[] = {
        {"L2/SEC", 3.280839895},        {"F/L2^3", 6.365879805001924},  {"F-L2/radian", 737.562085626971},
        {"F/L^2", 0.1450377252154523},  {"F1-L2^2", 2.419823115564373}, {"F4/L1", 145.0377668205802},
        {"L2^3/F1", 157.0874774001012}, {"F6-L2^2", 735.8666519357503}, {"F5-L3", 1},
        {"", 1},                        {"rad.", 1},                    {"Hz", 1},
    };
    for (const auto& [t, f] : rows) QTest::newRow(t) << QString::fromLatin1(t) << f;
  }

  void factors() {
    QFETCH(QString, unitTemplate);
    QFETCH(double, siToEnglish);
    const long double forward = UnitFactor(unitTemplate, kSI, kEnglish);
    const long double backward = UnitFactor(unitTemplate, kEnglish, kSI);
    QVERIFY(std::fabs(static_cast<double>(forward) / siToEnglish - 1.0) < 1e-14);
    QVERIFY(std::fabs(static_cast<double>(backward) * siToEnglish - 1.0) < 1e-14);
    QCOMPARE(UnitFactor(unitTemplate, kEnglish, kEnglish), 1.0L);
    QCOMPARE(UnitFactor(unitTemplate, kSI, kSI), 1.0L);
    // English -> SI -> English returns the value within rounding
    const long double value = 12.345L;
    QVERIFY(std::fabs(static_cast<double>(value * backward * forward / value) - 1.0) < 1e-17);
  }
};

QTEST_MAIN(UnitsTest)
#include "units_test.moc"
