// The interactive amplitude plot: the amplitude of a point of the rigid
// footing from the centre of gravity's motions (exact with phases, an upper
// bound without), the axes of the reference point, Enter in a field, the unit
// switch, the view buttons, the point-click message and the exported file.
#include "gui/model/PltData.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/plots/AmpPlot.hpp"
#include "gui/widgets/DataEdit.hpp"
#include "gui/widgets/VectorExport.hpp"
#include "support/MessageRecorder.hpp"
#include "support/TestFolder.hpp"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QImage>
#include <QPainter>
#include <QLabel>
#include <QLineSeries>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <complex>

using namespace terva::gui;
using terva::gui::test::TMessageRecorder;

namespace {

using Complex = std::complex<double>;
using Vector = std::array<double, 3>;
using CVector = std::array<Complex, 3>;

// Three frequencies; translation amplitudes Ux = i/16, Uy = 2i/16, Uz = 3i/16
// and rotations Rx = i/256, Ry = 2i/256, Rz = 5i/256: binary fractions, so
// the expected values below are exact. No phases (a graphic data file alone).
void FillResponses(TResultPlots& plots) {
  plots.pltDxyzR.Reset(3);
  plots.pltMxyzR.Reset(3);
  for (auto& m : plots.motion) m.clear();
  const double u[3] = {0.0625, 0.125, 0.1875}, r[3] = {0.00390625, 0.0078125, 0.01953125};
  for (int i = 1; i <= 3; ++i)
    for (int k = 0; k < 3; ++k) {
      plots.pltDxyzR.Line(k).Points.push_back({2.5 * i, u[k] * i});
      plots.pltMxyzR.Line(k).Points.push_back({2.5 * i, r[k] * i});
    }
}

// Complex motions of the centre of gravity (UOX, UOY, UOZ, EPOX, EPOY, EPOZ)
// with phases of every kind at each frequency, and the curves holding their
// moduli as the results file gives them: translations of millimetres and
// rotations of 1e-4 rad, so that a lever arm of a few metres matters.
void FillMotions(TResultPlots& plots, int count = 6) {
  plots.pltDxyzR.Reset(3);
  plots.pltMxyzR.Reset(3);
  for (auto& m : plots.motion) m.clear();
  for (int i = 0; i < count; ++i)
    for (int k = 0; k < 6; ++k) {
      const double size = (k < 3 ? 1e-3 : 1e-4) * (1.0 + 0.37 * k + 0.21 * i);
      const double phase = 0.9 * k + 1.7 * i + 0.3 * k * i;  // radians
      const std::complex<float> m(static_cast<float>(size * std::cos(phase)),
                                  static_cast<float>(size * std::sin(phase)));
      plots.motion[static_cast<size_t>(k)].push_back(m);
      TGraphPlot& plot = k < 3 ? plots.pltDxyzR : plots.pltMxyzR;
      plot.Line(k % 3).Points.push_back({1.5 * (i + 1), std::abs(m)});
    }
}

CVector Motion(const TResultPlots& plots, size_t i, int first) {
  return {Complex(plots.motion[first][i]), Complex(plots.motion[first + 1][i]), Complex(plots.motion[first + 2][i])};
}

// u + θ × r for a complex θ and a real r, written as the cross product of the
// textbook, independently of the dialog's arithmetic.
CVector RigidBody(const CVector& u, const CVector& theta, const Vector& r) {
  const CVector cross{theta[1] * r[2] - theta[2] * r[1], theta[2] * r[0] - theta[0] * r[2],
                      theta[0] * r[1] - theta[1] * r[0]};
  return {u[0] + cross[0], u[1] + cross[1], u[2] + cross[2]};
}

double Norm(const CVector& v) { return std::sqrt(std::norm(v[0]) + std::norm(v[1]) + std::norm(v[2])); }
double Norm(const Vector& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

QList<double> Values(const QLineSeries* series) {
  QList<double> values;
  for (const QPointF& p : series->points()) values << p.y();
  return values;
}

bool Near(const QList<double>& got, const QList<double>& expected, double relative = 1e-12) {
  if (got.size() != expected.size()) return false;
  for (int i = 0; i < got.size(); ++i)
    if (std::abs(got[i] - expected[i]) > relative * std::max(1.0, std::abs(expected[i]))) return false;
  return true;
}

bool Relative(double got, double expected, double tolerance) {
  return std::abs(got - expected) <= tolerance * std::abs(expected) + 1e-300;
}

void SetPoint(TDlgAmpPlot& dialog, double x, double y, double z) {
  dialog.XEdit()->setNumber(x);
  dialog.YEdit()->setNumber(y);
  dialog.ZEdit()->setNumber(z);
  dialog.Draw();
}

// Amplitudes without phases at 2, 3, ..., 25 Hz, falling as 1/f from
// 0.0005 (translations) and 0.00005 (rotations).
void FillTwoToTwentyFive(TResultPlots& plots) {
  plots.pltDxyzR.Reset(3);
  plots.pltMxyzR.Reset(3);
  for (auto& m : plots.motion) m.clear();
  for (int f = 2; f <= 25; ++f)
    for (int k = 0; k < 3; ++k) {
      plots.pltDxyzR.Line(k).Points.push_back({float(f), float(1e-3 * (1 + 0.3 * k) / f)});
      plots.pltMxyzR.Line(k).Points.push_back({float(f), float(1e-4 * (1 + 0.3 * k) / f)});
    }
}

// The tick labels the chart shows on an axis, left to right or bottom to
// top: the scene's texts beside the plot area.
QStringList TickLabels(const TDlgAmpPlot& dialog, Qt::Orientation orientation) {
  const QRectF plot = dialog.Chart()->mapRectToScene(dialog.Chart()->plotArea());
  QList<QPair<double, QString>> found;
  for (QGraphicsItem* item : dialog.Chart()->scene()->items()) {
    auto* text = dynamic_cast<QGraphicsTextItem*>(item);
    if (!text || !text->isVisible()) continue;
    const QRectF box = text->sceneBoundingRect();
    const QString label = text->toPlainText();
    bool number = false;
    QString(label).remove(',').toDouble(&number);
    if (!number) continue;
    if (orientation == Qt::Horizontal && box.top() >= plot.bottom() - 1 && box.center().x() >= plot.left() - 20)
      found.append({box.center().x(), label});
    else if (orientation == Qt::Vertical && box.right() <= plot.left() + 1)
      found.append({-box.center().y(), label});
  }
  std::sort(found.begin(), found.end());
  QStringList labels;
  for (const auto& f : found) labels << f.second;
  return labels;
}

QString LeftAxisTitle(const TDlgAmpPlot& dialog) {
  const auto axes = dialog.Chart()->axes(Qt::Vertical);
  return axes.isEmpty() ? QString() : axes.first()->titleText();
}

}  // namespace

class AmpPlotTest : public QObject {
  Q_OBJECT

