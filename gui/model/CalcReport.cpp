#include "gui/model/CalcReport.hpp"

#include "gui/core/NumberFormat.hpp"
#include "gui/core/units.hpp"
#include "gui/model/ColumnTypes.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/SpringsDashpots.hpp"
#include "gui/model/Table.hpp"

#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

namespace terva::gui {

namespace {

const char* const kStyle =
    "body{font-family:sans-serif;font-size:10pt}h1{font-size:16pt}h2{font-size:13pt;margin-top:14pt}"
    "table{border-collapse:collapse;margin:4pt 0}td,th{border:1px solid #999;padding:2pt 6pt}"
    "th{background:#eee;text-align:left}td.n{text-align:right}.pass{color:#060;font-weight:bold}"
    ".fail{color:#a00;font-weight:bold}.note{color:#444;font-size:9pt}td.n{white-space:nowrap}"
    ".break{page-break-after:always;margin:0;font-size:1pt}.figure{text-align:center;margin:6pt 0 0 0}"
    ".caption{text-align:center;font-size:9pt;margin:0 0 8pt 0}";

const char* const kCurveNames[] = {"UOX (X-direction)", "UOY (Y-direction)", "UOZ (vertical)",
                                   "EPOX (rocking about X)", "EPOY (rocking about Y)", "EPOZ (torsion)"};

QString E(const QString& text) { return text.toHtmlEscaped(); }
QString N(long double value) { return FormatGeneral(value); }
// Six significant digits, as the report prints its tables.
QString Six(double value) { return std::isfinite(value) ? QString::number(value, 'g', 6) : QStringLiteral("—"); }
QString Percent(double ratio) { return QString::number(ratio * 100.0, 'f', 1) + QStringLiteral(" %"); }

class THtml {
 public:
  void Raw(const QString& text) { text_ += text; }
  // A heading; a new page starts before it on paper when `newPage` is set.
  void Heading(const QString& text, int level = 2, bool newPage = false) {
    // the break after an empty block ends the page before the heading, so that
    // nothing of the heading lies on that page (a break before it leaves its
    // margin there, and the PDF's text with it)
    if (newPage) text_ += QStringLiteral("<p class=\"break\">\u00a0</p>\n");
    text_ += QStringLiteral("<h%1>%2</h%1>\n").arg(level).arg(E(text));
  }
  void Paragraph(const QString& text, const QString& cls = {}) {
    text_ += cls.isEmpty() ? QStringLiteral("<p>%1</p>\n").arg(E(text))
                           : QStringLiteral("<p class=\"%1\">%2</p>\n").arg(cls, E(text));
  }
  void Begin(const QStringList& headers) {
    // the head row repeats on every page a table spans
    text_ += QStringLiteral("<table>\n<thead><tr>");
    for (const QString& h : headers) text_ += QStringLiteral("<th>%1</th>").arg(E(h));
    text_ += QStringLiteral("</tr></thead>\n");
  }
  // A row; a cell that holds a number, with its unit or not, is set right.
  void Row(const QStringList& cells, const QString& verdictCell = {}) {
    static const QRegularExpression kNumber(QStringLiteral("^[-+]?[0-9.]+([eE][-+]?[0-9]+)?( [^ ]+)?( %)?$"));
    text_ += QStringLiteral("<tr>");
    for (const QString& cell : cells) {
      const bool number = kNumber.match(cell).hasMatch();
      text_ += number ? QStringLiteral("<td class=\"n\">%1</td>").arg(E(cell))
                      : QStringLiteral("<td>%1</td>").arg(E(cell));
    }
    if (!verdictCell.isEmpty()) text_ += Verdict(verdictCell);
    text_ += QStringLiteral("</tr>\n");
  }
  void End() { text_ += QStringLiteral("</table>\n"); }
  // A verdict's cell, over `rows` rows.
  static QString Verdict(const QString& verdict, int rows = 1) {
    const QString cls = verdict == QLatin1String("PASS")   ? QStringLiteral("pass")
                        : verdict == QLatin1String("FAIL") ? QStringLiteral("fail")
                                                           : QString();
    const QString span = rows > 1 ? QStringLiteral(" rowspan=\"%1\"").arg(rows) : QString();
    return cls.isEmpty() ? QStringLiteral("<td%1>%2</td>").arg(span, E(verdict))
                         : QStringLiteral("<td class=\"%1\"%2>%3</td>").arg(cls, span, E(verdict));
  }
  const QString& Text() const { return text_; }

