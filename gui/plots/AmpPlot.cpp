#include "gui/plots/AmpPlot.hpp"

#include "gui/core/Messages.hpp"
#include "gui/core/NumberFormat.hpp"
#include "gui/model/PltData.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/plots/AmpChart.hpp"
#include "gui/plots/PlotPainter.hpp"
#include "gui/plots/PlotScale.hpp"
#include "gui/plots/VelocityLimits.hpp"
#include "gui/widgets/DataEdit.hpp"
#include "gui/widgets/VectorExport.hpp"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace terva::gui {

namespace {

constexpr double kFeetToMetres = 0.3048;
constexpr double kMetresToFeet = 3.2808398950131233596;

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

QString Six(double value) { return QString::number(value, 'g', 6); }

}  // namespace

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

}  // namespace terva::gui
