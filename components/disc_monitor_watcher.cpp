#include "components/disc_monitor_watcher.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <set>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace disc_monitor {
namespace {

constexpr quint32 kSelfEvents = IN_DELETE_SELF | IN_MOVE_SELF;
constexpr quint32 kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

quint32 inotifyMask(quint32 filter) {
    quint32 mask = kSelfEvents;
    if (filter & (FilterFileName | FilterDirName)) mask |= kNameEvents;
    if (filter & FilterAttributes) mask |= IN_ATTRIB;
    if (filter & (FilterSize | FilterLastWrite)) mask |= IN_MODIFY | IN_CLOSE_WRITE;
    return mask;
}

// Whether an event in a watched folder is one the monitor asked for.
bool wanted(quint32 filter, quint32 mask) {
    if (mask & kSelfEvents) return true;
    if (mask & kNameEvents) return (mask & IN_ISDIR) ? (filter & FilterDirName) : (filter & FilterFileName);
    if (mask & IN_ATTRIB) return filter & FilterAttributes;
    if (mask & (IN_MODIFY | IN_CLOSE_WRITE)) return filter & (FilterSize | FilterLastWrite);
    return false;
}

// Queues the token's handler on the GUI thread; runs nothing once the token's owner is gone.
void post(const std::shared_ptr<Token>& token, bool invalid) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    if (!invalid && token->pending.exchange(true)) return;  // one report is already on its way
    QMetaObject::invokeMethod(app, [token, invalid] {
        if (!invalid) token->pending = false;
        if (!token->alive) return;
        // A copy: the handler may destroy the monitor, which clears the token's handlers.
        const std::function<void()> handler = invalid ? token->onInvalid : token->onChange;
        if (handler) handler();
    }, Qt::QueuedConnection);
}

