#include "site_manager/builder/support_files.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

QString findFileIgnoringCase(const QString& directory, const QString& relative) {
    const QString path = QDir::isAbsolutePath(relative) ? relative : QDir(directory).filePath(relative);
    if (QFileInfo(path).isFile()) return path;
    // Walk the path one name at a time, taking the entry that matches without regard to case.
    const QString clean = QDir::cleanPath(path);
    QString found = clean.startsWith('/') ? QStringLiteral("/") : QString();
    const QStringList parts = clean.split('/', Qt::SkipEmptyParts);
    for (int i = 0; i < parts.size(); ++i) {
        const bool last = i == parts.size() - 1;
        const QDir current(found.isEmpty() ? QStringLiteral(".") : found);
        QString match;
        if (QFileInfo::exists(current.filePath(parts[i]))) {
            match = parts[i];
        } else {
            const QStringList entries =
                current.entryList((last ? QDir::Files : QDir::Dirs) | QDir::Hidden | QDir::NoDotAndDotDot);
            for (const QString& entry : entries)
                if (entry.compare(parts[i], Qt::CaseInsensitive) == 0) {
                    match = entry;
                    break;
                }
        }
        if (match.isEmpty()) return QString();
        found = current.filePath(match);
    }
    return QFileInfo(found).isFile() ? found : QString();
}

QString supportFileTarget(const QString& source, const QStringList& templateDirectories, bool lowercase) {
    const QString normalised = QString(source).replace('\\', '/');
    QString target = QFileInfo(normalised).fileName();
    // The deepest template folder that holds the file is the one whose page refers to it.
    QStringList directories = templateDirectories;
    std::sort(directories.begin(), directories.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& directory : directories) {
        if (directory.isEmpty() || !normalised.startsWith(directory)) continue;
        const QString below = QDir::cleanPath(normalised.mid(directory.size()));
        if (below.isEmpty() || QDir::isAbsolutePath(below) || below == ".." || below.startsWith("../")) continue;
        target = below;
        break;
    }
    return lowercase ? target.toLower() : target;
}
