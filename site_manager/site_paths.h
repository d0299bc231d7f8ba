#pragma once
// The data directory and the data-relative path form of the site files ("%\" + the part after
// the data directory). Both programs use these helpers.
#include <QHash>
#include <QString>

// The directory of the running executable with a trailing "/"; set when a main window is shown.
extern QString DataDirectory;

// Reads the executable's directory into DataDirectory.
void initDataDirectory();

// Stored form to absolute path: "%\rest" (or "%/rest") becomes DataDirectory + rest, and so does
// any other path that is not absolute.
QString expandpath(const QString& path);
// Absolute path to stored form: a path under DataDirectory becomes "%\" + the rest.
QString truncatepath(const QString& path);
// Trims and expands the path, then adds or removes the trailing separator ("/" or "\"); the one
// kept or added is always "/".
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

// The directory of rotation n when its section has no Rotation_Path: the site path with its
// separator, then stem + n; withExistingCase where only the letter case differs on disk.
QString defaultRotationDirectory(const QString& sitePath, const QString& stem, qint64 n);
// The same, finding the letter case through a lookup shared by many paths.
QString defaultRotationDirectory(const QString& sitePath, const QString& stem, qint64 n, ExistingCase& existingCase);
