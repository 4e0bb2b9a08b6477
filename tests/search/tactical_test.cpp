// The player, through its protocol, plays a shot that does what a curler would do.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "physics/simulate.h"
#include "search/end_score.h"
#include "support/player_process.h"
#include "support/start_up_tables.h"

namespace varrowmere {
namespace {

using namespace std::chrono_literals;

// The numbers of the BESTSHOT reply that starts at text[pos].
bool parseBestShot(const std::string& text, std::size_t pos, ShotVector& shot) {
  float vx = 0.0f, vy = 0.0f;
  int spin = 0;
  if (std::sscanf(text.c_str() + pos, "BESTSHOT %f %f %d", &vx, &vy, &spin) != 3) return false;
  shot = ShotVector{vx, vy, spin != 0};
  return true;
}

TEST(Tactics, LastStoneAgainstAStoneOnTheButtonScores) {
  testing::PlayerProcess player;
  ASSERT_TRUE(player.started());
  // The first stone of the game starts the clock (a guard is played); then the opponent's
  // stone sits alone on the button and we throw the last stone of the end.
  ASSERT_TRUE(player.send("NEWGAME\nSETSTATE 0 0 8 0\nGO\n"));
  const std::string& first = player.readAtLeast(1, testing::FIRST_REPLY_DEADLINE);
  const auto afterFirst = testing::matchBestShot(first, 0);
  ASSERT_TRUE(afterFirst.has_value()) << first;

  std::string position = "POSITION 2.375 4.88";
  for (int i = 1; i < STONE_COUNT; ++i) position += " 0 0";
  ASSERT_TRUE(player.send(position + "\nSETSTATE 15 0 8 1\nGO\n"));
  std::string replies;
  for (int tries = 0; tries < 600; ++tries) {
    replies = player.readAtLeast(*afterFirst + 1, 100ms);
    if (testing::matchBestShot(replies, *afterFirst).has_value()) break;
  }
  ShotVector shot;
  ASSERT_TRUE(parseBestShot(replies, *afterFirst, shot)) << replies;

  // Play that shot with our own simulation: side 1, which throws last, scores.
  testing_support::ensureStartUpTables();
  GameState before;
  before.shotNum = 15;
  before.stonePos[0][0] = 2.375f;
  before.stonePos[0][1] = 4.88f;
  StoneLocus stones[STONE_COUNT];
  int32_t count = 0;
  loadStones(before, stones, count);
  StoneLocus delivered;
  ASSERT_TRUE(vec_to_locus_deliver(shot, delivered));
  SimWorld world;
  GameState after = before;
  simulateShot(world, delivered, stones, count, before, after);
  EXPECT_GE(endScoreOfPosition(after, 1), 1.0);
}

}  // namespace
}  // namespace varrowmere
