// Icons: every sample entry in both output modes, the refused entries, and file information.
#include "imaging/formats/ico_format.h"
#include "tests/imaging/sample_files_support.h"

#include <QFile>

using namespace sample_files;

namespace {

constexpr char Ico[] = "ico";
using IcoFormat = SampleFileTest<Ico>;

void readIcon(const QString& file, TPixelGraphic& graphic, int index) {
    QFile stream(file);
    ASSERT_TRUE(stream.open(QIODevice::ReadOnly));
    graphic.LoadFromStreamExt(stream, QStringLiteral("ico"), index);
}

TEST_F(IcoFormat, EntriesReadInBothModes) {
    const struct {
        const char* Name;
        int Index;
        TPGPixelFormat IndexedFormat;
        int Colours;
    } cases[] = {
        {"ico_16x16_1bit.ico", 0, PixelFormat1Bit, 2},     {"ico_32x32_4bit.ico", 0, PixelFormat4Bit, 16},
        {"ico_48x48_8bit.ico", 0, PixelFormat8Bit, 256},   {"ico_24x24_1bit.ico", 0, PixelFormat1Bit, 2},
        {"ico_8x64_4bit.ico", 0, PixelFormat4Bit, 16},     {"ico_20x12_8bit.ico", 0, PixelFormat8Bit, 256},
        {"ico_unmasked_32x32_8bit.ico", 0, PixelFormat8Bit, 256}, {"ico_two_entries.ico", 1, PixelFormat8Bit, 256},
    };
    for (const auto& c : cases) {
        const RgbImage want = readRgbPixmap(path(c.Name) + ".expected.ppm");
        ASSERT_GT(want.Width, 0) << c.Name;
        IconReaderMode = 1;
        TPixelGraphic rgb;
        readIcon(path(c.Name), rgb, c.Index);
        EXPECT_EQ(rgb.GetPixelFormat(), PixelFormat24Bit) << c.Name;
        EXPECT_TRUE(rgb.GetTransparent()) << c.Name;
        EXPECT_EQ(rgb.GetTransparentColor(), pgRGB(255, 255, 255)) << c.Name;
        EXPECT_EQ(mismatches(coloursOf(rgb), want), 0) << c.Name;
        // Mode 0: the indices with the icon's colours, the mask not applied.
        IconReaderMode = 0;
        TPixelGraphic indexed;
        readIcon(path(c.Name), indexed, c.Index);
        EXPECT_EQ(indexed.GetPixelFormat(), c.IndexedFormat) << c.Name;
        EXPECT_EQ(indexed.GetPaletteCount(), c.Colours) << c.Name;
        EXPECT_FALSE(indexed.GetTransparent()) << c.Name;
        const RgbImage colours = coloursOf(indexed);
        ASSERT_EQ(colours.Pixels.size(), want.Pixels.size()) << c.Name;
        int64_t differing = 0;
        for (size_t i = 0; i < want.Pixels.size(); ++i)
            differing += want.Pixels[i] != pgRGB(255, 255, 255) && colours.Pixels[i] != want.Pixels[i];
        EXPECT_EQ(differing, 0) << c.Name;
    }
    IconReaderMode = 1;
}

TEST_F(IcoFormat, RefusedFilesAndEntries) {
    const struct {
        const char* Name;
        const char* Message;
    } cases[] = {
        {"ico_bad_cursor.ico", "Not an Icon file"},
        {"ico_bad_128px.ico", "Index out of bounds"},
        {"ico_bad_24bit.ico", "Index out of bounds"},
        {"ico_bad_resource_size.ico", "Index out of bounds"},
        {"ico_bad_offset_past_end.ico", "Not an Icon file"},
        {"ico_bad_truncated.ico", "Not an Icon file"},
        {"ico_bad_huge_count.ico", "Not an Icon file"},
        {"ico_32x32_4bit.ico.expected.ppm", "Not an Icon file"},
    };
    tIcoFileFormatReader reader;
    for (const auto& c : cases) {
        qint64 atEnd = -1;
        EXPECT_EQ(readerMessage(reader, path(c.Name), 0, &atEnd), QString::fromLatin1(c.Message)) << c.Name;
        EXPECT_EQ(atEnd, 0) << c.Name;
    }
    EXPECT_NE(readerMessage(reader, path("ico_two_entries.ico"), 2), QString());
}

TEST_F(IcoFormat, FileInformation) {
    const struct {
        const char* Name;
        int Count;
        int Width;
        int BitCount;
        const char* Colours;
        const char* Details;
        const char* Second;
    } cases[] = {
        {"ico_two_entries.ico", 2, 16, 4, "", "Colors 16..256", "Sizes 16..32"},
        {"ico_48x48_8bit.ico", 1, 48, 8, "256", "", ""},
        {"ico_24x24_1bit.ico", 1, 24, 1, "2", "", ""},
    };
    for (const auto& c : cases) {
        QString description;
        const TPGGraphicInfo info = fileInfo(path(c.Name), &description);
        EXPECT_EQ(description, QStringLiteral("Windows Icon"));
        EXPECT_EQ(info.ImageCount, c.Count) << c.Name;
        EXPECT_EQ(info.Width, c.Width) << c.Name;
        EXPECT_EQ(info.Height, c.Width) << c.Name;
        EXPECT_EQ(info.BitCount, c.BitCount) << c.Name;
        EXPECT_EQ(info.ColorsText, QString::fromLatin1(c.Colours)) << c.Name;
        EXPECT_EQ(info.Details, QString::fromLatin1(c.Details)) << c.Name;
        EXPECT_EQ(info.SubFormat, QString::fromLatin1(c.Second)) << c.Name;
    }
}

}  // namespace
