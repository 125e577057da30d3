#include "gui/files/EngineImport.hpp"

#include "gui/files/ProjectFormat.hpp"
#include "gui/files/ProjectWriter.hpp"
#include "gui/core/Errors.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"

#include "engine/analysis/read_input.hpp"
#include "engine/core/problem_data.hpp"
#include "engine/core/scalar.hpp"
#include "engine/input/input_records.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <string>

#include <QRegularExpression>

namespace terva::gui {

using namespace project_file;

namespace {

// A value of the record as the input most likely wrote it: the shortest
// decimal that reads back as the same single-precision number (0.1, not
// 0.100000001490116).
long double Decimal(Real value) {
  if (!std::isfinite(value)) return static_cast<long double>(value);
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, value);
  double decimal = 0.0;
  std::from_chars(text, written.ptr, decimal);
  return static_cast<long double>(decimal);
}

// The value as the program writes it and the engine reads it back.
Real AsReadBack(long double value) { return static_cast<Real>(ValueAsWritten(value)); }

QString Number(Real value) { return FormatReal(Decimal(value)); }

class TImporter {
 public:
  TImporter(const InputReading& reading, const QByteArray& text, TProgramData& data, TProjectTables& tables,
            QStringList& notes)
      : r_(reading), p_(reading.problem), text_(text), d_(data), t_(tables), notes_(notes) {}

  void Run() {
    Heading();
    Foundation();
    if (Is(EngineFoundation::Pile)) Piles();
    if (Is(EngineFoundation::Multilayer)) Multilayer();
    if (Is(EngineFoundation::HalfSpace)) HalfSpace();
    if (Is(EngineFoundation::Stratum)) Stratum();
    Load();
    Options();
    InputText();
  }

 private:
  bool Is(EngineFoundation type) const { return p_.status.FoundationType == type; }
  void Note(const QString& text) { notes_ << text; }
  static void Set(TGridTable* table, int column, int row, Real value) {
    table->Column(column)->SetReal(row, Decimal(value));
  }
  static void Rows(TGridTable* table, int count) { table->SetRowCount(std::max(count, 0)); }

  void Heading() {
    d_.Units = p_.UnitSystem == 1 ? 1 : 2;
    t_.SetUnits(d_.Units);
    const long double standard = d_.Units == 1 ? 32.2L : 9.8L;
    if (p_.Gravity != static_cast<Real>(standard)) {
      d_.Gravity = Decimal(p_.Gravity);
      Note(QStringLiteral("The gravity %1 is kept; the program's own for %2 units is %3.")
               .arg(Number(p_.Gravity), d_.Units == 1 ? QStringLiteral("English") : QStringLiteral("SI"),
                    FormatReal(standard)));
    }
    QString title = QString::fromLatin1(p_.run.Title.data(), static_cast<qsizetype>(p_.run.Title.size()));
    while (title.endsWith(u' ')) title.chop(1);
    d_.Title = title;
    d_.Matrix = p_.run.PrintConstants ? 1 : 0;
  }

