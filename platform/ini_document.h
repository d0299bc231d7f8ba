#pragma once
// One ini file held in memory as its lines. Lines that no write touches keep their bytes and their
// line ends, so writing one value changes nothing else in the file. The file's encoding is kept:
// a file that is valid UTF-8 is read and written as UTF-8, any other file as Latin-1.
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

QString encodeIniValue(const QString& value, bool latin1);
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
    bool latin1_ = false;
    bool byteOrderMark_ = false;
};

}  // namespace platform
