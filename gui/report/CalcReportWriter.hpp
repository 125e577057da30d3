// The calculation report written to a file: a PDF of numbered pages with the
// project title in the header, or one self-contained XHTML file for the web.
// The text comes from CalcReport.hpp; this layer draws its pictures (the
// geometry views of the foundation, the response plots) and lays it out.
//
// The report is made from the project and its last complete run: the
// graphic data file beside the project and, when there is one, the results
// file of the same run. The file is written whole or not at all: an earlier
// report of that name stays as it was when writing fails, and a link or a
// folder in its place is refused.
#pragma once

#include <QPageSize>
#include <QString>

#include <vector>

#include "gui/model/DesignChecks.hpp"

namespace terva::gui {

class TProgramData;
class TProjectTables;

enum class TReportFormat { Pdf, Html };

struct TCalcReportRequest {
  TReportFormat format = TReportFormat::Pdf;
  QPageSize paper = QPageSize(QPageSize::A4);  // A4 or Letter, portrait, margins of one inch
  std::vector<double> operating;               // rad/s; none: the middle of the computed range
  TDesignCriteria criteria;                     // its operatingOmega is not used
  QString date;                                 // empty: now, "yyyy-MM-dd HH:mm"
};

// The report's file for a project: NAME.report.pdf or NAME.report.html
// beside NAME.tvd.
QString CalcReportPath(const QString& project, TReportFormat format);

// The criteria the report applies when the caller gives none: those kept
// with the user's settings for the unit system (1 English, 2 SI); as the
// velocity limit, when none is kept, the lowest of the vibration-limit
// lines, in the project's length per second.
TDesignCriteria DefaultReportCriteria(int system);
// The operating frequencies kept with the user's settings, in rad/s: the
// text holds one or more frequencies with their units, separated by ";"
// ("1500 rpm; 50 Hz"). Empty when none is kept or one cannot be read.
std::vector<double> StoredOperatingFrequencies();
// Reads such a text; false, with the reason in `error`, when a part of it
// is no frequency.
bool ParseOperatingFrequencies(const QString& text, std::vector<double>& omegas, QString* error = nullptr);

// Writes the report of `project` (as the tables hold it) and its last
// complete run to `path`. False, with the reason in `error`, when there are
// no results, they cannot be read, or the file cannot be written. The
// checks' verdicts go to `verdicts`, one line each ("(a) frequency
// separation at 25 Hz: PASS"), for a summary on a terminal; a line saying
// how the operating frequency was chosen comes first when the request gave
// none.
bool WriteCalcReport(const TProgramData& project, const TProjectTables& tables, const TCalcReportRequest& request,
                     const QString& path, QString* error = nullptr, QStringList* verdicts = nullptr);

}  // namespace terva::gui