  void Foundation() {
    switch (p_.status.FoundationType) {
      case EngineFoundation::Pile: d_.SetFoundation(TFoundationType::Pile); break;
      case EngineFoundation::Stratum: d_.SetFoundation(TFoundationType::Stratum); break;
      case EngineFoundation::Multilayer: d_.SetFoundation(TFoundationType::Multilayer); break;
      default: d_.SetFoundation(TFoundationType::HalfSpace); break;
    }
    const FootingGeometry& g = p_.geometry;
    d_.Circular = p_.status.FootingShape == ::terva::kCircular ? 1 : 0;
    if (d_.Circular == 1)
      d_.Radius = Decimal(g.NominalRadius);
    else {
      d_.Length = Decimal(g.FootingDim1);
      d_.Width = Decimal(g.FootingDim2);
    }
    const MassConstants& m = p_.mass;
    const Real mass[] = {m.FootingMass, m.MassMomentX, m.MassMomentY, m.MassMomentZ,
                         m.ProductXY,   m.ProductXZ,   m.ProductYZ};
    for (size_t i = 0; i < d_.MassConstants.size(); ++i) d_.MassConstants[i] = Decimal(mass[i]);
    const FoundationConstants& c = p_.constants;
    d_.Xc = Decimal(c.CentreOfGravityX);
    d_.Yc = Decimal(c.CentreOfGravityY);
    d_.Zc = Decimal(c.CentreOfGravityHeight);
    if (Is(EngineFoundation::Stratum)) {
      d_.BaseDepth = Decimal(c.EmbedmentDepth);
      d_.BedrockDepth = Decimal(c.StratumDepth);
    }
    if (Is(EngineFoundation::Pile) || Is(EngineFoundation::Multilayer)) {
      d_.PileLength = Decimal(c.PileLength);
      d_.PileUnitWeight = Decimal(c.PileUnitWeight);
      d_.StaticLoad = Decimal(c.StaticLoad);
      d_.PilePoisson = Decimal(c.PilePoissonRatio);
      d_.PileDamping = Decimal(c.PileDamping);
      d_.ShearCoefficient = Decimal(c.RigidityCoefficient);
      d_.PileModulus = Decimal(c.YoungsModulus);
    }
    if (!Is(EngineFoundation::Stratum)) {
      const BaseSoil& b = p_.base;
      d_.BelowVs = Decimal(b.BaseShearWaveVelocity);
      d_.BelowUnitWeight = Decimal(b.BaseUnitWeight);
      d_.BelowPoisson = Decimal(b.BasePoissonRatio);
      d_.BelowDamping = Decimal(b.BaseDamping);
    }
    d_.EndBearing = p_.status.EndBearing ? 1 : 0;
  }

  // The elements (pile sections, or the multilayer foundation's layers) into `table`.
  void Elements(TGridTable* table, int count) {
    const PileSections& s = p_.sections;
    Rows(table, count);
    for (int k = 1; k <= count; ++k) {
      const Real values[] = {s.LayerThickness(k), s.PileRadiusX(k), s.PileRadiusY(k), s.PileArea(k),
                             s.PileInertiaX(k),   s.PileInertiaY(k), s.PileTorsion(k)};
      for (int c = 0; c < 7; ++c) Set(table, c, k - 1, values[c]);
    }
  }

  // The program writes a weakened zone as the layer's Poisson's ratio, twice
  // its damping and the whole thickness (a ratio at or above `weakBelow`
  // weakens nothing); a zone given otherwise is noted.
  // Rows of one table whose weakened zones the program gives other values,
  // noted once for the table by NoteWeakZones.
  struct TWeakZones {
    QList<int> rows;
    QString given, written;  // the first such row's values
  };

  void NoteWeakZones(const QString& table, const TWeakZones& zones) {
    if (zones.rows.isEmpty()) return;
    // runs of rows as "first–last"
    QStringList rows;
    for (qsizetype i = 0; i < zones.rows.size();) {
      qsizetype j = i;
      while (j + 1 < zones.rows.size() && zones.rows[j + 1] == zones.rows[j] + 1) ++j;
      rows << (j > i ? QStringLiteral("%1\u2013%2").arg(zones.rows[i]).arg(zones.rows[j]) : QString::number(zones.rows[i]));
      i = j + 1;
    }
    Note(QStringLiteral("%1, %2 %3: the weakened zone's Poisson's ratio, damping and thickness ratio (%4 in row %5) "
                        "become the layer's Poisson's ratio, twice its damping and the whole layer (%6): the "
                        "program gives every weakened zone these.")
             .arg(table, zones.rows.size() == 1 ? QStringLiteral("row") : QStringLiteral("rows"),
                  rows.join(QStringLiteral(", ")), zones.given)
             .arg(zones.rows.first())
             .arg(zones.written));
  }

