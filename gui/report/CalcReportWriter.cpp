#include "gui/report/CalcReportWriter.hpp"

#include "gui/model/CalcReport.hpp"
#include "gui/model/PltData.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/SpringsDashpots.hpp"
#include "gui/plots/PlotForm.hpp"
#include "gui/plots/PlotScale.hpp"
#include "gui/plots/VelocityLines.hpp"
#include "gui/views/GeometryView.hpp"
#include "gui/widgets/VectorExport.hpp"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSettings>
#include <QSvgGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextObjectInterface>

#include <cmath>
#include <functional>
#include <map>
#include <memory>

#include "terva/version.h"

namespace terva::gui {

namespace {

// The pixels of the figures' sizes in the text: a 96-ppi screen's.
constexpr double kScreenPpi = 96.0;
// The PDF's resolution: fine enough for the drawings' hairlines.
constexpr int kReportPpi = 600;
constexpr int kFigureType = QTextFormat::UserObject + 1;
constexpr int kFigureId = QTextFormat::UserProperty + 1;

using TFigurePainter = std::function<void(const QString& id, QPainter& painter, const QRectF& area, double ppi)>;

// The figures of the report and how each is drawn.
class TFigures {
 public:
  TFigures(const TProgramData& project, const TProjectTables& tables, const TResultPlots* plots,
           const TDesignCriteria& criteria)
      : project_(project), tables_(tables), plots_(plots), criteria_(criteria) {}

  std::vector<TCalcFigure> List() const {
    std::vector<TCalcFigure> list;
    for (const TViewPlane plane : {TViewPlane::Top, TViewPlane::SideXZ, TViewPlane::SideYZ}) {
      TCalcFigure f;
      f.id = PlaneId(plane);
      f.caption = TGeometryView::ViewName(plane);
      f.height = 360;
      list.push_back(f);
    }
    if (plots_ != nullptr) {
      for (const auto& [id, plot] : Plots()) {
        if (plot->LineCount() == 0) continue;
        TCalcFigure f;
        f.id = id;
        f.caption = id.endsWith(QLatin1String("displacement"))
                        ? QStringLiteral("Translational amplitudes of the centre of gravity")
                        : QStringLiteral("Rotational amplitudes of the centre of gravity");
        f.height = 420;
        f.response = true;
        list.push_back(f);
      }
    }
    return list;
  }

  void Draw(const QString& id, QPainter& painter, const QRectF& area, double ppi) const {
    painter.save();
    painter.fillRect(area, Qt::white);
    for (const TViewPlane plane : {TViewPlane::Top, TViewPlane::SideXZ, TViewPlane::SideYZ}) {
      if (id != PlaneId(plane)) continue;
      const TGeometryCanvas canvas(
          plane, [this]() -> const TProgramData& { return project_; }, tables_);
      canvas.RenderAt(painter, area, ppi);
    }
    if (plots_ != nullptr) {
      for (const auto& [plotId, plot] : Plots()) {
        if (id != plotId) continue;
        const TAxisLimits limits = AxisLimits(*plot);
        TVelocityLines lines;
        lines.UnitSystem = project_.Units;
        lines.Axis = TFrequencyAxis::Hertz;
        // the velocity limit as a line over the displacement amplitudes
        if (criteria_.velocityLimit > 0.0 && HasTranslationalAmplitudes(*plot))
          lines.Limits.push_back(criteria_.velocityLimit / VelocityLengthFactor(project_.Units));
        DrawPlotOnDevice(painter, *plot, TView{limits.X, limits.Y}, area, ppi, ppi, {0.75, 0.25, 0.5}, lines);
      }
    }
    painter.restore();
  }

 private:
  static QString PlaneId(TViewPlane plane) {
    switch (plane) {
      case TViewPlane::Top: return QStringLiteral("top");
      case TViewPlane::SideXZ: return QStringLiteral("side-xz");
      default: return QStringLiteral("side-yz");
    }
  }
  std::vector<std::pair<QString, const TGraphPlot*>> Plots() const {
    return {{QStringLiteral("response-displacement"), &plots_->pltDxyzR},
            {QStringLiteral("response-rotation"), &plots_->pltMxyzR}};
  }

