#include "search/reply_base.h"

#include <cmath>
#include <cstring>

#include "physics/simulate.h"
#include "search/search_worker.h"

namespace varrowmere {

namespace {

// Stones at rest a position needs for the simulation's general course (see ShotTrace).
constexpr int32_t GENERAL_COURSE_RESTING = 2;

int32_t stonesInPlay(const GameState& gs) {
  int32_t count = 0;
  for (int32_t i = 0; i < gs.shotNum && i < STONE_COUNT; ++i) count += stoneInPlay(gs, i) ? 1 : 0;
  return count;
}

bool strictlyIncreasing(const double* values, int32_t count) {
  for (int32_t i = 1; i < count; ++i) {
    // Negated on purpose: a value that is not a number breaks the order too.
    if (!(values[i - 1] < values[i])) return false;
  }
  return true;
}

bool samePosition(const float (&a)[2], const float (&b)[2]) {
  // Bit for bit: -0 and 0 are different records.
  return std::memcmp(a, b, sizeof(a)) == 0;
}

}  // namespace

bool ReplyBase::setUp(const GameState& root, uint32_t without) {
  ready_m = false;
  if (root.shotNum < 0 || root.shotNum + 1 >= STONE_COUNT) return false;
  // The position after a root shot that left no stone (and took the stones `without` away):
  // the next shot number, the other side to play, the root's other stones.
  base_m = root;
  base_m.shotNum = root.shotNum + 1;
  base_m.whiteToMove = !root.whiteToMove;
  base_m.stonePos[root.shotNum][0] = 0.0f;
  base_m.stonePos[root.shotNum][1] = 0.0f;
  for (int32_t i = 0; i < root.shotNum; ++i) {
    if ((without >> i & 1u) == 0) continue;
    base_m.stonePos[i][0] = 0.0f;
    base_m.stonePos[i][1] = 0.0f;
  }
  loadStones(base_m, stones_m, stoneCount_m);
  for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set) {
    const CandidateSet& which = CANDIDATE_SETS[set];
    const std::size_t replies = sampledCells(which.kind, which.spin).size();
    traces_m[set].resize(replies);
    results_m[set].resize(replies);
    terms_m[set].resize(replies);
  }
  // Too few stones at rest for the simulation's general course: nothing to take from here.
  ready_m = stoneCount_m >= GENERAL_COURSE_RESTING;
  return ready_m;
}

void ReplyBase::play(int32_t set, int32_t slot, SearchWorker& worker) {
  const CandidateSet& which = CANDIDATE_SETS[set];
  const int32_t index = sampledCells(which.kind, which.spin)[slot];
  const StoneLocus& shot = gridTable(which.kind, which.spin).loci[index].locus;
  GameState& result = results_m[set][slot];
  result = GameState{};
  simulateShot(worker.world, shot, stones_m, stoneCount_m, base_m, result, &traces_m[set][slot]);
  ++worker.simulated;

  ResultTerms& terms = terms_m[set][slot];
  terms.shotNum = result.shotNum;
  terms.rankedCount = 0;
  StoneTerm stoneTerms[STONE_COUNT];
  double dist[STONE_COUNT];
  for (int32_t i = 0; i < result.shotNum && i < STONE_COUNT; ++i) {
    if (!stoneInPlay(result, i)) continue;
    stoneTerms[i] = standardStoneTerm(result.stonePos[i][0], result.stonePos[i][1]);
    terms.ranked[terms.rankedCount] = i;
    dist[terms.rankedCount++] = stoneTerms[i].dist;
  }
  sortByDistance(terms.ranked, dist, terms.rankedCount);
  terms.distinct = strictlyIncreasing(dist, terms.rankedCount);
  for (int32_t r = 0; r < terms.rankedCount; ++r) {
    terms.rankedDist[r] = dist[r];
    terms.rankedValue[r] = stoneTerms[terms.ranked[r]].value;
  }
}

ReplyBase::Difference ReplyBase::compare(const GameState& after) const {
  Difference d;
  if (!ready_m || after.shotNum != base_m.shotNum || after.whiteToMove != base_m.whiteToMove)
    return d;
  d.comparable = true;
  for (int32_t i = 0; i < base_m.shotNum; ++i) {
    if (samePosition(after.stonePos[i], base_m.stonePos[i])) continue;
    d.differing |= 1u << i;
    d.position[i][0] = after.stonePos[i][0];
    d.position[i][1] = after.stonePos[i][1];
    if (stoneInPlay(base_m, i)) d.removed |= 1u << i;
    if (!stoneInPlay(after, i)) continue;
    d.added[d.addedCount++] = i;
    d.addedMask |= 1u << i;
    d.addedTerms[i] = standardStoneTerm(after.stonePos[i][0], after.stonePos[i][1]);
  }
  double dist[STONE_COUNT];
  for (int32_t a = 0; a < d.addedCount; ++a) {
    d.addedRanked[a] = d.added[a];
    dist[a] = d.addedTerms[d.added[a]].dist;
  }
  sortByDistance(d.addedRanked, dist, d.addedCount);
  d.addedDistinct = strictlyIncreasing(dist, d.addedCount);
  for (int32_t a = 0; a < d.addedCount; ++a) {
    d.addedRankedDist[a] = dist[a];
    d.addedRankedValue[a] = d.addedTerms[d.addedRanked[a]].value;
  }
  d.usable = stonesInPlay(after) >= GENERAL_COURSE_RESTING;
  return d;
}

