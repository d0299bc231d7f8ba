// PNG reader and writer: every sample variant against Pillow, written files read back by Pillow
// and by us, file information, gamma, progress, and files that lie about themselves.
#include "imaging/formats/png_format.h"
#include "tests/common/temp_data_dir.h"
#include "tests/imaging/sample_files_support.h"

#include <QBuffer>

#include <zlib.h>

using namespace imaging_test;
using namespace sample_files;

namespace {

// Pillow ignores gamma chunks, so the comparison runs without gamma correction.
struct NoGammaCorrection {
    NoGammaCorrection() { GammaCorrection = false; }
    ~NoGammaCorrection() { GammaCorrection = true; }
};

// Every sample: palette, grey and RGB at each depth, alpha and tRNS composited, interlaced files.
TEST(PngSample, DecodesLikePillow) {
    initLibrary();
    NoGammaCorrection noGamma;
    const QString dir = samplesOf("png");
    const QStringList names = samplesWithExpectedImage(dir);
    EXPECT_EQ(names.size(), 24);
    for (const QString& name : names) {
        TPixelGraphic g;
        EXPECT_EQ(loadMessage(g, dir + name), QString()) << name.toStdString();
        EXPECT_EQ(mismatches(g, readRgbPixmap(dir + name + ".expected.ppm")), 0) << name.toStdString();
    }
}

TEST(PngReader, PixelFormatsFollowTheFile) {
    initLibrary();
    const QString dir = samplesOf("png");
    struct Case {
        const char* File;
        TPGPixelFormat Format;
        TPaletteIdent Palette;
    };
    for (const Case c : {Case{"png_grey_2bit.png", PixelFormat4Bit, pGray4}, Case{"png_grey_4bit.png", PixelFormat4Bit, pGray16},
                         Case{"png_grey_1bit.png", PixelFormat1Bit, pBlackWhite}, Case{"png_grey_16bit.png", PixelFormat8Bit, pGray256},
                         Case{"png_palette_2bit.png", PixelFormat4Bit, pUnknown}, Case{"png_rgb_16bit.png", PixelFormat24Bit, pTrueColor},
                         Case{"png_grey_alpha.png", PixelFormat8Bit, pGray256}}) {
        SCOPED_TRACE(c.File);
        TPixelGraphic g;
        g.LoadFromFile(dir + c.File);
        EXPECT_EQ(g.GetPixelFormat(), c.Format);
        EXPECT_EQ(g.GetPaletteIdent(), c.Palette);
    }
}

TEST(PngReader, FileGammaIsKeptAndCorrectedOnlyWhenItDiffers) {  // and written only when known
    initLibrary();
    const QString dir = samplesOf("png");
    TPixelGraphic plain, gamma;
    plain.LoadFromFile(dir + "png_rgb.png");
    gamma.LoadFromFile(dir + "png_rgb_gamma.png");  // gAMA 1/2.2 against a display gamma of 1.8
    EXPECT_EQ(mismatches(plain, readRgbPixmap(dir + "png_rgb.png.expected.ppm")), 0);
    EXPECT_GT(mismatches(gamma, readRgbPixmap(dir + "png_rgb_gamma.png.expected.ppm")), 100);
    EXPECT_EQ(gamma.GetImageGamma(), DisplayGamma);  // corrected towards the display

    // A file written with gamma 1/1.8 loads unchanged.
    TPixelGraphic source, back;
    fillGradient(source, 20, 10);
    source.SetImageGamma(1.8L);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    source.SaveToStreamExt(buffer, "png");
    buffer.seek(0);
    back.LoadFromStream(buffer);
    EXPECT_EQ(meanError(source, back), 0.0);

    // A graphic without gamma is written without a gamma chunk.
    source.SetImageGamma(0);
    QBuffer noGamma;
    noGamma.open(QIODevice::ReadWrite);
    source.SaveToStreamExt(noGamma, "png");
    noGamma.seek(0);
    QString description;
    TPGGraphicInfo info;
    ASSERT_TRUE(GetStreamGraphicInfo(noGamma, "", 0, description, info));
    EXPECT_EQ(info.SubFormat, "");
}

TEST(PngReader, InterlacedFilesReportSevenPassesOfProgress) {
    initLibrary();
    TPixelGraphic g;
    std::vector<std::pair<int, int>> seen;
    g.SetOnProgress([&](TPixelGraphic*, int done, bool&, int total) { seen.emplace_back(done, total); });
    g.LoadFromFile(samplesOf("png") + "png_rgb_interlaced.png");
    ASSERT_EQ(seen.size(), size_t(7 * 11));
    EXPECT_EQ(seen.back(), std::make_pair(7 * 11 - 1, 7 * 11));
}

TEST(PngReader, FileInformationNamesTheKindAndTheChunks) {
    initLibrary();
    const QString dir = samplesOf("png");
    struct Case {
        const char* File;
        const char* Details;
        const char* Chunks;
        int Bits;
        const char* Colours;
    };
    for (const Case c : {Case{"png_rgb_chunks.png", "RGB", "(phys, time)", 24, "16.7M"},
                         Case{"png_grey_8bit_offs.png", "GrayScale", "(offs)", 8, "256"},
                         Case{"png_rgba_bkgd.png", "RGB, alpha", "(bkgd)", 32, "16.7M?"},
                         Case{"png_rgb_16bit.png", "RGB", "", 48, "?"},
                         Case{"png_palette_trns.png", "palette", "(plte, trns)", 8, "256"},
                         Case{"png_grey_2bit.png", "GrayScale", "", 2, "4"},
                         Case{"png_rgb_interlaced.png", "RGB, interlaced", "", 24, "16.7M"}}) {
        SCOPED_TRACE(c.File);
        QString description;
        const TPGGraphicInfo info = fileInfo(dir + c.File, &description);
        EXPECT_EQ(description, "Portable Network Graphics");
        EXPECT_EQ(info.Details, c.Details);
        EXPECT_EQ(info.SubFormat, c.Chunks);
        EXPECT_EQ(info.BitCount, c.Bits);
        EXPECT_EQ(info.ColorsText, c.Colours);
        EXPECT_EQ(info.Width, 19);
    }
}

// Every pixel format written, read back by us (same pixels and palette) and by Pillow.
TEST(PngWriter, EveryPixelFormatRoundTripsAndPillowReadsItBack) {
    initLibrary();
    testing_support::TempDataDir dir;
    PillowReadsBack pillow;
    struct Case {
        TPGPixelFormat Format;
        TPaletteIdent Palette;
        const char* Kind;
    };
    for (const Case c : {Case{PixelFormat24Bit, pTrueColor, "RGB"}, Case{PixelFormat8Bit, pGray256, "GrayScale"},
                         Case{PixelFormat8Bit, pSpecial216, "palette"}, Case{PixelFormat4Bit, pGray16, "palette"},
                         Case{PixelFormat4Bit, pSys16, "palette"}, Case{PixelFormat1Bit, pBlackWhite, "palette"}}) {
        SCOPED_TRACE(int(c.Palette));
        TPixelGraphic original;
        if (c.Format == PixelFormat24Bit) {
            fillGradient(original, 23, 9);
        } else {
            original.SetSize(23, 9, c.Format);
            original.SetPaletteIdent(c.Palette);
            for (int y = 0; y < 9; ++y)
                for (int x = 0; x < 23; ++x) original.SetPixel(x, y, uint32_t((x * 7 + y) % original.GetPaletteCount()));
        }
        const QString path = dir.file(QStringLiteral("written_%1.png").arg(int(c.Palette)));
        original.SaveToFile(path);
        const TPGGraphicInfo info = fileInfo(path);
        EXPECT_EQ(info.Details, c.Kind);
        EXPECT_EQ(info.SubFormat, c.Format == PixelFormat8Bit && c.Palette == pGray256 ? "(gama)" : c.Format == PixelFormat24Bit ? "(gama)" : "(gama, plte)");
        expectReadsBack(original, path);
        pillow.add(path, original);
    }
    pillow.check();
}

TEST(PngReader, FilesThatLieGiveTheLibrarysMessage) {
    initLibrary();
    TPixelGraphic good;
    fillGradient(good, 40, 30);
    QBuffer written;
    written.open(QIODevice::ReadWrite);
    good.SaveToStreamExt(written, "png");
    const QByteArray file = written.data();
    QByteArray badCrc = file;
    badCrc[30] = char(badCrc[30] ^ 0x55);  // inside IHDR
    QByteArray huge = file;
    huge.replace(16, 8, QByteArray::fromHex("0001000000010000"));  // 65536 x 65536, with a valid CRC
    const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(huge.constData() + 12), 17));
    huge.replace(29, 4, QByteArray::fromHex(QByteArray::number(crc, 16).rightJustified(8, '0')));
    struct Case {
        const char* Name;
        QByteArray Data;
        const char* Message;
    };
    for (const Case& c : {Case{"truncated", file.left(file.size() / 2), "PNG: Read Error"},
                          Case{"bad IHDR CRC", badCrc, "PNG: IHDR: CRC error"},
                          Case{"larger than the library holds", huge, "PNG: Invalid size of image"}}) {
        TPixelGraphic g;
        EXPECT_EQ(bytesMessage<EPGPNGFileFormatReaderWriter>(c.Data, g), QString::fromLatin1(c.Message)) << c.Name;
    }
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    TPixelGraphic g;
    EXPECT_THROW(g.LoadFromStreamExt(buffer, "", 1), EPGPNGFileFormatReaderWriter);
}

}  // namespace
