#include "search/search_node.h"

#include <algorithm>

#include "search/search_threads.h"

namespace varrowmere {

namespace {

// Searcher slots are draw 0, draw 1, hit 0, hit 1; results go draw 0, hit 0, draw 1, hit 1.
constexpr int32_t SLOT_OF_SET[SEARCHERS_PER_NODE] = {0, 2, 1, 3};

struct CellJob {
  int32_t set;
  int32_t index;
};

}  // namespace

int32_t firstGreatest(const double* values, int32_t count) {
  int32_t chosen = 0;
  for (int32_t i = 1; i < count; ++i) {
    if (values[i] > values[chosen]) chosen = i;
  }
  return chosen;
}

const std::vector<CandidateCell>& SearchNode::cells(int32_t set) const {
  return searchers_m[SLOT_OF_SET[set]].cells();
}

double SearchNode::search(const GameState& gs, int32_t depth, ShotVector& best) {
  depth = std::max(depth, 1);
  SearchThreads& threads = searchThreads();

  std::vector<CellJob> jobs;
  for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set) {
    const CandidateSet& which = CANDIDATE_SETS[set];
    SearchBestMove& searcher = searchers_m[SLOT_OF_SET[set]];
    searcher.loadPosition(gs);
    searcher.loadCandidates(gridSpec(which.kind), gridTable(which.kind, which.spin),
                            cellTemplate(which.kind, which.spin));
    for (const int32_t index : sampledCells(which.kind, which.spin)) jobs.push_back({set, index});
  }

  // The replies on the root's base, when a reply ply follows.
  threads.base.clear();
  if (depth >= 2) threads.base.prepare(gs, threads.pool, threads.workers);
  const ReplyBase* base = threads.base.ready() ? &threads.base : nullptr;

  threads.pool.run(static_cast<int32_t>(jobs.size()), [&](int32_t j, int32_t worker) {
    searchers_m[SLOT_OF_SET[jobs[j].set]].evaluateCell(jobs[j].index, depth - 1, base,
                                                       threads.workers[worker]);
  });
  collectSearchCounts(threads);

  double values[SEARCHERS_PER_NODE];
  ShotVector shots[SEARCHERS_PER_NODE];
  for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set)
    values[set] = searchers_m[SLOT_OF_SET[set]].finishBest(shots[set]);
  const int32_t chosen = firstGreatest(values, CANDIDATE_SET_COUNT);
  best = shots[chosen];
  return values[chosen];
}

}  // namespace varrowmere
