// TDataEdit: the numeric entry field of every data window and dialog. It takes
// a number or an expression (see Expression.hpp), checks it when the user
// leaves the field or presses Enter, rewrites the field with the value and
// shows the field's unit (see units.hpp) in the caption of its label.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QString>

#include <stdexcept>

#include "gui/core/Expression.hpp"

namespace terva::gui {

// Raised by TDataEdit::number() when the text cannot be evaluated; what()
// is the evaluator's message (UTF-8).
class EntryError : public std::runtime_error {
 public:
  explicit EntryError(const QString& message);
  QString message() const { return message_; }

 private:
  QString message_;
};

class TDataEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(bool IntegerOnly READ integerOnly WRITE setIntegerOnly)
  Q_PROPERTY(QString Caption READ caption WRITE setCaption)
  Q_PROPERTY(QLabel* EditLabel READ editLabel WRITE setEditLabel)
  Q_PROPERTY(bool Hex READ hex WRITE setHex)
  Q_PROPERTY(long double MaxVal READ maxVal WRITE setMaxVal)
  Q_PROPERTY(long double MinVal READ minVal WRITE setMinVal)
  Q_PROPERTY(long double Number READ number WRITE setNumber STORED false)
  Q_PROPERTY(QString UnitsString READ unitsString WRITE setUnitsString)
  Q_PROPERTY(int Units READ units WRITE setUnits)

 public:
  explicit TDataEdit(QWidget* parent = nullptr);

  // Integer-only fields also keep their limits within the 32-bit range.
  bool integerOnly() const { return integerOnly_; }
  void setIntegerOnly(bool on);

  // The label's base text; the label reads "Caption (unit)".
  QString caption() const { return caption_; }
  void setCaption(const QString& caption);

  // The label that shows caption and unit; its mnemonic focuses this field
  // and it is enabled exactly when the field is.
  QLabel* editLabel() const { return label_; }
  void setEditLabel(QLabel* label);

  // Values are shown as "$" and at least four hexadecimal digits.
  bool hex() const { return hex_; }
  void setHex(bool on);

  // Limits; each is kept on its side of the other and pulls the value along.
  long double maxVal() const { return maxVal_; }
  void setMaxVal(long double value);
  long double minVal() const { return minVal_; }
  void setMinVal(long double value);

  // Reading evaluates the current text and throws EntryError when it cannot
  // be evaluated; evaluate() reports the same without throwing. Writing
  // clamps the value into the limits and shows it.
  long double number() const;
  Evaluation evaluate() const;
  void setNumber(long double value);

  // The unit template, e.g. "in" or "F/L2".
  QString unitsString() const { return unitsString_; }
  void setUnitsString(const QString& unitTemplate);

  // 1 English, 2 SI, 3 template shown unchanged; other values are clamped.
  int units() const { return units_; }
  void setUnits(int units);

  // While a window sets up its fields from stored settings, limits are kept
  // exactly as given and written numbers are not clamped; nothing is
  // re-checked when loading ends. Switch it on before and off after.
  bool loading() const { return loading_; }
  void setLoading(bool on) { loading_ = on; }

  // Runs the exit check (with its messages) and tells whether the field
  // holds an acceptable value. Windows call it before accepting their data.
  bool Validate();

  // The text a value is shown with in this field: the general number
  // format (NumberFormat.hpp), or "$" and hexadecimal digits.
  QString displayText(long double value) const;

  // What a message about this field starts with: its caption and the
  // window it is in ("Shear Wave Velocity, Soil Below: "); empty when it
  // has neither.
  QString messagePrefix() const;

 signals:
  // The user left the field, or pressed Enter, and its entry passed the
  // check.
  void entryAccepted();

 protected:
  bool event(QEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  bool exitCheck();
  void fail(const QString& message);
  void refreshLabel();

  bool integerOnly_ = false;
  QString caption_;
  QPointer<QLabel> label_;
  bool hex_ = false;
  long double maxVal_;
  long double minVal_;
  QString unitsString_;
  int units_ = 1;
  bool loading_ = false;
  bool valid_ = false;
  // A limit put into the field (by the exit check or a clamped write) is
  // shown rounded; while the text stays as it was put there, the field's
  // value is the exact limit.
  QString limitText_;
  long double limitValue_ = 0.0L;
  void showLimit(long double limit);
};

}  // namespace terva::gui
