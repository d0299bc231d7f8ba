#include "site_manager/site_directory_guard.h"

#include "platform/ini_file.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString canonical(const QString& path) {
    if (path.trimmed().isEmpty()) return QString();
    QString p = expandpath(path);
    p.replace('\\', '/');
    return QFileInfo(p).canonicalFilePath();
}

// True when inner is directory itself or lies inside it.
bool isOrInside(const QString& inner, const QString& directory) {
    if (inner.isEmpty()) return false;
    return inner == directory || inner.startsWith(directory.endsWith('/') ? directory : directory + "/");
}

}  // namespace

QString whySiteDirectoryMustStay(const QString& directory, const QString& siteKey) {
    const QString target = canonical(directory);
    if (target.isEmpty()) return QString();
    if (target == "/") return "is the root of the file system";
    if (isOrInside(canonical(QDir::homePath()), target)) return "is or holds your home directory";
    if (isOrInside(canonical(DataDirectory), target)) return "is or holds the data directory of Lumenfold Pro";

    for (const auto& [key, name] : platform::IniFile(sitesFileName()).readSectionPairs("Sites")) {
        if (key.compare(siteKey, Qt::CaseInsensitive) == 0) continue;
        const platform::IniFile site(siteFileName(key));
        const QString used = "is used by the site, " + name + ", as its ";
        if (isOrInside(canonical(site.readString("General", "Path", QString())), target))
            return used + "site directory";
        if (isOrInside(canonical(site.readString("General", "LivePath", QString())), target))
            return used + "live directory";
        for (const QString& section : site.readSections()) {
            if (!section.startsWith("Rotation_", Qt::CaseInsensitive)) continue;
            if (isOrInside(canonical(site.readString(section, "Rotation_Path", QString())), target))
                return used + "rotation directory";
        }
    }
    return QString();
}

QString whyRotationDirectoryMustStay(const QString& directory, const QString& siteKey) {
    if (const QString reason = whySiteDirectoryMustStay(directory, siteKey); !reason.isEmpty()) return reason;
    const QString target = canonical(directory);
    const QString site = platform::IniFile(siteFileName(siteKey)).readString("General", "Path", QString());
    if (!target.isEmpty() && isOrInside(canonical(site), target)) return "is or holds the site directory of its site";
    return QString();
}
