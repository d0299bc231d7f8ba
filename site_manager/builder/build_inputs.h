#pragma once
// What the site editor hands to the build besides the controls: the files to copy with the
// pages (SupportFiles / SupportFileNames, kept with the main window), the images and the build
// modes.
#include <QString>
#include <QStringList>

// A rotation without images built as a number of pages without thumbnails.
extern bool NoThumbnailMode;
extern int NoThumbnailPageCount;
// Set while Build All runs: the build dialog starts by itself and offers no preview.
extern bool BuildAllMode;
// The description file the build reads; cleared by every Build!, set by the build dialog.
extern QString DescriptionIniPath;

// The images a build takes from a list of the rotation directory's images (the site editor's,
// or another list of that directory), in its order: the listed names less the support files.
QStringList buildImagesOf(const QStringList& listedImages);
