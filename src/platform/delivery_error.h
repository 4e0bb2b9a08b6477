#pragma once
// The delivery error of a thrower: each shot is played not exactly as asked but with its speed
// and direction perturbed by independent Gaussians. The referee plays every shot so, and the
// strong mode values shots under the same error.
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

#include "physics/sheet.h"

namespace varrowmere {

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
// steps; call once, after the motion tables are built).
NoiseSigmas deriveNoiseSigmas();

// The shot delivered with a speed error (m/s) and a direction error (rad, counter-clockwise).
// A zero shot stays zero (nothing is delivered); an error that would make the speed negative
// leaves a zero shot.
ShotVector perturbShot(const ShotVector& shot, double speedError, double angleError);

}  // namespace varrowmere
