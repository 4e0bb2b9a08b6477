#pragma once
// Takeout paths for the guard-table generator: the path of a thrown stone aimed at a target
// with a lateral offset, taken from the motion model's tables, and the tests that decide
// whether a second stone spoils that takeout. Needs buildChordTable and buildTrajectoryTables.

#include <vector>

#include "physics/motion.h"

namespace varrowmere::guardgen {

// Speed (model m/s) of the thrown stone as it passes its aim point: the hit grid's power.
inline constexpr double TAKEOUT_SPEED = 16.0;
// Entries per cell and the entry of the full hit: entry j aims (j - OFFSET_CENTRE) * OFFSET_STEP
// (m) beside the target's centre, so entries 0 and 22 graze it.
inline constexpr int OFFSET_ENTRIES = 23;
inline constexpr int OFFSET_CENTRE = 11;
inline constexpr double OFFSET_STEP = TWO_RADII / OFFSET_CENTRE;
// Shot search: a path counts as through its aim point within this distance (m).
inline constexpr double AIM_TOLERANCE = 1.0e-4;
inline constexpr int AIM_ITERATIONS = 60;

// One takeout. The aim point is the target's centre moved `offset` (m) across the stone's
// direction there, positive to the left of that direction (+x for a stone going down the sheet).
struct TakeoutPath {
  // Centres of the thrown stone in time order, from the fastest row of its trajectory table to
  // the contact point (the last point).
  std::vector<double> x, y;
  double contactX = 0.0, contactY = 0.0;
  // False when the path only grazes the target (never nearer than two radii): contactX/Y is
  // then the point of closest approach.
  bool touches = false;
  // How far the found path passes from the aim point (m).
  double aimError = 0.0;
};

// The takeout at target (tx, ty) with the given offset (m) and spin, passing its aim point at
// TAKEOUT_SPEED. Its shot is searched by delivering it with vec_to_locus_deliver.
TakeoutPath buildTakeout(double tx, double ty, double offset, bool spin);

// Whether a second stone at (x, y) meets the thrown stone before it reaches the target.
bool spoilsFromFront(const TakeoutPath& path, double x, double y);
// Whether the target at (tx, ty), driven from the contact along the line of centres for
// `travel` metres, meets a second stone at (x, y).
bool spoilsFromBehind(const TakeoutPath& path, double tx, double ty, double travel, double x,
                      double y);

}  // namespace varrowmere::guardgen
