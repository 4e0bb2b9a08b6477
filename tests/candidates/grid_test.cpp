// The grid routines on hand-made grids, where the right answer is known by construction.

#include "candidates/grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "candidates/cell_template.h"

namespace varrowmere {
namespace {

GridTable tableWithStops(int32_t countX, int32_t countY, const std::vector<double>& stopYByRow) {
  GridTable table;
  table.countX = countX;
  table.countY = countY;
  table.total = countX * countY;
  table.loci.resize(table.total);
  for (int32_t i = 0; i < table.total; ++i) {
    table.loci[i].locus.stopX = 1.0 + 0.145 * (i % countX);
    table.loci[i].locus.stopY = stopYByRow[i / countX];
  }
  return table;
}

std::vector<int32_t> sampledRows(const GridTable& table, const std::vector<CandidateCell>& cells) {
  std::vector<int32_t> rows;
  for (int32_t row = 0; row < table.countY; ++row) {
    if (cells[table.countX * row].sampled) rows.push_back(row);
  }
  return rows;
}

TEST(GridDimensions, StepsGiveTheGridSizes) {
  GridTable draw, hit;
  gridDimensions(DRAW_GRID_SPEC, draw);
  gridDimensions(HIT_GRID_SPEC, hit);
  EXPECT_EQ(draw.countX, 26);
  EXPECT_EQ(draw.countY, 58);
  EXPECT_EQ(draw.total, 1508);
  EXPECT_EQ(draw.colHi, 25);
  EXPECT_EQ(draw.rowHi, 57);
  EXPECT_EQ(hit.countX, 66);
  EXPECT_EQ(hit.countY, 1);
  EXPECT_EQ(hit.total, 66);
  EXPECT_EQ(hit.colLo, 0);
  EXPECT_EQ(hit.rowLo, 0);
  EXPECT_EQ(hit.rowHi, 0);

  // A negative step gives one column (row) at the start of the range, whatever the range.
  GridSpec gridParams = DRAW_GRID_SPEC;
  gridParams.stepX = -0.5;
  gridParams.xMax = 100.0;
  GridTable table;
  gridDimensions(gridParams, table);
  EXPECT_EQ(table.countX, 1);
  EXPECT_EQ(table.countY, 58);
  float x = 0.0f, y = 0.0f;
  gridTarget(gridParams, 0, 3, x, y);
  EXPECT_EQ(x, static_cast<float>(gridParams.xMin));
  EXPECT_EQ(y, static_cast<float>(3 * gridParams.stepY + gridParams.yMin));
  gridParams = DRAW_GRID_SPEC;
  gridParams.stepY = -2.0;
  gridDimensions(gridParams, table);
  EXPECT_EQ(table.countX, 26);
  EXPECT_EQ(table.countY, 1);
  EXPECT_EQ(table.total, 26);
  // A zero step cannot divide: one column too. A reversed range counts by its length.
  gridParams.stepX = 0.0;
  gridParams.stepY = 1.0;
  gridParams.yMin = 5.0;
  gridParams.yMax = 2.5;
  gridDimensions(gridParams, table);
  EXPECT_EQ(table.countX, 1);
  EXPECT_EQ(table.countY, 3);
}

TEST(NeighbourWeights, ThresholdIsTheNormalDensityAtTheCutoff) {
  EXPECT_NEAR(neighbourThreshold(3.0), 0.0044318484119380075, 1e-18);
  EXPECT_NEAR(neighbourThreshold(0.0), 0.3989422804014327, 1e-16);
}

TEST(NeighbourWeights, ListsKeepPairsAboveTheThresholdAndNormalise) {
  // The distance at which a pair's weight equals the 3-sigma threshold.
  const double n2 = 1.0 / NEIGHBOUR_TWO_PI_VARIANCE;
  const double edge = std::sqrt(NEIGHBOUR_TWO_VARIANCE * std::log(n2 / neighbourThreshold(3.0)));
  GridTable table;
  table.countX = 4;
  table.countY = 1;
  table.total = 4;
  table.loci.resize(4);
  const double xs[] = {0.0, 0.1, edge * (1.0 - 1e-9), -edge * (1.0 + 1e-9)};
  for (int i = 0; i < 4; ++i) {
    table.loci[i].locus.stopX = 2.0 + xs[i];
    table.loci[i].locus.stopY = 6.0;
  }
  fillNeighbours(DRAW_GRID_SPEC, table);

  // Cell 0 keeps 0, 1 and 2 (just inside) but not 3 (just outside).
  const std::vector<NeighbourWeight>& list = table.loci[0].neighbours;
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].index, 0);
  EXPECT_EQ(list[1].index, 1);
  EXPECT_EQ(list[2].index, 2);
  const double w1 = std::exp(-0.01 / NEIGHBOUR_TWO_VARIANCE);
  const double w2 = neighbourThreshold(3.0) / n2;
  const double sum = 1.0 + w1 + w2;
  EXPECT_NEAR(list[0].weight, 1.0 / sum, 1e-9);
  EXPECT_NEAR(list[1].weight, w1 / sum, 1e-9);
  EXPECT_NEAR(list[2].weight, w2 / sum, 1e-9);
  // Cell 3 is too far from everyone: its list is itself alone, weight 1.
  ASSERT_EQ(table.loci[3].neighbours.size(), 1u);
  EXPECT_EQ(table.loci[3].neighbours[0].index, 3);
  EXPECT_EQ(table.loci[3].neighbours[0].weight, 1.0);
}