  void WeakZone(TWeakZones& zones, int row, Real shearRatio, Real nu, Real beta, Real weakNu, Real weakBeta,
                Real weakThickness, long double weakBelow, bool thicknessAsWritten) {
    const Real ratio = AsReadBack(Decimal(shearRatio));
    const bool weakened = static_cast<double>(ratio) <= static_cast<double>(weakBelow);
    // The engine gives no thickness to a zone whose ratio is above 0.999.
    const Real thickness = weakened ? 1.0f : 0.0f;
    const Real effective = thicknessAsWritten ? thickness : (ratio > 0.999f ? 0.0f : thickness);
    const bool same = weakNu == AsReadBack(Decimal(nu)) && weakBeta == AsReadBack(2.0L * Decimal(beta)) &&
                      weakThickness == effective;
    if (same || !(shearRatio <= 0.999f)) return;
    if (zones.rows.isEmpty()) {
      zones.given = QStringLiteral("%1, %2, %3").arg(Number(weakNu), Number(weakBeta), Number(weakThickness));
      zones.written =
          QStringLiteral("%1, %2, %3").arg(Number(nu), FormatReal(2.0L * Decimal(beta)), FormatReal(thickness));
    }
    zones.rows << row;
  }

  // Soil rows along the piles or beside a multilayer foundation: Vs, gamma,
  // nu, beta and the weak-zone ratio (1 when the input has no WEAK).
  void SoilRows(TGridTable* table, int from, int count, long double weakBelow) {
    const SoilProfile& s = p_.soil;
    const ::terva::WeakZone& w = p_.weak;
    const bool weak = p_.status.WeakZoneOn;
    Rows(table, count);
    TWeakZones zones;
    for (int k = from; k < from + count; ++k) {
      const int r = k - from;
      Set(table, 0, r, s.ShearWaveVelocity(k));
      Set(table, 1, r, s.SoilUnitWeight(k));
      Set(table, 2, r, s.SoilPoissonRatio(k));
      Set(table, 3, r, s.SoilDamping(k));
      table->Column(4)->SetReal(r, weak ? Decimal(w.WeakShearRatio(k)) : 1.0L);
      if (weak)
        WeakZone(zones, r + 1, w.WeakShearRatio(k), s.SoilPoissonRatio(k), s.SoilDamping(k), w.WeakPoissonRatio(k),
                 w.WeakDamping(k), w.WeakThicknessRatio(k), weakBelow, false);
    }
    NoteWeakZones(table->Caption(), zones);
  }

  // Side layers: the half-space's beside the block, the pile cap's; `weak`
  // when the input gives their weakened zones.
  void SideRows(TGridTable* table, bool weak, long double weakBelow) {
    const SideLayers& s = p_.side;
    const int count = std::clamp<int>(s.SideLayerCount, 0, kMaxLayers);
    Rows(table, count);
    TWeakZones zones;
    for (int k = 1; k <= count; ++k) {
      const int r = k - 1;
      Set(table, kLayerThicknessColumn, r, s.SideLayerDepth(k));
      Set(table, 1, r, s.SideShearWaveVelocity(k));
      Set(table, 2, r, s.SideUnitWeight(k));
      Set(table, 3, r, s.SidePoissonRatio(k));
      Set(table, 4, r, s.SideDamping(k));
      table->Column(5)->SetReal(r, weak ? Decimal(s.CapShearRatio(k)) : 0.0L);
      if (weak)
        WeakZone(zones, k, s.CapShearRatio(k), s.SidePoissonRatio(k), s.SideDamping(k), s.CapPoissonRatio(k),
                 s.CapDamping(k), s.CapThicknessRatio(k), weakBelow, Is(EngineFoundation::Pile));
    }
    NoteWeakZones(table->Caption(), zones);
  }

