#include "engine/input/record_reader.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "engine/input/keywords.hpp"
#include "engine/report/report.hpp"

namespace terva {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string PadRecord(std::string_view text) {
  std::string r(text.substr(0, kRecordLength));
  r.resize(kRecordLength, ' ');
  return r;
}

// Comments dropped, trailing blanks dropped.
std::string Clean(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // a line written on Windows
  std::string s(line.substr(0, kInputLineLength));
  const size_t dollar = s.find('$');
  if (dollar != std::string::npos) s.resize(dollar);
  const size_t last = s.find_last_not_of(' ');
  s.resize(last == std::string::npos ? 0 : last + 1);
  return s;
}

// Repeat expansion "d(...)" into the working line; sets overflow when a
// character would go beyond its 500 columns.
std::string ExpandRepeats(const std::string& line, bool& overflow) {
  std::string w;
  w.reserve(kWorkingLineLength);
  overflow = false;
  std::vector<long> placedAt(line.size(), -1);  // where each input character landed in w
  auto put = [&](char c) -> bool {
    if (static_cast<int>(w.size()) >= kWorkingLineLength) {
      overflow = true;
      return false;
    }
    w.push_back(c);
    return true;
  };
  auto isLast = [&](size_t k) { return placedAt[k] >= 0 && placedAt[k] == static_cast<long>(w.size()) - 1; };

  size_t i = 0;
  const size_t n = line.size();
  while (i < n) {
    const char c = line[i];
    if (c == '(' && i > 0 && IsDigit(line[i - 1])) {
      const int count = line[i - 1] - '0';
      if (isLast(i - 1)) w.pop_back();  // the count is not part of the text
      const size_t close = line.find(')', i + 1);
      const size_t end = close == std::string::npos ? n : close;
      if (count == 0) {
        if (i >= 2 && isLast(i - 2)) w.pop_back();  // dropped with the character before the digit
      } else {
        if (i >= 2 && isLast(i - 2) && line[i - 2] == ' ') w.back() = ',';
        bool lastCommaPut = false;
        for (int r = 0; r < count; ++r) {
          for (size_t k = i + 1; k < end; ++k) put(line[k]);
          lastCommaPut = put(',');
        }
        if (lastCommaPut && !w.empty() && w.back() == ',') w.pop_back();
      }
      i = close == std::string::npos ? n : close + 1;
      continue;
    }
    if (put(c)) placedAt[i] = static_cast<long>(w.size()) - 1;
    ++i;
  }
  return w;
}

// A piece of the working line to InputCopy records: letter codes become
// records of their own, long text continues on further records.
void EmitPiece(const std::string& working, size_t begin, size_t end, std::vector<std::string>& out) {
  auto emitText = [&](size_t from, size_t to) {
    for (size_t k = from; k < to; k += kRecordLength)
      out.emplace_back(working.substr(k, std::min<size_t>(kRecordLength, to - k)));
  };
  size_t textStart = begin;
  for (size_t k = begin; k < end; ++k) {
    bool isCode = false;
    const int code = LetterCode(working[k], isCode);
    if (!isCode) continue;
    const bool standsAfter = k == begin || working[k - 1] == ' ';
    const char next = k + 1 < working.size() ? working[k + 1] : '\0';
    const bool standsBefore = next == ' ' || next == '=' || next == ',' || next == '\0';
    if (!standsAfter || !standsBefore) continue;
    emitText(textStart, k);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%4d", code);
    out.emplace_back(buf);
    textStart = k + 1;
  }
  emitText(textStart, end);
}

bool IsNumberStart(char c) { return IsDigit(c) || c == '.' || c == '+' || c == '-'; }

// The characters a number item of pass 2 may have.
bool IsNumberItem(std::string_view item) {
  for (size_t k = 0; k < item.size(); ++k) {
    const char c = item[k];
    if (IsDigit(c) || c == '.' || c == '+' || c == 'E') continue;
    if (c == '-' && (k == 0 || item[k - 1] == 'E')) continue;
    return false;
  }
  return true;
}

// Lines (numbered from 1) whose text goes on beyond column 80: blanks and a
// comment begun within the 80 columns lose nothing when cut.
std::vector<int> CutLines(const std::vector<std::string>& lines) {
  std::vector<int> cut;
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string& line = lines[n];
    if (line.size() <= static_cast<size_t>(kInputLineLength)) continue;
    if (line.find('$') < static_cast<size_t>(kInputLineLength)) continue;
    if (line.find_first_not_of(" \t\r", kInputLineLength) == std::string::npos) continue;
    cut.push_back(static_cast<int>(n + 1));
  }
  return cut;
}

