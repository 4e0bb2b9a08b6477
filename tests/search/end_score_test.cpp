#include "search/end_score.h"

#include <gtest/gtest.h>

#include <cmath>

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

// Float distance from the tee, computed the way the end score does.
float teeDistance(float x, float y) {
  const float dx = x - static_cast<float>(TEE_X);
  const float dy = y - static_cast<float>(TEE_Y);
  return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

// Moves a float `steps` representable values up (or down when negative).
float floatSteps(float v, int steps) {
  for (; steps > 0; --steps) v = std::nextafter(v, 1e9f);
  for (; steps < 0; ++steps) v = std::nextafter(v, -1e9f);
  return v;
}

// A float position in front of the tee whose float distance from it is exactly `distance`.
bool pointAtDistance(float distance, float& x, float& y) {
  for (int i = 0; i < 4000; ++i) {
    const double angle = i * 1e-3;
    const auto x0 = static_cast<float>(TEE_X + distance * std::sin(angle));
    const auto y0 = static_cast<float>(TEE_Y + distance * std::cos(angle));
    for (int sx = -3; sx <= 3; ++sx)
      for (int sy = -3; sy <= 3; ++sy) {
        x = floatSteps(x0, sx);
        y = floatSteps(y0, sy);
        if (teeDistance(x, y) == distance) return true;
      }
  }
  return false;
}

TEST(EndScoreOfPosition, EdgeOfTheHouseCountsOnlyForTheNearestStone) {
  float x = 0.0f, y = 0.0f;
  ASSERT_TRUE(pointAtDistance(SCORING_DISTANCE, x, y));

  GameState gs = withStones(2, {{1, {x, y}}});
  EXPECT_EQ(endScoreOfPosition(gs, 1), 1.0);
  EXPECT_EQ(endScoreOfPosition(gs, 0), -1.0);

  // A second stone of the same side at the same distance is not counted (strictly inside).
  gs = withStones(4, {{1, {x, y}}, {3, {x, y}}});
  EXPECT_EQ(endScoreOfPosition(gs, 1), 1.0);
  // Just outside: nobody scores.
  float outsideY = y;
  while (!(teeDistance(x, outsideY) > SCORING_DISTANCE)) outsideY = floatSteps(outsideY, 1);
  gs = withStones(2, {{1, {x, outsideY}}});
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
