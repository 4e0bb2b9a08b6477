// The shot maker: draws that rest on their targets, hits that pass theirs at their power.

#include "platform/shot_maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "support/start_up_tables.h"

namespace varrowmere {
namespace {

// Whether the stone passes within `reach` of (x, y) at power +- 0.01 (each step a straight line).
bool passes(const ShotVector& shot, double x, double y, double power, double reach) {
  StoneLocus locus;
  TrajectoryPoint a, b;
  if (!vec_to_locus_deliver(shot, locus)) return false;
  for (int32_t row = locus.cur.stepsLeft; row >= 1; --row) {
    locusPoint(locus, locus.k, row, a);
    locusPoint(locus, locus.k, row - 1, b);
    const double ex = b.x - a.x, ey = b.y - a.y, length = ex * ex + ey * ey;
    const double t = std::clamp(((x - a.x) * ex + (y - a.y) * ey) / length, 0.0, 1.0);
    if (std::hypot(a.x + t * ex - x, a.y + t * ey - y) <= reach &&
        std::fabs(a.speed + t * (b.speed - a.speed) - power) <= 0.01)
      return true;
  }
  return false;
}

// Both spins. The draw grid's targets (the house's width, behind the back line to short of the
// hog line): the handed-back shot's stone rests within 0.1 mm. Power 16 every 0.0725 m of the
// back line: the path passes within 0.1 mm at that power, not at 15.95 nor 1 cm aside.
TEST(ShotMaker, DrawsRestOnTheirTargetsAndHitsPassThemAtTheirPower) {
  testing_support::ensureMotionTables();
  ShotVector shot;
  StoneLocus handed, again;
  for (const bool spin : {false, true}) {
    for (float x = 0.545f; x < 4.2f; x += 0.145f) {
      for (float y = 2.615f; y < 11.0f; y += 0.145f) {
        ASSERT_TRUE(CreateShot({x, y, spin}, &shot, &handed)) << x << " " << y;
        ASSERT_TRUE(vec_to_locus_deliver(shot, again) && shot.spin == spin);
        ASSERT_TRUE(handed.cur.stepsLeft == again.cur.stepsLeft && handed.stopX == again.stopX);
        ASSERT_LE(std::hypot(again.stopX - x, again.stopY - y), 0.0001) << x << " " << y;
      }
    }
    for (float x = 0.145f; x < 4.605f; x += 0.0725f) {
      ASSERT_TRUE(CreateHitShot({x, 3.05f, spin}, 16.0f, &shot)) << x;
      EXPECT_TRUE(passes(shot, x, 3.05, 16.0, 0.0001)) << x << " " << spin;
      EXPECT_FALSE(passes(shot, x, 3.05, 15.95, 0.001) ||
                   passes(shot, x + 0.01, 3.05, 16.0, 0.001));
    }
  }
  // At 22 m/s through (3, 9.7) with spin 1 the stone still rides the tables' top row and the
  // first delivery misses by more than 1 mm: the corrections bring it within 0.1 mm.
  ASSERT_TRUE(CreateHitShot({3.0f, 9.7f, true}, 22.0f, &shot));
  EXPECT_TRUE(passes(shot, 3.0, 9.7, 22.0, 0.0001));
}

// Refused, with a finite shot: targets that are not finite, powers not above 0 or beyond the
// fastest delivery, targets beyond its reach (then the fastest shot towards them).
TEST(ShotMaker, ImpossibleRequestsAreRefusedWithFiniteShots) {
  testing_support::ensureMotionTables();
  const float inf = std::numeric_limits<float>::infinity(), nan = std::nanf("");
  ShotVector shot;
  const auto refused = [&shot](bool made) { return !made && std::isfinite(shot.vx + shot.vy); };
  EXPECT_TRUE(refused(CreateShot({nan, 5.0f, false}, &shot)));
  EXPECT_TRUE(refused(CreateShot({2.0f, -inf, true}, &shot)));
  for (const float power : {0.0f, -3.0f, nan, 1000.0f})
    EXPECT_TRUE(refused(CreateHitShot({2.0f, 3.05f, false}, power, &shot))) << power;
  EXPECT_TRUE(refused(CreateHitShot({2.375f, -1000.0f, false}, 16.0f, &shot)));
  EXPECT_TRUE(refused(CreateShot({2.375f, -1000.0f, false}, &shot)));
  EXPECT_TRUE(std::fabs(std::hypot(shot.vx, shot.vy) - SHOT_REFERENCE_TOP_SPEED) < 0.1 &&
              shot.vy < 0);
}

}  // namespace
}  // namespace varrowmere
