// The candidate grids and cell templates: the routines on hand-made grids, then the tables as
// start-up builds them.

#include "candidates/candidates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/start_up_tables.h"

namespace varrowmere {
namespace {

// Columns (rows): the whole part of |max - min| / step + 1; one where the step is not positive.
TEST(GridDimensions, StepsGiveTheGridSizes) {
  const struct {
    double step, lo, hi;
    int32_t count;
  } cases[] = {{0.14499999582767487, 0.5449999570846558, 4.205000042915344, 26},
               {0.145, 2.6150000125169752, 10.99000000834465, 58},
               {0.07249999791383743, 0.0, 4.75, 66},
               {-1.0, 3.05, 100.0, 1},
               {0.0, 1.0, 2.0, 1},
               {1.0, 5.0, 2.5, 3}};
  for (const auto& c : cases) {
    GridSpec grid;
    grid.stepX = grid.stepY = c.step;
    grid.xMin = grid.yMin = c.lo;
    grid.xMax = grid.yMax = c.hi;
    GridTable table;
    gridDimensions(grid, table);
    EXPECT_TRUE(table.countX == c.count && table.total == c.count * c.count) << c.step;
    EXPECT_TRUE(table.colHi == c.count - 1 && table.rowHi == c.count - 1) << c.step;
  }
}

// A pair's weight is the product of two normal densities of sigma 0.145 m; the threshold is
// the standard normal density at the cutoff (for 3: 0.39894228 * e^-4.5). Cell 0 keeps cells
// 1 and 2 (just inside the threshold) and itself, not 3 (just outside), weights summing to 1.
TEST(NeighbourWeights, ListsKeepEveryWeightFromTheThresholdUp) {
  const double threshold = 0.3989422804014327 * 0.011108996538242306;
  EXPECT_NEAR(neighbourThreshold(3.0), threshold, 1e-17);
  const double density = 1.0 / (2.0 * 3.141592653589793 * 0.145 * 0.145);
  const double edge = 0.145 * std::sqrt(2.0 * std::log(density / threshold));
  GridTable table;
  table.countX = table.total = 4;
  table.countY = 1;
  table.loci.resize(4);
  const double xs[] = {0.0, 0.1, edge * (1.0 - 1e-9), -edge * (1.0 + 1e-9)};
  for (int i = 0; i < 4; ++i) table.loci[i].locus.stopX = 2.0 + xs[i];
  fillNeighbours(DRAW_GRID_SPEC, table);
  const std::vector<NeighbourWeight>& list = table.loci[0].neighbours;
  ASSERT_EQ(list.size(), 3u);
  const double weights[] = {1.0, std::exp(-0.01 / (2 * 0.145 * 0.145)), threshold / density};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(list[i].index, i);
    EXPECT_NEAR(list[i].weight, weights[i] / (weights[0] + weights[1] + weights[2]), 1e-9);
  }
  ASSERT_EQ(table.loci[3].neighbours.size(), 1u);
  EXPECT_EQ(table.loci[3].neighbours[0].weight, 1.0);
}

// From row 0 by rowStepStart; the step changes where the looked-ahead row's stone stops: beyond
// the house front (6.71) rowStepFar, else beyond the tee line (4.88) rowStepNear; on the lines
// themselves it stays. Every colStep-th column of a sampled row.
TEST(CellTemplate, RowStepFollowsTheLookedAheadStop) {
  // Rows 0-5 stop behind the tee line (2 and 4 on it), 6-9 in the house, 10 on its front
  // edge, 11-19 in front of it.
  std::vector<double> stopY(20, 7.0);
  for (int row = 0; row < 10; ++row) stopY[row] = row < 6 ? 4.0 : 5.5;
  stopY[2] = stopY[4] = double{4.88f};
  stopY[10] = double{6.71f};
  GridTable table;
  table.countX = 3, table.countY = 20, table.total = 60;
  table.loci.resize(60);
  for (int32_t i = 0; i < 60; ++i) table.loci[i].locus.stopY = stopY[i / 3];
  GridSpec grid = DRAW_GRID_SPEC;
  grid.colStep = 2;
  std::vector<CandidateCell> cells;
  buildCellTemplate(grid, table, cells);
  std::vector<int32_t> sampled;
  for (int32_t i = 0; i < 60; ++i) {
    if (cells[i].sampled) sampled.push_back(i);
  }
  EXPECT_EQ(sampled, (std::vector<int32_t>{0,  2,  6,  8,  12, 14, 15, 17, 18, 20,
                                           21, 23, 24, 26, 27, 29, 30, 32, 48, 50}));
}

// The nearest sampled cell by grid distance narrowed to float; of equal ones the lower index.
// Cells 0 1 2 / 3 4 5; 1, 3 and 5 sampled.
TEST(CellTemplate, RepresentativeIsTheNearestSampledCellLowerIndexFirst) {
  std::vector<CandidateCell> cells(6);
  GridSpec grid;
  for (const double stepY : {0.1, 0.1 * (1.0 + 1e-12), 0.11}) {
    for (int32_t i = 0; i < 6; ++i) {
      cells[i].index = i;
      cells[i].sampled = i % 2 == 1;
    }
    grid.stepX = 0.1;
    grid.stepY = stepY;
    assignRepresentatives(grid, 3, cells);
    EXPECT_EQ(cells[4].representative, stepY < 0.105 ? 1 : 3) << stepY;
    EXPECT_TRUE(cells[0].representative == 1 && cells[2].representative == 1);
    EXPECT_EQ(cells[3].representative, 3);
  }
}

// Draw targets step 0.145 m from y = 2.615 and the stones stop on them: the looked-ahead stop
// passes the tee line at row 16 and the house front at row 29, so rows 0 to 14 every second,
// then every row to 28, then every sixth. All 66 hit cells are sampled. Each table holds the
// shots of its spin, cell i the delivery of target (i % countX, i / countX).
TEST(CandidateTables, AsStartUpBuildsThem) {
  testing_support::ensureStartUpTables();
  std::vector<int32_t> rows = {0, 2, 4, 6, 8, 10, 12, 14};
  for (int32_t row = 15; row <= 28; ++row) rows.push_back(row);
  rows.insert(rows.end(), {34, 40, 46, 52});
  for (const int spin : {0, 1}) {
    const GridTable& draw = gridTable(GridKind::Draw, spin);
    ASSERT_TRUE(draw.countX == 26 && draw.countY == 58 &&
                gridTable(GridKind::Hit, spin).total == 66);
    std::vector<int32_t> sampled;
    const std::vector<RepresentedCell>& represented = representedCells(GridKind::Draw, spin);
    std::size_t next = 0;
    for (const CandidateCell& cell : cellTemplate(GridKind::Draw, spin)) {
      if (cell.sampled && cell.index % 26 == 0) sampled.push_back(cell.index / 26);
      // Every cell that is not sampled is listed, in order, with its representative.
      if (!cell.sampled) {
        ASSERT_LT(next, represented.size());
        EXPECT_TRUE(represented[next].index == cell.index &&
                    represented[next++].representative == cell.representative);
      }
      ASSERT_EQ(cell.sampled, cellTemplate(GridKind::Draw, spin)[cell.index / 26 * 26].sampled);
      ASSERT_TRUE(cell.value == VALUE_NONE && !cell.simulated &&
                  cell.locus == &draw.loci[cell.index]);
    }
    EXPECT_EQ(sampled, rows);
    EXPECT_EQ(next, represented.size());
    EXPECT_EQ(sampledCells(GridKind::Hit, spin).size(), 66u);
    for (const int32_t i : {0, 27, 777, 1507}) {
      const StoneLocus& locus = draw.loci[i].locus;
      EXPECT_EQ(locus.spin, spin);
      EXPECT_NEAR(locus.stopX, 0.545 + 0.145 * (i % 26), 0.001);
      EXPECT_NEAR(locus.stopY, 2.615 + 0.145 * (i / 26), 0.001);
      double sum = 0.0;
      for (const NeighbourWeight& n : draw.loci[i].neighbours) sum += n.weight;
      EXPECT_NEAR(sum, 1.0, 1e-12);
    }
    EXPECT_GT(gridTable(GridKind::Hit, spin).loci[30].locus.cur.speed, 16.0);
  }
}

}  // namespace
}  // namespace varrowmere
