#include "gui/views/ReportViewer.hpp"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>

#include <memory>

#include "gui/core/EngineRunner.hpp"

namespace terva::gui {

namespace {

QFont ReportFont(qreal points = 0) {
  // the system's fixed-width font; where it cannot be had, any typewriter font
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (!QFontInfo(font).fixedPitch()) {
    font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"), QStringLiteral("Courier New"),
                      QStringLiteral("monospace")});
    font.setStyleHint(QFont::TypeWriter);
  }
  font.setFixedPitch(true);
  if (points > 0) font.setPointSizeF(points);
  return font;
}

}  // namespace

TReportViewer::TReportViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("ReportViewer"));
  setAttribute(Qt::WA_DeleteOnClose);
  tools_ = new QToolBar(this);
  tools_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  find_ = new QLineEdit(this);
  find_->setObjectName(QStringLiteral("FindField"));
  find_->setPlaceholderText(QStringLiteral("Find (Ctrl+F)"));
  find_->setClearButtonEnabled(true);
  find_->setMaximumWidth(260);
  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QStringLiteral("ReportText"));
  text_->setReadOnly(true);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(ReportFont());
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("Status"));
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto action = [this](const QString& caption, const QKeySequence& key, auto slot, const QString& tip) {
    auto* a = new QAction(caption, this);
    a->setShortcut(key);
    a->setToolTip(tip + (key.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(key.toString(QKeySequence::NativeText))));
    a->setShortcutContext(Qt::WindowShortcut);
    connect(a, &QAction::triggered, this, slot);
    addAction(a);
    return a;
  };
  QAction* focusFind = action(QStringLiteral("Find"), QKeySequence::Find, [this] {
    find_->setFocus();
    find_->selectAll();
  }, QStringLiteral("Find a text"));
  Q_UNUSED(focusFind);
  QAction* next = action(QStringLiteral("Find &Next"), QKeySequence::FindNext, [this] { Find(find_->text()); },
                         QStringLiteral("The next place of the text"));
  QAction* previous = action(QStringLiteral("Find &Previous"), QKeySequence::FindPrevious,
                             [this] { Find(find_->text(), true); }, QStringLiteral("The previous place of the text"));
  QAction* error = action(QStringLiteral("Next &Error"), QKeySequence(Qt::Key_F8), [this] { NextError(); },
                          QStringLiteral("The next error line of the report"));
  error->setObjectName(QStringLiteral("NextError"));
  QAction* reload = action(QStringLiteral("&Reload"), QKeySequence::Refresh, [this] { Reload(); },
                           QStringLiteral("Read the report again"));
  QAction* print = action(QStringLiteral("&Print..."), QKeySequence::Print, [this] { Print(); },
                          QStringLiteral("Print the report"));
  QAction* pdf = action(QStringLiteral("Export P&DF..."), QKeySequence(), [this] { ExportPdfCommand(); },
                        QStringLiteral("Write the report as a PDF file"));
  action(QStringLiteral("Close"), QKeySequence(Qt::Key_Escape), [this] { close(); }, QStringLiteral("Close"));
  connect(find_, &QLineEdit::returnPressed, this, [this] { Find(find_->text()); });

  tools_->addWidget(find_);
  tools_->addAction(next);
  tools_->addAction(previous);
  tools_->addSeparator();
  tools_->addAction(error);
  tools_->addSeparator();
  tools_->addAction(reload);
  tools_->addAction(print);
  tools_->addAction(pdf);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(tools_);
  layout->addWidget(text_, 1);
  layout->addWidget(status_);
  // wide enough for the report's 132 columns at the usual font
  resize(1060, 700);
}

QString TReportViewer::Status() const { return status_->text(); }

void TReportViewer::SetStatus(const QString& text) { status_->setText(text); }

bool TReportViewer::Open(const QString& path) {
  path_ = QFileInfo(path).absoluteFilePath();
  setWindowTitle(QStringLiteral("Report - %1").arg(QFileInfo(path_).fileName()));
  return Reload();
}

