// Colour reduction: median cut for true-colour sources, the octree for paletted ones, and the
// registry's conversions to reduced palettes when a writer cannot store the image as it is.
#include "tests/common/temp_data_dir.h"
#include "tests/imaging/imaging_test_support.h"

#include <QBuffer>
#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace imaging_test;

namespace {

std::vector<TColor> paletteOf(const TPixelGraphic& g) {
    std::vector<TColor> colours;
    for (int i = 0; i < g.GetPaletteCount(); ++i) colours.push_back(g.GetPaletteColor(i));
    return colours;
}

void fillSolid(TPixelGraphic& g, int w, int h, TColor colour) {
    g.SetSize(w, h, PixelFormat24Bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) g.SetPixel(x, y, colour);
}

// An 8-bit image whose pixels use the given palette entries, each over one column band.
void fillPaletted(TPixelGraphic& g, const std::vector<TColor>& used, int paletteSize) {
    g.SetSize(int(used.size()) * 3, 4, PixelFormat8Bit);
    g.SetPaletteIdent(pGray256);
    g.SetPaletteCount(paletteSize);
    for (int i = 0; i < int(used.size()); ++i) g.SetPaletteColor(i, used[size_t(i)]);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < g.GetWidth(); ++x) g.SetPixel(x, y, uint32_t(x / 3));
}

}  // namespace

TEST(ColorReduction, WhiteGivesTheCentreOfItsCellFollowedByTheSystemColours) {
    initLibrary();
    TPixelGraphic white, target;
    fillSolid(white, 8, 8, pgRGB(255, 255, 255));
    target.SetSize(8, 8, PixelFormat8Bit);
    target.ReduceColorsFrom(white, 252, true);
    std::vector<TColor> expected{pgRGB(252, 254, 252)};
    for (const TColor c : SystemColors16) expected.push_back(c);
    EXPECT_EQ(paletteOf(target), expected);
}

TEST(ColorReduction, EmptySourceOrNoRoomGivesTheFirstSystemColours) {
    initLibrary();
    TPixelGraphic empty, target;
    target.SetSize(4, 4, PixelFormat1Bit);
    target.ReduceColorsFrom(empty, 2, false);
    EXPECT_EQ(paletteOf(target), (std::vector<TColor>{pgRGB(0, 0, 0), pgRGB(128, 0, 0)}));
    TPixelGraphic some;
    fillGradient(some, 10, 10);
    target.SetSize(4, 4, PixelFormat4Bit);
    target.ReduceColorsFrom(some, 16, true);  // no colour left for the image itself
    EXPECT_EQ(target.GetPaletteCount(), 16);
    EXPECT_EQ(target.GetPaletteColor(9), pgRGB(255, 0, 0));
}

// Every colour in a cell of its own, fewer colours than asked: each box ends as one cell, and no
// box of one cell may be split (that gave an empty box and a division by zero).
TEST(ColorReduction, DistinctCellsFewerThanTheTargetGiveOneEntryEach) {
    initLibrary();
    TPixelGraphic source, target;
    source.SetSize(20, 10, PixelFormat24Bit);
    std::set<TColor> colours;
    for (int i = 0; i < 200; ++i) {
        const TColor c = pgRGB(uint8_t(8 * (i % 8) + 4), uint8_t(4 * ((i / 8) % 5) * 3 + 2), uint8_t(8 * (i / 40) * 5 + 4));
        colours.insert(c);
        source.SetPixel(i % 20, i / 20, c);
    }
    ASSERT_EQ(colours.size(), 200u);
    for (const int n : {256, 252, 200}) {
        SCOPED_TRACE(n);
        target.SetSize(20, 10, PixelFormat8Bit);
        target.ReduceColorsFrom(source, n, false);
        const std::vector<TColor> palette = paletteOf(target);
        EXPECT_EQ(palette.size(), 200u);
        EXPECT_EQ(std::set<TColor>(palette.begin(), palette.end()), colours);
    }
    target.ReduceColorsFrom(source, 252, true);
    EXPECT_EQ(target.GetPaletteCount(), 216);  // the 200 colours, then the 16 system colours
}

TEST(ColorReduction, AGradientUsesEveryEntryItIsGivenAndStaysClose) {
    initLibrary();
    TPixelGraphic source;
    fillGradient(source, 160, 120);
    struct Case {
        int N;
        bool System;
        TPGPixelFormat Format;
        double MaxError;
    };
    for (const Case c : {Case{2, false, PixelFormat1Bit, 60}, Case{16, false, PixelFormat4Bit, 22}, Case{252, true, PixelFormat8Bit, 8}}) {
        SCOPED_TRACE(c.N);
        TPixelGraphic target;
        target.SetSize(160, 120, c.Format);
        target.ReduceColorsFrom(source, c.N, c.System);
        EXPECT_EQ(target.GetPaletteCount(), c.N);
        target.StretchFrom(source);
        EXPECT_LT(meanError(source, target), c.MaxError);
    }
}

