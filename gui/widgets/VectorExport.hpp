// Vector pictures of a drawing: a one-page PDF (Qt's PDF writer) and an SVG
// (Qt's SVG generator), written whole or not at all, whether or not a
// printer is installed. The drawing is handed over as a function that paints
// into an area of a device of a given resolution; it sizes its fonts and
// pens from that resolution, so that the picture reads as it does on a
// 96-ppi screen.
#pragma once

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>

#include <functional>

class QPainter;
class QSaveFile;
class QWidget;

namespace terva::gui {

// Paints the drawing into `area` (device pixels) of a device with `ppi`
// pixels per inch.
using TPaintArea = std::function<void(QPainter& painter, const QRectF& area, double ppi)>;

// The page of a PDF: A4, or Letter where the system measures in inches;
// landscape; margins of one inch as the plots' page setup.
struct TPdfPage {
  QPageSize Size = DefaultPageSize();
  QPageLayout::Orientation Orientation = QPageLayout::Landscape;
  QMarginsF MarginsInch{1.0, 1.0, 1.0, 1.0};
  QString Title;  // the document's title
  static QPageSize DefaultPageSize();
};

// The resolution of the PDF pages (pixels per inch).
inline constexpr int kPdfResolution = 1200;

// Writes a one-page PDF; the drawing gets the page inside its margins.
// False, with the reason in `error`, when the file is a link, not a plain
// file, or cannot be written (an earlier file of that name is then kept).
bool WritePdf(const QString& path, const TPdfPage& page, const TPaintArea& paint, QString* error = nullptr);

// The two halves of such a write, for other documents: opens the file that
// replaces `out`'s name when committed (refused when that is a link or not a
// plain file), and commits it when `written`, else drops it and says so.
bool OpenExportTarget(QSaveFile& out, QString* error);
bool CommitExport(QSaveFile& out, bool written, QString* error);

// Writes an SVG picture of `size` pixels at 96 ppi; the same rules.
bool WriteSvg(const QString& path, const QSizeF& size, const QString& title, const TPaintArea& paint,
              QString* error = nullptr);

// Asks where to export: kind "PDF", "HTML" or "SVG"; `suggested` is the proposed
// file name (without a folder, the last export folder is used). Empty when
// the user cancels. Tests replace the dialog with a hook.
QString AskExportPath(QWidget* parent, const QString& kind, const QString& suggested);
using TExportPathHook = std::function<QString(const QString& kind, const QString& suggested)>;
void SetExportPathHook(TExportPathHook hook);

// The whole command: asks, writes, and says what went wrong in a message.
// True when a file was written.
bool ExportPdfCommand(QWidget* parent, const QString& suggested, const TPdfPage& page, const TPaintArea& paint);
bool ExportSvgCommand(QWidget* parent, const QString& suggested, const QSizeF& size, const QString& title,
                      const TPaintArea& paint);

// A file name made of a caption: letters, digits, blanks, '-' and '_' kept,
// the rest dropped ("Rotational Stiffnesses  (Real Part)" ->
// "Rotational Stiffnesses Real Part").
QString FileNameOf(const QString& caption);

}  // namespace terva::gui
