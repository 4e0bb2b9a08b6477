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

struct SearchWorker;

// Bases are made for the stones the root's shots take away: besides the root's own base, one
// for each set of moved stones shared by at least this many root cells (a base costs about as
// much as simulating the replies of one cell), at most this many.
inline constexpr int32_t CELLS_PER_EXTRA_BASE = 12;
inline constexpr int32_t MAX_EXTRA_BASES = 16;

class ReplyBase {
 public:
  // How a position after a root shot differs from the base.
  struct Difference {
    bool usable = false;      // the base's results can stand for this position's at all
    bool comparable = false;  // the stones below are known (the same shot number and side)
    uint32_t differing = 0;   // stones (bit i: stone i) whose stored position differs
    uint32_t removed = 0;     // of those, the ones in play in the base
    int32_t addedCount = 0;   // of those, the ones in play in the position
    int32_t added[STONE_COUNT] = {};
    uint32_t addedMask = 0;              // the same as bits
    float position[STONE_COUNT][2] = {}; // the differing stones as the position has them
    StoneTerm addedTerms[STONE_COUNT];   // evaluation terms of the added stones, by stone
    // The added stones nearest the tee first (stone, distance, value), and whether their
    // distances all differ.
    int32_t addedRanked[STONE_COUNT] = {};
    double addedRankedDist[STONE_COUNT] = {};
    double addedRankedValue[STONE_COUNT] = {};
    bool addedDistinct = true;
  };

  // Makes the base of root, without the root's stones in `without` (bit i: stone i); false
  // when it can stand for no position (then it is not ready). Then every sampled reply is to
  // be played on it with play(), once, by any workers. Replies are named by their slot, their
  // place in their set's sampledCells: the records lie in the order the search reads them.
  bool setUp(const GameState& root, uint32_t without);
  void play(int32_t set, int32_t slot, SearchWorker& worker);
  // Forgets the base: no reply is taken from it until the next setUp.
  void clear() { ready_m = false; }
  bool ready() const { return ready_m; }

  Difference compare(const GameState& after) const;
  // Asks the memory for what reusable and evaluateResult read first of a cell's records.
  void prefetch(int32_t set, int32_t slot) const {
    traces_m[set][slot].prefetch();
    __builtin_prefetch(&terms_m[set][slot]);
  }
  // Whether the reply in slot `slot` of candidate set `set`, played on `after` (compared as d),
  // has the base's result; if not, it must be simulated. With firstSteps (by stone), writes
  // for each added stone the delivered stone's first prediction against it where the check
  // made it exactly, else -1.
  bool reusable(int32_t set, int32_t slot, const Difference& d,
                int32_t* firstSteps = nullptr) const;
  // For a cell to be simulated on a comparable position (d), after reusable wrote the added
  // stones' entries of firstSteps: the delivered stone's first predictions against every
  // other stone, the base's own for the stones the root's shot left alone (by stone, -1 where
  // none is known).
  void knownFirstContacts(int32_t set, int32_t slot, const Difference& d,
                          int32_t (&firstSteps)[STONE_COUNT]) const;
  // For a reusable cell: its result on `after`, written in full into out.
  void result(int32_t set, int32_t slot, const Difference& d, const GameState& after,
              GameState& out) const;
  // For a reusable cell: the standard evaluation of its result for `side`, without writing
  // the result out.
  double evaluateResult(int32_t set, int32_t slot, const Difference& d, int side) const;

 private:
  bool ready_m = false;
  GameState base_m;
  StoneLocus stones_m[STONE_COUNT];
  int32_t stoneCount_m = 0;
  std::vector<ShotTrace> traces_m[CANDIDATE_SET_COUNT];
  std::vector<GameState> results_m[CANDIDATE_SET_COUNT];
  // Each result's stones in play ranked (nearest the tee first; `distinct` when no two
  // distances are equal) with their evaluation terms, and its shot number: what
  // evaluateResult reads, apart from the results themselves.
  struct ResultTerms {
    int32_t rankedCount = 0;
    bool distinct = true;
    int32_t shotNum = 0;
    int32_t ranked[STONE_COUNT];
    double rankedDist[STONE_COUNT];
    double rankedValue[STONE_COUNT];
  };
  std::vector<ResultTerms> terms_m[CANDIDATE_SET_COUNT];
};

}  // namespace varrowmere
