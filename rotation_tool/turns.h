#pragma once
// At most a given number of threads at a time run a step; the others wait for a turn. Waiting is on
// a mutex and a condition variable: the standard library's semaphore can lose a wake-up under
// contention, and a thread left asleep while a turn is free would hold up the whole run for ever.
#include <condition_variable>
#include <mutex>

namespace rotation_tool {

class Turns {
public:
    explicit Turns(int atATime) : free_(atATime) {}
    Turns(const Turns&) = delete;
    Turns& operator=(const Turns&) = delete;

    // Runs the step in a turn of its own. The step must not throw.
    template <class Step>
    void take(const Step& step) {
        {
            std::unique_lock lock(mutex_);
            freed_.wait(lock, [this] { return free_ > 0; });
            --free_;
        }
        step();
        std::lock_guard lock(mutex_);
        ++free_;
        freed_.notify_one();
    }

private:
    std::mutex mutex_;
    std::condition_variable freed_;
    int free_;
};

}  // namespace rotation_tool
