// TPixelGraphic: bitmap layout, pixel access, palettes and their kinds, nearest colours.
#include "tests/imaging/imaging_test_support.h"

#include "imaging/pg_messages.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

class PixelGraphicTest : public ::testing::Test {
protected:
    void SetUp() override { imaging_test::initLibrary(); }
};

TEST_F(PixelGraphicTest, RowsAreStoredBottomUpAndPadded) {
    TPixelGraphic g;
    EXPECT_TRUE(g.GetEmpty());
    EXPECT_EQ(g.GetPaletteIdent(), pTrueColor);
    g.SetSize(5, 3, PixelFormat24Bit);
    EXPECT_EQ(g.GetBytesPerLine(), 16);  // 15 bytes padded to 16
    EXPECT_EQ(g.GetImageSize(), 48);
    EXPECT_EQ(g.GetDIBSize(), 48 + 58);
    g.SetPixel(1, 0, pgRGB(10, 20, 30));
    // Row 0 is the last row in memory; pixels are blue, green, red.
    const uint8_t* top = g.GetBits() + 2 * 16;
    EXPECT_EQ(g.GetScanLine(0), top);
    EXPECT_EQ(top[3], 30);
    EXPECT_EQ(top[4], 20);
    EXPECT_EQ(top[5], 10);
    EXPECT_EQ(g.GetPixel(1, 0), pgRGB(10, 20, 30));
    EXPECT_EQ(g.GetBitmapInfoHeader().biHeight, 3);
    EXPECT_EQ(g.GetBitmapInfoHeader().biBitCount, 24);
}

TEST_F(PixelGraphicTest, OneAndFourBitPixelsUseTheirBitPositions) {
    TPixelGraphic g;
    g.SetSize(10, 2, PixelFormat1Bit);
    EXPECT_EQ(g.GetBytesPerLine(), 4);
    std::memset(g.GetBits(), 0, size_t(g.GetImageSize()));
    g.SetPixel(0, 0, 1);
    g.SetPixel(9, 0, 1);
    g.SetPixel(3, 0, 5);  // anything but 1 clears
    EXPECT_EQ(g.GetScanLine(0)[0], 0x80);
    EXPECT_EQ(g.GetScanLine(0)[1], 0x40);
    EXPECT_EQ(g.GetPixel(9, 0), 1u);
    g.SetSize(3, 1, PixelFormat4Bit);
    g.SetPixel(0, 0, 0x1A);
    g.SetPixel(1, 0, 0x03);
    EXPECT_EQ(g.GetScanLine(0)[0], 0xA3);
    EXPECT_EQ(g.GetPixel(0, 0), 0xAu);
}

TEST_F(PixelGraphicTest, OutsideReadsGiveTheBackgroundUnlessRangeErrorsAreOn) {
    TPixelGraphic g;
    g.SetSize(2, 2, PixelFormat24Bit);
    g.SetBackground(pgRGB(1, 2, 3));
    EXPECT_EQ(g.GetPixel(-1, 0), pgRGB(1, 2, 3));
    g.SetPixel(5, 5, 0);  // ignored
    g.SetRaiseRangeErrors(true);
    try {
        g.GetPixel(-1, 0);
        FAIL();
    } catch (const EPGXYIndexOutOfRange& e) {
        EXPECT_EQ(e.message(), "X, Y index out of range");
    }
    EXPECT_THROW(g.SetPixel(2, 0, 0), EPGXYIndexOutOfRange);
}

TEST_F(PixelGraphicTest, PaletteAccessRules) {
    TPixelGraphic g;
    EXPECT_EQ(g.GetPaletteColor(5), 5u);
    EXPECT_THROW(g.SetPaletteColor(0, 0), EPGNoPalette);
    g.SetSize(4, 4, PixelFormat8Bit);
    g.SetPaletteCount(3);
    EXPECT_EQ(g.GetPaletteIdent(), pUnknown);
    EXPECT_THROW(g.GetPaletteColor(3), EPGInvalidPaletteIndex);
    EXPECT_THROW(g.SetPaletteColor(-1, 0), EPGInvalidPaletteIndex);
    g.SetPaletteColor(1, pgRGB(255, 0, 0));
    EXPECT_EQ(g.GetPaletteColor(1), pgRGB(255, 0, 0));
    // The DIB colour table holds blue, green, red, 0 and repeats entry 0 beyond the palette.
    EXPECT_EQ(g.GetDibColorTable().size(), 256u);
    EXPECT_EQ(g.GetDibColorTable()[1], 0x00FF0000u);
    EXPECT_EQ(g.GetBitmapInfoHeader().biClrUsed, 3u);
    g.SetPixelColor(0, 0, pgRGB(250, 10, 10));
    EXPECT_EQ(g.GetPixel(0, 0), 1u);
    EXPECT_EQ(g.GetPixelColor(0, 0), pgRGB(255, 0, 0));
    // Shrinking the format cuts the palette.
    g.SetSize(4, 4, PixelFormat1Bit);
    EXPECT_EQ(g.GetPaletteCount(), 2);
}

