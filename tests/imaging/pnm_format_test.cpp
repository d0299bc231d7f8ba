// PBM, PGM and PPM: every sample variant against Pillow's decode, the lying files against their
// messages, and the writer's files read back by Pillow and by the reader.
#include "imaging/formats/pnm_format.h"
#include "tests/imaging/sample_files_support.h"

#include <QBuffer>
#include <QFile>

using namespace sample_files;

namespace {

constexpr char Pnm[] = "pnm";
using PnmFormat = SampleFileTest<Pnm>;

TEST_F(PnmFormat, SamplesDecodeLikePillow) {
    const struct {
        const char* Name;
        TPGPixelFormat Format;
    } cases[] = {
        {"pnm_p1_comments.pbm", PixelFormat1Bit},    {"pnm_p2_comments.pgm", PixelFormat8Bit},   {"pnm_p3_comments.ppm", PixelFormat24Bit},
        {"pnm_p4.pbm", PixelFormat1Bit},             {"pnm_p5.pgm", PixelFormat8Bit},            {"pnm_p6.ppm", PixelFormat24Bit},
        {"pnm_p2_max3.pgm", PixelFormat8Bit},        {"pnm_p3_max65535.ppm", PixelFormat24Bit},  {"pnm_p5_max100.pgm", PixelFormat8Bit},
        {"pnm_p6_max31.ppm", PixelFormat24Bit},      {"pnm_p2_above_max.pgm", PixelFormat8Bit},  {"pnm_p2_no_final_newline.pgm", PixelFormat8Bit},
    };
    for (const auto& c : cases) expectLoadsAsExpected(path(c.Name), c.Format);
}

TEST_F(PnmFormat, LyingFilesGiveTheirMessage) {
    expectRefused({
        {"pnm_bad_max0_text.pgm", "PBM, PGM, PPM: Not supported subformat"},
        {"pnm_bad_max0_binary.ppm", "PBM, PGM, PPM: Not supported subformat"},
        {"pnm_bad_max65535_binary.pgm", "PBM, PGM, PPM: Not supported subformat"},
        {"pnm_bad_zero_width.pbm", "PBM, PGM, PPM: Not supported subformat"},
        {"pnm_bad_huge_size.ppm", "PBM, PGM, PPM: Not supported subformat"},
        {"pnm_bad_truncated.ppm", "PBM, PGM, PPM: Unexpected end of file"},
        {"pnm_bad_truncated_text.pbm", "PBM, PGM, PPM: Unexpected end of file"},
        {"pnm_bad_subformat.ppm", "Unknown file format"},
        {"pnm_bad_magic.pgm", "Unknown file format"}
    });
    // No probe claims those two; the reader itself names what is wrong.
    TPGMFileFormatReader reader;
    EXPECT_EQ(readerMessage<EPGPxMFileFormatReader>(reader, path("pnm_bad_magic.pgm")),
              "PBM, PGM, PPM: Not a PBM, PGM, PPM file");
    EXPECT_EQ(readerMessage<EPGPxMFileFormatReader>(reader, path("pnm_bad_subformat.ppm")),
              "PBM, PGM, PPM: Unknown subformat");
    // A header claiming more than the file holds is refused before anything is allocated; a file
    // that could hold its pixels but ends early keeps the rows read so far.
    TPixelGraphic refused;
    loadMessage(refused, path("pnm_bad_truncated.ppm"));
    EXPECT_TRUE(refused.GetEmpty());
    TPixelGraphic partial;
    loadMessage(partial, path("pnm_bad_truncated_text.pbm"));
    ASSERT_EQ(partial.GetWidth(), 3);
    EXPECT_EQ(partial.GetPixel(0, 0), 0u);
    EXPECT_EQ(partial.GetPixel(1, 0), 1u);
    EXPECT_EQ(partial.GetPixel(2, 0), 0u);
}

// A test picture in the pixel format a writer takes.
void makePicture(TPixelGraphic& g, const QString& ext) {
    if (ext == "ppm") {
        imaging_test::fillGradient(g, 37, 11);
    } else if (ext == "pgm") {
        imaging_test::fillGrayGradient(g, 19, 9);
    } else {
        g.SetSize(21, 6, PixelFormat1Bit);
        g.SetPaletteIdent(pBlackWhite);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 21; ++x) g.SetPixel(x, y, uint32_t((x * 3 + y) % 5 == 0));
    }
}

TEST_F(PnmFormat, WrittenFilesReadBackInPillowAndHere) {
    QTemporaryDir out;
    PillowReadsBack pillow;
    for (bool binary : {false, true})
        for (const QString ext : {"pbm", "pgm", "ppm"}) {
            PxMWriteBinary = binary;
            TPixelGraphic g;
            makePicture(g, ext);
            const QString file = out.filePath(QStringLiteral("written_%1.%2").arg(binary).arg(ext));
            g.SaveToFile(file);
            const QByteArray bytes = imaging_test::readFile(file);
            EXPECT_TRUE(bytes.startsWith(QStringLiteral("P%1\n").arg((ext == "pbm" ? 1 : ext == "pgm" ? 2 : 3) + 3 * binary).toLatin1()))
                << file.toStdString();
            pillow.add(file, g);
            expectReadsBack(g, file, false);
        }
    PxMWriteBinary = false;
    pillow.check();
}

TEST_F(PnmFormat, TextFormHasOneLinePerRow) {
    TPixelGraphic g;
    g.SetSize(3, 2, PixelFormat24Bit);
    for (int i = 0; i < 6; ++i) g.SetPixel(i % 3, i / 3, pgRGB(uint8_t(i), uint8_t(10 * i), 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    g.SaveToStreamExt(buffer, QStringLiteral("ppm"));
    EXPECT_EQ(bytes, QByteArray("P3\n3 2\n255\n0 0 255 1 10 255 2 20 255\n3 30 255 4 40 255 5 50 255\n"));
}

TEST_F(PnmFormat, WriterRefusesOtherColourResolutions) {
    TPGPixelFormat formats[] = {PixelFormat24Bit, PixelFormat24Bit, PixelFormat8Bit};
    const struct {
        const char* Ext;
        const char* Message;
    } cases[] = {{"pbm", "PBM: Invalid color resolution"},
                 {"pgm", "PGM: Invalid color resolution"},
                 {"ppm", "PPM: Invalid color resolution"}};
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<TPXMFileFormatWriter> writer;
        if (i == 0) writer = std::make_unique<TPBMFileFormatWriter>();
        if (i == 1) writer = std::make_unique<TPGMFileFormatWriter>();
        if (i == 2) writer = std::make_unique<TPPMFileFormatWriter>();
        TPixelGraphic g;
        g.SetSize(4, 4, formats[i]);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        try {
            writer->Write(buffer, g);
            ADD_FAILURE() << cases[i].Ext;
        } catch (const EPixelGraphic& e) {
            EXPECT_EQ(e.message(), QString::fromLatin1(cases[i].Message));
        }
        EXPECT_TRUE(bytes.isEmpty()) << "the header stays unwritten";
    }
}

}  // namespace
