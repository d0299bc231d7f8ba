#pragma once
// Watches one directory for entries that appear, vanish or are renamed, and reports each change
// on the GUI thread. Created suspended: set Directory, Filter and WatchSubtree, then Resume.
// All monitors of the process share one inotify instance and one thread; WatchSubtree covers the
// directory and its direct subdirectories (a deeper open folder has a monitor of its own).
// Destroying a monitor never waits for a report in progress: a report that arrives afterwards
// runs nothing.
#include <QString>
#include <functional>
#include <memory>

namespace disc_monitor {
struct Token;
}

class TDiscMonitorThread {
public:
    using TNotifyEvent = std::function<void(TDiscMonitorThread* Sender)>;

    TDiscMonitorThread();
    ~TDiscMonitorThread();
    TDiscMonitorThread(const TDiscMonitorThread&) = delete;
    TDiscMonitorThread& operator=(const TDiscMonitorThread&) = delete;

    // Changing a setting of a running monitor re-opens its watch; while suspended it only stores.
    void setDirectory(const QString& directory);
    void setFilter(quint32 filter);
    void setWatchSubtree(bool watchSubtree);
    QString Directory() const { return directory_; }
    quint32 Filter() const { return filter_; }
    bool WatchSubtree() const { return watchSubtree_; }

    void Resume();
    bool Suspended() const { return suspended_; }

    TNotifyEvent OnChange;   // a change in the directory
    TNotifyEvent OnInvalid;  // the directory cannot be watched (missing, virtual, no access)

private:
    void reopen();
    void close();

    QString directory_;
    quint32 filter_ = 0;
    bool watchSubtree_ = false;
    bool suspended_ = true;
    quint64 watchId_ = 0;
    std::shared_ptr<disc_monitor::Token> token_;
};
