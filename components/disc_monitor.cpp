#include "components/disc_monitor.h"

#include "components/disc_monitor_watcher.h"

TDiscMonitorThread::TDiscMonitorThread() : token_(std::make_shared<disc_monitor::Token>()) {
    token_->onChange = [this] {
        if (OnChange) OnChange(this);
    };
    token_->onInvalid = [this] {
        if (OnInvalid) OnInvalid(this);
    };
}

TDiscMonitorThread::~TDiscMonitorThread() {
    // Runs on the GUI thread, as do the reports, so a report still queued finds the token dead.
    OnChange = nullptr;
    OnInvalid = nullptr;
    token_->alive = false;
    close();
}

void TDiscMonitorThread::setDirectory(const QString& directory) {
    if (directory == directory_) return;
    directory_ = directory;
    reopen();
}

void TDiscMonitorThread::setFilter(quint32 filter) {
    if (filter == filter_) return;
    filter_ = filter;
    reopen();
}

void TDiscMonitorThread::setWatchSubtree(bool watchSubtree) {
    if (watchSubtree == watchSubtree_) return;
    watchSubtree_ = watchSubtree;
    reopen();
}

void TDiscMonitorThread::Resume() {
    if (!suspended_) return;
    suspended_ = false;
    reopen();
}

void TDiscMonitorThread::reopen() {
    if (suspended_) return;
    close();
    watchId_ = disc_monitor::watch(token_, directory_, filter_, watchSubtree_);
}

void TDiscMonitorThread::close() {
    if (watchId_ != 0) disc_monitor::unwatch(watchId_);
    watchId_ = 0;
}
