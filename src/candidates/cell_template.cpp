#include "candidates/cell_template.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace varrowmere {

void buildCellTemplate(const GridSpec& gridParams, const GridTable& table,
                       std::vector<CandidateCell>& cells) {
  cells.assign(static_cast<std::size_t>(table.total), CandidateCell{});
  for (int32_t i = 0; i < table.total; ++i) {
    cells[i].index = i;
    cells[i].representative = i;
    cells[i].locus = &table.loci[i];
  }
  markSampledRows(gridParams, table, cells);
  assignRepresentatives(gridParams, table.countX, cells);
}

void markSampledRows(const GridSpec& gridParams, const GridTable& table,
                     std::vector<CandidateCell>& cells) {
  const int32_t colStep = std::max(gridParams.colStep, 1);
  int32_t step = std::max(gridParams.rowStepStart, 1);
  for (int32_t row = 0; row < table.countY;) {
    for (int32_t column = 0; column < table.countX; column += colStep) {
      cells[table.countX * row + column].sampled = true;
    }
    // Look ahead at the next row's first cell, in 64 bits: row + step may pass int32.
    const int64_t ahead = (int64_t{row} + step) * table.countX;
    if (ahead < table.total) {
      const double y = table.loci[ahead].locus.stopY;
      if (y > SAMPLE_HOUSE_FRONT_Y) {
        step = std::max(gridParams.rowStepFar, 1);
      } else if (y > SAMPLE_TEE_LINE_Y) {
        step = std::max(gridParams.rowStepNear, 1);
      }
    }
    if (int64_t{row} + step >= table.countY) break;
    row += step;
  }
}

void assignRepresentatives(const GridSpec& gridParams, int32_t countX,
                           std::vector<CandidateCell>& cells) {
  if (countX <= 0) return;
  std::vector<int32_t> sampled;
  for (const CandidateCell& cell : cells) {
    if (cell.sampled) sampled.push_back(cell.index);
  }
  for (CandidateCell& cell : cells) {
    if (cell.sampled) {
      cell.representative = cell.index;
      continue;
    }
    const int32_t row = cell.index / countX, column = cell.index % countX;
    int32_t best = cell.index;
    float bestDistance = 0.0f;
    double bestSq = std::numeric_limits<double>::infinity();
    for (const int32_t other : sampled) {
      const double dy = (row - other / countX) * gridParams.stepY;
      const double dx = (column - other % countX) * gridParams.stepX;
      const double sq = dy * dy + dx * dx;
      // The narrowed distance cannot fall with a larger square: no need to take its root.
      if (sq > bestSq) continue;
      const auto distance = static_cast<float>(std::sqrt(sq));
      // Strictly nearer only: among equal (float) distances the lower index stays.
      if (best == cell.index || distance < bestDistance) {
        best = other;
        bestDistance = distance;
        bestSq = sq;
      }
    }
    cell.representative = best;
  }
}

}  // namespace varrowmere
