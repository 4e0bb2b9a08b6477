// Evaluations per second of the two evaluators, single thread, on a fixed seeded set of
// positions with 0, 4, 8 and 12 stones in and around the house (argument: stones), each
// evaluated for the side that threw last, with a fresh evaluator per call as the search does.
// The guard tables are loaded before timing.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "evaluation/evaluation_cig.h"
#include "evaluation/standard_evaluation.h"

namespace {

using namespace varrowmere;

constexpr int POSITIONS_PER_COUNT = 256;
constexpr unsigned POSITION_SEED = 20261206;

// Stones 0..stones-1 placed uniformly over x 0.4..4.35, y 3.0..8.5 (the house and the guard
// area in front of it); shotNum = stones.
std::vector<GameState> seededPositions(int stones) {
  std::mt19937 rng(POSITION_SEED + static_cast<unsigned>(stones));
  std::uniform_real_distribution<float> x(0.4f, 4.35f), y(3.0f, 8.5f);
  std::vector<GameState> positions(POSITIONS_PER_COUNT);
  for (GameState& position : positions) {
    position.shotNum = stones;
    for (int i = 0; i < stones; ++i) {
      position.stonePos[i][0] = x(rng);
      position.stonePos[i][1] = y(rng);
    }
  }
  return positions;
}

void loadGuardTables() {
  std::vector<double> out0, out1;
  lookupFrontGuard(out0, out1, 2.375f, 4.88f, 2.375f, 6.0f);
  lookupBackBlock(out0, out1, 2.375f, 4.88f, 2.375f, 4.0f);
}

void BM_EvaluationCig(benchmark::State& state) {
  loadGuardTables();
  const std::vector<GameState> positions = seededPositions(static_cast<int>(state.range(0)));
  std::size_t next = 0;
  for (auto _ : state) {
    const GameState& position = positions[next];
    const Evaluation_CIG cig;
    benchmark::DoNotOptimize(cig.evaluate(position, (position.shotNum + 1) % 2));
    next = (next + 1) % positions.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluationCig)->Arg(0)->Arg(4)->Arg(8)->Arg(12);

void BM_EvaluateStandard(benchmark::State& state) {
  const std::vector<GameState> positions = seededPositions(static_cast<int>(state.range(0)));
  std::size_t next = 0;
  for (auto _ : state) {
    const GameState& position = positions[next];
    benchmark::DoNotOptimize(evaluateStandard(position, (position.shotNum + 1) % 2));
    next = (next + 1) % positions.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EvaluateStandard)->Arg(0)->Arg(4)->Arg(8)->Arg(12);

}  // namespace

BENCHMARK_MAIN();
