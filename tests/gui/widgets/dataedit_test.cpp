// The numeric entry field, driven through keys and focus changes.
#include <QLabel>
#include <QLocale>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include <cfloat>
#include <memory>

#include "gui/widgets/DataEdit.hpp"
#include "support/MessageRecorder.hpp"

using terva::gui::EntryError;
using terva::gui::TDataEdit;

class DataEditTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QWidget> window_;
  TDataEdit* edit_ = nullptr;
  TDataEdit* other_ = nullptr;  // a second field to move the focus to
  QLabel* label_ = nullptr;
  terva::gui::test::TMessageRecorder recorder_;

  void type(TDataEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
  }

 private slots:
  void initTestCase() {
    QLocale::setDefault(QLocale::c());
  }

  void init() {
    window_ = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window_.get());
    label_ = new QLabel(window_.get());
    edit_ = new TDataEdit(window_.get());
    other_ = new TDataEdit(window_.get());
    layout->addWidget(label_);
    layout->addWidget(edit_);
    layout->addWidget(other_);
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    recorder_.Clear();
  }

  void cleanup() { window_.reset(); }

  void starts_at_zero() {
    QCOMPARE(edit_->text(), QStringLiteral("0"));
    QCOMPARE(edit_->minVal(), -LDBL_MAX);
    QCOMPARE(edit_->maxVal(), LDBL_MAX);
  }

  void enter_checks_the_entry_data() {
    QTest::addColumn<bool>("integerOnly");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<double>("minVal");
    QTest::addColumn<double>("maxVal");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("message");
    const double lo = -DBL_MAX, hi = DBL_MAX;
    QTest::newRow("expression") << false << false << lo << hi << "2*(3+4)" << "14" << "";
    QTest::newRow("8 digits") << false << false << lo << hi << "1/3" << "0.33333333" << "";
    QTest::newRow("integer") << true << false << lo << hi << "7/2*2" << "7" << "";
    QTest::newRow("fraction") << true << false << lo << hi << "2.5" << "2.5" << "Entry must be an integer.";
    QTest::newRow("not integer") << true << false << lo << hi << "abc" << "abc" << "Entry must be a valid integer.";
    QTest::newRow("not number") << false << false << lo << hi << "abc" << "abc"
                                << "Entry could not be evaluated:\rinvalid character(s) in expression";
    QTest::newRow("fault") << false << false << lo << hi << "1/0" << "1/0"
                           << "Entry could not be evaluated:\rdivision by zero";
    QTest::newRow("below") << false << false << 2.0 << hi << "1" << "2" << "Entry must be greater than or equal to 2";
    QTest::newRow("above") << false << false << lo << 10.5 << "12" << "10.5" << "Entry must be less than or equal to 10.5";
    QTest::newRow("hex") << false << true << lo << hi << "$FF" << "$00FF" << "";
    QTest::newRow("hex from decimal") << false << true << lo << hi << "255" << "$00FF" << "";
    QTest::newRow("hex negative") << false << true << lo << hi << "0-1" << "$FFFFFFFF" << "";
    QTest::newRow("hex below") << false << true << 16.0 << hi << "1" << "$0010"
                               << "Entry must be greater than or equal to $0010";
  }

  void enter_checks_the_entry() {
    QFETCH(bool, integerOnly);
    QFETCH(bool, hex);
    QFETCH(double, minVal);
    QFETCH(double, maxVal);
    QFETCH(QString, typed);
    edit_->setIntegerOnly(integerOnly);
    edit_->setHex(hex);
    edit_->setMaxVal(maxVal);
    edit_->setMinVal(minVal);
    type(edit_, typed);
    QSignalSpy returns(edit_, &QLineEdit::returnPressed);
    QTest::keyClick(edit_, Qt::Key_Return);
    QTEST(edit_->text(), "shown");
    QFETCH(QString, message);
    QCOMPARE(recorder_.texts, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(edit_->selectedText(), edit_->text());  // Enter selects the whole text
    QCOMPARE(returns.count(), 0);                     // and is not passed on
  }

  void leaving_the_field_checks_it() {
    edit_->setMinVal(2);
    type(edit_, "1");
    other_->setFocus(Qt::TabFocusReason);
    QCOMPARE(recorder_.texts, QStringList{"Entry must be greater than or equal to 2"});
    QCOMPARE(edit_->text(), QStringLiteral("2"));
    QVERIFY(edit_->hasFocus());  // the failed field takes the focus back
  }

  // Two invalid fields must not hand the focus back and forth for ever.
  void two_invalid_fields_report_once() {
    other_->setText("x");
    type(edit_, "y");
    other_->setFocus(Qt::TabFocusReason);
    QCOMPARE(recorder_.texts.size(), 1);
    QVERIFY(edit_->hasFocus());
  }

  void switching_windows_is_not_leaving() {
    type(edit_, "abc");
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(edit_, &out);
    QVERIFY(recorder_.texts.isEmpty());
  }

  void validate_reports_the_check() {
    type(edit_, "2+2");
    QVERIFY(edit_->Validate());
    QCOMPARE(edit_->text(), QStringLiteral("4"));
    type(edit_, "2+");
    QVERIFY(!edit_->Validate());
    QCOMPARE(recorder_.texts, QStringList{"Entry could not be evaluated:\rinvalid expression"});
    QCOMPARE(edit_->text(), QStringLiteral("2+"));  // the user's text is kept
    QVERIFY_THROWS_EXCEPTION(EntryError, edit_->number());
  }

  void operator_extends_selected_value_data() {
    QTest::addColumn<QChar>("key");
    for (QChar c : QStringLiteral("+-/*^=%!")) QTest::newRow(QString(c).toLatin1()) << c;
  }

  void operator_extends_selected_value() {
    QFETCH(QChar, key);
    type(edit_, "5");
    edit_->selectAll();
    QTest::keyClick(edit_, key.toLatin1());
    QCOMPARE(edit_->text(), QStringLiteral("5") + key);
  }

  void digit_replaces_selected_value() {
    type(edit_, "5");
    edit_->selectAll();
    QTest::keyClicks(edit_, "7");
    QCOMPARE(edit_->text(), QStringLiteral("7"));
  }

  void label_shows_caption_and_unit() {
    edit_->setCaption("Unit weight");
    edit_->setEditLabel(label_);
    QCOMPARE(label_->buddy(), edit_);
    QCOMPARE(label_->text(), QStringLiteral("Unit weight"));
    edit_->setUnitsString("F/L2^3");
    QCOMPARE(label_->text(), QStringLiteral("Unit weight (lbs/ft^3)"));
    edit_->setUnits(2);
    QCOMPARE(label_->text(), QStringLiteral("Unit weight (kN/m^3)"));
    edit_->setUnits(7);
    QCOMPARE(edit_->units(), 3);
    QCOMPARE(label_->text(), QStringLiteral("Unit weight (F/L2^3)"));
    edit_->setUnits(0);
    QCOMPARE(label_->text(), QStringLiteral("Unit weight (lbs/ft^3)"));
    edit_->setEnabled(false);
    QVERIFY(!label_->isEnabled());
    edit_->setEnabled(true);
    QVERIFY(label_->isEnabled());
  }

  void limits_hold_each_other_and_the_value() {
    edit_->setNumber(50);
    edit_->setMaxVal(10);
    QCOMPARE(edit_->text(), QStringLiteral("10"));  // the value follows the limit
    edit_->setMinVal(20);
    QCOMPARE(edit_->minVal(), 10.0L);  // never above the maximum
    edit_->setNumber(-3);
    QCOMPARE(edit_->text(), QStringLiteral("10"));
    edit_->setMinVal(-1e12);
    edit_->setMaxVal(1e12);
    edit_->setIntegerOnly(true);  // limits re-applied within 32 bits
    QCOMPARE(edit_->minVal(), -2147483648.0L);
    QCOMPARE(edit_->maxVal(), 2147483647.0L);
  }

  // A limit that 8 digits cannot show: the field's value is the exact limit
  // while its text is the limit put there, whichever way it got there; the
  // same text typed anew is an ordinary value.
  void limits_beyond_eight_digits_are_exact() {
    const long double limit = 2147483647000.0L;
    edit_->setMaxVal(limit);
    edit_->setNumber(3e12L);
    QCOMPARE(edit_->text(), QStringLiteral("2.1474836E12"));
    QVERIFY(edit_->number() == limit);
    type(edit_, "5E12");
    QTest::keyClick(edit_, Qt::Key_Return);
    QCOMPARE(recorder_.texts, QStringList{QStringLiteral("Entry must be less than or equal to 2.1474836E12")});
    QVERIFY(edit_->number() == limit);
    QVERIFY(edit_->Validate());
    QVERIFY(edit_->number() == limit);
    type(edit_, "2.1474836E12");
    QVERIFY(edit_->Validate());
    QVERIFY(edit_->number() == 2147483600000.0L);
    edit_->setMinVal(-limit);
    edit_->setNumber(-1e13L);
    QVERIFY(edit_->number() == -limit);
  }

  void loading_keeps_values_as_given() {
    edit_->setLoading(true);
    edit_->setMaxVal(5);
    edit_->setMinVal(8);
    edit_->setNumber(100);
    edit_->setLoading(false);
    QCOMPARE(edit_->minVal(), 8.0L);
    QCOMPARE(edit_->text(), QStringLiteral("100"));
  }
};

QTEST_MAIN(DataEditTest)
#include "dataedit_test.moc"
