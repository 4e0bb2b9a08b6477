// Contact prediction against a brute-force search that reads every row of the tables.

#include "physics/contact.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <random>

#include "sim_support.h"

namespace varrowmere {
namespace {

using test::bruteContact;
using test::gap2;
using test::movingLocus;
using test::stepsAhead;

struct Random {
  std::mt19937 rng{7};
  double unit() { return std::uniform_real_distribution<double>(-1.0, 1.0)(rng); }
  // A stone near (x, y) moving at speed +- spread in any direction, either curl.
  StoneLocus stone(double x, double y, double speed, double spread, double offset) {
    const double v = speed + spread * unit(), angle = 3.14159 * unit();
    const double omega = unit() < 0.0 ? DELIVERY_OMEGA : -DELIVERY_OMEGA;
    return movingLocus(x + offset * unit(), y + offset * unit(), v * std::sin(angle),
                       v * std::cos(angle), omega);
  }
};

// Targets on and beside random paths. A predicted contact is the first row of contact, or the
// next where the distance at the first is a hair from 2R (the row search reads the trajectory
// re-derived from the estimate's speed). Few contacts ahead are missed: grazing ones, and
// those the curl brings in from beyond the line's 2R band.
TEST(ContactPrediction, HitStepsFindsTheFirstRowOfContact) {
  Random random;
  int contacts = 0, exact = 0, missedAhead = 0;
  for (int n = 0; n < 1000; ++n) {
    const StoneLocus m = random.stone(2.3, 7.0, 11.0, 9.0, 0.0);
    const auto row = static_cast<int32_t>(1 + (m.cur.stepsLeft - 2) * (random.unit() + 1) / 2);
    const TrajectoryPoint p = stepsAhead(m, row);
    const double side = 0.35 * random.unit();
    const StoneLocus target =
        movingLocus(p.x + side * p.vy * p.invSpeed, p.y - side * p.vx * p.invSpeed, 0.0, 0.0);
    const int32_t predicted = hitSteps(m, target.cur.x, target.cur.y);
    const int32_t actual = bruteContact(m, target);
    if (predicted == STEPS_NEVER) {
      missedAhead += actual > 0 && actual != STEPS_NEVER;
      continue;
    }
    ASSERT_TRUE(predicted == actual || predicted == actual + 1) << n;
    if (predicted != actual) {
      EXPECT_NEAR(gap2(stepsAhead(m, actual), target.cur), CONTACT_DIST_SQ, 1e-4) << n;
    }
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
  // 0.12 m outside the point where the curled path bulges farthest from the straight line to
  // the stop lies a target on that line's side, more than 2R from it: never, although the
  // stone passes within 0.12 m. The same distance inside the bulge is found.
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

// Random pairs: a predicted contact is real (the stones overlap then), never before the first
// touch and nearly always at it, the same for both orders of the stones. Lines that meet
// behind a stone count as never: about a third of the contacts of random pairs, many of which
// chase each other.
TEST(ContactPrediction, PairStepsFindsContactsOfRandomPairs) {
  Random random;
  int contacts = 0, exact = 0, ahead = 0, missedAhead = 0;
  for (int n = 0; n < 2000; ++n) {
    const StoneLocus a = random.stone(2.0, 5.5, 6.0, 5.0, 0.5);
    const StoneLocus b = random.stone(2.0, 5.5, 6.0, 5.0, 0.5);
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
  EXPECT_GT(contacts, 250);
  EXPECT_GE(exact, contacts * 97 / 100);
  EXPECT_LT(missedAhead, ahead * 2 / 5);
}

TEST(ContactPrediction, PairStepsEdgeCases) {
  // The jump lands where the stones already overlap: the answer is the jump itself, past the
  // first touch, without walking back.
  StoneLocus a = movingLocus(1.555, 5.516, 5.798, -3.903, DELIVERY_OMEGA);
  StoneLocus b = movingLocus(2.365, 5.774, 2.256, -4.504, -DELIVERY_OMEGA);
  const int32_t jump = pairSteps(a, b);
  EXPECT_GT(jump, bruteContact(a, b));
  EXPECT_LT(gap2(stepsAhead(a, jump - 1), stepsAhead(b, jump - 1)), CONTACT_DIST_SQ);
  // Moving apart, or both stopping before they meet: never.
  EXPECT_EQ(pairSteps(movingLocus(2.0, 6.0, -0.5, -6.0), movingLocus(2.2, 6.4, 0.4, 6.0)),
            STEPS_NEVER);
  EXPECT_EQ(pairSteps(movingLocus(1.0, 6.0, 0.5, 0.0), movingLocus(2.0, 6.0, -0.5, 0.0)),
            STEPS_NEVER);
  // b creeps 1 cm and stops; a arrives long after: the walk plus hitSteps against b's stop.
  a = movingLocus(1.0, 6.0, 6.0, 0.0);
  b = movingLocus(2.2, 6.05, 0.0, -0.5);
  EXPECT_GT(pairSteps(a, b), b.cur.stepsLeft);
  EXPECT_EQ(pairSteps(a, b), bruteContact(a, b));
}

// Every filler writes [i][j] and [j][i] alike and nothing else; the fillers of moving stones
// only for stones with active = 1 (a pair: either of them).
TEST(ContactPrediction, MatrixFillersWriteSymmetricEntriesOfActiveStones) {
  StoneLocus shot = movingLocus(2.375, 9.0, 0.0, -8.0), other = movingLocus(2.375, 6.0, 0.0, 3.0);
  const TrajectoryPoint p = stepsAhead(shot, 100);
  StoneLocus onPath = movingLocus(p.x, p.y - 0.35, 0.0, 0.0),
             aside = movingLocus(0.5, 5.0, 0.0, 0.0);
  shot.stoneIndex = 3, other.stoneIndex = 5, onPath.stoneIndex = 0, aside.stoneIndex = 1;
  StoneLocus* resting[2] = {&onPath, &aside};
  StoneLocus* moving[2] = {&shot, &other};
  ContactMatrix m;
  for (auto& row : m) std::fill(std::begin(row), std::end(row), -7);
  const int32_t hit = hitSteps(shot, onPath.cur.x, onPath.cur.y);
  ASSERT_NE(hit, STEPS_NEVER);
  predictShotContacts(shot, resting, 2, m);
  EXPECT_TRUE(m[3][0] == hit && m[0][3] == hit && m[1][3] == STEPS_NEVER && m[0][1] == -7);
  m[3][0] = m[0][3] = -7;
  shot.active = other.active = 0;
  predictMovingVsResting(moving, 2, resting, 2, m);
  predictMovingPairs(moving, 2, m);
  EXPECT_TRUE(m[3][0] == -7 && m[3][5] == -7 && m[5][0] == -7);
  other.active = 1;
  predictMovingVsResting(moving, 2, resting, 2, m);
  predictMovingPairs(moving, 2, m);
  EXPECT_EQ(m[3][0], -7);
  EXPECT_EQ(m[0][5], hitSteps(other, onPath.cur.x, onPath.cur.y));
  EXPECT_TRUE(m[3][5] != STEPS_NEVER && m[3][5] == pairSteps(shot, other) && m[5][3] == m[3][5]);
}

TEST(ContactPrediction, BadInputsReadNothingOutsideTheTables) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const StoneLocus m = movingLocus(2.375, 9.0, 0.0, -8.0);
  for (const double v : {nan, std::numeric_limits<double>::infinity(), -1e300, 1e6}) {
    EXPECT_EQ(hitSteps(m, v, 5.0), STEPS_NEVER);
    EXPECT_EQ(hitSteps(m, 2.375, v), STEPS_NEVER);
  }
  // A stone that is not at a number touches nothing.
  StoneLocus poisoned = m;
  poisoned.rotC = poisoned.cur.x = nan;
  EXPECT_EQ(hitSteps(poisoned, 2.375, 7.0), STEPS_NEVER);
  EXPECT_EQ(pairSteps(poisoned, m), STEPS_NEVER);
  // A locus no anchoring makes only reads inside the tables (the sanitizer build checks).
  StoneLocus broken = m;
  broken.k = 123456;
  broken.cur.stepsLeft = std::numeric_limits<int32_t>::max();
  broken.cur.dist = 1e30;
  (void)hitSteps(broken, 2.375, 7.0);
  (void)pairSteps(broken, m);
}

}  // namespace
}  // namespace varrowmere
