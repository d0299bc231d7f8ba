#pragma once
// The orientation a JPEG photograph is meant to be shown in, from the
// Orientation tag of its EXIF block (cameras and phones store the sensor's
// pixels and record the turn in that tag).
#include <QByteArray>
#include <QSize>
#include <QString>

class TPixelGraphic;

// The EXIF orientation values: how the stored pixels must be turned or flipped
// to be upright.
enum class JpegOrientation {
    Normal = 1,
    FlipHorizontal = 2,
    Rotate180 = 3,
    FlipVertical = 4,
    Transpose = 5,   // flipped about the top-left to bottom-right diagonal
    Rotate90 = 6,    // a quarter turn clockwise
    Transverse = 7,  // flipped about the other diagonal
    Rotate270 = 8,   // a quarter turn anticlockwise
};

// The orientation recorded in the first bytes of a JPEG file (markers up to the
// first scan); Normal when there is no EXIF block, no such tag or the data is
// damaged.
JpegOrientation JpegOrientationOf(const QByteArray& head);
// The same for a file: reads only as much as the markers before the image data
// need.
JpegOrientation JpegFileOrientation(const QString& fileName);

// True when the orientation swaps width and height (the quarter turns and
// diagonal flips).
bool OrientationSwapsAxes(JpegOrientation orientation);
// The size as displayed for stored pixels of the given size.
QSize DisplayedSize(QSize stored, JpegOrientation orientation);
// Turns or flips a 24-bit or 8-bit graphic so that it shows upright.
void ApplyOrientation(TPixelGraphic& graphic, JpegOrientation orientation);
