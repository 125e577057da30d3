#include "gui/plots/AmpPlot.hpp"

#include "gui/core/Messages.hpp"
#include "gui/core/NumberFormat.hpp"
#include "gui/model/PltData.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/plots/PlotPainter.hpp"
#include "gui/plots/PlotScale.hpp"
#include "gui/plots/VelocityLimits.hpp"
#include "gui/widgets/DataEdit.hpp"
#include "gui/widgets/VectorExport.hpp"

#include <QApplication>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLegend>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTextStream>
#include <QValueAxis>
#include <QVBoxLayout>

#include <charconv>
#include <cmath>
#include <complex>
#include <limits>

namespace terva::gui {

namespace {

TDlgAmpPlot::SaveDialogHook saveHook;

constexpr double kFeetToMetres = 0.3048;
constexpr double kMetresToFeet = 3.2808398950131233596;

// The marker pictures of the series: a filled square, triangle or star of
// five pixels.
QImage Marker(int shape, const QColor& colour) {
  const int size = 7;
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(colour, 1));
  p.setBrush(colour);
  const double c = size / 2.0, r = 2.5;
  if (shape == 0) {
    p.drawRect(QRectF(c - r, c - r, 2 * r, 2 * r));
  } else if (shape == 1) {
    p.drawPolygon(QPolygonF({QPointF(c, c - r), QPointF(c + r, c + r), QPointF(c - r, c + r)}));
  } else {
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(c - r, c), QPointF(c + r, c));
    p.drawLine(QPointF(c, c - r), QPointF(c, c + r));
    p.drawLine(QPointF(c - r * 0.7, c - r * 0.7), QPointF(c + r * 0.7, c + r * 0.7));
    p.drawLine(QPointF(c - r * 0.7, c + r * 0.7), QPointF(c + r * 0.7, c - r * 0.7));
  }
  return image;
}

// The chart view that reports the mouse position to the dialog and lets it
// draw over the chart.
class TAmpChartView : public QChartView {
 public:
  TAmpChartView(QChart* chart, std::function<void(const QPointF&)> moved,
                std::function<void(QPainter&)> foreground, QWidget* parent)
      : QChartView(chart, parent), moved_(std::move(moved)), foreground_(std::move(foreground)) {
    setMouseTracking(true);
  }

 protected:
  void mouseMoveEvent(QMouseEvent* event) override {
    moved_(event->position());
    QChartView::mouseMoveEvent(event);
  }
  void drawForeground(QPainter* painter, const QRectF& rect) override {
    QChartView::drawForeground(painter, rect);
    foreground_(*painter);
  }

 private:
  std::function<void(const QPointF&)> moved_;
  std::function<void(QPainter&)> foreground_;
};

// A field of the reference point: Enter checks the entry as in every
// TDataEdit and then applies the point. TDataEdit accepts the key, so it
// never reaches the dialog (no default button is pressed, nothing closes).
class TPointEdit : public TDataEdit {
 public:
  TPointEdit(std::function<void()> entered, QWidget* parent) : TDataEdit(parent), entered_(std::move(entered)) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    TDataEdit::keyPressEvent(event);
    if (enter) entered_();
  }

 private:
  std::function<void()> entered_;
};

QString Number(double value) { return ShortestFloat(value); }

// While it lives, the chart's fonts are given in pixels of a 96-ppi screen
// instead of points: a page's painter is scaled by ppi / 96, and a point
// size would be scaled a second time by the page's resolution.
class TPixelFonts {
 public:
  explicit TPixelFonts(QChart* chart) : chart_(chart) {
    for (QAbstractAxis* axis : chart->axes()) {
      axes_.push_back({axis, axis->labelsFont(), axis->titleFont()});
      axis->setLabelsFont(InPixels(axis->labelsFont()));
      axis->setTitleFont(InPixels(axis->titleFont()));
    }
    legend_ = chart->legend()->font();
    chart->legend()->setFont(InPixels(legend_));
  }
  ~TPixelFonts() {
    for (const Saved& s : axes_) {
      s.axis->setLabelsFont(s.labels);
      s.axis->setTitleFont(s.title);
    }
    chart_->legend()->setFont(legend_);
  }
  TPixelFonts(const TPixelFonts&) = delete;
  TPixelFonts& operator=(const TPixelFonts&) = delete;

  static QFont InPixels(QFont font) {
    if (font.pixelSize() <= 0) font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0))));
    return font;
  }

 private:
  struct Saved {
    QAbstractAxis* axis;
    QFont labels, title;
  };
  QChart* chart_;
  std::vector<Saved> axes_;
  QFont legend_;
};
QString Six(double value) { return QString::number(value, 'g', 6); }

// The page header's font, in pixels of a 96-ppi screen, and the height of
// a header of `lines` lines with the gap under it.
QFont HeaderFont() { return TPixelFonts::InPixels(QApplication::font()); }
double HeaderHeight(qsizetype lines) {
  const QFontMetricsF metrics(HeaderFont());
  return static_cast<double>(lines) * metrics.height() * 1.2 + metrics.height() / 2;
}

// A value as the single-precision value reads: 0.6f (0.60000002) as 0.6,
// so that an axis ends at the step the value names.
double AsRead(double value) {
  const QByteArray text = ShortestFloat(value).toLatin1();
  double read = value;
  std::from_chars(text.constData(), text.constData() + text.size(), read);
  return read;
}

}  // namespace

