// Indexed pixels past a short colour table get black entries of their own: the largest index is
// found in every pixel format and width, and the unused bits at a row's end never count.
#include "imaging/formats/palette_cover.h"
#include "tests/imaging/imaging_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(PaletteCover, TheLargestIndexUsedSetsThePaletteLength) {
    struct Case {
        TPGPixelFormat Format;
        int Width, Height;
        int X, Y, Index;  // the one pixel with a large index; -1: none
        int Expected;     // palette length afterwards (it starts at 2)
    };
    const Case cases[] = {
        {PixelFormat8Bit, 13, 7, 12, 6, 200, 201},  // last pixel of the last row
        {PixelFormat8Bit, 13, 7, 0, 0, 9, 10},
        {PixelFormat8Bit, 13, 7, -1, 0, 0, 2},
        {PixelFormat4Bit, 13, 5, 12, 4, 14, 15},  // odd width: the high nibble of the last byte
        {PixelFormat4Bit, 14, 5, 13, 0, 11, 12},  // even width: the low nibble
        {PixelFormat4Bit, 13, 5, -1, 0, 0, 2},
        {PixelFormat8Bit, 1, 100000, 0, 99999, 255, 256},  // a tall picture, each row one byte
    };
    for (const Case& c : cases) {
        TPixelGraphic picture;
        picture.SetSize(c.Width, c.Height, c.Format);
        picture.SetPaletteCount(2);
        // Junk in the padding at each row's end (and in a last byte's unused nibble) is no pixel.
        const int usedBytes = c.Format == PixelFormat8Bit ? c.Width : (c.Width + 1) / 2;
        for (int y = 0; y < c.Height; ++y) {
            uint8_t* row = picture.GetScanLine(y);
            const int rowBytes = ((c.Format == PixelFormat8Bit ? 8 : 4) * c.Width + 31) / 32 * 4;
            std::memset(row + usedBytes, 0xFF, size_t(rowBytes - usedBytes));
            if (c.Format == PixelFormat4Bit && c.Width % 2) row[usedBytes - 1] = 0x0F;
        }
        if (c.X >= 0) picture.SetPixel(c.X, c.Y, uint32_t(c.Index));
        CoverPaletteIndices(picture);
        EXPECT_EQ(picture.GetPaletteCount(), c.Expected) << c.Width << "x" << c.Height << " format " << int(c.Format);
        if (c.Expected > 2) EXPECT_EQ(picture.GetPaletteColor(c.Expected - 1), pgRGB(0, 0, 0));
    }
}

TEST(PaletteCover, OneBitPicturesNeedTwoEntries) {
    for (const bool set : {false, true}) {
        TPixelGraphic picture;
        picture.SetSize(11, 3, PixelFormat1Bit);
        picture.SetPaletteCount(1);
        picture.GetScanLine(1)[1] = 0x1F;  // bits past the eleventh pixel are padding
        if (set) picture.SetPixel(10, 2, 1);
        CoverPaletteIndices(picture);
        EXPECT_EQ(picture.GetPaletteCount(), set ? 2 : 1);
    }
}

}  // namespace
