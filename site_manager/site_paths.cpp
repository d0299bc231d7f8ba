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

QString executableDirectoryWithSlash() {
    const QString directory = platform::executableDirectory();
    return directory.endsWith('/') ? directory : directory + '/';
}

}  // namespace

void initDataDirectory() { DataDirectory = executableDirectoryWithSlash(); }

namespace {

// The data directory with its trailing "/", also before a main window has set it.
QString dataDirectory() { return DataDirectory.isEmpty() ? executableDirectoryWithSlash() : DataDirectory; }

// "//" counts as one "/", and "." and ".." are resolved by the names alone, as the path is
// written, before anything is created. ".." never leaves the root.
QString normalised(const QString& absolute) {
    QStringList folders;
    for (const QString& segment : absolute.split('/', Qt::SkipEmptyParts)) {
        if (segment == ".") continue;
        if (segment == "..") {
            if (!folders.isEmpty()) folders.removeLast();
            continue;
        }
        folders << segment;
    }
    return "/" + folders.join('/');
}

bool endsInSeparator(const QString& trimmed) { return !trimmed.isEmpty() && isSeparator(trimmed.back()); }

}  // namespace

QString storedPathOnDisk(const QString& stored) {
    const QString text = trimPath(stored);
    if (text.isEmpty()) return QString();
    if (text.startsWith('/')) {
        // A path written here: only "/" separates, a "\" is a character of a name, but a
        // trailing "\" ends the folder as a trailing "/" does.
        QString path = text;
        if (path.endsWith('\\')) path.back() = '/';
        return normalised(path);
    }
    // The forms a path may have been written in elsewhere, where "\" separates as "/" does: the
    // data directory's "%\", a root written "\", and a relative path, which lies in the data
    // directory wherever the program stands. Only a separator after the "%" makes it the data
    // directory: "%Gallery" and "%" alone are names of folders in it.
    QString base = dataDirectory(), rest = text;
    if (text.size() >= 2 && text[0] == '%' && isSeparator(text[1]))
        rest = text.mid(2);
    else if (text.startsWith('\\'))
        base = "/";
    rest.replace('\\', '/');
    return normalised(base + rest);
}

QString expandpath(const QString& path) {
    const QString onDisk = storedPathOnDisk(path);
    return endsInSeparator(trimPath(path)) && onDisk != "/" ? onDisk + '/' : onDisk;
}

QString truncatepath(const QString& path) {
    const QString trimmed = trimPath(path);
    if (trimmed.isEmpty()) return QString();
    // Only a path that lies under the data directory is stored relative to it; file names are
    // case-sensitive here, so the prefix must match exactly. The "%\" form reads "\" as a
    // separator, so a name holding one keeps its absolute form.
    if (!DataDirectory.isEmpty() && trimmed.startsWith(DataDirectory) &&
        !trimmed.mid(DataDirectory.size()).contains('\\'))
        return "%\\" + trimmed.mid(DataDirectory.size());
    return trimmed;
}

QString fixpath(const QString& path, bool withSlash) {
    const QString onDisk = storedPathOnDisk(path);
    return withSlash && !onDisk.isEmpty() && onDisk != "/" ? onDisk + '/' : onDisk;
}

QString changeextension(const QString& fileName, const QString& newExtension) {
    const int nameStart = std::max(fileName.lastIndexOf('/'), fileName.lastIndexOf('\\')) + 1;
    const int dot = fileName.lastIndexOf('.');
    if (dot >= nameStart) return fileName.left(dot) + newExtension;
    return fileName + newExtension;
}

qint64 numberAfter(const QString& name, const QString& prefix) {
    if (name.size() <= prefix.size() || !name.startsWith(prefix, Qt::CaseInsensitive)) return -1;
    const QString digits = name.mid(prefix.size());
    bool ok = false;
    const qint64 n = digits.toLongLong(&ok);
    return ok && n >= 0 && QString::number(n) == digits ? n : -1;
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
