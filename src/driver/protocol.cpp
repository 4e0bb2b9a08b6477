#include "driver/protocol.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "driver/game_state.h"
#include "driver/go.h"

namespace varrowmere {

namespace {

// Protocol numbers convert like atoi/atof (leading blanks, sign, digits up to the first
// other character, 0 when there are none) but never overflow: integers saturate.
int32_t wordToInt(const char* word) {
  const long value = std::strtol(word, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

// A coordinate that is not a finite float (nan, inf, or too large for a float) reads as 0.
float wordToCoordinate(const char* word) {
  const float value = static_cast<float>(std::strtod(word, nullptr));
  return std::isfinite(value) ? value : 0.0f;
}

// Whether two words are equal when ASCII letters are compared without their case.
bool equalIgnoringCase(const char* a, const char* b) {
  const auto fold = [](char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  };
  for (; *a != '\0' || *b != '\0'; ++a, ++b) {
    if (fold(*a) != fold(*b)) return false;
  }
  return true;
}

void onNewGame() { gameState = GameState{}; }

void onIsReady(CommandReply& reply) {
  static constexpr char READY[] = "READYOK";
  std::memcpy(reply.text, READY, sizeof(READY));
  reply.length = sizeof(READY) - 1;
}

// x0 y0 x1 y1 ... x15 y15; stops at the first missing word, keeping what was stored.
int onPosition(const char* line) {
  char word[WORD_CAPACITY];
  for (int i = 0; i < STONE_COUNT; ++i) {
    for (int axis = 0; axis < 2; ++axis) {
      if (!getWord(word, line, 2 * i + axis + 1)) return 0;
      gameState.stonePos[i][axis] = wordToCoordinate(word);
    }
  }
  return 1;
}

// shot end lastEnd whiteToMove; stops at the first missing word. A shot number outside
// 0..15 counts as missing, so no later code can index a stone outside the record.
int onSetState(const char* line) {
  char word[WORD_CAPACITY];
  if (!getWord(word, line, 1)) return 0;
  const int32_t shot = wordToInt(word);
  if (shot < 0 || shot >= STONE_COUNT) return 0;
  gameState.shotNum = shot;
  if (!getWord(word, line, 2)) return 0;
  gameState.curEnd = wordToInt(word);
  if (!getWord(word, line, 3)) return 0;
  gameState.lastEnd = wordToInt(word);
  if (!getWord(word, line, 4)) return 0;
  gameState.whiteToMove = wordToInt(word) != 0;
  return 1;
}

}  // namespace

int getWord(char* out, const char* line, int n) {
  if (line == nullptr) return 0;
  const char* p = line;
  while (*p == ' ') ++p;
  for (int i = 0; i < n; ++i) {
    while (*p != ' ') {
      if (*p == '\0') return 0;
      ++p;
    }
    while (*p == ' ') ++p;
  }
  std::size_t length = 0;
  while (p[length] != '\0' && p[length] != ' ' && length < WORD_CAPACITY - 1) ++length;
  std::memcpy(out, p, length);
  out[length] = '\0';
  return 1;
}

int dispatchCommand(char* line, CommandReply& reply) {
  reply.length = 0;
  line[std::strcspn(line, "\r\n")] = '\0';

  char command[WORD_CAPACITY];
  if (!getWord(command, line, 0)) return 1;
  if (equalIgnoringCase(command, "NEWGAME")) {
    onNewGame();
  } else if (equalIgnoringCase(command, "ISREADY")) {
    onIsReady(reply);
  } else if (equalIgnoringCase(command, "POSITION")) {
    return onPosition(line);
  } else if (equalIgnoringCase(command, "SETSTATE")) {
    return onSetState(line);
  } else if (equalIgnoringCase(command, "GO")) {
    onGo(reply);
  }
  return 1;
}

}  // namespace varrowmere
