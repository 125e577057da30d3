// Comma-decimal locales for tests, made in a private folder: localedef
// compiles de_DE.UTF-8 and fr_FR.UTF-8 there and LOCPATH points the C
// library at it (glibc reads LOCPATH at each setlocale call), so no test
// depends on the locales installed on the machine. Header only and free of
// any test framework: GoogleTest and QtTest suites both use it and skip in
// their own way.
//
//   terva::test::CommaLocales locales;       // before any thread is started
//   if (locales.Missing()) skip(locales.Why());
//   if (!locales.Ready()) fail(locales.Why());
//   { terva::test::ScopedLocale de("de_DE.UTF-8"); ... }
//
// Missing() holds only where localedef or the locale sources are not on the
// machine; a localedef that fails, or a made locale whose decimal point is
// not ",", is a failure (a test run in it would prove nothing).
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace terva::test {

inline const std::vector<std::string>& CommaLocaleNames() {
  static const std::vector<std::string> names{"de_DE.UTF-8", "fr_FR.UTF-8"};
  return names;
}

// Sets LC_ALL to `name` for the object's life and puts back the locale in
// force before. Ok() is false when the locale could not be set (nothing
// changed then).
class ScopedLocale {
 public:
  explicit ScopedLocale(const std::string& name) {
    const char* current = std::setlocale(LC_ALL, nullptr);
    previous_ = current ? current : "C";
    ok_ = std::setlocale(LC_ALL, name.c_str()) != nullptr;
  }
  ~ScopedLocale() {
    if (ok_) std::setlocale(LC_ALL, previous_.c_str());
  }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;
  bool Ok() const { return ok_; }

 private:
  std::string previous_;
  bool ok_ = false;
};

// The decimal point of the C library's locale now in force.
inline std::string DecimalPoint() {
  const std::lconv* conv = std::localeconv();
  return conv && conv->decimal_point ? conv->decimal_point : "";
}

class CommaLocales {
 public:
  // Makes `names` (each "ll_CC.UTF-8") and points LOCPATH at them.
  explicit CommaLocales(const std::vector<std::string>& names = CommaLocaleNames()) {
    const std::string localedef = Find("localedef");
    if (localedef.empty()) {
      Skip("localedef missing");
      return;
    }
    for (const std::string& name : names) {
      const std::string source = name.substr(0, name.find('.'));
      const bool charmap =
          Exists("/usr/share/i18n/charmaps/UTF-8.gz") || Exists("/usr/share/i18n/charmaps/UTF-8");
      if (!charmap || !Exists("/usr/share/i18n/locales/" + source)) {
        Skip("localedef missing: no locale sources for " + source);
        return;
      }
    }
    char pattern[] = "/tmp/terva-locales-XXXXXX";
    if (!::mkdtemp(pattern)) {
      why_ = "could not make a folder for the locales";
      return;
    }
    folder_ = pattern;
    for (const std::string& name : names) {
      const std::string source = name.substr(0, name.find('.'));
      const std::string log = folder_ + "/" + source + ".log";
      // Exit status 1 means warnings only, with the locale written.
      const int status = Spawn({localedef, "-i", source, "-f", "UTF-8", folder_ + "/" + name}, log);
      if (status != 0 && status != 1) {
        why_ = "localedef could not make " + name + " (status " + std::to_string(status) + ", see " + log + ")";
        return;
      }
    }
    const char* old = std::getenv("LOCPATH");
    if (old) previousPath_ = old;
    ::setenv("LOCPATH", folder_.c_str(), 1);
    for (const std::string& name : names) {
      ScopedLocale locale(name);
      if (!locale.Ok()) {
        why_ = "the made locale " + name + " cannot be set";
        return;
      }
      if (DecimalPoint() != ",") {
        why_ = "the made locale " + name + " has \"" + DecimalPoint() + "\" as its decimal point, not \",\"";
        return;
      }
    }
    ready_ = true;
  }

  // Puts LOCPATH back and removes the folder; the C locale must be in force
  // again by then (every ScopedLocale gone).
  ~CommaLocales() {
    if (previousPath_) ::setenv("LOCPATH", previousPath_->c_str(), 1);
    else ::unsetenv("LOCPATH");
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
  }
  CommaLocales(const CommaLocales&) = delete;
  CommaLocales& operator=(const CommaLocales&) = delete;

  bool Ready() const { return ready_; }
  bool Missing() const { return missing_; }
  const std::string& Why() const { return why_; }
  const std::string& Folder() const { return folder_; }  // what LOCPATH names

 private:
  void Skip(const std::string& why) {
    missing_ = true;
    why_ = why;
  }

  static bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
  }

  // The program's full path from PATH and the usual system folders; empty
  // when there is none.
  static std::string Find(const std::string& program) {
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    path += ":/usr/bin:/bin:/usr/sbin:/sbin";
    size_t start = 0;
    while (start <= path.size()) {
      size_t end = path.find(':', start);
      if (end == std::string::npos) end = path.size();
      const std::string dir = path.substr(start, end - start);
      if (!dir.empty()) {
        const std::string candidate = dir + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
      }
      start = end + 1;
    }
    return {};
  }

  // Runs args[0] with these arguments (no shell), its output into `log`;
  // the exit status, -1 when it could not run or was killed. posix_spawn,
  // not fork: safe in a process that already has threads (Qt's).
  static int Spawn(const std::vector<std::string>& args, const std::string& log) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    if (::posix_spawn_file_actions_init(&actions) != 0) return -1;
    ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    const int started = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
      if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string folder_;
  std::string why_;
  std::optional<std::string> previousPath_;
  bool ready_ = false;
  bool missing_ = false;
};

}  // namespace terva::test
