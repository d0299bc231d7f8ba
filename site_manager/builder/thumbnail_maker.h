#pragma once
// Makes the JPEG thumbnail of one image for the build.
#include <QString>

// Writes a thumbnail of source fitted into W x H as a progressive JPEG of the given quality.
// JPEG sources are decoded at the smallest DCT scale that still covers the box. On a failure the
// user is asked whether to go on: true means written or go on, false means stop.
bool createthumbnail(const QString& source, const QString& target, int W, int H, int quality);
