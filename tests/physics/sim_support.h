#pragma once
// Helpers of the physics tests: the motion tables (built before any test runs), loci made by
// hand, a contact search that reads every row, positions played through simulateShot.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "physics/simulate.h"
#include "support/start_up_tables.h"

namespace varrowmere::test {

struct MotionTables : ::testing::Environment {
  void SetUp() override { testing_support::ensureMotionTables(); }
};
inline ::testing::Environment* const motionTables =
    ::testing::AddGlobalTestEnvironment(new MotionTables);

// A stone at (x, y) moving with (vx, vy), at rest for (0, 0); omega < 0 curls it the other way.
inline StoneLocus movingLocus(double x, double y, double vx, double vy,
                              double omega = DELIVERY_OMEGA) {
  StoneLocus locus;
  const double v = std::hypot(vx, vy);
  anchorLocus(locus, x, y, vx, vy, v, v == 0.0 ? INVERSE_OF_ZERO : 1.0 / v, omega);
  return locus;
}

inline StoneLocus delivered(const ShotVector& shot) {
  StoneLocus locus;
  vec_to_locus_deliver(shot, locus);
  return locus;
}

// The locus `steps` steps from now (its stop once it has stopped).
inline TrajectoryPoint stepsAhead(const StoneLocus& locus, int32_t steps) {
  TrajectoryPoint p;
  locusPoint(locus, locus.k, std::max(0, locus.cur.stepsLeft - steps), p);
  return p;
}

inline double gap2(const TrajectoryPoint& a, const TrajectoryPoint& b) {
  return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

// First step at which the two stones are closer than two radii, reading every row.
inline int32_t bruteContact(const StoneLocus& a, const StoneLocus& b) {
  for (int32_t t = 0; t <= std::max(a.cur.stepsLeft, b.cur.stepsLeft); ++t)
    if (gap2(stepsAhead(a, t), stepsAhead(b, t)) < CONTACT_DIST_SQ) return t;
  return STEPS_NEVER;
}

// A position before shot `shotNum` with the listed stones (index, x, y) in play.
struct Placed {
  int index;
  float x, y;
};
inline GameState positionWith(int32_t shotNum, std::initializer_list<Placed> stones) {
  GameState state;
  state.shotNum = shotNum;
  state.whiteToMove = shotNum % 2 != 0;
  for (const Placed& s : stones) {
    state.stonePos[s.index][0] = s.x;
    state.stonePos[s.index][1] = s.y;
  }
  return state;
}

// The event-driven simulation of `shot` on `in`.
inline GameState play(SimWorld& world, const GameState& in, const StoneLocus& shot) {
  StoneLocus stones[STONE_COUNT];
  int32_t count = 0;
  loadStones(in, stones, count);
  GameState out = in;
  simulateShot(world, shot, stones, count, in, out);
  return out;
}

}  // namespace varrowmere::test
