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

namespace {

// Pages are UTF-8, or Latin-1 like their template; a null string when unreadable.
QString readPage(const QString& page) {
    QFile file(page);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString html = utf8(bytes);
    if (utf8.hasError()) html = QString::fromLatin1(bytes);
    if (html.isNull()) html = QLatin1String("");
    return html;
}

}  // namespace

QStringList brokenLinks(const QString& dir) {
    QStringList broken;
    QDirIterator pages(dir, {"*.htm", "*.html"}, QDir::Files, QDirIterator::Subdirectories);
    while (pages.hasNext()) {
        const QString page = pages.next();
        const QString html = readPage(page);
        if (html.isNull()) {
            broken << page + ": unreadable";
            continue;
        }
        const QDir base = QFileInfo(page).dir();
        for (const QString& reference : pageReferences(html)) {
            const QString target = localTarget(reference);
            if (target.isEmpty()) continue;
            if (!QFileInfo::exists(base.filePath(target))) broken << QFileInfo(page).fileName() + ": " + reference;
        }
    }
    return broken;
}

bool scriptWellFormed(const QString& script) {
    int depth = 0;
    QChar quote;  // the open string's quote, or null outside strings
    for (int i = 0; i < script.size(); ++i) {
        const QChar c = script[i];
        if (!quote.isNull()) {
            if (c == '\\') ++i;
            else if (c == quote) quote = QChar();
            else if (c == '\n' || c == '\r') return false;
            continue;
        }
        if (script.mid(i, 2) == "//" || script.mid(i, 4) == "<!--") {
            while (i < script.size() && script[i] != '\n') ++i;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth < 0) {
            return false;
        }
    }
    return quote.isNull() && depth == 0;
}

QStringList malformedScripts(const QString& dir) {
    static const QRegularExpression block(R"re(<script[^>]*>(.*?)</script>)re",
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    QStringList malformed;
    QDirIterator pages(dir, {"*.htm", "*.html"}, QDir::Files, QDirIterator::Subdirectories);
    while (pages.hasNext()) {
        const QString page = pages.next();
        const QString html = readPage(page);
        QStringList scripts;
        for (const QString& reference : pageReferences(html))
            if (reference.trimmed().startsWith("javascript:", Qt::CaseInsensitive))
                scripts << QUrl::fromPercentEncoding(reference.trimmed().mid(11).toUtf8());
        for (auto it = block.globalMatch(html); it.hasNext();) scripts << it.next().captured(1);
        for (const QString& script : scripts)
            if (!scriptWellFormed(script)) malformed << QFileInfo(page).fileName() + ": " + script;
    }
    return malformed;
}

}  // namespace testing_support
