#include "gui/app/Title.hpp"

#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextCursor>
#include <QVBoxLayout>

#include "gui/app/Main.hpp"
#include "gui/model/ProgramData.hpp"

namespace terva::gui {

namespace {
QString OneLine(QString text) {
  text.replace(QLatin1String("\r\n"), QLatin1String(" "));
  for (QChar& c : text)
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
      c = QLatin1Char(' ');
  return text;
}
}  // namespace

QString TitleWarning(const QString& title) {
  QStringList problems;
  if (title.contains(QLatin1Char(','))) problems << QStringLiteral("commas");
  if (title.contains(QLatin1Char('='))) problems << QStringLiteral("\"=\"");
  if (title.contains(QLatin1Char('$'))) problems << QStringLiteral("\"$\" (the rest is a comment)");
  static const QRegularExpression loneCode(QStringLiteral("(^|[\\s,=])[THFQPSV]($|[\\s,=])"));
  if (loneCode.match(title).hasMatch()) problems << QStringLiteral("a single letter T, H, F, Q, P, S or V standing alone");
  if (problems.isEmpty()) return {};
  return QStringLiteral("The report will not show this title as typed: the engine splits it at ") + problems.join(QStringLiteral(", ")) +
         QStringLiteral(".");
}

TTitleMemo::TTitleMemo(QWidget* parent) : QPlainTextEdit(parent) {
  setTabChangesFocus(true);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  connect(this, &QPlainTextEdit::textChanged, this, &TTitleMemo::Enforce);
}

void TTitleMemo::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->ignore();
    return;
  }
  const QString typed = event->text();
  const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
  if (printable && !textCursor().hasSelection() && toPlainText().size() >= kMaxLength) {
    event->accept();  // full: the character is not taken
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

bool TTitleMemo::canInsertFromMimeData(const QMimeData* source) const { return source->hasText(); }

void TTitleMemo::insertFromMimeData(const QMimeData* source) {
  if (!source->hasText()) return;
  const int room = kMaxLength - (toPlainText().size() - textCursor().selectedText().size());
  textCursor().insertText(OneLine(source->text()).left(std::max(0, room)));
}

// The last guard, whatever the way text arrived (input methods, drops).
void TTitleMemo::Enforce() {
  if (enforcing_) return;
  const QString text = toPlainText();
  const QString fixed = OneLine(text).left(kMaxLength);
  if (fixed == text) return;
  enforcing_ = true;
  setPlainText(fixed);
  moveCursor(QTextCursor::End);
  enforcing_ = false;
}

TdlgTitle::TdlgTitle(TMainForm& main, QWidget* parent) : TChildForm(parent), main_(main) {
  setWindowTitle(QStringLiteral("Project Title"));
  auto* label = new QLabel(QStringLiteral("Enter text line for project description:"), this);
  memo_ = new TTitleMemo(this);
  memo_->setObjectName(QStringLiteral("TitleMemo"));
  label->setBuddy(memo_);
  const QFontMetrics metrics(memo_->font());
  memo_->setMinimumWidth(metrics.horizontalAdvance(QString(48, QLatin1Char('M'))));
  memo_->setFixedHeight(metrics.lineSpacing() * 3 + 12);
  warning_ = new QLabel(this);
  warning_->setObjectName(QStringLiteral("TitleWarning"));
  warning_->setWordWrap(true);
  warning_->setStyleSheet(QStringLiteral("color: #9a5a00;"));
  warning_->hide();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(memo_);
  layout->addWidget(warning_);
  layout->addStretch(1);
  connect(memo_, &QPlainTextEdit::textChanged, this, [this] {
    const QString warning = TitleWarning(memo_->toPlainText());
    warning_->setText(warning);
    warning_->setVisible(!warning.isEmpty());
  });
}

void TdlgTitle::ActivateForm() { memo_->setPlainText(main_.Project().Title); }

bool TdlgTitle::DeactivateForm() {
  const QString text = memo_->toPlainText();
  if (text != main_.Project().Title) {
    main_.Project().Title = text;
    emit Modified();
  }
  return true;
}

}  // namespace terva::gui