// Both passes, line by line (neither carries anything from one line to the
// next), so that every token record knows the line it comes from.
struct Rewritten {
  std::vector<std::string> tokens;
  std::vector<int> sourceLine;
};
Rewritten RewriteLines(const std::vector<std::string>& lines, Report& report) {
  Rewritten r;
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::vector<std::string> tokens = RewriteToTokens(RewriteToInputCopy({lines[n]}, report));
    r.tokens.insert(r.tokens.end(), tokens.begin(), tokens.end());
    r.sourceLine.insert(r.sourceLine.end(), tokens.size(), static_cast<int>(n + 1));
  }
  return r;
}

// A UTF-8 byte-order mark, as some editors put at the start of a text file.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::vector<std::string> SplitLines(std::string_view text) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) nl = text.size();
    std::string_view line = text.substr(start, nl - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = nl + 1;
  }
  return lines;
}

}  // namespace

int LetterCode(char letter, bool& isCode) {
  isCode = true;
  switch (letter) {
    case 'T': return 999;
    case 'H': return -999;
    case 'F': return 0;
    case 'Q': return -997;
    case 'P': return 998;
    case 'S': return -998;
    case 'V': return -996;
    default: isCode = false; return 0;
  }
}

std::vector<std::string> RewriteToInputCopy(const std::vector<std::string>& lines, Report& report) {
  std::vector<std::string> out;
  for (const std::string& raw : lines) {
    const std::string line = Clean(raw);
    if (line.empty()) continue;
    bool overflow = false;
    const std::string working = ExpandRepeats(line, overflow);
    if (overflow) {
      report.Blank(3);
      report.Column1("***   INPUT DATA RECORD TOO LONG DUE TO REPEAT FEATURE   ***");
      report.Blank();
      report.Column1("***   DATA TRUNCATED ON THE FOLLOWING LINE    ***");
      report.Blank();
      report.Line(fmt::A(std::string_view(raw).substr(0, kInputLineLength), kInputLineLength));
    }
    size_t begin = 0;
    for (size_t k = 0; k <= working.size(); ++k) {
      const char c = k < working.size() ? working[k] : ',';
      if (c != ',' && c != '=' && c != '*') continue;
      if (k > begin) EmitPiece(working, begin, k, out);
      if (c == '*' && k < working.size()) out.emplace_back("-999");
      begin = k + 1;
    }
  }
  return out;
}

std::vector<std::string> RewriteToTokens(const std::vector<std::string>& inputCopy) {
  std::vector<std::string> out;
  for (const std::string& record : inputCopy) {
    const size_t first = record.find_first_not_of(' ');
    if (first == std::string::npos) continue;  // blank record
    if (!IsNumberStart(record[first])) {
      out.push_back(PadRecord(record));
      continue;
    }
    size_t k = first;
    while (k < record.size()) {
      while (k < record.size() && record[k] == ' ') ++k;
      if (k >= record.size()) break;
      size_t end = record.find(' ', k);
      if (end == std::string::npos) end = record.size();
      const std::string_view item = std::string_view(record).substr(k, end - k);
      if (!IsNumberItem(item)) {
        out.push_back(PadRecord(std::string_view(record).substr(k)));
        break;
      }
      if (item.find('E') != std::string_view::npos) {
        std::string r(item);
        if (r.size() < static_cast<size_t>(kNumberFieldLength))
          r.insert(0, static_cast<size_t>(kNumberFieldLength) - r.size(), ' ');
        out.push_back(r);
      } else if (item.find('.') == std::string_view::npos) {
        out.push_back(std::string(item) + ".");
      } else {
        out.push_back(std::string(item) + " ");
      }
      k = end;
    }
  }
  return out;
}

void TokenStream::Load(std::vector<std::string> tokens, std::vector<int> sourceLine,
                       const std::vector<std::string>& lines) {
  cutLines_ = CutLines(lines);
  sourceLine_ = std::move(sourceLine);
  records_ = std::move(tokens);
  position_ = 0;
  furthest_ = 0;
  pastEnd_ = false;
}

void TokenStream::Backspace() {
  if (pastEnd_) {
    pastEnd_ = false;  // back before the end of the file
    return;
  }
  if (position_ > 0) --position_;
}

const std::string* TokenStream::NextRecord() {
  if (position_ >= records_.size()) {
    pastEnd_ = true;
    return nullptr;
  }
  const std::string* record = &records_[position_++];
  furthest_ = std::max(furthest_, position_);
  return record;
}

void TokenStream::PrepareText(std::string_view text, Report& report) {
  const std::vector<std::string> lines = SplitLines(text);
  Rewritten rewritten = RewriteLines(lines, report);
  Load(std::move(rewritten.tokens), std::move(rewritten.sourceLine), lines);
}

