#include "rotation_tool/rotation_files.h"

#include "platform/file_ops.h"
#include "rotation_tool/rotation_log_dialog.h"
#include "site_manager/site_paths.h"

#include <QStringList>

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
    const QString full = fixpath(path, true);
    QStringList missing;
    for (int i = 3; i < full.size(); ++i) {
        if (full[i] != '/' && full[i] != '\\') continue;
        const QString prefix = full.left(i + 1);
        if (!platform::directoryExists(prefix)) missing << prefix;
    }
    QStringList created;
    for (const QString& dir : missing) {
        if (!platform::createDirectory(dir)) {
            for (auto it = created.crbegin(); it != created.crend(); ++it) platform::removeDirectory(*it);
            if (dlgLog) dlgLog->Addwarning("An error was encountered whilst trying to create the directory, " + path, true);
            return false;
        }
        created << dir;
    }
    return true;
}

void docopyfile(const QString& source, const QString& target) {
    // Replacing in one rename means the live file is never missing or half written.
    if (!platform::copyFile(source, target, false)) throw CopyError(("cannot copy " + source).toStdString());
}

}  // namespace rotation_tool
