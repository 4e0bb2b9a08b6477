#pragma once
// The replies to the root's shots, played once on the root position as if the root's shot had
// left nothing on the sheet (the base). After a root shot most stones are where the base has
// them: a reply whose events meet none of the stones that differ has the base's result, with
// those stones carried over, and need not be simulated again (see ShotTrace).

#include <cstdint>
#include <vector>

#include "candidates/candidates.h"
#include "driver/game_state.h"
#include "evaluation/standard_evaluation.h"
#include "physics/motion.h"
#include "physics/shot_trace.h"

namespace varrowmere {

class WorkerPool;
struct SearchWorker;

class ReplyBase {
 public:
  // How a position after a root shot differs from the base.
  struct Difference {
    bool usable = false;      // the base's results can stand for this position's at all
    uint32_t differing = 0;   // stones (bit i: stone i) whose stored position differs
    uint32_t removed = 0;     // of those, the ones in play in the base
    int32_t addedCount = 0;   // of those, the ones in play in the position
    int32_t added[STONE_COUNT] = {};
    uint32_t addedMask = 0;              // the same as bits
    float position[STONE_COUNT][2] = {}; // the differing stones as the position has them
    StoneTerm addedTerms[STONE_COUNT];   // evaluation terms of the added stones, by stone
    // The added stones nearest the tee first, and whether their distances all differ.
    int32_t addedRanked[STONE_COUNT] = {};
    bool addedDistinct = true;
  };

  // Plays every sampled reply on the base of root, spread over the pool's workers.
  void prepare(const GameState& root, WorkerPool& pool, std::vector<SearchWorker>& workers);
  // Forgets the base: no reply is taken from it until the next prepare.
  void clear() { ready_m = false; }
  bool ready() const { return ready_m; }

  Difference compare(const GameState& after) const;
  // Whether sampled cell `index` of candidate set `set`, played on `after` (compared as d),
  // has the base's result; if not, it must be simulated.
  bool reusable(int32_t set, int32_t index, const Difference& d) const;
  // For a reusable cell: its result on `after`, written in full into out.
  void result(int32_t set, int32_t index, const Difference& d, const GameState& after,
              GameState& out) const;
  // For a reusable cell: the standard evaluation of its result for `side`, without writing
  // the result out.
  double evaluateResult(int32_t set, int32_t index, const Difference& d, int side) const;

 private:
  struct Job {
    int32_t set;
    int32_t index;
  };

  bool ready_m = false;
  std::vector<Job> jobs_m;
  GameState base_m;
  std::vector<ShotTrace> traces_m[CANDIDATE_SET_COUNT];
  std::vector<GameState> results_m[CANDIDATE_SET_COUNT];
  // The evaluation terms of each result's stones in play, which those are, and their ranking
  // (nearest the tee first; `distinct` when no two distances are equal).
  struct ResultTerms {
    uint32_t inPlay = 0;
    StoneTerm terms[STONE_COUNT];
    int32_t rankedCount = 0;
    int32_t ranked[STONE_COUNT];
    bool distinct = true;
  };
  std::vector<ResultTerms> terms_m[CANDIDATE_SET_COUNT];
};

}  // namespace varrowmere
