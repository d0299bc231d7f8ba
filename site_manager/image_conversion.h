#pragma once
// Which image files a rotation takes, and saving images as JPEG files.
#include <QByteArray>
#include <QString>

class TPixelGraphic;

// True for the formats the imaging library reads (by extension).
bool checksupportedformat(const QString& fileName);
// True for the formats browsers show as they are (JPEG and GIF), which are copied unchanged.
bool checkHTMLsupportedformat(const QString& fileName);
// The image encoded as JPEG with the given quality, colours converted without asking; empty for an
// empty image or when it cannot be encoded.
QByteArray jpegBytes(TPixelGraphic& image, bool progressive, int quality);
// Saves the image as a JPEG file (replaced whole or not at all) with the given quality; colours are converted without asking.
// False for an empty image, which no file is written for.
bool savetojpeg(TPixelGraphic& image, const QString& fileName, bool progressive, int quality);
