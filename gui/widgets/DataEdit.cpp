#include "gui/widgets/DataEdit.hpp"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "gui/core/Messages.hpp"
#include "gui/core/NumberFormat.hpp"
#include "gui/core/units.hpp"

namespace terva::gui {
namespace {

constexpr long double kIntMin = -2147483648.0L;
constexpr long double kIntMax = 2147483647.0L;

// True while some field runs its exit check: the message box and the focus
// taken back must not start the check of the field the user was going to,
// or two invalid fields would pass the focus back and forth for ever.
bool checking = false;

long double Clamp(long double value, long double low, long double high) {
  if (value < low) return low;
  if (value > high) return high;
  return value;
}

}  // namespace

EntryError::EntryError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

TDataEdit::TDataEdit(QWidget* parent) : QLineEdit(parent), maxVal_(LDBL_MAX), minVal_(-LDBL_MAX) {
  setText(QStringLiteral("0"));
  connect(this, &QLineEdit::textEdited, this, [this] { limitText_.clear(); });
}

void TDataEdit::showLimit(long double limit) {
  setText(displayText(limit));
  limitText_ = text();
  limitValue_ = limit;
}

void TDataEdit::setIntegerOnly(bool on) {
  integerOnly_ = on;
  setMinVal(minVal_);
  setMaxVal(maxVal_);
}

void TDataEdit::setCaption(const QString& caption) {
  caption_ = caption;
  refreshLabel();
}

void TDataEdit::setEditLabel(QLabel* label) {
  if (label_ && label_ != label && label_->buddy() == this) label_->setBuddy(nullptr);
  label_ = label;
  if (label_) label_->setBuddy(this);
  refreshLabel();
}

void TDataEdit::setHex(bool on) { hex_ = on; }

void TDataEdit::setMaxVal(long double value) {
  if (std::isnan(value)) return;
  if (loading_) {
    maxVal_ = value;
    return;
  }
  if (value < minVal_) value = minVal_;
  if (integerOnly_) value = Clamp(value, kIntMin, kIntMax);
  maxVal_ = value;
  if (!limitText_.isEmpty() && (limitValue_ < minVal_ || limitValue_ > maxVal_)) limitText_.clear();
  const Evaluation current = evaluate();
  if (current.ok && current.value > maxVal_) setNumber(maxVal_);
}

void TDataEdit::setMinVal(long double value) {
  if (std::isnan(value)) return;
  if (loading_) {
    minVal_ = value;
    return;
  }
  if (value > maxVal_) value = maxVal_;
  if (integerOnly_) value = Clamp(value, kIntMin, kIntMax);
  minVal_ = value;
  if (!limitText_.isEmpty() && (limitValue_ < minVal_ || limitValue_ > maxVal_)) limitText_.clear();
  const Evaluation current = evaluate();
  if (current.ok && current.value < minVal_) setNumber(minVal_);
}

Evaluation TDataEdit::evaluate() const {
  if (!limitText_.isEmpty() && text() == limitText_) {
    Evaluation exact;
    exact.ok = true;
    exact.value = limitValue_;
    return exact;
  }
  return EvaluateExpression(text());
}

long double TDataEdit::number() const {
  const Evaluation result = evaluate();
  if (!result.ok) throw EntryError(result.message);
  return result.value;
}

void TDataEdit::setNumber(long double value) {
  if (std::isnan(value)) return;  // no value to show; the text stays
  if (!loading_ && (value <= minVal_ || value >= maxVal_)) {
    showLimit(Clamp(value, minVal_, maxVal_));
    return;
  }
  setText(displayText(value));
}

void TDataEdit::setUnitsString(const QString& unitTemplate) {
  unitsString_ = unitTemplate;
  refreshLabel();
}

void TDataEdit::setUnits(int units) {
  units_ = units <= 0 ? 1 : (units > 3 ? 3 : units);
  refreshLabel();
}

QString TDataEdit::displayText(long double value) const {
  if (hex_) {
    // 32-bit values as the evaluator reads them back: negative ones in two's
    // complement. Larger values have no such form and stay decimal.
    const long double rounded = std::round(value);
    if (rounded >= kIntMin && rounded <= kIntMax) {
      const auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(rounded));
      return QLatin1Char('$') + QString::number(bits, 16).toUpper().rightJustified(4, QLatin1Char('0'));
    }
  }
  return FormatGeneral(value);
}

