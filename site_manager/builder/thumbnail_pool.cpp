#include "site_manager/builder/thumbnail_pool.h"

#include "imaging/format_registry.h"

#include <chrono>

ThumbnailPool::ThumbnailPool(QStringList sources, int W, int H, int threads)
    : sources_(std::move(sources)), width_(W), height_(H), outcomes_(size_t(sources_.size())) {
    if (threads <= 0) threads = int(std::max(1u, std::thread::hardware_concurrency()));
    threads = std::max(1, std::min(threads, int(sources_.size())));
    inFlightLimit_ = threads;
    // A format lookup sorts the registry's lists when they are not yet sorted; sorted here, before
    // any worker starts, the lookups of the workers and of the GUI thread only read them.
    SortFormatLists();
    for (int i = 0; i < threads && !sources_.isEmpty(); ++i) workers_.emplace_back([this] { work(); });
}

ThumbnailPool::~ThumbnailPool() {
    stop();
    for (std::thread& worker : workers_) worker.join();
}

void ThumbnailPool::stop() {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    changed_.notify_all();
}

void ThumbnailPool::work() {
    for (;;) {
        int index;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] {
                return stopping_ || nextToStart_ >= int(sources_.size()) || nextToStart_ < nextToTake_ + inFlightLimit_;
            });
            if (stopping_ || nextToStart_ >= int(sources_.size())) return;
            index = nextToStart_++;
        }
        ShrunkImage outcome = shrinkImage(sources_.at(index), width_, height_);
        std::lock_guard lock(mutex_);
        outcomes_[size_t(index)] = std::move(outcome);
        changed_.notify_all();
    }
}

std::optional<ShrunkImage> ThumbnailPool::takeNext(const std::function<bool()>& keepWaiting) {
    using namespace std::chrono_literals;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            if (nextToTake_ >= int(sources_.size())) return std::nullopt;
            const size_t index = size_t(nextToTake_);
            if (changed_.wait_for(lock, 50ms, [&] { return outcomes_[index].has_value(); })) {
                std::optional<ShrunkImage> outcome = std::move(outcomes_[index]);
                outcomes_[index].reset();
                ++nextToTake_;
                changed_.notify_all();
                return outcome;
            }
        }
        if (keepWaiting && !keepWaiting()) {
            stop();
            return std::nullopt;
        }
    }
}
