// The text readers, and the free-guard choice from the score files they read.

#include "tables/free_guard.h"

#include <gtest/gtest.h>

#include <fstream>

#include "evaluation/guard_fixture.h"

namespace varrowmere {
namespace {

using Fields = std::vector<std::string>;

TEST(TextInput, SplitLinesAndAMessageForAFileThatCannotBeOpened) {
  // Fields as delimited items read from a stream: a trailing delimiter adds no empty field.
  const std::pair<const char*, Fields> cases[] = {
      {"a,,b", {"a", "", "b"}}, {"a,", {"a"}}, {",a", {"", "a"}},
      {",,", {"", ""}},         {"", {}},      {"a b", {"a b"}}};
  for (Fields fields = {"stale"}; const auto& [line, expected] : cases) {
    splitLine(line, ',', fields);
    EXPECT_EQ(fields, expected) << line;
  }
  // A CR right before an LF belongs to the line end, elsewhere to the line; the last needs no LF.
  testing::GuardFixtureDir dir;
  std::vector<Fields> table = {{"stale"}};
  ASSERT_TRUE(InputFile_Table(dir.write("a", "1,2\r\n\r\n3\r4,\n,5").c_str(), ',', table));
  EXPECT_EQ(table, (std::vector<Fields>{{"1", "2"}, {}, {"3\r4"}, {"", "5"}}));
  Fields lines = {"stale"};
  // One line "caption: text" on standard error; no lines, and the table as it was.
  const std::string name = dir.name("missing");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(InputFile_Lines(name.c_str(), lines) || InputFile_Table(name.c_str(), ',', table));
  const std::string message = "InputFile_Lines: " + dataDir + name + "を開けません\n";
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), message + message);
  EXPECT_TRUE(lines.empty() && table.size() == 4u && dataDir.back() == '/');
}

// A distribution with the given mass on end scores (score, probability).
ScoreDist dist(std::initializer_list<std::pair<int, double>> masses) {
  ScoreDist d(SCORE_BINS, 0.0);
  for (const auto& [score, p] : masses) d[score + SCORE_OFFSET] = p;
  return d;
}

TEST(FreeGuardChoice, ScoreFilesBecomeDistributions) {
  // Samples 1, -2, 1, 0, -8, 8; not the empty, out of range, non-numeric or blank-led lines.
  testing::GuardFixtureDir dir;
  ScoreDist d;
  loadScoreDist(dir.write("s", "1\n-2 words\n1\n0\r\n\n9\n-9\nabc\n 3\n-8\n8\n").c_str(), d);
  EXPECT_EQ(d, dist({{1, 2 / 6.0}, {-2, 1 / 6.0}, {0, 1 / 6.0}, {-8, 1 / 6.0}, {8, 1 / 6.0}}));
  ::testing::internal::CaptureStderr();
  loadScoreDist(dir.name("none").c_str(), d);
  EXPECT_NE(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(d, ScoreDist(SCORE_BINS, 0.0));
}

TEST(FreeGuardChoice, OneEndCountsStrictLeadsTheGuardWinsTiesAndTinyBranchesAreDropped) {
  GuardOptions options;
  options[0] = {dist({{-1, 0.25}, {0, 0.25}, {1, 0.5}}), dist({{0, 1.0}})};
  // Level, a blank end is no win: 0.5 against 0. One ahead, a blank keeps the lead: 0.75 and 1.
  EXPECT_EQ(expectWin(1, 0, 0, options, 1.0).winProb, 0.5);
  EXPECT_EQ(expectWin(1, 1, 0, options, 1.0).option, 1);
  options[1] = {dist({{2, 0.5}, {-2, 0.5}}), dist({{1, 0.5}, {-1, 0.5}})};
  EXPECT_EQ(expectWin(1, 0, 1, options, 1.0).option, 0);
  options[0] = {dist({{1, 1.0}})};
  EXPECT_EQ(expectWin(1, 0, 0, options, PATH_PROBABILITY_FLOOR).winProb, 0.0);
  EXPECT_GT(expectWin(1, 0, 0, options, 2 * PATH_PROBABILITY_FLOOR).winProb, 0.0);
}

// Two ends: the first from `side`'s distribution, the second from that of the side then
// holding the last stone: the side that did not score, unchanged after a blank end.
TEST(FreeGuardChoice, TheLastStoneGoesToTheSideThatDidNotScore) {
  struct Case {
    int side, lead;
    ScoreDist side0, side1;  // options[0] and options[1], each from the player's view
    double winProb;
  };
  const Case cases[] = {
      // Side 0 steals 1, then 1 more (handing over: -3); gives up 1, then scores 2 (kept: -1).
      {0, 0, dist({{1, 1.0}}), dist({{-3, 1.0}}), 1.0},
      {0, 0, dist({{-1, 1.0}}), dist({{2, 1.0}}), 1.0},
      // Side 0 level: steal 1/4 x (1/4 + 1/4) + blank 1/4 x 1/4 + give up 1/2 x 1/2.
      {0, 0, dist({{1, 0.25}, {0, 0.25}, {-1, 0.5}}), dist({{2, 0.5}, {0, 0.25}, {-1, 0.25}}),
       0.4375},
      // Side 1 scores 2, then throws first: 1/4 x 1/2; blank, keeps the last stone: 1/4 x 1/4;
      // gives up 1, then has the last stone again and scores 2: 1/2 x 1/4.
      {1, 0, dist({{-3, 0.5}, {0, 0.5}}), dist({{2, 0.25}, {0, 0.25}, {-1, 0.5}}), 0.3125},
  };
  for (const Case& c : cases) {
    GuardOptions options;
    options[0] = {c.side0};
    options[1] = {c.side1};
    EXPECT_DOUBLE_EQ(expectWin(2, c.lead, c.side, options, 1.0).winProb, c.winProb) << &c - cases;
  }
}

// The committed score files, counted here: side 1's guard option is the corner-guard file,
// side 0's the centre-guard file, the other option the plain file; side 0, throwing first,
// sees each reversed (the files score for the side with the last stone).
TEST(FreeGuardChoice, CommittedFilesFeedTheirOptions) {
  const auto counted = [](const char* name, bool reverse) {
    ScoreDist d(SCORE_BINS, 0.0);
    std::ifstream file(dataDir + name);
    int total = 0;
    for (int score; file >> score; ++total) d[(reverse ? -score : score) + SCORE_OFFSET] += 1.0;
    for (double& p : d) p /= total;
    return d;
  };
  const ScoreDist corner = counted(SCORE_FILE_CORNER_GUARD, false);
  const ScoreDist plain = counted(SCORE_FILE_PLAIN, false);
  const GuardChoice choice = freeGuardTest(1, 1, 0);
  EXPECT_EQ(guardOptions[1], (std::vector<ScoreDist>{corner, plain}));
  EXPECT_EQ(guardOptions[0], (std::vector<ScoreDist>{counted(SCORE_FILE_CENTER_GUARD, true),
                                                     counted(SCORE_FILE_PLAIN, true)}));
  // Level with three ends left, the side with the last stone plays plain: a score against it
  // hands the last stone back.
  EXPECT_EQ(freeGuardTest(1, 3, 0).option, 1);
  // Fewer than one end counts as one; five at most are looked at (this returns at once).
  EXPECT_EQ(freeGuardTest(1, -5, 0).winProb, choice.winProb);
  EXPECT_LE(freeGuardTest(0, 1000000, 0).winProb, 1.0 + 1e-9);
}

}  // namespace
}  // namespace varrowmere
