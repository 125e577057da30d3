#include "gui/model/GeometryFile.hpp"

#include <QFile>
#include <QStringList>

#include <cmath>

namespace terva::gui {
namespace {

// Counts larger than these are damage, not data.
constexpr int kMaxPiles = 10000;
constexpr int kMaxRows = 10000;

struct TDamaged {
  QString what;
};

class TLineReader {
 public:
  explicit TLineReader(const QByteArray& text) {
    for (QString line : QString::fromLatin1(text).split(u'\n')) {
      if (line.endsWith(u'\r')) line.chop(1);
      lines_.append(line);
    }
    while (!lines_.isEmpty() && lines_.last().trimmed().isEmpty()) lines_.removeLast();
  }

  bool AtEnd() const { return next_ >= lines_.size(); }
  QString Peek() const { return AtEnd() ? QString() : lines_[next_].trimmed(); }
  QString Word(const char* expected) {
    if (AtEnd()) Fail(QStringLiteral("the file ends where %1 was expected").arg(QLatin1String(expected)));
    return lines_[next_++].trimmed();
  }
  // The numbers of the next line: at least `count` of them.
  std::vector<double> Numbers(int count, const char* expected) {
    const QString line = Word(expected);
    const QStringList items = line.split(u' ', Qt::SkipEmptyParts);
    if (items.size() < count) Fail(QStringLiteral("%1 expected, found \"%2\"").arg(QLatin1String(expected), line), -1);
    std::vector<double> values;
    for (const QString& item : items) {
      bool ok = false;
      const double value = item.toDouble(&ok);
      if (!ok || !std::isfinite(value))
        Fail(QStringLiteral("%1 expected, found \"%2\"").arg(QLatin1String(expected), line), -1);
      values.push_back(value);
    }
    return values;
  }
  int Count(int max, const char* expected) {
    const double value = Numbers(1, expected)[0];
    if (value < 0 || value > max || value != std::floor(value))
      Fail(QStringLiteral("%1 expected, found %2").arg(QLatin1String(expected)).arg(value), -1);
    return static_cast<int>(value);
  }
  [[noreturn]] void Fail(const QString& what, int back = 0) const {
    throw TDamaged{QStringLiteral("Line %1: %2.").arg(next_ + back + 1).arg(what)};
  }

 private:
  QStringList lines_;
  int next_ = 0;
};

TGeometryFile Read(TLineReader& in) {
  TGeometryFile g;
  const QString shape = in.Word("CIRCULAR or RECTANGULAR");
  if (shape == QLatin1String("CIRCULAR")) g.circular = true;
  else if (shape != QLatin1String("RECTANGULAR")) in.Fail(QStringLiteral("CIRCULAR or RECTANGULAR expected"), -1);
  const std::vector<double> size = in.Numbers(3, "the footing's dimensions");
  g.length = size[0];
  g.width = size[1];
  g.thickness = size[2];
  if (g.length < 0 || g.width < 0 || g.thickness < 0) in.Fail(QStringLiteral("negative footing dimension"), -1);

  const int piles = in.Count(kMaxPiles, "the pile count");
  // A pile foundation writes its pile block even without piles.
  if (piles > 0 || in.Peek() != QLatin1String("SOIL")) {
    g.pileLength = in.Numbers(1, "the pile length")[0];
    for (int i = 0; i < piles; ++i) {
      const std::vector<double> p = in.Numbers(3, "a pile's number and coordinates");
      g.piles.push_back({static_cast<int>(p[0]), p[1], p[2], 0, 0.0});
    }
    if (in.Word("ELEMENT") != QLatin1String("ELEMENT")) in.Fail(QStringLiteral("ELEMENT expected"), -1);
    const int elements = in.Count(kMaxRows, "the element count");
    for (int i = 0; i < elements; ++i) {
      const std::vector<double> e = in.Numbers(4, "a pile element");
      g.elements.push_back({e[1], e[2], e[3]});
    }
    if (in.Peek() == QLatin1String("BATTERED")) {
      in.Word("BATTERED");
      for (TGeometryFile::Pile& pile : g.piles) {
        const std::vector<double> b = in.Numbers(3, "a pile's batter plane and angle");
        if (b[1] != 0 && b[1] != 90) in.Fail(QStringLiteral("batter plane 0 or 90 expected"), -1);
        pile.planeDegrees = static_cast<int>(b[1]);
        pile.angle = b[2];
      }
    }
  }
  if (in.Word("SOIL") != QLatin1String("SOIL")) in.Fail(QStringLiteral("SOIL expected"), -1);
  g.foundation = in.Word("the foundation type");
  if (in.AtEnd()) return g;  // a type without layers
  const int layers = in.Count(kMaxRows, "the layer count");
  in.Count(kMaxRows + 2, "the line count");
  for (int i = 0; i < layers; ++i) {
    const double h = in.Numbers(2, "a layer's number and thickness")[1];
    if (h < 0) in.Fail(QStringLiteral("negative layer thickness"), -1);
    g.layers.push_back(h);
  }
  g.soilDepth = in.Numbers(2, "the soil block's depth")[1];
  in.Numbers(2, "the last soil line");
  return g;
}

}  // namespace

std::optional<TGeometryFile> ReadGeometryFile(const QByteArray& text, QString* error) {
  TLineReader in(text);
  try {
    return Read(in);
  } catch (const TDamaged& damaged) {
    if (error) *error = QStringLiteral("The geometry file is damaged. %1").arg(damaged.what);
    return std::nullopt;
  }
}

std::optional<TGeometryFile> ReadGeometryFilePath(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    if (error) *error = QStringLiteral("The geometry file \"%1\" cannot be read: %2").arg(path, file.errorString());
    return std::nullopt;
  }
  const std::optional<TGeometryFile> read = ReadGeometryFile(file.read(16 * 1024 * 1024), error);
  if (!read && error) *error = QStringLiteral("%1 (%2)").arg(*error, path);
  return read;
}

QString GeometryFileOfRunList(const QByteArray& text, QString* error) {
  QStringList lines = QString::fromLocal8Bit(text).split(u'\n');
  if (lines.size() >= 5) {
    QString name = lines[4];
    while (!name.isEmpty() && name.back().isSpace()) name.chop(1);
    if (!name.isEmpty()) return name;
  }
  if (error) *error = QStringLiteral("The run file list \"names.dat\" does not name a geometry file (fifth line).");
  return {};
}

}  // namespace terva::gui
