#include "search/search_worker.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

namespace {

// A neighbour-weighted sum differs from the exact weighted mean of its values by rounding
// only, far less than this share of the largest value (plus one, for values near zero).
constexpr double EXPECTED_SLACK = 1e-9;
// Values beyond this are not bounded by row; the sums are then all taken.
constexpr double BOUNDED_VALUE = 1e30;

// The neighbour-weighted sum of one cell, in list order from 0.0.
double expectedOf(const CandidateCell& cell, const double* values) {
  double expected = 0.0;
  for (const auto& [index, weight] : cell.locus->neighbours) expected += weight * values[index];
  return expected;
}

// Every sum taken: the first greatest in index order, as pickBest finds it.
double bestOfAll(const std::vector<CandidateCell>& cells, const double* values) {
  double best = VALUE_NONE;
  bool found = false;
  double first = VALUE_NONE;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const double expected = expectedOf(cells[i], values);
    if (i == 0) first = expected;
    if (expected > best) {
      best = expected;
      found = true;
    }
  }
  // With no cell above "nothing yet", the choice stays on the first cell.
  return found ? best : first;
}

}  // namespace

double bestExpectedValue(const GridTable& table, const std::vector<CandidateCell>& cells,
                         const double* values, std::vector<double>& rowScratch,
                         std::vector<int32_t>& rowOrder) {
  const int32_t countX = table.countX, countY = table.countY;
  if (countX <= 0 || countY <= 0 ||
      table.neighbourRowFirst.size() != static_cast<std::size_t>(countY))
    return bestOfAll(cells, values);

  // Per row: its greatest value; then, per row, the greatest value among its neighbour rows
  // bounds every sum of that row (weights are positive and sum to 1).
  rowScratch.resize(2 * static_cast<std::size_t>(countY));
  double* rowMax = rowScratch.data();
  double* bound = rowMax + countY;
  double largest = 0.0;
  for (int32_t row = 0; row < countY; ++row) {
    double m = -BOUNDED_VALUE;
    for (int32_t column = 0; column < countX; ++column) {
      const double v = values[row * countX + column];
      // Negated on purpose: a value that is not a number fails too.
      if (!(std::fabs(v) < BOUNDED_VALUE)) return bestOfAll(cells, values);
      m = std::max(m, v);
      largest = std::max(largest, std::fabs(v));
    }
    rowMax[row] = m;
  }
  for (int32_t row = 0; row < countY; ++row) {
    double m = -BOUNDED_VALUE;
    for (int32_t r = table.neighbourRowFirst[row]; r <= table.neighbourRowLast[row]; ++r)
      m = std::max(m, rowMax[r]);
    bound[row] = m;
  }
  const double slack = EXPECTED_SLACK * (largest + 1.0);

  // The rows with the greatest bound first: the best sum is usually met early, and the rest
  // fall below it. Only the value counts here, so the order does not matter otherwise.
  rowOrder.resize(static_cast<std::size_t>(countY));
  for (int32_t row = 0; row < countY; ++row) {
    int32_t at = row;
    while (at > 0 && bound[rowOrder[at - 1]] < bound[row]) {
      rowOrder[at] = rowOrder[at - 1];
      --at;
    }
    rowOrder[at] = row;
  }
  double best = VALUE_NONE;
  for (const int32_t row : rowOrder) {
    if (bound[row] + slack <= best) break;
    for (int32_t column = 0; column < countX; ++column)
      best = std::max(best, expectedOf(cells[row * countX + column], values));
  }
  return best;
}

namespace {

// The standard evaluation of `after`, a position one shot after `before`, taking the terms of
// stones that did not move from beforeTerms.
double evaluateAfter(const GameState& after, const GameState& before,
                     const StoneTerm* beforeTerms) {
  StoneTerm terms[STONE_COUNT];
  uint32_t inPlay = 0;
  const int32_t thrown = thrownStoneCount(after);
  for (int32_t i = 0; i < thrown; ++i) {
    if (!stoneInPlay(after, i)) continue;
    inPlay |= 1u << i;
    const bool unmoved = i < before.shotNum && stoneInPlay(before, i) &&
                         std::memcmp(after.stonePos[i], before.stonePos[i],
                                     sizeof(after.stonePos[i])) == 0;
    terms[i] = unmoved ? beforeTerms[i]
                       : standardStoneTerm(after.stonePos[i][0], after.stonePos[i][1]);
  }
  return evaluateStandardTerms(terms, inPlay, after.shotNum, (after.shotNum + 1) % 2);
}

}  // namespace

double ReplySearch::value(const GameState& position, int32_t depth, const ReplyBase* base,
                          SearchWorker& worker, int32_t ply) {
  loadStones(position, stones_m, stoneCount_m);
  // Static values by the standard evaluation, from stone terms where they are known.
  const bool standardLeaves = depth == 1 && !timeShort;
  if (standardLeaves) {
    for (int32_t i = 0; i < thrownStoneCount(position); ++i) {
      if (stoneInPlay(position, i))
        positionTerms_m[i] = standardStoneTerm(position.stonePos[i][0], position.stonePos[i][1]);
    }
  }
  ReplyBase::Difference difference;
  if (base != nullptr) difference = base->compare(position);

  double setValues[CANDIDATE_SET_COUNT];
  for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set) {
    const CandidateSet& which = CANDIDATE_SETS[set];
    const GridTable& table = gridTable(which.kind, which.spin);
    const std::vector<CandidateCell>& cells = cellTemplate(which.kind, which.spin);
    std::vector<double>& values = values_m[set];
    values.resize(cells.size());
    const std::vector<int32_t>& sampled = sampledCells(which.kind, which.spin);
    const auto slots = static_cast<int32_t>(sampled.size());
    for (int32_t slot = 0; slot < slots; ++slot) {
      const int32_t index = sampled[slot];
      // The next cell's records lie elsewhere in memory: asked for while this cell is done.
      if (base != nullptr && slot + 1 < slots) base->prefetch(set, slot + 1);
      // The delivered stone's first predictions, by stone, where they are known: the check
      // makes them against the added stones.
      int32_t knownFirst[STONE_COUNT];
      if (base != nullptr && base->reusable(set, slot, difference, knownFirst)) {
        ++worker.reused;
        // The standard evaluation straight from the stones' terms, when it is what counts.
        if (standardLeaves && position.shotNum + 1 < STONE_COUNT) {
          values[index] = base->evaluateResult(set, slot, difference, (position.shotNum + 2) % 2);
          continue;
        }
        base->result(set, slot, difference, position, after_m);
      } else {
        const StoneLocus& shot = table.loci[index].locus;
        if (base != nullptr && difference.comparable) {
          // The stones the root's shot left alone meet the reply first as on the base.
          base->knownFirstContacts(set, slot, difference, knownFirst);
          simulateShot(worker.world, shot, stones_m, stoneCount_m, position, after_m, knownFirst);
        } else {
          simulateShot(worker.world, shot, stones_m, stoneCount_m, position, after_m);
        }
        ++worker.simulated;
        if (standardLeaves && after_m.shotNum < STONE_COUNT) {
          values[index] = evaluateAfter(after_m, position, positionTerms_m);
          continue;
        }
      }
      values[index] = cellValue(after_m, depth - 1, nullptr, worker, ply + 1);
    }
    for (const auto& [index, representative] : representedCells(which.kind, which.spin))
      values[index] = values[representative];
    setValues[set] = bestExpectedValue(table, cells, values.data(), rowScratch_m, rowOrder_m);
  }
  return setValues[firstGreatest(setValues, CANDIDATE_SET_COUNT)];
}

}  // namespace varrowmere