TEST_F(PixelGraphicTest, DetectPaletteIdentRecognisesFixedPalettes) {
    TPixelGraphic g;
    g.SetSize(2, 2, PixelFormat4Bit);
    g.SetPaletteCount(4);
    for (int i = 0; i < 4; ++i) g.SetPaletteColor(i, pgRGB(uint8_t(i * 85), uint8_t(i * 85), uint8_t(i * 85)));
    EXPECT_EQ(g.GetPaletteIdent(), pUnknown);
    g.DetectPaletteIdent();
    EXPECT_EQ(g.GetPaletteIdent(), pGray4);
    EXPECT_TRUE(g.GetIsGray());
    g.SetPaletteColor(1, pgRGB(128, 128, 128));
    g.SetPaletteColor(2, pgRGB(192, 192, 192));
    g.DetectPaletteIdent();
    EXPECT_EQ(g.GetPaletteIdent(), pSysGray4);
    g.SetPaletteColor(2, pgRGB(192, 0, 192));
    g.DetectPaletteIdent();
    EXPECT_EQ(g.GetPaletteIdent(), pUnknown);
    EXPECT_FALSE(g.GetIsGray());

    TPixelGraphic h;
    h.SetSize(1, 1, PixelFormat8Bit);
    for (TPaletteIdent kind : {pSys16, pGray16, pGray236, pGray256, pSpecial125, pSpecial216, pSpecial252}) {
        h.SetPaletteIdent(kind);
        h.SetPaletteIdent(pUnknown);
        h.DetectPaletteIdent();
        EXPECT_EQ(h.GetPaletteIdent(), kind);
    }
}

TEST_F(PixelGraphicTest, NearestColorIndexByPaletteKind) {
    TPixelGraphic g;
    g.SetSize(1, 1, PixelFormat8Bit);
    g.SetPaletteIdent(pSpecial125);
    EXPECT_EQ(g.NearestColorIndex(pgRGB(224, 0, 0)), 4 * 25);
    EXPECT_EQ(g.NearestColorIndex(pgRGB(223, 0, 0)), 3 * 25);
    g.SetPaletteIdent(pSys16);
    EXPECT_EQ(g.NearestColorIndex(pgRGB(250, 5, 5)), 9);
    EXPECT_EQ(g.NearestColorIndex(pgRGB(190, 190, 190)), 7);
    g.SetPaletteIdent(pGray256);
    EXPECT_EQ(g.NearestColorIndex(pgRGB(100, 100, 100)), 100);
    g.SetPaletteIdent(pSpecial252);
    EXPECT_EQ(g.NearestColorIndex(pgRGB(0, 0, 0)), 0);
    EXPECT_EQ(g.NearestColorIndex(pgRGB(255, 255, 255)), 15);
    // Any other palette: the cache gives what an exhaustive search gives.
    TPixelGraphic u;
    u.SetSize(1, 1, PixelFormat8Bit);
    u.SetPaletteCount(5);
    const TColor colours[5] = {pgRGB(0, 0, 0), pgRGB(200, 30, 30), pgRGB(30, 200, 30), pgRGB(30, 30, 200),
                               pgRGB(250, 250, 250)};
    for (int i = 0; i < 5; ++i) u.SetPaletteColor(i, colours[i]);
    for (bool cached : {true, false}) {
        u.SetUseColorCache(cached);
        EXPECT_EQ(u.NearestColorIndex(pgRGB(180, 60, 40)), 1);
        EXPECT_EQ(u.NearestColorIndex(pgRGB(20, 180, 50)), 2);
        EXPECT_EQ(u.NearestColorIndex(pgRGB(230, 240, 230)), 4);
    }
    TPixelGraphic none;
    none.SetSize(1, 1, PixelFormat8Bit);
    none.SetPaletteIdent(pNone);
    EXPECT_THROW(none.NearestColorIndex(0), EPGNoPalette);
}

TEST_F(PixelGraphicTest, AssignCopiesPixelsPaletteAndOptions) {
    TPixelGraphic a;
    a.SetSize(3, 2, PixelFormat8Bit);
    a.SetPaletteIdent(pGray256);
    a.SetPixel(2, 1, 77);
    a.SetColorResolutionMode(0);
    a.SetWarningMode(3);
    a.SetFastJpegDct(true);
    TPixelGraphic b;
    int changes = 0;
    b.SetOnChange([&](TPixelGraphic*) { ++changes; });
    b.Assign(&a);
    EXPECT_EQ(b.GetWidth(), 3);
    EXPECT_EQ(b.GetPixel(2, 1), 77u);
    EXPECT_EQ(b.GetPaletteIdent(), pGray256);
    EXPECT_EQ(b.GetColorResolutionMode(), 0);
    EXPECT_EQ(b.GetWarningMode(), 3);
    EXPECT_FALSE(b.GetFastJpegDct());
    EXPECT_EQ(changes, 1);  // once, at the end of the update
    b.Assign(nullptr);
    EXPECT_TRUE(b.GetEmpty());
    EXPECT_EQ(b.GetPixelFormat(), PixelFormat24Bit);
}

