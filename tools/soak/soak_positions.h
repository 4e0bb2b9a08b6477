#pragma once
// The seeded stream of positions the soak asks the player about. Every position lies in end 1
// or later: the player's thinking-time budget restarts only at its first stone of end 0, so in
// a process that has not played such a stone it stays spent and every search goes one ply deep.

#include <cstdint>
#include <random>

#include "driver/game_state.h"

namespace varrowmere::soak {

// Ends of the games the positions belong to; the positions use ends 1 .. SOAK_LAST_END - 1.
inline constexpr int32_t SOAK_LAST_END = 8;
// One position in this many is odd but allowed by the protocol: stones on top of each other,
// far off the sheet, behind the back line or piled in the house.
inline constexpr int SOAK_ODD_EVERY = 10;
// Where ordinary stones lie (m): across the sheet, from just behind the tee to the hog line.
inline constexpr float SOAK_MIN_X = 0.3f;
inline constexpr float SOAK_MAX_X = 4.45f;
inline constexpr float SOAK_MIN_Y = 3.3f;
inline constexpr float SOAK_MAX_Y = 11.0f;
// Share of the delivered stones that are still in play.
inline constexpr double SOAK_IN_PLAY_SHARE = 0.7;

// The next position of the stream. The same seed gives the same stream on every platform
// (only mt19937_64's output is used, through our own conversions).
GameState soakPosition(std::mt19937_64& rng);

}  // namespace varrowmere::soak
