#include "driver/decision.h"

#include <gtest/gtest.h>

#include "driver/game_state.h"
#include "platform/shot_maker.h"
#include "search/search_threads.h"
#include "support/start_up_tables.h"
#include "tables/free_guard.h"

namespace varrowmere {
namespace {

ShotVector shotFor(float x, float y) {
  ShotVector shot;
  CreateShot(ShotTarget{x, y, false}, &shot);
  return shot;
}

bool sameShot(const ShotVector& a, const ShotVector& b) {
  return a.vx == b.vx && a.vy == b.vy && a.spin == b.spin;
}

// Simulations of a one-ply search: the sampled cells of the four candidate sets.
constexpr uint64_t ONE_PLY = 1484;

class DecisionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ensureStartUpTables();
    gameState = GameState{};
    gameState.lastEnd = 8;
    remainingTime = 0.0;
    timeShort = false;
    emptySheetStale[0] = emptySheetStale[1] = true;
  }
  void TearDown() override { gameState = GameState{}; }

  // Runs the decision and returns the simulations its search made: 0 when it played a fixed
  // or remembered shot, one per sampled cell of the four sets for a one-ply search.
  uint64_t decide(ShotVector& out) {
    const uint64_t before = searchSimulationCount();
    decideShot(out);
    return searchSimulationCount() - before;
  }

  void place(int stone, float x, float y) {
    gameState.stonePos[stone][0] = x;
    gameState.stonePos[stone][1] = y;
  }
};

TEST_F(DecisionTest, FirstStoneOfTheGameRestartsTheClockAndPlaysTheCentreGuard) {
  ShotVector out;
  EXPECT_EQ(decide(out), 0u);
  EXPECT_EQ(remainingTime, INITIAL_THINKING_TIME);
  EXPECT_FALSE(timeShort);
  EXPECT_TRUE(sameShot(out, shotFor(CENTER_GUARD_X, GUARD_Y)));
}

TEST_F(DecisionTest, CornerGuardUnlessFourBehind) {
  gameState.curEnd = 2;
  gameState.shotNum = 1;
  remainingTime = 10.0;  // keeps a search at depth 1
  gameState.score[0] = 3;
  const ShotVector left = shotFor(1.46f, GUARD_Y), right = shotFor(3.29f, GUARD_Y);
  bool seen[2] = {false, false};
  for (int i = 0; i < 40; ++i) {
    ShotVector out;
    decideShot(out);
    ASSERT_TRUE(sameShot(out, left) || sameShot(out, right));
    seen[sameShot(out, right) ? 1 : 0] = true;
  }
  // The corner is chosen at random: both appear in 40 tries but with chance 2^-39.
  EXPECT_TRUE(seen[0] && seen[1]);

  gameState.score[0] = -4;
  ShotVector out;
  EXPECT_EQ(decide(out), ONE_PLY);
}

TEST_F(DecisionTest, LateEndsAskTheFreeGuardStatistics) {
  gameState.curEnd = 7;
  remainingTime = 10.0;
  ShotVector out;
  const uint64_t simulations = decide(out);
  const bool guard = freeGuardTest(0, gameState.lastEnd - gameState.curEnd, 0).option == 0;
  EXPECT_EQ(sameShot(out, shotFor(CENTER_GUARD_X, GUARD_Y)), guard);
  EXPECT_EQ(simulations, guard ? 0u : ONE_PLY);
}

TEST_F(DecisionTest, LastStonesOnAnEmptySheetDrawWithoutSearching) {
  gameState.curEnd = 3;
  gameState.shotNum = 14;
  ShotVector out;
  EXPECT_EQ(decide(out), 0u);
  EXPECT_TRUE(sameShot(out, shotFor(LAST_STONE_DRAW_X, 5.490000247955322f)));
}

TEST_F(DecisionTest, EmptySheetShotIsSearchedOncePerParity) {
  gameState.curEnd = 1;
  gameState.shotNum = 4;
  remainingTime = 10.0;
  ShotVector first;
  EXPECT_EQ(decide(first), ONE_PLY);
  EXPECT_FALSE(emptySheetStale[0]);
  EXPECT_TRUE(emptySheetStale[1]);

  // Another game, same parity: the remembered shot, no search.
  gameState.curEnd = 4;
  gameState.shotNum = 6;
  ShotVector again;
  EXPECT_EQ(decide(again), 0u);
  EXPECT_TRUE(sameShot(first, again));

  // A stone in play: a normal search, nothing remembered.
  gameState.shotNum = 5;
  place(2, 2.375f, 5.0f);
  ShotVector searched;
  EXPECT_EQ(decide(searched), ONE_PLY);
  EXPECT_TRUE(emptySheetStale[1]);
}

TEST_F(DecisionTest, LittleTimeLeftSearchesOnePlyWithTheTimeShortEvaluator) {
  gameState.curEnd = 1;
  gameState.shotNum = 5;
  place(0, 2.375f, 5.0f);
  remainingTime = 29.9;
  ShotVector out;
  EXPECT_EQ(decide(out), ONE_PLY);
  EXPECT_TRUE(timeShort);
}

}  // namespace
}  // namespace varrowmere
