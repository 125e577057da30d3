// The footing's mass constants from a list of rigid rectangular blocks: the
// total mass, the centre of gravity, the mass moments and products of
// inertia about the centre of gravity, and the base centre in the global
// system. No widgets; all arithmetic in long double.
#pragma once

#include <array>
#include <vector>

namespace terva::gui {

class TGridTable;

// One block: its mass, its own centre (local system, z upward) and its
// edge lengths along x, y, z.
struct TMassBlock {
  long double m = 0, x = 0, y = 0, z = 0, a = 0, b = 0, c = 0;
};

struct TMassProperties {
  // Total mass, Ixx, Iyy, Izz, then the three products of inertia as the
  // project stores them: +Pxy, -Pxz, -Pyz (the global Z axis points down).
  std::array<long double, 7> constants{};
  std::array<long double, 3> cgLocal{};   // centre of gravity, local system
  std::array<long double, 3> cbGlobal{};  // base centre relative to the centre of gravity, global axes
};

// `previousCg` is kept as the centre of gravity when the masses do not add
// up to a positive total; the moments are then taken about it.
TMassProperties ComputeMassProperties(const std::vector<TMassBlock>& blocks, const std::array<long double, 3>& previousCg,
                                      const std::array<long double, 3>& cbLocal);

// The rows of the mass components table (mass, x, y, z, length, width,
// thickness per row).
std::vector<TMassBlock> MassBlocks(const TGridTable& table);

}  // namespace terva::gui
