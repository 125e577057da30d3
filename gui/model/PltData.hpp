// Result curves: the plot data behind the result plot windows, and the
// reader of the engine's graphic data file (".tvp") that fills them.
//
// TGraphPlot is plain data (no widgets): a set of TLine curves with the
// captions, unit templates and display settings of one plot. A plot window
// is a view over one TGraphPlot: it reads the lines and settings, writes the
// user's changes (names, shown/included flags, title, markers) back, and
// listens to Changed() to redraw when the data are replaced.
//
// TResultPlots holds the main window's plots and reads a graphic data file
// into them.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <complex>
#include <memory>
#include <vector>

namespace terva::gui {

class TGraphPlot;

// One point of a curve.
struct TFloatPoint {
  long double X = 0.0L;
  long double Y = 0.0L;
};

// One curve of a plot.
class TLine {
 public:
  std::vector<TFloatPoint> Points;
  double LineNumber = 0.0;  // 1-based position in the plot when created
  QString Name;             // empty: the plot's default name is shown
  bool Shown = true;        // drawn, and marked in the legend
  bool Included = true;     // listed in the legend and the menu at all
  TGraphPlot* Owner = nullptr;
  // The file name of the project a curve comes from, shown after its name
  // in brackets while other projects' curves are compared with the open
  // one's; empty otherwise. Compared: a curve of another project.
  QString Source;
  bool Compared = false;

  int PointCount() const { return static_cast<int>(Points.size()); }
};

enum class TTitleLocation { Top, Bottom };

class TGraphPlot : public QObject {
  Q_OBJECT

 public:
  explicit TGraphPlot(QObject* parent = nullptr);
  ~TGraphPlot() override;

  // Settings (defaults of a new plot in brackets).
  QString CurveName() const { return curve_name_; }  // ("Curve #")
  void SetCurveName(const QString& name);
  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  bool ShowLegend() const { return show_legend_; }  // (true)
  void SetShowLegend(bool show);
  int Markers() const { return markers_; }  // every n-th point marked, 0 none (1)
  void SetMarkers(int markers);
  int Units() const { return units_; }  // UnitSystem, clamped to 1..3 (1)
  void SetUnits(int units);
  QString XCaption() const { return x_caption_; }
  void SetXCaption(const QString& caption);
  QString XUnits() const { return x_units_; }  // unit template
  void SetXUnits(const QString& units);
  bool XOnTop() const { return x_on_top_; }  // x axis above the plot (true)
  void SetXOnTop(bool on_top);
  QString YCaption() const { return y_caption_; }
  void SetYCaption(const QString& caption);
  QString YUnits() const { return y_units_; }  // unit template
  void SetYUnits(const QString& units);
  QString GraphTitle() const { return graph_title_; }  // ("")
  TTitleLocation TitleLocation() const { return title_location_; }  // (Top)
  void SetGraphTitle(const QString& title, TTitleLocation location);
  QStringList DefaultNames() const { return default_names_; }
  void SetDefaultNames(const QStringList& names);

  // Axis titles: the caption, then " (" unit ")" when a unit template is
  // set, its letters replaced for this plot's unit system.
  QString XAxisTitle() const;
  QString YAxisTitle() const;

  // Lines.
  int LineCount() const { return static_cast<int>(lines_.size()); }
  TLine& Line(int index) { return *lines_.at(static_cast<size_t>(index)); }
  const TLine& Line(int index) const { return *lines_.at(static_cast<size_t>(index)); }
  // Appends an empty line numbered after the last one.
  TLine& AddLine();
  // Appends a copy of a line (points, name, flags), renumbered as this
  // plot's last line.
  TLine& AddLine(const TLine& source);
  // Drops every line and appends `count` empty ones.
  void Reset(int count);
  // The name shown for line `index`: its own name; else the default name of
  // that position; else CurveName followed by the line number.
  QString DisplayName(int index) const;

  // Comparing designs: appends every line of `other` (a plot of the same
  // kind from another project's results) named as it is there and marked
  // with `source`, and marks the plot's own lines with `ownSource`.
  void AddComparison(const TGraphPlot& other, const QString& source, const QString& ownSource);
  // Drops the compared lines of `source` (every compared line when empty);
  // the own lines lose their mark when no compared line is left.
  void RemoveComparison(const QString& source = QString());
  bool HasComparison() const;

  // To be called after changing lines or points directly (the reader does):
  // tells the views to redraw.
  void NotifyChanged() { emit Changed(); }

 signals:
  // Lines, points or settings changed.
  void Changed();

 private:
  QString curve_name_ = QStringLiteral("Curve #");
  QString caption_;
  bool show_legend_ = true;
  int markers_ = 1;
  int units_ = 1;
  QString x_caption_;
  QString x_units_;
  bool x_on_top_ = true;
  QString y_caption_;
  QString y_units_;
  QString graph_title_;
  TTitleLocation title_location_ = TTitleLocation::Top;
  QStringList default_names_;
  std::vector<std::unique_ptr<TLine>> lines_;
};

// The main window's result plots and the reader of the graphic data file.
class TResultPlots {
 public:
  TResultPlots();
  TResultPlots(const TResultPlots&) = delete;
  TResultPlots& operator=(const TResultPlots&) = delete;

  // Shown from the Graphics menu (Kxx, Kyy, Kww / Kppx, Kppy, Kzt /
  // Cxx, Cyy, Cww / Cppx, Cppy, Czt merged; responses X, Y, Z each).
  TGraphPlot pltRealKXX, pltRealKPPX, pltDampCXX, pltDampCPPX, pltDxyzR, pltMxyzR;
  // Filled by the reader, reachable from no menu.
  TGraphPlot pltRealKYY, pltRealKWW, pltRealKPPY, pltRealKZT, pltRealKXP, pltRealKYP;
  TGraphPlot pltDampCYY, pltDampCWW, pltDampCPPY, pltDampCZT, pltDampCXP, pltDampCYP;

  // Every plot above.
  std::vector<TGraphPlot*> All();

  // What the last read found besides the curves. The frequencies in rad/s of
  // the stiffness and damping records and of the response records; whether
  // the curves hold the engine's own precision (from the results file that
  // belongs to the graphic data file) or the graphic data file's three to five
  // digits; and, with the results file of a harmonic run, the complex motions
  // of the centre of gravity (UOX, UOY, UOZ, EPOX, EPOY, EPOZ), whose moduli
  // are the response curves' values. Empty motions: no phases are known.
  std::vector<float> impedanceOmega, responseOmega;
  bool fullPrecision = false;
  std::array<std::vector<std::complex<float>>, 6> motion;
  bool HasPhases() const { return !motion[0].empty(); }

  // Reads a graphic data file written by the engine for a project with the
  // given MATRIX option (stiffness and damping pairs present), load type
  // (1 harmonic: response lines present; 2 transient; 3 random) and unit
  // system (1 English, 2 SI). Returns true when the whole file was read.
  // When the results file of the same run lies beside it (ResultsFile.hpp),
  // the curves take its numbers at full precision. A curve's x is the
  // frequency in Hz as the report converts it (rad/s × 0.5 / 3.14).
  // On failure the plots keep the records read completely before the fault;
  // the reader's message goes to `errorText` when given, and to the message
  // sink (Messages.hpp) when `showErrors` is set.
  bool ReadResultCurves(const QString& fileName, bool showErrors, bool matrix, int loadType, int unitSystem,
                        QString* errorText = nullptr);
};

}  // namespace terva::gui