 private:
  QString text_;
};

class TReport {
 public:
  explicit TReport(const TCalcReportSource& s)
      : s_(s), d_(*s.project), units_(s.project->Units), criteria_(s.criteria), operating_(s.operating) {
    if (operating_.empty() && s.criteria.operatingOmega > 0.0) operating_.push_back(s.criteria.operatingOmega);
  }

  QString Compose() {
    h_.Raw(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
                          "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n<meta charset=\"UTF-8\"/>\n"
                          "<title>%1</title>\n<style>%2</style>\n</head>\n<body>\n")
               .arg(E(d_.Title), QString::fromLatin1(kStyle)));
    TitleBlock();
    Input();
    Figures(false, QStringLiteral("The foundation"),
            QStringLiteral("Drawn to scale from the project, as the geometry views draw it."));
    if (s_.results != nullptr) {
      Figures(true, QStringLiteral("Response"),
              QStringLiteral("Amplitudes of the centre of gravity at every computed frequency, each marked; "
                             "from %1.")
                  .arg(s_.results->fullPrecision ? QStringLiteral("the results file")
                                                 : QStringLiteral("the graphic data file")));
      if (operating_.empty()) {
        h_.Heading(QStringLiteral("Springs, dashpots and design checks"));
        h_.Paragraph(s_.results->HasResponse()
                         ? QStringLiteral("No operating frequency is set: the constants at the operating frequency "
                                          "and the design checks need one.")
                         : QStringLiteral("The design checks apply to the response to a harmonic load. With an "
                                          "operating frequency set, the springs and dashpots at it are given."));
      }
      for (const double op : operating_) {
        criteria_ = s_.criteria;
        criteria_.operatingOmega = op;
        if (operating_.size() > 1)
          h_.Heading(QStringLiteral("Operating frequency %1 rad/s (%2 Hz, %3 rpm)")
                         .arg(Six(op), Six(op / 6.28), Six(op / 6.28 * 60.0)),
                     2, true);
        Constants(operating_.size() == 1);
        Checks();
      }
    }
    h_.Raw(QStringLiteral("</body>\n</html>\n"));
    return h_.Text();
  }

 private:
  QString Unit(const QString& unitTemplate) const { return FieldUnitLabel(unitTemplate, units_); }
  // A value with its unit.
  QString Value(long double value, const QString& unitTemplate = {}) const {
    const QString unit = unitTemplate.isEmpty() ? QString() : Unit(unitTemplate);
    return unit.isEmpty() ? N(value) : N(value) + u' ' + unit;
  }

