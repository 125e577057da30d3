#include "gui/files/ProjectReader.hpp"

#include "gui/files/EngineImport.hpp"

#include "gui/model/Table.hpp"
#include "gui/core/WordRead.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/files/ProjectFormat.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace terva::gui {

using namespace project_file;

namespace {

// The reading of a file stopped at `line` (from 1), after a line "RUN" of
// the program's layout.
bool StoppedAfterRun(const QByteArray& bytes, int line) {
  const QList<QByteArray> lines = bytes.split('\n');
  for (qsizetype i = 0; i < lines.size() && i + 1 < line; ++i)
    if (lines[i].trimmed() == QByteArrayLiteral("RUN")) return true;
  return false;
}

// Larger files are no engine input (a transient load of 1018 points by six
// loads takes well under a megabyte).
constexpr qint64 kMaxImportBytes = 64LL * 1024 * 1024;

// A value of a keyword line ("GRAVITY=", "CIRCULAR=", "BELOW=", a batter
// angle), with "." as the decimal separator whatever the locale. A value
// that does not convert is a conversion error, not an input/output error.
long double TextToReal(const QString& text) {
  const QString trimmed = text.trimmed();
  const QByteArray bytes = trimmed.toLatin1();
  const char* first = bytes.constData();
  const char* last = first + bytes.size();
  bool negative = false;
  bool ok = bytes.size() == trimmed.size() && first != last;
  if (ok && (*first == '+' || *first == '-')) {
    negative = *first == '-';
    ++first;
  }
  double value = 0.0;
  if (ok) ok = first != last && ((*first >= '0' && *first <= '9') || *first == '.');
  if (ok) {
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    ok = error == std::errc() && end == last && std::isfinite(value);
  }
  if (!ok) throw TError(QStringLiteral("'%1' is not a valid floating point value").arg(trimmed));
  return negative ? -value : value;
}

// A count of a keyword line ("LAYERS=", "FIXED=", "CONSTANTS=", ...).
int TextToInt(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  if (!ok) throw TError(QStringLiteral("'%1' is not a valid integer value").arg(text.trimmed()));
  return value;
}

class TLoader {
 public:
  TLoader(TWordReader& reader, QString& expected, TProgramData& data, TProjectTables& tables)
      : reader_(reader), expected_(expected), d_(data), t_(tables) {}

  void Run() {
    Heading();
    FoundationLayout();
    FoundationConstants();
    Elements();
    if (Is(TFoundationType::Pile)) PileOptions();
    Soil();
    Below();
    SideSoil();
    Load();
    Skip();  // RUN
    Trailer();
  }

 private:
  QString Line() { return reader_.ReadLine(); }
  // A value of the keyword line just read; `expected` says what the line
  // should hold, for the message when it does not convert.
  long double Real(const QString& text, const char* expected) {
    expected_ = QString::fromLatin1(expected);
    const long double value = TextToReal(text);
    expected_.clear();
    return value;
  }
  int Count(const QString& text, const char* expected) {
    expected_ = QString::fromLatin1(expected);
    const int value = TextToInt(text);
    expected_.clear();
    return value;
  }
  static constexpr const char* kShape = "\"CIRCULAR=\" and the radius or \"RECTANGULAR=\" and the length and width";
  static constexpr const char* kLayerCount = "\"CONSTANTS=\" and the number of soil layers";
  void Skip() { reader_.ReadLine(); }
  // After the last number of a line: on to the next line.
  void Finish() { reader_.ReadLine(); }
  long double Real() { return reader_.ReadFloat(); }
  int Int() { return reader_.ReadInt(); }
  void Drop(int count) {
    for (int i = 0; i < count; ++i) reader_.ReadFloat();
  }
  // The 1-based number of the line that the last Line() returned.
  int LastLine() const { return reader_.LineIndex(); }
  // No word left in the file (blank lines at its end do not count).
  bool NoMoreWords() const {
    for (int i = reader_.LineIndex(); i < reader_.LineCount(); ++i)
      if (!reader_.Line(i).isEmpty()) return false;
    return true;
  }
  bool Is(TFoundationType type) const { return d_.FoundationCode == type && known_; }
  // What follows a keyword at the start of a line.
  static QString After(const QString& line, QLatin1String keyword) { return line.mid(keyword.size()); }