  void Piles() {
    const PileGroup& g = p_.piles;
    d_.PileHeadFixed = g.PileHeadFixed ? 1 : 0;
    const int piles = RowsOf(g.PileCountValue, kMaxPiles);
    TGridTable* coordinates = t_.Pilecoord();
    Rows(coordinates, piles);
    bool renumbered = false;
    for (int i = 1; i <= piles; ++i) {
      Set(coordinates, 0, i - 1, g.PileX(i));
      Set(coordinates, 1, i - 1, g.PileY(i));
      if (p_.status.BatteredOn) {
        Set(coordinates, kBatterAngleColumn, i - 1, g.BatterAngle(i));
        coordinates->Column(kBatterPlaneColumn)->SetInteger(i - 1, g.BatterPlane(i) == "YZ" ? 2 : 1);
      }
      if (g.PileNumber(i) != static_cast<Real>(i)) renumbered = true;
    }
    if (renumbered)
      Note(QStringLiteral("The piles are numbered 1 to %1 in the order of the input; the input numbers them "
                          "otherwise.")
               .arg(piles));
    d_.Battered = p_.status.BatteredOn;
    d_.Interaction = p_.status.InteractionOn ? 1 : 0;

    const int layers = RowsOf(g.LayerCountValue, kMaxLayers);
    Elements(t_.PileData(), layers);
    if (p_.status.SoilMedia == ::terva::kParabolic)
      Note(QStringLiteral("The soil is PARABOLIC, which the program has no window for: the %1 layers the engine "
                          "makes of it are in Pile Data and Soil Properties, and the report lists them as layers.")
               .arg(layers));
    d_.Weak = p_.status.WeakZoneOn;
    SoilRows(t_.D(), 1, layers, kPileSoil.weakBelow);
    if (p_.status.EmbeddedOn) {
      d_.SideCap = p_.status.SideCapOn;
      SideRows(t_.pilecapsoil(), p_.status.SideCapOn, kSideCapSoil.weakBelow);
    } else {
      Rows(t_.pilecapsoil(), 0);
    }
  }

  void Multilayer() {
    const int layers = RowsOf(p_.piles.LayerCountValue, kMaxLayers);
    const int adjacent = std::min(RowsOf(p_.piles.AdjacentLayerCountValue, kMaxLayers), layers);
    Elements(t_.MultiElement(), layers);
    d_.Weak = p_.status.WeakZoneOn;
    SoilRows(t_.D(), 1, adjacent, kAdjacentSoil.weakBelow);
    const SoilProfile& s = p_.soil;
    TGridTable* below = t_.Multisoil();
    Rows(below, layers - adjacent);
    for (int k = adjacent + 1; k <= layers; ++k) {
      const Real values[] = {s.ShearWaveVelocity(k), s.SoilUnitWeight(k),
                             s.SoilPoissonRatio(k),  s.SoilDamping(k),
                             s.ShearModulusRatio(k), s.DampingRatio(k)};
      for (int c = 0; c < 6; ++c) Set(below, c, k - adjacent - 1, values[c]);
    }
    if (p_.status.EndBearing)
      Note(QStringLiteral("END-BEARING has no place in a multilayer project and is dropped."));
  }

  void HalfSpace() {
    d_.Weak = p_.status.WeakZoneOn;
    SideRows(t_.D1(), p_.status.WeakZoneOn, kHalfSpaceWeakSoil.weakBelow);
  }

  void Stratum() {
    const BaseSoil& b = p_.base;
    d_.BelowVs = Decimal(b.StratumShearWaveVelocity);
    d_.BelowUnitWeight = Decimal(b.StratumUnitWeight);
    d_.BelowPoisson = Decimal(b.StratumPoissonRatio);
    d_.BelowDamping = Decimal(b.StratumDamping);
    Rows(t_.D1(), 0);
  }

  // The values of a load history or spectrum into the nested table of `row`.
  void Series(TGridTable* table, int row, const InputRecords::Series& series) {
    TGridTable* nested = table->Column(kLoadHistoryColumn)->NestedTable(row);
    if (nested == nullptr) return;
    Rows(nested, d_.PointCount);
    for (int k = 0; k < d_.PointCount && k < static_cast<int>(series.values.size()); ++k)
      nested->Column(kHistoryValueColumn)->SetReal(k, Decimal(series.values[static_cast<size_t>(k)]));
  }

