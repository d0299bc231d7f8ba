// The main window's site store: sites.ini, the [General] section of each site file, and the
// main list of site keys.
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/ini_file.h"
#include "site_manager/file_helpers.h"
#include "site_manager/folder_owners.h"
#include "site_manager/main_window.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QListWidget>
#include <exception>
#include <optional>

SiteRecord tsiterecord;

namespace {
const QString kSites = QStringLiteral("Sites");
const QString kGeneral = QStringLiteral("General");
constexpr int kLastSiteNumber = 90000;

// The record's [General] keys, in their order, into an update of its site file. Without a
// position the one the file holds when the update is written stays (Spindleway moves it on from
// its own process); the record's goes only where the file holds none.
void writeGeneral(platform::IniFile& site, const SiteRecord& record, std::optional<int> position) {
    site.writeString(kGeneral, "Name", record.Name);
    site.writeString(kGeneral, "Path", ::truncatepath(record.Path));
    site.writeString(kGeneral, "LivePath", record.LivePath);
    site.writeBool(kGeneral, "AutoRotate", record.AutoRotate);
    if (position)
        site.writeInteger(kGeneral, "CurrentRotationPosition", *position);
    else
        site.writeStringIfMissing(kGeneral, "CurrentRotationPosition", QString::number(record.CurrentRotationPosition));
    site.writeString(kGeneral, "BaseHTMLName", record.BaseHTMLName);
    site.writeInteger(kGeneral, "RotationCount", record.RotationCount);
}
}  // namespace

QString sitesFileName() { return DataDirectory + "sites.ini"; }
QString siteFileName(const QString& key) { return DataDirectory + key + ".ini"; }

QString TfrmMain::expandpath(const QString& path) const { return ::expandpath(path); }
QString TfrmMain::truncatepath(const QString& path) const { return ::truncatepath(path); }
QString TfrmMain::fixpath(const QString& path, bool withSlash) const { return ::fixpath(path, withSlash); }
bool TfrmMain::createnewdirectory(const QString& path) { return ::createnewdirectory(path); }
bool TfrmMain::dodeletefile(const QString& fileName, bool overwriting) { return ::dodeletefile(fileName, overwriting); }
QString TfrmMain::changeextension(const QString& fileName, const QString& newExtension) const {
    return ::changeextension(fileName, newExtension);
}

QString TfrmMain::generatenewsitename() const {
    for (int n = lbxsites->count() + 1; n <= kLastSiteNumber; ++n) {
        const QString candidate = "Site_" + QString::number(n);
        if (platform::fileExists(siteFileName(candidate))) continue;
        if (!lbxsites->findItems(candidate, Qt::MatchFixedString).isEmpty()) continue;  // case-insensitive
        return candidate;
    }
    // Every number from the list count up is taken: look below it, so that no key in use is handed out.
    for (int n = 1; n <= kLastSiteNumber; ++n) {
        const QString candidate = "Site_" + QString::number(n);
        if (!platform::fileExists(siteFileName(candidate)) &&
            lbxsites->findItems(candidate, Qt::MatchFixedString).isEmpty())
            return candidate;
    }
    return QString();
}

