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

#include "gui/model/DesignChecks.hpp"
#include "gui/model/ResultsExport.hpp"

namespace terva::gui {

class TProgramData;
class TProjectTables;

struct TCalcReportSource {
  const TProgramData* project = nullptr;
  const TProjectTables* tables = nullptr;
  const TResultsData* results = nullptr;  // the last complete run's
  TResultsInfo info;                      // its files and names
  TDesignCriteria criteria;               // operatingOmega in rad/s
  QString date;                           // as it should print, e.g. "2026-12-09 14:05"
  QString version;                        // the program's
};

QString CalcReportHtml(const TCalcReportSource& source);

// "PASS", "FAIL" or "not checked".
QString VerdictText(TVerdict verdict);

}  // namespace terva::gui
