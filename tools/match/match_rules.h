#pragma once
// The rules the referee applies between shots: the score of a finished end, who holds the
// hammer next, and the free-guard-zone rule as a referee enforces it.
// Positions are GameState records in the sheet frame; stone i is the stone of shot i, even
// stones belong to the side that throws first in the end (side 0), odd ones to side 1.

#include "driver/game_state.h"

namespace varrowmere::match {

// House radius (m): a stone scores only when its centre is nearer the tee than this plus one
// stone radius (STONE_RADIUS), i.e. when some part of it touches the house.
inline constexpr double HOUSE_RADIUS = 1.83;
// Shots of an end during which an opponent's guard in the free guard zone may not be removed
// from play (shots 0..FREE_GUARD_SHOTS-1, the first four stones).
inline constexpr int FREE_GUARD_SHOTS = 4;

// Side that throws stone i of an end.
inline constexpr int sideOfStone(int i) { return i % 2; }

// The outcome of an end: the side that scores (-1 for a blank end) and its points.
struct EndScore {
  int side = -1;
  int points = 0;
};

// Whether a stone in play touches the house (centre within HOUSE_RADIUS + STONE_RADIUS).
bool inHouse(float x, float y);

// Scores the position after the end's last stone: the side of the stone nearest the tee gets
// one point for each of its stones in the house nearer the tee than the other side's nearest
// stone in the house, i.e. for the unbroken run of its stones counted from the tee. When
// `scoring` (16 entries) is given, scoring[i] tells whether stone i counted.
EndScore endScore(const GameState& position, bool* scoring = nullptr);

// Who throws last in the next end: the side that did not score gets the hammer; after a
// blank end the holder keeps it. Sides here are players (0 or 1), not stone parities:
// `hammerPlayer` threw the odd stones of the end just played.
int nextHammer(int hammerPlayer, const EndScore& score);

// Enforces the free-guard-zone rule on the position `after` that the shot `before.shotNum`
// produced from `before`. On the first FREE_GUARD_SHOTS shots of an end, a stone of the other
// side that lay in the free guard zone before the shot and is out of play after it makes the
// shot a violation: every stone goes back where it was and the delivered stone is removed.
// Returns true when it did so.
bool applyFreeGuardRule(const GameState& before, GameState& after);

}  // namespace varrowmere::match
