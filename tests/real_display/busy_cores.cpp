#include "tests/real_display/busy_cores.h"

#include "tests/real_display/x_session.h"

#include <gtest/gtest.h>
#include <thread>

namespace real_display {

BusyCores::BusyCores() {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned i = 0; i < cores; ++i) {
        auto loop = std::make_unique<QProcess>();
        loop->start("sh", {"-c", "while :; do :; done"});
        if (!loop->waitForStarted(kGuardMs)) ADD_FAILURE() << "a busy loop could not be started";
        loops_.push_back(std::move(loop));
    }
}

BusyCores::~BusyCores() {
    // QProcess ends each loop by its own process id.
    for (auto& loop : loops_) loop->kill();
    for (auto& loop : loops_) loop->waitForFinished(kGuardMs);
}

}  // namespace real_display
