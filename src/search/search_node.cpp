#include "search/search_node.h"

#include <algorithm>
#include <cstring>

#include "search/search_threads.h"

namespace varrowmere {

namespace {

// Searcher slots are draw 0, draw 1, hit 0, hit 1; results go draw 0, hit 0, draw 1, hit 1.
constexpr int32_t SLOT_OF_SET[SEARCHERS_PER_NODE] = {0, 2, 1, 3};

// The root's stones in play that `after` has elsewhere (bit i: stone i).
uint32_t movedStones(const GameState& root, const GameState& after) {
  uint32_t moved = 0;
  for (int32_t i = 0; i < root.shotNum && i < STONE_COUNT; ++i) {
    if (stoneInPlay(root, i) &&
        std::memcmp(root.stonePos[i], after.stonePos[i], sizeof(root.stonePos[i])) != 0)
      moved |= 1u << i;
  }
  return moved;
}

}  // namespace

// One root cell: its candidate set, its index, and the base its replies come from.
struct SearchNode::CellJob {
  int32_t set;
  int32_t index;
  int32_t base;  // index into SearchThreads::bases, or -1 for none
};

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

void SearchNode::prepareBases(const GameState& gs, std::vector<CellJob>& jobs) {
  SearchThreads& threads = searchThreads();
  for (auto& base : threads.bases) base->clear();

  // The root's shots first: which stones each moves decides the base it takes its replies from.
  threads.pool.run(static_cast<int32_t>(jobs.size()), [&](int32_t j, int32_t worker) {
    searchers_m[SLOT_OF_SET[jobs[j].set]].simulateCell(jobs[j].index, threads.workers[worker]);
  });
  if (gs.shotNum < 0 || gs.shotNum + 1 >= STONE_COUNT) return;
  std::vector<std::pair<uint32_t, int32_t>> counts;  // moved stones, cells
  std::vector<uint32_t> moved(jobs.size());
  for (std::size_t j = 0; j < jobs.size(); ++j) {
    const SearchBestMove& searcher = searchers_m[SLOT_OF_SET[jobs[j].set]];
    moved[j] = movedStones(gs, searcher.cells()[jobs[j].index].after);
    auto found = std::find_if(counts.begin(), counts.end(),
                              [&](const auto& entry) { return entry.first == moved[j]; });
    if (found == counts.end()) {
      counts.emplace_back(moved[j], 1);
    } else {
      ++found->second;
    }
  }
  // The root's own base, then the most shared sets of moved stones.
  std::stable_sort(counts.begin(), counts.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  std::vector<uint32_t> without = {0};
  for (const auto& [stones, cells] : counts) {
    if (static_cast<int32_t>(without.size()) > MAX_EXTRA_BASES) break;
    if (stones != 0 && cells >= CELLS_PER_EXTRA_BASE) without.push_back(stones);
  }
  while (threads.bases.size() < without.size()) threads.bases.push_back(std::make_unique<ReplyBase>());

  // Every base's replies in one job; a reply is named by its slot in its set's sampled cells.
  struct ReplyJob {
    int32_t set;
    int32_t slot;
    int32_t base;
  };
  std::vector<ReplyJob> replies;
  for (std::size_t b = 0; b < without.size(); ++b) {
    if (!threads.bases[b]->setUp(gs, without[b])) continue;
    for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set) {
      const CandidateSet& which = CANDIDATE_SETS[set];
      const auto slots = static_cast<int32_t>(sampledCells(which.kind, which.spin).size());
      for (int32_t slot = 0; slot < slots; ++slot)
        replies.push_back({set, slot, static_cast<int32_t>(b)});
    }
  }
  threads.pool.run(static_cast<int32_t>(replies.size()), [&](int32_t j, int32_t worker) {
    threads.bases[replies[j].base]->play(replies[j].set, replies[j].slot, threads.workers[worker]);
  });

  for (std::size_t j = 0; j < jobs.size(); ++j) {
    const auto own = std::find(without.begin(), without.end(), moved[j]);
    const auto b = static_cast<std::size_t>(own != without.end() ? own - without.begin() : 0);
    jobs[j].base = threads.bases[b]->ready() ? static_cast<int32_t>(b)
                                             : (threads.bases[0]->ready() ? 0 : -1);
  }
}

void SearchNode::findSamePositions(const std::vector<CellJob>& jobs,
                                   std::vector<int32_t>& sameAs) const {
  const auto afterOf = [&](std::size_t j) -> const GameState& {
    return searchers_m[SLOT_OF_SET[jobs[j].set]].cells()[jobs[j].index].after;
  };
  // What the search reads of a position: its shot number, who is to play and the stones
  // thrown; equal bytes give equal values.
  const auto same = [&](const GameState& a, const GameState& b) {
    return a.shotNum == b.shotNum && a.whiteToMove == b.whiteToMove && a.shotNum >= 0 &&
           a.shotNum <= STONE_COUNT &&
           std::memcmp(a.stonePos, b.stonePos,
                       sizeof(a.stonePos[0]) * static_cast<std::size_t>(a.shotNum)) == 0;
  };
  std::vector<std::pair<uint64_t, int32_t>> keys(jobs.size());
  for (std::size_t j = 0; j < jobs.size(); ++j) {
    const GameState& after = afterOf(j);
    uint64_t hash = 1469598103934665603ull ^ static_cast<uint64_t>(after.shotNum);
    const std::size_t thrown = after.shotNum < 0 ? 0 : std::min(after.shotNum, STONE_COUNT);
    const auto* bytes = reinterpret_cast<const unsigned char*>(after.stonePos);
    for (std::size_t b = 0; b < sizeof(after.stonePos[0]) * thrown; ++b)
      hash = (hash ^ bytes[b]) * 1099511628211ull;
    keys[j] = {hash, static_cast<int32_t>(j)};
  }
  std::sort(keys.begin(), keys.end());
  for (std::size_t k = 1; k < keys.size(); ++k) {
    if (keys[k].first != keys[k - 1].first) continue;
    // The first job of the run of equal hashes that holds the same position.
    for (std::size_t r = k; r-- > 0 && keys[r].first == keys[k].first;) {
      const int32_t earlier = sameAs[keys[r].second];
      if (same(afterOf(keys[k].second), afterOf(earlier))) {
        sameAs[keys[k].second] = std::min(sameAs[keys[k].second], earlier);
        break;
      }
    }
  }
}

double SearchNode::search(const GameState& gs, int32_t depth, ShotVector& best, bool everyCell) {
  depth = std::max(depth, 1);
  SearchThreads& threads = searchThreads();

  std::vector<CellJob> jobs;
  for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set) {
    const CandidateSet& which = CANDIDATE_SETS[set];
    SearchBestMove& searcher = searchers_m[SLOT_OF_SET[set]];
    searcher.loadPosition(gs);
    searcher.loadCandidates(gridSpec(which.kind), gridTable(which.kind, which.spin),
                            cellTemplate(which.kind, which.spin));
    if (everyCell) {
      for (int32_t index = 0; index < static_cast<int32_t>(searcher.cells().size()); ++index)
        jobs.push_back({set, index, -1});
    } else {
      for (const int32_t index : sampledCells(which.kind, which.spin))
        jobs.push_back({set, index, -1});
    }
  }