void TDlgAmpPlot::SetSaveDialogHook(SaveDialogHook hook) { saveHook = std::move(hook); }

TNiceAxis NiceAxis(double min, double max, int intervals) {
  TNiceAxis axis;
  if (!std::isfinite(min) || !std::isfinite(max)) return axis;
  if (min > max) std::swap(min, max);
  if (max == min) {
    // No range to divide: one around the value (from 0 for a value of 0).
    const double half = min == 0.0 ? 0.5 : std::abs(min) / 2;
    min == 0.0 ? (max = 1.0) : (min -= half, max += half);
  }
  const double raw = (max - min) / std::max(1, intervals);
  if (!std::isfinite(raw) || raw <= 0) return TNiceAxis();
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double factor = 10.0;
  for (double nice : {1.0, 2.0, 2.5, 5.0})
    if (raw / power <= nice * (1 + 1e-9)) {
      factor = nice;
      break;
    }
  axis.Step = factor * power;
  // A quotient that misses a whole step by its rounding error counts as that
  // step; one that misses it by more (a range narrow beside its values,
  // where that error is a visible part of a step) takes the next step out,
  // so that no value falls off the axis.
  const double slack = 8 * std::numeric_limits<double>::epsilon() * std::max(std::abs(min), std::abs(max));
  double low = Snap(min / axis.Step, false), high = Snap(max / axis.Step, true);
  if (axis.Step * low > min + slack) low -= 1;
  if (axis.Step * high < max - slack) high += 1;
  axis.Min = std::min(axis.Step * low, min);  // the last ulp too
  axis.Max = std::max(axis.Step * high, max);
  if (!std::isfinite(axis.Min) || !std::isfinite(axis.Max) || !(axis.Step > 0)) return TNiceAxis();
  if (axis.Min == 0.0) axis.Min = 0.0;  // no "-0"
  axis.Decimals = 0;
  for (double scaled = axis.Step; axis.Decimals < 15; scaled *= 10, ++axis.Decimals)
    if (std::abs(scaled - std::round(scaled)) <= 1e-6 * scaled) break;
  return axis;
}

QString ShortestFloat(double value) {
  const float single = static_cast<float>(value);
  char text[40];
  auto result = std::to_chars(text, text + sizeof text, single);
  // A reader that takes the text as a double and rounds that to a float
  // rounds twice; for a few floats the shortest text then lands on the
  // neighbour. The double's shortest text reads back right either way.
  double read = 0;
  if (std::isfinite(single) && (std::from_chars(text, result.ptr, read).ec != std::errc() ||
                                static_cast<float>(read) != single))
    result = std::to_chars(text, text + sizeof text, static_cast<double>(single));
  return QString::fromLatin1(text, static_cast<qsizetype>(result.ptr - text));
}

TAmplitudeSeries AmplitudeSeries(const TResultPlots& plots, bool rotationMode, double c, double rx, double ry,
                                 double rz) {
  TAmplitudeSeries s;
  const TGraphPlot& translation = plots.pltDxyzR;
  const TGraphPlot& rotation = plots.pltMxyzR;
  if (translation.LineCount() < 3 || rotation.LineCount() < 3) return s;
  size_t n = std::min({translation.Line(0).Points.size(), translation.Line(1).Points.size(),
                       translation.Line(2).Points.size(), rotation.Line(0).Points.size(),
                       rotation.Line(1).Points.size(), rotation.Line(2).Points.size()});
  const bool phases = plots.HasPhases();
  if (phases)
    for (const auto& m : plots.motion) n = std::min(n, m.size());
  s.UpperBound = !rotationMode && !phases;
  using Complex = std::complex<double>;
  for (size_t i = 0; i < n; ++i) {
    auto at = [i](const TGraphPlot& p, int line) { return static_cast<double>(p.Line(line).Points[i].Y); };
    s.Frequency.push_back(static_cast<double>(translation.Line(0).Points[i].X));
    if (rotationMode) {
      s.X.push_back(at(rotation, 0));
      s.Y.push_back(at(rotation, 1));
      s.Z.push_back(at(rotation, 2));
    } else if (phases) {
      // u = U + Θ × r with the complex motions: each component's modulus.
      auto m = [&plots, i](int k) { return Complex(plots.motion[static_cast<size_t>(k)][i]); };
      const Complex ux = c * m(0), uy = c * m(1), uz = c * m(2), tx = m(3), ty = m(4), tz = m(5);
      s.X.push_back(std::abs(ux + ty * rz - tz * ry));
      s.Y.push_back(std::abs(uy + tz * rx - tx * rz));
      s.Z.push_back(std::abs(uz + tx * ry - ty * rx));
    } else {
      // Moduli only: the triangle inequality's bound.
      const double ux = at(translation, 0), uy = at(translation, 1), uz = at(translation, 2);
      const double tx = at(rotation, 0), ty = at(rotation, 1), tz = at(rotation, 2);
      s.X.push_back(std::abs(c * ux) + std::abs(ty * rz) + std::abs(tz * ry));
      s.Y.push_back(std::abs(c * uy) + std::abs(tz * rx) + std::abs(tx * rz));
      s.Z.push_back(std::abs(c * uz) + std::abs(tx * ry) + std::abs(ty * rx));
    }
  }
  return s;
}