  void Load() {
    const LoadDescription& l = p_.load;
    switch (p_.status.LoadType) {
      case EngineLoad::Transient: {
        d_.LoadType = TLoadType::Transient;
        d_.LoadLine = QString(kTransient);
        d_.PointCount = std::max<Int>(l.PointCount, 0);
        d_.TimeStep = Decimal(l.TimeStep);
        const auto& histories = r_.records.histories;
        d_.LoadCount = static_cast<int>(histories.size());
        Rows(t_.TLoadtype(), d_.LoadCount);
        for (int h = 0; h < d_.LoadCount; ++h) {
          t_.TLoadtype()->Column(kLoadDirectionColumn)->SetInteger(h, histories[static_cast<size_t>(h)].first);
          Series(t_.TLoadtype(), h, histories[static_cast<size_t>(h)]);
        }
        break;
      }
      case EngineLoad::Random: {
        d_.LoadType = TLoadType::Random;
        d_.LoadLine = QString(kRandom);
        d_.RandomFreqMax = Decimal(l.FreqMax);
        d_.RandomFreqMin = Decimal(l.FreqMin);
        d_.PointCount = std::max<Int>(l.PointCount, 0);
        d_.ObservationPeriod = Decimal(l.RandomDuration);
        int row = 0;
        for (const InputRecords::Series& spectrum : r_.records.spectra)
          if (spectrum.first == spectrum.second) ++row;
        Rows(t_.Trandom(), row);
        d_.LoadCount = row;
        row = 0;
        for (const InputRecords::Series& spectrum : r_.records.spectra) {
          if (spectrum.first != spectrum.second) {
            Note(QStringLiteral("The cross-spectrum at (%1, %2) is dropped: the program holds the spectra of "
                                "single directions only.")
                     .arg(spectrum.first)
                     .arg(spectrum.second));
            continue;
          }
          t_.Trandom()->Column(kLoadDirectionColumn)->SetInteger(row, spectrum.first);
          Series(t_.Trandom(), row++, spectrum);
        }
        break;
      }
      default: {
        d_.LoadType = TLoadType::Harmonic;
        d_.LoadLine = QString(kHarmonic);
        d_.Quadratic = p_.status.HarmonicKind == ::terva::kQuadratic ? 1 : 0;
        d_.FreqMax = Decimal(l.FreqMax) / kHertzToRadians;
        d_.FreqMin = Decimal(l.FreqMin) / kHertzToRadians;
        d_.FreqStep = Decimal(l.FreqStep) / kHertzToRadians;
        for (int i = 0; i < kDof; ++i) d_.HarmonicLoads[static_cast<size_t>(i)] = Decimal(l.LoadAmplitude(i + 1));
        break;
      }
    }
  }

  void Options() {
    const RunControl& run = p_.run;
    if (!run.EchoInput) Note(QStringLiteral("NOECHO is dropped: the program's reports always echo the input."));
    if (run.WidePrintout) Note(QStringLiteral("WIDE is dropped: the program's reports use the narrow printout."));
    if (run.DimensionlessResponse)
      Note(QStringLiteral("DIMENSIONLESS is dropped: the program's reports give the response in units."));
  }

  // What the text has that no reading keeps: comments, and lines after RUN.
  void InputText() {
    const QList<QByteArray> lines = text_.split('\n');
    int comments = 0;
    for (const QByteArray& line : lines)
      if (line.left(kEngineLineWidth).contains('$')) ++comments;
    if (comments > 0)
      Note(QStringLiteral("The comments ($ …) on %1 line(s) are not kept.").arg(comments));
    int after = 0;
    for (qsizetype i = r_.records.lastLine; i < lines.size(); ++i)
      if (!lines[i].trimmed().isEmpty()) ++after;
    if (after > 0) Note(QStringLiteral("The %1 line(s) after RUN are not kept.").arg(after));
  }

