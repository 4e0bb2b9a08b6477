#pragma once
// A fixed set of threads for the search, started once: run() hands out the indices of a job
// one at a time to whichever thread is free, the calling thread included, and returns when
// all are done. Jobs do not nest: a task never calls run() itself.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace varrowmere {

class WorkerPool {
 public:
  // workers >= 1 threads in all: the caller of run() is worker 0, workers - 1 are started here.
  explicit WorkerPool(int32_t workers);
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int32_t workers() const { return static_cast<int32_t>(threads_m.size()) + 1; }

  // Calls task(index, worker) for every index in [0, count), each once, spread over the
  // workers; `worker` (0..workers()-1) names the thread, so a task may use that worker's own
  // state. Returns when every call has returned. One run at a time.
  template <typename Task>
  void run(int32_t count, Task&& task) {
    runErased(count, &task, [](void* t, int32_t index, int32_t worker) {
      (*static_cast<std::remove_reference_t<Task>*>(t))(index, worker);
    });
  }

 private:
  using Call = void (*)(void*, int32_t, int32_t);
  void runErased(int32_t count, void* task, Call call);
  void workerLoop(int32_t worker);
  // Takes indices of the current job until none is left.
  void drain(int32_t worker);

  std::vector<std::thread> threads_m;
  std::mutex mutex_m;
  std::condition_variable wake_m;
  std::condition_variable done_m;
  uint64_t generation_m = 0;  // one more for every run
  bool stopping_m = false;
  int32_t busy_m = 0;  // started threads still draining the current run
  std::atomic<int32_t> next_m{0};
  int32_t count_m = 0;
  void* task_m = nullptr;
  Call call_m = nullptr;
};

}  // namespace varrowmere
