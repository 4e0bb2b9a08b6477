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

class CollisionWorld : public ::testing::Test {
 protected:
  void SetUp() override { test::ensureMotionTables(); }
};

StoneLocus restingLocus(double x, double y) {
  StoneLocus s;
  s.cur.x = x;
  s.cur.y = y;
  s.mirror = 0.0;
  return s;
}

void expectMirrorFollowsSpin(const StoneLocus& s) {
  EXPECT_EQ(s.mirror, s.omega < 0.0 ? -1.0 : 1.0);
}

TEST_F(CollisionWorld, HeadOnHitStopsTheShooterAndPassesItsSpeedOn) {
  SimWorld world;
  StoneLocus shooter = movingLocus(2.375, 6.0, 0.0, -6.0);
  StoneLocus target = restingLocus(2.375, 6.0 - 0.289);
  world.collideTwo(shooter, target);

  // Fully elastic, equal masses: the shooter is left with less than one model step of
  // speed, so the model step stops it: row 0, inverse speed "infinite".
  EXPECT_EQ(shooter.cur.speed, 0.0);
  EXPECT_EQ(shooter.cur.invSpeed, INVERSE_OF_ZERO);
  EXPECT_EQ(shooter.cur.stepsLeft, 0);
  EXPECT_EQ(shooter.cur.moving, 0);
  EXPECT_EQ(shooter.stopX, shooter.cur.x);
  EXPECT_EQ(shooter.stopY, shooter.cur.y);
  // The target leaves with the shooter's speed less one model step, straight on.
  EXPECT_NEAR(target.cur.speed, 6.0 - DECEL_PER_STEP, 2e-3);
  EXPECT_NEAR(target.cur.vx, 0.0, 5e-3);
  EXPECT_LT(target.cur.vy, 0.0);
  EXPECT_EQ(shooter.active, 1);
  EXPECT_EQ(target.active, 1);
  // Box2D moves bodies with the velocity after the contact: the target goes on by one step
  // (1/600 s at about 6 m/s), the shooter stays.
  EXPECT_NEAR(shooter.cur.y, 6.0, 1e-3);
  EXPECT_NEAR(target.cur.y, 6.0 - 0.289 - 6.0 * STEP_DT, 2e-3);
  expectMirrorFollowsSpin(shooter);
  expectMirrorFollowsSpin(target);
}

TEST_F(CollisionWorld, ReanchoredCurlFollowsTheSpinBox2DLeaves) {
  SimWorld world;
  // Delivered with spin 0 (positive omega); a thin hit on the right of the target makes
  // friction spin the shooter the other way, so it now curls mirrored.
  StoneLocus shooter = movingLocus(2.375, 6.0, 0.0, -8.0, DELIVERY_OMEGA);
  ASSERT_EQ(shooter.mirror, 1.0);
  StoneLocus target = restingLocus(2.375 - 0.25, 6.0 - 0.14);
  world.collideTwo(shooter, target);
  EXPECT_LT(shooter.omega, 0.0);
  EXPECT_EQ(shooter.mirror, -1.0);
  expectMirrorFollowsSpin(target);
  EXPECT_GT(shooter.cur.speed, 0.0);
  EXPECT_GT(target.cur.speed, 0.0);
  // The target is driven along the line of centres: away to the left.
  EXPECT_LT(target.cur.vx, 0.0);
}

TEST_F(CollisionWorld, CollideManyParksEveryUsedBody) {
  SimWorld world;
  // A shooter that touches two stones at once.
  StoneLocus shooter = movingLocus(2.375, 6.0, 0.0, -8.0);
  StoneLocus left = restingLocus(2.375 - 0.2, 6.0 - 0.2);
  StoneLocus right = restingLocus(2.375 + 0.2, 6.0 - 0.2);
  StoneLocus* three[3] = {&shooter, &left, &right};
  world.collideMany(three, 3);
  EXPECT_LT(left.cur.vx, 0.0);
  EXPECT_GT(right.cur.vx, 0.0);
  for (const StoneLocus* s : three) {
    EXPECT_EQ(s->active, 1);
    expectMirrorFollowsSpin(*s);
  }

  // A following call with fewer stones, placed where the third stone was, meets nothing
  // left behind: it gives what a fresh world gives.
  StoneLocus a = movingLocus(2.375 + 0.2, 6.0 - 0.2 + 0.28, 0.0, -5.0);
  StoneLocus b = restingLocus(2.375 + 0.2, 6.0 - 0.2);
  StoneLocus freshA = a, freshB = b;
  StoneLocus* two[2] = {&a, &b};
  world.collideMany(two, 2);
  SimWorld fresh;
  StoneLocus* freshTwo[2] = {&freshA, &freshB};
  fresh.collideMany(freshTwo, 2);
  EXPECT_EQ(a.cur.x, freshA.cur.x);
  EXPECT_EQ(a.cur.y, freshA.cur.y);
  EXPECT_EQ(b.cur.x, freshB.cur.x);
  EXPECT_EQ(b.cur.y, freshB.cur.y);
  EXPECT_EQ(b.cur.speed, freshB.cur.speed);
}

