#include "platform/ini_document.h"

#include <QStringDecoder>

namespace platform {

namespace {

constexpr char16_t kEscape = 0x10;  // DLE
const QByteArray kByteOrderMark("\xEF\xBB\xBF");

QString fold(const QString& name) { return name.toCaseFolded(); }

bool isSectionHeader(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (!t.startsWith('[')) return false;
    const int close = t.indexOf(']');
    if (close < 0) return false;
    if (name) *name = t.mid(1, close - 1).trimmed();
    return true;
}

// Splits "key = value" into its trimmed parts; blank lines, comments and lines without "=" have no key.
bool splitKeyValue(const QString& line, QString* key, QString* value) {
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';')) return false;
    const int eq = t.indexOf('=');
    if (eq < 0) return false;
    *key = t.left(eq).trimmed();
    if (!value) return true;
    QString v = t.mid(eq + 1).trimmed();
    // The profile API drops one pair of surrounding quotes.
    if (v.size() >= 2 && ((v.startsWith('"') && v.endsWith('"')) || (v.startsWith('\'') && v.endsWith('\''))))
        v = v.mid(1, v.size() - 2);
    *value = decodeIniValue(v);
    return true;
}

bool mustEscape(const QString& value, qsizetype i, bool latin1) {
    const QChar ch = value[i];
    if (ch == '\r' || ch == '\n' || ch.unicode() == kEscape) return true;
    if (latin1 && ch.unicode() > 0xFF) return true;
    const bool edge = i == 0 || i == value.size() - 1;
    if (edge && ch.isSpace()) return true;  // reading trims blanks at the ends
    // Reading drops a pair of quotes around the value.
    return i == 0 && value.size() >= 2 && (ch == '"' || ch == '\'') && value.back() == ch;
}

bool isHexDigit(QChar ch) {
    const char16_t c = ch.unicode();
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The value of count hexadecimal digits at from, or -1 when there are not that many.
int hexDigits(const QString& text, qsizetype from, int count) {
    if (from + count > text.size()) return -1;
    for (qsizetype i = from; i < from + count; ++i)
        if (!isHexDigit(text[i])) return -1;
    return text.mid(from, count).toInt(nullptr, 16);
}

}  // namespace

QString encodeIniValue(const QString& value, bool latin1) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (!mustEscape(value, i, latin1)) {
            out += value[i];
            continue;
        }
        const char16_t code = value[i].unicode();
        out += QChar(kEscape);
        if (code <= 0xFF) out += QString::asprintf("%02X", code);
        else out += QString::asprintf("u%04X", code);
    }
    return out;
}

QString decodeIniValue(const QString& stored) {
    if (!stored.contains(QChar(kEscape))) return stored;
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (stored[i].unicode() == kEscape) {
            if (const int byte = hexDigits(stored, i + 1, 2); byte >= 0) {
                out += QChar(char16_t(byte));
                i += 2;
                continue;
            }
            if (i + 1 < stored.size() && stored[i + 1] == 'u') {
                if (const int code = hexDigits(stored, i + 2, 4); code >= 0) {
                    out += QChar(char16_t(code));
                    i += 5;
                    continue;
                }
            }
        }
        out += stored[i];  // not an escape this layer wrote: kept as it is
    }
    return out;
}

