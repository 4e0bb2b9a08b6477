#include "driver/decision.h"

#include <gtest/gtest.h>

#include "driver/game_state.h"
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

class DecisionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing_support::ensureStartUpTables();
    gameState = GameState::zero();
    gameState.lastEnd = 8;
    remainingTime = 0.0;
    timeShort = false;
    emptySheetStale[0] = emptySheetStale[1] = true;
  }
  void TearDown() override { gameState = GameState::zero(); }

  void place(int stone, float x, float y) {
    gameState.stonePos[stone][0] = x;
    gameState.stonePos[stone][1] = y;
  }
};

TEST_F(DecisionTest, FirstStoneOfTheGameRestartsTheClockAndPlaysTheCentreGuard) {
  ShotVector out;
  decideShot(out);
  EXPECT_EQ(remainingTime, INITIAL_THINKING_TIME);
  EXPECT_FALSE(timeShort);
  EXPECT_TRUE(sameShot(out, shotFor(CENTER_GUARD_X, GUARD_Y)));
  EXPECT_EQ(lastDecisionDepth(), 0);
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
  decideShot(out);
  EXPECT_EQ(lastDecisionDepth(), 1);
}

TEST_F(DecisionTest, LateEndsAskTheFreeGuardStatistics) {
  gameState.curEnd = 7;
  remainingTime = 10.0;
  ShotVector out;
  decideShot(out);
  const bool guard = freeGuardTest(0, gameState.lastEnd - gameState.curEnd, 0).option == 0;
  EXPECT_EQ(sameShot(out, shotFor(CENTER_GUARD_X, GUARD_Y)), guard);
  EXPECT_EQ(lastDecisionDepth(), guard ? 0 : 1);
}

TEST_F(DecisionTest, LastStonesOnAnEmptySheetDrawWithoutSearching) {
  gameState.curEnd = 3;
  gameState.shotNum = 14;
  ShotVector out;
  decideShot(out);
  EXPECT_TRUE(sameShot(out, shotFor(LAST_STONE_DRAW_X, 5.490000247955322f)));
  EXPECT_EQ(lastDecisionDepth(), 0);
}

TEST_F(DecisionTest, EmptySheetShotIsSearchedOncePerParity) {
  gameState.curEnd = 1;
  gameState.shotNum = 4;
  remainingTime = 10.0;
  ShotVector first;
  decideShot(first);
  EXPECT_EQ(lastDecisionDepth(), 1);
  EXPECT_FALSE(emptySheetStale[0]);
  EXPECT_TRUE(emptySheetStale[1]);

  // Another game, same parity: the remembered shot, no search.
  gameState.curEnd = 4;
  gameState.shotNum = 6;
  ShotVector again;
  decideShot(again);
  EXPECT_EQ(lastDecisionDepth(), 0);
  EXPECT_TRUE(sameShot(first, again));

  // A stone in play: a normal search, nothing remembered.
  gameState.shotNum = 5;
  place(2, 2.375f, 5.0f);
  ShotVector searched;
  decideShot(searched);
  EXPECT_EQ(lastDecisionDepth(), 1);
  EXPECT_TRUE(emptySheetStale[1]);
}

TEST_F(DecisionTest, LittleTimeLeftSearchesOnePlyWithTheTimeShortEvaluator) {
  gameState.curEnd = 1;
  gameState.shotNum = 5;
  place(0, 2.375f, 5.0f);
  remainingTime = 29.9;
  ShotVector out;
  decideShot(out);
  EXPECT_EQ(lastDecisionDepth(), SEARCH_DEPTH_SHORT);
  EXPECT_TRUE(timeShort);
}

}  // namespace
}  // namespace varrowmere
