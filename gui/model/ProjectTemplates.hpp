// Example projects to start from: a concrete block on a half-space, the
// same block on a stratum over bedrock, and a pile group under a concrete
// cap. Each is complete (geometry, mass, soil, harmonic loads, frequencies),
// in SI units, and runs as it is.
#pragma once

#include <QString>

#include <memory>

namespace terva::gui {

class TProgramData;
class TProjectTables;

enum class TProjectTemplate { HalfSpaceBlock, StratumBlock, PileGroup };

// The pile group's layout: `rows` lines along Y of `columns` piles along X,
// `spacing` apart both ways, of solid circular concrete piles (metres).
struct TPileGroupTemplate {
  int rows = 3, columns = 3;
  double spacing = 1.8;
  double diameter = 0.6;
  double length = 12.0;
};

// A new project (as NewProject makes one: SI units, the tables reset) filled
// with the example. A pile group that does not fit (no piles, more than the
// coordinates table holds, a spacing or a size that is not positive) is
// made with the default layout instead.
std::unique_ptr<TProgramData> TemplateProject(TProjectTemplate kind, TProjectTables& tables,
                                              const TPileGroupTemplate& group = {});

// "Half-Space Block", "Block on a Stratum", "Pile Group n × m...".
QString TemplateCaption(TProjectTemplate kind);

}  // namespace terva::gui
