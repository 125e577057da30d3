#include "gui/files/ProjectWriter.hpp"

#include "gui/core/NumberFormat.hpp"
#include "gui/core/WordRead.hpp"
#include "gui/files/ProjectFormat.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"

#include <QStringList>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace terva::gui {

using namespace project_file;

namespace {

// Values of smaller magnitude count as zero for the option checks.
constexpr long double kOptionTolerance = 1e-7L;
constexpr long double kLengthTolerance = 1e-5L;
constexpr long double kMassTolerance = 1e-8L;

void RequireFinite(long double value) {
  if (!std::isfinite(value))
    throw TError("The project holds a value that is not a finite number; it cannot be saved.");
}

QString Int(long long value) { return QString::number(value); }
QString R(long double value) { return FormatReal(value); }
// A keyword, followed by `rest`.
QString Key(QLatin1String keyword, const QString& rest = QString()) { return QString(keyword) + rest; }
const QString kBlank = QStringLiteral(" ");

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
    const QString end = eachFollowedByBlank ? kBlank : QString();
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


// One row line of a table section (see TRowLine). The weakened indicator
// follows the ratio as written, so that a reloaded project writes the same
// indicator.
QStringList RowValues(const TRowLine& format, int number, const TGridTable* table, int row) {
  QStringList values;
  if (format.numbered) values << Int(number);
  for (int c = 0; c < format.cells; ++c) values << R(Cell(table, c, row));
  if (format.weak) {
    const int ratio = format.RatioColumn();
    const long double nu = Cell(table, ratio - 2, row);
    const long double beta = Cell(table, ratio - 1, row);
    const bool weakened = ValueAsWritten(Cell(table, ratio, row)) <= static_cast<double>(format.weakBelow);
    values << R(nu) << R(2.0L * beta) << R(weakened ? 1.0L : 0.0L);
  }
  return values;
}

// The rows of a table of layers (beside a half-space block or a multilayer
// foundation) that are layers: the table keeps one row even when there is
// none, and trailing rows of zeros are no layers.
int LayersGiven(const TGridTable* table) {
  int rows = Rows(table);
  const auto zero = [table](int row) {
    for (int c = 0; c < table->ColumnCount(); ++c)
      if (Cell(table, c, row) != 0.0L) return false;
    return true;
  };
  while (rows > 0 && zero(rows - 1)) --rows;
  return rows;
}

// Some row of the soil table weakens its layer: a weak-zone ratio as written
// at or below the format's bound.
bool AnyWeakened(const TGridTable* table, int rows, const TRowLine& format) {
  for (int r = 0; r < std::min(rows, Rows(table)); ++r)
    if (ValueAsWritten(Cell(table, format.RatioColumn(), r)) <= static_cast<double>(format.weakBelow)) return true;
  return false;
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

// The project file of one project, section by section.
class TProjectText {
 public:
  TProjectText(const TProgramData& data, const TProjectTables& tables)
      : d_(data), t_(tables), type_(FoundationTypeOf(data.Foundation)) {}

  QByteArray Compose() {
    CheckCounts();
    Heading();
    FoundationLayout();
    FoundationConstants();
    Elements();
    PileOptions();
    Soil();
    SideSoil();
    Load();
    out_.Line(Key(kRun, kBlank));
    Trailer();
    return out_.Bytes();
  }

 private:
  bool Is(TFoundationType type) const { return type_ == type; }
  void RowLines(const TRowLine& format, const TGridTable* table, int count, int firstNumber = 1) {
    for (int r = 0; r < count; ++r) out_.Values(RowValues(format, firstNumber + r, table, r), format.trailingBlank);
  }

  void CheckCounts() const {
    for (const TGridTable* table : t_.All())
      if (table != t_.TLoadtype() && table != t_.Trandom()) CheckCount(Rows(table), kMaxFileRows, table->Caption());
    CheckCount(Rows(t_.TLoadtype()), kMaxLoadRows, t_.TLoadtype()->Caption());
    CheckCount(Rows(t_.Trandom()), kMaxLoadRows, t_.Trandom()->Caption());
    if ((d_.LoadType == TLoadType::Transient || d_.LoadType == TLoadType::Random) && d_.PointCount > kMaxPointCount)
      throw TError(QStringLiteral("The number of points (%1) is larger than a project file holds (%2).")
                       .arg(d_.PointCount)
                       .arg(kMaxPointCount));
  }

  void Heading() {
    out_.Line(Key(kTitle, TitleLine(d_.Title)));
    if (d_.Matrix == 1) out_.Line(Key(kMatrix));
    if (d_.Gravity != 0.0L)
      out_.Line(Key(kGravity, R(d_.Gravity)));
    else
      out_.Line(Key(kGravity, d_.Units == 1 ? QString(kGravityEnglish) : QString(kGravitySI)));
    out_.Line(Key(kFoundation, d_.Foundation));
    if (d_.Circular != 0)
      out_.Line(Key(kCircular, R(d_.Radius)));
    else
      out_.Line(Key(kRectangular, R(d_.Length) + u',' + R(d_.Width)));
    out_.Line(Key(kMass, kBlank));
    QStringList mass;
    for (long double value : d_.MassConstants) mass << R(value);
    out_.Values(mass, false);
  }

  void FoundationLayout() {
    if (Is(TFoundationType::Pile)) {
      out_.Line(Key(kPileLayers, Int(Rows(t_.PileData()))));
      out_.Line(Key(d_.PileHeadFixed == 1 ? kFixed : kPinned, Int(Rows(t_.Pilecoord()))));
      RowLines(kPileCoordinates, t_.Pilecoord(), Rows(t_.Pilecoord()));
    }
    if (Is(TFoundationType::Multilayer)) out_.Line(Key(kFoundationLayers, Int(Rows(t_.MultiElement()))));
  }

  void FoundationConstants() {
    out_.Line(Key(kConstants, kBlank));
    if (Is(TFoundationType::HalfSpace)) {
      out_.Values({R(d_.Xc), R(d_.Yc), R(d_.Zc)}, true);
    } else if (Is(TFoundationType::Stratum)) {
      out_.Values({R(d_.Xc), R(d_.Yc), R(d_.Zc), R(d_.BaseDepth), R(d_.BedrockDepth)}, true);
    } else if (Is(TFoundationType::Pile) || Is(TFoundationType::Multilayer)) {
      out_.Values({R(d_.Xc), R(d_.Yc), R(d_.Zc), R(d_.PileLength), R(d_.PileUnitWeight)}, true);
      out_.Values({R(d_.StaticLoad), R(d_.PilePoisson), R(d_.PileDamping), R(d_.ShearCoefficient),
                   R(d_.PileModulus)},
                  false);
    }
  }

  void Elements() {
    if (Is(TFoundationType::Multilayer)) {
      out_.Line(Key(kElement));
      RowLines(kMultilayerElements, t_.MultiElement(), Rows(t_.MultiElement()));
    }
    if (Is(TFoundationType::Pile)) {
      out_.Line(Key(kElement));
      RowLines(kPileElements, t_.PileData(), Rows(t_.PileData()));
    }
  }

  void PileOptions() {
    if (!Is(TFoundationType::Pile)) return;
    const TGridTable* piles = t_.Pilecoord();
    out_.Line(Key(d_.EndBearing == 1 ? kEndBearing : kFloating));
    if (d_.Battered) {
      out_.Line(Key(kBattered));
      for (int r = 0; r < Rows(piles); ++r) {
        // A pile whose plane was never chosen is battered in the XZ plane.
        const QLatin1String plane = Choice(piles, kBatterPlaneColumn, r) == 2 ? kPlaneYZ : kPlaneXZ;
        out_.Line(Int(r + 1) + u' ' + QString(plane) + QStringLiteral("  "));
        out_.Values({R(Cell(piles, kBatterAngleColumn, r))}, true);
      }
    }
    if (d_.Interaction == 1) out_.Line(Key(kInteraction, kBlank));
  }

  void Soil() {
    const TGridTable* D = t_.D();
    out_.Line(Key(kSoil, kBlank));
    if (Is(TFoundationType::Stratum)) out_.Line(Key(kConstants, kBlank));
    if (Is(TFoundationType::Multilayer)) {
      if (LayersGiven(D) >= 1 && d_.Weak) out_.Line(Key(kWeak, kBlank));
      out_.Line(Key(kConstantsCount, Int(LayersGiven(D))));
    }
    if (Is(TFoundationType::HalfSpace)) {
      const int layers = LayersGiven(t_.D1());
      if (d_.Weak) out_.Line(Key(kWeak, kBlank));
      out_.Line(Key(kConstantsCount, Int(layers)));
      RowLines(d_.Weak ? kHalfSpaceWeakSoil : kHalfSpaceSoil, t_.D1(), layers);
    }
    if (Is(TFoundationType::Pile)) {
      if (d_.Weak) out_.Line(Key(kWeak));
      out_.Line(Key(kConstants));
      // The engine reads one soil row per pile layer: so many rows are
      // written, whatever the soil table holds.
      RowLines(d_.Weak ? kPileSoil : WithoutWeakZone(kPileSoil), D, Rows(t_.PileData()));
    }
    if (Is(TFoundationType::Multilayer)) {
      const int adjacent = LayersGiven(D);
      RowLines(d_.Weak ? kAdjacentSoil : WithoutWeakZone(kAdjacentSoil), D, adjacent);
      RowLines(kSoilBelow, t_.Multisoil(), Rows(t_.MultiElement()) - adjacent, adjacent + 1);
    }
    const QStringList below{R(d_.BelowVs), R(d_.BelowUnitWeight), R(d_.BelowPoisson), R(d_.BelowDamping)};
    if (Is(TFoundationType::Stratum))
      out_.Values(below, false);
    else
      out_.Line(Key(kBelow, below.join(u' ')));
  }

  void SideSoil() {
    const TGridTable* side = t_.pilecapsoil();
    const int n = Rows(side);
    if (!Is(TFoundationType::Pile) || n < 1) return;
    if (d_.SideCap) {
      out_.Line(Key(kSideCap));
      out_.Line(Key(kEmbedded));
      out_.Values({Int(n)}, true);
      RowLines(kSideCapSoil, side, n);
    } else if (Cell(side, kSideSoilVelocityColumn, n - 1) > kLengthTolerance) {
      out_.Line(Key(kEmbedded));
      out_.Values({Int(n)}, true);
      RowLines(kEmbeddedSoil, side, n);
    }
  }

  // A load history or spectrum: exactly PointCount values, one per line; a
  // table with fewer rows gives zeros for the rest.
  void History(const TGridTable* loads, int row) {
    const TGridTable* nested = loads->Column(kLoadHistoryColumn)->NestedTable(row);
    for (int r = 0; r < d_.PointCount; ++r) out_.Values({R(Cell(nested, kHistoryValueColumn, r))}, true);
  }

  void Load() {
    out_.Line(Key(kLoad, kBlank));
    const TLoadType load = d_.LoadType;
    out_.Line(Key(load == TLoadType::Transient ? kTransient : load == TLoadType::Random ? kRandom : kHarmonic, kBlank));
    out_.Line(Key(kConstants, kBlank));
    if (load == TLoadType::Transient) {
      const TGridTable* loads = t_.TLoadtype();
      out_.Values({Int(d_.PointCount)}, true);
      out_.Values({R(d_.TimeStep)}, true);
      out_.Values({Int(Rows(loads))}, true);
      for (int r = 0; r < Rows(loads); ++r) {
        out_.Values({Int(Choice(loads, kLoadDirectionColumn, r))}, true);
        History(loads, r);
      }
    } else if (load == TLoadType::Random) {
      const TGridTable* spectra = t_.Trandom();
      out_.Values({R(d_.RandomFreqMax)}, true);
      out_.Values({R(d_.RandomFreqMin)}, true);
      out_.Values({Int(d_.PointCount)}, true);
      out_.Values({R(d_.ObservationPeriod)}, true);
      out_.Values({Int(Rows(spectra))}, true);
      for (int r = 0; r < Rows(spectra); ++r) {
        const QString direction = Int(Choice(spectra, kLoadDirectionColumn, r));
        out_.Values({direction, direction}, false);
        History(spectra, r);
      }
    } else {
      out_.Line(Key(d_.Quadratic == 1 ? kQuadratic : kNonQuadratic, kBlank));
      QStringList values{R(d_.FreqMax * kHertzToRadians), R(d_.FreqMin * kHertzToRadians),
                         R(d_.FreqStep * kHertzToRadians)};
      for (long double value : d_.HarmonicLoads) values << R(value);
      out_.Values(values, false);
    }
  }

  void Trailer() {
    out_.Line(Int(d_.MassCount));
    RowLines(kMassComponent, t_.MassCal(), d_.MassCount);
    for (const auto* triple : {&d_.CgLocal, &d_.CbLocal, &d_.CbGlobal}) {
      QString line;
      for (long double value : *triple) line += FormatWide(value) + u' ';
      out_.Line(line);
    }
  }

  const TProgramData& d_;
  const TProjectTables& t_;
  const std::optional<TFoundationType> type_;
  TLines out_;
};

}  // namespace

QString FormatReal(long double value) {
  RequireFinite(value);
  const QString general = FormatGeneral(value);
  // A whole number of nine to fifteen digits that the general format's eight
  // digits would change is written whole: a typed value or a field's limit
  // (the static load's 2147483647000, not 2147483600000).
  constexpr long double kWholeFrom = 1e8L, kWholeBelow = 1e15L;
  if (value == std::trunc(value) && std::fabs(value) >= kWholeFrom && std::fabs(value) < kWholeBelow) {
    const QByteArray text = general.toLatin1();
    double read = 0.0;
    std::from_chars(text.constData(), text.constData() + text.size(), read);
    if (static_cast<long double>(read) != value) return QString::number(static_cast<long long>(value));
  }
  return general;
}

QString FormatWide(long double value) {
  RequireFinite(value);
  if (value == 0.0L) value = 0.0L;  // no sign for a negative zero
  const TDecimal d = ToDecimal(value, 15);
  QString text = d.negative ? QStringLiteral("-") : QStringLiteral(" ");
  text += d.digits.left(1) + u'.' + d.digits.mid(1);
  text += u'E';
  text += d.exponent < 0 ? u'-' : u'+';
  text += QStringLiteral("%1").arg(std::abs(d.exponent), 4, 10, QLatin1Char('0'));
  return text;
}

double ValueAsWritten(long double value) {
  const QByteArray text = FormatReal(value).toLatin1();
  double written = 0.0;
  std::from_chars(text.constData(), text.constData() + text.size(), written);
  return written;
}

QString GeometryFileNameOf(const QString& fileName) {
  const qsizetype slash = std::max(fileName.lastIndexOf(u'/'), fileName.lastIndexOf(u'\\'));
  const qsizetype dot = fileName.lastIndexOf(u'.');
  const QString base = dot > slash ? fileName.left(dot) : fileName;
  return base + QStringLiteral(".tvt");
}

void ApplyProjectSaveRules(TProgramData& data, const TProjectTables& tables) {
  const std::optional<TFoundationType> type = FoundationTypeOf(data.Foundation);
  if (type == TFoundationType::Pile) {
    if (AnyAbove(tables.Pilecoord(), kBatterAngleColumn, kOptionTolerance)) data.Battered = true;
    if (AnyWeakened(tables.D(), Rows(tables.PileData()), kPileSoil)) data.Weak = true;
    if (Rows(tables.pilecapsoil()) >= 1 &&
        AnyAbove(tables.pilecapsoil(), kSideCapSoil.RatioColumn(), kOptionTolerance))
      data.SideCap = true;
  }
  if (type == TFoundationType::Multilayer && AnyWeakened(tables.D(), LayersGiven(tables.D()), kAdjacentSoil))
    data.Weak = true;
  if (type == TFoundationType::HalfSpace && AnyAbove(tables.D1(), kHalfSpaceWeakSoil.RatioColumn(), kOptionTolerance))
    data.Weak = true;
  const TGridTable* masses = tables.MassCal();
  data.MassCount = Rows(masses);
  if (Rows(masses) == 0 || Cell(masses, kMassColumn, 0) < kMassTolerance) data.MassCount = 0;
}

void ApplyGeometrySaveRules(TProgramData& data, const TProjectTables& tables) {
  const std::optional<TFoundationType> type = FoundationTypeOf(data.Foundation);
  data.GeometryFileName = GeometryFileNameOf(data.FileName);
  data.Thickness = 0.0L;
  if (type == TFoundationType::Pile) {
    for (int r = 0; r < Rows(tables.pilecapsoil()); ++r)
      data.Thickness += Cell(tables.pilecapsoil(), kLayerThicknessColumn, r);
  } else if (type == TFoundationType::Multilayer) {
    const int embedded = std::min(Rows(tables.D()), Rows(tables.MultiElement()));
    for (int r = 0; r < embedded; ++r) data.Thickness += Cell(tables.MultiElement(), kLayerThicknessColumn, r);
  } else if (type == TFoundationType::HalfSpace || type == TFoundationType::Stratum) {
    for (int r = 0; r < Rows(tables.D1()); ++r) data.Thickness += Cell(tables.D1(), kLayerThicknessColumn, r);
  }
  const long double breadth = data.Circular != 0 ? data.Radius : data.Width;
  if (data.Thickness < kLengthTolerance) data.Thickness = 0.15L * breadth;
  if (data.PileLength < kLengthTolerance) data.PileLength = (data.Circular != 0 ? 3.0L : 2.0L) *
                                                            (data.Circular != 0 ? data.Radius : data.Length);
}

QByteArray ProjectFileText(const TProgramData& data, const TProjectTables& tables) {
  TProgramData saved = data;
  ApplyProjectSaveRules(saved, tables);
  return TProjectText(saved, tables).Compose();
}

QByteArray GeometryFileText(const TProgramData& data, const TProjectTables& tables) {
  TProgramData saved = data;
  ApplyGeometrySaveRules(saved, tables);
  const TProgramData& d = saved;
  const QString& F = d.Foundation;
  const std::optional<TFoundationType> type = FoundationTypeOf(F);
  const TGridTable* D1 = tables.D1();
  const TGridTable* Pilecoord = tables.Pilecoord();
  const TGridTable* PileData = tables.PileData();
  const TGridTable* pilecapsoil = tables.pilecapsoil();
  const TGridTable* MultiElement = tables.MultiElement();

  TLines out;
  if (d.Circular != 0) {
    out.Line(QStringLiteral("CIRCULAR "));
    out.Line(u' ' + R(d.Radius) + u' ' + R(d.Radius) + u' ' + R(d.Thickness));
  } else {
    out.Line(QStringLiteral("RECTANGULAR "));
    out.Line(u' ' + R(d.Length) + u' ' + R(d.Width) + u' ' + R(d.Thickness));
  }

  // The soil block: layer lines, then the pile length and a fifth of it.
  auto soilEnd = [&](int n) {
    out.Line(Int(n + 1) + u' ' + R(d.PileLength));
    out.Line(Int(n + 2) + u' ' + R(0.2L * d.PileLength));
  };
  // n layers of `table`: the counts, the layer lines, the end.
  auto layers = [&](const TGridTable* table, int n) {
    out.Line(Int(n));
    out.Line(Int(n + 2));
    for (int r = 0; r < n; ++r) out.Line(Int(r + 1) + u' ' + R(Cell(table, kLayerThicknessColumn, r)) + u' ');
    soilEnd(n);
  };

  if (type == TFoundationType::Pile) {
    out.Line(Int(Rows(Pilecoord)));
    out.Line(R(d.PileLength) + u' ');
    for (int r = 0; r < Rows(Pilecoord); ++r)
      out.Line(Int(r + 1) + u' ' + R(Cell(Pilecoord, 0, r)) + u' ' + R(Cell(Pilecoord, 1, r)) + u' ');
    out.Line(QStringLiteral("ELEMENT"));
    out.Line(Int(Rows(PileData)));
    for (int r = 0; r < Rows(PileData); ++r) out.Line(RowValues(kPileElements, r + 1, PileData, r).join(u' '));
    if (d.Battered) {
      out.Line(QStringLiteral("BATTERED"));
      for (int r = 0; r < Rows(Pilecoord); ++r) {
        const QString plane = Choice(Pilecoord, kBatterPlaneColumn, r) == 2 ? QStringLiteral("90 ") : QStringLiteral("0 ");
        out.Line(Int(r + 1) + u' ' + plane + R(Cell(Pilecoord, kBatterAngleColumn, r)) + u' ');
      }
    }
    out.Line(QStringLiteral("SOIL"));
    out.Line(F);
    layers(pilecapsoil, Rows(pilecapsoil));
  } else {
    out.Line(QStringLiteral(" 0"));
    out.Line(QStringLiteral("SOIL"));
    if (type == TFoundationType::HalfSpace || type == TFoundationType::Stratum) {
      out.Line(F);
      const int n = Rows(D1);
      if (n > 0 && Cell(D1, kLayerThicknessColumn, 0) > 0.0L) {
        layers(D1, n);
      } else {
        out.Line(QStringLiteral(" 0"));
        out.Line(Int(n + 1));
        soilEnd(n - 1);
      }
    } else if (type == TFoundationType::Multilayer) {
      out.Line(QStringLiteral("MULTILAYER"));
      layers(MultiElement, Rows(tables.D()));
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
  // any file is touched, and the project changes only once both files are
  // written. The geometry rules follow the project file's text: a pile
  // length that they fill in is written to the project file by the next save.
  TProgramData saved = data;
  ApplyProjectSaveRules(saved, tables);
  const QByteArray project = ProjectFileText(saved, tables);
  ApplyGeometrySaveRules(saved, tables);
  const QByteArray geometry = GeometryFileText(saved, tables);
  WriteFileSafely(saved.FileName, project, factory);
  WriteFileSafely(saved.GeometryFileName, geometry, factory);
  data = std::move(saved);
  tables.ClearModified();
}

}  // namespace terva::gui
