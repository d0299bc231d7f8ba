// Files dropped on the site editor's image list: from a file manager through the shared drop
// target, names with blanks, accents and "%" are copied into the rotation; photos of every format
// the library reads arrive as progressive JPEGs at the default JPEG compression, close to their
// sources; a readable metafile becomes a JPEG, one that cannot be loaded gives the copy-error box
// and leaves no file behind.
#include "components/drop_file_source.h"
#include "components/drop_file_target.h"
#include "components/file_list_box.h"
#include "imaging/pixel_graphic.h"
#include "site_manager/image_conversion.h"
#include "tests/imaging/metafile_samples.h"
#include "tests/site_manager/drop_events.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QProcess>

#include <cmath>
#include <functional>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

class SiteEditorDropTest : public MainWindowTest {
protected:
    void SetUp() override {
        writeGardenSite(true);
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\nDefaultJPEGCompression=60\r\n");
        startWithGardenSite();
    }
};

}  // namespace

TEST_F(SiteEditorDropTest, FilesDroppedOnTheImageListAreAddedToTheRotation) {
    const QString outside = data.path() + "incoming/";
    QDir().mkpath(outside);
    TDropFileSource source;
    for (const QString name : {"a b.jpg", "\u00e9.jpg", "100%.jpg"}) {
        QImage image(32, 24, QImage::Format_RGB32);
        image.fill(Qt::blue);
        ASSERT_TRUE(image.save(outside + name, "JPEG"));
        source.Files << outside + name;
    }
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        EXPECT_EQ(editor.DropFileTarget1->control(), editor.FileBox);
        QMimeData text;
        text.setText("no files here");
        EXPECT_FALSE(dropOn(editor.FileBox->viewport(), text));

        std::unique_ptr<QMimeData> files(source.createMimeData());
        EXPECT_TRUE(dropOn(editor.FileBox->viewport(), *files));
        EXPECT_EQ(editor.FileBox->fileNames(), (QStringList{"100%.jpg", "a b.jpg", "\u00e9.jpg"}));
        EXPECT_TRUE(editor.DropFileTarget1->Files.isEmpty());
    });
    for (const QString name : {"a b.jpg", "\u00e9.jpg", "100%.jpg"})
        EXPECT_TRUE(QFileInfo::exists(siteDir + "Rotation_1/" + name)) << name.toStdString();
}

namespace {

// A photo-like 24-bit image: smooth gradients with a little texture.
void drawPhoto(TPixelGraphic& photo) {
    photo.SetSize(96, 64, PixelFormat24Bit);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 96; ++x)
            photo.SetPixel(x, y, pgRGB(uint8_t(40 + x * 2), uint8_t(30 + y * 3), uint8_t(128 + 60 * std::sin((x + y) / 9.0))));
}

struct DroppedFormat {
    const char* FileName;
    // Writes the photo into the named file in the format of its extension.
    std::function<void(TPixelGraphic& photo, const QString& path)> Write;
};

void saveByExtension(TPixelGraphic& photo, const QString& path) { photo.SaveToFile(path); }

