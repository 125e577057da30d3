// Projects of every foundation type, load type and option, saved and loaded
// again; the same files run through the analysis engine; and saved files
// mutated in many ways, none of which may crash the loader or leave an
// incomplete project.
#include "gui/model/ColumnTypes.hpp"
#include "gui/model/Table.hpp"
#include "gui/core/WordRead.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/files/ProjectReader.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/files/ProjectWriter.hpp"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <cmath>
#include <random>

using namespace terva::gui;

namespace {

struct Case {
  const char* name;
  TFoundationType foundation;
  TLoadType load;
  bool english = false;
  bool circular = false;
  bool matrix = true;
  bool quadratic = false;
  bool battered = false;
  int sideSoil = 0;  // pile cap: 0 none, 1 embedded, 2 side-cap (weakened)
  bool weak = true;  // weak-zone ratios in the soil rows (half-space: the WEAK section)
  bool masses = false;
  bool pinned = false;
  bool endBearing = false;
  bool interaction = true;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {.name = "half-space-harmonic", .foundation = TFoundationType::HalfSpace, .load = TLoadType::Harmonic, .masses = true},
      {.name = "half-space-quadratic-english", .foundation = TFoundationType::HalfSpace, .load = TLoadType::Harmonic, .english = true,
       .circular = true, .matrix = false, .quadratic = true, .weak = false},
      {.name = "half-space-transient", .foundation = TFoundationType::HalfSpace, .load = TLoadType::Transient},
      {.name = "half-space-random-english", .foundation = TFoundationType::HalfSpace, .load = TLoadType::Random, .english = true,
       .masses = true},
      {.name = "stratum-harmonic", .foundation = TFoundationType::Stratum, .load = TLoadType::Harmonic, .circular = true},
      {.name = "stratum-quadratic-english", .foundation = TFoundationType::Stratum, .load = TLoadType::Harmonic, .english = true,
       .quadratic = true},
      {.name = "stratum-transient", .foundation = TFoundationType::Stratum, .load = TLoadType::Transient, .masses = true},
      {.name = "stratum-random", .foundation = TFoundationType::Stratum, .load = TLoadType::Random, .matrix = false},
      {.name = "pile-harmonic-side-cap", .foundation = TFoundationType::Pile, .load = TLoadType::Harmonic, .battered = true,
       .sideSoil = 2, .masses = true},
      {.name = "pile-quadratic-pinned-english", .foundation = TFoundationType::Pile, .load = TLoadType::Harmonic, .english = true,
       .quadratic = true, .sideSoil = 1, .weak = false, .pinned = true, .endBearing = true, .interaction = false},
      {.name = "pile-transient-battered", .foundation = TFoundationType::Pile, .load = TLoadType::Transient, .circular = true,
       .battered = true, .interaction = false},
      {.name = "pile-random-english", .foundation = TFoundationType::Pile, .load = TLoadType::Random, .english = true, .matrix = false,
       .sideSoil = 1},
      {.name = "multilayer-harmonic", .foundation = TFoundationType::Multilayer, .load = TLoadType::Harmonic},
      {.name = "multilayer-quadratic-english", .foundation = TFoundationType::Multilayer, .load = TLoadType::Harmonic, .english = true,
       .circular = true, .quadratic = true, .weak = false, .masses = true},
      {.name = "multilayer-transient", .foundation = TFoundationType::Multilayer, .load = TLoadType::Transient},
      {.name = "multilayer-random-english", .foundation = TFoundationType::Multilayer, .load = TLoadType::Random, .english = true,
       .matrix = false},
  };
  return cases;
}

void SetRow(TGridTable* table, int row, std::initializer_list<long double> values) {
  if (table->RowCount() <= row) table->SetRowCount(row + 1);
  int c = 0;
  for (long double value : values) table->Column(c++)->SetReal(row, value);
}

