#pragma once
// Helpers for the simulation tests: the motion tables, moving loci made by hand, brute-force
// contact searches on the tables, and shots aimed with the project's own delivery.

#include <algorithm>
#include <cmath>

#include "driver/game_state.h"
#include "physics/motion.h"
#include "support/start_up_tables.h"

namespace varrowmere::test {

using testing_support::ensureMotionTables;

// A stone at (x, y) moving with (vx, vy); a negative omega curls it the other way.
inline StoneLocus movingLocus(double x, double y, double vx, double vy,
                              double omega = DELIVERY_OMEGA) {
  StoneLocus locus;
  const double v = std::sqrt(vx * vx + vy * vy);
  anchorLocus(locus, x, y, vx, vy, v, v == 0.0 ? INVERSE_OF_ZERO : 1.0 / v, omega);
  return locus;
}

// The locus `steps` steps from now (at its stop once it has stopped).
inline TrajectoryPoint stepsAhead(const StoneLocus& locus, int32_t steps) {
  TrajectoryPoint p;
  locusPoint(locus, locus.k, std::max(0, locus.cur.stepsLeft - steps), p);
  return p;
}

inline double gap2(const TrajectoryPoint& a, double x, double y) {
  return (a.x - x) * (a.x - x) + (a.y - y) * (a.y - y);
}

// First step at which the locus is closer than two radii to (x, y), by reading every row.
inline int32_t bruteHit(const StoneLocus& m, double x, double y) {
  for (int32_t t = 0; t <= m.cur.stepsLeft; ++t)
    if (gap2(stepsAhead(m, t), x, y) < CONTACT_DIST_SQ) return t;
  return STEPS_NEVER;
}

// First step at which two loci are closer than two radii, by reading every row.
inline int32_t brutePair(const StoneLocus& a, const StoneLocus& b) {
  const int32_t last = std::max(a.cur.stepsLeft, b.cur.stepsLeft);
  for (int32_t t = 0; t <= last; ++t) {
    const TrajectoryPoint pb = stepsAhead(b, t);
    if (gap2(stepsAhead(a, t), pb.x, pb.y) < CONTACT_DIST_SQ) return t;
  }
  return STEPS_NEVER;
}

// Speed (m/s) a delivered stone needs to travel `distance` metres before it stops.
inline double speedForDistance(double distance) {
  return std::sqrt(2.0 * distance * DECEL_PER_STEP / STEP_DT);
}

inline ShotVector shotOf(double speed, double angle, bool spin) {
  return ShotVector{static_cast<float>(speed * std::sin(angle)),
                    static_cast<float>(-speed * std::cos(angle)), spin};
}

// Newton on (speed, angle) for a residual of two components; f fills it for a shot.
template <typename Residual>
ShotVector solveShot(double speed, double angle, bool spin, Residual f) {
  for (int iteration = 0; iteration < 30; ++iteration) {
    double r[2], rs[2], ra[2];
    f(shotOf(speed, angle, spin), r);
    if (std::hypot(r[0], r[1]) < 1e-5) break;
    const double hs = 1e-3, ha = 1e-5;
    f(shotOf(speed + hs, angle, spin), rs);
    f(shotOf(speed, angle + ha, spin), ra);
    const double j00 = (rs[0] - r[0]) / hs, j01 = (ra[0] - r[0]) / ha;
    const double j10 = (rs[1] - r[1]) / hs, j11 = (ra[1] - r[1]) / ha;
    const double det = j00 * j11 - j01 * j10;
    if (det == 0.0) break;
    speed -= (j11 * r[0] - j01 * r[1]) / det;
    angle -= (-j10 * r[0] + j00 * r[1]) / det;
  }
  return shotOf(speed, angle, spin);
}

// The shot whose delivered stone stops at (x, y).
inline ShotVector aimDraw(double x, double y, bool spin) {
  const auto stopError = [x, y](const ShotVector& shot, double* r) {
    StoneLocus locus;
    vec_to_locus_deliver(shot, locus);
    r[0] = locus.stopX - x;
    r[1] = locus.stopY - y;
  };
  return solveShot(speedForDistance(DELIVERY_Y - y), std::atan2(x - DELIVERY_X, DELIVERY_Y - y),
                   spin, stopError);
}

// The shot whose delivered stone crosses y = targetY at x = targetX with the given speed.
inline ShotVector aimThrough(double x, double y, double speedThere, bool spin) {
  const auto crossingError = [x, y, speedThere](const ShotVector& shot, double* r) {
    StoneLocus locus;
    vec_to_locus_deliver(shot, locus);
    TrajectoryPoint before = locus.cur;
    for (int32_t t = 1; t <= locus.cur.stepsLeft; ++t) {
      const TrajectoryPoint p = stepsAhead(locus, t);
      if (p.y <= y) {
        const double share = (before.y - y) / (before.y - p.y);
        r[0] = before.x + share * (p.x - before.x) - x;
        r[1] = before.speed + share * (p.speed - before.speed) - speedThere;
        return;
      }
      before = p;
    }
    r[0] = before.x - x;
    r[1] = -speedThere - (before.y - y);
  };
  const double start = std::sqrt(speedThere * speedThere + speedForDistance(DELIVERY_Y - y) *
                                                               speedForDistance(DELIVERY_Y - y));
  return solveShot(start, std::atan2(x - DELIVERY_X, DELIVERY_Y - y), spin, crossingError);
}

// A position with the given stones (index, x, y) delivered before shot `shotNum`.
struct PlacedStone {
  int index;
  float x, y;
};
template <std::size_t N>
GameState positionWith(int32_t shotNum, const PlacedStone (&stones)[N]) {
  GameState state;
  state.shotNum = shotNum;
  state.whiteToMove = shotNum % 2 != 0;
  for (const PlacedStone& s : stones) {
    state.stonePos[s.index][0] = s.x;
    state.stonePos[s.index][1] = s.y;
  }
  return state;
}

}  // namespace varrowmere::test
