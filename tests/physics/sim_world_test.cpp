// The collision world: one Box2D step per contact, the stones re-anchored from its result.

#include "physics/sim_world.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "sim_support.h"

namespace varrowmere {
namespace {

using test::movingLocus;

// As loadStones leaves a stone at rest: no curl, no spin.
StoneLocus resting(double x, double y) {
  StoneLocus s = movingLocus(x, y, 0.0, 0.0);
  s.mirror = s.omega = 0.0;
  return s;
}

// Equal masses, fully elastic: the shooter keeps less than a model step of speed and stops
// (row 0); the target leaves straight on with the shooter's speed less one model step, moved
// on by one step at that speed.
TEST(CollisionWorld, HeadOnHitPassesTheSpeedOn) {
  StoneLocus shooter = movingLocus(2.375, 6.0, 0.0, -6.0), target = resting(2.375, 6.0 - 0.289);
  SimWorld().collideTwo(shooter, target);
  EXPECT_EQ(shooter.cur.stepsLeft, 0);
  EXPECT_EQ(shooter.cur.invSpeed, INVERSE_OF_ZERO);
  EXPECT_EQ(shooter.stopY, shooter.cur.y);
  EXPECT_NEAR(shooter.cur.y, 6.0, 1e-3);
  EXPECT_NEAR(target.cur.speed, 6.0 - DECEL_PER_STEP, 2e-3);
  EXPECT_NEAR(target.cur.vx, 0.0, 5e-3);
  EXPECT_NEAR(target.cur.y, 6.0 - 0.289 - 6.0 * STEP_DT, 2e-3);
  EXPECT_EQ(shooter.active + target.active, 2);
}

// A thin hit: Box2D's friction spins the shooter (curl sign +1) the other way. collideTwo's
// model step still turns it with the curl it had (by atan(CURL / speed) against collideMany,
// which adds no step), and then it rides the table of its new spin.
TEST(CollisionWorld, ModelStepAfterAContactTurnsWithTheCurlTheStoneHad) {
  const StoneLocus shooter = movingLocus(2.375, 6.0, 0.0, -8.0, DELIVERY_OMEGA);
  const StoneLocus target = resting(2.375 - 0.25, 6.0 - 0.14);
  StoneLocus two[2] = {shooter, target}, many[2] = {shooter, target};
  SimWorld().collideTwo(two[0], two[1]);
  StoneLocus* list[2] = {&many[0], &many[1]};
  SimWorld().collideMany(list, 2);
  EXPECT_LT(two[0].omega, 0.0);
  EXPECT_EQ(two[0].mirror, -1.0);
  EXPECT_LT(two[1].cur.vx, 0.0);
  for (int i = 0; i < 2; ++i) {
    const TrajectoryPoint &a = two[i].cur, &b = many[i].cur;
    EXPECT_NEAR(b.speed - a.speed, DECEL_PER_STEP, 5e-5) << i;
    const double turn = std::atan2(b.vx * a.vy - b.vy * a.vx, b.vx * a.vx + b.vy * a.vy);
    const double curl = i == 0 ? 1.0 : 0.0;
    EXPECT_NEAR(turn, curl * std::atan2(CURL_PER_STEP, a.speed), 1e-6) << i;
  }
}

// collideMany parks its bodies afterwards: a following call with fewer stones, placed where a
// stone of the first was, gives what a new world gives.
TEST(CollisionWorld, CollideManyLeavesNothingBehind) {
  SimWorld world, fresh;
  StoneLocus shooter = movingLocus(2.375, 6.0, 0.0, -8.0);
  StoneLocus left = resting(2.175, 5.8), right = resting(2.575, 5.8);
  StoneLocus* three[3] = {&shooter, &left, &right};
  world.collideMany(three, 3);
  EXPECT_LT(left.cur.vx, 0.0);
  EXPECT_GT(right.cur.vx, 0.0);
  StoneLocus a = movingLocus(2.575, 6.08, 0.0, -5.0), b = resting(2.575, 5.8);
  StoneLocus freshA = a, freshB = b;
  StoneLocus* two[2] = {&a, &b};
  StoneLocus* freshTwo[2] = {&freshA, &freshB};
  world.collideMany(two, 2);
  fresh.collideMany(freshTwo, 2);
  EXPECT_EQ(std::memcmp(&a.cur, &freshA.cur, sizeof(a.cur)), 0);
  EXPECT_EQ(std::memcmp(&b.cur, &freshB.cur, sizeof(b.cur)), 0);
}

// A stone Box2D cannot take (not a number, far away, spinning without end) stays parked off
// the sheet, so it reads as out of play, and the world goes on working.
TEST(CollisionWorld, StatesBox2DCannotTakeStayParked) {
  SimWorld world;
  StoneLocus good = movingLocus(2.375, 6.0, 0.0, -6.0);
  StoneLocus bad = resting(std::numeric_limits<double>::quiet_NaN(), 5.0);
  world.collideTwo(good, bad);
  EXPECT_TRUE(inMovingArea(good.cur.x, good.cur.y));
  EXPECT_TRUE(std::isfinite(bad.cur.x) && !inMovingArea(bad.cur.x, bad.cur.y));
  StoneLocus far = resting(1e30, 1e30), spinning = movingLocus(2.0, 6.0, 0.0, -6.0);
  spinning.omega = std::numeric_limits<double>::infinity();
  StoneLocus* list[2] = {&far, &spinning};
  world.collideMany(list, 2);
  EXPECT_FALSE(inMovingArea(far.cur.x, far.cur.y));
  EXPECT_FALSE(inMovingArea(spinning.cur.x, spinning.cur.y));
  StoneLocus a = movingLocus(2.375, 6.0, 0.0, -6.0), b = resting(2.375, 6.0 - 0.289);
  world.collideTwo(a, b);
  EXPECT_NEAR(b.cur.speed, 6.0 - DECEL_PER_STEP, 2e-3);
}

// The pair step gives Box2D's world's bits for two stones at and near contact: speeds up to a
// fast takeout's, both curls, stones at rest and moving.
TEST(PairStep, GivesTheWorldsBits) {
  SimWorld pair, world;
  world.usePairStep(false);
  std::mt19937_64 rng(20261207);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  constexpr double TURN = 6.283185307179586;
  int32_t differing = 0;
  for (int t = 0; t < 5000; ++t) {
    const double x = 0.3 + 4.1 * unit(rng), y = 3.3 + 8.0 * unit(rng);
    const double gap = 0.26 + 0.05 * unit(rng), at = TURN * unit(rng);
    const double speed = (t % 3 == 0 ? 30.0 : 5.0) * unit(rng), dir = TURN * unit(rng);
    const double rest = t % 2 == 0 ? 0.0 : 3.0 * unit(rng), restDir = TURN * unit(rng);
    StoneLocus a =
        movingLocus(x, y, speed * std::cos(dir), speed * std::sin(dir), (unit(rng) - 0.5) * 0.2);
    StoneLocus b =
        movingLocus(x + gap * std::cos(at), y + gap * std::sin(at), rest * std::cos(restDir),
                    rest * std::sin(restDir), t % 5 == 0 ? -DELIVERY_OMEGA : 0.0);
    StoneLocus a2 = a, b2 = b;
    pair.collideTwo(a, b);
    world.collideTwo(a2, b2);
    differing += std::memcmp(&a.cur, &a2.cur, sizeof(a.cur)) != 0 ||
                 std::memcmp(&b.cur, &b2.cur, sizeof(b.cur)) != 0 || a.omega != a2.omega ||
                 b.omega != b2.omega;
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace varrowmere
