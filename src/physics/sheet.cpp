#include "physics/sheet.h"

namespace varrowmere {

bool inMovingArea(double x, double y) {
  return x >= SHEET_X_MIN && x <= SHEET_X_MAX && y >= BACK_LIMIT_Y && y <= FAR_LIMIT_Y;
}

bool inFinalPlayArea(double x, double y) {
  return x >= SHEET_X_MIN && x <= FINAL_X_MAX && y >= FINAL_Y_MIN && y <= FINAL_Y_MAX;
}

bool inFreeGuardZone(float x, float y) {
  if (!(x >= SHEET_X_MIN && x <= SHEET_X_MAX && y >= TEE_LINE_FRONT_Y && y <= HOG_LIMIT_Y))
    return false;
  // Single precision on purpose: the test is made on the float position.
  const float dx = x - static_cast<float>(TEE_X);
  const float dy = y - static_cast<float>(TEE_Y);
  const float distSq = dx * dx + dy * dy;
  return !(distSq < HOUSE_DIST_SQ);
}

}  // namespace varrowmere
