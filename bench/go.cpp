// The time of one GO's search at depth 1 and 2 on the signature positions, the simulateShot
// calls each made, and the determinism signatures of both depths: the choice signature (the
// chosen shot and value of each position) and the cell signature (every top-level cell).
//   bench_go [repetitions at depth 2 (default 3)]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "candidates/candidates.h"
#include "driver/allocator.h"
#include "driver/game_state.h"
#include "physics/motion.h"
#include "search/search_node.h"
#include "search/signature.h"

using namespace varrowmere;

namespace {

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int deepRepetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  tuneAllocator();
  buildChordTable();
  buildTrajectoryTables();
  buildCandidateTables();
  timeShort = false;

  std::printf("%-20s %5s %12s %14s\n", "position", "depth", "median (s)", "simulations");
  for (int32_t depth = 1; depth <= 2; ++depth) {
    const int repetitions = depth == 1 ? 9 : deepRepetitions;
    Signatures hashes;
    for (const SignaturePosition& position : signaturePositions()) {
      std::vector<double> seconds;
      uint64_t simulations = 0;
      ShotVector shot;
      double value = 0.0;
      uint64_t cells = SIGNATURE_START;
      for (int r = 0; r < repetitions; ++r) {
        const uint64_t before = SearchBestMove::simulationCount();
        const auto start = std::chrono::steady_clock::now();
        SearchNode node;
        value = node.search(position.state, depth, shot);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        simulations = SearchBestMove::simulationCount() - before;
        cells = foldCells(hashes.cells, node);
      }
      hashes.choice = foldShot(hashes.choice, shot, value);
      hashes.cells = cells;
      std::printf("%-20s %5d %12.3f %14llu   shot %.6f %.6f %d value %.6f\n",
                  position.name.c_str(), depth, median(seconds),
                  static_cast<unsigned long long>(simulations), shot.vx, shot.vy,
                  shot.spin ? 1 : 0, value);
      std::fflush(stdout);
    }
    std::printf("signature depth %d: choice %016llx cells %016llx\n", depth,
                static_cast<unsigned long long>(hashes.choice),
                static_cast<unsigned long long>(hashes.cells));
  }
  return 0;
}
