#include "search/worker_pool.h"

namespace varrowmere {

WorkerPool::WorkerPool(int32_t workers) {
  for (int32_t w = 1; w < workers; ++w) threads_m.emplace_back(&WorkerPool::workerLoop, this, w);
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_m);
    stopping_m = true;
  }
  wake_m.notify_all();
  for (std::thread& thread : threads_m) thread.join();
}

void WorkerPool::runErased(int32_t count, void* task, Call call) {
  {
    std::lock_guard<std::mutex> lock(mutex_m);
    task_m = task;
    call_m = call;
    count_m = count;
    next_m.store(0, std::memory_order_relaxed);
    busy_m = static_cast<int32_t>(threads_m.size());
    ++generation_m;
  }
  wake_m.notify_all();
  drain(0);
  std::unique_lock<std::mutex> lock(mutex_m);
  done_m.wait(lock, [this] { return busy_m == 0; });
}

void WorkerPool::workerLoop(int32_t worker) {
  uint64_t seen = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_m);
      wake_m.wait(lock, [this, seen] { return stopping_m || generation_m != seen; });
      if (stopping_m) return;
      seen = generation_m;
    }
    drain(worker);
    std::lock_guard<std::mutex> lock(mutex_m);
    if (--busy_m == 0) done_m.notify_one();
  }
}

void WorkerPool::drain(int32_t worker) {
  for (;;) {
    const int32_t index = next_m.fetch_add(1, std::memory_order_relaxed);
    if (index >= count_m) return;
    call_m(task_m, index, worker);
  }
}

}  // namespace varrowmere