  void TitleBlock() {
    h_.Heading(d_.Title, 1);
    h_.Begin({QStringLiteral("Item"), QStringLiteral("Value")});
    h_.Row({QStringLiteral("Project file"), QFileInfo(d_.FileName).fileName()});
    h_.Row({QStringLiteral("Date"), s_.date});
    h_.Row({QStringLiteral("Program and engine"),
            QStringLiteral("TERVA ") + s_.version + QStringLiteral(" (the engine library of the same build)")});
    h_.Row({QStringLiteral("Units"), units_ == 1 ? QStringLiteral("English (lbs, slug, ft)")
                                                 : QStringLiteral("SI (kN, Mg, m)")});
    h_.Row({QStringLiteral("Foundation"), d_.Foundation});
    if (s_.results != nullptr)
      h_.Row({QStringLiteral("Results"),
              s_.results->fullPrecision
                  ? QStringLiteral("the run's results file, at the engine's single precision")
                  : QStringLiteral("the run's graphic data file, three to five significant digits")});
    h_.End();
    if (s_.results == nullptr) return;
    // the criteria the checks apply
    QStringList speeds;
    for (const double op : operating_)
      speeds << QStringLiteral("%1 rad/s (%2 Hz, %3 rpm)").arg(Six(op), Six(op / 6.28), Six(op / 6.28 * 60.0));
    const QString L = UnitOf(QStringLiteral("UOX"), s_.info);
    h_.Heading(QStringLiteral("Design criteria"));
    h_.Begin({QStringLiteral("Criterion"), QStringLiteral("Value")});
    h_.Row({QStringLiteral("Operating frequency"),
            (speeds.isEmpty() ? QStringLiteral("none") : speeds.join(QStringLiteral("; "))) +
                (s_.operatingNote.isEmpty() ? QString() : QStringLiteral(" — ") + s_.operatingNote)});
    h_.Row({QStringLiteral("Least separation of a response peak"), QStringLiteral("±") + Percent(s_.criteria.separation)});
    h_.Row({QStringLiteral("Amplitude limit"), s_.criteria.amplitudeLimit > 0
                                                   ? Six(s_.criteria.amplitudeLimit) + u' ' + L
                                                   : QStringLiteral("none (not checked)")});
    h_.Row({QStringLiteral("Velocity limit"), s_.criteria.velocityLimit > 0
                                                  ? Six(s_.criteria.velocityLimit) + u' ' + L + QStringLiteral("/s")
                                                  : QStringLiteral("none (not checked)")});
    QStringList points{QStringLiteral("centre of gravity")};
    for (const TCheckPoint& p : s_.criteria.points)
      points << QStringLiteral("%1 (%2, %3, %4 %5)").arg(p.name, Six(p.x), Six(p.y), Six(p.z), L);
    h_.Row({QStringLiteral("Points checked"), points.join(QStringLiteral("; "))});
    h_.End();
  }

  void Scalars(const QString& heading, const QList<QPair<QString, QString>>& rows) {
    h_.Heading(heading);
    h_.Begin({QStringLiteral("Quantity"), QStringLiteral("Value")});
    for (const auto& [name, value] : rows) h_.Row({name, value});
    h_.End();
  }

  // A table of the project as its window shows it: the column headings with
  // their units, one line per row.
  void Table(const TGridTable* table, int rows) {
    if (table == nullptr || rows <= 0) return;
    h_.Heading(table->Caption().trimmed());
    QStringList headers{table->TopLeft().isEmpty() ? QStringLiteral("Row") : table->TopLeft()};
    QList<int> shown;
    for (int c = 0; c < table->ColumnCount(); ++c) {
      const TColumn* column = table->Column(c);
      if (column->ClassNumber() == kTableColumn) continue;
      shown << c;
      headers << column->HeaderLines().join(u' ').simplified();
    }
    h_.Begin(headers);
    for (int r = 0; r < std::min(rows, table->RowCount()); ++r) {
      QStringList cells{QString::number(r + 1)};
      for (int c : shown) {
        const TColumn* column = table->Column(c);
        cells << (column->ClassNumber() == kFloatColumn ? N(column->GetReal(r)) : column->Text(r));
      }
      h_.Row(cells);
    }
    h_.End();
  }

