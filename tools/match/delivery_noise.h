#pragma once
// Delivery noise: the referee plays each shot not exactly as asked but with its speed and
// direction perturbed by independent Gaussians, as a human thrower would.
//
// The two standard deviations are derived from the motion model so that a draw to the tee
// stops with a standard deviation of TEE_DRAW_SPREAD along the centre line and the same
// across it. To first order the stopping point moves by J (dv, dtheta), where the columns of
// J are the stop's sensitivity to the delivery speed (m per m/s) and to the delivery angle
// (m per rad), measured by central differences of predictStop around the shot maker's tee
// draw. With independent errors the variances along (y) and across (x) the line are
//   Jy,v^2 sv^2 + Jy,t^2 st^2  and  Jx,v^2 sv^2 + Jx,t^2 st^2,
// and setting both to TEE_DRAW_SPREAD^2 gives sv^2 and st^2 by one 2x2 solve. A speed error
// mostly lengthens the path (about 2.5 m of stop per m/s at a tee draw) and an angle error
// mostly swings the whole 36 m path sideways, so sv is about 0.06 m/s and st about 0.004 rad.

#include <cstdint>
#include <random>

#include "physics/sheet.h"

namespace varrowmere::match {

// Standard deviation (m) of a tee draw's stopping point, along and across the line.
inline constexpr double TEE_DRAW_SPREAD = 0.145;
// Steps of the central differences: delivery speed (m/s) and direction (rad).
inline constexpr double SENSITIVITY_SPEED_STEP = 0.01;
inline constexpr double SENSITIVITY_ANGLE_STEP = 1e-4;

// Standard deviations of the delivery errors: speed (m/s) and direction (rad).
struct NoiseSigmas {
  double speed = 0.0;
  double angle = 0.0;
};

// Derives the sigmas from the motion model as the file comment says (a few thousand model
// steps; call once).
NoiseSigmas deriveNoiseSigmas();

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
