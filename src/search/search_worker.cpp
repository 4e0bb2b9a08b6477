#include "search/search_worker.h"

#include "physics/simulate.h"
#include "search/end_score.h"
#include "search/evaluate_switch.h"
#include "search/reply_base.h"
#include "search/search_node.h"

namespace varrowmere {

ReplySearch& SearchWorker::ply(int32_t p) {
  while (static_cast<int32_t>(plies.size()) <= p) plies.push_back(std::make_unique<ReplySearch>());
  return *plies[p];
}

double cellValue(const GameState& after, int32_t depth, const ReplyBase* base,
                 SearchWorker& worker, int32_t ply) {
  // The end is over only after shot 15, which side 1 plays.
  if (after.shotNum == STONE_COUNT) return endScoreOfPosition(after, 1);
  if (depth == 0) return switchEvaluate(after, EVALUATION_TYPE_DEFAULT);
  return -worker.ply(ply).value(after, depth, base, worker, ply);
}

double bestExpectedValue(const std::vector<CandidateCell>& cells, const double* values) {
  double best = VALUE_NONE;
  bool found = false;
  double first = VALUE_NONE;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    // The same sum, in the same order, as SearchBestMove::setE.
    double expected = 0.0;
    for (const auto& [index, weight] : cells[i].locus->neighbours) expected += weight * values[index];
    if (i == 0) first = expected;
    if (expected > best) {
      best = expected;
      found = true;
    }
  }
  // With no cell above "nothing yet", the choice stays on the first cell.
  return found ? best : first;
}

double ReplySearch::value(const GameState& position, int32_t depth, const ReplyBase* base,
                          SearchWorker& worker, int32_t ply) {
  loadStones(position, stones_m, stoneCount_m);
  ReplyBase::Difference difference;
  if (base != nullptr) difference = base->compare(position);

  double setValues[CANDIDATE_SET_COUNT];
  for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set) {
    const CandidateSet& which = CANDIDATE_SETS[set];
    const GridTable& table = gridTable(which.kind, which.spin);
    const std::vector<CandidateCell>& cells = cellTemplate(which.kind, which.spin);
    std::vector<double>& values = values_m[set];
    values.resize(cells.size());
    for (const int32_t index : sampledCells(which.kind, which.spin)) {
      if (base != nullptr && base->reusable(set, index, difference)) {
        ++worker.reused;
        // The standard evaluation straight from the stones' terms, when it is what counts.
        if (depth == 1 && !timeShort && position.shotNum + 1 < STONE_COUNT) {
          values[index] = base->evaluateResult(set, index, difference, (position.shotNum + 2) % 2);
          continue;
        }
        base->result(set, index, difference, position, after_m);
      } else {
        simulateShot(worker.world, table.loci[index].locus, stones_m, stoneCount_m, position,
                     after_m);
        ++worker.simulated;
      }
      values[index] = cellValue(after_m, depth - 1, nullptr, worker, ply + 1);
    }
    for (const CandidateCell& cell : cells) {
      if (!cell.sampled) values[cell.index] = values[cell.representative];
    }
    setValues[set] = bestExpectedValue(cells, values.data());
  }
  return setValues[firstGreatest(setValues, CANDIDATE_SET_COUNT)];
}

}  // namespace varrowmere