void SetHistory(TGridTable* outer, int row, int direction, const std::vector<long double>& values) {
  outer->Column(0)->SetInteger(row, direction);
  TGridTable* nested = outer->Column(1)->NestedTable(row);
  nested->SetRowCount(static_cast<int>(values.size()));
  for (size_t i = 0; i < values.size(); ++i) nested->Column(0)->SetReal(static_cast<int>(i), values[i]);
}

// A project the engine can analyse, in SI units (then switched to English
// where the case asks).
void Fill(TProgramData& d, TProjectTables& t, const Case& c) {
  d.SetFoundation(c.foundation);
  d.Title = QStringLiteral("Round trip of %1").arg(c.name);
  d.Matrix = c.matrix ? 1 : 0;
  d.Circular = c.circular ? 1 : 0;
  d.MassConstants = {120, 300, 500, 650, 0, 0, 0};
  d.Xc = 0.1L;
  d.Yc = -0.2L;
  d.Zc = 1;
  d.BelowVs = 250;
  d.BelowUnitWeight = 19;
  d.BelowPoisson = 0.33L;
  d.BelowDamping = 0.05L;
  const long double ratio1 = c.weak ? 0.5L : 0, ratio2 = c.weak ? 0.7L : 0;

  switch (c.foundation) {
    case TFoundationType::HalfSpace:
      SetRow(t.D1(), 0, {0.5L, 150, 18, 0.35L, 0.05L, ratio1});
      SetRow(t.D1(), 1, {0.7L, 180, 18.5L, 0.35L, 0.05L, ratio2});
      d.Weak = c.weak;
      break;
    case TFoundationType::Stratum:
      d.BaseDepth = 1;
      d.BedrockDepth = 12;
      d.BelowVs = 200;
      d.BelowPoisson = 0.4L;
      break;
    case TFoundationType::Pile:
      d.MassConstants = {60, 80, 80, 150, 0, 0, 0};
      d.Zc = 0.8L;
      d.PileLength = 12;
      d.PileUnitWeight = 24;
      d.StaticLoad = 600;
      d.PilePoisson = 0.25L;
      d.PileDamping = 0.02L;
      d.ShearCoefficient = 1.2L;
      d.PileModulus = 3e7L;
      d.PileHeadFixed = c.pinned ? 0 : 1;
      d.EndBearing = c.endBearing ? 1 : 0;
      d.Interaction = c.interaction ? 1 : 0;
      d.BelowVs = 600;
      d.BelowUnitWeight = 21;
      d.BelowPoisson = 0.3L;
      d.BelowDamping = 0.03L;
      for (int r = 0; r < 2; ++r)
        SetRow(t.PileData(), r, {6, 0.2L, 0.2L, 0.12566371L, 0.0012566371L, 0.0012566371L, 0.0025132741L});
      SetRow(t.Pilecoord(), 0, {-1, -1, c.battered ? 10.0L : 0.0L});
      SetRow(t.Pilecoord(), 1, {1, -1, 0});
      SetRow(t.Pilecoord(), 2, {-1, 1, c.battered ? 10.0L : 0.0L});
      SetRow(t.Pilecoord(), 3, {1, 1, c.battered ? 5.0L : 0.0L});
      // The file carries the batter planes only for battered piles.
      if (c.battered)
        for (int r = 0; r < 4; ++r) t.Pilecoord()->Column(3)->SetInteger(r, r < 2 ? 1 : 2);
      SetRow(t.D(), 0, {150, 18, 0.35L, 0.05L, ratio1});
      SetRow(t.D(), 1, {180, 18.5L, 0.35L, 0.05L, ratio2});
      if (c.sideSoil > 0) {
        const bool weakened = c.sideSoil == 2;
        SetRow(t.pilecapsoil(), 0, {0.6L, 120, 17.5L, 0.35L, 0.05L, weakened ? 0.5L : 0});
        SetRow(t.pilecapsoil(), 1, {0.6L, 140, 18, 0.35L, 0.05L, weakened ? 0.7L : 0});
      }
      break;
    case TFoundationType::Multilayer:
      d.MassConstants = {500, 1500, 3000, 3800, 0, 0, 0};
      d.Zc = 1.5L;
      d.PileLength = 6;
      d.PileUnitWeight = 24;
      d.StaticLoad = 4000;
      d.PilePoisson = 0.25L;
      d.PileDamping = 0.02L;
      d.ShearCoefficient = 1;
      d.PileModulus = 3e7L;
      d.BelowVs = 350;
      d.BelowUnitWeight = 20;
      d.BelowPoisson = 0.3L;
      d.BelowDamping = 0.03L;
      for (int r = 0; r < 4; ++r) SetRow(t.MultiElement(), r, {1.5L, 4.5L, 2.3L, 32, 170, 42, 110});
      SetRow(t.D(), 0, {150, 18, 0.35L, 0.05L, ratio1});
      SetRow(t.D(), 1, {180, 18.5L, 0.35L, 0.05L, ratio2});
      SetRow(t.Multisoil(), 0, {220, 19, 0.33L, 0.04L, 1, 1});
      SetRow(t.Multisoil(), 1, {260, 19.5L, 0.33L, 0.04L, 1, 1});
      break;
  }

  switch (c.load) {
    case TLoadType::Harmonic:
      d.Quadratic = c.quadratic ? 1 : 0;
      d.FreqMax = 25;
      // English quadratic cases make a load line longer than the engine's
      // 80 characters, which the writer continues on a second line.
      d.FreqMin = c.english ? 5.1234567L : 5;
      d.FreqStep = 5;
      d.HarmonicLoads = c.quadratic ? std::array<long double, 6>{0.02L, -0.01L, 0.03L, -0.004L, 0.005L, -0.006L}
                                    : std::array<long double, 6>{10, 0, 50, 0, 20, 5};
      break;
    case TLoadType::Transient: {
      d.PointCount = 16;
      d.TimeStep = 0.01L;
      d.LoadCount = 2;
      std::vector<long double> pulse(16, 0.0L), small(16, 0.0L);
      for (int i = 1; i < 5; ++i) {
        pulse[static_cast<size_t>(i)] = 47.552826L * std::sin(3.14159265L * i / 5);
        small[static_cast<size_t>(i)] = -0.125L * i;
      }
      t.TLoadtype()->SetRowCount(2);
      SetHistory(t.TLoadtype(), 0, 3, pulse);
      SetHistory(t.TLoadtype(), 1, 1, small);
      break;
    }
    case TLoadType::Random: {
      d.RandomFreqMax = 100;
      d.RandomFreqMin = 10;
      d.PointCount = 16;
      d.ObservationPeriod = 60;
      d.LoadCount = 2;
      std::vector<long double> horizontal, vertical;
      for (int i = 0; i < 16; ++i) {
        horizontal.push_back(0.1L + 0.05L * i);
        vertical.push_back(0.5L / (1 + 0.25L * i));
      }
      t.Trandom()->SetRowCount(2);
      SetHistory(t.Trandom(), 0, 1, horizontal);
      SetHistory(t.Trandom(), 1, 3, vertical);
      break;
    }
  }

  d.CgLocal = {0.1L, 0.2L, 0.9L};
  d.CbLocal = {0, 0, -0.6L};
  d.CbGlobal = {1.25L, -2.5L, 0.125L};
  if (c.masses) {
    SetRow(t.MassCal(), 0, {40, 0.5L, 0.2L, 0.6L, 6, 4, 1.2L});
    SetRow(t.MassCal(), 1, {20, -0.4L, 0.1L, 1.5L, 2, 1.5L, 0.8L});
  }
  // The file carries the dimensions of the footing's shape only.
  if (c.circular) {
    d.Radius = c.foundation == TFoundationType::Stratum ? 3 : c.foundation == TFoundationType::Multilayer ? 3.2L : 2.5L;
    d.Length = d.Width = 0;
  } else {
    d.Radius = 0;
    d.Length = c.foundation == TFoundationType::Multilayer ? 8 : c.foundation == TFoundationType::Pile ? 4 : 6;
    d.Width = 4;
  }
  d.LoadType = c.load;
  if (c.english) SetUnitSystem(d, t, 1);
}

