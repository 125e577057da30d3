#include "gui/model/ProjectWriter.hpp"

#include "gui/Table.hpp"
#include "gui/WordRead.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"

#include <QStringList>

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace terva::gui {

namespace {

// The engine reads the first 80 characters of a line.
constexpr int kEngineLineWidth = 80;
// A weak-zone ratio at most this marks the row as weakened.
constexpr long double kWeakThreshold = 0.999999L;
constexpr long double kMultilayerWeakThreshold = 0.99999L;
// Harmonic frequencies go to the engine in rad/s, converted with 6.28.
constexpr long double kHertzToRadians = 6.28L;
// Values of smaller magnitude count as zero for the option checks.
constexpr long double kOptionTolerance = 1e-7L;
constexpr long double kLengthTolerance = 1e-5L;
constexpr long double kMassTolerance = 1e-8L;

// Digits and decimal exponent of a value rounded to `precision` + 1
// significant digits, independent of the locale.
struct Decimal {
  bool negative = false;
  QString digits;  // without the point, precision + 1 of them
  int exponent = 0;
};

Decimal ToDecimal(long double value, int precision) {
  char buffer[128];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, precision);
  const QString text = QString::fromLatin1(buffer, static_cast<qsizetype>(result.ptr - buffer));
  Decimal decimal;
  qsizetype pos = 0;
  if (text.startsWith(u'-')) {
    decimal.negative = true;
    pos = 1;
  }
  const qsizetype e = text.indexOf(u'e');
  for (qsizetype i = pos; i < e; ++i)
    if (text.at(i) != u'.') decimal.digits += text.at(i);
  decimal.exponent = text.mid(e + 1).toInt();
  return decimal;
}

void RequireFinite(long double value) {
  if (!std::isfinite(value))
    throw TError("The project holds a value that is not a finite number; it cannot be saved.");
}

QString Int(long long value) { return QString::number(value); }

// One file's text, line by line, with CR LF line ends.
class TLines {
 public:
  void Line(const QString& text) {
    text_ += text;
    text_ += QStringLiteral("\r\n");
  }

  // Values separated by blanks, or each followed by a blank. A line that
  // would be longer than the engine reads goes on over further lines (the
  // engine and the reader take numbers across line ends).
  void Values(const QStringList& values, bool eachFollowedByBlank) {
    const QString end = eachFollowedByBlank ? QStringLiteral(" ") : QString();
    QString line;
    for (const QString& value : values) {
      if (!line.isEmpty() && line.size() + 1 + value.size() + end.size() > kEngineLineWidth) {
        Line(line + end);
        line.clear();
      }
      if (!line.isEmpty()) line += u' ';
      line += value;
    }
    Line(line + end);
  }

  QByteArray Bytes() const { return text_.toUtf8(); }

 private:
  QString text_;
};

// Cell access that reads a missing row as a default cell (0).
long double Cell(const TGridTable* table, int column, int row) {
  if (table == nullptr || row < 0 || row >= table->RowCount() || column >= table->ColumnCount()) return 0.0L;
  const long double value = table->Column(column)->GetReal(row);
  RequireFinite(value);
  return value;
}

int Choice(const TGridTable* table, int column, int row) {
  if (table == nullptr || row < 0 || row >= table->RowCount() || column >= table->ColumnCount()) return 0;
  return table->Column(column)->GetInteger(row);
}

int Rows(const TGridTable* table) { return table == nullptr ? 0 : table->RowCount(); }

void CheckCount(long long count, long long limit, const QString& what) {
  if (count > limit)
    throw TError(QStringLiteral("%1 has %2 rows; a project file holds at most %3.").arg(what).arg(count).arg(limit));
}

// i and the row's cells, separated by blanks.
QStringList PlainRow(int number, const TGridTable* table, int row, int cells) {
  QStringList values{Int(number)};
  for (int c = 0; c < cells; ++c) values << FormatReal(Cell(table, c, row));
  return values;
}

// The value that the file will hold: the written text read back.
double AsWritten(long double value) {
  const QByteArray text = FormatReal(value).toLatin1();
  double written = 0.0;
  std::from_chars(text.constData(), text.constData() + text.size(), written);
  return written;
}

// i, [h,] Vs, gamma, nu, beta, r, nu, 2 beta, w. The indicator follows the
// ratio as written, so that a reloaded project writes the same indicator.
QStringList WeakRow(int number, const TGridTable* table, int row, bool thickness, long double threshold) {
  QStringList values{Int(number)};
  int c = 0;
  if (thickness) values << FormatReal(Cell(table, c++, row));
  const long double vs = Cell(table, c, row);
  const long double gamma = Cell(table, c + 1, row);
  const long double nu = Cell(table, c + 2, row);
  const long double beta = Cell(table, c + 3, row);
  const long double ratio = Cell(table, c + 4, row);
  values << FormatReal(vs) << FormatReal(gamma) << FormatReal(nu) << FormatReal(beta) << FormatReal(ratio)
         << FormatReal(nu) << FormatReal(2.0L * beta) << FormatReal(AsWritten(ratio) <= static_cast<double>(threshold) ? 1.0L : 0.0L);
  return values;
}

bool AnyAbove(const TGridTable* table, int column, long double tolerance) {
  for (int r = 0; r < Rows(table); ++r)
    if (std::fabs(Cell(table, column, r)) > tolerance) return true;
  return false;
}

QString TitleLine(const QString& title) {
  // The title is one line of the file: a line break in it would end it.
  QString line = title;
  for (QChar& c : line)
    if (c == u'\r' || c == u'\n') c = u' ';
  return line;
}

// A load history or spectrum: exactly `points` values, one per line; a
// table with fewer rows gives zeros for the rest.
void WriteHistory(TLines& out, const TGridTable* nested, int points) {
  for (int r = 0; r < points; ++r) out.Values({FormatReal(Cell(nested, 0, r))}, true);
}

}  // namespace

