#include "gui/model/AmpSeries.hpp"

#include "gui/model/PltData.hpp"

#include <algorithm>
#include <cmath>
#include <complex>

namespace terva::gui {

std::array<double, 3> PointAmplitudes(const std::array<std::complex<double>, 6>& m, double c, double rx, double ry,
                                      double rz) {
  const std::complex<double> ux = c * m[0], uy = c * m[1], uz = c * m[2], tx = m[3], ty = m[4], tz = m[5];
  return {std::abs(ux + ty * rz - tz * ry), std::abs(uy + tz * rx - tx * rz), std::abs(uz + tx * ry - ty * rx)};
}

std::array<double, 3> PointAmplitudeBounds(const std::array<double, 6>& a, double c, double rx, double ry,
                                           double rz) {
  const double ux = a[0], uy = a[1], uz = a[2], tx = a[3], ty = a[4], tz = a[5];
  return {std::abs(c * ux) + std::abs(ty * rz) + std::abs(tz * ry),
          std::abs(c * uy) + std::abs(tz * rx) + std::abs(tx * rz),
          std::abs(c * uz) + std::abs(tx * ry) + std::abs(ty * rx)};
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
  for (size_t i = 0; i < n; ++i) {
    auto at = [i](const TGraphPlot& p, int line) { return static_cast<double>(p.Line(line).Points[i].Y); };
    s.Frequency.push_back(static_cast<double>(translation.Line(0).Points[i].X));
    if (rotationMode) {
      s.X.push_back(at(rotation, 0));
      s.Y.push_back(at(rotation, 1));
      s.Z.push_back(at(rotation, 2));
    } else {
      std::array<double, 3> u{};
      if (phases) {
        std::array<std::complex<double>, 6> m;
        for (size_t k = 0; k < m.size(); ++k) m[k] = std::complex<double>(plots.motion[k][i]);
        u = PointAmplitudes(m, c, rx, ry, rz);
      } else {
        u = PointAmplitudeBounds({at(translation, 0), at(translation, 1), at(translation, 2), at(rotation, 0),
                                  at(rotation, 1), at(rotation, 2)},
                                 c, rx, ry, rz);
      }
      s.X.push_back(u[0]);
      s.Y.push_back(u[1]);
      s.Z.push_back(u[2]);
    }
  }
  return s;
}

}  // namespace terva::gui
