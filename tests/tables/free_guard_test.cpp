#include "tables/free_guard.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tables/text_input.h"

namespace varrowmere {
namespace {

// A distribution with the given mass on end scores (score, probability).
ScoreDist dist(std::initializer_list<std::pair<int, double>> masses) {
  ScoreDist d(SCORE_BINS, 0.0);
  for (const auto& [score, p] : masses) d[score + SCORE_OFFSET] = p;
  return d;
}

TEST(FreeGuardChoice, DepthOneCountsOnlyStrictLeads) {
  GuardOptions options;
  options[0] = {dist({{-1, 0.25}, {0, 0.25}, {1, 0.5}}), dist({{0, 1.0}})};
  // Level before the end: a blank end is no win, so only the +1 counts.
  GuardChoice choice = expectWin(1, 0, 0, options, 1.0);
  EXPECT_EQ(choice.option, 0);
  EXPECT_DOUBLE_EQ(choice.winProb, 0.5);
  // One point ahead: the blank end keeps the lead, the -1 ties (no win).
  choice = expectWin(1, 1, 0, options, 1.0);
  EXPECT_EQ(choice.option, 1);
  EXPECT_DOUBLE_EQ(choice.winProb, 1.0);
}

TEST(FreeGuardChoice, TieGoesToTheGuard) {
  GuardOptions options;
  options[1] = {dist({{2, 0.5}, {-2, 0.5}}), dist({{1, 0.5}, {-1, 0.5}})};
  const GuardChoice choice = expectWin(1, 0, 1, options, 1.0);
  EXPECT_EQ(choice.option, 0);
  EXPECT_DOUBLE_EQ(choice.winProb, 0.5);
}

// Two ends: the first is played from `side`'s distribution, the second from the distribution
// of whichever side then has the last stone (the side that did not score; unchanged after a
// blank). Worked by hand; a wrong hand-over changes every row.
TEST(FreeGuardChoice, LastStoneGoesToTheSideThatDidNotScore) {
  struct Case {
    const char* what;
    int side;
    int lead;
    ScoreDist withoutLastStone;  // options[0]: the player's end scores when throwing first
    ScoreDist withLastStone;     // options[1]
    double winProb;
  };
  const Case cases[] = {
      // +1, then +1 again from side 0: lead 2 (handing over would give -3: lead -2).
      {"side 0 steals", 0, 0, dist({{1, 1.0}}), dist({{-3, 1.0}}), 1.0},
      // -1, then +2 with the last stone: lead 1 (keeping side 0 would give -1: lead -2).
      {"side 0 gives up a point", 0, 0, dist({{-1, 1.0}}), dist({{2, 1.0}}), 1.0},
      // 0, then 0 again from side 0: level, no win (side 1 would have scored 1).
      {"side 0 blanks", 0, 0, dist({{0, 1.0}}), dist({{1, 1.0}}), 0.0},
      // +1, then -2 without the last stone: lead -1 (keeping it would give +1: lead 2).
      {"side 1 scores", 1, 0, dist({{-2, 1.0}}), dist({{1, 1.0}}), 0.0},
      // -1, then -1 again with the last stone: lead -2 (side 0 would have scored 3).
      {"side 1 is stolen from", 1, 0, dist({{3, 1.0}}), dist({{-1, 1.0}}), 0.0},
      // 0, then 0 again with the last stone: still 1 ahead (side 0 would have given up 1).
      {"side 1 blanks", 1, 1, dist({{-1, 1.0}}), dist({{0, 1.0}}), 1.0},
      // Side 0 at level: steal 1/4 x (1/4 + 1/4) + blank 1/4 x 1/4 + give up 1/2 x 1/2.
      {"side 0, mixed", 0, 0, dist({{1, 0.25}, {0, 0.25}, {-1, 0.5}}),
       dist({{2, 0.5}, {0, 0.25}, {-1, 0.25}}), 0.4375},
      // Side 1 at level: score 2 1/2 x 1 + blank 1/4 x 1/2 + stolen from 1/4 x 1/2.
      {"side 1, mixed", 1, 0, dist({{1, 0.25}, {0, 0.25}, {-1, 0.5}}),
       dist({{2, 0.5}, {0, 0.25}, {-1, 0.25}}), 0.75},
  };
  for (const Case& c : cases) {
    GuardOptions options;
    options[0] = {c.withoutLastStone};
    options[1] = {c.withLastStone};
    EXPECT_DOUBLE_EQ(expectWin(2, c.lead, c.side, options, 1.0).winProb, c.winProb) << c.what;
  }
}

// With the committed score files, the player holding the last stone, level with three ends
// to go, keeps to the plain strategy (the hand-over rule decides this).
TEST(FreeGuardChoice, CommittedFilesLevelWithTheLastStoneThreeEndsLeft) {
  EXPECT_EQ(freeGuardTest(1, 3, 0).option, 1);
}

TEST(FreeGuardChoice, TinyBranchesAreDropped) {
  GuardOptions options;
  options[0] = {dist({{1, 1.0}})};
  EXPECT_DOUBLE_EQ(expectWin(1, 0, 0, options, PATH_PROBABILITY_FLOOR).winProb, 0.0);
  EXPECT_GT(expectWin(1, 0, 0, options, 2 * PATH_PROBABILITY_FLOOR).winProb, 0.0);
}

class ScoreFileTest : public ::testing::Test {
 protected:
  // Writes a score file in a temporary folder and returns its name relative to the data folder.
  std::string write(const std::string& file, const std::string& text) {
    const auto folder = std::filesystem::path(VARROWMERE_TEST_BINARY_DIR) / "score-files";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / file, std::ios::binary) << text;
    return std::filesystem::relative(folder / file, dataDir).string();
  }
};

TEST_F(ScoreFileTest, SamplesBecomeProbabilities) {
  const std::string name = write("scores.txt", "1\n-2 extra words\n1\n0\r\n");
  ScoreDist d;
  loadScoreDist(name.c_str(), d);
  ASSERT_EQ(d.size(), static_cast<std::size_t>(SCORE_BINS));
  EXPECT_DOUBLE_EQ(d[1 + SCORE_OFFSET], 0.5);
  EXPECT_DOUBLE_EQ(d[-2 + SCORE_OFFSET], 0.25);
  EXPECT_DOUBLE_EQ(d[0 + SCORE_OFFSET], 0.25);
}

TEST_F(ScoreFileTest, BadLinesAreSkippedAndMissingFilesWorthNothing) {
  const std::string name = write("bad.txt", "\n9\n-9\nabc\n 3\n-8\n8\n");
  ScoreDist d;
  loadScoreDist(name.c_str(), d);
  // Only -8 and 8 are samples; the empty first field of " 3" is skipped too.
  EXPECT_DOUBLE_EQ(d[0], 0.5);
  EXPECT_DOUBLE_EQ(d[SCORE_BINS - 1], 0.5);

  testing::internal::CaptureStderr();
  loadScoreDist("no/such/score_file.txt", d);
  const std::string message = testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find("InputFile_Lines"), std::string::npos);
  for (double p : d) EXPECT_EQ(p, 0.0);
}

TEST(FreeGuardChoice, AbsurdDepthsAreBounded) {
  // Depth below 1 counts as 1, and a huge number of ends left returns promptly.
  const GuardChoice low = freeGuardTest(0, -5, 0);
  const GuardChoice one = freeGuardTest(0, 1, 0);
  EXPECT_EQ(low.option, one.option);
  EXPECT_DOUBLE_EQ(low.winProb, one.winProb);
  const GuardChoice far = freeGuardTest(1, 1000000, 0);
  EXPECT_GE(far.winProb, 0.0);
  EXPECT_LE(far.winProb, 1.0 + 1e-9);
}

}  // namespace
}  // namespace varrowmere
