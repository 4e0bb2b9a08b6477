#include "search/end_score.h"

#include <gtest/gtest.h>

namespace varrowmere {
namespace {

GameState withStones(int32_t shotNum, std::initializer_list<std::pair<int, std::pair<float, float>>> stones) {
  GameState gs;
  gs.shotNum = shotNum;
  for (const auto& [index, pos] : stones) {
    gs.stonePos[index][0] = pos.first;
    gs.stonePos[index][1] = pos.second;
  }
  return gs;
}

TEST(EndScoreOfPosition, CountsTheUnbrokenRunOfTheNearestSide) {
  const float tee = static_cast<float>(TEE_Y);
  // Stones 0 and 2 nearest, then stone 1, then stone 4 again: 2 for side 0.
  const GameState gs = withStones(5, {{0, {2.375f, tee + 0.1f}},
                                      {2, {2.375f, tee - 0.3f}},
                                      {1, {2.375f, tee + 0.6f}},
                                      {4, {2.375f, tee + 1.0f}}});
  EXPECT_EQ(endScoreOfPosition(gs, 0), 2.0);
  EXPECT_EQ(endScoreOfPosition(gs, 1), -2.0);
  EXPECT_EQ(endScoreOfPosition(GameState{}, 0), 0.0);
}

TEST(EndScoreOfPosition, EdgeOfTheHouseCountsOnlyForTheNearestStone) {
  // A stone on the centre line 1.975 (as a float) in front of the tee: its float distance is
  // exactly the scoring distance.
  const float edgeY = static_cast<float>(TEE_Y) + SCORING_DISTANCE;
  const float dy = edgeY - static_cast<float>(TEE_Y);
  ASSERT_EQ(dy, SCORING_DISTANCE);
  GameState gs = withStones(2, {{1, {2.375f, edgeY}}});
  EXPECT_EQ(endScoreOfPosition(gs, 1), 1.0);
  EXPECT_EQ(endScoreOfPosition(gs, 0), -1.0);

  // A second stone of the same side at the same distance is not counted (strictly inside).
  gs = withStones(4, {{1, {2.375f, edgeY}}, {3, {2.375f, edgeY}}});
  EXPECT_EQ(endScoreOfPosition(gs, 1), 1.0);
  // Just outside: nobody scores.
  gs = withStones(2, {{1, {2.375f, std::nextafter(edgeY, 100.0f)}}});
  EXPECT_EQ(endScoreOfPosition(gs, 1), 0.0);
}

TEST(EndScoreOfPosition, EqualDistancesTakeTheLowerStoneFirst) {
  const float tee = static_cast<float>(TEE_Y);
  // Stones 2 and 1 at the same distance: stone 1 ranks first, so side 1 counts one and the
  // run breaks at stone 2.
  const GameState gs = withStones(3, {{1, {2.375f - 0.5f, tee}}, {2, {2.375f + 0.5f, tee}}});
  EXPECT_EQ(endScoreOfPosition(gs, 1), 1.0);
}

}  // namespace
}  // namespace varrowmere
