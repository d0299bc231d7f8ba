#pragma once
// The threads that copy a rotation's files. One pool serves the whole run: its threads are made
// once and wait between passes instead of being started anew for each pass of each site.
#include <QThreadPool>
#include <cstddef>
#include <functional>

namespace rotation_tool {

class WorkerPool {
public:
    WorkerPool();
    // Runs work(0) .. work(count - 1) on the pool's threads and returns when all are done. The
    // work must neither throw nor touch widgets.
    void forEach(std::size_t count, const std::function<void(std::size_t)>& work);

private:
    QThreadPool pool_;
};

}  // namespace rotation_tool
