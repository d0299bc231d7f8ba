#pragma once
// The data directory and the data-relative path form of the site files ("%\" + the part after
// the data directory). Both programs use these helpers.
#include <QHash>
#include <QString>

// The directory of the running executable with a trailing "/"; set when a main window is shown.
extern QString DataDirectory;

// Reads the executable's directory into DataDirectory.
void initDataDirectory();

// The one reading of a stored path (a site, rotation or live directory, a file the settings name,
// the log's name): the absolute path on disk, without a trailing "/" (but the root "/"), or empty.
//  - "%\rest" (or "%/rest") is rest in the data directory; a relative path lies there too, and
//    a path that begins with "\" in the root. In these forms "\" separates folders as "/" does.
//    A "%" not followed by a separator begins a relative name: "%Gallery" is the data
//    directory's folder "%Gallery", "%" alone its folder "%".
//  - A path that begins with "/" is separated by "/" only: a "\" in it is a character of a name,
//    except a trailing one, which ends the folder.
//  - "//" counts as one "/"; "." and ".." are resolved by name, before anything is created.
// Nothing is ever taken from the working directory.
QString storedPathOnDisk(const QString& path);
// The same, ending in "/" when the stored text ends in a separator.
QString expandpath(const QString& path);
// Absolute path to stored form: a path under DataDirectory becomes "%\" + the rest, unless the
// rest holds a "\", which that form would read as a separator.
QString truncatepath(const QString& path);
// storedPathOnDisk, with a trailing "/" when withSlash.
QString fixpath(const QString& path, bool withSlash);
// Replaces the extension of a file name (dot included); a name without one just gets it appended.
QString changeextension(const QString& fileName, const QString& newExtension);

// The path as it exists on disk when only the letter case of its last part differs (the default
// rotation directories are spelt "rotation_<n>" while New Rotation makes "Rotation_<n>", and file
// names here are case-sensitive); otherwise the path unchanged.
QString withExistingCase(const QString& path);

// withExistingCase for the many paths of one list: each parent directory is listed at most once,
// however many paths look into it, so that a path costs the same whatever the number of paths.
class ExistingCase {
public:
    QString operator()(const QString& path);

private:
    QHash<QString, QHash<QString, QString>> entries_;  // parent directory -> folded name -> entry
};

// The number in a name of the form prefix + decimal number (as the number would be written), or
// -1. The prefix is compared without regard to case, as section and directory names are found.
qint64 numberAfter(const QString& name, const QString& prefix);

// The directory of rotation n when its section has no Rotation_Path: the site path with its
// separator, then stem + n; withExistingCase where only the letter case differs on disk.
QString defaultRotationDirectory(const QString& sitePath, const QString& stem, qint64 n);
// The same, finding the letter case through a lookup shared by many paths.
QString defaultRotationDirectory(const QString& sitePath, const QString& stem, qint64 n, ExistingCase& existingCase);