// Row sampling: from row 0 by rowStepStart; the step changes with where the looked-ahead row's
// stone stops: beyond the house front rowStepFar, else beyond the tee line rowStepNear.
TEST(CellTemplate, RowStepFollowsTheLookedAheadStop) {
  // Rows 0-5 stop behind the tee line, 6-9 in the house, 10-19 in front of the house;
  // rows 2 and 4 sit exactly on the tee line, which counts as not beyond it.
  std::vector<double> stopY(20, 8.0);
  for (int row = 0; row < 6; ++row) stopY[row] = 4.0;
  for (int row = 6; row < 10; ++row) stopY[row] = 5.5;
  stopY[2] = SAMPLE_TEE_LINE_Y;
  stopY[4] = SAMPLE_TEE_LINE_Y;
  const GridTable table = tableWithStops(3, 20, stopY);
  GridSpec gridParams = DRAW_GRID_SPEC;
  gridParams.colStep = 2;
  std::vector<CandidateCell> cells;
  buildCellTemplate(gridParams, table, cells);
  EXPECT_EQ(sampledRows(table, cells), (std::vector<int32_t>{0, 2, 4, 5, 6, 7, 8, 9, 15}));
  for (int32_t i = 0; i < table.total; ++i) {
    const bool rowSampled = cells[table.countX * (i / table.countX)].sampled;
    EXPECT_EQ(cells[i].sampled, rowSampled && (i % table.countX) % 2 == 0) << i;
    EXPECT_EQ(cells[i].locus, &table.loci[i]);
    EXPECT_EQ(cells[i].index, i);
  }

  // The house front itself is not beyond it: rowStepNear.
  stopY.assign(20, SAMPLE_HOUSE_FRONT_Y);
  const GridTable front = tableWithStops(1, 20, stopY);
  buildCellTemplate(DRAW_GRID_SPEC, front, cells);
  EXPECT_EQ(sampledRows(front, cells).size(), 20u);
  // Steps that are not positive would never end: they count as 1.
  gridParams.rowStepStart = 0;
  gridParams.rowStepFar = -3;
  gridParams.colStep = 0;
  stopY.assign(20, 9.0);
  const GridTable far = tableWithStops(2, 20, stopY);
  buildCellTemplate(gridParams, far, cells);
  for (const CandidateCell& cell : cells) EXPECT_TRUE(cell.sampled);
}

// Nearest sampled cell by grid distance narrowed to float; among equal distances the lower
// index. Cells: 0 1 2 / 3 4 5 (two rows of three).
TEST(CellTemplate, RepresentativeTieGoesToTheLowerIndex) {
  GridSpec gridParams = DRAW_GRID_SPEC;
  std::vector<CandidateCell> cells(6);
  const auto reset = [&cells](std::initializer_list<int32_t> sampled) {
    for (int32_t i = 0; i < 6; ++i) {
      cells[i].index = i;
      cells[i].sampled = false;
    }
    for (const int32_t i : sampled) cells[i].sampled = true;
  };

  // Cell 4's neighbours 1 (above), 3 and 5 (beside) are equally far: 1 wins.
  gridParams.stepX = 0.1;
  gridParams.stepY = 0.1;
  reset({1, 3, 5});
  assignRepresentatives(gridParams, 3, cells);
  EXPECT_EQ(cells[4].representative, 1);
  EXPECT_EQ(cells[0].representative, 1);
  EXPECT_EQ(cells[2].representative, 1);
  EXPECT_EQ(cells[3].representative, 3);

  // Rows slightly farther apart than columns, but not in float: still a tie, 1 wins.
  gridParams.stepY = 0.1 * (1.0 + 1e-12);
  assignRepresentatives(gridParams, 3, cells);
  EXPECT_EQ(cells[4].representative, 1);
  // Rows clearly farther apart: cell 4 takes the lower of the equal pair 3 and 5; cells 0
  // and 2 keep their neighbour 1 in the same row.
  gridParams.stepY = 0.11;
  assignRepresentatives(gridParams, 3, cells);
  EXPECT_EQ(cells[4].representative, 3);
  EXPECT_EQ(cells[0].representative, 1);
  EXPECT_EQ(cells[2].representative, 1);

  // Only cell 0 sampled: everyone goes to it.
  reset({0});
  assignRepresentatives(gridParams, 3, cells);
  for (const CandidateCell& cell : cells) EXPECT_EQ(cell.representative, 0);
}

}  // namespace
}  // namespace varrowmere
