#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "process_driver.h"
#include "soak_checks.h"
#include "soak_player.h"
#include "soak_positions.h"

namespace varrowmere::soak {
namespace {

TEST(SoakReplies, OnlyExactlyOneWellFormedBestShotPasses) {
  ShotVector shot;
  ASSERT_TRUE(parseBestShot("BESTSHOT 0.125000 -29.750000 1", shot));
  EXPECT_EQ(shot.vx, 0.125f);
  EXPECT_EQ(shot.vy, -29.75f);
  EXPECT_TRUE(shot.spin);
  EXPECT_TRUE(parseBestShot("BESTSHOT -0.000000 0.000000 0", shot));
  EXPECT_FALSE(shot.spin);

  const char* bad[] = {
      "",
      "BESTSHOT 0.125000 -29.750000 1BESTSHOT 0.125000 -29.750000 1",  // two answers
      "BESTSHOT 0.125000 -29.750000 1 ",                               // trailing blank
      "BESTSHOT 0.125000 -29.750000 1\n",
      " BESTSHOT 0.125000 -29.750000 1",
      "BESTSHOT 0.12500 -29.750000 1",  // five decimals: not "%f"
      "BESTSHOT 0.125000 -29.750000 2",
      "BESTSHOT 0.125000 -29.750000",
      "BESTSHOT nan -29.750000 1",
      "BESTSHOT inf -29.750000 1",
      "BESTSHOT 0.125000  -29.750000 1",
      "bestshot 0.125000 -29.750000 1",
      "BESTSHOT 1e3.000000 -29.750000 1",
      "READYOKBESTSHOT 0.125000 -29.750000 1",
  };
  for (const char* text : bad) EXPECT_FALSE(parseBestShot(text, shot)) << text;
}

TEST(SoakMemory, ResidentMemoryComesFromTheVmRssLine) {
  const std::string status =
      "Name:\tvarrowmere\nVmPeak:\t  900000 kB\nVmHWM:\t  250000 kB\nVmRSS:\t  123456 kB\n"
      "RssAnon:\t  100000 kB\n";
  EXPECT_EQ(residentKb(status), 123456);
  EXPECT_EQ(residentKb("Name:\tx\nVmHWM:\t 5 kB\n"), -1);
  EXPECT_GT(residentKbOf(::getpid()), 0);
}

TEST(SoakMemory, GrowthBeyondTheToleranceOfTheFirstSampleFails) {
  MemoryVerdict v = judgeMemory({100000, 104000, 105000, 99000}, 0.05);
  EXPECT_TRUE(v.within);
  EXPECT_EQ(v.baseline, 100000);
  EXPECT_EQ(v.highest, 105000);
  EXPECT_EQ(v.lowest, 99000);
  EXPECT_FALSE(judgeMemory({100000, 105001}, 0.05).within);
  // A sample that could not be read is no pass.
  EXPECT_FALSE(judgeMemory({100000, -1}, 0.05).within);
  EXPECT_FALSE(judgeMemory({}, 0.05).within);
}

TEST(SoakPositions, MidGameOnlyAndReproducibleFromTheSeed) {
  std::mt19937_64 a(7), b(7);
  int odd = 0;
  constexpr int COUNT = 2000;
  for (int n = 0; n < COUNT; ++n) {
    const GameState gs = soakPosition(a);
    const GameState again = soakPosition(b);
    ASSERT_EQ(std::memcmp(gs.stonePos, again.stonePos, sizeof(gs.stonePos)), 0);
    ASSERT_EQ(gs.shotNum, again.shotNum);
    // End 0 would restart the player's thinking time and allow two-ply searches.
    ASSERT_GE(gs.curEnd, 1);
    ASSERT_LT(gs.curEnd, SOAK_LAST_END);
    ASSERT_EQ(gs.lastEnd, SOAK_LAST_END);
    ASSERT_GE(gs.shotNum, 0);
    ASSERT_LT(gs.shotNum, STONE_COUNT);
    bool ordinary = true;
    for (int i = 0; i < STONE_COUNT; ++i) {
      if (i >= gs.shotNum) {
        ASSERT_FALSE(stoneInPlay(gs, i)) << "stone " << i << " not yet delivered";
        continue;
      }
      if (!stoneInPlay(gs, i)) continue;
      const float x = gs.stonePos[i][0], y = gs.stonePos[i][1];
      ASSERT_TRUE(std::isfinite(x) && std::isfinite(y));
      if (x < SOAK_MIN_X || x > SOAK_MAX_X || y < SOAK_MIN_Y || y > SOAK_MAX_Y) ordinary = false;
      for (int j = 0; j < i; ++j) {
        if (!stoneInPlay(gs, j)) continue;
        const float dx = x - gs.stonePos[j][0], dy = y - gs.stonePos[j][1];
        if (dx * dx + dy * dy < static_cast<float>(CONTACT_DIST_SQ)) ordinary = false;
      }
    }
    odd += ordinary ? 0 : 1;
  }
  // About one in SOAK_ODD_EVERY is odd (a few of those change nothing visible).
  EXPECT_GT(odd, COUNT / SOAK_ODD_EVERY / 2);
  EXPECT_LT(odd, COUNT / SOAK_ODD_EVERY * 2);
}

// A stand-in player written as a shell script, so that the soak's own checks can be shown to
// catch a player that answers badly.
class ScriptPlayer {
 public:
  explicit ScriptPlayer(const std::string& body) {
    path_m = std::string(VARROWMERE_TEST_BINARY_DIR) + "/soak_script_" +
             std::to_string(::getpid()) + "_" + std::to_string(counter++) + ".sh";
    std::ofstream(path_m) << "#!/bin/sh\n" << body << "\n";
    ::chmod(path_m.c_str(), 0755);
  }
  ~ScriptPlayer() { std::remove(path_m.c_str()); }
  const std::string& path() const { return path_m; }

 private:
  static inline int counter = 0;
  std::string path_m;
};

TEST(SoakProcess, AnswersAreCheckedUpToTheReadyOk) {
  // Reads one line and answers it twice, then one READYOK, then exits with status 3.
  ScriptPlayer doubled(
      "read line; printf 'BESTSHOT 1.000000 -30.000000 0'; printf 'BESTSHOT 1.000000 "
      "-30.000000 0READYOK'; read rest; exit 3");
  ProcessDriver process;
  std::string failure;
  ASSERT_TRUE(process.startProgram(doubled.path(), failure)) << failure;
  GameState gs;
  const GoAnswer answer = askShot(process, gs, 10.0);
  EXPECT_FALSE(answer.ok);
  EXPECT_NE(answer.failure.find("not exactly one BESTSHOT"), std::string::npos);
  EXPECT_EQ(process.finish(process::durationOf(5.0)), 3);
  EXPECT_EQ(process.output(), "");
}

TEST(SoakProcess, TheBuiltPlayerAnswersAOnePlyGoAndLeavesCleanly) {
  ProcessDriver process;
  std::string failure;
  ASSERT_TRUE(process.startProgram(VARROWMERE_PLAYER_PATH, failure)) << failure;
  ASSERT_TRUE(startNewGame(process, 300.0, failure)) << failure;
  std::mt19937_64 rng(3);
  GameState gs = soakPosition(rng);
  gs.shotNum = 15;  // one ply deep and the last stone of the end: a short search
  const GoAnswer answer = askShot(process, gs, 300.0);
  EXPECT_TRUE(answer.ok) << answer.failure;
  EXPECT_EQ(process.finish(process::durationOf(30.0)), 0);
  EXPECT_EQ(process.output(), "");
}

}  // namespace
}  // namespace varrowmere::soak
