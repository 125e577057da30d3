#include "engine/report/report.hpp"

#include <cerrno>
#include <ctime>

#include "engine/core/problem_data.hpp"  // kTitleLength

namespace terva {

bool Report::OpenFile(const std::string& path) {
  Close();
  writeError_ = 0;
  file_ = std::fopen(path.c_str(), "wb");  // "\n" line ends on every system
  return file_ != nullptr;
}

void Report::OpenMemory() {
  Close();
  writeError_ = 0;
  memory_ = true;
  captured_.clear();
}

void Report::Failed(int error) {
  if (writeError_ == 0) writeError_ = error != 0 ? error : EIO;
}

void Report::Close() {
  if (file_) {
    errno = 0;
    if (std::fflush(file_) != 0 || std::ferror(file_)) Failed(errno);
    errno = 0;
    if (std::fclose(file_) != 0) Failed(errno);
  }
  file_ = nullptr;
  memory_ = false;
}

void Report::Write(std::string_view text) {
  if (file_) {
    if (writeError_ != 0) return;  // the file is lost already: write no more into it
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fputc('\n', file_) == EOF)
      Failed(errno);
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

void Report::WriteCaptured(std::string_view lines) {
  if (lines.empty()) return;
  if (file_) {
    if (writeError_ != 0) return;
    errno = 0;
    if (std::fwrite(lines.data(), 1, lines.size(), file_) != lines.size()) Failed(errno);
  } else if (memory_) {
    captured_.append(lines);
  }
}

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
#ifdef _WIN32
    const bool local = localtime_s(&tm, &now) == 0;  // Windows' thread-safe local time
#else
    const bool local = localtime_r(&now, &tm) != nullptr;
#endif
    if (local) {
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
