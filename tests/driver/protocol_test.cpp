// The word splitter and what the commands do to the game state (replies: see the transcripts).

#include "driver/protocol.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "driver/game_state.h"

namespace varrowmere {
namespace {

// Runs one command line as the reader hands it over; returns what the dispatcher returned.
int run(const std::string& line) {
  char buffer[WORD_CAPACITY] = {};
  line.copy(buffer, sizeof(buffer) - 1);
  CommandReply reply;
  return dispatchCommand(buffer, reply);
}

// Every field away from zero, to see what a command leaves alone: stone i at (100 + i, 200 + i).
GameState filled() {
  GameState gs{7, 4, 9, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, true, {}};
  for (int i = 0; i < STONE_COUNT; ++i)
    gs.stonePos[i][0] = 100.0f + i, gs.stonePos[i][1] = 200.0f + i;
  return gs;
}

std::string fields(const GameState& gs) {
  std::ostringstream text;
  text << gs.shotNum << ' ' << gs.curEnd << ' ' << gs.lastEnd << ' ' << gs.whiteToMove << " |";
  for (const int32_t s : gs.score) text << ' ' << s;
  for (const auto& p : gs.stonePos) text << ' ' << p[0] << ',' << p[1];
  return text.str();
}

class Protocol : public ::testing::Test {
 protected:
  void SetUp() override { gameState = filled(); }
  void TearDown() override { gameState = GameState{}; }
};

TEST(GetWord, OnlySpacesSeparateWords) {
  const auto word = [](const char* line, int n) {
    char out[WORD_CAPACITY] = "stale";
    return getWord(out, line, n) ? std::string(out) : std::string("(none)");
  };
  EXPECT_EQ(word("SET 1  2   3", 3), "3");
  EXPECT_EQ(word("SET 1  2   3", 4), "(none)");
  EXPECT_EQ(word("   GO", 0), "GO");
  EXPECT_EQ(word("SET\t1 2", 0), "SET\t1");
  EXPECT_EQ(word("SET\t1 2", 2), "(none)");
  // A trailing space gives an empty last word; an empty line an empty first word.
  EXPECT_EQ(word("A B ", 2), "");
  EXPECT_EQ(word("A B", 2), "(none)");
  EXPECT_EQ(word("", 0), "");
  char out[WORD_CAPACITY];
  EXPECT_EQ(getWord(out, nullptr, 0), 0);
  const std::string longest(WORD_CAPACITY - 1, 'w');
  EXPECT_TRUE(getWord(out, ("x " + longest).c_str(), 1) && out == longest);
}

TEST_F(Protocol, UnknownOrTabSeparatedCommandsChangeNothing) {
  for (const char* line : {"", "HELLO", "NEWGAMES", "SETSTATE\t1 2 3 4", "POSITION\t1 2"}) {
    EXPECT_EQ(run(line), 1) << line;
    EXPECT_EQ(fields(gameState), fields(filled())) << line;
  }
}

TEST_F(Protocol, NewGameClearsTheRecordButNotTheClock) {
  remainingTime = 123.5;
  run("newGame");
  EXPECT_EQ(fields(gameState), fields(GameState{}));
  EXPECT_EQ(remainingTime, 123.5);
  remainingTime = 0.0;
}

TEST_F(Protocol, PositionStopsAtTheFirstMissingWordAndStoresNonFiniteNumbersAsZero) {
  // 31 numbers: stones 0..14 and the x of stone 15, whose y keeps its value.
  std::string line = "Position";
  GameState expected = filled();
  for (int k = 0; k < 2 * STONE_COUNT - 1; ++k) {
    line.append(" ").append(std::to_string(k)).append(".25");
    expected.stonePos[k / 2][k % 2] = k + 0.25f;
  }
  EXPECT_EQ(run(line), 0);
  EXPECT_EQ(fields(gameState), fields(expected));
  EXPECT_EQ(run(line + " 9"), 1);
  EXPECT_EQ(gameState.stonePos[15][1], 9.0f);

  // Like atof, but what is not a finite float is 0.
  run("POSITION nan 1e39 inf -inf -1e300 NaN abc 2.5xyz -3.25 0x10 1e-3 3.4028234e38");
  const float numbers[] = {0, 0, 0, 0, 0, 0, 0, 2.5f, -3.25f, 16, 0.001f, 3.4028234e38f};
  for (int k = 0; k < 12; ++k) EXPECT_EQ(gameState.stonePos[k / 2][k % 2], numbers[k]) << k;
}

TEST_F(Protocol, SetStateFillsFieldsUntilTheFirstMissingWord) {
  struct Case {
    const char* line;
    int result;
    int32_t shot, end, last;
    bool white;
  };
  const Case cases[] = {
      {"SETSTATE 5 3 8 0", 1, 5, 3, 8, false},
      {"setstate 15 3 8 -2", 1, 15, 3, 8, true},
      {"SETSTATE 5 3", 0, 5, 3, 9, true},
      // A space after the third number reads an empty fourth word: 0.
      {"SETSTATE 2 1 8 ", 1, 2, 1, 8, false},
      {"SETSTATE x 99999999999 -99999999999 yes", 1, 0, INT32_MAX, INT32_MIN, false},
      // A shot outside 0..15 counts as a missing word.
      {"SETSTATE 16 1 8 0", 0, 7, 4, 9, true},
      {"SETSTATE -1 1 8 0", 0, 7, 4, 9, true},
      {"SETSTATE 4294967296 1 8 0", 0, 7, 4, 9, true},
  };
  for (const Case& c : cases) {
    gameState = filled();
    EXPECT_EQ(run(c.line), c.result) << c.line;
    GameState expected = filled();
    expected.shotNum = c.shot, expected.curEnd = c.end, expected.lastEnd = c.last;
    expected.whiteToMove = c.white;
    EXPECT_EQ(fields(gameState), fields(expected)) << c.line;
  }
}

}  // namespace
}  // namespace varrowmere
