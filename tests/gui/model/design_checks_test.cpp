// The design checks on results made for them: a resonance at the operating
// speed fails the separation check with its margin, point amplitudes follow
// the rigid-body motion and the limits, and what no verdict shows is warned.
#include "gui/model/DesignChecks.hpp"
#include "support/TestFolder.hpp"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace terva::gui;

namespace {

// Ten frequencies 10 .. 100 rad/s; UOZ peaks at 50 rad/s, UOX at 80; the
// complex motions in phase, EPOX a tenth of UOZ.
TResultsData Results(bool phases = true) {
  TResultsData d;
  const double uz[] = {1, 2, 4, 8, 16, 8, 4, 2, 1, 0.5};
  const double ux[] = {1, 1, 1, 1, 1, 1, 2, 3, 2, 1};
  for (int i = 0; i < 10; ++i) {
    d.responseOmega.push_back(10.0f * (i + 1));
    d.omega.push_back(10.0f * (i + 1));
    for (int k = 0; k < TResultsData::kTerms; ++k) {
      d.stiffness[k].push_back(1e6f);
      d.damping[k].push_back(1e3f);
    }
    const float z = static_cast<float>(uz[i] * 1e-3), x = static_cast<float>(ux[i] * 1e-4);
    const float values[] = {x, 0.0f, z, z / 10, 0.0f, 0.0f};
    for (int k = 0; k < TResultsData::kAmplitudes; ++k) {
      d.amplitude[k].push_back(values[k]);
      if (phases) d.motion[k].push_back(std::complex<float>(values[k], 0.0f));
    }
  }
  return d;
}

// Within single precision's reach of each other.
bool Near(double a, double b) { return std::abs(a - b) <= 1e-6 * std::max(std::abs(a), std::abs(b)); }

}  // namespace

class DesignChecksTest : public QObject {
  Q_OBJECT

 private:
  test::TTestFolder folder_;

 private slots:
  void initTestCase() { QVERIFY(folder_.Isolate()); }

  // Kept per unit system, read back as stored; the defaults without settings.
  void criteriaKeptWithTheSettings() {
    const TStoredCriteria none = StoredDesignCriteria(2);
    QCOMPARE(none.criteria.separation, 0.20);
    QCOMPARE(none.criteria.amplitudeLimit, 0.0);
    QVERIFY(none.criteria.points.empty());
    TStoredCriteria english;
    english.criteria.amplitudeLimit = 0.5e-3;
    StoreDesignCriteria(1, english);
    TStoredCriteria si;
    si.operatingFrequency = QStringLiteral("1500 rpm");
    si.criteria.separation = 0.25;
    si.criteria.amplitudeLimit = 0.1e-3;
    si.criteria.velocityLimit = 5e-3;
    si.criteria.points = {{QStringLiteral("Bearing\tA"), 1.5, -0.1, 2.0 / 3.0}};
    StoreDesignCriteria(2, si);
    const TStoredCriteria back = StoredDesignCriteria(2);
    QCOMPARE(back.operatingFrequency, QStringLiteral("1500 rpm"));
    QCOMPARE(back.criteria.separation, 0.25);
    QCOMPARE(back.criteria.amplitudeLimit, 0.1e-3);
    QCOMPARE(back.criteria.velocityLimit, 5e-3);
    QCOMPARE(back.criteria.points.size(), size_t(1));
    QCOMPARE(back.criteria.points[0].name, QStringLiteral("Bearing A"));
    QCOMPARE(back.criteria.points[0].z, 2.0 / 3.0);
    // the frequency and the ratio hold for both systems, the limits and points for their own
    QCOMPARE(StoredDesignCriteria(1).criteria.separation, 0.25);
    QCOMPARE(StoredDesignCriteria(1).criteria.amplitudeLimit, 0.5e-3);
    QVERIFY(StoredDesignCriteria(1).criteria.points.empty());
  }

