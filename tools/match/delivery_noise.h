#pragma once
// Delivery noise: the referee plays each shot not exactly as asked but with its speed and
// direction perturbed by independent Gaussians (platform/delivery_error.h), drawn from a
// seeded generator so that a seed gives the same errors in the same order.

#include <cstdint>
#include <random>

#include "physics/sheet.h"
#include "platform/delivery_error.h"

namespace varrowmere::match {

using varrowmere::deriveNoiseSigmas;
using varrowmere::NoiseSigmas;

// A reproducible source of delivery errors. `scale` multiplies both sigmas (0: exact shots).
class DeliveryNoise {
 public:
  DeliveryNoise(NoiseSigmas sigmas, double scale, uint64_t seed);

  // The shot as delivered. A zero shot stays zero (nothing is delivered); a speed error that
  // would make the speed negative leaves a zero shot.
  ShotVector perturb(const ShotVector& shot);

  // One standard normal deviate: Box-Muller on 53-bit uniforms from mt19937_64, whose output
  // the language fixes, so a seed gives the same game with every standard library.
  double gaussian();

 private:
  NoiseSigmas sigmas_m;
  double scale_m;
  std::mt19937_64 rng_m;
  double spare_m = 0.0;
  bool haveSpare_m = false;
  // A uniform deviate in (0, 1].
  double uniform();
};

}  // namespace varrowmere::match
