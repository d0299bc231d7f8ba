// The copy's threads under contention: many rounds of more tasks than threads, each task taking a
// turn as the copy's directory steps do. Every round must end, run each task once, and never let
// more threads into a turn than it allows.
#include "rotation_tool/worker_pool.h"
#include "rotation_tool/turns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Runs the work on a thread of its own and waits for it at most the guard's time. A lost wake-up
// leaves threads asleep that nothing will wake: the test program is then ended, as the test of
// hanging cannot go on.
void endsWithin(const char* what, std::chrono::seconds guard, const std::function<void()>& work) {
    struct Done {
        std::mutex mutex;
        std::condition_variable set;
        bool done = false;
    };
    auto done = std::make_shared<Done>();
    std::thread([work, done] {
        work();
        std::lock_guard lock(done->mutex);
        done->done = true;
        done->set.notify_one();
    }).detach();
    std::unique_lock lock(done->mutex);
    if (!done->set.wait_for(lock, guard, [&] { return done->done; })) {
        std::fprintf(stderr, "The rounds of %s did not end within %lld s: a thread waits that nothing wakes\n", what,
                     static_cast<long long>(guard.count()));
        std::fflush(stderr);
        std::abort();
    }
}

struct Contention {
    const char* name;
    std::size_t tasks;  // items of one forEach
    int atATime;        // threads allowed in a turn at once
    int stepMicros;     // how long a step holds its turn: long enough, and the others go to sleep
    int rounds;
};

// Holds the turn as a step of the copy does, by working rather than sleeping.
void workFor(int micros) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(micros);
    while (std::chrono::steady_clock::now() < until) {
    }
}

}  // namespace

TEST(WorkerPoolUnderContention, EveryRoundEndsAndRunsEachTaskOnceWithinItsTurns) {
    // The pool has eight threads. A round of a few more tasks than threads contends hardest for the
    // turns; a round of many tasks keeps every thread busy; a round of two wakes the waiter often.
    const Contention table[] = {
        {"nine tasks, two at a time, short steps", 9, 2, 0, 20000},
        {"nine tasks, two at a time, long steps", 9, 2, 20, 5000},
        {"ten tasks, two at a time, as the copy takes them", 10, 2, 5, 40000},
        {"two hundred tasks, two at a time", 200, 2, 5, 500},
        {"two tasks, one at a time", 2, 1, 5, 20000},
        {"sixteen tasks, one at a time", 16, 1, 5, 10000},
        {"eight tasks, all at once", 8, 8, 5, 20000},
    };
    rotation_tool::WorkerPool pool;
    for (const Contention& row : table) {
        SCOPED_TRACE(row.name);
        std::vector<int> runs(row.tasks, 0);
        std::atomic<int> inTurn{0};
        std::atomic<int> mostInTurn{0};
        bool everyTaskOnce = true;
        endsWithin(row.name, std::chrono::seconds(60), [&] {
            for (int round = 0; round < row.rounds; ++round) {
                std::fill(runs.begin(), runs.end(), 0);
                rotation_tool::Turns turns(row.atATime);
                pool.forEach(row.tasks, [&](std::size_t i) {
                    turns.take([&] {
                        const int now = ++inTurn;
                        workFor(row.stepMicros);
                        int most = mostInTurn;
                        while (now > most && !mostInTurn.compare_exchange_weak(most, now)) {
                        }
                        --inTurn;
                    });
                    ++runs[i];  // each index belongs to one task
                });
                // forEach returned: every task must have run, and run once.
                if (std::any_of(runs.begin(), runs.end(), [](int n) { return n != 1; })) everyTaskOnce = false;
            }
        });
        EXPECT_TRUE(everyTaskOnce);
        EXPECT_LE(mostInTurn.load(), row.atATime);
        EXPECT_GE(mostInTurn.load(), 1);
    }
}