QString FormatReal(long double value) {
  RequireFinite(value);
  if (value == 0.0L) return QStringLiteral("0");
  const Decimal d = ToDecimal(value, 7);
  QString digits = d.digits;
  while (digits.size() > 1 && digits.endsWith(u'0')) digits.chop(1);
  QString text = d.negative ? QStringLiteral("-") : QString();
  if (d.exponent >= -5 && d.exponent <= 7) {
    if (d.exponent >= 0) {
      const int whole = d.exponent + 1;
      QString integer = digits.left(whole);
      while (integer.size() < whole) integer += u'0';
      text += integer;
      if (digits.size() > whole) text += u'.' + digits.mid(whole);
    } else {
      text += QStringLiteral("0.") + QString(-d.exponent - 1, u'0') + digits;
    }
  } else {
    text += digits.left(1);
    if (digits.size() > 1) text += u'.' + digits.mid(1);
    text += u'E' + QString::number(d.exponent);
  }
  return text;
}

QString FormatWide(long double value) {
  RequireFinite(value);
  if (value == 0.0L) value = 0.0L;  // no sign for a negative zero
  const Decimal d = ToDecimal(value, 14);
  QString text = d.negative ? QStringLiteral("-") : QStringLiteral(" ");
  text += d.digits.left(1) + u'.' + d.digits.mid(1);
  text += u'E';
  text += d.exponent < 0 ? u'-' : u'+';
  text += QStringLiteral("%1").arg(std::abs(d.exponent), 4, 10, QLatin1Char('0'));
  return text;
}

QString GeometryFileNameOf(const QString& fileName) {
  const qsizetype slash = std::max(fileName.lastIndexOf(u'/'), fileName.lastIndexOf(u'\\'));
  const qsizetype dot = fileName.lastIndexOf(u'.');
  const QString base = dot > slash ? fileName.left(dot) : fileName;
  return base + QStringLiteral(".tvt");
}