bool ReplyBase::reusable(int32_t set, int32_t slot, const Difference& d,
                         int32_t* firstSteps) const {
  if (firstSteps != nullptr) {
    for (int32_t a = 0; a < d.addedCount; ++a) firstSteps[d.added[a]] = -1;
  }
  if (!d.usable) return false;
  const ShotTrace& trace = traces_m[set][slot];
  if (!trace.general() || (trace.involved() & d.removed) != 0) return false;
  for (int32_t a = 0; a < d.addedCount; ++a) {
    const int32_t added = d.added[a];
    const float* stone = d.position[added];
    if (!trace.unaffectedByStoneAt(stone[0], stone[1],
                                   firstSteps != nullptr ? &firstSteps[added] : nullptr))
      return false;
  }
  return true;
}

void ReplyBase::knownFirstContacts(int32_t set, int32_t slot, const Difference& d,
                                   int32_t (&firstSteps)[STONE_COUNT]) const {
  const ShotTrace& trace = traces_m[set][slot];
  for (int32_t i = 0; i < STONE_COUNT; ++i) {
    // The same shot meeting the same stone at the same place predicts the same.
    if ((d.differing >> i & 1u) == 0) {
      firstSteps[i] = trace.firstContact(i);
    } else if ((d.addedMask >> i & 1u) == 0) {
      firstSteps[i] = -1;
    }
  }
}

void ReplyBase::result(int32_t set, int32_t slot, const Difference& d, const GameState& after,
                       GameState& out) const {
  out = results_m[set][slot];
  for (int32_t i = 0; i < base_m.shotNum; ++i) {
    if ((d.differing >> i & 1u) == 0) continue;
    out.stonePos[i][0] = after.stonePos[i][0];
    out.stonePos[i][1] = after.stonePos[i][1];
  }
}

double ReplyBase::evaluateResult(int32_t set, int32_t slot, const Difference& d,
                                 int side) const {
  const ResultTerms& own = terms_m[set][slot];
  const int32_t shotNum = own.shotNum;

  // Both rankings merged, when no two distances are equal: then the order is the one any sort
  // gives. Otherwise the ranking is made anew, as the evaluation makes it.
  if (own.distinct && d.addedDistinct) {
    int32_t stones[STONE_COUNT];
    double dist[STONE_COUNT], value[STONE_COUNT];
    int32_t count = 0, next = 0;
    const int32_t added = d.addedCount;
    // The next added stone's distance, or one beyond every distance.
    double nextDist = added > 0 ? d.addedRankedDist[0] : INFINITY;
    for (int32_t r = 0; r < own.rankedCount; ++r) {
      const int32_t stone = own.ranked[r];
      if ((d.differing >> stone & 1u) != 0) continue;
      const double at = own.rankedDist[r];
      while (nextDist < at) {
        stones[count] = d.addedRanked[next];
        dist[count] = nextDist;
        value[count++] = d.addedRankedValue[next];
        nextDist = ++next < added ? d.addedRankedDist[next] : INFINITY;
      }
      // An added stone exactly as far as this one: a tie, which the merge cannot order.
      if (nextDist == at) {
        count = -1;
        break;
      }
      stones[count] = stone;
      dist[count] = at;
      value[count++] = own.rankedValue[r];
    }
    if (count >= 0) {
      for (; next < added; ++next) {
        stones[count] = d.addedRanked[next];
        dist[count] = d.addedRankedDist[next];
        value[count++] = d.addedRankedValue[next];
      }
      return evaluateStandardRanked(stones, dist, value, count, shotNum, side);
    }
  }
  // The result's stones, but the differing ones as the position has them.
  StoneTerm terms[STONE_COUNT];
  uint32_t inPlay = d.addedMask;
  for (int32_t r = 0; r < own.rankedCount; ++r) {
    const int32_t stone = own.ranked[r];
    terms[stone] = StoneTerm{own.rankedDist[r], own.rankedValue[r]};
    if ((d.differing >> stone & 1u) == 0) inPlay |= 1u << stone;
  }
  for (int32_t i = 0; i < STONE_COUNT; ++i) {
    if ((d.differing >> i & 1u) != 0) terms[i] = d.addedTerms[i];
  }
  return evaluateStandardTerms(terms, inPlay, shotNum, side);
}

}  // namespace varrowmere
