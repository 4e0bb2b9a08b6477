#pragma once
// The game-state record and the process-wide values of the protocol.
// Written only by the reader thread, never while a search runs; the search only reads them.

#include <cstdint>

#include "physics/sheet.h"

namespace varrowmere {

// Stones per end; stone i is the stone of shot i, even indices belong to side 0.
inline constexpr int STONE_COUNT = 16;
// Ends whose score the record keeps.
inline constexpr int SCORE_ENDS = 10;

// The position and state of the game. A stone at exactly (0, 0) is not in play.
// GameState{} is all zero: the record the protocol starts from and NEWGAME restores.
struct GameState {
  int32_t shotNum = 0;
  int32_t curEnd = 0;
  int32_t lastEnd = 0;
  int32_t score[SCORE_ENDS] = {};
  bool whiteToMove = false;
  float stonePos[STONE_COUNT][2] = {};
};

inline bool stoneInPlay(const GameState& state, int i) {
  return !(state.stonePos[i][0] == 0.0f && state.stonePos[i][1] == 0.0f);
}

// Thinking time (s) a player has for a whole game.
inline constexpr double INITIAL_THINKING_TIME = 438.0;

extern GameState gameState;
// Thinking time (s) left in the game; reset at the player's first stone of a game.
extern double remainingTime;
// Set when a decision found less than the short-time threshold left; the search then
// evaluates with the time-short evaluator.
extern bool timeShort;
// The searched shot of an empty sheet, one per parity of shotNum, and whether it is missing.
extern ShotVector emptySheetShot[2];
extern bool emptySheetStale[2];

}  // namespace varrowmere
