#include <gtest/gtest.h>

#include <latch>
#include <random>
#include <thread>
#include <vector>

#include "evaluation/evaluation_cig.h"
#include "evaluation/standard_evaluation.h"

namespace varrowmere {
namespace {

// Positions with 1 to 12 stones in and around the house, from a fixed seed.
std::vector<GameState> seededPositions(int count) {
  std::mt19937 rng(2024);
  std::uniform_real_distribution<float> x(0.4f, 4.35f), y(3.0f, 8.5f);
  std::vector<GameState> positions;
  for (int n = 0; n < count; ++n) {
    GameState position;
    position.shotNum = 1 + n % 12;
    for (int i = 0; i < position.shotNum; ++i) {
      position.stonePos[i][0] = x(rng);
      position.stonePos[i][1] = y(rng);
    }
    positions.push_back(position);
  }
  return positions;
}

// Several threads evaluate at once, the first lookups of both guard families among them:
// every thread gets the values of a single-threaded run afterwards, and each family loads
// once. (Run under ThreadSanitizer too: nothing shared is written.)
TEST(EvaluationThreads, ConcurrentEvaluationsAgreeAndLoadTheTablesOnce) {
  const std::vector<GameState> positions = seededPositions(96);
  constexpr int THREADS = 6;
  std::vector<std::vector<double>> cigValues(THREADS), standardValues(THREADS);
  std::latch start(THREADS);
  std::vector<std::thread> threads;
  for (int t = 0; t < THREADS; ++t) {
    threads.emplace_back([&, t] {
      start.arrive_and_wait();
      for (const GameState& position : positions) {
        const int side = (position.shotNum + 1) % 2;
        const Evaluation_CIG cig;
        cigValues[t].push_back(cig.evaluate(position, side));
        standardValues[t].push_back(evaluateStandard(position, side));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(frontGuard.loadCount, 1);
  EXPECT_EQ(backBlock.loadCount, 1);
  std::vector<double> cigAlone, standardAlone;
  bool someGuard = false;
  for (const GameState& position : positions) {
    const int side = (position.shotNum + 1) % 2;
    const Evaluation_CIG cig;
    cigAlone.push_back(cig.evaluate(position, side));
    standardAlone.push_back(evaluateStandard(position, side));
    CigBoard board;
    fillCigBoard(position, side, board);
    for (int r = 0; r < board.count; ++r)
      someGuard |= cig.guardValue(board, board.rankedStones[r]) > 0.0;
  }
  EXPECT_TRUE(someGuard) << "the positions should exercise the guard tables";
  for (int t = 0; t < THREADS; ++t) {
    EXPECT_EQ(cigValues[t], cigAlone);
    EXPECT_EQ(standardValues[t], standardAlone);
  }
}

}  // namespace
}  // namespace varrowmere
