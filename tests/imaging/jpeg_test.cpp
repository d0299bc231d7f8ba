// The JPEG reader and writer: round trips, file information, DCT scaling, warnings and bad files.
#include "tests/common/message_responder.h"
#include "tests/common/temp_data_dir.h"
#include "tests/imaging/imaging_test_support.h"

#include "imaging/formats/jpeg_format.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <vector>

using platform::MessageResult;

class JpegTest : public ::testing::Test {
protected:
    void SetUp() override { imaging_test::initLibrary(); }
    void TearDown() override { SetImagingDefaults(); }

    QString saveGradient(const QString& name, int w, int h) {
        TPixelGraphic g;
        imaging_test::fillGradient(g, w, h);
        const QString path = dir.file(name);
        g.SaveToFile(path);
        return path;
    }

    QByteArray jpegBytes(int w, int h) { return imaging_test::readFile(saveGradient("source.jpg", w, h)); }

    testing_support::TempDataDir dir;
};

TEST_F(JpegTest, ColourRoundTripsStayWithinTheQualityError) {
    TPixelGraphic original;
    imaging_test::fillGradient(original, 120, 90);
    struct Case {
        int quality;
        bool progressive;
        double maxError;
    };
    double previousError = 1e9;
    qint64 previousSize = 1 << 30;
    for (const Case& c : {Case{30, false, 7.0}, Case{75, false, 4.0}, Case{95, false, 2.5}, Case{75, true, 4.0}}) {
        JpegQuality = uint8_t(c.quality);
        JpegProgressive = c.progressive;
        const QString path = dir.file(QString("q%1_%2.jpg").arg(c.quality).arg(c.progressive));
        original.SaveToFile(path);
        TPixelGraphic loaded;
        loaded.LoadFromFile(path);
        ASSERT_EQ(loaded.GetWidth(), 120);
        ASSERT_EQ(loaded.GetHeight(), 90);
        EXPECT_EQ(loaded.GetBitCount(), 24);
        EXPECT_EQ(loaded.GetPaletteIdent(), pTrueColor);
        const double error = imaging_test::meanError(original, loaded);
        EXPECT_LT(error, c.maxError) << "quality " << c.quality;
        EXPECT_GT(error, 0.0);
        QString description;
        TPGGraphicInfo info;
        ASSERT_TRUE(GetGraphicFileInfo(path, 0, description, info));
        EXPECT_EQ(info.Details, c.progressive ? "JFIF, YCbCr, Progressive" : "JFIF, YCbCr");
        if (!c.progressive) {
            // Higher quality: smaller error, larger file.
            EXPECT_LT(error, previousError);
            EXPECT_GT(QFileInfo(path).size(), previousSize == (1 << 30) ? 0 : previousSize);
            previousError = error;
            previousSize = QFileInfo(path).size();
        }
    }
}

TEST_F(JpegTest, GreyImagesRoundTripAsOneComponent) {
    TPixelGraphic grey;
    imaging_test::fillGrayGradient(grey, 64, 48);
    for (int quality : {50, 90}) {
        JpegQuality = uint8_t(quality);
        const QString path = dir.file(QString("grey%1.jpg").arg(quality));
        grey.SaveToFile(path);
        QString description;
        TPGGraphicInfo info;
        ASSERT_TRUE(GetGraphicFileInfo(path, 0, description, info));
        EXPECT_EQ(info.BitCount, 8);
        EXPECT_EQ(info.ColorsText, "256");
        EXPECT_EQ(info.Details, "JFIF, GrayScale");
        TPixelGraphic loaded;
        loaded.LoadFromFile(path);
        EXPECT_EQ(loaded.GetBitCount(), 8);
        EXPECT_EQ(loaded.GetPaletteIdent(), pGray256);
        EXPECT_EQ(loaded.GetWidth(), 64);
        EXPECT_LT(imaging_test::meanError(grey, loaded), quality == 90 ? 1.0 : 2.0);
    }
}

TEST_F(JpegTest, TheWriterRefusesPalettedImagesHandedInDirectly) {
    TPixelGraphic g;
    g.SetSize(4, 4, PixelFormat4Bit);
    g.SetPaletteIdent(pSys16);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TJPGFileFormatWriter writer;
    try {
        writer.Write(buffer, g);
        FAIL();
    } catch (const EPGJPGFileFormatReaderWriter& e) {
        EXPECT_EQ(e.message(), "JPG: Invalid value for BitCount");
    }
}

