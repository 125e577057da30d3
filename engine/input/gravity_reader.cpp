#include "engine/core/problem_data.hpp"
#include "engine/input/record_reader.hpp"
#include "engine/report/report.hpp"
#include "engine/input/section_readers.hpp"

namespace terva {

namespace detail {

bool Echo() { return Problem().run.EchoInput; }

void Fatal(std::string_view message) {
  Problem().run.InputErrorIndicator = true;
  Out().FatalMessage(message);
}

void EchoHeading(std::string_view heading) {
  Out().Blank(2);
  Out().Heading(heading);
}

bool ReadNumbers(std::initializer_list<Real*> targets) {
  for (Real* target : targets) {
    Real value = 0;
    if (!ReadNumber(value)) return false;
    *target = value;
  }
  return true;
}

void InvalidKeyword(std::string_view key, std::string_view ending) {
  Fatal("INVALID KEYWORD - " + std::string(key) + std::string(ending));
}

}  // namespace detail

void ReadGravity() {
  ProblemData& p = Problem();
  Real g = 0;
  if (!ReadNumber(g)) {
    detail::Fatal("ERROR ENCOUNTERED WHILE READING GRAV. CONSTANT");
    p.status.GravitySet = 0;
    return;
  }
  p.Gravity = g;
  if (p.run.InputErrorIndicator) return;
  p.UnitSystem = g > 10.0f ? 1 : 2;  // above 10 the constant is in ft/s**2
  p.labels = p.UnitSystem == 1 ? UnitLabels::English() : UnitLabels::SI();
  if (!detail::Echo()) return;
  Out().Blank(2);
  Out().Line(fmt::Line("GRAVITATIONAL CONSTANT SET TO").F(g, 7, 2).X(1).A(p.labels.acceleration));
  Out().Line(fmt::Line().Stars(44));
}

}  // namespace terva
