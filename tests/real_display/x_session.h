#pragma once
// An X server of the test's own (Xvfb on a free display number) with a window manager, key
// repeat on, and the desktop tools a user's input goes through: XTest keys and clicks, and the
// window manager's list of the windows shown.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <memory>

namespace real_display {

// How long a step that normally takes a second or two may take before the test gives up on it.
constexpr int kGuardMs = 30000;

class XSession {
public:
    // Starts the server and the window manager; a missing tool or a server that does not come up
    // fails the test (see ok()).
    XSession();
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool ok() const { return ok_; }
    QString display() const { return display_; }
    // The environment a program runs in on this display, with the X platform chosen.
    QProcessEnvironment environment() const;

    // Runs a desktop tool on this display to its end; false (and a test failure) when it cannot
    // be run or does not succeed. Its standard output goes to output when given.
    bool run(const QString& program, const QStringList& arguments, QString* output = nullptr) const;

    // Ids of the windows shown now whose title is exactly this.
    QStringList visibleWindows(const QString& title) const;
    // The window that gets the keys now, or empty.
    QString focusedWindow() const;
    QString titleOf(const QString& window) const;
    // Waits until a window of this title is shown and gets the keys; its id, or empty after the guard.
    QString waitForFocusedWindow(const QString& title) const;
    // Waits until the window is no longer shown.
    bool waitUntilHidden(const QString& window) const;

    // Types keys (xdotool names) into the window that has the focus.
    void keys(const QStringList& names) const;
    // Clicks the left button at a point of the window, count times in a row.
    void click(const QString& window, int x, int y, int count = 1) const;
    // Holds a key (an xdotool name) down for two seconds while every core of the machine is kept busy.
    void holdKey(const QString& name) const;

private:
    QProcess server_;
    QProcess windowManager_;
    QString display_;
    bool ok_ = false;
};

// Records the windows the window manager shows, from its start until it is read.
class WindowWatch {
public:
    WindowWatch(const XSession& session, const QString& logFile);
    ~WindowWatch();
    // How many times a window came up (a window shown twice counts twice). Ends the watch.
    int windowsShown();

private:
    QProcess spy_;
    QString logFile_;
};

}  // namespace real_display
