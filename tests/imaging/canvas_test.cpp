// Drawing on a graphic through its canvas, and exchange with the platform bitmap.
#include "tests/imaging/imaging_test_support.h"

#include "imaging/pg_canvas.h"

#include <QPainter>

#include <gtest/gtest.h>

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override { imaging_test::initLibrary(); }
};

TEST_F(CanvasTest, DrawingReachesThePixelsAtTheNextDirectAccess) {
    TPixelGraphic g;
    g.SetSize(20, 10, PixelFormat24Bit);
    g.Clear();
    int changes = 0;
    g.SetOnChange([&](TPixelGraphic*) { ++changes; });
    g.GetCanvas().Painter().fillRect(QRect(0, 0, 5, 10), QColor(255, 0, 0));
    EXPECT_EQ(LiveCanvases.size(), 1u);
    EXPECT_EQ(g.GetPixel(2, 9), pgRGB(255, 0, 0));  // flushes
    EXPECT_EQ(g.GetPixel(6, 9), 0u);
    EXPECT_TRUE(LiveCanvases.empty());
    EXPECT_GE(changes, 1);
    // Drawing again after the release starts from the current pixels.
    g.SetPixel(10, 0, pgRGB(0, 255, 0));
    g.GetCanvas().Painter().fillRect(QRect(15, 0, 5, 10), QColor(0, 0, 255));
    FreeAllCanvasHandles();
    EXPECT_EQ(g.GetPixel(10, 0), pgRGB(0, 255, 0));
    EXPECT_EQ(g.GetPixel(17, 5), pgRGB(0, 0, 255));
    EXPECT_EQ(g.GetPixel(2, 2), pgRGB(255, 0, 0));
}

TEST_F(CanvasTest, PalettedGraphicsTakeTheNearestEntries) {
    TPixelGraphic g;
    g.SetSize(8, 8, PixelFormat4Bit);
    g.SetPaletteIdent(pSys16);
    g.Clear();
    g.GetCanvas().Painter().fillRect(QRect(0, 0, 8, 4), QColor(250, 250, 5));
    g.FreeCanvasHandle();
    EXPECT_EQ(g.GetPixel(3, 3), 11u);  // yellow
    EXPECT_EQ(g.GetPixel(3, 4), 0u);
    // A resize releases the canvas first, so nothing drawn is lost or written into new memory.
    g.GetCanvas().Painter().fillRect(QRect(0, 0, 8, 8), QColor(255, 255, 255));
    g.SetSize(4, 4, PixelFormat4Bit);
    EXPECT_TRUE(LiveCanvases.empty());
}

TEST_F(CanvasTest, ExchangeWithThePlatformBitmap) {
    QImage rgb(4, 3, QImage::Format_RGB32);
    rgb.fill(QColor(10, 20, 30));
    rgb.setPixel(3, 2, qRgb(200, 100, 50));
    TPixelGraphic g;
    g.AssignFromBitmap(rgb);
    EXPECT_EQ(g.GetBitCount(), 24);
    EXPECT_EQ(g.GetPixel(3, 2), pgRGB(200, 100, 50));
    EXPECT_EQ(g.GetPixel(0, 0), pgRGB(10, 20, 30));
    QImage indexed(3, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    indexed.setPixel(0, 0, 1);
    indexed.setPixel(1, 0, 0);
    indexed.setPixel(2, 0, 1);
    g.AssignFromBitmap(indexed);
    EXPECT_EQ(g.GetBitCount(), 8);
    EXPECT_EQ(g.GetPaletteIdent(), pBlackWhite);
    EXPECT_EQ(g.GetPixel(0, 0), 1u);
    QImage back;
    g.AssignToBitmap(back);
    EXPECT_EQ(back.pixel(2, 0), qRgb(255, 255, 255));
    EXPECT_EQ(back.pixel(1, 0), qRgb(0, 0, 0));
}

TEST_F(CanvasTest, ClipboardDataIsAPackedDib) {
    TPixelGraphic g;
    g.SetSize(5, 3, PixelFormat8Bit);
    g.SetPaletteCount(3);
    g.SetPaletteColor(0, pgRGB(0, 0, 0));
    g.SetPaletteColor(1, pgRGB(255, 0, 0));
    g.SetPaletteColor(2, pgRGB(0, 0, 255));
    g.Clear();
    g.SetPixel(4, 0, 1);
    g.SetPixel(0, 2, 2);
    int format = 0;
    QByteArray data;
    g.SaveToClipboardFormat(format, data);
    EXPECT_EQ(format, TPixelGraphic::CF_DIB);
    EXPECT_EQ(data.size(), 40 + 3 * 4 + g.GetImageSize());
    EXPECT_EQ(uint8_t(data[14]), 8);   // bit count
    EXPECT_EQ(uint8_t(data[32]), 3);   // colours used
    EXPECT_EQ(uint8_t(data[40 + 4 + 2]), 255);  // entry 1: blue, green, red, 0

    TPixelGraphic back;
    back.LoadFromClipboardFormat(TPixelGraphic::CF_DIB, &data);
    EXPECT_EQ(back.GetWidth(), 5);
    EXPECT_EQ(back.GetHeight(), 3);
    EXPECT_EQ(back.GetPixelColor(4, 0), pgRGB(255, 0, 0));
    EXPECT_EQ(back.GetPixelColor(0, 2), pgRGB(0, 0, 255));
    EXPECT_EQ(back.GetPaletteIdent(), pUnknown);

    try {
        back.LoadFromClipboardFormat(1, &data);
        FAIL();
    } catch (const EPGUnknownClipboardFormat& e) {
        EXPECT_EQ(e.message(), "Unknown clipboard format");
    }
    EXPECT_THROW(back.LoadFromClipboardFormat(TPixelGraphic::CF_DIB, nullptr), EPGUnknownClipboardFormat);
    const QByteArray cut = data.left(50);
    EXPECT_THROW(back.LoadFromClipboardFormat(TPixelGraphic::CF_DIB, &cut), EPGBMPFileFormatReader);
    QByteArray huge = data;
    huge[4] = char(0xFF);
    huge[5] = char(0xFF);
    huge[6] = char(0xFF);
    huge[7] = char(0x0F);  // width 268 million
    EXPECT_THROW(back.LoadFromClipboardFormat(TPixelGraphic::CF_DIB, &huge), EPixelGraphic);
}