  void Input() {
    h_.Heading(QStringLiteral("Input"));
    const QString L = QString::fromLatin1(field_units::kLength);
    QList<QPair<QString, QString>> footing;
    if (d_.Circular != 0)
      footing << qMakePair(QStringLiteral("Radius"), Value(d_.Radius, L));
    else
      footing << qMakePair(QStringLiteral("Length"), Value(d_.Length, L))
              << qMakePair(QStringLiteral("Width"), Value(d_.Width, L));
    footing << qMakePair(QStringLiteral("Centre of gravity x"), Value(d_.Xc, L))
            << qMakePair(QStringLiteral("Centre of gravity y"), Value(d_.Yc, L))
            << qMakePair(QStringLiteral("Centre of gravity z"), Value(d_.Zc, L));
    if (d_.FoundationCode == TFoundationType::Stratum)
      footing << qMakePair(QStringLiteral("Depth to the base of the foundation"), Value(d_.BaseDepth, L))
              << qMakePair(QStringLiteral("Depth to bed rock"), Value(d_.BedrockDepth, L));
    Scalars(QStringLiteral("Foundation"), footing);

    const QString M = QString::fromLatin1(field_units::kMass), I = QString::fromLatin1(field_units::kMassInertia);
    const char* const massNames[] = {"Total mass", "Mass moment of inertia about X", "Mass moment of inertia about Y",
                                     "Mass moment of inertia about Z", "Product of inertia XY",
                                     "Product of inertia XZ", "Product of inertia YZ"};
    QList<QPair<QString, QString>> mass;
    for (size_t i = 0; i < d_.MassConstants.size(); ++i)
      mass << qMakePair(QString::fromLatin1(massNames[i]), Value(d_.MassConstants[i], i == 0 ? M : I));
    Scalars(QStringLiteral("Mass properties"), mass);

    const bool piles = d_.FoundationCode == TFoundationType::Pile || d_.FoundationCode == TFoundationType::Multilayer;
    if (piles) {
      Scalars(QStringLiteral("Piles"),
              {qMakePair(QStringLiteral("Pile length"), Value(d_.PileLength, L)),
               qMakePair(QStringLiteral("Unit weight"), Value(d_.PileUnitWeight, field_units::kUnitWeight)),
               qMakePair(QStringLiteral("Static load"), Value(d_.StaticLoad, field_units::kForce)),
               qMakePair(QStringLiteral("Poisson's ratio"), Value(d_.PilePoisson)),
               qMakePair(QStringLiteral("Material damping"), Value(d_.PileDamping)),
               qMakePair(QStringLiteral("Young's modulus"), Value(d_.PileModulus, field_units::kModulus))});
    }
    const TProjectTables& t = *s_.tables;
    switch (d_.FoundationCode) {
      case TFoundationType::HalfSpace: Table(t.D1(), t.D1()->RowCount()); break;
      case TFoundationType::Pile:
        Table(t.Pilecoord(), t.Pilecoord()->RowCount());
        Table(t.PileData(), t.PileData()->RowCount());
        Table(t.D(), t.PileData()->RowCount());
        break;
      case TFoundationType::Multilayer:
        Table(t.MultiElement(), t.MultiElement()->RowCount());
        Table(t.D(), t.D()->RowCount());
        Table(t.Multisoil(), t.Multisoil()->RowCount());
        break;
      default: break;
    }
    Scalars(d_.FoundationCode == TFoundationType::Stratum ? QStringLiteral("Stratum soil")
                                                           : QStringLiteral("Soil below the foundation"),
            {qMakePair(QStringLiteral("Shear wave velocity"), Value(d_.BelowVs, field_units::kVelocity)),
             qMakePair(QStringLiteral("Unit weight"), Value(d_.BelowUnitWeight, field_units::kUnitWeight)),
             qMakePair(QStringLiteral("Poisson's ratio"), Value(d_.BelowPoisson)),
             qMakePair(QStringLiteral("Material damping"), Value(d_.BelowDamping))});
    if (d_.LoadType == TLoadType::Harmonic) {
      const char* const loads[] = {"Force in X", "Force in Y", "Force in Z", "Moment about X", "Moment about Y",
                                   "Moment about Z"};
      QList<QPair<QString, QString>> rows{
          qMakePair(QStringLiteral("Frequencies"),
                    QStringLiteral("%1 to %2 Hz, step %3 Hz").arg(N(d_.FreqMin), N(d_.FreqMax), N(d_.FreqStep))),
          qMakePair(QStringLiteral("Amplitudes"), d_.Quadratic == 1 ? QStringLiteral("proportional to the square of "
                                                                                     "the frequency (unbalanced mass)")
                                                                    : QStringLiteral("constant"))};
      for (size_t i = 0; i < d_.HarmonicLoads.size(); ++i)
        rows << qMakePair(QString::fromLatin1(loads[i]),
                          Value(d_.HarmonicLoads[i], TProgramData::HarmonicLoadTemplate(static_cast<int>(i),
                                                                                         d_.Quadratic)));
      Scalars(QStringLiteral("Harmonic load"), rows);
    }
  }

