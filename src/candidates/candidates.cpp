#include "candidates/candidates.h"

#include <thread>

namespace varrowmere {

namespace {

// Index by GridKind, then spin. Written only by buildCandidateTables.
GridSpec grids[2];
GridTable tables[2][2];
std::vector<CandidateCell> templates[2][2];
std::vector<int32_t> sampled[2][2];
std::vector<RepresentedCell> represented[2][2];

int kindIndex(GridKind kind) { return kind == GridKind::Hit ? 1 : 0; }
int spinIndex(int spin) { return spin == 0 ? 0 : 1; }

void buildTable(const GridSpec& gridParams, bool spin, GridTable& table) {
  gridDimensions(gridParams, table);
  fillLoci(gridParams, spin, table);
  fillNeighbours(gridParams, table);
}

// Everything of one spin; touches only that spin's tables and templates.
void buildSpin(int spin) {
  const bool spinFlag = spin != 0;
  GridTable& draw = tables[kindIndex(GridKind::Draw)][spin];
  GridTable& hit = tables[kindIndex(GridKind::Hit)][spin];
  buildTable(grids[kindIndex(GridKind::Draw)], spinFlag, draw);
  buildTable(grids[kindIndex(GridKind::Hit)], spinFlag, hit);
  buildCellTemplate(grids[kindIndex(GridKind::Draw)], draw,
                    templates[kindIndex(GridKind::Draw)][spin]);
  buildCellTemplate(grids[kindIndex(GridKind::Hit)], hit,
                    templates[kindIndex(GridKind::Hit)][spin]);
  for (int kind = 0; kind < 2; ++kind) {
    sampled[kind][spin].clear();
    represented[kind][spin].clear();
    for (const CandidateCell& cell : templates[kind][spin]) {
      if (cell.sampled) {
        sampled[kind][spin].push_back(cell.index);
      } else {
        represented[kind][spin].push_back({cell.index, cell.representative});
      }
    }
  }
}

}  // namespace

void buildCandidateTables() {
  grids[kindIndex(GridKind::Draw)] = DRAW_GRID_SPEC;
  grids[kindIndex(GridKind::Hit)] = HIT_GRID_SPEC;
  // The two spins share nothing but the grid parameters and the read-only motion tables.
  std::thread spinOne(buildSpin, 1);
  buildSpin(0);
  spinOne.join();
}

const GridSpec& gridSpec(GridKind kind) { return grids[kindIndex(kind)]; }

const GridTable& gridTable(GridKind kind, int spin) {
  return tables[kindIndex(kind)][spinIndex(spin)];
}

const std::vector<CandidateCell>& cellTemplate(GridKind kind, int spin) {
  return templates[kindIndex(kind)][spinIndex(spin)];
}

const std::vector<int32_t>& sampledCells(GridKind kind, int spin) {
  return sampled[kindIndex(kind)][spinIndex(spin)];
}

const std::vector<RepresentedCell>& representedCells(GridKind kind, int spin) {
  return represented[kindIndex(kind)][spinIndex(spin)];
}

}  // namespace varrowmere
