// The calculation report's text: a project and its last complete run as a
// document an engineer hands to a checker or a client. A title block, the
// input in the project's units, the springs and dashpots at the operating
// frequency, and the design checks with their verdicts (DesignChecks.hpp);
// every number says where it comes from.
//
// The text is XHTML (well-formed XML, one style sheet in its head), which a
// browser shows as it is and which the PDF writer lays out on pages.
#pragma once

#include <QString>

#include <vector>

#include "gui/model/DesignChecks.hpp"
#include "gui/model/ResultsExport.hpp"

namespace terva::gui {

class TProgramData;
class TProjectTables;

// A picture of the report, drawn by the caller: the text holds its place as
// <img src="figure:ID" width="W" height="H"/>, W and H in pixels of 96 ppi.
struct TCalcFigure {
  QString id;       // "top", "side-xz", "response-displacement" ...
  QString caption;  // printed under it
  int width = 624, height = 400;
  bool response = false;  // a response plot; else a drawing of the foundation
};

struct TCalcReportSource {
  const TProgramData* project = nullptr;
  const TProjectTables* tables = nullptr;
  const TResultsData* results = nullptr;  // the last complete run's
  TResultsInfo info;                      // its files and names
  TDesignCriteria criteria;               // its operatingOmega is ignored when `operating` is given
  std::vector<double> operating;          // the operating frequencies (rad/s), each with its own checks
  QString operatingNote;                  // how they were chosen, when not by the user
  std::vector<TCalcFigure> figures;
  QString date;                           // as it should print, e.g. "2026-12-09 14:05"
  QString version;                        // the program's
};

QString CalcReportHtml(const TCalcReportSource& source);

// "PASS", "FAIL" or "not checked".
QString VerdictText(TVerdict verdict);

}  // namespace terva::gui
