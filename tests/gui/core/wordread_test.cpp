// The line-and-word reader: splitting files into lines and words, numbers
// across line ends, raw line text, and the messages of its failures.
#include "gui/core/WordRead.hpp"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using terva::gui::TInOutError;
using terva::gui::TWordReader;

class WordReadTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  int files_ = 0;

  // A reader over a file holding exactly these bytes.
  TWordReader Open(const QByteArray& bytes) {
    const QString path = dir_.filePath(QStringLiteral("file%1.txt").arg(++files_));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) qFatal("cannot write %s", qPrintable(path));
    file.close();
    return TWordReader(path);
  }

  // The message of the TInOutError raised by `action`; a null string when
  // none is raised.
  static QString ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const TInOutError& error) {
      return error.Message();
    }
    return QString();
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    // A locale whose decimal separator is a comma: numbers must still read
    // with ".".
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  }

  // Lines and their words, "|" between words and "/" between lines; the
  // raw texts keep every blank and tab.
  void lines_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("words");
    QTest::addColumn<QStringList>("raw");
    QTest::newRow("empty file") << QByteArray() << "" << QStringList{""};
    QTest::newRow("one line terminator") << QByteArray("\n") << "" << QStringList{""};
    QTest::newRow("no final terminator") << QByteArray("a b") << "a|b" << QStringList{"a b"};
    QTest::newRow("final terminator") << QByteArray("a b\n") << "a|b" << QStringList{"a b"};
    QTest::newRow("blank lines kept") << QByteArray("1\n\n   \n2\n\n") << "1///2/"
                                      << QStringList{"1", "", "   ", "2", ""};
    QTest::newRow("tabs and runs of blanks") << QByteArray("\t 1.5 \t\t-2   x\t") << "1.5|-2|x"
                                             << QStringList{"\t 1.5 \t\t-2   x\t"};
    QTest::newRow("CRLF and CR") << QByteArray("a\r\nb c\rd\r\n") << "a/b|c/d" << QStringList{"a", "b c", "d"};
    QTest::newRow("control characters trimmed") << QByteArray("\x01 x y\x1a") << "x|y"
                                                << QStringList{"\x01 x y\x1a"};
    QTest::newRow("keyword line") << QByteArray("TITLE=A  B\nRECTANGULAR=20.0, 10.0") << "TITLE=A|B/RECTANGULAR=20.0,|10.0"
                                  << QStringList{"TITLE=A  B", "RECTANGULAR=20.0, 10.0"};
  }
  void lines() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, words);
    QFETCH(QStringList, raw);
    TWordReader reader = Open(bytes);
    QCOMPARE(reader.LineCount(), raw.size());
    QStringList lines;
    for (int i = 0; i < reader.LineCount(); ++i) {
      QCOMPARE(reader.Line(i).Text(), raw.at(i));
      lines << reader.Line(i).join(u'|');
    }
    QCOMPARE(lines.join(u'/'), words);
    // ReadLine hands back each raw text in turn, then the reader is at its end.
    for (const QString& text : raw) QCOMPARE(reader.ReadLine(), text);
    QVERIFY(reader.AtEnd());
  }

  // Words in a number position: the value, or the failure's message.
  void numbers_data() {
    QTest::addColumn<QByteArray>("word");
    QTest::addColumn<bool>("integer");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("error");
    const QString noFloat = QStringLiteral("Error on Line 1 Item 1\rA floating point number was expected but not found.");
    const QString noInt = QStringLiteral("Error on Line 1 Item 1\rAn integer was expected but not found.");
    QTest::newRow("exponent") << QByteArray("1.5E+01") << false << 15.0 << QString();
    QTest::newRow("engine E10.3") << QByteArray("-0.273E+09") << false << -0.273e9 << QString();
    QTest::newRow("leading point") << QByteArray(".5") << false << 0.5 << QString();
    QTest::newRow("trailing point") << QByteArray("5.") << false << 5.0 << QString();
    QTest::newRow("plus sign") << QByteArray("+2.25") << false << 2.25 << QString();
    QTest::newRow("text") << QByteArray("abc") << false << 0.0 << noFloat;
    QTest::newRow("decimal comma") << QByteArray("1,5") << false << 0.0 << noFloat;
    QTest::newRow("group separator") << QByteArray("1,000") << false << 0.0 << noFloat;
    QTest::newRow("exponent without E") << QByteArray("0.123-100") << false << 0.0 << noFloat;
    QTest::newRow("asterisks") << QByteArray("*******") << false << 0.0 << noFloat;
    QTest::newRow("infinity") << QByteArray("inf") << false << 0.0 << noFloat;
    QTest::newRow("not a number") << QByteArray("nan") << false << 0.0 << noFloat;
    QTest::newRow("overflow") << QByteArray("1E999") << false << 0.0 << noFloat;
    QTest::newRow("double sign") << QByteArray("--1") << false << 0.0 << noFloat;
    QTest::newRow("int") << QByteArray("42") << true << 42.0 << QString();
    QTest::newRow("int written as real") << QByteArray("3.0") << true << 3.0 << QString();
    QTest::newRow("int with exponent") << QByteArray("1E2") << true << 100.0 << QString();
    QTest::newRow("int lowest") << QByteArray("-2147483648") << true << -2147483648.0 << QString();
    QTest::newRow("int highest") << QByteArray("2147483647") << true << 2147483647.0 << QString();
    QTest::newRow("int too large") << QByteArray("2147483648") << true << 0.0 << noInt;
    QTest::newRow("int with fraction") << QByteArray("3.5") << true << 0.0 << noInt;
    QTest::newRow("int text") << QByteArray("x") << true << 0.0 << noInt;
  }
  void numbers() {
    QFETCH(QByteArray, word);
    QFETCH(bool, integer);
    QFETCH(double, value);
    QFETCH(QString, error);
    TWordReader reader = Open(word + "\n");
    double read = 0.0;
    const QString message = ErrorOf([&] { read = integer ? reader.ReadInt() : reader.ReadFloat(); });
    QCOMPARE(message, error);
    if (error.isNull()) QCOMPARE(read, value);
  }

  // Numbers run on across line ends and over lines without words; a failure
  // names the 1-based line and the word's position on it.
  void numbersAcrossLines() {
    TWordReader reader = Open("  1 2\n\n \t \n3 x 4\n");
    QCOMPARE(reader.ReadFloat(), 1.0);
    QCOMPARE(reader.ReadInt(), 2);
    QCOMPARE(reader.ReadFloat(), 3.0);
    QCOMPARE(reader.LineNumber(), 4);
    QCOMPARE(ErrorOf([&] { reader.ReadFloat(); }),
             QStringLiteral("Error on Line 4 Item 2\rA floating point number was expected but not found."));
    // The faulty word was taken; reading goes on after it.
    QCOMPARE(reader.ReadInt(), 4);
    QCOMPARE(ErrorOf([&] { reader.ReadInt(); }), TWordReader::kIncomplete);
  }

  // ReadLine returns the whole raw line whatever was taken of it, and the
  // next number comes from the following line.
  void readLineAfterNumbers() {
    TWordReader reader = Open("GRAVITY=32.2\n MASS 1 2 3 extra \n7\n");
    QCOMPARE(reader.ReadLine(), QStringLiteral("GRAVITY=32.2"));
    QCOMPARE(reader.NextWord(), QStringLiteral("MASS"));
    QCOMPARE(reader.ReadFloat(), 1.0);
    QCOMPARE(reader.ReadLine(), QStringLiteral(" MASS 1 2 3 extra "));
    QCOMPARE(reader.ReadInt(), 7);
    // All words of the last line taken: the line is still current until it
    // is finished.
    QVERIFY(!reader.AtEnd());
    QCOMPARE(reader.ReadLine(), QStringLiteral("7"));
    QVERIFY(reader.AtEnd());
  }

  // A truncated input: every kind of read past the last line fails with the
  // same message, and so does ReadFloat on trailing blank lines.
  void pastTheEnd() {
    TWordReader reader = Open("1\n\n");
    QCOMPARE(reader.ReadInt(), 1);
    QCOMPARE(ErrorOf([&] { reader.ReadFloat(); }), TWordReader::kIncomplete);
    QVERIFY(reader.AtEnd());
    QCOMPARE(ErrorOf([&] { reader.ReadLine(); }), QStringLiteral("This file either invalid or incomplete."));
    QCOMPARE(ErrorOf([&] { reader.NextWord(); }), TWordReader::kIncomplete);
    QCOMPARE(ErrorOf([&] { reader.ReadInt(); }), TWordReader::kIncomplete);
  }

  // A file that cannot be opened raises an input/output error naming it.
  void missingFile() {
    const QString path = dir_.filePath(QStringLiteral("no such file.tvd"));
    const QString message = ErrorOf([&] { TWordReader reader(path); });
    QVERIFY(!message.isEmpty());
    QVERIFY2(message.contains(path), qPrintable(message));
  }

  // Bytes that are not UTF-8 come through one character per byte.
  void latin1Text() {
    TWordReader reader = Open("TITLE=Fundaci\xf3n 1\n");
    QCOMPARE(reader.ReadLine(), QString::fromLatin1("TITLE=Fundaci\xf3n 1"));
    TWordReader utf8 = Open("TITLE=Fundaci\xc3\xb3n\n");
    QCOMPARE(utf8.ReadLine(), QString::fromUtf8("TITLE=Fundaci\xc3\xb3n"));
  }
};

QTEST_GUILESS_MAIN(WordReadTest)
#include "wordread_test.moc"