  void separationFromEveryPeak_data() {
    QTest::addColumn<double>("operating");
    QTest::addColumn<bool>("pass");
    QTest::addColumn<double>("worstMargin");
    QTest::newRow("at the resonance") << 50.0 << false << -0.2;
    QTest::newRow("near the lower peak") << 60.0 << false << std::abs(50.0 / 60.0 - 1) - 0.2;
    QTest::newRow("far below") << 30.0 << true << 0.0;  // 50 is 67 % above, 80 is 167 %
    QTest::newRow("at the criterion") << 100.0 << true << 0.0;  // 80 is 20 % below: enough
  }

  void separationFromEveryPeak() {
    QFETCH(double, operating);
    QFETCH(bool, pass);
    QFETCH(double, worstMargin);
    TDesignCriteria criteria;
    criteria.operatingOmega = operating;
    const TDesignChecks checks = CheckDesign(Results(), criteria);
    QVERIFY2(checks.ok, qPrintable(checks.error));
    // UOZ and EPOX peak at 50, UOX at 80
    QCOMPARE(checks.separation.peaks.size(), size_t(3));
    QCOMPARE(checks.separation.peaks[0].curve, 0);
    QCOMPARE(checks.separation.peaks[0].omega, 80.0);
    QCOMPARE(checks.separation.peaks[1].omega, 50.0);
    double worst = std::numeric_limits<double>::infinity();
    for (const TResponsePeak& peak : checks.separation.peaks) worst = std::min(worst, peak.margin);
    QCOMPARE(checks.separation.verdict, pass ? TVerdict::Pass : TVerdict::Fail);
    if (!pass) QVERIFY(Near(worst, worstMargin));
  }

  // An unloaded direction's numerical noise (UOY at 1e-12 of UOZ, with
  // peaks of its own) is no resonance; a small real peak still counts. A
  // frequency as the report prints it is the computed one.
  void noiseAndPrintedFrequencies() {
    TResultsData d = Results();
    const double noise[] = {1, 3, 1, 3, 1, 3, 1, 3, 1, 1};
    for (int i = 0; i < 10; ++i) {
      d.amplitude[1][size_t(i)] = static_cast<float>(noise[i] * 1e-15);
      d.motion[1][size_t(i)] = d.amplitude[1][size_t(i)];
    }
    TDesignCriteria criteria;
    criteria.operatingOmega = 40.0;  // the noise peaks at 40
    TDesignChecks checks = CheckDesign(d, criteria);
    QVERIFY(checks.ok);
    QCOMPARE(checks.separation.peaks.size(), size_t(3));
    QCOMPARE(checks.separation.negligible, 4);
    // a peak of 2 % of UOZ's largest still counts
    d.amplitude[1][3] = 16e-3f * 0.02f;
    checks = CheckDesign(d, criteria);
    QCOMPARE(checks.separation.peaks.size(), size_t(4));
    QCOMPARE(checks.separation.verdict, TVerdict::Fail);
    // 70.00003 rad/s is 70 as printed: no interpolation
    criteria.operatingOmega = 70.00003;
    checks = CheckDesign(Results(), criteria);
    QCOMPARE(checks.below, 70.0);
    QCOMPARE(checks.above, 70.0);
    // a peak at 12 Hz (75.36 rad/s in single precision) is 20 % above 10 Hz
    // (62.8 rad/s): at the criterion's distance, it passes
    TResultsData scaled = Results();
    for (size_t i = 0; i < scaled.responseOmega.size(); ++i)
      scaled.responseOmega[i] = static_cast<float>(10.0 * double(i + 1) * 1.5072);
    QCOMPARE(scaled.responseOmega[4], 75.36f);
    criteria.operatingOmega = 600.0 / 60.0 * 6.28;
    checks = CheckDesign(scaled, criteria);
    QCOMPARE(checks.separation.verdict, TVerdict::Pass);
    QCOMPARE(checks.separation.peaks[1].margin, 0.0);
  }

