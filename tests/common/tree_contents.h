#pragma once
// Files and folder trees as tests write and compare them.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <gtest/gtest.h>

namespace testing_support {

inline void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(content);
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Copies a folder tree, its files and folders, into another folder.
inline void copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& entry : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry.isDir())
            copyTree(entry.filePath(), to + "/" + entry.fileName());
        else
            QFile::copy(entry.filePath(), to + "/" + entry.fileName());
    }
}

// Every directory ("path/") and file ("path: content") below a directory, by relative path.
inline QStringList treeContents(const QString& directory) {
    QStringList tree;
    QDirIterator it(directory, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = QDir(directory).relativeFilePath(path);
        tree << (it.fileInfo().isDir() ? relative + "/" : relative + ": " + QString::fromLatin1(readFile(path)));
    }
    tree.sort();
    return tree;
}

}  // namespace testing_support
