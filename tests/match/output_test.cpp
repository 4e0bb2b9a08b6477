#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>

#include "builtin_player.h"
#include "house_svg.h"
#include "match_log.h"
#include "match_log_reader.h"
#include "match_options.h"
#include "match_stats.h"
#include "physics/reference_sim.h"
#include "replay_page.h"
#include "support/start_up_tables.h"

using namespace varrowmere;
using namespace varrowmere::match;

namespace {

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

GameResult result(int red, int yellow) {
  GameResult g;
  g.total[0] = red;
  g.total[1] = yellow;
  g.winner = red == yellow ? -1 : (red > yellow ? 0 : 1);
  return g;
}

}  // namespace

TEST(MatchStats, CountsResultsAndGivesAStudentInterval) {
  // Differences +2, -1, 0, +3: mean 1, sample deviation sqrt(10/3), t(3) = 3.182.
  const MatchSummary s = summarize({result(3, 1), result(0, 1), result(2, 2), result(4, 1)});
  EXPECT_EQ(s.games, 4);
  EXPECT_EQ(s.wins, 2);
  EXPECT_EQ(s.losses, 1);
  EXPECT_EQ(s.draws, 1);
  EXPECT_DOUBLE_EQ(s.meanDifference, 1.0);
  EXPECT_NEAR(s.halfWidth, 3.182 * std::sqrt(10.0 / 3.0) / 2.0, 1e-9);

  // A forfeit counts as the loss it is, whatever the score stood at.
  GameResult forfeit = result(3, 0);
  forfeit.forfeit = 0;
  forfeit.winner = 1;
  const MatchSummary f = summarize({forfeit});
  EXPECT_EQ(f.losses, 1);
  EXPECT_TRUE(std::isinf(f.halfWidth));

  EXPECT_NEAR(studentT975(19), 2.093, 1e-9);
  EXPECT_NEAR(studentT975(60), 2.000, 0.001);
  EXPECT_NEAR(studentT975(1000000), 1.95996, 0.0001);
}

TEST(MatchOptions, ReadsEveryOptionAndRefusesBadValues) {
  const char* argv[] = {
      "m",       "--red",    "draw",   "--yellow", "sh -c 'x'", "--ends",  "2",
      "--games", "20",       "--time", "2.5",      "--noise",   "0",       "--seed",
      "42",      "--svg",    "pics",   "--log",    "g.jsonl",   "--quiet", "--ready-timeout",
      "3",       "--hammer", "red"};
  MatchOptions o;
  std::string error;
  ASSERT_TRUE(parseOptions(int(std::size(argv)), argv, o, error)) << error;
  EXPECT_EQ(o.red, "draw");
  EXPECT_EQ(o.yellow, "sh -c 'x'");
  EXPECT_EQ(o.ends, 2);
  EXPECT_EQ(o.games, 20);
  EXPECT_DOUBLE_EQ(o.thinkingTime, 2.5);
  EXPECT_DOUBLE_EQ(o.noise, 0.0);
  EXPECT_TRUE(o.seedGiven);
  EXPECT_EQ(o.seed, 42u);
  EXPECT_EQ(o.svgFolder, "pics");
  EXPECT_EQ(o.logFile, "g.jsonl");
  EXPECT_TRUE(o.quiet);
  EXPECT_DOUBLE_EQ(o.readyTimeout, 3.0);
  EXPECT_EQ(o.firstHammer, 0);

  MatchOptions defaults;
  EXPECT_EQ(defaults.ends, 8);
  EXPECT_DOUBLE_EQ(defaults.thinkingTime, 438.0);
  EXPECT_DOUBLE_EQ(defaults.noise, 1.0);
  EXPECT_EQ(defaults.firstHammer, 1);

  for (const auto& bad : std::vector<std::vector<const char*>>{{"m", "--ends", "0"},
                                                               {"m", "--ends", "two"},
                                                               {"m", "--time", "-1"},
                                                               {"m", "--noise", "nan"},
                                                               {"m", "--seed", "-3"},
                                                               {"m", "--hammer", "blue"},
                                                               {"m", "--games"},
                                                               {"m", "--colour", "red"},
                                                               {"m", "stray"}}) {
    MatchOptions ignored;
    EXPECT_FALSE(parseOptions(int(bad.size()), bad.data(), ignored, error)) << bad[1];
    EXPECT_FALSE(error.empty());
  }
}

