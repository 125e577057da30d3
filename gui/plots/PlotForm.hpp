// TPlotForm: the window of one result plot. It draws the plot's curves
// itself (PlotPainter.hpp), shows the mouse position in its caption, zooms
// with the mouse (drag a rectangle to zoom in, right-click to zoom out),
// carries a movable legend whose entries toggle their curves on a
// double-click, and offers the Plot menu: legend, markers, print, page
// setup, save to disk, graph title, edit legend, active graphs and one
// check item per listed curve.
#pragma once

#include <QMarginsF>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

#include "gui/plots/PlotScale.hpp"
#include "gui/plots/VelocityLines.hpp"

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QPainter;
class QPrinter;
class QRubberBand;

namespace terva::gui {

class TGraphPlot;
class TPlotCanvas;
struct TPdfPage;

// The plot with its framed legend in the lower right corner of the plot
// rectangle, on any device: the picture of the printout and the exports.
void DrawPlotOnDevice(QPainter& painter, const TGraphPlot& plot, const TView& view, const QRectF& area, double ppiX,
                      double ppiY, const TPlotMargins& margins, const TVelocityLines& lines);

class TPlotForm : public QWidget {
  Q_OBJECT

 public:
  explicit TPlotForm(TGraphPlot& plot, QWidget* parent = nullptr);
  ~TPlotForm() override;

  TGraphPlot& Plot() const { return plot_; }
  QWidget* Canvas() const;
  QMenu* PlotMenu() const { return plotMenu_; }
  // The Plot menu's commands by object name ("PlotShowLegend",
  // "PlotMarkers3", "PlotPrint", ..., "PlotLine<index>" for the curves).
  QAction* Action(const QString& name) const;

  // The view: the full range of the data and the part shown now.
  TView FullRange() const { return full_; }
  TView View() const { return view_; }
  void SetView(const TView& view);
  // Zoom by a rectangle or a point of the canvas (device pixels).
  void ZoomToPixels(const QRect& area);
  void ZoomOutAt(const QPoint& point);
  // Axis values at a canvas point, clamped to the plot rectangle.
  QPointF ValueAt(const QPoint& point) const;
  QRectF PlotRect() const;

  // Legend: its box on the canvas, moving it, toggling an entry.
  bool LegendVisible() const;
  QRectF LegendBox() const;
  void MoveLegend(const QPointF& topLeft);
  void ToggleLegendEntry(int item);

  // Page-setup margins in thousandths of an inch (left, top, right, bottom).
  QMarginsF PageMargins() const { return margins_; }
  void SetPageMargins(const QMarginsF& margins) { margins_ = margins; }
  // Prints the plot on one page of `printer`: inside the page margins (never
  // less than the printer's own), the framed legend in the lower right, the
  // job named after the plot's caption.
  void PrintTo(QPrinter& printer) const;
  // Draws the plot into a bitmap of ppi·width by ppi·height pixels and
  // saves it (the format from the extension, .bmp when none); false with
  // the message when the bitmap cannot be made or written.
  bool SaveBitmap(const QString& path, double widthInches, double heightInches, int ppi) const;
  // Vector pictures, with or without a printer: a one-page PDF laid out as
  // the printout (page-setup margins, the framed legend in the lower right),
  // and an SVG of the window's size at 96 ppi. False, with the reason in
  // `error`, when the file cannot be written.
  bool ExportPdf(const QString& path, QString* error = nullptr) const;
  bool ExportSvg(const QString& path, QString* error = nullptr) const;

  // The vibration-limit lines (VelocityLines.hpp), offered on plots of
  // translational amplitudes only and off when the window opens. Turning
  // them on takes the limits remembered in the settings; setting limits
  // remembers them and turns the lines on.
  bool VelocityLinesAvailable() const;
  bool VelocityLinesShown() const { return velocityShown_; }
  void SetVelocityLinesShown(bool shown);
  void SetVelocityLimits(const std::vector<double>& limits);
  // The lines drawn now (with the plot's unit system); no limits when off.
  TVelocityLines VelocityLines() const;

  // Rebuilds legend and per-curve menu items from the plot's included
  // lines, after names or flags changed.
  void RebuildLines();
  // The data were replaced: new limits, full view, lines rebuilt.
  void Reload();

  // Replaces the save dialog (tests): returns the chosen path.
  using SaveDialogHook = std::function<QString(const QString& caption, const QString& filter)>;
  static void SetSaveDialogHook(SaveDialogHook hook);

  QSize sizeHint() const override { return {720, 520}; }

 signals:
  // "Add Results for Comparison..." and "Remove Compared Results" of the
  // Plot menu: the main window keeps the compared projects. An empty name
  // removes them all.
  void AddComparisonRequested();
  void RemoveComparisonRequested(const QString& name);

 private:
  friend class TPlotCanvas;
  void CreateMenu();
  void Paint(QPainter& painter);
  void UpdateCaption(const QPoint* mouse);
  void PrintCommand();
  void PageSetupCommand();
  void SaveCommand();
  void RebuildComparisonMenu();
  void DrawPage(QPainter& painter, const QRectF& area, double ppi) const;
  // The PDF's page: the plot's caption as its title, the page-setup margins.
  TPdfPage PdfPage() const;
  void TitleCommand();
  void EditLegendCommand();
  void ActiveGraphsCommand();
  void VelocityLimitsCommand();

  TGraphPlot& plot_;
  TPlotCanvas* canvas_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  QMenu* plotMenu_ = nullptr;
  QMenu* compareMenu_ = nullptr;
  QActionGroup* markerGroup_ = nullptr;
  QList<QAction*> lineActions_;
  TView full_;
  TView view_;
  QPointF legendPos_{-1, -1};  // top left on the canvas; negative: not placed yet
  QMarginsF margins_{1000, 1000, 1000, 1000};
  bool velocityShown_ = false;
  // The limits of one unit system; read again when the plot's system changes.
  mutable std::vector<double> velocityLimits_;
  mutable int velocitySystem_ = 0;
};

}  // namespace terva::gui