QByteArray ProjectFileText(TProgramData& data, const TProjectTables& tables) {
  const QString F = data.Foundation;
  const int type = FoundationCodeOf(F);
  const bool pile = type == kPile, multilayer = type == kMultilayer;
  const bool halfSpace = type == kHalfSpace, stratum = type == kStratum;
  const TGridTable* D = tables.D();
  const TGridTable* D1 = tables.D1();
  const TGridTable* PileData = tables.PileData();
  const TGridTable* Pilecoord = tables.Pilecoord();
  const TGridTable* MultiElement = tables.MultiElement();
  const TGridTable* Multisoil = tables.Multisoil();
  const TGridTable* pilecapsoil = tables.pilecapsoil();
  const TGridTable* MassCal = tables.MassCal();

  for (const TGridTable* table : tables.All())
    if (table != tables.TLoadtype() && table != tables.Trandom()) CheckCount(Rows(table), kMaxFileRows, table->Caption());
  CheckCount(Rows(tables.TLoadtype()), kMaxLoadRows, tables.TLoadtype()->Caption());
  CheckCount(Rows(tables.Trandom()), kMaxLoadRows, tables.Trandom()->Caption());
  if ((data.LoadType == kTransientLoad || data.LoadType == kRandomLoad) && data.PointCount > kMaxPointCount)
    throw TError(QStringLiteral("The number of points (%1) is larger than a project file holds (%2).")
                     .arg(data.PointCount)
                     .arg(kMaxPointCount));

  TLines out;
  auto R = [](long double value) { return FormatReal(value); };

  out.Line(QStringLiteral("TITLE=") + TitleLine(data.Title));
  if (data.Matrix == 1) out.Line(QStringLiteral("MATRIX"));
  out.Line(data.Units == 1 ? QStringLiteral("GRAVITY=32.2") : QStringLiteral("GRAVITY=9.8"));
  out.Line(QStringLiteral("FOUNDATION=") + F);
  if (data.Circular != 0)
    out.Line(QStringLiteral("CIRCULAR=") + R(data.Radius));
  else
    out.Line(QStringLiteral("RECTANGULAR=") + R(data.Length) + u',' + R(data.Width));
  out.Line(QStringLiteral("MASS "));
  {
    QStringList mass;
    for (long double value : data.MassConstants) mass << R(value);
    out.Values(mass, false);
  }

  if (pile) {
    out.Line(QStringLiteral("LAYERS=") + Int(Rows(PileData)));
    out.Line((data.PileHeadFixed == 1 ? QStringLiteral("FIXED=") : QStringLiteral("PINNED=")) + Int(Rows(Pilecoord)));
    for (int r = 0; r < Rows(Pilecoord); ++r)
      out.Values({Int(r + 1), R(Cell(Pilecoord, 0, r)), R(Cell(Pilecoord, 1, r))}, true);
  }
  if (multilayer) out.Line(QStringLiteral("LAYER=") + Int(Rows(MultiElement)));

  out.Line(QStringLiteral("CONSTANTS "));
  if (halfSpace) {
    out.Values({R(data.Xc), R(data.Yc), R(data.Zc)}, true);
  } else if (stratum) {
    out.Values({R(data.Xc), R(data.Yc), R(data.Zc), R(data.BaseDepth), R(data.BedrockDepth)}, true);
  } else if (pile || multilayer) {
    out.Values({R(data.Xc), R(data.Yc), R(data.Zc), R(data.PileLength), R(data.PileUnitWeight)}, true);
    out.Values({R(data.StaticLoad), R(data.PilePoisson), R(data.PileDamping), R(data.ShearCoefficient),
                R(data.PileModulus)},
               false);
  }

  if (multilayer) {
    out.Line(QStringLiteral("ELEMENT"));
    for (int r = 0; r < Rows(MultiElement); ++r) out.Values(PlainRow(r + 1, MultiElement, r, 7), false);
  }

  if (pile) {
    out.Line(QStringLiteral("ELEMENT"));
    for (int r = 0; r < Rows(PileData); ++r) out.Values(PlainRow(r + 1, PileData, r, 7), false);
    out.Line(data.EndBearing == 1 ? QStringLiteral("END-BEARING") : QStringLiteral("FLOATING"));
    if (AnyAbove(Pilecoord, 2, kOptionTolerance)) data.Battered = true;
    if (data.Battered) {
      out.Line(QStringLiteral("BATTERED"));
      for (int r = 0; r < Rows(Pilecoord); ++r) {
        // A pile whose plane was never chosen is battered in the XZ plane.
        const QString plane = Choice(Pilecoord, 3, r) == 2 ? QStringLiteral("YZ  ") : QStringLiteral("XZ  ");
        out.Line(Int(r + 1) + u' ' + plane);
        out.Values({R(Cell(Pilecoord, 2, r))}, true);
      }
    }
    if (data.Interaction == 1) out.Line(QStringLiteral("INTERACTION "));
  }

  out.Line(QStringLiteral("SOIL "));
  if (stratum) out.Line(QStringLiteral("CONSTANTS "));
  if (multilayer) {
    if (Rows(D) >= 1) out.Line(QStringLiteral("WEAK "));
    out.Line(QStringLiteral("CONSTANTS=") + Int(Rows(D)));
  }
  if (halfSpace) {
    if (AnyAbove(D1, 5, kOptionTolerance)) data.Weak = true;
    if (data.Weak) out.Line(QStringLiteral("WEAK "));
    out.Line(QStringLiteral("CONSTANTS=") + Int(Rows(D1)));
    for (int r = 0; r < Rows(D1); ++r)
      out.Values(data.Weak ? WeakRow(r + 1, D1, r, true, kWeakThreshold) : PlainRow(r + 1, D1, r, 5), false);
  }
  if (pile) {
    out.Line(QStringLiteral("WEAK"));
    out.Line(QStringLiteral("CONSTANTS"));
    // The engine reads one soil row per pile layer: so many rows are
    // written, whatever the soil table holds.
    for (int r = 0; r < Rows(PileData); ++r) out.Values(WeakRow(r + 1, D, r, false, kWeakThreshold), false);
  }
  if (multilayer) {
    for (int r = 0; r < Rows(D); ++r) out.Values(WeakRow(r + 1, D, r, false, kMultilayerWeakThreshold), false);
    const int below = Rows(MultiElement) - Rows(D);
    for (int k = 1; k <= below; ++k) out.Values(PlainRow(Rows(D) + k, Multisoil, k - 1, 6), false);
  }

  const QStringList belowValues{R(data.BelowVs), R(data.BelowUnitWeight), R(data.BelowPoisson), R(data.BelowDamping)};
  if (stratum)
    out.Values(belowValues, false);
  else
    out.Line(QStringLiteral("BELOW=") + belowValues.join(u' '));

  if (pile && Rows(pilecapsoil) >= 1) {
    if (AnyAbove(pilecapsoil, 5, kOptionTolerance)) data.SideCap = true;
    const int n = Rows(pilecapsoil);
    if (data.SideCap) {
      out.Line(QStringLiteral("SIDE-CAP"));
      out.Line(QStringLiteral("EMBEDDED"));
      out.Values({Int(n)}, true);
      for (int r = 0; r < n; ++r) out.Values(WeakRow(r + 1, pilecapsoil, r, true, kWeakThreshold), false);
    } else if (Cell(pilecapsoil, 1, n - 1) > kLengthTolerance) {
      out.Line(QStringLiteral("EMBEDDED"));
      out.Values({Int(n)}, true);
      for (int r = 0; r < n; ++r) out.Values(PlainRow(r + 1, pilecapsoil, r, 5), false);
    }
  }

  out.Line(QStringLiteral("LOAD "));
  const int load = data.LoadType == kTransientLoad ? kTransientLoad
                   : data.LoadType == kRandomLoad  ? kRandomLoad
                                                   : kHarmonicLoad;
  out.Line(load == kTransientLoad ? QStringLiteral("TRANSIENT ")
           : load == kRandomLoad  ? QStringLiteral("RANDOM ")
                                  : QStringLiteral("HARMONIC "));
  out.Line(QStringLiteral("CONSTANTS "));
  if (load == kHarmonicLoad) {
    out.Line(data.Quadratic == 1 ? QStringLiteral("QUADRATIC ") : QStringLiteral("NONQUADRATIC "));
    QStringList values{R(data.FreqMax * kHertzToRadians), R(data.FreqMin * kHertzToRadians),
                       R(data.FreqStep * kHertzToRadians)};
    for (long double value : data.HarmonicLoads) values << R(value);
    out.Values(values, false);
  } else if (load == kTransientLoad) {
    const TGridTable* loads = tables.TLoadtype();
    out.Values({Int(data.PointCount)}, true);
    out.Values({R(data.TimeStep)}, true);
    out.Values({Int(Rows(loads))}, true);
    for (int r = 0; r < Rows(loads); ++r) {
      out.Values({Int(Choice(loads, 0, r))}, true);
      WriteHistory(out, loads->Column(1)->NestedTable(r), data.PointCount);
    }
  } else {
    const TGridTable* spectra = tables.Trandom();
    out.Values({R(data.RandomFreqMax)}, true);
    out.Values({R(data.RandomFreqMin)}, true);
    out.Values({Int(data.PointCount)}, true);
    out.Values({R(data.ObservationPeriod)}, true);
    out.Values({Int(Rows(spectra))}, true);
    for (int r = 0; r < Rows(spectra); ++r) {
      const QString direction = Int(Choice(spectra, 0, r));
      out.Values({direction, direction}, false);
      WriteHistory(out, spectra->Column(1)->NestedTable(r), data.PointCount);
    }
  }
  out.Line(QStringLiteral("RUN "));

  // Trailer.
  data.MassCount = Rows(MassCal);
  if (Rows(MassCal) == 0 || Cell(MassCal, 0, 0) < kMassTolerance) data.MassCount = 0;
  out.Line(Int(data.MassCount));
  for (int r = 0; r < data.MassCount; ++r) {
    QStringList cells;
    for (int c = 0; c < 7; ++c) cells << R(Cell(MassCal, c, r));
    out.Values(cells, true);
  }
  for (const auto* triple : {&data.CgLocal, &data.CbLocal, &data.CbGlobal}) {
    QString line;
    for (long double value : *triple) line += FormatWide(value) + u' ';
    out.Line(line);
  }
  return out.Bytes();
}

