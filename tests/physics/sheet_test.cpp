// The sheet frame: its constants and the three play-area tests at their exact limits.

#include "physics/sheet.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

namespace varrowmere {
namespace {

double below(double v) { return std::nextafter(v, -1e9); }
double above(double v) { return std::nextafter(v, 1e9); }
float belowF(float v) { return std::nextafter(v, -1e9f); }

// A point well inside every area, to vary one coordinate at a time: x near the side line
// (out of the house), y between the tee line and the hog line.
constexpr double INSIDE_X = 0.5;
constexpr double INSIDE_Y = 9.0;

TEST(SheetConstants, LimitsCarryTheFloatRadius) {
  const double r = static_cast<double>(STONE_RADIUS);
  EXPECT_EQ(r, 0.14499999582767487);
  EXPECT_EQ(SHEET_X_MIN, r);
  EXPECT_DOUBLE_EQ(SHEET_X_MAX, SHEET_WIDTH - r);
  EXPECT_DOUBLE_EQ(BACK_LIMIT_Y, BACK_LINE_Y + r);
  EXPECT_DOUBLE_EQ(HOG_LIMIT_Y, HOG_LINE_Y - r);
  EXPECT_DOUBLE_EQ(TEE_LINE_FRONT_Y, TEE_Y - r);
  EXPECT_DOUBLE_EQ(TABLE_MOTION_Y, HOG_LINE_Y + 2 * r);
  EXPECT_DOUBLE_EQ(FAR_LIMIT_Y, 45.55 - r);
  EXPECT_EQ(TEE_X, SHEET_WIDTH / 2);
  EXPECT_EQ(DELIVERY_X, TEE_X);

  // The final area's limits are floats: 4.605f, 2.905f and the float below 11.135f.
  EXPECT_EQ(FINAL_X_MAX, static_cast<double>(4.605f));
  EXPECT_EQ(FINAL_Y_MIN, static_cast<double>(2.905f));
  EXPECT_EQ(FINAL_Y_MAX, static_cast<double>(belowF(11.135f)));
  EXPECT_EQ(DELIVERY_Y, static_cast<double>(41.28f));

  const double twoRadiiF = static_cast<double>(0.29f);
  EXPECT_EQ(CONTACT_DIST_SQ, twoRadiiF * twoRadiiF);
  EXPECT_DOUBLE_EQ(TWO_RADII * TWO_RADII, 0.0841);
}

TEST(SheetConstants, ModelClock) {
  EXPECT_EQ(STEP_DT, static_cast<double>(1.0f / 600.0f));
  EXPECT_EQ(std::bit_cast<uint32_t>(BOX2D_STEP), 0x3ADA740Eu);
  EXPECT_NEAR(DECEL_PER_STEP * STEPS_PER_SPEED, 1.0, 1e-15);
  EXPECT_EQ(STOP_SPEED, STOP_SPEED_UNIT * STOP_SPEED_SHARE);
  EXPECT_NEAR(STOP_SPEED, 2.00153609989826e-07, 1e-21);
  EXPECT_EQ(static_cast<double>(DELIVERY_OMEGA), 0.06669600307941437);
  EXPECT_EQ(curlSign(false), 1.0);
  EXPECT_EQ(curlSign(true), -1.0);
  EXPECT_EQ(sizeof(ShotVector), 12u);
}

TEST(PlayAreas, MovingAreaLimitsAreInclusive) {
  EXPECT_TRUE(inMovingArea(INSIDE_X, INSIDE_Y));
  for (const double x : {SHEET_X_MIN, SHEET_X_MAX}) EXPECT_TRUE(inMovingArea(x, INSIDE_Y)) << x;
  for (const double y : {BACK_LIMIT_Y, FAR_LIMIT_Y}) EXPECT_TRUE(inMovingArea(INSIDE_X, y)) << y;
  EXPECT_FALSE(inMovingArea(below(SHEET_X_MIN), INSIDE_Y));
  EXPECT_FALSE(inMovingArea(above(SHEET_X_MAX), INSIDE_Y));
  EXPECT_FALSE(inMovingArea(INSIDE_X, below(BACK_LIMIT_Y)));
  EXPECT_FALSE(inMovingArea(INSIDE_X, above(FAR_LIMIT_Y)));
  // Between the back line limits of the two areas: gone while moving.
  EXPECT_FALSE(inMovingArea(INSIDE_X, 3.0));
  EXPECT_FALSE(inMovingArea(0.0, 0.0));
  EXPECT_FALSE(inMovingArea(0.1449999, INSIDE_Y));
}

TEST(PlayAreas, FinalPlayAreaLimitsDifferFromTheMovingOnes) {
  EXPECT_TRUE(inFinalPlayArea(INSIDE_X, INSIDE_Y));
  EXPECT_TRUE(inFinalPlayArea(SHEET_X_MIN, INSIDE_Y));
  EXPECT_TRUE(inFinalPlayArea(4.605000019073486, INSIDE_Y));
  EXPECT_TRUE(inFinalPlayArea(INSIDE_X, 2.9049999713897705));
  EXPECT_TRUE(inFinalPlayArea(INSIDE_X, 11.13499927520752));
  EXPECT_FALSE(inFinalPlayArea(below(SHEET_X_MIN), INSIDE_Y));
  EXPECT_FALSE(inFinalPlayArea(above(4.605000019073486), INSIDE_Y));
  EXPECT_FALSE(inFinalPlayArea(INSIDE_X, below(2.9049999713897705)));
  EXPECT_FALSE(inFinalPlayArea(INSIDE_X, above(11.13499927520752)));

  // At rest behind the moving area's back limit but still in play.
  EXPECT_TRUE(inFinalPlayArea(INSIDE_X, 3.0));
  // Beyond the hog limit: the float 11.135f itself, 11.14 and 11.2 are out.
  EXPECT_FALSE(inFinalPlayArea(INSIDE_X, static_cast<double>(11.135f)));
  EXPECT_FALSE(inFinalPlayArea(INSIDE_X, 11.14));
  EXPECT_FALSE(inFinalPlayArea(INSIDE_X, 11.2));
  // x = 4.605f is out while moving but in at rest.
  EXPECT_FALSE(inMovingArea(static_cast<double>(4.605f), INSIDE_Y));
  EXPECT_FALSE(inFinalPlayArea(0.0, 0.0));
  EXPECT_FALSE(inFinalPlayArea(0.1449999, INSIDE_Y));
}

TEST(PlayAreas, FreeGuardZoneOnFloatPositions) {
  // x = 0.3 keeps the near end of the zone out of the house.
  const float x = 0.3f;
  const float y = 9.0f;
  EXPECT_TRUE(inFreeGuardZone(x, y));
  // x: 0.145f is the limit itself; the largest float not above 4.605000004172325 is the one
  // below 4.605f, so 4.605f is out here though the final area takes it.
  EXPECT_TRUE(inFreeGuardZone(0.145f, y));
  EXPECT_FALSE(inFreeGuardZone(belowF(0.145f), y));
  EXPECT_FALSE(inFreeGuardZone(0.1449999f, y));
  EXPECT_TRUE(inFreeGuardZone(belowF(4.605f), y));
  EXPECT_FALSE(inFreeGuardZone(4.605f, y));
  // y: from 4.735f (above 4.735000004172325) to the float below 11.135f.
  EXPECT_TRUE(inFreeGuardZone(x, 4.735f));
  EXPECT_FALSE(inFreeGuardZone(x, belowF(4.735f)));
  EXPECT_TRUE(inFreeGuardZone(x, belowF(11.135f)));
  EXPECT_FALSE(inFreeGuardZone(x, 11.135f));
  EXPECT_FALSE(inFreeGuardZone(0.0f, 0.0f));
}

TEST(PlayAreas, FreeGuardZoneExcludesTheHouseInSinglePrecision) {
  // A position whose single-precision squared distance from the tee is exactly 3.9f: in the
  // zone (the test is "not below 3.9"); one float nearer the tee it is below 3.9 and out.
  const float x = 2.387f;
  const float y = 6.8548054695129395f;
  const float dx = x - 2.375f;
  const float dy = y - 4.88f;
  ASSERT_EQ(dx * dx + dy * dy, 3.9f);
  EXPECT_TRUE(inFreeGuardZone(x, y));
  EXPECT_FALSE(inFreeGuardZone(x, belowF(y)));
  // Deep in the house and on the tee: out; a guard on the centre line: in.
  EXPECT_FALSE(inFreeGuardZone(2.375f, 4.88f));
  EXPECT_FALSE(inFreeGuardZone(2.375f, 6.8f));
  EXPECT_TRUE(inFreeGuardZone(2.375f, 8.995f));
}

}  // namespace
}  // namespace varrowmere
