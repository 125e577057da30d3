// Comparing designs: the result curves of other projects shown beside the
// open project's. A compared project is read from its results: the graphic
// data file (".tvp") and, beside it, the results file (".tvj") that gives
// the curves their full precision. What kind of run made them (stiffness
// and damping printed or not, the load type, the unit system) is read from
// the project file of the same name; without one, from the results file.
// Nothing of the open project changes.
#pragma once

#include "gui/model/PltData.hpp"

#include <QString>

#include <memory>
#include <vector>

namespace terva::gui {

// What the graphic data file of a run holds and in which units.
struct TRunKind {
  bool Matrix = true;  // stiffness and damping lines present
  int LoadType = 1;    // 1 harmonic, 2 transient, 3 random
  int Units = 1;       // 1 English, 2 SI
};

// The run kind of an engine input text: MATRIX, LOAD= and GRAVITY= (a value
// above 10 is English), the keywords known by their first four letters, as
// the engine knows them, each at the start of its line (the title line is
// skipped). False when the text has no LOAD or no GRAVITY.
bool RunKindOfInput(const QByteArray& text, TRunKind& kind);

struct TComparison {
  QString Path;  // the project (or results) file the user chose
  QString Name;  // its file name, as the legend shows it
  TRunKind Kind;
  std::unique_ptr<TResultPlots> Plots;
  // The compared project's centre of gravity (Xc, Yc, Zc in its units),
  // when its project file could be read; the amplitude plot measures the
  // reference point from it.
  bool HasCentre = false;
  double Centre[3] = {0, 0, 0};
};

// Reads another project's results for comparison with a project in unit
// system `units`. `path` may be the project file, its graphic data file or
// its results file. False, with the reason in `error`, when no results are
// there, they cannot be read, or they are in the other unit system.
bool ReadComparison(const QString& path, int units, TComparison& comparison, QString* error = nullptr);

// Adds (or, with `add` false, removes) the curves of a comparison to every
// plot of `plots`; `ownName` marks the open project's curves.
void ApplyComparison(TResultPlots& plots, const TComparison& comparison, const QString& ownName, bool add);

}  // namespace terva::gui