QByteArray GeometryFileText(TProgramData& data, const TProjectTables& tables) {
  const QString F = data.Foundation;
  const int type = FoundationCodeOf(F);
  const TGridTable* D1 = tables.D1();
  const TGridTable* Pilecoord = tables.Pilecoord();
  const TGridTable* PileData = tables.PileData();
  const TGridTable* pilecapsoil = tables.pilecapsoil();
  const TGridTable* MultiElement = tables.MultiElement();
  auto R = [](long double value) { return FormatReal(value); };

  data.GeometryFileName = GeometryFileNameOf(data.FileName);

  data.Thickness = 0.0L;
  if (type == kPile) {
    for (int r = 0; r < Rows(pilecapsoil); ++r) data.Thickness += Cell(pilecapsoil, 0, r);
  } else if (type == kMultilayer) {
    const int embedded = std::min(Rows(tables.D()), Rows(MultiElement));
    for (int r = 0; r < embedded; ++r) data.Thickness += Cell(MultiElement, 0, r);
  } else if (type == kHalfSpace || type == kStratum) {
    for (int r = 0; r < Rows(D1); ++r) data.Thickness += Cell(D1, 0, r);
  }

  TLines out;
  if (data.Circular != 0) {
    out.Line(QStringLiteral("CIRCULAR "));
    if (data.Thickness < kLengthTolerance) data.Thickness = 0.15L * data.Radius;
    out.Line(u' ' + R(data.Radius) + u' ' + R(data.Radius) + u' ' + R(data.Thickness));
    if (data.PileLength < kLengthTolerance) data.PileLength = 3.0L * data.Radius;
  } else {
    out.Line(QStringLiteral("RECTANGULAR "));
    if (data.Thickness < kLengthTolerance) data.Thickness = 0.15L * data.Width;
    out.Line(u' ' + R(data.Length) + u' ' + R(data.Width) + u' ' + R(data.Thickness));
    if (data.PileLength < kLengthTolerance) data.PileLength = 2.0L * data.Length;
  }

  // The soil block: layer lines, then the pile length and a fifth of it.
  auto soilEnd = [&](int n) {
    out.Line(Int(n + 1) + u' ' + R(data.PileLength));
    out.Line(Int(n + 2) + u' ' + R(0.2L * data.PileLength));
  };

  if (type == kPile) {
    out.Line(Int(Rows(Pilecoord)));
    out.Line(R(data.PileLength) + u' ');
    for (int r = 0; r < Rows(Pilecoord); ++r)
      out.Line(Int(r + 1) + u' ' + R(Cell(Pilecoord, 0, r)) + u' ' + R(Cell(Pilecoord, 1, r)) + u' ');
    out.Line(QStringLiteral("ELEMENT"));
    out.Line(Int(Rows(PileData)));
    for (int r = 0; r < Rows(PileData); ++r) out.Line(PlainRow(r + 1, PileData, r, 7).join(u' '));
    if (data.Battered) {
      out.Line(QStringLiteral("BATTERED"));
      for (int r = 0; r < Rows(Pilecoord); ++r) {
        const QString plane = Choice(Pilecoord, 3, r) == 2 ? QStringLiteral("90 ") : QStringLiteral("0 ");
        out.Line(Int(r + 1) + u' ' + plane + R(Cell(Pilecoord, 2, r)) + u' ');
      }
    }
    out.Line(QStringLiteral("SOIL"));
    out.Line(F);
    const int n = Rows(pilecapsoil);
    out.Line(Int(n));
    out.Line(Int(n + 2));
    for (int r = 0; r < n; ++r) out.Line(Int(r + 1) + u' ' + R(Cell(pilecapsoil, 0, r)) + u' ');
    soilEnd(n);
  } else {
    out.Line(QStringLiteral(" 0"));
    out.Line(QStringLiteral("SOIL"));
    if (type == kHalfSpace || type == kStratum) {
      out.Line(F);
      const int n = Rows(D1);
      if (n > 0 && Cell(D1, 0, 0) > 0.0L) {
        out.Line(Int(n));
        out.Line(Int(n + 2));
        for (int r = 0; r < n; ++r) out.Line(Int(r + 1) + u' ' + R(Cell(D1, 0, r)) + u' ');
        soilEnd(n);
      } else {
        out.Line(QStringLiteral(" 0"));
        out.Line(Int(n + 1));
        soilEnd(n - 1);
      }
    } else if (type == kMultilayer) {
      out.Line(QStringLiteral("MULTILAYER"));
      const int n = Rows(tables.D());
      out.Line(Int(n));
      out.Line(Int(n + 2));
      for (int r = 0; r < n; ++r) out.Line(Int(r + 1) + u' ' + R(Cell(MultiElement, 0, r)) + u' ');
      soilEnd(n);
    } else {
      out.Line(F);
    }
  }
  return out.Bytes();
}

void WriteFileSafely(const QString& path, const QByteArray& bytes, const TSaveFileFactory& factory) {
  std::unique_ptr<QSaveFile> file = factory ? factory(path) : std::make_unique<QSaveFile>(path);
  if (!file || !file->open(QIODevice::WriteOnly)) {
    throw TInOutError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, file ? file->errorString() : QString()));
  }
  if (file->write(bytes) != bytes.size()) {
    const QString reason = file->errorString();
    file->cancelWriting();
    throw TInOutError(QStringLiteral("Cannot write file \"%1\". %2").arg(path, reason));
  }
  if (!file->commit()) {
    throw TInOutError(QStringLiteral("Cannot write file \"%1\". %2").arg(path, file->errorString()));
  }
}

void SaveProject(TProgramData& data, TProjectTables& tables, const TSaveFileFactory& factory) {
  // Both texts first: a value that cannot be written stops the save before
  // any file is touched.
  const QByteArray project = ProjectFileText(data, tables);
  const QByteArray geometry = GeometryFileText(data, tables);
  WriteFileSafely(data.FileName, project, factory);
  WriteFileSafely(data.GeometryFileName, geometry, factory);
  tables.ClearModified();
}

}  // namespace terva::gui
