#include "gui/core/WordRead.hpp"

#include <QFile>
#include <QStringDecoder>

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <system_error>

namespace terva::gui {

namespace {

bool IsWordSeparator(QChar c) { return c == u' ' || c == u'\t'; }

// A number with "." as the decimal separator and an optional exponent, the
// whole word and nothing else; the result must be finite. Independent of the
// process locale.
std::optional<double> ParseReal(const QString& word) {
  QByteArray bytes = word.toLatin1();
  if (bytes.isEmpty() || word.size() != bytes.size()) return std::nullopt;
  const char* first = bytes.constData();
  const char* last = first + bytes.size();
  bool negative = false;
  if (*first == '+' || *first == '-') {
    negative = *first == '-';
    ++first;
  }
  // from_chars takes no sign of its own and would accept "inf" and "nan":
  // a number starts with a digit or a point.
  if (first == last || !((*first >= '0' && *first <= '9') || *first == '.')) return std::nullopt;
  double value = 0.0;
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

}  // namespace

// ---------------------------------------------------------------------------
// TWordContainer

TWordContainer::TWordContainer(const QString& raw_text) : QStringList(SplitWords(raw_text)), text_(raw_text) {}

QStringList TWordContainer::SplitWords(const QString& raw_text) {
  qsizetype begin = 0;
  qsizetype end = raw_text.size();
  while (begin < end && raw_text.at(begin).unicode() <= u' ') ++begin;
  while (end > begin && raw_text.at(end - 1).unicode() <= u' ') --end;

  QStringList words;
  qsizetype i = begin;
  while (i < end) {
    while (i < end && IsWordSeparator(raw_text.at(i))) ++i;
    const qsizetype start = i;
    while (i < end && !IsWordSeparator(raw_text.at(i))) ++i;
    if (i > start) words.append(raw_text.mid(start, i - start));
  }
  return words;
}

// ---------------------------------------------------------------------------
// TWordReader

const QString TWordReader::kIncomplete = QStringLiteral("This file either invalid or incomplete.");
const QString TWordReader::kFloatExpected = QStringLiteral("A floating point number was expected but not found.");
const QString TWordReader::kIntExpected = QStringLiteral("An integer was expected but not found.");

TWordReader::TWordReader(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw TInOutError(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    throw TInOutError(QStringLiteral("Cannot read file \"%1\". %2").arg(path, file.errorString()));
  }
  // Project files are plain text; take them as UTF-8 when they are valid
  // UTF-8 and byte for byte (Latin-1) otherwise, so that no byte is lost.
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(bytes);
  if (utf8.hasError()) text = QString::fromLatin1(bytes);
  LoadText(text);
}

TWordReader TWordReader::FromText(const QString& text) {
  TWordReader reader;
  reader.LoadText(text);
  return reader;
}

void TWordReader::LoadText(const QString& text) {
  lines_.clear();
  qsizetype start = 0;
  const qsizetype size = text.size();
  while (start < size) {
    qsizetype end = start;
    while (end < size && text.at(end) != u'\n' && text.at(end) != u'\r') ++end;
    lines_.emplace_back(text.mid(start, end - start));
    if (end < size && text.at(end) == u'\r' && end + 1 < size && text.at(end + 1) == u'\n') ++end;
    start = end + 1;
  }
  if (lines_.empty()) lines_.emplace_back(QString());
  line_ = 0;
  word_ = 0;
}

QString TWordReader::ReadLine() {
  if (AtEnd()) throw TInOutError(kIncomplete);
  const QString text = lines_[static_cast<size_t>(line_)].Text();
  ++line_;
  word_ = 0;
  return text;
}

QString TWordReader::NextWord() {
  while (!AtEnd() && word_ >= lines_[static_cast<size_t>(line_)].size()) {
    ++line_;
    word_ = 0;
  }
  if (AtEnd()) throw TInOutError(kIncomplete);
  return lines_[static_cast<size_t>(line_)].at(word_++);
}

QString TWordReader::PositionMessage(const QString& message) const {
  return QStringLiteral("Error on Line %1 Item %2\r%3").arg(LineNumber()).arg(ItemNumber()).arg(message);
}

double TWordReader::ReadFloat() {
  const std::optional<double> value = ParseReal(NextWord());
  if (!value) throw TInOutError(PositionMessage(kFloatExpected));
  return *value;
}

int TWordReader::ReadInt() {
  const std::optional<double> value = ParseReal(NextWord());
  if (!value || *value != std::trunc(*value) || *value < double(std::numeric_limits<int>::min()) ||
      *value > double(std::numeric_limits<int>::max())) {
    throw TInOutError(PositionMessage(kIntExpected));
  }
  return static_cast<int>(*value);
}

}  // namespace terva::gui
