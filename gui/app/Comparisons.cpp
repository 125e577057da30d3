#include "gui/app/Comparisons.hpp"

#include <QFileInfo>

#include "gui/core/EngineRunner.hpp"
#include "gui/core/Messages.hpp"
#include "gui/files/ProjectReader.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"

namespace terva::gui {

bool TComparisons::Add(const QString& path, const TProgramData& project) {
  TComparison comparison;
  QString error;
  if (!ReadComparison(path, project.Units, comparison, &error)) {
    ShowMessage(TMessageKind::Error, QStringLiteral("Add Results for Comparison"),
                QStringLiteral("The results cannot be compared: %1.").arg(error));
    return false;
  }
  if (QFileInfo(comparison.Path) == QFileInfo(project.FileName) ||
      comparison.Name == QFileInfo(project.FileName).fileName()) {
    ShowMessage(TMessageKind::Information, QStringLiteral("Add Results for Comparison"),
                QStringLiteral("%1 is the open project's own file name; its curves are already shown.")
                    .arg(comparison.Name));
    return false;
  }
  // The compared project's centre of gravity, for the amplitude plot, when
  // the program can open its project file (an engine input too).
  const QString projectFile = WithExtension(comparison.Path, QStringLiteral(".tvd"));
  if (QFileInfo(projectFile).isFile()) {
    TProjectTables tables;
    const TLoadResult loaded = OpenProjectFile(projectFile, tables);
    if (loaded.status == TLoadResult::kComplete && loaded.project) {
      comparison.HasCentre = true;
      comparison.Centre[0] = static_cast<double>(loaded.project->Xc);
      comparison.Centre[1] = static_cast<double>(loaded.project->Yc);
      comparison.Centre[2] = static_cast<double>(loaded.project->Zc);
    }
  }
  Remove(comparison.Name);  // added again: the newer results replace the older
  ApplyComparison(plots_, comparison, QFileInfo(project.FileName).fileName(), true);
  compared_.push_back(std::move(comparison));
  return true;
}

void TComparisons::Remove(const QString& name) {
  for (auto it = compared_.begin(); it != compared_.end();) {
    if (!name.isEmpty() && it->Name != name) {
      ++it;
      continue;
    }
    ApplyComparison(plots_, *it, QString(), false);
    it = compared_.erase(it);
  }
}

QStringList TComparisons::Names() const {
  QStringList names;
  for (const TComparison& c : compared_) names << c.Name;
  return names;
}

void TComparisons::Reapply(const TProgramData& project) {
  std::erase_if(compared_, [&project](const TComparison& c) { return c.Kind.Units != project.Units; });
  for (const TComparison& c : compared_) ApplyComparison(plots_, c, QFileInfo(project.FileName).fileName(), true);
}

std::vector<TComparedResponse> TComparisons::Responses(const TProgramData& project) const {
  std::vector<TComparedResponse> compared;
  for (const TComparison& c : compared_) {
    if (c.Kind.LoadType != 1) continue;
    TComparedResponse r{c.Name, c.Plots.get(), {}};
    for (int k = 0; k < 3; ++k)
      r.Centre[k] = c.HasCentre ? c.Centre[k]
                                : static_cast<double>(k == 0 ? project.Xc : k == 1 ? project.Yc : project.Zc);
    compared.push_back(r);
  }
  return compared;
}

}  // namespace terva::gui
