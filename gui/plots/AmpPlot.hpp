// TDlgAmpPlot, "Footing Amplitude Plot": the response amplitudes, against
// frequency, of a point of the rigid footing that the user picks (the
// reference point), or the footing's rotations, drawn from the harmonic
// response curves of the main window's result plots.
#pragma once

#include <QDialog>
#include <QPointF>
#include <QStringList>

#include <array>

#include <functional>
#include <vector>

#include "gui/plots/AmpAxis.hpp"
#include "gui/model/AmpSeries.hpp"
#include "gui/plots/VelocityLines.hpp"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QPainter;
class QPrinter;
class QPushButton;
class QRadioButton;

class QChart;
class QChartView;
class QLineSeries;
class QValueAxis;

namespace terva::gui {

class TDataEdit;
struct TPdfPage;
class TGraphPlot;
class TProgramData;
class TResultPlots;

// Another project's response beside the open one's: its name (the legend
// appends it to the curves' titles), its result plots and its centre of
// gravity in its own (the open project's) units, from which the reference
// point is measured for it.
struct TComparedResponse {
  QString Name;
  const TResultPlots* Plots = nullptr;
  double Centre[3] = {0, 0, 0};
};

class TDlgAmpPlot : public QDialog {
  Q_OBJECT

 public:
  TDlgAmpPlot(const TResultPlots& plots, const TProgramData& project, QWidget* parent = nullptr);
  ~TDlgAmpPlot() override;

  // The widgets, for the tests and the screenshots.
  TDataEdit* XEdit() const { return x_; }
  TDataEdit* YEdit() const { return y_; }
  TDataEdit* ZEdit() const { return z_; }
  QRadioButton* EnglishButton() const { return english_; }
  QRadioButton* SIButton() const { return si_; }
  QRadioButton* DisplacementButton() const { return displacement_; }
  QRadioButton* RotationButton() const { return rotation_; }
  QCheckBox* Check(int axis) const { return checks_[axis]; }
  QLineSeries* Series(int axis) const { return series_[axis]; }
  QChart* Chart() const { return chart_; }
  QChartView* ChartView() const { return view_; }
  QLabel* StatusLabel() const { return status_; }
  // The convention of the point's coordinates, and the note shown when the
  // curves are upper bounds (hidden otherwise).
  QLabel* AxesLabel() const { return axes_; }
  QLabel* NoteLabel() const { return note_; }
  QCheckBox* VelocityCheck() const { return velocity_; }
  QPushButton* Button(const QString& name) const;

  // The dialog's unit system (1 English, 2 SI) and the factor c from the
  // project's lengths to the dialog's.
  int UnitSystem() const;
  double UnitFactor() const;

  // Redraws the three series from the fields, the type and the checks. In
  // Displacement mode a field that holds no valid number leaves the series
  // as they are (the field has said why).
  void Draw();
  // The status text for a position of the chart view.
  void ShowPosition(const QPointF& viewPosition);
  // A click on point n of a series: the hint and the message.
  void PointClicked(int axis, int n);
  // Writes the curves as text; false when the file cannot be written.
  bool ExportTo(const QString& path) const;
  void PrintTo(QPrinter& printer, bool landscape) const;
  // The page of the printout and of Export PDF: a header naming the
  // project, the reference point (or the rotations), the type and the
  // units, then the chart, all at their on-screen size (the painter is
  // scaled by ppi / 96). The same picture at 96 ppi is the SVG.
  void PaintPage(QPainter& painter, const QRectF& area, double ppi) const;
  QStringList PageHeader() const;
  // The SVG picture at 96 ppi: the header over the chart at the view's size.
  QSizeF SvgSize() const;
  bool ExportPdf(const QString& path, QString* error = nullptr) const;
  bool ExportSvg(const QString& path, QString* error = nullptr) const;

  // Compared projects: three more curves each, dashed, named with the
  // project ("X-Dir (b.tvd)"), for the same reference point.
  void SetComparisons(const std::vector<TComparedResponse>& compared);
  QLineSeries* ComparedSeries(int comparison, int axis) const;

  // The vibration-limit lines over the displacement curves: off when the
  // dialog opens, never in Rotation mode; the limits are those remembered
  // for the dialog's unit system. Setting limits remembers them and shows
  // the lines.
  void SetVelocityLinesShown(bool shown);
  void SetVelocityLimits(const std::vector<double>& limits);
  // The lines drawn now; no limits when none are.
  TVelocityLines VelocityLines() const;

  // Replaces the save dialog of Export Data (tests): the chosen path.
  using SaveDialogHook = std::function<QString()>;
  static void SetSaveDialogHook(SaveDialogHook hook);

 private:
  void UnitsChanged();
  void SetChecks(bool x, bool y, bool z);
  void DefaultPoint();
  void Export();
  void Print();
  void EditVelocityLimits();
  void PaintVelocityLines(QPainter& painter) const;
  // The PDF's page: the orientation of Printing, the project as its title.
  TPdfPage PdfPage() const;

  const TResultPlots& plots_;
  const TProgramData& project_;
  TDataEdit* x_;
  TDataEdit* y_;
  TDataEdit* z_;
  QRadioButton* english_;
  QRadioButton* si_;
  QRadioButton* displacement_;
  QRadioButton* rotation_;
  QRadioButton* portrait_;
  QRadioButton* landscape_;
  QCheckBox* checks_[3];
  QLineSeries* series_[3];
  std::vector<TComparedResponse> compared_;
  std::vector<std::array<QLineSeries*, 3>> comparedSeries_;
  QValueAxis* axisX_;
  QValueAxis* axisY_;
  QChart* chart_;
  QChartView* view_;
  QLabel* status_;
  QLabel* axes_;
  QLabel* note_;
  QCheckBox* velocity_;
  mutable std::vector<double> velocityLimits_[2];  // English, SI; read when first drawn
  int remembered_ = 1;
  bool drawing_ = false;
  double point_[3] = {0, 0, 0};  // the point drawn, in the dialog's units
  bool upperBound_ = false;      // the displacement curves are upper bounds
};

}  // namespace terva::gui