void TokenStream::ReportCutInputLines(Report& report) const {
  // lines after the last one read (the data a project file keeps after RUN) are no input
  int lastRead = 0;
  if (furthest_ >= records_.size()) lastRead = std::numeric_limits<int>::max();  // read to the end
  else if (furthest_ > 0) lastRead = sourceLine_[furthest_ - 1];
  bool first = true;
  for (const int n : cutLines_) {
    if (n > lastRead) break;
    if (first) report.Blank(2);
    first = false;
    report.Line("*** NOTE - CHARACTERS BEYOND COLUMN 80 IGNORED IN INPUT LINE " + std::to_string(n) + " ***");
  }
}

void TokenStream::Prepare(std::FILE* input, std::FILE* inputCopy, std::FILE* tokenFile, Report& report) {
  std::string text;
  if (input) {
    char buf[8192];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, input)) > 0) text.append(buf, got);
  }
  const std::vector<std::string> lines = SplitLines(text);
  Rewritten rewritten = RewriteLines(lines, report);
  if (inputCopy) {
    // InputCopy ends the rewrite overwritten by a single blank record.
    std::fputs(" \n", inputCopy);
    std::fflush(inputCopy);
  }
  if (tokenFile) {
    for (const std::string& r : rewritten.tokens) {
      std::fwrite(r.data(), 1, r.size(), tokenFile);
      std::fputc('\n', tokenFile);
    }
    std::fflush(tokenFile);
  }
  Load(std::move(rewritten.tokens), std::move(rewritten.sourceLine), lines);
}

bool ParseNumberField(std::string_view field, Real& value) {
  // The whole item is read, not only its first 20 columns: a long number cut
  // there would read as a different, plausible value (41 digits as 20).
  const size_t b = field.find_first_not_of(' ');
  if (b == std::string_view::npos) return false;
  const size_t e = field.find_last_not_of(' ');
  const std::string s(field.substr(b, e - b + 1));
  // sign, digits with at most one point (at least one digit), then E, sign, digits
  size_t k = 0;
  if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
  int digits = 0, points = 0;
  while (k < s.size() && (IsDigit(s[k]) || s[k] == '.')) {
    if (s[k] == '.') ++points; else ++digits;
    ++k;
  }
  if (digits == 0 || points > 1) return false;
  if (k < s.size() && s[k] == 'E') {
    ++k;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
    int expDigits = 0;
    while (k < s.size() && IsDigit(s[k])) { ++expDigits; ++k; }
    if (expDigits == 0) return false;
  }
  if (k != s.size()) return false;
  // from_chars reads "." as the decimal point whatever the process's locale
  // (strtod would stop at it under a comma-decimal locale and read 32.2 as 32)
  double v = 0.0;
  const char* first = s.data() + (s[0] == '+' ? 1 : 0);  // from_chars takes no plus sign
  const auto read = std::from_chars(first, s.data() + s.size(), v);
  if (read.ec == std::errc::result_out_of_range) return false;  // beyond even a double
  if (read.ec != std::errc() || read.ptr != s.data() + s.size()) return false;
  if (!std::isfinite(v) || std::fabs(v) > FLT_MAX) return false;  // overflows a single-precision real
  value = static_cast<Real>(v);
  return true;
}

void TokenStream::READIT(int request, Real& number, KeywordRecord& words, int& status, Report& out) {
  switch (request) {
    case kKeywordRequest: {
      words.text.replace(0, 4, "    ");
      const std::string* record = NextRecord();
      if (!record) {
        out.Line("*** INPUT ERROR ***    END OF FILE ENCOUNTERED WHILE");
        out.Line(fmt::Line().X(23).A("READING").I(1, 4).A(" ALPHANUMERIC WORDS"));
        status = kReadEnd;
        return;
      }
      words.text = PadRecord(*record);
      status = kReadOk;
      return;
    }
    case kNumberRequest: {
      number = 0.0f;
      const std::string* record = NextRecord();
      if (!record) {
        out.Line("*** INPUT ERROR ***    END OF FILE ENCOUNTERED WHILE READING");
        out.Line(fmt::Line().X(23).A("NUMBER").I(1, 4).A(" OF").I(1, 4).A(" NUMBERS TO BE READ"));
        status = kReadOk;  // the section reads on; the next keyword request meets the end
        return;
      }
      Real value = 0.0f;
      if (ParseNumberField(*record, value)) {
        number = value;
        status = kReadOk;
        return;
      }
      status = kNotANumber;
      Backspace();
      const std::string* again = NextRecord();
      words.text = PadRecord(again ? *again : std::string());
      out.Blank(2);
      out.Line(fmt::Line("*** INPUT ERROR ***    ALPHANUMERIC ENCOUNTERED - \"")
                   .A(words.First(kNumberFieldLength))
                   .A("\","));
      if (LookupKeyword(words.Key(), nullptr) != kUnknownKeyword) Backspace();
      return;
    }
    case kPushBack:
      Backspace();
      return;
    default:
      out.Blank(2);
      out.Line("*** INVALID CALL TO READIT, BACKSPACE ASSUMED ***");
      out.Blank();
      Backspace();
      return;
  }
}

}  // namespace terva
