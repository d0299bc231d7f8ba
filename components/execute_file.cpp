#include "components/execute_file.h"

#include "platform/shell_open.h"

#include <QFileInfo>
#include <QProcess>

namespace {
constexpr int kStarted = 33;
constexpr int kFileNotFound = 2;
constexpr int kFailed = 0;
}  // namespace

int ExecuteFile(const QString& FileName, const QString& Params, const QString& DefaultDir, int /*ShowCmd*/) {
    const QFileInfo info(FileName);
    if (info.isFile() && info.isExecutable()) {
        // Parameters are split as a command line would be; strings go whole, nothing is cut.
        const QStringList args = QProcess::splitCommand(Params);
        return QProcess::startDetached(FileName, args, DefaultDir) ? kStarted : kFailed;
    }
    if (!info.exists() && !FileName.contains(':')) return kFileNotFound;
    // The desktop's opener may fail only after it started (no program for the file's type); the
    // user hears of that from it, as the shell itself tells, not from the caller's result.
    platform::openDocumentReported(FileName);
    return kStarted;
}
