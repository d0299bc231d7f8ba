#include "tests/components/thumb_grid_test_support.h"

#include "imaging/imaging_init.h"
#include "imaging/pixel_graphic.h"

#include <QHeaderView>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace thumb_test {

void WriteSolidJpeg(const QString& path, int width, int height, const QColor& colour) {
    InitImagingLibrary();
    TPixelGraphic image;
    image.SetSize(width, height, PixelFormat24Bit);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = image.GetScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = uint8_t(colour.blue());
            row[3 * x + 1] = uint8_t(colour.green());
            row[3 * x + 2] = uint8_t(colour.red());
        }
    }
    image.SaveToFile(path);
}

void WritePillowImage(const QString& path, int width, int height, const QColor& colour) {
    const QString script = QStringLiteral("import sys\nfrom PIL import Image\n"
                                          "Image.new('RGB', (int(sys.argv[2]), int(sys.argv[3])), "
                                          "(int(sys.argv[4]), int(sys.argv[5]), int(sys.argv[6]))).save(sys.argv[1])\n");
    const int rc = QProcess::execute("/usr/bin/python3",
                                     {"-c", script, path, QString::number(width), QString::number(height),
                                      QString::number(colour.red()), QString::number(colour.green()),
                                      QString::number(colour.blue())});
    ASSERT_EQ(rc, 0) << "Pillow could not write " << path.toStdString();
}

QColor DistinctColour(int k) {
    static const QColor colours[] = {
        {220, 20, 20},  {20, 200, 20},  {20, 20, 220},  {230, 230, 30}, {30, 220, 220}, {220, 30, 220},
        {120, 60, 10},  {250, 140, 0},  {100, 100, 100}, {0, 110, 60},  {150, 0, 90},   {60, 0, 150},
    };
    return colours[k % 12];
}

bool Near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

std::unique_ptr<TXThumbGrid> ShownGrid(int columns, int rows) {
    InitImagingLibrary();
    auto grid = std::make_unique<TXThumbGrid>();
    grid->SetThumbDisplayType(tdtLargeIcon);
    const int columnWidth = grid->horizontalHeader()->defaultSectionSize();
    const int rowHeight = grid->verticalHeader()->defaultSectionSize();
    const int frame = 2 * grid->frameWidth();
    grid->resize(columns * columnWidth + 20 + frame / 2, rows * rowHeight + frame);
    grid->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
    EXPECT_EQ(grid->columnCount(), columns);
    return grid;
}

QPoint CellCentre(const TXThumbGrid& grid, int index) {
    const int columns = grid.columnCount();
    return grid.visualRect(grid.model()->index(index / columns, index % columns)).center();
}

QImage Painted(TXThumbGrid& grid) { return grid.viewport()->grab().toImage(); }

QColor CentreColour(TXThumbGrid& grid, int index) { return Painted(grid).pixelColor(CellCentre(grid, index)); }

}  // namespace thumb_test