TEST_F(JpegTest, DctScalingGivesTheScaledSize) {
    const QString path = saveGradient("large.jpg", 801, 601);
    const int expected[4][3] = {{1, 801, 601}, {2, 401, 301}, {4, 201, 151}, {8, 101, 76}};
    for (const auto& e : expected) {
        TPixelGraphic g;
        const TPGJpegScaledInfo info = LoadJpegFileScaled(path, g, e[0], true);
        EXPECT_EQ(info.FullWidth, 801);
        EXPECT_EQ(info.FullHeight, 601);
        EXPECT_EQ(info.ScaleDenominator, e[0]);
        EXPECT_EQ(g.GetWidth(), e[1]) << "1/" << e[0];
        EXPECT_EQ(g.GetHeight(), e[2]) << "1/" << e[0];
        EXPECT_EQ(g.GetBitCount(), 24);
    }
    // The chooser sees the full size before anything is decoded.
    TPixelGraphic g;
    int seenWidth = 0;
    LoadJpegFileScaled(path, g, [&](int w, int h) {
        seenWidth = w;
        return h > 500 ? 4 : 1;
    }, false);
    EXPECT_EQ(seenWidth, 801);
    EXPECT_EQ(g.GetWidth(), 201);
    // A scaled decode still looks like the image: compare with a full decode shrunk by the library.
    const QString even = saveGradient("even.jpg", 800, 600);
    TPixelGraphic full, shrunk;
    full.LoadFromFile(even);
    shrunk.SetSize(100, 75, PixelFormat24Bit);
    shrunk.StretchFrom(full);
    TPixelGraphic eighth;
    LoadJpegFileScaled(even, eighth, 8, true);
    EXPECT_LT(imaging_test::meanError(shrunk, eighth), 6.0);
}

TEST_F(JpegTest, QualityAndProgressiveOptionsStayForLaterSaves) {
    TPixelGraphic g;
    imaging_test::fillGradient(g, 100, 100);
    JpegQuality = 20;
    g.SaveToFile(dir.file("a.jpg"));
    g.SaveToFile(dir.file("b.jpg"));
    JpegQuality = 98;
    g.SaveToFile(dir.file("c.jpg"));
    EXPECT_EQ(QFileInfo(dir.file("a.jpg")).size(), QFileInfo(dir.file("b.jpg")).size());
    EXPECT_GT(QFileInfo(dir.file("c.jpg")).size(), 2 * QFileInfo(dir.file("a.jpg")).size());
}

TEST_F(JpegTest, ZeroByteAndGarbageFilesRaiseCleanly) {
    TPixelGraphic g;
    // Zero bytes through the JPEG reader itself: a fatal codec error, not a crash.
    QBuffer empty;
    empty.open(QIODevice::ReadOnly);
    TJPGFileFormatReader reader;
    try {
        reader.Read(empty, g, 0);
        FAIL();
    } catch (const EPGJPGFileFormatReaderWriter& e) {
        EXPECT_TRUE(e.message().startsWith("JPG: ")) << e.message().toStdString();
    }
    // The signature followed by garbage.
    QByteArray garbage("\xFF\xD8", 2);
    for (int i = 0; i < 500; ++i) garbage.append(char((i * 37) & 0xFF));
    const QString path = dir.write("garbage.jpg", garbage);
    for (int mode : {0, 3}) {
        g.SetWarningMode(uint8_t(mode));
        EXPECT_THROW(g.LoadFromFile(path), EPGJPGFileFormatReaderWriter);
    }
    // Another index than 0.
    QBuffer buffer;
    buffer.setData(jpegBytes(10, 10));
    buffer.open(QIODevice::ReadOnly);
    try {
        reader.Read(buffer, g, 1);
        FAIL();
    } catch (const EPGJPGFileFormatReaderWriter& e) {
        EXPECT_EQ(e.message(), "JPG: Index invalid");
    }
}

namespace {

// Puts a new height and width into the first baseline frame header.
QByteArray withFrameSize(QByteArray data, int width, int height) {
    const int sof = data.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0) return QByteArray();
    data[sof + 5] = char(height >> 8);
    data[sof + 6] = char(height);
    data[sof + 7] = char(width >> 8);
    data[sof + 8] = char(width);
    return data;
}

}  // namespace

