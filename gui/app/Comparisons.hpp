// Comparing designs: the other projects whose result curves the result
// plots show beside the open project's, each named with its project's file
// name. Nothing of the open project changes.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "gui/model/Comparison.hpp"
#include "gui/plots/AmpPlot.hpp"

namespace terva::gui {

class TProgramData;

class TComparisons {
 public:
  explicit TComparisons(TResultPlots& plots) : plots_(plots) {}

  // Adds the curves of another project's results (its project, graphic
  // data or results file) to the plots; false with a message when they
  // cannot be read or are the open project's own.
  bool Add(const QString& path, const TProgramData& project);
  // Takes the curves of `name` (all when empty) out of the plots.
  void Remove(const QString& name = QString());
  QStringList Names() const;
  bool Empty() const { return compared_.empty(); }
  const TComparison& Last() const { return compared_.back(); }
  // Forgets them all (the plots were reset: a new or opened project).
  void Clear() { compared_.clear(); }
  // After the plots were read again: those in other units go, the others'
  // curves go back beside the new ones.
  void Reapply(const TProgramData& project);
  // The harmonic ones for the amplitude plot, each from its own centre of
  // gravity (the open project's when its project file could not be read).
  std::vector<TComparedResponse> Responses(const TProgramData& project) const;

 private:
  TResultPlots& plots_;
  std::vector<TComparison> compared_;
};

}  // namespace terva::gui
