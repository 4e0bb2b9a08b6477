#include <gtest/gtest.h>

#include <cmath>

#include "search/end_score.h"
#include "search/search_node.h"
#include "search/search_threads.h"
#include "support/start_up_tables.h"

namespace varrowmere {
namespace {

using testing_support::ensureStartUpTables;

// A 3 x 2 grid whose cells are their own only neighbours, so that expected == value.
struct TinyGrid {
  GridSpec gridParams = DRAW_GRID_SPEC;
  GridTable table;
  std::vector<CandidateCell> cells;

  TinyGrid() {
    table.countX = 3;
    table.countY = 2;
    table.total = 6;
    table.colLo = 0;
    table.colHi = 2;
    table.rowLo = 0;
    table.rowHi = 1;
    table.loci.resize(6);
    cells.resize(6);
    for (int32_t i = 0; i < 6; ++i) {
      table.loci[i].neighbours.push_back({i, 1.0});
      cells[i].index = i;
      cells[i].sampled = true;
      cells[i].representative = i;
      cells[i].locus = &table.loci[i];
    }
  }
};

int32_t bestOf(SearchBestMove& searcher, std::initializer_list<double> values) {
  int32_t i = 0;
  for (double v : values) {
    searcher.cells()[i].value = v;
    searcher.cells()[i].chosen = true;
    ++i;
  }
  std::vector<int32_t> best;
  searcher.pickBest(best, false);
  return best.at(0);
}

TEST(SearchTies, FirstBestInRowOrderWins) {
  TinyGrid grid;
  SearchBestMove searcher;
  searcher.loadCandidates(grid.gridParams, grid.table, grid.cells);
  // Row 0 column 1 against row 1 column 0: the lower row wins.
  EXPECT_EQ(bestOf(searcher, {1, 5, 1, 5, 1, 1}), 1);
  // Same row: the lower column wins.
  EXPECT_EQ(bestOf(searcher, {1, 1, 1, 1, 7, 7}), 4);
  // A later cell replaces the best only when strictly better.
  EXPECT_EQ(bestOf(searcher, {2, 2, 2, 2, 2, 2.0000001}), 5);
  // Cells that are not chosen do not compete.
  searcher.cells()[5].chosen = false;
  std::vector<int32_t> best;
  searcher.pickBest(best, false);
  EXPECT_EQ(best.at(0), 0);
}

TEST(SearchTies, FirstOfTheFourSetsWins) {
  const double equal[] = {0.5, 0.5, 0.5, 0.5};
  EXPECT_EQ(firstGreatest(equal, 4), 0);
  const double laterBest[] = {0.5, 0.7, 0.2, 0.7};
  EXPECT_EQ(firstGreatest(laterBest, 4), 1);
}

GameState midEnd(int32_t shotNum) {
  GameState gs;
  gs.shotNum = shotNum;
  const float positions[][2] = {{2.3f, 5.2f}, {2.6f, 4.4f}, {2.0f, 8.5f}, {2.9f, 8.0f},
                                {1.9f, 4.9f}, {2.4f, 3.6f}, {2.8f, 6.0f}, {2.2f, 7.3f}};
  for (int i = 0; i < 8 && i < shotNum; ++i) {
    gs.stonePos[i][0] = positions[i][0];
    gs.stonePos[i][1] = positions[i][1];
  }
  return gs;
}

TEST(SearchValues, UnsampledCellsCopyTheirRepresentativeButKeepTheirOwnExpectation) {
  ensureStartUpTables();
  SearchNode node;
  ShotVector shot;
  node.search(midEnd(6), 1, shot);

  const auto& cells = node.cells(0);
  int32_t differing = 0;
  for (const CandidateCell& cell : cells) {
    if (cell.sampled) {
      EXPECT_TRUE(cell.simulated);
      continue;
    }
    EXPECT_FALSE(cell.simulated);
    const CandidateCell& representative = cells[cell.representative];
    ASSERT_TRUE(representative.sampled);
    EXPECT_EQ(cell.value, representative.value);
    double expected = 0.0;
    for (const auto& [index, weight] : cell.locus->neighbours) expected += weight * cells[index].value;
    EXPECT_EQ(cell.expected, expected);
    if (cell.expected != representative.expected) ++differing;
  }
  EXPECT_GT(differing, 0);
}

TEST(SearchValues, LastShotIsValuedByTheEndScoreWithoutRecursion) {
  ensureStartUpTables();
  GameState gs = midEnd(15);
  int64_t sampled = 0;
  for (GridKind kind : {GridKind::Draw, GridKind::Hit})
    for (int spin = 0; spin < 2; ++spin)
      for (const CandidateCell& cell : cellTemplate(kind, spin)) sampled += cell.sampled;

  const uint64_t before = searchSimulationCount();
  SearchNode node;
  ShotVector shot;
  const double value = node.search(gs, 2, shot);
  EXPECT_EQ(searchSimulationCount() - before, static_cast<uint64_t>(sampled));
  // The value is a weighted mean of end scores of side 1: between -8 and 8.
  EXPECT_GE(value, -8.0);
  EXPECT_LE(value, 8.0);

  // The cells are valued by end scores of side 1.
  for (const CandidateCell& cell : node.cells(3)) {
    ASSERT_EQ(cell.after.shotNum, STONE_COUNT);
    EXPECT_EQ(cell.value, endScoreOfPosition(cell.after, 1));
  }
}

}  // namespace
}  // namespace varrowmere