TDlgAmpPlot::TDlgAmpPlot(const TResultPlots& plots, const TProgramData& project, QWidget* parent)
    : QDialog(parent), plots_(plots), project_(project) {
  setWindowTitle(QStringLiteral("Footing Amplitude Plot"));

  // The chart.
  chart_ = new QChart;
  chart_->legend()->setVisible(true);
  chart_->legend()->setAlignment(Qt::AlignBottom);
  const QString titles[3] = {QStringLiteral("X-Dir"), QStringLiteral("Y-Dir"), QStringLiteral("Z-dir")};
  const QColor colours[3] = {Qt::black, Qt::red, QColor(0x00, 0x80, 0xC0)};
  axisX_ = new QValueAxis;
  axisX_->setTitleText(QStringLiteral("Frequency (Hz)"));
  axisX_->setLabelFormat(QStringLiteral("%g"));
  axisY_ = new QValueAxis;
  // "##,###,##0.########": grouped thousands, up to eight decimals.
  axisY_->setLabelFormat(QStringLiteral("%'.8g"));
  chart_->addAxis(axisX_, Qt::AlignBottom);
  chart_->addAxis(axisY_, Qt::AlignLeft);
  for (int k = 0; k < 3; ++k) {
    series_[k] = new QLineSeries;
    series_[k]->setName(titles[k]);
    chart_->addSeries(series_[k]);  // applies the theme's colours: ours come after
    series_[k]->setColor(colours[k]);
    series_[k]->setPointsVisible(true);
    series_[k]->setLightMarker(Marker(k, colours[k]));
    series_[k]->setMarkerSize(7);
    series_[k]->attachAxis(axisX_);
    series_[k]->attachAxis(axisY_);
    connect(series_[k], &QLineSeries::clicked, this, [this, k](const QPointF& point) {
      // The point of the series nearest the click.
      int best = -1;
      double distance = 0;
      const QList<QPointF> points = series_[k]->points();
      for (int i = 0; i < points.size(); ++i) {
        const double d = std::abs(points[i].x() - point.x());
        if (best < 0 || d < distance) best = i, distance = d;
      }
      if (best >= 0) PointClicked(k, best);
    });
  }
  view_ = new TAmpChartView(
      chart_, [this](const QPointF& p) { ShowPosition(p); }, [this](QPainter& p) { PaintVelocityLines(p); }, this);
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setMinimumSize(560, 380);

  // The controls.
  auto* point = new QGroupBox(QStringLiteral("Reference Point"), this);
  auto* pointLayout = new QGridLayout(point);
  TDataEdit** fields[3] = {&x_, &y_, &z_};
  const char* captions[3] = {"X", "Y", "Z"};
  for (int k = 0; k < 3; ++k) {
    auto* label = new QLabel(point);
    auto* edit = new TPointEdit([this] { Draw(); }, point);
    edit->setObjectName(QString::fromLatin1(captions[k]));
    edit->setUnitsString(QStringLiteral("L2"));
    edit->setCaption(QString::fromLatin1(captions[k]));
    edit->setEditLabel(label);
    pointLayout->addWidget(label, k, 0);
    pointLayout->addWidget(edit, k, 1);
    *fields[k] = edit;
  }
  auto* defaultButton = new QPushButton(QStringLiteral("Default (C.G.)"), point);
  auto* updateButton = new QPushButton(QStringLiteral("Update Graph"), point);
  defaultButton->setObjectName("Default");
  updateButton->setObjectName("Update");
  pointLayout->addWidget(defaultButton, 3, 0);
  pointLayout->addWidget(updateButton, 3, 1);
  // The axes of the point. The engine carries the centre of gravity's motion
  // to a point at height z above the centre of the base with the rows
  // (1,5) = z − h, (2,4) = h − z, (1,6) = Yc, (2,6) = −Xc, (3,4) = −Yc,
  // (3,5) = Xc of its rigid-body transformation (h = Zc): that is u + θ × r
  // in a right-handed frame with Z upward, with the centre of gravity at
  // (Xc, Yc, Zc) from the centre of the base. The fields take X, Y, Z in that
  // frame (their default point is that centre), so r = (X, Y, Z) − (Xc, Yc,
  // Zc) needs no change of sign. The Mass Data window's global system is
  // another frame: origin at the centre of gravity, Z down, the base at
  // (Xc, Yc, Zc). The label says it in lines of their own: a word-wrapped
  // label in the grid would be cut.
  axes_ = new QLabel(QStringLiteral("Origin: centre of the foundation base,\n"
                                    "Z upward, axes as UOX, UOY, UOZ;\n"
                                    "the C.G. is at (Xc, Yc, Zc)."),
                     point);
  axes_->setObjectName(QStringLiteral("Axes"));
  axes_->setToolTip(QStringLiteral("X, Y, Z are measured from the centre of the foundation base along the axes of "
                                   "the response (UOX, UOY, UOZ), Z upward; Default (C.G.) puts the point at the "
                                   "centre of gravity (Xc, Yc, Zc). Enter in a field applies the point."));
  pointLayout->addWidget(axes_, 4, 0, 1, 2);

  // Short pairs of choices sit side by side, so that the dialog fits a
  // screen of 800 pixels.
  auto group = [this](const QString& title, const QString& a, const QString& b, QRadioButton*& first,
                      QRadioButton*& second, bool sideBySide) {
    auto* box = new QGroupBox(title, this);
    auto* layout = new QVBoxLayout(box);
    first = new QRadioButton(a, box);
    second = new QRadioButton(b, box);
    if (sideBySide) {
      auto* row = new QHBoxLayout;
      row->addWidget(first);
      row->addWidget(second);
      layout->addLayout(row);
    } else {
      layout->addWidget(first);
      layout->addWidget(second);
    }
    first->setChecked(true);
    return box;
  };
  QGroupBox* units = group(QStringLiteral("Units"), QStringLiteral("English Units (ft)"),
                           QStringLiteral("SI Units (m)"), english_, si_, false);
  QGroupBox* type = group(QStringLiteral("Type"), QStringLiteral("Displacement"), QStringLiteral("Rotation"),
                          displacement_, rotation_, true);
  QGroupBox* printing = group(QStringLiteral("Printing"), QStringLiteral("Portrait"), QStringLiteral("LandScape"),
                              portrait_, landscape_, true);

  auto* viewBox = new QGroupBox(QStringLiteral("View"), this);
  auto* viewLayout = new QGridLayout(viewBox);
  const char* checkTexts[3] = {"X dir", "Y dir", "Z dir"};
  for (int k = 0; k < 3; ++k) {
    checks_[k] = new QCheckBox(QString::fromLatin1(checkTexts[k]), viewBox);
    checks_[k]->setChecked(true);
    auto* only = new QPushButton(QStringLiteral("Only"), viewBox);
    only->setObjectName(QStringLiteral("Only%1").arg(QChar('X' + k)));
    viewLayout->addWidget(checks_[k], k, 0);
    viewLayout->addWidget(only, k, 1);
    connect(only, &QPushButton::clicked, this, [this, k] { SetChecks(k == 0, k == 1, k == 2); });
    connect(checks_[k], &QCheckBox::toggled, this, [this] { Draw(); });
  }
  auto* all = new QPushButton(QStringLiteral("All"), viewBox);
  auto* none = new QPushButton(QStringLiteral("Unselect All"), viewBox);
  all->setObjectName("All");
  none->setObjectName("UnselectAll");
  viewLayout->addWidget(all, 3, 0);
  viewLayout->addWidget(none, 3, 1);
  // The vibration-limit lines over the displacement curves.
  velocity_ = new QCheckBox(QStringLiteral("Velocity &lines"), viewBox);
  velocity_->setObjectName(QStringLiteral("VelocityLines"));
  velocity_->setToolTip(QStringLiteral("Lines of constant peak velocity v: A = v/(2\u03c0f)"));
  auto* limitsButton = new QPushButton(QStringLiteral("Limits..."), viewBox);
  limitsButton->setObjectName(QStringLiteral("VelocityLimits"));
  viewLayout->addWidget(velocity_, 4, 0);
  viewLayout->addWidget(limitsButton, 4, 1);

  auto* exportButton = new QPushButton(QStringLiteral("Export Data"), this);
  auto* goButton = new QPushButton(QStringLiteral("Go"), printing);
  auto* closeButton = new QPushButton(QStringLiteral("CLOSE"), this);
  exportButton->setObjectName("Export");
  goButton->setObjectName("Go");
  closeButton->setObjectName("Close");
  // Go beside the orientation, so that the dialog keeps within a screen of
  // 800 pixels; PDF and SVG, which need no printer, under them.
  if (auto* row = qobject_cast<QHBoxLayout*>(printing->layout()->itemAt(0)->layout())) row->addWidget(goButton);
  else printing->layout()->addWidget(goButton);
  auto* pdfButton = new QPushButton(QStringLiteral("Export PDF..."), printing);
  auto* svgButton = new QPushButton(QStringLiteral("Export SVG..."), printing);
  pdfButton->setObjectName(QStringLiteral("ExportPdf"));
  svgButton->setObjectName(QStringLiteral("ExportSvg"));
  auto* exports = new QHBoxLayout;
  exports->addWidget(pdfButton);
  exports->addWidget(svgButton);
  static_cast<QBoxLayout*>(printing->layout())->addLayout(exports);
  connect(pdfButton, &QPushButton::clicked, this, [this] {
    ExportPdfCommand(this, FileNameOf(PageHeader().value(0) + QStringLiteral(" amplitudes")), PdfPage(),
                     [this](QPainter& p, const QRectF& area, double ppi) { PaintPage(p, area, ppi); });
  });
  connect(svgButton, &QPushButton::clicked, this, [this] {
    ExportSvgCommand(this, FileNameOf(PageHeader().value(0) + QStringLiteral(" amplitudes")), SvgSize(),
                     PageHeader().value(0),
                     [this](QPainter& p, const QRectF& area, double ppi) { PaintPage(p, area, ppi); });
  });
  status_ = new QLabel(this);
  status_->setMinimumWidth(200);
  // Under the chart, so that the dialog grows no taller (lines of their own,
  // as a word-wrapped label in a layout may be cut).
  note_ = new QLabel(QStringLiteral("No phases in these results (graphic data file only): the curves\n"
                                    "show an upper bound. Run the analysis again for exact amplitudes."),
                     this);
  note_->setObjectName(QStringLiteral("UpperBoundNote"));
  note_->setStyleSheet(QStringLiteral("color: #a00000;"));
  note_->hide();

  auto* side = new QVBoxLayout;
  for (QWidget* w : {static_cast<QWidget*>(point), static_cast<QWidget*>(units), static_cast<QWidget*>(type),
                     static_cast<QWidget*>(viewBox), static_cast<QWidget*>(printing)})
    side->addWidget(w);
  side->addWidget(exportButton);
  side->addStretch();
  side->addWidget(closeButton);
  auto* chartColumn = new QVBoxLayout;
  chartColumn->addWidget(view_, 1);
  chartColumn->addWidget(note_);
  auto* main = new QHBoxLayout;
  main->addLayout(chartColumn, 1);
  main->addLayout(side);
  auto* outer = new QVBoxLayout(this);
  outer->addLayout(main, 1);
  outer->addWidget(status_);
  for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);

  connect(defaultButton, &QPushButton::clicked, this, &TDlgAmpPlot::DefaultPoint);
  connect(updateButton, &QPushButton::clicked, this, &TDlgAmpPlot::Draw);
  connect(all, &QPushButton::clicked, this, [this] { SetChecks(true, true, true); });
  connect(none, &QPushButton::clicked, this, [this] { SetChecks(false, false, false); });
  connect(exportButton, &QPushButton::clicked, this, &TDlgAmpPlot::Export);
  connect(goButton, &QPushButton::clicked, this, &TDlgAmpPlot::Print);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(english_, &QRadioButton::toggled, this, [this] { UnitsChanged(); });
  connect(rotation_, &QRadioButton::toggled, this, [this] { Draw(); });
  connect(velocity_, &QCheckBox::toggled, this, [this] { view_->viewport()->update(); });
  connect(chart_, &QChart::plotAreaChanged, view_->viewport(), qOverload<>(&QWidget::update));
  connect(limitsButton, &QPushButton::clicked, this, &TDlgAmpPlot::EditVelocityLimits);
  for (TDataEdit* edit : {x_, y_, z_}) connect(edit, &QLineEdit::editingFinished, this, &TDlgAmpPlot::Draw);

  // Opening: the project's units and its centre of gravity.
  const int system = project_.Units == 1 ? 1 : 2;
  drawing_ = true;
  (system == 1 ? english_ : si_)->setChecked(true);
  drawing_ = false;
  for (TDataEdit* edit : {x_, y_, z_}) edit->setUnits(system);
  remembered_ = system;
  x_->setNumber(project_.Xc);
  y_->setNumber(project_.Yc);
  z_->setNumber(project_.Zc);
  point_[0] = static_cast<double>(project_.Xc);
  point_[1] = static_cast<double>(project_.Yc);
  point_[2] = static_cast<double>(project_.Zc);
  Draw();
}

