// Targa: every sample variant against Pillow's decode (or the reading the format fixes), the lying
// files against their messages, and the writer's files read back by Pillow and by the reader.
#include "imaging/formats/tga_format.h"
#include "tests/imaging/sample_files_support.h"

#include <QBuffer>
#include <QFile>

using namespace sample_files;

namespace {

constexpr char Tga[] = "tga";
using TgaFormat = SampleFileTest<Tga>;

TEST_F(TgaFormat, SamplesDecodeLikePillow) {
    // Pillow's four pictures raw and RLE from both origins, the four origins, 16-bit pixels and
    // colour maps, packets across rows, a short colour map.
    const QStringList names = samplesWithExpectedImage(dir());
    EXPECT_EQ(names.size(), 25);
    for (const QString& name : names) {
        const bool indexed = name.contains("grey") || name.contains("palette") || name.contains("map");
        expectLoadsAsExpected(path(name), indexed ? PixelFormat8Bit : PixelFormat24Bit);
    }
    // A grey file gets the 256-grey palette; pixel 0x7FFF of a 16-bit file gives (248, 248, 248).
    TPixelGraphic grey;
    grey.LoadFromFile(path("tga_pillow_grey_raw_top.tga"));
    EXPECT_EQ(grey.GetPaletteIdent(), pGray256);
    TPixelGraphic wide;
    wide.LoadFromFile(path("tga_16bit_rle_id.tga"));
    bool seenWhite = false;
    for (TColor c : coloursOf(wide).Pixels) seenWhite = seenWhite || c == pgRGB(248, 248, 248);
    EXPECT_TRUE(seenWhite);
}

TEST_F(TgaFormat, LyingFilesGiveTheirMessage) {
    expectRefused({
        {"tga_bad_depth15.tga", "TGA: Not supported subformat"},
        {"tga_bad_first_entry.tga", "TGA: Not supported subformat"},
        {"tga_bad_entry_size.tga", "TGA: Not supported subformat"},
        {"tga_bad_zero_width.tga", "TGA: Not supported subformat"},
        {"tga_bad_truncated.tga", "TGA: Unexpected end of file"},
        {"tga_bad_truncated_rle.tga", "TGA: Unexpected end of file"},
        {"tga_bad_huge.tga", "TGA: Unexpected end of file"}
    });
    // A header claiming more than the file holds is refused before anything is allocated.
    TPixelGraphic refused;
    loadMessage(refused, path("tga_bad_huge.tga"));
    EXPECT_TRUE(refused.GetEmpty());
    // A file cut short keeps the rows it had (here the five bottom rows of the picture); the rows
    // it never delivered are black, not whatever the memory held.
    TPixelGraphic partial;
    loadMessage(partial, path("tga_bad_truncated_rle.tga"));
    ASSERT_EQ(partial.GetHeight(), 30);
    for (int y = 0; y < 30; ++y) EXPECT_EQ(partial.GetPixelColor(7, y), y >= 25 ? pgRGB(64, 64, 64) : pgRGB(0, 0, 0)) << y;
    // No probe: a Targa file under another extension is not recognised.
    const QString renamed = path("renamed.img");
    ASSERT_TRUE(QFile::copy(path("tga_origin_top_left.tga"), renamed));
    TPixelGraphic graphic;
    EXPECT_EQ(loadMessage(graphic, renamed), QStringLiteral("Unknown file format"));
}

TEST_F(TgaFormat, WrittenFilesReadBackInPillowAndHere) {
    QTemporaryDir out;
    PillowReadsBack pillow;
    for (bool paletted : {false, true}) {
        TPixelGraphic g;
        if (paletted) {
            g.SetSize(23, 9, PixelFormat8Bit);
            g.SetPaletteCount(40);
            for (int i = 0; i < 40; ++i) g.SetPaletteColor(i, pgRGB(uint8_t(i * 6), uint8_t(255 - i), uint8_t(i * i % 256)));
            for (int y = 0; y < 9; ++y)
                for (int x = 0; x < 23; ++x) g.SetPixel(x, y, uint32_t((x * 7 + y * 3) % 40));
        } else {
            imaging_test::fillGradient(g, 31, 17);
        }
        const QString file = out.filePath(QStringLiteral("written_%1.tga").arg(paletted));
        g.SaveToFile(file);
        pillow.add(file, g);
        expectReadsBack(g, file);
        const TPGGraphicInfo info = fileInfo(file);
        EXPECT_EQ(info.Details, QStringLiteral("Uncompressed"));
        EXPECT_EQ(info.SubFormat, paletted ? QStringLiteral("Color-mapped") : QStringLiteral("True-color"));
        EXPECT_EQ(info.ColorsText, paletted ? QStringLiteral("256") : QStringLiteral("16.7M"));
    }
    pillow.check();
}

}  // namespace
