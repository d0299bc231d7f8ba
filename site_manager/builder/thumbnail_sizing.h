#pragma once
// How a thumbnail is sized: the fitting rule shared by thumbnails and image pages, and the JPEG
// decoder scale that keeps a decoded photo no smaller than the thumbnail box.
#include "imaging/formats/jpeg_scale.h"

#include <QSize>
#include <QString>

// Fits w x h into the box W x H keeping the aspect ratio; never enlarges.
QSize calculatedimensions(int w, int h, int W, int H);
// What a thumbnail's name ends with, after the image's name without extension.
inline const QString ThumbnailFileSuffix = QStringLiteral("_thb.jpg");
// The image's name without extension followed by ThumbnailFileSuffix; empty for an empty name.
QString ThumbnailFileName(const QString& imageName);
