#include "search/end_score.h"

#include <cmath>
#include <limits>

namespace varrowmere {

double endScoreOfPosition(const GameState& gs, int32_t side) {
  const int32_t count = gs.shotNum < STONE_COUNT ? gs.shotNum : STONE_COUNT;
  if (count <= 0) return 0.0;

  // Distances in single precision on purpose, like the stored positions.
  float dist[STONE_COUNT];
  for (int32_t i = 0; i < count; ++i) {
    const float dx = gs.stonePos[i][0] - static_cast<float>(TEE_X);
    const float dy = gs.stonePos[i][1] - static_cast<float>(TEE_Y);
    const float d = static_cast<float>(std::sqrt(dx * dx + dy * dy));
    dist[i] = std::isnan(d) ? std::numeric_limits<float>::max() : d;
  }

  // Nearest first; the first found wins among equal distances.
  int32_t order[STONE_COUNT];
  float orderedDist[STONE_COUNT];
  for (int32_t rank = 0; rank < count; ++rank) {
    int32_t nearest = 0;
    for (int32_t i = 1; i < count; ++i) {
      if (dist[i] < dist[nearest]) nearest = i;
    }
    order[rank] = nearest;
    orderedDist[rank] = dist[nearest];
    // A taken stone moves beyond every distance still to rank, so it is not taken again.
    dist[nearest] = std::numeric_limits<float>::infinity();
  }

  if (!(orderedDist[0] <= SCORING_DISTANCE)) return 0.0;
  int32_t n = 1;
  for (int32_t k = 1; k < count; ++k) {
    if (order[k] % 2 != order[k - 1] % 2 || !(orderedDist[k] < SCORING_DISTANCE)) break;
    ++n;
  }
  return order[0] % 2 == side ? n : -n;
}

}  // namespace varrowmere
