#include "match_rules.h"

#include <cmath>
#include <limits>

namespace varrowmere::match {

namespace {

double teeDistance(const GameState& position, int i) {
  const double dx = double(position.stonePos[i][0]) - TEE_X;
  const double dy = double(position.stonePos[i][1]) - TEE_Y;
  return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

bool inHouse(float x, float y) {
  if (x == 0.0f && y == 0.0f) return false;
  const double dx = double(x) - TEE_X;
  const double dy = double(y) - TEE_Y;
  return std::sqrt(dx * dx + dy * dy) < HOUSE_RADIUS + double(STONE_RADIUS);
}

EndScore endScore(const GameState& position, bool* scoring) {
  if (scoring != nullptr)
    for (int i = 0; i < STONE_COUNT; ++i) scoring[i] = false;
  // Nearest stone in the house of each side.
  double nearest[2] = {std::numeric_limits<double>::infinity(),
                       std::numeric_limits<double>::infinity()};
  for (int i = 0; i < STONE_COUNT; ++i) {
    if (!inHouse(position.stonePos[i][0], position.stonePos[i][1])) continue;
    const double d = teeDistance(position, i);
    if (d < nearest[sideOfStone(i)]) nearest[sideOfStone(i)] = d;
  }
  // Equal nearest distances (measured to the same value) score nothing: a blank end.
  if (nearest[0] == nearest[1]) return EndScore{};
  const int side = nearest[0] < nearest[1] ? 0 : 1;
  const double opponent = nearest[1 - side];
  EndScore score;
  score.side = side;
  for (int i = side; i < STONE_COUNT; i += 2) {
    if (inHouse(position.stonePos[i][0], position.stonePos[i][1]) &&
        teeDistance(position, i) < opponent) {
      ++score.points;
      if (scoring != nullptr) scoring[i] = true;
    }
  }
  return score;
}

int nextHammer(int hammerPlayer, const EndScore& score) {
  if (score.points == 0) return hammerPlayer;
  // Side 1 of the end is the hammer holder; the other player is side 0.
  const int scorer = score.side == 1 ? hammerPlayer : 1 - hammerPlayer;
  return 1 - scorer;
}

bool applyFreeGuardRule(const GameState& before, GameState& after) {
  const int shot = before.shotNum;
  if (shot < 0 || shot >= FREE_GUARD_SHOTS) return false;
  bool violated = false;
  for (int i = 1 - sideOfStone(shot); i < shot; i += 2) {
    if (stoneInPlay(before, i) && inFreeGuardZone(before.stonePos[i][0], before.stonePos[i][1]) &&
        !stoneInPlay(after, i))
      violated = true;
  }
  if (!violated) return false;
  for (int i = 0; i < STONE_COUNT; ++i) {
    after.stonePos[i][0] = before.stonePos[i][0];
    after.stonePos[i][1] = before.stonePos[i][1];
  }
  after.stonePos[shot][0] = 0.0f;
  after.stonePos[shot][1] = 0.0f;
  return true;
}

}  // namespace varrowmere::match
