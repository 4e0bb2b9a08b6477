#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "selfplay.h"
#include "support/start_up_tables.h"
#include "tables/free_guard.h"
#include "tables/text_input.h"

namespace varrowmere::selfplay {
namespace {

// Every committed score file: each raw line is one integer -8..8 and nothing else, and the
// reader's distribution has 17 entries summing to 1 that match the counts of the lines.
TEST(SelfPlayScoreFiles, CommittedFilesParseIntoDistributions) {
  for (const OpeningInfo& info : OPENINGS) {
    SCOPED_TRACE(info.scoreFile);
    std::vector<std::string> lines;
    ASSERT_TRUE(InputFile_Lines(info.scoreFile, lines));
    ASSERT_GE(lines.size(), 1000u);
    std::vector<int> counts(SCORE_BINS, 0);
    for (const std::string& line : lines) {
      ASSERT_FALSE(line.empty());
      char* end = nullptr;
      const long score = std::strtol(line.c_str(), &end, 10);
      ASSERT_EQ(*end, '\0') << line;
      ASSERT_GE(score, -SCORE_OFFSET);
      ASSERT_LE(score, SCORE_OFFSET);
      ++counts[score + SCORE_OFFSET];
    }

    ScoreDist d;
    loadScoreDist(info.scoreFile, d);
    ASSERT_EQ(d.size(), static_cast<size_t>(SCORE_BINS));
    double sum = 0.0;
    for (int b = 0; b < SCORE_BINS; ++b) {
      sum += d[b];
      EXPECT_DOUBLE_EQ(d[b], static_cast<double>(counts[b]) / static_cast<double>(lines.size()))
          << "score " << b - SCORE_OFFSET;
    }
    EXPECT_NEAR(sum, 1.0, 1e-12);
  }
}

TEST(SelfPlayScoreFiles, OpeningNamesMatchTheReadersFiles) {
  Opening o = Opening::Plain;
  ASSERT_TRUE(parseOpening("CenterGuard", o));
  EXPECT_EQ(o, Opening::CenterGuard);
  EXPECT_STREQ(openingInfo(o).scoreFile, SCORE_FILE_CENTER_GUARD);
  ASSERT_TRUE(parseOpening("CornerGuard", o));
  EXPECT_EQ(o, Opening::CornerGuard);
  EXPECT_STREQ(openingInfo(o).scoreFile, SCORE_FILE_CORNER_GUARD);
  ASSERT_TRUE(parseOpening("2ply-2ply", o));
  EXPECT_EQ(o, Opening::Plain);
  EXPECT_STREQ(openingInfo(o).scoreFile, SCORE_FILE_PLAIN);
  EXPECT_FALSE(parseOpening("centerguard", o));
}

// Scores are from the view of side 1 (odd stones): its counting stones are positive, a steal
// by side 0 negative, an empty house a blank end.
TEST(SelfPlayScore, ViewOfTheSideWithTheLastStone) {
  const auto place = [](GameState& gs, int stone, double dy) {
    gs.stonePos[stone][0] = static_cast<float>(TEE_X);
    gs.stonePos[stone][1] = static_cast<float>(TEE_Y + dy);
  };
  GameState gs = GameState{};
  EXPECT_EQ(scoreForLastSide(gs), 0);

  place(gs, 15, 0.0);
  place(gs, 13, 0.4);
  place(gs, 0, 0.8);
  place(gs, 11, 1.2);  // behind side 0's stone: does not count
  EXPECT_EQ(scoreForLastSide(gs), 2);

  GameState steal = GameState{};
  place(steal, 2, 0.0);
  place(steal, 15, 0.5);
  EXPECT_EQ(scoreForLastSide(steal), -1);
}

// A fixed seed gives the same ends, stone for stone; another seed other ends.
TEST(SelfPlayEnds, SameSeedSameEnds) {
  testing_support::ensureStartUpTables();
  const match::NoiseSigmas sigmas = match::deriveNoiseSigmas();
  ASSERT_GT(sigmas.speed, 0.0);
  constexpr int ENDS = 2;
  const auto run = [&](uint64_t seed, int ends, std::vector<GameState>& positions) {
    SelfPlaySettings settings;
    settings.opening = Opening::CornerGuard;
    settings.depth = 1;
    settings.seed = seed;
    SelfPlay play(settings, sigmas);
    std::vector<int32_t> scores;
    for (int e = 0; e < ends; ++e) {
      scores.push_back(play.playEnd());
      positions.push_back(play.lastPosition());
      EXPECT_EQ(scores.back(), scoreForLastSide(play.lastPosition()));
    }
    // Shot 1 is never searched, the empty sheet of shot 0 only in the first end.
    EXPECT_GT(play.searches(), 0);
    EXPECT_LE(play.searches(), 1 + int64_t{ends} * (STONE_COUNT - 2));
    return scores;
  };
  std::vector<GameState> a, b, c;
  const std::vector<int32_t> first = run(11, ENDS, a);
  const std::vector<int32_t> again = run(11, ENDS, b);
  EXPECT_EQ(first, again);
  run(12, 1, c);
  for (int e = 0; e < ENDS; ++e) {
    EXPECT_EQ(std::memcmp(a[e].stonePos, b[e].stonePos, sizeof a[e].stonePos), 0) << "end " << e;
    EXPECT_EQ(a[e].shotNum, STONE_COUNT);
  }
  // The first end of another seed already differs somewhere.
  EXPECT_NE(std::memcmp(a[0].stonePos, c[0].stonePos, sizeof a[0].stonePos), 0);
}

}  // namespace
}  // namespace varrowmere::selfplay
