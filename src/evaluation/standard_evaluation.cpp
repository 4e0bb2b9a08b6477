#include "evaluation/standard_evaluation.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "platform/portable_math.h"

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
  // The ranking as bits, entry r at bit r: whose stone it is (1: the second player's), and
  // whether it is in the house. Sums in ranking order, as the stone values are summed.
  uint32_t second = 0, house = 0;
  double sums[2] = {0.0, 0.0};
  for (int32_t r = 0; r < count; ++r) {
    // Stone numbers are never negative: the low bit is the owner.
    const uint32_t owner = static_cast<uint32_t>(stones[r]) & 1u;
    sums[owner] += value[r];
    second |= owner << r;
    house |= static_cast<uint32_t>(HOUSE_REACH > dist[r]) << r;
  }
  const RankingBits bits{count, second, house};
  double score = 0.0, steal = 0.0;
  if ((shotNum & 1) == 0) {
    // The second player threw last: its deficit is softened, the steal risk is its bonus.
    score = endScore(bits, 1);
    if (score < 0.0) score = -std::sqrt(-score);
    steal = -stealRisk(bits);
  } else {
    score = endScore(bits, 0);
    steal = stealRisk(bits);
  }
  return (1 - 2 * side) * (sums[0] - sums[1]) * STONE_VALUE_WEIGHT + SCORE_WEIGHT * score +
         STEAL_WEIGHT * steal;
}

double endScore(const RankingBits& bits, int team) {
  if (bits.count <= 0 || (bits.house & 1u) == 0) return 0.0;
  const uint32_t all = bits.count >= 32 ? ~0u : (1u << bits.count) - 1u;
  const uint32_t nearestOwner = bits.second & 1u;
  // The unbroken run, from the nearest, of that player's stones in the house.
  const uint32_t same = (nearestOwner != 0 ? bits.second : ~bits.second) & bits.house & all;
  const int n = std::countr_one(same);
  return static_cast<int>(nearestOwner) == team ? n : -n;
}

double stealRisk(const RankingBits& bits) {
  if (bits.count <= 0) return 0.0;
  const uint32_t all = bits.count >= 32 ? ~0u : (1u << bits.count) - 1u;
  const uint32_t secondInHouse = bits.second & bits.house;
  uint32_t taken = 0;  // the first player's stones taken out so far
  uint32_t first = ~bits.second & all;
  double weight = STEAL_FIRST_WEIGHT, weightSum = 0.0, acc = 0.0;
  for (int removal = 0; removal < STEAL_REMOVALS; ++removal) {
    // Take out the first player's next stone nearest the tee, if any is left.
    if (first != 0) {
      taken |= first & (0u - first);
      first &= first - 1u;
    }
    // The second player's run in the house that then leads the ranking; a first-player lead
    // scores 0 here.
    const uint32_t breaks = all & ~taken & ~secondInHouse;
    const uint32_t before = breaks == 0 ? all : (breaks & (0u - breaks)) - 1u;
    const int run = std::popcount(secondInHouse & before);
    acc += -run * weight;
    weightSum += weight;
    weight *= 0.5;
  }
  return acc / weightSum;
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
    return ax < h ? g * portable::exp(-(ay - STANDARD_FLAT_DEPTH)) : 0.0;
  }
  // On the tee line, at or behind STANDARD_BEHIND_LIMIT_Y, beyond the hog line.
  return 0.0;
}

// The ranking's owners and house bits as RankingBits (entries beyond 32 are not looked at).
RankingBits rankingBits(const int32_t* rankedOwner, const bool* rankedInHouse, int32_t count) {
  RankingBits bits{count < 32 ? count : 32, 0u, 0u};
  for (int32_t r = 0; r < bits.count; ++r) {
    bits.second |= static_cast<uint32_t>(rankedOwner[r] != 0) << r;
    bits.house |= static_cast<uint32_t>(rankedInHouse[r]) << r;
  }
  return bits;
}

double endScore(std::span<const int32_t> rankedOwner, std::span<const bool> rankedInHouse,
                int team) {
  const auto count = static_cast<int32_t>(std::min(rankedOwner.size(), rankedInHouse.size()));
  return endScore(rankingBits(rankedOwner.data(), rankedInHouse.data(), count), team);
}

double stealRisk(const EvalBoard& board) {
  return stealRisk(
      rankingBits(board.rankedOwner, board.ranking.rankedInHouse, board.ranking.count));
}

}  // namespace varrowmere
