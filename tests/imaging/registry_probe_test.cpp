// Registry behaviour with formats registered by a test: probe versus extension, the order of
// readers with the same extension, and gamma correction after loading.
#include "tests/common/temp_data_dir.h"
#include "tests/imaging/imaging_test_support.h"

#include <QBuffer>
#include <QIODevice>

#include <cmath>
#include <gtest/gtest.h>

namespace {

// A format with the signature "PGT": its reader makes a 2 x 1 image of the stored grey level and
// gives it the gamma written after the signature (in tenths).
class SignedReader : public TFileFormatReader {
public:
    explicit SignedReader(QString ext, int tag = 0) : tag_(tag) {
        Extension = std::move(ext);
        Description = "signed test format";
        HasSignature = true;
    }
    bool IsFormat(const uint8_t* h) const override { return h[0] == 'P' && h[1] == 'G' && h[2] == 'T'; }
    void Read(QIODevice& stream, TPixelGraphic& g, int) override {
        const QByteArray data = stream.readAll();
        lastTag = tag_;
        const int level = uint8_t(data[3]);
        g.SetImageGamma(uint8_t(data[4]) / 10.0L);
        if (data.size() > 5 && data[5] == 'P') {
            g.SetSize(2, 1, PixelFormat8Bit);
            g.SetPaletteCount(2);
            g.SetPaletteColor(0, pgRGB(uint8_t(level), uint8_t(level), uint8_t(level)));
            g.SetPaletteColor(1, pgRGB(255, 0, 0));
            g.SetPixel(0, 0, 0);
            g.SetPixel(1, 0, 1);
        } else {
            g.SetSize(2, 1, PixelFormat24Bit);
            g.SetPixel(0, 0, pgRGB(uint8_t(level), uint8_t(level), uint8_t(level)));
            g.SetPixel(1, 0, pgRGB(255, 0, 0));
        }
    }
    static int lastTag;

private:
    int tag_;
};
int SignedReader::lastTag = 0;

// A format found by its extension only.
class UnsignedReader : public TFileFormatReader {
public:
    UnsignedReader() {
        Extension = "tst";
        Description = "extension-only test format";
    }
    void Read(QIODevice&, TPixelGraphic& g, int) override { g.SetSize(3, 3, PixelFormat24Bit); }
};

class FakeWriter : public TFileFormatWriter {
public:
    FakeWriter() {
        Extension = "fkw";
        Description = "nothing";
    }
    QString ClassName() const override { return "TFakeWriter"; }
};

}  // namespace

class RegistryProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        imaging_test::initLibrary();
        readersBefore = FileFormatReaders.size();
        writersBefore = FileFormatWriters.size();
        RegisterFileFormatReader(std::make_unique<SignedReader>("pgt", 1));
        RegisterFileFormatReader(std::make_unique<SignedReader>("aaa", 2));
        RegisterFileFormatReader(std::make_unique<UnsignedReader>());
        RegisterFileFormatWriter(std::make_unique<FakeWriter>());
    }
    void TearDown() override {
        auto isTest = [](const auto& item) {
            return item->Description.contains("test format") || item->Description == "nothing";
        };
        std::erase_if(FileFormatReaders, isTest);
        std::erase_if(FileFormatWriters, isTest);
        EXPECT_EQ(FileFormatReaders.size(), readersBefore);
        EXPECT_EQ(FileFormatWriters.size(), writersBefore);
        SetImagingDefaults();
    }
    QByteArray image(int level, int gammaTenths, bool paletted = false) {
        QByteArray data("PGT");
        data.append(char(level));
        data.append(char(gammaTenths));
        if (paletted) data.append('P');
        return data;
    }
    size_t readersBefore = 0, writersBefore = 0;
    testing_support::TempDataDir dir;
};

TEST_F(RegistryProbeTest, TheFirstSignedReaderInExtensionOrderWins) {
    TPixelGraphic g;
    g.LoadFromFile(dir.write("x.tst", image(10, 18)));
    EXPECT_EQ(SignedReader::lastTag, 2);  // "aaa" sorts before "pgt"
    EXPECT_EQ(g.GetWidth(), 2);
}

TEST_F(RegistryProbeTest, ExtensionOnlyFormatsNeedTheirExtension) {
    TPixelGraphic g;
    g.LoadFromFile(dir.write("plain.TST", "no signature here"));
    EXPECT_EQ(g.GetWidth(), 3);
    QByteArray bytes("no signature here");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_THROW(g.LoadFromStream(buffer), EPGUnknownFileFormat);
    buffer.seek(0);
    g.LoadFromStreamExt(buffer, ".tst", 0);
    EXPECT_EQ(g.GetWidth(), 3);
    EXPECT_EQ(buffer.pos(), 0);  // the probe left the position alone; this reader reads nothing
}

TEST_F(RegistryProbeTest, LoadedImagesAreCorrectedTowardsTheDisplayGamma) {
    TPixelGraphic g;
    g.LoadFromFile(dir.write("a.pgt", image(64, 10)));  // gamma 1.0 against the display's 1.8
    const int expected = int(std::nearbyint(255.0 * std::pow(64 / 255.0, 1.0 / 1.8)));
    EXPECT_EQ(pgRed(g.GetPixel(0, 0)), expected);
    EXPECT_EQ(g.GetPixel(1, 0), pgRGB(255, 0, 0));
    EXPECT_DOUBLE_EQ(double(g.GetImageGamma()), 1.8);
    // Within 5 % of the display gamma nothing changes.
    g.LoadFromFile(dir.write("b.pgt", image(64, 18)));
    EXPECT_EQ(pgRed(g.GetPixel(0, 0)), 64);
    // Paletted images have their palette corrected.
    g.LoadFromFile(dir.write("c.pgt", image(64, 10, true)));
    EXPECT_EQ(pgRed(g.GetPaletteColor(0)), expected);
    EXPECT_EQ(g.GetPixel(0, 0), 0u);
    // Switched off, the pixels stay as read.
    GammaCorrection = false;
    g.LoadFromFile(dir.write("d.pgt", image(64, 10)));
    EXPECT_EQ(pgRed(g.GetPixel(0, 0)), 64);
}

TEST_F(RegistryProbeTest, AWriterWithoutResolutionsIsReported) {
    TPixelGraphic g;
    imaging_test::fillGradient(g, 2, 2);
    try {
        g.SaveToFile(dir.file("out.fkw"));
        FAIL();
    } catch (const EPGCanWriteResolutionsEmpty& e) {
        EXPECT_EQ(e.message(), "TFakeWriter.CanWriteResolutions is empty");
    }
}
