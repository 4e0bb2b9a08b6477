// Throughput of the shot maker over the candidate grids' targets (start-up makes 2 x 1508
// draws and 2 x 66 hits), with the delivery it is checked by for comparison.

#include "platform/shot_maker.h"

#include <benchmark/benchmark.h>

#include <vector>

#include "candidates/grid.h"
#include "physics/motion.h"

namespace {

using namespace varrowmere;

std::vector<ShotTarget> gridTargets(const GridSpec& gridParams) {
  GridTable table;
  gridDimensions(gridParams, table);
  std::vector<ShotTarget> targets;
  for (const bool spin : {false, true}) {
    for (int32_t row = 0; row < table.countY; ++row) {
      for (int32_t column = 0; column < table.countX; ++column) {
        ShotTarget target;
        gridTarget(gridParams, column, row, target.x, target.y);
        target.spin = spin;
        targets.push_back(target);
      }
    }
  }
  return targets;
}

void BM_CreateShot(benchmark::State& state) {
  const std::vector<ShotTarget> targets = gridTargets(DRAW_GRID_SPEC);
  std::size_t next = 0;
  ShotVector shot;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CreateShot(targets[next], &shot));
    benchmark::DoNotOptimize(shot);
    next = (next + 1) % targets.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CreateShot);

void BM_CreateShotWithLocus(benchmark::State& state) {
  const std::vector<ShotTarget> targets = gridTargets(DRAW_GRID_SPEC);
  std::size_t next = 0;
  ShotVector shot;
  StoneLocus locus;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CreateShot(targets[next], &shot, &locus));
    benchmark::DoNotOptimize(locus);
    next = (next + 1) % targets.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CreateShotWithLocus);

void BM_CreateHitShot(benchmark::State& state) {
  const std::vector<ShotTarget> targets = gridTargets(HIT_GRID_SPEC);
  const auto power = static_cast<float>(HIT_GRID_SPEC.hitPower);
  std::size_t next = 0;
  ShotVector shot;
  for (auto _ : state) {
    benchmark::DoNotOptimize(CreateHitShot(targets[next], power, &shot));
    benchmark::DoNotOptimize(shot);
    next = (next + 1) % targets.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CreateHitShot);

// One real delivery of a draw to the tee: the unit of the shot maker's checks.
void BM_DeliverDraw(benchmark::State& state) {
  ShotVector shot;
  CreateShot({static_cast<float>(TEE_X), static_cast<float>(TEE_Y), false}, &shot);
  StoneLocus locus;
  for (auto _ : state) {
    benchmark::DoNotOptimize(vec_to_locus_deliver(shot, locus));
    benchmark::DoNotOptimize(locus);
  }
}
BENCHMARK(BM_DeliverDraw);

}  // namespace

int main(int argc, char** argv) {
  buildChordTable();
  buildTrajectoryTables();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