  TResultPlots plots;   // amplitudes only
  TResultPlots phased;  // with the complex motions
  TProgramData project;
  terva::gui::test::TTestFolder folder_;

  // Every displacement value of the dialog at its point r (dialog units)
  // from the centre of gravity is |c·U + Θ × r|, within its bounds.
  static void CheckExact(const TResultPlots& phased, TDlgAmpPlot& dialog, const Vector& r, double c) {
    const QList<double> got[3] = {Values(dialog.Series(0)), Values(dialog.Series(1)), Values(dialog.Series(2))};
    QCOMPARE(got[0].size(), int(phased.motion[0].size()));
    for (size_t i = 0; i < phased.motion[0].size(); ++i) {
      CVector u = Motion(phased, i, 0);
      for (Complex& v : u) v *= c;
      const CVector theta = Motion(phased, i, 3);
      const CVector expected = RigidBody(u, theta, r);
      for (int k = 0; k < 3; ++k) {
        const double value = got[k][int(i)];
        QVERIFY2(Relative(value, std::abs(expected[k]), 1e-5),
                 qPrintable(QStringLiteral("point %1, axis %2: %3, expected %4")
                                .arg(i)
                                .arg(k)
                                .arg(value)
                                .arg(std::abs(expected[k]))));
        QVERIFY(value >= 0);
        const double lever = Norm(theta) * Norm(r);
        QVERIFY(value >= std::abs(u[k]) - lever - 1e-12 && value <= std::abs(u[k]) + lever + 1e-12);
      }
    }
  }

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Isolate());
    QLocale::setDefault(QLocale::c());
    FillResponses(plots);
    FillMotions(phased);
    QVERIFY(!plots.HasPhases() && phased.HasPhases());
    project.Units = 1;
    project.Xc = 1;
    project.Yc = 2;
    project.Zc = 3;
  }

  // With phases every value is the modulus of the rigid-body motion at the
  // point: at the centre of gravity, a pile-group-like offset, 4 ft above,
  // the corners of the base and further out; in feet and in metres.
  void exactWithPhases() {
    TDlgAmpPlot dialog(phased, project);
    QCOMPARE(LeftAxisTitle(dialog), QStringLiteral("Translational Amplitude (ft)"));
    QVERIFY(dialog.NoteLabel()->isHidden());
    // At the centre of gravity: the translation amplitudes.
    for (int k = 0; k < 3; ++k) {
      const QList<double> got = Values(dialog.Series(k));
      QCOMPARE(got.size(), 6);
      for (int i = 0; i < 6; ++i) QVERIFY(Relative(got[i], double(phased.pltDxyzR.Line(k).Points[size_t(i)].Y), 1e-6));
    }
    const Vector offsets[] = {{0, 0, 0},  {1.5, -0.8, 0.3}, {0, 0, 4},   {2, 2, -3}, {-2, 2, -3},
                              {2, -2, -3}, {-2, -2, -3},    {-6, 9, 1.5}, {0.4, 0, -12}};
    for (const Vector& r : offsets) {
      SetPoint(dialog, 1 + r[0], 2 + r[1], 3 + r[2]);
      CheckExact(phased, dialog, r, 1.0);
    }
    // SI in an English project: the point in metres, the translations × 0.3048.
    dialog.SIButton()->setChecked(true);
    QCOMPARE(LeftAxisTitle(dialog), QStringLiteral("Translational Amplitude (m)"));
    const double c = 0.3048;
    for (const Vector& r : offsets) {
      SetPoint(dialog, c * 1 + r[0], c * 2 + r[1], c * 3 + r[2]);
      CheckExact(phased, dialog, r, c);
    }
  }

  // The axes are the engine's: its rigid-body transformation carries the
  // centre of gravity's motion q to a point at height z above the centre of
  // the base as T·q, T the identity with (1,5) = z − h, (2,4) = h − z,
  // (1,6) = Yc, (2,6) = −Xc, (3,4) = −Yc, (3,5) = Xc (h = Zc). The dialog at
  // (0, 0, z) gives the moduli of the first three rows.
  void axesOfTheEngine() {
    TDlgAmpPlot dialog(phased, project);
    const double xc = 1, yc = 2, h = 3;
    for (double z : {0.0, 1.0, 4.5, -2.0}) {
      SetPoint(dialog, 0, 0, z);
      const QList<double> got[3] = {Values(dialog.Series(0)), Values(dialog.Series(1)), Values(dialog.Series(2))};
      for (size_t i = 0; i < phased.motion[0].size(); ++i) {
        const CVector u = Motion(phased, i, 0), t = Motion(phased, i, 3);
        const Complex rows[3] = {u[0] + (z - h) * t[1] + yc * t[2], u[1] + (h - z) * t[0] - xc * t[2],
                                 u[2] - yc * t[0] + xc * t[1]};
        for (int k = 0; k < 3; ++k) QVERIFY(Relative(got[k][int(i)], std::abs(rows[k]), 1e-5));
      }
    }
    // In phase, a translation in X and a rotation about Y add above the
    // centre of gravity and cancel partly below it (Z upward, right-handed);
    // a translation in Y and a rotation about Z add at +X.
    TResultPlots simple;
    simple.pltDxyzR.Reset(3);
    simple.pltMxyzR.Reset(3);
    const float motion[6] = {0.01f, 0.01f, 0, 0, 0.001f, 0.001f};
    for (int k = 0; k < 6; ++k) {
      simple.motion[size_t(k)].push_back(motion[k]);
      (k < 3 ? simple.pltDxyzR : simple.pltMxyzR).Line(k % 3).Points.push_back({1, std::abs(motion[k])});
    }
    TDlgAmpPlot plain(simple, project);
    SetPoint(plain, 1, 2, 3 + 2);  // 2 ft above
    QVERIFY(std::abs(Values(plain.Series(0)).at(0) - 0.012) < 1e-8);
    SetPoint(plain, 1, 2, 3 - 2);  // 2 ft below
    QVERIFY(std::abs(Values(plain.Series(0)).at(0) - 0.008) < 1e-8);
    SetPoint(plain, 1 + 2, 2, 3);  // 2 ft towards +X
    QVERIFY(std::abs(Values(plain.Series(1)).at(0) - 0.012) < 1e-8);
    QVERIFY(std::abs(Values(plain.Series(0)).at(0) - 0.01) < 1e-8);
    // The label says so.
    QVERIFY(plain.AxesLabel()->text().contains(QStringLiteral("Z upward")));
    QVERIFY(plain.AxesLabel()->text().contains(QStringLiteral("(Xc, Yc, Zc)")));
  }

  // Without phases: the bound |c·u| + lever-arm terms, labelled; it is
  // never below the exact amplitude of the same motions.
  void upperBoundWithoutPhases() {
    TDlgAmpPlot dialog(plots, project);
    QCOMPARE(double(dialog.ZEdit()->evaluate().value), 3.0);
    QCOMPARE(dialog.XEdit()->editLabel()->text(), QStringLiteral("X (ft)"));
    QCOMPARE(LeftAxisTitle(dialog), QStringLiteral("Translational Amplitude, upper bound (ft)"));
    QVERIFY(!dialog.NoteLabel()->isHidden());
    QVERIFY(dialog.NoteLabel()->text().contains(QStringLiteral("upper bound")));
    // At the centre of gravity: the translation amplitudes.
    QVERIFY(Near(Values(dialog.Series(0)), {0.0625, 0.125, 0.1875}));
    QVERIFY(Near(Values(dialog.Series(2)), {0.1875, 0.375, 0.5625}));
    QCOMPARE(dialog.Series(1)->points().at(2).x(), 7.5);
    QCOMPARE(dialog.Series(2)->name(), QStringLiteral("Z-dir"));
    QCOMPARE(dialog.Series(2)->color(), QColor(0x00, 0x80, 0xC0));
    // One foot above: x gains |Ry|, y gains |Rx|, z is unchanged.
    SetPoint(dialog, 1, 2, 4);
    QVERIFY(Near(Values(dialog.Series(0)), {0.0703125, 0.140625, 0.2109375}));
    QVERIFY(Near(Values(dialog.Series(1)), {0.12890625, 0.2578125, 0.38671875}));
    QVERIFY(Near(Values(dialog.Series(2)), {0.1875, 0.375, 0.5625}));
    // (2, -1, 1) from the centre: every lever arm counts with its size.
    SetPoint(dialog, 3, 1, 4);
    QVERIFY(Near(Values(dialog.Series(0)), {0.0625 + 0.0078125 + 0.01953125, 0.125 + 0.015625 + 0.0390625,
                                            0.1875 + 0.0234375 + 0.05859375}));
    QVERIFY(Near(Values(dialog.Series(2)), {0.1875 + 0.00390625 + 0.015625, 0.375 + 0.0078125 + 0.03125,
                                            0.5625 + 0.01171875 + 0.046875}));
    // Rotation mode shows the rotations whatever the point, without the note.
    dialog.RotationButton()->setChecked(true);
    QVERIFY(Near(Values(dialog.Series(2)), {0.01953125, 0.0390625, 0.05859375}));
    QCOMPARE(LeftAxisTitle(dialog), QStringLiteral("Rotational Amplitude (rad)"));
    QVERIFY(dialog.NoteLabel()->isHidden());
    // "Default (C.G.)" brings the centre back.
    dialog.DisplacementButton()->setChecked(true);
    dialog.Button("Default")->click();
    QCOMPARE(double(dialog.ZEdit()->evaluate().value), 3.0);
    QVERIFY(Near(Values(dialog.Series(0)), {0.0625, 0.125, 0.1875}));

    // The same motions with and without their phases.
    TResultPlots moduli;
    FillMotions(moduli);
    for (auto& m : moduli.motion) m.clear();
    TDlgAmpPlot exact(phased, project), bound(moduli, project);
    for (const Vector& r : {Vector{1.5, -0.8, 0.3}, Vector{0, 0, 4}, Vector{-2, 2, -3}}) {
      SetPoint(exact, 1 + r[0], 2 + r[1], 3 + r[2]);
      SetPoint(bound, 1 + r[0], 2 + r[1], 3 + r[2]);
      for (int k = 0; k < 3; ++k) {
        const QList<double> e = Values(exact.Series(k)), b = Values(bound.Series(k));
        QCOMPARE(e.size(), b.size());
        for (int i = 0; i < e.size(); ++i) QVERIFY(b[i] >= e[i] * (1 - 1e-6));
      }
    }
  }

  void siInAnEnglishProject() {
    TDlgAmpPlot dialog(plots, project);
    SetPoint(dialog, 1, 2, 4);
    dialog.SIButton()->setChecked(true);
    QCOMPARE(dialog.UnitFactor(), 0.3048);
    QCOMPARE(dialog.XEdit()->editLabel()->text(), QStringLiteral("X (m)"));
    QCOMPARE(LeftAxisTitle(dialog), QStringLiteral("Translational Amplitude, upper bound (m)"));
    QVERIFY(std::abs(double(dialog.ZEdit()->evaluate().value) - 4 * 0.3048) < 1e-12);
    // Still one foot above the centre: every value times 0.3048, the
    // rotations' lever arms included.
    QVERIFY(Near(Values(dialog.Series(0)), {0.3048 * 0.0703125, 0.3048 * 0.140625, 0.3048 * 0.2109375}));
    // And back: the fields return to feet.
    dialog.EnglishButton()->setChecked(true);
    QVERIFY(std::abs(double(dialog.ZEdit()->evaluate().value) - 4) < 1e-9);
  }

  // Enter in a field applies the point at once and closes nothing; an entry
  // that is no number is refused by the field and leaves the curves.
  void enterAppliesThePoint() {
    TDlgAmpPlot dialog(phased, project);
    // Even with a default button the key stays with the field.
    dialog.Button("Close")->setDefault(true);
    dialog.resize(900, 640);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QList<double> atCentre = Values(dialog.Series(0));
    dialog.ZEdit()->setFocus();
    dialog.ZEdit()->selectAll();
    QTest::keyClicks(dialog.ZEdit(), QStringLiteral("3+4"));
    QCOMPARE(Values(dialog.Series(0)), atCentre);  // typing alone changes nothing
    QTest::keyClick(dialog.ZEdit(), Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(dialog.ZEdit()->text(), QStringLiteral("7"));
    CheckExact(phased, dialog, {0, 0, 4}, 1.0);
    // The keypad's Enter in X.
    dialog.XEdit()->setFocus();
    dialog.XEdit()->selectAll();
    QTest::keyClicks(dialog.XEdit(), QStringLiteral("2.5"));
    QTest::keyClick(dialog.XEdit(), Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(dialog.isVisible());
    CheckExact(phased, dialog, {1.5, 0, 4}, 1.0);
    // No number: the field says so, the curves stay.
    const QList<double> before = Values(dialog.Series(2));
    {
      TMessageRecorder messages;
      dialog.YEdit()->setFocus();
      dialog.YEdit()->selectAll();
      QTest::keyClicks(dialog.YEdit(), QStringLiteral("1/0"));
      QTest::keyClick(dialog.YEdit(), Qt::Key_Return);
      QCOMPARE(messages.texts.size(), 1);
    }
    QVERIFY(dialog.isVisible());
    QCOMPARE(Values(dialog.Series(2)), before);
  }

  void viewButtons() {
    TDlgAmpPlot dialog(plots, project);
    dialog.Button("OnlyY")->click();
    QVERIFY(!dialog.Check(0)->isChecked() && dialog.Check(1)->isChecked() && !dialog.Check(2)->isChecked());
    QVERIFY(!dialog.Series(0)->isVisible() && dialog.Series(1)->isVisible());
    dialog.Button("UnselectAll")->click();
    QVERIFY(!dialog.Series(1)->isVisible());
    dialog.Button("All")->click();
    QVERIFY(dialog.Series(0)->isVisible() && dialog.Series(2)->isVisible());
  }

  void pointClickMessage() {
    TMessageRecorder messages;
    TDlgAmpPlot dialog(plots, project);
    SetPoint(dialog, 1, 2, 4);
    dialog.PointClicked(1, 1);
    QCOMPARE(messages.texts.size(), 1);
    QCOMPARE(messages.texts[0].split('\n'),
             (QStringList{"Y-Dir", "Point: 1", "Freq: 5", "X: 0.140625", "Y: 0.257813", "Z: 0.375", "Xo: 0.125",
                          "Yo: 0.25", "Zo: 0.375", "Rx: 0.0078125", "Ry: 0.015625", "Rz: 0.0390625",
                          "X, Y, Z: upper bounds (no phases in these results)"}));
    // With phases the values are exact and need no remark.
    messages.Clear();
    TDlgAmpPlot exact(phased, project);
    exact.PointClicked(0, 2);
    const QStringList lines = messages.texts.value(0).split('\n');
    QCOMPARE(lines.size(), 12);
    QCOMPARE(lines[3], QStringLiteral("X: ") + QString::number(Values(exact.Series(0)).at(2), 'g', 6));
    QCOMPARE(lines[3].mid(3), lines[6].mid(4));  // at the centre of gravity X equals Xo
  }

  void hoverStatus() {
    TDlgAmpPlot dialog(plots, project);
    dialog.resize(900, 600);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QPointF inside = dialog.ChartView()->mapFromScene(dialog.Chart()->mapToPosition(QPointF(5, 0.25)));
    dialog.ShowPosition(inside);
    const QString text = dialog.StatusLabel()->text();
    QVERIFY2(text.startsWith('(') && text.endsWith(')') && text.contains(','), qPrintable(text));
    const QStringList values = text.mid(1, text.size() - 2).split(',');
    QVERIFY(std::abs(values[0].toDouble() - 5) < 0.1);
    QVERIFY(std::abs(values[1].toDouble() - 0.25) < 0.01);
    dialog.ShowPosition(QPointF(1, 1));  // the chart's margin, outside the axes
    QCOMPARE(dialog.StatusLabel()->text(), QString());
  }

  void noHarmonicResults() {
    TResultPlots empty;
    TDlgAmpPlot dialog(empty, project);
    for (int k = 0; k < 3; ++k) QCOMPARE(dialog.Series(k)->count(), 0);
    QVERIFY(dialog.NoteLabel()->isHidden());
    QCOMPARE(LeftAxisTitle(dialog), QStringLiteral("Translational Amplitude (ft)"));
  }

  void exportFile() {
    QTemporaryDir dir;
    TDlgAmpPlot dialog(plots, project);
    SetPoint(dialog, 1, 2, 4);
    const QString path = dir.filePath("amp.txt");
    QVERIFY(dialog.ExportTo(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray expected =
        "Reference Point\n"
        "X= 1 ft, Y= 2 ft, Z= 4 ft\n"
        "n,Frequency,Disp_x,Disp_y,Disp_z\n"
        ",Hz,ft,ft,ft\n"
        "1,2.5,0.0703125,0.12890625,0.1875\n"
        "2,5,0.140625,0.2578125,0.375\n"
        "3,7.5,0.2109375,0.38671875,0.5625\n";
    const QByteArray got = file.readAll();
    QCOMPARE(got, expected);
    file.close();
    // The same bytes with a comma as the decimal point; the point line names
    // the point drawn, not a field still being edited.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    dialog.ZEdit()->setText(QStringLiteral("9"));
    QVERIFY(dialog.ExportTo(path));
    QLocale::setDefault(QLocale::c());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), expected);
    file.close();
    // In metres: 4 ft is 1.2192 m, without the noise of 4 × 0.3048.
    dialog.ZEdit()->setNumber(4);
    dialog.SIButton()->setChecked(true);
    QVERIFY(dialog.ExportTo(path));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().split('\n').value(1), QByteArray("X= 0.3048 m, Y= 0.6096 m, Z= 1.2192 m"));
    file.close();
    // With phases: the values drawn, at the engine's single precision: the
    // shortest text that reads back to the same single-precision value, no
    // noise of the double arithmetic (0.0010083569999999999).
    TDlgAmpPlot exact(phased, project);
    SetPoint(exact, 2.5, 1.2, 3.3);
    QVERIFY(exact.ExportTo(path));
    QFile again(path);
    QVERIFY(again.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = again.readAll().split('\n');
    QCOMPARE(rows.size(), 4 + 6 + 1);
    for (int i = 0; i < 6; ++i)
      for (int k = 0; k < 3; ++k) {
        const QByteArray text = rows.at(4 + i).split(',').at(2 + k);
        QCOMPARE(text.toFloat(), static_cast<float>(exact.Series(k)->points().at(i).y()));
        QCOMPARE(QString::fromLatin1(text), ShortestFloat(exact.Series(k)->points().at(i).y()));
        QVERIFY2(text.size() <= 14, text.constData());
      }
  }

  void exportAsksBeforeOverwriting() {
    QTemporaryDir dir;
    const QString path = dir.filePath("old.txt");
    {
      QFile old(path);
      QVERIFY(old.open(QIODevice::WriteOnly));
      old.write("keep");
    }
    TDlgAmpPlot::SetSaveDialogHook([path] { return path; });
    TDlgAmpPlot dialog(plots, project);
    {
      TMessageRecorder no(MbNo);
      dialog.Button("Export")->click();
      QCOMPARE(no.texts, QStringList{"File already exists, do you want to overwrite it?"});
    }
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep"));
    kept.close();
    {
      TMessageRecorder yes(MbYes);
      dialog.Button("Export")->click();
    }
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QVERIFY(kept.readAll().startsWith("Reference Point\n"));
    TDlgAmpPlot::SetSaveDialogHook({});
  }

  void printsLandscape() {
    QTemporaryDir dir;
    TDlgAmpPlot dialog(plots, project);
    dialog.resize(900, 600);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("amp.pdf"));
    dialog.PrintTo(printer, true);
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
    QVERIFY(QFileInfo(dir.filePath("amp.pdf")).size() > 1000);
  }

  // The four-pile example through the engine: the results file gives the
  // phases; at the centre of gravity the curves are the response table's
  // amplitudes, and around the cap every value is exact, never negative.
  void pileGroupThroughTheEngine() {
    const QString batch = QCoreApplication::applicationDirPath() + QStringLiteral("/terva-batch");
    if (!QFile::exists(batch)) QSKIP("terva-batch is not built beside the tests");
    const QString tvd = folder_.Example(QStringLiteral("pile-group-4.tvd"));
    QVERIFY(!tvd.isEmpty());
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(batch, {tvd});
    QVERIFY(process.waitForFinished(120000));
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, process.readAll().constData());
    TResultPlots results;
    QVERIFY(results.ReadResultCurves(QString(tvd).replace(".tvd", ".tvp"), false, true, 1, 2));
    QVERIFY(results.HasPhases());
    QVERIFY(!results.motion[0].empty());
    TProgramData pile;  // SI, the centre of gravity 0.8 m above the cap's base
    pile.Units = 2;
    pile.Xc = 0;
    pile.Yc = 0;
    pile.Zc = 0.8L;
    TDlgAmpPlot dialog(results, pile);
    QCOMPARE(LeftAxisTitle(dialog), QStringLiteral("Translational Amplitude (m)"));
    for (int k = 0; k < 3; ++k) {
      const QList<double> got = Values(dialog.Series(k));
      QCOMPARE(got.size(), results.pltDxyzR.Line(k).PointCount());
      for (int i = 0; i < got.size(); ++i)
        QVERIFY(Relative(got[i], double(results.pltDxyzR.Line(k).Points[size_t(i)].Y), 1e-5));
    }
    for (const Vector& r : {Vector{1.5, -0.8, 0.3}, Vector{0, 0, 4}, Vector{1, 1, -0.8}, Vector{-1, 1, -0.8}}) {
      SetPoint(dialog, r[0], r[1], 0.8 + r[2]);
      CheckExact(results, dialog, r, 1.0);
    }
  }
  // Nice axes: steps of 1, 2, 2.5 or 5 times a power of ten, the range
  // rounded outward to the step, labels without noise.
  void niceAxis_data() {
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("decimals");
    QTest::newRow("0..0.005") << 0.0 << 0.005 << 0.0 << 0.005 << 0.001 << 3;
    QTest::newRow("2..25 Hz") << 2.0 << 25.0 << 0.0 << 25.0 << 5.0 << 0;
    QTest::newRow("1e-9..4e-4") << 1e-9 << 3.7e-4 << 0.0 << 4e-4 << 1e-4 << 4;
    QTest::newRow("negative") << -0.013 << -0.002 << -0.015 << 0.0 << 0.0025 << 4;
    QTest::newRow("2.5 steps") << 0.0 << 11.0 << 0.0 << 12.5 << 2.5 << 1;
    QTest::newRow("equal") << 0.3 << 0.3 << 0.1 << 0.5 << 0.1 << 1;
    QTest::newRow("zero") << 0.0 << 0.0 << 0.0 << 1.0 << 0.2 << 1;
  }
  void niceAxis() {
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(double, step);
    QFETCH(int, decimals);
    const TNiceAxis axis = NiceAxis(min, max, 5);
    QVERIFY2(std::abs(axis.Step - step) <= 1e-12 * step, qPrintable(QString::number(axis.Step, 'g', 17)));
    QVERIFY2(std::abs(axis.Min - low) <= 1e-9 * step, qPrintable(QString::number(axis.Min, 'g', 17)));
    QVERIFY2(std::abs(axis.Max - high) <= 1e-9 * step, qPrintable(QString::number(axis.Max, 'g', 17)));
    QCOMPARE(axis.Decimals, decimals);
    QVERIFY(axis.Min <= std::min(min, max) && axis.Max >= std::max(min, max));
  }

  // A 2..25 Hz run: the frequency axis ends at 25, not 40, and the labels
  // read as their ticks, with no digits of float noise.
  void axesOfATwoToTwentyFiveRun() {
    TResultPlots run;
    FillTwoToTwentyFive(run);
    TDlgAmpPlot dialog(run, project);
    dialog.resize(900, 640);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCoreApplication::processEvents();
    auto* x = qobject_cast<QValueAxis*>(dialog.Chart()->axes(Qt::Horizontal).first());
    QCOMPARE(x->min(), 0.0);
    QCOMPARE(x->max(), 25.0);
    QCOMPARE(TickLabels(dialog, Qt::Horizontal), (QStringList{"0", "5", "10", "15", "20", "25"}));
    // Up to 0.0008 by 0.0002 (not thirds of a range: 0.0016666667).
    QCOMPARE(TickLabels(dialog, Qt::Vertical), (QStringList{"0.0000", "0.0002", "0.0004", "0.0006", "0.0008"}));

    // Frequencies of 0.1 to 0.6 Hz in single precision (0.6f is
    // 0.60000002): the axis ends at 0.6, not at the step above.
    TResultPlots tenths;
    tenths.pltDxyzR.Reset(3);
    tenths.pltMxyzR.Reset(3);
    for (int i = 1; i <= 6; ++i)
      for (int k = 0; k < 3; ++k) {
        tenths.pltDxyzR.Line(k).Points.push_back({float(i / 10.0), 0.001f});
        tenths.pltMxyzR.Line(k).Points.push_back({float(i / 10.0), 0.0001f});
      }
    TDlgAmpPlot small(tenths, project);
    auto* f = qobject_cast<QValueAxis*>(small.Chart()->axes(Qt::Horizontal).first());
    QVERIFY2(std::abs(f->max() - 0.6) < 1e-12 && std::abs(f->min() - 0.1) < 1e-12,
             qPrintable(QStringLiteral("%1..%2").arg(f->min()).arg(f->max())));
  }

  // Whatever the ends, a finite axis with a positive step that holds them
  // (or 0 to 1 where nothing can hold them).
  void niceAxisOfAnyEnds() {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    const std::pair<double, double> ends[] = {{25, 2},        {-1e308, 1e308}, {-1e300, 1e300}, {0, 1e-320},
                                              {nan, 1},       {0, inf},        {-inf, inf},     {3.4e38, 3.4e38},
                                              {-7.5, -7.5},   {1e-30, 2e-30},  {5, 5.0000001},  {5, 5.00000010375}};
    for (const auto& [a, b] : ends) {
      const TNiceAxis axis = NiceAxis(a, b, 5);
      const QString what = QStringLiteral("%1..%2: %3..%4 by %5").arg(a).arg(b).arg(axis.Min).arg(axis.Max).arg(axis.Step);
      QVERIFY2(std::isfinite(axis.Min) && std::isfinite(axis.Max) && axis.Step > 0 && axis.Min < axis.Max,
               qPrintable(what));
      if (std::isfinite(a) && std::isfinite(b) && std::isfinite(b - a))
        QVERIFY2(axis.Min <= std::min(a, b) && axis.Max >= std::max(a, b), qPrintable(what));
      QVERIFY2((axis.Max - axis.Min) / axis.Step < 8, qPrintable(what));
    }
  }

  // Exported text: the shortest that reads back to the same float, read as
  // a float or as a double rounded to a float (one of them twice rounded).
  void shortestFloatReadsBack() {
    auto check = [](float value) {
      const QByteArray text = ShortestFloat(value).toLatin1();
      float single = 0;
      double wide = 0;
      std::from_chars(text.constData(), text.constData() + text.size(), single);
      std::from_chars(text.constData(), text.constData() + text.size(), wide);
      return single == value && static_cast<float>(wide) == value;
    };
    QVERIFY(check(std::bit_cast<float>(0x15ae43fdu)));  // 7.03853069e-26
    QVERIFY(check(-std::bit_cast<float>(0x15ae43fdu)));
    for (std::uint32_t bits = 1; bits < 0x7f800000u; bits += 40009u)
      QVERIFY2(check(std::bit_cast<float>(bits)), qPrintable(ShortestFloat(std::bit_cast<float>(bits))));
  }

  // The chart's axes after drawing: the frequency axis of a 1.5..9 Hz run
  // ends at 10, not beyond; both axes tick on nice steps.
  void axesAfterDrawing() {
    TDlgAmpPlot dialog(phased, project);
    auto* x = qobject_cast<QValueAxis*>(dialog.Chart()->axes(Qt::Horizontal).first());
    auto* y = qobject_cast<QValueAxis*>(dialog.Chart()->axes(Qt::Vertical).first());
    QVERIFY(x && y);
    QCOMPARE(x->tickType(), QValueAxis::TicksDynamic);
    QCOMPARE(x->min(), 0.0);
    QCOMPARE(x->max(), 10.0);
    QCOMPARE(x->tickInterval(), 2.0);
    const double step = y->tickInterval();
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
    QVERIFY2(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 || std::abs(mantissa - 2.5) < 1e-9 ||
                 std::abs(mantissa - 5) < 1e-9,
             qPrintable(QString::number(step, 'g', 17)));
    for (int k = 0; k < 3; ++k)
      for (const QPointF& p : dialog.Series(k)->points()) QVERIFY(p.y() >= y->min() && p.y() <= y->max());
    QCOMPARE(ShortestFloat(0.001008357f), QStringLiteral("0.001008357"));
    QCOMPARE(ShortestFloat(2.5), QStringLiteral("2.5"));
  }

  // The page: a header with the project, the point and the units; text at
  // its on-screen size whatever the resolution; PDF and SVG without a
  // printer.
  void pageAndExports() {
    QTemporaryDir dir;
    project.Title = QStringLiteral("Compressor block, design B");
    TDlgAmpPlot dialog(phased, project);
    dialog.resize(900, 640);
    SetPoint(dialog, 2.5, 1.25, 0);
    const QStringList header = dialog.PageHeader();
    QCOMPARE(header.value(0), QStringLiteral("Compressor block, design B"));
    QCOMPARE(header.value(1), QStringLiteral("Reference point: X = 2.5 ft, Y = 1.25 ft, Z = 0 ft"));
    QVERIFY(header.value(2).contains(QStringLiteral("(ft), English units")));
    dialog.RotationButton()->setChecked(true);
    QCOMPARE(dialog.PageHeader().value(1), QStringLiteral("Rotation amplitudes of the footing (rad)"));
    dialog.DisplacementButton()->setChecked(true);
    // The header's first line is as tall in inches at 96 and at 384 ppi.
    auto inkHeight = [&](double ppi) {
      QImage image(int(8.5 * ppi), int(6 * ppi), QImage::Format_RGB32);
      image.fill(Qt::white);
      {
        QPainter painter(&image);
        dialog.PaintPage(painter, QRectF(image.rect()), ppi);
      }
      int top = -1, bottom = -1;
      for (int row = 0; row < int(0.5 * ppi); ++row)
        for (int col = 0; col < int(3 * ppi); ++col)
          if (qGray(image.pixel(col, row)) < 128) {
            if (top < 0) top = row;
            bottom = row;
            break;
          }
      return (bottom - top + 1) / ppi;
    };
    const double screen = inkHeight(96), paper = inkHeight(384);
    QVERIFY2(screen > 0.05 && std::abs(paper / screen - 1) < 0.2,
             qPrintable(QStringLiteral("%1 in / %2 in").arg(screen).arg(paper)));
    // Exports work although no printer is installed.
    QVERIFY(dialog.Button(QStringLiteral("ExportPdf"))->isEnabled());
    QString error;
    QVERIFY2(dialog.ExportPdf(dir.filePath(QStringLiteral("amp.pdf")), &error), qPrintable(error));
    QFile pdf(dir.filePath(QStringLiteral("amp.pdf")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QCOMPARE(pdf.read(5), QByteArray("%PDF-"));
    QVERIFY2(dialog.ExportSvg(dir.filePath(QStringLiteral("amp.svg")), &error), qPrintable(error));
    QFile svg(dir.filePath(QStringLiteral("amp.svg")));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    const QByteArray text = svg.readAll();
    QVERIFY(text.contains("<svg"));
    QVERIFY(text.contains("Compressor block, design B"));
    // The chart is back at its size on the screen.
    const QSizeF before = dialog.Chart()->size();
    QVERIFY(dialog.ExportSvg(dir.filePath(QStringLiteral("again.svg")), &error));
    QCOMPARE(dialog.Chart()->size(), before);
    project.Title.clear();
  }

  // Compared projects: three dashed curves each, for the same point from
  // their own centre of gravity, named with the project.
  void comparedProjects() {
    TResultPlots other;
    FillMotions(other);
    TDlgAmpPlot dialog(phased, project);
    SetPoint(dialog, 2, 2, 0);
    // The same results from a project whose centre of gravity lies 1 ft
    // higher: its curves are those of the point 1 ft lower in this one.
    dialog.SetComparisons({{QStringLiteral("b.tvd"), &other, {1, 2, 4}}});
    QCOMPARE(dialog.ComparedSeries(0, 0)->name(), QStringLiteral("X-Dir (b.tvd)"));
    QCOMPARE(dialog.ComparedSeries(0, 2)->name(), QStringLiteral("Z-dir (b.tvd)"));
    QVERIFY(!dialog.ComparedSeries(1, 0));
    QList<double> theirs[3];
    for (int k = 0; k < 3; ++k) theirs[k] = Values(dialog.ComparedSeries(0, k));
    SetPoint(dialog, 2, 2, -1);
    for (int k = 0; k < 3; ++k) QVERIFY(Near(theirs[k], Values(dialog.Series(k))));
    QVERIFY(dialog.PageHeader().last().contains(QStringLiteral("b.tvd")));
    // Unchecked directions hide the compared curves too.
    dialog.Check(1)->setChecked(false);
    QVERIFY(!dialog.ComparedSeries(0, 1)->isVisible());
    dialog.SetComparisons({});
    QVERIFY(!dialog.ComparedSeries(0, 0));
  }
};

QTEST_MAIN(AmpPlotTest)
#include "amp_plot_test.moc"