bool Close(long double a, long double b) {
  return std::fabs(a - b) <= 1e-7L * std::max(std::fabs(a), std::fabs(b)) + 1e-300L;
}

QString Num(long double value) { return QString::number(double(value), 'g', 17); }

// Field by field; reals to 8 significant digits.
QStringList Differences(const TProgramData& a, const TProgramData& b) {
  QStringList out;
#define TERVA_REAL(field) \
  if (!Close(a.field, b.field)) out << QStringLiteral(#field " %1 / %2").arg(Num(a.field), Num(b.field));
#define TERVA_ARRAY(field)                                                                                     \
  for (size_t i = 0; i < a.field.size(); ++i)                                                                  \
    if (!Close(a.field[i], b.field[i]))                                                                        \
      out << QStringLiteral(#field "[%1] %2 / %3").arg(i).arg(Num(a.field[i]), Num(b.field[i]));
#define TERVA_EXACT(field) \
  if (a.field != b.field) out << QStringLiteral(#field " differs");
  TERVA_REAL(Xc) TERVA_REAL(Yc) TERVA_REAL(Zc) TERVA_REAL(PileLength) TERVA_REAL(PileUnitWeight)
  TERVA_REAL(StaticLoad) TERVA_REAL(PilePoisson) TERVA_REAL(PileDamping) TERVA_REAL(ShearCoefficient)
  TERVA_REAL(BaseDepth) TERVA_REAL(BedrockDepth) TERVA_REAL(FreqMax) TERVA_REAL(FreqMin) TERVA_REAL(FreqStep)
  TERVA_REAL(BelowVs) TERVA_REAL(BelowUnitWeight) TERVA_REAL(BelowDamping) TERVA_REAL(BelowPoisson)
  TERVA_REAL(Radius) TERVA_REAL(Length) TERVA_REAL(Width) TERVA_REAL(Thickness) TERVA_REAL(PileModulus)
  TERVA_REAL(TimeStep) TERVA_REAL(RandomFreqMax) TERVA_REAL(RandomFreqMin) TERVA_REAL(ObservationPeriod)
  TERVA_ARRAY(MassConstants) TERVA_ARRAY(CgLocal) TERVA_ARRAY(CbGlobal) TERVA_ARRAY(CbLocal)
  TERVA_ARRAY(HarmonicLoads)
  TERVA_EXACT(Units) TERVA_EXACT(FileName) TERVA_EXACT(GeometryFileName) TERVA_EXACT(Foundation)
  TERVA_EXACT(LoadLine) TERVA_EXACT(FoundationCode) TERVA_EXACT(Title) TERVA_EXACT(MassCount)
  TERVA_EXACT(PileHeadFixed) TERVA_EXACT(Circular) TERVA_EXACT(EndBearing) TERVA_EXACT(PileHeadText)
  TERVA_EXACT(PileTipText) TERVA_EXACT(InteractionText) TERVA_EXACT(Matrix) TERVA_EXACT(LoadType)
  TERVA_EXACT(Interaction) TERVA_EXACT(PointCount) TERVA_EXACT(LoadCount) TERVA_EXACT(Quadratic)
  TERVA_EXACT(Battered) TERVA_EXACT(SideCap) TERVA_EXACT(Weak)
#undef TERVA_REAL
#undef TERVA_ARRAY
#undef TERVA_EXACT
  return out;
}

// Cell by cell, nested tables included.
void TableDifferences(const TTableSnapshot& a, const TTableSnapshot& b, const QString& where, QStringList& out) {
  if (a.units != b.units) out << where + QStringLiteral(": units");
  if (a.modified != b.modified) out << where + QStringLiteral(": modified flag");
  if (a.rows != b.rows) {
    out << where + QStringLiteral(": %1 rows / %2").arg(a.rows).arg(b.rows);
    return;
  }
  for (size_t c = 0; c < a.columns.size() && c < b.columns.size(); ++c) {
    const auto& x = a.columns[c];
    const auto& y = b.columns[c];
    for (size_t r = 0; r < x.reals.size() && r < y.reals.size(); ++r)
      if (!Close(x.reals[r], y.reals[r]))
        out << where + QStringLiteral(" [%1,%2]: %3 / %4").arg(r).arg(c).arg(Num(x.reals[r]), Num(y.reals[r]));
    if (x.integers != y.integers) out << where + QStringLiteral(" column %1: choices").arg(c);
    for (size_t r = 0; r < x.tables.size() && r < y.tables.size(); ++r) {
      if (!x.tables[r] || !y.tables[r]) {
        if (x.tables[r] != y.tables[r]) out << where + QStringLiteral(" row %1: nested table missing").arg(r);
        continue;
      }
      TableDifferences(*x.tables[r], *y.tables[r], where + QStringLiteral(" row %1").arg(r + 1), out);
    }
  }
}

QString TervaBatch() { return QCoreApplication::applicationDirPath() + QStringLiteral("/terva-batch"); }

// Every table, nested ones included, has at least one row.
bool EveryTableHasARow(const TProjectTables& tables) {
  for (const TGridTable* table : tables.AllWithNested())
    if (table->RowCount() < 1) return false;
  return true;
}

}  // namespace

class ModelRoundTripTest : public QObject {
  Q_OBJECT

 private:
  TProjectTables* tables_ = nullptr;
  QTemporaryDir dir_;

  // Saves the case's project; returns the project as saved.
  std::unique_ptr<TProgramData> Save(const Case& c, const QString& path) {
    auto data = NewProject(*tables_);
    Fill(*data, *tables_, c);
    data->FileName = path;
    SaveProject(*data, *tables_);
    return data;
  }

 private slots:
  void initTestCase() {
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_ALL, "C");
    QVERIFY(dir_.isValid());
    // TERVA_KEEP_TEST_FILES=1 keeps the saved projects and the engine's
    // reports for a look after the run.
    dir_.setAutoRemove(qEnvironmentVariableIsEmpty("TERVA_KEEP_TEST_FILES"));
    tables_ = new TProjectTables(this);
  }

  void savedAndLoadedAgain_data() {
    QTest::addColumn<int>("index");
    for (size_t i = 0; i < Cases().size(); ++i) QTest::newRow(Cases()[i].name) << static_cast<int>(i);
  }

  void savedAndLoadedAgain() {
    QFETCH(int, index);
    const Case& c = Cases()[static_cast<size_t>(index)];
    const QString path = dir_.filePath(QString::fromLatin1(c.name) + ".tvd");
    auto saved = Save(c, path);
    std::vector<TTableSnapshot> expectedTables = tables_->Snapshot();

    // What the file does not carry.
    TProgramData expected = *saved;
    expected.Battered = false;
    expected.SideCap = false;
    expected.Thickness = 0;
    expected.GeometryFileName.clear();
    expected.LoadLine = c.load == TLoadType::Transient ? "TRANSIENT " : c.load == TLoadType::Random ? "RANDOM " : "HARMONIC ";
    if (c.foundation != TFoundationType::Pile && c.foundation != TFoundationType::Multilayer) expected.PileLength = 0;
    if (c.foundation == TFoundationType::Pile && c.sideSoil == 1) {
      // EMBEDDED rows carry no weak-zone ratio.
      expectedTables[3].columns[5].reals.assign(expectedTables[3].columns[5].reals.size(), 0.0L);
    }

    const TLoadResult loaded = LoadProject(path, *tables_);
    QCOMPARE(loaded.status, TLoadResult::kComplete);
    QVERIFY2(loaded.message.isEmpty(), qPrintable(loaded.message));
    const QStringList fields = Differences(*loaded.project, expected);
    QVERIFY2(fields.isEmpty(), qPrintable(fields.join("; ")));
    QStringList cells;
    const std::vector<TTableSnapshot> actualTables = tables_->Snapshot();
    for (size_t i = 0; i < actualTables.size(); ++i)
      TableDifferences(actualTables[i], expectedTables[i], tables_->All()[i]->objectName(), cells);
    QVERIFY2(cells.isEmpty(), qPrintable(cells.join("; ")));

    // Saved again unchanged, the file is the same, the centres of a project
    // without mass components included.
    QFile first(path);
    QVERIFY(first.open(QIODevice::ReadOnly));
    QByteArray before = first.readAll();
    loaded.project->Battered = saved->Battered;
    loaded.project->SideCap = saved->SideCap;
    QByteArray again = ProjectFileText(*loaded.project, *tables_);
    QCOMPARE(QString::fromUtf8(again).split(QStringLiteral("\r\n")), QString::fromUtf8(before).split(QStringLiteral("\r\n")));
  }

  // The engine reads every project that the writer produces: it returns 0
  // and its report holds no error.
  void engineAnalysesEverySavedProject() {
    if (!QFileInfo::exists(TervaBatch())) QSKIP("terva-batch is not built beside this test");
    for (const Case& c : Cases()) {
      const QString path = dir_.filePath(QStringLiteral("engine-%1.tvd").arg(c.name));
      Save(c, path);
      QProcess run;
      run.start(TervaBatch(), {path});
      QVERIFY(run.waitForFinished(120000));
      const QString output = QString::fromLocal8Bit(run.readAll());
      QVERIFY2(run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0,
               qPrintable(QStringLiteral("%1: exit %2\n%3").arg(c.name).arg(run.exitCode()).arg(output)));
      QFile input(path);
      QVERIFY(input.open(QIODevice::ReadOnly));
      for (const QByteArray& line : input.readAll().split('\n'))
        QVERIFY2(line.size() <= 81, qPrintable(QStringLiteral("%1: %2").arg(c.name, QString::fromLatin1(line))));
      QFile report(QFileInfo(path).path() + "/" + QFileInfo(path).completeBaseName() + ".tvo");
      QVERIFY2(report.open(QIODevice::ReadOnly), c.name);
      int lineNumber = 0;
      while (!report.atEnd()) {
        const QString line = QString::fromLatin1(report.readLine());
        ++lineNumber;
        for (const char* word : {"ERROR", "UNRECOGNIZED", "MUST BE PRECEEDED", "INVALID"})
          QVERIFY2(!line.contains(QLatin1String(word)),
                   qPrintable(QStringLiteral("%1 line %2: %3").arg(c.name).arg(lineNumber).arg(line.trimmed())));
      }
    }
  }

  // Saved files, changed in many small ways: whatever the loader makes of
  // them, it does not crash; a load that ends (complete or stopped) leaves a
  // project with a row in every table that saves and loads again; a load
  // that fails leaves the tables as they were.
  void mutatedFilesNeverBreakTheLoader() {
    std::vector<QStringList> sources;
    for (const Case& c : Cases()) {
      const QString path = dir_.filePath(QStringLiteral("mutate-%1.tvd").arg(c.name));
      Save(c, path);
      QFile file(path);
      QVERIFY(file.open(QIODevice::ReadOnly));
      sources.push_back(QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n")));
    }
    const QStringList replacements = {"abc", "", "-1", "0", "2147483648", "-2147483648", "1e999", "3.5", "99999", "-0",
                                      "1E300", "nan", "inf", "12,5", "=", "FIXED=", "WEAK", "+", "."};
    std::mt19937 random(20240607u);
    auto pick = [&](int n) { return n <= 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(n)); };

    int counts[3] = {0, 0, 0};
    const int mutations = 2400;
    for (int m = 0; m < mutations; ++m) {
      QStringList lines = sources[static_cast<size_t>(m) % sources.size()];
      const int kind = pick(8);
      const int at = pick(static_cast<int>(lines.size()));
      switch (kind) {
        case 0: lines.removeAt(at); break;
        case 1: lines.insert(at, lines.value(pick(static_cast<int>(lines.size())))); break;
        case 2: lines = lines.mid(0, at); break;
        case 3: {  // one word replaced
          QStringList words = lines[at].split(u' ');
          words[pick(static_cast<int>(words.size()))] = replacements[pick(static_cast<int>(replacements.size()))];
          lines[at] = words.join(u' ');
          break;
        }
        case 4: {  // a count or value after "=" replaced
          const qsizetype equals = lines[at].indexOf(u'=');
          if (equals >= 0)
            lines[at] = lines[at].left(equals + 1) + replacements[pick(static_cast<int>(replacements.size()))];
          else
            lines[at] = replacements[pick(static_cast<int>(replacements.size()))];
          break;
        }
        case 5: {  // the text cut inside a line
          lines = lines.mid(0, at + 1);
          lines[at] = lines[at].left(pick(static_cast<int>(lines[at].size()) + 1));
          break;
        }
        case 6: std::swap(lines[at], lines[pick(static_cast<int>(lines.size()))]); break;
        case 7: {  // one character changed
          if (lines[at].isEmpty()) break;
          const char characters[] = "0123456789.-+E ,=XZ";
          lines[at][pick(static_cast<int>(lines[at].size()))] = QChar::fromLatin1(characters[pick(sizeof characters - 1)]);
          break;
        }
      }
      const QString text = lines.join(QStringLiteral("\r\n"));
      const std::vector<TTableSnapshot> before = tables_->Snapshot();
      TWordReader reader = TWordReader::FromText(text);
      const TLoadResult result = LoadProject(reader, QStringLiteral("mutation.tvd"), *tables_);
      ++counts[result.status];
      const QString where = QStringLiteral("mutation %1 (kind %2, line %3)").arg(m).arg(kind).arg(at + 1);
      if (result.status == TLoadResult::kFailed) {
        QVERIFY2(result.project == nullptr && !result.message.isEmpty(), qPrintable(where));
        QStringList cells;
        const std::vector<TTableSnapshot> after = tables_->Snapshot();
        for (size_t i = 0; i < after.size(); ++i) TableDifferences(after[i], before[i], QString::number(i + 1), cells);
        QVERIFY2(cells.isEmpty(), qPrintable(where + ": " + cells.join("; ")));
        continue;
      }
      QVERIFY2(result.project != nullptr, qPrintable(where));
      QVERIFY2(EveryTableHasARow(*tables_), qPrintable(where));
      QVERIFY2(!tables_->Modified(), qPrintable(where));
      QCOMPARE(result.message.isEmpty(), result.status == TLoadResult::kComplete);
      // Whatever was loaded can be saved and loads again completely.
      QByteArray again;
      try {
        again = ProjectFileText(*result.project, *tables_);
      } catch (const TError& error) {
        QFAIL(qPrintable(where + ": cannot be saved: " + error.Message()));
      }
      TWordReader reread = TWordReader::FromText(QString::fromUtf8(again));
      const TLoadResult second = LoadProject(reread, QStringLiteral("again.tvd"), *tables_);
      QVERIFY2(second.status == TLoadResult::kComplete, qPrintable(where + ": " + second.message));
    }
    qInfo("%d mutations: %d complete, %d stopped, %d failed", mutations, counts[0], counts[1], counts[2]);
    QVERIFY(counts[0] > 0 && counts[1] > 0 && counts[2] > 0);
  }
};

QTEST_MAIN(ModelRoundTripTest)
#include "model_roundtrip_test.moc"