  // u = U + Θ × r at the operating frequency, interpolated between the rows
  // around it; velocity ω·u; each against the limits.
  void pointsAgainstTheLimits() {
    TDesignCriteria criteria;
    criteria.operatingOmega = 45.0;  // halfway between 40 and 50
    criteria.amplitudeLimit = 13e-3;
    criteria.velocityLimit = 0.5;
    criteria.points.push_back({QStringLiteral("Bearing"), 0.0, 2.0, 1.0});
    const TDesignChecks checks = CheckDesign(Results(), criteria);
    QVERIFY(checks.ok);
    QCOMPARE(checks.below, 40.0);
    QCOMPARE(checks.above, 50.0);
    QCOMPARE(checks.points.size(), size_t(2));
    const TPointCheck& centre = checks.points[0];
    QCOMPARE(centre.point.name, QStringLiteral("Centre of gravity"));
    QVERIFY(Near(centre.amplitude[2], 12e-3));
    QVERIFY(Near(centre.velocity[2], 45.0 * 12e-3));
    QCOMPARE(centre.amplitudeVerdict, TVerdict::Pass);
    QCOMPARE(centre.velocityVerdict, TVerdict::Fail);  // 0.54 > 0.5
    QVERIFY(Near(centre.velocityMargin, (0.5 - 0.54)));
    // the bearing 2 along y rises with the rotation about x: uz = Uz + θx·2, uy = −θx·1
    const TPointCheck& bearing = checks.points[1];
    QVERIFY(Near(bearing.amplitude[2], 12e-3 * 1.2));
    QVERIFY(Near(bearing.amplitude[1], 12e-4));
    QCOMPARE(bearing.amplitudeVerdict, TVerdict::Fail);  // 14.4e-3 > 13e-3
    QVERIFY(!bearing.upperBound);
    // no limits: no verdicts
    criteria.amplitudeLimit = criteria.velocityLimit = 0.0;
    QCOMPARE(CheckDesign(Results(), criteria).points[1].amplitudeVerdict, TVerdict::NotChecked);
  }

  // Without phases the amplitudes of U and Θ add up: a bound, said so.
  void withoutPhasesABound() {
    TDesignCriteria criteria;
    criteria.operatingOmega = 50.0;
    criteria.points.push_back({QStringLiteral("Edge"), 0.0, -2.0, 0.0});
    const TDesignChecks exact = CheckDesign(Results(true), criteria);
    const TDesignChecks bound = CheckDesign(Results(false), criteria);
    QVERIFY(Near(exact.points[1].amplitude[2], 16e-3 * 0.8));  // the rotation lowers this edge
    QVERIFY(Near(bound.points[1].amplitude[2], 16e-3 * 1.2));
    QVERIFY(bound.points[1].upperBound);
  }

  void warningsAndRefusals() {
    TResultsData data = Results();
    for (float& k : data.stiffness[0]) k = -1e5f;
    for (float& c : data.damping[2]) c = -1.0f;
    data.amplitude[1][3] = std::numeric_limits<float>::quiet_NaN();
    TDesignCriteria criteria;
    criteria.operatingOmega = 60.0;
    const TDesignChecks checks = CheckDesign(data, criteria);
    QVERIFY(checks.ok);
    QCOMPARE(checks.warnings.size(), 3);
    QVERIFY2(checks.warnings[0].startsWith(QStringLiteral("Kxx is not positive")), qPrintable(checks.warnings[0]));
    QVERIFY(checks.warnings[1].startsWith(QStringLiteral("Cww is negative")));
    QVERIFY2(checks.warnings[2].contains(QStringLiteral("1 frequency (40 rad/s)")), qPrintable(checks.warnings[2]));

    criteria.operatingOmega = 120.0;
    const TDesignChecks outside = CheckDesign(data, criteria);
    QVERIFY(!outside.ok);
    QVERIFY(outside.error.contains(QStringLiteral("outside the computed range, 10 to 100 rad/s")));
    QVERIFY(!CheckDesign(TResultsData{}, criteria).ok);
  }
};

QTEST_MAIN(DesignChecksTest)
#include "design_checks_test.moc"
