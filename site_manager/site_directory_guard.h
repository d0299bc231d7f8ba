#pragma once
// Deleting a site removes its directory with everything in it. These directories are never
// removed that way: the file system's root, the user's home, the data directory, and any
// directory that another site uses as its site, rotation or live directory (nor one holding them).
#include <QString>

// Why the site's directory must stay ("is your home directory", ...); empty when it may go or
// does not exist. Directories are compared by what they are on disk, not by their spelling.
QString whySiteDirectoryMustStay(const QString& directory, const QString& siteKey);

// Why a rotation's directory must stay: the reasons above, and also when it is or holds its own
// site's directory, which the site still uses. Empty when it may go or does not exist.
QString whyRotationDirectoryMustStay(const QString& directory, const QString& siteKey);
