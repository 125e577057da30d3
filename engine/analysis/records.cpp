#include "engine/analysis/records.hpp"

namespace terva {

ProblemData& Problem() {
  static ProblemData* data = new ProblemData();  // lives as long as the library
  return *data;
}

ResultStore& Results() {
  static ResultStore* store = new ResultStore();
  return *store;
}

Report& Out() {
  static Report* report = new Report();
  return *report;
}

}  // namespace terva
