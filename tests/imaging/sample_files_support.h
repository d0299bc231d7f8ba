#pragma once
// Shared helpers of the format tests that work on generated sample files: running the sample
// generator and the outside oracles (Pillow through /usr/bin/python3, libtiff's tools), and
// comparing a graphic with an RGB portable pixmap written by Pillow. A missing tool fails the test.
#include "imaging/pixel_graphic.h"
#include "tests/imaging/imaging_test_support.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace sample_files {

using imaging_test::runProgram;

inline QString sourceDir() { return qEnvironmentVariable("LUMENFOLD_SOURCE_DIR"); }

// Writes the samples of one format module (tests/imaging/format_samples/<format>.py) into Dir.
inline void generate(const QString& Dir, const QString& Format) {
    QString output;
    ASSERT_TRUE(runProgram(QStringLiteral("/usr/bin/python3"),
                           {sourceDir() + QStringLiteral("/tests/imaging/make_format_samples.py"), Dir, Format}, &output))
        << output.toStdString();
}

// The samples of one format, written once per test program into a temporary directory; the
// directory's path with a trailing "/".
inline QString samplesOf(const QString& Format) {
    static std::map<QString, std::unique_ptr<QTemporaryDir>> written;
    auto& dir = written[Format];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        generate(dir->path(), Format);
    }
    return dir->path() + QStringLiteral("/");
}

// The samples in Dir that come with an expected image, by name, except those starting with Except.
inline QStringList samplesWithExpectedImage(const QString& Dir, const QString& Except = QString()) {
    QStringList names;
    for (QString name : QDir(Dir).entryList({QStringLiteral("*.expected.ppm")}, QDir::Files, QDir::Name)) {
        name.chop(int(qstrlen(".expected.ppm")));
        if (Except.isEmpty() || !name.startsWith(Except)) names << name;
    }
    return names;
}

// Pillow's decode of each file, as <file>.pil.ppm beside it.
inline void pillowDecode(const QStringList& Files) {
    static const char* script =
        "import sys\nfrom PIL import Image\nfor p in sys.argv[1:]:\n"
        "    Image.open(p).convert('RGB').save(p + '.pil.ppm', 'PPM')\n";
    QString output;
    ASSERT_TRUE(runProgram(QStringLiteral("/usr/bin/python3"), QStringList{"-c", QString::fromLatin1(script)} + Files,
                           &output))
        << output.toStdString();
}

// The pixels of a binary RGB pixmap (maximum 255), row by row from the top; empty when unreadable.
struct RgbImage {
    int Width = 0;
    int Height = 0;
    std::vector<TColor> Pixels;
};

inline RgbImage readRgbPixmap(const QString& Path) {
    const QByteArray data = imaging_test::readFile(Path);
    RgbImage image;
    int pos = 2, numbers[3] = {};
    if (!data.startsWith("P6")) return image;
    for (int& n : numbers) {
        while (pos < data.size() && !(data[pos] >= '0' && data[pos] <= '9')) ++pos;
        while (pos < data.size() && data[pos] >= '0' && data[pos] <= '9') n = n * 10 + (data[pos++] - '0');
    }
    ++pos;
    if (numbers[2] != 255 || data.size() - pos < qsizetype(numbers[0]) * numbers[1] * 3) return image;
    image.Width = numbers[0];
    image.Height = numbers[1];
    const auto* p = reinterpret_cast<const uint8_t*>(data.constData() + pos);
    for (int i = 0; i < image.Width * image.Height; ++i, p += 3) image.Pixels.push_back(pgRGB(p[0], p[1], p[2]));
    return image;
}

inline RgbImage coloursOf(const TPixelGraphic& Graphic) {
    RgbImage image;
    image.Width = Graphic.GetWidth();
    image.Height = Graphic.GetHeight();
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x) image.Pixels.push_back(Graphic.GetPixelColor(x, y) & 0xFFFFFF);
    return image;
}

// Number of differing pixels, or -1 when the sizes differ.
inline int64_t mismatches(const RgbImage& a, const RgbImage& b) {
    if (a.Width != b.Width || a.Height != b.Height || a.Pixels.size() != b.Pixels.size()) return -1;
    int64_t count = 0;
    for (size_t i = 0; i < a.Pixels.size(); ++i) count += a.Pixels[i] != b.Pixels[i];
    return count;
}

// Number of pixels of the graphic that differ from the image, or -1 when the sizes differ.
inline int64_t mismatches(const TPixelGraphic& Graphic, const RgbImage& Expected) {
    return mismatches(coloursOf(Graphic), Expected);
}

// Pillow's decode of one file.
inline RgbImage pillowImageOf(const QString& Path) {
    pillowDecode(QStringList{Path});
    return readRgbPixmap(Path + QStringLiteral(".pil.ppm"));
}

