// The judge program on three hand-made positions with stand-in players: shots that differ by
// 0.1 mm/s meet the same delivery errors on each position and so are worth nearly the same; a
// shot that delivers nothing scores the position as it lies, from the thrower's view, and its
// chance to win and game points follow; the summary's interval is Student's t over the
// positions; a player answering garbage stops the run, named. Positions taken from a log.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "support/player_process.h"
#include "tables/win_table.h"

namespace varrowmere {
namespace {

// A protocol player in one line of /bin/sh that answers every GO with `shot`.
std::string fixedShot(const std::string& shot) {
  return "'while read -r c _; do case $c in ISREADY) printf READYOK;; GO) printf \"BESTSHOT " +
         shot + "\";; esac; done'";
}

TEST(Judge, SharedErrorsExactScoresAndThePairedInterval) {
  const std::string dir = ::testing::TempDir(), positions = dir + "judge_positions.txt";
  // The thrower's stone on the tee; two of the other side's nearer than the thrower's one.
  std::string zeros;
  for (int i = 0; i < 14; ++i) zeros += " 0 0";
  std::ofstream(positions) << "one 15 3 8 -1 0 0 2.375 4.88" << zeros << "\n"
                           << "two 15 7 8 0 2.375 4.9 2.9 5.5 2.2 5.2" << zeros.substr(4) << "\n"
                           << "three 15 0 4 2 2.5 4.7 0 0 0 0 2.2 5.0 2.375 6.5" << zeros.substr(12)
                           << "\n";
  const std::string judge = std::string(VARROWMERE_JUDGE_PATH) + " --positions " + positions +
                            " --samples 60 --seed 3 --jobs 2 --table " + dir + "judge.tsv";
  std::string out;
  ASSERT_EQ(
      testing::runShell(judge + " --player " + fixedShot("0.9864 -29.5599 1") + " --player " +
                            fixedShot("0.9865 -29.5599 1") + " --player " + fixedShot("0 0 0"),
                        std::chrono::seconds(60), &out),
      0)
      << out;
  std::ifstream table(dir + "judge.tsv");
  std::map<std::string, double> score, win, points;
  std::string line, id, player, word;
  for (std::getline(table, line); std::getline(table, line);) {
    std::istringstream(line) >> id >> player >> word >> word >> word >> word >>
        score[id + player] >> win[id + player] >> points[id + player];
  }
  std::vector<double> d;
  for (const char* p : {"one", "two", "three"}) {
    EXPECT_NEAR(score[p + std::string("p2")], score[p + std::string("p1")], 0.02) << p;
    d.push_back(score[p + std::string("p3")] - score[p + std::string("p1")]);
  }
  // Lead -1 with the hammer in end 4 of 8: one point levels and hands over the hammer.
  EXPECT_EQ(score["onep3"], 1.0);
  EXPECT_EQ(score["twop3"], -2.0);
  EXPECT_EQ(win["twop3"], 0.0);
  EXPECT_NEAR(win["onep3"], winTable().afterEnd(-1, 1, true, 4), 1e-5);
  EXPECT_NEAR(points["onep3"], 1.0 - winTable().hammerWorth(4), 1e-4);
  EXPECT_EQ(points["twop3"], -2.0);
  const double mean = (d[0] + d[1] + d[2]) / 3;
  const double half =
      4.303 *
      std::sqrt((std::pow(d[0] - mean, 2) + std::pow(d[1] - mean, 2) + std::pow(d[2] - mean, 2)) /
                2 / 3);
  double m = 0, low = 0, high = 0;
  const std::size_t at = out.find("p3 - p1  points per end ");
  ASSERT_NE(at, std::string::npos) << out;
  ASSERT_EQ(std::sscanf(out.c_str() + at, "p3 - p1  points per end %lf (95%% %lf .. %lf)", &m, &low,
                        &high),
            3);
  EXPECT_NEAR(m, mean, 1e-3);
  EXPECT_NEAR(high - low, 2 * half, 2e-3);

  out.clear();
  EXPECT_EQ(testing::runShell(judge + " --player draw --player " + fixedShot("nan 1 0") + " 2>&1",
                              std::chrono::seconds(60), &out),
            1);
  EXPECT_NE(out.find("player p2 (while read"), std::string::npos) << out;
  EXPECT_NE(out.find("answered GO with \"BESTSHOT nan 1 0\""), std::string::npos) << out;

  // The second end's position: its hammer and the lead of that side after the first end.
  const std::string log = dir + "judge_game.jsonl";
  out.clear();
  ASSERT_EQ(testing::runShell(std::string(VARROWMERE_MATCH_PATH) +
                                  " --red draw --yellow takeout --ends 2 --seed 3 --quiet --log " +
                                  log + " >/dev/null && " VARROWMERE_JUDGE_PATH " --extract " + log,
                              std::chrono::seconds(60), &out),
            0);
  std::ifstream game(log);
  // The first end's record carries the totals after it and the next end's hammer.
  const std::string totals = "\"total\":{\"red\":";
  std::size_t totalsAt = std::string::npos;
  while ((totalsAt = line.find(totals)) == std::string::npos) ASSERT_TRUE(std::getline(game, line));
  int red = 0, yellow = 0;
  char hammer[8] = {};
  ASSERT_EQ(std::sscanf(line.c_str() + totalsAt,
                        "\"total\":{\"red\":%d,\"yellow\":%d},\"next_hammer\":\"%7[a-z]\"", &red,
                        &yellow, hammer),
            3)
      << line;
  const bool redHammer = std::string(hammer) == "red";
  const int lead = (red - yellow) * (redHammer ? 1 : -1);
  EXPECT_NE(out.find("\njudge_game.g0.e1." + std::string(redHammer ? "draw" : "takeout") +
                     " 15 1 2 " + std::to_string(lead) + " "),
            std::string::npos)
      << out;
}

}  // namespace
}  // namespace varrowmere
