#include "physics/motion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "support/start_up_tables.h"

namespace varrowmere {
namespace {

using testing_support::ensureMotionTables;

class MotionTest : public ::testing::Test {
 protected:
  void SetUp() override { ensureMotionTables(); }
};

// Brute-force stop of a shot: the release's half step, then the step rule until rest.
StopPrediction bruteForceStop(const ShotVector& shot) {
  double vx = shot.vx, vy = shot.vy;
  frictionStep(vx, vy, curlSign(shot.spin), DECEL_PER_STEP * 0.5, CURL_PER_STEP * 0.5);
  return predictStop(vx, vy, curlSign(shot.spin));
}

bool finitePoint(const TrajectoryPoint& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.vx) && std::isfinite(p.vy);
}

TEST_F(MotionTest, ChordTableHas580EntriesEndingInZeros) {
  ASSERT_EQ(chordTable.size(), 580u);
  EXPECT_EQ(chordTable[0], 0.28999999165534973);
  EXPECT_GT(chordTable[289], 0.0);
  for (std::size_t i = 290; i < chordTable.size(); ++i) EXPECT_EQ(chordTable[i], 0.0) << i;
  // An inner entry: 0.1 m of lateral offset.
  EXPECT_NEAR(chordTable[100], std::sqrt(CONTACT_DIST_SQ - 0.01), 1e-12);
}

TEST_F(MotionTest, TrajectoryRowsAreIndexedByStepsLeft) {
  const double top = 1147 * DECEL_PER_STEP;
  EXPECT_EQ(stepTable[0][lastRow(0)].speed, top);
  EXPECT_EQ(lastRow(0), 1147);
  for (int32_t k = 0; k < TRAJECTORY_COUNT; ++k) {
    if (k != 0) {
      ASSERT_EQ(lastRow(k), 1148) << k;
    }
    const TableRow* rows = stepTable[k];
    // The fastest point is the delivery point, heading straight down the sheet.
    ASSERT_EQ(rows[lastRow(k)].x, DELIVERY_X);
    ASSERT_EQ(rows[lastRow(k)].y, DELIVERY_Y);
    ASSERT_EQ(rows[lastRow(k)].vx, 0.0);
    for (int32_t row = 0; row <= lastRow(k); row += 97) {
      ASSERT_EQ(tablePoint(k, row).stepsLeft, row) << k;
      ASSERT_EQ(tablePoint(k, row).speed, rows[row].speed) << k;
    }
    // Row 0 is the stop.
    ASSERT_EQ(rows[0].speed, 0.0);
    ASSERT_EQ(tablePoint(k, 0).moving, 0);
    ASSERT_EQ(rows[0].invSpeed, INVERSE_OF_ZERO);
    ASSERT_EQ(rows[0].dist, 0.0);
    ASSERT_EQ(rows[0].invDist, INVERSE_OF_ZERO);
    ASSERT_EQ(rows[0].x, stopX[k]);
    ASSERT_EQ(rows[0].y, stopY[k]);
    ASSERT_EQ(tablePoint(k, 1).moving, 1);
  }
  // Neighbouring trajectories differ by the stop-speed unit at the delivery point.
  EXPECT_NEAR(stepTable[1][1148].speed - stepTable[0][1147].speed, STOP_SPEED_UNIT, 1e-12);
  EXPECT_NEAR(stepTable[999][1148].speed - top, 999 * STOP_SPEED_UNIT, 1e-11);
}

// Bin b holds the point nearest the stop whose distance falls in b; an empty bin repeats the
// nearest point of the farther bins; the farthest bin keeps stepsLeft 0 when it holds only
// the first point.
TEST_F(MotionTest, DistanceBinsDescribeTheLastPointOfEachBin) {
  for (int32_t k = 0; k < TRAJECTORY_COUNT; k += 37) {
    const TableRow* rows = stepTable[k];
    const auto binOf = [](double dist) {
      return static_cast<int32_t>(std::floor(dist * STEPS_PER_SPEED));
    };
    const int32_t topBin = binOf(rows[lastRow(k)].dist);
    ASSERT_EQ(lastBin(k), topBin);
    int32_t nearestFarther = lastRow(k);  // stepsLeft of the nearest point of farther bins
    int32_t row = lastRow(k);
    for (int32_t bin = topBin; bin >= 0; --bin) {
      int32_t inBin = 0;
      while (row >= 0 && binOf(rows[row].dist) == bin) {
        ++inBin;
        --row;
      }
      ASSERT_TRUE(row < 0 || binOf(rows[row].dist) < bin) << "bins must not grow, k " << k;
      const int32_t last = inBin > 0 ? row + 1 : nearestFarther;
      const int32_t expectedSteps = (bin == topBin && inBin == 1) ? 0 : last;
      EXPECT_EQ(distStepIndex[k][bin], expectedSteps) << "k " << k << " bin " << bin;
      EXPECT_EQ(distPoint(k, bin).stepsLeft, last) << "k " << k << " bin " << bin;
      nearestFarther = last;
    }
    EXPECT_EQ(row, -1);
    EXPECT_EQ(distStepIndex[k][0], 0);
  }
}

TEST_F(MotionTest, RowChoiceDependsOnTheFractionOfSteps) {
  // 500.0005 steps: k = 0, anchored on row 500; 500.5 steps: k = 500, row 501.
  const double whole = 500.0005 / STEPS_PER_SPEED;
  const double half = 500.5 / STEPS_PER_SPEED;
  EXPECT_EQ(trajectoryForSpeed(whole), 0);
  EXPECT_EQ(rowForSpeed(0, whole), 500);
  EXPECT_EQ(trajectoryForSpeed(half), 500);
  EXPECT_EQ(rowForSpeed(500, half), 501);

  StoneLocus locus;
  anchorLocus(locus, 2.0, 8.0, 0.0, -whole, whole, 1.0 / whole, 1.0);
  EXPECT_EQ(locus.k, 0);
  EXPECT_EQ(locus.cur.stepsLeft, 500);
  anchorLocus(locus, 2.0, 8.0, 0.0, -half, half, 1.0 / half, 1.0);
  EXPECT_EQ(locus.k, 500);
  EXPECT_EQ(locus.cur.stepsLeft, 501);
  // The table speed sits just below the stone's.
  EXPECT_LE(locus.cur.speed, half);
  EXPECT_GT(locus.cur.speed, half - 0.001 * DECEL_PER_STEP);
  anchorLocus(locus, 2.0, 8.0, 0.0, 0.0, 0.0, INVERSE_OF_ZERO, 1.0);
  EXPECT_EQ(locus.cur.stepsLeft, 0);
  EXPECT_EQ(locus.cur.x, 2.0);
  EXPECT_EQ(locus.cur.y, 8.0);
  EXPECT_EQ(locus.stopX, 2.0);
  EXPECT_EQ(locus.stopY, 8.0);
}

TEST_F(MotionTest, NegativeOmegaMirrorsAndZeroCountsAsPositive) {
  const double v = 10.0;
  StoneLocus left, right, zero;
  anchorLocus(left, TEE_X, 20.0, 0.0, -v, v, 1.0 / v, DELIVERY_OMEGA);
  anchorLocus(right, TEE_X, 20.0, 0.0, -v, v, 1.0 / v, -DELIVERY_OMEGA);
  anchorLocus(zero, TEE_X, 20.0, 0.0, -v, v, 1.0 / v, 0.0);
  EXPECT_EQ(left.mirror, 1.0);
  EXPECT_EQ(right.mirror, -1.0);
  EXPECT_EQ(zero.mirror, 1.0);
  // Moving towards -y, a positive curl turns counter-clockwise: towards +x.
  EXPECT_GT(left.stopX - TEE_X, 0.05);
  EXPECT_NEAR(right.stopX - TEE_X, -(left.stopX - TEE_X), 1e-9);
  EXPECT_NEAR(right.stopY, left.stopY, 1e-9);
  EXPECT_EQ(zero.stopX, left.stopX);
  // Every step of the path is mirrored, not only the stop.
  TrajectoryPoint a, b;
  locusPoint(left, left.k, 200, a);
  locusPoint(right, right.k, 200, b);
  EXPECT_NEAR(b.x - TEE_X, -(a.x - TEE_X), 1e-9);
  EXPECT_NEAR(b.vx, -a.vx, 1e-9);
  EXPECT_NEAR(b.vy, a.vy, 1e-9);
}

TEST_F(MotionTest, AnchoringPlacesTheStoneExactlyWithItsHeading) {
  const double positions[][2] = {{2.375, 11.5}, {0.3, 3.3}, {4.5, 9.87654321}, {1.234567, 7.1}};
  const double velocities[][2] = {{0.0, -20.0}, {1.5, -3.0}, {-0.7, 0.4}, {12.0, 5.0}};
  for (const auto& p : positions) {
    for (const auto& vel : velocities) {
      for (const double omega : {DELIVERY_OMEGA, -DELIVERY_OMEGA}) {
        const double v = std::hypot(vel[0], vel[1]);
        StoneLocus locus;
        anchorLocus(locus, p[0], p[1], vel[0], vel[1], v, 1.0 / v, omega);
        EXPECT_EQ(locus.cur.x, p[0]);
        EXPECT_EQ(locus.cur.y, p[1]);
        EXPECT_EQ(locus.active, 1);
        EXPECT_EQ(locus.omega, omega);
        // Along the given velocity, with the table's speed.
        const double cross = locus.cur.vx * vel[1] - locus.cur.vy * vel[0];
        const double dot = locus.cur.vx * vel[0] + locus.cur.vy * vel[1];
        EXPECT_NEAR(cross, 0.0, 1e-9 * v * v);
        EXPECT_GT(dot, 0.0);
        EXPECT_NEAR(std::hypot(locus.cur.vx, locus.cur.vy), locus.cur.speed, 1e-9 * v);
        EXPECT_NEAR(locus.cur.speed, v, DECEL_PER_STEP * 0.001 + 1e-12);
      }
    }
  }
}

TEST_F(MotionTest, AdvancingPastTheEndStopsAtTheStoppingPoint) {
  const double v = 9.0;
  StoneLocus locus;
  anchorLocus(locus, 1.0, 10.0, 0.3, -v, std::hypot(0.3, v), 1.0 / std::hypot(0.3, v), -0.5);
  const int32_t start = locus.cur.stepsLeft;
  StoneLocus* list[] = {&locus};
  advanceLoci(list, 1, 100);
  EXPECT_EQ(locus.cur.stepsLeft, start - 100);
  EXPECT_EQ(locus.cur.moving, 1);
  advanceLoci(list, 1, locus.cur.stepsLeft + 5);
  EXPECT_EQ(locus.cur.stepsLeft, 0);
  EXPECT_EQ(locus.cur.moving, 0);
  EXPECT_EQ(locus.cur.speed, 0.0);
  EXPECT_NEAR(locus.cur.x, locus.stopX, 1e-9);
  EXPECT_NEAR(locus.cur.y, locus.stopY, 1e-9);
  // Once at rest, further steps (even "never") change nothing.
  const TrajectoryPoint rest = locus.cur;
  advanceLoci(list, 1, STEPS_NEVER);
  EXPECT_EQ(locus.cur.x, rest.x);
  EXPECT_EQ(locus.cur.y, rest.y);
}

TEST_F(MotionTest, PredictStopOfAStillStoneIsTheDeliveryPoint) {
  const StopPrediction still = predictStop(0.0, 0.0, 1.0);
  EXPECT_EQ(still.x, DELIVERY_X);
  EXPECT_EQ(still.y, DELIVERY_Y);
  EXPECT_EQ(still.steps, 0);
  // Slower than one decrement: one step, which moves the stone.
  const StopPrediction one = predictStop(0.0, -0.5 * DECEL_PER_STEP, -1.0);
  EXPECT_EQ(one.steps, 1);
  EXPECT_EQ(one.y, DELIVERY_Y - 0.5 * DECEL_PER_STEP * STEP_DT);
}

// The tables are a shortcut for integrating the step rule: both must agree on the stop.
TEST_F(MotionTest, TableStopAgreesWithBruteForceIntegration) {
  const ShotVector shots[] = {{-0.986f, -29.56f, false}, {0.5f, -30.2f, true},
                              {-1.6f, -29.0f, true},     {0.9f, -33.9f, false},
                              {0.0f, -28.0f, false},     {2.2f, -31.0f, true}};
  for (const ShotVector& shot : shots) {
    StoneLocus locus;
    ASSERT_TRUE(vec_to_locus_deliver(shot, locus));
    EXPECT_EQ(locus.shot[0], shot.vx);
    EXPECT_EQ(locus.shot[1], shot.vy);
    EXPECT_EQ(locus.spin, shot.spin ? 1 : 0);
    EXPECT_EQ(locus.omega, curlSign(shot.spin) * DELIVERY_OMEGA);
    // Handed back one step before the anchoring point, which lies below TABLE_MOTION_Y.
    TrajectoryPoint anchor;
    locusPoint(locus, locus.k, locus.cur.stepsLeft - 1, anchor);
    EXPECT_LT(anchor.y, TABLE_MOTION_Y);
    EXPECT_GE(locus.cur.y, anchor.y);
    const StopPrediction brute = bruteForceStop(shot);
    EXPECT_NEAR(locus.stopX, brute.x, 1e-4);
    EXPECT_NEAR(locus.stopY, brute.y, 1e-4);
    StoneLocus* list[] = {&locus};
    advanceLoci(list, 1, STEPS_NEVER);
    EXPECT_NEAR(locus.cur.x, brute.x, 1e-4);
    EXPECT_NEAR(locus.cur.y, brute.y, 1e-4);
  }
}

TEST_F(MotionTest, UndeliverableShotIsReportedAndHandedBackAtRest) {
  const ShotVector slow{0.2f, -8.0f, false};
  StoneLocus locus;
  ::testing::internal::CaptureStderr();
  const bool delivered = vec_to_locus_deliver(slow, locus);
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(delivered);
  EXPECT_NE(message.find("vec_to_locus_deliver"), std::string::npos);
  EXPECT_NE(message.find("この初速度ではプレイエリアに届きません"), std::string::npos);
  EXPECT_EQ(locus.cur.moving, 0);
  EXPECT_EQ(locus.cur.speed, 0.0);
  const StopPrediction brute = bruteForceStop(slow);
  EXPECT_NEAR(locus.cur.x, brute.x, 1e-9);
  EXPECT_NEAR(locus.cur.y, brute.y, 1e-9);
  EXPECT_EQ(locus.stopX, locus.cur.x);
  EXPECT_EQ(locus.stopY, locus.cur.y);
  EXPECT_EQ(locus.shot[0], slow.vx);
}

TEST_F(MotionTest, WildShotVectorsEndWithoutHangingOrLeavingTheTables) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const ShotVector wild[] = {{nan, -30.0f, false},  {0.0f, nan, true},    {inf, -30.0f, false},
                             {0.0f, -inf, true},    {0.0f, 1e30f, false}, {0.0f, -1e30f, true},
                             {3e38f, 3e38f, false}, {0.0f, 35.0f, false}, {0.0f, 0.0f, true},
                             {-1e-30f, 0.0f, false}};
  for (const ShotVector& shot : wild) {
    StoneLocus locus;
    ::testing::internal::CaptureStderr();
    const bool delivered = vec_to_locus_deliver(shot, locus);
    ::testing::internal::GetCapturedStderr();
    ASSERT_GE(locus.k, 0);
    ASSERT_LT(locus.k, TRAJECTORY_COUNT);
    ASSERT_GE(locus.cur.stepsLeft, 0);
    ASSERT_LE(locus.cur.stepsLeft, lastRow(locus.k));
    EXPECT_TRUE(finitePoint(locus.cur)) << shot.vx << " " << shot.vy;
    if (!delivered) {
      EXPECT_EQ(locus.cur.moving, 0);
    }
    StoneLocus* list[] = {&locus};
    advanceLoci(list, 1, STEPS_NEVER);
    EXPECT_EQ(locus.cur.stepsLeft, 0);
  }
}

