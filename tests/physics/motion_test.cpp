// The play areas, the step rule, the delivery, the reference tables and anchoring.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "sim_support.h"

namespace varrowmere {
namespace {

using test::movingLocus;

// The step rule written out from its description, apart from the library: the speed falls by
// DECEL, the heading turns counter-clockwise (curl sign +1) by atan(CURL / new speed), a stone
// whose new speed is below STOP stops; positions move by the old velocity times DT.
constexpr double DECEL = 0.0200153609989826, CURL = 0.0013349445788237338;
constexpr double STOP = 2.00153609989826e-05 * 0.01;
const double DT = double{1.0f / 600.0f};
constexpr double RELEASE_X = 2.375, RELEASE_Y = 41.279998779296875;

bool turnAndSlow(double& vx, double& vy, double s, double decel = DECEL, double curl = CURL) {
  const double slower = std::hypot(vx, vy) - decel;
  const double heading = std::atan2(vy, vx) + s * std::atan2(curl, slower);
  vx = slower >= STOP ? slower * std::cos(heading) : 0.0;
  vy = slower >= STOP ? slower * std::sin(heading) : 0.0;
  return slower >= STOP;
}

// A shot flown by that rule: half a step (half of both constants) at the release, then steps
// from the release point until it stops or is below y = 11.57 (then on to its rest).
struct Flight {
  bool arrived = false;
  double prevX = RELEASE_X, prevY = RELEASE_Y;  // one step before arriving (or stopping)
  double x = RELEASE_X, y = RELEASE_Y, restX = 0.0, restY = 0.0;
};
Flight fly(const ShotVector& shot) {
  Flight f;
  const double s = shot.spin ? -1.0 : 1.0;
  double vx = shot.vx, vy = shot.vy;
  turnAndSlow(vx, vy, s, DECEL / 2, CURL / 2);
  do {
    f.prevX = f.x, f.prevY = f.y;
    f.x += vx * DT, f.y += vy * DT;
    if (!turnAndSlow(vx, vy, s)) return f;
  } while (!(f.y < 11.569999991655349));
  f.arrived = true;
  f.restX = f.x, f.restY = f.y;
  for (bool moving = true; moving; moving = turnAndSlow(vx, vy, s)) {
    f.restX += vx * DT, f.restY += vy * DT;
  }
  return f;
}

// Each area against its limits written out: at the limit in, one double beyond out.
TEST(PlayAreas, MovingAndFinalAreasHaveTheirOwnLimits) {
  const auto below = [](double v) { return std::nextafter(v, -1e9); };
  const auto above = [](double v) { return std::nextafter(v, 1e9); };
  const double xLo = 0.14499999582767487, xHi = 4.605000004172325, xFinal = 4.605000019073486;
  const double back = 3.1949999958276747, far = 45.40500000417232;
  const double backFinal = 2.9049999713897705, hogFinal = 11.13499927520752;
  for (const double x : {0.0, below(xLo), xLo, 0.5, xHi, above(xHi), xFinal, above(xFinal)}) {
    for (const double y : {0.0, below(backFinal), backFinal, below(back), back, 9.0, hogFinal,
                           above(hogFinal), far, above(far)}) {
      EXPECT_EQ(inMovingArea(x, y), x >= xLo && x <= xHi && y >= back && y <= far) << x << " " << y;
      EXPECT_EQ(inFinalPlayArea(x, y), x >= xLo && x <= xFinal && y >= backFinal && y <= hogFinal)
          << x << " " << y;
    }
  }
}

// Between tee line and hog line, on the sheet, and not below 3.9 m^2 from the tee, measured in
// single precision: at (hx, hy) that is 3.9f, in double a hair less.
TEST(PlayAreas, FreeGuardZoneIsMeasuredInSinglePrecision) {
  const auto below = [](float v) { return std::nextafter(v, -1e9f); };
  for (const float x : {below(0.145f), 0.145f, 0.3f, 2.375f, below(4.605f), 4.605f}) {
    for (const float y : {below(4.735f), 4.735f, 6.8f, 9.0f, below(11.135f), 11.135f}) {
      const bool zone = x >= 0.145f && x < 4.605f && y >= 4.735f && y < 11.135f;
      const bool house = std::hypot(x - 2.375, y - 4.88) < std::sqrt(3.9);
      EXPECT_EQ(inFreeGuardZone(x, y), zone && !house) << x << " " << y;
    }
  }
  const float hx = 2.4565f, hy = 6.85315943f, dx = hx - 2.375f, dy = hy - 4.88f;
  ASSERT_GE(dx * dx + dy * dy, 3.9);
  ASSERT_LT(double{dx} * dx + double{dy} * dy, 3.9);
  EXPECT_TRUE(inFreeGuardZone(hx, hy));
  EXPECT_FALSE(inFreeGuardZone(hx, below(hy)));
}

TEST(Motion, StepRuleSlowsTurnsAndStops) {
  const struct {
    double vx, vy, s;
  } cases[] = {{0.0, -20.0, 1.0},
               {3.0, -4.0, -1.0},
               {-0.7, 0.4, 1.0},
               {12.0, 5.0, -1.0},
               {0.0, -(DECEL + 1.5 * STOP), 1.0},
               {0.0, -(DECEL + 0.5 * STOP), -1.0}};
  for (const auto& c : cases) {
    double vx = c.vx, vy = c.vy, ex = c.vx, ey = c.vy;
    const bool moves = turnAndSlow(ex, ey, c.s);
    EXPECT_NEAR(frictionStep(vx, vy, c.s), moves ? std::hypot(c.vx, c.vy) - DECEL : 0.0, 1e-14);
    EXPECT_NEAR(vx, ex, 1e-13) << c.vx << " " << c.vy;
    EXPECT_NEAR(vy, ey, 1e-13) << c.vx << " " << c.vy;
  }
  EXPECT_EQ(predictStop(0.0, 0.0, 1.0).steps, 0);
}

// Handed back one step before the point where it reached the tables, on a table that stops
// where the rule stops it, curling by its spin.
TEST(Motion, DeliveryFollowsTheStepRule) {
  const ShotVector shots[] = {{0.0f, -29.6f, false}, {-0.986f, -29.56f, false},
                              {0.5f, -30.2f, true},  {-1.6f, -29.0f, true},
                              {0.9f, -33.9f, false}, {2.2f, -31.0f, true}};
  for (const ShotVector& shot : shots) {
    const Flight f = fly(shot);
    StoneLocus locus;
    ASSERT_TRUE(f.arrived && vec_to_locus_deliver(shot, locus));
    EXPECT_NEAR(locus.cur.x, f.prevX, 1e-6) << shot.vx;
    EXPECT_NEAR(locus.cur.y, f.prevY, 1e-6) << shot.vx;
    EXPECT_NEAR(locus.stopX, f.restX, 1e-4) << shot.vx;
    EXPECT_NEAR(locus.stopY, f.restY, 1e-4) << shot.vx;
    EXPECT_EQ(locus.omega, (shot.spin ? -1.0 : 1.0) * double{0.066696f});
    EXPECT_TRUE(locus.shot[0] == shot.vx && locus.shot[1] == shot.vy && locus.spin == shot.spin);
  }
}

// A shot that stops before the tables is reported and handed back at rest where it stopped,
// or at the release point when that is not a finite point.
TEST(Motion, UndeliverableShotsAreReportedAndLeftWhereTheyStop) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const ShotVector shots[] = {{0.2f, -8.0f, false}, {0.0f, static_cast<float>(-0.75 * DECEL), true},
                              {0.0f, 0.0f, false},  {nan, -30.0f, false},
                              {inf, -30.0f, false}, {0.0f, 35.0f, true}};
  for (const ShotVector& shot : shots) {
    const Flight f = fly(shot);
    ASSERT_FALSE(f.arrived);
    const bool finite = std::isfinite(f.x) && std::isfinite(f.y);
    StoneLocus locus;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(vec_to_locus_deliver(shot, locus));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "vec_to_locus_deliver: この初速度ではプレイエリアに届きません\n");
    EXPECT_EQ(locus.cur.stepsLeft, 0);
    EXPECT_NEAR(locus.cur.x, finite ? f.x : RELEASE_X, 1e-10) << shot.vy;
    EXPECT_NEAR(locus.cur.y, finite ? f.y : RELEASE_Y, 1e-10) << shot.vy;
  }
}

