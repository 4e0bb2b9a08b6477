// Regression tests for faults the fuzz targets (tests/fuzz) found in the physics.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "platform/shot_maker.h"
#include "sim_support.h"

namespace varrowmere {
namespace {

bool sameStones(const GameState& a, const GameState& b) {
  return std::memcmp(a.stonePos, b.stonePos, sizeof(a.stonePos)) == 0;
}

// Box2D keeps the contact of two bodies it saw touching and used to start its solver from
// that contact's impulses (warm starting): after other collisions in the same world, a
// collision's velocities differed in the last bits, which re-anchoring can turn into
// centimetres. Hits on a crowded house give the same position in a used world as in a new one.
TEST(FuzzFindings, ShotResultDoesNotDependOnTheShotsBeforeItInTheWorld) {
  const GameState gs = test::positionWith(8, {{0, 2.30f, 5.10f},
                                              {1, 2.62f, 4.55f},
                                              {2, 2.05f, 7.90f},
                                              {3, 2.85f, 7.20f},
                                              {4, 1.85f, 4.95f},
                                              {5, 2.45f, 3.70f},
                                              {6, 2.90f, 5.80f},
                                              {7, 2.20f, 6.40f}});
  SimWorld used;
  int32_t shots = 0, differing = 0;
  for (int i = 0; i < gs.shotNum; ++i) {
    for (int side = -4; side <= 4; side += 2) {
      for (const float power : {2.0f, 6.0f, 12.0f}) {
        ShotVector shot;
        if (!CreateHitShot({gs.stonePos[i][0] + 0.05f * side, gs.stonePos[i][1], side % 4 != 0},
                           power, &shot))
          continue;
        const StoneLocus delivered = test::delivered(shot);
        SimWorld fresh;
        differing += !sameStones(test::play(used, gs, delivered), test::play(fresh, gs, delivered));
        ++shots;
      }
    }
  }
  ASSERT_GT(shots, 100);
  EXPECT_EQ(differing, 0) << "of " << shots << " shots";
}

// Box2D also keeps the contacts and broad-phase tree of the world that resolves several
// contacts at once, and the order it solves them in follows from them: this takeout, run
// after another one in the same world, ended 1e-5 m elsewhere than in a new world.
TEST(FuzzFindings, SimultaneousContactsDoNotDependOnTheWorldsEarlierOnes) {
  const auto position = [](float x3, float y3, float x7, float y7, float x12, float y12) {
    GameState gs = test::positionWith(13, {{0, 0x1.266666p+1f, 0x1.4cccccp+2f},
                                           {1, 0x1.4cccccp+1f, 0x1.19999ap+2f},
                                           {2, 0x1p+1f, 0x1.1p+3f},
                                           {4, 0x1.e66666p+0f, 0x1.39999ap+2f},
                                           {5, 0x1.333334p+1f, 0x1.ccccccp+1f},
                                           {6, 0x1.666666p+1f, 0x1.8p+2f},
                                           {8, 0x1.8cccccp+1f, 0x1.6p+2f},
                                           {9, 0x1.8p+0f, 0x1.99999ap+2f},
                                           {10, 0x1.4p+1f, 0x1.333334p+3f},
                                           {3, x3, y3},
                                           {7, x7, y7},
                                           {12, x12, y12}});
    gs.whiteToMove = true;
    return gs;
  };
  const GameState first = position(0x1.4814dep+1f, 0x1.9ea61cp+2f, 0x1.7b6bbp+0f, 0x1.ca31a6p+2f,
                                   0x1.17bb08p+2f, 0x1.be9b8ap+2f);
  const GameState second = position(0x1.733334p+1f, 0x1p+3f, 0x1.19999ap+1f, 0x1.d33334p+2f,
                                    0x1.de1478p+1f, 0x1.98f5fp+1f);
  const StoneLocus shot = test::delivered({-0x1.b9a4dap-2f, -0x1.12373ep+5f, true});
  SimWorld used, fresh;
  test::play(used, first, test::delivered({-0x1.34a596p-2f, -0x1.1236fap+5f, true}));
  EXPECT_TRUE(sameStones(test::play(used, second, shot), test::play(fresh, second, shot)));
}

// A shot number at the int32 limit wrapped the count of stones checked against the final play
// area to a negative one: a stone resting beyond the hog line stayed in the result.
TEST(FuzzFindings, ShotNumberAtTheInt32LimitStillClearsStonesOutsideThePlayArea) {
  const GameState in = test::positionWith(INT32_MAX, {{0, 0.3f, 20.0f}});
  SimWorld world;
  const GameState out = test::play(world, in, test::delivered({0.0f, -30.0f, false}));
  EXPECT_FALSE(stoneInPlay(out, 0));
}

}  // namespace
}  // namespace varrowmere
