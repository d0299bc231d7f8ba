#pragma once
// Which image files a rotation takes, and saving images as JPEG files.
#include <QString>

class TPixelGraphic;

// True for the formats the imaging library reads (by extension).
bool checksupportedformat(const QString& fileName);
// True for the formats browsers show as they are (JPEG and GIF), which are copied unchanged.
bool checkHTMLsupportedformat(const QString& fileName);
// Saves the image as a JPEG file with the given quality; colours are converted without asking.
// False for an empty image, which no file is written for.
bool savetojpeg(TPixelGraphic& image, const QString& fileName, bool progressive, int quality);
