#pragma once
// A cheap, certain answer to "can hitSteps find this stone at rest?" for the many stones that
// lie well away from a moving stone's path.
//
// hitSteps reports a contact only at a table row within two radii of the stone at rest: a row
// of the mover's own trajectory k, or of the trajectory its estimate's speed names, which is a
// neighbour of k aligned row by row, or (when the estimate lands on the stop) trajectory 0
// read at its stop. The stop case is a disc of two radii about that pseudo stop. Every other
// case lies within a margin of the mover's own rows, from where it is on: the margin is the
// largest distance between aligned rows of k and of any trajectory its rows name, plus how far
// back along its path a row of no greater distance to the stop can lie. The rows themselves
// form a chain that turns one way by less than a right angle, so they lie within the triangle
// over the chord from the first to the last row, whose height bounds their distance from it.
//
// Tables must be built (buildTrajectoryTables also builds the margins).

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "physics/motion.h"

namespace varrowmere {

// Slack (m) for the rounding of the bound's own arithmetic and of anchored positions, far
// above either and far below any spacing of stones that matters.
inline constexpr double PATH_BOUND_SLACK = 1e-6;

// Computes each trajectory's margin (see the file comment); a trajectory whose rows break the
// assumptions (a distance to the stop that does not grow row by row, a turn of a right angle
// or more, or a turn both ways) gets none, and its stones are never cleared.
void buildPathMargins();
// The margin (m, in the table frame) of trajectory k; infinite when it has none.
double pathMargin(int32_t k);

class PathBound {
 public:
  // The stone's whole remaining path: outside it, hitSteps(m, x, y) is STEPS_NEVER.
  static PathBound wholePath(const StoneLocus& m);
  // The stone's next `steps` steps: outside it, hitSteps(m, x, y) is greater than steps.
  static PathBound window(const StoneLocus& m, int32_t steps);

  // Widens the box [minX, maxX] x [minY, maxY] to hold the bound (to everything for a bound
  // that proves nothing).
  void extendBox(double& minX, double& minY, double& maxX, double& maxY) const;

  // True when (x, y) lies outside the bound (never for a bound that proves nothing).
  bool clear(double x, double y) const {
    const double sx = x - stopX_m, sy = y - stopY_m;
    if (!(sx * sx + sy * sy > stopRadiusSq_m)) return false;
    const double px = x - ax_m, py = y - ay_m;
    const double t = std::clamp((px * dx_m + py * dy_m) * invLengthSq_m, 0.0, 1.0);
    const double ex = px - t * dx_m, ey = py - t * dy_m;
    return ex * ex + ey * ey > radiusSq_m;
  }

 private:
  static PathBound between(const StoneLocus& m, int32_t lastRow);

  double ax_m = 0.0, ay_m = 0.0;  // the chord: from the present point...
  double dx_m = 0.0, dy_m = 0.0;  // ...to the last row, as a vector
  double invLengthSq_m = 0.0;     // 1 / |d|^2, 0 for a chord of no length
  double radiusSq_m = INFINITY;   // clear only beyond this squared distance from the chord
  double stopX_m = 0.0, stopY_m = 0.0;
  double stopRadiusSq_m = INFINITY;
};

}  // namespace varrowmere
