// Resampling between graphics of different sizes and pixel formats, with and without dithering.
#include "tests/imaging/imaging_test_support.h"

#include <gtest/gtest.h>

namespace {

void row(TPixelGraphic& g, std::initializer_list<int> reds) {
    g.SetSize(int(reds.size()), 1, PixelFormat24Bit);
    int x = 0;
    for (int r : reds) g.SetPixel(x++, 0, pgRGB(uint8_t(r), 0, 0));
}

int red(const TPixelGraphic& g, int x) { return pgRed(g.GetPixelColor(x, 0)); }

}  // namespace

class SizingTest : public ::testing::Test {
protected:
    void SetUp() override { imaging_test::initLibrary(); }
};

TEST_F(SizingTest, PreciseShrinkAveragesPairs) {
    TPixelGraphic source, target;
    row(source, {10, 30, 100, 200});
    target.SetSize(2, 1, PixelFormat24Bit);
    target.SetStretchMode(smPrecise);
    target.StretchFrom(source);
    EXPECT_EQ(red(target, 0), 20);
    EXPECT_EQ(red(target, 1), 150);
}

TEST_F(SizingTest, PreciseEnlargeInterpolatesLinearly) {
    TPixelGraphic source, target;
    row(source, {0, 200});
    target.SetSize(4, 1, PixelFormat24Bit);
    target.StretchFrom(source);
    EXPECT_EQ(red(target, 0), 0);    // pixel 0 alone (clamped)
    EXPECT_EQ(red(target, 1), 50);   // 3:1 mix of 0 and 200
    EXPECT_EQ(red(target, 2), 150);  // 1:3 mix
    EXPECT_EQ(red(target, 3), 200);
}

TEST_F(SizingTest, FastModeTakesNearestColumns) {
    TPixelGraphic source, target;
    row(source, {10, 20, 30});
    target.SetSize(2, 1, PixelFormat24Bit);
    target.SetStretchMode(smFast);
    target.StretchFrom(source);
    EXPECT_EQ(red(target, 0), 10);
    EXPECT_EQ(red(target, 1), 20);
}

TEST_F(SizingTest, MediumShrinkOfAPhotoKeepsTheAverageColour) {
    TPixelGraphic source, target;
    imaging_test::fillGradient(source, 300, 200);
    target.SetSize(150, 100, PixelFormat24Bit);
    target.SetStretchMode(smMedium);
    int progressCalls = 0;
    target.SetOnProgress([&](TPixelGraphic*, int, bool&, int total) {
        ++progressCalls;
        EXPECT_EQ(total, 99);
    });
    target.StretchFrom(source);
    EXPECT_EQ(progressCalls, 100);
    // Each target pixel is close to the source pixels it covers.
    EXPECT_NEAR(pgRed(target.GetPixelColor(75, 50)), pgRed(source.GetPixelColor(150, 100)), 6);
    EXPECT_NEAR(pgGreen(target.GetPixelColor(10, 90)), pgGreen(source.GetPixelColor(20, 180)), 6);
}

TEST_F(SizingTest, AbortStopsAfterTheCurrentRow) {
    TPixelGraphic source, target;
    imaging_test::fillGradient(source, 40, 40);
    target.SetSize(20, 20, PixelFormat24Bit);
    std::memset(target.GetBits(), 7, size_t(target.GetImageSize()));
    target.SetOnProgress([](TPixelGraphic*, int done, bool& abort, int) { abort = done == 4; });
    bool ended = false;
    target.SetOnProgressEnd([&](TPixelGraphic*) { ended = true; });
    target.StretchFrom(source);
    EXPECT_TRUE(ended);
    EXPECT_NE(target.GetPixel(3, 4), pgRGB(7, 7, 7));
    EXPECT_EQ(target.GetPixel(3, 5), pgRGB(7, 7, 7));
}

TEST_F(SizingTest, DitheringMidGreyIntoBlackAndWhiteGivesHalfWhite) {
    TPixelGraphic source, target;
    source.SetSize(64, 64, PixelFormat24Bit);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) source.SetPixel(x, y, pgRGB(128, 128, 128));
    target.SetSize(64, 64, PixelFormat1Bit);
    target.SetPaletteIdent(pBlackWhite);
    target.StretchFrom(source);
    int white = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) white += int(target.GetPixel(x, y));
    EXPECT_NEAR(white, 64 * 64 / 2, 64 * 64 / 20);
    // Without dithering every pixel takes the nearest colour.
    target.SetDither(false);
    target.StretchFrom(source);
    white = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) white += int(target.GetPixel(x, y));
    EXPECT_TRUE(white == 0 || white == 64 * 64);
}

TEST_F(SizingTest, CopyAtEqualSizeConvertsPaletteToTrueColour) {
    TPixelGraphic source, target;
    source.SetSize(3, 2, PixelFormat4Bit);
    source.SetPaletteIdent(pSys16);
    source.SetPixel(2, 1, 9);
    target.SetSize(3, 2, PixelFormat24Bit);
    target.StretchFrom(source);
    EXPECT_EQ(target.GetPixel(2, 1), pgRGB(255, 0, 0));
}

TEST_F(SizingTest, ErrorLimitCurves) {
    int table[511];
    PGBuildErrorLimitTable(255, true, table);  // black and white
    EXPECT_EQ(table[255 + 0], 0);
    EXPECT_EQ(table[255 + 126], 126);
    EXPECT_EQ(table[255 + 127], 127 / 2 + 63);
    EXPECT_EQ(table[255 + 254], 254 / 2 + 63);
    EXPECT_EQ(table[255 + 255], 255);
    EXPECT_EQ(table[255 - 200], -(200 / 2 + 63));
    PGBuildErrorLimitTable(2, true, table);  // 256 greys
    EXPECT_EQ(table[255 + 1], 0);
    EXPECT_EQ(table[255 + 2], 1);
    EXPECT_EQ(table[255 + 3], 1);
    EXPECT_EQ(table[255 + 4], 2);
    EXPECT_EQ(table[255 + 200], 2);
}

TEST_F(SizingTest, ResampleIntoBoxKeepsTheAspectRatioAndNeverEnlarges) {
    TPixelGraphic source, thumb;
    imaging_test::fillGradient(source, 750, 500);
    thumb.ResampleIntoBox(source, 150, 150, smMedium);
    EXPECT_EQ(thumb.GetWidth(), 150);
    EXPECT_EQ(thumb.GetHeight(), 100);
    EXPECT_EQ(thumb.GetStretchMode(), smMedium);
    EXPECT_NEAR(pgRed(thumb.GetPixelColor(149, 0)), 255, 8);
    TPixelGraphic small;
    imaging_test::fillGradient(small, 80, 60);
    thumb.ResampleIntoBox(small, 100, 100, smMedium);
    EXPECT_EQ(thumb.GetWidth(), 80);
    EXPECT_EQ(thumb.GetHeight(), 60);
    EXPECT_EQ(thumb.GetPixel(5, 7), small.GetPixel(5, 7));
}
