#include "evaluation/stone_ranking.h"

#include <cmath>
#include <utility>

namespace varrowmere {

StoneRanking rankStones(const GameState& position) {
  StoneRanking ranking;
  const int32_t thrown = thrownStoneCount(position);
  for (int32_t i = 0; i < thrown; ++i) {
    if (!stoneInPlay(position, i)) continue;
    const double x = position.stonePos[i][0];
    const double y = position.stonePos[i][1];
    // Computed in double, then rounded to single precision on purpose.
    const double d = static_cast<float>(
        std::sqrt((y - TEE_Y_FLOAT) * (y - TEE_Y_FLOAT) + (x - TEE_X) * (x - TEE_X)));
    const int32_t n = ranking.count++;
    ranking.rankedStones[n] = i;
    ranking.rankedDist[n] = d;
    ranking.rankedInHouse[n] = HOUSE_REACH > d;
  }

  for (int32_t p = 0; p + 1 < ranking.count; ++p) {
    int32_t best = p;
    for (int32_t q = p + 1; q < ranking.count; ++q) {
      if (ranking.rankedDist[q] < ranking.rankedDist[best]) best = q;
    }
    std::swap(ranking.rankedStones[p], ranking.rankedStones[best]);
    std::swap(ranking.rankedDist[p], ranking.rankedDist[best]);
    std::swap(ranking.rankedInHouse[p], ranking.rankedInHouse[best]);
  }
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