// The message a load of the file raises, or "" when it loads.
inline QString loadMessage(TPixelGraphic& Graphic, const QString& Path) {
    try {
        Graphic.LoadFromFile(Path);
    } catch (const EPixelGraphic& e) {
        return e.message();
    }
    return QString();
}

// A test suite over the samples of one format (generated once per test program). Format
// names the module, e.g. constexpr char Pcx[] = "pcx"; using PcxFormat = SampleFileTest<Pcx>.
template <const char* Format>
class SampleFileTest : public ::testing::Test {
protected:
    void SetUp() override { imaging_test::initLibrary(); }
    void TearDown() override { SetImagingDefaults(); }
    static QString dir() { return samplesOf(QString::fromLatin1(Format)); }
    static QString path(const QString& name) { return dir() + name; }
    static QString path(const char* name) { return dir() + QString::fromLatin1(name); }
    // Each named sample fails to load through the registry with its message.
    static void expectRefused(std::initializer_list<std::pair<const char*, const char*>> Cases) {
        for (const auto& [name, message] : Cases) {
            TPixelGraphic graphic;
            EXPECT_EQ(loadMessage(graphic, path(name)), QString::fromLatin1(message)) << name;
        }
    }
};

// The message (of type Error; others pass on) Reader raises reading image Index of the file, or ""
// when it reads; AtEnd receives where the stream stood afterwards.
template <typename Error = EPixelGraphic>
inline QString readerMessage(TFileFormatReader& Reader, const QString& Path, int Index = 0, qint64* AtEnd = nullptr) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot open " << Path.toStdString();
        return QString();
    }
    TPixelGraphic graphic;
    QString message;
    try {
        Reader.Read(file, graphic, Index);
    } catch (const Error& e) {
        message = e.message();
    }
    if (AtEnd) *AtEnd = file.pos();
    return message;
}

// The message (of type Error; others pass on) loading the bytes into Graphic raises, or "" when
// they load.
template <typename Error = EPixelGraphic>
inline QString bytesMessage(const QByteArray& Data, TPixelGraphic& Graphic) {
    QBuffer buffer;
    buffer.setData(Data);
    buffer.open(QIODevice::ReadOnly);
    try {
        Graphic.LoadFromStream(buffer);
    } catch (const Error& e) {
        return e.message();
    }
    return QString();
}

// What GetGraphicFileInfo tells of a file; a failure when it cannot tell.
inline TPGGraphicInfo fileInfo(const QString& Path, QString* Description = nullptr) {
    QString description;
    TPGGraphicInfo info;
    EXPECT_TRUE(GetGraphicFileInfo(Path, 0, description, info)) << Path.toStdString();
    if (Description) *Description = description;
    return info;
}

// Loads a file a writer produced and checks it holds the original: the same pixel format and
// colours and, where SamePalette, the same palette and pixel values.
inline void expectReadsBack(const TPixelGraphic& Original, const QString& File, bool SamePalette = true) {
    TPixelGraphic back;
    ASSERT_EQ(loadMessage(back, File), QString()) << File.toStdString();
    EXPECT_EQ(back.GetPixelFormat(), Original.GetPixelFormat()) << File.toStdString();
    EXPECT_EQ(mismatches(back, coloursOf(Original)), 0) << File.toStdString();
    if (!SamePalette) return;
    ASSERT_EQ(back.GetPaletteCount(), Original.GetPaletteCount()) << File.toStdString();
    for (int i = 0; i < Original.GetPaletteCount(); ++i) EXPECT_EQ(back.GetPaletteColor(i), Original.GetPaletteColor(i)) << i;
    EXPECT_EQ(imaging_test::differingPixels(Original, back), 0) << File.toStdString();
}

// Files our writers produced, each with the colours it was written from; Pillow must decode
// every one to exactly those colours (one Pillow run for all).
class PillowReadsBack {
public:
    void add(const QString& File, const TPixelGraphic& Source) {
        Files << File;
        Sources.push_back(coloursOf(Source));
    }
    void check() const {
        pillowDecode(Files);
        for (int i = 0; i < Files.size(); ++i)
            EXPECT_EQ(mismatches(readRgbPixmap(Files[i] + ".pil.ppm"), Sources[size_t(i)]), 0) << Files[i].toStdString();
    }

private:
    QStringList Files;
    std::vector<RgbImage> Sources;
};

// Loads a lossless sample through the registry and compares it with <sample>.expected.ppm.
inline void expectLoadsAsExpected(const QString& Path, TPGPixelFormat Format) {
    TPixelGraphic graphic;
    EXPECT_EQ(loadMessage(graphic, Path), QString()) << Path.toStdString();
    EXPECT_EQ(graphic.GetPixelFormat(), Format) << Path.toStdString();
    const RgbImage want = readRgbPixmap(Path + ".expected.ppm");
    ASSERT_GT(want.Width, 0) << Path.toStdString();
    EXPECT_EQ(mismatches(coloursOf(graphic), want), 0) << Path.toStdString();
}

}  // namespace sample_files
