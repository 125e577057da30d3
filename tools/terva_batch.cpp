// terva-batch PROJECT.tvd [...]
//
// Runs the analysis engine on each project as the desktop program does: a
// fresh working folder, "names.dat" with absolute paths (the project, then the
// ".tvo", ".tvp", ".tvr", ".tvt", ".tvt" files beside it), the engine library
// loaded by its full path from this program's folder, one call of ITERVA with
// 13, the library unloaded and the working folder removed. Prints where the
// report is and what the return code means; exits non-zero when any run did
// not return 0.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kLibraryName = "libTerva3-comp.so";
using EntryPoint = int32_t (*)(int32_t);

const char* Meaning(int code) {
  switch (code) {
    case 0: return "analysis completed";
    case 1: return "wrong entry argument";
    case 2: return "run stopped (STOP keyword or end of input without RUN)";
    case 3: return "fatal input error - analysis not run";
    default: return "unexpected return code";
  }
}

fs::path ProgramFolder(const char* argv0) {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) self = fs::absolute(argv0, ec);
  return self.parent_path();
}

fs::path FindEngine(const fs::path& folder) {
  if (const char* env = std::getenv("TERVA_ENGINE")) return fs::path(env);
  return folder / kLibraryName;
}

// The head of the response table, when the report has one.
void PrintResponseHead(const fs::path& report, int rows) {
  std::ifstream in(report);
  std::string line;
  while (std::getline(in, line))
    if (line.find("FOOTING RESPONSE AMPLITUDES") != std::string::npos) break;
  if (!in) return;
  std::printf("%s\n", line.c_str());
  int printed = 0;
  bool body = false;
  while (printed < rows && std::getline(in, line)) {
    if (line.find("------  -------") != std::string::npos) body = true;
    std::printf("%s\n", line.c_str());
    if (body && !line.empty() && line.find("---") == std::string::npos) ++printed;
  }
  std::printf("  ...\n");
}

// One project; returns the engine's code, or -1 when the run could not be made.
int RunProject(const fs::path& engine, const fs::path& project) {
  std::error_code ec;
  const fs::path absProject = fs::weakly_canonical(fs::absolute(project, ec), ec);
  if (ec || !fs::is_regular_file(absProject)) {
    std::fprintf(stderr, "terva-batch: %s: no such project file\n", project.c_str());
    return -1;
  }
  auto beside = [&](const char* ext) { return fs::path(absProject).replace_extension(ext); };

  char pattern[] = "/tmp/terva-run-XXXXXX";
  const char* work = ::mkdtemp(pattern);
  if (!work) {
    std::perror("terva-batch: cannot make a working folder");
    return -1;
  }
  const fs::path workDir(work);
  {
    std::ofstream names(workDir / "names.dat");
    names << absProject.string() << '\n'
          << beside(".tvo").string() << '\n'
          << beside(".tvp").string() << '\n'
          << beside(".tvr").string() << '\n'
          << beside(".tvt").string() << '\n'
          << beside(".tvt").string() << '\n';
  }

  int code = -1;
  const fs::path previous = fs::current_path(ec);
  void* library = ::dlopen(engine.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "terva-batch: cannot load the engine %s: %s\n", engine.c_str(), ::dlerror());
  } else if (auto entry = reinterpret_cast<EntryPoint>(::dlsym(library, "_ITERVA")); !entry) {
    std::fprintf(stderr, "terva-batch: %s has no entry _ITERVA\n", engine.c_str());
  } else if (::chdir(workDir.c_str()) != 0) {
    std::perror("terva-batch: cannot enter the working folder");
  } else {
    code = entry(13);
    if (::chdir(previous.c_str()) != 0) std::perror("terva-batch: cannot return to the starting folder");
  }
  if (library) ::dlclose(library);
  fs::remove_all(workDir, ec);

  if (code >= 0) {
    std::printf("%s\n  report: %s\n  engine returned %d: %s\n", absProject.c_str(), beside(".tvo").c_str(), code,
                Meaning(code));
    if (code == 0) PrintResponseHead(beside(".tvo"), 5);
  }
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: terva-batch PROJECT.tvd [PROJECT.tvd ...]\n");
    return 2;
  }
  const fs::path engine = FindEngine(ProgramFolder(argv[0]));
  int failures = 0;
  for (int i = 1; i < argc; ++i)
    if (RunProject(engine, argv[i]) != 0) ++failures;
  return failures == 0 ? 0 : 1;
}