  // The replies on the root's bases, when a reply ply follows; root shots that leave the same
  // position (every one that misses everything and leaves play, say) are searched once.
  std::vector<int32_t> sameAs(jobs.size());
  for (std::size_t j = 0; j < jobs.size(); ++j) sameAs[j] = static_cast<int32_t>(j);
  if (depth >= 2) {
    prepareBases(gs, jobs);
    findSamePositions(jobs, sameAs);
  }
  threads.pool.run(static_cast<int32_t>(jobs.size()), [&](int32_t j, int32_t worker) {
    if (sameAs[j] != j) return;
    const CellJob& job = jobs[j];
    const ReplyBase* base = job.base >= 0 ? threads.bases[job.base].get() : nullptr;
    searchers_m[SLOT_OF_SET[job.set]].evaluateCell(job.index, depth - 1, base,
                                                   threads.workers[worker]);
  });
  collectSearchCounts(threads);
  for (std::size_t j = 0; j < jobs.size(); ++j) {
    if (sameAs[j] == static_cast<int32_t>(j)) continue;
    const CellJob& from = jobs[sameAs[j]];
    searchers_m[SLOT_OF_SET[jobs[j].set]].cells()[jobs[j].index].value =
        searchers_m[SLOT_OF_SET[from.set]].cells()[from.index].value;
  }

  double values[SEARCHERS_PER_NODE];
  ShotVector shots[SEARCHERS_PER_NODE];
  for (int32_t set = 0; set < CANDIDATE_SET_COUNT; ++set)
    values[set] = searchers_m[SLOT_OF_SET[set]].finishBest(shots[set], everyCell);
  const int32_t chosen = firstGreatest(values, CANDIDATE_SET_COUNT);
  best = shots[chosen];
  return values[chosen];
}

}  // namespace varrowmere
