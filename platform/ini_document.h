#pragma once
// One ini file held in memory as its lines. Lines that no write touches keep their bytes and their
// line ends, so writing one value changes nothing else in the file. The file's encoding is decided
// once, when it is read, and every write encodes in it (see TextEncoding).
//
// Values are stored escaped so that every value reads back exactly as it was written: a line
// break, the escape character (DLE, 0x10) itself, blanks or quotes at the ends that reading would
// trim, and characters the file's encoding cannot hold are written as DLE + two hexadecimal digits
// (or DLE + "u" + four for characters above 0xFF). Values written without escapes read as before.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace platform {

// How the programs read the ini and text files of their users, as the Windows programs that also
// write them do: a file that begins with the UTF-16 LE byte order mark is UTF-16 LE, a file that is
// valid UTF-8 (with or without its mark) is UTF-8, any other file is Windows-1252. The five bytes
// Windows-1252 leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) read as U+0081 and so on, and are
// written back as they were.
enum class TextEncoding { Utf8, Windows1252, Utf16LE };

// A whole file's text, read by the rules above; encoding, when given, tells how it was read.
QString decodeFileText(const QByteArray& bytes, TextEncoding* encoding = nullptr);
// Whether encoding holds the character; callers escape the ones it does not before encoding.
bool canEncode(char32_t character, TextEncoding encoding);
// A whole file in encoding, with the byte order mark UTF-16 LE needs.
QByteArray encodeFileText(const QString& text, TextEncoding encoding);

QString encodeIniValue(const QString& value, TextEncoding encoding);
QString decodeIniValue(const QString& stored);

class IniDocument {
public:
    static IniDocument parse(const QByteArray& bytes);
    QByteArray serialize() const;

    std::optional<QString> value(const QString& section, const QString& key) const;
    bool hasSection(const QString& section) const { return findSection(section) >= 0; }
    QStringList keys(const QString& section) const;
    // key and value pairs of a section, in file order, keys without a name left out.
    std::vector<std::pair<QString, QString>> pairs(const QString& section) const;
    QStringList sectionNames() const;

    void setValue(const QString& section, const QString& key, const QString& value);
    void eraseSection(const QString& section);
    void deleteKey(const QString& section, const QString& key);

private:
    struct Line {
        QByteArray raw;  // the bytes of the line without its end
        QByteArray end;  // "\r\n", "\n", "\r", or empty for a last line without one
        QString text;    // raw, decoded
    };
    struct Section {
        QString name;              // empty for the lines before the first header
        bool hasHeader = false;    // lines[0] is the "[name]" line
        std::vector<Line> lines;
        QHash<QString, int> keyIndex;  // folded key -> first line holding it
    };

    int findSection(const QString& section) const;
    int findKey(const Section& section, const QString& key) const;
    // Indexes are built whenever a section changes, never while reading: one parsed document is
    // read by several threads at once.
    static void indexKeys(Section& section);
    Line makeLine(const QString& text, const QByteArray& end) const;
    QByteArray defaultLineEnd() const;
    void reindexSections();

    std::vector<Section> sections_;
    QHash<QString, int> sectionIndex_;  // folded name -> first section of that name
    TextEncoding encoding_ = TextEncoding::Utf8;
    QByteArray byteOrderMark_;  // the mark the file began with, empty for none
};

}  // namespace platform
