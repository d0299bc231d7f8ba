#include "tests/common/link_checker.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

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
        // A browser percent-decodes a javascript: link before running it; the script's argument
        // is then a URL of its own.
        const QString script = QUrl::fromPercentEncoding(target.toUtf8());
        const int open = script.indexOf('\'');
        const int close = script.indexOf('\'', open + 1);
        return open >= 0 && close > open ? QUrl::fromPercentEncoding(script.mid(open + 1, close - open - 1).toUtf8())
                                         : QString();
    }
    if (target.isEmpty() || target.startsWith('#') || target.contains("://") ||
        target.startsWith("mailto:", Qt::CaseInsensitive))
        return QString();
    const int anchor = target.indexOf('#');
    return QUrl::fromPercentEncoding((anchor >= 0 ? target.left(anchor) : target).toUtf8());
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
        // Pages are UTF-8, or Latin-1 like their template.
        const QByteArray bytes = file.readAll();
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString html = utf8(bytes);
        if (utf8.hasError()) html = QString::fromLatin1(bytes);
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
