#pragma once
// The candidate shot tables: for the draw grid and the hit grid, for spin 0 and spin 1, the
// grid with its delivered stones and neighbour lists, and the template of search cells.
//
// Built once by buildCandidateTables on the main thread at start-up (after the motion
// tables), before the reader thread exists; never changed afterwards, so any thread may read
// them without locks. Everything is reached through the accessors below:
//   gridSpec(kind)             the grid's parameters (topCount, steps, power)
//   gridTable(kind, spin)      countX, countY, total, the choice ranges and loci[total]
//   cellTemplate(kind, spin)   the cells a search copies; cell.locus points into gridTable
// A search copies a template (std::vector copy) and works on the copy; the GridLocus that a
// cell points to stays in the table and is only read.

#include <cstdint>
#include <vector>

#include "candidates/cell_template.h"
#include "candidates/grid.h"

namespace varrowmere {

// The two candidate grids.
enum class GridKind : int32_t { Draw = 0, Hit = 1 };

// The four candidate sets of a position, in the order in which the search compares their
// best values (the first of equal values wins).
inline constexpr int32_t CANDIDATE_SET_COUNT = 4;
struct CandidateSet {
  GridKind kind;
  int spin;
};
inline constexpr CandidateSet CANDIDATE_SETS[CANDIDATE_SET_COUNT] = {
    {GridKind::Draw, 0}, {GridKind::Hit, 0}, {GridKind::Draw, 1}, {GridKind::Hit, 1}};

// Fills every table; spin 0 and spin 1 are built on two threads. Calls the shot maker and
// vec_to_locus_deliver, so buildTrajectoryTables must have run.
void buildCandidateTables();

const GridSpec& gridSpec(GridKind kind);
// spin is 0 or 1 (anything else reads as 1).
const GridTable& gridTable(GridKind kind, int spin);
const std::vector<CandidateCell>& cellTemplate(GridKind kind, int spin);
// The indices of the template's sampled cells, in index order.
const std::vector<int32_t>& sampledCells(GridKind kind, int spin);
// A cell that is not sampled and the sampled cell whose value it takes.
struct RepresentedCell {
  int32_t index;
  int32_t representative;
};
// The template's cells that are not sampled, in index order: a search reads these few bytes
// instead of walking every cell.
const std::vector<RepresentedCell>& representedCells(GridKind kind, int spin);

}  // namespace varrowmere
