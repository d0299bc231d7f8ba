// Paintbrush: every sample variant against Pillow's decode (or the reading the format fixes),
// and the lying files against their messages.
#include "imaging/formats/pcx_format.h"
#include "tests/imaging/sample_files_support.h"

#include <QFile>

using namespace sample_files;

namespace {

constexpr char Pcx[] = "pcx";
using PcxFormat = SampleFileTest<Pcx>;

TEST_F(PcxFormat, SamplesDecodeLikePillow) {
    const struct {
        const char* Name;
        TPGPixelFormat Format;
    } cases[] = {
        {"pcx_pillow_1.pcx", PixelFormat1Bit},        {"pcx_pillow_l.pcx", PixelFormat8Bit},
        {"pcx_pillow_p.pcx", PixelFormat8Bit},        {"pcx_pillow_rgb.pcx", PixelFormat24Bit},
        {"pcx_planes4_v5.pcx", PixelFormat4Bit},      {"pcx_planes4_v3.pcx", PixelFormat4Bit},
        {"pcx_runs_cross_lines.pcx", PixelFormat8Bit}, {"pcx_rgb_offset_window.pcx", PixelFormat24Bit},
        {"pcx_runs_across_refills.pcx", PixelFormat8Bit},
    };
    for (const auto& c : cases) expectLoadsAsExpected(path(c.Name), c.Format);
    // The second oracle, netpbm's converter, agrees wherever it reads a file the same way (it
    // gives version 3 files their header palette and refuses runs crossing a line's end).
    QStringList netpbmCases;
    for (const auto& c : cases) netpbmCases << QString::fromLatin1(c.Name);
    netpbmCases.removeAll(QStringLiteral("pcx_planes4_v3.pcx"));
    netpbmCases.removeAll(QStringLiteral("pcx_runs_cross_lines.pcx"));
    for (const QString& name : netpbmCases) {
        const QString converted = path(name + QStringLiteral(".netpbm.ppm"));
        QProcess convert;
        convert.setStandardOutputFile(converted);
        convert.start(QStringLiteral("pcxtoppm"), {path(name)});
        ASSERT_TRUE(convert.waitForFinished(60000) && convert.exitCode() == 0) << "pcxtoppm " << name.toStdString();
        EXPECT_EQ(mismatches(readRgbPixmap(converted), readRgbPixmap(path(name) + ".expected.ppm")), 0)
            << name.toStdString();
    }
    // The padding bits of a 1-bit row beyond the width are zero.
    TPixelGraphic mono;
    mono.LoadFromFile(path("pcx_pillow_1.pcx"));
    for (int y = 0; y < mono.GetHeight(); ++y) EXPECT_EQ(mono.GetScanLine(y)[1] & 0x07, 0) << y;
}

TEST_F(PcxFormat, LyingFilesGiveTheirMessage) {
    expectRefused({
        {"pcx_bad_short_lines_8bit.pcx", "PCX: Unknown subformat"},
        {"pcx_bad_short_lines_24bit.pcx", "PCX: Unknown subformat"},
        {"pcx_bad_short_lines_1bit.pcx", "PCX: Unknown subformat"},
        {"pcx_bad_palette_info_2.pcx", "PCX: Unknown subformat"},
        {"pcx_bad_no_palette_marker.pcx", "PCX: Unknown subformat"},
        {"pcx_bad_shorter_than_palette.pcx", "PCX: Unknown subformat"},
        {"pcx_bad_reserved.pcx", "PCX: Unknown subformat"},
        {"pcx_bad_planes.pcx", "PCX: Unknown subformat"},
        {"pcx_bad_inverted_window.pcx", "PCX: Unknown subformat"},
        {"pcx_bad_truncated.pcx", "PCX: Unexpected end of file"}
    });
    // A refused palette leaves the stream where the check found it.
    TPCXFileFormatReader reader;
    qint64 atEnd = -1;
    EXPECT_NE(readerMessage<EPGPCXFileFormatReader>(reader, path("pcx_bad_no_palette_marker.pcx"), 0, &atEnd), QString());
    EXPECT_EQ(atEnd, 128);
}

TEST_F(PcxFormat, FileInformation) {
    const struct {
        const char* Name;
        int BitCount;
        const char* Details;
        const char* Colours;
    } cases[] = {
        {"pcx_pillow_1.pcx", 1, "Version 2.8 (2) with Palette", "2"},
        {"pcx_pillow_rgb.pcx", 24, "Version 3.0 (5)", "16.7M"},
        {"pcx_planes4_v3.pcx", 4, "Version 2.8 (3) without Palette", "16"},
    };
    for (const auto& c : cases) {
        QString description;
        const TPGGraphicInfo info = fileInfo(path(c.Name), &description);
        EXPECT_EQ(description, QStringLiteral("Paintbrush"));
        EXPECT_EQ(info.BitCount, c.BitCount) << c.Name;
        EXPECT_EQ(info.Details, QString::fromLatin1(c.Details)) << c.Name;
        EXPECT_EQ(info.ColorsText, QString::fromLatin1(c.Colours)) << c.Name;
    }
}

}  // namespace
