// The expression evaluator behind numeric entry fields.
#include <QLocale>
#include <QtTest>

#include <cmath>

#include "gui/core/Expression.hpp"
#include "gui/core/NumberFormat.hpp"

using terva::gui::EvaluateExpression;
using terva::gui::FormatGeneral;  // the values in failure messages

class ExpressionTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void evaluates_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    const QPair<const char*, double> rows[] = {
        // precedence, associativity and signs
        {"2*(3+4)", 14}, {"2^3^2", 64}, {"-2^2", 4}, {"2+3*4", 14}, {"8/2/2", 2}, {"10-2-3", 5},
        {"2^-1", 0.5}, {"2--3", 5}, {"2---3", -1}, {"-(0-3)", 3}, {"((2))", 2}, {" 1 +\t2 ", 3},
        {"1+2=3", 1}, {"1|0&0", 1},
        // remainder of the truncated operands, sign of the dividend
        {"10%3", 1}, {"-7%2", -1}, {"7.9%2", 1}, {"7%-2", 1},
        // numbers, constants, hexadecimal
        {"1e-3", 0.001}, {"1E-3", 0.001}, {".5", 0.5}, {"1e-5000", 0}, {"pi", M_PI}, {"-pi", -M_PI},
        {"2*e", 2 * M_E}, {"-e", -M_E}, {"$FF", 255}, {"$ff", 255}, {"$FFFFFFFF", -1}, {"$7FFFFFFF", 2147483647},
        // factorial, negative ones negated
        {"5!", 120}, {"0!", 1}, {"(-3)!", -6}, {"-3!", -6}, {"3!!", 720},
        // comparison and logic
        {"3=3", 1}, {"3=4", 0}, {"0|2", 1}, {"0|0", 0}, {"2&0", 0}, {"2&3", 1},
        // functions: prefix order, signed and constant arguments, case
        {"sin(pi/2)", 1}, {"cosec(pi/2)", 1}, {"csc(pi/2)", 1}, {"sin-2", -0.9092974268256817}, {"sinpi", 0},
        {"SIN(PI/2)", 1}, {"2*sin(0-1)", -1.682941969615793}, {"sinh1", 1.1752011936438014},
        {"arctanh0.5", 0.5493061443340548}, {"arctan1", M_PI / 4}, {"cotan(pi/4)", 1}, {"tanh1", 0.7615941559557649},
        {"tan(pi/4)", 1}, {"arccosh2", 1.3169578969248166}, {"arccos0", M_PI / 2}, {"cosh0", 1}, {"cos0", 1},
        {"sec0", 1}, {"arcsinh1", 0.881373587019543}, {"arcsin1", M_PI / 2}, {"abs-3", 3}, {"frac-2.75", -0.75},
        {"int-2.75", -2}, {"ln(e)", 1}, {"round2.5", 2}, {"round3.5", 4}, {"round-2.5", -2}, {"ceil2.1", 3},
        {"floor-2.1", -3}, {"log1000", 3}, {"sqrt(9)+1", 4}, {"sin5!", std::sin(120.0)},
        // a parenthesised value beyond 1e18 is re-read as one number
        {"(1e10*1e10)*2", 2e20},
    };
    for (const auto& [text, expected] : rows) QTest::newRow(text) << QString::fromLatin1(text) << expected;
  }

  void evaluates() {
    QFETCH(QString, text);
    QFETCH(double, expected);
    const auto result = EvaluateExpression(text);
    QVERIFY2(result.ok, qPrintable(result.message));
    QVERIFY2(std::fabs(static_cast<double>(result.value) - expected) <= 1e-15 * std::max(1.0, std::fabs(expected)),
             qPrintable(FormatGeneral(result.value)));
  }

  void rejects_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");
    const QPair<const char*, const char*> rows[] = {
        {"", "entry cannot be blank"}, {"  \t", "entry cannot be blank"}, {"()", "entry cannot be blank"},
        {")(", "() (parentheses) do not match"}, {"2)", "() (parentheses) do not match"},
        {"(2", "invalid character(s) in expression"}, {"1e+3", "invalid character(s) in expression"},
        {"abc", "invalid character(s) in expression"}, {"e-2", "invalid character(s) in expression"},
        {"sin", "invalid character(s) in expression"}, {"1.2.3", "invalid character(s) in expression"},
        {"3+", "invalid expression"}, {"*3", "invalid expression"}, {"3++4", "invalid expression"},
        // a group next to a number would merge digits ("2(3+1)" as 24)
        {"2(3+1)", "invalid expression"}, {"(2)3", "invalid expression"}, {"(2)(3)", "invalid expression"},
        {"2(0-3)", "invalid expression"},
        {"2.5!", "! (factoral) applicable to integers only"}, {"pi!", "! (factoral) applicable to integers only"},
        {"$", "invalid use of $ (hex function)"}, {"$G1", "invalid use of $ (hex function)"},
        {"$100000000", "invalid use of $ (hex function)"},
        // arithmetic faults
        {"1/0", "division by zero"}, {"5%0.5", "division by zero"}, {"0^-1", "division by zero"},
        {"cosec0", "division by zero"}, {"cotan0", "division by zero"},
        {"ln0", "logarithm of a non-positive number"}, {"log(0-1)", "logarithm of a non-positive number"},
        {"sqrt(0-4)", "square root of a negative number"}, {"arcsin2", "argument outside the function's domain"},
        {"arctanh1", "argument outside the function's domain"}, {"arccosh0.5", "argument outside the function's domain"},
        {"10^5000", "floating point overflow"}, {"2000!", "floating point overflow"},
        {"1e5000", "floating point overflow"}, {"(0-8)^0.5", "invalid floating point operation"},
        // the first fault met by the reduction, highest level first
        {"abc+1/0", "division by zero"},
    };
    for (const auto& [text, reason] : rows) QTest::newRow(text) << QString::fromLatin1(text) << QString::fromLatin1(reason);
  }

  void rejects() {
    QFETCH(QString, text);
    QFETCH(QString, reason);
    const auto result = EvaluateExpression(text);
    QVERIFY2(!result.ok, qPrintable(FormatGeneral(result.value)));
    QCOMPARE(result.message, QStringLiteral("Entry could not be evaluated:\r") + reason);
  }

  // Long chains and deep nesting end with a value, not a stack overflow.
  void long_inputs() {
    QCOMPARE(EvaluateExpression(QString(20000, QLatin1Char('(')) + "1" + QString(20000, QLatin1Char(')'))).value, 1.0L);
    QCOMPARE(EvaluateExpression("0" + QString(30000, QLatin1Char('!'))).value, 1.0L);
    QCOMPARE(EvaluateExpression(QString("abs").repeated(10000) + "2").value, 2.0L);
    QVERIFY(!EvaluateExpression(QString(5000, QLatin1Char('9'))).ok);  // beyond the extended range
  }
};

QTEST_MAIN(ExpressionTest)
#include "expression_test.moc"
