#pragma once
// What one search thread keeps for the whole game: its collision world, the searches of the
// plies below the root, and its counts. Used by one thread at a time; built once.

#include <cstdint>
#include <memory>
#include <vector>

#include "candidates/candidates.h"
#include "driver/game_state.h"
#include "evaluation/standard_evaluation.h"
#include "physics/motion.h"
#include "physics/sim_world.h"

namespace varrowmere {

class ReplyBase;
struct SearchWorker;

// The value that SearchNode::search gives a position below the root (the reply's shot itself
// is not needed), computed by one thread alone. Keeps its arrays from one call to the next.
class ReplySearch {
 public:
  // depth >= 1 plies; with a base, replies are taken from it where it allows.
  double value(const GameState& position, int32_t depth, const ReplyBase* base,
               SearchWorker& worker, int32_t ply);

 private:
  StoneLocus stones_m[STONE_COUNT];
  int32_t stoneCount_m = 0;
  std::vector<double> values_m[CANDIDATE_SET_COUNT];
  std::vector<double> rowScratch_m;
  std::vector<int32_t> rowOrder_m;
  GameState after_m;
  // The evaluation terms of the position's stones in play: most stones of a simulated reply
  // rest where they were.
  StoneTerm positionTerms_m[STONE_COUNT];
};

struct SearchWorker {
  SimWorld world;
  // plies[p] searches the positions p + 1 plies below the root.
  std::vector<std::unique_ptr<ReplySearch>> plies;
  uint64_t simulated = 0;  // simulateShot calls
  uint64_t reused = 0;     // results taken from a ReplyBase instead

  ReplySearch& ply(int32_t p);
};

// The value of a cell whose shot led to `after`, for the player of that shot: the end score
// when the end is over, the static evaluation when no depth is left, else the negated value
// of the opponent's best reply searched `depth` plies deep (by the worker's search of ply `ply`).
double cellValue(const GameState& after, int32_t depth, const ReplyBase* base,
                 SearchWorker& worker, int32_t ply);

// The best expected value of a candidate set whose cells hold `values` (a value for every
// cell): the greatest of the neighbour-weighted sums, each summed as SearchBestMove::setE
// sums it. Rows whose neighbours' values cannot reach the best found so far are not summed.
// rowScratch and rowOrder are working space.
double bestExpectedValue(const GridTable& table, const std::vector<CandidateCell>& cells,
                         const double* values, std::vector<double>& rowScratch,
                         std::vector<int32_t>& rowOrder);

}  // namespace varrowmere
