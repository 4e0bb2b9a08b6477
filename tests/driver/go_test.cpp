// The GO handler: the reply's form and the thinking time it charges.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "driver/game_state.h"
#include "support/player_process.h"
#include "driver/protocol.h"
#include "physics/motion.h"

namespace varrowmere {
namespace {

class GoHandler : public ::testing::Test {
 protected:
  // The decision may make shots through the motion model; build its tables as the entry does.
  static void SetUpTestSuite() {
    buildChordTable();
    buildTrajectoryTables();
  }

  // Shot 14 of end 3 on an empty sheet: decided by a fixed rule, without a search, and not
  // the first stone of a game, so the decision leaves the clock to the handler.
  void SetUp() override {
    gameState = GameState{};
    gameState.shotNum = 14;
    gameState.curEnd = 3;
    gameState.lastEnd = 8;
  }
  void TearDown() override {
    gameState = GameState{};
    remainingTime = 0.0;
  }

  static std::string go(const char* line) {
    char buffer[WORD_CAPACITY];
    std::strncpy(buffer, line, sizeof(buffer) - 1);
    buffer[sizeof(buffer) - 1] = '\0';
    CommandReply reply;
    dispatchCommand(buffer, reply);
    return std::string(reply.text, reply.length);
  }
};

TEST_F(GoHandler, RepliesWithOneBestShotOfFiniteNumbers) {
  for (const char* line : {"GO", "go", "  Go", "GO and more words"}) {
    SCOPED_TRACE(line);
    const std::string reply = go(line);
    const auto end = testing::matchBestShot(reply, 0);
    ASSERT_TRUE(end.has_value()) << reply;
    EXPECT_EQ(*end, reply.size()) << reply;
  }
}

TEST_F(GoHandler, ChargesTheDecisionTimeToTheClock) {
  // Each GO takes off more than nothing and no more than the whole command took; the
  // clock is only ever decreased, also below zero.
  for (const double before : {100.0, 0.0, -5.0}) {
    SCOPED_TRACE(before);
    remainingTime = before;
    const auto start = std::chrono::steady_clock::now();
    go("GO");
    const std::chrono::duration<double> outer = std::chrono::steady_clock::now() - start;
    EXPECT_LT(remainingTime, before);
    EXPECT_GE(remainingTime, before - outer.count());
  }
  remainingTime = 10.0;
  go("GO");
  const double afterOne = remainingTime;
  go("GO");
  EXPECT_LT(remainingTime, afterOne);
}

}  // namespace
}  // namespace varrowmere
