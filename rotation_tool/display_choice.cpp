#include "rotation_tool/display_choice.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QtGlobal>
#include <chrono>
#include <dlfcn.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <memory>
#include <string>
#include <thread>

namespace rotation_tool {

namespace {

constexpr int kProbeTimeoutMs = 3000;

// The X platform plugin can be loaded only when it is installed where the library looks.
bool xPlatformInstalled() {
    QStringList directories{QLibraryInfo::path(QLibraryInfo::PluginsPath)};
    directories += qEnvironmentVariable("QT_PLUGIN_PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString& directory : directories)
        if (QFileInfo::exists(directory + "/platforms/libqxcb.so")) return true;
    return false;
}

}  // namespace

bool xDisplayAnswers(const char* display, int timeoutMs) {
    // The X client library is loaded only to ask; the platform plugin loads it anyway when used.
    void* library = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library) return false;
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    const auto connect = reinterpret_cast<Connect>(::dlsym(library, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(::dlsym(library, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(::dlsym(library, "xcb_disconnect"));
    if (!connect || !hasError || !disconnect) return false;

    // A server that accepts but never answers would hold the connection attempt for ever: the
    // attempt runs on a thread of its own that is left behind when it takes too long.
    // The answer is handed over under a mutex with a condition variable, as every wait of the
    // programs is, and is shared so that a thread left behind still has it.
    struct Answer {
        std::mutex mutex;
        std::condition_variable given;
        std::optional<bool> ok;
    };
    auto answer = std::make_shared<Answer>();
    std::thread([=, name = std::string(display)] {
        void* connection = connect(name.c_str(), nullptr);
        const bool ok = connection && hasError(connection) == 0;
        if (connection) disconnect(connection);
        std::lock_guard lock(answer->mutex);
        answer->ok = ok;
        answer->given.notify_one();
    }).detach();
    std::unique_lock lock(answer->mutex);
    return answer->given.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return answer->ok.has_value(); }) &&
           *answer->ok;
}

void provideRuntimeDirectory() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) return;
    const uid_t user = ::geteuid();
    const passwd* account = ::getpwuid(user);
    const QByteArray name = account ? QByteArray(account->pw_name) : QByteArray::number(user);
    const QByteArray directory = QFile::encodeName(QDir::tempPath()) + "/runtime-" + name;
    ::mkdir(directory.constData(), 0700);
    // Only a directory of this user's that nobody else may enter will do.
    struct stat info {};
    if (::lstat(directory.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == user &&
        (info.st_mode & 0777) == 0700)
        qputenv("XDG_RUNTIME_DIR", directory);
}

void choosePlatform(bool unattended) {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
    const QByteArray display = qgetenv("DISPLAY");
    const bool anyDisplay = !display.isEmpty() || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!anyDisplay) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return;
    }
    if (!unattended) return;
    // Unattended the window only shows progress: a display that cannot be used is no reason to
    // stop, so the run goes on without one.
    if (display.isEmpty() || !xPlatformInstalled() || !xDisplayAnswers(display.constData(), kProbeTimeoutMs))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace rotation_tool
