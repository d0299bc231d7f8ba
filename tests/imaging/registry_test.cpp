// The format registry: probing, extensions, colour-resolution conversion when saving, file info.
#include "tests/common/message_responder.h"
#include "tests/common/temp_data_dir.h"
#include "tests/imaging/imaging_test_support.h"

#include "imaging/formats/jpeg_format.h"

#include <QBuffer>
#include <QFileInfo>

#include <gtest/gtest.h>

using platform::MessageResult;

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { imaging_test::initLibrary(); }
    testing_support::TempDataDir dir;
};

TEST_F(RegistryTest, StartUpRegistersTheJpegFormatsOnce) {
    InitImagingLibrary();  // counted: a second call adds nothing
    int jpegReaders = 0, jpegWriters = 0;
    for (const auto& r : FileFormatReaders)
        if (r->Description == "JPEG (JFIF compliant)") ++jpegReaders;
    for (const auto& w : FileFormatWriters)
        if (w->Description == "JPEG (JFIF compliant)") ++jpegWriters;
    EXPECT_EQ(jpegReaders, 3);
    EXPECT_EQ(jpegWriters, 3);
    SortFormatLists();
    for (size_t i = 1; i < FileFormatReaders.size(); ++i)
        EXPECT_LE(FileFormatReaders[i - 1]->Extension.toLower(), FileFormatReaders[i]->Extension.toLower());
    FinalizeImagingLibrary();  // balances the extra call; the library stays up
    EXPECT_FALSE(FileFormatReaders.empty());
}

TEST_F(RegistryTest, ExtensionsAreLowerCaseWithoutTheDot) {
    EXPECT_EQ(GetFileExtension("/a/b/Photo.JPG"), "jpg");
    EXPECT_EQ(GetFileExtension("/a.dir/noext"), "");
    EXPECT_EQ(GetFileExtension("x.tar.GZ"), "gz");
}

TEST_F(RegistryTest, UnknownDataRaisesUnknownFileFormatAndLeavesAnEmptyGraphic) {
    TPixelGraphic g;
    imaging_test::fillGradient(g, 4, 4);
    const QString path = dir.write("notes.txt", "just some text, not an image");
    try {
        g.LoadFromFile(path);
        FAIL();
    } catch (const EPGUnknownFileFormat& e) {
        EXPECT_EQ(e.message(), "Unknown file format");
    }
    EXPECT_TRUE(g.GetEmpty());
    EXPECT_EQ(g.GetPixelFormat(), PixelFormat24Bit);
    // A JPEG extension does not help data without the JPEG signature.
    const QString fake = dir.write("fake.jpg", "not a jpeg at all");
    EXPECT_THROW(g.LoadFromFile(fake), EPGUnknownFileFormat);
    const QString empty = dir.write("empty.jpg", "");
    EXPECT_THROW(g.LoadFromFile(empty), EPGUnknownFileFormat);
}

TEST_F(RegistryTest, ProbeWinsOverTheExtension) {
    TPixelGraphic g;
    imaging_test::fillGradient(g, 20, 10);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    g.SaveToStreamExt(buffer, ".jpg");
    const QString path = dir.write("really_a_jpeg.bmp", buffer.data());
    TPixelGraphic loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.GetWidth(), 20);
    EXPECT_EQ(loaded.GetHeight(), 10);
    // Through a stream without extension the probe still finds it.
    buffer.seek(0);
    TPixelGraphic fromStream;
    fromStream.LoadFromStream(buffer);
    EXPECT_EQ(fromStream.GetWidth(), 20);
}

