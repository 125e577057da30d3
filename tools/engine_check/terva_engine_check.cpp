// terva-engine-check LIBRARY EXAMPLES OUT [--locale NAME]
//
// Calls the engine library as the desktop program does, with nothing but the
// system's loader: for every project EXAMPLES/NAME.tvd (in name order) a
// folder OUT/NAME with a copy of it as input.tvd and a names.dat of full paths
// (input, report, graphic data file, three lines the engine does not read,
// the results file); the library loaded by its full path (LoadLibrary on
// Windows, dlopen elsewhere), _ITERVA looked up (GetProcAddress, dlsym) and
// called with 13 in that folder, and the library unloaded again. The report
// output.tvo, the graphic data file output.tvp and the results file
// output.tvj are left in OUT/NAME for comparison.
//
// Before the projects: both exports, ITERVA and _ITERVA, must be there, and a
// call with another argument (12) must return 1 and write nothing.
//
// --locale NAME runs every call under that C runtime locale (setlocale), as a
// host program in a comma-decimal country does; the locale must give ","
// as its decimal point, or the check would prove nothing and fails.
//
// Prints one line per project with the engine's return code; exits 0 when
// every project returned 0 and wrote its three files, 1 otherwise, 2 on a
// wrong command line or a library that cannot be used.
#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace fs = std::filesystem;

namespace {

using Entry = std::int32_t (*)(std::int32_t);

// The library, loaded by its full path, and its entries.
class Library {
 public:
  explicit Library(const fs::path& path) {
#ifdef _WIN32
    handle_ = ::LoadLibraryW(path.wstring().c_str());
#else
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
  }
  ~Library() {
    if (!handle_) return;
#ifdef _WIN32
    ::FreeLibrary(handle_);
#else
    ::dlclose(handle_);
#endif
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  bool Loaded() const { return handle_ != nullptr; }
  Entry Find(const char* name) const {
#ifdef _WIN32
    return reinterpret_cast<Entry>(reinterpret_cast<void*>(::GetProcAddress(handle_, name)));
#else
    return reinterpret_cast<Entry>(::dlsym(handle_, name));
#endif
  }
  static std::string LastError() {
#ifdef _WIN32
    return "Windows error " + std::to_string(::GetLastError());
#else
    const char* why = ::dlerror();
    return why ? why : "unknown";
#endif
  }

 private:
#ifdef _WIN32
  HMODULE handle_ = nullptr;
#else
  void* handle_ = nullptr;
#endif
};

bool WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

// names.dat as the desktop program writes it: native full paths, one a line.
std::string NamesDat(const fs::path& folder) {
  std::string text;
  for (const char* name : {"input.tvd", "output.tvo", "output.tvp", "output.tvr", "output.tvt", "output.tvt",
                           "output.tvj"})
    text += (folder / name).make_preferred().string() + "\n";
  return text;
}

// Calls the library's _ITERVA with `key` in `folder`; -1 when it cannot be called.
int CallIn(const fs::path& library, const fs::path& folder, std::int32_t key) {
  std::error_code error;
  const fs::path before = fs::current_path(error);
  fs::current_path(folder, error);
  if (error) {
    std::fprintf(stderr, "terva-engine-check: cannot enter %s: %s\n", folder.string().c_str(),
                 error.message().c_str());
    return -1;
  }
  int code = -1;
  {
    Library engine(library);  // afresh for every run, as the desktop program loads it
    if (!engine.Loaded()) {
      std::fprintf(stderr, "terva-engine-check: cannot load %s: %s\n", library.string().c_str(),
                   Library::LastError().c_str());
    } else if (const Entry entry = engine.Find("_ITERVA")) {
      code = entry(key);
    } else {
      std::fprintf(stderr, "terva-engine-check: %s has no _ITERVA\n", library.string().c_str());
    }
  }
  fs::current_path(before, error);
  return code;
}

bool CommaDecimal() {
  char text[16];
  std::snprintf(text, sizeof text, "%.1f", 1.5);
  return std::strcmp(text, "1,5") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string locale;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--locale" && i + 1 < args.size()) {
      locale = args[i + 1];
      args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
      break;
    }
  }
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: terva-engine-check LIBRARY EXAMPLES OUT [--locale NAME]\n");
    return 2;
  }
  std::error_code error;
  const fs::path library = fs::absolute(args[0], error);
  const fs::path examples = fs::absolute(args[1], error);
  const fs::path out = fs::absolute(args[2], error);
  if (!fs::is_regular_file(library)) {
    std::fprintf(stderr, "terva-engine-check: no library %s\n", library.string().c_str());
    return 2;
  }
  if (!locale.empty()) {
    if (!std::setlocale(LC_ALL, locale.c_str()) || !CommaDecimal()) {
      std::fprintf(stderr, "terva-engine-check: the locale %s gives no \",\" decimal point here: the check would "
                           "prove nothing\n", locale.c_str());
      return 2;
    }
    std::printf("locale %s: decimal point \",\"\n", std::setlocale(LC_ALL, nullptr));
  }

  // The exports, and a wrong argument refused without a file written.
  {
    Library engine(library);
    if (!engine.Loaded()) {
      std::fprintf(stderr, "terva-engine-check: cannot load %s: %s\n", library.string().c_str(),
                   Library::LastError().c_str());
      return 2;
    }
    for (const char* name : {"ITERVA", "_ITERVA"}) {
      if (!engine.Find(name)) {
        std::fprintf(stderr, "terva-engine-check: %s does not export %s\n", library.string().c_str(), name);
        return 2;
      }
    }
  }
  int failures = 0;
  {
    const fs::path folder = out / "wrong-argument";
    fs::create_directories(folder, error);
    WriteFile(folder / "names.dat", NamesDat(folder));
    const int code = CallIn(library, folder, 12);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder, error)) ++files;
    const bool ok = code == 1 && files == 1;  // names.dat alone
    std::printf("argument 12: engine returned %d%s\n", code, ok ? "" : " (expected 1 and no file written)");
    failures += ok ? 0 : 1;
  }

  std::vector<fs::path> projects;
  for (const auto& entry : fs::directory_iterator(examples, error))
    if (entry.path().extension() == ".tvd") projects.push_back(entry.path());
  std::sort(projects.begin(), projects.end());
  if (projects.empty()) {
    std::fprintf(stderr, "terva-engine-check: no project (.tvd) in %s\n", examples.string().c_str());
    return 2;
  }
  for (const fs::path& project : projects) {
    const std::string name = project.stem().string();
    const fs::path folder = out / name;
    fs::remove_all(folder, error);
    fs::create_directories(folder, error);
    if (!fs::copy_file(project, folder / "input.tvd", error) || !WriteFile(folder / "names.dat", NamesDat(folder))) {
      std::printf("%s: cannot prepare %s\n", name.c_str(), folder.string().c_str());
      ++failures;
      continue;
    }
    const int code = CallIn(library, folder, 13);
    std::string missing;
    for (const char* file : {"output.tvo", "output.tvp", "output.tvj"})
      if (!fs::is_regular_file(folder / file)) missing += std::string(" ") + file;
    std::printf("%s: engine returned %d%s%s\n", name.c_str(), code, missing.empty() ? "" : ", missing:",
                missing.c_str());
    if (code != 0 || !missing.empty()) ++failures;
  }
  return failures == 0 ? 0 : 1;
}
