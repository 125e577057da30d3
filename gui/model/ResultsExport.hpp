// Machine-readable results: a run's stiffness, damping and response as CSV
// or JSON, read from the run's results file (".tvj", ResultsFile.hpp) at the
// engine's own precision, or, for older results without one, from the
// graphic data file (".tvp") with the result plots' reader and its three
// digits; the report itself stays as the engine writes it.
//
// Files written beside the project NAME.tvd:
//
//   NAME.impedance.csv  (when the results hold stiffness and damping: always
//                        with a results file, else with the MATRIX option)
//                        one header line, then one row per frequency:
//     frequency (Hz),frequency (rad/s),Kxx (lb/ft),Kyy (lb/ft),Kww (lb/ft),
//     Kppx (lb-ft/rad),Kppy (lb-ft/rad),Kzt (lb-ft/rad),Kxp (lb/rad),Kyp (lb/rad),
//     Cxx (lb-s/ft),Cyy (lb-s/ft),Cww (lb-s/ft),Cppx (lb-ft-s/rad),
//     Cppy (lb-ft-s/rad),Czt (lb-ft-s/rad),Cxp (lb-s/rad),Cyp (lb-s/rad)
//   NAME.response.csv   (harmonic loads) one header line, then one row per
//                        frequency:
//     frequency (Hz),frequency (rad/s),UOX (ft),UOY (ft),UOZ (ft),
//     EPOX (rad),EPOY (rad),EPOZ (rad)
//   NAME.results.json   the same data in one object:
//     {"format": "terva-results", "version": 2,
//      "project": "...", "report": "....tvo", "graphic_data": "....tvp",
//      "results_file": "....tvj" | null, "precision": "single" | "graphic data (3 to 5 digits)",
//      "title": "...", "unit_system": "English" | "SI",
//      "foundation": {"code": 1..4, "name": "HALF-SPACE" | "PILE" | "STRATUM" | "MULTILAYER"},
//      "load": {"code": 1..3, "name": "harmonic" | "transient" | "random"},
//      "units": {"frequency_hz": "Hz", "frequency_rad_s": "rad/s", "Kxx": "lb/ft", ..., "EPOZ": "rad"},
//      "frequency_hz": [...], "frequency_rad_s": [...],
//      "stiffness": {"Kxx": [...], ..., "Kyp": [...]},
//      "damping": {"Cxx": [...], ..., "Cyp": [...]},
//      "response": {"amplitudes": {"UOX": [...], ..., "EPOZ": [...]},
//                   "real": {...}, "imag": {...}}}
//     One frequency list serves every block. "stiffness" and "damping" are
//     absent when the results hold none, "response" when the load is not
//     harmonic, its "real" and "imag" (the complex motions) without a results
//     file. Keys appear in the order shown.
//
// Names: K and C are the reported terms of the impedance at the centre of
// gravity (xx, yy horizontal, ww vertical, ppx, ppy rocking, zt torsion, xp
// and yp the cross terms); UOX, UOY, UOZ are the translational and EPOX,
// EPOY, EPOZ the rotational amplitudes, named as in the report's response
// table. SI units are kN, m, s (kN/m, kN-m/rad, kN/rad, kN-s/m, kN-m-s/rad,
// kN-s/rad, m); with the DIMENSIONLESS option the amplitudes carry no unit.
//
// Numbers: every value is a float written in the shortest form that reads
// back to the same float (as a float, or as a double rounded to a float). The
// frequency in Hz is derived as the report derives it (rad/s × 0.5 / 3.14, in
// single precision), so it matches the report's frequencies.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <complex>
#include <vector>

namespace terva::gui {

class TProgramData;

// What the graphic data file does not hold: where it came from and how to
// name the numbers. Codes are the program's (TFoundationType, TLoadType).
struct TResultsInfo {
  QString project;           // as given
  QString report;            // NAME.tvo
  QString graphic;           // NAME.tvp
  QString title;
  int unitSystem = 0;        // 1 English, 2 SI, 0 not known
  int foundationCode = 0;    // 1 half-space, 2 pile, 3 stratum, 4 multilayer, 0 not known
  int loadCode = 0;          // 1 harmonic, 2 transient, 3 random, 0 not known
  bool dimensionless = false;  // DIMENSIONLESS: response amplitudes without unit

