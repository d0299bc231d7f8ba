#include "rotation_tool/worker_pool.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace rotation_tool {

namespace {
// File copies wait mostly on the disk, so a few more threads than cores still pay.
constexpr int kThreads = 8;
}  // namespace

WorkerPool::WorkerPool() {
    pool_.setMaxThreadCount(kThreads);
    pool_.setExpiryTimeout(-1);  // idle threads wait for the next pass
}

void WorkerPool::forEach(std::size_t count, const std::function<void(std::size_t)>& work) {
    if (count <= 1) {
        if (count == 1) work(0);
        return;
    }
    const std::size_t tasks = std::min<std::size_t>(count, std::size_t(kThreads));
    std::atomic<std::size_t> next{0};
    // The wait for the tasks is a mutex and a condition variable, never a latch: the standard
    // library's can lose the wake-up, and the run would wait for ever.
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t running = tasks;
    for (std::size_t t = 0; t < tasks; ++t) {
        pool_.start([&] {
            for (std::size_t i = next++; i < count; i = next++) work(i);
            // Notified under the lock: forEach cannot return, and so destroy what the task still
            // touches, before the task has let go of the mutex.
            std::lock_guard lock(mutex);
            if (--running == 0) finished.notify_one();
        });
    }
    std::unique_lock lock(mutex);
    finished.wait(lock, [&] { return running == 0; });
}

}  // namespace rotation_tool