  // Sets the row count that the file gives for `table` (read on line
  // `line`); a count beyond what a project file holds stops the load.
  void SetRows(TGridTable* table, long long count, int line, int limit = kMaxFileRows) {
    if (count > limit) {
      throw TInOutError(QStringLiteral("Error on Line %1\r%2 rows were given for the table \"%3\"; a project file "
                                       "holds at most %4.")
                            .arg(line)
                            .arg(count)
                            .arg(table->Caption())
                            .arg(limit));
    }
    table->SetRowCount(static_cast<int>(std::max(count, 0LL)));
  }

  // The row lines of a table section into rows 0 .. RowCount - 1.
  void RowLines(const TRowLine& format, TGridTable* table) {
    for (int r = 0; r < table->RowCount(); ++r) {
      if (format.numbered) Int();
      for (int c = 0; c < format.cells; ++c) table->Column(c)->SetReal(r, Real());
      if (format.weak) Drop(TRowLine::kDerivedValues);
      Finish();
    }
  }

  // A soil table read without weak-zone values: a ratio of 1 weakens no layer.
  static void NoWeakZone(TGridTable* table) {
    const int ratio = table->ColumnCount() - 1;
    for (int r = 0; r < table->RowCount(); ++r) table->Column(ratio)->SetReal(r, 1.0L);
  }

  void ReadPointCount() {
    d_.PointCount = Int();
    if (d_.PointCount > kMaxPointCount) {
      throw TInOutError(QStringLiteral("Error on Line %1\r%2 points were given; a project file holds at most %3.")
                            .arg(reader_.LineNumber())
                            .arg(d_.PointCount)
                            .arg(kMaxPointCount));
    }
  }

  // The values of one load history or spectrum into the nested table of
  // `row` (read and dropped when the row has no table).
  void ReadHistory(TGridTable* table, int row) {
    TGridTable* nested = table->Column(kLoadHistoryColumn)->NestedTable(row);
    if (nested != nullptr) nested->SetRowCount(d_.PointCount);
    for (int r = 0; r < d_.PointCount; ++r) {
      const long double value = Real();
      if (nested != nullptr) nested->Column(kHistoryValueColumn)->SetReal(r, value);
    }
  }

  void Heading() {
    d_.Title = Line().mid(kTitle.size(), kTitleLength);
    QString line = Line();
    d_.Matrix = line.trimmed() == kMatrix ? 1 : 0;
    if (d_.Matrix == 1) line = Line();
    // The unit system before any value is read: nothing is converted.
    const long double gravity = Real(After(line, kGravity), "\"GRAVITY=\" and the gravity");
    d_.Units = gravity >= kEnglishGravity ? 1 : 2;
    // a gravity other than the unit system's own is kept
    const QString standard = d_.Units == 1 ? QString(kGravityEnglish) : QString(kGravitySI);
    if (static_cast<double>(gravity) != standard.toDouble()) d_.Gravity = gravity;
    t_.SetUnits(d_.Units);

    const std::optional<TFoundationType> type = FoundationTypeOf(After(Line().trimmed(), kFoundation));
    known_ = type.has_value();
    if (type) d_.SetFoundation(*type);

    line = Line();
    if (line.startsWith(kCircular.chopped(1))) {
      d_.Circular = 1;
      d_.Radius = Real(After(line, kCircular), "\"CIRCULAR=\" and the radius");
    } else {
      d_.Circular = 0;
      const QString dimensions = After(line, kRectangular);
      const qsizetype comma = dimensions.indexOf(u',');
      d_.Length = Real(comma < 0 ? dimensions : dimensions.left(comma), kShape);
      d_.Width = Real(comma < 0 ? QString() : dimensions.mid(comma + 1), kShape);
    }

    Skip();  // MASS
    for (long double& value : d_.MassConstants) value = Real();
    Finish();
  }

  void FoundationLayout() {
    if (Is(TFoundationType::Pile)) {
      QString line = Line().trimmed();
      SetRows(t_.PileData(), Count(After(line, kPileLayers), "\"LAYERS=\" and the number of pile layers"),
              LastLine());
      line = Line().trimmed();
      d_.PileHeadFixed = line.startsWith(kFixed.chopped(1)) ? 1 : 0;
      SetRows(t_.Pilecoord(),
              Count(After(line, d_.PileHeadFixed == 1 ? kFixed : kPinned),
                    "\"FIXED=\" or \"PINNED=\" and the number of piles"),
              LastLine());
      RowLines(kPileCoordinates, t_.Pilecoord());
    }
    if (Is(TFoundationType::Multilayer)) {
      const QString line = Line().trimmed();
      SetRows(t_.MultiElement(),
              Count(After(line, kFoundationLayers), "\"LAYER=\" and the number of foundation layers"), LastLine());
    }
  }

