#include "physics/contact.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "sim_support.h"

namespace varrowmere {
namespace {

using test::bruteHit;
using test::brutePair;
using test::movingLocus;
using test::stepsAhead;

class ContactPrediction : public ::testing::Test {
 protected:
  void SetUp() override { test::ensureMotionTables(); }
};

double gap2(const TrajectoryPoint& a, const TrajectoryPoint& b) {
  return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

// Targets placed on and beside random paths: a predicted contact is always the first row
// of contact found by reading every row (one row apart at most, where the distance at that
// row is within a hair of 2R and the re-derived trajectory rounds the other way), and the
// line estimate misses few real contacts.
TEST_F(ContactPrediction, HitStepsFindsTheFirstRowOfContact) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int contacts = 0, exact = 0, missedAhead = 0;
  for (int n = 0; n < 1500; ++n) {
    const double speed = 2.0 + 18.0 * unit(rng);
    const double angle = (2.0 * unit(rng) - 1.0) * 3.14159;
    const double omega = unit(rng) < 0.5 ? DELIVERY_OMEGA : -DELIVERY_OMEGA;
    const StoneLocus m =
        movingLocus(2.3, 7.0, speed * std::sin(angle), -speed * std::cos(angle), omega);
    const int32_t row = std::uniform_int_distribution<int32_t>(1, m.cur.stepsLeft)(rng);
    const TrajectoryPoint p = stepsAhead(m, row);
    const double side = (2.0 * unit(rng) - 1.0) * 0.35;
    double x = p.x + side * p.vy * p.invSpeed, y = p.y - side * p.vx * p.invSpeed;
    if (p.speed == 0.0) x = p.x + side, y = p.y;

    const int32_t predicted = hitSteps(m, x, y);
    const int32_t actual = bruteHit(m, x, y);
    if (predicted != STEPS_NEVER) {
      ASSERT_NE(actual, STEPS_NEVER) << "contact predicted where there is none, case " << n;
      ASSERT_LE(std::abs(predicted - actual), 1) << "case " << n;
      if (predicted != actual) {
        EXPECT_NEAR(test::gap2(stepsAhead(m, actual), x, y), CONTACT_DIST_SQ, 1e-4);
      }
      ++contacts;
      exact += predicted == actual;
    } else if (actual > 0 && actual != STEPS_NEVER) {
      ++missedAhead;
    }
  }
  EXPECT_GT(contacts, 1050);
  EXPECT_GE(exact, contacts * 99 / 100);
  // Misses of contacts still ahead are grazing ones and curl beyond the line's 2R band.
  EXPECT_LT(missedAhead, 40);
}

TEST_F(ContactPrediction, HitStepsRefusesTargetsBehindOrOffTheLine) {
  const StoneLocus m = movingLocus(2.375, 11.5, 0.0, -20.0);
  // Behind the stone, touching now or not: never.
  EXPECT_EQ(hitSteps(m, 2.375, 11.9), STEPS_NEVER);
  EXPECT_EQ(hitSteps(m, 2.375, 11.6), STEPS_NEVER);
  // Beside the path by more than 2R: never.
  EXPECT_EQ(hitSteps(m, 2.375 - 0.3, 9.0), STEPS_NEVER);

  // The point where the curled path bulges farthest from the straight line to the stop.
  const double dx = (m.stopX - m.cur.x) * m.cur.invDist, dy = (m.stopY - m.cur.y) * m.cur.invDist;
  const auto offChord = [&](double x, double y) {
    return std::fabs((y - m.cur.y) * dx - (x - m.cur.x) * dy);
  };
  TrajectoryPoint bulge = m.cur;
  for (int32_t t = 0; t <= m.cur.stepsLeft; ++t) {
    const TrajectoryPoint p = stepsAhead(m, t);
    if (offChord(p.x, p.y) > offChord(bulge.x, bulge.y)) bulge = p;
  }
  // A target 0.12 m outside the bulge lies on the stop-line side of the stone (that line
  // is used) but more than 2R from it: never, although the stone passes within 0.12 m.
  const double x = bulge.x - 0.12, y = bulge.y;
  ASSERT_GT(offChord(x, y), TWO_RADII);
  ASSERT_GT(x, m.cur.x);
  EXPECT_NE(bruteHit(m, x, y), STEPS_NEVER);
  EXPECT_EQ(hitSteps(m, x, y), STEPS_NEVER);
  // The same distance inside the bulge is within the band and found.
  EXPECT_EQ(hitSteps(m, bulge.x + 0.12, y), bruteHit(m, bulge.x + 0.12, y));
}

TEST_F(ContactPrediction, PairStepsFindsContactsOfRandomPairs) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int contacts = 0, exact = 0, ahead = 0, missedAhead = 0;
  for (int n = 0; n < 3000; ++n) {
    StoneLocus stones[2];
    for (StoneLocus& s : stones) {
      const double speed = 1.0 + 10.0 * unit(rng), angle = unit(rng) * 6.283;
      const double x = 1.5 + unit(rng), y = 5.0 + unit(rng);
      s = movingLocus(x, y, speed * std::sin(angle), speed * std::cos(angle),
                      unit(rng) < 0.5 ? DELIVERY_OMEGA : -DELIVERY_OMEGA);
    }
    const int32_t predicted = pairSteps(stones[0], stones[1]);
    const int32_t actual = brutePair(stones[0], stones[1]);
    // The two stones' roles are symmetric.
    ASSERT_EQ(predicted, pairSteps(stones[1], stones[0])) << "case " << n;
    if (actual != STEPS_NEVER && actual > 0) ++ahead;
    if (predicted == STEPS_NEVER) {
      missedAhead += actual != STEPS_NEVER && actual > 0;
      continue;
    }
    // Every predicted contact is a real one: the stones overlap at the predicted step.
    ASSERT_NE(actual, STEPS_NEVER) << "case " << n;
    ASSERT_GE(predicted, actual) << "case " << n;
    EXPECT_LT(gap2(stepsAhead(stones[0], predicted), stepsAhead(stones[1], predicted)),
              CONTACT_DIST_SQ)
        << "case " << n;
    ++contacts;
    exact += predicted == actual;
  }
  EXPECT_GT(contacts, 400);
  EXPECT_GE(exact, contacts * 97 / 100);
  // Lines that meet behind one of the stones count as never: about a third of the contacts
  // of random pairs (many chase each other), fewer in play.
  EXPECT_LT(missedAhead, ahead * 2 / 5);
}

TEST_F(ContactPrediction, PairStepsEdgeCases) {
  // The jump lands where the stones already overlap: the answer is the jump itself, some
  // steps after the first touch, with no walk back.
  {
    const StoneLocus a = movingLocus(1.555, 5.516, 5.798, -3.903, DELIVERY_OMEGA);
    const StoneLocus b = movingLocus(2.365, 5.774, 2.256, -4.504, -DELIVERY_OMEGA);
    const int32_t steps = pairSteps(a, b);
    EXPECT_EQ(brutePair(a, b), 113);
    EXPECT_EQ(steps, 117);
    EXPECT_LT(gap2(stepsAhead(a, steps), stepsAhead(b, steps)), CONTACT_DIST_SQ);
  }
  // Moving apart: never, at once.
  {
    const StoneLocus a = movingLocus(2.0, 6.0, -0.5, -6.0);
    const StoneLocus b = movingLocus(2.2, 6.4, 0.4, 6.0);
    EXPECT_EQ(pairSteps(a, b), STEPS_NEVER);
    EXPECT_EQ(brutePair(a, b), STEPS_NEVER);
  }
  // One stops first: b creeps 1 cm and stops; a arrives long after and the answer is the
  // walk plus hitSteps against b's stopping point.
  {
    const StoneLocus a = movingLocus(1.0, 6.0, 6.0, 0.0);
    const StoneLocus b = movingLocus(2.2, 6.05, 0.0, -0.5);
    const int32_t steps = pairSteps(a, b);
    ASSERT_NE(steps, STEPS_NEVER);
    EXPECT_GT(steps, b.cur.stepsLeft);
    EXPECT_EQ(steps, brutePair(a, b));
    EXPECT_EQ(pairSteps(b, a), steps);
  }
  // Both stop before they meet: never.
  {
    const StoneLocus a = movingLocus(1.0, 6.0, 0.5, 0.0);
    const StoneLocus b = movingLocus(2.0, 6.0, -0.5, 0.0);
    EXPECT_EQ(pairSteps(a, b), STEPS_NEVER);
  }
}

TEST_F(ContactPrediction, MatrixFillersWriteSymmetricEntriesOfActiveStonesOnly) {
  StoneLocus shot = movingLocus(2.375, 9.0, 0.0, -8.0);
  shot.stoneIndex = 3;
  StoneLocus onPath, aside;
  onPath.cur.x = stepsAhead(shot, 100).x;
  onPath.cur.y = stepsAhead(shot, 100).y - 0.35;
  onPath.stoneIndex = 0;
  aside.cur.x = 0.5;
  aside.cur.y = 5.0;
  aside.stoneIndex = 1;
  StoneLocus* resting[2] = {&onPath, &aside};

  ContactMatrix matrix;
  for (auto& row : matrix)
    for (int32_t& entry : row) entry = -7;
  predictShotContacts(shot, resting, 2, matrix);
  const int32_t expected = hitSteps(shot, onPath.cur.x, onPath.cur.y);
  ASSERT_NE(expected, STEPS_NEVER);
  EXPECT_EQ(matrix[3][0], expected);
  EXPECT_EQ(matrix[0][3], expected);
  EXPECT_EQ(matrix[3][1], STEPS_NEVER);
  EXPECT_EQ(matrix[1][3], STEPS_NEVER);
  EXPECT_EQ(matrix[0][1], -7);  // entries no call rewrites keep their value

  // Inactive moving stones get no new entries against resting ones, nor inactive pairs.
  shot.active = 0;
  matrix[3][0] = matrix[0][3] = -7;
  StoneLocus* moving[2] = {&shot, nullptr};
  predictMovingVsResting(moving, 1, resting, 2, matrix);
  EXPECT_EQ(matrix[3][0], -7);
  shot.active = 1;
  predictMovingVsResting(moving, 1, resting, 2, matrix);
  EXPECT_EQ(matrix[3][0], expected);

  StoneLocus other = movingLocus(2.375, 6.0, 0.0, 3.0);
  other.stoneIndex = 5;
  other.active = 0;
  moving[1] = &other;
  shot.active = 0;
  predictMovingPairs(moving, 2, matrix);
  EXPECT_EQ(matrix[3][5], -7);
  other.active = 1;
  predictMovingPairs(moving, 2, matrix);
  EXPECT_EQ(matrix[3][5], pairSteps(shot, other));
  EXPECT_EQ(matrix[5][3], matrix[3][5]);
  EXPECT_NE(matrix[3][5], STEPS_NEVER);
}

TEST_F(ContactPrediction, BadInputsReadNothingOutsideTheTables) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const StoneLocus m = movingLocus(2.375, 9.0, 0.0, -8.0);
  for (const double v : {nan, inf, -inf, 1e300, -1e300}) {
    EXPECT_EQ(hitSteps(m, v, 5.0), STEPS_NEVER);
    EXPECT_EQ(hitSteps(m, 2.375, v), STEPS_NEVER);
  }
  // A target far ahead on the line: the distance estimate is clamped to the table.
  EXPECT_EQ(hitSteps(m, 2.375, 1e6), STEPS_NEVER);

  StoneLocus broken = m;
  broken.k = 123456;
  broken.cur.stepsLeft = std::numeric_limits<int32_t>::max();
  broken.cur.dist = 1e30;
  EXPECT_GE(hitSteps(broken, 2.375, 7.0), 0);
  StoneLocus poisoned = m;
  poisoned.rotC = nan;
  poisoned.cur.x = nan;
  EXPECT_EQ(hitSteps(poisoned, 2.375, 7.0), STEPS_NEVER);
  EXPECT_GE(pairSteps(poisoned, m), 0);
  EXPECT_GE(pairSteps(broken, m), 0);
  // Exactly parallel lines (a zero determinant) end too.
  const StoneLocus a = movingLocus(2.0, 8.0, 0.0, -8.0);
  const StoneLocus b = movingLocus(2.0, 7.0, 0.0, -4.0);
  EXPECT_GE(pairSteps(a, b), 0);
}

}  // namespace
}  // namespace varrowmere
