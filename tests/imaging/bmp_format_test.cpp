// BMP reader and writer: every sample variant against Pillow, round trips of every pixel format,
// files that lie about themselves, and the image class's own BMP streaming.
#include "imaging/formats/bmp_format.h"
#include "tests/common/temp_data_dir.h"
#include "tests/imaging/sample_files_support.h"

#include <QBuffer>
#include <QtEndian>

using namespace imaging_test;
using namespace sample_files;

namespace {

// Every lossless sample (1, 4, 8 bits with full, grey and short palettes, 16 bits 5-5-5 and 5-6-5,
// 24 bits bottom-up and top-down, 32 bits plain and bit fields, RLE8, RLE4, OS/2 8 and 24 bits).
// The file's packed DIB (all behind the 14-byte file header), read by the graphic's own
// LoadFromDIBStream, gives the same image.
TEST(BmpSample, DecodesLikePillow) {
    initLibrary();
    const QString dir = samplesOf("bmp");
    const QStringList names = samplesWithExpectedImage(dir);
    EXPECT_EQ(names.size(), 16);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        TPixelGraphic g;
        EXPECT_EQ(loadMessage(g, dir + name), QString());
        EXPECT_EQ(mismatches(g, readRgbPixmap(dir + name + ".expected.ppm")), 0);

        QBuffer packed;
        packed.setData(readFile(dir + name).mid(14));
        packed.open(QIODevice::ReadOnly);
        TPixelGraphic dib;
        dib.LoadFromDIBStream(packed, packed.data().at(0) == 12);
        EXPECT_EQ(dib.GetPixelFormat(), g.GetPixelFormat());
        EXPECT_EQ(dib.GetDibColorTable(), g.GetDibColorTable());
        EXPECT_EQ(mismatches(coloursOf(dib), coloursOf(g)), 0);
    }
}

// A graphic of the given format with a pattern that uses every palette entry.
void fillPattern(TPixelGraphic& g, TPGPixelFormat format) {
    if (format == PixelFormat24Bit) {
        fillGradient(g, 37, 11);
        return;
    }
    g.SetSize(37, 11, format);
    const int colours = 1 << g.GetBitCount();
    g.SetPaletteIdent(pGray256);
    g.SetPaletteCount(colours);
    for (int i = 0; i < colours; ++i) g.SetPaletteColor(i, pgRGB(uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 3 + 1)));
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 37; ++x) g.SetPixel(x, y, uint32_t((x * 5 + y * 3) % colours));
}

TEST(BmpWriter, EveryPixelFormatRoundTripsAndPillowReadsItBack) {
    initLibrary();
    testing_support::TempDataDir dir;
    PillowReadsBack pillow;
    for (const TPGPixelFormat format : {PixelFormat1Bit, PixelFormat4Bit, PixelFormat8Bit, PixelFormat24Bit}) {
        TPixelGraphic original;
        fillPattern(original, format);
        const QString path = dir.file(QStringLiteral("written%1.bmp").arg(int(format)));
        original.SaveToFile(path);
        EXPECT_EQ(QFileInfo(path).size(), qFromLittleEndian<quint32>(readFile(path).constData() + 2));
        expectReadsBack(original, path);
        pillow.add(path, original);
    }
    pillow.check();
}