  // The foundation's and the load's names ("HALF-SPACE", "harmonic"); empty
  // when not known.
  QString FoundationName() const;
  QString LoadName() const;
  QString UnitSystemName() const;  // "English", "SI" or empty
};

// The description of an engine input file (a project): the title (the text
// after TITLE on its line, or the next line), the unit system from the
// GRAVITY constant (above 10: English), the FOUNDATION and LOAD words and the
// DIMENSIONLESS option, found as the engine finds them (the first four
// letters of a keyword count; "$" starts a comment). Files beside it are
// named after the project. What is not found stays unknown.
TResultsInfo DescribeProject(const QString& project);
// The same from the desktop program's project.
TResultsInfo DescribeProject(const TProgramData& project);

// The numbers of a graphic data file, as floats.
struct TResultsData {
  static constexpr int kTerms = 8;       // Kxx Kyy Kww Kppx Kppy Kzt Kxp Kyp, the same for C
  static constexpr int kAmplitudes = 6;  // UOX UOY UOZ EPOX EPOY EPOZ
  static const std::array<const char*, kTerms> kStiffnessNames;
  static const std::array<const char*, kTerms> kDampingNames;
  static const std::array<const char*, kAmplitudes> kAmplitudeNames;

  std::vector<float> omega;  // rad/s of the impedance rows
  std::array<std::vector<float>, kTerms> stiffness;
  std::array<std::vector<float>, kTerms> damping;
  std::vector<float> responseOmega;  // rad/s of the response rows
  std::array<std::vector<float>, kAmplitudes> amplitude;

  // Harmonic loads with the results file: the complex motions whose moduli
  // are the amplitudes; empty otherwise.
  std::array<std::vector<std::complex<float>>, kAmplitudes> motion;
  // Read from the engine's results file (every number at single precision);
  // false: the graphic data file's three to five significant digits.
  bool fullPrecision = false;

  bool HasImpedance() const { return !omega.empty(); }
  bool HasResponse() const { return !responseOmega.empty(); }
  bool HasPhases() const { return !motion[0].empty(); }
};

// Hz of a frequency in rad/s, as the report converts it.
float HzOf(float omega);

// The unit texts of a quantity key ("Kxx", "Cppx", "UOZ", "frequency_hz")
// in a unit system; empty when not known.
QString UnitOf(const QString& key, const TResultsInfo& info);

// Reads a run's results: the graphic data file, and the results file of the
// same run beside it when there is one (it then gives every number, the
// stiffness and damping with or without MATRIX, and the phases). Which blocks
// the graphic data file holds (stiffness and damping pairs, response rows) is
// found from its layout: a pair record has nine numbers, a response record
// seven. A file with neither block (a run
// without curves) reads as empty. False, with `error` saying why, when the
// file cannot be read whole; a file of fewer than two frequencies holds no
// curves for the reader and is refused the same way.
bool ReadResults(const QString& graphic, TResultsData& data, QString* error);

// The texts of the three files.
QString ImpedanceCsv(const TResultsData& data, const TResultsInfo& info);
QString ResponseCsv(const TResultsData& data, const TResultsInfo& info);
QString ResultsJson(const TResultsData& data, const TResultsInfo& info);

enum class TExportFormat { Csv, Json };

// The files of a format beside the project (NAME.impedance.csv and
// NAME.response.csv, or NAME.results.json).
QStringList ExportFileNames(const QString& project, TExportFormat format);

// Reads info.graphic and writes the files of `format` beside info.project,
// each to a temporary name first and then renamed over an old one. A CSV
// file whose block this run does not have (no MATRIX, not harmonic) is not
// written, and an old one of that name is removed: it belongs to an earlier
// run. Returns the files written; on failure nothing is written and `error`
// says why.
bool ExportResults(const TResultsInfo& info, TExportFormat format, QStringList* written, QString* error);

// Why a CSV export of a run without curves (no MATRIX option, a transient or
// random load) wrote no file; its JSON holds the description alone.
QString NothingToExport();

}  // namespace terva::gui
