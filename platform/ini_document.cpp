#include "platform/ini_document.h"

#include <QStringDecoder>
#include <algorithm>

namespace platform {

namespace {

constexpr char16_t kEscape = 0x10;  // DLE
const QByteArray kUtf8Mark("\xEF\xBB\xBF");
const QByteArray kUtf16LEMark("\xFF\xFE");

// Windows-1252's characters for the bytes 0x80 to 0x9F. The five bytes it leaves unassigned
// stand for the control characters of their own numbers, so that they write back as they were.
constexpr char16_t kWindows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The Windows-1252 byte of a character, or -1 when it has none.
int windows1252Byte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return int(c);
    for (int i = 0; i < 32; ++i)
        if (kWindows1252High[i] == c) return 0x80 + i;
    return -1;
}

struct TextForm {
    TextEncoding encoding = TextEncoding::Utf8;
    QByteArray byteOrderMark;  // the mark the bytes begin with, empty for none
};

// The one decision on how a file is read, taken on its whole content.
TextForm textFormOf(const QByteArray& bytes) {
    if (bytes.startsWith(kUtf16LEMark)) return {TextEncoding::Utf16LE, kUtf16LEMark};
    const QByteArray mark = bytes.startsWith(kUtf8Mark) ? kUtf8Mark : QByteArray();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString whole = utf8.decode(bytes.sliced(mark.size()));  // lazy: only a conversion checks the bytes
    return {utf8.hasError() ? TextEncoding::Windows1252 : TextEncoding::Utf8, mark};
}

// The decoder and the encoder, side by side: whatever decodeText reads, encodeText writes back
// as the same bytes (an odd last byte of UTF-16 has no character; the line keeps it).
QString decodeText(const QByteArray& bytes, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8:
        return QString::fromUtf8(bytes);
    case TextEncoding::Windows1252: {
        QString text(bytes.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const uchar b = uchar(bytes[i]);
            text[i] = QChar(b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : char16_t(b));
        }
        return text;
    }
    case TextEncoding::Utf16LE: {
        QString text(bytes.size() / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i)
            text[i] = QChar(char16_t(uchar(bytes[2 * i]) | uchar(bytes[2 * i + 1]) << 8));
        return text;
    }
    }
    return QString();
}

QByteArray encodeText(const QString& text, TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8:
        return text.toUtf8();
    case TextEncoding::Windows1252: {
        QByteArray bytes;
        bytes.reserve(text.size());
        for (const QChar ch : text) {
            const int b = windows1252Byte(ch.unicode());
            bytes += b >= 0 ? char(b) : '?';
        }
        return bytes;
    }
    case TextEncoding::Utf16LE: {
        QByteArray bytes;
        bytes.reserve(text.size() * 2);
        for (const QChar ch : text) {
            bytes += char(ch.unicode() & 0xFF);
            bytes += char(ch.unicode() >> 8);
        }
        return bytes;
    }
    }
    return QByteArray();
}

// The width of one code unit, in which lines are split: a CR or LF byte inside a UTF-16
// character is not a line end.
qsizetype unitSize(TextEncoding encoding) { return encoding == TextEncoding::Utf16LE ? 2 : 1; }

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

bool mustEscape(const QString& value, qsizetype i, TextEncoding encoding) {
    const QChar ch = value[i];
    if (ch == '\r' || ch == '\n' || ch.unicode() == kEscape) return true;
    if (!canEncode(ch.unicode(), encoding)) return true;
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

QString decodeFileText(const QByteArray& bytes, TextEncoding* encoding) {
    const TextForm form = textFormOf(bytes);
    if (encoding) *encoding = form.encoding;
    return decodeText(bytes.sliced(form.byteOrderMark.size()), form.encoding);
}

bool canEncode(char32_t character, TextEncoding encoding) {
    return encoding != TextEncoding::Windows1252 || windows1252Byte(character) >= 0;
}

QByteArray encodeFileText(const QString& text, TextEncoding encoding) {
    return (encoding == TextEncoding::Utf16LE ? kUtf16LEMark : QByteArray()) + encodeText(text, encoding);
}

QString encodeIniValue(const QString& value, TextEncoding encoding) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (!mustEscape(value, i, encoding)) {
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
    const TextForm form = textFormOf(input);
    doc.encoding_ = form.encoding;
    doc.byteOrderMark_ = form.byteOrderMark;
    const QByteArray bytes = input.sliced(form.byteOrderMark.size());
    const qsizetype unit = unitSize(doc.encoding_);
    // The code unit at i, or 0 past the end and for an incomplete last unit.
    const auto unitAt = [&](qsizetype i) -> char16_t {
        if (i + unit > bytes.size()) return 0;
        return unit == 1 ? uchar(bytes[i]) : char16_t(uchar(bytes[i]) | uchar(bytes[i + 1]) << 8);
    };

    doc.sections_.push_back(Section{});
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype stop = start;
        while (stop < bytes.size() && unitAt(stop) != '\r' && unitAt(stop) != '\n') stop += unit;
        stop = std::min(stop, bytes.size());
        qsizetype next = stop;
        if (next < bytes.size()) next += (unitAt(next) == '\r' && unitAt(next + unit) == '\n') ? 2 * unit : unit;
        Line line;
        line.raw = bytes.mid(start, stop - start);
        line.end = bytes.mid(stop, next - stop);
        line.text = decodeText(line.raw, doc.encoding_);
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
    out += byteOrderMark_;
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
    return Line{encodeText(text, encoding_), end, text};
}

QByteArray IniDocument::defaultLineEnd() const {
    for (const Section& section : sections_)
        for (const Line& line : section.lines)
            if (!line.end.isEmpty()) return line.end;
    return encodeText("\r\n", encoding_);
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value) {
    const QString stored = encodeIniValue(value, encoding_);
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