bool TfrmMain::addsite(const QString& key) {
    if (key.isEmpty()) return false;
    try {
        platform::IniFile(siteFileName(key)).writeString(kGeneral, "Name", "New Site");
        platform::IniFile(sitesFileName()).writeString(kSites, key, "New Site");
        lbxsites->addItem(key);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TfrmMain::savecurrentsite() {
    // A path typed relative names its folder in the data directory from now on, whichever
    // folder the program stands in when the record is next used.
    tsiterecord.Path = ::expandpath(tsiterecord.Path);
    try {
        platform::IniFile site(siteFileName(tsiterecord.key));
        // Spindleway moves the position on while the site is open here: unless the user has
        // changed it since the site was loaded, the position the file holds now stays.
        int position = tsiterecord.CurrentRotationPosition;
        if (loadedRotationPosition_ == position && site.valueExists(kGeneral, "CurrentRotationPosition"))
            position = site.readInteger(kGeneral, "CurrentRotationPosition", position);
        platform::IniUpdate update(site);
        writeGeneral(site, tsiterecord, position);
        update.commit();
        tsiterecord.CurrentRotationPosition = position;
        loadedRotationPosition_ = position;
        platform::IniFile(sitesFileName()).writeString(kSites, tsiterecord.key, tsiterecord.Name);
        return true;
    } catch (const std::exception&) {
        return false;  // the files keep what they held; the caller tells the user
    }
}

bool saveSiteRecordErasingSection(const SiteRecord& record, const QString& section) {
    try {
        platform::IniFile site(siteFileName(record.key));
        platform::IniUpdate update(site);
        site.eraseSection(section);
        writeGeneral(site, record, std::nullopt);
        update.commit();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void TfrmMain::rereadRotationPosition() {
    if (tsiterecord.key.isEmpty() || loadedRotationPosition_ != tsiterecord.CurrentRotationPosition) return;
    try {
        const platform::IniFile site(siteFileName(tsiterecord.key));
        if (!site.valueExists(kGeneral, "CurrentRotationPosition")) return;
        const int position = site.readInteger(kGeneral, "CurrentRotationPosition", 1);
        if (position == tsiterecord.CurrentRotationPosition) return;
        tsiterecord.CurrentRotationPosition = position;
        loadedRotationPosition_ = position;
    } catch (const std::exception&) {
        return;  // an unreadable file leaves the panel as it was; the next activation tries again
    }
    doselectionstatus();
}

bool readSiteRecord(const QString& key, SiteRecord& record) {
    record.key = key;
    try {
        const platform::IniFile site(siteFileName(key));
        record.Name = site.readString(kGeneral, "Name", "Name Error");
        record.Path = ::expandpath(site.readString(kGeneral, "Path", QString()));
        record.BaseHTMLName = site.readString(kGeneral, "BaseHTMLName", "Index.html");
        record.LivePath = site.readString(kGeneral, "LivePath", QString());
        record.AutoRotate =
            !record.LivePath.isEmpty() && platform::onOnlyIfTrue(site.readString(kGeneral, "AutoRotate", "False"));
        record.CurrentRotationPosition = site.readInteger(kGeneral, "CurrentRotationPosition", 1);
        record.RotationCount = site.readInteger(kGeneral, "RotationCount", 20);
        return !record.Path.isEmpty();
    } catch (const std::exception&) {
        return false;
    }
}

bool TfrmMain::loadsite(const QString& key) {
    const bool loaded = readSiteRecord(key, tsiterecord);
    loadedRotationPosition_ = tsiterecord.CurrentRotationPosition;
    if (!tsiterecord.Path.isEmpty()) tsiterecord.Path = ::fixpath(tsiterecord.Path, true);
    return loaded;
}

void TfrmMain::deletecurrentsite() {
    const QString reason = tsiterecord.Path.isEmpty()
                               ? QString()
                               : FolderOwners::read().whyFolderMustStay(tsiterecord.Path, tsiterecord.key);
    if (!reason.isEmpty()) {
        platform::showWarning("The directory, " + tsiterecord.Path + ", " + reason +
                              ", so it cannot be deleted.  The site, " + tsiterecord.Name + ", has been kept.");
        return;
    }
    // The site leaves the list first: when that cannot be stored, its files stay with it.
    const QString path = tsiterecord.Path;
    if (!forgetcurrentsite()) return;
    if (!path.isEmpty() && platform::directoryExists(::fixpath(path, true))) dodeletedir(path);
}

bool TfrmMain::forgetcurrentsite() {
    try {
        platform::IniFile(sitesFileName()).deleteKey(kSites, tsiterecord.key);
    } catch (const std::exception&) {
        platform::messageBox("Error encountered saving your settings!  You may be out of disk space!");
        return false;
    }
    const QString file = siteFileName(tsiterecord.key);
    if (platform::fileExists(file)) platform::deleteFile(file);
    QListWidgetItem* selected = lbxsites->currentItem();
    if (selected && selected->text() == tsiterecord.key) delete lbxsites->takeItem(lbxsites->row(selected));
    rebuildSiteNameList();
    lbxsites->clearSelection();
    lbxsites->setCurrentRow(-1);
    return true;
}
