#include "platform/ini_file.h"

#include "platform/file_ops.h"

#include <QFile>
#include <QSaveFile>

namespace platform {

namespace {

// The file as lines; parsing is redone on every call, as the profile API does, so that two
// programs (or two objects) working on the same file always see each other's writes.
struct IniLines {
    QStringList lines;
};

IniLines load(const QString& path) {
    IniLines result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return result;
    QString text = QString::fromUtf8(file.readAll());
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    result.lines = text.split('\n');
    if (!result.lines.isEmpty() && result.lines.last().isEmpty()) result.lines.removeLast();
    return result;
}

void save(const QString& path, const QStringList& lines) {
    QByteArray data;
    for (const QString& line : lines) data += line.toUtf8() + "\r\n";
    if (!writeFileAtomically(path, data)) throw IniWriteError(path);
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
    const IniLines ini = load(path_);
    const auto range = sectionRange(ini.lines, section);
    const int at = findKey(ini.lines, range, key);
    if (at < 0) return defaultValue;
    QString k, v;
    splitKeyValue(ini.lines[at], &k, &v);
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
    const IniLines ini = load(path_);
    return findKey(ini.lines, sectionRange(ini.lines, section), key) >= 0;
}

bool IniFile::sectionExists(const QString& section) const {
    return sectionRange(load(path_).lines, section).first >= 0;
}

QStringList IniFile::readSection(const QString& section) const {
    QStringList keys;
    const IniLines ini = load(path_);
    const auto range = sectionRange(ini.lines, section);
    for (int i = range.first; i >= 0 && i < range.second; ++i) {
        QString k, v;
        if (splitKeyValue(ini.lines[i], &k, &v) && !k.isEmpty()) keys << k;
    }
    return keys;
}

QStringList IniFile::readSectionValues(const QString& section) const {
    QStringList pairs;
    const IniLines ini = load(path_);
    const auto range = sectionRange(ini.lines, section);
    for (int i = range.first; i >= 0 && i < range.second; ++i) {
        QString k, v;
        if (splitKeyValue(ini.lines[i], &k, &v) && !k.isEmpty()) pairs << k + "=" + v;
    }
    return pairs;
}

QStringList IniFile::readSections() const {
    QStringList names;
    for (const QString& line : load(path_).lines) {
        QString name;
        if (isSectionHeader(line, &name)) names << name;
    }
    return names;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    IniLines ini = load(path_);
    const QString line = key + "=" + value;
    auto range = sectionRange(ini.lines, section);
    if (range.first < 0) {
        if (!ini.lines.isEmpty() && !ini.lines.last().trimmed().isEmpty()) ini.lines << QString();
        ini.lines << "[" + section + "]" << line;
    } else {
        const int at = findKey(ini.lines, range, key);
        if (at >= 0) {
            // The key keeps the spelling it already has in the file.
            QString existingKey, oldValue;
            splitKeyValue(ini.lines[at], &existingKey, &oldValue);
            ini.lines[at] = existingKey + "=" + value;
        } else {
            // New keys go after the section's last non-blank line.
            int insertAt = range.second;
            while (insertAt > range.first && ini.lines[insertAt - 1].trimmed().isEmpty()) --insertAt;
            ini.lines.insert(insertAt, line);
        }
    }
    save(path_, ini.lines);
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, boolText(value));
}

void IniFile::eraseSection(const QString& section) {
    IniLines ini = load(path_);
    const auto range = sectionRange(ini.lines, section);
    if (range.first < 0) return;
    ini.lines.erase(ini.lines.begin() + (range.first - 1), ini.lines.begin() + range.second);
    save(path_, ini.lines);
}

void IniFile::deleteKey(const QString& section, const QString& key) {
    IniLines ini = load(path_);
    const int at = findKey(ini.lines, sectionRange(ini.lines, section), key);
    if (at < 0) return;
    ini.lines.removeAt(at);
    save(path_, ini.lines);
}

}  // namespace platform
