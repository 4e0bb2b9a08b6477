#include "evaluation/evaluation_cig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "evaluation/guard_fixture.h"
#include "evaluation/position_builder.h"

namespace varrowmere {
namespace {

using testing::guardFileText;
using testing::GuardFixtureDir;
using testing::makePosition;

constexpr double EPS = 1e-12;

// Guard families of uniform content, so that every cell a lookup reaches gives the same
// values: FrontGuard (61 x 120 cells) has 1 in entries 0..3 for spin 0 and 1 everywhere for
// spin 1; BackBlock (51 x 51) has 1 in entries 0..11 for spin 0 and 2 everywhere for spin 1.
struct UniformGuards {
  static std::string file(int side, int dist, int ones, const char* value) {
    return guardFileText(side, dist, 23, [ones, value](int, int, int j) {
      return j < ones ? std::string(value) : std::string("0");
    });
  }
  GuardFixtureDir dir;
  std::string f0 = dir.write("f0.txt", file(61, 120, 4, "1"));
  std::string f1 = dir.write("f1.txt", file(61, 120, 23, "1"));
  std::string b0 = dir.write("b0.txt", file(51, 51, 12, "1"));
  std::string b1 = dir.write("b1.txt", file(51, 51, 23, "2"));
  std::string z = dir.write("z.txt", file(3, 3, 0, "0"));
  GuardTable front{GuardSide::InFront, 60, 329, 23, f0.c_str(), f1.c_str()};
  GuardTable back{GuardSide::Behind, 51, 51, 23, b0.c_str(), b1.c_str()};
  GuardTable zeroFront{GuardSide::InFront, 60, 329, 23, z.c_str(), z.c_str()};
  GuardTable zeroBack{GuardSide::Behind, 51, 51, 23, z.c_str(), z.c_str()};
};

TEST(EvaluationCig, ParametersAndPositionValueBands) {
  const Evaluation_CIG cig;
  EXPECT_EQ(cig.weightPosition, 0.4);
  EXPECT_EQ(cig.weightRank, 0.6);
  EXPECT_EQ(cig.weightFrontGuard, 0.2);
  EXPECT_EQ(cig.weightBackBlock, 0.5);
  EXPECT_EQ(cig.weightAvoid, 1.0);
  EXPECT_EQ(cig.expBehindTee, 4.0);
  EXPECT_EQ(cig.lateralScale, 1.0);
  EXPECT_EQ(cig.frontFlatDepth, 0.28999999165534973);
  EXPECT_EQ(cig.expRank, 3.0);
  EXPECT_EQ(cig.opponentAvoidUp, 5.0);

  // Flat just in front of the tee line, a parabola across: (H^2 - 1) / H^2 one metre out.
  EXPECT_EQ(cig.positionValue(2.375f, 5.0f), 1.0);
  EXPECT_NEAR(cig.positionValue(3.375f, 5.0f), 1.0 - 1.0 / 3.9006250941753393, EPS);
  // Beyond the flat 0.29: exp(0.29 - ay); behind the tee: ((H - ay) / H)^4.
  EXPECT_NEAR(cig.positionValue(2.375f, 7.0f), 0.1604135847944545, EPS);
  EXPECT_NEAR(cig.positionValue(2.375f, 4.3f), 0.24890208482748835, EPS);
  // Zero on the tee line, beyond the hog line, out to the side, behind the house.
  EXPECT_EQ(cig.positionValue(2.375f, 4.88f), 0.0);
  EXPECT_EQ(cig.positionValue(2.375f, 11.3f), 0.0);
  EXPECT_EQ(cig.positionValue(2.375f + 1.98f, 5.0f), 0.0);
  EXPECT_EQ(cig.positionValue(2.375f, 2.9f), 0.0);
  EXPECT_EQ(cig.positionValue(2.375f + 1.5f, 3.5f), 0.0);
  EXPECT_GT(cig.positionValue(2.375f, 11.2f), 0.0);
}

TEST(EvaluationCig, RankTermIsCubedForSideOne) {
  // Stone 1 is ranked behind stone 0 of the other player: numberRank 2.
  const GameState position = makePosition(2, {{0, 2.375f, 5.0f}, {1, 2.375f, 5.3f}});
  const Evaluation_CIG cig;
  CigBoard board;
  fillCigBoard(position, 1, board);
  EXPECT_EQ(board.numberRank[1], 2);
  EXPECT_EQ(cig.rankTerm(board, 1), 0.125);
  EXPECT_EQ(cig.rankTerm(board, 0), 1.0);
  fillCigBoard(position, 0, board);
  EXPECT_EQ(cig.rankTerm(board, 1), 0.5);
  // Outside the house test there is no rank term.
  fillCigBoard(makePosition(2, {{0, 2.375f, 5.0f}, {1, 2.375f, 7.0f}}), 0, board);
  EXPECT_EQ(cig.rankTerm(board, 1), 0.0);
}

TEST(EvaluationCig, AvoidFactor) {
  const Evaluation_CIG cig;
  // Stone 2 is 1.0 m straight in front of stone 0 and counts first in the house for the
  // player who threw last (shotNum 3: player 0): own factor 0.1 x 5, lowered by
  // f = 0.2 + 0.8 (1 - 0.29)(2 (1.74 - 0.29) - (1 - 0.29)) / (1.74 - 0.29)^2.
  const double f = 0.7916385253333162;
  const GameState position =
      makePosition(3, {{0, 2.375f, 5.0f}, {1, 3.5f, 5.0f}, {2, 2.375f, 6.0f}});
  CigBoard board;
  fillCigBoard(position, 0, board);
  EXPECT_NEAR(cig.avoidFactor(board, 0), 0.5 * f, EPS);
  EXPECT_NEAR(cig.avoidFactor(board, 1), 3.0, EPS);
  fillCigBoard(position, 1, board);
  EXPECT_NEAR(cig.avoidFactor(board, 0), 0.5 * 5.0 * f, EPS);
  EXPECT_NEAR(cig.avoidFactor(board, 1), 0.1, EPS);
  // Beside it at the same distance is beyond the reach (0.87 across).
  fillCigBoard(makePosition(3, {{0, 2.375f, 5.0f}, {2, 3.375f, 5.0f}}), 1, board);
  EXPECT_NEAR(cig.avoidFactor(board, 0), 0.5 * 5.0, EPS);
  // Same player's stones out of play count too, from (0, 0).
  fillCigBoard(makePosition(3, {{2, 0.3f, 0.3f}}), 1, board);
  EXPECT_LT(cig.avoidFactor(board, 2), 0.5);
}

TEST(EvaluationCig, GuardValueFromTheTables) {
  UniformGuards guards;
  const Evaluation_CIG cig(guards.front, guards.back);
  CigBoard board;
  // Stone 1 straight in front of stone 0: spin 0 sums 1 in 4 entries, spin 1 in all 23:
  // min(0.2 (4 / 11.5)^2, 0.2 (23 / 11.5)^2).
  fillCigBoard(makePosition(2, {{0, 2.375f, 5.0f}, {1, 2.375f, 7.0f}}), 1, board);
  EXPECT_NEAR(cig.guardValue(board, 0), 0.2 * (4 / 11.5) * (4 / 11.5), EPS);
  // Outside the house test the guard value is 0.
  EXPECT_EQ(cig.guardValue(board, 1), 0.0);
  // Two guards: entries sum to 2 and count with their root.
  fillCigBoard(makePosition(4, {{0, 2.375f, 5.0f}, {1, 2.375f, 7.0f}, {3, 2.0f, 7.5f}}), 1, board);
  EXPECT_NEAR(cig.guardValue(board, 0), 0.2 * std::pow(4 * std::sqrt(2.0) / 11.5, 2), EPS);
  // A stone of the other player behind adds the BackBlock part (not squared), one of the
  // same player does not: min(A0 + 0.5 x 12 / 11.5, A1 + 0.5 x 23 sqrt(2) / 11.5).
  fillCigBoard(makePosition(3, {{0, 2.375f, 5.0f}, {1, 2.375f, 4.3f}, {2, 2.375f, 4.0f}}), 0,
               board);
  EXPECT_NEAR(cig.guardValue(board, 0), 0.5 * 12 / 11.5, EPS);
  fillCigBoard(makePosition(3, {{0, 2.375f, 5.0f}, {2, 2.375f, 4.0f}}), 0, board);
  EXPECT_EQ(cig.guardValue(board, 0), 0.0);
}

TEST(EvaluationCig, HandWorkedPositions) {
  UniformGuards guards;
  const Evaluation_CIG cig(guards.front, guards.back);

  // Side 1 (shotNum 2). Stone 0 (other player) at (2.375, 4.3), 0.58 behind the tee:
  //   P = ((1.975 - 0.58) / 1.975)^4 = 0.24890208482748835, R = 1^3 (nothing nearer),
  //   G = 0.2 (4 / 11.5)^2 = 0.024196597353497162 (stone 1 in front), A = 5 x 0.1 = 0.5,
  //   term = (0.4 P + 0.6) (G + 0.5) = 0.3667074087884027.
  // Stone 1 (own) at (2.475, 7.0), outside the house: ax = 0.0999999,
  //   P = (1 - ax^2 / H^2) exp(0.29 - 2.12) = 0.1600023346102994, R = G = 0, A = 0.1,
  //   term = 0.4 P x 0.1 = 0.006400093384411976.
  const GameState a = makePosition(2, {{0, 2.375f, 4.3f}, {1, 2.475f, 7.0f}});
  EXPECT_NEAR(cig.evaluate(a, 1), 0.006400093384411976 - 0.3667074087884027, EPS);

  // Side 0 (shotNum 3). Stone 0 (own) at (2.375, 5.0): P = 1, R = 1,
  //   G = min(0.2 (4 / 11.5)^2 + 0.5 x 12 / 11.5, 0.8 + 0.5 x 23 sqrt 2 / 11.5)
  //     = 0.5459357277882797 (stone 2 in front, stone 1 of the other player behind),
  //   A = 0.1 (stone 2 is 2 m away), term = 1 x (G + 0.1) = 0.6459357277882797.
  // Stone 1 (other) at (2.375, 4.3): P = 0.24890208482748835, R = 1/2 (stone 0 nearer),
  //   G = 0.2 (4 sqrt 2 / 11.5)^2 = 0.04839319470699434 (stones 0 and 2 in front),
  //   A = 3.0, term = (0.4 P + 0.3) (G + 3) = 1.2180185270266977.
  // Stone 2 (own) at (2.375, 7.0): P = exp(0.29 - 2.12) = 0.1604135847944545, R = G = 0,
  //   A = 0.1 x 5 (player 0 threw last and stone 0 counts first), term = 0.4 P x 0.5.
  const GameState b = makePosition(3, {{0, 2.375f, 5.0f}, {1, 2.375f, 4.3f}, {2, 2.375f, 7.0f}});
  EXPECT_NEAR(cig.evaluate(b, 0), 0.6459357277882797 + 0.0320827169588909 - 1.2180185270266977,
              EPS);
  EXPECT_NEAR(cig.evaluate(b, 0), -0.5400000822795271, EPS);
}

TEST(EvaluationCig, ZeroTablesLeaveOnlyTheAvoidPart) {
  UniformGuards guards;
  const Evaluation_CIG cig(guards.zeroFront, guards.zeroBack);
  // Stone 0 alone on the button for side 0 (shotNum 1: player 0 threw last, nothing else
  // counts first): (0.4 x 1 + 0.6 x 1) x (0 + 0.1).
  EXPECT_NEAR(cig.evaluate(makePosition(1, {{0, 2.375f, 5.0f}}), 0), 0.1, EPS);
  EXPECT_NEAR(cig.evaluate(makePosition(2, {{0, 2.375f, 5.0f}, {1, 2.375f, 7.0f}}), 1),
              0.4 * 0.1604135847944545 * 0.1 - 1.0 * 0.5, EPS);
}

TEST(EvaluationCig, NoValuesPerCellMeansNoGuardValue) {
  UniformGuards guards;
  GuardTable none(GuardSide::InFront, 60, 329, 0, guards.f0.c_str(), guards.f1.c_str());
  const Evaluation_CIG cig(none, none);
  ::testing::internal::CaptureStderr();
  const double value = cig.evaluate(makePosition(2, {{0, 2.375f, 5.0f}, {1, 2.375f, 5.5f}}), 1);
  ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(std::isfinite(value));
  CigBoard board;
  fillCigBoard(makePosition(2, {{0, 2.375f, 5.0f}, {1, 2.375f, 5.5f}}), 1, board);
  EXPECT_EQ(cig.guardValue(board, 0), 0.0);
}

}  // namespace
}  // namespace varrowmere