TEST_F(JpegTest, AbsurdDimensionsAreRefusedBeforeAnyAllocation) {
    const QByteArray valid = jpegBytes(16, 16);
    TPixelGraphic g;
    g.SetWarningMode(0);
    const QString huge = dir.write("huge.jpg", withFrameSize(valid, 60000, 60000));
    try {
        g.LoadFromFile(huge);
        FAIL();
    } catch (const EPGJPGFileFormatReaderWriter& e) {
        EXPECT_EQ(e.message(), "JPG: Invalid size of image");
    }
    EXPECT_TRUE(g.GetEmpty());
    const QString zero = dir.write("zero.jpg", withFrameSize(valid, 16, 0));
    EXPECT_THROW(g.LoadFromFile(zero), EPGJPGFileFormatReaderWriter);
    // The thumbnail loader refuses the same way when it would decode the full size.
    EXPECT_THROW(LoadJpegFileScaled(huge, g, 1, true), EPGJPGFileFormatReaderWriter);
}

// A grey JPEG of any size written row by row, so that the test never holds the whole picture.
// How a large test photograph is coded.
struct LargeJpeg {
    int Components = 1;        // 1 grey, 3 colour
    bool Progressive = false;
    bool FullChroma = false;   // colour sampled like brightness (4:4:4) instead of 4:2:0
    bool Flat = false;         // one colour, the least data a file of that size can have
    bool FittedTables = false;  // Huffman tables fitted to the picture, not the standard ones
    int Quality = 50;
};

// Squares of 2000 x 1500 pixels alternating light and dark (or one flat grey).
void writeLargeJpeg(const QString& path, int width, int height, const LargeJpeg& kind = {}) {
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = kind.Components;
    info.in_color_space = kind.Components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, kind.Quality, TRUE);
    info.optimize_coding = kind.FittedTables;
    if (kind.FullChroma) info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
    if (kind.Progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * size_t(kind.Components));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const JSAMPLE value = kind.Flat ? 128 : JSAMPLE((x / 2000 + y / 1500) % 2 ? 200 : 40);
            for (int c = 0; c < kind.Components; ++c) row[size_t(x) * size_t(kind.Components) + size_t(c)] = value;
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

TEST_F(JpegTest, LargePhotosOfEveryCodingLoadAndThumbnail) {
    const struct {
        const char* Name;
        int Width, Height;
        LargeJpeg Kind;
        bool FullSize;  // also loaded at full size through the registry
    } cases[] = {
        {"baseline.jpg", 6000, 4000, {3, false, false, false}, true},
        {"progressive.jpg", 6000, 4000, {3, true, false, false}, true},
        // 144 MB of coefficients from a file that holds little more than one bit a block.
        {"progressive_flat_444.jpg", 6000, 4000, {3, true, true, true}, true},
        // Past 2^26 pixels a single scan must carry a bit a block; flat ones carry two, or more with
        // the standard tables.
        {"baseline_flat_fitted.jpg", 8192, 8193, {1, false, false, true, true, 75}, true},
        {"baseline_flat_420.jpg", 8192, 8193, {3, false, false, true, false, 75}, false},
        // A 50-megapixel camera's progressive export at full colour resolution: 302 MB of coefficients.
        {"progressive_50mp_444.jpg", 8688, 5792, {3, true, true, false}, false},
    };
    for (const auto& c : cases) {
        const QString path = dir.file(QLatin1String(c.Name));
        writeLargeJpeg(path, c.Width, c.Height, c.Kind);
        TPixelGraphic thumbnail;
        LoadJpegFileScaled(path, thumbnail, 8, true);
        EXPECT_EQ(thumbnail.GetWidth(), (c.Width + 7) / 8) << c.Name;
        EXPECT_EQ(thumbnail.GetHeight(), (c.Height + 7) / 8) << c.Name;
        if (!c.Kind.Flat) EXPECT_GT(pgRed(thumbnail.GetPixelColor(260, 10)), 150) << c.Name;
        if (!c.FullSize) continue;
        TPixelGraphic full;
        full.LoadFromFile(path);
        EXPECT_EQ(full.GetWidth(), c.Width) << c.Name;
        EXPECT_EQ(full.GetHeight(), c.Height) << c.Name;
        EXPECT_NEAR(pgGreen(full.GetPixelColor(2100, 10)), c.Kind.Flat ? 128 : 200, 8) << c.Name;
    }
}