TDlgAmpPlot::~TDlgAmpPlot() {
  // QDialog's destructor hides the dialog, which takes the focus from a field
  // being edited and so finishes its editing: by then nothing of this dialog
  // may answer.
  for (TDataEdit* edit : {x_, y_, z_})
    if (edit) edit->disconnect(this);
}

QPushButton* TDlgAmpPlot::Button(const QString& name) const { return findChild<QPushButton*>(name); }

int TDlgAmpPlot::UnitSystem() const { return english_->isChecked() ? 1 : 2; }

double TDlgAmpPlot::UnitFactor() const {
  const int project = project_.Units == 1 ? 1 : 2;
  if (project == UnitSystem()) return 1.0;
  return project == 1 ? kFeetToMetres : 1.0 / kFeetToMetres;
}

void TDlgAmpPlot::UnitsChanged() {
  if (drawing_) return;
  const int system = UnitSystem();
  for (TDataEdit* edit : {x_, y_, z_}) edit->setUnits(system);
  if (system != remembered_) {
    const double factor = system == 1 ? kMetresToFeet : kFeetToMetres;
    for (TDataEdit* edit : {x_, y_, z_}) edit->setNumber(edit->evaluate().value * factor);
    remembered_ = system;
  }
  Draw();
}

void TDlgAmpPlot::SetChecks(bool x, bool y, bool z) {
  drawing_ = true;
  checks_[0]->setChecked(x);
  checks_[1]->setChecked(y);
  checks_[2]->setChecked(z);
  drawing_ = false;
  Draw();
}