  void FoundationConstants() {
    if (!known_) return;
    Skip();  // CONSTANTS
    if (Is(TFoundationType::Pile) || Is(TFoundationType::Multilayer)) {
      for (long double* value : {&d_.Xc, &d_.Yc, &d_.Zc, &d_.PileLength, &d_.PileUnitWeight, &d_.StaticLoad,
                                 &d_.PilePoisson, &d_.PileDamping, &d_.ShearCoefficient, &d_.PileModulus})
        *value = Real();
    } else if (Is(TFoundationType::HalfSpace)) {
      for (long double* value : {&d_.Xc, &d_.Yc, &d_.Zc}) *value = Real();
    } else {
      for (long double* value : {&d_.Xc, &d_.Yc, &d_.Zc, &d_.BaseDepth, &d_.BedrockDepth}) *value = Real();
    }
    Finish();
  }

  void Elements() {
    if (!Is(TFoundationType::Pile) && !Is(TFoundationType::Multilayer)) return;
    Skip();  // ELEMENT
    if (Is(TFoundationType::Pile))
      RowLines(kPileElements, t_.PileData());
    else
      RowLines(kMultilayerElements, t_.MultiElement());
  }

  void PileOptions() {
    QString X = Line().trimmed();
    d_.EndBearing = X == kEndBearing ? 1 : 0;
    if (X == kFloating || X == kEndBearing) X = Line().trimmed();
    if (X == kBattered) {
      TGridTable* piles = t_.Pilecoord();
      for (int r = 0; r < piles->RowCount(); ++r) {
        const QString planeLine = Line();
        const QString plane = planeLine.mid(QString::number(r + 1).size() + 1, 2);
        if (plane == kPlaneXZ) piles->Column(kBatterPlaneColumn)->SetInteger(r, 1);
        if (plane == kPlaneYZ) piles->Column(kBatterPlaneColumn)->SetInteger(r, 2);
        piles->Column(kBatterAngleColumn)->SetReal(r, Real(Line(), "the batter angle"));
      }
      X = Line().trimmed();
    }
    if (X.startsWith(kInteraction)) {
      d_.Interaction = 1;
      Skip();  // SOIL
    } else {
      d_.Interaction = 0;  // X was the SOIL line
    }
  }

  void Soil() {
    if (Is(TFoundationType::Pile)) {
      // WEAK, then CONSTANTS; an imported input without a weakened zone has CONSTANTS alone
      d_.Weak = Line().trimmed().startsWith(kWeak);
      if (d_.Weak) Skip();  // CONSTANTS
      // One soil row per pile layer: the file carries no count of its own.
      t_.D()->SetRowCount(t_.PileData()->RowCount());
      RowLines(d_.Weak ? kPileSoil : WithoutWeakZone(kPileSoil), t_.D());
      if (!d_.Weak) NoWeakZone(t_.D());
    }
    if (Is(TFoundationType::Multilayer)) {
      Skip();  // SOIL
      QString line = Line();
      const bool weak = line.trimmed().startsWith(kWeak);
      if (weak) line = Line();
      const int adjacent = Count(After(line.trimmed(), kConstantsCount), kLayerCount);
      SetRows(t_.D(), adjacent, LastLine());
      SetRows(t_.Multisoil(), static_cast<long long>(t_.MultiElement()->RowCount()) - adjacent, LastLine());
      d_.Weak = weak || adjacent == 0;
      RowLines(d_.Weak ? kAdjacentSoil : WithoutWeakZone(kAdjacentSoil), t_.D());
      if (!d_.Weak) NoWeakZone(t_.D());
      RowLines(kSoilBelow, t_.Multisoil());
    }
    if (Is(TFoundationType::HalfSpace)) {
      Skip();  // SOIL
      QString line = Line();
      const bool weak = line.trimmed().startsWith(kWeak);
      if (weak) line = Line();
      SetRows(t_.D1(), Count(After(line.trimmed(), kConstantsCount), kLayerCount), LastLine());
      d_.Weak = weak;
      RowLines(weak ? kHalfSpaceWeakSoil : kHalfSpaceSoil, t_.D1());
    }
  }

