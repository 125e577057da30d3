#include "gui/model/PltData.hpp"

#include "gui/model/ResultsExport.hpp"
#include "gui/model/ResultsFile.hpp"

#include "gui/core/Messages.hpp"
#include "gui/core/NumberFormat.hpp"
#include "gui/core/WordRead.hpp"
#include "gui/core/units.hpp"


#include <algorithm>
#include <array>

namespace terva::gui {

// ---------------------------------------------------------------------------
// TGraphPlot

TGraphPlot::TGraphPlot(QObject* parent) : QObject(parent) {}

TGraphPlot::~TGraphPlot() = default;

void TGraphPlot::SetCurveName(const QString& name) {
  curve_name_ = name;
  emit Changed();
}

void TGraphPlot::SetCaption(const QString& caption) {
  caption_ = caption;
  emit Changed();
}

void TGraphPlot::SetShowLegend(bool show) {
  show_legend_ = show;
  emit Changed();
}

void TGraphPlot::SetMarkers(int markers) {
  markers_ = std::max(0, markers);
  emit Changed();
}

void TGraphPlot::SetUnits(int units) {
  units_ = std::clamp(units, 1, 3);
  emit Changed();
}

void TGraphPlot::SetXCaption(const QString& caption) {
  x_caption_ = caption;
  emit Changed();
}

void TGraphPlot::SetXUnits(const QString& units) {
  x_units_ = units;
  emit Changed();
}

void TGraphPlot::SetXOnTop(bool on_top) {
  x_on_top_ = on_top;
  emit Changed();
}

void TGraphPlot::SetYCaption(const QString& caption) {
  y_caption_ = caption;
  emit Changed();
}

void TGraphPlot::SetYUnits(const QString& units) {
  y_units_ = units;
  emit Changed();
}

void TGraphPlot::SetGraphTitle(const QString& title, TTitleLocation location) {
  graph_title_ = title;
  title_location_ = location;
  emit Changed();
}

void TGraphPlot::SetDefaultNames(const QStringList& names) {
  default_names_ = names;
  emit Changed();
}

namespace {

QString AxisTitle(const QString& caption, const QString& unitTemplate, int units) {
  if (unitTemplate.isEmpty()) return caption;
  return caption + QStringLiteral(" (") + AxisUnitLabel(unitTemplate, units) + QStringLiteral(")");
}

}  // namespace

QString TGraphPlot::XAxisTitle() const { return AxisTitle(x_caption_, x_units_, units_); }

QString TGraphPlot::YAxisTitle() const { return AxisTitle(y_caption_, y_units_, units_); }

TLine& TGraphPlot::AddLine() {
  auto line = std::make_unique<TLine>();
  line->LineNumber = static_cast<double>(lines_.size() + 1);
  line->Owner = this;
  lines_.push_back(std::move(line));
  emit Changed();
  return *lines_.back();
}

TLine& TGraphPlot::AddLine(const TLine& source) {
  auto line = std::make_unique<TLine>(source);
  line->LineNumber = static_cast<double>(lines_.size() + 1);
  line->Owner = this;
  lines_.push_back(std::move(line));
  emit Changed();
  return *lines_.back();
}

void TGraphPlot::Reset(int count) {
  lines_.clear();
  for (int i = 0; i < count; ++i) {
    auto line = std::make_unique<TLine>();
    line->LineNumber = i + 1;
    line->Owner = this;
    lines_.push_back(std::move(line));
  }
  emit Changed();
}

QString TGraphPlot::DisplayName(int index) const {
  const TLine& line = Line(index);
  QString name;
  if (!line.Name.isEmpty()) name = line.Name;
  else if (index >= 0 && index < default_names_.size()) name = default_names_.at(index);
  else name = curve_name_ + FormatGeneral(line.LineNumber);
  if (!line.Source.isEmpty()) name += QStringLiteral(" (") + line.Source + QStringLiteral(")");
  return name;
}

void TGraphPlot::AddComparison(const TGraphPlot& other, const QString& source, const QString& ownSource) {
  for (const auto& line : lines_)
    if (!line->Compared) line->Source = ownSource;
  for (int i = 0; i < other.LineCount(); ++i) {
    TLine copy = other.Line(i);
    copy.Name = other.DisplayName(i);  // the other plot's default names are not this one's
    copy.Source = source;
    copy.Compared = true;
    copy.Shown = copy.Included = true;
    AddLine(copy);
  }
}

void TGraphPlot::RemoveComparison(const QString& source) {
  std::erase_if(lines_, [&](const std::unique_ptr<TLine>& line) {
    return line->Compared && (source.isEmpty() || line->Source == source);
  });
  for (size_t i = 0; i < lines_.size(); ++i) lines_[i]->LineNumber = static_cast<double>(i + 1);
  if (!HasComparison())
    for (const auto& line : lines_) line->Source.clear();
  emit Changed();
}

bool TGraphPlot::HasComparison() const {
  return std::any_of(lines_.begin(), lines_.end(), [](const auto& line) { return line->Compared; });
}

// ---------------------------------------------------------------------------
// TResultPlots

namespace {

struct TPlotLayout {
  const char* caption;
  const char* xCaption;
  const char* xUnits;
  const char* yCaption;
  const char* yUnits;
  bool xOnTop;
};

void Configure(TGraphPlot& plot, const TPlotLayout& layout) {
  plot.SetCaption(QString::fromLatin1(layout.caption));
  plot.SetXCaption(QString::fromLatin1(layout.xCaption));
  plot.SetXUnits(QString::fromLatin1(layout.xUnits));
  plot.SetYCaption(QString::fromLatin1(layout.yCaption));
  plot.SetYUnits(QString::fromLatin1(layout.yUnits));
  plot.SetXOnTop(layout.xOnTop);
}

constexpr TPlotLayout kTranslationalStiffness{"Translational Stiffnesses  (Real Part)", "Frequency (Hz)", "",
                                              "Translational Stiffness", "F/L2", false};
constexpr TPlotLayout kRotationalStiffness{"Rotational Stiffnesses  (Real Part)", "Frequency (Hz)", "",
                                           "Rotational Stiffness", "F-L2/radian", false};
constexpr TPlotLayout kTranslationalDamping{"Translational Damping Coefficient", "Frequencies", "Hz",
                                            "Translational Damping", "F-sec/L2-radian", true};
constexpr TPlotLayout kRotationalDamping{"Rotational Damping Coefficient", "Frequency (Hz)", "",
                                         "Rotational Damping", "F-L2-sec/radian2", false};
constexpr TPlotLayout kDisplacement{"Footing Response", "Frequency", "Hz", "Translational Amplitude", "L2", true};
constexpr TPlotLayout kRotation{"Footing Response", "Frequency", "Hz", "Rotational Amplitude", "rad.", true};
// The cross terms are read but never shown; they get a plain frequency axis.
constexpr TPlotLayout kCrossTerm{"", "Frequency (Hz)", "", "", "", false};

// Hz on the plots' frequency axis, as the report converts it.
long double PlotHz(float omega) { return static_cast<long double>(HzOf(omega)); }

}  // namespace

TResultPlots::TResultPlots() {
  for (TGraphPlot* plot : {&pltRealKXX, &pltRealKYY, &pltRealKWW}) Configure(*plot, kTranslationalStiffness);
  for (TGraphPlot* plot : {&pltRealKPPX, &pltRealKPPY, &pltRealKZT}) Configure(*plot, kRotationalStiffness);
  for (TGraphPlot* plot : {&pltDampCXX, &pltDampCYY, &pltDampCWW}) Configure(*plot, kTranslationalDamping);
  for (TGraphPlot* plot : {&pltDampCPPX, &pltDampCPPY, &pltDampCZT}) Configure(*plot, kRotationalDamping);
  for (TGraphPlot* plot : {&pltRealKXP, &pltRealKYP, &pltDampCXP, &pltDampCYP}) Configure(*plot, kCrossTerm);
  Configure(pltDxyzR, kDisplacement);
  Configure(pltMxyzR, kRotation);
}

std::vector<TGraphPlot*> TResultPlots::All() {
  return {&pltRealKXX,  &pltRealKPPX, &pltDampCXX,  &pltDampCPPX, &pltDxyzR,    &pltMxyzR,
          &pltRealKYY,  &pltRealKWW,  &pltRealKPPY, &pltRealKZT,  &pltRealKXP,  &pltRealKYP,
          &pltDampCYY,  &pltDampCWW,  &pltDampCPPY, &pltDampCZT,  &pltDampCXP,  &pltDampCYP};
}

namespace {

// One record of the file: the frequency and the values that follow it,
// stored as point j of one line in each target plot. A record is read whole
// before any plot is touched, so a fault inside it leaves every line with
// the same number of complete points.
template <size_t N>
void ReadRecord(TWordReader& reader, const std::array<TLine*, N>& targets, std::vector<float>* omegas) {
  const float omega = static_cast<float>(reader.ReadFloat());
  std::array<long double, N> values{};
  for (long double& value : values) value = reader.ReadFloat();
  const long double x = PlotHz(omega);
  for (size_t k = 0; k < N; ++k) targets[k]->Points.push_back({x, values[k]});
  if (omegas) omegas->push_back(omega);
}

// Every curve's points from the results file of the same run: x from its
// frequencies, y from its values; the lines keep their number of points.
template <size_t N>
void TakeFullPrecision(const std::array<TLine*, N>& targets, const std::vector<float>& omega,
                       const std::array<const std::vector<float>*, N>& values) {
  for (size_t k = 0; k < N; ++k) {
    std::vector<TFloatPoint>& points = targets[k]->Points;
    for (size_t j = 0; j < points.size() && j < omega.size(); ++j)
      points[j] = {PlotHz(omega[j]), static_cast<long double>((*values[k])[j])};
  }
}

void Merge(TGraphPlot& into, TGraphPlot& second, TGraphPlot& third, const QStringList& names) {
  into.Line(0).Name = names.at(0);
  second.Line(0).Name = names.at(1);
  third.Line(0).Name = names.at(2);
  into.AddLine(second.Line(0));
  into.AddLine(third.Line(0));
}

}  // namespace

bool TResultPlots::ReadResultCurves(const QString& fileName, bool showErrors, bool matrix, int loadType,
                                    int unitSystem, QString* errorText) {
  for (TGraphPlot* plot : All()) plot->Reset(1);
  pltDxyzR.Reset(3);
  pltMxyzR.Reset(3);
  impedanceOmega.clear();
  responseOmega.clear();
  fullPrecision = false;
  for (auto& m : motion) m.clear();

  const std::array<TLine*, 8> stiffness{&pltRealKXX.Line(0),  &pltRealKYY.Line(0), &pltRealKWW.Line(0),
                                        &pltRealKPPX.Line(0), &pltRealKPPY.Line(0), &pltRealKZT.Line(0),
                                        &pltRealKXP.Line(0),  &pltRealKYP.Line(0)};
  const std::array<TLine*, 8> damping{&pltDampCXX.Line(0),  &pltDampCYY.Line(0), &pltDampCWW.Line(0),
                                      &pltDampCPPX.Line(0), &pltDampCPPY.Line(0), &pltDampCZT.Line(0),
                                      &pltDampCXP.Line(0),  &pltDampCYP.Line(0)};
  const std::array<TLine*, 6> response{&pltDxyzR.Line(0), &pltDxyzR.Line(1), &pltDxyzR.Line(2),
                                       &pltMxyzR.Line(0), &pltMxyzR.Line(1), &pltMxyzR.Line(2)};

  bool success = false;
  try {
    TWordReader reader(fileName);
    const int count = reader.ReadInt();
    if (count > 1) {
      // The count comes from the file: reserve no more than the file can
      // hold, so that a damaged count cannot exhaust memory.
      const size_t capacity = static_cast<size_t>(std::min(count, reader.LineCount()));
      for (TLine* line : stiffness) line->Points.reserve(capacity);
      for (TLine* line : damping) line->Points.reserve(capacity);
      for (TLine* line : response) line->Points.reserve(capacity);

      // The results file of the same run, when there is one, gives every
      // curve's numbers at full precision: it belongs to this file when it
      // has the same frequencies (the first block read tells).
      TEngineResults full;
      const bool fullRead = ReadEngineResults(ResultsFileOf(fileName), full);
      auto belongs = [&](const std::vector<float>& printed) {
        fullPrecision = fullRead && ResultsMatch(full, count, printed);
        return fullPrecision;
      };
      if (matrix) {
        for (int j = 0; j < count; ++j) {
          ReadRecord(reader, stiffness, &impedanceOmega);
          reader.ReadLine();
          ReadRecord(reader, damping, nullptr);
        }
        if (belongs(impedanceOmega)) {
          std::array<const std::vector<float>*, 8> k{}, c{};
          for (size_t t = 0; t < 8; ++t) k[t] = &full.stiffness[t], c[t] = &full.damping[t];
          TakeFullPrecision(stiffness, full.omega, k);
          TakeFullPrecision(damping, full.omega, c);
          impedanceOmega = full.omega;
        }
        Merge(pltRealKXX, pltRealKYY, pltRealKWW, {"Kxx", "Kyy", "Kww"});
        Merge(pltRealKPPX, pltRealKPPY, pltRealKZT, {"Kppx", "Kppy", "Kzt"});
        Merge(pltDampCXX, pltDampCYY, pltDampCWW, {"Cxx", "Cyy", "Cww"});
        Merge(pltDampCPPX, pltDampCPPY, pltDampCZT, {"Cppx", "Cppy", "Czt"});
      }
      if (loadType == 1) {
        for (int j = 0; j < count; ++j) ReadRecord(reader, response, &responseOmega);
        if ((matrix ? fullPrecision : belongs(responseOmega)) && full.Harmonic()) {
          std::array<const std::vector<float>*, 6> a{};
          for (size_t d = 0; d < 6; ++d) a[d] = &full.amplitude[d];
          TakeFullPrecision(response, full.omega, a);
          responseOmega = full.omega;
          motion = full.motion;
        }
        if (pltDxyzR.LineCount() == 3) {
          pltDxyzR.Line(0).Name = QStringLiteral("X-Dir.");
          pltDxyzR.Line(1).Name = QStringLiteral("Y-Dir.");
          pltDxyzR.Line(2).Name = QStringLiteral("Z-Dir.");
        }
        if (pltMxyzR.LineCount() == 3) {
          pltMxyzR.Line(0).Name = QStringLiteral("About X-Dir.");
          pltMxyzR.Line(1).Name = QStringLiteral("About Y-Dir.");
          pltMxyzR.Line(2).Name = QStringLiteral("About Z-Dir");
        }
      }
      if (!matrix && loadType != 1) belongs({});  // a run without curves: the count alone
      for (TGraphPlot* plot : All()) plot->SetUnits(unitSystem);
    }
    success = true;
  } catch (const TError& error) {
    if (errorText) *errorText = error.Message();
    if (showErrors) ShowMessage(TMessageKind::Information, QString(), error.Message());
  }
  for (TGraphPlot* plot : All()) plot->NotifyChanged();
  return success;
}

}  // namespace terva::gui
