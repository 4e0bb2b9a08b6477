#pragma once
// The sheet frame, its lengths, the model's time step and the shot record.
// Frame: metres; x across the sheet, y along it; stones are delivered from large y towards
// small y. Speeds are metres per second of the model clock (600 steps per second).
// Lengths that involve the stone radius carry the rounding of the float 0.145f on purpose.

#include <cstdint>

namespace varrowmere {

// Stone radius (m), the float 0.145f; every inner limit below is a line +- this value.
inline constexpr float STONE_RADIUS = 0.145f;
// Two radii (m), touching distance of two stone centres, in the two precisions the model
// uses: the double 0.29 (contact prediction) and the float 0.29f widened (the evaluations,
// which work from stored float positions). CONTACT_DIST_SQ = (0.29f)^2 is the contact
// threshold on squared centre distance.
inline constexpr double TWO_RADII = 0.29;
inline constexpr double TWO_RADII_FLOAT = 0.28999999165534973;
static_assert(TWO_RADII_FLOAT == double{0.29f});
inline constexpr double CONTACT_DIST_SQ = 0.08409999516010291;

// Sheet width (m) and the range of x a stone centre may take on it.
inline constexpr double SHEET_WIDTH = 4.75;
inline constexpr double SHEET_X_MIN = 0.14499999582767487;
inline constexpr double SHEET_X_MAX = 4.605000004172325;

// The tee (m): centre line x and tee line y.
inline constexpr double TEE_X = 2.375;
inline constexpr double TEE_Y = 4.88;
// Squared distance from the tee (m^2) below which a stone counts as in the house
// (house radius plus one stone radius, squared).
inline constexpr double HOUSE_DIST_SQ = 3.9;

// Back line (m) and its inner limit (back line + R).
inline constexpr double BACK_LINE_Y = 3.05;
inline constexpr double BACK_LIMIT_Y = 3.1949999958276747;
// Hog line at the house end (m) and its inner limit (hog line - R).
inline constexpr double HOG_LINE_Y = 11.28;
inline constexpr double HOG_LIMIT_Y = 11.135000004172326;
// Tee line less one radius (m): the near edge of the free guard zone.
inline constexpr double TEE_LINE_FRONT_Y = 4.735000004172325;
// Below this y (hog line + 2R) a delivered stone leaves free flight and rides the tables.
inline constexpr double TABLE_MOTION_Y = 11.569999991655349;
// Delivery point (m): the start of every trajectory (y is 41.28 as a float).
inline constexpr double DELIVERY_X = 2.375;
inline constexpr double DELIVERY_Y = 41.279998779296875;
// Far limit of the sheet (m), 45.55 - R.
inline constexpr double FAR_LIMIT_Y = 45.40500000417232;

// Final play area (m): written into a resulting position; a stone outside becomes (0, 0).
inline constexpr double FINAL_X_MAX = 4.605000019073486;
inline constexpr double FINAL_Y_MIN = 2.9049999713897705;
inline constexpr double FINAL_Y_MAX = 11.13499927520752;

// Model time step (s): the float 1/600, widened.
inline constexpr double STEP_DT = 0.0016666667070239782;
// Speed lost per model step (m/s); its reciprocal is STEPS_PER_SPEED.
inline constexpr double DECEL_PER_STEP = 0.0200153609989826;
// Steps a stone needs to stop, per m/s of speed.
inline constexpr double STEPS_PER_SPEED = 49.96162697494344;
// Turn of the direction per step (rad, applied as a sideways velocity share).
inline constexpr double CURL_PER_STEP = 0.0013349445788237338;
// A speed below STOP_SPEED_UNIT * STOP_SPEED_SHARE (m/s) counts as stopped. The unit is also
// the speed difference between two neighbouring reference trajectories.
inline constexpr double STOP_SPEED_UNIT = 2.00153609989826e-05;
inline constexpr double STOP_SPEED_SHARE = 0.01;
inline constexpr double STOP_SPEED = STOP_SPEED_UNIT * STOP_SPEED_SHARE;
// Box2D time step (s), the float 1/600 (bits 0x3ADA740E).
inline constexpr float BOX2D_STEP = 1.0f / 600.0f;
// Angular velocity (rad/s) of a delivered stone, times its curl sign.
inline constexpr float DELIVERY_OMEGA = 0.066696f;

// "Nothing yet" for values, and the inverse of a zero speed or distance.
inline constexpr double VALUE_NONE = -3.4028234663852886e38;
inline constexpr double INVERSE_OF_ZERO = 3.4028234663852886e38;
// A step count that means "never".
inline constexpr int32_t STEPS_NEVER = 2147483647;

// A shot: the delivered stone's initial velocity (m/s) and curl direction. The curl sign is
// 1 - 2 * spin. Same 12-byte layout as the shot maker's record.
struct ShotVector {
  float vx = 0.0f;
  float vy = 0.0f;
  bool spin = false;
};
static_assert(sizeof(ShotVector) == 12);

inline constexpr double curlSign(bool spin) { return spin ? -1.0 : 1.0; }

// While stones move: a stone outside this area is removed at once.
bool inMovingArea(double x, double y);
// On a resulting position: a stone outside this area is written as (0, 0).
bool inFinalPlayArea(double x, double y);
// Free guard zone: between tee line and hog line, inside the sheet, outside the house test.
// The house test is done in single precision on the stored float position.
bool inFreeGuardZone(float x, float y);

}  // namespace varrowmere
