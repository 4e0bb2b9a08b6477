#include "search/search_best_move.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "physics/simulate.h"
#include "search/end_score.h"
#include "search/evaluate_switch.h"
#include "search/search_node.h"
#include "tables/message.h"

namespace varrowmere {

namespace {

// Summed once per worker block, so the counting costs nothing per simulation.
std::atomic<uint64_t> simulations{0};

}  // namespace

uint64_t SearchBestMove::simulationCount() { return simulations.load(std::memory_order_relaxed); }

SearchBestMove::SearchBestMove() {
  for (auto& world : worlds_m) world = std::make_unique<SimWorld>();
}

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
}

double SearchBestMove::searchBest(ShotVector& shot, int32_t depth) {
  for (CandidateCell& cell : cells_m) {
    cell.chosen = true;
    cell.deep = true;
  }
  launchWorkers(depth, false, EVALUATION_TYPE_DEFAULT);

  std::vector<int32_t> best;
  pickBest(best, false);
  const CandidateCell& cell = cells_m[best[0]];
  const StoneLocus& delivered = cell.locus->locus;
  shot.vx = delivered.shot[0];
  shot.vy = delivered.shot[1];
  shot.spin = delivered.spin != 0;
  return cell.expected;
}

void SearchBestMove::launchWorkers(int32_t depth, bool deepOnly, int32_t evaluationType) {
  const auto chunk = static_cast<int32_t>(std::ceil(countX_m * columnShare()));
  // Column blocks of chunk columns, one per worker slot. The calling thread works on the
  // first block itself while a new thread takes the second: two workers, one thread start.
  int32_t blocks = 0;
  int32_t first[SEARCH_WORKER_SLOTS], last[SEARCH_WORKER_SLOTS];
  for (int32_t block = 0; block < SEARCH_WORKER_SLOTS && chunk > 0; ++block) {
    first[block] = block * chunk;
    if (first[block] >= countX_m) break;
    last[block] = std::min((block + 1) * chunk - 1, countX_m - 1);
    ++blocks;
  }
  std::thread second;
  if (blocks > 1) {
    second = std::thread(&SearchBestMove::evaluateRange, this, depth, deepOnly, first[1], last[1],
                         0, countY_m - 1, 1, evaluationType);
  }
  if (blocks > 0) evaluateRange(depth, deepOnly, first[0], last[0], 0, countY_m - 1, 0, evaluationType);
  if (second.joinable()) second.join();

  for (CandidateCell& cell : cells_m) {
    if (!cell.sampled) cell.value = cells_m[cell.representative].value;
  }
}

void SearchBestMove::evaluateRange(int32_t depth, bool deepOnly, int32_t colFirst,
                                   int32_t colLast, int32_t rowFirst, int32_t rowLast,
                                   int32_t slot, int32_t evaluationType) {
  SimWorld& world = *worlds_m[slot];
  uint64_t simulated = 0;
  // One node for all the cells of this block that search deeper: every search reloads the
  // node's position and cells, and the worlds keep nothing from one collision to the next.
  std::unique_ptr<SearchNode> node;
  for (int32_t row = rowFirst; row <= rowLast; ++row) {
    for (int32_t column = colFirst; column <= colLast; ++column) {
      CandidateCell& cell = cells_m[countX_m * row + column];
      if ((deepOnly && !cell.deep) || !cell.sampled) continue;
      if (!cell.simulated) {
        simulateShot(world, cell.locus->locus, stones_m, stoneCount_m, position_m, cell.after);
        cell.simulated = true;
        ++simulated;
      }
      // Values are from the view of the player of this cell's shot: the end is over only
      // after shot 15, which side 1 plays; deeper, the opponent's best reply is negated.
      if (cell.after.shotNum == STONE_COUNT) {
        cell.value = endScoreOfPosition(cell.after, 1);
      } else if (depth == 0) {
        cell.value = switchEvaluate(cell.after, evaluationType);
      } else {
        ShotVector reply;
        if (!node) node = std::make_unique<SearchNode>();
        cell.value = -node->search(cell.after, depth, reply);
      }
    }
  }
  simulations.fetch_add(simulated, std::memory_order_relaxed);
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
