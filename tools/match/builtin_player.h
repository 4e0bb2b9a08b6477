#pragma once
// Simple opponents that play in-process, for measuring the player's strength:
//   draw     draws every stone to the tee, alternating the spin from stone to stone;
//   takeout  hits the other side's stone nearest the tee when one is in play (with the hit
//            strength of the player's own hit grid), else draws to the tee like `draw`.

#include <memory>
#include <string>

#include "candidates/grid.h"
#include "player.h"

namespace varrowmere::match {

// Speed (model m/s) a takeout has as it passes the stone it aims at: the strength the
// player's hit grid uses for its targets.
inline constexpr float TAKEOUT_POWER = float(HIT_GRID_SPEC.hitPower);

// The built-in opponent called `name`, or null when there is none of that name.
std::unique_ptr<Player> makeBuiltinPlayer(const std::string& name);

// The shots they choose (stateless, for tests): the draw's spin alternates with the stone's
// number within its side's stones (first stone spin 0).
ShotVector drawToTee(const GameState& state);
ShotVector takeoutOrDraw(const GameState& state);

}  // namespace varrowmere::match
