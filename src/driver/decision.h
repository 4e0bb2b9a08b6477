#pragma once
// The shot decision: turns the present gameState into the shot to play, keeping the game's
// thinking-time budget. Reader thread only.

#include <cstdint>

#include "physics/sheet.h"

namespace varrowmere {

// Fixed targets (m). The corner guard's x is CORNER_GUARD_X + CORNER_GUARD_SPAN * r for a
// random bit r, computed in double and narrowed (the floats nearest 1.46 and 3.29).
inline constexpr float GUARD_Y = 8.995f;
inline constexpr float CENTER_GUARD_X = 2.375f;
inline constexpr double CORNER_GUARD_X = 1.4599999785423279;
inline constexpr double CORNER_GUARD_SPAN = 1.8300000429153442;
// The draw for shots 14 and 15 on an empty sheet: one float step beyond the float nearest 5.49.
inline constexpr float LAST_STONE_DRAW_X = 2.375f;
inline constexpr float LAST_STONE_DRAW_Y = 5.490000247955322f;

// Below this many seconds left the search goes one ply deep with the time-short evaluator.
inline constexpr double SHORT_TIME_THRESHOLD = 30.0;
inline constexpr int32_t SEARCH_DEPTH = 2;
inline constexpr int32_t SEARCH_DEPTH_SHORT = 1;
// Opening guards are played before this end while the score difference is below the limit;
// from this end on the free-guard statistics decide.
inline constexpr int32_t GUARD_RULE_END = 6;
inline constexpr int32_t GUARD_SCORE_LIMIT = 4;
// Shots from which an empty sheet gets the fixed last-stone draw.
inline constexpr int32_t LAST_STONES_FROM = 14;

// Fills out with the shot for gameState. Called by the GO handler on the reader thread.
void decideShot(ShotVector& out);

// From now on the corner guard's random bit comes from one generator seeded with seed (each
// decision takes its next output) instead of the system's random source, so that a game can
// be replayed. Reader thread, or before it starts.
void seedRandomChoice(uint32_t seed);

// Caps the search at `plies` (1 or 2; 0 restores the designed two), for experiments. A short
// clock still makes it one ply with the time-short evaluator. Before the reader thread starts.
void setSearchDepth(int32_t plies);

// Turns the strong mode on or off: searched shots then come from strongSearch, thinking as
// long as the time plan allots. Before the reader thread starts.
void setStrongMode(bool strong);

}  // namespace varrowmere
