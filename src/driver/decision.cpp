#include "driver/decision.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <random>

#include "driver/game_state.h"
#include "platform/shot_maker.h"
#include "search/search_node.h"
#include "strong/strong_search.h"
#include "strong/time_plan.h"
#include "tables/free_guard.h"

namespace varrowmere {

namespace {

// Set by seedRandomChoice: then every bit comes from this one generator, in turn.
std::optional<std::mt19937> seededGenerator;
// Plies of a search while the clock is not short (setSearchDepth).
int32_t searchDepth = SEARCH_DEPTH;
bool strongMode = false;

// One uniformly random bit per call: the lowest bit of the first output of a generator seeded
// by the system's random source, or of the seeded generator's next output.
int randomBit() {
  if (seededGenerator) return static_cast<int>((*seededGenerator)() & 1u);
  std::random_device source;
  std::mt19937 generator(source());
  return static_cast<int>(generator() & 1u);
}

void playTarget(float x, float y, ShotVector& out) {
  CreateShot(ShotTarget{x, y, false}, &out);
}

// Opening guards for the first two stones of an end. Returns true when a guard was played.
bool playOpeningGuard(int32_t shot, int32_t end, ShotVector& out) {
  // The lead before this shot, from the view of the thrower: 0 for shot 0, -score[0] for 1.
  int64_t lead = 0;
  for (int32_t i = 0; i < shot; ++i) lead += gameState.score[i];
  if (shot % 2 != 0) lead = -lead;

  const int r = randomBit();
  bool guard = false;
  if (end >= GUARD_RULE_END) {
    const int64_t endsLeft = int64_t{gameState.lastEnd} - end;
    const auto clampInt = [](int64_t v) {
      return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    };
    guard = freeGuardTest(shot, clampInt(endsLeft), clampInt(lead)).option == 0;
  } else {
    guard = lead < GUARD_SCORE_LIMIT;
  }
  if (!guard) return false;
  if (shot == 0) {
    playTarget(CENTER_GUARD_X, GUARD_Y, out);
  } else {
    playTarget(static_cast<float>(CORNER_GUARD_X + CORNER_GUARD_SPAN * r), GUARD_Y, out);
  }
  return true;
}

}  // namespace

void seedRandomChoice(uint32_t seed) { seededGenerator.emplace(seed); }

void setSearchDepth(int32_t plies) { searchDepth = plies > 0 ? plies : SEARCH_DEPTH; }

void setStrongMode(bool strong) { strongMode = strong; }

void decideShot(ShotVector& out) {
  const int32_t s = gameState.shotNum;
  const int32_t e = gameState.curEnd;

  // The player's first stone of the game restarts the thinking-time budget.
  if (e == 0 && (s == 0 || s == 1)) {
    remainingTime = INITIAL_THINKING_TIME;
    timeShort = false;
  }

  if (s <= 1 && playOpeningGuard(s, e, out)) return;

  bool empty = true;
  for (int32_t i = 0; i < s; ++i) empty = empty && !stoneInPlay(gameState, i);
  const int parity = s % 2;
  if (empty && s >= LAST_STONES_FROM) {
    playTarget(LAST_STONE_DRAW_X, LAST_STONE_DRAW_Y, out);
    return;
  }
  if (empty && !emptySheetStale[parity]) {
    out = emptySheetShot[parity];
    return;
  }

  int32_t depth = searchDepth;
  if (remainingTime < SHORT_TIME_THRESHOLD) {
    depth = SEARCH_DEPTH_SHORT;
    timeShort = true;
  }
  ShotVector shot;
  if (strongMode) {
    const double seconds = decisionAllotment(strongTimeLeft(remainingTime, gameState.lastEnd),
                                             s, e, gameState.lastEnd);
    const auto deadline = StrongClock::now() + std::chrono::duration_cast<StrongClock::duration>(
                                                   std::chrono::duration<double>(seconds));
    StrongResult result;
    strongSearch(gameState, depth, deadline, result);
    shot = result.shot;
  } else {
    SearchNode node;
    node.search(gameState, depth, shot);
  }
  if (empty) {
    emptySheetShot[parity] = shot;
    emptySheetStale[parity] = false;
  }
  out = shot;
}

}  // namespace varrowmere
