#include "site_manager/site_paths.h"

#include "platform/file_ops.h"

#include <QDir>
#include <QFileInfo>

QString DataDirectory;

namespace {

// Trims blanks and control characters from both ends.
QString trimPath(const QString& path) {
    int start = 0, end = path.size();
    while (start < end && path[start].unicode() <= ' ') ++start;
    while (end > start && path[end - 1].unicode() <= ' ') --end;
    return path.mid(start, end - start);
}

bool isSeparator(QChar c) { return c == '/' || c == '\\'; }

}  // namespace

void initDataDirectory() { DataDirectory = fixpath(platform::executableDirectory(), true); }

QString expandpath(const QString& path) {
    const QString trimmed = trimPath(path);
    if (trimmed.isEmpty()) return QString();
    if (trimmed.startsWith('%')) {
        // Stored paths may come from either separator convention.
        QString rest = trimmed.mid(2);
        rest.replace('\\', '/');
        return DataDirectory + rest;
    }
    // A relative path names a folder of the data directory: the working directory moves with
    // every file list, and one stored path must name one folder for builds, rotations and deletes.
    // A leading "\" is a root written with the other separator, as stored paths may be.
    if (isSeparator(trimmed.front())) return trimmed;
    return DataDirectory + trimmed;
}

QString truncatepath(const QString& path) {
    const QString trimmed = trimPath(path);
    if (trimmed.isEmpty()) return QString();
    // Only a path that lies under the data directory is stored relative to it; file names are
    // case-sensitive here, so the prefix must match exactly.
    if (!DataDirectory.isEmpty() && trimmed.startsWith(DataDirectory))
        return "%\\" + trimmed.mid(DataDirectory.size());
    return trimmed;
}

QString fixpath(const QString& path, bool withSlash) {
    QString result = trimPath(path);
    if (result.isEmpty()) return QString();
    result = expandpath(result);
    if (isSeparator(result.back())) {
        // A stored path may end in either separator; kept, it is always "/", so that what follows
        // goes into the folder the path names rather than beside it.
        if (withSlash)
            result.back() = '/';
        else
            result.chop(1);
    } else if (withSlash) {
        result += '/';
    }
    return result;
}

QString changeextension(const QString& fileName, const QString& newExtension) {
    const int nameStart = std::max(fileName.lastIndexOf('/'), fileName.lastIndexOf('\\')) + 1;
    const int dot = fileName.lastIndexOf('.');
    if (dot >= nameStart) return fileName.left(dot) + newExtension;
    return fileName + newExtension;
}

QString ExistingCase::operator()(const QString& path) {
    const bool trailingSlash = path.endsWith('/');
    const QString bare = trailingSlash ? path.chopped(1) : path;
    if (bare.isEmpty() || QFileInfo::exists(bare)) return path;
    const QFileInfo info(bare);
    const QString parent = info.dir().path();
    auto listed = entries_.find(parent);
    if (listed == entries_.end()) {
        QHash<QString, QString> byFoldedName;  // the first entry in list order wins
        for (const QString& entry : info.dir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            if (!byFoldedName.contains(entry.toCaseFolded())) byFoldedName.insert(entry.toCaseFolded(), entry);
        listed = entries_.insert(parent, byFoldedName);
    }
    const QString entry = listed->value(info.fileName().toCaseFolded());
    return entry.isEmpty() ? path : parent + "/" + entry + (trailingSlash ? "/" : "");
}

QString withExistingCase(const QString& path) { return ExistingCase()(path); }

QString defaultRotationDirectory(const QString& sitePath, const QString& stem, qint64 n) {
    ExistingCase existingCase;
    return defaultRotationDirectory(sitePath, stem, n, existingCase);
}

QString defaultRotationDirectory(const QString& sitePath, const QString& stem, qint64 n, ExistingCase& existingCase) {
    return existingCase(fixpath(sitePath, true) + stem + QString::number(n));
}