// Trajectory k: a straight delivery from the release point at 1147 decrements plus k units of
// 2.00153609989826e-05, each row one step of the rule after the row above, row 0 its stop.
// Distance bin b = floor(dist * 49.96...) names the row nearest the stop whose distance lies in
// b; an empty bin repeats its farther neighbour; distStepIndex keeps 0 for the farthest bin
// while it holds only the first row.
TEST(Motion, TablesHoldEveryStepByStepsLeftAndByDistance) {
  const auto binOf = [](double d) {
    return static_cast<int32_t>(std::floor(d * 49.96162697494344));
  };
  for (int32_t k = 0; k < TRAJECTORY_COUNT; k += 111) {
    const int32_t last = k == 0 ? 1147 : 1148;
    ASSERT_EQ(lastRow(k), last);
    const TableRow* rows = stepTable[k];
    EXPECT_TRUE(rows[last].x == RELEASE_X && rows[last].y == RELEASE_Y && rows[last].vx == 0.0);
    EXPECT_NEAR(rows[last].speed, 1147 * DECEL + k * 2.00153609989826e-05, 1e-11);
    for (const int32_t row : {last, 600, 1}) {
      double vx = rows[row].vx, vy = rows[row].vy;
      turnAndSlow(vx, vy, 1.0);
      EXPECT_NEAR(rows[row - 1].y, rows[row].y + rows[row].vy * DT, 1e-12);
      EXPECT_NEAR(rows[row - 1].vx, vx, 1e-12);
      EXPECT_NEAR(rows[row - 1].vy, vy, 1e-12);
    }
    EXPECT_TRUE(rows[0].speed == 0.0 && rows[0].dist == 0.0 && rows[0].y == stopY[k]);
    EXPECT_NEAR(rows[300].dist, std::hypot(rows[300].x - stopX[k], rows[300].y - stopY[k]), 1e-12);
    const int32_t topBin = binOf(rows[last].dist);
    ASSERT_EQ(lastBin(k), topBin);
    int32_t row = last, nearestFarther = last;
    for (int32_t bin = topBin; bin >= 0; --bin) {
      int32_t inBin = 0;
      for (; row >= 0 && binOf(rows[row].dist) == bin; --row) ++inBin;
      const int32_t nearest = inBin > 0 ? row + 1 : nearestFarther;
      EXPECT_EQ(distStepIndex[k][bin], bin == topBin && inBin == 1 ? 0 : nearest)
          << k << " " << bin;
      EXPECT_EQ(distRowIndex(k, bin), nearest) << k << " " << bin;
      nearestFarther = nearest;
    }
  }
  ASSERT_EQ(chordTable.size(), 580u);
  EXPECT_EQ(chordTable[0], 0.28999999165534973);
  EXPECT_NEAR(chordTable[100], std::sqrt(0.08409999516010291 - 0.01), 1e-13);
  EXPECT_TRUE(chordTable[289] > 0.0 && chordTable[290] == 0.0 && chordTable[579] == 0.0);
}

