#pragma once
// The last stone of an end, where a shot's value is the end's score and costs one simulation:
// the strong mode races hits of several strengths and cuts on every stone near the house,
// which the one-strength hit grid lacks, beside the grid's best cells.

#include <cstdint>
#include <vector>

#include "driver/game_state.h"
#include "physics/sheet.h"

namespace varrowmere {

// Strengths of the extra hits (model m/s where the stone passes the aimed point: from a tap
// that moves the stone a little to a hit that takes it out) and their aims across the line
// from the target stone's centre (m: full, and thin on either side).
inline constexpr float LAST_STONE_HIT_POWERS[] = {2.5f, 5.0f, 9.0f};
inline constexpr float LAST_STONE_HIT_OFFSETS[] = {-0.12f, 0.0f, 0.12f};
// Stones farther than this from the tee (m) are not aimed at.
inline constexpr double LAST_STONE_HIT_REACH = 3.0;

// The extra hits at gs: for every stone in play within LAST_STONE_HIT_REACH of the tee, both
// spins, every strength and aim that the shot maker can play.
void lastStoneHits(const GameState& gs, std::vector<ShotVector>& hits);

}  // namespace varrowmere
