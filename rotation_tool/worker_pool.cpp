#include "rotation_tool/worker_pool.h"

#include <atomic>
#include <latch>

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
    std::latch done{std::ptrdiff_t(tasks)};
    for (std::size_t t = 0; t < tasks; ++t) {
        pool_.start([&] {
            for (std::size_t i = next++; i < count; i = next++) work(i);
            done.count_down();
        });
    }
    done.wait();
}

}  // namespace rotation_tool