  const InputReading& r_;
  const ProblemData& p_;
  const QByteArray& text_;
  TProgramData& d_;
  TProjectTables& t_;
  QStringList& notes_;
};

// The report lines of a reading, the run's date and time masked.
QStringList EchoLines(const std::string& report) {
  static const QRegularExpression date(QStringLiteral("RUN DATE -  \\d\\d/\\d\\d/\\d{4}"));
  static const QRegularExpression time(QStringLiteral("TIME     -  \\d\\d:\\d\\d:\\d\\d"));
  QString text = QString::fromLatin1(report.data(), static_cast<qsizetype>(report.size()));
  text.replace(date, QStringLiteral("RUN DATE"));
  text.replace(time, QStringLiteral("TIME"));
  return text.split(u'\n');
}

// Notes where the engine's echo of the project as the program writes it
// differs from its echo of the input: whatever the notes above did not
// foresee still shows.
void CompareEchoes(const InputReading& input, const TProgramData& data, const TProjectTables& tables,
                   QStringList& notes) {
  QByteArray written;
  try {
    written = ProjectFileText(data, tables);
  } catch (const TError& error) {
    notes << error.Message();
    return;
  }
  const auto again = ReadInputOnly(std::string_view(written.constData(), static_cast<size_t>(written.size())));
  const QStringList before = EchoLines(input.report);
  const QStringList after = EchoLines(again->report);
  if (before == after) return;
  int differing = 0;
  qsizetype first = -1;
  for (qsizetype i = 0; i < std::max(before.size(), after.size()); ++i) {
    if (before.value(i) == after.value(i)) continue;
    ++differing;
    if (first < 0) first = i;
  }
  notes << QStringLiteral("The engine's echo of the project as the program saves it differs from its echo of the "
                          "input in %1 line(s) of the report; the first is line %2: \"%3\" becomes \"%4\".")
               .arg(differing)
               .arg(first + 1)
               .arg(before.value(first).trimmed(), after.value(first).trimmed());
}

// At most so many lines of the engine's report make an error's message.
constexpr qsizetype kErrorLines = 4;

// Why the engine would not analyse the input, with the input line when one is named.
void NotRunnable(const InputReading& reading, TLoadResult& result) {
  const ProblemData& p = reading.problem;
  const InputRecords& records = reading.records;
  if (records.errorLine > 0) {
    QStringList lines;
    for (const QString& line : QString::fromLatin1(records.errorText.data(),
                                                   static_cast<qsizetype>(records.errorText.size()))
                                   .split(u'\n')) {
      // the report's page marks and the asterisks underlining a heading are left out
      const QString trimmed = line.trimmed();
      static const QRegularExpression stars(QStringLiteral("^\\*+$"));
      if (trimmed.isEmpty() || trimmed == QStringLiteral("1") || stars.match(trimmed).hasMatch()) continue;
      lines << trimmed;
      // the error's own lines end where the engine says what it does about it
      if (trimmed.startsWith(QStringLiteral("PROGRAM WILL")) || lines.size() == kErrorLines) break;
    }
    result.line = records.errorLine;
    result.message = lines.isEmpty() ? QStringLiteral("The engine reports an input error.") : lines.join(u'\n');
    return;
  }
  if (p.run.StopIndicator && !records.reachedRun) {
    result.line = records.lastLine;
    result.ended = records.reachedEnd;
    result.message = records.reachedEnd ? QStringLiteral("The input ends before RUN.")
                                        : QStringLiteral("The input stops at STOP before RUN.");
    return;
  }
  QStringList missing;
  if (p.status.FoundationType == EngineFoundation::None) missing << QStringLiteral("the foundation");
  if (p.status.FootingShape == kShapeNone) missing << QStringLiteral("the footing's shape");
  if (p.status.LoadType == EngineLoad::None) missing << QStringLiteral("the load");
  if (p.status.GravitySet == 0) missing << QStringLiteral("the gravity");
  result.line = records.lastLine;
  result.message = QStringLiteral("The input does not give %1.").arg(missing.join(QStringLiteral(", ")));
}

}  // namespace

TLoadResult ImportEngineInput(const QByteArray& text, const QString& path, TProjectTables& tables) {
  TLoadResult result;
  std::unique_ptr<InputReading> reading;
  try {
    reading = ReadInputOnly(std::string_view(text.constData(), static_cast<size_t>(text.size())));
  } catch (const std::exception& error) {
    result.message = QString::fromLocal8Bit(error.what());
    return result;
  }
  if (!reading->Runnable()) {
    NotRunnable(*reading, result);
    return result;
  }
  const std::vector<TTableSnapshot> previous = tables.Snapshot();
  try {
    auto data = NewProject(tables);
    data->FileName = path;
    for (TGridTable* table : tables.All()) table->SetRowCount(0);
    TImporter(*reading, text, *data, tables, result.notes).Run();
    tables.EnsureMinRows();
    CompareEchoes(*reading, *data, tables, result.notes);
    tables.ClearModified();
    result.project = std::move(data);
    result.status = TLoadResult::kComplete;
    result.imported = true;
    return result;
  } catch (const TError& error) {
    result.message = error.Message();
  } catch (const std::exception& error) {
    result.message = QString::fromLocal8Bit(error.what());
  }
  result.notes.clear();
  tables.Restore(previous);
  return result;
}

}  // namespace terva::gui
