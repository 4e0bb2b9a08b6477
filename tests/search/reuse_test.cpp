// The search takes most replies' results from bases played once; every such result must be
// the one a simulation gives, and the search's answer must not depend on its thread count.

#include <gtest/gtest.h>

#include <cstring>

#include "physics/simulate.h"
#include "search/reply_base.h"
#include "search/search_node.h"
#include "search/search_threads.h"
#include "search/signature.h"
#include "support/start_up_tables.h"

namespace varrowmere {
namespace {

// For every root shot of a crowded position, every reply the base allows must be what
// simulating it gives; and most replies must be allowed (the point of the bases).
TEST(ReplyBases, ReusedRepliesAreTheSimulatedOnes) {
  testing_support::ensureStartUpTables();
  const GameState root = signaturePositions()[3].state;  // 12 stones
  SearchWorker worker;
  ReplyBase base;
  ASSERT_TRUE(base.setUp(root, 0));
  for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set) {
    const CandidateSet& which = CANDIDATE_SETS[set];
    for (const int32_t index : sampledCells(which.kind, which.spin)) base.play(set, index, worker);
  }
  StoneLocus rootStones[STONE_COUNT], stones[STONE_COUNT];
  int32_t rootCount = 0, count = 0;
  loadStones(root, rootStones, rootCount);
  int64_t reused = 0, replies = 0;
  // Every 7th root shot of the draw set of spin 0: moves, takeouts and misses alike.
  const std::vector<int32_t>& cells = sampledCells(GridKind::Draw, 0);
  for (std::size_t c = 0; c < cells.size(); c += 7) {
    GameState after;
    simulateShot(worker.world, gridTable(GridKind::Draw, 0).loci[cells[c]].locus, rootStones,
                 rootCount, root, after);
    loadStones(after, stones, count);
    const ReplyBase::Difference difference = base.compare(after);
    for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set) {
      const CandidateSet& which = CANDIDATE_SETS[set];
      for (const int32_t index : sampledCells(which.kind, which.spin)) {
        ++replies;
        if (!base.reusable(set, index, difference)) continue;
        ++reused;
        GameState taken, simulated;
        base.result(set, index, difference, after, taken);
        simulateShot(worker.world, gridTable(which.kind, which.spin).loci[index].locus, stones,
                     count, after, simulated);
        ASSERT_EQ(taken.shotNum, simulated.shotNum);
        ASSERT_EQ(std::memcmp(taken.stonePos, simulated.stonePos,
                              sizeof(float) * 2 * static_cast<std::size_t>(taken.shotNum)),
                  0)
            << "root cell " << cells[c] << ", reply " << set << "/" << index;
        const double fast = base.evaluateResult(set, index, difference, taken.shotNum % 2 ^ 1);
        EXPECT_EQ(fast, evaluateStandard(simulated, (simulated.shotNum + 1) % 2));
      }
    }
  }
  EXPECT_GT(reused, replies / 2);
}

// The same shot, value and top-level cells with one, two and five threads.
TEST(ReplyBases, ThreadCountChangesNothing) {
  testing_support::ensureStartUpTables();
  std::vector<SignaturePosition> fourStones = {signaturePositions()[1]};
  Signatures expected;
  for (const int32_t threads : {1, 2, 5}) {
    setSearchThreads(threads);
    const Signatures got = searchSignatures(2, fourStones);
    if (threads == 1) {
      expected = got;
      continue;
    }
    EXPECT_EQ(got.choice, expected.choice) << threads << " threads";
    EXPECT_EQ(got.cells, expected.cells) << threads << " threads";
  }
  setSearchThreads(DEFAULT_SEARCH_THREADS);
}

}  // namespace
}  // namespace varrowmere
