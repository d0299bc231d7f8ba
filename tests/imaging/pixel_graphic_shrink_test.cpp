// The thumbnail shrink: every source pixel counts alike, in every pixel format, whether the picture
// is first averaged down by whole factors (far larger than the thumbnail) or not.
#include "imaging/pixel_graphic_shrink.h"
#include "tests/imaging/imaging_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Size {
    int Width, Height;
};

std::string describe(Size source, Size target, TPGPixelFormat format) {
    return std::to_string(source.Width) + "x" + std::to_string(source.Height) + " -> " + std::to_string(target.Width) +
           "x" + std::to_string(target.Height) + " format " + std::to_string(int(format));
}

// Exact where it can be: a picture of one colour stays that colour, edge blocks included.
TEST(ShrinkSmoothly, OneColourStaysExactInEveryFormatAndSize) {
    const TColor colour = pgRGB(200, 90, 30);
    const Size sizes[][2] = {
        {{3001, 2001}, {100, 67}},  // averaged by 15 and 14 first, a last block of one pixel
        {{5000, 37}, {100, 1}},     // averaged across only
        {{37, 5000}, {1, 100}},     // averaged down only
        {{300, 200}, {100, 67}},    // within twice the target: the cubic alone
        {{7, 5}, {20, 14}},         // enlarged
    };
    for (const TPGPixelFormat format : {PixelFormat1Bit, PixelFormat4Bit, PixelFormat8Bit, PixelFormat24Bit}) {
        for (const auto& [source, target] : sizes) {
            TPixelGraphic picture;
            picture.SetSize(source.Width, source.Height, format);
            if (format == PixelFormat24Bit) {
                for (int y = 0; y < source.Height; ++y)
                    for (int x = 0; x < source.Width; ++x) picture.SetPixel(x, y, colour);
            } else {
                picture.SetPaletteCount(2);
                picture.SetPaletteColor(0, colour);  // the fresh pixels are all index 0
                picture.SetPaletteColor(1, pgRGB(0, 0, 0));
            }
            TPixelGraphic thumbnail;
            ShrinkSmoothly(picture, thumbnail, target.Width, target.Height);
            ASSERT_EQ(thumbnail.GetWidth(), target.Width);
            ASSERT_EQ(thumbnail.GetHeight(), target.Height);
            int wrong = 0;
            for (int y = 0; y < target.Height; ++y)
                for (int x = 0; x < target.Width; ++x) wrong += thumbnail.GetPixelColor(x, y) != colour;
            EXPECT_EQ(wrong, 0) << describe(source, target, format);
        }
    }
}

// Fine detail turns grey instead of into stripes, and a black-to-white edge stays where it is.
TEST(ShrinkSmoothly, FineDetailBlursAndEdgesStayInPlace) {
    struct Case {
        const char* Name;
        Size Source, Target;
        int (*Grey)(int x, int y, int width);     // the source's grey level
        int (*Expected)(int x, int width);        // the thumbnail's, -1 where anything goes
    };
    const Case cases[] = {
        {"one-pixel stripes", {4000, 3000}, {100, 75}, [](int x, int, int) { return x % 2 ? 255 : 0; },
         [](int, int) { return 128; }},
        {"checkerboard", {3001, 2001}, {100, 67}, [](int x, int y, int) { return (x + y) % 2 ? 255 : 0; },
         [](int, int) { return 128; }},
        {"left half black", {10000, 60}, {100, 1}, [](int x, int, int w) { return x < w / 2 ? 0 : 255; },
         [](int x, int w) { return x < w / 2 - 2 ? 0 : x >= w / 2 + 2 ? 255 : -1; }},
    };
    for (const Case& c : cases) {
        TPixelGraphic picture;
        picture.SetSize(c.Source.Width, c.Source.Height, PixelFormat8Bit);
        picture.SetPaletteIdent(pGray256);
        for (int y = 0; y < c.Source.Height; ++y) {
            uint8_t* line = picture.GetScanLine(y);
            for (int x = 0; x < c.Source.Width; ++x) line[x] = uint8_t(c.Grey(x, y, c.Source.Width));
        }
        TPixelGraphic thumbnail;
        ShrinkSmoothly(picture, thumbnail, c.Target.Width, c.Target.Height);
        int worst = 0;
        for (int y = 0; y < c.Target.Height; ++y)
            for (int x = 0; x < c.Target.Width; ++x) {
                const int expected = c.Expected(x, c.Target.Width);
                if (expected >= 0) worst = std::max(worst, std::abs(int(pgGreen(thumbnail.GetPixelColor(x, y))) - expected));
            }
        EXPECT_LE(worst, 2) << c.Name;
    }
}

// A pixel whose index the palette lacks fails the shrink as reading its colour does.
TEST(ShrinkSmoothly, AnIndexPastThePaletteFails) {
    for (const Size source : {Size{40, 30}, Size{4000, 3000}}) {
        TPixelGraphic picture;
        picture.SetSize(source.Width, source.Height, PixelFormat8Bit);
        picture.SetPaletteCount(2);
        picture.GetScanLine(source.Height / 2)[source.Width / 2] = 5;
        TPixelGraphic thumbnail;
        EXPECT_THROW(ShrinkSmoothly(picture, thumbnail, 20, 15), EPGInvalidPaletteIndex) << source.Width;
    }
}

}  // namespace
