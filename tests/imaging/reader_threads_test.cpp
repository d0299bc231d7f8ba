// The registered readers are shared by every thread that loads (the GUI thread, the open dialog's
// preview thread): one sample of every format, loaded on eight threads at once a hundred times
// each, gives exactly what one thread alone reads.
#include "tests/imaging/imaging_test_support.h"
#include "tests/imaging/sample_files_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// What a load gives: size, format, palette, transparency and the pixel bytes.
struct Decoded {
    int Width = 0, Height = 0, Format = 0;
    bool Transparent = false;
    std::vector<TColor> Palette;
    std::vector<uint8_t> Bits;
    std::string Error;

    bool operator==(const Decoded&) const = default;
};

Decoded decode(const QString& Path) {
    Decoded d;
    TPixelGraphic g;
    g.SetWarningMode(0);
    try {
        g.LoadFromFile(Path);
    } catch (const EPixelGraphic& e) {
        d.Error = e.message().toStdString();
        return d;
    }
    d.Width = g.GetWidth();
    d.Height = g.GetHeight();
    d.Format = g.GetPixelFormat();
    d.Transparent = g.GetTransparent();
    for (int i = 0; i < g.GetPaletteCount(); ++i) d.Palette.push_back(g.GetPaletteColor(i));
    const uint8_t* bits = g.GetBits();
    if (bits) d.Bits.assign(bits, bits + g.GetImageSize());
    return d;
}

class ReaderThreads : public ::testing::Test {
protected:
    void SetUp() override { imaging_test::initLibrary(); }
};

TEST_F(ReaderThreads, EveryFormatReadsTheSameOnEightThreadsAtOnce) {
    auto sample = [](const char* Format, const char* Name) {
        return sample_files::samplesOf(QLatin1String(Format)) + QLatin1String(Name);
    };
    const QString gif = sample_files::samplesOf(QStringLiteral("png")) + QStringLiteral("threads.gif");
    QString output;
    ASSERT_TRUE(imaging_test::runPython(
        QStringLiteral("import sys\nfrom PIL import Image\n"
                       "im = Image.new('P', (37, 23))\nim.putpalette([(i * 7) % 256 for i in range(768)])\n"
                       "im.putdata([(x * y + x) % 200 for y in range(23) for x in range(37)])\nim.save(sys.argv[1])\n"),
        {gif}, output))
        << output.toStdString();
    const QStringList files = {
        sample("bmp", "bmp_rle4.bmp"),         sample("bmp", "bmp_16bit_565_bitfields.bmp"),
        sample("ico", "ico_32x32_4bit.ico"),   sample("jpeg", "jpeg_progressive.jpg"),
        sample("jpeg", "jpeg_444.jpg"),        sample("pcx", "pcx_pillow_rgb.pcx"),
        sample("png", "png_rgba.png"),         sample("pnm", "pnm_p6_max31.ppm"),
        sample("pnm", "pnm_p1_comments.pbm"),  sample("tga", "tga_pillow_rgba_rle_top.tga"),
        sample("tiff", "tiff_pillow_rgb_packbits.tif"), sample("wmf", "palette16.wmf"),
        sample("emf", "rect.emf"),             gif,
    };
    std::vector<Decoded> alone;
    for (const QString& file : files) {
        alone.push_back(decode(file));
        EXPECT_TRUE(alone.back().Error.empty()) << file.toStdString() << ": " << alone.back().Error;
        EXPECT_GT(alone.back().Width, 0) << file.toStdString();
    }

    constexpr int Threads = 8, Rounds = 100;
    std::atomic<int> mismatches{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < Threads; ++t)
        workers.emplace_back([&, t] {
            for (int round = 0; round < Rounds; ++round)
                for (int k = 0; k < files.size(); ++k) {
                    const int i = (k + t) % int(files.size());  // the threads start on different formats
                    if (!(decode(files[i]) == alone[size_t(i)])) ++mismatches;
                }
        });
    for (std::thread& w : workers) w.join();
    EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
