#include "imaging/pixel_graphic.h"
#include "site_manager/builder/thumbnail_maker.h"
#include "site_manager/image_conversion.h"
#include "tests/common/message_responder.h"
#include "tests/common/temp_data_dir.h"
#include "tests/common/exif_test_support.h"

#include "imaging/formats/jpeg_orientation.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTransform>
#include <cmath>
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

// A circular zone plate: rings whose frequency rises towards the edges up to the pixel rate, the
// hardest case for a shrinking filter.
QImage zonePlate(int w, int h) {
    QImage image(w, h, QImage::Format_RGB888);
    const double k = M_PI / (2.0 * std::max(w, h));
    for (int y = 0; y < h; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < w; ++x) {
            const double dx = x - w / 2.0, dy = y - h / 2.0;
            const auto v = uchar(std::lround(127.5 + 127.5 * std::cos(k * (dx * dx + dy * dy))));
            line[3 * x] = line[3 * x + 1] = line[3 * x + 2] = v;
        }
    }
    return image;
}

// PSNR in dB of the thumbnail against a Lanczos resize of the source to the thumbnail's size.
double psnrAgainstLanczos(const QString& source, const QString& thumbnail) {
    const QString script = R"py(
import math, sys
from PIL import Image
thumb = Image.open(sys.argv[2]).convert("L")
ref = Image.open(sys.argv[1]).convert("L").resize(thumb.size, Image.LANCZOS)
a, b = thumb.tobytes(), ref.tobytes()
mse = sum((x - y) ** 2 for x, y in zip(a, b)) / len(a)
print(99.0 if mse == 0 else 10 * math.log10(255 * 255 / mse))
)py";
    QProcess python;
    python.start("/usr/bin/python3", {"-c", script, source, thumbnail});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        ADD_FAILURE() << python.readAllStandardError().toStdString();
        return 0;
    }
    return python.readAllStandardOutput().trimmed().toDouble();
}

}  // namespace

TEST(ThumbnailMaker, AZonePlateShrinksWithoutMoire) {
    TempDataDir data;
    const QString source = data.file("zone.jpg");
    ASSERT_TRUE(zonePlate(2000, 1500).save(source, "JPG", 95));
    const QString target = data.file("zone_thb.jpg");
    ASSERT_TRUE(createthumbnail(source, target, 150, 150, 70));
    EXPECT_EQ(QImage(target).size(), QSize(150, 112));
    const double decibels = psnrAgainstLanczos(source, target);
    RecordProperty("zone_plate_psnr_db", std::to_string(decibels));
    EXPECT_GE(decibels, 35.0);
}

TEST(ThumbnailMaker, PhotosComeOutUprightByTheirOrientationTag) {
    TempDataDir data;
    // Stored 400 x 200: blue with a red top-left quadrant.
    QImage stored(400, 200, QImage::Format_RGB888);
    stored.fill(Qt::blue);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) stored.setPixel(x, y, qRgb(255, 0, 0));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(stored.save(&buffer, "JPG", 95));
    // Where the viewer sees the red quadrant (0 top-left, 1 top-right, 2 bottom-right,
    // 3 bottom-left) and the displayed thumbnail size, per orientation 1..8.
    const int redCorner[] = {0, 1, 2, 3, 0, 1, 2, 3};
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QString name = QString("turned%1").arg(orientation);
        const QString source = data.write(name + ".jpg", exif_test::withOrientation(buffer.data(), orientation));
        EXPECT_EQ(int(JpegFileOrientation(source)), orientation);
        const QString target = data.file(name + "_thb.jpg");
        ASSERT_TRUE(createthumbnail(source, target, 100, 100, 90));
        const QImage thumb(target);
        EXPECT_EQ(thumb.size(), orientation <= 4 ? QSize(100, 50) : QSize(50, 100)) << orientation;
        const int w = thumb.width() - 1, h = thumb.height() - 1;
        const QPoint corners[] = {{2, 2}, {w - 2, 2}, {w - 2, h - 2}, {2, h - 2}};
        for (int corner = 0; corner < 4; ++corner)
            EXPECT_EQ(qRed(thumb.pixel(corners[corner])) > 128, corner == redCorner[orientation - 1])
                << orientation << " corner " << corner;
    }
}

