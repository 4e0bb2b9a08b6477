#include "search/search_threads.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "driver/game_state.h"

namespace varrowmere {

namespace {

int32_t requested = DEFAULT_SEARCH_THREADS;
// Never destroyed: when a process leaves main, Windows ends its other threads before the
// static destructors run, and a pool destroyed then would wait for its workers forever. The
// pool's threads and memory go with the process.
std::unique_ptr<SearchThreads>& threads = *new std::unique_ptr<SearchThreads>;
std::atomic<uint64_t> simulations{0};
std::atomic<uint64_t> reuses{0};

int32_t resolve(int32_t count) {
  if (count > 0) return count;
  return std::max(1, static_cast<int32_t>(std::thread::hardware_concurrency()));
}

}  // namespace

SearchThreads::SearchThreads(int32_t count) : pool(count), workers(static_cast<std::size_t>(count)) {}

void setSearchThreads(int32_t count) {
  requested = std::max(0, count);
  if (threads && threads->pool.workers() != resolve(requested)) threads.reset();
}

int32_t searchThreadCount() { return resolve(requested); }

SearchThreads& searchThreads() {
  if (!threads) threads = std::make_unique<SearchThreads>(resolve(requested));
  return *threads;
}

uint64_t searchSimulationCount() { return simulations.load(std::memory_order_relaxed); }
uint64_t searchReuseCount() { return reuses.load(std::memory_order_relaxed); }

void collectSearchCounts(SearchThreads& all) {
  for (SearchWorker& worker : all.workers) {
    simulations.fetch_add(worker.simulated, std::memory_order_relaxed);
    reuses.fetch_add(worker.reused, std::memory_order_relaxed);
    worker.simulated = 0;
    worker.reused = 0;
  }
}

}  // namespace varrowmere
