#include "imaging/pixel_graphic.h"
#include "site_manager/builder/thumbnail_maker.h"
#include "site_manager/image_conversion.h"
#include "tests/common/message_responder.h"
#include "tests/common/temp_data_dir.h"

#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

using testing_support::MessageScript;
using testing_support::TempDataDir;

namespace {

// A photo-like JPEG: a colour gradient with a bright square in the middle.
QString writeJpeg(const TempDataDir& data, const QString& name, int w, int h) {
    QImage image(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 128));
    for (int y = h / 3; y < 2 * h / 3; ++y)
        for (int x = w / 3; x < 2 * w / 3; ++x) image.setPixel(x, y, qRgb(250, 250, 250));
    const QString path = data.file(name);
    image.save(path, "JPG", 90);
    return path;
}

}  // namespace

TEST(ThumbnailMaker, LargeJpegIsFittedIntoTheBox) {
    TempDataDir data;
    const QString source = writeJpeg(data, "Beach.jpg", 2000, 1500);
    const QString target = data.file("Beach_thb.jpg");
    ASSERT_TRUE(createthumbnail(source, target, 100, 100, 70));
    TPixelGraphic thumbnail;
    thumbnail.LoadFromFile(target);
    EXPECT_EQ(thumbnail.GetWidth(), 100);
    EXPECT_EQ(thumbnail.GetHeight(), 75);
    // The middle of the thumbnail is the bright square, the corner the dark gradient start.
    EXPECT_GT(pgRed(thumbnail.GetPixelColor(50, 37)), 200);
    EXPECT_LT(pgRed(thumbnail.GetPixelColor(2, 2)), 60);
    // Progressive JPEG: a start-of-frame marker 0xFFC2.
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains(QByteArray("\xFF\xC2", 2)));
}

TEST(ThumbnailMaker, SmallImagesKeepTheirSizeAndUpperCaseJpeIsJpeg) {
    TempDataDir data;
    const QString source = writeJpeg(data, "small.JPE", 80, 60);
    ASSERT_TRUE(createthumbnail(source, data.file("small_thb.jpg"), 100, 100, 70));
    TPixelGraphic thumbnail;
    thumbnail.LoadFromFile(data.file("small_thb.jpg"));
    EXPECT_EQ(thumbnail.GetWidth(), 80);
    EXPECT_EQ(thumbnail.GetHeight(), 60);
}

TEST(ThumbnailMaker, ABrokenImageAsksWhetherToGoOn) {
    TempDataDir data;
    const QString broken = data.write("broken.jpg", "this is not an image at all");
    MessageScript script;
    script.answer(platform::MessageResult::Yes).answer(platform::MessageResult::No);
    EXPECT_TRUE(createthumbnail(broken, data.file("broken_thb.jpg"), 100, 100, 70));
    EXPECT_FALSE(createthumbnail(broken, data.file("broken_thb.jpg"), 100, 100, 70));
    EXPECT_EQ(script.lastText(),
              "Error encountered creating thumbnail.  Please ensure you have sufficient disk space.  Do you want to "
              "continue processing your images?");
    EXPECT_FALSE(QFile::exists(data.file("broken_thb.jpg")));
}

TEST(ImageConversion, SupportedFormatsMatchByExtensionPrefix) {
    EXPECT_TRUE(checksupportedformat("photo.bmp"));
    EXPECT_TRUE(checksupportedformat("image.jpeg"));
    EXPECT_TRUE(checksupportedformat("scan.TIFF"));
    EXPECT_FALSE(checksupportedformat("readme.txt"));
    EXPECT_FALSE(checksupportedformat("noextension"));
    EXPECT_TRUE(checkHTMLsupportedformat("image.jpeg"));
    EXPECT_TRUE(checkHTMLsupportedformat("anim.GIF"));
    EXPECT_FALSE(checkHTMLsupportedformat("photo.png"));
}
