// TIFF: every sample variant against Pillow's decode (or the reading the format fixes), the lying
// files against their messages, the one-strip warning in each mode, pages, and the writer's files
// checked by libtiff's tools, Pillow and the reader.
#include "imaging/formats/tiff_format.h"
#include "tests/common/message_responder.h"
#include "tests/imaging/sample_files_support.h"

#include <QFile>

using namespace sample_files;

namespace {

constexpr char Tiff[] = "tiff";
using TiffFormat = SampleFileTest<Tiff>;

void expectLikeExpected(TPixelGraphic& graphic, const QString& file, const QString& expectedFile) {
    const RgbImage want = readRgbPixmap(expectedFile);
    ASSERT_GT(want.Width, 0) << expectedFile.toStdString();
    EXPECT_EQ(mismatches(coloursOf(graphic), want), 0) << file.toStdString();
}

TEST_F(TiffFormat, SamplesDecodeLikePillow) {
    // Pillow's six modes raw and PackBits, tiffcp's byte orders, strips and compression, 4-bit grey
    // and palettes, colour maps longer and shorter than the pixels need, the largest RowsPerStrip.
    const QStringList names = samplesWithExpectedImage(dir(), QStringLiteral("tiff_bad_"));
    EXPECT_EQ(names.size(), 26);
    for (const QString& name : names) {
        TPixelGraphic graphic;
        EXPECT_EQ(loadMessage(graphic, path(name)), QString()) << name.toStdString();
        expectLikeExpected(graphic, name, path(name) + ".expected.ppm");
    }
}

TEST_F(TiffFormat, LyingFilesGiveTheirMessage) {
    expectRefused({
        {"tiff_bad_packbits_overrun.tif", "TIFF (PackBits): Invalid count of bytes in row 1"},
        {"tiff_bad_strip_past_end.tif", "TIFF: Unexpected end of file"},
        {"tiff_bad_huge_tag_count.tif", "TIFF: Unexpected end of file"},
        {"tiff_bad_palette_no_colormap.tif", "TIFF: ColorMap invalid"},
        {"tiff_bad_field_type.tif", "TIFF: Unsupported field Type: 5"},
        {"tiff_bad_samples.tif", "TIFF: Invalid SamplesPerPixel"},
        {"tiff_bad_bits_count.tif", "TIFF: Invalid count of SamplesPerPixel"},
        {"tiff_bad_planar.tif", "TIFF: PlanarConfiguration invalid"},
        {"tiff_bad_rows_per_strip_zero.tif", "TIFF: Invalid RowsPerStrip"},
        {"tiff_bad_strip_count.tif", "TIFF: NumStripOffsets<>(ImageLength+RowsPerStrip-1) div RowsPerStrip"},
        {"tiff_bad_zero_width.tif", "TIFF: ImageWidth invalid"},
        {"tiff_bad_huge_width.tif", "TIFF: ImageWidth invalid"},
        {"tiff_bad_truncated.tif", "TIFF: Unexpected end of file"},
        {"tiff_bad_directory_past_end.tif", "TIFF: Unexpected end of file"},
        {"tiff_bad_lzw.tif", "TIFF: Unsupported compression LZW"},
        {"tiff_bad_group4.tif", "TIFF: Unsupported compression Group 4 Fax"}
    });
    TTIFFileFormatReader reader;
    EXPECT_EQ(readerMessage<EPGTIFFileFormatReader>(reader, path("tiff_pillow_l_raw.tif.expected.ppm")),
              "TIFF: Not a TIF file");
}

TEST_F(TiffFormat, OneStripShorterThanTheImageFollowsTheWarningMode) {
    const QString file = path("tiff_bad_one_strip_short_rows.tif");
    const QString text = QStringLiteral("TIFF: NumStripOffsets<>(ImageLength+RowsPerStrip-1) div RowsPerStrip");
    const struct {
        uint8_t Mode;
        int Boxes;
        platform::MessageResult Answer;
        bool Loads;
    } cases[] = {
        {0, 0, platform::MessageResult::OK, true},     {1, 1, platform::MessageResult::OK, true},
        {2, 1, platform::MessageResult::OK, true},     {2, 1, platform::MessageResult::Cancel, false},
        {3, 0, platform::MessageResult::OK, false},
    };
    for (const auto& c : cases) {
        testing_support::MessageScript script;
        if (c.Boxes) script.answer(c.Answer);
        TPixelGraphic graphic;
        graphic.SetWarningMode(c.Mode);
        EXPECT_EQ(loadMessage(graphic, file), c.Loads ? QString() : text) << int(c.Mode);
        ASSERT_EQ(script.requests().size(), size_t(c.Boxes)) << int(c.Mode);
        if (c.Boxes) {
            EXPECT_EQ(script.requests()[0].caption, QStringLiteral("TIFF-Warning"));
            EXPECT_EQ(script.requests()[0].text, text);
            EXPECT_EQ(script.requests()[0].buttons,
                      c.Mode == 1 ? platform::MessageButtons::OK : platform::MessageButtons::OKCancel);
        }
        if (c.Loads) expectLikeExpected(graphic, file, file + ".expected.ppm");
    }
}

TEST_F(TiffFormat, PagesAreCountedOnlyWhenAsked) {
    const struct {
        const char* Name;
        bool Count;
        int Images;
    } cases[] = {
        {"tiff_two_pages.tif", false, 1},           {"tiff_two_pages.tif", true, 2},
        {"tiff_bad_broken_chain.tif", true, 1},     {"tiff_bad_looping_chain.tif", true, 1},
    };
    for (const auto& c : cases) {
        TiffCountImages = c.Count;
        QFile file(path(c.Name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        TPGGraphicInfo info;
        TTIFFileFormatReader().GetInfo(file, 0, info);
        EXPECT_EQ(info.ImageCount, c.Images) << c.Name << " " << c.Count;
        file.seek(0);
        TPixelGraphic second;
        try {
            TTIFFileFormatReader().Read(file, second, 1);
            EXPECT_EQ(c.Images, 2) << c.Name;
            expectLikeExpected(second, c.Name, path("tiff_pillow_l_raw.tif.expected.ppm"));
        } catch (const EPGTIFFileFormatReader& e) {
            EXPECT_EQ(c.Images, 1) << c.Name;
            EXPECT_EQ(e.message(), QStringLiteral("TIFF: Index invalid"));
        }
    }
}

// Pictures of every pixel format the writer takes.
void makePicture(TPixelGraphic& g, int kind) {
    const int w = 37, h = 23;
    switch (kind) {
    case 0: g.SetSize(w, h, PixelFormat1Bit); g.SetPaletteIdent(pBlackWhite); break;
    case 1: g.SetSize(w, h, PixelFormat4Bit); g.SetPaletteIdent(pGray16); break;
    case 2:
        g.SetSize(w, h, PixelFormat4Bit);
        g.SetPaletteCount(16);
        for (int i = 0; i < 16; ++i) g.SetPaletteColor(i, pgRGB(uint8_t(i * 16), uint8_t(200 - i * 3), uint8_t(i * i)));
        break;
    case 3: g.SetSize(w, h, PixelFormat8Bit); g.SetPaletteIdent(pGray256); break;
    case 4:
        g.SetSize(w, h, PixelFormat8Bit);
        g.SetPaletteCount(100);
        for (int i = 0; i < 100; ++i) g.SetPaletteColor(i, pgRGB(uint8_t(i * 2), uint8_t(255 - i), uint8_t(i * 7 % 256)));
        break;
    default: imaging_test::fillGradient(g, w, h); return;
    }
    const int colours = std::min(g.GetPaletteCount(), 256);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) g.SetPixel(x, y, uint32_t((x / 3 + y * 5 + (x * y) % 7) % colours));
}

TEST_F(TiffFormat, WrittenFilesPassTiffinfoPillowAndReadBack) {
    QTemporaryDir out;
    PillowReadsBack pillow;
    for (int kind = 0; kind < 6; ++kind)
        for (int option = 0; option < 5; ++option) {  // none, PackBits, big-endian, WhiteIsZero, CMYK
            SetImagingDefaults();
            TiffCompression = option == 1 ? 32773 : 1;
            TiffBigEndian = option == 2 || option == 4;
            TiffWhiteIsZero = option == 3;
            TiffWriteCmyk = option == 4;
            if (option == 4) TiffCompression = 32773;
            TPixelGraphic g;
            makePicture(g, kind);
            const QString file = out.filePath(QStringLiteral("written_%1_%2.tif").arg(kind).arg(option));
            {
                QFile f(file);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                TTIFFileFormatWriter().Write(f, g);
            }
            QString output;
            EXPECT_TRUE(runProgram(QStringLiteral("tiffinfo"), {"-D", file}, &output)) << output.toStdString();
            EXPECT_FALSE(output.contains(QStringLiteral("rror"))) << output.toStdString();
            expectReadsBack(g, file, kind == 2);  // the 100 colours of kind 4 come back in 256 entries
            if (kind == 4) {
                TPixelGraphic back;
                back.LoadFromFile(file);
                ASSERT_EQ(back.GetPaletteCount(), 256);
                for (int i = 0; i < g.GetPaletteCount(); ++i) EXPECT_EQ(back.GetPaletteColor(i), g.GetPaletteColor(i));
            }
            // Pillow reads CMYK by another formula; every other file must match it exactly.
            if (!(kind == 5 && option == 4)) pillow.add(file, g);
        }
    pillow.check();
}

TEST_F(TiffFormat, StripLayoutSeenByTiffdump) {
    QTemporaryDir out;
    const struct {
        int Size;
        int Kind;
        const char* Expected[3];
    } cases[] = {
        {1000, 5, {"RowsPerStrip (278) LONG (4) 1<10>", "StripOffsets (273) LONG (4) 100<", "Photometric (262) SHORT (3) 1<2>"}},
        {100, 5, {"RowsPerStrip (278) LONG (4) 1<100>", "StripOffsets (273) LONG (4) 1<", "XResolution (282) RATIONAL (5) 1<300>"}},
        {40, 1, {"Photometric (262) SHORT (3) 1<1>", "BitsPerSample (258) SHORT (3) 1<4>", "SamplesPerPixel (277) SHORT (3) 1<1>"}},
        {40, 2, {"Photometric (262) SHORT (3) 1<3>", "Colormap (320) SHORT (3) 48<", "ResolutionUnit (296) SHORT (3) 1<2>"}},
    };
    for (const auto& c : cases) {
        TPixelGraphic g;
        if (c.Kind == 5) imaging_test::fillGradient(g, c.Size, c.Size);
        else makePicture(g, c.Kind);
        const QString file = out.filePath(QStringLiteral("layout_%1_%2.tif").arg(c.Size).arg(c.Kind));
        g.SaveToFile(file);
        QString dump;
        ASSERT_TRUE(runProgram(QStringLiteral("tiffdump"), {file}, &dump));
        for (const char* line : c.Expected) EXPECT_TRUE(dump.contains(QString::fromLatin1(line))) << line << "\n" << dump.toStdString();
        EXPECT_EQ(c.Kind == 2, dump.contains(QStringLiteral("Colormap")));
        EXPECT_TRUE(dump.contains(QStringLiteral("Directory 0: offset 8 (0x8) next 0")));
    }
}

}  // namespace
