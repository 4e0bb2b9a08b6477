#include <gtest/gtest.h>

#include <cstring>

#include "match_rules.h"

using namespace varrowmere;
using namespace varrowmere::match;

namespace {

// A position after the last stone with the listed stones placed at (tee x, tee y + offset).
GameState withStonesAt(std::initializer_list<std::pair<int, double>> stones) {
  GameState position;
  position.shotNum = STONE_COUNT;
  for (const auto& [i, offset] : stones) {
    position.stonePos[i][0] = float(TEE_X);
    position.stonePos[i][1] = float(TEE_Y + offset);
  }
  return position;
}

}  // namespace

TEST(EndScore, CountsOnlyTheUnbrokenRunNearestTheTee) {
  // Side 0 (even stones) at 0.1 and 0.3, side 1 at 0.5, side 0 again at 0.7: two points.
  bool scoring[STONE_COUNT];
  EndScore score = endScore(withStonesAt({{0, 0.1}, {2, -0.3}, {1, 0.5}, {4, 0.7}}), scoring);
  EXPECT_EQ(score.side, 0);
  EXPECT_EQ(score.points, 2);
  EXPECT_TRUE(scoring[0]);
  EXPECT_TRUE(scoring[2]);
  EXPECT_FALSE(scoring[1]);
  EXPECT_FALSE(scoring[4]);

  // Side 1 nearest; side 0's stone second breaks the run at one.
  score = endScore(withStonesAt({{3, 0.05}, {0, 0.2}, {5, 0.4}, {7, 0.6}}));
  EXPECT_EQ(score.side, 1);
  EXPECT_EQ(score.points, 1);

  // No opponent stone in the house: every own stone in the house counts, not one outside.
  score = endScore(withStonesAt({{1, 0.0}, {3, 1.0}, {5, 1.9}, {7, 2.5}, {0, 3.0}}));
  EXPECT_EQ(score.side, 1);
  EXPECT_EQ(score.points, 3);
}

TEST(EndScore, HouseEdgeIsHouseRadiusPlusStoneRadius) {
  const double edge = HOUSE_RADIUS + double(STONE_RADIUS);
  EXPECT_EQ(endScore(withStonesAt({{0, edge - 0.002}})).points, 1);
  EXPECT_EQ(endScore(withStonesAt({{0, edge + 0.002}})).points, 0);
  EXPECT_EQ(endScore(withStonesAt({{0, -(edge - 0.002)}})).points, 1);
  // A stone out of play at (0, 0) never scores, though (0, 0) is far from the tee anyway.
  EXPECT_FALSE(inHouse(0.0f, 0.0f));
}

TEST(EndScore, EmptyHouseAndEqualNearestStonesAreBlank) {
  EndScore score = endScore(withStonesAt({}));
  EXPECT_EQ(score.side, -1);
  EXPECT_EQ(score.points, 0);
  score = endScore(withStonesAt({{0, 2.5}, {1, 3.0}}));
  EXPECT_EQ(score.points, 0);
  // Side 0 and side 1 measure the same to the tee (exact floats on either side of it).
  GameState tie = withStonesAt({{2, 0.9}});
  tie.stonePos[0][0] = float(TEE_X + 0.5);
  tie.stonePos[0][1] = 4.5f;
  tie.stonePos[1][0] = float(TEE_X - 0.5);
  tie.stonePos[1][1] = 4.5f;
  EXPECT_EQ(endScore(tie).points, 0);
  tie.stonePos[1][1] = 4.49f;
  EXPECT_EQ(endScore(tie).side, 0);
  EXPECT_EQ(endScore(tie).points, 1);
}

TEST(Hammer, GoesToTheSideThatDidNotScoreAndStaysAfterABlankEnd) {
  // Player 1 holds the hammer (throws side 1's stones).
  EXPECT_EQ(nextHammer(1, EndScore{1, 2}), 0);   // hammer side scores: the other gets it
  EXPECT_EQ(nextHammer(1, EndScore{0, 1}), 1);   // a steal: the hammer stays
  EXPECT_EQ(nextHammer(1, EndScore{-1, 0}), 1);  // blank end: kept
  EXPECT_EQ(nextHammer(0, EndScore{1, 3}), 1);
  EXPECT_EQ(nextHammer(0, EndScore{0, 1}), 0);
  EXPECT_EQ(nextHammer(0, EndScore{-1, 0}), 0);
}

