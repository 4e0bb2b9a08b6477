#pragma once
// The candidate grids: a grid of target points per spin, the delivered stone of each target
// and, per cell, the cells a real delivery aimed at it may end up at, with their weights.
// Coordinates are sheet metres; cell i lies at row i / countX and column i % countX.

#include <cstdint>
#include <vector>

#include "physics/motion.h"

namespace varrowmere {

// The parameters of one grid. A negative step means a single column (row).
struct GridSpec {
  double stepX = 0.0;        // column spacing of the targets (m)
  double stepY = 0.0;        // row spacing (m)
  double cutoff = 0.0;       // neighbour-weight threshold, in standard deviations
  double xMin = 0.0;         // x of column 0
  double xMax = 0.0;         // end of the x range
  double yMin = 0.0;         // y of row 0
  double yMax = 0.0;         // end of the y range
  double hitPower = 0.0;     // < 0: targets are draws; else hits passing at this speed (m/s)
  int32_t colStep = 1;       // every colStep-th column of a sampled row is sampled
  int32_t rowStepStart = 1;  // first row step of the sampling
  int32_t rowStepNear = 1;   // row step where stones stop beyond the tee line, in the house
  int32_t rowStepFar = 1;    // row step where stones stop in front of the house
  int32_t topCount = 1;      // size of the search's best-cell list
};

// The draw grid: the width of the house (tee x -+ the float 1.83, widened), from
// behind the back line to short of the hog line, in stone-radius steps.
inline constexpr GridSpec DRAW_GRID_SPEC{.stepX = 0.14499999582767487,
                                         .stepY = 0.14499999582767487,
                                         .cutoff = 3.0,
                                         .xMin = 0.5449999570846558,
                                         .xMax = 4.205000042915344,
                                         .yMin = 2.6150000125169752,
                                         .yMax = 10.99000000834465,
                                         .hitPower = -1.0,
                                         .colStep = 1,
                                         .rowStepStart = 2,
                                         .rowStepNear = 1,
                                         .rowStepFar = 6,
                                         .topCount = 1};
static_assert(DRAW_GRID_SPEC.xMin == TEE_X - double{1.83f});
static_assert(DRAW_GRID_SPEC.xMax == TEE_X + double{1.83f});
// The hit grid: one row on the back line, half-radius steps across the sheet, power 16.
inline constexpr GridSpec HIT_GRID_SPEC{.stepX = 0.07249999791383743,
                                        .stepY = -1.0,
                                        .cutoff = 3.0,
                                        .xMin = 0.0,
                                        .xMax = 4.75,
                                        .yMin = 3.05,
                                        .yMax = 3.05,
                                        .hitPower = 16.0,
                                        .colStep = 1,
                                        .rowStepStart = 1,
                                        .rowStepNear = 1,
                                        .rowStepFar = 1,
                                        .topCount = 1};

// Standard deviation (m) of a delivery's stop assumed by the neighbour weights, as the two
// terms the weight uses: 2 sigma^2 and 2 pi sigma^2 (m^2).
inline constexpr double NEIGHBOUR_TWO_VARIANCE = 0.04205;
inline constexpr double NEIGHBOUR_TWO_PI_VARIANCE = 0.1321039710834508;
// Upper bound on a grid's columns or rows, whatever the numbers of its GridSpec say.
inline constexpr int32_t GRID_MAX_COUNT = 1 << 16;

// One entry of a neighbour list: a cell of the same table and its normalised weight.
struct NeighbourWeight {
  int32_t index = 0;
  double weight = 0.0;
};

// One cell's delivered stone (its shot, and the stop it predicts in stopX, stopY) and its
// neighbour list: the cells whose stops lie near this one's, weights summing to 1, in index
// order, the cell itself included.
struct GridLocus {
  StoneLocus locus;
  std::vector<NeighbourWeight> neighbours;
};

// One grid for one spin. colLo..colHi and rowLo..rowHi (inclusive) are the cells the search
// chooses among: the whole grid.
struct GridTable {
  int32_t countX = 0, countY = 0, total = 0;
  int32_t colLo = 0, colHi = -1, rowLo = 0, rowHi = -1;
  std::vector<GridLocus> loci;
  // Per row: the first and last row holding a neighbour of one of its cells.
  std::vector<int32_t> neighbourRowFirst, neighbourRowLast;
};

// Columns and rows from the gridParams (a step that is not positive gives one), total, and the
// inclusive ranges over the whole grid. loci is left untouched.
void gridDimensions(const GridSpec& gridParams, GridTable& table);

// Target of cell (column, row): computed in double, narrowed to float.
void gridTarget(const GridSpec& gridParams, int32_t column, int32_t row, float& x, float& y);

// Asks the shot maker for every cell's shot (a draw, or a hit of gridParams.hitPower) and delivers
// it. Needs gridDimensions first.
void fillLoci(const GridSpec& gridParams, bool spin, GridTable& table);

// The weight threshold for a cutoff in standard deviations: the standard normal density at
// the cutoff, (1 / sqrt(2 pi)) exp(-cutoff^2 / 2).
double neighbourThreshold(double cutoff);

// Builds every cell's neighbour list from the stops of the loci (needs fillLoci first), and
// each row's range of neighbour rows.
void fillNeighbours(const GridSpec& gridParams, GridTable& table);

}  // namespace varrowmere
