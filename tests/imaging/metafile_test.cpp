// WMF and EMF readers: generated metafiles with red rectangles at known places on white, their
// file information, the preview size and the size bound, palettes, the header probes, damaged
// files, bitmap records of every DIB layout, the bomb set and a second renderer.
#include "imaging/formats/metafile_format.h"
#include "tests/imaging/metafile_samples.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

using namespace imaging_test;
using namespace sample_files;

namespace {

constexpr TColor Red = pgRGB(255, 0, 0);
constexpr TColor White = pgRGB(255, 255, 255);

struct RectSample {
    const char* File;
    int Width, Height;
    double Left, Top, Right, Bottom;  // the red rectangle in pixels
    int BitCount;
};

// Pixels more than 2 pixels inside the rectangle are red, more than 2 outside are white.
int wrongPixels(const TPixelGraphic& g, const RectSample& s) {
    int wrong = 0;
    for (int y = 0; y < g.GetHeight(); ++y)
        for (int x = 0; x < g.GetWidth(); ++x) {
            const double cx = x + 0.5, cy = y + 0.5;
            const bool inside = cx > s.Left + 2 && cx < s.Right - 2 && cy > s.Top + 2 && cy < s.Bottom - 2;
            const bool outside = cx < s.Left - 2 || cx > s.Right + 2 || cy < s.Top - 2 || cy > s.Bottom + 2;
            if ((inside && g.GetPixelColor(x, y) != Red) || (outside && g.GetPixelColor(x, y) != White)) ++wrong;
        }
    return wrong;
}

// A 16-colour palette gives a 4-bit graphic of the system colours, cleared to white.
TEST(MetafileRectangle, RendersRedInsideAndWhiteOutside) {
    initLibrary();
    const RectSample samples[] = {
        {"rect_placeable.wmf", 400, 200, 100, 50, 300, 150, 24},
        // The made-up header: 99 x 49 pixels showing the file's 400 x 200 window.
        {"rect_noheader.wmf", 99, 49, 24.75, 12.25, 74.25, 36.75, 24},
        {"inch0.wmf", 267, 133, 66.7, 33.3, 200, 100, 24},
        {"palette16.wmf", 400, 200, 100, 50, 300, 150, 4},
        {"rect.emf", 400, 200, 100, 50, 300, 150, 24},
        {"palette16.emf", 400, 200, 100, 50, 300, 150, 4},
        // The later, longer header is found by its probe as well.
        {"header108.emf", 400, 200, 100, 50, 300, 150, 24}};
    for (const RectSample& s : samples) {
        SCOPED_TRACE(s.File);
        TPixelGraphic g;
        g.LoadFromFile(metafileSample(s.File));
        ASSERT_EQ(g.GetWidth(), s.Width);
        ASSERT_EQ(g.GetHeight(), s.Height);
        EXPECT_EQ(g.GetBitCount(), s.BitCount);
        EXPECT_EQ(wrongPixels(g, s), 0);
        if (s.BitCount != 4) continue;
        ASSERT_EQ(g.GetPaletteCount(), 16);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(g.GetPaletteColor(i), SystemColors16[i]) << i;
    }
}

TEST(Metafile, FileInformation) {
    initLibrary();
    struct Case {
        const char* File;
        const char* Description;
        const char* SubFormat;
        int Width, Height;
        const char* Colors;
        int BitCount;
    };
    const Case cases[] = {
        {"rect_placeable.wmf", "Windows Metafile", "Placeable, Aldus header", 400, 200, "16.7M", 24},
        {"rect_noheader.wmf", "Windows Metafile", "No header", 99, 49, "16.7M", 24},
        {"palette16.wmf", "Windows Metafile", "Placeable, Aldus header", 400, 200, "16", 4},
        {"rect.emf", "Enhanced Metafile", "", 400, 200, "16.7M", 24},
        {"palette16.emf", "Enhanced Metafile", "", 400, 200, "16", 4},
        // Sizes are the file's own: the size limit applies to drawing only.
        {"huge.wmf", "Windows Metafile", "Placeable, Aldus header", 3072000, 3072000, "16.7M", 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File);
        QString description;
        const TPGGraphicInfo info = fileInfo(metafileSample(c.File), &description);
        EXPECT_EQ(description, c.Description);
        EXPECT_EQ(info.SubFormat, c.SubFormat);
        EXPECT_EQ(info.Width, c.Width);
        EXPECT_EQ(info.Height, c.Height);
        EXPECT_EQ(info.ColorsText, c.Colors);
        EXPECT_EQ(info.BitCount, c.BitCount);
        EXPECT_EQ(info.ImageCount, 1);
    }
    tWMFFileFormatReader reader;
    QFile garbage(metafileSample("garbage.wmf"));
    ASSERT_TRUE(garbage.open(QIODevice::ReadOnly));
    TPGGraphicInfo info;
    try {
        reader.GetInfo(garbage, 0, info);
        ADD_FAILURE() << "no exception";
    } catch (const EPixelGraphic& e) {
        EXPECT_EQ(e.message(), "Invalid Metafile");
    }
}

TEST(Metafile, PreviewFitsInto130Pixels) {
    initLibrary();
    TPixelGraphic g;
    g.SetFastJpegDct(true);
    g.LoadFromFile(metafileSample("rect_placeable.wmf"));
    EXPECT_EQ(g.GetWidth(), 130);
    EXPECT_EQ(g.GetHeight(), 65);
    EXPECT_EQ(g.GetPixelColor(65, 32), Red);
    EXPECT_EQ(g.GetPixelColor(3, 3), White);

    struct Fit {
        int W, H;
        bool Preview;
        int WantW, WantH;
    };
    const Fit fits[] = {{400, 200, true, 130, 65}, {100, 300, true, 43, 130}, {120, 80, true, 120, 80},
                        {400, 200, false, 400, 200}, {0, 50, true, 0, 50}, {-5, 50, true, -5, 50},
                        // Larger extents are drawn with the longer side at MetafileMaxSide, the shape kept.
                        {4096, 4096, false, 4096, 4096}, {3072000, 1536000, false, 4096, 2048},
                        {405, 663168, false, 3, 4096}, {100000, 5, false, 4096, 1}, {3072000, 1536000, true, 130, 65}};
    for (const Fit& f : fits) {
        int w = f.W, h = f.H;
        FitMetafileSize(w, h, f.Preview);
        EXPECT_EQ(w, f.WantW) << f.W << "x" << f.H;
        EXPECT_EQ(h, f.WantH) << f.W << "x" << f.H;
    }
}

TEST(Metafile, ProbesAndPlaceableHeader) {
    initLibrary();
    const auto probe = [](const char* file, const QString& extension) -> QString {
        QFile f(metafileSample(file));
        if (!f.open(QIODevice::ReadOnly)) return "unreadable";
        TFileFormatReader* reader = FindFileFormatReader(f, extension);
        return reader ? reader->ClassName() : QString("none");
    };
    EXPECT_EQ(probe("rect_placeable.wmf", ""), "tWMFFileFormatReader");
    EXPECT_EQ(probe("rect_noheader.wmf", ""), "tWMFFileFormatReader");
    EXPECT_EQ(probe("rect.emf", ""), "tEMFFileFormatReader");
    EXPECT_EQ(probe("header108.emf", ""), "tEMFFileFormatReader");
    EXPECT_EQ(probe("garbage.wmf", "emf"), "none");
    // An EMF in a stream without a name is found and drawn.
    for (const char* file : {"rect.emf", "header108.emf"}) {
        TPixelGraphic g;
        EXPECT_EQ(bytesMessage(readFile(metafileSample(file)), g), "") << file;
        EXPECT_EQ(g.GetWidth(), 400) << file;
        EXPECT_EQ(g.GetPixelColor(200, 100), Red) << file;
    }
    // The EMF probe takes header records of 88 bytes and more in whole words.
    tEMFFileFormatReader emf;
    const auto probeBytes = [](const char* file) {
        QByteArray bytes = readFile(metafileSample(file)).left(TFileFormatReader::ProbeSize);
        bytes.resize(TFileFormatReader::ProbeSize, '\0');
        return bytes;
    };
    EXPECT_TRUE(emf.IsFormat(reinterpret_cast<const uint8_t*>(probeBytes("rect.emf").constData())));
    EXPECT_TRUE(emf.IsFormat(reinterpret_cast<const uint8_t*>(probeBytes("header108.emf").constData())));
    const uint8_t short84[TFileFormatReader::ProbeSize] = {1, 0, 0, 0, 84};
    const uint8_t odd90[TFileFormatReader::ProbeSize] = {1, 0, 0, 0, 90};
    EXPECT_FALSE(emf.IsFormat(short84));
    EXPECT_FALSE(emf.IsFormat(odd90));

    // The made-up header: 100 x 50 at 96 units per inch, with its checksum.
    const QByteArray header = MakePlaceableHeader(100, 50, 96);
    ASSERT_EQ(header.size(), 22);
    const auto word = [&](int at) { return uint16_t(uint8_t(header[at]) | (uint8_t(header[at + 1]) << 8)); };
    EXPECT_EQ(word(0), 0xCDD7);
    EXPECT_EQ(word(2), 0x9AC6);
    EXPECT_EQ(word(10), 99);
    EXPECT_EQ(word(12), 49);
    EXPECT_EQ(word(14), 96);
    uint16_t checksum = 0;
    for (int at = 0; at < 20; at += 2) checksum ^= word(at);
    EXPECT_EQ(word(20), checksum);
    const QByteArray tiny = MakePlaceableHeader(1, 70000, 96);
    EXPECT_EQ(uint16_t(uint8_t(tiny[10]) | (uint8_t(tiny[11]) << 8)), 2);
    EXPECT_EQ(uint16_t(uint8_t(tiny[12]) | (uint8_t(tiny[13]) << 8)), 0x7FFE);
}

TEST(Metafile, DamagedFilesNeverRaise) {
    initLibrary();
    // Cut records and impossible record sizes: the picture keeps its size and draws what it can.
    for (const char* file : {"truncated.wmf", "bad_records.wmf"}) {
        SCOPED_TRACE(file);
        TPixelGraphic g;
        g.LoadFromFile(metafileSample(file));
        EXPECT_EQ(g.GetWidth(), 400);
        EXPECT_EQ(g.GetPixelColor(200, 100), White);
    }
}

TEST(Metafile, DataThatIsNoMetafileIsRefused) {
    initLibrary();
    // Headers that pass the probe but do not load, and no metafile at all under a metafile's name.
    for (const char* file : {"badheader.wmf", "badheader.emf", "garbage.wmf", "garbage.emf"}) {
        TPixelGraphic loaded;
        EXPECT_EQ(loadMessage(loaded, metafileSample(file)), "Unknown file format") << file;
        EXPECT_TRUE(loaded.GetEmpty()) << file;
    }
    // The reader itself refuses them and leaves the graphic as it was.
    const std::pair<const char*, std::unique_ptr<TFileFormatReader>> readers[] = {
        {"garbage.wmf", std::make_unique<tWMFFileFormatReader>()},
        {"garbage.emf", std::make_unique<tEMFFileFormatReader>()}};
    for (const auto& [file, reader] : readers) {
        SCOPED_TRACE(file);
        TPixelGraphic g;
        g.SetSize(5, 3, PixelFormat24Bit);
        g.SetPixelColor(1, 1, Red);
        QFile f(metafileSample(file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_THROW(reader->Read(f, g, 0), EPGUnknownFileFormat);
        EXPECT_EQ(g.GetWidth(), 5);
        EXPECT_EQ(g.GetPixelColor(1, 1), Red);
    }
}

TEST(Metafile, PlaysEveryKindOfRecord) {
    initLibrary();
    for (const char* file : {"all_records.wmf", "all_records.emf"}) {
        SCOPED_TRACE(file);
        TPixelGraphic g;
        g.LoadFromFile(metafileSample(file));
        ASSERT_EQ(g.GetWidth(), 400);
        EXPECT_EQ(g.GetPixelColor(35, 55), pgRGB(0, 255, 0));    // inside the filled ellipse
        EXPECT_EQ(g.GetPixelColor(100, 55), pgRGB(0, 255, 0));   // inside the round rectangle
        EXPECT_EQ(g.GetPixelColor(40, 170), pgRGB(0, 255, 0));   // inside the 16-bit polygon
        EXPECT_EQ(g.GetPixelColor(380, 180), Red);               // the stretched 2 x 2 bitmap
        EXPECT_EQ(g.GetPixelColor(1, 1), White);                 // excluded from the clip
        EXPECT_EQ(g.GetPixelColor(395, 5), White);
        // "Hi" in green, its baseline at (250, 110).
        int text = 0;
        for (int y = 90; y < 112; ++y)
            for (int x = 248; x < 290; ++x) text += g.GetPixelColor(x, y) == pgRGB(0, 255, 0);
        EXPECT_GT(text, 20);
        EXPECT_EQ(g.GetPixelColor(270, 125), White);  // nothing below the baseline
    }
}

// Bitmap records of every DIB layout are drawn: each 4 x 4 bitmap is stretched over the 40 x 40
// square at (20 + 50 i, 80) of the picture. The clipboard reads the same packed DIBs.
TEST(Metafile, BitmapRecordsAndTheClipboardReadEveryDibLayout) {
    initLibrary();
    const std::pair<const char*, TColor> dibs[] = {
        {"rgb555.dib", pgRGB(0, 0, 255)},         {"rgb32.dib", pgRGB(255, 0, 255)},
        {"bitfields565.dib", pgRGB(0, 255, 0)},   {"bitfields32.dib", pgRGB(255, 255, 0)},
        {"rle8.dib", pgRGB(0, 255, 255)},         {"rle4.dib", pgRGB(128, 0, 0)},
        {"topdown24.dib", pgRGB(0xC0, 0x80, 0x40)}};
    TPixelGraphic wmf, emf;
    wmf.LoadFromFile(metafileSample("bitmaps.wmf"));
    emf.LoadFromFile(metafileSample("bitmaps.emf"));
    for (size_t i = 0; i < std::size(dibs); ++i) {
        const auto& [name, colour] = dibs[i];
        SCOPED_TRACE(name);
        EXPECT_EQ(wmf.GetPixelColor(40 + 50 * int(i), 100), colour);
        EXPECT_EQ(emf.GetPixelColor(40 + 50 * int(i), 100), colour);
        const QByteArray data = readFile(metafileSample(name));
        TPixelGraphic clip;
        clip.LoadFromClipboardFormat(TPixelGraphic::CF_DIB, &data);
        ASSERT_EQ(clip.GetWidth(), 4);
        ASSERT_EQ(clip.GetHeight(), 4);
        EXPECT_EQ(mismatches(clip, RgbImage{4, 4, std::vector<TColor>(16, colour)}), 0);
    }
    // Between the bitmaps the picture stays white.
    EXPECT_EQ(wmf.GetPixelColor(65, 100), White);
    EXPECT_EQ(emf.GetPixelColor(65, 100), White);
    // A header size the packed-DIB reader does not know is refused, not misread.
    QByteArray longHeader = readFile(metafileSample("rgb32.dib"));
    longHeader[0] = char(124);
    TPixelGraphic clip;
    EXPECT_THROW(clip.LoadFromClipboardFormat(TPixelGraphic::CF_DIB, &longHeader), EPGBMPFileFormatReader);
}

// What loading the file gives, "<width>x<height>" or the error's text, found by a child process
// whose address space is limited to 1.5 GB, so that a file costing more fails instead of swapping.
// The child is a program of its own: the painter's worker threads would not exist in a fork.
QString loadInLimitedChild(const QString& path) {
    QProcess probe;
    probe.setChildProcessModifier([] {
        const rlimit limit{rlim_t(1536) << 20, rlim_t(1536) << 20};
        setrlimit(RLIMIT_AS, &limit);
    });
    probe.start(QCoreApplication::applicationDirPath() + "/image_load_probe", {path});
    if (!probe.waitForFinished(600000)) return "did not finish";
    if (probe.exitStatus() != QProcess::NormalExit) return "crashed";
    return QString::fromUtf8(probe.readAllStandardOutput()).trimmed();
}

// Small files declaring huge pictures (tests/imaging/bomb_samples_metafiles.py) are drawn at the
// bounded size or refused.
TEST(Metafile, BombsAreDrawnAtTheBoundedSizeOrRefused) {
    initLibrary();
    QTemporaryDir dir;
    QString output;
    ASSERT_TRUE(runProgram("/usr/bin/python3", {sourceDir() + "/tests/imaging/bomb_samples_metafiles.py", dir.path()},
                           &output))
        << output.toStdString();
    const std::pair<const char*, const char*> bombs[] = {
        {"huge_extent.wmf", "4096x4096"},  {"wide_extent.wmf", "4096x3"},
        {"huge_frame.emf", "4096x4096"},   {"huge_bounds.emf", "4096x4096"},
        {"many_fills.wmf", "4096x4096"},   {"huge_font.wmf", "4096x4096"},
        // The bitmap records' RLE data declares 30000 x 30000 pixels: the bitmap is left out.
        {"rle_bitmap.emf", "400x200"},     {"rle_bitmap.wmf", "400x200"},
        {"random.emf", "Unknown file format"}, {"fake_header.emf", "Unknown file format"}};
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), qsizetype(std::size(bombs)));
    for (const auto& [file, outcome] : bombs) EXPECT_EQ(loadInLimitedChild(dir.filePath(file)), outcome) << file;
}

// ImageMagick as a second renderer of a picture drawn to its edges (it fits the drawing's extent
// into its image), at the same 96 pixels an inch.
TEST(Metafile, MatchesImageMagick) {
    initLibrary();
    const QString path = metafileSample("framed.wmf");
    const QString ppm = path + ".magick.ppm";
    QString output;
    ASSERT_TRUE(runProgram("/usr/bin/convert", {"-density", "96", path, "-depth", "8", ppm}, &output))
        << output.toStdString();
    const RgbImage theirs = readRgbPixmap(ppm);
    ASSERT_EQ(theirs.Width, 400);
    TPixelGraphic g;
    g.LoadFromFile(path);
    const int64_t wrong = mismatches(g, theirs);
    ASSERT_GE(wrong, 0) << "sizes differ";
    // The edges of the rectangle and the ellipse may fall either way.
    EXPECT_LT(wrong, 2 * (2 * (200 + 100) + 2 * (60 + 160)));
    EXPECT_EQ(g.GetPixelColor(200, 100), Red);
}

}  // namespace