TEST_F(RegistryTest, SavingToAnUnknownExtensionRaisesAndCreatesNoFile) {
    TPixelGraphic g;
    imaging_test::fillGradient(g, 4, 4);
    const QString path = dir.file("image.xyz");
    try {
        g.SaveToFile(path);
        FAIL();
    } catch (const EPGUnknownExtension& e) {
        EXPECT_EQ(e.message(), "Unknown file extension \"xyz\"");
    }
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(RegistryTest, PalettedImagesAreConvertedForJpegByTheColourResolutionMode) {
    TPixelGraphic g;
    g.SetSize(8, 8, PixelFormat8Bit);
    g.SetPaletteCount(2);
    g.SetPaletteColor(0, pgRGB(255, 0, 0));
    g.SetPaletteColor(1, pgRGB(0, 0, 255));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) g.SetPixel(x, y, uint32_t(x < 4 ? 0 : 1));
    const QString path = dir.file("paletted.jpg");

    g.SetColorResolutionMode(3);  // refuse
    try {
        g.SaveToFile(path);
        FAIL();
    } catch (const EPGCannotWriteColorRes& e) {
        EXPECT_EQ(e.message(), "The graphic cannot be saved with to a JPEG (JFIF compliant) file with the current "
                               "color resolution (256 colors)");
    }
    EXPECT_FALSE(QFileInfo::exists(path));

    g.SetColorResolutionMode(2);  // ask; Cancel refuses
    {
        testing_support::MessageScript script;
        script.answer(MessageResult::Cancel);
        EXPECT_THROW(g.SaveToFile(path), EPGCannotWriteColorRes);
        ASSERT_EQ(script.texts().size(), 1);
        EXPECT_TRUE(script.lastText().contains("(256 colors)"));
        EXPECT_TRUE(script.lastText().contains("(16.7 million colors)"));
    }
    EXPECT_FALSE(QFileInfo::exists(path));

    g.SetColorResolutionMode(0);  // convert silently (no box expected)
    g.SaveToFile(path);
    TPixelGraphic loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.GetPixelFormat(), PixelFormat24Bit);
    EXPECT_NEAR(pgRed(loaded.GetPixelColor(1, 1)), 255, 12);
    EXPECT_NEAR(pgBlue(loaded.GetPixelColor(6, 6)), 255, 12);
    // The graphic itself keeps its format.
    EXPECT_EQ(g.GetPixelFormat(), PixelFormat8Bit);
}

TEST_F(RegistryTest, SixteenGreysAreSavedAsAGreyJpeg) {
    TPixelGraphic g;
    g.SetSize(16, 4, PixelFormat4Bit);
    g.SetPaletteIdent(pGray16);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 4; ++y) g.SetPixel(x, y, uint32_t(x));
    g.SetColorResolutionMode(1);  // warn and convert
    testing_support::MessageScript script;
    script.answer(MessageResult::OK);
    const QString path = dir.file("grey16.jpg");
    g.SaveToFile(path);
    EXPECT_TRUE(script.lastText().contains("(256 shades of gray)"));
    QString description;
    TPGGraphicInfo info;
    ASSERT_TRUE(GetGraphicFileInfo(path, 0, description, info));
    EXPECT_EQ(info.BitCount, 8);
    TPixelGraphic loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.GetPixelFormat(), PixelFormat8Bit);
    EXPECT_NEAR(int(loaded.GetPixel(15, 0)), 255, 8);
}

TEST_F(RegistryTest, FileInfoReportsWithoutLoading) {
    QString description = "x";
    TPGGraphicInfo info;
    info.Width = 9;
    EXPECT_FALSE(GetGraphicFileInfo(dir.file("missing.jpg"), 0, description, info));
    EXPECT_TRUE(description.isEmpty());
    EXPECT_EQ(info.Width, 0);
    EXPECT_EQ(info.ImageCount, 0);

    TPixelGraphic g;
    imaging_test::fillGradient(g, 33, 21);
    const QString path = dir.file("info.jpg");
    g.SaveToFile(path);
    ASSERT_TRUE(GetGraphicFileInfo(path, 0, description, info));
    EXPECT_EQ(description, "JPEG (JFIF compliant)");
    EXPECT_EQ(info.Width, 33);
    EXPECT_EQ(info.Height, 21);
    EXPECT_EQ(info.BitCount, 24);
    EXPECT_EQ(info.ColorsText, "16.7M");
    EXPECT_EQ(info.Details, "JFIF, YCbCr");
    EXPECT_EQ(info.ImageCount, 1);
    EXPECT_FALSE(GetGraphicFileInfo(path, 1, description, info));  // only image 0 exists
}

TEST_F(RegistryTest, AFailedSaveRemovesTheFileItCreated) {
    TPixelGraphic g;  // empty: the codec refuses an image without rows
    const QString path = dir.file("empty.jpg");
    EXPECT_THROW(g.SaveToFile(path), EPGJPGFileFormatReaderWriter);
    EXPECT_FALSE(QFileInfo::exists(path));
    // A file that existed before is not removed.
    const QString existing = dir.write("existing.jpg", "old");
    EXPECT_THROW(g.SaveToFile(existing), EPGJPGFileFormatReaderWriter);
    EXPECT_TRUE(QFileInfo::exists(existing));
}
