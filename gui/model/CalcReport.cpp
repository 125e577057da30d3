#include "gui/model/CalcReport.hpp"

#include "gui/core/NumberFormat.hpp"
#include "gui/core/units.hpp"
#include "gui/model/ColumnTypes.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/SpringsDashpots.hpp"
#include "gui/model/Table.hpp"

#include <QFileInfo>

#include <cmath>

namespace terva::gui {

namespace {

const char* const kStyle =
    "body{font-family:sans-serif;font-size:10pt}h1{font-size:16pt}h2{font-size:13pt;margin-top:14pt}"
    "table{border-collapse:collapse;margin:4pt 0}td,th{border:1px solid #999;padding:2pt 6pt}"
    "th{background:#eee;text-align:left}td.n{text-align:right}.pass{color:#060;font-weight:bold}"
    ".fail{color:#a00;font-weight:bold}.note{color:#444;font-size:9pt}";

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
  void Heading(const QString& text, int level = 2) {
    text_ += QStringLiteral("<h%1>%2</h%1>\n").arg(level).arg(E(text));
  }
  void Paragraph(const QString& text, const QString& cls = {}) {
    text_ += cls.isEmpty() ? QStringLiteral("<p>%1</p>\n").arg(E(text))
                           : QStringLiteral("<p class=\"%1\">%2</p>\n").arg(cls, E(text));
  }
  void Begin(const QStringList& headers) {
    text_ += QStringLiteral("<table>\n<tr>");
    for (const QString& h : headers) text_ += QStringLiteral("<th>%1</th>").arg(E(h));
    text_ += QStringLiteral("</tr>\n");
  }
  // A row; a cell starting with a digit, a sign or a point is set right.
  void Row(const QStringList& cells, const QString& verdictCell = {}) {
    text_ += QStringLiteral("<tr>");
    for (const QString& cell : cells) {
      const bool number = !cell.isEmpty() && (cell[0].isDigit() || cell[0] == u'-' || cell[0] == u'.');
      text_ += number ? QStringLiteral("<td class=\"n\">%1</td>").arg(E(cell))
                      : QStringLiteral("<td>%1</td>").arg(E(cell));
    }
    if (!verdictCell.isEmpty()) text_ += Verdict(verdictCell);
    text_ += QStringLiteral("</tr>\n");
  }
  void End() { text_ += QStringLiteral("</table>\n"); }
  static QString Verdict(const QString& verdict) {
    const QString cls = verdict == QLatin1String("PASS")   ? QStringLiteral("pass")
                        : verdict == QLatin1String("FAIL") ? QStringLiteral("fail")
                                                           : QString();
    return cls.isEmpty() ? QStringLiteral("<td>%1</td>").arg(E(verdict))
                         : QStringLiteral("<td class=\"%1\">%2</td>").arg(cls, E(verdict));
  }
  const QString& Text() const { return text_; }

 private:
  QString text_;
};

class TReport {
 public:
  explicit TReport(const TCalcReportSource& s) : s_(s), d_(*s.project), units_(s.project->Units) {}

  QString Compose() {
    h_.Raw(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
                          "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n<meta charset=\"UTF-8\"/>\n"
                          "<title>%1</title>\n<style>%2</style>\n</head>\n<body>\n")
               .arg(E(d_.Title), QString::fromLatin1(kStyle)));
    TitleBlock();
    Input();
    if (s_.results != nullptr) {
      Constants();
      Checks();
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
    h_.Row({QStringLiteral("Program"), QStringLiteral("TERVA ") + s_.version});
    h_.Row({QStringLiteral("Units"), units_ == 1 ? QStringLiteral("English (lbs, slug, ft)")
                                                 : QStringLiteral("SI (kN, Mg, m)")});
    h_.Row({QStringLiteral("Foundation"), d_.Foundation});
    if (s_.results != nullptr)
      h_.Row({QStringLiteral("Results"),
              s_.results->fullPrecision
                  ? QStringLiteral("the run's results file, at the engine's single precision")
                  : QStringLiteral("the run's graphic data file, three to five significant digits")});
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

  void Constants() {
    const double op = s_.criteria.operatingOmega;
    h_.Heading(QStringLiteral("Springs and dashpots at the operating frequency"));
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
    const double op = s_.criteria.operatingOmega;
    if (below == above)
      return QStringLiteral("At %1 rad/s (%2 Hz), a computed frequency: the values of %3 as they stand.")
          .arg(Six(op), Six(op / 6.28), file);
    return QStringLiteral("At %1 rad/s (%2 Hz): interpolated linearly in the frequency between the computed "
                          "frequencies %3 and %4 rad/s of %5.")
        .arg(Six(op), Six(op / 6.28), Six(below), Six(above), file);
  }

  void Checks() {
    const TDesignChecks checks = CheckDesign(*s_.results, s_.criteria);
    h_.Heading(QStringLiteral("Design checks"));
    if (!checks.ok) {
      h_.Paragraph(checks.error);
      return;
    }
    const double op = s_.criteria.operatingOmega;
    h_.Heading(QStringLiteral("(a) Frequency separation: ") + VerdictText(checks.separation.verdict), 3);
    h_.Paragraph(QStringLiteral("Every peak of the response curves of the centre of gravity at least %1 away from "
                                "the operating frequency %2 rad/s (%3 Hz). A peak: a computed frequency whose "
                                "amplitude is above the one before it and not below the one after it.")
                     .arg(Percent(s_.criteria.separation), Six(op), Six(op / 6.28)),
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

    const QString L = UnitOf(QStringLiteral("UOX"), s_.info);
    h_.Heading(QStringLiteral("(b) Amplitude and velocity at the operating frequency"), 3);
    h_.Paragraph(Source(checks.below, checks.above) +
                     QStringLiteral(" Points by their offset from the centre of gravity; velocity = ω × amplitude. "
                                    "Limits: amplitude %1, velocity %2.")
                         .arg(s_.criteria.amplitudeLimit > 0 ? Six(s_.criteria.amplitudeLimit) + u' ' + L
                                                             : QStringLiteral("none"),
                              s_.criteria.velocityLimit > 0 ? Six(s_.criteria.velocityLimit) + u' ' + L +
                                                                  QStringLiteral("/s")
                                                            : QStringLiteral("none")),
                 QStringLiteral("note"));
    h_.Begin({QStringLiteral("Point"), QStringLiteral("Offset x, y, z"), QStringLiteral("Amplitude x, y, z"),
              QStringLiteral("Velocity x, y, z"), QStringLiteral("Amplitude"), QStringLiteral("Velocity")});
    bool bound = false;
    for (const TPointCheck& p : checks.points) {
      const auto triple = [](const std::array<double, 3>& v) {
        return QStringLiteral("%1, %2, %3").arg(Six(v[0]), Six(v[1]), Six(v[2]));
      };
      h_.Raw(QStringLiteral("<tr><td>%1</td><td class=\"n\">%2</td><td class=\"n\">%3</td><td class=\"n\">%4</td>")
                 .arg(E(p.point.name), E(triple({p.point.x, p.point.y, p.point.z})), E(triple(p.amplitude)),
                      E(triple(p.velocity))));
      h_.Raw(THtml::Verdict(VerdictText(p.amplitudeVerdict)) + THtml::Verdict(VerdictText(p.velocityVerdict)) +
             QStringLiteral("</tr>\n"));
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

  const TCalcReportSource& s_;
  const TProgramData& d_;
  const int units_;
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
