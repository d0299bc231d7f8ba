#pragma once
// Shared pieces of the thumbnail grid tests: solid-colour sample images and a grid shown on
// screen with its cells measured the way a user sees them.
#include "components/thumb_grid.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace thumb_test {

// Writes a JPEG of one colour through our own JPEG writer.
void WriteSolidJpeg(const QString& path, int width, int height, const QColor& colour);
// Writes an image of one colour with Pillow (format taken from the extension).
void WritePillowImage(const QString& path, int width, int height, const QColor& colour);
// A colour that differs clearly from the others for item k.
QColor DistinctColour(int k);
// True when the two colours differ by at most Tolerance in each channel.
bool Near(const QColor& a, const QColor& b, int tolerance = 8);

// A large-icon grid of Columns columns, tall enough for Rows rows, shown off-screen.
std::unique_ptr<TXThumbGrid> ShownGrid(int columns, int rows);
// The centre of item Index's cell in viewport pixels.
QPoint CellCentre(const TXThumbGrid& grid, int index);
// The viewport as it is painted now.
QImage Painted(TXThumbGrid& grid);
// The colour painted at the centre of item Index's cell.
QColor CentreColour(TXThumbGrid& grid, int index);

}  // namespace thumb_test
