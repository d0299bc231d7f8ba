// The registry's own GIF reader: image selection, interlacing, the block walk and file information.
#include "tests/imaging/gif_test_support.h"
#include "tests/imaging/imaging_test_support.h"

#include "imaging/formats/gif_registry_reader.h"

using namespace gif_test;

namespace {

QByteArray threeImages(bool secondInterlaced = false) {
    TGIFImage image;
    image.SetWidth(20);
    image.SetHeight(20);
    addFrame(image, 4, 3, 1, patternPixels(4, 3, 1));
    TGIFSubImage* second = addFrame(image, 5, 6, 3, patternPixels(5, 6, 3, 11), false, 2, 2);
    if (secondInterlaced) {
        // Interlacing is kept by frames on the global table.
        second->ColorMap.Clear();
        for (int i = 0; i < 8; ++i) image.Header().GlobalColorMap.Add(gifRGB(uint8_t(i * 30), 1, 2));
        second->SetInterlaced(true);
    }
    addFrame(image, 7, 2, 8, patternPixels(7, 2, 8, 5));
    return saveImage(image);
}

bool readImage(TPixelGraphic& graphic, const QByteArray& bytes, int index, int* rowsReported = nullptr) {
    QByteArray copy = bytes;
    QBuffer stream(&copy);
    stream.open(QIODevice::ReadOnly);
    tGifFileFormatReader reader;
    int rows = 0;
    graphic.SetOnProgress([&](TPixelGraphic*, int, bool&, int) { ++rows; });
    reader.Read(stream, graphic, index);
    if (rowsReported) *rowsReported = rows;
    return !graphic.GetEmpty();
}

TPGGraphicInfo infoOf(const QByteArray& bytes, int index) {
    QByteArray copy = bytes;
    QBuffer stream(&copy);
    stream.open(QIODevice::ReadOnly);
    tGifFileFormatReader reader;
    TPGGraphicInfo info;
    reader.GetInfo(stream, index, info);
    return info;
}

}  // namespace

TEST(GifRegistryReader, ProbeAndSelection) {
    imaging_test::initLibrary();
    tGifFileFormatReader reader;
    EXPECT_EQ(reader.Description, "GIF");
    uint8_t upper[17] = {'G', 'I', 'F'};
    uint8_t lower[17] = {'g', 'i', 'f'};
    uint8_t sum[17] = {'F', 'I', 'G'};
    EXPECT_TRUE(reader.IsFormat(upper));
    EXPECT_FALSE(reader.IsFormat(lower));
    EXPECT_FALSE(reader.IsFormat(sum));

    const QByteArray bytes = threeImages();
    TGIFImage source;
    loadImage(source, bytes);
    TPixelGraphic third;
    int rows = 0;
    ASSERT_TRUE(readImage(third, bytes, 2, &rows));
    EXPECT_EQ(third.GetWidth(), 7);
    EXPECT_EQ(third.GetHeight(), 2);
    EXPECT_EQ(third.GetPixelFormat(), PixelFormat8Bit);
    EXPECT_EQ(rows, 2);
    TGIFSubImage* frame = source.Images().Frame(2);
    for (int x = 0; x < 7; ++x)
        EXPECT_EQ(third.GetPixelColor(x, 1), frame->ColorMap.GetColor(frame->Data[size_t(7 + x)]));
    TPixelGraphic second;
    ASSERT_TRUE(readImage(second, bytes, 1));
    EXPECT_EQ(second.GetWidth(), 5);
    EXPECT_EQ(second.GetPixelFormat(), PixelFormat4Bit);
    TPixelGraphic first;
    ASSERT_TRUE(readImage(first, bytes, 0));
    EXPECT_EQ(first.GetPixelFormat(), PixelFormat1Bit);
    // A missing image and a file that is no GIF leave the graphic alone, without an error.
    TPixelGraphic missing;
    EXPECT_FALSE(readImage(missing, bytes, 3));
    EXPECT_FALSE(readImage(missing, QByteArray("gif89a") + bytes.mid(6), 0));
    EXPECT_FALSE(readImage(missing, QByteArray(), 0));
}

