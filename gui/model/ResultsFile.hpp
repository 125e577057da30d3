// The engine's results file (".tvj" beside the project): every number of a
// run at the engine's own single precision, with the phases of the harmonic
// response. The graphic data file (".tvp") carries the same curves with three
// to five significant digits; where a results file that belongs to the
// graphic data file is there, every reader of results takes its numbers from
// it. A JSON document; its keys are listed in the engine's results writer and
// in the README.
#pragma once

#include <QString>

#include <array>
#include <complex>
#include <vector>

namespace terva::gui {

struct TEngineResults {
  static constexpr int kTerms = 8;
  static constexpr int kDof = 6;
  QString title, foundation, load;  // "HALF-SPACE", "harmonic" ...
  std::vector<float> omega;         // rad/s of every frequency
  std::array<std::vector<float>, kTerms> stiffness, damping;  // Kxx ... Kyp, Cxx ... Cyp
  // harmonic loads: the amplitudes and the complex motions (UOX ... EPOZ); empty otherwise
  std::array<std::vector<float>, kDof> amplitude;
  std::array<std::vector<std::complex<float>>, kDof> motion;

  bool Harmonic() const { return !motion[0].empty(); }
};

// The results file of a project, report or graphic data file: the same name
// with ".tvj".
QString ResultsFileOf(const QString& path);

// Reads a results file. Values written as null (no finite number) read as
// NaN. False, with `error` saying why, when the file is missing, is no
// results file of this version, or its lists do not agree in length.
bool ReadEngineResults(const QString& path, TEngineResults& results, QString* error = nullptr);

// Whether a results file belongs to the graphic data file of the same run:
// the same number of frequencies, and every frequency the graphic data file
// holds (`printed`, rad/s as it prints them; empty when it holds none) equal
// to the results file's within the printed digits. A results file left by an
// earlier run beside newer graphic data fails this.
bool ResultsMatch(const TEngineResults& results, int count, const std::vector<float>& printed);

}  // namespace terva::gui
