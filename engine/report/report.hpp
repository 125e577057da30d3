// The printed report: one place that writes every report line.
//
// Each line starts with a control character: a blank on ordinary lines, "1" on
// the first line of a new page. Line() adds the blank; Column1() writes text
// whose first character is meant for the control column. The report either
// goes to the file named in the run list or, for tests, into memory.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "engine/report/report_format.hpp"

namespace terva {

class Report {
 public:
  Report() = default;
  Report(const Report&) = delete;
  Report& operator=(const Report&) = delete;
  ~Report() { Close(); }

  bool OpenFile(const std::string& path);  // truncates; false when it cannot be opened
  void OpenMemory();                       // capture lines into a string
  void Close();
  bool IsOpen() const { return file_ != nullptr || memory_; }
  // False once a write, the flush or the close of the file has failed (a full
  // disk, a file-size limit): the file on disk is then incomplete. Stays set
  // after Close() until the next Open; writeError() is the errno of the first failure.
  bool WrittenCompletely() const { return writeError_ == 0; }
  int writeError() const { return writeError_; }
  const std::string& Captured() const { return captured_; }

  void Line(std::string_view text);                      // " " + text
  void Line(const fmt::Line& line) { Line(line.str()); }
  void Column1(std::string_view text);                   // text as it stands
  // Lines another report captured in memory (each ending in a newline), as they stand.
  void WriteCaptured(std::string_view lines);
  void Blank(int count = 1);                             // empty lines
  void NewPage();                                        // "1" alone
  // A heading and, on the next line, as many asterisks as it has characters.
  void Heading(std::string_view text, int indent = 0);
  // The usual pair of a fatal section error: the message, then "PROGRAM WILL NOT EXECUTE".
  void FatalMessage(std::string_view message);

 private:
  void Write(std::string_view text);
  void Failed(int error);

  std::FILE* file_ = nullptr;
  int writeError_ = 0;
  bool memory_ = false;
  std::string captured_;
};

// Page header: 1 starts the data echo, 2 the results, 3 a continuation page;
// title is the run's title line.
void WritePageHeader(Report& r, int mode, std::string_view title);

}  // namespace terva
