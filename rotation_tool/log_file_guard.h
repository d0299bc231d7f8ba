#pragma once
// The log is replaced whole on every save, so it must never be written over one of the files the
// two programs keep in the data directory: the site list, the options, a site file, a help page, a
// program, or any file in the folders they ship there.
#include <QString>

// The name of the program's own file in the data directory that a log saved to logFileName would
// replace ("sites.ini", "Site_1.ini", "Spindleway", ..., "a file of the Styles folder of Lumenfold
// Pro"); empty when the name is free for a log.
// The name is read as every stored path is (a relative one lies in the data directory); files are
// compared by what they are on disk, and a name not yet on disk by its folder's identity.
QString ownFileReplacedByLog(const QString& logFileName);
