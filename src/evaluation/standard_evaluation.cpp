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
  // The ranking, on plain arrays: this runs once per leaf of the search.
  int32_t stones[STONE_COUNT];
  double dist[STONE_COUNT], value[STONE_COUNT];
  int32_t count = 0;
  const int32_t thrown = shotNum < 0 ? 0 : (shotNum > STONE_COUNT ? STONE_COUNT : shotNum);
  for (int32_t i = 0; i < thrown; ++i) {
    if ((inPlay >> i & 1u) == 0) continue;
    stones[count] = i;
    dist[count] = terms[i].dist;
    ++count;
  }
  sortByDistance(stones, dist, count);
  for (int32_t r = 0; r < count; ++r) value[r] = terms[stones[r]].value;
  return evaluateStandardRanked(stones, dist, value, count, shotNum, side);
}

double evaluateStandardRanked(const int32_t* stones, const double* dist, const double* value,
                              int32_t count, int32_t shotNum, int side) {
  int32_t owner[STONE_COUNT] = {};
  bool inHouse[STONE_COUNT] = {};
  double sums[2] = {0.0, 0.0};
  for (int32_t r = 0; r < count; ++r) {
    // Stone numbers are never negative: the low bit is the owner.
    owner[r] = stones[r] & 1;
    inHouse[r] = HOUSE_REACH > dist[r];
    sums[owner[r]] += value[r];
  }

  const std::span<const int32_t> owners(owner, std::size_t(count));
  const std::span<const bool> house(inHouse, std::size_t(count));
  double score = 0.0, steal = 0.0;
  if ((shotNum & 1) == 0) {
    // The second player threw last: its deficit is softened, the steal risk is its bonus.
    score = endScore(owners, house, 1);
    if (score < 0.0) score = -std::sqrt(-score);
    steal = -stealRiskOf(owner, inHouse, count);
  } else {
    score = endScore(owners, house, 0);
    steal = stealRiskOf(owner, inHouse, count);
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

double stealRiskOf(const int32_t* rankedOwner, const bool* rankedInHouse, int32_t count) {
  if (count <= 0) return 0.0;
  double weight = STEAL_FIRST_WEIGHT, weightSum = 0.0, acc = 0.0;
  for (int32_t removed = 1; removed <= STEAL_REMOVALS; ++removed) {
    // Without the first `removed` stones of the first player (or all it has): the second
    // player scores the run of its stones in the house that then leads the ranking; the first
    // player's score counts as 0.
    int32_t skipped = 0, run = 0;
    for (int32_t r = 0; r < count; ++r) {
      if (rankedOwner[r] == 0 && skipped < removed) {
        ++skipped;
        continue;
      }
      if (rankedOwner[r] != 1 || !rankedInHouse[r]) break;
      ++run;
    }
    acc += -run * weight;
    weightSum += weight;
    weight *= 0.5;
  }
  return acc / weightSum;
}

double stealRisk(const EvalBoard& board) {
  return stealRiskOf(board.rankedOwner, board.ranking.rankedInHouse, board.ranking.count);
}

}  // namespace varrowmere
