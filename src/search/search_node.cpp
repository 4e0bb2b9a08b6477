#include "search/search_node.h"

#include <algorithm>

namespace varrowmere {

int32_t firstGreatest(const double* values, int32_t count) {
  int32_t chosen = 0;
  for (int32_t i = 1; i < count; ++i) {
    if (values[i] > values[chosen]) chosen = i;
  }
  return chosen;
}

const std::vector<CandidateCell>& SearchNode::cells(int32_t set) const {
  // Searcher slots are draw 0, draw 1, hit 0, hit 1; results go draw 0, hit 0, draw 1, hit 1.
  static constexpr int32_t SLOT_OF_SET[SEARCHERS_PER_NODE] = {0, 2, 1, 3};
  return searchers_m[SLOT_OF_SET[set]].cells();
}

double SearchNode::search(const GameState& gs, int32_t depth, ShotVector& best) {
  depth = std::max(depth, 1);
  for (SearchBestMove& searcher : searchers_m) searcher.loadPosition(gs);

  // Results in the order (draw, spin 0), (hit, spin 0), (draw, spin 1), (hit, spin 1).
  double values[SEARCHERS_PER_NODE];
  ShotVector shots[SEARCHERS_PER_NODE];
  int32_t found = 0;
  for (int spin = 0; spin < 2; ++spin) {
    SearchBestMove& draw = searchers_m[spin];
    draw.loadCandidates(gridSpec(GridKind::Draw), gridTable(GridKind::Draw, spin),
                         cellTemplate(GridKind::Draw, spin));
    values[found] = draw.searchBest(shots[found], depth - 1);
    ++found;
    SearchBestMove& hit = searchers_m[2 + spin];
    hit.loadCandidates(gridSpec(GridKind::Hit), gridTable(GridKind::Hit, spin),
                        cellTemplate(GridKind::Hit, spin));
    values[found] = hit.searchBest(shots[found], depth - 1);
    ++found;
  }

  const int32_t chosen = firstGreatest(values, found);
  best = shots[chosen];
  return values[chosen];
}

}  // namespace varrowmere
