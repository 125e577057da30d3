// Fuzz target: any text as the engine's input, through the record reader,
// the keyword loop, the section readers and, when the input gets that far,
// the analysis. Runs in a private folder made once for the process in the
// current folder, removed when the process ends.
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

bool EnterScratchFolder() {
  char pattern[] = "terva-fuzz-XXXXXX";
  const char* folder = ::mkdtemp(pattern);
  if (!folder) return false;
  scratch = std::filesystem::absolute(folder);
  std::atexit(RemoveScratchFolder);
  if (::chdir(folder) != 0) return false;
  std::FILE* names = std::fopen("names.dat", "w");
  if (!names) return false;
  std::fputs("job.tvd\njob.tvo\njob.tvp\n", names);
  std::fclose(names);
  // The engine never waits for the console.
  return std::freopen("/dev/null", "r", stdin) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = EnterScratchFolder();
  if (!ready) std::abort();
  std::FILE* input = std::fopen("job.tvd", "wb");
  if (!input) std::abort();
  if (size > 0) std::fwrite(data, 1, size, input);
  std::fclose(input);
  ITERVA(13);
  return 0;
}
