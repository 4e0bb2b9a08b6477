#include "delivery_noise.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "physics/motion.h"
#include "platform/shot_maker.h"

namespace varrowmere::match {

namespace {

// Stopping point of a delivery of speed v in direction theta (rad, from +x) with curl sign s.
StopPrediction stopOf(double v, double theta, double s) {
  return predictStop(v * std::cos(theta), v * std::sin(theta), s);
}

}  // namespace

NoiseSigmas deriveNoiseSigmas() {
  ShotVector draw;
  CreateShot(ShotTarget{float(TEE_X), float(TEE_Y), false}, &draw);
  const double v = std::hypot(double(draw.vx), double(draw.vy));
  const double theta = std::atan2(double(draw.vy), double(draw.vx));
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

DeliveryNoise::DeliveryNoise(NoiseSigmas sigmas, double scale, uint64_t seed)
    : sigmas_m(sigmas), scale_m(scale), rng_m(seed) {}

double DeliveryNoise::uniform() {
  // 53 random bits, shifted by one so that 0 never comes out (log(0) below).
  return double((rng_m() >> 11) + 1) * 0x1.0p-53;
}

double DeliveryNoise::gaussian() {
  if (haveSpare_m) {
    haveSpare_m = false;
    return spare_m;
  }
  const double radius = std::sqrt(-2.0 * std::log(uniform()));
  const double angle = 2.0 * std::numbers::pi * uniform();
  spare_m = radius * std::sin(angle);
  haveSpare_m = true;
  return radius * std::cos(angle);
}

ShotVector DeliveryNoise::perturb(const ShotVector& shot) {
  if (scale_m == 0.0) return shot;
  const double v = std::hypot(double(shot.vx), double(shot.vy));
  // Draw both deviates whatever the shot, so that one player's zero shot does not shift
  // the errors of every later shot.
  const double speedError = gaussian() * sigmas_m.speed * scale_m;
  const double angleError = gaussian() * sigmas_m.angle * scale_m;
  if (v == 0.0) return shot;
  const double theta = std::atan2(double(shot.vy), double(shot.vx)) + angleError;
  const double speed = std::max(0.0, v + speedError);
  ShotVector out = shot;
  out.vx = float(speed * std::cos(theta));
  out.vy = float(speed * std::sin(theta));
  if (speed == 0.0) out.vx = out.vy = 0.0f;
  return out;
}

}  // namespace varrowmere::match
