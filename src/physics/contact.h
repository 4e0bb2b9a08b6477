#pragma once
// Contact prediction: how many model steps remain until a moving stone touches a stone at rest
// (hitSteps) or another moving stone (pairSteps). Both estimate the contact on straight lines,
// then confirm it on the reference tables by comparing centre distances row by row against two
// radii. No step-by-step integration; every table index is clamped and every walk bounded.

#include <cmath>
#include <cstdint>

#include "driver/game_state.h"
#include "physics/motion.h"

namespace varrowmere {

// Contact-time matrix, indexed by StoneLocus::stoneIndex: steps from now until the two stones
// touch, or STEPS_NEVER. Symmetric: every writer stores [i][j] and [j][i] alike.
using ContactMatrix = int32_t[STONE_COUNT][STONE_COUNT];

// chordTable entries per metre of lateral offset: index = trunc(offset * this).
inline constexpr double CHORD_INDEX_PER_METRE = 1000.0;

// Steps until the moving stone m first touches a stone at rest at (x, y); STEPS_NEVER if it
// does not.
int32_t hitSteps(const StoneLocus& m, double x, double y);

// hitSteps's lateral test: true when the offset (rx, ry) from the moving stone lies more than
// two radii across the line along the unit direction (dx, dy). A negated comparison, so that
// offsets that are not numbers are refused too.
inline bool lateralTooFar(double rx, double ry, double dx, double dy) {
  return !(std::fabs(ry * dx - rx * dy) <= TWO_RADII);
}

// hitSteps's first test, kept for one moving stone so that many positions can be tried: a
// stone at rest farther than two radii from both lines hitSteps may measure against (towards
// the stop, and along the heading) is never hit. Computed exactly as hitSteps computes it.
struct ContactProbe {
  double x = 0.0, y = 0.0;
  double stopDirX = 0.0, stopDirY = 0.0;
  double headingX = 0.0, headingY = 0.0;

  explicit ContactProbe(const StoneLocus& m);
  // True when hitSteps(m, x, y) is certainly STEPS_NEVER.
  bool misses(double atX, double atY) const {
    const double rx = atX - x, ry = atY - y;
    return lateralTooFar(rx, ry, stopDirX, stopDirY) && lateralTooFar(rx, ry, headingX, headingY);
  }
};
// Steps until the moving stones a and b first touch; STEPS_NEVER if they do not.
int32_t pairSteps(const StoneLocus& a, const StoneLocus& b);

// The delivered stone against every listed stone at rest (no active check). With known, the
// stones whose known[j] is not negative take it as their steps instead of a prediction.
void predictShotContacts(const StoneLocus& shot, StoneLocus* const* resting, int restingCount,
                         ContactMatrix matrix, const int32_t* known = nullptr);
// Every moving stone with active = 1 against every stone at rest.
void predictMovingVsResting(StoneLocus* const* moving, int movingCount, StoneLocus* const* resting,
                            int restingCount, ContactMatrix matrix);
// Every unordered pair of moving stones (list order) of which at least one has active = 1.
void predictMovingPairs(StoneLocus* const* moving, int movingCount, ContactMatrix matrix);

}  // namespace varrowmere