TEST_F(PixelGraphicTest, SetSizeRefusesNegativeAndHugeSizes) {
    TPixelGraphic g;
    g.SetSize(2, 2, PixelFormat24Bit);
    try {
        g.SetSize(-1, 5, PixelFormat24Bit);
        FAIL();
    } catch (const EPGInvalidSize& e) {
        EXPECT_EQ(e.message(), "Negative width");
    }
    EXPECT_EQ(g.GetWidth(), 2);
    EXPECT_THROW(g.SetSize(5, -1, PixelFormat24Bit), EPGInvalidSize);
    try {
        g.SetSize(100000, 100000, PixelFormat24Bit);
        FAIL();
    } catch (const EPixelGraphic& e) {
        EXPECT_EQ(e.message(), "CreateDIBSection failed");
    }
    EXPECT_TRUE(g.GetEmpty());
}

TEST_F(PixelGraphicTest, SetSizeWithTheSameSizeClearsToTheBackground) {
    TPixelGraphic g;
    g.SetSize(3, 3, PixelFormat8Bit);
    g.SetPaletteIdent(pGray256);
    g.SetPixel(1, 1, 9);
    uint8_t* before = g.GetBits();
    g.SetBackground(pgRGB(40, 40, 40));
    g.SetSize(3, 3, PixelFormat8Bit);
    EXPECT_EQ(g.GetBits(), before);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(g.GetPixel(x, y), 40u);
}

TEST_F(PixelGraphicTest, ConvertsToAQImageTopDown) {
    TPixelGraphic g;
    g.SetSize(3, 2, PixelFormat24Bit);
    g.Clear();
    g.SetPixel(0, 0, pgRGB(255, 0, 0));
    g.SetPixel(2, 1, pgRGB(0, 0, 255));
    const QImage image = g.ToQImage();
    ASSERT_EQ(image.size(), QSize(3, 2));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(2, 1), qRgb(0, 0, 255));
    TPixelGraphic p;
    p.SetSize(9, 1, PixelFormat4Bit);
    p.SetPaletteIdent(pSys16);
    p.SetPixel(8, 0, 12);
    EXPECT_EQ(p.ToQImage().pixel(8, 0), qRgb(0, 0, 255));
    QImage canvas(6, 4, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    g.Draw(painter, QRect(0, 0, 6, 4));
    painter.end();
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(5, 3), qRgb(0, 0, 255));
}

TEST_F(PixelGraphicTest, GreyPalettesMapByIntensity) {
    TPixelGraphic g;
    g.SetSize(1, 1, PixelFormat8Bit);
    g.SetPaletteIdent(pGray236);
    EXPECT_EQ(g.GetPaletteColor(235), pgRGB(255, 255, 255));
    EXPECT_EQ(g.NearestColorIndex(pgRGB(0, 0, 0)), 0);
    EXPECT_EQ(g.NearestColorIndex(pgRGB(255, 255, 255)), 235);
    const int mid = g.NearestColorIndex(pgRGB(128, 128, 128));
    EXPECT_NEAR(int(pgRed(g.GetPaletteColor(mid))), 128, 1);
    g.SetPaletteIdent(pBlackWhite);
    EXPECT_EQ(g.NearestColorIndex(pgRGB(127, 127, 127)), 0);
    EXPECT_EQ(g.NearestColorIndex(pgRGB(129, 129, 129)), 1);
    g.SetIntensityMode(false);  // plain sum of the channels
    EXPECT_EQ(g.Intensity(pgRGB(255, 0, 0)), 255);
    g.SetIntensityMode(true);
    EXPECT_EQ(g.Intensity(pgRGB(255, 0, 0)), 897 * 255 / 1000);
}

TEST(PixelGraphic, NewPixelsStartZeroed) {
    // Memory just freed after being filled is the likeliest to come back uninitialised.
    for (const TPGPixelFormat format : {PixelFormat8Bit, PixelFormat24Bit}) {
        {
            TPixelGraphic used;
            used.SetSize(300, 200, format);
            for (int y = 0; y < 200; ++y) std::memset(used.GetScanLine(y), 0xA5, format == PixelFormat24Bit ? 900 : 300);
        }
        TPixelGraphic fresh;
        fresh.SetSize(300, 200, format);
        for (int y = 0; y < 200; ++y) {
            const uint8_t* row = fresh.GetScanLine(y);
            ASSERT_TRUE(std::all_of(row, row + (format == PixelFormat24Bit ? 900 : 300), [](uint8_t b) { return b == 0; }))
                << int(format) << " row " << y;
        }
    }
}