  void Constants(bool newPage) {
    const double op = criteria_.operatingOmega;
    h_.Heading(QStringLiteral("Springs and dashpots at the operating frequency"), 2, newPage);
    const TSpringsDashpots springs = SpringsDashpotsAt(*s_.results, op);
    if (!springs.ok) {
      h_.Paragraph(springs.error);
      return;
    }
    h_.Paragraph(Source(springs.below, springs.above), QStringLiteral("note"));
    h_.Begin({QStringLiteral("Term"), QStringLiteral("Stiffness K"), QStringLiteral("Damping C"),
              QStringLiteral("Damping ratio D")});
    for (int k = 0; k < TResultsData::kTerms; ++k) {
      const size_t term = static_cast<size_t>(k);
      const QString name = QString::fromLatin1(TResultsData::kStiffnessNames[term]).mid(1);
      const QString kUnit = UnitOf(QString::fromLatin1(TResultsData::kStiffnessNames[term]), s_.info);
      const QString cUnit = UnitOf(QString::fromLatin1(TResultsData::kDampingNames[term]), s_.info);
      // as the springs and dashpots dialog shows them
      const QString ratio = k >= 6 ? QString()
                            : std::isnan(springs.ratio[term]) ? QStringLiteral("-")
                                                              : QString::number(springs.ratio[term], 'f', 4);
      h_.Row({name, ReportConstant(springs.stiffness[term]) + u' ' + kUnit,
              ReportConstant(springs.damping[term]) + u' ' + cUnit, ratio});
    }
    h_.End();
  }

  // Where values at the operating frequency come from.
  QString Source(double below, double above) const {
    const QString file = s_.results->fullPrecision ? QStringLiteral("the results file")
                                                   : QStringLiteral("the graphic data file");
    const double op = criteria_.operatingOmega;
    if (below == above)
      return QStringLiteral("At %1 rad/s (%2 Hz), a computed frequency: the values of %3 as they stand.")
          .arg(Six(op), Six(op / 6.28), file);
    return QStringLiteral("At %1 rad/s (%2 Hz): interpolated linearly in the frequency between the computed "
                          "frequencies %3 and %4 rad/s of %5.")
        .arg(Six(op), Six(op / 6.28), Six(below), Six(above), file);
  }

