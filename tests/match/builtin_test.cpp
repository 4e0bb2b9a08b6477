#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "builtin_player.h"
#include "game.h"
#include "physics/motion.h"

using namespace varrowmere;
using namespace varrowmere::match;

namespace {

void ensureTables() {
  static const bool built = [] {
    buildChordTable();
    buildTrajectoryTables();
    return true;
  }();
  (void)built;
}

// Where the motion model stops a delivered shot.
TrajectoryPoint stopOf(const ShotVector& shot) {
  StoneLocus locus;
  vec_to_locus_deliver(shot, locus);
  readLocus(locus, 0);
  return locus.cur;
}

// Closest approach of the delivered stone's path to (x, y), and its speed there.
void closestPass(const ShotVector& shot, double x, double y, double* distance, double* speed) {
  double px = DELIVERY_X, py = DELIVERY_Y, vx = shot.vx, vy = shot.vy;
  *distance = 1e9;
  for (;;) {
    const double d = std::hypot(px - x, py - y);
    if (d < *distance) {
      *distance = d;
      *speed = std::hypot(vx, vy);
    }
    px += vx * STEP_DT;
    py += vy * STEP_DT;
    if (frictionStep(vx, vy, curlSign(shot.spin)) == 0.0 || py < 0.0) return;
  }
}

}  // namespace

TEST(BuiltinOpponents, DrawStopsAtTheTeeWithAlternatingSpin) {
  ensureTables();
  GameState state;
  for (int shot = 0; shot < 6; ++shot) {
    state.shotNum = shot;
    const ShotVector draw = drawToTee(state);
    // Stones 0,1 spin 0; 2,3 spin 1; 4,5 spin 0: each side alternates from stone to stone.
    EXPECT_EQ(draw.spin, (shot / 2) % 2 == 1) << "shot " << shot;
    const TrajectoryPoint stop = stopOf(draw);
    EXPECT_NEAR(stop.x, TEE_X, 0.002) << "shot " << shot;
    EXPECT_NEAR(stop.y, TEE_Y, 0.002) << "shot " << shot;
  }
  EXPECT_EQ(makeBuiltinPlayer("nonsense"), nullptr);
  ASSERT_NE(makeBuiltinPlayer("draw"), nullptr);
  EXPECT_EQ(makeBuiltinPlayer("takeout")->name(), "takeout");
}

TEST(BuiltinOpponents, TakeoutHitsTheOpponentStoneNearestTheTee) {
  ensureTables();
  GameState state;
  state.shotNum = 5;            // side 1 to play; side 0's stones are 0, 2, 4
  state.stonePos[0][0] = 2.0f;  // side 0, 1.0 m from the tee
  state.stonePos[0][1] = float(TEE_Y + 0.93);
  state.stonePos[2][0] = 2.9f;  // side 0, 0.55 m: the target
  state.stonePos[2][1] = float(TEE_Y - 0.2);
  state.stonePos[1][0] = float(TEE_X);  // side 1's own stone on the button is no target
  state.stonePos[1][1] = float(TEE_Y);
  const ShotVector hit = takeoutOrDraw(state);
  double distance = 0, speed = 0;
  closestPass(hit, 2.9, TEE_Y - 0.2, &distance, &speed);
  EXPECT_LT(distance, 0.01);
  EXPECT_NEAR(speed, TAKEOUT_POWER, 0.1);

  // Only its own stones in play: a draw to the tee.
  state.stonePos[0][0] = state.stonePos[0][1] = 0.0f;
  state.stonePos[2][0] = state.stonePos[2][1] = 0.0f;
  const TrajectoryPoint stop = stopOf(takeoutOrDraw(state));
  EXPECT_NEAR(stop.x, TEE_X, 0.002);
  EXPECT_NEAR(stop.y, TEE_Y, 0.002);
}
