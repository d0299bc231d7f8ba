#pragma once
// Shows the busy cursor for the lifetime of the object, restored on every exit path.
#include <QCursor>
#include <QGuiApplication>

namespace platform {

class Hourglass {
public:
    Hourglass() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QGuiApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass&) = delete;
    Hourglass& operator=(const Hourglass&) = delete;
};

}  // namespace platform