void TDlgAmpPlot::DefaultPoint() {
  const double c = UnitFactor();
  x_->setNumber(c * static_cast<double>(project_.Xc));
  y_->setNumber(c * static_cast<double>(project_.Yc));
  z_->setNumber(c * static_cast<double>(project_.Zc));
  Draw();
}

void TDlgAmpPlot::Draw() {
  if (drawing_) return;
  const bool rotationMode = rotation_->isChecked();
  velocity_->setEnabled(!rotationMode);
  // The point; a field without a valid number keeps the last point drawn.
  TDataEdit* fields[3] = {x_, y_, z_};
  for (int k = 0; k < 3; ++k) {
    const Evaluation entry = fields[k]->evaluate();
    if (entry.ok) point_[k] = static_cast<double>(entry.value);
  }
  // r from the centre of gravity (Xc, Yc, Zc), in the engine's axes (see the
  // axes label above).
  const double c = UnitFactor();
  const double r[3] = {point_[0] - c * static_cast<double>(project_.Xc),
                       point_[1] - c * static_cast<double>(project_.Yc),
                       point_[2] - c * static_cast<double>(project_.Zc)};
  const TAmplitudeSeries s = AmplitudeSeries(plots_, rotationMode, c, r[0], r[1], r[2]);
  upperBound_ = s.UpperBound && !s.Frequency.empty();
  const QString unit = UnitSystem() == 1 ? QStringLiteral("ft") : QStringLiteral("m");
  axisY_->setTitleText(rotationMode  ? QStringLiteral("Rotational Amplitude (rad)")
                       : upperBound_ ? QStringLiteral("Translational Amplitude, upper bound (%1)").arg(unit)
                                     : QStringLiteral("Translational Amplitude (%1)").arg(unit));
  note_->setVisible(upperBound_);
  const std::vector<double>* values[3] = {&s.X, &s.Y, &s.Z};
  double lo = 0, hi = 0;
  bool any = false;
  for (int k = 0; k < 3; ++k) {
    QList<QPointF> points;
    for (size_t i = 0; i < s.Frequency.size(); ++i) points.append({s.Frequency[i], (*values[k])[i]});
    series_[k]->replace(points);
    series_[k]->setVisible(checks_[k]->isChecked());
    if (!checks_[k]->isChecked()) continue;
    for (const QPointF& p : points) {
      lo = any ? std::min(lo, p.y()) : p.y();
      hi = any ? std::max(hi, p.y()) : p.y();
      any = true;
    }
  }
  // The compared projects: the same point, measured from each one's centre
  // of gravity.
  double first = s.Frequency.empty() ? 0.0 : s.Frequency.front();
  double last = s.Frequency.empty() ? 0.0 : s.Frequency.back();
  bool frequencies = !s.Frequency.empty();
  for (size_t j = 0; j < compared_.size(); ++j) {
    const TComparedResponse& other = compared_[j];
    const double ro[3] = {point_[0] - c * other.Centre[0], point_[1] - c * other.Centre[1],
                          point_[2] - c * other.Centre[2]};
    const TAmplitudeSeries t = AmplitudeSeries(*other.Plots, rotationMode, c, ro[0], ro[1], ro[2]);
    const std::vector<double>* theirs[3] = {&t.X, &t.Y, &t.Z};
    for (int k = 0; k < 3; ++k) {
      QList<QPointF> points;
      for (size_t i = 0; i < t.Frequency.size(); ++i) points.append({t.Frequency[i], (*theirs[k])[i]});
      comparedSeries_[j][static_cast<size_t>(k)]->replace(points);
      comparedSeries_[j][static_cast<size_t>(k)]->setVisible(checks_[k]->isChecked());
      if (!checks_[k]->isChecked()) continue;
      for (const QPointF& p : points) {
        lo = any ? std::min(lo, p.y()) : p.y();
        hi = any ? std::max(hi, p.y()) : p.y();
        any = true;
      }
    }
    if (!t.Frequency.empty()) {
      first = frequencies ? std::min(first, t.Frequency.front()) : t.Frequency.front();
      last = frequencies ? std::max(last, t.Frequency.back()) : t.Frequency.back();
      frequencies = true;
    }
  }
  // Both axes tick at 1, 2, 2.5 or 5 times a power of ten, their ranges
  // rounded outward to the step: the frequency axis ends at the step at or
  // above the last frequency.
  auto setAxis = [](QValueAxis* axis, const TNiceAxis& nice, bool grouped) {
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(nice.Min);
    axis->setTickInterval(nice.Step);
    axis->setRange(nice.Min, nice.Max);
    axis->setMinorTickCount(0);
    axis->setLabelFormat(QStringLiteral("%1.%2f").arg(grouped ? QStringLiteral("%'") : QStringLiteral("%")).arg(nice.Decimals));
  };
  // The values are single-precision results: a last frequency of 0.6f ends
  // the axis at 0.6, not at the step above 0.60000002.
  if (frequencies) setAxis(axisX_, NiceAxis(AsRead(first), AsRead(last), 5), false);
  if (any) setAxis(axisY_, NiceAxis(AsRead(lo), AsRead(hi), 5), true);
  view_->viewport()->update();  // the velocity lines follow the axes
}

