// What the section readers read from, read into and report to: the run's
// token stream, its problem record and its report, handed down by the entry
// point (one context per run; nothing of it is process-wide).
#pragma once

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "engine/core/problem_data.hpp"
#include "engine/core/scalar.hpp"
#include "engine/input/input_records.hpp"
#include "engine/input/record_reader.hpp"
#include "engine/report/report.hpp"

namespace terva {

struct ReaderContext {
  ProblemData& problem;
  Report& report;
  TokenStream tokens;  // what READIT reads: empty until one of the Prepare calls
  // When set, the readers keep there what the record holds only transformed
  // (input_records.hpp), and READIT notes where the first input error stands.
  InputRecords* records = nullptr;

  ReaderContext(ProblemData& p, Report& r) : problem(p), report(r) {}
  ReaderContext(const ReaderContext&) = delete;
  ReaderContext& operator=(const ReaderContext&) = delete;

  // The input rewritten into the token stream (record_reader.hpp); the
  // rewrite's messages go to the report.
  void PrepareInput(std::FILE* input, std::FILE* inputCopy, std::FILE* tokenFile) {
    tokens.Prepare(input, inputCopy, tokenFile, report);
  }
  void PrepareInputText(std::string_view text) { tokens.PrepareText(text, report); }
  void ReportCutInputLines() const { tokens.ReportCutInputLines(report); }

  // The only reader of the input. Status: 1 success, 0 end of input
  // (keyword request), -1 not a number (number request); input errors go to
  // the report.
  void READIT(int request, Real& number, KeywordRecord& words, int& status) {
    if (records == nullptr) return tokens.READIT(request, number, words, status, report);
    NoteInputError();
    const size_t mark = report.Captured().size();
    tokens.READIT(request, number, words, status, report);
    records->lastLine = tokens.LastReadLine();
    records->reachedEnd = records->reachedEnd || tokens.PastEnd();
    lastReadMark_ = mark;
  }
  // Keeps the place of the first input error once the record says there is
  // one: the line of the record read last and the report from its read on.
  void NoteInputError() {
    if (records == nullptr || records->errorLine != 0 || !problem.run.InputErrorIndicator) return;
    records->errorLine = std::max(records->lastLine, 1);
    const std::string& captured = report.Captured();
    records->errorText = captured.substr(std::min(lastReadMark_, captured.size()));
  }

  // Shorthands used by the section readers.
  bool ReadNumber(Real& value) {  // true on status 1
    KeywordRecord words;
    int status = 0;
    READIT(kNumberRequest, value, words, status);
    return status == kReadOk;
  }
  int ReadKeyword(KeywordRecord& words) {  // the status
    Real unused = 0;
    int status = 0;
    READIT(kKeywordRequest, unused, words, status);
    return status;
  }
  void PushBack() {
    Real unused = 0;
    KeywordRecord words;
    int status = 0;
    READIT(kPushBack, unused, words, status);
  }

 private:
  size_t lastReadMark_ = 0;  // the report's length before the last READIT
};

}  // namespace terva
