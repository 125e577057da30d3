// The report's number fields: a response-table row (F7.2 and six 1PE11.4) and
// a graphic data row (nine E10.3) through std::to_chars, beside the same
// fields through printf as the engine wrote them before.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "engine/report/report_format.hpp"
#include "support/printf_fields.hpp"

namespace {

std::vector<float> Values() {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> exponent(-6.0f, 6.0f);
  std::vector<float> v(4096);
  for (size_t k = 0; k < v.size(); ++k) v[k] = std::pow(10.0f, exponent(random)) * (k % 3 ? 1.0f : -1.0f);
  return v;
}

template <typename Fields>
void Rows(benchmark::State& state, Fields fields) {
  const std::vector<float> v = Values();
  std::string row;
  size_t k = 0;
  for (auto _ : state) {
    row.clear();
    fields(row, v, k);
    benchmark::DoNotOptimize(row.data());
    k = (k + 16) % (v.size() - 16);
  }
  state.SetItemsProcessed(state.iterations() * 16);  // fields per iteration
}

void BM_FieldsToChars(benchmark::State& state) {
  Rows(state, [](std::string& row, const std::vector<float>& v, size_t k) {
    terva::fmt::AppendF(row, v[k], 7, 2);
    for (int d = 1; d <= 6; ++d) terva::fmt::AppendE(row, v[k + d], 11, 4, 1);
    for (int e = 7; e < 16; ++e) terva::fmt::AppendE(row, v[k + e], 10, 3, 0);
  });
}
BENCHMARK(BM_FieldsToChars);

void BM_FieldsPrintf(benchmark::State& state) {
  Rows(state, [](std::string& row, const std::vector<float>& v, size_t k) {
    row += terva::printf_fields::F(v[k], 7, 2);
    for (int d = 1; d <= 6; ++d) row += terva::printf_fields::E(v[k + d], 11, 4, 1);
    for (int e = 7; e < 16; ++e) row += terva::printf_fields::E(v[k + e], 10, 3, 0);
  });
}
BENCHMARK(BM_FieldsPrintf);

}  // namespace