void TDlgAmpPlot::ShowPosition(const QPointF& viewPosition) {
  const QPointF value = chart_->mapToValue(view_->mapToScene(viewPosition.toPoint()));
  const bool inside = value.x() >= axisX_->min() && value.x() <= axisX_->max() && value.y() >= axisY_->min() &&
                      value.y() <= axisY_->max();
  status_->setText(inside ? QStringLiteral("(") + Six(value.x()) + QStringLiteral(",") + Six(value.y()) +
                                QStringLiteral(")")
                          : QString());
}

void TDlgAmpPlot::PointClicked(int axis, int n) {
  const QList<QPointF> points = series_[axis]->points();
  if (n < 0 || n >= points.size()) return;
  view_->setToolTip(QStringLiteral(" Clicked Series: ") + series_[axis]->name() + QStringLiteral(" at point: ") +
                    QString::number(n));
  const double c = UnitFactor();
  auto at = [n](const TGraphPlot& p, int line) {
    return line < p.LineCount() && n < p.Line(line).PointCount() ? static_cast<double>(p.Line(line).Points[n].Y)
                                                                  : 0.0;
  };
  QStringList lines{series_[axis]->name(), QStringLiteral("Point: ") + QString::number(n),
                    QStringLiteral("Freq: ") + Six(points[n].x())};
  const char* names[3] = {"X: ", "Y: ", "Z: "};
  for (int k = 0; k < 3; ++k) {
    const QList<QPointF> own = series_[k]->points();
    lines << QString::fromLatin1(names[k]) + Six(n < own.size() ? own[n].y() : 0.0);
  }
  lines << QStringLiteral("Xo: ") + Six(c * at(plots_.pltDxyzR, 0))
        << QStringLiteral("Yo: ") + Six(c * at(plots_.pltDxyzR, 1))
        << QStringLiteral("Zo: ") + Six(c * at(plots_.pltDxyzR, 2))
        << QStringLiteral("Rx: ") + Six(at(plots_.pltMxyzR, 0)) << QStringLiteral("Ry: ") + Six(at(plots_.pltMxyzR, 1))
        << QStringLiteral("Rz: ") + Six(at(plots_.pltMxyzR, 2));
  if (upperBound_) lines << QStringLiteral("X, Y, Z: upper bounds (no phases in these results)");
  ShowMessage(TMessageKind::Information, windowTitle(), lines.join(QLatin1Char('\n')));
}

