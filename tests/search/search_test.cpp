// The search's values and tie rules, and the end score, where they are cheap to know.

#include <gtest/gtest.h>

#include <cmath>

#include "search/end_score.h"
#include "search/evaluate_switch.h"
#include "search/search_node.h"
#include "search/search_threads.h"
#include "search/search_worker.h"
#include "support/start_up_tables.h"

namespace varrowmere {
namespace {

constexpr float TEE_XF = static_cast<float>(TEE_X), TEE_YF = static_cast<float>(TEE_Y);

// A position at shotNum with stone i at (dx, dy) from the tee.
GameState withStones(int32_t shotNum, std::initializer_list<std::tuple<int, float, float>> stones) {
  GameState gs{.shotNum = shotNum};
  for (const auto& [i, dx, dy] : stones)
    gs.stonePos[i][0] = TEE_XF + dx, gs.stonePos[i][1] = TEE_YF + dy;
  return gs;
}

// The last stone on an empty sheet: a draw that stops in the house scores 1, a hit leaves
// the sheet empty. The end is over after every shot: each sampled cell is valued by its end
// score for side 1, the others take their representative's value. The sets come in the order
// draw 0, hit 0, draw 1, hit 1.
TEST(SearchNode, ValuesTheLastStoneByTheEndScore) {
  testing_support::ensureStartUpTables();
  SearchNode node;
  ShotVector shot;
  EXPECT_NEAR(node.search(GameState{.shotNum = 15}, 2, shot), 1.0, 1e-12);
  for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set) {
    const GridKind kind = set % 2 == 0 ? GridKind::Draw : GridKind::Hit;
    const std::vector<CandidateCell>& cells = node.cells(set);
    ASSERT_EQ(cells[0].locus, &gridTable(kind, set / 2).loci[0]) << set;
    for (const CandidateCell& cell : cells)
      EXPECT_EQ(cell.value, cell.sampled ? endScoreOfPosition(cell.after, 1)
                                         : cells[cell.representative].value);
  }
}

// Of equal sets the first wins; of cells all worth 0 (so all expecting 0), the first.
TEST(SearchNode, OfEqualValuesTheFirstSetAndTheFirstCellInRowOrderWin) {
  const double sets[] = {0.5, 0.7, 0.2, 0.7};
  EXPECT_EQ(firstGreatest(sets, 4), 1);
  testing_support::ensureStartUpTables();
  SearchBestMove searcher;
  searcher.loadCandidates(gridSpec(GridKind::Draw), gridTable(GridKind::Draw, 0),
                          cellTemplate(GridKind::Draw, 0));
  for (CandidateCell& cell : searcher.cells()) cell.value = 0.0;
  std::vector<int32_t> chosen;
  searcher.pickBest(chosen, false);
  EXPECT_EQ(chosen.at(0), 0);
}

// A hit at shot 14 leaves the sheet empty: statically worth 0, but the last stone's best
// reply, a draw into the house, counts against it.
TEST(SearchValues, TheOpponentsBestReplyCountsAgainstTheShot) {
  testing_support::ensureStartUpTables();
  SearchBestMove searcher;
  searcher.loadPosition(GameState{.shotNum = 14});
  searcher.loadCandidates(gridSpec(GridKind::Hit), gridTable(GridKind::Hit, 0),
                          cellTemplate(GridKind::Hit, 0));
  const int32_t index = sampledCells(GridKind::Hit, 0).front();
  const CandidateCell& cell = searcher.cells()[index];
  SearchWorker worker;
  searcher.evaluateCell(index, 1, nullptr, worker);
  ASSERT_FALSE(stoneInPlay(cell.after, 14));
  EXPECT_NEAR(cell.value, -1.0, 1e-12);
}

TEST(SearchValues, LeavesAreValuedForTheLastThrowerAndByCigWhenShortOfTime) {
  // Side 0 threw last and holds the only stone, in front of the tee. Standard evaluation:
  // stone value 1 x 0.02, score 1, nothing to steal. Evaluation_CIG: position 1 and rank 1,
  // no guard, avoid factor 0.1 of its own stone: (0.4 + 0.6) x 0.1.
  const GameState gs = withStones(3, {{0, 0.0f, 0.12f}});
  EXPECT_NEAR(switchEvaluate(gs, EVALUATION_TYPE_DEFAULT), 1.02, 1e-12);
  timeShort = true;
  EXPECT_NEAR(switchEvaluate(gs, EVALUATION_TYPE_DEFAULT), 0.1, 1e-12);
  timeShort = false;
}

TEST(SearchValues, RowBoundsNeverDropTheBestSum) {
  // Two rows of one cell, each its own only neighbour and the rows each other's neighbour
  // rows: both rows are bounded by 1, the first sums to 0.9995 and the second to 1.
  GridTable table{.countX = 1,
                  .countY = 2,
                  .total = 2,
                  .loci = std::vector<GridLocus>(2),
                  .neighbourRowFirst = {0, 0},
                  .neighbourRowLast = {1, 1}};
  std::vector<CandidateCell> cells(2);
  for (int32_t i = 0; i < 2; ++i) {
    table.loci[i].neighbours = {{i, 1.0}};
    cells[i].locus = &table.loci[i];
  }
  const double values[] = {0.9995, 1.0};
  std::vector<double> scratch;
  std::vector<int32_t> order;
  EXPECT_EQ(bestExpectedValue(table, cells, values, scratch, order), 1.0);
}

TEST(EndScoreOfPosition, CountsTheNearestSidesRunUpTo1975) {
  // Stones 0 and 2 nearest, then stone 1, then stone 4: two for side 0.
  const GameState gs = withStones(5, {{0, 0, 0.1f}, {2, 0, -0.3f}, {1, 0, 0.6f}, {4, 0, 1}});
  EXPECT_EQ(endScoreOfPosition(gs, 0), 2.0);
  // Equal distances: stone 1 ranks before stone 2, so side 1 counts one.
  EXPECT_EQ(endScoreOfPosition(withStones(3, {{1, -0.5f, 0}, {2, 0.5f, 0}}), 1), 1.0);
  // The nearest stone counts up to 1.975 inclusive, the following ones only strictly inside;
  // distances in single precision, as the positions are stored.
  const auto distance = [](float x) { return std::sqrt((x - TEE_XF) * (x - TEE_XF)); };
  float x = -SCORING_DISTANCE;
  ASSERT_EQ(distance(TEE_XF + x), SCORING_DISTANCE);
  EXPECT_EQ(endScoreOfPosition(withStones(2, {{1, x, 0}}), 1), 1.0);
  EXPECT_EQ(endScoreOfPosition(withStones(4, {{1, x, 0}, {3, x, 0}}), 0), -1.0);
  while (!(distance(TEE_XF + x) > SCORING_DISTANCE)) x = std::nextafter(x, -2.0f);
  EXPECT_EQ(endScoreOfPosition(withStones(2, {{1, x, 0}}), 1), 0.0);
}

}  // namespace
}  // namespace varrowmere
