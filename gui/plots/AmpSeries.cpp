#include "gui/plots/AmpSeries.hpp"

#include "gui/model/PltData.hpp"

#include <algorithm>
#include <cmath>
#include <complex>

namespace terva::gui {

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

}  // namespace terva::gui
