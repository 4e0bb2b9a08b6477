#pragma once
// The shot maker: turns a target point into a shot, computed from this project's own motion
// model. Stands in for the curling platform's library of the same names and records.

#include "physics/sheet.h"

namespace varrowmere {

// A target point handed to the shot maker: sheet coordinates (m) and the curl direction.
// Same 12-byte layout as ShotVector.
struct ShotTarget {
  float x = 0.0f;
  float y = 0.0f;
  bool spin = false;
};
static_assert(sizeof(ShotTarget) == 12);

// The shot whose stone, delivered by vec_to_locus_deliver and advanced to its stop, comes to
// rest within 1 mm of the target, with the target's spin. Returns false (and fills the
// nearest shot it found) when the target cannot be reached.
bool CreateShot(ShotTarget target, ShotVector* shot);

// The shot whose stone passes with its centre within 1 mm of the target while moving, with
// speed `power` (model m/s, within 0.01) at that moment. Returns false when impossible.
bool CreateHitShot(ShotTarget target, float power, ShotVector* shot);

}  // namespace varrowmere
