#pragma once
// Ini files with the semantics of the classic profile API: section and key names match without
// regard to case, values are trimmed, a missing file reads as empty, and every write reaches the
// disk before the call returns (a write that cannot is raised as IniWriteError).
//
// Each file is parsed once and kept; it is read again only when the file on disk has changed
// (another inode, size or modification time), so two programs or two objects working on the same
// file still see each other's writes. Writing a value changes only that value's line: every other
// byte of the file, its encoding and its line ends stay as they were. Any value, line breaks
// included, reads back exactly as it was written.
//
// Several writes can be made one update (beginUpdate ... commitUpdate, or IniUpdate): they reach
// the disk together as one atomic replacement of the file with one sync.
#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace platform {

class IniDocument;

class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const QString& path);
    QString path;
};

class IniFile {
public:
    explicit IniFile(QString fileName);
    ~IniFile();
    IniFile(const IniFile& other);  // a copy takes the collected writes of an update along
    IniFile& operator=(const IniFile& other);
    const QString& fileName() const { return path_; }

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    // A value that is not a whole number (decimal, or hexadecimal after "$" or "0x") gives the default.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    bool valueExists(const QString& section, const QString& key) const;
    bool sectionExists(const QString& section) const;
    // Key names of a section, in file order.
    QStringList readSection(const QString& section) const;
    // "key=value" lines of a section, in file order.
    QStringList readSectionValues(const QString& section) const;
    // Keys and values of a section, in file order: one read for a whole section.
    std::vector<std::pair<QString, QString>> readSectionPairs(const QString& section) const;
    QStringList readSections() const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);  // "True"/"False"
    // Writes the value only where the file, as the write (or the update's commit) finds it, holds
    // none for the key: a value another program stores meanwhile stays.
    void writeStringIfMissing(const QString& section, const QString& key, const QString& value);
    void eraseSection(const QString& section);
    void deleteKey(const QString& section, const QString& key);

    // Until commitUpdate, writes are collected (reads through this object see them). commitUpdate
    // writes them as one replacement of the file (raising IniWriteError when it cannot), applied
    // to the file as it is on disk then; cancelUpdate drops them.
    void beginUpdate();
    void commitUpdate();
    void cancelUpdate();

private:
    struct Update;
    std::shared_ptr<const IniDocument> document() const;
    template <typename Change>
    void change(Change&& change);

    QString path_;
    std::unique_ptr<Update> update_;
};

// One update of an ini file: commit() writes it, leaving the scope without commit() drops it.
class IniUpdate {
public:
    explicit IniUpdate(IniFile& ini) : ini_(ini) { ini_.beginUpdate(); }
    ~IniUpdate() {
        if (!done_) ini_.cancelUpdate();
    }
    IniUpdate(const IniUpdate&) = delete;
    IniUpdate& operator=(const IniUpdate&) = delete;
    void commit() {
        done_ = true;
        ini_.commitUpdate();
    }

private:
    IniFile& ini_;
    bool done_ = false;
};

// The two rules for stored true/false values, on the upper-cased text.
inline bool onUnlessFalse(const QString& value) { return value.trimmed().toUpper() != "FALSE"; }
inline bool onOnlyIfTrue(const QString& value) { return value.trimmed().toUpper() == "TRUE"; }
inline QString boolText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

}  // namespace platform
