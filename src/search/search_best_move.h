#pragma once
// SearchBestMove: one candidate set (one grid, one spin) of the root position. Its sampled
// cells are simulated and valued by the search's worker threads (any cell on any worker: every
// result is a function of the cell alone), the others take their representative's value, and
// the cell of greatest expected value gives the set's shot.

#include <cstdint>
#include <vector>

#include "candidates/candidates.h"
#include "driver/game_state.h"
#include "physics/motion.h"

namespace varrowmere {

class ReplyBase;
struct SearchWorker;

// The only pruning type: every cell is a candidate at every depth.
inline constexpr int32_t PRUNING_TYPE_NONE = 0;
// The last end of the position a searcher holds before it is given one.
inline constexpr int32_t SEARCHER_DEFAULT_LAST_END = 10;

class SearchBestMove {
 public:
  SearchBestMove() = default;
  SearchBestMove(const SearchBestMove&) = delete;
  SearchBestMove& operator=(const SearchBestMove&) = delete;

  // Copies gs as the position and prepares its stones for the simulation.
  void loadPosition(const GameState& gs);
  // Takes the grid dimensions and a fresh copy of the cell template of one candidate set, with
  // every cell chosen and to be searched.
  void loadCandidates(const GridSpec& gridParams, const GridTable& table,
                      const std::vector<CandidateCell>& cellTemplate);

  // Simulates sampled cell `index` in the worker's world (once), then values it: statically
  // when depth is 0, else by the opponent's best reply searched depth plies deep (taken from
  // base where it allows). Any worker may run any cell; each writes only its cell.
  void simulateCell(int32_t index, SearchWorker& worker);
  void evaluateCell(int32_t index, int32_t depth, const ReplyBase* base, SearchWorker& worker);
  // After every sampled cell is valued: gives every other cell its representative's value
  // (unless every cell was valued itself), then returns the best expected value; shot gets
  // the best cell's shot.
  double finishBest(ShotVector& shot, bool everyCellValued = false);
  // Sets the cell's expected value: its neighbours' values weighted by their weights.
  void setE(CandidateCell& cell);
  // Fills best[0] with the chosen cell of greatest expected value, the first in row order.
  void pickBest(std::vector<int32_t>& best, bool allCells);

  const GameState& position() const { return position_m; }
  const std::vector<CandidateCell>& cells() const { return cells_m; }
  std::vector<CandidateCell>& cells() { return cells_m; }

  int32_t pruningType_m = PRUNING_TYPE_NONE;

 private:
  int32_t stoneCount_m = 0;
  StoneLocus stones_m[STONE_COUNT];
  GameState position_m{.lastEnd = SEARCHER_DEFAULT_LAST_END};
  int32_t countX_m = 0, countY_m = 0, total_m = 0;
  int32_t colLo_m = 0, colHi_m = -1, rowLo_m = 0, rowHi_m = -1;
  int32_t topCount_m = 1;
  std::vector<CandidateCell> cells_m;
};

}  // namespace varrowmere