bool TDlgAmpPlot::ExportTo(const QString& path) const {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) return false;
  QTextStream out(&file);
  const QString unit = UnitSystem() == 1 ? QStringLiteral("ft") : QStringLiteral("m");
  out << "Reference Point\n";
  // The point the curves were drawn for (a field being edited has not moved
  // them yet).
  out << "X= " << Number(point_[0]) << ' ' << unit << ", Y= " << Number(point_[1]) << ' ' << unit
      << ", Z= " << Number(point_[2]) << ' ' << unit << '\n';
  out << "n,Frequency,Disp_x,Disp_y,Disp_z\n";
  out << ",Hz," << unit << ',' << unit << ',' << unit << '\n';
  const QList<QPointF> xs = series_[0]->points(), ys = series_[1]->points(), zs = series_[2]->points();
  for (int i = 0; i < xs.size(); ++i)
    out << i + 1 << ',' << Number(xs[i].x()) << ',' << Number(xs[i].y()) << ',' << Number(ys.value(i).y()) << ','
        << Number(zs.value(i).y()) << '\n';
  out.flush();
  return file.error() == QFile::NoError;
}

void TDlgAmpPlot::Export() {
  QString path;
  if (saveHook) {
    path = saveHook();
  } else {
    QFileDialog dialog(this, QStringLiteral("Export Data"), QString(), QStringLiteral("Text files (*.txt *.TXT)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // asked below, in the program's words
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) path = dialog.selectedFiles().first();
  }
  if (path.isEmpty()) return;
  if (QFileInfo::exists(path) &&
      ShowMessage(TMessageKind::Question, windowTitle(),
                  QStringLiteral("File already exists, do you want to overwrite it?"), MbYes | MbNo) != MbYes)
    return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool written = ExportTo(path);
  QApplication::restoreOverrideCursor();
  if (!written)
    ShowMessage(TMessageKind::Error, windowTitle(), QStringLiteral("The file ") + path +
                                                        QStringLiteral(" could not be written."));
}

void TDlgAmpPlot::PrintTo(QPrinter& printer, bool landscape) const {
  printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  printer.setDocName(windowTitle());
  QPainter painter(&printer);
  if (!painter.isActive()) return;
  const QRectF page = printer.pageRect(QPrinter::DevicePixel);
  PaintPage(painter, QRectF(0, 0, page.width(), page.height()), printer.resolution());
}

QStringList TDlgAmpPlot::PageHeader() const {
  const QString unit = UnitSystem() == 1 ? QStringLiteral("ft") : QStringLiteral("m");
  QString title = project_.Title.trimmed();
  QStringList lines{title.isEmpty() ? windowTitle() : title};
  if (rotation_->isChecked()) {
    lines << QStringLiteral("Rotation amplitudes of the footing (rad)");
  } else {
    lines << QStringLiteral("Reference point: X = %1 %4, Y = %2 %4, Z = %3 %4")
                 .arg(ShortestFloat(point_[0]), ShortestFloat(point_[1]), ShortestFloat(point_[2]), unit);
    lines << (upperBound_ ? QStringLiteral("Translational amplitudes, upper bounds (%1), %2 units")
                          : QStringLiteral("Translational amplitudes (%1), %2 units"))
                 .arg(unit, UnitSystem() == 1 ? QStringLiteral("English") : QStringLiteral("SI"));
  }
  if (!compared_.empty()) {
    QStringList names;
    for (const TComparedResponse& c : compared_) names << c.Name;
    lines << QStringLiteral("Compared with: ") + names.join(QStringLiteral(", "));
  }
  return lines;
}

void TDlgAmpPlot::PaintPage(QPainter& painter, const QRectF& area, double ppi) const {
  // Laid out in pixels of a 96-ppi screen, scaled once to the device.
  const double scale = ppi / 96.0;
  painter.save();
  painter.translate(area.topLeft());
  painter.scale(scale, scale);
  const QSizeF page = area.size() / scale;
  const QFont font = HeaderFont();
  painter.setPen(Qt::black);
  const QFontMetricsF metrics(font);
  double y = 0;
  const QStringList header = PageHeader();
  for (int i = 0; i < header.size(); ++i) {
    QFont line = font;
    line.setBold(i == 0);
    painter.setFont(line);
    // A long title is cut rather than run off the page.
    const QString text = QFontMetricsF(line).elidedText(header[i], Qt::ElideRight, page.width());
    painter.drawText(QPointF(0, y + metrics.ascent()), text);
    y += metrics.height() * 1.2;
  }
  y = std::max(y, HeaderHeight(header.size()));
  // The chart, laid out for the rest of the page, then put back as it was
  // (no event is processed in between, so the window never shows it).
  const QRectF target(0, y, page.width(), std::max(1.0, page.height() - y));
  const QSizeF shown = chart_->size();
  {
    TPixelFonts pixels(chart_);
    chart_->resize(target.size());
    if (chart_->layout()) chart_->layout()->activate();
    const QRectF source(chart_->scenePos(), target.size());
    chart_->scene()->render(&painter, target, source, Qt::IgnoreAspectRatio);
    painter.translate(target.topLeft() - source.topLeft());
    PaintVelocityLines(painter);
  }
  chart_->resize(shown);
  if (chart_->layout()) chart_->layout()->activate();
  painter.restore();
}

QSizeF TDlgAmpPlot::SvgSize() const {
  return QSizeF(view_->width(), view_->height() + HeaderHeight(PageHeader().size()));
}

TPdfPage TDlgAmpPlot::PdfPage() const {
  TPdfPage page;
  page.Title = PageHeader().value(0);
  page.Orientation = landscape_->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait;
  return page;
}

bool TDlgAmpPlot::ExportPdf(const QString& path, QString* error) const {
  return WritePdf(path, PdfPage(), [this](QPainter& p, const QRectF& area, double ppi) { PaintPage(p, area, ppi); },
                  error);
}

bool TDlgAmpPlot::ExportSvg(const QString& path, QString* error) const {
  return WriteSvg(path, SvgSize(), PageHeader().value(0),
                  [this](QPainter& p, const QRectF& area, double ppi) { PaintPage(p, area, ppi); }, error);
}

void TDlgAmpPlot::SetComparisons(const std::vector<TComparedResponse>& compared) {
  for (const auto& three : comparedSeries_)
    for (QLineSeries* series : three) {
      chart_->removeSeries(series);
      delete series;
    }
  comparedSeries_.clear();
  compared_.clear();
  const QString titles[3] = {QStringLiteral("X-Dir"), QStringLiteral("Y-Dir"), QStringLiteral("Z-dir")};
  for (const TComparedResponse& other : compared) {
    if (!other.Plots) continue;
    compared_.push_back(other);
    std::array<QLineSeries*, 3> three{};
    for (int k = 0; k < 3; ++k) {
      auto* series = new QLineSeries;
      series->setName(titles[k] + QStringLiteral(" (") + other.Name + QStringLiteral(")"));
      chart_->addSeries(series);
      QPen pen(series_[k]->color(), 1.5, comparedSeries_.size() % 2 == 0 ? Qt::DashLine : Qt::DotLine);
      series->setPen(pen);
      series->attachAxis(axisX_);
      series->attachAxis(axisY_);
      three[static_cast<size_t>(k)] = series;
    }
    comparedSeries_.push_back(three);
  }
  Draw();
}

QLineSeries* TDlgAmpPlot::ComparedSeries(int comparison, int axis) const {
  if (comparison < 0 || comparison >= static_cast<int>(comparedSeries_.size()) || axis < 0 || axis > 2) return nullptr;
  return comparedSeries_[static_cast<size_t>(comparison)][static_cast<size_t>(axis)];
}

void TDlgAmpPlot::SetVelocityLinesShown(bool shown) { velocity_->setChecked(shown); }

void TDlgAmpPlot::SetVelocityLimits(const std::vector<double>& limits) {
  const int system = UnitSystem();
  StoreVelocityLimits(system, limits);
  velocityLimits_[system - 1] = limits;
  velocity_->setChecked(true);
  view_->viewport()->update();
}

TVelocityLines TDlgAmpPlot::VelocityLines() const {
  TVelocityLines lines;
  lines.UnitSystem = UnitSystem();
  lines.Axis = TFrequencyAxis::Hertz;  // the chart's x axis
  if (!velocity_->isChecked() || rotation_->isChecked()) return lines;
  std::vector<double>& limits = velocityLimits_[lines.UnitSystem - 1];
  if (limits.empty()) limits = StoredVelocityLimits(lines.UnitSystem);
  lines.Limits = limits;
  return lines;
}

void TDlgAmpPlot::EditVelocityLimits() {
  const int system = UnitSystem();
  const std::vector<double>& current = velocityLimits_[system - 1];
  TDlgVelocityLimits dialog(system, current.empty() ? StoredVelocityLimits(system) : current, this);
  if (dialog.exec() == QDialog::Accepted) SetVelocityLimits(dialog.Limits());
}

void TDlgAmpPlot::PaintVelocityLines(QPainter& painter) const {
  const TVelocityLines lines = VelocityLines();
  if (lines.Limits.empty() || chart_->series().isEmpty()) return;
  // The plot area in scene coordinates, and the axes' ranges.
  const QRectF rect = chart_->mapRectToScene(chart_->plotArea());
  const TView view{{axisX_->min(), axisX_->max()}, {axisY_->min(), axisY_->max()}};
  DrawVelocityLines(painter, rect, view, lines, axisX_->labelsFont(), view_->logicalDpiX());
}

void TDlgAmpPlot::Print() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(landscape_->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  PrintTo(printer, printer.pageLayout().orientation() == QPageLayout::Landscape);
}

}  // namespace terva::gui
