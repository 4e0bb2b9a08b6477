#include "evaluation/standard_evaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "evaluation/evaluation_cig.h"
#include "evaluation/position_builder.h"

namespace varrowmere {
namespace {

using testing::makePosition;

constexpr double EPS = 1e-12;

double stoneValueAt(float x, float y) {
  EvalBoard board;
  fillEvalBoard(makePosition(1, {{0, x, y}}), board);
  return standardStoneValue(0, board);
}

double endScoreOf(const std::vector<int32_t>& owners, const std::vector<bool>& inHouseBits,
                  int team) {
  bool inHouse[STONE_COUNT] = {};
  for (std::size_t r = 0; r < inHouseBits.size(); ++r) inHouse[r] = inHouseBits[r];
  return endScore(owners, std::span<const bool>(inHouse, inHouseBits.size()), team);
}

TEST(StandardEvaluation, WorkedExamples) {
  // Stone 0 alone just in front of the tee, side 0 (parity 1): 0.02 x 1 + score 1 + steal 0.
  EXPECT_NEAR(evaluateStandard(makePosition(1, {{0, 2.375f, 5.0f}}), 0), 1.02, EPS);
  // The same stone with shotNum 2 asked for side 1 (parity 0): -0.02 - sqrt(1).
  EXPECT_NEAR(evaluateStandard(makePosition(2, {{0, 2.375f, 5.0f}}), 1), -1.02, EPS);
  // Stone 1 alone, side 1: 0.02 + 1 + the steal bonus 1 (no first-player stone to take out,
  // so the second player's score 1 counts three times).
  EXPECT_NEAR(evaluateStandard(makePosition(2, {{1, 2.375f, 5.0f}}), 1), 2.02, EPS);
  // A deficit of 4 for side 1 counts as -sqrt(4); for side 0 it would count in full.
  const GameState four =
      makePosition(8, {{0, 2.375f, 5.0f}, {2, 2.375f, 5.1f}, {4, 2.375f, 5.2f}, {6, 2.375f, 5.3f}});
  EXPECT_NEAR(evaluateStandard(four, 1), -4 * 0.02 - 2.0, EPS);
}

TEST(StandardEvaluation, EmptyPositionIsZeroForBothEvaluators) {
  const Evaluation_CIG cig;
  for (const int shotNum : {0, 1, 8, 16}) {
    const GameState empty = makePosition(shotNum, {});
    for (const int side : {0, 1}) {
      EXPECT_EQ(evaluateStandard(empty, side), 0.0);
      EXPECT_EQ(cig.evaluate(empty, side), 0.0);
    }
  }
}

TEST(StandardEvaluation, StoneOnTheTeeLineCountsOnlyForTheScore) {
  const GameState onLine = makePosition(1, {{0, 2.375f, 4.88f}});
  EXPECT_EQ(stoneValueAt(2.375f, 4.88f), 0.0);
  EXPECT_EQ(evaluateStandard(onLine, 0), 1.0);
  EvalBoard board;
  fillEvalBoard(onLine, board);
  EXPECT_EQ(endScore({board.rankedOwner, 1}, {board.ranking.rankedInHouse, 1}, 0), 1.0);
}

TEST(StandardEvaluation, StoneValueBands) {
  // Flat band in front of the tee line: 1 - ax / (2 x 1.975).
  EXPECT_DOUBLE_EQ(stoneValueAt(2.375f, 5.0f), 1.0);
  EXPECT_DOUBLE_EQ(stoneValueAt(2.875f, 5.0f), 1.0 - 0.5 * 0.2531645539058667);
  EXPECT_DOUBLE_EQ(stoneValueAt(2.375f, 5.6f), 1.0);
  // Beyond the flat band: exp(-(ay - 0.725)), ay = 6.0 - 4.88f.
  EXPECT_NEAR(stoneValueAt(2.375f, 6.0f), 0.6736800922527562, 1e-12);
  EXPECT_NEAR(stoneValueAt(2.375f, 11.2f), 0.003716400336743432, 1e-12);
  // Behind the tee: (ay - 1.975)^6 / 1.975^6: 4.0 lies 0.88 behind, (1.095 / 1.975)^6.
  const double behind = 0.02904570191506164;
  EXPECT_NEAR(stoneValueAt(2.375f, 4.0f), behind, 1e-12);
  EXPECT_NEAR(stoneValueAt(1.875f, 4.0f), behind * (1.0 - 0.5 * 0.2531645539058667), 1e-12);
  // Zero: beyond the hog line, at or behind 2.905, outside the band, behind and out of the
  // house although inside the band.
  EXPECT_EQ(stoneValueAt(2.375f, 11.3f), 0.0);
  EXPECT_EQ(stoneValueAt(2.375f, 2.9f), 0.0);
  EXPECT_EQ(stoneValueAt(2.375f + 2.0f, 5.0f), 0.0);
  EXPECT_EQ(stoneValueAt(2.375f + 1.5f, 3.5f), 0.0);
  EXPECT_GT(stoneValueAt(2.375f + 1.9f, 5.0f), 0.5);
}

TEST(StandardEvaluation, EndScoreCountsOnlyAnUnbrokenRun) {
  EXPECT_EQ(endScoreOf({0, 0, 1, 0}, {true, true, true, true}, 0), 2.0);
  EXPECT_EQ(endScoreOf({0, 0, 1, 0}, {true, true, true, true}, 1), -2.0);
  EXPECT_EQ(endScoreOf({1, 1, 1, 0}, {true, true, false, true}, 1), 2.0);
  EXPECT_EQ(endScoreOf({1, 1, 1}, {true, true, true}, 0), -3.0);
  EXPECT_EQ(endScoreOf({1, 1}, {false, true}, 1), 0.0);
  EXPECT_EQ(endScoreOf({}, {}, 0), 0.0);
}

TEST(StandardEvaluation, StealRiskTakesOutFirstPlayerStonesNearestFirst) {
  // Ranked p0, p1, p0, p1, all in the house. Taking out the first p0 leaves p1 scoring 1;
  // the second leaves 2; there is no third, so 2 again: (-1 - 2 x 0.5 - 2 x 0.25) / 1.75.
  const GameState position =
      makePosition(4, {{0, 2.375f, 5.0f}, {1, 2.375f, 5.1f}, {2, 2.375f, 5.2f}, {3, 2.375f, 5.3f}});
  EvalBoard board;
  fillEvalBoard(position, board);
  EXPECT_NEAR(stealRisk(board), -2.5 / 1.75, EPS);
  // Side 1 (parity 0): stones 2 - 2, score -1 for team 1 softened to -1, steal as a bonus.
  EXPECT_NEAR(evaluateStandard(position, 1), -1.0 + 2.5 / 1.75, EPS);
  // Side 0 with parity 1: the steal risk is a penalty and the score is team 0's.
  GameState odd = position;
  odd.shotNum = 5;
  EXPECT_NEAR(evaluateStandard(odd, 0), 1.0 - 2.5 / 1.75, EPS);
  // The first player holding nothing in the house: no steal risk.
  const GameState safe = makePosition(2, {{0, 2.375f, 5.0f}, {1, 2.375f, 8.0f}});
  fillEvalBoard(safe, board);
  EXPECT_EQ(stealRisk(board), 0.0);
}

}  // namespace
}  // namespace varrowmere