bool isDirectory(const std::string& path, unsigned char type) {
    if (type == DT_DIR) return true;
    if (type != DT_LNK && type != DT_UNKNOWN) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> subdirectories(const std::string& dir) {
    std::vector<std::string> result;
    DIR* handle = ::opendir(dir.c_str());
    if (!handle) return result;
    while (const dirent* entry = ::readdir(handle)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = dir + "/" + name;
        if (isDirectory(path, entry->d_type)) result.push_back(path);
    }
    ::closedir(handle);
    return result;
}

class Watcher {
public:
    static Watcher& instance() {
        // Lives for the whole process: its thread sleeps in poll() when nothing is watched.
        static Watcher* watcher = new Watcher;
        return *watcher;
    }

    quint64 watch(const std::shared_ptr<Token>& token, const QString& directory, quint32 filter, bool subs) {
        std::lock_guard lock(mutex_);
        const quint64 id = nextId_++;
        Monitor& monitor = monitors_[id];
        monitor.token = token;
        monitor.filter = filter;
        monitor.subs = subs;
        monitor.directory = QFile::encodeName(directory).toStdString();
        while (monitor.directory.size() > 1 && monitor.directory.back() == '/') monitor.directory.pop_back();
        // Everything is watched before this returns, so nothing made right after it is missed.
        if (inotifyFd_ < 0 || !addWatch(id, monitor, monitor.directory, true)) {
            post(token, true);
            return id;
        }
        if (subs)
            for (const std::string& path : subdirectories(monitor.directory)) addWatch(id, monitor, path, false);
        return id;
    }

    void unwatch(quint64 id) {
        std::lock_guard lock(mutex_);
        auto it = monitors_.find(id);
        if (it == monitors_.end()) return;
        for (int wd : it->second.wds) dropUser(wd, id);
        monitors_.erase(it);
    }

    quint64 watchMounts(const std::shared_ptr<Token>& token) {
        std::lock_guard lock(mutex_);
        const quint64 id = nextId_++;
        mountListeners_[id] = token;
        wake();
        return id;
    }

    void unwatchMounts(quint64 id) {
        std::lock_guard lock(mutex_);
        mountListeners_.erase(id);
        wake();
    }

    int instances() const { return inotifyFd_ >= 0 ? 1 : 0; }

private:
    struct Monitor {
        std::shared_ptr<Token> token;
        std::string directory;
        quint32 filter = 0;
        bool subs = false;
        std::set<int> wds;
    };
    struct Watch {
        std::string path;
        std::map<quint64, bool> users;  // monitor id -> the watch is the monitor's own folder
    };

    Watcher() {
        inotifyFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (inotifyFd_ >= 0 && wakeFd_ >= 0) std::thread([this] { run(); }).detach();
    }

    void wake() {
        const quint64 one = 1;
        if (wakeFd_ >= 0) (void)!::write(wakeFd_, &one, sizeof one);
    }

    // Caller holds the mutex.
    bool addWatch(quint64 id, Monitor& monitor, const std::string& path, bool own) {
        const int wd = ::inotify_add_watch(inotifyFd_, path.c_str(), inotifyMask(monitor.filter) | IN_MASK_ADD | IN_ONLYDIR);
        if (wd < 0) return false;
        Watch& watch = watches_[wd];
        if (watch.path.empty()) watch.path = path;
        watch.users[id] = watch.users[id] || own;
        monitor.wds.insert(wd);
        return true;
    }

    // Caller holds the mutex.
    void dropUser(int wd, quint64 id) {
        auto it = watches_.find(wd);
        if (it == watches_.end()) return;
        it->second.users.erase(id);
        if (it->second.users.empty()) {
            ::inotify_rm_watch(inotifyFd_, wd);
            watches_.erase(it);
        }
    }

    void run() {
        int mountFd = -1;
        for (;;) {
            {
                std::lock_guard lock(mutex_);
                if (!mountListeners_.empty() && mountFd < 0)
                    mountFd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
                else if (mountListeners_.empty() && mountFd >= 0) {
                    ::close(mountFd);
                    mountFd = -1;
                }
            }
            pollfd fds[3] = {{inotifyFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}, {mountFd, POLLPRI, 0}};
            const int count = mountFd >= 0 ? 3 : 2;
            if (::poll(fds, count, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents & POLLIN) {
                quint64 value = 0;
                (void)!::read(wakeFd_, &value, sizeof value);  // only wakes the loop to re-check the mount listeners
            }
            if (fds[0].revents & POLLIN) drainEvents();
            if (count == 3 && (fds[2].revents & (POLLPRI | POLLERR))) {
                std::lock_guard lock(mutex_);
                for (auto& [id, token] : mountListeners_) post(token, false);
            }
        }
    }

    void drainEvents() {
        alignas(inotify_event) char buffer[64 * 1024];
        std::set<quint64> changed;
        for (;;) {
            const ssize_t length = ::read(inotifyFd_, buffer, sizeof buffer);
            if (length <= 0) break;
            std::lock_guard lock(mutex_);
            for (ssize_t offset = 0; offset < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
                offset += sizeof(inotify_event) + event->len;
                handle(*event, changed);
            }
        }
        std::lock_guard lock(mutex_);
        for (quint64 id : changed) {
            auto it = monitors_.find(id);
            if (it != monitors_.end()) post(it->second.token, false);
        }
    }

    // Caller holds the mutex.
    void handle(const inotify_event& event, std::set<quint64>& changed) {
        if (event.mask & IN_Q_OVERFLOW) {
            for (auto& [id, monitor] : monitors_) changed.insert(id);  // lost events: everyone re-reads
            return;
        }
        auto it = watches_.find(event.wd);
        if (it == watches_.end()) return;
        const std::string path = it->second.path;
        const std::map<quint64, bool> users = it->second.users;
        for (const auto& [id, own] : users) {
            auto monitor = monitors_.find(id);
            if (monitor == monitors_.end() || !wanted(monitor->second.filter, event.mask)) continue;
            changed.insert(id);
            // A folder made in a monitor's own folder is one of its direct subfolders from now on.
            if (own && event.len > 0 && (event.mask & IN_ISDIR) && (event.mask & (IN_CREATE | IN_MOVED_TO))  &&
                monitor->second.subs)
                addWatch(id, monitor->second, path + "/" + event.name, false);
        }
        if (event.mask & IN_IGNORED) {  // the kernel dropped the watch (folder gone)
            for (const auto& [id, own] : users) {
                auto monitor = monitors_.find(id);
                if (monitor != monitors_.end()) monitor->second.wds.erase(event.wd);
            }
            watches_.erase(event.wd);
        }
    }

    std::mutex mutex_;
    int inotifyFd_ = -1;
    int wakeFd_ = -1;
    quint64 nextId_ = 1;
    std::map<quint64, Monitor> monitors_;
    std::map<int, Watch> watches_;
    std::map<quint64, std::shared_ptr<Token>> mountListeners_;
};

}  // namespace

quint64 watch(const std::shared_ptr<Token>& token, const QString& directory, quint32 filter, bool withSubdirectories) {
    return Watcher::instance().watch(token, directory, filter, withSubdirectories);
}
void unwatch(quint64 id) { Watcher::instance().unwatch(id); }
quint64 watchMounts(const std::shared_ptr<Token>& token) { return Watcher::instance().watchMounts(token); }
void unwatchMounts(quint64 id) { Watcher::instance().unwatchMounts(id); }
int inotifyInstances() { return Watcher::instance().instances(); }

}  // namespace disc_monitor
