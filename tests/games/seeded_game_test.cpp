// With the same seed the referee plays the same game to the last digit: the delivery noise
// and the built player's one random choice (the corner guard, started with --seed) both
// follow it. One end of the built player (yellow, the hammer: it plays the corner guard)
// against the built-in draw, twice.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace {

// The log of one seeded end, thinking times blanked (they are measured, not played).
std::string seededEnd(const std::string& log) {
  const std::string command = std::string(VARROWMERE_MATCH_PATH) +
                              " --red draw --ends 1 --seed 11 --quiet --log " + log +
                              " > /dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
  std::ifstream file(log);
  std::stringstream text;
  text << file.rdbuf();
  static const std::regex thinking("\"(think_s|left_s)\":(\\{[^}]*\\}|[-0-9.]+)");
  return std::regex_replace(text.str(), thinking, "\"$1\":T");
}

}  // namespace

TEST(SeededGame, TheSameSeedPlaysTheSameGame) {
  char folder[] = "/tmp/varrowmere-seeded-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const std::string first = seededEnd(std::string(folder) + "/1.jsonl");
  const std::string second = seededEnd(std::string(folder) + "/2.jsonl");
  std::filesystem::remove_all(folder);
  // The start, 16 shots, the end and the result.
  EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 19) << first;
  EXPECT_NE(first.find("\"type\":\"end\""), std::string::npos);
  EXPECT_EQ(first, second);
}
