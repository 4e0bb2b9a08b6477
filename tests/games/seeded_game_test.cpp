// The same seed plays the same game to the last digit: the delivery noise and the built player's
// one random choice, its corner guard (yellow, with the hammer: its first stone), follow it. A
// budget of 0.05 s ends the game at yellow's second stone, the first it has to search for: the
// guard takes well under a millisecond, that search a good part of a second.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>

#include "support/player_process.h"

namespace {

// The log of one seeded game, with the thinking times blanked: they are measured, not played.
std::string seededGame(const std::string& log) {
  const std::string command = VARROWMERE_MATCH_PATH
                              " --red draw --ends 1 --time 0.05 --seed 11 --quiet --log " +
                              log + " >/dev/null 2>&1";
  EXPECT_EQ(varrowmere::testing::runShell(command, std::chrono::seconds(240)), 0);
  std::ifstream file(log);
  static const std::regex times(R"(("(think|left)_s":)(\{[^}]*\}|[-0-9.]+)|\([0-9.]+ s left)");
  return std::regex_replace(std::string(std::istreambuf_iterator<char>(file), {}), times, "$1T");
}

}  // namespace

TEST(SeededGame, TheSameSeedPlaysTheSameGame) {
  const std::string first = seededGame(VARROWMERE_TEST_BINARY_DIR "/seeded1.jsonl");
  const std::string second = seededGame(VARROWMERE_TEST_BINARY_DIR "/seeded2.jsonl");
  // The start, stones 1 to 3 and the result: yellow ran out of time at its second stone.
  EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 5) << first;
  EXPECT_NE(first.find("\"forfeit\":\"yellow\",\"reason\":\"ran out of"), std::string::npos);
  EXPECT_EQ(first, second);
}