// t = speed * STEPS_PER_SPEED: trajectory floor(frac(t) * 1000), row floor(t) + 1, or floor(t)
// when the trajectory is 0; a stone faster than the tables sits on the top row.
TEST(Motion, AnchoringPicksTrajectoryAndRowBySteps) {
  const struct {
    double steps;
    int32_t k, row;
  } cases[] = {{500.0005, 0, 500}, {500.5, 500, 501}, {12.9999, 999, 13}, {0.0, 0, 0}};
  for (const auto& c : cases) {
    const StoneLocus locus = movingLocus(2.0, 8.0, 0.0, -c.steps / 49.96162697494344);
    EXPECT_EQ(locus.k, c.k) << c.steps;
    EXPECT_EQ(locus.cur.stepsLeft, c.row) << c.steps;
  }
  for (const double v : {40.0, 1e300, std::numeric_limits<double>::infinity()}) {
    const StoneLocus fast = movingLocus(2.0, 9.0, 0.0, -v);
    EXPECT_EQ(fast.cur.stepsLeft, lastRow(fast.k)) << v;
  }
  for (const double v : {-1.0, std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(rowForSpeed(trajectoryForSpeed(v), v), 0);
  }
}

// The stone sits exactly where it was given, heading along its velocity at the table's speed.
// omega < 0 mirrors the table (0 counts as positive); omega > 0 curls a stone moving towards -y
// to +x. A stone at rest reads its anchoring point for ever.
TEST(Motion, AnchoringPlacesTurnsAndMirrors) {
  const double velocities[][2] = {{0.0, -20.0}, {1.5, -3.0}, {-0.7, 0.4}};
  for (const double x : {0.3, 1.234567, 4.5}) {
    for (const auto& v : velocities) {
      const StoneLocus locus = movingLocus(x, 9.87654321, v[0], v[1], x > 1.0 ? 1.0 : -1.0);
      EXPECT_TRUE(locus.cur.x == x && locus.cur.y == 9.87654321) << x;
      EXPECT_NEAR(locus.cur.vx * v[1] - locus.cur.vy * v[0], 0.0,
                  1e-9 * (v[0] * v[0] + v[1] * v[1]));
      EXPECT_GT(locus.cur.vx * v[0] + locus.cur.vy * v[1], 0.0);
      EXPECT_NEAR(locus.cur.speed, std::hypot(v[0], v[1]), DECEL * 0.001 + 1e-12);
    }
  }
  const StoneLocus left = movingLocus(TEE_X, 20.0, 0.0, -10.0, DELIVERY_OMEGA);
  const StoneLocus right = movingLocus(TEE_X, 20.0, 0.0, -10.0, -DELIVERY_OMEGA);
  EXPECT_GT(left.stopX - TEE_X, 0.05);
  EXPECT_NEAR(right.stopX - TEE_X, TEE_X - left.stopX, 1e-9);
  EXPECT_NEAR(right.stopY, left.stopY, 1e-9);
  EXPECT_EQ(movingLocus(TEE_X, 20.0, 0.0, -10.0, 0.0).stopX, left.stopX);
  EXPECT_NEAR(test::stepsAhead(right, 200).vx, -test::stepsAhead(left, 200).vx, 1e-9);
  const StoneLocus still = movingLocus(2.0, 8.0, 0.0, 0.0);
  EXPECT_TRUE(still.stopX == 2.0 && still.stopY == 8.0 && test::stepsAhead(still, 9).y == 8.0);
}

TEST(Motion, AdvancingStopsAtTheStoppingPoint) {
  StoneLocus locus = movingLocus(1.0, 10.0, 0.3, -9.0, -0.5);
  const int32_t start = locus.cur.stepsLeft;
  StoneLocus* list[] = {&locus};
  advanceLoci(list, 1, 100);
  EXPECT_TRUE(locus.cur.stepsLeft == start - 100 && locus.cur.moving == 1);
  for (const int32_t steps : {start, STEPS_NEVER}) {
    advanceLoci(list, 1, steps);
    EXPECT_TRUE(locus.cur.stepsLeft == 0 && locus.cur.moving == 0);
    EXPECT_NEAR(locus.cur.x, locus.stopX, 1e-9);
    EXPECT_NEAR(locus.cur.y, locus.stopY, 1e-9);
  }
}

}  // namespace
}  // namespace varrowmere
