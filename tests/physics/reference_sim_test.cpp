#include "physics/reference_sim.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "physics/simulate.h"
#include "sim_support.h"

namespace varrowmere {
namespace {

using test::aimDraw;
using test::aimThrough;
using test::PlacedStone;
using test::positionWith;

// Agreement of the two simulations: the same stones in play, each within 1 cm.
constexpr double AGREEMENT_TOLERANCE = 0.01;

class ReferenceSimulation : public ::testing::Test {
 protected:
  void SetUp() override { test::ensureMotionTables(); }

  GameState fast(const GameState& in, const ShotVector& shot) {
    StoneLocus stones[STONE_COUNT];
    int32_t count = 0;
    loadStones(in, stones, count);
    StoneLocus delivered;
    vec_to_locus_deliver(shot, delivered);
    GameState out = in;
    simulateShot(world, delivered, stones, count, in, out);
    return out;
  }

  static GameState reference(const GameState& in, const ShotVector& shot) {
    GameState out;
    simulateReference(in, shot, out);
    applyFreeGuardZone(in, out);
    return out;
  }

  // Plays the shot both ways and checks that they agree; returns the reference result.
  GameState crossCheck(const GameState& in, const ShotVector& shot) {
    const GameState a = fast(in, shot);
    const GameState b = reference(in, shot);
    EXPECT_EQ(a.shotNum, b.shotNum);
    for (int i = 0; i <= in.shotNum; ++i) {
      EXPECT_EQ(stoneInPlay(a, i), stoneInPlay(b, i)) << "stone " << i;
      EXPECT_LT(
          std::hypot(a.stonePos[i][0] - b.stonePos[i][0], a.stonePos[i][1] - b.stonePos[i][1]),
          AGREEMENT_TOLERANCE)
          << "stone " << i << ": fast (" << a.stonePos[i][0] << ", " << a.stonePos[i][1]
          << "), reference (" << b.stonePos[i][0] << ", " << b.stonePos[i][1] << ")";
    }
    return b;
  }

