#include "gui/model/ProjectReader.hpp"

#include "gui/Table.hpp"
#include "gui/WordRead.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/ProjectWriter.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

namespace terva::gui {

namespace {

// Harmonic frequencies are stored in the file in rad/s, converted with 6.28.
constexpr long double kHertzToRadians = 6.28L;
// A gravity of at least this means English units.
constexpr long double kEnglishGravity = 10.0L;
// Titles keep at most this many characters.
constexpr int kTitleLength = 248;

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
  TLoader(TWordReader& reader, TProgramData& data, TProjectTables& tables)
      : reader_(reader), data_(data), tables_(tables) {}

  void Run();

 private:
  QString Line() { return reader_.ReadLine(); }
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

  void ReadCells(TGridTable* table, int row, int count, int first = 0) {
    for (int c = first; c < first + count; ++c) table->Column(c)->SetReal(row, Real());
  }

  void ReadPointCount() {
    data_.PointCount = Int();
    if (data_.PointCount > kMaxPointCount) {
      throw TInOutError(QStringLiteral("Error on Line %1\r%2 points were given; a project file holds at most %3.")
                            .arg(reader_.LineNumber())
                            .arg(data_.PointCount)
                            .arg(kMaxPointCount));
    }
  }

  // The values of one load history or spectrum into the nested table of
  // `row` (read and dropped when the row has no table).
  void ReadHistory(TGridTable* table, int row) {
    TGridTable* nested = table->Column(1)->NestedTable(row);
    if (nested != nullptr) nested->SetRowCount(data_.PointCount);
    for (int r = 0; r < data_.PointCount; ++r) {
      const long double value = Real();
      if (nested != nullptr) nested->Column(0)->SetReal(r, value);
    }
  }

  // The side soil of the pile cap after EMBEDDED: a count, then the rows.
  void ReadSideLayers(bool weak) {
    TGridTable* table = tables_.pilecapsoil();
    const int count = Int();
    SetRows(table, count, reader_.LineNumber());
    for (int r = 0; r < table->RowCount(); ++r) {
      Int();
      ReadCells(table, r, weak ? 6 : 5);
      if (weak) Drop(3);
      Finish();
    }
    if (table->RowCount() == 0) Finish();
  }

