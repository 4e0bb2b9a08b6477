// The word splitter and the five commands, on the process-wide game state.

#include "driver/protocol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "driver/game_state.h"

namespace varrowmere {
namespace {

// Runs one command line as the reader would hand it over; returns the reply bytes.
std::string run(const std::string& line, int* result = nullptr) {
  char buffer[WORD_CAPACITY];
  EXPECT_LT(line.size(), sizeof(buffer));
  std::strncpy(buffer, line.c_str(), sizeof(buffer) - 1);
  buffer[sizeof(buffer) - 1] = '\0';
  CommandReply reply;
  const int handled = dispatchCommand(buffer, reply);
  if (result != nullptr) *result = handled;
  return std::string(reply.text, reply.length);
}

std::string word(const char* line, int n, int* found) {
  char out[WORD_CAPACITY];
  std::memset(out, 'X', sizeof(out));
  *found = getWord(out, line, n);
  return *found ? std::string(out) : std::string();
}

// A game state with every field away from zero, to see what a command leaves alone.
void fillGameState() {
  gameState.shotNum = 7;
  gameState.curEnd = 4;
  gameState.lastEnd = 9;
  for (int i = 0; i < SCORE_ENDS; ++i) gameState.score[i] = i + 1;
  gameState.whiteToMove = true;
  for (int i = 0; i < STONE_COUNT; ++i) {
    gameState.stonePos[i][0] = 100.0f + static_cast<float>(i);
    gameState.stonePos[i][1] = 200.0f + static_cast<float>(i);
  }
}

class Protocol : public ::testing::Test {
 protected:
  void SetUp() override { fillGameState(); }
  void TearDown() override { gameState = GameState{}; }
};

TEST(GetWord, SpacesSeparateWordsAndTabsDoNot) {
  int found = 0;
  EXPECT_EQ(word("SETSTATE 1  2   3", 0, &found), "SETSTATE");
  EXPECT_EQ(word("SETSTATE 1  2   3", 1, &found), "1");
  EXPECT_EQ(word("SETSTATE 1  2   3", 2, &found), "2");
  EXPECT_EQ(word("SETSTATE 1  2   3", 3, &found), "3");
  EXPECT_EQ(found, 1);
  word("SETSTATE 1  2   3", 4, &found);
  EXPECT_EQ(found, 0);

  EXPECT_EQ(word("   GO", 0, &found), "GO");
  EXPECT_EQ(word("SETSTATE\t1 2", 0, &found), "SETSTATE\t1");
  EXPECT_EQ(word("SETSTATE\t1 2", 1, &found), "2");
  word("SETSTATE\t1 2", 2, &found);
  EXPECT_EQ(found, 0);
}

TEST(GetWord, TrailingSpaceGivesAnEmptyWordAndEndGivesNone) {
  int found = 0;
  EXPECT_EQ(word("A B ", 2, &found), "");
  EXPECT_EQ(found, 1);
  EXPECT_EQ(word("A B   ", 2, &found), "");
  EXPECT_EQ(found, 1);
  word("A B", 2, &found);
  EXPECT_EQ(found, 0);
  word("A B ", 3, &found);
  EXPECT_EQ(found, 0);

  // An empty or blank line has an empty first word and nothing after it.
  EXPECT_EQ(word("", 0, &found), "");
  EXPECT_EQ(found, 1);
  EXPECT_EQ(word("   ", 0, &found), "");
  EXPECT_EQ(found, 1);
  word("", 1, &found);
  EXPECT_EQ(found, 0);

  char out[WORD_CAPACITY];
  EXPECT_EQ(getWord(out, nullptr, 0), 0);
}

TEST(GetWord, LongestWordIsCopiedWhole) {
  const std::string longest(WORD_CAPACITY - 1, 'w');
  int found = 0;
  EXPECT_EQ(word(("x " + longest).c_str(), 1, &found), longest);
}

TEST_F(Protocol, CommandWordsIgnoreLetterCase) {
  EXPECT_EQ(run("ISREADY"), "READYOK");
  EXPECT_EQ(run("isready"), "READYOK");
  EXPECT_EQ(run("IsReAdY"), "READYOK");
  EXPECT_EQ(run("   ISREADY and more"), "READYOK");
  EXPECT_EQ(run("ISREADY\r\nGO"), "READYOK");

  run("newGame");
  EXPECT_EQ(gameState.curEnd, 0);
  run("SetState 3 2 8 1");
  EXPECT_EQ(gameState.shotNum, 3);
  run("position 1 2");
  EXPECT_EQ(gameState.stonePos[0][0], 1.0f);
  EXPECT_EQ(gameState.stonePos[0][1], 2.0f);
}

TEST_F(Protocol, UnknownWordsAreIgnoredWithoutReply) {
  int result = 0;
  for (const char* line : {"", "   ", "HELLO", "READYOK", "ISREADYX", "IS READY", "ISREADY\tNOW",
                           "GO\t", "NEWGAMES", "SETSTATE\t1 2 3 4", "POSITION\t1 2"}) {
    SCOPED_TRACE(line);
    EXPECT_EQ(run(line, &result), "");
    EXPECT_EQ(result, 1);
  }
  // Nothing above touched the state.
  EXPECT_EQ(gameState.shotNum, 7);
  EXPECT_EQ(gameState.curEnd, 4);
  EXPECT_EQ(gameState.stonePos[0][0], 100.0f);
}

TEST_F(Protocol, NewGameClearsTheRecordButNotTheClock) {
  remainingTime = 123.5;
  timeShort = true;
  EXPECT_EQ(run("NEWGAME"), "");
  EXPECT_EQ(gameState.shotNum, 0);
  EXPECT_EQ(gameState.curEnd, 0);
  EXPECT_EQ(gameState.lastEnd, 0);
  for (int i = 0; i < SCORE_ENDS; ++i) EXPECT_EQ(gameState.score[i], 0) << i;
  EXPECT_FALSE(gameState.whiteToMove);
  for (int i = 0; i < STONE_COUNT; ++i) {
    EXPECT_EQ(gameState.stonePos[i][0], 0.0f) << i;
    EXPECT_EQ(gameState.stonePos[i][1], 0.0f) << i;
    EXPECT_FALSE(stoneInPlay(gameState, i));
  }
  EXPECT_EQ(remainingTime, 123.5);
  EXPECT_TRUE(timeShort);
  remainingTime = 0.0;
  timeShort = false;
}

TEST_F(Protocol, PositionSetsStonesInOrderAndStopsAtTheFirstMissingWord) {
  std::string full = "POSITION";
  for (int i = 0; i < 2 * STONE_COUNT; ++i)
    full.append(" ").append(std::to_string(i)).append(".25");
  int result = 0;
  EXPECT_EQ(run(full, &result), "");
  EXPECT_EQ(result, 1);
  for (int i = 0; i < STONE_COUNT; ++i) {
    EXPECT_EQ(gameState.stonePos[i][0], static_cast<float>(2 * i) + 0.25f) << i;
    EXPECT_EQ(gameState.stonePos[i][1], static_cast<float>(2 * i + 1) + 0.25f) << i;
  }

  // 31 numbers: stones 0..14 and the x of stone 15; its y keeps the old value.
  fillGameState();
  std::string partial = "POSITION";
  for (int i = 0; i < 2 * STONE_COUNT - 1; ++i) partial.append(" ").append(std::to_string(i + 1));
  run(partial, &result);
  EXPECT_EQ(result, 0);
  for (int i = 0; i < STONE_COUNT - 1; ++i) {
    EXPECT_EQ(gameState.stonePos[i][0], static_cast<float>(2 * i + 1)) << i;
    EXPECT_EQ(gameState.stonePos[i][1], static_cast<float>(2 * i + 2)) << i;
  }
  EXPECT_EQ(gameState.stonePos[15][0], 31.0f);
  EXPECT_EQ(gameState.stonePos[15][1], 215.0f);
  EXPECT_EQ(gameState.shotNum, 7);

  // Three numbers: stone 0 and the x of stone 1.
  fillGameState();
  run("POSITION 0.5 0.75 1.5");
  EXPECT_EQ(gameState.stonePos[0][0], 0.5f);
  EXPECT_EQ(gameState.stonePos[0][1], 0.75f);
  EXPECT_EQ(gameState.stonePos[1][0], 1.5f);
  EXPECT_EQ(gameState.stonePos[1][1], 201.0f);
  EXPECT_EQ(gameState.stonePos[2][0], 102.0f);
}

TEST_F(Protocol, PositionNumbersConvertLikeAtofAndNonFiniteReadsAsZero) {
  run("POSITION nan 1e39 inf -inf 1e300 -1e300 -INFINITY NaN abc 2.5xyz -3.25 0x10 1e-3");
  const float expected[] = {0.0f, 0.0f, 0.0f, 0.0f,   0.0f,  0.0f,  0.0f,
                            0.0f, 0.0f, 2.5f, -3.25f, 16.0f, 0.001f};
  for (int k = 0; k < 13; ++k) {
    const float stored = gameState.stonePos[k / 2][k % 2];
    EXPECT_TRUE(std::isfinite(stored)) << k;
    EXPECT_EQ(stored, expected[k]) << k;
  }
  // The largest float is still a number and is kept.
  run("POSITION 3.4028234e38 -3.4028234e38");
  EXPECT_EQ(gameState.stonePos[0][0], 3.4028234e38f);
  EXPECT_EQ(gameState.stonePos[0][1], -3.4028234e38f);
}

TEST_F(Protocol, SetStateFillsFieldsUntilTheFirstMissingWord) {
  int result = 0;
  run("SETSTATE 5 3 8 0", &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(gameState.shotNum, 5);
  EXPECT_EQ(gameState.curEnd, 3);
  EXPECT_EQ(gameState.lastEnd, 8);
  EXPECT_FALSE(gameState.whiteToMove);
  run("SETSTATE 6 3 8 -2");
  EXPECT_TRUE(gameState.whiteToMove);

  // Two numbers: lastEnd and whiteToMove keep their values.
  fillGameState();
  run("SETSTATE 5 3", &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(gameState.shotNum, 5);
  EXPECT_EQ(gameState.curEnd, 3);
  EXPECT_EQ(gameState.lastEnd, 9);
  EXPECT_TRUE(gameState.whiteToMove);

  // A space after the third number reads an empty fourth word: whiteToMove becomes false.
  fillGameState();
  run("SETSTATE 2 1 8 ", &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(gameState.lastEnd, 8);
  EXPECT_FALSE(gameState.whiteToMove);

  // Words that are not numbers read as 0; huge numbers saturate.
  fillGameState();
  run("SETSTATE x 99999999999 -99999999999 yes");
  EXPECT_EQ(gameState.shotNum, 0);
  EXPECT_EQ(gameState.curEnd, INT32_MAX);
  EXPECT_EQ(gameState.lastEnd, INT32_MIN);
  EXPECT_FALSE(gameState.whiteToMove);
}

TEST_F(Protocol, SetStateShotOutsideTheEndStopsTheCommand) {
  int result = 1;
  for (const char* line : {"SETSTATE 16 1 8 0", "SETSTATE -1 1 8 0", "SETSTATE 2147483648 1 8 0"}) {
    SCOPED_TRACE(line);
    run(line, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(gameState.shotNum, 7);
    EXPECT_EQ(gameState.curEnd, 4);
    EXPECT_EQ(gameState.lastEnd, 9);
    EXPECT_TRUE(gameState.whiteToMove);
  }
  run("SETSTATE 15 1 8 0");
  EXPECT_EQ(gameState.shotNum, 15);
  run("SETSTATE 0 2 8 0");
  EXPECT_EQ(gameState.shotNum, 0);
  EXPECT_EQ(gameState.curEnd, 2);
}


}  // namespace
}  // namespace varrowmere
