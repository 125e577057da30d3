// Vibration-limit lines: the amplitudes on the lines of constant peak
// velocity in both unit systems and for both frequency quantities, the part
// of a line inside a view, the limits' text and settings, and the overlay in
// the response plot window and the amplitude plot (off: the picture is the
// one without the overlay; on: grey dashes inside the plot).
#include "gui/model/PltData.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/plots/AmpPlot.hpp"
#include "gui/plots/PlotForm.hpp"
#include "gui/plots/VelocityLimits.hpp"
#include "gui/plots/VelocityLines.hpp"
#include "support/TestFolder.hpp"

#include <QAction>
#include <QChartView>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QtTest>

#include <cmath>
#include <numbers>

using namespace terva::gui;

namespace {

constexpr double kPi = std::numbers::pi;

// Grey dashes (the lines' colour) inside `area` of a picture.
int GreyPixels(const QImage& image, const QRect& area) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      count += c.red() == c.green() && c.green() == c.blue() && c.red() > 0x60 && c.red() < 0xA0;
    }
  return count;
}

// The displacement response of a footing: three curves over 5..50 Hz,
// amplitudes of a few hundredths of a millimetre.
void FillResponses(TResultPlots& plots, int units) {
  plots.pltDxyzR.Reset(3);
  plots.pltMxyzR.Reset(3);
  for (int i = 0; i <= 18; ++i) {
    const double f = 5 + 2.5 * i;
    for (int k = 0; k < 3; ++k) {
      plots.pltDxyzR.Line(k).Points.push_back({f, (k + 1) * 2.0e-5 * (1 + 0.5 * std::sin(f / 7))});
      plots.pltMxyzR.Line(k).Points.push_back({f, (k + 1) * 1.0e-6});
    }
  }
  plots.pltDxyzR.SetUnits(units);
  plots.pltMxyzR.SetUnits(units);
}

}  // namespace

class VelocityLinesTest : public QObject {
  Q_OBJECT

