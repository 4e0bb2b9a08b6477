// The stone ranking and the standard evaluation.

#include "evaluation/standard_evaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "evaluation/guard_fixture.h"

namespace varrowmere {
namespace {

using testing::makePosition;

testing::PlacedStone at(int stone, float y) { return {stone, 2.375f, y}; }

std::vector<int> order(const GameState& position) {
  const StoneRanking ranking = rankStones(position);
  return std::vector<int>(ranking.rankedStones, ranking.rankedStones + ranking.count);
}

TEST(StoneRanking, NearestFirstOverTheStonesInPlayBelowShotNum) {
  // Stone 3 is out of play, stone 5 not yet thrown. Distances in double from the float
  // positions, rounded to single precision; in the house below 1.975.
  const GameState position = makePosition(
      5,
      {{0, 2.375f, 6.0f}, {1, 2.375f, 5.0f}, {2, 3.0f, 4.88f}, {4, 2.0f, 4.5f}, {5, 2.4f, 4.9f}});
  EXPECT_EQ(order(position), (std::vector<int>{1, 4, 2, 0}));
  const double dy = double{4.5f} - double{4.88f};
  EXPECT_EQ(rankStones(position).rankedDist[1], float(std::sqrt(dy * dy + 0.375 * 0.375)));
  EXPECT_TRUE(rankStones(makePosition(1, {{0, 2.375f, 4.88f + 1.97f}})).rankedInHouse[0]);
  EXPECT_FALSE(rankStones(makePosition(1, {{0, 2.375f, 4.88f + 1.98f}})).rankedInHouse[0]);
  EXPECT_EQ(order(makePosition(99, {{15, 2.375f, 5.0f}})), std::vector<int>{15});
  // Equal distances: the selection sort swaps only on a smaller one, so mirrored stones keep
  // their order, and swapping the nearest stone 2 to the front moves stone 0 behind stone 1.
  EXPECT_EQ(order(makePosition(2, {{0, 2.875f, 5.0f}, {1, 1.875f, 5.0f}})), (std::vector{0, 1}));
  EXPECT_EQ(order(makePosition(3, {{0, 2.875f, 5.0f}, {1, 1.875f, 5.0f}, {2, 2.375f, 5.0f}})),
            (std::vector{2, 1, 0}));
  // The number rank counts the other player's nearer stones (ranked 1, 0, 3, 2, 4 here).
  int32_t rank[STONE_COUNT] = {0, 0, 0, 0, 0, 0, 0, -7};
  const auto ranked = {at(1, 5.0f), at(0, 5.2f), at(3, 5.4f), at(2, 5.6f), at(4, 5.8f)};
  fillNumberRank(rankStones(makePosition(5, ranked)), rank);
  EXPECT_EQ(std::vector<int>(rank, rank + 8), (std::vector<int>{2, 1, 3, 2, 3, 0, 0, -7}));
}

TEST(StandardEvaluation, StoneValueBands) {
  // In front of the tee line, flat up to 5.605 at 1 - ax / (2 x 1.975), then exp(-(ay - 0.725))
  // up to the hog line; behind it (1 - ay / 1.975)^6 down to 2.905; 0 elsewhere and on the tee
  // line itself. ax and ay are float differences from the tee (2.375, 4.88).
  const double tol = 1e-7, ay6 = double{6.0f - 4.88f}, ay4 = double{4.88f - 4.0f};
  EXPECT_EQ(standardStoneValue(2.375f, 5.0f), 1.0);
  EXPECT_NEAR(standardStoneValue(2.875f, 5.6f), 1.0 - 0.5 / 3.95, tol);
  EXPECT_NEAR(standardStoneValue(2.375f, 6.0f), std::exp(-(ay6 - 0.725)), tol);
  EXPECT_NEAR(standardStoneValue(1.875f, 4.0f), (1 - 0.5 / 3.95) * std::pow(1 - ay4 / 1.975, 6),
              tol);
  for (const auto& [x, y] :
       {std::pair{2.375f, 4.88f}, {2.375f, 11.3f}, {2.375f, 2.9f}, {4.375f, 5.0f}, {3.875f, 3.5f}})
    EXPECT_EQ(standardStoneValue(x, y), 0.0) << x << " " << y;
}

TEST(StandardEvaluation, StoneValuesScoreAndStealRiskForEitherSide) {
  // Stones in the flat band are worth 1. Odd shotNum (player 0 threw last): player 0's end
  // score, less the steal risk. Even: player 1's end score, a deficit softened to -sqrt, plus
  // the steal risk. The steal risk takes player 0's nearest stones out one by one (weights 1,
  // 1/2, 1/4) and averages player 1's score then: here (1 x 1 + 2 x 1/2 + 2 x 1/4) / 1.75.
  GameState split = makePosition(4, {at(0, 5.0f), at(1, 5.1f), at(2, 5.2f), at(3, 5.3f)});
  EXPECT_NEAR(evaluateStandard(split, 1), -1.0 + 2.5 / 1.75, 1e-12);
  split.shotNum = 5;
  EXPECT_NEAR(evaluateStandard(split, 0), 1.0 - 2.5 / 1.75, 1e-12);
  EXPECT_NEAR(evaluateStandard(makePosition(1, {at(0, 5.0f)}), 0), 0.02 + 1.0, 1e-12);
  EXPECT_NEAR(evaluateStandard(makePosition(2, {at(0, 5.0f)}), 1), -0.02 - 1.0, 1e-12);
  EXPECT_NEAR(evaluateStandard(makePosition(2, {at(1, 5.0f)}), 1), 0.02 + 1.0 + 1.0, 1e-12);
  const GameState four = makePosition(8, {at(0, 5.0f), at(2, 5.1f), at(4, 5.2f), at(6, 5.3f)});
  EXPECT_NEAR(evaluateStandard(four, 1), -0.08 - 2.0, 1e-12);
}

}  // namespace
}  // namespace varrowmere
