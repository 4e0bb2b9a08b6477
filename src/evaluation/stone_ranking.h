#pragma once
// The stone ranking every evaluator starts from: the stones in play ordered by their distance
// from the tee, nearest first, and the number rank derived from it. Stone i belongs to player
// i mod 2; only stones with index below shotNum are looked at.

#include <cstdint>

#include "driver/game_state.h"
#include "physics/sheet.h"

namespace varrowmere {

// The tee line as the stored float positions see it (m): TEE_Y as a float, widened.
inline constexpr double TEE_Y_FLOAT = static_cast<float>(TEE_Y);
// House radius plus one stone radius (m), 1.975 as a float, widened: a ranked stone nearer
// the tee than this is in the house.
inline constexpr double HOUSE_REACH = 1.975000023841858;
static_assert(HOUSE_REACH == static_cast<double>(1.975f));

// The house test on a stored position: squared distance from the tee, formed in single
// precision on purpose, below HOUSE_DIST_SQ.
inline bool inHouseSingle(float x, float y) {
  const float dx = x - static_cast<float>(TEE_X);
  const float dy = y - static_cast<float>(TEE_Y);
  return dx * dx + dy * dy < HOUSE_DIST_SQ;
}

// The ranking: three parallel sequences of `count` entries, nearest the tee first.
// rankedDist is the distance from the tee (m) rounded to single precision and widened;
// rankedInHouse is rankedDist < HOUSE_REACH.
struct StoneRanking {
  int32_t count = 0;
  int32_t rankedStones[STONE_COUNT] = {};
  double rankedDist[STONE_COUNT] = {};
  bool rankedInHouse[STONE_COUNT] = {};
};

// Ranks the stones in play by a selection sort that swaps only on a strictly smaller distance
// (not stable: equal distances may come out in either order of stone index). Any thread.
StoneRanking rankStones(const GameState& position);

// A stone's rankedDist: its distance from the tee (m), computed in double from the float
// position and rounded to single precision.
double rankedDistance(float x, float y);
// Appends stone `stone` at distance `dist` to the (unsorted) ranking.
void addRanked(StoneRanking& ranking, int32_t stone, double dist);
// Sorts the entries added so far, as rankStones does.
void sortRanking(StoneRanking& ranking);
// The sort itself on parallel arrays of stones and their distances: a selection sort that
// swaps only on a strictly smaller distance.
void sortByDistance(int32_t* stones, double* dist, int32_t count);

// numberRank[s] for every ranked stone s: one more than the number of the other player's
// stones ranked before it (1: no stone of the other player is nearer). Other entries untouched.
void fillNumberRank(const StoneRanking& ranking, int32_t numberRank[STONE_COUNT]);

// Stones with index below shotNum, clamped to the record's stones.
inline int32_t thrownStoneCount(const GameState& position) {
  const int32_t n = position.shotNum;
  return n < 0 ? 0 : (n > STONE_COUNT ? STONE_COUNT : n);
}

}  // namespace varrowmere