  const TProgramData& project_;
  const TProjectTables& tables_;
  const TResultPlots* plots_;
  const TDesignCriteria& criteria_;
};

// Draws the figures of a QTextDocument in the place of their images.
class TFigureObject : public QObject, public QTextObjectInterface {
  Q_OBJECT
  Q_INTERFACES(QTextObjectInterface)

 public:
  TFigureObject(TFigurePainter paint, double ppi) : paint_(std::move(paint)), ppi_(ppi) {}
  QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override {
    const QTextImageFormat image = format.toImageFormat();
    return QSizeF(image.width(), image.height()) * (ppi_ / kScreenPpi);
  }
  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int, const QTextFormat& format) override {
    // a figure of the page before or after, whose paragraph's margin reaches into this page
    if (painter->hasClipping() && !painter->clipBoundingRect().intersects(rect)) return;
    paint_(format.property(kFigureId).toString(), *painter, rect, ppi_);
  }

 private:
  TFigurePainter paint_;
  double ppi_;
};

// Gives the document's "figure:" images to the figure object.
void MarkFigures(QTextDocument& doc) {
  std::vector<std::pair<int, QTextImageFormat>> found;
  for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const QTextCharFormat format = fragment.charFormat();
      if (!format.isImageFormat()) continue;
      const QTextImageFormat image = format.toImageFormat();
      if (image.name().startsWith(QLatin1String("figure:"))) found.emplace_back(fragment.position(), image);
    }
  }
  for (auto& [position, image] : found) {
    QTextCursor cursor(&doc);
    cursor.setPosition(position);
    cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
    image.setObjectType(kFigureType);
    image.setProperty(kFigureId, image.name().mid(7));
    cursor.setCharFormat(image);
  }
}

// The body of the XHTML text for QTextDocument, which reads HTML, not XML.
QString HtmlBody(const QString& xhtml) {
  const qsizetype at = xhtml.indexOf(QLatin1String("<html"));
  return at < 0 ? xhtml : xhtml.mid(at);
}

bool WritePdfReport(const QString& xhtml, const QString& title, const QPageSize& paper, const TFigurePainter& paint,
                    const QString& path, QString* error) {
  QSaveFile out(path);
  if (!OpenExportTarget(out, error)) return false;
  bool written = false;
  {
    QPdfWriter writer(&out);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("TERVA " TERVA_VERSION));
    writer.setResolution(kReportPpi);
    // The whole sheet is painted; the margins are ours: one inch, as the
    // plots' page setup, the header in the top one.
    writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Inch));
    const double ppi = writer.resolution();
    const QRectF sheet(QPointF(0, 0), writer.pageLayout().fullRectPixels(writer.resolution()).size());
    const QRectF body = sheet.adjusted(ppi, ppi, -ppi, -ppi);

    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&writer);
    TFigureObject figures(paint, ppi);
    doc.documentLayout()->registerHandler(kFigureType, &figures);
    doc.setDocumentMargin(0);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(10);
    doc.setDefaultFont(font);
    doc.setHtml(HtmlBody(xhtml));
    MarkFigures(doc);
    // No ligatures ("fi" as one glyph): the PDF's text reads and searches as
    // it is written. Qt ligates only text without letter spacing.
    QTextCursor all(&doc);
    all.select(QTextCursor::Document);
    QTextCharFormat spacing;
    spacing.setFontLetterSpacingType(QFont::AbsoluteSpacing);
    spacing.setFontLetterSpacing(0.05);
    all.mergeCharFormat(spacing);
    doc.setPageSize(body.size());
    const int pages = doc.pageCount();

    QPainter painter(&writer);
    if (painter.isActive()) {
      QFont small = font;
      small.setPointSizeF(8);
      for (int page = 0; page < pages; ++page) {
        if (page > 0) writer.newPage();
        painter.save();
        painter.translate(body.left(), body.top() - page * body.height());
        doc.drawContents(&painter, QRectF(0, page * body.height(), body.width(), body.height()));
        painter.restore();
        // the header: the title, the page number, a rule under them
        painter.setFont(small);
        painter.setPen(QPen(Qt::darkGray, ppi / 144.0));
        const QRectF head(body.left(), body.top() - ppi * 0.5, body.width(), ppi * 0.3);
        painter.drawText(head, Qt::AlignLeft | Qt::AlignBottom, painter.fontMetrics().elidedText(
                                                                     title, Qt::ElideRight, int(body.width() * 0.75)));
        painter.drawText(head, Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages));
        painter.drawLine(QPointF(body.left(), head.bottom() + ppi * 0.06),
                         QPointF(body.right(), head.bottom() + ppi * 0.06));
        const QRectF foot(body.left(), body.bottom() + ppi * 0.25, body.width(), ppi * 0.3);
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("TERVA " TERVA_VERSION));
      }
      written = painter.end();
    }
  }
  return CommitExport(out, written, error);
}

