#include "tests/common/link_checker.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace testing_support {

QStringList pageReferences(const QString& html) {
    static const QRegularExpression attribute(R"re((?:href|src)\s*=\s*"([^"]*)")re",
                                              QRegularExpression::CaseInsensitiveOption);
    QStringList references;
    for (auto it = attribute.globalMatch(html); it.hasNext();) references << it.next().captured(1);
    return references;
}

QString localTarget(const QString& reference) {
    QString target = reference.trimmed();
    if (target.startsWith("javascript:", Qt::CaseInsensitive)) {
        const int open = target.indexOf('\'');
        const int close = target.indexOf('\'', open + 1);
        return open >= 0 && close > open ? target.mid(open + 1, close - open - 1) : QString();
    }
    if (target.isEmpty() || target.startsWith('#') || target.contains("://") ||
        target.startsWith("mailto:", Qt::CaseInsensitive))
        return QString();
    const int anchor = target.indexOf('#');
    return anchor >= 0 ? target.left(anchor) : target;
}

QStringList brokenLinks(const QString& dir) {
    QStringList broken;
    QDirIterator pages(dir, {"*.htm", "*.html"}, QDir::Files, QDirIterator::Subdirectories);
    while (pages.hasNext()) {
        const QString page = pages.next();
        QFile file(page);
        if (!file.open(QIODevice::ReadOnly)) {
            broken << page + ": unreadable";
            continue;
        }
        const QString html = QString::fromUtf8(file.readAll());
        const QDir base = QFileInfo(page).dir();
        for (const QString& reference : pageReferences(html)) {
            const QString target = localTarget(reference);
            if (target.isEmpty()) continue;
            if (!QFileInfo::exists(base.filePath(target))) broken << QFileInfo(page).fileName() + ": " + reference;
        }
    }
    return broken;
}

}  // namespace testing_support