TEST(ThumbnailMaker, TransparentGifAreasTurnWhite) {
    TempDataDir data;
    // 8-bit GIF: a transparent green key colour around a black square.
    QImage gif(60, 60, QImage::Format_Indexed8);
    gif.setColorTable({qRgb(0, 255, 0), qRgb(0, 0, 0)});
    gif.fill(0);
    for (int y = 20; y < 40; ++y)
        for (int x = 20; x < 40; ++x) gif.setPixel(x, y, 1);
    TPixelGraphic graphic;
    graphic.AssignFromBitmap(gif);
    const QString source = data.file("keyed.gif");
    graphic.SaveToFile(source);
    // Mark index 0 transparent with a graphic control extension before the image descriptor.
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    const uint8_t flags = uint8_t(bytes.at(10));
    const int descriptor = 13 + ((flags & 0x80) ? 3 << ((flags & 7) + 1) : 0);
    ASSERT_EQ(bytes.at(descriptor), ',');
    bytes.insert(descriptor, QByteArray("\x21\xF9\x04\x01\0\0\0\0", 8));
    data.write("keyed.gif", bytes);
    ASSERT_TRUE(createthumbnail(source, data.file("keyed_thb.jpg"), 100, 100, 90));
    const QImage thumb(data.file("keyed_thb.jpg"));
    EXPECT_GT(qGreen(thumb.pixel(5, 5)), 230);
    EXPECT_GT(qRed(thumb.pixel(5, 5)), 230);
    EXPECT_LT(qRed(thumb.pixel(30, 30)), 30);
}

// Large photos are fitted into the box as progressive JPEGs, small ones keep their size (".JPE"
// is JPEG too) and a cut-off photo still gives a thumbnail, all without any box.
TEST(ThumbnailMaker, PhotosAreFittedIntoTheBox) {
    TempDataDir data;
    const QString whole = writeJpeg(data, "whole.jpg", 400, 300);
    const QString cut = data.write("cut.jpg", data.read("whole.jpg").left(int(QFileInfo(whole).size() * 2 / 3)));
    const QString large = writeJpeg(data, "Beach.jpg", 2000, 1500);
    const std::pair<QString, QSize> cases[] = {
        {large, {100, 75}}, {writeJpeg(data, "small.JPE", 80, 60), {80, 60}}, {cut, {100, 75}}};
    MessageScript script;
    for (const auto& [source, size] : cases) {
        ASSERT_TRUE(createthumbnail(source, source + "_thb.jpg", 100, 100, 70)) << source.toStdString();
        EXPECT_EQ(QImage(source + "_thb.jpg").size(), size) << source.toStdString();
    }
    EXPECT_EQ(script.texts(), QStringList());
    TPixelGraphic thumbnail;
    thumbnail.LoadFromFile(large + "_thb.jpg");
    EXPECT_EQ(thumbnail.GetWidth(), 100);
    // The middle of the thumbnail is the bright square, the corner the dark gradient start.
    EXPECT_GT(pgRed(thumbnail.GetPixelColor(50, 37)), 200);
    EXPECT_LT(pgRed(thumbnail.GetPixelColor(2, 2)), 60);
    // Progressive JPEG: a start-of-frame marker 0xFFC2.
    EXPECT_TRUE(data.read("Beach.jpg_thb.jpg").contains(QByteArray("\xFF\xC2", 2)));
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
    for (const char* name : {"photo.bmp", "image.jpeg", "scan.TIFF"}) EXPECT_TRUE(checksupportedformat(name)) << name;
    for (const char* name : {"readme.txt", "noextension"}) EXPECT_FALSE(checksupportedformat(name)) << name;
    for (const char* name : {"image.jpeg", "anim.GIF"}) EXPECT_TRUE(checkHTMLsupportedformat(name)) << name;
    EXPECT_FALSE(checkHTMLsupportedformat("photo.png"));
}
