#include "tests/real_display/x_session.h"

#include "tests/real_display/busy_cores.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QThread>
#include <gtest/gtest.h>

namespace real_display {

namespace {

constexpr int kPollMs = 20;
// Repeats start a quarter second after the press and come 60 times a second, as on a desktop set
// to repeat fast: each repeat is one more chance for the toolkit to miss a pair.
const QStringList kRepeatRate{"r", "rate", "250", "60"};

// A title as a pattern of the window search, which reads extended regular expressions.
QString exactly(const QString& title) {
    QString pattern = "^";
    for (const QChar c : title) {
        if (QStringLiteral(".[]()*+?{}|^$\\").contains(c)) pattern += '\\';
        pattern += c;
    }
    return pattern + "$";
}

bool started(QProcess& process, const QString& program, const QStringList& arguments) {
    process.start(program, arguments);
    if (process.waitForStarted(kGuardMs)) return true;
    ADD_FAILURE() << program.toStdString() << " could not be started (" << process.errorString().toStdString()
                  << "); scripts/install_deps.sh all installs it";
    return false;
}

void stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.kill();
    process.waitForFinished(kGuardMs);
}

}  // namespace

XSession::XSession() {
    // The server picks a free display number itself and writes it once it accepts clients.
    server_.setStandardErrorFile(QProcess::nullDevice());
    if (!started(server_, "Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"})) return;
    QByteArray number;
    const QDeadlineTimer deadline(kGuardMs);
    while (!number.contains('\n') && !deadline.hasExpired() && server_.state() == QProcess::Running) {
        server_.waitForReadyRead(kPollMs);
        number += server_.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        ADD_FAILURE() << "Xvfb did not report its display";
        return;
    }
    display_ = ":" + QString::fromLatin1(number.trimmed());

    // Dialogs get the focus when they open as on a user's desktop.
    windowManager_.setProcessEnvironment(environment());
    windowManager_.setStandardOutputFile(QProcess::nullDevice());
    windowManager_.setStandardErrorFile(QProcess::nullDevice());
    if (!started(windowManager_, "openbox", {})) return;
    QString check;
    while (!check.contains("window id") && !deadline.hasExpired()) {
        if (!run("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, &check)) return;
        QThread::msleep(kPollMs);
    }
    if (!check.contains("window id")) {
        ADD_FAILURE() << "the window manager did not come up on " << display_.toStdString();
        return;
    }
    ok_ = run("xset", {"r", "on"}) && run("xset", kRepeatRate);
}

XSession::~XSession() {
    stop(windowManager_);
    stop(server_);
}

QProcessEnvironment XSession::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("WAYLAND_DISPLAY");
    env.insert("DISPLAY", display_);
    env.insert("QT_QPA_PLATFORM", "xcb");
    return env;
}

bool XSession::run(const QString& program, const QStringList& arguments, QString* output) const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(kGuardMs)) {
        ADD_FAILURE() << program.toStdString() << " " << arguments.join(' ').toStdString() << ": "
                      << process.errorString().toStdString() << "; scripts/install_deps.sh all installs it";
        process.kill();
        process.waitForFinished(kGuardMs);
        return false;
    }
    if (output) *output = QString::fromLocal8Bit(process.readAllStandardOutput());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QStringList XSession::visibleWindows(const QString& title) const {
    // With no window of that title the search ends with a failing status and prints nothing.
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start("xdotool", {"search", "--onlyvisible", "--name", exactly(title)});
    if (!process.waitForFinished(kGuardMs)) {
        ADD_FAILURE() << "xdotool search: " << process.errorString().toStdString();
        return {};
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QString XSession::focusedWindow() const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start("xdotool", {"getwindowfocus"});
    process.waitForFinished(kGuardMs);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

QString XSession::titleOf(const QString& window) const {
    QString title;
    run("xdotool", {"getwindowname", window}, &title);
    return title.trimmed();
}

QString XSession::waitForFocusedWindow(const QString& title) const {
    const QDeadlineTimer deadline(kGuardMs);
    while (!deadline.hasExpired()) {
        const QString focused = focusedWindow();
        if (!focused.isEmpty() && visibleWindows(title).contains(focused)) return focused;
        QThread::msleep(kPollMs);
    }
    ADD_FAILURE() << "no window \"" << title.toStdString() << "\" got the focus; the focus is on \""
                  << titleOf(focusedWindow()).toStdString() << "\"";
    return {};
}

bool XSession::waitUntilHidden(const QString& window) const {
    const QDeadlineTimer deadline(kGuardMs);
    while (!deadline.hasExpired()) {
        QString shown;
        run("xdotool", {"search", "--onlyvisible", "--name", "."}, &shown);
        if (!shown.split('\n').contains(window)) return true;
        QThread::msleep(kPollMs);
    }
    ADD_FAILURE() << "the window \"" << titleOf(window).toStdString() << "\" is still shown";
    return false;
}

void XSession::keys(const QStringList& names) const { run("xdotool", QStringList{"key"} + names); }

void XSession::click(const QString& window, int x, int y, int count) const {
    run("xdotool", {"mousemove", "--window", window, QString::number(x), QString::number(y), "click", "--repeat",
                    QString::number(count), "--delay", "80", "1"});
}

void XSession::holdKey(const QString& name) const {
    BusyCores busy;
    run("xdotool", {"keydown", name});
    QThread::msleep(2000);  // the hold itself
    run("xdotool", {"keyup", name});
}

WindowWatch::WindowWatch(const XSession& session, const QString& logFile) : logFile_(logFile) {
    // The window manager lists the windows it shows on the root window; each change is a line.
    spy_.setProcessEnvironment(session.environment());
    spy_.setStandardOutputFile(logFile_);
    if (!started(spy_, "xprop", {"-root", "-spy", "_NET_CLIENT_LIST"})) return;
    const QDeadlineTimer deadline(kGuardMs);
    QFile log(logFile_);
    while (log.size() == 0 && !deadline.hasExpired()) QThread::msleep(kPollMs);
    EXPECT_GT(log.size(), 0) << "the window list was not read";
}

WindowWatch::~WindowWatch() { stop(spy_); }

int WindowWatch::windowsShown() {
    stop(spy_);
    QFile log(logFile_);
    if (!log.open(QIODevice::ReadOnly)) return -1;
    const QRegularExpression id("0x[0-9a-fA-F]+");
    QSet<QString> before;
    int shown = 0;
    bool first = true;
    for (const QByteArray& line : log.readAll().split('\n')) {
        if (line.isEmpty()) continue;
        QSet<QString> now;
        for (auto match = id.globalMatch(QString::fromLatin1(line)); match.hasNext();)
            now.insert(match.next().captured());
        if (!first)
            for (const QString& window : now) shown += before.contains(window) ? 0 : 1;
        before = now;
        first = false;
    }
    return shown;
}

}  // namespace real_display
