#pragma once
// The strong mode's time plan: how many seconds one decision may think, given the thinking
// time left for the game. It keeps a reserve well above the designed player's short-time
// threshold, and gives each decision a share of the rest by the decisions the player may
// still have to make, so the game's clock is never used up however long the game runs.
//
// The server's clock is not part of the protocol: the designed player counts 438 s for any
// game. The strong mode takes those 438 s for a game of STANDARD_GAME_ENDS ends or more and
// the same time per end for a shorter one, as a server does that gives every end the same
// time; a server that gives a short game the whole 438 s only leaves some of it unused.

#include <cstdint>

namespace varrowmere {

// Seconds always kept: the designed player turns to its short search below 30 s left, and
// one search that overruns its allotment must not bring the clock there.
inline constexpr double STRONG_TIME_RESERVE = 60.0;
// A decision takes at most this many times an even share of the spendable time over the
// decisions left...
inline constexpr double STRONG_TIME_SHARE = 1.5;
// ...and never more than this part of it, so that the spendable time shrinks geometrically
// and can never run out, even in ends beyond the last one.
inline constexpr double STRONG_TIME_MAX_PART = 0.25;
// The most one decision may think (s).
inline constexpr double STRONG_TIME_CAP = 20.0;
// Stones a side throws per end.
inline constexpr int32_t STONES_PER_SIDE = 8;
// Ends of the game the designed player's 438 s are meant for.
inline constexpr int32_t STANDARD_GAME_ENDS = 8;

// The thinking time the strong mode counts as left, from the designed player's count
// `remaining` (which starts at 438 s) in a game of lastEnd ends: less the part of the 438 s
// that ends missing from a standard game would have had.
double strongTimeLeft(double remaining, int32_t lastEnd);

// Decisions the player on turn may still make in the game: its stones from shot `shot` on in
// this end, and all of its stones in the ends after `end` up to the last end (ends counted
// from 0; lastEnd is the number of ends). At least 1.
int32_t decisionsLeft(int32_t shot, int32_t end, int32_t lastEnd);

// Seconds the decision at (shot, end, lastEnd) may think with `remaining` seconds left (as
// strongTimeLeft counts them).
// Never negative, never more than STRONG_TIME_MAX_PART of remaining - STRONG_TIME_RESERVE.
double decisionAllotment(double remaining, int32_t shot, int32_t end, int32_t lastEnd);

}  // namespace varrowmere
