#pragma once
// Evaluation_CIG, the evaluator used when thinking time is short: every ranked stone is worth
// (position value + rank term) x (guard value + avoid factor), summed for the side asked for
// and subtracted for the other. The guard value comes from the guard tables.

#include <cstdint>

#include "evaluation/abst_evaluation.h"
#include "evaluation/stone_ranking.h"
#include "physics/sheet.h"
#include "tables/guard_table.h"

namespace varrowmere {

// The guard tables look along the sheet's delivery line.
static_assert(GUARD_ORIGIN_X == static_cast<float>(DELIVERY_X) &&
              GUARD_ORIGIN_Y == static_cast<float>(DELIVERY_Y));
// HOUSE_REACH squared (m^2): the height of the lateral parabola is divided by it.
inline constexpr double HOUSE_REACH_SQ = 3.9006250941753393;
static_assert(HOUSE_REACH_SQ == HOUSE_REACH * HOUSE_REACH);
// The position value is 0 at and behind this line (m): one HOUSE_REACH behind the tee line.
inline constexpr double CIG_BEHIND_LIMIT_Y = 2.90500009059906;
// Avoid factor: a stone of the same player within this reach (m, 1.74 as a float) straight in
// front or behind (half of it beside) lowers the factor, down to AVOID_TOUCHING when touching.
inline constexpr double AVOID_REACH = 1.7400000095367432;
inline constexpr double AVOID_TOUCHING = 0.2;
inline constexpr double AVOID_RISE = 0.8;
// Avoid factor scales: own stones, the other player's when side 0 asks, and the boost when the
// last thrower already holds another stone counting first in the house.
inline constexpr double AVOID_BASE = 0.1;
inline constexpr double AVOID_OTHER_FOR_SIDE0 = 3.0;
inline constexpr double AVOID_SHOT_STONE_BOOST = 5.0;

// The working record of one evaluation.
struct CigBoard {
  GameState position;
  int32_t side = 0;
  int32_t count = 0;
  int32_t rankedStones[STONE_COUNT] = {};
  double rankedDist[STONE_COUNT] = {};
  int32_t numberRank[STONE_COUNT] = {};
};

// Copies the position, stores side, ranks the stones and fills numberRank.
void fillCigBoard(const GameState& position, int side, CigBoard& board);

// Keeps no state besides its parameters; evaluate may run on several threads at once. The
// guard-table lookups keep their output vectors per thread, so evaluations allocate nothing
// after a thread's first.
class Evaluation_CIG final : public AbstEvaluation {
 public:
  // Reads the process-wide guard tables (frontGuard, backBlock).
  Evaluation_CIG();
  // Reads the given families instead (tables of another content, e.g. for checks).
  Evaluation_CIG(GuardTable& frontTable, GuardTable& backTable);

  double evaluate(const GameState& position, int side) const override;

  // The parts of a stone's term, on a filled board.
  double positionValue(float x, float y) const;
  double rankTerm(const CigBoard& board, int32_t stone) const;
  double guardValue(const CigBoard& board, int32_t stone) const;
  double avoidFactor(const CigBoard& board, int32_t stone) const;

  const double weightPosition = 0.4;
  const double weightRank = 0.6;
  const double weightFrontGuard = 0.2;
  const double weightBackBlock = 0.5;
  const double weightAvoid = 1.0;
  const double expBehindTee = 4.0;
  const double lateralScale = 1.0;
  const double frontFlatDepth = TWO_RADII_FLOAT;
  const double expRank = 3.0;
  const double opponentAvoidUp = 5.0;

 private:
  GuardTable* frontTable_m;
  GuardTable* backTable_m;
};

}  // namespace varrowmere