  void Checks() {
    const TDesignChecks checks = CheckDesign(*s_.results, criteria_);
    h_.Heading(QStringLiteral("Design checks"));
    if (!checks.ok) {
      h_.Paragraph(checks.error);
      return;
    }
    const double op = criteria_.operatingOmega;
    h_.Heading(QStringLiteral("(a) Frequency separation: ") + VerdictText(checks.separation.verdict), 3);
    h_.Paragraph(QStringLiteral("Every peak of the response curves of the centre of gravity at least %1 away from "
                                "the operating frequency %2 rad/s (%3 Hz). A peak: a computed frequency whose "
                                "amplitude is above the one before it and not below the one after it.")
                     .arg(Percent(criteria_.separation), Six(op), Six(op / 6.28)),
                 QStringLiteral("note"));
    if (checks.separation.peaks.empty()) {
      h_.Paragraph(QStringLiteral("The response curves have no peak inside the computed range."));
    } else {
      h_.Begin({QStringLiteral("Curve"), QStringLiteral("Peak (rad/s)"), QStringLiteral("Peak (Hz)"),
                QStringLiteral("Separation"), QStringLiteral("Margin"), QStringLiteral("Verdict")});
      for (const TResponsePeak& peak : checks.separation.peaks)
        h_.Row({QString::fromLatin1(kCurveNames[peak.curve]), Six(peak.omega), Six(peak.omega / 6.28),
                Percent(peak.separation), Percent(peak.margin)},
               peak.pass ? QStringLiteral("PASS") : QStringLiteral("FAIL"));
      h_.End();
    }
    if (checks.separation.negligible > 0)
      h_.Paragraph(QStringLiteral("%1 peak%2 below a thousandth of the largest amplitude of %3 kind (translations, "
                                  "rotations) %4 left out: the numerical noise of directions the load does not move.")
                       .arg(checks.separation.negligible)
                       .arg(checks.separation.negligible == 1 ? QString() : QStringLiteral("s"),
                            checks.separation.negligible == 1 ? QStringLiteral("its") : QStringLiteral("their"),
                            checks.separation.negligible == 1 ? QStringLiteral("is") : QStringLiteral("are")),
                   QStringLiteral("note"));

    const QString L = UnitOf(QStringLiteral("UOX"), s_.info);
    h_.Heading(QStringLiteral("(b) Amplitude and velocity at the operating frequency"), 3);
    h_.Paragraph(Source(checks.below, checks.above) +
                     QStringLiteral(" Points by their offset from the centre of gravity; velocity = ω × amplitude. "
                                    "Limits: amplitude %1, velocity %2.")
                         .arg(criteria_.amplitudeLimit > 0 ? Six(criteria_.amplitudeLimit) + u' ' + L
                                                             : QStringLiteral("none"),
                              criteria_.velocityLimit > 0 ? Six(criteria_.velocityLimit) + u' ' + L +
                                                                  QStringLiteral("/s")
                                                            : QStringLiteral("none")),
                 QStringLiteral("note"));
    // a point's three directions on three rows, its name, offset and verdicts spanning them
    h_.Begin({QStringLiteral("Point"), QStringLiteral("Offset (%1)").arg(L), QStringLiteral("Direction"),
              QStringLiteral("Amplitude (%1)").arg(L), QStringLiteral("Velocity (%1/s)").arg(L),
              QStringLiteral("Amplitude"), QStringLiteral("Velocity")});
    bool bound = false;
    const char* const directions[] = {"x", "y", "z"};
    for (const TPointCheck& p : checks.points) {
      for (size_t d = 0; d < 3; ++d) {
        h_.Raw(QStringLiteral("<tr>"));
        if (d == 0)
          h_.Raw(QStringLiteral("<td rowspan=\"3\">%1</td><td rowspan=\"3\">%2, %3, %4</td>")
                     .arg(E(p.point.name), Six(p.point.x), Six(p.point.y), Six(p.point.z)));
        h_.Raw(QStringLiteral("<td>%1</td><td class=\"n\">%2</td><td class=\"n\">%3</td>")
                   .arg(QLatin1String(directions[d]), Six(p.amplitude[d]), Six(p.velocity[d])));
        if (d == 0)
          h_.Raw(THtml::Verdict(VerdictText(p.amplitudeVerdict), 3) +
                 THtml::Verdict(VerdictText(p.velocityVerdict), 3));
        h_.Raw(QStringLiteral("</tr>\n"));
      }
      bound = bound || p.upperBound;
    }
    h_.End();
    if (bound)
      h_.Paragraph(QStringLiteral("Without the results file's phases the amplitudes of a point are the bound that "
                                  "holds whatever the phases: a pass is sure, a failure may be the bound's."),
                   QStringLiteral("note"));

    h_.Heading(QStringLiteral("(c) Warnings"), 3);
    if (checks.warnings.isEmpty()) h_.Paragraph(QStringLiteral("None."));
    for (const QString& warning : checks.warnings) h_.Paragraph(warning);
  }

  // The pictures of one kind, each with its caption.
  void Figures(bool response, const QString& heading, const QString& note) {
    bool any = false;
    for (const TCalcFigure& f : s_.figures) {
      if (f.response != response) continue;
      if (!any) {
        h_.Heading(heading, 2, !response);
        h_.Paragraph(note, QStringLiteral("note"));
        any = true;
      }
      h_.Raw(QStringLiteral("<p class=\"figure\"><img src=\"figure:%1\" width=\"%2\" height=\"%3\" alt=\"%4\"/></p>\n")
                 .arg(E(f.id))
                 .arg(f.width)
                 .arg(f.height)
                 .arg(E(f.caption)));
      h_.Paragraph(f.caption, QStringLiteral("caption"));
    }
  }

  const TCalcReportSource& s_;
  const TProgramData& d_;
  const int units_;
  TDesignCriteria criteria_;  // of the operating frequency being reported
  std::vector<double> operating_;
  THtml h_;
};

}  // namespace

QString VerdictText(TVerdict verdict) {
  switch (verdict) {
    case TVerdict::Pass: return QStringLiteral("PASS");
    case TVerdict::Fail: return QStringLiteral("FAIL");
    default: return QStringLiteral("not checked");
  }
}

QString CalcReportHtml(const TCalcReportSource& source) {
  if (source.project == nullptr || source.tables == nullptr) return {};
  return TReport(source).Compose();
}

}  // namespace terva::gui
