#pragma once
// Decodes and shrinks the images of a build on worker threads, one per core,
// while the build takes the outcomes in build order. Memory stays bounded: a
// worker starts an image only while fewer images than there are workers are
// started and not yet taken.
#include "site_manager/builder/thumbnail_maker.h"

#include <QStringList>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class ThumbnailPool {
public:
    // sources: full paths, in the order take() will ask for them. threads <= 0:
    // one per core.
    ThumbnailPool(QStringList sources, int W, int H, int threads = 0);
    ~ThumbnailPool();  // stops the workers and waits for them
    ThumbnailPool(const ThumbnailPool&) = delete;
    ThumbnailPool& operator=(const ThumbnailPool&) = delete;

    int threadCount() const { return int(workers_.size()); }
    // The outcome of the next source in order. While it is not ready, keepWaiting
    // is called about every 50 ms; when it returns false the workers are stopped
    // and nothing is returned.
    std::optional<ShrunkImage> takeNext(const std::function<bool()>& keepWaiting);
    // Stops the workers after the images they are working on.
    void stop();

private:
    void work();

    const QStringList sources_;
    const int width_;
    const int height_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<ShrunkImage>> outcomes_;
    int nextToStart_ = 0;
    int nextToTake_ = 0;
    int inFlightLimit_ = 1;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};