TEST(MatchLog, ReadsBackExactlyWhatItWroteAndRefusesAnythingElse) {
  // One end between the built-in opponents, with paths, and names that need escaping.
  testing_support::ensureMotionTables();
  std::unique_ptr<Player> red = makeBuiltinPlayer("takeout"), yellow = makeBuiltinPlayer("draw");
  Player* const players[2] = {red.get(), yellow.get()};
  GameSettings settings;
  settings.ends = 1;
  settings.seed = 18446744073709551615u;
  settings.names[0] = "say \"x\\y\"\n</script>";
  settings.names[1] = "draw";
  DeliveryNoise noise(deriveNoiseSigmas(), 1.0, 7);
  std::ostringstream text;
  MatchLog log(text);
  playGame(players, settings, noise, log, simulateReference);
  const std::string out = text.str();
  EXPECT_EQ(count(out, "\n"), 19);
  EXPECT_NE(out.find("\"red\":\"say \\\"x\\\\y\\\"\\u000a</script>\""), std::string::npos) << out;
  EXPECT_NE(out.find("\"seed\":\"18446744073709551615\""), std::string::npos);
  EXPECT_NE(out.find("\"paths\":[{\"stone\":0,\"points\":[[0,2.375,41.28],[20,"),
            std::string::npos);

  std::istringstream in(out);
  std::vector<LoggedGame> games;
  std::string error;
  ASSERT_TRUE(readMatchLog(in, games, error)) << error;
  std::ostringstream again;
  MatchLog copy(again);
  replayGames(games, copy);
  EXPECT_EQ(again.str(), out);
  // The page carries the rows with '<' escaped, so no name can end its script.
  EXPECT_EQ(count(replayPage(out), "</script>"), 2);

  const std::string start = out.substr(0, out.find('\n') + 1);
  const std::string shot =
      out.substr(start.size(), out.find('\n', start.size()) + 1 - start.size());
  const auto edited = [&shot](const std::string& from, const std::string& to) {
    std::string row = shot;
    return row.replace(row.find(from), from.size(), to);
  };
  for (const std::string& bad :
       {std::string("{\"type\":\"shot\"\n"), std::string("[1,2]\n"), start + start,
        start + "{\"type\":\"start\",\"game\":0}\n", shot, start + shot + shot,
        start + edited("\"shot\":0", "\"shot\":1"), start + edited("\"end\":0", "\"end\":1e999"),
        start + edited("[[2.", "[[[2."),
        start + edited("\"player\":\"red\"", "\"player\":\"blue\""),
        start + edited("[[0,2.375", "[[900,2.375"),
        start + edited("\"type\":\"shot\"", "\"type\":\"sh\\u"),
        start + std::string(100, '[') + std::string(100, ']') + "\n", start + "{} x\n"}) {
    std::istringstream badIn(bad);
    EXPECT_FALSE(readMatchLog(badIn, games, error)) << bad;
    EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
  }
  std::istringstream empty("\n");
  EXPECT_FALSE(readMatchLog(empty, games, error));
  EXPECT_EQ(error, "holds no game");
}

TEST(HousePicture, DrawsRingsLinesAndEveryStoneInPlayNumberedAndColoured) {
  EndRecord end;
  end.game = 0;
  end.end = 2;
  end.hammer = 0;  // red throws the odd stones
  end.points[0] = 1;
  end.total[0] = 1;
  end.position = GameState{};
  end.position.stonePos[1][0] = 2.375f;  // red, on the button: scores
  end.position.stonePos[1][1] = 4.9f;
  end.position.stonePos[0][0] = 3.0f;  // yellow, in the house
  end.position.stonePos[0][1] = 5.5f;
  end.position.stonePos[6][0] = 2.2f;  // yellow guard
  end.position.stonePos[6][1] = 8.0f;
  const std::string names[2] = {"draw", "a <b>"};
  const std::string svg = houseSvg(end, names);
  EXPECT_EQ(svg.rfind("<svg", 0), 0u);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
  // Four house circles plus three stones.
  EXPECT_EQ(count(svg, "<circle"), 7);
  EXPECT_EQ(count(svg, "fill=\"#d62828\""), 1);
  EXPECT_EQ(count(svg, "fill=\"#f2c230\""), 2);
  EXPECT_EQ(count(svg, "stroke=\"#1f9d3a\""), 1);  // the one scoring stone
  EXPECT_NE(svg.find(">2</text>"), std::string::npos);
  EXPECT_NE(svg.find(">1</text>"), std::string::npos);
  EXPECT_NE(svg.find(">7</text>"), std::string::npos);
  EXPECT_NE(svg.find("hog line"), std::string::npos);
  EXPECT_NE(svg.find("Game 1, end 3"), std::string::npos);
  EXPECT_NE(svg.find("red scores 1"), std::string::npos);
  EXPECT_NE(svg.find("a &lt;b&gt;"), std::string::npos);
}