  void Below() {
    long double* below[] = {&d_.BelowVs, &d_.BelowUnitWeight, &d_.BelowPoisson, &d_.BelowDamping};
    if (!Is(TFoundationType::Stratum)) {
      const QStringList values = After(Line().trimmed(), kBelow).split(u' ', Qt::SkipEmptyParts);
      for (int i = 0; i < 4; ++i) *below[i] = Real(values.value(i), "\"BELOW=\" and four values");
    } else {
      Skip();  // SOIL
      Skip();  // CONSTANTS
      for (long double* value : below) *value = Real();
      Finish();
    }
  }

  // The side soil of the pile cap after EMBEDDED: a count, then the rows.
  void SideLayers(bool weak) {
    TGridTable* table = t_.pilecapsoil();
    const int count = Int();
    SetRows(table, count, reader_.LineNumber());
    RowLines(weak ? kSideCapSoil : kEmbeddedSoil, table);
    if (table->RowCount() == 0) Finish();
  }

  void SideSoil() {
    if (!Is(TFoundationType::Pile)) {
      Skip();  // LOAD
      return;
    }
    const QString X = Line().trimmed();
    if (X.startsWith(kSideCap)) {
      const QString Y = Line().trimmed();
      if (Y.startsWith(kEmbedded)) {
        SideLayers(true);
        Skip();  // LOAD
      }  // otherwise Y was the LOAD line
    } else if (X.startsWith(kEmbedded)) {
      SideLayers(false);
      Skip();  // LOAD
    }  // otherwise X was the LOAD line
  }

  void Load() {
    d_.LoadLine = Line();
    Skip();  // CONSTANTS
    if (d_.LoadLine.startsWith(kTransient)) {
      d_.LoadType = TLoadType::Transient;
      ReadPointCount();
      d_.TimeStep = Real();
      Histories(t_.TLoadtype(), false);
    } else if (d_.LoadLine.startsWith(kRandom)) {
      d_.LoadType = TLoadType::Random;
      d_.RandomFreqMax = Real();
      d_.RandomFreqMin = Real();
      ReadPointCount();
      d_.ObservationPeriod = Real();
      Histories(t_.Trandom(), true);
    } else {
      d_.Quadratic = Line().trimmed() == kQuadratic ? 1 : 0;
      d_.FreqMax = Real() / kHertzToRadians;
      d_.FreqMin = Real() / kHertzToRadians;
      d_.FreqStep = Real() / kHertzToRadians;
      for (long double& value : d_.HarmonicLoads) value = Real();
      Finish();
    }
  }

  // The count, then per load its direction (twice for a spectrum: the
  // second location is the same direction) and its values.
  void Histories(TGridTable* loads, bool spectra) {
    d_.LoadCount = Int();
    SetRows(loads, d_.LoadCount, reader_.LineNumber(), kMaxLoadRows);
    for (int r = 0; r < loads->RowCount(); ++r) {
      loads->Column(kLoadDirectionColumn)->SetInteger(r, Int());
      if (spectra) Int();
      ReadHistory(loads, r);
    }
    Finish();
  }

  void Trailer() {
    d_.MassCount = 0;
    if (NoMoreWords()) return;
    d_.MassCount = Int();
    if (d_.MassCount > 0) {
      SetRows(t_.MassCal(), d_.MassCount, reader_.LineNumber());
      RowLines(kMassComponent, t_.MassCal());
    }
    // the centres are written whatever the count: a project without mass
    // components keeps its base centre too
    for (auto* triple : {&d_.CgLocal, &d_.CbLocal, &d_.CbGlobal}) {
      if (NoMoreWords()) return;
      for (long double& value : *triple) value = Real();
      if (triple != &d_.CbGlobal) Finish();
    }
  }

  TWordReader& reader_;
  QString& expected_;
  TProgramData& d_;
  TProjectTables& t_;
  bool known_ = false;  // the foundation word is one of the four
};

// The line where an input/output error stopped the reading: the one its
// message names, else the end of the file, else the line last read.
void StoppedAt(TLoadResult& result, const TWordReader& reader) {
  static const QRegularExpression named(QStringLiteral("^Error on Line (\\d+)"));
  const QRegularExpressionMatch match = named.match(result.message);
  if (match.hasMatch()) {
    result.line = match.captured(1).toInt();
  } else if (reader.AtEnd()) {
    result.ended = true;
    result.line = reader.LineCount();
  } else {
    result.line = std::max(reader.LineIndex(), 1);
  }
}

}  // namespace

