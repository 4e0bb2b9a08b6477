#pragma once
// The step-by-step reference simulation: every stone is advanced by the step rule every
// 1/600 s and all stones sit in one Box2D world stepped every step, so contacts are
// integrated continuously. Slow; the referee plays its shots with it and it is the
// yardstick for the event-driven simulation.

#include "driver/game_state.h"

namespace varrowmere {

// Plays `shot` (stone number in.shotNum) on the position `in`. out gets shotNum + 1, the
// flipped whiteToMove and every stone's resting place; a stone that left the moving area is
// (0, 0), and so is one that stopped outside the final play area. No free-guard-zone rule:
// that is the caller's (the referee applies its own). Other fields of out are copied from in.
void simulateReference(const GameState& in, const ShotVector& shot, GameState& out);

}  // namespace varrowmere
