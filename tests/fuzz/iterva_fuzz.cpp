// Fuzz target: any text as the engine's input, through the record reader,
// the keyword loop, the section readers and, when the input gets that far,
// the analysis. Runs through terva_run in a private folder made once for the
// process in the current folder (which stays the current one), removed when
// the process ends.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/analysis/iterva.h"

namespace {

std::filesystem::path scratch;

void RemoveScratchFolder() {
  std::error_code ignored;
  if (!scratch.empty()) std::filesystem::remove_all(scratch, ignored);
}

bool MakeScratchFolder() {
  char pattern[] = "terva-fuzz-XXXXXX";
  const char* folder = ::mkdtemp(pattern);
  if (!folder) return false;
  scratch = std::filesystem::absolute(folder);
  std::atexit(RemoveScratchFolder);
  std::FILE* names = std::fopen((scratch / "names.dat").c_str(), "w");
  if (!names) return false;
  std::fputs("job.tvd\njob.tvo\njob.tvp\n", names);
  std::fclose(names);
  // The engine never waits for the console.
  return std::freopen("/dev/null", "r", stdin) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = MakeScratchFolder();
  if (!ready) std::abort();
  std::FILE* input = std::fopen((scratch / "job.tvd").c_str(), "wb");
  if (!input) std::abort();
  if (size > 0) std::fwrite(data, 1, size, input);
  std::fclose(input);
  terva_run(scratch.c_str(), nullptr, nullptr);
  return 0;
}
