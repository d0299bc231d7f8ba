#pragma once
// Making one thumbnail from an image file: the DCT scale a JPEG is decoded at, the fit of the
// decoded picture into the thumbnail box, and the resampled thumbnail itself.
#include "imaging/pixel_graphic.h"

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include <memory>

// A finished thumbnail: the image object (what the disk cache saves) and a ready-to-draw copy.
struct TThumbnail {
    TPixelGraphic Graphic;
    QImage Image;
    int ScaleDenominator = 1;  // the DCT scale a JPEG source was decoded at (1 for other formats)
};
using TThumbnailPtr = std::shared_ptr<const TThumbnail>;

// The picture's size inside the box, aspect ratio kept (enlarging small pictures too); an empty
// size when the box or the picture has no pixels.
QSize FitThumbnail(int ImageWidth, int ImageHeight, int BoxWidth, int BoxHeight);
// Where a picture of the fitted size starts inside its box: sides shorter than the box side - 1
// are centred.
QPoint ThumbCentringOffset(const QSize& Fitted, int BoxWidth, int BoxHeight);

// Decodes FileName and resamples it to its fitted size times SizeFactor (the icon-info layout
// keeps its thumbnails at twice the size it draws them). Null when the file cannot be decoded or
// the box has no pixels; never raises.
std::shared_ptr<TThumbnail> MakeThumbnail(const QString& FileName, int BoxWidth, int BoxHeight, int SizeFactor);
// Wraps an already fitted graphic (read back from the disk cache); null when it is empty.
TThumbnailPtr ThumbnailFromGraphic(TPixelGraphic& Graphic);
