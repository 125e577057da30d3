// Free-format record reader.
//
// The input text may put keywords and numbers on one line, separate them with
// blanks, commas or equals signs, carry "$" comments and use the repeat form
// "3(1.5)". Before any keyword is interpreted the whole input is rewritten, in
// two passes, into the token file: one item per record. READIT then serves the
// section readers one record at a time, through their reader context
// (reader_context.hpp), which holds the run's token stream.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/scalar.hpp"

namespace terva {

class Report;

inline constexpr int kInputLineLength = 80;     // characters of an input line that are read
inline constexpr int kWorkingLineLength = 500;  // a line after repeat expansion
inline constexpr int kRecordLength = 80;        // a token record
inline constexpr int kNumberFieldLength = 20;   // width of an exponent number record; of the echo in input errors

// Single letters standing alone are replaced by these numbers.
int LetterCode(char letter, bool& isCode);

// Pass 1: the input lines (as read, any length) to InputCopy records.
std::vector<std::string> RewriteToInputCopy(const std::vector<std::string>& lines, Report& report);
// Pass 2: InputCopy records to token records (word records padded to 80 characters).
std::vector<std::string> RewriteToTokens(const std::vector<std::string>& inputCopy);

// A keyword record: 20 words of four characters (80 characters).
struct KeywordRecord {
  std::string text = std::string(kRecordLength, ' ');
  std::string_view Key() const { return std::string_view(text).substr(0, 4); }
  std::string_view First(size_t n) const { return std::string_view(text).substr(0, n); }
};

enum ReaditRequest : int { kKeywordRequest = -1, kPushBack = 0, kNumberRequest = 1 };
enum ReaditStatus : int { kReadEnd = 0, kReadOk = 1, kNotANumber = -1 };

// The token file that READIT reads: one item a record, the input line each
// record comes from, and the read position. One per run (the reader context
// holds it); the report its messages go to is handed in with every call.
class TokenStream {
 public:
  // Reads the input to its end (a UTF-8 byte-order mark at its start is no
  // part of it), writes the scratch files (when given: InputCopy is left
  // holding one blank record, the token file one item per line) and makes
  // the token records the ones READIT reads, from the first. The rewrite's
  // messages go to report.
  void Prepare(std::FILE* input, std::FILE* inputCopy, std::FILE* tokenFile, Report& report);
  // The same from text already in memory, without scratch files.
  void PrepareText(std::string_view text, Report& report);
  // Only the first 80 columns of an input line are read (stored inputs rely
  // on it); for every line of the prepared input that had text beyond them,
  // up to the last line the keywords were read from, one line
  // "*** NOTE - CHARACTERS BEYOND COLUMN 80 IGNORED IN INPUT LINE n ***".
  void ReportCutInputLines(Report& report) const;
  // The only reader of the input; its input errors go to report. Status: 1
  // success, 0 end of input (keyword request), -1 not a number (number
  // request).
  void READIT(int request, Real& number, KeywordRecord& words, int& status, Report& report);
  // The input line (from 1) of the record read last; 0 before any read.
  int LastReadLine() const { return position_ > 0 && position_ <= sourceLine_.size() ? sourceLine_[position_ - 1] : 0; }
  // The last read met the end of the input.
  bool PastEnd() const { return pastEnd_; }

 private:
  void Load(std::vector<std::string> tokens, std::vector<int> sourceLine, const std::vector<std::string>& lines);
  void Backspace();
  const std::string* NextRecord();  // nullptr at the end of the file

  std::vector<std::string> records_;
  std::vector<int> sourceLine_;  // the input line (from 1) each record comes from
  std::vector<int> cutLines_;    // input lines with text beyond column 80
  size_t position_ = 0;
  size_t furthest_ = 0;    // records read so far, at most
  bool pastEnd_ = false;   // the last read met the end of the file
};

// Parses a number record as the number request does: the whole record, blanks
// around it aside, must be one number that a single-precision real holds;
// false otherwise (then it is "not a number", whatever its form: 1E39 or a
// 41-digit integer alike).
bool ParseNumberField(std::string_view field, Real& value);

}  // namespace terva
