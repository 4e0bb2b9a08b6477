#include "delivery_noise.h"

#include <cmath>
#include <numbers>

namespace varrowmere::match {

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
  // Draw both deviates whatever the shot, so that one player's zero shot does not shift
  // the errors of every later shot.
  const double speedError = gaussian() * sigmas_m.speed * scale_m;
  const double angleError = gaussian() * sigmas_m.angle * scale_m;
  return perturbShot(shot, speedError, angleError);
}

}  // namespace varrowmere::match
