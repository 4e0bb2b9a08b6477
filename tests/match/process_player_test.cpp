#include "process_player.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace varrowmere;
using namespace varrowmere::match;

namespace {

// A temporary folder for the fake players of one test, removed afterwards.
class FakePlayers : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/varrowmere-match-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_m = pattern;
    process::installSignalHandlers();
  }
  void TearDown() override { std::filesystem::remove_all(folder_m); }

  // Writes a player script that answers ISREADY and runs `onGo` for each GO.
  std::string script(const std::string& name, const std::string& onGo) {
    const std::string path = folder_m + "/" + name;
    std::ofstream file(path);
    file << "#!/bin/sh\n"
            "while IFS= read -r line; do\n"
            "  case \"$line\" in\n"
            "    ISREADY*) printf 'READYOK' ;;\n"
            "    GO*) "
         << onGo
         << " ;;\n"
            "  esac\n"
            "done\n";
    file.close();
    ::chmod(path.c_str(), 0755);
    return path;
  }

  std::string folder_m;
};

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

GameState someState() {
  GameState state = GameState{};
  state.shotNum = 3;
  state.curEnd = 1;
  state.lastEnd = 8;
  state.whiteToMove = true;
  state.stonePos[0][0] = 2.375f;
  state.stonePos[0][1] = 4.88f;
  return state;
}

}  // namespace

TEST(ProtocolLines, PositionCarriesExactFloatsAndSetStateTheFourNumbers) {
  GameState state = someState();
  state.stonePos[15][1] = 0.1f;
  const std::string position = positionCommand(state);
  EXPECT_EQ(position.rfind("POSITION 2.375 4.88000011 0 0 ", 0), 0u) << position;
  EXPECT_EQ(position.back(), '\n');
  EXPECT_NE(position.find(" 0 0.100000001\n"), std::string::npos) << position;
  int words = 0;
  for (std::size_t i = 0; i < position.size(); ++i) words += position[i] == ' ';
  EXPECT_EQ(words, 32);
  EXPECT_EQ(setStateCommand(state), "SETSTATE 3 1 8 1\n");
}

TEST_F(FakePlayers, ReplyWithoutTerminatorIsReadWholeOrSplitAcrossTwoWrites) {
  ProcessPlayer whole(script("whole", "printf 'BESTSHOT 0.500000 -30.250000 1'"), 5.0);
  std::string failure;
  ASSERT_TRUE(whole.newGame(failure)) << failure;
  for (int i = 0; i < 3; ++i) {
    const PlayerAnswer answer = whole.play(someState(), 5.0);
    ASSERT_TRUE(answer.ok) << answer.failure;
    EXPECT_FLOAT_EQ(answer.shot.vx, 0.5f);
    EXPECT_FLOAT_EQ(answer.shot.vy, -30.25f);
    EXPECT_TRUE(answer.shot.spin);
    EXPECT_LT(answer.seconds, 1.0);
  }

  // The second piece comes 0.3 s later, in the middle of a number.
  ProcessPlayer split(script("split", "printf 'BESTSHOT 0.5 -3'; sleep 0.3; printf '0.25 0'"), 5.0);
  ASSERT_TRUE(split.newGame(failure)) << failure;
  const PlayerAnswer answer = split.play(someState(), 5.0);
  ASSERT_TRUE(answer.ok) << answer.failure;
  EXPECT_FLOAT_EQ(answer.shot.vy, -30.25f);
  EXPECT_FALSE(answer.shot.spin);
  EXPECT_GE(answer.seconds, 0.25);
  // The player's clock counts the thinking, not the grace period after the last byte.
  EXPECT_LT(answer.seconds, 0.3 + REPLY_GRACE * 0.9 + 0.2);

  // A new game on the same process: NEWGAME and ISREADY again.
  ASSERT_TRUE(split.newGame(failure)) << failure;
}

// Each way of losing at GO, with what the message must say; none may hang the referee.
TEST_F(FakePlayers, PlayerThatSleepsExitsOrTalksGarbageLosesWithTheReason) {
  const struct {
    const char* onGo;
    double secondsLeft;
    const char* failure;
  } cases[] = {
      {"sleep 30; printf 'BESTSHOT 0 0 0'", 0.5, "ran out of thinking time (0.50 s left at GO)"},
      {"exit 3", 30.0, "exited with status 3 while thinking"},
      {"printf 'HELLO WORLD'", 30.0, "answered GO with \"HELLO WORLD\", not a BESTSHOT"},
      {"printf 'BESTSHOT inf 0 0'", 30.0, "\"BESTSHOT inf 0 0\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.onGo);
    ProcessPlayer player(script("player", c.onGo), 5.0);
    std::string failure;
    ASSERT_TRUE(player.newGame(failure)) << failure;
    const auto start = std::chrono::steady_clock::now();
    const PlayerAnswer answer = player.play(someState(), c.secondsLeft);
    EXPECT_FALSE(answer.ok);
    EXPECT_NE(answer.failure.find(c.failure), std::string::npos) << answer.failure;
    // A player that runs out is charged all its time.
    EXPECT_GE(answer.seconds, c.secondsLeft < 1.0 ? c.secondsLeft : 0.0);
    // Asking again does not hang or crash either.
    EXPECT_FALSE(player.play(someState(), 0.5).ok);
    player.stop();
    EXPECT_LT(secondsSince(start), 2 * 0.5 + EXIT_GRACE + 2.0);
  }
}

TEST_F(FakePlayers, PlayerThatNeverGetsReadyOrCannotStartIsRefused) {
  const std::string mute = folder_m + "/mute";
  {
    std::ofstream file(mute);
    file << "#!/bin/sh\nsleep 30\n";
  }
  ::chmod(mute.c_str(), 0755);
  ProcessPlayer silent(mute, 0.3);
  std::string failure;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(silent.newGame(failure));
  EXPECT_NE(failure.find("ISREADY"), std::string::npos) << failure;
  silent.stop();
  EXPECT_LT(secondsSince(start), 0.3 + EXIT_GRACE + 1.0);

  ProcessPlayer missing(folder_m + "/does-not-exist", 5.0);
  EXPECT_FALSE(missing.newGame(failure));
  EXPECT_NE(failure.find("exited with status 127"), std::string::npos) << failure;
}

TEST(BuiltPlayer, AnswersTheProtocolWithAShot) {
  process::installSignalHandlers();
  ProcessPlayer player(std::string("'") + VARROWMERE_PLAYER_PATH + "'");
  std::string failure;
  ASSERT_TRUE(player.newGame(failure)) << failure;
  // The first stone of a game: an answer the player gives without a long search.
  GameState first = GameState{};
  first.lastEnd = 2;
  const PlayerAnswer answer = player.play(first, INITIAL_THINKING_TIME);
  EXPECT_TRUE(answer.ok) << answer.failure;
  player.stop();
}