bool TReportViewer::Reload() {
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly)) {
    text_->clear();
    SetStatus(QStringLiteral("%1 cannot be read (%2)").arg(QDir::toNativeSeparators(path_), file.errorString()));
    return false;
  }
  const int line = text_->textCursor().blockNumber();
  const int scroll = text_->verticalScrollBar()->value();
  // The report is plain Latin-1 text with Fortran's page feeds.
  QString content = QString::fromLatin1(file.readAll());
  content.replace(QLatin1Char('\f'), QLatin1Char(' '));
  text_->setPlainText(content);
  const QTextBlock block = text_->document()->findBlockByNumber(line);
  if (block.isValid()) {
    QTextCursor cursor(block);
    text_->setTextCursor(cursor);
  }
  text_->verticalScrollBar()->setValue(scroll);
  SetStatus(QStringLiteral("%1   %2 lines").arg(QDir::toNativeSeparators(path_)).arg(text_->document()->blockCount()));
  return true;
}

bool TReportViewer::Find(const QString& text, bool backwards) {
  if (text.isEmpty()) return false;
  const QTextDocument::FindFlags flags = backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
  if (text_->find(text, flags)) return true;
  // wrap around
  QTextCursor cursor = text_->textCursor();
  cursor.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
  text_->setTextCursor(cursor);
  if (text_->find(text, flags)) {
    SetStatus(QStringLiteral("Search wrapped around"));
    return true;
  }
  SetStatus(QStringLiteral("\"%1\" is not in the report").arg(text));
  return false;
}

bool TReportViewer::NextError() {
  QTextDocument* document = text_->document();
  // from the top of a report just opened, the first line counts too
  const QTextCursor at = text_->textCursor();
  const int start = at.position() == 0 && !at.hasSelection() ? -1 : at.blockNumber();
  const int count = document->blockCount();
  for (int step = 1; step <= count; ++step) {
    const QTextBlock block = document->findBlockByNumber((start + step + count) % count);
    if (!IsReportErrorLine(block.text().trimmed())) continue;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    text_->setTextCursor(cursor);
    text_->centerCursor();
    SetStatus(QStringLiteral("Line %1: %2").arg(block.blockNumber() + 1).arg(block.text().trimmed()));
    return true;
  }
  SetStatus(QStringLiteral("The report has no error lines"));
  return false;
}

void TReportViewer::PrintOn(QPagedPaintDevice& device) const {
  // A copy in a smaller font, so that the report's columns fit the page.
  std::unique_ptr<QTextDocument> copy(text_->document()->clone());
  copy->setDefaultFont(ReportFont(7.5));
  copy->print(&device);
}

void TReportViewer::Print() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  printer.setDocName(QFileInfo(path_).fileName());
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  PrintOn(printer);
}

bool TReportViewer::ExportPdf(const QString& file, QString* error) const {
  const QFileInfo target(file);
  if (target.isSymLink() || (target.exists() && !target.isFile())) {
    if (error) *error = QStringLiteral("%1 is a link or not a plain file").arg(QDir::toNativeSeparators(file));
    return false;
  }
  QSaveFile out(file);
  if (!out.open(QIODevice::WriteOnly)) {
    if (error) *error = out.errorString();
    return false;
  }
  {
    QPdfWriter writer(&out);
    writer.setTitle(QFileInfo(path_).fileName());
    writer.setCreator(QStringLiteral("TERVA"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                                     QPageLayout::Millimeter));
    PrintOn(writer);
  }
  if (!out.commit()) {
    if (error) *error = out.errorString();
    return false;
  }
  return true;
}

void TReportViewer::ExportPdfCommand() {
  const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Export Report as PDF"), path_ + QStringLiteral(".pdf"),
                                                    QStringLiteral("PDF files (*.pdf)"));
  if (file.isEmpty()) return;
  QString error;
  if (ExportPdf(file, &error)) SetStatus(QStringLiteral("Written: %1").arg(QDir::toNativeSeparators(file)));
  else SetStatus(QStringLiteral("The PDF file could not be written: %1").arg(error));
}

}  // namespace terva::gui
