#include "soak_positions.h"

namespace varrowmere::soak {

namespace {

// A uniform deviate in [0, 1) from the top 53 bits.
double uniform(std::mt19937_64& rng) { return static_cast<double>(rng() >> 11) * 0x1.0p-53; }

int32_t below(std::mt19937_64& rng, int32_t n) { return static_cast<int32_t>(uniform(rng) * n); }

float between(std::mt19937_64& rng, float lo, float hi) {
  return lo + static_cast<float>(uniform(rng)) * (hi - lo);
}

void put(GameState& gs, int32_t i, float x, float y) {
  gs.stonePos[i][0] = x;
  gs.stonePos[i][1] = y;
}

bool clearOfOthers(const GameState& gs, int32_t count, float x, float y) {
  for (int32_t j = 0; j < count; ++j) {
    if (!stoneInPlay(gs, j)) continue;
    const float dx = x - gs.stonePos[j][0], dy = y - gs.stonePos[j][1];
    if (dx * dx + dy * dy < static_cast<float>(CONTACT_DIST_SQ)) return false;
  }
  return true;
}

// Makes one delivered stone of an ordinary position odd.
void oddStone(std::mt19937_64& rng, GameState& gs) {
  if (gs.shotNum == 0) return;
  const int32_t i = below(rng, gs.shotNum);
  switch (below(rng, 4)) {
    case 0: {  // on top of another stone
      const int32_t j = below(rng, gs.shotNum);
      put(gs, i, gs.stonePos[j][0] + 0.01f, gs.stonePos[j][1]);
      break;
    }
    case 1:
      put(gs, i, between(rng, -1e30f, 1e30f), between(rng, -1e30f, 1e30f));
      break;
    case 2:
      put(gs, i, between(rng, 0.0f, 4.75f), between(rng, 0.5f, 3.0f));
      break;
    default:  // every delivered stone within a few centimetres of the tee
      for (int32_t j = 0; j < gs.shotNum; ++j) {
        put(gs, j, static_cast<float>(TEE_X) + between(rng, -0.05f, 0.05f),
            static_cast<float>(TEE_Y) + between(rng, -0.05f, 0.05f));
      }
      break;
  }
}

}  // namespace

GameState soakPosition(std::mt19937_64& rng) {
  GameState gs;
  gs.lastEnd = SOAK_LAST_END;
  gs.curEnd = 1 + below(rng, SOAK_LAST_END - 1);
  gs.shotNum = below(rng, STONE_COUNT);
  gs.whiteToMove = below(rng, 2) == 1;
  for (int32_t i = 0; i < gs.shotNum; ++i) {
    if (uniform(rng) >= SOAK_IN_PLAY_SHARE) continue;
    // A few tries for a free place; a crowded sheet leaves the stone out.
    for (int attempt = 0; attempt < 20; ++attempt) {
      const float x = between(rng, SOAK_MIN_X, SOAK_MAX_X);
      const float y = between(rng, SOAK_MIN_Y, SOAK_MAX_Y);
      if (clearOfOthers(gs, i, x, y)) {
        put(gs, i, x, y);
        break;
      }
    }
  }
  if (below(rng, SOAK_ODD_EVERY) == 0) oddStone(rng, gs);
  return gs;
}

}  // namespace varrowmere::soak
