// The shot decision and the GO handler. A decision's search shows in the simulation count: one
// ply (the time left is kept short) or the last stone simulates the 1484 sampled cells once.

#include "driver/decision.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "driver/go.h"
#include "platform/shot_maker.h"
#include "search/search_threads.h"
#include "support/start_up_tables.h"
#include "tables/free_guard.h"

namespace varrowmere {
namespace {

ShotVector target(float x, float y) {
  ShotVector shot;
  CreateShot(ShotTarget{x, y, false}, &shot);
  return shot;
}

std::tuple<float, float, bool> key(const ShotVector& s) { return {s.vx, s.vy, s.spin}; }

class Decision : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing_support::ensureStartUpTables(); }
  void SetUp() override {
    gameState = GameState{.lastEnd = 8};
    remainingTime = 10.0;
    timeShort = false;
    emptySheetStale[0] = emptySheetStale[1] = true;
  }

  // Decides at shot and end; returns the simulations of the decision's search.
  uint64_t decide(int32_t shot, int32_t end) {
    gameState.shotNum = shot;
    gameState.curEnd = end;
    const uint64_t before = searchSimulationCount();
    decideShot(out);
    return searchSimulationCount() - before;
  }

  ShotVector out;
  const ShotVector centre = target(2.375f, 8.995f), draw = target(2.375f, 5.490000247955322f);
  const ShotVector corner[2] = {target(1.46f, 8.995f), target(3.29f, 8.995f)};
};

TEST_F(Decision, OpeningGuardsBeforeEndSixUnlessFourAheadAndTheClockAtTheFirst) {
  // The lead counts the scores before this shot, for the thrower: none at shot 0.
  gameState.score[0] = 4;
  EXPECT_EQ(decide(0, 2), 0u);
  EXPECT_EQ(key(out), key(centre));
  gameState.score[0] = -4;
  EXPECT_EQ(decide(1, 2), 1484u);
  // Three ahead: the corner guard, at the corner the seeded random bit names (1, 0, 1, 0).
  gameState.score[0] = -3;
  seedRandomChoice(7);
  std::mt19937 bits(7);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(decide(1, 2), 0u);
    EXPECT_EQ(key(out), key(corner[bits() & 1u])) << k;
  }
  // The first stone of a game restarts the clock, also for the player whose first is shot 1.
  remainingTime = 0.0;
  timeShort = true;
  EXPECT_EQ(decide(0, 0), 0u);
  EXPECT_EQ(remainingTime, 438.0);
  EXPECT_FALSE(timeShort);
  remainingTime = 5.0;
  decide(1, 0);
  EXPECT_EQ(remainingTime, 438.0);
}

TEST_F(Decision, FromEndSixTheStatisticsDecide) {
  // Level at shot 1 of end 6, one and two ends left: the statistics answer differently.
  const int32_t option[2] = {freeGuardTest(1, 1, 0).option, freeGuardTest(1, 2, 0).option};
  ASSERT_NE(option[0], option[1]);
  for (const int32_t endsLeft : {1, 2}) {
    gameState.lastEnd = 6 + endsLeft;
    const bool guard = option[endsLeft - 1] == 0;
    EXPECT_EQ(decide(1, 6), guard ? 0u : 1484u) << endsLeft;
    EXPECT_EQ(key(out) == key(corner[0]) || key(out) == key(corner[1]), guard) << endsLeft;
  }
}

TEST_F(Decision, AnEmptySheetGetsTheLastStoneDrawOrItsShotSearchedOncePerParity) {
  // Stones not yet thrown do not count, and the draw comes before a remembered shot. A stone in
  // play means a search, and nothing remembered.
  gameState.stonePos[15][0] = 2.375f;
  emptySheetStale[0] = false;
  emptySheetShot[0] = ShotVector{1.0f, 2.0f, true};
  EXPECT_EQ(decide(14, 3), 0u);
  EXPECT_EQ(key(out), key(draw));
  emptySheetStale[0] = true;
  EXPECT_EQ(decide(4, 1), 1484u);
  const auto searched = key(out);
  EXPECT_EQ(decide(6, 4), 0u);
  EXPECT_EQ(key(out), searched);
  gameState.stonePos[2][0] = 2.375f;
  EXPECT_EQ(decide(5, 1), 1484u);
  EXPECT_TRUE(emptySheetStale[1]);
}

TEST_F(Decision, ShortOfTimeBelowThirtySecondsForTheRestOfTheGame) {
  gameState.stonePos[0][0] = 2.375f;
  for (const auto& [before, left, after] :
       {std::tuple{false, 29.9, true}, {true, 100.0, true}, {false, 30.0, false}}) {
    timeShort = before;
    remainingTime = left;
    EXPECT_EQ(decide(15, 3), 1484u);
    EXPECT_EQ(timeShort, after) << left;
  }
}

TEST_F(Decision, ADepthOfOnePlySearchesOnceOnAFullClockWithTheStandardEvaluation) {
  gameState.stonePos[0][0] = 2.375f;
  remainingTime = 100.0;
  setSearchDepth(1);
  EXPECT_EQ(decide(14, 3), 1484u);
  EXPECT_FALSE(timeShort);
  setSearchDepth(0);
  EXPECT_GT(decide(14, 3), 1484u);
}

TEST_F(Decision, GoAnswersTheDecisionAndChargesItsTimeInSeconds) {
  gameState.shotNum = 14;
  remainingTime = 100.0;
  CommandReply reply;
  const auto start = std::chrono::steady_clock::now();
  onGo(reply);
  const std::chrono::duration<double> outer = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(remainingTime < 100.0 && remainingTime >= 100.0 - outer.count()) << remainingTime;
  EXPECT_EQ(std::string(reply.text, reply.length),
            "BESTSHOT " + std::to_string(draw.vx) + " " + std::to_string(draw.vy) + " 0");
}

}  // namespace
}  // namespace varrowmere