// The colours used come first (then the system colours when asked). A damaged file can leave a
// pixel whose index is past the end of a short palette: it carries no colour.
TEST(ColorReduction, PalettedSourcesKeepTheColoursTheyUse) {
    initLibrary();
    struct Case {
        std::vector<TColor> Used;
        int PaletteSize;
        bool StrayIndex, System;
    };
    const Case cases[] = {
        {{pgRGB(10, 20, 30), pgRGB(200, 0, 0), pgRGB(0, 200, 0), pgRGB(0, 0, 200), pgRGB(250, 250, 250)}, 256, false, true},
        {{pgRGB(10, 200, 30), pgRGB(90, 90, 250)}, 2, true, false}};
    for (const Case& c : cases) {
        TPixelGraphic source, target;
        fillPaletted(source, c.Used, c.PaletteSize);
        if (c.StrayIndex) source.SetPixel(0, 0, 200);
        target.SetSize(source.GetWidth(), source.GetHeight(), PixelFormat8Bit);
        target.ReduceColorsFrom(source, c.System ? 252 : 16, c.System);
        const std::vector<TColor> palette = paletteOf(target);
        ASSERT_EQ(palette.size(), c.Used.size() + (c.System ? 16 : 0));
        EXPECT_EQ(std::set<TColor>(palette.begin(), palette.begin() + std::ptrdiff_t(c.Used.size())),
                  std::set<TColor>(c.Used.begin(), c.Used.end()));
    }
}

// Black and white differ in their top bit, so both children of the root come new; the root must
// still be found reducible when only one colour may stay.
TEST(ColorReduction, OctreeReducesNodesWhoseChildrenAllCameNew) {
    initLibrary();
    TPixelGraphic source, target;
    fillPaletted(source, {pgRGB(0, 0, 0), pgRGB(255, 255, 255)}, 2);
    target.SetSize(6, 4, PixelFormat1Bit);
    target.ReduceColorsFrom(source, 1, false);
    EXPECT_EQ(paletteOf(target), std::vector<TColor>{pgRGB(127, 127, 127)});

    // 256 colours spread over the whole cube into 16 entries.
    std::vector<TColor> spread;
    for (int i = 0; i < 256; ++i) spread.push_back(pgRGB(uint8_t(i * 37), uint8_t(i * 101), uint8_t(255 - i)));
    fillPaletted(source, spread, 256);
    target.SetSize(source.GetWidth(), 4, PixelFormat4Bit);
    target.ReduceColorsFrom(source, 16, false);
    EXPECT_GE(target.GetPaletteCount(), 1);
    EXPECT_LE(target.GetPaletteCount(), 16);
}

namespace {

// A writer that stores nothing and remembers what saving handed it.
class ClassProbeWriter : public TFileFormatWriter {
public:
    explicit ClassProbeWriter(int cls) {
        Extension = QStringLiteral("probe%1").arg(cls);
        CanWriteResolutions = ResolutionBit(cls);
    }
    void Write(QIODevice&, TPixelGraphic& Graphic) override {
        Format = Graphic.GetPixelFormat();
        Colours = Graphic.GetPaletteCount();
        Error = -1;
    }
    TPGPixelFormat Format = PixelFormat24Bit;
    int Colours = -1;
    int Error = 0;
};

}  // namespace

TEST(ColorReduction, SavingConvertsTrueColourToReducedPalettes) {
    initLibrary();
    TPixelGraphic photo;
    fillGradient(photo, 64, 48);
    photo.SetColorResolutionMode(0);
    struct Case {
        int Class;
        TPGPixelFormat Format;
        int Colours;
    };
    for (const Case c : {Case{1, PixelFormat1Bit, 2}, Case{4, PixelFormat4Bit, 16}, Case{6, PixelFormat8Bit, 252}}) {
        SCOPED_TRACE(c.Class);
        auto owned = std::make_unique<ClassProbeWriter>(c.Class);
        ClassProbeWriter* writer = owned.get();
        RegisterFileFormatWriter(std::move(owned));
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        photo.SaveToStreamExt(sink, writer->Extension);
        EXPECT_EQ(writer->Format, c.Format);
        EXPECT_EQ(writer->Colours, c.Colours);
        std::erase_if(FileFormatWriters, [writer](const auto& w) { return w.get() == writer; });
    }
}

// The GIF writer stores only 256 colours: true-colour and grey graphics are reduced on the way.
TEST(ColorReduction, TrueColourAndGreyGraphicsSavedAsGifOpenInPillowClose) {
    initLibrary();
    testing_support::TempDataDir dir;
    struct Case {
        const char* Name;
        std::function<void(TPixelGraphic&)> Fill;
        int MinColours;
    };
    const Case cases[] = {{"photo", [](TPixelGraphic& g) { fillGradient(g, 200, 150); }, 100},
                          {"grey", [](TPixelGraphic& g) { fillGrayGradient(g, 200, 150); }, 50}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPixelGraphic image;
        c.Fill(image);
        image.SetColorResolutionMode(0);
        const QString gif = dir.file(QString::fromLatin1(c.Name) + ".gif");
        image.SaveToFile(gif);
        // Pillow opens it and counts the palette entries the pixels use.
        QString output;
        ASSERT_TRUE(runPython(QStringLiteral("import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1])\n"
                                             "print(im.mode, len(im.getcolors(256)))"),
                              {gif}, output))
            << output.toStdString();
        const QStringList fields = output.trimmed().split(' ');
        ASSERT_EQ(fields.size(), 2) << output.toStdString();
        EXPECT_EQ(fields[0], "P");
        EXPECT_LE(fields[1].toInt(), 252);
        EXPECT_GT(fields[1].toInt(), c.MinColours);
        TPixelGraphic decoded;
        decoded.LoadFromFile(gif);
        // Dithered, so single pixels differ more than the palette's own error.
        EXPECT_LT(meanError(image, decoded), 8.0);
    }
}
