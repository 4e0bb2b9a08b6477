#pragma once
// Positions for evaluation tests: a shot number and the stones placed, everything else out
// of play.

#include <initializer_list>

#include "driver/game_state.h"

namespace varrowmere::testing {

struct PlacedStone {
  int index;
  float x, y;
};

inline GameState makePosition(int shotNum, std::initializer_list<PlacedStone> stones) {
  GameState position;
  position.shotNum = shotNum;
  for (const PlacedStone& s : stones) {
    position.stonePos[s.index][0] = s.x;
    position.stonePos[s.index][1] = s.y;
  }
  return position;
}

}  // namespace varrowmere::testing