// An SVG picture of a figure as a data URI.
QString SvgUri(const TCalcFigure& figure, const TFigurePainter& paint) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setResolution(static_cast<int>(kScreenPpi));
    svg.setSize(QSize(figure.width, figure.height));
    svg.setViewBox(QRectF(0, 0, figure.width, figure.height));
    svg.setTitle(figure.caption);
    QPainter painter(&svg);
    paint(figure.id, painter, QRectF(0, 0, figure.width, figure.height), kScreenPpi);
  }
  return QStringLiteral("data:image/svg+xml;base64,") + QString::fromLatin1(buffer.data().toBase64());
}

bool WriteHtmlReport(QString xhtml, const std::vector<TCalcFigure>& figures, const TFigurePainter& paint,
                     const QString& path, QString* error) {
  for (const TCalcFigure& f : figures)
    xhtml.replace(QStringLiteral("src=\"figure:%1\"").arg(f.id), QStringLiteral("src=\"%1\"").arg(SvgUri(f, paint)));
  QSaveFile out(path);
  if (!OpenExportTarget(out, error)) return false;
  const QByteArray bytes = xhtml.toUtf8();
  const bool written = out.write(bytes) == bytes.size();
  return CommitExport(out, written, error);
}

QString Six(double value) { return QString::number(value, 'g', 6); }

// One line per check of each operating frequency.
QStringList Verdicts(const TResultsData& data, const TDesignCriteria& criteria, const std::vector<double>& operating) {
  QStringList lines;
  for (const double op : operating) {
    TDesignCriteria c = criteria;
    c.operatingOmega = op;
    const TDesignChecks checks = CheckDesign(data, c);
    const QString at = QStringLiteral("at %1 Hz").arg(Six(op / 6.28));
    if (!checks.ok) {
      lines << QStringLiteral("checks %1: none (%2)").arg(at, checks.error);
      continue;
    }
    double least = 1e300;
    for (const TResponsePeak& p : checks.separation.peaks) least = std::min(least, p.margin);
    lines << QStringLiteral("(a) frequency separation %1: %2%3")
                 .arg(at, VerdictText(checks.separation.verdict),
                      checks.separation.peaks.empty()
                          ? QStringLiteral(" (no peak in the computed range)")
                          : QStringLiteral(" (least margin %1 %)").arg(QString::number(least * 100.0, 'f', 1)));
    for (const TPointCheck& p : checks.points)
      lines << QStringLiteral("(b) %1 %2: amplitude %3, velocity %4")
                   .arg(p.point.name, at, VerdictText(p.amplitudeVerdict), VerdictText(p.velocityVerdict));
    lines << QStringLiteral("(c) warnings %1: %2")
                 .arg(at, checks.warnings.isEmpty() ? QStringLiteral("none") : checks.warnings.join(u' '));
  }
  return lines;
}

}  // namespace

QString CalcReportPath(const QString& project, TReportFormat format) {
  const QFileInfo info(project);
  const QString stem = info.suffix().compare(QLatin1String("tvd"), Qt::CaseInsensitive) == 0
                           ? info.completeBaseName()
                           : info.fileName();
  return info.dir().filePath(stem + (format == TReportFormat::Pdf ? QStringLiteral(".report.pdf")
                                                                  : QStringLiteral(".report.html")));
}

