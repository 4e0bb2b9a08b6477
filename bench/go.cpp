// The time of one GO's search at depth 1 and 2 on the signature positions, the simulateShot
// calls each made, and the determinism signatures of both depths: the choice signature (the
// chosen shot and value of each position) and the cell signature (every top-level cell).
// Leaves are the positions after a shot that the search valued: simulated, or taken from the
// replies played once on the root's base (reused).
//   bench_go [repetitions at depth 2 (default 3)] [threads (default 2, 0: every core)]

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "candidates/candidates.h"
#include "driver/game_state.h"
#include "physics/motion.h"
#include "platform/os.h"
#include "search/search_node.h"
#include "search/search_threads.h"
#include "search/signature.h"

using namespace varrowmere;

namespace {

// CPU time of the whole process (s), all threads together.
double processSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int deepRepetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  if (argc > 2) setSearchThreads(std::atoi(argv[2]));
  tuneAllocator();
  buildChordTable();
  buildTrajectoryTables();
  buildCandidateTables();
  timeShort = false;

  std::printf("threads: %d\n", searchThreadCount());
  std::printf("%-20s %5s %11s %11s %9s %9s %11s\n", "position", "depth", "median (s)", "simulated",
              "reused", "cpu (s)", "us cpu/leaf");
  for (int32_t depth = 1; depth <= 2; ++depth) {
    const int repetitions = depth == 1 ? 9 : deepRepetitions;
    Signatures hashes;
    for (const SignaturePosition& position : signaturePositions()) {
      std::vector<double> seconds, cpuSeconds;
      uint64_t simulations = 0, reuses = 0;
      ShotVector shot;
      double value = 0.0;
      uint64_t cells = SIGNATURE_START;
      for (int r = 0; r < repetitions; ++r) {
        const uint64_t simulatedBefore = searchSimulationCount();
        const uint64_t reusedBefore = searchReuseCount();
        const double cpuStart = processSeconds();
        const auto start = std::chrono::steady_clock::now();
        SearchNode node;
        value = node.search(position.state, depth, shot);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        cpuSeconds.push_back(processSeconds() - cpuStart);
        simulations = searchSimulationCount() - simulatedBefore;
        reuses = searchReuseCount() - reusedBefore;
        cells = foldCells(hashes.cells, node);
      }
      hashes.choice = foldShot(hashes.choice, shot, value);
      hashes.cells = cells;
      const double cpu = median(cpuSeconds);
      std::printf("%-20s %5d %11.3f %11llu %9llu %9.3f %11.3f   shot %.6f %.6f %d value %.6f\n",
                  position.name.c_str(), depth, median(seconds),
                  static_cast<unsigned long long>(simulations),
                  static_cast<unsigned long long>(reuses), cpu,
                  1e6 * cpu / static_cast<double>(std::max<uint64_t>(simulations + reuses, 1)),
                  shot.vx, shot.vy, shot.spin ? 1 : 0, value);
      std::fflush(stdout);
    }
    std::printf("signature depth %d: choice %016llx cells %016llx\n", depth,
                static_cast<unsigned long long>(hashes.choice),
                static_cast<unsigned long long>(hashes.cells));
  }
  return 0;
}