TLoadResult LoadProject(TWordReader& reader, const QString& path, TProjectTables& tables) {
  TLoadResult result;
  const std::vector<TTableSnapshot> previous = tables.Snapshot();
  QString expected;  // what the keyword line being converted should hold
  try {
    auto data = NewProject(tables);
    data->FileName = path;
    for (TGridTable* table : tables.All()) table->SetRowCount(0);
    TLoader loader(reader, expected, *data, tables);
    try {
      loader.Run();
      result.status = TLoadResult::kComplete;
    } catch (const TInOutError& error) {
      // The reading stops; what was read stays.
      result.status = TLoadResult::kStopped;
      result.message = error.Message();
      StoppedAt(result, reader);
    }
    tables.EnsureMinRows();
    tables.ClearModified();
    result.project = std::move(data);
    return result;
  } catch (const TError& error) {
    result.message = error.Message();
    // A value of the keyword line just read did not convert.
    result.line = std::max(reader.LineIndex(), 1);
    result.expected = expected;
  } catch (const std::exception& error) {
    result.message = QString::fromLocal8Bit(error.what());
    result.line = std::max(reader.LineIndex(), 1);
  }
  // Any other failure: the tables go back to the project the caller keeps.
  result.status = TLoadResult::kFailed;
  result.project.reset();
  tables.Restore(previous);
  return result;
}

TLoadResult LoadProject(const QString& path, TProjectTables& tables) {
  std::optional<TWordReader> reader;
  try {
    reader.emplace(path);
  } catch (const TError& error) {
    // Nothing was read: the caller keeps its project and its tables.
    TLoadResult result;
    result.message = error.Message();
    return result;
  }
  return LoadProject(*reader, path, tables);
}

TLoadResult OpenProjectFile(const QString& path, TProjectTables& tables) {
  const std::vector<TTableSnapshot> previous = tables.Snapshot();
  TLoadResult result = LoadProject(path, tables);
  if (result.status == TLoadResult::kComplete) return result;
  if (result.project) {
    // A file read only in part is not opened: the tables go back.
    result.project.reset();
    tables.Restore(previous);
    tables.ClearModified();
  }
  result.status = TLoadResult::kFailed;
  const QString file = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
  QFile input(path);
  if (result.line > 0 && input.size() <= kMaxImportBytes && input.open(QIODevice::ReadOnly)) {
    // Not in the program's layout: an engine input in a layout of its own?
    // Not when the reading stopped in the program's own data after RUN: that
    // is a damaged project, whose trailer an import would silently drop.
    const QByteArray bytes = input.readAll();
    if (!StoppedAfterRun(bytes, result.line)) {
      TLoadResult imported = ImportEngineInput(bytes, path, tables);
      if (imported.status == TLoadResult::kComplete) return imported;
      // the message of the reading that understood more of the file
      if (imported.line > result.line) {
        imported.message = QStringLiteral("Cannot open \"%1\": it is neither a TERVA project nor an input the "
                                          "engine would run. The engine's reader stops at line %2:\n\n%3")
                               .arg(file)
                               .arg(imported.line)
                               .arg(imported.message);
        return imported;
      }
    }
  }
  // The reader's texts break their lines with a carriage return.
  const QString reason = QString(result.message).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                             .replace(u'\r', u'\n');
  if (result.line <= 0) {
    // The reader names the file it could not open.
    result.message = QString(reason).replace(path, file);
    if (!result.message.contains(file)) result.message = QStringLiteral("Cannot open \"%1\".\n\n%2").arg(file, reason);
  } else if (result.ended) {
    result.message = QStringLiteral("Cannot open \"%1\" as a TERVA project: the file ends at line %2 before the "
                                    "project is complete.\n\n%3")
                         .arg(file)
                         .arg(result.line)
                         .arg(reason);
  } else {
    const QString expected =
        result.expected.isEmpty() ? QString() : QStringLiteral(" (expected: %1)").arg(result.expected);
    result.message = QStringLiteral("Cannot open \"%1\" as a TERVA project: line %2 is not what a project file "
                                    "holds there%3.\n\n%4")
                         .arg(file)
                         .arg(result.line)
                         .arg(expected, reason);
  }
  return result;
}

}  // namespace terva::gui
