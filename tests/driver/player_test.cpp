// The real player binary on pipes, byte for byte.

#include <gtest/gtest.h>

#include <string>

#include "support/player_process.h"

namespace varrowmere::testing {
namespace {

using std::chrono::milliseconds;

// After the input ends the player must exit with status 0 promptly.
void expectCleanExit(PlayerProcess& player) {
  player.closeInput();
  EXPECT_EQ(player.waitExit(EXIT_DEADLINE), 0) << "player still running after the end of its input";
}

TEST(PlayerProcess, IsReadyInAnyCaseIsAnsweredByExactlySevenBytes) {
  PlayerProcess player;
  ASSERT_TRUE(player.started());
  ASSERT_TRUE(player.send("isReady\n"));
  EXPECT_EQ(player.readAtLeast(7, FIRST_REPLY_DEADLINE), "READYOK");
  player.closeInput();
  EXPECT_TRUE(player.readToEnd(EXIT_DEADLINE));
  EXPECT_EQ(player.output(), "READYOK");
  EXPECT_EQ(player.waitExit(EXIT_DEADLINE), 0);
}

TEST(PlayerProcess, TwoCommandsInOneWriteAreBothAnswered) {
  PlayerProcess player;
  ASSERT_TRUE(player.started());
  ASSERT_TRUE(player.send("ISREADY\nGO\n"));
  player.closeInput();
  ASSERT_TRUE(player.readToEnd(FIRST_REPLY_DEADLINE));
  const std::string& out = player.output();
  ASSERT_EQ(out.compare(0, 7, "READYOK"), 0) << out;
  const auto end = matchBestShot(out, 7);
  ASSERT_TRUE(end.has_value()) << out;
  EXPECT_EQ(*end, out.size()) << "bytes after the BESTSHOT: " << out;
  EXPECT_EQ(player.waitExit(EXIT_DEADLINE), 0);
}

TEST(PlayerProcess, BadInputGetsNoReply) {
  PlayerProcess player;
  ASSERT_TRUE(player.started());
  // Wait for the start-up to finish so the silence below is measured on a reading player.
  ASSERT_TRUE(player.send("ISREADY\n"));
  ASSERT_EQ(player.readAtLeast(7, FIRST_REPLY_DEADLINE), "READYOK");
  ASSERT_TRUE(player.send("HELLO\n"));
  ASSERT_TRUE(player.send("SETSTATE\t1 2 3 4\n"));
  ASSERT_TRUE(player.send("GO\tNOW\n"));
  ASSERT_TRUE(player.send("READYOK\n\n\r\n   \n"));
  ASSERT_TRUE(player.send("POSITION 1 2 3\n"));
  ASSERT_TRUE(player.send("SETSTATE\n"));
  EXPECT_EQ(player.readAtLeast(8, milliseconds(300)), "READYOK");
  // Replies come in order, so an answer to any of the above would show before this one.
  ASSERT_TRUE(player.send("ISREADY\n"));
  EXPECT_EQ(player.readAtLeast(14, FIRST_REPLY_DEADLINE), "READYOKREADYOK");
  expectCleanExit(player);
}

TEST(PlayerProcess, LongLinesAcrossReadBlocks) {
  PlayerProcess player;
  ASSERT_TRUE(player.started());
  // 1023 bytes is the longest line kept; one more and the whole line is dropped. Sent in
  // one write each with filler before them, so they straddle the player's 1024-byte reads.
  const std::string kept = "ISREADY" + std::string(1023 - 7, ' ');
  const std::string dropped = "ISREADY" + std::string(1024 - 7, ' ');
  ASSERT_TRUE(player.send("NEWGAME\n" + kept + "\n" + dropped + "\nisready\n"));
  player.closeInput();
  ASSERT_TRUE(player.readToEnd(FIRST_REPLY_DEADLINE));
  EXPECT_EQ(player.output(), "READYOKREADYOK");
  EXPECT_EQ(player.waitExit(EXIT_DEADLINE), 0);
}

TEST(PlayerProcess, LastLineWithoutLineEndIsACommand) {
  PlayerProcess player;
  ASSERT_TRUE(player.started());
  ASSERT_TRUE(player.send("ISREADY"));
  EXPECT_EQ(player.readAtLeast(7, FIRST_REPLY_DEADLINE), "READYOK");
  ASSERT_TRUE(player.send("ISREADY"));
  expectCleanExit(player);
  EXPECT_TRUE(player.readToEnd(EXIT_DEADLINE));
  EXPECT_EQ(player.output(), "READYOKREADYOK");
}

TEST(PlayerProcess, NonBlockingPipesAreWaitedOn) {
  PlayerProcess player(/*nonBlocking=*/true);
  ASSERT_TRUE(player.started());
  // Nothing to read yet: a player that takes EAGAIN for the end of input exits here.
  ASSERT_FALSE(player.waitExit(milliseconds(300)).has_value()) << "player quit on an idle pipe";
  ASSERT_TRUE(player.send("ISREADY\n"));
  EXPECT_EQ(player.readAtLeast(7, FIRST_REPLY_DEADLINE), "READYOK");
  expectCleanExit(player);
}

TEST(PlayerProcess, EndOfInputAtOnceExitsCleanly) {
  PlayerProcess player;
  ASSERT_TRUE(player.started());
  player.closeInput();
  // The start-up tables come first; the exit follows the end of input within a second.
  ASSERT_TRUE(player.readToEnd(FIRST_REPLY_DEADLINE));
  EXPECT_EQ(player.output(), "");
  EXPECT_EQ(player.waitExit(EXIT_DEADLINE), 0);
}

}  // namespace
}  // namespace varrowmere::testing
