#include "rotation_tool/log_file_guard.h"

#include "platform/help.h"
#include "platform/ini_file.h"
#include "site_manager/folder_owners.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace {

// The files of the data directory that go by a pattern: the site files and the help pages.
bool isPatternedOwnFileName(const QString& name) {
    static const QRegularExpression siteFile("^Site_[0-9]+\\.ini$");
    static const QRegularExpression helpTopic(
        "^" + QRegularExpression::escape(QFileInfo(platform::HelpFileName).completeBaseName()) + "_context[0-9]+\\." +
        QFileInfo(platform::HelpFileName).suffix() + "$");
    return siteFile.match(name).hasMatch() || helpTopic.match(name).hasMatch();
}

// The names of the files the programs keep in the data directory, those the site list names too.
QStringList ownFileNames() {
    QStringList names{"sites.ini", "options.ini", "Lumenfold", "Spindleway", platform::HelpFileName};
    for (const auto& [key, name] : platform::IniFile(sitesFileName()).readSectionPairs("Sites")) names << key + ".ini";
    for (const QString& name : QDir(DataDirectory).entryList(QDir::Files | QDir::Hidden))
        if (isPatternedOwnFileName(name)) names << name;
    return names;
}

}  // namespace

QString ownFileReplacedByLog(const QString& logFileName) {
    if (logFileName.trimmed().isEmpty() || DataDirectory.isEmpty()) return QString();
    const FolderOwners owners = FolderOwners::read();
    if (const auto shipped = owners.shippedFolderHolding(logFileName)) return "a file of " + describeOwner(*shipped);
    const QFileInfo log(storedPathOnDisk(logFileName));
    const QString name = log.fileName();
    const bool inDataDirectory = owners.isDataDirectory(log.absolutePath());
    if (inDataDirectory && isPatternedOwnFileName(name)) return name;
    for (const QString& own : ownFileNames()) {
        if (inDataDirectory && name == own) return own;
        if (owners.sameOnDisk(log.absoluteFilePath(), DataDirectory + own)) return own;
    }
    return QString();
}
