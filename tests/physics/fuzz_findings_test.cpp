// Regression tests for faults the fuzz targets (tests/fuzz) found in the physics.

#include <climits>
#include <cstring>

#include "platform/shot_maker.h"
#include "sim_support.h"

namespace varrowmere {
namespace {

bool sameStones(const GameState& a, const GameState& b) {
  return std::memcmp(a.stonePos, b.stonePos, sizeof(a.stonePos)) == 0;
}

// With warm starting, Box2D began a collision's solve from the impulses of the last contact of
// the same bodies: in a used world results differed in the last bits, which re-anchoring can
// turn into centimetres. Hits on a crowded house (2, 6 and 12 m/s, on each stone and up to
// 0.2 m beside it, both spins) end the same in a used world as in a new one.
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
  const float powers[] = {2.0f, 6.0f, 12.0f};
  for (int n = 0; n < 8 * 9 * 3; ++n) {
    const int i = n / 27, side = n / 3 % 9 - 4;
    const ShotTarget target{gs.stonePos[i][0] + 0.05f * side, gs.stonePos[i][1], side % 2 != 0};
    ShotVector shot;
    if (!CreateHitShot(target, powers[n % 3], &shot)) continue;
    const StoneLocus delivered = test::delivered(shot);
    SimWorld fresh;
    differing += !sameStones(test::play(used, gs, delivered), test::play(fresh, gs, delivered));
    ++shots;
  }
  ASSERT_GT(shots, 100);
  EXPECT_EQ(differing, 0) << "of " << shots << " shots";
}

// The order in which Box2D solves simultaneous contacts follows the contacts and broad phase
// it kept: this takeout, after another in the same world, ended 1e-5 m off a new world's.
TEST(FuzzFindings, SimultaneousContactsDoNotDependOnTheWorldsEarlierOnes) {
  // Stones 0 to 11 (3, 7 and 11 out of play); the two positions differ in stones 3, 7, 12.
  const float common[] = {0x1.266666p+1f, 0x1.4cccccp+2f, 0x1.4cccccp+1f, 0x1.19999ap+2f,
                          0x1p+1f,        0x1.1p+3f,      0.0f,           0.0f,
                          0x1.e66666p+0f, 0x1.39999ap+2f, 0x1.333334p+1f, 0x1.ccccccp+1f,
                          0x1.666666p+1f, 0x1.8p+2f,      0.0f,           0.0f,
                          0x1.8cccccp+1f, 0x1.6p+2f,      0x1.8p+0f,      0x1.99999ap+2f,
                          0x1.4p+1f,      0x1.333334p+3f, 0.0f,           0.0f};
  const auto position = [&common](float x3, float y3, float x7, float y7, float x12, float y12) {
    GameState gs = test::positionWith(13, {{3, x3, y3}, {7, x7, y7}, {12, x12, y12}});
    for (int i = 0; i < 12; ++i) {
      if (common[2 * i] != 0.0f)
        std::memcpy(gs.stonePos[i], &common[2 * i], sizeof(gs.stonePos[i]));
    }
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
  SimWorld world;
  const GameState in = test::positionWith(INT32_MAX, {{0, 0.3f, 20.0f}});
  EXPECT_FALSE(stoneInPlay(test::play(world, in, test::delivered({0.0f, -30.0f, false})), 0));
}

}  // namespace
}  // namespace varrowmere