  SimWorld world;
};

double distanceTo(const GameState& s, int i, double x, double y) {
  return std::hypot(s.stonePos[i][0] - x, s.stonePos[i][1] - y);
}

void expectUnchanged(const GameState& out, const GameState& in, int i) {
  EXPECT_EQ(out.stonePos[i][0], in.stonePos[i][0]) << "stone " << i;
  EXPECT_EQ(out.stonePos[i][1], in.stonePos[i][1]) << "stone " << i;
}

TEST_F(ReferenceSimulation, DrawStopsWhereTheTablesSay) {
  GameState in = positionWith(6, (PlacedStone[]){{2, 2.375f, 3.0f}});
  in.curEnd = 3;
  in.score[2] = -1;
  for (const bool spin : {false, true}) {
    const GameState out = reference(in, aimDraw(1.9, 5.3, spin));
    // Integrated from the release, the stone ends within a millimetre of the tables' stop.
    EXPECT_LT(distanceTo(out, 6, 1.9, 5.3), 1e-3) << "spin " << spin;
    EXPECT_EQ(out.shotNum, 7);
    EXPECT_EQ(out.whiteToMove, !in.whiteToMove);
    EXPECT_EQ(out.curEnd, 3);
    EXPECT_EQ(out.score[2], -1);
    // A stone at rest outside the moving area but inside the final play area stays.
    expectUnchanged(out, in, 2);
  }
}

TEST_F(ReferenceSimulation, AgreesOnAStraightRaise) {
  const GameState in = positionWith(5, (PlacedStone[]){{0, 2.375f, 7.5f}});
  const GameState out = crossCheck(in, aimThrough(2.375, 7.79, 8.0, false));
  // The guard is raised to the tee; the shooter stays near the guard's place.
  EXPECT_LT(distanceTo(out, 0, TEE_X, TEE_Y), 0.1);
  EXPECT_LT(distanceTo(out, 5, 2.375, 7.78), 0.05);
}

TEST_F(ReferenceSimulation, AgreesOnAHitAndRoll) {
  const GameState in = positionWith(5, (PlacedStone[]){{0, 2.375f, 4.88f}, {1, 1.4f, 6.5f}});
  const GameState out = crossCheck(in, aimThrough(2.475, 5.16, 9.0, true));
  EXPECT_FALSE(stoneInPlay(out, 0));
  expectUnchanged(out, in, 1);
  // The shooter rolls off to the right, staying in the house.
  EXPECT_GT(out.stonePos[5][0], 2.6f);
  EXPECT_LT(distanceTo(out, 5, TEE_X, TEE_Y), 0.5);
}

TEST_F(ReferenceSimulation, AgreesOnADoubleTakeout) {
  const GameState in =
      positionWith(5, (PlacedStone[]){{0, 2.375f, 5.5f}, {2, 2.5f, 4.5f}, {3, 1.2f, 8.0f}});
  const GameState out = crossCheck(in, aimThrough(2.25, 5.8, 14.0, false));
  EXPECT_FALSE(stoneInPlay(out, 0));
  EXPECT_FALSE(stoneInPlay(out, 2));
  EXPECT_TRUE(stoneInPlay(out, 5));
  expectUnchanged(out, in, 3);
}

TEST_F(ReferenceSimulation, RecordsThePathOfEveryStoneThatMoves) {
  const GameState in =
      positionWith(5, (PlacedStone[]){{0, 2.375f, 5.5f}, {2, 2.5f, 4.5f}, {3, 1.2f, 8.0f}});
  const ShotVector shot = aimThrough(2.25, 5.8, 14.0, false);
  GameState out;
  ShotPaths paths;
  simulateReference(in, shot, out, paths);
  const GameState plain = reference(in, shot);
  // Recording changes nothing; the shooter moves first, then the two stones it hits.
  for (int i = 0; i < STONE_COUNT; ++i) expectUnchanged(out, plain, i);
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(paths[0].stone, 5);
  EXPECT_EQ(paths[0].points.front().step, 0);
  EXPECT_EQ(paths[0].points.front().y, float(DELIVERY_Y));
  EXPECT_EQ(paths[0].points.back().x, out.stonePos[5][0]);
  EXPECT_EQ(paths[0].points.back().y, out.stonePos[5][1]);
  for (const StonePath& path : paths) {
    for (std::size_t i = 1; i < path.points.size(); ++i) {
      EXPECT_GT(path.points[i].step, path.points[i - 1].step) << "stone " << path.stone;
      EXPECT_LE(path.points[i].step - path.points[i - 1].step, PATH_SAMPLE_STEPS);
    }
    if (path.stone == 5) continue;
    // A struck stone starts where it lay, the step before the contact, which the shooter's
    // path samples too; it leaves the moving area where its path ends.
    EXPECT_EQ(path.points.front().x, in.stonePos[path.stone][0]);
    EXPECT_EQ(path.points.front().y, in.stonePos[path.stone][1]);
    const int32_t contact = path.points.at(1).step;
    EXPECT_TRUE(std::any_of(paths[0].points.begin(), paths[0].points.end(),
                            [contact](const PathPoint& p) { return p.step == contact; }));
    EXPECT_FALSE(inMovingArea(path.points.back().x, path.points.back().y));
  }
}

TEST_F(ReferenceSimulation, StonesLeavingTheMovingAreaAreRemoved) {
  // A stone at the edge is driven off the side; the shooter stays in play.
  const GameState in = positionWith(5, (PlacedStone[]){{1, 0.3f, 6.0f}});
  const GameState out = crossCheck(in, aimThrough(0.45, 6.2, 10.0, true));
  EXPECT_FALSE(stoneInPlay(out, 1));
  EXPECT_TRUE(stoneInPlay(out, 5));
  // A shot that stops short of the hog line is gone too.
  EXPECT_FALSE(stoneInPlay(reference(in, aimDraw(2.375, 11.3, false)), 5));
}

TEST_F(ReferenceSimulation, IsDeterministicAndSurvivesWildInput) {
  const GameState in = positionWith(3, (PlacedStone[]){{0, 2.375f, 5.5f}, {2, 2.5f, 4.5f}});
  const ShotVector shot = aimThrough(2.25, 5.8, 14.0, false);
  const GameState first = reference(in, shot);
  const GameState second = reference(in, shot);
  for (int i = 0; i < STONE_COUNT; ++i) {
    EXPECT_EQ(first.stonePos[i][0], second.stonePos[i][0]);
    EXPECT_EQ(first.stonePos[i][1], second.stonePos[i][1]);
  }

  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float big = std::numeric_limits<float>::max();
  GameState wild = positionWith(9, (PlacedStone[]){{0, nan, 5.0f},
                                                   {1, big, big},
                                                   {2, 2.375f, 4.88f},
                                                   {3, 2.375f, 4.88f},
                                                   {4, 2.38f, 4.9f},
                                                   {5, -big, 3.0f},
                                                   {6, 2.375f, 12.0f},
                                                   {7, 0.2f, nan}});
  const ShotVector shots[] = {ShotVector{nan, -30.0f, false}, ShotVector{0.0f, big, true},
                              ShotVector{big, -big, false}, ShotVector{0.0f, 0.0f, false},
                              aimThrough(2.375, 5.2, 15.0, true)};
  for (const ShotVector& s : shots) {
    GameState out;
    simulateReference(wild, s, out);
    EXPECT_EQ(out.shotNum, 10);
    for (int i = 0; i < 10; ++i) {
      const float x = out.stonePos[i][0], y = out.stonePos[i][1];
      EXPECT_TRUE((x == 0.0f && y == 0.0f) || inFinalPlayArea(x, y)) << i;
    }
  }
  // Shot numbers out of range still advance and touch nothing out of bounds.
  wild.shotNum = 16;
  GameState out;
  simulateReference(wild, shots[4], out);
  EXPECT_EQ(out.shotNum, 17);
  wild.shotNum = -3;
  simulateReference(wild, shots[4], out);
  EXPECT_EQ(out.shotNum, -2);
}

}  // namespace
}  // namespace varrowmere
