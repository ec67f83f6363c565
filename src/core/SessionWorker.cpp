#include "core/SessionWorker.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace quelt::core {
namespace {

struct WorkerCount {
  std::mutex mutex;
  std::condition_variable changed;
  int32_t alive = 0;
};

// Never destroyed: a worker may end on a thread that outlives main's static destructors.
WorkerCount& Count() {
  static auto* count = new WorkerCount;
  return *count;
}

}  // namespace

SessionWorker::SessionWorker() {
  std::lock_guard lock(Count().mutex);
  ++Count().alive;
}

SessionWorker::~SessionWorker() {
  auto& count = Count();
  std::lock_guard lock(count.mutex);
  if (--count.alive == 0) count.changed.notify_all();
}

int32_t LiveWorkerCount() {
  std::lock_guard lock(Count().mutex);
  return Count().alive;
}

bool WaitForWorkersToEnd(uint32_t limitMs) {
  auto& count = Count();
  std::unique_lock lock(count.mutex);
  return count.changed.wait_for(lock, std::chrono::milliseconds(limitMs), [&] { return count.alive <= 0; });
}

}  // namespace quelt::core
