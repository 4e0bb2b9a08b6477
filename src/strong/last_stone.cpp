#include "strong/last_stone.h"

#include <cmath>

#include "platform/shot_maker.h"

namespace varrowmere {

void lastStoneHits(const GameState& gs, std::vector<ShotVector>& hits) {
  hits.clear();
  for (int32_t i = 0; i < gs.shotNum && i < STONE_COUNT; ++i) {
    if (!stoneInPlay(gs, i)) continue;
    const double dx = gs.stonePos[i][0] - TEE_X, dy = gs.stonePos[i][1] - TEE_Y;
    if (!(dx * dx + dy * dy <= LAST_STONE_HIT_REACH * LAST_STONE_HIT_REACH)) continue;
    for (const bool spin : {false, true}) {
      for (const float offset : LAST_STONE_HIT_OFFSETS) {
        for (const float power : LAST_STONE_HIT_POWERS) {
          const ShotTarget target{gs.stonePos[i][0] + offset, gs.stonePos[i][1], spin};
          ShotVector shot;
          if (CreateHitShot(target, power, &shot)) hits.push_back(shot);
        }
      }
    }
  }
}

}  // namespace varrowmere