TEST_F(JpegTest, APhotoAboveThePixelLimitStillDecodesAtAReducedScale) {
    const QString path = dir.file("panorama.jpg");
    writeLargeJpeg(path, 20000, 15000);  // 300 million pixels: above the limit at full size
    TPixelGraphic g;
    EXPECT_THROW(LoadJpegFileScaled(path, g, 1, true), EPGJPGFileFormatReaderWriter);
    const TPGJpegScaledInfo info = LoadJpegFileScaled(path, g, 8, true);
    EXPECT_EQ(info.FullWidth, 20000);
    EXPECT_EQ(g.GetWidth(), 2500);
    EXPECT_EQ(g.GetHeight(), 1875);
    EXPECT_GT(pgRed(g.GetPixelColor(260, 10)), 150);   // the first light square
    EXPECT_LT(pgRed(g.GetPixelColor(10, 10)), 90);
}

// The data of a baseline picture past 2^26 pixels must hold a bit for every block: a flat file cut
// to 55 % of its two bits a block still loads with the cut filled in, at 45 % it is damaged beyond
// that and refused on every path, as is a small file declaring a huge frame.
TEST_F(JpegTest, LargeBaselinePicturesMustCarryABitForEachBlock) {
    const QString flatPath = dir.file("flat.jpg");
    writeLargeJpeg(flatPath, 8192, 8193, {1, false, false, true, true, 75});
    const QByteArray flat = imaging_test::readFile(flatPath);
    const struct {
        const char* Name;
        QByteArray Data;
        const char* Refusal;  // nullptr: loads at its size
    } cases[] = {
        {"cut_55.jpg", flat.left(flat.size() * 55 / 100), nullptr},
        {"cut_45.jpg", flat.left(flat.size() * 45 / 100), "JPG: Unexpected end of file"},
        {"declares_16384.jpg", withFrameSize(jpegBytes(16, 16), 16384, 16384), "JPG: Unexpected end of file"},
    };
    for (const auto& c : cases) {
        const QString path = dir.write(QLatin1String(c.Name), c.Data);
        TPixelGraphic g;
        g.SetWarningMode(0);
        for (int denominator : {1, 8}) {
            try {
                if (denominator == 1)
                    g.LoadFromFile(path);
                else
                    LoadJpegFileScaled(path, g, denominator, true);
                EXPECT_EQ(c.Refusal, nullptr) << c.Name << " at 1/" << denominator;
                EXPECT_EQ(g.GetWidth(), 8192 / denominator) << c.Name;
            } catch (const EPGJPGFileFormatReaderWriter& e) {
                EXPECT_EQ(e.message().toStdString(), c.Refusal ? c.Refusal : "loads")
                    << c.Name << " at 1/" << denominator;
            }
        }
    }
}

TEST_F(JpegTest, TruncatedFilesFollowTheWarningMode) {
    const QByteArray valid = jpegBytes(256, 256);
    const QString path = dir.write("truncated.jpg", valid.left(valid.size() * 2 / 3));
    TPixelGraphic g;
    g.SetWarningMode(3);
    try {
        g.LoadFromFile(path);
        FAIL();
    } catch (const EPGJPGFileFormatReaderWriter& e) {
        EXPECT_EQ(e.message(), "JPG: Premature end of JPEG file");
    }
    g.SetWarningMode(0);  // the decoder finishes with what it has
    g.LoadFromFile(path);
    EXPECT_EQ(g.GetWidth(), 256);
    EXPECT_EQ(g.GetHeight(), 256);
    g.SetWarningMode(2);
    {
        testing_support::MessageScript script;
        script.answer(MessageResult::Cancel);
        try {
            g.LoadFromFile(path);
            FAIL();
        } catch (const EPGJPGFileFormatReaderWriter& e) {
            EXPECT_EQ(e.message(), "JPG: Operation aborted on user request");
        }
        ASSERT_EQ(script.requests().size(), 1u);
        EXPECT_EQ(script.requests()[0].caption, "JPG Warning");
        EXPECT_EQ(script.lastText(), "Premature end of JPEG file");
    }
    g.SetWarningMode(1);
    {
        testing_support::MessageScript script;
        script.answer(MessageResult::OK);
        g.LoadFromFile(path);
        EXPECT_EQ(g.GetWidth(), 256);
        EXPECT_EQ(script.texts().size(), 1);
    }
    // File information always treats a warning as a failure, and a cut header fails outright.
    const QString header = dir.write("header_only.jpg", valid.left(40));
    QString description;
    TPGGraphicInfo info;
    EXPECT_FALSE(GetGraphicFileInfo(header, 0, description, info));
    g.SetWarningMode(0);
    EXPECT_THROW(g.LoadFromFile(header), EPGJPGFileFormatReaderWriter);
}