TDesignCriteria DefaultReportCriteria(int system) {
  TDesignCriteria criteria = StoredDesignCriteria(system).criteria;
  if (!(criteria.velocityLimit > 0.0)) {
    const QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
    const bool kept = settings.contains(QStringLiteral("DesignChecks/VelocityLimit") +
                                        (system == 1 ? QStringLiteral("English") : QStringLiteral("SI")));
    const std::vector<double> lines = StoredVelocityLimits(system);
    if (!kept && !lines.empty()) criteria.velocityLimit = lines.front() * VelocityLengthFactor(system);
  }
  return criteria;
}

bool ParseOperatingFrequencies(const QString& text, std::vector<double>& omegas, QString* error) {
  std::vector<double> found;
  for (const QString& part : text.split(u';', Qt::SkipEmptyParts)) {
    if (part.trimmed().isEmpty()) continue;
    const TOperatingFrequency f = ParseOperatingFrequency(part.trimmed());
    if (!f.ok) {
      if (error) *error = QStringLiteral("\"%1\": %2").arg(part.trimmed(), f.error);
      return false;
    }
    found.push_back(f.omega);
  }
  if (found.empty()) {
    if (error) *error = QStringLiteral("no operating frequency given");
    return false;
  }
  omegas = found;
  return true;
}

std::vector<double> StoredOperatingFrequencies() {
  std::vector<double> omegas;
  const QString text = StoredDesignCriteria(2).operatingFrequency;
  if (!ParseOperatingFrequencies(text, omegas)) omegas.clear();
  return omegas;
}

bool WriteCalcReport(const TProgramData& project, const TProjectTables& tables, const TCalcReportRequest& request,
                     const QString& path, QString* error, QStringList* verdicts) {
  TCalcReportSource source;
  source.project = &project;
  source.tables = &tables;
  source.info = DescribeProject(project);
  TResultsData results;
  QString why;
  if (!QFileInfo::exists(source.info.graphic)) {
    if (error)
      *error = QStringLiteral("there are no results: %1 is missing; run the analysis first")
                   .arg(QDir::toNativeSeparators(source.info.graphic));
    return false;
  }
  if (!ReadResults(source.info.graphic, results, &why)) {
    if (error) *error = QStringLiteral("the results cannot be read: %1").arg(why);
    return false;
  }
  source.results = &results;
  source.criteria = request.criteria;
  source.operating = request.operating;
  if (source.operating.empty() && results.HasResponse()) {
    const double mid = 0.5 * (static_cast<double>(results.responseOmega.front()) +
                              static_cast<double>(results.responseOmega.back()));
    source.operating.push_back(mid);
    source.operatingNote = QStringLiteral("assumed: the middle of the computed range, as none was set");
  }
  source.date = request.date.isEmpty() ? QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                                       : request.date;
  source.version = QStringLiteral(TERVA_VERSION);

  // the response curves as the plots show them
  std::unique_ptr<TResultPlots> plots;
  if (project.LoadType == TLoadType::Harmonic && results.HasResponse()) {
    plots = std::make_unique<TResultPlots>();
    if (!plots->ReadResultCurves(source.info.graphic, false, project.Matrix == 1, static_cast<int>(project.LoadType),
                                 project.Units))
      plots.reset();
  }
  const TFigures figures(project, tables, plots.get(), source.criteria);
  source.figures = figures.List();
  const QString xhtml = CalcReportHtml(source);
  const TFigurePainter paint = [&figures](const QString& id, QPainter& painter, const QRectF& area, double ppi) {
    figures.Draw(id, painter, area, ppi);
  };
  const bool ok = request.format == TReportFormat::Pdf
                      ? WritePdfReport(xhtml, project.Title, request.paper, paint, path, error)
                      : WriteHtmlReport(xhtml, source.figures, paint, path, error);
  if (ok && verdicts != nullptr) {
    verdicts->clear();
    if (!source.operatingNote.isEmpty())
      *verdicts << QStringLiteral("operating frequency %1 Hz %2")
                       .arg(Six(source.operating.front() / 6.28), source.operatingNote);
    *verdicts << Verdicts(results, source.criteria, source.operating);
  }
  return ok;
}

}  // namespace terva::gui

#include "CalcReportWriter.moc"
