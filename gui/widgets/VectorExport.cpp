#include "gui/widgets/VectorExport.hpp"

#include "gui/core/Messages.hpp"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>

namespace terva::gui {

namespace {

TExportPathHook exportPathHook;
QString lastFolder;  // the folder of the last export, for the next one

}  // namespace

bool OpenExportTarget(QSaveFile& out, QString* error) {
  const QFileInfo target(out.fileName());
  if (target.isSymLink() || (target.exists() && !target.isFile())) {
    if (error)
      *error = QStringLiteral("%1 is a link or not a plain file").arg(QDir::toNativeSeparators(out.fileName()));
    return false;
  }
  if (!out.open(QIODevice::WriteOnly)) {
    if (error) *error = out.errorString();
    return false;
  }
  return true;
}

bool CommitExport(QSaveFile& out, bool painted, QString* error) {
  if (!painted) {
    out.cancelWriting();
    if (error) *error = QStringLiteral("the picture could not be drawn");
    return false;
  }
  if (!out.commit()) {
    if (error) *error = out.errorString();
    return false;
  }
  return true;
}

QPageSize TPdfPage::DefaultPageSize() {
  return QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                       : QPageSize::A4);
}

bool WritePdf(const QString& path, const TPdfPage& page, const TPaintArea& paint, QString* error) {
  QSaveFile out(path);
  if (!OpenExportTarget(out, error)) return false;
  bool painted = false;
  {
    QPdfWriter writer(&out);
    writer.setTitle(page.Title);
    writer.setCreator(QStringLiteral("TERVA"));
    writer.setResolution(kPdfResolution);
    writer.setPageLayout(QPageLayout(page.Size, page.Orientation, page.MarginsInch, QPageLayout::Inch));
    QPainter painter(&writer);
    if (painter.isActive()) {
      const QRect area = writer.pageLayout().paintRectPixels(writer.resolution());
      paint(painter, QRectF(0, 0, area.width(), area.height()), writer.resolution());
      painted = painter.end();
    }
  }
  return CommitExport(out, painted, error);
}

bool WriteSvg(const QString& path, const QSizeF& size, const QString& title, const TPaintArea& paint,
              QString* error) {
  QSaveFile out(path);
  if (!OpenExportTarget(out, error)) return false;
  bool painted = false;
  {
    QSvgGenerator svg;
    svg.setOutputDevice(&out);
    svg.setResolution(96);
    svg.setSize(size.toSize());
    svg.setViewBox(QRectF(QPointF(0, 0), size));
    svg.setTitle(title);
    svg.setDescription(QStringLiteral("Drawn by TERVA"));
    QPainter painter(&svg);
    if (painter.isActive()) {
      painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
      paint(painter, QRectF(QPointF(0, 0), size), 96.0);
      painted = painter.end();
    }
  }
  return CommitExport(out, painted, error);
}

void SetExportPathHook(TExportPathHook hook) { exportPathHook = std::move(hook); }

QString AskExportPath(QWidget* parent, const QString& kind, const QString& suggested) {
  if (exportPathHook) return exportPathHook(kind, suggested);
  const bool pdf = kind == QLatin1String("PDF"), html = kind == QLatin1String("HTML");
  const QString suffix = pdf ? QStringLiteral("pdf") : html ? QStringLiteral("html") : QStringLiteral("svg");
  QString start = suggested;
  if (!suggested.isEmpty() && QFileInfo(suggested).isRelative() && !lastFolder.isEmpty())
    start = QDir(lastFolder).filePath(suggested);
  if (!start.isEmpty() && QFileInfo(start).suffix().compare(suffix, Qt::CaseInsensitive) != 0)
    start += QLatin1Char('.') + suffix;
  QFileDialog dialog(parent, QStringLiteral("Export %1").arg(kind), QString(),
                     pdf    ? QStringLiteral("PDF documents (*.pdf)")
                     : html ? QStringLiteral("Web pages (*.html)")
                            : QStringLiteral("SVG pictures (*.svg)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(suffix);
  if (!start.isEmpty()) dialog.selectFile(start);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString path = dialog.selectedFiles().first();
  lastFolder = QFileInfo(path).absolutePath();
  return path;
}

bool ExportPdfCommand(QWidget* parent, const QString& suggested, const TPdfPage& page, const TPaintArea& paint) {
  const QString path = AskExportPath(parent, QStringLiteral("PDF"), suggested);
  if (path.isEmpty()) return false;
  QString error;
  if (WritePdf(path, page, paint, &error)) return true;
  ShowMessage(TMessageKind::Error, QStringLiteral("Export PDF"),
              QStringLiteral("The PDF could not be written: %1.").arg(error), MbOk);
  return false;
}

bool ExportSvgCommand(QWidget* parent, const QString& suggested, const QSizeF& size, const QString& title,
                      const TPaintArea& paint) {
  const QString path = AskExportPath(parent, QStringLiteral("SVG"), suggested);
  if (path.isEmpty()) return false;
  QString error;
  if (WriteSvg(path, size, title, paint, &error)) return true;
  ShowMessage(TMessageKind::Error, QStringLiteral("Export SVG"),
              QStringLiteral("The SVG picture could not be written: %1.").arg(error), MbOk);
  return false;
}

QString FileNameOf(const QString& caption) {
  QString name = caption;
  name.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9 _-]")));
  name = name.simplified();
  return name.isEmpty() ? QStringLiteral("picture") : name;
}

}  // namespace terva::gui
