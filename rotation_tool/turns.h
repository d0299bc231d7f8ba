#pragma once
// At most a given number of threads at a time run a step; the others wait for a turn. A thread
// that finds no turn free first looks again a few times, since a turn is usually given back within
// microseconds; then it sleeps on a mutex and a condition variable, never on an atomic wait: the
// standard library's semaphore can lose a wake-up under contention, and a thread left asleep while
// a turn is free would hold up the whole run for ever.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace rotation_tool {

class Turns {
public:
    explicit Turns(int atATime) : free_(atATime) {}
    Turns(const Turns&) = delete;
    Turns& operator=(const Turns&) = delete;

    // Runs the step in a turn of its own. The step must not throw.
    template <class Step>
    void take(const Step& step) {
        acquire();
        step();
        release();
    }

private:
    static constexpr int kLooks = 64;

    bool tryAcquire() {
        int free = free_.load(std::memory_order_relaxed);
        while (free > 0)
            if (free_.compare_exchange_weak(free, free - 1, std::memory_order_acquire, std::memory_order_relaxed))
                return true;
        return false;
    }
    void acquire() {
        for (int look = 0; look < kLooks; ++look) {
            if (tryAcquire()) return;
            std::this_thread::yield();
        }
        std::unique_lock lock(mutex_);
        ++sleepers_;
        freed_.wait(lock, [this] { return tryAcquire(); });
        --sleepers_;
    }
    void release() {
        free_.fetch_add(1, std::memory_order_release);
        // Under the mutex: a sleeper either saw the turn given back before it went to sleep, or is
        // asleep now and is woken.
        std::lock_guard lock(mutex_);
        if (sleepers_ > 0) freed_.notify_one();
    }

    std::atomic<int> free_;
    std::mutex mutex_;
    std::condition_variable freed_;
    int sleepers_ = 0;  // under mutex_
};

}  // namespace rotation_tool