TEST_F(MotionTest, ExtremeSpeedsStayInsideTheTables) {
  const double speeds[] = {0.0,
                           -1.0,
                           1e-300,
                           STOP_SPEED,
                           DECEL_PER_STEP,
                           22.97,
                           1148 * DECEL_PER_STEP,
                           23.0,
                           1e3,
                           1e9,
                           1e300,
                           std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()};
  for (const double v : speeds) {
    const int32_t k = trajectoryForSpeed(v);
    ASSERT_GE(k, 0) << v;
    ASSERT_LT(k, TRAJECTORY_COUNT) << v;
    const int32_t row = rowForSpeed(k, v);
    ASSERT_GE(row, 0) << v;
    ASSERT_LE(row, lastRow(k)) << v;
    StoneLocus locus;
    anchorLocus(locus, 2.0, 9.0, 0.0, -v, v, v == 0.0 ? INVERSE_OF_ZERO : 1.0 / v, 1.0);
    ASSERT_LE(locus.cur.stepsLeft, lastRow(locus.k));
  }
  // Faster than the tables: anchored on the fastest row.
  StoneLocus fast;
  anchorLocus(fast, 2.0, 9.0, 0.0, -40.0, 40.0, 1.0 / 40.0, 1.0);
  EXPECT_EQ(fast.cur.stepsLeft, lastRow(fast.k));
  EXPECT_EQ(fast.cur.x, 2.0);
  EXPECT_EQ(fast.cur.y, 9.0);
}

}  // namespace
}  // namespace varrowmere
