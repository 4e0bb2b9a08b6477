#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "soak_checks.h"
#include "soak_player.h"
#include "soak_positions.h"

namespace varrowmere::soak {
namespace {

// Exactly one "BESTSHOT %f %f %d" and nothing else between a GO and the READYOK after it.
TEST(SoakChecks, AnswersMustBeOneBestShotAndMemoryMustNotGrow) {
  ShotVector shot;
  ASSERT_TRUE(parseBestShot("BESTSHOT 0.125000 -29.750000 1", shot));
  EXPECT_TRUE(shot.vx == 0.125f && shot.vy == -29.75f && shot.spin);
  for (const char* bad : {"", "BESTSHOT 0.125000 -29.750000 1BESTSHOT 0.125000 -29.750000 1",
                          "BESTSHOT 0.125000 -29.750000 1 ", " BESTSHOT 0.125000 -29.750000 1",
                          "BESTSHOT 0.12500 -29.750000 1", "BESTSHOT 0.125000 -29.750000 2",
                          "BESTSHOT 0.125000 -29.750000", "BESTSHOT 1e3.000000 -29.750000 1"})
    EXPECT_FALSE(parseBestShot(bad, shot)) << bad;
  EXPECT_EQ(residentKb("VmHWM:\t 250000 kB\nVmRSS:\t  123456 kB\n"), 123456);
  EXPECT_EQ(residentKb("VmHWM:\t 5 kB\n"), -1);
  // Within 5% of the first sample, limit included; a sample that could not be read fails.
  EXPECT_TRUE(judgeMemory({100000, 104000, 105000, 99000}, 0.05).within);
  EXPECT_FALSE(judgeMemory({100000, 105001}, 0.05).within);
  EXPECT_FALSE(judgeMemory({100000, -1}, 0.05).within);
}

// Positions lie in ends 1 to 7 of 8 (end 0 would restart the player's clock), only delivered
// stones are in play, and a seed gives the same stream.
TEST(SoakPositions, AreMidGameAndFollowTheSeed) {
  std::mt19937_64 a(7), b(7);
  for (int n = 0; n < 2000; ++n) {
    const GameState gs = soakPosition(a), again = soakPosition(b);
    ASSERT_TRUE(std::memcmp(gs.stonePos, again.stonePos, sizeof gs.stonePos) == 0 &&
                gs.shotNum == again.shotNum && gs.whiteToMove == again.whiteToMove);
    ASSERT_TRUE(gs.curEnd >= 1 && gs.curEnd <= 7 && gs.lastEnd == 8);
    for (int i = gs.shotNum; i < STONE_COUNT; ++i) ASSERT_FALSE(stoneInPlay(gs, i));
  }
}

// A player that answers twice before its READYOK fails the check, and the rest is consumed.
TEST(SoakPlayer, ChecksEverythingUpToTheReadyOk) {
  ProcessDriver process;
  std::string failure;
  ASSERT_TRUE(
      process.startShell("read l; printf 'BESTSHOT 1.000000 -30.000000 0'; printf "
                         "'BESTSHOT 1.000000 -30.000000 0READYOK'; read l; exit 3",
                         failure));
  const GoAnswer answer = askShot(process, GameState{}, 10.0);
  EXPECT_NE(answer.failure.find("not exactly one BESTSHOT"), std::string::npos) << answer.failure;
  EXPECT_EQ(process.finish(process::durationOf(5.0)), 3);
  EXPECT_EQ(process.output(), "");
}

}  // namespace
}  // namespace varrowmere::soak
