#include "engine/core/problem_data.hpp"
#include "engine/input/record_reader.hpp"
#include "engine/report/report.hpp"
#include "engine/input/section_readers.hpp"

namespace terva {

namespace detail {

bool Echo(ReaderContext& ctx) { return ctx.problem.run.EchoInput; }

void Fatal(ReaderContext& ctx, std::string_view message) {
  ctx.problem.run.InputErrorIndicator = true;
  ctx.report.FatalMessage(message);
}

void EchoHeading(ReaderContext& ctx, std::string_view heading) {
  ctx.report.Blank(2);
  ctx.report.Heading(heading);
}

bool ReadNumbers(ReaderContext& ctx, std::initializer_list<Real*> targets) {
  for (Real* target : targets) {
    Real value = 0;
    if (!ctx.ReadNumber(value)) return false;
    *target = value;
  }
  return true;
}

void InvalidKeyword(ReaderContext& ctx, std::string_view key, std::string_view ending) {
  Fatal(ctx, "INVALID KEYWORD - " + std::string(key) + std::string(ending));
}

}  // namespace detail

void ReadGravity(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  Real g = 0;
  if (!ctx.ReadNumber(g)) {
    detail::Fatal(ctx, "ERROR ENCOUNTERED WHILE READING GRAV. CONSTANT");
    p.status.GravitySet = 0;
    return;
  }
  p.Gravity = g;
  if (p.run.InputErrorIndicator) return;
  p.UnitSystem = g > 10.0f ? 1 : 2;  // above 10 the constant is in ft/s**2
  p.labels = p.UnitSystem == 1 ? UnitLabels::English() : UnitLabels::SI();
  if (!detail::Echo(ctx)) return;
  ctx.report.Blank(2);
  ctx.report.Line(fmt::Line("GRAVITATIONAL CONSTANT SET TO").F(g, 7, 2).X(1).A(p.labels.acceleration));
  ctx.report.Line(fmt::Line().Stars(44));
}

}  // namespace terva
