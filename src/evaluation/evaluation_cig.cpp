#include "evaluation/evaluation_cig.h"

#include <cmath>
#include <vector>

#include "platform/portable_math.h"

namespace varrowmere {

namespace {

// Lookup outputs and sums, one set per thread, sized at the thread's first evaluation and
// reused afterwards.
struct GuardScratch {
  std::vector<double> out0, out1, sum0, sum1;
};
thread_local GuardScratch scratch;

// Sum of the square roots of the entries.
double sumOfRoots(const std::vector<double>& sums) {
  double total = 0.0;
  for (const double s : sums) total += std::sqrt(s);
  return total;
}

// Sizes w.sum0 and w.sum1 to count and adds to them the lookups of `table` for the target
// `stone` at (x, y) against every other ranked stone (only the other player's when
// otherPlayerOnly).
void sumGuardLookups(GuardTable& table, int32_t count, const CigBoard& board, int32_t stone,
                     float x, float y, bool otherPlayerOnly, GuardScratch& w) {
  w.sum0.assign(std::size_t(count), 0.0);
  w.sum1.assign(std::size_t(count), 0.0);
  for (int32_t r = 0; r < board.count; ++r) {
    const int32_t j = board.rankedStones[r];
    if (j == stone || (otherPlayerOnly && j % 2 == stone % 2)) continue;
    lookupGuardTable(table, w.out0, w.out1, x, y, board.position.stonePos[j][0],
                     board.position.stonePos[j][1]);
    for (int32_t e = 0; e < count; ++e) {
      w.sum0[e] += w.out0[e];
      w.sum1[e] += w.out1[e];
    }
  }
}

}  // namespace

Evaluation_CIG::Evaluation_CIG() : Evaluation_CIG(frontGuard, backBlock) {}

Evaluation_CIG::Evaluation_CIG(GuardTable& frontTable, GuardTable& backTable)
    : frontTable_m(&frontTable), backTable_m(&backTable) {}

void fillCigBoard(const GameState& position, int side, CigBoard& board) {
  board.position = position;
  board.side = side;
  const StoneRanking ranking = rankStones(position);
  board.count = ranking.count;
  for (int32_t r = 0; r < ranking.count; ++r) {
    board.rankedStones[r] = ranking.rankedStones[r];
    board.rankedDist[r] = ranking.rankedDist[r];
  }
  fillNumberRank(ranking, board.numberRank);
}

double Evaluation_CIG::evaluate(const GameState& position, int side) const {
  CigBoard board;
  fillCigBoard(position, side, board);
  double own = 0.0, other = 0.0;
  for (int32_t r = 0; r < board.count; ++r) {
    const int32_t s = board.rankedStones[r];
    const double p = positionValue(position.stonePos[s][0], position.stonePos[s][1]);
    const double g = guardValue(board, s);
    const double rank = rankTerm(board, s);
    const double a = avoidFactor(board, s);
    const double term = (weightPosition * p + weightRank * rank) * (g + weightAvoid * a);
    if (s % 2 == side) {
      own += term;
    } else {
      other += term;
    }
  }
  return own - other;
}

double Evaluation_CIG::rankTerm(const CigBoard& board, int32_t stone) const {
  if (!inHouseSingle(board.position.stonePos[stone][0], board.position.stonePos[stone][1])) {
    return 0.0;
  }
  const double rank = 1.0 / board.numberRank[stone];
  return board.side == 1 ? portable::pow(rank, expRank) : rank;
}

double Evaluation_CIG::positionValue(float x, float y) const {
  const double wx = x, wy = y;
  // Offsets from the tee in double, rounded to single precision on purpose.
  const double ax = static_cast<float>(std::fabs(wx - TEE_X));
  const double ay = static_cast<float>(std::fabs(wy - TEE_Y_FLOAT));
  double t = lateralScale * (HOUSE_REACH_SQ - ax * ax) / HOUSE_REACH_SQ;
  if (t < 0.0) t = 0.0;

  if (wy > CIG_BEHIND_LIMIT_Y && wy < TEE_Y_FLOAT) {
    if (!inHouseSingle(x, y) || ax >= HOUSE_REACH) return 0.0;
    return t * portable::pow(std::fabs(ay - HOUSE_REACH), expBehindTee) /
           portable::pow(HOUSE_REACH, expBehindTee);
  }
  const double flatEnd = TEE_Y_FLOAT + frontFlatDepth;
  if (wy > TEE_Y_FLOAT && wy <= flatEnd) return ax < HOUSE_REACH ? t : 0.0;
  if (wy > flatEnd && wy <= HOG_LINE_Y) {
    return ax < HOUSE_REACH ? t * portable::exp(frontFlatDepth - ay) : 0.0;
  }
  // On the tee line, at or behind CIG_BEHIND_LIMIT_Y, beyond the hog line.
  return 0.0;
}

double Evaluation_CIG::guardValue(const CigBoard& board, int32_t stone) const {
  const float x = board.position.stonePos[stone][0];
  const float y = board.position.stonePos[stone][1];
  if (!inHouseSingle(x, y)) return 0.0;
  GuardScratch& w = scratch;

  // FrontGuard: every other ranked stone in front counts, of either player.
  double front[2] = {0.0, 0.0};
  const int32_t nf = frontTable_m->valuesPerCell;
  if (nf > 0) {
    sumGuardLookups(*frontTable_m, nf, board, stone, x, y, false, w);
    const double half = 0.5 * nf;
    const double q0 = sumOfRoots(w.sum0) / half;
    const double q1 = sumOfRoots(w.sum1) / half;
    front[0] = weightFrontGuard * (q0 * q0);
    front[1] = weightFrontGuard * (q1 * q1);
  }

  // BackBlock: only the other player's stones count (weight 1; own stones weigh 0 and are
  // not looked up).
  double back[2] = {0.0, 0.0};
  const int32_t nb = backTable_m->valuesPerCell;
  if (nb > 0) {
    sumGuardLookups(*backTable_m, nb, board, stone, x, y, true, w);
    const double half = 0.5 * nb;
    back[0] = weightBackBlock * sumOfRoots(w.sum0) / half;
    back[1] = weightBackBlock * sumOfRoots(w.sum1) / half;
  }

  const double spin0 = front[0] + back[0];
  const double spin1 = front[1] + back[1];
  return spin1 < spin0 ? spin1 : spin0;
}

double Evaluation_CIG::avoidFactor(const CigBoard& board, int32_t stone) const {
  const int32_t owner = stone % 2;
  double m = AVOID_BASE;
  if (owner != board.side)
    m = board.side == 0 ? AVOID_OTHER_FOR_SIDE0 : opponentAvoidUp * AVOID_BASE;

  // The player who threw last already has another stone counting first in the house.
  const int32_t lastThrower = (board.position.shotNum + 1) & 1;
  if (owner == lastThrower) {
    for (int32_t r = 0; r < board.count; ++r) {
      const int32_t v = board.rankedStones[r];
      if (v == stone || v % 2 != owner || board.numberRank[v] != 1) continue;
      if (!inHouseSingle(board.position.stonePos[v][0], board.position.stonePos[v][1])) continue;
      m *= AVOID_SHOT_STONE_BOOST;
      break;
    }
  }

  // Same player's stones near it, in play or not, lower the factor.
  double best = 1.0;
  const double xs = board.position.stonePos[stone][0];
  const double ys = board.position.stonePos[stone][1];
  const int32_t thrown = thrownStoneCount(board.position);
  for (int32_t u = owner; u < thrown; u += 2) {
    if (u == stone) continue;
    const double xu = board.position.stonePos[u][0];
    const double yu = board.position.stonePos[u][1];
    const double d = static_cast<float>(std::sqrt((xs - xu) * (xs - xu) + (ys - yu) * (ys - yu)));
    const double cosine = std::fabs(yu - ys) / d;
    const double reach = (0.5 * cosine + 0.5) * AVOID_REACH;
    if (d < reach) {
      const double e = TWO_RADII_FLOAT;
      const double f = AVOID_TOUCHING + AVOID_RISE * (d - e) * (2.0 * (reach - e) - (d - e)) /
                                            ((reach - e) * (reach - e));
      if (f < best) best = f;
    }
  }
  return best * m;
}

}  // namespace varrowmere
