// Photos of every format the library reads, dropped on the site editor, arrive in the rotation as
// progressive JPEGs at the default JPEG compression, close to their sources.
#include "imaging/pixel_graphic.h"
#include "tests/site_manager/main_window_fixture.h"

#include "components/file_list_box.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cmath>
#include <functional>

using testing_support::MessageScript;

namespace {

// A photo-like 24-bit image: smooth gradients with a little texture.
void drawPhoto(TPixelGraphic& photo) {
    photo.SetSize(96, 64, pf24Bit);
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

const DroppedFormat Formats[] = {
    {"photo.bmp", saveByExtension},
    {"photo.png", saveByExtension},
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

class SiteEditorConversion : public MainWindowTest {};

TEST_F(SiteEditorConversion, DroppedPhotosOfEveryFormatBecomeProgressiveJpegs) {
    writeGardenSite(true);
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\nDefaultJPEGCompression=60\r\n");
    startWithGardenSite();
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