// For formats we read but do not write: Pillow converts our PNG of the photo.
void saveThroughPillow(TPixelGraphic& photo, const QString& path) {
    const QString png = path + ".source.png";
    photo.SaveToFile(png);
    QProcess python;
    python.start("/usr/bin/python3", {"-c", "import sys\nfrom PIL import Image\nImage.open(sys.argv[1]).save(sys.argv[2])",
                                      png, path});
    ASSERT_TRUE(python.waitForFinished(60000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    QFile::remove(png);
}

const DroppedFormat Formats[] = {
    {"photo.bmp", saveByExtension}, {"photo.png", saveByExtension}, {"photo.tif", saveByExtension},
    {"photo.tga", saveByExtension}, {"photo.ppm", saveByExtension}, {"photo.pcx", saveThroughPillow},
};

// Pillow's verdict on a converted file: progressive flag, the first luminance quantiser, and the
// PSNR in dB against the source file.
QStringList inspect(const QString& jpeg, const QString& source) {
    QProcess python;
    python.start("/usr/bin/python3", {"-c", R"(
import sys, math
from PIL import Image
j = Image.open(sys.argv[1]); s = Image.open(sys.argv[2]).convert('RGB')
a, b = j.convert('RGB').tobytes(), s.tobytes()
mse = sum((x - y) ** 2 for x, y in zip(a, b)) / len(a)
print(int(bool(j.info.get('progressive'))), j.quantization[0][0], round(10 * math.log10(255 * 255 / max(mse, 1e-9)), 1))
)", jpeg, source});
    python.waitForFinished(60000);
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed().split(' ');
}

TEST_F(SiteEditorDropTest, DroppedPhotosOfEveryFormatBecomeProgressiveJpegs) {
    const QString outside = data.path() + "incoming/";
    QDir().mkpath(outside);
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        // One at a time: every photo.* becomes the same photo.jpg.
        for (const DroppedFormat& format : Formats) {
            SCOPED_TRACE(format.FileName);
            TPixelGraphic photo;
            drawPhoto(photo);
            const QString source = outside + format.FileName;
            format.Write(photo, source);
            editor.DropFileTarget1Drop({source});
            EXPECT_TRUE(script.texts().isEmpty()) << script.texts().join('\n').toStdString();
            const QString jpeg = siteDir + "Rotation_1/photo.jpg";
            ASSERT_TRUE(QFileInfo::exists(jpeg));
            EXPECT_EQ(editor.FileBox->fileNames(), QStringList{"photo.jpg"});
            const QStringList verdict = inspect(jpeg, source);
            ASSERT_EQ(verdict.size(), 3) << verdict.join(' ').toStdString();
            EXPECT_EQ(verdict[0], "1");   // progressive
            EXPECT_EQ(verdict[1], "13");  // libjpeg's luminance DC quantiser at quality 60
            EXPECT_GE(verdict[2].toDouble(), 30.0);
            QFile::remove(jpeg);
        }
    });
}

}  // namespace

TEST_F(SiteEditorDropTest, DroppedMetafilesBecomeJpegsOrGiveTheCopyErrorBox) {
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        editor.DropFileTarget1Drop({metafileSample("rect_placeable.wmf"), metafileSample("rect.emf")});
        EXPECT_TRUE(script.texts().isEmpty()) << script.lastText().toStdString();
        for (const char* name : {"rect_placeable.jpg", "rect.jpg"}) {
            TPixelGraphic jpeg;
            jpeg.LoadFromFile(siteDir + "Rotation_1/" + name);
            EXPECT_EQ(jpeg.GetWidth(), 400) << name;
            EXPECT_EQ(jpeg.GetHeight(), 200) << name;
        }

        script.answer(MessageResult::OK);
        editor.DropFileTarget1Drop({metafileSample("badheader.wmf")});
        EXPECT_EQ(script.lastText(), "Error encountered copying the file, " + metafileSample("badheader.wmf") +
                                         "!  You may be out of disk space or do not have write "
                                         "access to the directory you are copying to");
        EXPECT_FALSE(QFileInfo::exists(siteDir + "Rotation_1/badheader.jpg"));
    });
    TPixelGraphic empty;
    EXPECT_FALSE(savetojpeg(empty, siteDir + "empty.jpg", false, 80));
    EXPECT_FALSE(QFileInfo::exists(siteDir + "empty.jpg"));
    // JPEG's side limit: a picture one pixel wider is refused, as the encoder would refuse it.
    for (const int width : {65500, 65501}) {
        TPixelGraphic wide;
        wide.SetSize(width, 1, PixelFormat1Bit);
        const QString target = siteDir + QString("wide%1.jpg").arg(width);
        EXPECT_EQ(savetojpeg(wide, target, false, 80), width == 65500) << width;
        EXPECT_EQ(QFileInfo::exists(target), width == 65500) << width;
    }
}
