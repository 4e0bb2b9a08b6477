// The search takes most replies' results from bases played once; every such result must be
// the one a simulation gives, and the answer must not depend on the search's thread count.

#include <gtest/gtest.h>

#include <cstring>

#include "physics/simulate.h"
#include "search/reply_base.h"
#include "search/search_threads.h"
#include "search/signature.h"
#include "support/start_up_tables.h"

namespace varrowmere {
namespace {

// Every 7th root shot of the draw set of spin 0 on a crowded position (moves, takeouts and
// misses alike): every reply the base allows must be what simulating it gives, and most are.
TEST(ReplyBases, ReusedRepliesAreTheSimulatedOnes) {
  testing_support::ensureStartUpTables();
  const GameState root = signaturePositions()[3].state;  // 12 stones
  SearchWorker worker;
  ReplyBase base;
  ASSERT_TRUE(base.setUp(root, 0));
  for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set) {
    const CandidateSet& which = CANDIDATE_SETS[set];
    const auto slots = static_cast<int32_t>(sampledCells(which.kind, which.spin).size());
    for (int32_t slot = 0; slot < slots; ++slot) base.play(set, slot, worker);
  }
  StoneLocus rootStones[STONE_COUNT], stones[STONE_COUNT];
  int32_t rootCount = 0, count = 0, reused = 0, replies = 0;
  loadStones(root, rootStones, rootCount);
  const std::vector<int32_t>& cells = sampledCells(GridKind::Draw, 0);
  for (std::size_t c = 0; c < cells.size(); c += 7) {
    GameState after;
    simulateShot(worker.world, gridTable(GridKind::Draw, 0).loci[cells[c]].locus, rootStones,
                 rootCount, root, after);
    loadStones(after, stones, count);
    const ReplyBase::Difference difference = base.compare(after);
    for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set) {
      const CandidateSet& which = CANDIDATE_SETS[set];
      const std::vector<int32_t>& sampled = sampledCells(which.kind, which.spin);
      for (int32_t slot = 0; slot < static_cast<int32_t>(sampled.size()); ++slot) {
        const int32_t index = sampled[slot];
        ++replies;
        if (!base.reusable(set, slot, difference)) continue;
        ++reused;
        GameState taken, simulated;
        base.result(set, slot, difference, after, taken);
        simulateShot(worker.world, gridTable(which.kind, which.spin).loci[index].locus, stones,
                     count, after, simulated);
        ASSERT_EQ(taken.shotNum, simulated.shotNum);
        ASSERT_EQ(0,
                  std::memcmp(taken.stonePos, simulated.stonePos, sizeof(float[2]) * taken.shotNum))
            << "root cell " << cells[c] << ", reply " << set << "/" << index;
        EXPECT_EQ(base.evaluateResult(set, slot, difference, (taken.shotNum + 1) % 2),
                  evaluateStandard(simulated, (simulated.shotNum + 1) % 2));
      }
    }
  }
  EXPECT_GT(reused, replies / 2);

  // The root's shot resting exactly on stone 0: where a reply leaves stone 0 alone, the two
  // are equally far from the tee, which the merged rankings cannot order.
  GameState tie = root;
  tie.shotNum = root.shotNum + 1;
  tie.whiteToMove = !root.whiteToMove;
  tie.stonePos[root.shotNum][0] = root.stonePos[0][0];
  tie.stonePos[root.shotNum][1] = root.stonePos[0][1];
  const ReplyBase::Difference tied = base.compare(tie);
  int32_t ties = 0;
  for (int32_t slot = 0; slot < static_cast<int32_t>(cells.size()); ++slot) {
    if (!base.reusable(0, slot, tied)) continue;
    GameState taken;
    base.result(0, slot, tied, tie, taken);
    const int side = (taken.shotNum + 1) % 2;
    EXPECT_EQ(base.evaluateResult(0, slot, tied, side), evaluateStandard(taken, side)) << slot;
    ties += std::memcmp(taken.stonePos[0], root.stonePos[0], sizeof(float[2])) == 0 ? 1 : 0;
  }
  EXPECT_GT(ties, 0);
}

// The same top-level cells with one and with five threads (the signature test pins two).
TEST(ReplyBases, ThreadCountChangesNothing) {
  testing_support::ensureStartUpTables();
  const std::vector<SignaturePosition> fourStones = {signaturePositions()[1]};
  setSearchThreads(1);
  const Signatures one = searchSignatures(2, fourStones);
  setSearchThreads(5);
  const Signatures five = searchSignatures(2, fourStones);
  setSearchThreads(DEFAULT_SEARCH_THREADS);
  EXPECT_TRUE(one.choice == five.choice && one.cells == five.cells);
}

}  // namespace
}  // namespace varrowmere
