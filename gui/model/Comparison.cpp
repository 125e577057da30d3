#include "gui/model/Comparison.hpp"

#include "gui/model/ResultsFile.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace terva::gui {

namespace {

// The path with another extension (the last one replaced).
QString Sibling(const QString& path, const QString& extension) {
  const QFileInfo info(path);
  return info.dir().filePath(info.completeBaseName() + extension);
}

// The words of a line of an engine input: blanks, commas and '=' separate
// them; '$' starts a comment to the end of the line.
QStringList InputWords(const QByteArray& text) {
  QStringList words;
  for (const QByteArray& rawLine : text.split('\n')) {
    QByteArray line = rawLine;
    const qsizetype comment = line.indexOf('$');
    if (comment >= 0) line.truncate(comment);
    static const QRegularExpression separators(QStringLiteral("[\\s,=]+"));
    for (const QString& w : QString::fromLatin1(line).split(separators, Qt::SkipEmptyParts)) words << w.toUpper();
  }
  return words;
}

// The run kind from a results file alone: its load, its unit labels, and
// whether the graphic data file beside it holds stiffness lines (one more
// pair of lines per frequency than the response lines account for).
bool RunKindOfResults(const QString& results, const QString& graphic, TRunKind& kind, QString* error) {
  QFile file(results);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
  if (root.value(QStringLiteral("format")).toString() != QLatin1String("terva-engine-results")) return false;
  const QString load = root.value(QStringLiteral("load")).toString();
  kind.LoadType = load == QLatin1String("harmonic") ? 1 : load == QLatin1String("transient") ? 2 : 3;
  const QString length = root.value(QStringLiteral("units")).toObject().value(QStringLiteral("length")).toString();
  kind.Units = length.trimmed().toUpper().startsWith(QLatin1String("FT")) ? 1 : 2;
  QFile tvp(graphic);
  if (!tvp.open(QIODevice::ReadOnly | QIODevice::Text)) {
    if (error) *error = QStringLiteral("%1 cannot be read").arg(graphic);
    return false;
  }
  int lines = 0, count = -1;
  while (!tvp.atEnd()) {
    const QByteArray line = tvp.readLine().trimmed();
    if (line.isEmpty()) continue;
    if (count < 0) count = line.toInt();
    ++lines;
  }
  const int response = kind.LoadType == 1 ? count : 0;
  kind.Matrix = count > 0 && lines - 1 - response >= 2 * count;
  return true;
}

}  // namespace

bool RunKindOfInput(const QByteArray& text, TRunKind& kind) {
  bool load = false, gravity = false, titleNext = false;
  kind.Matrix = false;
  for (const QByteArray& line : text.split('\n')) {
    // A keyword opens its line; the line after a bare TITLE is the title.
    const QStringList words = InputWords(line);
    if (titleNext) {
      titleNext = false;
      continue;
    }
    if (words.isEmpty()) continue;
    const QString key = words[0].left(4);
    const QString next = words.size() > 1 ? words[1] : QString();
    if (key == QLatin1String("TITL")) {
      titleNext = words.size() == 1;
    } else if (key == QLatin1String("MATR")) {
      kind.Matrix = true;
    } else if (key == QLatin1String("LOAD") && !load) {
      const QString type = next.left(4);
      kind.LoadType = type == QLatin1String("TRAN") ? 2 : type == QLatin1String("RAND") ? 3 : 1;
      load = true;
    } else if (key == QLatin1String("GRAV") && !gravity) {
      bool ok = false;
      const double g = next.toDouble(&ok);
      if (ok) {
        kind.Units = g > 10.0 ? 1 : 2;
        gravity = true;
      }
    }
  }
  return load && gravity;
}

bool ReadComparison(const QString& path, int units, TComparison& comparison, QString* error) {
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  const QFileInfo chosen(path);
  const QString suffix = chosen.suffix().toLower();
  const bool resultFile = suffix == QLatin1String("tvp") || suffix == QLatin1String("tvj");
  const QString graphic = Sibling(path, QStringLiteral(".tvp"));
  const QString project = resultFile ? Sibling(path, QStringLiteral(".tvd")) : path;
  if (!QFileInfo(graphic).isFile())
    return fail(QStringLiteral("%1 has no results: %2 is missing (run that project first)")
                    .arg(chosen.fileName(), QFileInfo(graphic).fileName()));
  TRunKind kind;
  QFile input(project);
  const bool known = input.open(QIODevice::ReadOnly) && RunKindOfInput(input.read(4 << 20), kind);
  if (!known && !RunKindOfResults(ResultsFileOf(graphic), graphic, kind, error))
    return fail(QStringLiteral("what kind of run made %1 is unknown: neither its project file nor its results file "
                               "can be read")
                    .arg(QFileInfo(graphic).fileName()));
  if (kind.Units != units)
    return fail(QStringLiteral("%1 is in %2 units and the open project in %3 units; compare projects of the same units")
                    .arg(chosen.fileName(), kind.Units == 1 ? QStringLiteral("English") : QStringLiteral("SI"),
                         units == 1 ? QStringLiteral("English") : QStringLiteral("SI")));
  auto plots = std::make_unique<TResultPlots>();
  QString why;
  if (!plots->ReadResultCurves(graphic, false, kind.Matrix, kind.LoadType, kind.Units, &why))
    return fail(QStringLiteral("%1 cannot be read: %2").arg(QFileInfo(graphic).fileName(), why));
  comparison.Path = chosen.absoluteFilePath();
  comparison.Name = QFileInfo(resultFile ? project : path).fileName();
  comparison.Kind = kind;
  comparison.Plots = std::move(plots);
  return true;
}

void ApplyComparison(TResultPlots& plots, const TComparison& comparison, const QString& ownName, bool add) {
  const std::vector<TGraphPlot*> own = plots.All();
  const std::vector<TGraphPlot*> other = comparison.Plots->All();
  for (size_t k = 0; k < own.size() && k < other.size(); ++k) {
    if (!add) {
      own[k]->RemoveComparison(comparison.Name);
      continue;
    }
    if (other[k]->LineCount() == 0 || other[k]->Line(0).PointCount() < 2) continue;
    own[k]->AddComparison(*other[k], comparison.Name, ownName);
  }
}

}  // namespace terva::gui
