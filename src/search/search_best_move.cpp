#include "search/search_best_move.h"

#include <algorithm>
#include <cstdlib>

#include "physics/simulate.h"
#include "search/search_worker.h"
#include "tables/message.h"

namespace varrowmere {

void SearchBestMove::loadPosition(const GameState& gs) {
  position_m = gs;
  loadStones(gs, stones_m, stoneCount_m);
}

void SearchBestMove::loadCandidates(const GridSpec& gridParams, const GridTable& table,
                                    const std::vector<CandidateCell>& cellTemplate) {
  topCount_m = gridParams.topCount;
  countX_m = table.countX;
  countY_m = table.countY;
  total_m = table.total;
  colLo_m = table.colLo;
  colHi_m = table.colHi;
  rowLo_m = table.rowLo;
  rowHi_m = table.rowHi;
  cells_m = cellTemplate;
  for (CandidateCell& cell : cells_m) {
    cell.chosen = true;
    cell.deep = true;
  }
}

void SearchBestMove::simulateCell(int32_t index, SearchWorker& worker) {
  CandidateCell& cell = cells_m[index];
  if (cell.simulated) return;
  simulateShot(worker.world, cell.locus->locus, stones_m, stoneCount_m, position_m, cell.after);
  cell.simulated = true;
  ++worker.simulated;
}

void SearchBestMove::evaluateCell(int32_t index, int32_t depth, const ReplyBase* base,
                                  SearchWorker& worker) {
  simulateCell(index, worker);
  CandidateCell& cell = cells_m[index];
  // From the view of the player of this cell's shot.
  cell.value = cellValue(cell.after, depth, base, worker, 0);
}

double SearchBestMove::finishBest(ShotVector& shot, bool everyCellValued) {
  for (CandidateCell& cell : cells_m) {
    if (!cell.sampled && !everyCellValued) cell.value = cells_m[cell.representative].value;
  }
  std::vector<int32_t> best;
  pickBest(best, false);
  const CandidateCell& cell = cells_m[best[0]];
  const StoneLocus& delivered = cell.locus->locus;
  shot.vx = delivered.shot[0];
  shot.vy = delivered.shot[1];
  shot.spin = delivered.spin != 0;
  return cell.expected;
}

void SearchBestMove::setE(CandidateCell& cell) {
  switch (pruningType_m) {
    case PRUNING_TYPE_NONE: {
      double expected = 0.0;
      for (const auto& [index, weight] : cell.locus->neighbours)
        expected += weight * cells_m[index].value;
      cell.expected = expected;
      break;
    }
    default:
      showMessage(MSG_ERROR, CAPTION_SET_E);
      std::exit(0);
  }
}

void SearchBestMove::pickBest(std::vector<int32_t>& best, bool allCells) {
  best.assign(static_cast<std::size_t>(std::max(topCount_m, 1)), 0);
  double bestValue = VALUE_NONE;
  for (int32_t row = rowLo_m; row <= rowHi_m; ++row) {
    for (int32_t column = colLo_m; column <= colHi_m; ++column) {
      const int32_t index = countX_m * row + column;
      CandidateCell& cell = cells_m[index];
      if (!allCells && !cell.chosen) continue;
      setE(cell);
      if (cell.expected > bestValue) {
        bestValue = cell.expected;
        best[0] = index;
      }
    }
  }
}

}  // namespace varrowmere