QByteArray le32(uint32_t v) {
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}
QByteArray le16(uint16_t v) {
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray infoHeader(int32_t w, int32_t h, uint16_t bits, uint32_t compression = 0, uint32_t sizeImage = 0,
                      uint32_t clrUsed = 0, uint32_t size = 40) {
    return le32(size) + le32(uint32_t(w)) + le32(uint32_t(h)) + le16(1) + le16(bits) + le32(compression) +
           le32(sizeImage) + le32(0) + le32(0) + le32(clrUsed) + le32(0);
}

QByteArray bmpFile(const QByteArray& header, const QByteArray& rest) {
    return QByteArray("BM") + le32(uint32_t(14 + header.size() + rest.size())) + le32(0) + le32(54) + header + rest;
}

struct BadFile {
    const char* Name;
    QByteArray Data;
    const char* Message;
};

TEST(BmpReader, FilesThatLieGiveTheLibrarysMessage) {
    initLibrary();
    const QByteArray palette256(1024, 0);
    const BadFile cases[] = {
        {"size beyond the stream", bmpFile(infoHeader(10000, 10000, 24), QByteArray(100, 0)),
         "BMP: Unexpected end of file"},
        {"image larger than the library holds", bmpFile(infoHeader(2000000, 2000000, 24), QByteArray(100, 0)),
         "BMP: Invalid size of image"},
        {"colour count out of range", bmpFile(infoHeader(4, 4, 8, 0, 0, 0x40000000), QByteArray(100, 0)),
         "BMP: Unexpected end of file"},
        {"truncated rows", bmpFile(infoHeader(16, 16, 8), palette256 + QByteArray(200, 1)),
         "BMP: Unexpected end of file"},
        {"RLE size beyond the stream", bmpFile(infoHeader(8, 8, 8, 1, 0x100000), palette256),
         "BMP: Unexpected end of file"},
        {"RLE size beyond any image", bmpFile(infoHeader(8, 8, 8, 1, 0x7FFFFFFF), palette256),
         "BMP: Invalid size of image"},
        {"top-down RLE", bmpFile(infoHeader(8, -8, 8, 1, 2), palette256 + QByteArray(2, 0)),
         "BMP: BitmapInfoHeader.biCompression invalid"},
        {"V5 header", bmpFile(infoHeader(8, 8, 24, 0, 0, 0, 124), QByteArray(200, 0)),
         "BMP: Invalid size of BitmapInfoHeader/BitmapCoreHeader"},
        {"two planes", bmpFile(le32(40) + le32(8) + le32(8) + le16(2) + le16(24) + QByteArray(24, 0), QByteArray(200, 0)),
         "BMP: BitmapInfoHeader.biPlanes invalid"},
        {"bit count 7", bmpFile(infoHeader(8, 8, 7), QByteArray(200, 0)), "BMP: BitmapInfoHeader.biBitCount invalid"},
        {"bit fields at 8 bits", bmpFile(infoHeader(8, 8, 8, 3), palette256 + QByteArray(64, 0)),
         "BMP: BitmapInfoHeader.biCompression invalid"},
        {"truncated header", QByteArray("BM") + QByteArray(12, 0) + le32(40) + QByteArray(10, 0),
         "BMP: Unexpected end of file"},
    };
    for (const BadFile& c : cases) {
        TPixelGraphic g;
        EXPECT_EQ(bytesMessage<EPGBMPFileFormatReader>(c.Data, g), QString::fromLatin1(c.Message)) << c.Name;
    }
}

// A colour table shorter than the pixels' indices: the missing colours are black, as with the
// other paletted readers, and the image converts like any other.
TEST(BmpReader, IndicesPastAShortColourTableShowBlack) {
    initLibrary();
    const QByteArray table = le32(0x00FF0000) + le32(0x0000FF00);  // red, green
    const QByteArray row = QByteArray("\x00\x01\x05\x02", 4);
    TPixelGraphic g;
    ASSERT_EQ(bytesMessage(bmpFile(infoHeader(4, 2, 8, 0, 0, 2), table + row + row), g), QString());
    EXPECT_EQ(g.GetPaletteCount(), 6);
    EXPECT_EQ(g.GetPixelColor(0, 0), pgRGB(255, 0, 0));
    EXPECT_EQ(g.GetPixelColor(1, 1), pgRGB(0, 255, 0));
    EXPECT_EQ(g.GetPixelColor(2, 0), pgRGB(0, 0, 0));
    EXPECT_EQ(g.GetPixelColor(3, 1), pgRGB(0, 0, 0));
    TPixelGraphic converted;
    converted.SetSize(4, 2, PixelFormat24Bit);
    EXPECT_NO_THROW(converted.StretchFrom(g));
}

// Runs that cross the row's end or leave the image: RLE4 clips at the row, RLE8 drops what falls
// outside (or raises when the graphic asks for range errors), and a run cut off by the end of the
// data stops there.
TEST(BmpReader, RunLengthPacketsStayInsideTheImage) {
    initLibrary();
    QByteArray palette(64, 0);
    for (int i = 0; i < 16; ++i) palette[i * 4 + 2] = char(i * 16);  // red = 16 i
    const QByteArray rle4 = QByteArray::fromHex("14ab" "0000" "0009" "1234") ;  // 20-nibble run on a 6-wide row
    TPixelGraphic g;
    ASSERT_EQ(bytesMessage(bmpFile(infoHeader(6, 2, 4, 2, uint32_t(rle4.size())), palette + rle4), g), QString());
    const int expectedBottom[6] = {10, 11, 10, 11, 10, 11};
    for (int x = 0; x < 6; ++x) EXPECT_EQ(g.GetPixel(x, 1), uint32_t(expectedBottom[x])) << x;
    EXPECT_EQ(g.GetPixel(0, 0), 1u);  // absolute run cut short by the data's end: 1, 2, 3, 4 only
    EXPECT_EQ(g.GetPixel(3, 0), 4u);
    EXPECT_EQ(g.GetPixel(4, 0), 0u);

    QByteArray palette8(1024, 0);
    const QByteArray rle8 = QByteArray::fromHex("0a07" "0002ff05" "0301");  // 10 pixels on a 4-wide row, a far jump
    const QByteArray rle8File = bmpFile(infoHeader(4, 2, 8, 1, uint32_t(rle8.size())), palette8 + rle8);
    ASSERT_EQ(bytesMessage(rle8File, g), QString());
    for (int x = 0; x < 4; ++x) EXPECT_EQ(g.GetPixel(x, 1), 7u);
    // An absolute run ending on the data's last byte: its padding lies past the end.
    const QByteArray oddEnd = QByteArray::fromHex("0003010203");
    ASSERT_EQ(bytesMessage(bmpFile(infoHeader(4, 1, 8, 1, uint32_t(oddEnd.size())), palette8 + oddEnd), g), QString());
    EXPECT_EQ(g.GetPixel(2, 0), 3u);
    EXPECT_EQ(g.GetPixel(3, 0), 0u);
    g.SetRaiseRangeErrors(true);
    EXPECT_NE(bytesMessage<EPGXYIndexOutOfRange>(rle8File, g), QString());
}

TEST(BmpReader, ProgressComesInTenthsAboveAHundredBytes) {
    initLibrary();
    for (const int width : {8, 64}) {
        TPixelGraphic source, g;
        fillGradient(source, width, 4);
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        source.SaveToStream(buffer);
        buffer.seek(0);
        std::vector<int> seen;
        g.SetOnProgress([&](TPixelGraphic*, int done, bool&, int total) { seen.push_back(done * 100 + total); });
        g.LoadFromStream(buffer);
        if (width == 8) {
            EXPECT_TRUE(seen.empty());  // 96 bytes: one read
        } else {
            ASSERT_EQ(seen.size(), 10u);
            EXPECT_EQ(seen.front(), 110);
            EXPECT_EQ(seen.back(), 1010);
        }
    }
}

TEST(BmpReader, FileInformationDescribesTheHeader) {
    initLibrary();
    const QString dir = samplesOf("bmp");
    struct Case {
        const char* File;
        const char* Details;
        int Bits;
        const char* Colours;
        int Height;
    };
    for (const Case c : {Case{"bmp_rle8.bmp", "Windows, RLE8", 8, "256", 4}, Case{"bmp_rle4.bmp", "Windows, RLE4", 4, "16", 3},
                         Case{"bmp_24bit_topdown.bmp", "Windows, RGB, Top-Down", 24, "16.7M", -7},
                         Case{"bmp_os2_8bit.bmp", "OS/2", 8, "256", 7},
                         Case{"bmp_16bit_565_bitfields.bmp", "Windows", 16, "64K", 7}}) {
        SCOPED_TRACE(c.File);
        QString description;
        const TPGGraphicInfo info = fileInfo(dir + c.File, &description);
        EXPECT_EQ(description, "Bitmap");
        EXPECT_EQ(info.Details, c.Details);
        EXPECT_EQ(info.BitCount, c.Bits);
        EXPECT_EQ(info.ColorsText, c.Colours);
        EXPECT_EQ(info.Height, c.Height);
        EXPECT_EQ(info.Width, 13);
    }
}

// SaveToStream writes a bitmap; WriteData and ReadData wrap it in a length and leave the stream
// after the block even when the reader stops early.
TEST(BmpStreaming, WriteDataAndReadDataRestoreThePixels) {
    initLibrary();
    TPixelGraphic original, back;
    fillPattern(original, PixelFormat8Bit);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    original.WriteData(buffer);
    buffer.write("tail");
    buffer.seek(0);
    back.ReadData(buffer);
    EXPECT_EQ(buffer.read(4), "tail");
    EXPECT_EQ(differingPixels(original, back), 0);

    // A block whose bitmap is cut short still leaves the stream after the block.
    QByteArray block = buffer.data();
    const uint32_t length = qFromLittleEndian<quint32>(block.constData());
    block.truncate(4 + 200);
    block += QByteArray(int(length) - 200, char(0)) + "tail";
    block.replace(4 + 2 + 14 + 4 + 4, 4, le32(999));  // absurd height inside the block
    QBuffer cut;
    cut.setData(block);
    cut.open(QIODevice::ReadOnly);
    EXPECT_THROW(back.ReadData(cut), EPixelGraphic);
    EXPECT_EQ(cut.read(4), "tail");
}

}  // namespace
