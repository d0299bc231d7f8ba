#include "site_manager/image_conversion.h"

#include "imaging/imaging_init.h"
#include "imaging/pixel_graphic.h"
#include "platform/file_ops.h"

#include <QBuffer>

#include <QFileInfo>
#include <algorithm>
#include <exception>

namespace {

// The extension (with its dot, upper-cased) or its first three characters must occur in the list,
// so ".JPEG" matches through ".JP" and ".TIFF" through ".TI".
bool extensionListed(const QString& fileName, const QString& list) {
    const QString suffix = QFileInfo(fileName).suffix();
    if (suffix.isEmpty()) return false;
    const QString extension = "." + suffix.toUpper();
    return list.contains(extension) || list.contains(extension.left(3));
}

}  // namespace

bool checksupportedformat(const QString& fileName) {
    return extensionListed(fileName,
                           "*.JPE;*.JPG;*.GIF;*.BMP;*.DIB;*.RLE;*.PCX;*.WMF;*.EMF;*.JIF;*.PNG;*.TIF;*.TGA;*.PBM;*.PGM;*.PPM;");
}

bool checkHTMLsupportedformat(const QString& fileName) { return extensionListed(fileName, "*.JPE;*.JPG;*.GIF"); }

QByteArray jpegBytes(TPixelGraphic& image, bool progressive, int quality) {
    // A reader that could not load its file (a damaged metafile) leaves the image empty.
    if (image.GetEmpty() || image.GetWidth() < 1 || image.GetHeight() < 1) return {};
    // JPEG holds at most 65500 pixels a side: a wider picture is refused before its colours are
    // converted, which would cost a full-size 24-bit copy for nothing.
    constexpr int JpegMaxSide = 65500;
    if (image.GetWidth() > JpegMaxSide || image.GetHeight() > JpegMaxSide) return {};
    try {
        JpegQuality = uint8_t(std::clamp(quality, 1, 100));
        JpegProgressive = progressive;
        image.SetColorResolutionMode(0);
        QBuffer encoded;
        encoded.open(QIODevice::WriteOnly);
        image.SaveToStreamExt(encoded, "jpg");
        return encoded.data();
    } catch (const std::exception&) {
        return {};
    }
}

bool savetojpeg(TPixelGraphic& image, const QString& fileName, bool progressive, int quality) {
    const QByteArray jpeg = jpegBytes(image, progressive, quality);
    return !jpeg.isEmpty() && platform::writeFileAtomically(fileName, jpeg);
}
