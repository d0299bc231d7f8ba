#pragma once
// The files a build copies beside its pages (template assets, navigation graphics): finding them
// whatever the case of their names, and where each copy goes in the rotation directory.
#include <QString>
#include <QStringList>

// The existing file that relative names under directory when upper and lower case are not told
// apart (the exact spelling first); empty when there is none. relative may hold sub-folders and
// ".."; an absolute relative ignores directory.
QString findFileIgnoringCase(const QString& directory, const QString& relative);

// Where a support file goes, relative to the rotation directory. A file referred to from below a
// template's folder (templateDirectories, each with a trailing "/") keeps its path below that
// folder, so the page's reference still resolves; any other file (navigation graphics, references
// that leave the template's folder) goes beside the pages under its own name, so that nothing is
// ever written outside the rotation directory. Lower-cased when lowercase is set.
QString supportFileTarget(const QString& source, const QStringList& templateDirectories, bool lowercase);
