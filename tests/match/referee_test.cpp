// The referee program end to end, against built-in opponents and player scripts, and what it
// writes for a person: the log, the summary of a match, the pictures and the replay page.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "house_svg.h"
#include "match_log_reader.h"
#include "match_options.h"
#include "match_stats.h"
#include "replay_page.h"

using namespace varrowmere;
using namespace varrowmere::match;

// A player script that answers ISREADY and runs `onGo` for each GO (players_test.cpp).
std::string script(const std::string& onGo);

namespace {

const std::string FOLDER = std::string(VARROWMERE_TEST_BINARY_DIR) + "/referee";

// Runs the referee; returns what it printed, and its exit status in `status`.
std::string run(const std::string& arguments, int& status) {
  FILE* pipe = ::popen((VARROWMERE_MATCH_PATH " " + arguments + " 2>&1").c_str(), "r");
  std::string out;
  char block[4096];
  for (std::size_t n; (n = std::fread(block, 1, sizeof(block), pipe)) > 0;) out.append(block, n);
  const int raw = ::pclose(pipe);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

std::vector<std::string> lines(const std::string& path) {
  std::ifstream file(path);
  std::vector<std::string> rows;
  for (std::string row; std::getline(file, row);) rows.push_back(row + "\n");
  return rows;
}

GameResult result(int red, int yellow, int winner) {
  GameResult g;
  g.total[0] = red;
  g.total[1] = yellow;
  g.winner = winner;
  return g;
}

}  // namespace

// Yellow never delivers a stone, so red's draws score every end.
TEST(Referee, PlaysTheGamesAndWritesTheirLinesPicturesAndLog) {
  std::filesystem::remove_all(FOLDER);
  const std::string log = FOLDER + "/game.jsonl";
  int status = -1;
  const std::string out = run("--red draw --yellow " + script("printf 'BESTSHOT 0 0 0'") +
                                  " --ends 1 --games 2 --hammer red --time 2 --seed 5 --svg " +
                                  FOLDER + " --log " + log,
                              status);
  EXPECT_EQ(status, 0) << out;
  // The first game's hammer is red's, the second's yellow's; stones are counted from 1.
  for (const char* text : {"game 1/2, 1 ends: red (draw) against yellow", "; red has the hammer",
                           "; yellow has the hammer",
                           "end 1 shot  1  yellow ", "end 1 shot  1  red ", "end 1 shot 16  yellow ",
                           "(* has the hammer next)", "red: 2 wins, 0 losses, 0 draws"})
    EXPECT_NE(out.find(text), std::string::npos) << text << " in\n" << out;
  EXPECT_TRUE(std::filesystem::exists(FOLDER + "/game01-end01.svg"));
  EXPECT_TRUE(std::filesystem::exists(FOLDER + "/game02-end01.svg"));

  // Per game the start, 16 shots, the end and the result.
  const std::vector<std::string> rows = lines(log);
  ASSERT_EQ(rows.size(), 2u * 19u);
  EXPECT_NE(rows[0].find("\"time_s\":2,\"hammer\":\"red\""), std::string::npos) << rows[0];
  EXPECT_NE(rows[19].find("\"hammer\":\"yellow\""), std::string::npos) << rows[19];
  EXPECT_NE(rows[18].find("\"winner\":\"red\""), std::string::npos) << rows[18];

  // The log reads back into the records that wrote it, and nothing else is taken for one.
  std::string text, error;
  for (const std::string& row : rows) text += row;
  std::istringstream in(text);
  std::vector<LoggedGame> games;
  ASSERT_TRUE(readMatchLog(in, games, error)) << error;
  std::ostringstream again;
  MatchLog copy(again);
  replayGames(games, copy);
  EXPECT_EQ(again.str(), text);
  const auto edited = [](std::string row, const std::string& from, const std::string& to) {
    return row.replace(row.find(from), from.size(), to);
  };
  const std::string start = rows[0], opening = rows[0] + rows[1], shot = rows[2];
  for (const std::string& bad :
       {std::string("{\"type\":\"shot\"\n"), std::string("[1,2]\n"), start + start, shot,
        opening + shot + shot, opening + edited(shot, "\"shot\":1", "\"shot\":2"),
        opening + edited(shot, "\"end\":0", "\"end\":1e999"),
        opening + edited(shot, "\"player\":\"red\"", "\"player\":\"blue\""),
        opening + edited(shot, "\"points\":[[0,", "\"points\":[[900,"), start + "{} x\n",
        start + std::string(100, '[') + std::string(100, ']') + "\n"}) {
    std::istringstream badIn(bad);
    EXPECT_FALSE(readMatchLog(badIn, games, error)) << bad;
    EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
  }
}

TEST(Referee, APlayerThatFailsForfeitsAndBadInputIsRefused) {
  const std::string quitter = script("exit 3");
  int status = -1;
  std::string out = run("--red " + quitter + " --yellow takeout --ends 1 --time 2 --seed 1", status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.find("red forfeits: exited with status 3 while thinking"), std::string::npos)
      << out;
  out = run("--ends 0", status);
  EXPECT_EQ(status, 2);
  EXPECT_NE(out.find("--ends"), std::string::npos) << out;
  // A log that is not one: refused with its line, no page written.
  const std::string page = VARROWMERE_TEST_BINARY_DIR "/no-page.html";
  std::filesystem::remove(page);
  out = run("--replay " + quitter + " --html " + page, status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find(": line 1: "), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(page));
}

TEST(MatchStats, CountsRedsResultsAndGivesAStudentInterval) {
  // Differences +2, -1, 0, +3: mean 1, sample deviation sqrt(10 / 3), t(0.975, 3) = 3.182. The
  // third game is a forfeit by red: a loss whatever the score.
  const MatchSummary s =
      summarize({result(3, 1, 0), result(0, 1, 1), result(2, 2, 1), result(4, 1, 0)});
  EXPECT_TRUE(s.wins == 2 && s.losses == 2 && s.draws == 0 && s.meanDifference == 1.0);
  EXPECT_NEAR(s.halfWidth, 3.182 * std::sqrt(10.0 / 3.0) / 2.0, 1e-9);
  EXPECT_EQ(summarize({result(1, 1, -1)}).draws, 1);
  EXPECT_TRUE(std::isinf(summarize({result(1, 1, -1)}).halfWidth));
  // Beyond the table: t(0.975, 60) = 2.0003, and the normal quantile in the limit.
  EXPECT_NEAR(studentT975(60), 2.0003, 0.001);
  EXPECT_NEAR(studentT975(1000000), 1.95996, 0.0001);
}

TEST(MatchOptions, BadValuesAreRefused) {
  for (const auto& bad : std::vector<std::vector<const char*>>{
           {"m", "--ends", "101"}, {"m", "--time", "-1"}, {"m", "--noise", "nan"},
           {"m", "--seed", "-3"}, {"m", "--hammer", "blue"}, {"m", "--games"},
           {"m", "--colour", "red"}, {"m", "--replay", "x.jsonl"}}) {
    MatchOptions ignored;
    std::string error;
    EXPECT_FALSE(parseOptions(int(bad.size()), bad.data(), ignored, error) || error.empty());
  }
}

// Red (hammer 0: the odd stones) on the button scores; yellow's in the house and its guard.
TEST(HousePicture, ShowsEveryStoneInPlayInItsThrowersColourNumberedByItsShot) {
  EndRecord end;
  end.end = 2;
  end.hammer = 0;
  end.points[0] = end.total[0] = 1;
  const float stones[3][3] = {{1, 2.375f, 4.9f}, {0, 3.0f, 5.5f}, {6, 2.2f, 8.0f}};
  for (const auto& s : stones) end.position.stonePos[int(s[0])][0] = s[1];
  for (const auto& s : stones) end.position.stonePos[int(s[0])][1] = s[2];
  const std::string names[2] = {"draw", "a <b>"}, svg = houseSvg(end, names);
  EXPECT_EQ(count(svg, "<circle"), 4 + 3);  // rings and stones
  EXPECT_EQ(count(svg, "fill=\"#d62828\" stroke=\"#1f9d3a\""), 1);  // green rim: it scored
  EXPECT_EQ(count(svg, "fill=\"#f2c230\" stroke=\"#333\""), 2);
  for (const char* text : {">2</text>", ">1</text>", ">7</text>", "Game 1, end 3: red 1, yellow 0",
                           "red scores 1; red had the hammer", "yellow: a &lt;b&gt;"})
    EXPECT_NE(svg.find(text), std::string::npos) << text;
}

// A name may hold anything: the log keeps it one JSON string, and the page keeps it from
// ending the script element that carries the log.
TEST(MatchLog, NamesAreEscapedInTheLogAndInThePage) {
  const std::string name = jsonString("say \"x\\y\"\n</script>");
  EXPECT_EQ(name, "\"say \\\"x\\\\y\\\"\\u000a</script>\"");
  const std::string page = replayPage("{\"red\":" + name + "}\n");
  EXPECT_EQ(count(page, "</script>"), count(replayPage(""), "</script>"));
  EXPECT_NE(page.find("\\u003c/script>"), std::string::npos);
}
