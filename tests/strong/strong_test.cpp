// The strong mode's rules: its time plan never spends the reserve, and its race never plays a
// shot that did worse than the designed choice on the errors both met.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "search/search_node.h"
#include "strong/noise_samples.h"
#include "strong/strong_search.h"
#include "strong/time_plan.h"
#include "support/start_up_tables.h"

namespace varrowmere {
namespace {

TEST(TimePlan, CountsTheDecisionsLeftAndNeverSpendsTheReserve) {
  // Decisions left, by hand: the stones of this end from this shot on, eight a later end.
  EXPECT_EQ(decisionsLeft(15, 7, 8), 1);
  EXPECT_EQ(decisionsLeft(14, 7, 8), 1);
  EXPECT_EQ(decisionsLeft(0, 0, 8), 64);
  EXPECT_EQ(decisionsLeft(13, 5, 8), 2 + 16);
  EXPECT_EQ(decisionsLeft(1, 9, 8), 8);  // an extra end

  EXPECT_EQ(decisionAllotment(STRONG_TIME_RESERVE, 0, 0, 8), 0.0);
  EXPECT_EQ(decisionAllotment(std::numeric_limits<double>::quiet_NaN(), 0, 0, 8), 0.0);
  EXPECT_EQ(decisionAllotment(1e6, 0, 0, 8), STRONG_TIME_CAP);
  // 378 s to spend over 64 decisions: one and a half even shares.
  EXPECT_DOUBLE_EQ(decisionAllotment(438.0, 0, 0, 8), 378.0 * STRONG_TIME_SHARE / 64);

  // Whole games, two extra ends included, every decision thinking all it is allotted: the
  // clock never reaches the reserve, from a full clock or one nearly spent.
  for (const int32_t lastEnd : {1, 4, 8}) {
    for (const double start : {438.0, STRONG_TIME_RESERVE + 3.0}) {
      double remaining = start;
      for (int32_t end = 0; end < lastEnd + 2; ++end) {
        for (int32_t shot = 1; shot < 16; shot += 2) {
          const double seconds = decisionAllotment(remaining, shot, end, lastEnd);
          ASSERT_GE(seconds, 0.0);
          ASSERT_LE(seconds, STRONG_TIME_MAX_PART * (remaining - STRONG_TIME_RESERVE) + 1e-12);
          remaining -= seconds;
        }
      }
      EXPECT_GT(remaining, STRONG_TIME_RESERVE) << lastEnd << " " << start;
    }
  }
  // A shorter game counts the same time per end as an 8-end game of 438 s; longer ones and
  // ends that are no number count all 438 s.
  EXPECT_DOUBLE_EQ(strongTimeLeft(438.0, 4), 219.0);
  EXPECT_DOUBLE_EQ(strongTimeLeft(400.0, 1), 400.0 - 438.0 * 7 / 8);
  EXPECT_DOUBLE_EQ(strongTimeLeft(300.0, 10), 300.0);
  EXPECT_DOUBLE_EQ(strongTimeLeft(300.0, 0), 300.0 - 438.0 * 7 / 8);
}

TEST(NoiseSamples, EveryPrefixSpreadsLikeTheReferee) {
  const NoiseSigmas sigmas{0.06, 0.004};
  std::vector<NoiseSample> samples, again;
  makeNoiseSamples(sigmas, 7, 1024, samples);
  makeNoiseSamples(sigmas, 7, 1024, again);
  ASSERT_EQ(samples.size(), 1024u);
  EXPECT_EQ(std::memcmp(samples.data(), again.data(), samples.size() * sizeof(NoiseSample)), 0);
  // A low-discrepancy list: even a prefix of 64 has about the right spread and no bias.
  for (const std::size_t count : {std::size_t{64}, samples.size()}) {
    double sv = 0.0, sa = 0.0, vv = 0.0, va = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
      sv += samples[i].speedError, sa += samples[i].angleError;
      vv += samples[i].speedError * samples[i].speedError;
      va += samples[i].angleError * samples[i].angleError;
    }
    const double n = static_cast<double>(count);
    EXPECT_NEAR(sv / n, 0.0, 0.1 * sigmas.speed) << count;
    EXPECT_NEAR(sa / n, 0.0, 0.1 * sigmas.angle) << count;
    EXPECT_NEAR(std::sqrt(vv / n), sigmas.speed, 0.1 * sigmas.speed) << count;
    EXPECT_NEAR(std::sqrt(va / n), sigmas.angle, 0.1 * sigmas.angle) << count;
  }
}

TEST(StrongRace, TheOthersHalveTheFirstStaysAndOnlyClearLeadsOverFullRunsWin) {
  const auto entry = [](double sum, int32_t samples, double leadSum = 0, double leadSquares = 0) {
    RaceCandidate candidate;
    candidate.sum = sum, candidate.samples = samples;
    candidate.leadSum = leadSum, candidate.leadSquares = leadSquares;
    return candidate;
  };
  // Means 0.1 (the grid's best), 0.3, 0.7, 0.9, 0.5, 0.5: of the five others three stay, the
  // later of the equal 0.5s leaves, and the first stays although it is the worst.
  std::vector<RaceCandidate> race = {entry(1, 10), entry(3, 10), entry(7, 10),
                                     entry(9, 10), entry(5, 10), entry(5, 10)};
  dropWorseHalf(race);
  const bool alive[] = {true, false, true, true, true, false};
  for (std::size_t c = 0; c < race.size(); ++c) EXPECT_EQ(race[c].alive, alive[c]) << c;

  // Over 20 errors the first's mean is 0.1. One that left early with a better mean does not
  // win; leads of 0.8 a sample, deviation 0.41, are clear (standard error 0.09), and of the two
  // equal the first wins; a mean of 0.95 whose lead deviates by 4.5 is not (error 1.0).
  race = {entry(2, 20), entry(10, 10, 9, 8.1), entry(18, 20, 16, 16), entry(18, 20, 16, 16),
          entry(19, 20, 17, 400)};
  EXPECT_EQ(raceWinner(race), 2);
  race[2].leadSquares = race[3].leadSquares = 400;
  EXPECT_EQ(raceWinner(race), 0);
  // A lead without any spread is clear; one error alone tells nothing.
  EXPECT_TRUE(entry(3, 2, 2, 2).clearlyAhead());
  EXPECT_FALSE(entry(3, 1, 2, 4).clearlyAhead());
}

TEST(StrongSearch, TheRaceStartsFromTheGridsBestAndNeverPlaysWorseOnItsErrors) {
  testing_support::ensureStartUpTables();
  // The last stone, the other side lying second and third in the house, ours fourth.
  GameState gs{.shotNum = 15, .lastEnd = 8};
  const float stones[][2] = {{2.3f, 4.7f}, {2.5f, 5.2f}, {2.1f, 5.4f}, {2.9f, 4.2f}, {2.4f, 7.0f}};
  for (int i = 0; i < 5; ++i)
    gs.stonePos[2 * i + 1][0] = stones[i][0], gs.stonePos[2 * i + 1][1] = stones[i][1];
  gs.stonePos[0][0] = 2.45f, gs.stonePos[0][1] = 4.95f;

  // The designed search over every cell: the grid's best the race starts from.
  ShotVector designed;
  SearchNode node;
  node.search(gs, 2, designed, /*everyCell=*/true);

  // No time left: no round is run and the designed choice is played.
  StrongResult late;
  strongSearch(gs, 2, StrongClock::now() - std::chrono::seconds(1), late);
  EXPECT_EQ(late.rounds, 0);
  EXPECT_EQ(late.shot.vx, designed.vx);
  EXPECT_EQ(late.shot.vy, designed.vy);

  StrongResult result;
  strongSearch(gs, 2, StrongClock::now() + std::chrono::hours(1), result);
  ASSERT_GE(result.race.size(), 2u);
  EXPECT_EQ(result.race[0].shot.vx, designed.vx);
  EXPECT_EQ(result.race[0].samples, LAST_STONE_RACE_MAX_SAMPLES);
  const RaceCandidate& winner = result.race[result.winner];
  EXPECT_EQ(winner.samples, result.race[0].samples);
  EXPECT_GE(winner.mean(), result.race[0].mean());
  EXPECT_EQ(result.shot.vx, winner.shot.vx);
  EXPECT_TRUE(result.winner == 0 || winner.clearlyAhead());
  // Every candidate that met as many errors and did better than the winner has no clear lead;
  // the leads are over the first on the same errors; the values are end scores of one stone's
  // shot for the thrower: within -8 and 8.
  for (const RaceCandidate& candidate : result.race) {
    if (candidate.samples == winner.samples) {
      EXPECT_NEAR(candidate.leadSum, candidate.sum - result.race[0].sum, 1e-6);
      if (candidate.mean() > winner.mean()) {
        EXPECT_FALSE(candidate.clearlyAhead());
      }
    }
    EXPECT_LE(std::abs(candidate.mean()), 8.0);
  }
}

}  // namespace
}  // namespace varrowmere
