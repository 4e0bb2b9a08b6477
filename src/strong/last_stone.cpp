#include "strong/last_stone.h"

#include <cmath>

#include "candidates/candidates.h"
#include "physics/motion.h"
#include "physics/simulate.h"
#include "platform/shot_maker.h"
#include "search/search_threads.h"

namespace varrowmere {

void lastStoneExpected(const GameState& gs, std::vector<double> (&expected)[4]) {
  StoneLocus stones[STONE_COUNT];
  int32_t count = 0;
  loadStones(gs, stones, count);
  SearchThreads& threads = searchThreads();
  for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set) {
    const GridTable& table = gridTable(CANDIDATE_SETS[set].kind, CANDIDATE_SETS[set].spin);
    std::vector<double> values(table.loci.size());
    threads.pool.run(static_cast<int32_t>(values.size()), [&](int32_t i, int32_t worker) {
      SearchWorker& w = threads.workers[worker];
      GameState after = gs;
      simulateShot(w.world, table.loci[i].locus, stones, count, gs, after);
      ++w.simulated;
      values[i] = cellValue(after, 0, nullptr, w, 0);
    });
    expected[set].assign(values.size(), 0.0);
    for (std::size_t i = 0; i < values.size(); ++i) {
      for (const auto& [index, weight] : table.loci[i].neighbours)
        expected[set][i] += weight * values[index];
    }
  }
  collectSearchCounts(threads);
}

void lastStoneHits(const GameState& gs, std::vector<ShotVector>& hits) {
  hits.clear();
  for (int32_t i = 0; i < gs.shotNum && i < STONE_COUNT; ++i) {
    if (!stoneInPlay(gs, i)) continue;
    const double dx = gs.stonePos[i][0] - TEE_X, dy = gs.stonePos[i][1] - TEE_Y;
    if (!(dx * dx + dy * dy <= LAST_STONE_HIT_REACH * LAST_STONE_HIT_REACH)) continue;
    for (const bool spin : {false, true}) {
      for (const float offset : LAST_STONE_HIT_OFFSETS) {
        for (const float power : LAST_STONE_HIT_POWERS) {
          const ShotTarget target{gs.stonePos[i][0] + offset, gs.stonePos[i][1], spin};
          ShotVector shot;
          if (CreateHitShot(target, power, &shot)) hits.push_back(shot);
        }
      }
    }
  }
}

}  // namespace varrowmere
