#pragma once
// The score of a finished end, as the search counts it.

#include <cstdint>

#include "driver/game_state.h"

namespace varrowmere {

// Distance from the tee (m, as a float) within which a stone counts for the end score.
inline constexpr float SCORING_DISTANCE = 1.975f;

// Signed score of the end for `side`: the unbroken run of one side's stones nearest the tee.
// The nearest stone counts up to SCORING_DISTANCE inclusive, the following ones only strictly
// inside it. Stones out of play take part with their distance from the tee.
double endScoreOfPosition(const GameState& gs, int32_t side);

}  // namespace varrowmere
