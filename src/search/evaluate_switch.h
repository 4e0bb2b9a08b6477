#pragma once
// The search's choice of static evaluation.

#include <cstdint>

#include "driver/game_state.h"

namespace varrowmere {

// The only evaluation type the search uses.
inline constexpr int32_t EVALUATION_TYPE_DEFAULT = 0;

// Static value of gs for the side that played its last shot: the standard evaluation, or the
// time-short evaluator once timeShort is set. An unknown type is reported and ends the process.
double switchEvaluate(const GameState& gs, int32_t evaluationType);

}  // namespace varrowmere