IniDocument IniDocument::parse(const QByteArray& input) {
    IniDocument doc;
    QByteArray bytes = input;
    if (bytes.startsWith(kByteOrderMark)) {
        doc.byteOrderMark_ = true;
        bytes.remove(0, kByteOrderMark.size());
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString whole = utf8.decode(bytes);  // the decoder is lazy: only a conversion checks the bytes
    doc.latin1_ = utf8.hasError();

    doc.sections_.push_back(Section{});
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype stop = start;
        while (stop < bytes.size() && bytes[stop] != '\r' && bytes[stop] != '\n') ++stop;
        qsizetype next = stop;
        if (next < bytes.size()) next += (bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1;
        Line line;
        line.raw = bytes.mid(start, stop - start);
        line.end = bytes.mid(stop, next - stop);
        line.text = doc.latin1_ ? QString::fromLatin1(line.raw) : QString::fromUtf8(line.raw);
        QString name;
        if (isSectionHeader(line.text, &name)) {
            Section section;
            section.name = name;
            section.hasHeader = true;
            doc.sections_.push_back(std::move(section));
        }
        doc.sections_.back().lines.push_back(std::move(line));
        start = next;
    }
    for (Section& section : doc.sections_) indexKeys(section);
    doc.reindexSections();
    return doc;
}

QByteArray IniDocument::serialize() const {
    QByteArray out;
    if (byteOrderMark_) out += kByteOrderMark;
    for (const Section& section : sections_)
        for (const Line& line : section.lines) out += line.raw + line.end;
    return out;
}

void IniDocument::reindexSections() {
    sectionIndex_.clear();
    for (int i = 0; i < int(sections_.size()); ++i)
        if (sections_[i].hasHeader && !sectionIndex_.contains(fold(sections_[i].name)))
            sectionIndex_.insert(fold(sections_[i].name), i);
}

int IniDocument::findSection(const QString& section) const { return sectionIndex_.value(fold(section), -1); }

void IniDocument::indexKeys(Section& section) {
    section.keyIndex.clear();
    for (int i = section.hasHeader ? 1 : 0; i < int(section.lines.size()); ++i) {
        QString k;
        if (splitKeyValue(section.lines[i].text, &k, nullptr) && !section.keyIndex.contains(fold(k)))
            section.keyIndex.insert(fold(k), i);
    }
}

int IniDocument::findKey(const Section& section, const QString& key) const {
    return section.keyIndex.value(fold(key), -1);
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const {
    const int s = findSection(section);
    if (s < 0) return std::nullopt;
    const int at = findKey(sections_[s], key);
    if (at < 0) return std::nullopt;
    QString k, v;
    splitKeyValue(sections_[s].lines[at].text, &k, &v);
    return v;
}

QStringList IniDocument::keys(const QString& section) const {
    QStringList out;
    for (const auto& [key, value] : pairs(section)) out << key;
    return out;
}

std::vector<std::pair<QString, QString>> IniDocument::pairs(const QString& section) const {
    std::vector<std::pair<QString, QString>> out;
    const int s = findSection(section);
    if (s < 0) return out;
    const Section& sec = sections_[s];
    for (int i = 1; i < int(sec.lines.size()); ++i) {
        QString k, v;
        if (splitKeyValue(sec.lines[i].text, &k, &v) && !k.isEmpty()) out.emplace_back(k, v);
    }
    return out;
}

QStringList IniDocument::sectionNames() const {
    QStringList names;
    for (const Section& section : sections_)
        if (section.hasHeader) names << section.name;
    return names;
}

IniDocument::Line IniDocument::makeLine(const QString& text, const QByteArray& end) const {
    return Line{latin1_ ? text.toLatin1() : text.toUtf8(), end, text};
}

QByteArray IniDocument::defaultLineEnd() const {
    for (const Section& section : sections_)
        for (const Line& line : section.lines)
            if (!line.end.isEmpty()) return line.end;
    return "\r\n";
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value) {
    const QString stored = encodeIniValue(value, latin1_);
    const QByteArray end = defaultLineEnd();
    const int s = findSection(section);
    if (s < 0) {
        // A new section goes at the end, after a blank line.
        Section* last = &sections_.back();
        if (!last->lines.empty()) {
            if (last->lines.back().end.isEmpty()) last->lines.back().end = end;
            if (!last->lines.back().text.trimmed().isEmpty()) last->lines.push_back(makeLine(QString(), end));
        }
        Section added;
        added.name = section;
        added.hasHeader = true;
        added.lines.push_back(makeLine("[" + section + "]", end));
        added.lines.push_back(makeLine(key + "=" + stored, end));
        indexKeys(added);
        sections_.push_back(std::move(added));
        reindexSections();
        return;
    }
    Section& sec = sections_[s];
    const int at = findKey(sec, key);
    if (at >= 0) {
        // The key keeps the spelling it already has in the file, the line its end.
        QString existingKey;
        splitKeyValue(sec.lines[at].text, &existingKey, nullptr);
        sec.lines[at] = makeLine(existingKey + "=" + stored, sec.lines[at].end);
        return;
    }
    // New keys go after the section's last non-blank line.
    int insertAt = int(sec.lines.size());
    while (insertAt > 1 && sec.lines[insertAt - 1].text.trimmed().isEmpty()) --insertAt;
    if (sec.lines[insertAt - 1].end.isEmpty()) sec.lines[insertAt - 1].end = end;
    sec.lines.insert(sec.lines.begin() + insertAt, makeLine(key + "=" + stored, end));
    indexKeys(sec);
}

void IniDocument::eraseSection(const QString& section) {
    const int s = findSection(section);
    if (s < 0) return;
    sections_.erase(sections_.begin() + s);
    reindexSections();
}

void IniDocument::deleteKey(const QString& section, const QString& key) {
    const int s = findSection(section);
    if (s < 0) return;
    Section& sec = sections_[s];
    const int at = findKey(sec, key);
    if (at < 0) return;
    sec.lines.erase(sec.lines.begin() + at);
    indexKeys(sec);
}

}  // namespace platform