  terva::gui::test::TTestFolder folder_;

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Isolate());
    QLocale::setDefault(QLocale::c());
  }
  void init() { QSettings(QStringLiteral("Halvit"), QStringLiteral("TERVA")).clear(); }

  // A = v / (2πf): values worked out by hand.
  void amplitudes_data() {
    QTest::addColumn<int>("system");
    QTest::addColumn<bool>("hertz");
    QTest::addColumn<double>("limit");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("amplitude");
    // 5 mm/s at 10 Hz: 0.005 m/s / 62.83185 1/s = 7.957747e-5 m.
    QTest::newRow("SI 5 mm/s at 10 Hz") << 2 << true << 5.0 << 10.0 << 7.9577471545947668e-5;
    // 25 mm/s at 100 rad/s: 0.025 / 100 = 2.5e-4 m.
    QTest::newRow("SI 25 mm/s at 100 rad/s") << 2 << false << 25.0 << 100.0 << 2.5e-4;
    // 0.2 in/s at 10 Hz: (0.2/12) ft/s / 62.83185 = 2.6525824e-4 ft.
    QTest::newRow("English 0.2 in/s at 10 Hz") << 1 << true << 0.2 << 10.0 << 2.6525823848649223e-4;
    // 1 in/s at 60 rad/s: (1/12)/60 ft.
    QTest::newRow("English 1 in/s at 60 rad/s") << 1 << false << 1.0 << 60.0 << 1.0 / 720.0;
    // 2.5 mm/s at 1 Hz.
    QTest::newRow("SI 2.5 mm/s at 1 Hz") << 2 << true << 2.5 << 1.0 << 0.0025 / (2 * kPi);
  }
  void amplitudes() {
    QFETCH(int, system);
    QFETCH(bool, hertz);
    QFETCH(double, limit);
    QFETCH(double, x);
    QFETCH(double, amplitude);
    const TFrequencyAxis axis = hertz ? TFrequencyAxis::Hertz : TFrequencyAxis::RadiansPerSecond;
    const double got = VelocityLineAmplitude(limit, system, axis, x);
    QVERIFY2(std::abs(got - amplitude) <= 1e-12 * amplitude, qPrintable(QString::number(got, 'g', 17)));
    // Back to a velocity in the system's unit: ω·A, inches or millimetres.
    const double omega = hertz ? 2 * kPi * x : x;
    const double velocity = omega * got * (system == 1 ? 12.0 : 1000.0);
    QVERIFY(std::abs(velocity - limit) <= 1e-12 * limit);
  }

  void defaultsAndLabels() {
    QCOMPARE(DefaultVelocityLimits(2), (std::vector<double>{2.5, 5, 10, 25}));
    QCOMPARE(DefaultVelocityLimits(1), (std::vector<double>{0.1, 0.2, 0.4, 1.0}));
    QCOMPARE(VelocityLabel(2.5, 2), QStringLiteral("2.5 mm/s"));
    QCOMPARE(VelocityLabel(10, 2), QStringLiteral("10 mm/s"));
    QCOMPARE(VelocityLabel(0.1, 1), QStringLiteral("0.1 in/s"));
    // Only the translational amplitudes carry lines.
    TResultPlots plots;
    plots.pltDxyzR.SetUnits(2);
    QVERIFY(HasTranslationalAmplitudes(plots.pltDxyzR));
    QVERIFY(!HasTranslationalAmplitudes(plots.pltMxyzR));
    QVERIFY(!HasTranslationalAmplitudes(plots.pltRealKXX));
    plots.pltDxyzR.SetUnits(3);  // no unit substitution: no length to convert to
    QVERIFY(!HasTranslationalAmplitudes(plots.pltDxyzR));
  }

  // The part of a line inside a view: every point on the curve and inside,
  // the ends on the edges where the line enters and leaves.
  void pointsInsideTheView() {
    const double c = 0.005 / (2 * kPi);  // 5 mm/s in m·Hz
    // Enters through the top edge (x = c / 1e-4 = 7.96 Hz) and leaves through
    // the bottom one (x = c / 2e-5 = 39.8 Hz).
    TView view{{0, 50}, {2e-5, 1e-4}};
    std::vector<QPointF> points = VelocityLinePoints(5, 2, TFrequencyAxis::Hertz, view);
    QVERIFY(points.size() > 50);
    QCOMPARE(points.front().x(), c / 1e-4);
    QCOMPARE(points.front().y(), 1e-4);
    QCOMPARE(points.back().x(), c / 2e-5);
    QCOMPARE(points.back().y(), 2e-5);
    double lastX = 0;
    for (const QPointF& p : points) {
      QVERIFY(p.x() > lastX);
      lastX = p.x();
      QVERIFY(p.x() >= view.X.Min && p.x() <= view.X.Max && p.y() >= view.Y.Min && p.y() <= view.Y.Max);
      QVERIFY(std::abs(p.y() - c / p.x()) <= 1e-12 * p.y());
    }
    // No pair of neighbours more than a twentieth of the view apart in x or y:
    // dense enough in the steep part and in the flat one.
    for (size_t k = 1; k < points.size(); ++k) {
      QVERIFY(points[k].x() - points[k - 1].x() <= view.X.Length() / 20);
      QVERIFY(points[k - 1].y() - points[k].y() <= view.Y.Length() / 20);
    }

    // A view that starts at 20 Hz and reaches below zero: from the left edge
    // to the right one.
    view = {{20, 40}, {-1e-5, 1e-4}};
    points = VelocityLinePoints(5, 2, TFrequencyAxis::Hertz, view);
    QCOMPARE(points.front().x(), 20.0);
    QVERIFY(std::abs(points.front().y() - c / 20) <= 1e-15);
    QCOMPARE(points.back().x(), 40.0);

    // Lines that miss the view: entirely above it, entirely below it, or a
    // view of negative amplitudes or frequencies.
    QVERIFY(VelocityLinePoints(5, 2, TFrequencyAxis::Hertz, {{10, 50}, {1e-6, 2e-6}}).empty());
    QVERIFY(VelocityLinePoints(5, 2, TFrequencyAxis::Hertz, {{10, 50}, {1e-3, 2e-3}}).empty());
    // From x = 0 the line rises without bound: it crosses any view there.
    QVERIFY(!VelocityLinePoints(5, 2, TFrequencyAxis::Hertz, {{0, 50}, {1, 2}}).empty());
    QVERIFY(VelocityLinePoints(5, 2, TFrequencyAxis::Hertz, {{0, 50}, {-2e-5, -1e-5}}).empty());
    QVERIFY(VelocityLinePoints(5, 2, TFrequencyAxis::Hertz, {{-50, -1}, {0, 1e-4}}).empty());
    // The same line against rad/s lies at 2π times the frequency.
    points = VelocityLinePoints(5, 2, TFrequencyAxis::RadiansPerSecond, {{0, 2 * kPi * 50}, {2e-5, 1e-4}});
    QVERIFY(std::abs(points.front().x() - 2 * kPi * c / 1e-4) <= 1e-9);
  }

  void parsingTheLimits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("result");
    QTest::newRow("defaults") << "2.5, 5, 10, 25" << true << "2.5, 5, 10, 25";
    QTest::newRow("any separators, sorted, repeats dropped") << " 10;2.5  5,5 ,25 " << true << "2.5, 5, 10, 25";
    QTest::newRow("one") << "0.4" << true << "0.4";
    QTest::newRow("exponent") << "1e1" << true << "10";
    QTest::newRow("empty") << "" << false << "";
    QTest::newRow("blanks") << " , ; " << false << "";
    QTest::newRow("zero") << "0, 5" << false << "";
    QTest::newRow("negative") << "5, -2.5" << false << "";
    QTest::newRow("word") << "5, ten" << false << "";
    QTest::newRow("not finite") << "5, inf" << false << "";
    QTest::newRow("nine") << "1 2 3 4 5 6 7 8 9" << false << "";
    QTest::newRow("eight") << "1 2 3 4 5 6 7 8" << true << "1, 2, 3, 4, 5, 6, 7, 8";
  }
  void parsingTheLimits() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, result);
    std::vector<double> limits{42};
    QString error;
    QCOMPARE(ParseVelocityLimits(text, limits, &error), valid);
    if (valid) {
      QCOMPARE(FormatVelocityLimits(limits), result);
      QVERIFY(error.isEmpty());
    } else {
      QCOMPARE(limits, std::vector<double>{42});  // untouched
      QVERIFY(!error.isEmpty());
    }
  }

  void limitsAreRemembered() {
    QCOMPARE(StoredVelocityLimits(2), DefaultVelocityLimits(2));
    StoreVelocityLimits(2, {1, 3});
    QCOMPARE(StoredVelocityLimits(2), (std::vector<double>{1, 3}));
    QCOMPARE(StoredVelocityLimits(1), DefaultVelocityLimits(1));  // each system its own
    // A damaged setting gives the defaults back.
    QSettings(QStringLiteral("Halvit"), QStringLiteral("TERVA")).setValue("VelocityLimits/SI", "fast");
    QCOMPARE(StoredVelocityLimits(2), DefaultVelocityLimits(2));
  }

  void limitsDialog() {
    TDlgVelocityLimits dialog(1, {0.1, 0.5});
    QCOMPARE(dialog.Field()->text(), QStringLiteral("0.1, 0.5"));
    QPushButton* ok = dialog.Buttons()->button(QDialogButtonBox::Ok);
    QVERIFY(ok->isEnabled());
    dialog.Field()->clear();
    QTest::keyClicks(dialog.Field(), "0.3, x");
    QVERIFY(!ok->isEnabled());
    QVERIFY(dialog.ErrorLabel()->text().contains(QStringLiteral("\"x\"")));
    ok->click();  // grey: nothing happens
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    dialog.Buttons()->button(QDialogButtonBox::RestoreDefaults)->click();
    QCOMPARE(dialog.Field()->text(), QStringLiteral("0.1, 0.2, 0.4, 1"));
    QVERIFY(ok->isEnabled() && dialog.ErrorLabel()->text().isEmpty());
    QCOMPARE(dialog.Limits(), DefaultVelocityLimits(1));
  }

  // The response plot window: the lines only on the displacement plot, off
  // when it opens, the picture without them unchanged.
  void responsePlotWindow() {
    TResultPlots plots;
    FillResponses(plots, 2);
    TPlotForm form(plots.pltDxyzR);
    form.resize(720, 520);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(form.VelocityLinesAvailable());
    QAction* lines = form.Action(QStringLiteral("PlotVelocityLines"));
    QVERIFY(lines && lines->isCheckable() && !lines->isChecked());
    QVERIFY(form.Action(QStringLiteral("PlotVelocityLimits")));
    QVERIFY(!form.VelocityLinesShown());
    QVERIFY(form.VelocityLines().Limits.empty());

    const QRect inside = form.PlotRect().toAlignedRect().adjusted(3, 3, -3, -3);
    const QImage plain = form.Canvas()->grab().toImage();
    lines->trigger();
    QVERIFY(form.VelocityLinesShown());
    QCOMPARE(form.VelocityLines().Limits, DefaultVelocityLimits(2));
    QCOMPARE(form.VelocityLines().UnitSystem, 2);
    const QImage withLines = form.Canvas()->grab().toImage();
    QVERIFY(withLines != plain);
    QVERIFY(GreyPixels(withLines, inside) > GreyPixels(plain, inside) + 100);
    // Outside the plot rectangle nothing changed: clipped.
    const QRect frame = form.PlotRect().toAlignedRect().adjusted(-2, -2, 2, 2);
    QImage a = plain, b = withLines;
    for (QImage* image : {&a, &b})
      for (int y = frame.top(); y <= frame.bottom(); ++y)
        for (int x = frame.left(); x <= frame.right(); ++x) image->setPixel(x, y, 0);
    QVERIFY(a == b);
    lines->trigger();
    QCOMPARE(form.Canvas()->grab().toImage(), plain);

    // New limits: remembered for SI, shown at once.
    form.SetVelocityLimits({5, 10});
    QVERIFY(form.VelocityLinesShown() && lines->isChecked());
    QCOMPARE(StoredVelocityLimits(2), (std::vector<double>{5, 10}));
    // A bitmap of the window carries them too.
    const QString bitmap = folder_.Path(QStringLiteral("lines.png"));
    QVERIFY(form.SaveBitmap(bitmap, 6, 4, 72));
    QImage saved(bitmap);
    QVERIFY(GreyPixels(saved, saved.rect().adjusted(120, 40, -30, -50)) > 100);

    // English units: feet and in/s.
    plots.pltDxyzR.SetUnits(1);
    QCOMPARE(form.VelocityLines().UnitSystem, 1);
    QCOMPARE(form.VelocityLines().Limits, DefaultVelocityLimits(1));

    // Not on the rotation or stiffness plots.
    for (TGraphPlot* other : {&plots.pltMxyzR, &plots.pltRealKXX}) {
      TPlotForm window(*other);
      QVERIFY(!window.VelocityLinesAvailable());
      QVERIFY(!window.Action(QStringLiteral("PlotVelocityLines")));
      window.SetVelocityLinesShown(true);
      QVERIFY(!window.VelocityLinesShown());
    }
  }

  void amplitudePlot() {
    TResultPlots plots;
    FillResponses(plots, 2);
    TProgramData project;
    project.Units = 2;
    TDlgAmpPlot dialog(plots, project);
    dialog.resize(900, 640);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCheckBox* check = dialog.VelocityCheck();
    QVERIFY(!check->isChecked() && check->isEnabled());
    QVERIFY(dialog.VelocityLines().Limits.empty());
    QChartView* view = dialog.ChartView();
    const QRect area = view->mapFromScene(dialog.Chart()->mapRectToScene(dialog.Chart()->plotArea()))
                           .boundingRect()
                           .adjusted(3, 3, -3, -3);
    const QImage plain = view->grab().toImage();
    check->click();
    QCOMPARE(dialog.VelocityLines().Limits, DefaultVelocityLimits(2));
    const QImage withLines = view->grab().toImage();
    QVERIFY(GreyPixels(withLines, area) > GreyPixels(plain, area) + 100);
    // The printout renders the view the same way.
    QImage rendered(view->size(), QImage::Format_RGB32);
    rendered.fill(Qt::white);
    {
      QPainter painter(&rendered);
      view->render(&painter, QRectF(rendered.rect()), view->rect());
    }
    QVERIFY(GreyPixels(rendered, area) > GreyPixels(plain, area) + 100);
    check->click();
    QCOMPARE(view->grab().toImage(), plain);

    // English units in the dialog: the English limits.
    check->click();
    dialog.EnglishButton()->click();
    QCOMPARE(dialog.VelocityLines().UnitSystem, 1);
    QCOMPARE(dialog.VelocityLines().Limits, DefaultVelocityLimits(1));
    dialog.SetVelocityLimits({0.3});
    QCOMPARE(StoredVelocityLimits(1), std::vector<double>{0.3});
    QCOMPARE(StoredVelocityLimits(2), DefaultVelocityLimits(2));

    // Rotation: no lines, the check box grey.
    dialog.RotationButton()->click();
    QVERIFY(!check->isEnabled());
    QVERIFY(dialog.VelocityLines().Limits.empty());
    const QImage rotation = view->grab().toImage();
    check->click();  // grey: no effect
    QCOMPARE(view->grab().toImage(), rotation);
    dialog.DisplacementButton()->click();
    QVERIFY(check->isEnabled());
  }
};

QTEST_MAIN(VelocityLinesTest)
#include "velocity_lines_test.moc"
