// The step-by-step reference simulation, and the event-driven one measured against it.

#include "physics/reference_sim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/shot_maker.h"
#include "sim_support.h"

namespace varrowmere {
namespace {

using test::positionWith;

GameState reference(const GameState& in, const ShotVector& shot) {
  GameState out;
  simulateReference(in, shot, out);
  applyFreeGuardZone(in, out);
  return out;
}

ShotVector hit(float x, float y, float power, bool spin) {
  ShotVector shot;
  EXPECT_TRUE(CreateHitShot({x, y, spin}, power, &shot));
  return shot;
}

bool sameStone(const GameState& a, const GameState& b, int i) {
  return a.stonePos[i][0] == b.stonePos[i][0] && a.stonePos[i][1] == b.stonePos[i][1];
}

// Integrated from the release, a draw of either spin stops where the tables say, within a
// millimetre; the state's other fields are copied, the stones not touched stay as they were.
TEST(ReferenceSimulation, DrawStopsWhereTheTablesSay) {
  GameState in = positionWith(6, {{2, 2.375f, 3.0f}});
  in.curEnd = 3;
  for (const bool spin : {false, true}) {
    const ShotVector shot{spin ? 0.8f : -0.8f, -29.4f, spin};
    const TrajectoryPoint stop = test::stepsAhead(test::delivered(shot), STEPS_NEVER);
    const GameState out = reference(in, shot);
    EXPECT_LT(std::hypot(out.stonePos[6][0] - stop.x, out.stonePos[6][1] - stop.y), 1e-3) << spin;
    EXPECT_EQ(out.shotNum, 7);
    EXPECT_EQ(out.whiteToMove, !in.whiteToMove);
    EXPECT_EQ(out.curEnd, 3);
    EXPECT_TRUE(sameStone(out, in, 2));
  }
}

// Raise, hit and roll, double takeout, a stone driven off the side: both simulations leave the
// same stones in play, each within 1 cm of the other's.
TEST(ReferenceSimulation, EventDrivenSimulationAgrees) {
  const struct {
    GameState in;
    ShotVector shot;
    uint32_t outOfPlay;
  } cases[] = {
      {positionWith(5, {{0, 2.375f, 7.5f}}), hit(2.375f, 7.79f, 8.0f, false), 0},
      {positionWith(5, {{0, 2.375f, 4.88f}, {1, 1.4f, 6.5f}}), hit(2.475f, 5.16f, 9.0f, true), 0b1},
      {positionWith(5, {{0, 2.375f, 5.5f}, {2, 2.5f, 4.5f}, {3, 1.2f, 8.0f}}),
       hit(2.25f, 5.8f, 14.0f, false), 0b101},
      {positionWith(5, {{1, 0.3f, 6.0f}}), hit(0.45f, 6.2f, 10.0f, true), 0b10}};
  SimWorld world;
  for (const auto& c : cases) {
    const GameState fast = test::play(world, c.in, test::delivered(c.shot));
    const GameState slow = reference(c.in, c.shot);
    for (int i = 0; i <= 5; ++i) {
      EXPECT_EQ(stoneInPlay(slow, i),
                i == 5 || (stoneInPlay(c.in, i) && (c.outOfPlay >> i & 1) == 0))
          << i;
      EXPECT_EQ(stoneInPlay(fast, i), stoneInPlay(slow, i)) << i;
      EXPECT_LT(std::hypot(fast.stonePos[i][0] - slow.stonePos[i][0],
                           fast.stonePos[i][1] - slow.stonePos[i][1]),
                0.01)
          << i;
    }
  }
}

// A path for every stone that moved, shooter first: where it started (a struck stone where
// it lay, the step before the contact, which the shooter's path samples too), samples at most
// PATH_SAMPLE_STEPS apart, and where it stopped or left the moving area. Recording changes
// nothing.
TEST(ReferenceSimulation, RecordsThePathOfEveryStoneThatMoves) {
  const GameState in = positionWith(5, {{0, 2.375f, 5.5f}, {2, 2.5f, 4.5f}, {3, 1.2f, 8.0f}});
  const ShotVector shot = hit(2.25f, 5.8f, 14.0f, false);
  GameState out;
  ShotPaths paths;
  simulateReference(in, shot, out, paths);
  const GameState plain = reference(in, shot);
  for (int i = 0; i < STONE_COUNT; ++i) EXPECT_TRUE(sameStone(out, plain, i)) << i;
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(paths[0].stone, 5);
  EXPECT_EQ(paths[0].points.front().step, 0);
  EXPECT_EQ(paths[0].points.front().y, float(DELIVERY_Y));
  EXPECT_EQ(paths[0].points.back().y, out.stonePos[5][1]);
  for (const StonePath& path : paths) {
    for (std::size_t i = 1; i < path.points.size(); ++i) {
      EXPECT_GT(path.points[i].step, path.points[i - 1].step);
      EXPECT_LE(path.points[i].step - path.points[i - 1].step, PATH_SAMPLE_STEPS);
    }
    if (path.stone == 5) continue;
    EXPECT_EQ(path.points.front().x, in.stonePos[path.stone][0]);
    EXPECT_EQ(path.points.front().y, in.stonePos[path.stone][1]);
    const int32_t contact = path.points.at(1).step;
    EXPECT_TRUE(std::any_of(paths[0].points.begin(), paths[0].points.end(),
                            [contact](const PathPoint& p) { return p.step == contact; }));
    EXPECT_FALSE(inMovingArea(path.points.back().x, path.points.back().y));
  }
}

// Stones on top of each other, not at numbers or far away, wild shots, shot numbers beyond the
// end: every delivered stone ends in the final play area or out of play; a second run gives
// the same bytes.
TEST(ReferenceSimulation, IsDeterministicAndSurvivesWildInput) {
  const float nan = std::numeric_limits<float>::quiet_NaN(),
              big = std::numeric_limits<float>::max();
  GameState wild = positionWith(9, {{0, nan, 5.0f},
                                    {1, big, big},
                                    {2, 2.375f, 4.88f},
                                    {3, 2.375f, 4.88f},
                                    {4, 2.38f, 4.9f},
                                    {5, -big, 3.0f},
                                    {6, 2.375f, 12.0f},
                                    {7, 0.2f, nan}});
  const ShotVector shots[] = {{nan, -30.0f, false},
                              {0.0f, big, true},
                              {big, -big, false},
                              {0.0f, 0.0f, false},
                              hit(2.375f, 5.2f, 15.0f, true)};
  for (const ShotVector& s : shots) {
    GameState out, again;
    simulateReference(wild, s, out);
    simulateReference(wild, s, again);
    EXPECT_EQ(out.shotNum, 10);
    for (int i = 0; i < 10; ++i) {
      EXPECT_TRUE(sameStone(out, again, i));
      EXPECT_TRUE(!stoneInPlay(out, i) || inFinalPlayArea(out.stonePos[i][0], out.stonePos[i][1]))
          << i;
    }
  }
  for (const int32_t shotNum : {16, -3}) {
    wild.shotNum = shotNum;
    GameState out;
    simulateReference(wild, shots[4], out);
    EXPECT_EQ(out.shotNum, shotNum + 1);
  }
}

}  // namespace
}  // namespace varrowmere
