// The analysis driver: runs a complete problem once the input has been read.
#include "engine/input/run_files.hpp"

namespace terva {

namespace {
std::FILE* graphicFile = nullptr;
}

void SetGraphicFile(std::FILE* file) { graphicFile = file; }
std::FILE* GraphicFile() { return graphicFile; }

void RunAnalysis() {
  // The frequency loop, the impedance models and the response phase are added
  // here; until then a complete input ends after the completeness check.
}

}  // namespace terva
