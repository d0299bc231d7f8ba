#pragma once
// Ini files with the semantics of the classic profile API: section and key names match without
// regard to case, values are trimmed, a missing file reads as empty, and every write reaches the
// disk before the call returns (a write that cannot is raised as IniWriteError).
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace platform {

class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const QString& path);
    QString path;
};

class IniFile {
public:
    explicit IniFile(QString fileName);
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
    QStringList readSections() const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);  // "True"/"False"
    void eraseSection(const QString& section);
    void deleteKey(const QString& section, const QString& key);

private:
    QString path_;
};

// The two rules for stored true/false values, on the upper-cased text.
inline bool onUnlessFalse(const QString& value) { return value.trimmed().toUpper() != "FALSE"; }
inline bool onOnlyIfTrue(const QString& value) { return value.trimmed().toUpper() == "TRUE"; }
inline QString boolText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

}  // namespace platform
