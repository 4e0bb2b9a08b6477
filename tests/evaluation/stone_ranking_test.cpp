#include "evaluation/stone_ranking.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "evaluation/position_builder.h"

namespace varrowmere {
namespace {

using testing::makePosition;

std::vector<int> order(const StoneRanking& ranking) {
  return std::vector<int>(ranking.rankedStones, ranking.rankedStones + ranking.count);
}

TEST(StoneRanking, NearestFirstOverStonesInPlayBelowShotNum) {
  // Stone 3 is out of play, stone 5 lies beyond shotNum.
  const GameState position = makePosition(5, {{0, 2.375f, 6.0f},
                                              {1, 2.375f, 5.0f},
                                              {2, 3.0f, 4.88f},
                                              {4, 2.0f, 4.5f},
                                              {5, 2.375f, 4.88f}});
  const StoneRanking ranking = rankStones(position);
  EXPECT_EQ(order(ranking), (std::vector<int>{1, 4, 2, 0}));
  // Distances: computed in double from the floats, then rounded to single precision.
  const double dy = static_cast<double>(4.5f) - static_cast<double>(4.88f);
  const double d = std::sqrt(dy * dy + 0.375 * 0.375);
  EXPECT_EQ(ranking.rankedDist[1], static_cast<double>(static_cast<float>(d)));
  EXPECT_NE(ranking.rankedDist[1], d);
  EXPECT_NEAR(ranking.rankedDist[3], 1.12, 1e-6);
  // In the house: nearer than 1.975 (stone 0 at 1.12 is, a stone at 1.98 is not).
  EXPECT_TRUE(ranking.rankedInHouse[3]);
  const StoneRanking far = rankStones(makePosition(1, {{0, 2.375f, 4.88f + 1.98f}}));
  ASSERT_EQ(far.count, 1);
  EXPECT_FALSE(far.rankedInHouse[0]);
  const StoneRanking near = rankStones(makePosition(1, {{0, 2.375f, 4.88f + 1.97f}}));
  EXPECT_TRUE(near.rankedInHouse[0]);
}

TEST(StoneRanking, EqualDistancesFollowTheSelectionSort) {
  // Two stones alone at mirrored places: the lower index first.
  EXPECT_EQ(order(rankStones(makePosition(2, {{0, 2.875f, 5.0f}, {1, 1.875f, 5.0f}}))),
            (std::vector<int>{0, 1}));
  EXPECT_EQ(order(rankStones(makePosition(4, {{2, 1.875f, 5.0f}, {3, 2.875f, 5.0f}}))),
            (std::vector<int>{2, 3}));
  // Not stable: swapping the nearest stone 2 to the front moves stone 0 behind stone 1,
  // although both lie at the same distance.
  EXPECT_EQ(
      order(rankStones(makePosition(3, {{0, 2.875f, 5.0f}, {1, 1.875f, 5.0f}, {2, 2.375f, 5.0f}}))),
      (std::vector<int>{2, 1, 0}));
}

TEST(StoneRanking, EmptyAndOutOfRangeShotNumbers) {
  EXPECT_EQ(rankStones(makePosition(0, {{0, 2.375f, 5.0f}})).count, 0);
  EXPECT_EQ(rankStones(makePosition(-3, {{0, 2.375f, 5.0f}})).count, 0);
  GameState full = makePosition(99, {});
  for (int i = 0; i < STONE_COUNT; ++i) {
    full.stonePos[i][0] = 2.375f;
    full.stonePos[i][1] = 5.0f + 0.3f * i;
  }
  EXPECT_EQ(rankStones(full).count, STONE_COUNT);
}

TEST(StoneRanking, NumberRankCountsTheOtherPlayersNearerStones) {
  // Ranked 1 (p1), 0 (p0), 3 (p1), 2 (p0), 4 (p0).
  const GameState position = makePosition(5, {{1, 2.375f, 5.0f},
                                              {0, 2.375f, 5.2f},
                                              {3, 2.375f, 5.4f},
                                              {2, 2.375f, 5.6f},
                                              {4, 2.375f, 5.8f}});
  int32_t numberRank[STONE_COUNT] = {};
  numberRank[7] = -7;
  fillNumberRank(rankStones(position), numberRank);
  EXPECT_EQ(numberRank[1], 1);
  EXPECT_EQ(numberRank[0], 2);
  EXPECT_EQ(numberRank[3], 2);
  EXPECT_EQ(numberRank[2], 3);
  EXPECT_EQ(numberRank[4], 3);
  EXPECT_EQ(numberRank[7], -7);
  // Without the other player's stones every stone ranks 1.
  int32_t alone[STONE_COUNT] = {};
  fillNumberRank(rankStones(makePosition(5, {{0, 2.375f, 5.0f}, {2, 2.0f, 5.0f}, {4, 2.4f, 6.0f}})),
                 alone);
  EXPECT_EQ(alone[0] + alone[2] + alone[4], 3);
}

TEST(StoneRanking, HouseTestIsMadeInSinglePrecision) {
  // The float sum of squares must stay below 3.9: 1.9748 m out is inside, 1.9749 m is not.
  EXPECT_TRUE(inHouseSingle(2.375f, 4.88f - 1.9748f));
  EXPECT_FALSE(inHouseSingle(2.375f, 4.88f - 1.9749f));
  EXPECT_TRUE(inHouseSingle(2.375f + 1.2f, 4.88f + 1.5f));
  EXPECT_FALSE(inHouseSingle(2.375f + 1.4f, 4.88f + 1.4f));
}

}  // namespace
}  // namespace varrowmere
