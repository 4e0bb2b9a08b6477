#pragma once
// The search's threads: a pool started at the first search and kept for the process, the
// per-thread state of each of its workers, and the replies played on the root's base.
// Used by the root search on the reader thread (one search at a time).

#include <cstdint>
#include <memory>
#include <vector>

#include "search/reply_base.h"
#include "search/search_worker.h"
#include "search/worker_pool.h"

namespace varrowmere {

// Threads of a search unless set otherwise: the two workers the search always had.
inline constexpr int32_t DEFAULT_SEARCH_THREADS = 2;

// Sets the number of search threads (0: one per hardware thread; the default is
// DEFAULT_SEARCH_THREADS). The choice of shot never depends on it. Call while no search runs;
// the threads are started anew at the next search.
void setSearchThreads(int32_t threads);
// The number of threads the next search uses.
int32_t searchThreadCount();

struct SearchThreads {
  explicit SearchThreads(int32_t threads);

  WorkerPool pool;
  std::vector<SearchWorker> workers;  // one per pool worker
  // The bases of the root's replies: bases[0] has all the root's stones; kept from one search
  // to the next so that their storage is reused.
  std::vector<std::unique_ptr<ReplyBase>> bases;
};

// Starts the threads on first use (or after setSearchThreads).
SearchThreads& searchThreads();

// simulateShot calls and reused results of every search of the process so far, as of the last
// finished parallel job (for benchmarks and tests).
uint64_t searchSimulationCount();
uint64_t searchReuseCount();
// Adds the workers' counts to the process totals and clears them; after each parallel job.
void collectSearchCounts(SearchThreads& threads);

}  // namespace varrowmere