TEST_F(JpegTest, CorruptedEntropyDataNeverCrashes) {
    const QByteArray valid = jpegBytes(48, 48);
    const int dataStart = valid.indexOf(QByteArray("\xFF\xDA", 2)) + 20;
    ASSERT_GT(dataStart, 20);
    int raised = 0, loaded = 0;
    for (int k = 0; k < 40; ++k) {
        QByteArray broken = valid;
        for (int j = 0; j < 6; ++j) {
            const int at = dataStart + (k * 131 + j * 17) % (broken.size() - dataStart - 2);
            broken[at] = char(broken[at] ^ (0x55 + k + j));
        }
        QBuffer buffer(&broken);
        buffer.open(QIODevice::ReadOnly);
        TPixelGraphic g;
        g.SetWarningMode(k % 2 ? 0 : 3);
        try {
            g.LoadFromStream(buffer);
            EXPECT_EQ(g.GetWidth(), 48);
            ++loaded;
        } catch (const EPixelGraphic& e) {
            EXPECT_TRUE(e.message().startsWith("JPG: "));
            ++raised;
        }
    }
    EXPECT_EQ(raised + loaded, 40);
    EXPECT_GT(raised, 0);  // mode 3 turns the codec's corruption warnings into failures
}

namespace {

// A four-component (CMYK) JPEG written with the codec directly.
QByteArray cmykJpeg() {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = 8;
    info.image_height = 8;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(32, 100);
    for (int y = 0; y < 8; ++y) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&info, &r, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray result(reinterpret_cast<const char*>(out), int(size));
    std::free(out);
    return result;
}

}  // namespace

TEST_F(JpegTest, CmykIsReportedButNotLoaded) {
    const QString path = dir.write("cmyk.jpg", cmykJpeg());
    QString description;
    TPGGraphicInfo info;
    ASSERT_TRUE(GetGraphicFileInfo(path, 0, description, info));
    EXPECT_EQ(info.BitCount, 32);
    EXPECT_EQ(info.ColorsText, "4294.9M");
    EXPECT_TRUE(info.Details.endsWith("CMYK")) << info.Details.toStdString();
    EXPECT_TRUE(info.Details.startsWith("Adope, ")) << info.Details.toStdString();
    TPixelGraphic g;
    try {
        g.LoadFromFile(path);
        FAIL();
    } catch (const EPGJPGFileFormatReaderWriter& e) {
        EXPECT_EQ(e.message(), "JPG: Not supported subformat");
    }
}

TEST_F(JpegTest, ProgressAbortEndsAReadButNotAWrite) {
    TPixelGraphic g;
    imaging_test::fillGradient(g, 40, 30);
    int writeRows = 0;
    bool writeEnded = false;
    g.SetOnProgress([&](TPixelGraphic*, int, bool& abort, int total) {
        EXPECT_EQ(total, 30);
        ++writeRows;
        abort = true;
    });
    g.SetOnProgressEnd([&](TPixelGraphic*) { writeEnded = true; });
    const QString path = dir.file("progress.jpg");
    g.SaveToFile(path);
    EXPECT_EQ(writeRows, 30);
    EXPECT_TRUE(writeEnded);

    TPixelGraphic reader;
    int begun = 0, ended = 0, rows = 0;
    reader.SetOnProgressBegin([&](TPixelGraphic*) { ++begun; });
    reader.SetOnProgressEnd([&](TPixelGraphic*) { ++ended; });
    reader.SetOnProgress([&](TPixelGraphic*, int done, bool& abort, int) {
        ++rows;
        abort = done == 10;
    });
    EXPECT_THROW(reader.LoadFromFile(path), EPGJPGFileFormatReaderWriter);
    EXPECT_EQ(rows, 10);
    EXPECT_EQ(begun, 1);
    EXPECT_EQ(ended, 1);
}

