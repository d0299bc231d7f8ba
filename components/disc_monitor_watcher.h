#pragma once
// The process's one watcher of folder changes: one inotify instance and one thread for every
// folder monitor (the per-user limit of inotify instances is small), which also watches the mount
// table. Reports reach the GUI thread as queued calls, each guarded by a liveness token that the
// GUI thread clears before the receiver goes away, so a report never runs into a destroyed
// receiver and destroying never waits for the watcher thread.
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

namespace disc_monitor {

// Shared between the GUI thread and the watcher; only the GUI thread reads or clears alive.
struct Token {
    std::atomic<bool> alive{true};
    std::atomic<bool> pending{false};  // a change report is queued and has not yet run
    std::function<void()> onChange;    // GUI thread only
    std::function<void()> onInvalid;   // GUI thread only
};

// Change-filter bits as the monitors take them.
enum : quint32 { FilterFileName = 0x1, FilterDirName = 0x2, FilterAttributes = 0x4, FilterSize = 0x8, FilterLastWrite = 0x10 };

// Starts watching directory for token (its direct subdirectories too when withSubdirectories).
// Returns an id for unwatch; reports OnInvalid (queued) when the directory cannot be watched.
quint64 watch(const std::shared_ptr<Token>& token, const QString& directory, quint32 filter, bool withSubdirectories);
void unwatch(quint64 id);

// Calls token->onChange (queued, on the GUI thread) whenever the mount table changes.
quint64 watchMounts(const std::shared_ptr<Token>& token);
void unwatchMounts(quint64 id);

// The number of inotify instances the watcher has opened in this process (0 or 1).
int inotifyInstances();

}  // namespace disc_monitor
