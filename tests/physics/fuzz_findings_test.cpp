// Regression tests for faults the fuzz targets (tests/fuzz) found in the physics.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "physics/sim_world.h"
#include "physics/simulate.h"
#include "platform/shot_maker.h"
#include "sim_support.h"

namespace varrowmere {
namespace {

// A position of several stones in and around the house, none touching.
GameState crowdedHouse() {
  GameState gs;
  const float stones[][2] = {{2.30f, 5.10f}, {2.62f, 4.55f}, {2.05f, 7.90f}, {2.85f, 7.20f},
                             {1.85f, 4.95f}, {2.45f, 3.70f}, {2.90f, 5.80f}, {2.20f, 6.40f}};
  gs.shotNum = 8;
  for (int i = 0; i < 8; ++i) {
    gs.stonePos[i][0] = stones[i][0];
    gs.stonePos[i][1] = stones[i][1];
  }
  return gs;
}

// The bodies of a SimWorld serve one unrelated contact after another. Box2D keeps the contact
// of two bodies it saw touching, and used to start its solver from that contact's impulses
// (warm starting): a collision's velocities then differed in the last bits after other
// collisions had run in the world, and the anchoring on a reference trajectory can turn such
// a difference into centimetres. A shot must give the same position in any world.
TEST(FuzzFindings, ShotResultDoesNotDependOnTheShotsBeforeItInTheWorld) {
  test::ensureMotionTables();
  const GameState gs = crowdedHouse();
  StoneLocus stones[STONE_COUNT];
  int32_t count = 0;
  loadStones(gs, stones, count);

  SimWorld used;
  int32_t shots = 0, differing = 0;
  for (int i = 0; i < gs.shotNum; ++i) {
    for (int side = -4; side <= 4; ++side) {
      for (float power : {2.0f, 6.0f, 12.0f}) {
        const ShotTarget target{gs.stonePos[i][0] + 0.05f * static_cast<float>(side),
                                gs.stonePos[i][1], side % 2 != 0};
        ShotVector shot;
        if (!CreateHitShot(target, power, &shot)) continue;
        StoneLocus delivered;
        vec_to_locus_deliver(shot, delivered);
        GameState inUsed = gs, inFresh = gs;
        simulateShot(used, delivered, stones, count, gs, inUsed);
        SimWorld fresh;
        simulateShot(fresh, delivered, stones, count, gs, inFresh);
        ++shots;
        if (std::memcmp(inUsed.stonePos, inFresh.stonePos, sizeof(gs.stonePos)) != 0) ++differing;
      }
    }
  }
  ASSERT_GT(shots, 100);
  EXPECT_EQ(differing, 0) << "of " << shots << " shots";
}

// A shot number past the last int32 wrapped the count of stones to check against the final
// play area to a negative one, so a stone resting beyond the hog line stayed in the result.
TEST(FuzzFindings, ShotNumberAtTheInt32LimitStillClearsStonesOutsideThePlayArea) {
  test::ensureMotionTables();
  GameState in;
  in.shotNum = INT32_MAX;
  // Inside the moving area, outside the final play area, far from the shot's path.
  in.stonePos[0][0] = 0.3f;
  in.stonePos[0][1] = 20.0f;
  StoneLocus stones[STONE_COUNT];
  int32_t count = 0;
  loadStones(in, stones, count);
  ASSERT_EQ(count, 1);

  ShotVector shot;
  shot.vx = 0.0f;
  shot.vy = -30.0f;
  StoneLocus delivered;
  vec_to_locus_deliver(shot, delivered);
  SimWorld world;
  GameState out = in;
  simulateShot(world, delivered, stones, count, in, out);
  EXPECT_EQ(out.stonePos[0][0], 0.0f);
  EXPECT_EQ(out.stonePos[0][1], 0.0f);
}

}  // namespace
}  // namespace varrowmere
