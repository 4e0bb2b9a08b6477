#pragma once
// The step-by-step reference simulation: every stone is advanced by the step rule every
// 1/600 s and all stones sit in one Box2D world stepped every step, so contacts are
// integrated continuously. Slow; the referee plays its shots with it and it is the
// yardstick for the event-driven simulation.
//
// The delivered stone starts at the delivery point with the same half step as
// vec_to_locus_deliver and is integrated from there, so both simulations see the same path
// without the reference depending on the trajectory tables. Each step is: one Box2D step
// (positions move by the present velocity, contacts are resolved), then the step rule on every
// moving stone's velocity, with the curl sign of its angular velocity (negative: -1). Stones
// at rest start asleep, so Box2D leaves them (even overlapping ones) alone until touched.
// Reentrant: every call builds its own world, so the result depends on the input only.

#include <cstdint>
#include <vector>

#include "driver/game_state.h"
#include "physics/sheet.h"

namespace varrowmere {

// Steps (1/600 s each) after which the reference gives up and takes the stones where they
// are: a minute of model time, far beyond any shot (a delivery takes about 2000 steps).
inline constexpr int32_t MAX_REFERENCE_STEPS = 36000;

// Plays `shot` (stone number in.shotNum) on the position `in`. out gets shotNum + 1, the
// flipped whiteToMove and every stone's resting place; a stone that left the moving area is
// (0, 0), and so is one that stopped outside the final play area. No free-guard-zone rule:
// that is the caller's (the referee applies its own). Other fields of out are copied from in.
void simulateReference(const GameState& in, const ShotVector& shot, GameState& out);

// Steps between two samples of a recorded path: 1/30 s of model time.
inline constexpr int32_t PATH_SAMPLE_STEPS = 20;

// A sample of a moving stone: the step after which it was taken (0: the release) and the
// stone's centre (m).
struct PathPoint {
  int32_t step = 0;
  float x = 0.0f, y = 0.0f;
};

// The path of one stone that moved during a shot, in time order: where it started, every
// PATH_SAMPLE_STEPS steps, after every step in which a contact began, and where it stopped
// or left the moving area.
struct StonePath {
  int32_t stone = 0;  // index in GameState::stonePos
  std::vector<PathPoint> points;
};
using ShotPaths = std::vector<StonePath>;

// The same, and the path of every stone that moved, in the order they started moving.
void simulateReference(const GameState& in, const ShotVector& shot, GameState& out,
                       ShotPaths& paths);

}  // namespace varrowmere
