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

TEST(FreeGuardChoice, ScoringEndHandsTheLastStoneOver) {
  // Side 0 always scores 1; side 1 always gives up 2 (score -2 from its view).
  GuardOptions options;
  options[0] = {dist({{1, 1.0}}), dist({{1, 1.0}})};
  options[1] = {dist({{-2, 1.0}}), dist({{-2, 1.0}})};
  // Side 0 scores 1 and passes the hammer to side 1, which gives up 2: lead 1 - 2 = -1.
  EXPECT_DOUBLE_EQ(expectWin(2, 0, 0, options, 1.0).winProb, 0.0);
  // A blank end keeps the side: side 1 blanking twice stays at lead 1.
  options[1] = {dist({{0, 1.0}}), dist({{0, 1.0}})};
  EXPECT_DOUBLE_EQ(expectWin(2, 1, 1, options, 1.0).winProb, 1.0);
  // All mass on one score keeps a path probability of exactly 1 along that branch.
  EXPECT_DOUBLE_EQ(expectWin(3, 0, 0, options, 1.0).winProb, 1.0);
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
