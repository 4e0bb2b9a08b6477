#pragma once
// SearchBestMove: searches one candidate set (one grid, one spin) from one position.
// Each evaluation runs two worker threads over disjoint column blocks; each worker simulates
// in its own SimWorld and writes only the cells of its block.

#include <cstdint>
#include <memory>
#include <vector>

#include "candidates/candidates.h"
#include "driver/game_state.h"
#include "physics/motion.h"
#include "physics/sim_world.h"

namespace varrowmere {

// Worker slots (and SimWorlds) of a searcher.
inline constexpr int SEARCH_WORKER_SLOTS = 2;
// The only pruning type: every cell is a candidate at every depth.
inline constexpr int32_t PRUNING_TYPE_NONE = 0;
// The last end of the position a searcher holds before it is given one.
inline constexpr int32_t SEARCHER_DEFAULT_LAST_END = 10;

class SearchBestMove {
 public:
  SearchBestMove();
  SearchBestMove(const SearchBestMove&) = delete;
  SearchBestMove& operator=(const SearchBestMove&) = delete;

  // Copies gs as the position and prepares its stones for the simulation.
  void loadPosition(const GameState& gs);
  // Takes the grid dimensions and a fresh copy of the cell template of one candidate set.
  void loadCandidates(const GridSpec& gridParams, const GridTable& table,
                      const std::vector<CandidateCell>& cellTemplate);

  // Values every cell (depth 0: statically; deeper: by the opponent's best reply) and returns
  // the best expected value; shot gets the best cell's shot.
  double searchBest(ShotVector& shot, int32_t depth);
  // Runs evaluateRange on two threads over the column blocks, joins them, then gives every
  // cell that is not sampled its representative's value.
  void launchWorkers(int32_t depth, bool deepOnly, int32_t evaluationType);
  // Simulates and values the sampled cells of a block (inclusive ranges), in slot's world.
  void evaluateRange(int32_t depth, bool deepOnly, int32_t colFirst, int32_t colLast,
                     int32_t rowFirst, int32_t rowLast, int32_t slot, int32_t evaluationType);
  // Sets the cell's expected value: its neighbours' values weighted by their weights.
  void setE(CandidateCell& cell);
  // Fills best[0] with the chosen cell of greatest expected value, the first in row order.
  void pickBest(std::vector<int32_t>& best, bool allCells);

  // simulateShot calls made by all searches of the process so far (for benchmarks and tests).
  static uint64_t simulationCount();

  const std::vector<CandidateCell>& cells() const { return cells_m; }
  std::vector<CandidateCell>& cells() { return cells_m; }

  int32_t pruningType_m = PRUNING_TYPE_NONE;

 private:
  std::unique_ptr<SimWorld> worlds_m[SEARCH_WORKER_SLOTS];
  int32_t stoneCount_m = 0;
  StoneLocus stones_m[STONE_COUNT];
  GameState position_m{.lastEnd = SEARCHER_DEFAULT_LAST_END};
  int32_t countX_m = 0, countY_m = 0, total_m = 0;
  int32_t colLo_m = 0, colHi_m = -1, rowLo_m = 0, rowHi_m = -1;
  int32_t topCount_m = 1;
  std::vector<CandidateCell> cells_m;
};

}  // namespace varrowmere