namespace {

// Before shot `shot`: a guard of each side in the free guard zone (stones 0 and 1), a side-1
// stone in the house (stone 3 when shot > 3). After it: the stones listed are out of play and
// the delivered stone rests at the tee.
struct Guarded {
  GameState before;
  GameState after;
  Guarded(int shot, std::initializer_list<int> removed) {
    before.shotNum = shot;
    before.stonePos[0][0] = 2.0f;
    before.stonePos[0][1] = 8.0f;
    before.stonePos[1][0] = 2.8f;
    before.stonePos[1][1] = 9.0f;
    if (shot > 3) {
      before.stonePos[3][0] = float(TEE_X);
      before.stonePos[3][1] = float(TEE_Y);
    }
    after = before;
    after.shotNum = shot + 1;
    after.stonePos[shot][0] = float(TEE_X);
    after.stonePos[shot][1] = float(TEE_Y + 0.5);
    // The shot also moved its own side's guard a little.
    after.stonePos[shot % 2][0] += 0.1f;
    for (int i : removed) after.stonePos[i][0] = after.stonePos[i][1] = 0.0f;
  }
};

}  // namespace

TEST(FreeGuardZone, OpponentGuardRemovedOnShotsZeroToThreeRestoresThePosition) {
  ASSERT_TRUE(inFreeGuardZone(2.0f, 8.0f));
  ASSERT_TRUE(inFreeGuardZone(2.8f, 9.0f));
  for (int shot = 2; shot < FREE_GUARD_SHOTS; ++shot) {
    const int opponentGuard = 1 - shot % 2;
    Guarded g(shot, {opponentGuard});
    EXPECT_TRUE(applyFreeGuardRule(g.before, g.after)) << "shot " << shot;
    for (int i = 0; i < STONE_COUNT; ++i) {
      if (i == shot) continue;
      EXPECT_EQ(g.after.stonePos[i][0], g.before.stonePos[i][0])
          << "shot " << shot << " stone " << i;
      EXPECT_EQ(g.after.stonePos[i][1], g.before.stonePos[i][1])
          << "shot " << shot << " stone " << i;
    }
    EXPECT_FALSE(stoneInPlay(g.after, shot)) << "the delivered stone is removed";
    EXPECT_EQ(g.after.shotNum, shot + 1);
  }
  // Shot 1 removing the first stone, a guard.
  GameState before;
  before.shotNum = 1;
  before.stonePos[0][0] = float(TEE_X);
  before.stonePos[0][1] = 7.0f;
  GameState after = before;
  after.shotNum = 2;
  after.stonePos[0][0] = after.stonePos[0][1] = 0.0f;
  after.stonePos[1][0] = float(TEE_X);
  after.stonePos[1][1] = 7.2f;
  EXPECT_TRUE(applyFreeGuardRule(before, after));
  EXPECT_EQ(after.stonePos[0][1], 7.0f);
  EXPECT_FALSE(stoneInPlay(after, 1));
}

TEST(FreeGuardZone, NoViolationFromShotFourOwnGuardsMovedGuardsOrHouseStones) {
  // Shot 4 removes side 1's guard: it stays removed.
  Guarded fourth(4, {1});
  const GameState after = fourth.after;
  EXPECT_FALSE(applyFreeGuardRule(fourth.before, fourth.after));
  EXPECT_EQ(0, std::memcmp(after.stonePos, fourth.after.stonePos, sizeof(after.stonePos)));
  EXPECT_FALSE(stoneInPlay(fourth.after, 1));

  // Shot 2 (side 0) removes side 0's own guard: allowed.
  Guarded own(2, {0});
  EXPECT_FALSE(applyFreeGuardRule(own.before, own.after));
  EXPECT_FALSE(stoneInPlay(own.after, 0));
  EXPECT_TRUE(stoneInPlay(own.after, 2));

  // Shot 3 (side 1) moves side 0's guard out of the zone but not out of play: allowed.
  Guarded moved(3, {});
  moved.after.stonePos[0][1] = float(TEE_Y);
  EXPECT_FALSE(applyFreeGuardRule(moved.before, moved.after));

  // Shot 3 removes a side-0 stone that lies in the house, not in the zone: allowed.
  GameState before;
  before.shotNum = 3;
  before.stonePos[2][0] = float(TEE_X);
  before.stonePos[2][1] = float(TEE_Y + 0.3);
  GameState out = before;
  out.shotNum = 4;
  out.stonePos[2][0] = out.stonePos[2][1] = 0.0f;
  out.stonePos[3][0] = float(TEE_X);
  out.stonePos[3][1] = float(TEE_Y);
  EXPECT_FALSE(applyFreeGuardRule(before, out));
  EXPECT_TRUE(stoneInPlay(out, 3));
}
