#pragma once
// The current site: one global record, loaded from and saved to the site's [General] section.
#include <QString>

struct SiteRecord {
    QString key;  // the site's key ("Site_<n>"); empty when no site is current
    QString Name;
    QString Path;  // absolute with a trailing "/" after a load; as typed after Site Options
    QString LivePath;
    bool AutoRotate = false;
    qint32 CurrentRotationPosition = 1;
    qint32 RotationCount = 0;
    QString BaseHTMLName;
};

extern SiteRecord tsiterecord;

// sites.ini and the site file of a key, in the data directory.
QString sitesFileName();
QString siteFileName(const QString& key);

// Reads [General] of the key's site file into the record (the path expanded, as stored
// otherwise). False when the file cannot be read or holds no path; fields read so far keep
// their new values.
bool readSiteRecord(const QString& key, SiteRecord& record);

// Stores the record in [General] of its site file and erases the section, as one replacement of
// the file made on the file as it stands (under the lock its writers take). The rotation position
// the file holds stays. False when the file cannot be written; it then keeps every byte.
bool saveSiteRecordErasingSection(const SiteRecord& record, const QString& section);
