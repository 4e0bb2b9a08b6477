#include "evaluation/standard_evaluation.h"

#include <algorithm>
#include <cmath>

namespace varrowmere {

void fillEvalBoard(const GameState& position, EvalBoard& board) {
  board.position = position;
  board.parity = position.shotNum & 1;
  board.ranking = rankStones(position);
  for (int32_t r = 0; r < board.ranking.count; ++r) {
    board.rankedOwner[r] = board.ranking.rankedStones[r] % 2;
  }
}

double evaluateStandard(const GameState& position, int side) {
  StoneTerm terms[STONE_COUNT];
  uint32_t inPlay = 0;
  const int32_t thrown = thrownStoneCount(position);
  for (int32_t i = 0; i < thrown; ++i) {
    if (!stoneInPlay(position, i)) continue;
    terms[i] = standardStoneTerm(position.stonePos[i][0], position.stonePos[i][1]);
    inPlay |= 1u << i;
  }
  return evaluateStandardTerms(terms, inPlay, position.shotNum, side);
}

StoneTerm standardStoneTerm(float x, float y) {
  return StoneTerm{rankedDistance(x, y), standardStoneValue(x, y)};
}

double evaluateStandardTerms(const StoneTerm* terms, uint32_t inPlay, int32_t shotNum, int side) {
  EvalBoard board;
  board.parity = shotNum & 1;
  const int32_t thrown = shotNum < 0 ? 0 : (shotNum > STONE_COUNT ? STONE_COUNT : shotNum);
  for (int32_t i = 0; i < thrown; ++i) {
    if ((inPlay >> i & 1u) != 0) addRanked(board.ranking, i, terms[i].dist);
  }
  sortRanking(board.ranking);
  const int32_t count = board.ranking.count;
  for (int32_t r = 0; r < count; ++r) board.rankedOwner[r] = board.ranking.rankedStones[r] % 2;

  double sums[2] = {0.0, 0.0};
  for (int32_t r = 0; r < count; ++r) {
    const int32_t s = board.ranking.rankedStones[r];
    sums[s % 2] += terms[s].value;
  }

  const std::span<const int32_t> owners(board.rankedOwner, std::size_t(count));
  const std::span<const bool> inHouse(board.ranking.rankedInHouse, std::size_t(count));
  double score = 0.0, steal = 0.0;
  if (board.parity == 0) {
    // The second player threw last: its deficit is softened, the steal risk is its bonus.
    score = endScore(owners, inHouse, 1);
    if (score < 0.0) score = -std::sqrt(-score);
    steal = -stealRisk(board);
  } else {
    score = endScore(owners, inHouse, 0);
    steal = stealRisk(board);
  }
  return (1 - 2 * side) * (sums[0] - sums[1]) * STONE_VALUE_WEIGHT + SCORE_WEIGHT * score +
         STEAL_WEIGHT * steal;
}

double standardStoneValue(int32_t stone, const EvalBoard& board) {
  return standardStoneValue(board.position.stonePos[stone][0], board.position.stonePos[stone][1]);
}

double standardStoneValue(float x, float y) {
  // Single precision on purpose, as the stored positions.
  const float dx = x - static_cast<float>(TEE_X);
  const float dy = y - static_cast<float>(TEE_Y);
  const float ax = std::fabs(dx);
  const float ay = std::fabs(dy);
  const auto h = static_cast<float>(HOUSE_REACH);
  const double g = 1.0 - ax * STANDARD_LATERAL_SLOPE;

  if (y > STANDARD_BEHIND_LIMIT_Y && y < static_cast<float>(TEE_Y)) {
    if (!(dx * dx + dy * dy < HOUSE_DIST_SQ) || ax >= h) return 0.0;
    const double depth = ay - h;
    double power = 1.0;
    for (int n = 0; n < 6; ++n) power *= depth;
    return g * power * STANDARD_BEHIND_SCALE;
  }
  if (y > static_cast<float>(TEE_Y) && y <= STANDARD_FLAT_END_Y) return ax < h ? g : 0.0;
  if (y > STANDARD_FLAT_END_Y && y <= STANDARD_HOG_Y) {
    return ax < h ? g * std::exp(-(ay - STANDARD_FLAT_DEPTH)) : 0.0;
  }
  // On the tee line, at or behind STANDARD_BEHIND_LIMIT_Y, beyond the hog line.
  return 0.0;
}

double endScore(std::span<const int32_t> rankedOwner, std::span<const bool> rankedInHouse,
                int team) {
  const std::size_t count = std::min(rankedOwner.size(), rankedInHouse.size());
  if (count == 0 || !rankedInHouse[0]) return 0.0;
  int n = 1;
  for (std::size_t r = 1; r < count; ++r) {
    if (rankedOwner[r] != rankedOwner[r - 1] || !rankedInHouse[r]) break;
    ++n;
  }
  return rankedOwner[0] == team ? n : -n;
}

double stealRisk(const EvalBoard& board) {
  int32_t count = board.ranking.count;
  if (count == 0) return 0.0;
  int32_t owner[STONE_COUNT];
  bool inHouse[STONE_COUNT];
  std::copy_n(board.rankedOwner, count, owner);
  std::copy_n(board.ranking.rankedInHouse, count, inHouse);

  int32_t from = 0;
  double weight = STEAL_FIRST_WEIGHT, weightSum = 0.0, acc = 0.0;
  for (int removal = 0; removal < STEAL_REMOVALS; ++removal) {
    // Take out the first player's next stone nearest the tee, if any is left.
    int32_t found = from;
    while (found < count && owner[found] != 0) ++found;
    if (found < count) {
      std::copy(owner + found + 1, owner + count, owner + found);
      std::copy(inHouse + found + 1, inHouse + count, inHouse + found);
      --count;
      from = found;
    }
    const double s =
        std::min(endScore({owner, std::size_t(count)}, {inHouse, std::size_t(count)}, 0), 0.0);
    acc += s * weight;
    weightSum += weight;
    weight *= 0.5;
  }
  return acc / weightSum;
}

}  // namespace varrowmere