  TWordReader& reader_;
  TProgramData& data_;
  TProjectTables& tables_;
};

void TLoader::Run() {
  TProgramData& d = data_;
  TProjectTables& t = tables_;

  d.Title = Line().mid(6, kTitleLength);

  QString line = Line();
  if (line.trimmed() == QStringLiteral("MATRIX")) {
    d.Matrix = 1;
    line = Line();
  } else {
    d.Matrix = 0;
  }
  // The unit system before any value is read: nothing is converted.
  d.Units = TextToReal(line.mid(8)) >= kEnglishGravity ? 1 : 2;
  t.SetUnits(d.Units);

  const QString F = Line().trimmed().mid(11);
  const int type = FoundationCodeOf(F);
  d.SetFoundation(type);
  const bool pile = type == kPile, multilayer = type == kMultilayer;
  const bool halfSpace = type == kHalfSpace, stratum = type == kStratum;

  line = Line();
  if (line.left(8) == QStringLiteral("CIRCULAR")) {
    d.Circular = 1;
    d.Radius = TextToReal(line.mid(9));
  } else {
    d.Circular = 0;
    const QString dimensions = line.mid(12);
    const qsizetype comma = dimensions.indexOf(u',');
    d.Length = TextToReal(comma < 0 ? dimensions : dimensions.left(comma));
    d.Width = TextToReal(comma < 0 ? QString() : dimensions.mid(comma + 1));
  }

  Skip();  // MASS
  for (long double& value : d.MassConstants) value = Real();
  Finish();

  if (pile) {
    line = Line().trimmed();
    SetRows(t.PileData(), TextToInt(line.mid(7)), LastLine());
    line = Line().trimmed();
    int piles = 0;
    if (line.left(5) == QStringLiteral("FIXED")) {
      d.PileHeadFixed = 1;
      piles = TextToInt(line.mid(6));
    } else {
      d.PileHeadFixed = 0;
      piles = TextToInt(line.mid(7));
    }
    SetRows(t.Pilecoord(), piles, LastLine());
    for (int r = 0; r < t.Pilecoord()->RowCount(); ++r) {
      Int();
      ReadCells(t.Pilecoord(), r, 2);
      Finish();
    }
  }
  if (multilayer) {
    line = Line().trimmed();
    SetRows(t.MultiElement(), TextToInt(line.mid(6)), LastLine());
  }

  if (pile || multilayer || halfSpace || stratum) Skip();  // CONSTANTS
  if (pile || multilayer) {
    for (long double* value : {&d.Xc, &d.Yc, &d.Zc, &d.PileLength, &d.PileUnitWeight, &d.StaticLoad,
                               &d.PilePoisson, &d.PileDamping, &d.ShearCoefficient, &d.PileModulus})
      *value = Real();
  } else if (halfSpace) {
    for (long double* value : {&d.Xc, &d.Yc, &d.Zc}) *value = Real();
  } else if (stratum) {
    for (long double* value : {&d.Xc, &d.Yc, &d.Zc, &d.BaseDepth, &d.BedrockDepth}) *value = Real();
  }
  if (pile || multilayer || halfSpace || stratum) Finish();

  if (pile || multilayer) {
    TGridTable* elements = pile ? t.PileData() : t.MultiElement();
    Skip();  // ELEMENT
    for (int r = 0; r < elements->RowCount(); ++r) {
      Int();
      ReadCells(elements, r, 7);
      Finish();
    }
  }

  if (pile) {
    QString X = Line().trimmed();
    d.EndBearing = X == QStringLiteral("END-BEARING") ? 1 : 0;
    if (X == QStringLiteral("FLOATING") || X == QStringLiteral("END-BEARING")) X = Line().trimmed();
    if (X == QStringLiteral("BATTERED")) {
      TGridTable* piles = t.Pilecoord();
      for (int r = 0; r < piles->RowCount(); ++r) {
        const QString planeLine = Line();
        const QString plane = planeLine.mid(QString::number(r + 1).size() + 1, 2);
        if (plane == QStringLiteral("XZ")) piles->Column(3)->SetInteger(r, 1);
        if (plane == QStringLiteral("YZ")) piles->Column(3)->SetInteger(r, 2);
        piles->Column(2)->SetReal(r, TextToReal(Line()));
      }
      X = Line().trimmed();
    }
    if (X.left(11) == QStringLiteral("INTERACTION")) {
      d.Interaction = 1;
      Skip();  // SOIL
    } else {
      d.Interaction = 0;  // X was the SOIL line
    }
    Skip();  // WEAK
    Skip();  // CONSTANTS
    // One soil row per pile layer: the file carries no count of its own.
    t.D()->SetRowCount(t.PileData()->RowCount());
    for (int r = 0; r < t.D()->RowCount(); ++r) {
      Int();
      ReadCells(t.D(), r, 5);
      Drop(3);
      Finish();
    }
  }

  if (multilayer) {
    Skip();  // SOIL
    line = Line();
    if (line.trimmed().left(4) == QStringLiteral("WEAK")) line = Line();
    const int adjacent = TextToInt(line.trimmed().mid(10));
    SetRows(t.D(), adjacent, LastLine());
    SetRows(t.Multisoil(), static_cast<long long>(t.MultiElement()->RowCount()) - adjacent, LastLine());
    for (int r = 0; r < t.D()->RowCount(); ++r) {
      Int();
      ReadCells(t.D(), r, 5);
      Drop(3);
      Finish();
    }
    for (int r = 0; r < t.Multisoil()->RowCount(); ++r) {
      Int();
      ReadCells(t.Multisoil(), r, 6);
      Finish();
    }
  }

  if (halfSpace) {
    Skip();  // SOIL
    line = Line();
    const bool weak = line.trimmed().left(4) == QStringLiteral("WEAK");
    if (weak) line = Line();
    SetRows(t.D1(), TextToInt(line.trimmed().mid(10)), LastLine());
    for (int r = 0; r < t.D1()->RowCount(); ++r) {
      d.Weak = weak;
      Int();
      ReadCells(t.D1(), r, weak ? 6 : 5);
      if (weak) Drop(3);
      Finish();
    }
  }

  if (!stratum) {
    const QStringList values = Line().trimmed().mid(6).split(u' ', Qt::SkipEmptyParts);
    long double* below[] = {&d.BelowVs, &d.BelowUnitWeight, &d.BelowPoisson, &d.BelowDamping};
    for (int i = 0; i < 4; ++i) *below[i] = TextToReal(values.value(i));
  } else {
    Skip();  // SOIL
    Skip();  // CONSTANTS
    for (long double* value : {&d.BelowVs, &d.BelowUnitWeight, &d.BelowPoisson, &d.BelowDamping}) *value = Real();
    Finish();
  }

  if (pile) {
    const QString X = Line().trimmed();
    if (X.left(8) == QStringLiteral("SIDE-CAP")) {
      const QString Y = Line().trimmed();
      if (Y.left(8) == QStringLiteral("EMBEDDED")) {
        ReadSideLayers(true);
        Skip();  // LOAD
      }  // otherwise Y was the LOAD line
    } else if (X.left(8) == QStringLiteral("EMBEDDED")) {
      ReadSideLayers(false);
      Skip();  // LOAD
    }  // otherwise X was the LOAD line
  } else {
    Skip();  // LOAD
  }

  d.LoadLine = Line();
  Skip();  // CONSTANTS
  if (d.LoadLine.left(9) == QStringLiteral("TRANSIENT")) {
    d.LoadType = kTransientLoad;
    ReadPointCount();
    d.TimeStep = Real();
    d.LoadCount = Int();
    TGridTable* loads = t.TLoadtype();
    SetRows(loads, d.LoadCount, reader_.LineNumber(), kMaxLoadRows);
    for (int r = 0; r < loads->RowCount(); ++r) {
      loads->Column(0)->SetInteger(r, Int());
      ReadHistory(loads, r);
    }
    Finish();
  } else if (d.LoadLine.left(6) == QStringLiteral("RANDOM")) {
    d.LoadType = kRandomLoad;
    d.RandomFreqMax = Real();
    d.RandomFreqMin = Real();
    ReadPointCount();
    d.ObservationPeriod = Real();
    d.LoadCount = Int();
    TGridTable* spectra = t.Trandom();
    SetRows(spectra, d.LoadCount, reader_.LineNumber(), kMaxLoadRows);
    for (int r = 0; r < spectra->RowCount(); ++r) {
      spectra->Column(0)->SetInteger(r, Int());
      Int();  // the second location: the same direction
      ReadHistory(spectra, r);
    }
    Finish();
  } else {
    d.Quadratic = Line().trimmed() == QStringLiteral("QUADRATIC") ? 1 : 0;
    d.FreqMax = Real() / kHertzToRadians;
    d.FreqMin = Real() / kHertzToRadians;
    d.FreqStep = Real() / kHertzToRadians;
    for (long double& value : d.HarmonicLoads) value = Real();
    Finish();
  }

  Skip();  // RUN

  d.MassCount = 0;
  if (NoMoreWords()) return;
  d.MassCount = Int();
  if (d.MassCount <= 0) return;
  TGridTable* masses = t.MassCal();
  SetRows(masses, d.MassCount, reader_.LineNumber());
  for (int r = 0; r < masses->RowCount(); ++r) {
    ReadCells(masses, r, 7);
    Finish();
  }
  for (auto* triple : {&d.CgLocal, &d.CbLocal, &d.CbGlobal}) {
    if (NoMoreWords()) return;
    for (long double& value : *triple) value = Real();
    if (triple != &d.CbGlobal) Finish();
  }
}

}  // namespace

TLoadResult LoadProject(TWordReader& reader, const QString& path, TProjectTables& tables) {
  TLoadResult result;
  const std::vector<TTableSnapshot> previous = tables.Snapshot();
  try {
    auto data = NewProject(tables);
    data->FileName = path;
    for (TGridTable* table : tables.All()) table->SetRowCount(0);
    TLoader loader(reader, *data, tables);
    try {
      loader.Run();
      result.status = TLoadResult::kComplete;
    } catch (const TInOutError& error) {
      // The reading stops; what was read stays.
      result.status = TLoadResult::kStopped;
      result.message = error.Message();
    }
    tables.EnsureMinRows();
    tables.ClearModified();
    result.project = std::move(data);
    return result;
  } catch (const TError& error) {
    result.message = error.Message();
  } catch (const std::exception& error) {
    result.message = QString::fromLocal8Bit(error.what());
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

}  // namespace terva::gui
