// The referee program end to end, and what it writes for a person: the log, the summary of a
// match, the pictures and the replay page.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "match_log_reader.h"
#include "replay_page.h"
#include "support/player_process.h"

using namespace varrowmere;
using namespace varrowmere::match;

// A player script that answers ISREADY and runs `onGo` for each GO (players_test.cpp).
std::string script(const std::string& onGo);

namespace {

// Runs the referee; returns what it printed, and its exit status in `status`.
std::string run(const std::string& arguments, int& status) {
  std::string out;
  status = varrowmere::testing::runShell(VARROWMERE_MATCH_PATH " " + arguments + " 2>&1",
                                         std::chrono::seconds(600), &out);
  return out;
}

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::string fileText(const std::string& path) {
  std::ifstream file(path);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace

// Yellow never delivers a stone, so red's draws score every end, five times the usual noise
// making the scores differ; yellow's name needs escaping.
TEST(Referee, PlaysTheGamesAndWritesTheirLinesPicturesLogAndPage) {
  const std::string folder = VARROWMERE_TEST_BINARY_DIR "/referee", log = folder + "/game.jsonl";
  int status = -1;
  const std::string out = run("--red draw --yellow '" + script("printf 'BESTSHOT 0 0 0'") +
                                  " # </script>\\\"' --ends 1 --games 2 --hammer red --time 2 "
                                  "--noise 5 --seed 3 --svg " +
                                  folder + " --log " + log + " --html " + folder + "/page.html",
                              status);
  EXPECT_EQ(status, 0) << out;
  // The first game's hammer is red's, the second's yellow's; stones are counted from 1.
  for (const char* text :
       {"game 1/2, 1 ends: red (draw) against yellow", "; red has the hammer",
        "; yellow has the hammer", "end 1 shot  1  yellow ", "end 1 shot  1  red ",
        "end 1 shot 16  yellow ", "(* has the hammer next)", "red: 2 wins, 0 losses, 0 draws"})
    EXPECT_NE(out.find(text), std::string::npos) << text << " in\n" << out;
  // The log, per game the start, 16 shots, the end and the result, reads back as it was written.
  const std::string text = fileText(log);
  std::istringstream in(text);
  std::vector<LoggedGame> games;
  std::string error;
  ASSERT_TRUE(readMatchLog(in, games, error)) << error;
  ASSERT_TRUE(games.size() == 2 && games[0].shots.size() == 16 && games[1].over);
  const int d1 = games[0].result.total[0], d2 = games[1].result.total[0];  // yellow scores 0
  EXPECT_TRUE(games[0].settings.thinkingTime == 2.0 && d1 != d2);
  // Red's draws alternate the spin from stone to stone: 0, 1, 0, ...
  for (int k = 1; k < STONE_COUNT; k += 2) EXPECT_EQ(games[0].shots[k].asked.spin, k % 4 == 3);
  std::ostringstream again;
  MatchLog copy(again);
  replayGames(games, copy);
  EXPECT_EQ(again.str(), text);
  // The page keeps the name from ending the script element that carries the log.
  EXPECT_EQ(count(fileText(folder + "/page.html"), "</script>"),
            count(replayPage(""), "</script>"));
  // Game 1's picture: red threw the odd stones, those that scored have a green rim, and stone
  // 16, red's last draw, is in play.
  const std::string svg = fileText(folder + "/game01-end01.svg");
  EXPECT_EQ(count(svg, "fill=\"#f2c230\""), 0);
  EXPECT_EQ(count(svg, "stroke=\"#1f9d3a\""), games[0].ends[0].points[0]);
  EXPECT_NE(svg.find(">16</text>"), std::string::npos);
  // The summary of differences d1, d2: mean (d1 + d2) / 2, half width t(0.975, 1) |d1 - d2| / 2.
  const double mean = (d1 + d2) / 2.0, half = 12.706 * std::abs(d1 - d2) / 2.0;
  char summary[100];
  std::snprintf(summary, sizeof(summary), "(red - yellow): %+.3f, 95%% interval %+.3f .. %+.3f",
                mean, mean - half, mean + half);
  EXPECT_NE(out.find(summary), std::string::npos) << summary;

  // Nothing but what the referee writes is taken for a log.
  std::vector<std::string> rows;
  std::istringstream lines(text);
  for (std::string row; rows.size() < 3 && std::getline(lines, row);) rows.push_back(row + "\n");
  const auto edited = [&rows](const std::string& from, const std::string& to) {
    std::string shot = rows[2];  // red's first stone, after yellow's shot 0
    return rows[0] + rows[1] + shot.replace(shot.find(from), from.size(), to);
  };
  for (const std::string& bad :
       {rows[0] + rows[0], rows[1], rows[0] + rows[2], edited("\"end\":0", "\"end\":1e999"),
        edited("\"points\":[[0,", "\"points\":[[900,"), rows[0] + "[1,2]\n", rows[0] + "{} x\n"}) {
    std::istringstream badIn(bad);
    EXPECT_FALSE(readMatchLog(badIn, games, error)) << bad;
    EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
  }
}

TEST(Referee, APlayerThatFailsForfeitsAndBadInputIsRefused) {
  const std::string quitter = script("exit 3"), page = VARROWMERE_TEST_BINARY_DIR "/no.html";
  int status = -1;
  std::string out =
      run("--red 'exec sleep 30' --yellow takeout --ends 1 --ready-timeout 0.3", status);
  EXPECT_TRUE(status == 0 && out.find("red forfeits: did not answer ISREADY within its start-up "
                                      "time") != std::string::npos)
      << out;
  for (const char* bad : {"--ends 0", "--hammer blue", "--replay x.jsonl"}) {
    out = run(bad, status);
    EXPECT_TRUE(status == 2 && out.find(std::string(bad, 5)) != std::string::npos) << out;
  }
  // A log that is not one: refused with its line, no page written.
  std::filesystem::remove(page);
  out = run("--replay " + quitter + " --html " + page, status);
  EXPECT_TRUE(status == 1 && out.find(": line 1: ") != std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(page));
}