TEST_F(CollisionWorld, CollideManyAddsNoModelStepUnlikeCollideTwo) {
  SimWorld many, two;
  StoneLocus a1 = movingLocus(2.375, 6.0, 0.0, -6.0), b1 = restingLocus(2.375, 6.0 - 0.289);
  StoneLocus a2 = a1, b2 = b1;
  StoneLocus* pair[2] = {&a1, &b1};
  many.collideMany(pair, 2);
  two.collideTwo(a2, b2);
  EXPECT_NEAR(b1.cur.speed - b2.cur.speed, DECEL_PER_STEP, 1e-5);
}

TEST_F(CollisionWorld, StatesBox2DCannotTakeStayParked) {
  SimWorld world;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  StoneLocus good = movingLocus(2.375, 6.0, 0.0, -6.0);
  StoneLocus bad = restingLocus(nan, 5.0);
  world.collideTwo(good, bad);
  EXPECT_FALSE(inMovingArea(bad.cur.x, bad.cur.y));
  EXPECT_TRUE(std::isfinite(bad.cur.x));
  EXPECT_TRUE(inMovingArea(good.cur.x, good.cur.y));

  StoneLocus far = restingLocus(1e30, 1e30);
  StoneLocus fast = movingLocus(2.0, 6.0, 0.0, -6.0);
  fast.omega = std::numeric_limits<double>::infinity();
  StoneLocus* list[2] = {&far, &fast};
  world.collideMany(list, 2);
  EXPECT_FALSE(inMovingArea(far.cur.x, far.cur.y));
  EXPECT_FALSE(inMovingArea(fast.cur.x, fast.cur.y));
  // The world still works afterwards.
  StoneLocus a = movingLocus(2.375, 6.0, 0.0, -6.0), b = restingLocus(2.375, 6.0 - 0.289);
  world.collideTwo(a, b);
  EXPECT_NEAR(b.cur.speed, 6.0 - DECEL_PER_STEP, 2e-3);
}

}  // namespace
}  // namespace varrowmere

namespace varrowmere {
namespace {

// The pair step must give what Box2D's world gives, to the bit, for two stones in contact (and
// decline the rest, which the world then steps): random positions at and near contact,
// speeds up to a fast takeout's, both curls and stones at rest.
TEST(PairStep, GivesTheWorldsBits) {
  test::ensureMotionTables();
  SimWorld pair, world;
  world.usePairStep(false);
  std::mt19937_64 rng(20261207);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  constexpr double TURN = 6.283185307179586;
  int32_t differing = 0;
  for (int t = 0; t < 20000; ++t) {
    const double x = 0.3 + 4.1 * unit(rng), y = 3.3 + 8.0 * unit(rng);
    const double gap = 0.26 + 0.05 * unit(rng), at = TURN * unit(rng);
    const double speed = (t % 3 == 0 ? 30.0 : 5.0) * unit(rng), dir = TURN * unit(rng);
    const double rest = t % 2 == 0 ? 0.0 : 3.0 * unit(rng), restDir = TURN * unit(rng);
    StoneLocus a = test::movingLocus(x, y, speed * std::cos(dir), speed * std::sin(dir),
                                     (unit(rng) - 0.5) * 0.2);
    StoneLocus b = test::movingLocus(x + gap * std::cos(at), y + gap * std::sin(at),
                                     rest * std::cos(restDir), rest * std::sin(restDir),
                                     t % 5 == 0 ? -DELIVERY_OMEGA : 0.0);
    StoneLocus a2 = a, b2 = b;
    pair.collideTwo(a, b);
    world.collideTwo(a2, b2);
    if (std::memcmp(&a.cur, &a2.cur, sizeof(a.cur)) != 0 ||
        std::memcmp(&b.cur, &b2.cur, sizeof(b.cur)) != 0 || a.omega != a2.omega ||
        b.omega != b2.omega)
      ++differing;
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace varrowmere
