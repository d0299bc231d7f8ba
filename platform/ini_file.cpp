#include "platform/ini_file.h"

#include "platform/file_ops.h"


namespace platform {

namespace {

// The file is read again on every call, as the profile API does, so that two programs (or two
// objects) working on the same file always see each other's writes.
QStringList load(const QString& path) { return readTextLines(path); }

void save(const QString& path, const QStringList& lines) {
    if (!writeTextLines(path, lines)) throw IniWriteError(path);
}

bool isSectionHeader(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (!t.startsWith('[')) return false;
    const int close = t.indexOf(']');
    if (close < 0) return false;
    if (name) *name = t.mid(1, close - 1).trimmed();
    return true;
}

bool isComment(const QString& trimmed) { return trimmed.startsWith(';'); }

// Splits "key = value" into its trimmed parts; lines without "=" have no key.
bool splitKeyValue(const QString& line, QString* key, QString* value) {
    const QString t = line.trimmed();
    if (t.isEmpty() || isComment(t)) return false;
    const int eq = t.indexOf('=');
    if (eq < 0) return false;
    *key = t.left(eq).trimmed();
    QString v = t.mid(eq + 1).trimmed();
    // The profile API drops one pair of surrounding quotes.
    if (v.size() >= 2 && ((v.startsWith('"') && v.endsWith('"')) || (v.startsWith('\'') && v.endsWith('\''))))
        v = v.mid(1, v.size() - 2);
    *value = v;
    return true;
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Index range [first line after the header, end) of a section; first == -1 when absent.
std::pair<int, int> sectionRange(const QStringList& lines, const QString& section) {
    for (int i = 0; i < lines.size(); ++i) {
        QString name;
        if (isSectionHeader(lines[i], &name) && sameName(name, section)) {
            int end = i + 1;
            while (end < lines.size() && !isSectionHeader(lines[end], nullptr)) ++end;
            return {i + 1, end};
        }
    }
    return {-1, -1};
}

int findKey(const QStringList& lines, std::pair<int, int> range, const QString& key) {
    for (int i = range.first; i >= 0 && i < range.second; ++i) {
        QString k, v;
        if (splitKeyValue(lines[i], &k, &v) && sameName(k, key)) return i;
    }
    return -1;
}

}  // namespace

IniWriteError::IniWriteError(const QString& p)
    : std::runtime_error(("Cannot write the file " + p).toStdString()), path(p) {}

IniFile::IniFile(QString fileName) : path_(std::move(fileName)) {}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const {
    const QStringList lines = load(path_);
    const auto range = sectionRange(lines, section);
    const int at = findKey(lines, range, key);
    if (at < 0) return defaultValue;
    QString k, v;
    splitKeyValue(lines[at], &k, &v);
    return v;
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    QString text = readString(section, key, QString()).trimmed();
    bool ok = false;
    int value = 0;
    if (text.startsWith('$')) value = text.mid(1).toInt(&ok, 16);
    else if (text.startsWith("0x", Qt::CaseInsensitive)) value = text.mid(2).toInt(&ok, 16);
    else value = text.toInt(&ok, 10);
    return ok ? value : defaultValue;
}

bool IniFile::valueExists(const QString& section, const QString& key) const {
    const QStringList lines = load(path_);
    return findKey(lines, sectionRange(lines, section), key) >= 0;
}

bool IniFile::sectionExists(const QString& section) const {
    return sectionRange(load(path_), section).first >= 0;
}

QStringList IniFile::readSection(const QString& section) const {
    QStringList keys;
    const QStringList lines = load(path_);
    const auto range = sectionRange(lines, section);
    for (int i = range.first; i >= 0 && i < range.second; ++i) {
        QString k, v;
        if (splitKeyValue(lines[i], &k, &v) && !k.isEmpty()) keys << k;
    }
    return keys;
}

QStringList IniFile::readSectionValues(const QString& section) const {
    QStringList pairs;
    const QStringList lines = load(path_);
    const auto range = sectionRange(lines, section);
    for (int i = range.first; i >= 0 && i < range.second; ++i) {
        QString k, v;
        if (splitKeyValue(lines[i], &k, &v) && !k.isEmpty()) pairs << k + "=" + v;
    }
    return pairs;
}

QStringList IniFile::readSections() const {
    QStringList names;
    for (const QString& line : load(path_)) {
        QString name;
        if (isSectionHeader(line, &name)) names << name;
    }
    return names;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    QStringList lines = load(path_);
    const QString line = key + "=" + value;
    auto range = sectionRange(lines, section);
    if (range.first < 0) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
        lines << "[" + section + "]" << line;
    } else {
        const int at = findKey(lines, range, key);
        if (at >= 0) {
            // The key keeps the spelling it already has in the file.
            QString existingKey, oldValue;
            splitKeyValue(lines[at], &existingKey, &oldValue);
            lines[at] = existingKey + "=" + value;
        } else {
            // New keys go after the section's last non-blank line.
            int insertAt = range.second;
            while (insertAt > range.first && lines[insertAt - 1].trimmed().isEmpty()) --insertAt;
            lines.insert(insertAt, line);
        }
    }
    save(path_, lines);
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, boolText(value));
}

void IniFile::eraseSection(const QString& section) {
    QStringList lines = load(path_);
    const auto range = sectionRange(lines, section);
    if (range.first < 0) return;
    lines.erase(lines.begin() + (range.first - 1), lines.begin() + range.second);
    save(path_, lines);
}

void IniFile::deleteKey(const QString& section, const QString& key) {
    QStringList lines = load(path_);
    const int at = findKey(lines, sectionRange(lines, section), key);
    if (at < 0) return;
    lines.removeAt(at);
    save(path_, lines);
}

}  // namespace platform
