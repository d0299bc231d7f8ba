#pragma once
// Image descriptions: an ini file with a [Descriptions] section, or a text file of
// "name,description" lines that is converted into a temporary ini file for the build.
#include "site_manager/builder/build_settings.h"

#include <QHash>
#include <QString>
#include <QTemporaryFile>
#include <memory>
#include <optional>

// The ini file a build reads descriptions from.
struct DescriptionSource {
    QString IniPath;
    // The build's own conversion of a text file, made under a new name in the system's temporary
    // folder so that no file of the user's is ever written or removed; it goes with the source.
    std::unique_ptr<QTemporaryFile> Temporary;
};

// Converts "name,description" lines into an ini file with a [Descriptions] section (the first
// comma separates; lines without a comma are ignored). False when the text file has no lines or
// the user, told that no line holds an entry, chooses not to build; when they choose to build the
// ini file is not written. Raises nothing.
bool ConvertCSVtoINI(const QString& textFile, const QString& iniFile);

// The ini form of the description file: the file itself for ".ini" (any case), else a temporary
// conversion (empty, so that every lookup finds nothing, when the user builds although the text
// file holds no entry). Nothing on failure; the caller reports it.
std::optional<DescriptionSource> prepareDescriptionFile(const QString& descriptionFile);

// The [Descriptions] section of a description file, read once for a whole build; keys are found
// without regard to case, the first of equal keys counting, as in every ini file.
class DescriptionTable {
public:
    DescriptionTable() = default;
    explicit DescriptionTable(const QString& descriptionIniPath);
    // The value of key; empty when there is none.
    QString value(const QString& key) const { return values_.value(key.toLower()); }

private:
    QHash<QString, QString> values_;  // by lower-cased key
};

// The description of an image: [Descriptions] keyed by its file name, else by the rotation
// directory + file name; else the file name when chkShowFIlenameWhenNoDesc is checked.
QString LookupDescription(const BuildSettings& settings, const DescriptionTable& descriptions, const QString& imageName);
// The same, reading the file for this one image.
QString LookupDescription(const BuildSettings& settings, const QString& descriptionIniPath, const QString& imageName);
