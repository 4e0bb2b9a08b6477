// The play areas, the step rule, the delivery, the reference tables, anchoring, and contact
// prediction against a brute-force search that reads every row of the tables.

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "sim_support.h"

namespace varrowmere {
namespace {

using test::bruteContact;
using test::gap2;
using test::movingLocus;
using test::stepsAhead;

// The step rule written out from its description, apart from the library: the speed falls by
// DECEL, the heading turns counter-clockwise (curl sign +1) by atan(CURL / new speed), a stone
// whose new speed is below STOP stops; positions move by the old velocity times DT.
constexpr double DECEL = 0.0200153609989826, CURL = 0.0013349445788237338;
constexpr double STOP = 2.00153609989826e-05 * 0.01, X0 = 2.375, Y0 = 41.279998779296875;
const double DT = double{1.0f / 600.0f};

bool turnAndSlow(double& vx, double& vy, double s, double decel = DECEL, double curl = CURL) {
  const double slower = std::hypot(vx, vy) - decel;
  const double heading = std::atan2(vy, vx) + s * std::atan2(curl, slower);
  vx = slower >= STOP ? slower * std::cos(heading) : 0.0;
  vy = slower >= STOP ? slower * std::sin(heading) : 0.0;
  return slower >= STOP;
}

// A shot flown by that rule: half a step (half of both constants) at the release, then steps
// from (X0, Y0) until it stops or is below y = 11.57, then on to its rest.
struct Flight {
  bool arrived = false;
  double prevX = X0, prevY = Y0;  // one step before arriving (or stopping)
  double x = X0, y = Y0, restX = 0.0, restY = 0.0;
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

// Each area against its limits written out: at a limit in, one double beyond out.
TEST(PlayAreas, MovingAndFinalAreasHaveTheirOwnLimits) {
  const auto below = [](double v) { return std::nextafter(v, -1e9); };
  const auto above = [](double v) { return std::nextafter(v, 1e9); };
  const double xLo = 0.14499999582767487, xHi = 4.605000004172325, xFinal = 4.605000019073486;
  const double back = 3.1949999958276747, far = 45.40500000417232;
  const double backFinal = 2.9049999713897705, hogFinal = 11.13499927520752;
  for (const double x : {0.0, below(xLo), xLo, 0.5, xHi, above(xHi), xFinal, above(xFinal)}) {
    for (const double y : {below(backFinal), backFinal, below(back), back, 9.0, hogFinal,
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
  const double justAbove = DECEL + 1.5 * STOP, justBelow = DECEL + 0.5 * STOP;
  const double cases[][3] = {
      {0.0, -20.0, 1.0}, {3.0, -4.0, -1.0},      {-0.7, 0.4, 1.0},
      {12.0, 5.0, -1.0}, {0.0, -justAbove, 1.0}, {0.0, -justBelow, -1.0},
  };
  for (const auto& c : cases) {
    double vx = c[0], vy = c[1], ex = c[0], ey = c[1];
    const bool moves = turnAndSlow(ex, ey, c[2]);
    EXPECT_NEAR(frictionStep(vx, vy, c[2]), moves ? std::hypot(c[0], c[1]) - DECEL : 0.0, 1e-14);
    EXPECT_NEAR(vx, ex, 1e-13) << c[0] << " " << c[1];
    EXPECT_NEAR(vy, ey, 1e-13) << c[0] << " " << c[1];
  }
  EXPECT_EQ(predictStop(0.0, 0.0, 1.0).steps, 0);
}

// Delivered: handed back one step before the point where it reached the tables, on a table
// that stops where the rule stops it, curling by its spin. Stopping first: reported, and
// handed back at rest where it stopped (at the release point if that is not a finite point).
TEST(Motion, DeliveryFollowsTheStepRule) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), slow = -0.75f * DECEL;
  const float inf = std::numeric_limits<float>::infinity();
  const ShotVector shots[] = {
      {0.0f, -29.6f, false}, {-0.986f, -29.56f, false}, {0.5f, -30.2f, true}, {-1.6f, -29.0f, true},
      {0.9f, -33.9f, false}, {2.2f, -31.0f, true},      {0.2f, -8.0f, false}, {0.0f, slow, true},
      {0.0f, 0.0f, false},   {nan, -30.0f, false},      {inf, -30.0f, false}, {0.0f, 35.0f, true},
  };
  for (const ShotVector& shot : shots) {
    const Flight f = fly(shot);
    const bool finite = std::isfinite(f.x) && std::isfinite(f.y);
    StoneLocus locus;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(vec_to_locus_deliver(shot, locus), f.arrived);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              f.arrived ? "" : "vec_to_locus_deliver: この初速度ではプレイエリアに届きません\n");
    EXPECT_NEAR(locus.cur.x, f.arrived ? f.prevX : (finite ? f.x : X0), 1e-6) << shot.vy;
    EXPECT_NEAR(locus.cur.y, f.arrived ? f.prevY : (finite ? f.y : Y0), 1e-6) << shot.vy;
    EXPECT_NEAR(locus.stopX, f.arrived ? f.restX : locus.cur.x, 1e-4) << shot.vy;
    EXPECT_NEAR(locus.stopY, f.arrived ? f.restY : locus.cur.y, 1e-4) << shot.vy;
    EXPECT_EQ(locus.omega, (shot.spin ? -1.0 : 1.0) * double{0.066696f});
    EXPECT_TRUE(std::memcmp(locus.shot, &shot, sizeof(locus.shot)) == 0 && locus.spin == shot.spin);
  }
}

// Trajectory k: straight from (X0, Y0) at 1147 decrements plus k units of 2.00153609989826e-05.
// Distance bin floor(dist * 49.96..) names its row nearest the stop (an empty bin its farther
// neighbour's) and the trajectory that row's speed names; distStepIndex keeps 0 for the
// farthest bin while it holds only the first row.
TEST(Motion, TablesHoldEveryStepByStepsLeftAndByDistance) {
  const auto binOf = [](double d) { return static_cast<int32_t>(d * 49.96162697494344); };
  for (int32_t k = 0; k < TRAJECTORY_COUNT; k += 111) {
    const int32_t last = k == 0 ? 1147 : 1148;
    ASSERT_EQ(lastRow(k), last);
    const TableRow* rows = stepTable[k];
    EXPECT_TRUE(rows[last].x == X0 && rows[last].y == Y0 && rows[last].vx == 0.0);
    EXPECT_NEAR(rows[last].speed, 1147 * DECEL + k * 2.00153609989826e-05, 1e-11);
    EXPECT_TRUE(rows[0].speed == 0.0 && rows[0].dist == 0.0 && rows[0].y == stopY[k]);
    EXPECT_EQ(std::memcmp(&tableRow(k, 0), &rows[0], sizeof(TableRow)), 0) << k;
    const int32_t topBin = binOf(rows[last].dist);
    ASSERT_EQ(lastBin(k), topBin);
    int32_t row = last, nearestFarther = last;
    for (int32_t bin = topBin; bin >= 0; --bin) {
      int32_t inBin = 0;
      for (; row >= 0 && binOf(rows[row].dist) == bin; --row) ++inBin;
      const int32_t nearest = inBin > 0 ? row + 1 : nearestFarther;
      EXPECT_EQ(distStepIndex[k][bin], bin == topBin && inBin == 1 ? 0 : nearest) << k << bin;
      EXPECT_EQ(distRowIndex(k, bin), nearest) << k << " " << bin;
      EXPECT_EQ(distRow[k][bin].speedTrajectory, trajectoryForSpeed(rows[nearest].speed));
      nearestFarther = nearest;
    }
  }
}

// t = speed * STEPS_PER_SPEED: trajectory floor(frac(t) * 1000), row floor(t) + 1, or floor(t)
// when the trajectory is 0; the top row for a stone faster than the tables.
TEST(Motion, AnchoringPicksTrajectoryRowAndMirror) {
  const double cases[][3] = {{500.0005, 0, 500}, {500.5, 500, 501}, {12.9999, 999, 13}, {0, 0, 0}};
  for (const auto& c : cases) {
    const StoneLocus locus = movingLocus(2.0, 8.0, 0.0, -c[0] / 49.96162697494344);
    EXPECT_TRUE(locus.k == c[1] && locus.cur.stepsLeft == c[2]) << c[0];
  }
  for (const double v : {40.0, 1e300, std::numeric_limits<double>::infinity()}) {
    const StoneLocus fast = movingLocus(2.0, 9.0, 0.0, -v);
    EXPECT_EQ(fast.cur.stepsLeft, lastRow(fast.k)) << v;
  }
  // omega < 0 mirrors the table (0 counts as positive); omega > 0 curls a stone moving towards
  // -y to +x. A stone at rest reads its anchoring point for ever.
  const StoneLocus left = movingLocus(X0, 20.0, 0.0, -10.0, DELIVERY_OMEGA);
  const StoneLocus right = movingLocus(X0, 20.0, 0.0, -10.0, -DELIVERY_OMEGA);
  EXPECT_GT(left.stopX - X0, 0.05);
  EXPECT_NEAR(right.stopX - X0, X0 - left.stopX, 1e-9);
  EXPECT_NEAR(right.stopY, left.stopY, 1e-9);
  EXPECT_EQ(movingLocus(X0, 20.0, 0.0, -10.0, 0.0).stopX, left.stopX);
  EXPECT_NEAR(stepsAhead(right, 200).vx, -stepsAhead(left, 200).vx, 1e-9);
  const StoneLocus still = movingLocus(2.0, 8.0, 0.0, 0.0);
  EXPECT_TRUE(still.stopX == 2.0 && still.stopY == 8.0 && stepsAhead(still, 9).y == 8.0);
}

// A stone within `offset` of (x, y), moving at speed +- spread in any direction, either curl.
StoneLocus randomStone(std::mt19937& rng, double x, double y, double speed, double spread,
                       double offset) {
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  const double v = speed + spread * unit(rng), angle = 3.14159 * unit(rng);
  const double omega = unit(rng) < 0.0 ? DELIVERY_OMEGA : -DELIVERY_OMEGA;
  return movingLocus(x + offset * unit(rng), y + offset * unit(rng), v * std::sin(angle),
                     v * std::cos(angle), omega);
}

// Targets on and beside random paths: a predicted contact is the first row of contact (or the
// next, where the first is a hair inside 2R); few contacts ahead are missed (grazing ones, and
// those the curl brings in from beyond the line's 2R band).
TEST(ContactPrediction, HitStepsFindsTheFirstRowOfContact) {
  std::mt19937 rng(7);
  int contacts = 0, exact = 0, missedAhead = 0;
  for (int n = 0; n < 1000; ++n) {
    const StoneLocus m = randomStone(rng, 2.3, 7.0, 11.0, 9.0, 0.0);
    const TrajectoryPoint p =
        stepsAhead(m, static_cast<int32_t>(rng() % (m.cur.stepsLeft - 1)) + 1);
    const double side = 0.7 * (rng() % 1000 / 1000.0 - 0.5);
    const StoneLocus target =
        movingLocus(p.x + side * p.vy * p.invSpeed, p.y - side * p.vx * p.invSpeed, 0.0, 0.0);
    const int32_t predicted = hitSteps(m, target.cur.x, target.cur.y);
    const int32_t actual = bruteContact(m, target);
    if (predicted == STEPS_NEVER) {
      missedAhead += actual > 0 && actual != STEPS_NEVER;
      continue;
    }
    const double gapAtFirst = gap2(stepsAhead(m, actual), target.cur) - CONTACT_DIST_SQ;
    ASSERT_TRUE(predicted == actual || (predicted == actual + 1 && gapAtFirst > -1e-4)) << n;
    ++contacts;
    exact += predicted == actual;
  }
  EXPECT_GT(contacts, 700);
  EXPECT_GE(exact, contacts * 99 / 100);
  EXPECT_LT(missedAhead, 30);
}

TEST(ContactPrediction, HitStepsRefusesTargetsBehindOrOffItsLine) {
  const StoneLocus m = movingLocus(2.375, 11.5, 0.0, -20.0);
  // Behind the stone, touching now or not, or beside the path by more than 2R: never.
  EXPECT_EQ(hitSteps(m, 2.375, 11.9), STEPS_NEVER);
  EXPECT_EQ(hitSteps(m, 2.375, 11.6), STEPS_NEVER);
  EXPECT_EQ(hitSteps(m, 2.075, 9.0), STEPS_NEVER);
  // 0.12 m outside the bulge of the curled path, a target more than 2R off the line to the
  // stop is never hit, though the stone passes within 0.12 m; 0.12 m inside it is.
  const double dx = (m.stopX - m.cur.x) * m.cur.invDist, dy = (m.stopY - m.cur.y) * m.cur.invDist;
  const auto offLine = [&](const TrajectoryPoint& p) {
    return std::fabs((p.y - m.cur.y) * dx - (p.x - m.cur.x) * dy);
  };
  TrajectoryPoint bulge = m.cur;
  for (int32_t t = 0; t <= m.cur.stepsLeft; ++t) {
    if (offLine(stepsAhead(m, t)) > offLine(bulge)) bulge = stepsAhead(m, t);
  }
  const StoneLocus outside = movingLocus(bulge.x - 0.12, bulge.y, 0.0, 0.0);
  const StoneLocus inside = movingLocus(bulge.x + 0.12, bulge.y, 0.0, 0.0);
  ASSERT_GT(offLine(outside.cur), TWO_RADII);
  ASSERT_NE(bruteContact(m, outside), STEPS_NEVER);
  EXPECT_EQ(hitSteps(m, outside.cur.x, outside.cur.y), STEPS_NEVER);
  EXPECT_EQ(hitSteps(m, inside.cur.x, inside.cur.y), bruteContact(m, inside));
}

// Targets on and beside random paths, fast and slow: a target the whole path's bound clears is
// never met, one a window's bound clears is not met within the window; many of those never met
// are cleared. Every trajectory's margin holds the distance from its rows to the rows, at the
// same index, of each trajectory its speeds name (hitSteps reads those); it is at most about a
// millimetre (the path left to it before the stop) but for the one whose rows name a
// trajectory a step out of line. A target within two radii of trajectory 0's stop, which
// hitSteps reads when its estimate lands on the stop, is never cleared, whatever the window.
TEST(ContactPrediction, PathBoundClearsOnlyTargetsHitStepsCannotMeet) {
  int wide = 0;
  for (int32_t k = 0; k < TRAJECTORY_COUNT; ++k) {
    const TableRow* rows = stepTable[k];
    for (int32_t r = 1; r <= lastRow(k); ++r) {
      const int32_t named = trajectoryForSpeed(rows[r].speed);
      const TableRow& other = stepTable[named][std::min(r, lastRow(named))];
      ASSERT_LE(std::hypot(other.x - rows[r].x, other.y - rows[r].y), pathMargin(k)) << k;
    }
    wide += pathMargin(k) > 2e-3;
  }
  EXPECT_LE(wide, 1);
  const StoneLocus slow = movingLocus(2.0, 8.0, 0.3, -6.0);
  double stopX = 0.0, stopY = 0.0;
  mapRowPosition(slow, stepTable[0][0], stopX, stopY);
  ASSERT_GT(std::hypot(stopX - slow.cur.x, stopY - slow.cur.y), 1.0);
  EXPECT_TRUE(PathBound::window(slow, 0).clear(stopX + 0.3, stopY));
  EXPECT_FALSE(PathBound::window(slow, 0).clear(stopX + 0.28, stopY));
  EXPECT_FALSE(PathBound::window(slow, 0).clear(stopX, stopY - 0.28));
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int never = 0, clearedNever = 0, clearedInWindow = 0;
  for (int n = 0; n < 20000; ++n) {
    const StoneLocus m = n % 3 == 0 ? randomStone(rng, 2.3, 30.0, 12.0, 10.0, 1.0)
                                    : randomStone(rng, 2.3, 6.0, 2.0, 2.0, 1.0);
    if (m.cur.stepsLeft < 1) continue;
    const auto window = static_cast<int32_t>(m.cur.stepsLeft * unit(rng));
    const PathBound whole = PathBound::wholePath(m), part = PathBound::window(m, window);
    for (int t = 0; t < 8; ++t) {
      const TrajectoryPoint p =
          stepsAhead(m, static_cast<int32_t>((m.cur.stepsLeft + 3) * unit(rng)) - 3);
      const double r = 0.25 + 0.15 * unit(rng), angle = 6.2832 * unit(rng);
      const double x = p.x + r * std::cos(angle), y = p.y + r * std::sin(angle);
      const int32_t steps = hitSteps(m, x, y);
      ASSERT_TRUE(!whole.clear(x, y) || steps == STEPS_NEVER) << n;
      ASSERT_TRUE(!part.clear(x, y) || steps > window) << n;
      never += steps == STEPS_NEVER;
      clearedNever += steps == STEPS_NEVER && whole.clear(x, y);
      clearedInWindow += part.clear(x, y);
    }
  }
  EXPECT_GT(clearedNever, never * 3 / 10);
  EXPECT_GT(clearedInWindow, 1000);
}

// Random pairs: a predicted contact is real, never before the first touch and nearly always at
// it, the same for both orders; lines meeting behind a stone (chases) are never: under half.
TEST(ContactPrediction, PairStepsFindsContactsOfRandomPairs) {
  std::mt19937 rng(9);
  int contacts = 0, exact = 0, ahead = 0, missedAhead = 0;
  for (int n = 0; n < 2000; ++n) {
    const StoneLocus a = randomStone(rng, 2.0, 5.5, 6.0, 5.0, 0.5);
    const StoneLocus b = randomStone(rng, 2.0, 5.5, 6.0, 5.0, 0.5);
    const int32_t predicted = pairSteps(a, b), actual = bruteContact(a, b);
    ASSERT_EQ(predicted, pairSteps(b, a)) << n;
    ahead += actual > 0 && actual != STEPS_NEVER;
    if (predicted == STEPS_NEVER) {
      missedAhead += actual > 0 && actual != STEPS_NEVER;
      continue;
    }
    ASSERT_GE(predicted, actual) << n;
    EXPECT_LT(gap2(stepsAhead(a, predicted), stepsAhead(b, predicted)), CONTACT_DIST_SQ) << n;
    ++contacts;
    exact += predicted == actual;
  }
  EXPECT_GT(contacts, 200);
  EXPECT_GE(exact, contacts * 97 / 100);
  EXPECT_LT(missedAhead, ahead / 2);
}

TEST(ContactPrediction, PairStepsEdgeCases) {
  // The jump lands where the stones already overlap: the answer is the jump itself, past the
  // first touch, without walking back.
  StoneLocus a = movingLocus(1.555, 5.516, 5.798, -3.903, DELIVERY_OMEGA);
  StoneLocus b = movingLocus(2.365, 5.774, 2.256, -4.504, -DELIVERY_OMEGA);
  const int32_t jump = pairSteps(a, b);
  EXPECT_GT(jump, bruteContact(a, b));
  EXPECT_LT(gap2(stepsAhead(a, jump - 1), stepsAhead(b, jump - 1)), CONTACT_DIST_SQ);
  // b creeps 1 cm and stops; a arrives long after: the walk plus hitSteps against b's stop.
  a = movingLocus(1.0, 6.0, 6.0, 0.0);
  b = movingLocus(2.2, 6.05, 0.0, -0.5);
  EXPECT_GT(pairSteps(a, b), b.cur.stepsLeft);
  EXPECT_EQ(pairSteps(a, b), bruteContact(a, b));
}

}  // namespace
}  // namespace varrowmere
