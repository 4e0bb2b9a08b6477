#pragma once
// SearchNode: the four candidate sets of the root position (draw and hit grid, spin 0 and 1),
// searched by the search's threads. Below the root, each thread searches the replies alone
// (see ReplySearch), so that the threads share only the root's cells, one at a time.

#include <cstdint>
#include <vector>

#include "candidates/candidates.h"
#include "driver/game_state.h"
#include "physics/sheet.h"
#include "search/search_best_move.h"

namespace varrowmere {

// Searcher slots: draw spin 0, draw spin 1, hit spin 0, hit spin 1.
inline constexpr int SEARCHERS_PER_NODE = 4;

// Index of the first greatest of values[0..count): a later entry wins only when strictly
// greater.
int32_t firstGreatest(const double* values, int32_t count);

class SearchNode {
 public:
  // Best expected value for the side to play at gs, searching depth >= 1 plies (a lower
  // depth counts as 1); best gets its shot. Of equal values the first in the order
  // (draw, spin 0), (hit, spin 0), (draw, spin 1), (hit, spin 1) wins. The result does not
  // depend on the number of search threads. With everyCell, every cell of the root's four
  // sets is searched for its own value, not only the sampled ones (the plies below stay
  // sampled).
  double search(const GameState& gs, int32_t depth, ShotVector& best, bool everyCell = false);

  // After a search: the cells of candidate set `set`, in the order of the results above
  // (0: draw spin 0, 1: hit spin 0, 2: draw spin 1, 3: hit spin 1).
  const std::vector<CandidateCell>& cells(int32_t set) const;

 private:
  struct CellJob;
  // Simulates the root's cells and plays the replies on the bases they need; each job then
  // names its base.
  void prepareBases(const GameState& gs, std::vector<CellJob>& jobs);
  // sameAs[j]: a job whose root shot left the same position as job j's (j itself if none);
  // only such representatives search their replies.
  void findSamePositions(const std::vector<CellJob>& jobs, std::vector<int32_t>& sameAs) const;

  SearchBestMove searchers_m[SEARCHERS_PER_NODE];
};

}  // namespace varrowmere
