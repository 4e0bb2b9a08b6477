#include "platform/delivery_error.h"

#include <algorithm>
#include <cmath>

#include "physics/motion.h"
#include "platform/portable_math.h"
#include "platform/shot_maker.h"

namespace varrowmere {

namespace {

// Stopping point of a delivery of speed v in direction theta (rad, from +x) with curl sign s.
StopPrediction stopOf(double v, double theta, double s) {
  return predictStop(v * portable::cos(theta), v * portable::sin(theta), s);
}

}  // namespace

NoiseSigmas deriveNoiseSigmas() {
  ShotVector draw;
  CreateShot(ShotTarget{float(TEE_X), float(TEE_Y), false}, &draw);
  const double v = portable::hypot(double(draw.vx), double(draw.vy));
  const double theta = portable::atan2(double(draw.vy), double(draw.vx));
  const double s = curlSign(draw.spin);
  const double hv = SENSITIVITY_SPEED_STEP, ht = SENSITIVITY_ANGLE_STEP;

  const StopPrediction fastV = stopOf(v + hv, theta, s), slowV = stopOf(v - hv, theta, s);
  const StopPrediction leftT = stopOf(v, theta + ht, s), rightT = stopOf(v, theta - ht, s);
  // Sensitivities (x: across the line, y: along it).
  const double xv = (fastV.x - slowV.x) / (2 * hv), yv = (fastV.y - slowV.y) / (2 * hv);
  const double xt = (leftT.x - rightT.x) / (2 * ht), yt = (leftT.y - rightT.y) / (2 * ht);

  // Solve [yv^2 yt^2; xv^2 xt^2] (a, b) = (spread^2, spread^2) for the two variances.
  const double target = TEE_DRAW_SPREAD * TEE_DRAW_SPREAD;
  const double det = yv * yv * xt * xt - yt * yt * xv * xv;
  double speedVar = (target * xt * xt - target * yt * yt) / det;
  double angleVar = (yv * yv * target - xv * xv * target) / det;
  if (!(speedVar > 0.0) || !(angleVar > 0.0)) {
    // Not expected with this model; fall back to treating the two errors as orthogonal.
    speedVar = target / (xv * xv + yv * yv);
    angleVar = target / (xt * xt + yt * yt);
  }
  return NoiseSigmas{std::sqrt(speedVar), std::sqrt(angleVar)};
}

ShotVector perturbShot(const ShotVector& shot, double speedError, double angleError) {
  const double v = portable::hypot(double(shot.vx), double(shot.vy));
  if (v == 0.0) return shot;
  const double theta = portable::atan2(double(shot.vy), double(shot.vx)) + angleError;
  const double speed = std::max(0.0, v + speedError);
  ShotVector out = shot;
  out.vx = float(speed * portable::cos(theta));
  out.vy = float(speed * portable::sin(theta));
  if (speed == 0.0) out.vx = out.vy = 0.0f;
  return out;
}

}  // namespace varrowmere
