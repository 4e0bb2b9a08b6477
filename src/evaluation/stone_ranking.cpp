#include "evaluation/stone_ranking.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace varrowmere {

double rankedDistance(float x, float y) {
  const double wx = x, wy = y;
  // Computed in double, then rounded to single precision on purpose.
  return static_cast<float>(
      std::sqrt((wy - TEE_Y_FLOAT) * (wy - TEE_Y_FLOAT) + (wx - TEE_X) * (wx - TEE_X)));
}

void addRanked(StoneRanking& ranking, int32_t stone, double dist) {
  const int32_t n = ranking.count++;
  ranking.rankedStones[n] = stone;
  ranking.rankedDist[n] = dist;
  ranking.rankedInHouse[n] = HOUSE_REACH > dist;
}

void sortByDistance(int32_t* stones, double* dist, int32_t count) {
  // With distinct distances every sort gives the one ascending order, and an insertion sort
  // is quick on a few stones; equal distances need the selection sort below, whose swaps
  // decide their order.
  if (count <= STONE_COUNT) {
    int32_t sortedStones[STONE_COUNT];
    double sortedDist[STONE_COUNT];
    bool distinct = true;
    for (int32_t i = 0; i < count; ++i) {
      int32_t j = i;
      while (j > 0 && dist[i] < sortedDist[j - 1]) {
        sortedDist[j] = sortedDist[j - 1];
        sortedStones[j] = sortedStones[j - 1];
        --j;
      }
      sortedDist[j] = dist[i];
      sortedStones[j] = stones[i];
    }
    // Negated on purpose: a distance that is not a number counts as a tie too.
    for (int32_t i = 1; i < count && distinct; ++i) distinct = sortedDist[i - 1] < sortedDist[i];
    if (distinct) {
      std::copy_n(sortedStones, count, stones);
      std::copy_n(sortedDist, count, dist);
      return;
    }
  }
  for (int32_t p = 0; p + 1 < count; ++p) {
    int32_t best = p;
    for (int32_t q = p + 1; q < count; ++q) {
      if (dist[q] < dist[best]) best = q;
    }
    std::swap(stones[p], stones[best]);
    std::swap(dist[p], dist[best]);
  }
}

void sortRanking(StoneRanking& ranking) {
  sortByDistance(ranking.rankedStones, ranking.rankedDist, ranking.count);
  // The house bit follows from the distance, wherever the sort put it.
  for (int32_t r = 0; r < ranking.count; ++r)
    ranking.rankedInHouse[r] = HOUSE_REACH > ranking.rankedDist[r];
}

StoneRanking rankStones(const GameState& position) {
  StoneRanking ranking;
  const int32_t thrown = thrownStoneCount(position);
  for (int32_t i = 0; i < thrown; ++i) {
    if (!stoneInPlay(position, i)) continue;
    addRanked(ranking, i, rankedDistance(position.stonePos[i][0], position.stonePos[i][1]));
  }
  sortRanking(ranking);
  return ranking;
}

void fillNumberRank(const StoneRanking& ranking, int32_t numberRank[STONE_COUNT]) {
  int32_t seen[2] = {0, 0};
  for (int32_t r = 0; r < ranking.count; ++r) {
    const int32_t s = ranking.rankedStones[r];
    const int32_t owner = s % 2;
    numberRank[s] = seen[1 - owner] + 1;
    ++seen[owner];
  }
}

}  // namespace varrowmere
