#include "engine/report/report.hpp"

#include <ctime>

#include "engine/core/problem_data.hpp"  // kTitleLength

namespace terva {

bool Report::OpenFile(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "w");
  return file_ != nullptr;
}

void Report::OpenMemory() {
  Close();
  memory_ = true;
  captured_.clear();
}

void Report::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  memory_ = false;
}

void Report::Write(std::string_view text) {
  if (file_) {
    std::fwrite(text.data(), 1, text.size(), file_);
    std::fputc('\n', file_);
  } else if (memory_) {
    captured_.append(text);
    captured_.push_back('\n');
  }
}

void Report::Line(std::string_view text) {
  std::string line(" ");
  line.append(text);
  Write(line);
}

void Report::Column1(std::string_view text) { Write(text); }

void Report::Blank(int count) {
  for (int i = 0; i < count; ++i) Write("");
}

void Report::NewPage() { Write("1"); }

void Report::Heading(std::string_view text, int indent) {
  Line(fmt::Line().X(indent).A(text));
  Line(fmt::Line().X(indent).Stars(static_cast<int>(text.size())));
}

void Report::FatalMessage(std::string_view message) {
  Blank(2);
  Line(message);
  Line("PROGRAM WILL NOT EXECUTE");
}

void WritePageHeader(Report& r, int mode, std::string_view title) {
  if (mode == 1 || mode == 2) {
    char date[16] = "          ";
    char time[16] = "        ";
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    if (localtime_r(&now, &tm)) {
      std::strftime(date, sizeof date, "%m/%d/%Y", &tm);
      std::strftime(time, sizeof time, "%H:%M:%S", &tm);
    }
    const std::string stars(49, '*');
    const std::string empty = "*" + std::string(47, ' ') + "*";
    r.Blank(3);
    r.Line(stars);
    r.Line(empty);
    r.Line("*        S O I L - F O U N D A T I O N          *");
    r.Line(empty);
    r.Line("*     D Y N A M I C   S I M U L A T I O N       *");
    r.Line("*                    TERVA                      *");
    r.Line(empty);
    r.Line(fmt::Line("*").X(13).A("RUN DATE - ").X(1).A(date, 10).X(12).A("*"));
    r.Line(fmt::Line("*").X(13).A("TIME     -  ").A(time, 8).X(14).A("*"));
    r.Line(empty);
    r.Line(stars);
    r.Blank();
    r.Line(fmt::A(title, kTitleLength));
  }
  if (mode == 3) {
    r.NewPage();
    r.Blank(3);
    r.Line(fmt::A(title, kTitleLength));
  }
  r.Blank();
  if (mode == 1) r.Heading("DATA ECHO", 21);
  if (mode == 2) r.Heading("RESULTS", 32);
}

}  // namespace terva