TEST(GifRegistryReader, InterlacedRowsAndVersion) {
    imaging_test::initLibrary();
    // Ten rows, each of its own colour, stored in the order 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
    TGIFImage image;
    image.SetWidth(2);
    image.SetHeight(10);
    for (int i = 0; i < 16; ++i) image.Header().GlobalColorMap.Add(gifRGB(uint8_t(i * 15), uint8_t(i), 0));
    std::vector<uint8_t> pixels;
    for (int r = 0; r < 10; ++r) pixels.insert(pixels.end(), {uint8_t(r), uint8_t(r)});
    TGIFSubImage* frame = addFrame(image, 2, 10, 4, pixels, true);
    frame->SetInterlaced(true);
    QByteArray bytes = saveImage(image);
    TPixelGraphic graphic;
    QByteArray copy = bytes;
    QBuffer stream(&copy);
    stream.open(QIODevice::ReadOnly);
    std::vector<int> reported;
    graphic.SetOnProgress([&](TPixelGraphic*, int done, bool&, int total) {
        EXPECT_EQ(total, 9);
        reported.push_back(done);
    });
    tGifFileFormatReader().Read(stream, graphic, 0);
    EXPECT_EQ(reported, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    for (int r = 0; r < 10; ++r) EXPECT_EQ(graphic.GetPixelColor(1, r), pgRGB(uint8_t(r * 15), uint8_t(r), 0)) << r;

    const TPGGraphicInfo info = infoOf(bytes, 0);
    EXPECT_EQ(info.SubFormat, "87a");
    EXPECT_EQ(info.Details, "Interlaced");
    bytes[4] = '8';
    EXPECT_EQ(infoOf(bytes, 0).SubFormat, "89a");
}

TEST(GifRegistryReader, FileInformation) {
    imaging_test::initLibrary();
    const QByteArray bytes = threeImages(true);
    TPGGraphicInfo info = infoOf(bytes, 0);
    EXPECT_EQ(info.ImageCount, 3);
    EXPECT_EQ(info.Width, 4);
    EXPECT_EQ(info.Height, 3);
    EXPECT_EQ(info.Details, "Interlaced");
    EXPECT_EQ(info.ColorsText, "256");  // of the last image read
    EXPECT_EQ(info.BitCount, 8);
    info = infoOf(bytes, 1);
    EXPECT_EQ(info.Width, 5);
    EXPECT_EQ(infoOf(threeImages(false), 0).Details, "Non-interlaced");
    try {
        infoOf(bytes, 3);
        ADD_FAILURE();
    } catch (const EPixelGraphic& e) {
        EXPECT_EQ(e.message(), "Index out of bounds");
    }
    try {
        infoOf("PNG...", 0);
        ADD_FAILURE();
    } catch (const EPixelGraphic& e) {
        EXPECT_EQ(e.message(), "Not a proper GIF file");
    }
}

TEST(GifRegistryReader, TheWalkStopsAtAnUnknownExtension) {
    imaging_test::initLibrary();
    QByteArray bytes = threeImages();
    // Put an extension of label 0x02 in front of the second image.
    const qsizetype secondAt = [&] {
        // The second descriptor starts right after the first image's terminator.
        QByteArray copy = bytes;
        QBuffer stream(&copy);
        stream.open(QIODevice::ReadOnly);
        TGIFImage probe;
        probe.Header().LoadFromStream(stream);
        TGIFSubImage frame(&probe);
        frame.LoadFromStream(stream);
        return stream.pos();
    }();
    bytes.insert(secondAt, QByteArray::fromHex("2102" "0161" "00"));
    EXPECT_EQ(infoOf(bytes, 0).ImageCount, 1);
    EXPECT_THROW(infoOf(bytes, 1), EPixelGraphic);
    TPixelGraphic graphic;
    EXPECT_FALSE(readImage(graphic, bytes, 1));
    EXPECT_TRUE(readImage(graphic, bytes, 0));
    // An end code followed directly by the terminator decodes the whole image.
    EXPECT_EQ(graphic.GetWidth(), 4);
}

TEST(GifRegistryReader, AbortStopsDecoding) {
    imaging_test::initLibrary();
    TGIFImage image;
    addFrame(image, 8, 40, 8, std::vector<uint8_t>(320, 200));
    const QByteArray bytes = saveImage(image);
    QByteArray copy = bytes;
    QBuffer stream(&copy);
    stream.open(QIODevice::ReadOnly);
    TPixelGraphic graphic;
    int calls = 0;
    graphic.SetOnProgress([&](TPixelGraphic*, int done, bool& abort, int) {
        ++calls;
        if (done == 5) abort = true;
    });
    tGifFileFormatReader().Read(stream, graphic, 0);
    EXPECT_EQ(calls, 5);
    ASSERT_EQ(graphic.GetHeight(), 40);
    EXPECT_EQ(graphic.GetPixel(3, 4), 200u);
}
