// The files of one run, closed together when the call ends.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>

namespace terva {

struct RunFiles {
  std::FILE* tokenFile = nullptr;   // "TAPE7"
  std::FILE* inputCopy = nullptr;   // "TAPE8"
  std::FILE* input = nullptr;
  std::FILE* graphic = nullptr;
  std::FILE* results = nullptr;  // the results file, when the run-file list names one (line 7)
  int resultsError = 0;  // errno of a failed write of the results
  bool outputsOpened = false;  // the report and the graphic data file were both opened
  std::string reportName, graphicName, resultsName;  // as "names.dat" gives them (for messages)
  std::string reportPath, graphicPath, resultsPath;  // the same taken relative to the run's folder
  RunFiles() = default;
  RunFiles(const RunFiles&) = delete;
  RunFiles& operator=(const RunFiles&) = delete;
  ~RunFiles() {
    for (std::FILE* f : {tokenFile, inputCopy, input, graphic, results})
      if (f) std::fclose(f);
  }
};

}  // namespace terva