TEST_F(JpegTest, RandomlyDamagedFilesLoadOrRaiseWithinBounds) {
    JpegProgressive = true;
    const QByteArray progressive = jpegBytes(40, 30);
    JpegProgressive = false;
    const QByteArray baseline = jpegBytes(40, 30);
    uint32_t seed = 99;
    auto next = [&seed]() {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return seed;
    };
    int outcomes = 0;
    for (int k = 0; k < 300; ++k) {
        QByteArray data = (k % 2) ? progressive : baseline;
        const int edits = 1 + int(next() % 8);
        for (int j = 0; j < edits; ++j) data[int(next() % uint32_t(data.size()))] = char(next());
        if (k % 5 == 0) data.truncate(int(next() % uint32_t(data.size())));
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        TPixelGraphic g;
        g.SetWarningMode(uint8_t(k % 3 == 0 ? 0 : 3));
        try {
            g.LoadFromStream(buffer);
            EXPECT_GT(g.GetWidth(), 0);
            EXPECT_LE(int64_t(g.GetWidth()) * g.GetHeight(), PGJpegMaxPixels);
            ++outcomes;
        } catch (const EPixelGraphic&) {
            ++outcomes;
        }
    }
    EXPECT_EQ(outcomes, 300);
}

TEST_F(JpegTest, ThumbnailPipelineDecodesOnceAtReducedScale) {
    const QString path = saveGradient("photo.jpg", 2000, 1500);
    TPixelGraphic decoded;
    decoded.SetWarningMode(3);
    int rowsDecoded = 0;
    decoded.SetOnProgress([&](TPixelGraphic*, int, bool&, int) { ++rowsDecoded; });
    const TPGJpegScaledInfo info = LoadJpegFileScaled(path, decoded, [](int w, int h) {
        return (w / 8 >= 100 && h / 8 >= 100) ? 8 : 1;
    }, true);
    EXPECT_EQ(info.ScaleDenominator, 8);
    EXPECT_EQ(decoded.GetWidth(), 250);
    EXPECT_EQ(decoded.GetHeight(), 188);
    EXPECT_EQ(rowsDecoded, 188);  // one pass over the reduced rows only
    TPixelGraphic thumb;
    thumb.ResampleIntoBox(decoded, 100, 100, smMedium);
    EXPECT_EQ(thumb.GetWidth(), 100);
    EXPECT_EQ(thumb.GetHeight(), 75);
    JpegQuality = 70;
    JpegProgressive = true;
    thumb.SetColorResolutionMode(0);
    const QString target = dir.file("photo_thb.jpg");
    thumb.SaveToFile(target);
    QString description;
    TPGGraphicInfo fileInfo;
    ASSERT_TRUE(GetGraphicFileInfo(target, 0, description, fileInfo));
    EXPECT_EQ(fileInfo.Width, 100);
    EXPECT_EQ(fileInfo.Height, 75);
    EXPECT_EQ(fileInfo.Details, "JFIF, YCbCr, Progressive");
}

namespace {

// Decodes with the codec directly (red first, top row first) at the given scale.
std::vector<unsigned char> decodeDirectly(const QByteArray& data, int denominator, int& width, int& height) {
    jpeg_decompress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = unsigned(denominator);
    info.dct_method = JDCT_IFAST;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    width = int(info.output_width);
    height = int(info.output_height);
    std::vector<unsigned char> pixels(size_t(width) * size_t(height) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + size_t(info.output_scanline) * size_t(width) * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels;
}

}  // namespace

TEST_F(JpegTest, DecodedPixelsMatchTheCodecExactly) {
    const QByteArray data = jpegBytes(203, 117);
    const QString path = dir.write("exact.jpg", data);
    for (int denominator : {1, 2, 8}) {
        int w = 0, h = 0;
        const std::vector<unsigned char> expected = decodeDirectly(data, denominator, w, h);
        TPixelGraphic g;
        LoadJpegFileScaled(path, g, denominator, true);
        ASSERT_EQ(g.GetWidth(), w);
        ASSERT_EQ(g.GetHeight(), h);
        int mismatches = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned char* p = expected.data() + (size_t(y) * size_t(w) + size_t(x)) * 3;
                if (g.GetPixel(x, y) != pgRGB(p[0], p[1], p[2])) ++mismatches;
            }
        EXPECT_EQ(mismatches, 0) << "1/" << denominator;
    }
}
