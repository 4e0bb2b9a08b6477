#pragma once
// The shot maker: turns a target point into a shot, computed from this project's own motion
// model. Stands in for the curling platform's library of the same names and records.
//
// How it solves: the step rule depends only on the velocity relative to its own direction,
// so every delivery is a rotated (spin 1: also mirrored) copy of one straight reference
// delivery, integrated once from SHOT_REFERENCE_TOP_SPEED down to rest. The speed follows
// from the delivery-to-target distance on that reference, the direction from its chord angle.
// The answer is then delivered for real (vec_to_locus_deliver and the stop it predicts); if it
// misses by more than SHOT_CORRECTION_GOAL, the next try aims off by the miss, which closes
// what the interpolation of the reference leaves; that is a few hundredths of a millimetre, so
// the first delivery nearly always stands.
//
// Both routines are safe to call from several threads at once (the reference is built once,
// on first use) and allocate nothing after that.

#include "physics/motion.h"
#include "physics/sheet.h"

namespace varrowmere {

// Fastest delivery (m/s) the shot maker offers; its reference delivery starts at this speed.
inline constexpr double SHOT_REFERENCE_TOP_SPEED = 64.0;
// A draw must stop within this distance (m) of its target; a hit must pass within it.
inline constexpr double SHOT_POSITION_TOLERANCE = 0.001;
// A hit's speed (m/s) where it passes the target may differ this much from the power asked.
inline constexpr double SHOT_SPEED_TOLERANCE = 0.01;
// The corrections stop once the real delivery lands this close (m) to the target.
inline constexpr double SHOT_CORRECTION_GOAL = 0.0001;
// Real deliveries tried at most per shot (the first checks the reference's answer).
inline constexpr int SHOT_CORRECTION_LIMIT = 6;
// A shot whose stone would rest less than this (m) below TABLE_MOTION_Y, or above it, is not
// checked against vec_to_locus_deliver, which would report it as undeliverable: the
// reference's answer stands (it is the step rule's own path, turned onto the target).
inline constexpr double SHOT_DELIVERY_MARGIN = 0.001;

// A target point handed to the shot maker: sheet coordinates (m) and the curl direction.
// Same 12-byte layout as ShotVector.
struct ShotTarget {
  float x = 0.0f;
  float y = 0.0f;
  bool spin = false;
};
static_assert(sizeof(ShotTarget) == 12);

// The shot whose stone, delivered by vec_to_locus_deliver and advanced to its stop, comes to
// rest within SHOT_POSITION_TOLERANCE of the target, with the target's spin. Returns false
// when the target is not a finite point or lies beyond the reach of the fastest delivery;
// shot then holds the nearest shot found (a zero shot for a target that is not finite).
bool CreateShot(ShotTarget target, ShotVector* shot);

// The shot whose stone passes with its centre within SHOT_POSITION_TOLERANCE of the target
// while moving, at speed `power` (model m/s, within SHOT_SPEED_TOLERANCE) at that moment.
// "Passes" is measured on the stone's path as the straight segments between its model steps,
// with the speed interpolated along each segment. Returns false when that is impossible
// (power not above 0 or beyond the fastest delivery, target not finite or out of reach); shot
// then holds a finite fallback: the nearest shot found, or a zero shot.
bool CreateHitShot(ShotTarget target, float power, ShotVector* shot);

// The same, also handing back vec_to_locus_deliver(*shot) in *delivered (when not null): the
// shot maker has delivered that shot already to check it, so a caller that needs the locus
// saves the integration. A shot that cannot be delivered is reported as the delivery does.
bool CreateShot(ShotTarget target, ShotVector* shot, StoneLocus* delivered);
bool CreateHitShot(ShotTarget target, float power, ShotVector* shot, StoneLocus* delivered);

}  // namespace varrowmere
