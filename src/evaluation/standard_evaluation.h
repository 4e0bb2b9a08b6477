#pragma once
// The standard evaluation, used while thinking time remains: stone values by place on the
// sheet, the score if the end stopped now, and the steal risk (the second player's score as
// the first player's stones nearest the tee are taken out one after another).

#include <cstdint>
#include <span>

#include "driver/game_state.h"
#include "evaluation/stone_ranking.h"
#include "physics/sheet.h"

namespace varrowmere {

// Weights of the three parts: stone values, end score, steal risk.
inline constexpr double STONE_VALUE_WEIGHT = 0.02;
inline constexpr double SCORE_WEIGHT = 1.0;
inline constexpr double STEAL_WEIGHT = 1.0;

// Stone value bands along the sheet (m, single precision): behind the tee down to one house
// reach, a flat band in front of the tee line, then an exponential fall to the hog line.
inline constexpr float STANDARD_BEHIND_LIMIT_Y = 2.9050002098083496f;
inline constexpr float STANDARD_FLAT_END_Y = 5.605000019073486f;
inline constexpr float STANDARD_HOG_Y = static_cast<float>(HOG_LINE_Y);
// Depth of the flat band in front of the tee (m), as the exponential's offset.
inline constexpr double STANDARD_FLAT_DEPTH = 0.7249999642372131;
// 1 / (2 HOUSE_REACH) (1/m): the lateral factor falls to 0.5 at the edge of the band.
inline constexpr double STANDARD_LATERAL_SLOPE = 0.2531645539058667;
// 1 / HOUSE_REACH^6: scales the sixth power behind the tee to 1 at the tee line.
inline constexpr double STANDARD_BEHIND_SCALE = 0.016849901893595656;
// Steal risk: first-player stones taken out, and the weight of the first removal's score
// (halved for each further one).
inline constexpr int STEAL_REMOVALS = 3;
inline constexpr double STEAL_FIRST_WEIGHT = 1.0;

// The working record of one standard evaluation.
struct EvalBoard {
  GameState position;
  int32_t parity = 0;
  StoneRanking ranking;
  int32_t rankedOwner[STONE_COUNT] = {};
};

// Copies the position, sets parity, ranks the stones and fills rankedOwner.
void fillEvalBoard(const GameState& position, EvalBoard& board);

// Value of `position` for `side`, larger is better. Any thread; allocates nothing.
double evaluateStandard(const GameState& position, int side);

// What the standard evaluation takes from one stone, a function of its position alone: its
// distance from the tee as the ranking has it, and its stone value.
struct StoneTerm {
  double dist = 0.0;
  double value = 0.0;
};
StoneTerm standardStoneTerm(float x, float y);
// evaluateStandard of a position given by the terms of its stones: terms[i] for every stone i
// below shotNum that is in play (bit i of inPlay). The same value, for a position whose
// stones' terms are known already.
double evaluateStandardTerms(const StoneTerm* terms, uint32_t inPlay, int32_t shotNum, int side);
// The same once the stones in play are ranked: stones[0..count) nearest the tee first, as
// sortByDistance orders them, with the distance and the stone value of each.
double evaluateStandardRanked(const int32_t* stones, const double* dist, const double* value,
                              int32_t count, int32_t shotNum, int side);

// Value (>= 0) of stone `stone` by its place on the sheet.
double standardStoneValue(int32_t stone, const EvalBoard& board);
// The same for a stone at (x, y).
double standardStoneValue(float x, float y);

// Signed number of stones that would count if the end stopped now: the unbroken run of one
// player's stones in the house nearest the tee; positive when `team` scores. The spans are
// per ranked entry; the shorter one decides the count.
double endScore(std::span<const int32_t> rankedOwner, std::span<const bool> rankedInHouse,
                int team);

// Weighted mean (<= 0) of the second player's score, as a negative number, after the first
// one, two and three of the first player's stones nearest the tee are taken out.
double stealRisk(const EvalBoard& board);

// A ranking of up to 32 entries as bits, entry r (nearest the tee first) at bit r: `second`
// when the stone is the second player's, `house` when it is in the house.
struct RankingBits {
  int32_t count = 0;
  uint32_t second = 0;
  uint32_t house = 0;
};
double endScore(const RankingBits& bits, int team);
double stealRisk(const RankingBits& bits);

}  // namespace varrowmere
