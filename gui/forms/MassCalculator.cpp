#include "gui/forms/MassCalculator.hpp"

#include "gui/model/Table.hpp"

namespace terva::gui {

TMassProperties ComputeMassProperties(const std::vector<TMassBlock>& blocks, const std::array<long double, 3>& previousCg,
                                      const std::array<long double, 3>& cbLocal) {
  long double total = 0, sx = 0, sy = 0, sz = 0;
  for (const TMassBlock& block : blocks) {
    total += block.m;
    sx += block.m * block.x;
    sy += block.m * block.y;
    sz += block.m * block.z;
  }
  TMassProperties result;
  result.cgLocal = previousCg;
  if (total > 0) result.cgLocal = {sx / total, sy / total, sz / total};
  const long double xg = result.cgLocal[0], yg = result.cgLocal[1], zg = result.cgLocal[2];

  long double ixx = 0, iyy = 0, izz = 0, pxy = 0, pxz = 0, pyz = 0;
  for (const TMassBlock& block : blocks) {
    const long double dx = block.x - xg, dy = block.y - yg, dz = block.z - zg;
    // Parallel axes plus the block's own moment about its centre, m(b² + c²)/12 ...
    ixx += block.m * (dy * dy + dz * dz) + block.m * (block.b * block.b + block.c * block.c) / 12;
    iyy += block.m * (dx * dx + dz * dz) + block.m * (block.c * block.c + block.a * block.a) / 12;
    izz += block.m * (dy * dy + dx * dx) + block.m * (block.b * block.b + block.a * block.a) / 12;
    // ... and no product of its own (the blocks are aligned with the axes).
    pxy += block.m * dy * dx;
    pxz += block.m * dz * dx;
    pyz += block.m * dy * dz;
  }
  // The products with z change sign: the global Z axis points down.
  result.constants = {total, ixx, iyy, izz, pxy, -pxz, -pyz};
  result.cbGlobal = {cbLocal[0] - xg, cbLocal[1] - yg, -(cbLocal[2] - zg)};
  return result;
}

std::vector<TMassBlock> MassBlocks(const TGridTable& table) {
  std::vector<TMassBlock> blocks;
  for (int row = 0; row < table.RowCount(); ++row) {
    TMassBlock block;
    long double* values[] = {&block.m, &block.x, &block.y, &block.z, &block.a, &block.b, &block.c};
    for (int column = 0; column < 7; ++column) *values[column] = table.Cell(column, row).AsReal();
    blocks.push_back(block);
  }
  return blocks;
}

}  // namespace terva::gui