bool TDataEdit::Validate() {
  exitCheck();
  return valid_;
}

bool TDataEdit::exitCheck() {
  valid_ = false;
  const Evaluation result = evaluate();
  if (!result.ok) {
    fail(integerOnly_ ? QStringLiteral("Entry must be a valid integer.") : result.message);
    return false;
  }
  const long double value = result.value;
  if (integerOnly_ && value != std::trunc(value)) {
    fail(QStringLiteral("Entry must be an integer."));
    return false;
  }
  // A limit is shown as the general format rounds it: a value shown as the
  // limit is taken for it, so that the text a failed check leaves passes.
  const QString shown = displayText(value);
  if (!limitText_.isEmpty() && text() == limitText_) {
    valid_ = true;  // the exact limit put there
    return true;
  }
  if (value < minVal_ && shown != displayText(minVal_)) {
    showLimit(minVal_);
    fail(QStringLiteral("Entry must be greater than or equal to ") + displayText(minVal_));
    return false;
  }
  if (value > maxVal_ && shown != displayText(maxVal_)) {
    showLimit(maxVal_);
    fail(QStringLiteral("Entry must be less than or equal to ") + displayText(maxVal_));
    return false;
  }
  if (value < minVal_ || value > maxVal_) {
    showLimit(value < minVal_ ? minVal_ : maxVal_);  // shown as the limit: the exact limit
  } else {
    setText(shown);
  }
  valid_ = true;
  return true;
}

QString TDataEdit::messagePrefix() const {
  QStringList parts;
  if (!caption_.trimmed().isEmpty()) parts << caption_.trimmed();
  // The nearest window with a caption of its own: the data window or the
  // dialog the field is in.
  for (const QWidget* w = parentWidget(); w; w = w->parentWidget()) {
    if (!w->windowTitle().isEmpty()) {
      parts << w->windowTitle();
      break;
    }
    if (w->isWindow()) break;
  }
  return parts.isEmpty() ? QString() : parts.join(QStringLiteral(", ")) + QStringLiteral(": ");
}

void TDataEdit::fail(const QString& message) {
  const bool outer = !checking;
  checking = true;
  ShowMessage(TMessageKind::Error, tr("Error"), WithPrefix(messagePrefix(), message));
  if (isVisible() && window()->isWindow()) setFocus(Qt::OtherFocusReason);
  if (outer) checking = false;
}

void TDataEdit::refreshLabel() {
  if (!label_) return;
  if (unitsString_.isEmpty()) {
    label_->setText(caption_);
  } else {
    label_->setText(caption_ + QStringLiteral(" (") + FieldUnitLabel(unitsString_, units_) + QLatin1Char(')'));
  }
  label_->setEnabled(isEnabled());
}

void TDataEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Switching to another window or opening a popup (such as the context
  // menu) is not leaving the field.
  const Qt::FocusReason reason = event->reason();
  if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
  if (checking || !isVisible()) return;
  if (exitCheck()) emit entryAccepted();
}

// Undo and Redo of a field with nothing of its own to undo are the
// program's (the Edit menu's), not the field's.
bool TDataEdit::event(QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->matches(QKeySequence::Undo) && !isUndoAvailable()) ||
        (key->matches(QKeySequence::Redo) && !isRedoAvailable()))
      return QWidget::event(event);  // not taken: the shortcut goes to the window
  }
  return QLineEdit::event(event);
}

void TDataEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (!checking && exitCheck()) emit entryAccepted();
    selectAll();
    event->accept();
    return;
  }
  const QString typed = event->text();
  if (typed.size() == 1 && QStringLiteral("+-/*^=%!").contains(typed.front()) && hasSelectedText() &&
      selectedText() == text()) {
    setCursorPosition(text().size());  // extend the value instead of replacing it
  }
  QLineEdit::keyPressEvent(event);
}

void TDataEdit::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) refreshLabel();
}

}  // namespace terva::gui
