#include "gui/model/ResultsExport.hpp"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cmath>

#include "gui/core/EngineRunner.hpp"
#include "gui/core/Errors.hpp"
#include "gui/core/WordRead.hpp"
#include "gui/model/PltData.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ResultsFile.hpp"

namespace terva::gui {

const std::array<const char*, TResultsData::kTerms> TResultsData::kStiffnessNames = {
    "Kxx", "Kyy", "Kww", "Kppx", "Kppy", "Kzt", "Kxp", "Kyp"};
const std::array<const char*, TResultsData::kTerms> TResultsData::kDampingNames = {
    "Cxx", "Cyy", "Cww", "Cppx", "Cppy", "Czt", "Cxp", "Cyp"};
const std::array<const char*, TResultsData::kAmplitudes> TResultsData::kAmplitudeNames = {
    "UOX", "UOY", "UOZ", "EPOX", "EPOY", "EPOZ"};

namespace {

QString FoundationNameOf(int code) {
  switch (code) {
    case 1: return QStringLiteral("HALF-SPACE");
    case 2: return QStringLiteral("PILE");
    case 3: return QStringLiteral("STRATUM");
    case 4: return QStringLiteral("MULTILAYER");
    default: return {};
  }
}

// The kind of a quantity key: 0 translation, 1 rotation, 2 cross term, by
// the term's position among the eight.
int TermKind(int term) { return term < 3 ? 0 : term < 6 ? 1 : 2; }

}  // namespace

QString TResultsInfo::FoundationName() const { return FoundationNameOf(foundationCode); }

QString TResultsInfo::LoadName() const {
  switch (loadCode) {
    case 1: return QStringLiteral("harmonic");
    case 2: return QStringLiteral("transient");
    case 3: return QStringLiteral("random");
    default: return {};
  }
}

QString TResultsInfo::UnitSystemName() const {
  return unitSystem == 1 ? QStringLiteral("English") : unitSystem == 2 ? QStringLiteral("SI") : QString();
}

// ---------------------------------------------------------------------------
// The project's description

namespace {

// The words of a record: separated by blanks, commas and "=", up to a "$".
QStringList RecordWords(const QString& line) {
  QString text = line;
  const int comment = text.indexOf(QLatin1Char('$'));
  if (comment >= 0) text.truncate(comment);
  for (QChar& c : text)
    if (c == QLatin1Char(',') || c == QLatin1Char('=') || c == QLatin1Char('\t')) c = QLatin1Char(' ');
  return text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QString Key(const QString& word) { return word.left(4).toUpper(); }

// The text after the keyword on a TITLE line: after the first "=" or ","
// that follows the keyword; empty when there is none.
QString TextAfterKeyword(const QString& line) {
  const QString text = line.trimmed();
  int i = 0;
  while (i < text.size() && text.at(i).isLetter()) ++i;
  while (i < text.size() && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t'))) ++i;
  if (i < text.size() && (text.at(i) == QLatin1Char('=') || text.at(i) == QLatin1Char(','))) return text.mid(i + 1).trimmed();
  return {};
}

}  // namespace

TResultsInfo DescribeProject(const QString& project) {
  TResultsInfo info;
  info.project = project;
  info.report = WithExtension(project, QStringLiteral(".tvo"));
  info.graphic = WithExtension(project, QStringLiteral(".tvp"));
  QFile file(project);
  if (!file.open(QIODevice::ReadOnly)) return info;
  // An input is a few hundred lines; a file far larger is no input to scan whole.
  const QStringList lines = QString::fromLatin1(file.read(4 << 20)).split(QLatin1Char('\n'));
  enum { kNone, kTitle, kFoundation, kLoad } pending = kNone;
  for (const QString& raw : lines) {
    const QString line = QString(raw).remove(QLatin1Char('\r'));
    if (pending == kTitle) {
      info.title = line.trimmed();
      pending = kNone;
      continue;
    }
    const QStringList words = RecordWords(line);
    if (words.isEmpty()) continue;
    if (pending == kFoundation || pending == kLoad) {
      // the word on the keyword's next line
      const QString key = Key(words.first());
      if (pending == kFoundation) {
        for (int code = 1; code <= 4; ++code)
          if (key == FoundationNameOf(code).left(4)) info.foundationCode = code;
      } else {
        info.loadCode = key == QLatin1String("HARM") ? 1 : key == QLatin1String("TRAN") ? 2 : key == QLatin1String("RAND") ? 3 : 0;
      }
      pending = kNone;
      continue;
    }
    const QString key = Key(words.first());
    if (key == QLatin1String("RUN") || key == QLatin1String("STOP")) break;
    if (key == QLatin1String("TITL")) {
      const QString rest = TextAfterKeyword(line.section(QLatin1Char('$'), 0, 0));
      if (rest.isEmpty()) pending = kTitle;
      else info.title = rest;
    } else if (key == QLatin1String("GRAV") && words.size() > 1) {
      bool ok = false;
      const double g = words.at(1).toDouble(&ok);
      if (ok) info.unitSystem = g > 10.0 ? 1 : 2;  // above 10 the constant is in ft/s**2
    } else if (key == QLatin1String("FOUN")) {
      if (words.size() > 1) {
        const QString word = Key(words.at(1));
        for (int code = 1; code <= 4; ++code)
          if (word == FoundationNameOf(code).left(4)) info.foundationCode = code;
      } else {
        pending = kFoundation;
      }
    } else if (key == QLatin1String("LOAD")) {
      if (words.size() > 1) {
        const QString word = Key(words.at(1));
        info.loadCode = word == QLatin1String("HARM") ? 1 : word == QLatin1String("TRAN") ? 2 : word == QLatin1String("RAND") ? 3 : 0;
      } else {
        pending = kLoad;
      }
    } else if (key == QLatin1String("DIME")) {
      info.dimensionless = true;
    }
  }
  return info;
}

TResultsInfo DescribeProject(const TProgramData& project) {
  TResultsInfo info;
  info.project = project.FileName;
  info.report = WithExtension(project.FileName, QStringLiteral(".tvo"));
  info.graphic = WithExtension(project.FileName, QStringLiteral(".tvp"));
  info.title = project.Title;
  info.unitSystem = project.Units == 1 || project.Units == 2 ? project.Units : 0;
  info.foundationCode = static_cast<int>(project.FoundationCode);
  info.loadCode = static_cast<int>(project.LoadType);
  return info;
}

// ---------------------------------------------------------------------------
// Units

float HzOf(float omega) { return omega * 0.5f / 3.14f; }

QString UnitOf(const QString& key, const TResultsInfo& info) {
  if (key == QLatin1String("frequency_hz")) return QStringLiteral("Hz");
  if (key == QLatin1String("frequency_rad_s")) return QStringLiteral("rad/s");
  if (info.unitSystem != 1 && info.unitSystem != 2) return {};
  const bool english = info.unitSystem == 1;
  const QString force = english ? QStringLiteral("lb") : QStringLiteral("kN");
  const QString length = english ? QStringLiteral("ft") : QStringLiteral("m");
  for (int term = 0; term < TResultsData::kTerms; ++term) {
    const int kind = TermKind(term);
    if (key == QLatin1String(TResultsData::kStiffnessNames[term]))
      return kind == 0 ? force + "/" + length : kind == 1 ? force + "-" + length + "/rad" : force + "/rad";
    if (key == QLatin1String(TResultsData::kDampingNames[term]))
      return kind == 0 ? force + "-s/" + length : kind == 1 ? force + "-" + length + "-s/rad" : force + "-s/rad";
  }
  for (int a = 0; a < TResultsData::kAmplitudes; ++a)
    if (key == QLatin1String(TResultsData::kAmplitudeNames[a])) return info.dimensionless ? QString() : a < 3 ? length : QStringLiteral("rad");
  return {};
}

// ---------------------------------------------------------------------------
// Reading

bool ReadResults(const QString& graphic, TResultsData& data, QString* error) {
  data = TResultsData{};
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    data = TResultsData{};
    return false;
  };
  bool matrix = false, harmonic = false;
  int count = 0, records = 0;
  try {
    // The layout: the count line, then 2 × count pair records (MATRIX) and
    // count response records (harmonic loads).
    TWordReader layout(graphic);
    count = layout.ReadInt();
    if (count < 2)
      return fail(QStringLiteral("%1 holds fewer than two frequencies; nothing to export").arg(graphic));
    int firstWords = 0;
    for (int i = 1; i < layout.LineCount(); ++i) {
      const int words = layout.Line(i).size();
      if (words == 0) continue;
      if (records++ == 0) firstWords = words;
    }
    if (records > 0 && firstWords == 9) {
      matrix = true;
      harmonic = records > 2 * count;
    } else if (records > 0 && firstWords == 7) {
      harmonic = true;
    } else if (records > 0) {
      return fail(QStringLiteral("%1 is no graphic data file of a run").arg(graphic));
    }
  } catch (const TError& e) {
    return fail(QStringLiteral("%1: %2").arg(graphic, e.Message()));
  }

  // Neither stiffness and damping (the MATRIX option) nor a harmonic
  // response: a run without curves, whose results are the report's alone
  // unless the results file holds them.
  TResultPlots plots;
  if (records > 0) {
    QString why;
    if (!plots.ReadResultCurves(graphic, false, matrix, harmonic ? 1 : 2, 1, &why))
      return fail(QStringLiteral("%1: %2").arg(graphic, QString(why).replace(QLatin1Char('\r'), QLatin1Char(' '))));
    if (matrix) {
      const TLine* k[TResultsData::kTerms] = {&plots.pltRealKXX.Line(0),  &plots.pltRealKYY.Line(0),
                                              &plots.pltRealKWW.Line(0),  &plots.pltRealKPPX.Line(0),
                                              &plots.pltRealKPPY.Line(0), &plots.pltRealKZT.Line(0),
                                              &plots.pltRealKXP.Line(0),  &plots.pltRealKYP.Line(0)};
      const TLine* c[TResultsData::kTerms] = {&plots.pltDampCXX.Line(0),  &plots.pltDampCYY.Line(0),
                                              &plots.pltDampCWW.Line(0),  &plots.pltDampCPPX.Line(0),
                                              &plots.pltDampCPPY.Line(0), &plots.pltDampCZT.Line(0),
                                              &plots.pltDampCXP.Line(0),  &plots.pltDampCYP.Line(0)};
      data.omega = plots.impedanceOmega;
      for (int t = 0; t < TResultsData::kTerms; ++t) {
        for (const TFloatPoint& p : k[t]->Points) data.stiffness[t].push_back(static_cast<float>(p.Y));
        for (const TFloatPoint& p : c[t]->Points) data.damping[t].push_back(static_cast<float>(p.Y));
      }
    }
    if (harmonic) {
      const TLine* r[TResultsData::kAmplitudes] = {&plots.pltDxyzR.Line(0), &plots.pltDxyzR.Line(1),
                                                   &plots.pltDxyzR.Line(2), &plots.pltMxyzR.Line(0),
                                                   &plots.pltMxyzR.Line(1), &plots.pltMxyzR.Line(2)};
      data.responseOmega = plots.responseOmega;
      for (int a = 0; a < TResultsData::kAmplitudes; ++a)
        for (const TFloatPoint& p : r[a]->Points) data.amplitude[a].push_back(static_cast<float>(p.Y));
    }
  }

  // The results file of the same run: every number at the engine's
  // precision, the stiffness and damping with or without MATRIX, and the
  // phases of a harmonic response.
  TEngineResults full;
  const std::vector<float>& printed = !data.omega.empty() ? data.omega : data.responseOmega;
  if (ReadEngineResults(ResultsFileOf(graphic), full) && ResultsMatch(full, count, printed)) {
    data.fullPrecision = true;
    data.omega = full.omega;
    data.stiffness = full.stiffness;
    data.damping = full.damping;
    if (full.Harmonic()) {
      data.responseOmega = full.omega;
      data.amplitude = full.amplitude;
      data.motion = full.motion;
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// Writing

namespace {

// The shortest text that reads back to the same float, read as a float or
// as a double rounded to a float (as Python's csv and json readers do). One
// positive float alone, 7.03853069e-26, needs the double's shortest form for
// the second reading.
QString Number(float value) {
  char buffer[32];
  const auto result = std::bit_cast<std::uint32_t>(value) << 1 == 0x15ae43fdu << 1
                          ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value))
                          : std::to_chars(buffer, buffer + sizeof buffer, value);
  return QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
}

QString Header(const QString& key, const TResultsInfo& info) {
  const QString unit = UnitOf(key, info);
  return unit.isEmpty() ? key : key + " (" + unit + ")";
}

QString Quoted(const QString& text) {
  QString out = QStringLiteral("\"");
  for (const QChar c : text) {
    switch (c.unicode()) {
      case '"': out += QStringLiteral("\\\""); break;
      case '\\': out += QStringLiteral("\\\\"); break;
      case '\n': out += QStringLiteral("\\n"); break;
      case '\r': out += QStringLiteral("\\r"); break;
      case '\t': out += QStringLiteral("\\t"); break;
      default:
        if (c.unicode() < 0x20) out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else out += c;
    }
  }
  return out + QLatin1Char('"');
}

QString Array(const std::vector<float>& values) {
  QStringList items;
  items.reserve(static_cast<int>(values.size()));
  for (const float v : values) items << Number(v);
  return QLatin1Char('[') + items.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QString HzArray(const std::vector<float>& omega) {
  std::vector<float> hz;
  hz.reserve(omega.size());
  for (const float w : omega) hz.push_back(HzOf(w));
  return Array(hz);
}

}  // namespace

QString ImpedanceCsv(const TResultsData& data, const TResultsInfo& info) {
  QStringList header{QStringLiteral("frequency (Hz)"), QStringLiteral("frequency (rad/s)")};
  for (const char* name : TResultsData::kStiffnessNames) header << Header(QLatin1String(name), info);
  for (const char* name : TResultsData::kDampingNames) header << Header(QLatin1String(name), info);
  QString text = header.join(QLatin1Char(',')) + QLatin1Char('\n');
  for (size_t i = 0; i < data.omega.size(); ++i) {
    QStringList row{Number(HzOf(data.omega[i])), Number(data.omega[i])};
    for (const auto& k : data.stiffness) row << Number(k[i]);
    for (const auto& c : data.damping) row << Number(c[i]);
    text += row.join(QLatin1Char(',')) + QLatin1Char('\n');
  }
  return text;
}

QString ResponseCsv(const TResultsData& data, const TResultsInfo& info) {
  QStringList header{QStringLiteral("frequency (Hz)"), QStringLiteral("frequency (rad/s)")};
  for (const char* name : TResultsData::kAmplitudeNames) header << Header(QLatin1String(name), info);
  QString text = header.join(QLatin1Char(',')) + QLatin1Char('\n');
  for (size_t i = 0; i < data.responseOmega.size(); ++i) {
    QStringList row{Number(HzOf(data.responseOmega[i])), Number(data.responseOmega[i])};
    for (const auto& a : data.amplitude) row << Number(a[i]);
    text += row.join(QLatin1Char(',')) + QLatin1Char('\n');
  }
  return text;
}

QString ResultsJson(const TResultsData& data, const TResultsInfo& info) {
  auto orNull = [](const QString& text) { return text.isEmpty() ? QStringLiteral("null") : Quoted(text); };
  QStringList fields;
  fields << QStringLiteral("\"format\": \"terva-results\"") << QStringLiteral("\"version\": 2")
         << "\"project\": " + Quoted(info.project) << "\"report\": " + Quoted(info.report)
         << "\"graphic_data\": " + Quoted(info.graphic)
         << "\"results_file\": " + (data.fullPrecision ? Quoted(ResultsFileOf(info.graphic)) : QStringLiteral("null"))
         << QStringLiteral("\"precision\": ") +
                (data.fullPrecision ? QStringLiteral("\"single\"") : QStringLiteral("\"graphic data (3 to 5 digits)\""))
         << "\"title\": " + Quoted(info.title)
         << "\"unit_system\": " + orNull(info.UnitSystemName())
         << QStringLiteral("\"foundation\": {\"code\": %1, \"name\": %2}")
                .arg(info.foundationCode)
                .arg(orNull(info.FoundationName()))
         << QStringLiteral("\"load\": {\"code\": %1, \"name\": %2}").arg(info.loadCode).arg(orNull(info.LoadName()));

  QStringList keys{QStringLiteral("frequency_hz"), QStringLiteral("frequency_rad_s")};
  if (data.HasImpedance()) {
    for (const char* name : TResultsData::kStiffnessNames) keys << QLatin1String(name);
    for (const char* name : TResultsData::kDampingNames) keys << QLatin1String(name);
  }
  if (data.HasResponse())
    for (const char* name : TResultsData::kAmplitudeNames) keys << QLatin1String(name);
  QStringList units;
  for (const QString& key : keys) units << Quoted(key) + ": " + Quoted(UnitOf(key, info));
  fields << "\"units\": {" + units.join(QStringLiteral(", ")) + "}";

  // One frequency list for every block: the results file's, or the graphic
  // data file's (its response rows print more digits than its impedance rows)
  const std::vector<float>& omega = data.HasResponse() ? data.responseOmega : data.omega;
  fields << "\"frequency_hz\": " + HzArray(omega) << "\"frequency_rad_s\": " + Array(omega);
  if (data.HasImpedance()) {
    QStringList k, c;
    for (int t = 0; t < TResultsData::kTerms; ++t) {
      k << "\n    " + Quoted(QLatin1String(TResultsData::kStiffnessNames[t])) + ": " + Array(data.stiffness[t]);
      c << "\n    " + Quoted(QLatin1String(TResultsData::kDampingNames[t])) + ": " + Array(data.damping[t]);
    }
    fields << "\"stiffness\": {" + k.join(QLatin1Char(',')) + "\n  }";
    fields << "\"damping\": {" + c.join(QLatin1Char(',')) + "\n  }";
  }
  if (data.HasResponse()) {
    auto block = [&](const QString& key, auto value) {
      QStringList a;
      for (int i = 0; i < TResultsData::kAmplitudes; ++i) {
        std::vector<float> v;
        for (size_t j = 0; j < data.responseOmega.size(); ++j) v.push_back(value(i, j));
        a << "\n      " + Quoted(QLatin1String(TResultsData::kAmplitudeNames[i])) + ": " + Array(v);
      }
      return ",\n    \"" + key + "\": {" + a.join(QLatin1Char(',')) + "\n    }";
    };
    QString response = "\"response\": {" +
                       block(QStringLiteral("amplitudes"), [&](int i, size_t j) { return data.amplitude[i][j]; }).mid(1);
    if (data.HasPhases()) {
      response += block(QStringLiteral("real"), [&](int i, size_t j) { return data.motion[i][j].real(); });
      response += block(QStringLiteral("imag"), [&](int i, size_t j) { return data.motion[i][j].imag(); });
    }
    fields << response + "\n  }";
  }
  return "{\n  " + fields.join(QStringLiteral(",\n  ")) + "\n}\n";
}

QStringList ExportFileNames(const QString& project, TExportFormat format) {
  if (format == TExportFormat::Json) return {WithExtension(project, QStringLiteral(".results.json"))};
  return {WithExtension(project, QStringLiteral(".impedance.csv")), WithExtension(project, QStringLiteral(".response.csv"))};
}

bool ExportResults(const TResultsInfo& info, TExportFormat format, QStringList* written, QString* error) {
  if (written) written->clear();
  TResultsData data;
  if (!ReadResults(info.graphic, data, error)) return false;
  const QStringList names = ExportFileNames(info.project, format);
  // (file, text) to write; an empty text: the run has no such block
  std::vector<std::pair<QString, QString>> files;
  if (format == TExportFormat::Json) {
    files.emplace_back(names.at(0), ResultsJson(data, info));
  } else {
    files.emplace_back(names.at(0), data.HasImpedance() ? ImpedanceCsv(data, info) : QString());
    files.emplace_back(names.at(1), data.HasResponse() ? ResponseCsv(data, info) : QString());
  }
  // An export never writes through a link, nor over anything but a plain
  // file: the same rule as for the reports.
  for (const auto& [name, text] : files) {
    const QFileInfo target(name);
    if (target.isSymLink() || (target.exists() && !target.isFile())) {
      if (error) *error = QStringLiteral("%1 is a link or not a plain file; nothing was exported").arg(name);
      return false;
    }
  }
  for (const auto& [name, text] : files) {
    if (text.isEmpty()) {
      if (QFileInfo(name).isFile()) QFile::remove(name);  // an earlier run's, not this one's
      continue;
    }
    QSaveFile out(name);
    const QByteArray bytes = text.toUtf8();
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
      if (error) *error = QStringLiteral("%1 could not be written (%2)").arg(name, out.errorString());
      return false;
    }
    if (written) *written << name;
  }
  return true;
}

QString NothingToExport() {
  return QStringLiteral("the graphic data file holds no stiffness and damping (the MATRIX option) and no harmonic "
                        "response; the results of this run are in its report");
}

}  // namespace terva::gui
