#include "platform/undecodable_names.h"

#include <QFile>

#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace platform {

namespace {

// Invalid bytes decode to replacement characters, which encode back as other bytes.
bool validUtf8(const char* name) {
    const QByteArray bytes(name);
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

}  // namespace

QStringList undecodableFileNames(const QString& directory) {
    const QByteArray native = QFile::encodeName(directory);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(native.constData()), ::closedir);
    QStringList names;
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (validUtf8(entry->d_name)) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
        names << QString::fromUtf8(entry->d_name);
    }
    names.sort();
    return names;
}

}  // namespace platform
