// The arithmetic of the result plots: axis limits, ticks, the plot
// rectangle, markers, the line limit, zooming and the marker shapes.
#include "gui/model/PltData.hpp"
#include "gui/plots/PlotScale.hpp"

#include <QtTest>

#include <cmath>
#include <numbers>

using namespace terva::gui;

namespace {

void AddCurve(TGraphPlot& plot, std::initializer_list<std::pair<double, double>> points) {
  TLine& line = plot.AddLine();
  for (const auto& [x, y] : points) line.Points.push_back({x, y});
}

}  // namespace

class PlotScaleTest : public QObject {
  Q_OBJECT

 private slots:
  void axisLimits_data() {
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    // The range is rounded outward: a positive minimum goes down, so that
    // no point of the data falls off the plot.
    QTest::newRow("0.00002 to 50 Hz") << 0.00002 << 50.0 << 10.0 << 0.0 << 50.0;
    QTest::newRow("2 to 50 Hz") << 2.0 << 50.0 << 10.0 << 0.0 << 50.0;
    // Amplitudes from 7e-9 m to 4e-4 m: the axis starts at 0, not at 1e-4.
    QTest::newRow("7e-9 to 3.7e-4") << 7e-9 << 3.7e-4 << 1e-4 << 0.0 << 4e-4;
    // Equal values are moved 0.01 apart; 4.99/0.001 must not round to 4.991.
    QTest::newRow("all equal 5") << 5.0 << 5.0 << 0.001 << 4.99 << 5.01;
    QTest::newRow("all zero") << 0.0 << 0.0 << 0.001 << -0.01 << 0.01;
    // Leading digits below 3: a tenth of the power of ten.
    QTest::newRow("range 10.9") << -3.2 << 7.7 << 1.0 << -4.0 << 8.0;
    QTest::newRow("range 2.5e6") << 1.0e5 << 2.6e6 << 1.0e5 << 1.0e5 << 2.6e6;
    QTest::newRow("negative only") << -47.0 << -12.0 << 10.0 << -50.0 << -10.0;
    QTest::newRow("across zero") << -0.013 << 0.0271 << 0.01 << -0.02 << 0.03;
  }
  void axisLimits() {
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, step);
    QFETCH(double, low);
    QFETCH(double, high);
    double got = 0;
    const TRange range = RoundAxis(min, max, &got);
    QVERIFY2(std::abs(got - step) <= 1e-12 * step, qPrintable(QString::number(got)));
    QVERIFY2(std::abs(range.Min - low) <= 1e-9 * std::max(1.0, std::abs(low)), qPrintable(QString::number(range.Min, 'g', 17)));
    QVERIFY2(std::abs(range.Max - high) <= 1e-9 * std::max(1.0, std::abs(high)), qPrintable(QString::number(range.Max, 'g', 17)));
  }

  void limitsCoverEveryLine() {
    TGraphPlot plot;
    AddCurve(plot, {{0.00002, 5}, {20, 5}});
    AddCurve(plot, {{3, 5}, {50, 5}});
    const TAxisLimits limits = AxisLimits(plot);
    QVERIFY(limits.Valid);
    QCOMPARE(limits.X.Min, 0.0);
    QCOMPARE(limits.X.Max, 50.0);
    QVERIFY(std::abs(limits.Y.Min - 4.99) < 1e-12 && std::abs(limits.Y.Max - 5.01) < 1e-12);
    // An empty plot still gets a scale (axes only).
    TGraphPlot empty;
    QVERIFY(AxisLimits(empty).Valid);
  }

  void tickStep_data() {
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("pixels");
    QTest::addColumn<double>("step");
    // 4 inches at 96 ppi: 5 divisions.
    QTest::newRow("50 over 5") << 50.0 << 384.0 << 10.0;
    QTest::newRow("7 over 5: 1.4 -> 1") << 7.0 << 384.0 << 1.0;
    QTest::newRow("13 over 5: 2.6 -> 2") << 13.0 << 384.0 << 2.0;
    QTest::newRow("0.045 over 5: 0.009") << 0.045 << 384.0 << 0.009;
    QTest::newRow("shorter than 3/4 inch") << 10.0 << 70.0 << 0.0;
  }
  void tickStep() {
    QFETCH(double, length);
    QFETCH(double, pixels);
    QFETCH(double, step);
    QVERIFY(std::abs(TickStep({0, length}, pixels, 96) - step) < 1e-12);
  }

  void ticks() {
    const auto ticks = Ticks({-1, 10}, 2);
    // Minor ticks every 0.4 from -0.8 to 10; majors at 0, 2, ..., 10.
    QCOMPARE(ticks.size(), size_t(28));
    QList<double> majors;
    for (const TTick& t : ticks)
      if (t.Major) majors << t.Value;
    QCOMPARE(majors, (QList<double>{0, 2, 4, 6, 8, 10}));
    QVERIFY(Ticks({0, 1}, 0).empty());
  }

  void plotRectangle() {
    const QRectF client(0, 0, 960, 720);
    QCOMPARE(PlotRectangle(client, 96, 96, false, false, true), QRectF(QPointF(48, 24), QPointF(936, 672)));
    QCOMPARE(PlotRectangle(client, 96, 96, true, false, true), QRectF(QPointF(48, 48), QPointF(936, 696)));
    // A title takes a further quarter inch on its side.
    QCOMPARE(PlotRectangle(client, 96, 96, false, true, true).top(), 48.0);
    QCOMPARE(PlotRectangle(client, 96, 96, false, true, false).bottom(), 648.0);
    // The bitmap's margins.
    QCOMPARE(PlotRectangle(QRectF(0, 0, 432, 288), 72, 72, false, false, true, {1.5, 0.25, 0.5}).left(), 108.0);
    QVERIFY(PlotRectangle(QRectF(0, 0, 95, 500), 96, 96, false, false, true).isEmpty());
  }

  void markers() {
    QCOMPARE(MarkerIndices(10, 3), (std::vector<int>{0, 3, 6, 9}));
    QCOMPARE(MarkerIndices(10, 10), (std::vector<int>{0}));
    QCOMPARE(MarkerIndices(3, 1), (std::vector<int>{0, 1, 2}));
    QVERIFY(MarkerIndices(10, 0).empty());
  }

  void twentyLinesListed() {
    TGraphPlot plot;
    for (int i = 0; i < 25; ++i) AddCurve(plot, {{0, double(i)}, {1, double(i)}});
    LimitIncludedLines(plot);
    int included = 0;
    for (int i = 0; i < plot.LineCount(); ++i) included += plot.Line(i).Included;
    QCOMPARE(included, 20);
    QVERIFY(plot.Line(19).Included && !plot.Line(20).Included);
    // Twenty or fewer keep the user's choice.
    TGraphPlot few;
    AddCurve(few, {{0, 0}});
    few.Line(0).Included = false;
    LimitIncludedLines(few);
    QVERIFY(!few.Line(0).Included);
  }

  void zoomIn() {
    const TView full{{0, 100}, {0, 1000}};
    // Wide enough: taken as it is.
    QCOMPARE(ZoomIn(full, full, QRectF(QPointF(20, 100), QPointF(60, 700))), (TView{{20, 60}, {100, 700}}));
    // Narrower than 1/20 of the full range: widened around its centre.
    const TView narrow = ZoomIn(full, full, QRectF(QPointF(10, 400), QPointF(12, 402)));
    QCOMPARE(narrow.X, (TRange{8.5, 13.5}));
    QCOMPARE(narrow.Y, (TRange{376, 426}));
    // ... and moved back inside the full range.
    QCOMPARE(ZoomIn(full, full, QRectF(QPointF(0, 999), QPointF(1, 1000))), (TView{{0, 5}, {950, 1000}}));
    // No width or no height: nothing happens.
    const TView current{{10, 50}, {0, 500}};
    QCOMPARE(ZoomIn(current, full, QRectF(QPointF(20, 10), QPointF(20, 300))), current);
    QCOMPARE(ZoomIn(current, full, QRectF(QPointF(20, 10), QPointF(30, 10))), current);
  }

  void zoomOut() {
    const TView full{{0, 100}, {-50, 50}};
    QCOMPARE(ZoomOut({{40, 60}, {-5, 5}}, full, QPointF(50, 0)), (TView{{30, 70}, {-10, 10}}));
    // The centre is clamped so the view stays inside the full range.
    QCOMPARE(ZoomOut({{40, 60}, {-5, 5}}, full, QPointF(5, 48)), (TView{{0, 40}, {30, 50}}));
    // Never more than the full range.
    QCOMPARE(ZoomOut({{0, 80}, {-40, 40}}, full, QPointF(70, 0)), full);
  }

  void paletteAndShapes() {
    QCOMPARE(CurveColour(0), QColor(Qt::black));
    QCOMPARE(CurveColour(2), QColor(0xFF, 0, 0));
    QCOMPARE(CurveColour(17), CurveColour(0));
    QCOMPARE(CurveColour(16), QColor(0, 0xFF, 0xFF));
    const auto triangle = MarkerShape(0, 3);
    QCOMPARE(triangle.size(), size_t(3));
    QVERIFY(std::abs(triangle[0].x() + 3) < 1e-12 && std::abs(triangle[0].y()) < 1e-12);  // at angle pi
    const auto square = MarkerShape(1, 2);
    QCOMPARE(square.size(), size_t(4));
    QVERIFY(std::abs(square[0].x() - std::sqrt(2.0)) < 1e-12);  // at angle pi/4
    QCOMPARE(MarkerShape(4, 1).size(), size_t(5));
    QCOMPARE(MarkerShape(4, 1)[0], QPointF(1, 0));
  }

  void labels() {
    QCOMPARE(FormatDigits(12345.678, 4), QStringLiteral("1.235e+04"));
    QCOMPARE(FormatDigits(0.5, 4), QStringLiteral("0.5"));
    QCOMPARE(FormatDigits(1234.5678, 5), QStringLiteral("1234.6"));
  }
};

QTEST_GUILESS_MAIN(PlotScaleTest)
#include "plot_scale_test.moc"
