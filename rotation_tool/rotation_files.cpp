#include "rotation_tool/rotation_files.h"

#include "platform/file_ops.h"
#include "rotation_tool/rotation_log_dialog.h"
#include "site_manager/file_helpers.h"
#include "site_manager/site_paths.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace rotation_tool {

QString backupFileName(const QString& target) {
    const int nameStart = std::max(target.lastIndexOf('/'), target.lastIndexOf('\\')) + 1;
    const int dot = target.lastIndexOf('.');
    if (dot < nameStart) return target + ".";
    const QString extension = target.mid(dot + 1);
    return target.left(dot) + ".~" + extension.left(extension.size() - 1);
}

bool createnewdirectory(const QString& path) {
    if (path.size() <= 3) return false;
    if (createDirectoryPath(path)) return true;
    if (dlgLog) dlgLog->Addwarning("An error was encountered whilst trying to create the directory, " + path, true);
    return false;
}

void docopyfile(const QString& source, const QString& target) {
    const auto fail = [&source] { throw CopyError(("cannot copy " + source).toStdString()); };
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) fail();
    // Written beside the target, so the closing rename stays on one file system and replaces the
    // live file in one step: it is never missing or half written.
    QTemporaryFile out(QFileInfo(target).path() + "/.spindleway-XXXXXX");
    if (!out.open()) fail();
    constexpr qint64 chunk = 1 << 20;
    while (!in.atEnd()) {
        const QByteArray buffer = in.read(chunk);
        if (buffer.isEmpty() && in.error() != QFileDevice::NoError) fail();
        if (out.write(buffer) != buffer.size()) fail();
    }
    out.setPermissions(in.permissions() | QFileDevice::WriteOwner);
    if (!out.flush()) fail();
    out.close();
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(out.fileName()).toStdString(), QFile::encodeName(target).toStdString(),
                            error);
    if (error) fail();  // the temporary file goes with `out`
    out.setAutoRemove(false);
}

void flushToDisk(const QString& directory) {
#ifdef __linux__
    const int fd = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
        return;
    }
#else
    (void)directory;
#endif
    ::sync();
}

void forEachInParallel(std::size_t count, const std::function<void(std::size_t)>& work) {
    // File copies wait mostly on the disk, so a few more threads than cores still pay.
    const std::size_t threads = std::min<std::size_t>(count, 8);
    if (threads <= 1) {
        for (std::size_t i = 0; i < count; ++i) work(i);
        return;
    }
    std::atomic<std::size_t> next{0};
    std::vector<std::jthread> workers;
    workers.reserve(threads);
    for (std::size_t t = 0; t < threads; ++t)
        workers.emplace_back([&] {
            for (std::size_t i = next++; i < count; i = next++) work(i);
        });
}

}  // namespace rotation_tool
