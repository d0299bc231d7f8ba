#include "site_manager/builder/thumbnail_maker.h"

#include "imaging/formats/jpeg_format.h"
#include "imaging/formats/jpeg_orientation.h"
#include "imaging/imaging_init.h"
#include "imaging/pixel_graphic.h"
#include "imaging/pixel_graphic_shrink.h"
#include "platform/dialogs.h"
#include "platform/hourglass.h"
#include "site_manager/builder/build_output.h"
#include "site_manager/builder/thumbnail_sizing.h"

#include <QBuffer>

#include <exception>
#include <mutex>

namespace {

// A format lookup sorts the registry's lists when they are unsorted (the pool sorts them before
// its workers start), and the codecs behind the registry were written for one thread; whatever
// goes through the registry while workers run (reading GIFs, encoding thumbnails) holds this. JPEG photographs, the bulk of the
// work, are decoded directly and in parallel.
std::mutex registryInUse;

// Transparent pixels of a GIF show its key colour; on a page they would show
// the page, which is most often white, so the thumbnail takes white there.
void whitenTransparentColour(TPixelGraphic& graphic) {
    if (!graphic.GetTransparent() || graphic.GetPixelFormat() == PixelFormat24Bit) return;
    const TColor key = graphic.GetTransparentColor();
    for (int i = 0; i < graphic.GetPaletteCount(); ++i)
        if (graphic.GetPaletteColor(i) == key) graphic.SetPaletteColor(i, pgRGB(255, 255, 255));
}

// Decodes source into decoded and returns the size of the whole upright picture, which the
// thumbnail's size is computed from: the reduced decode rounds its sides up, and a rule applied to
// rounded sides can come out a pixel off.
QSize decode(const QString& source, int W, int H, TPixelGraphic& decoded) {
    // A worker never shows a box: codec warnings (extra bytes, a cut-off end) are passed over and
    // whatever could be decoded makes the thumbnail, as a browser shows it.
    decoded.SetWarningMode(0);
    if (!IsJpegFile(source)) {
        const std::lock_guard lock(registryInUse);
        decoded.SetFastJpegDct(true);
        decoded.LoadFromFile(source);
        whitenTransparentColour(decoded);
        return {decoded.GetWidth(), decoded.GetHeight()};
    }
    const JpegOrientation orientation = JpegFileOrientation(source);
    // The box is measured against the upright picture, the scale against the
    // stored pixels. The decode keeps at least twice the box so that the smooth
    // shrink has detail to filter (the 1/8 scale alone is a block average, which
    // aliases).
    const bool swap = OrientationSwapsAxes(orientation);
    const TPGJpegScaledInfo info = LoadJpegFileScaled(
        source, decoded,
        [W, H, swap](int fullWidth, int fullHeight) {
            return swap ? JpegScaleFor(fullWidth, fullHeight, 2 * H, 2 * W)
                        : JpegScaleFor(fullWidth, fullHeight, 2 * W, 2 * H);
        },
        true);
    ApplyOrientation(decoded, orientation);
    return swap ? QSize(info.FullHeight, info.FullWidth) : QSize(info.FullWidth, info.FullHeight);
}

}  // namespace

ShrunkImage shrinkImage(const QString& source, int W, int H) {
    ShrunkImage shrunk;
    try {
        TPixelGraphic decoded;
        const QSize original = decode(source, W, H, decoded);
        auto thumbnail = std::make_shared<TPixelGraphic>();
        const QSize size = calculatedimensions(original.width(), original.height(), W, H);
        if (size == QSize(decoded.GetWidth(), decoded.GetHeight()) && decoded.GetBitCount() == 24) {
            thumbnail->Assign(&decoded);
        } else {
            ShrinkSmoothly(decoded, *thumbnail, std::max(1, size.width()), std::max(1, size.height()));
        }
        shrunk.Pixels = std::move(thumbnail);
        shrunk.Outcome = ShrunkImage::Result::Made;
    } catch (...) {
        // Whatever a codec throws is this image's failure: on a worker thread an escaping
        // exception would end the program.
        shrunk.Outcome = ShrunkImage::Result::Unreadable;
    }
    return shrunk;
}

bool writeThumbnail(TPixelGraphic& thumbnail, const QString& target, int quality, platform::ReplacementBatch* step) {
    try {
        JpegQuality = uint8_t(std::clamp(quality, 1, 100));
        JpegProgressive = true;
        thumbnail.SetColorResolutionMode(0);
        QBuffer encoded;
        encoded.open(QIODevice::WriteOnly);
        {
            const std::lock_guard lock(registryInUse);
            thumbnail.SaveToStreamExt(encoded, "jpg");
        }
        return writeBuildFile(target, encoded.data(), step);
    } catch (const std::exception&) {
        return false;
    }
}

bool askToContinueAfterThumbnailError() {
    return platform::messageBox(
               "Error encountered creating thumbnail.  Please "
               "ensure you have sufficient disk space.  Do you "
               "want to continue processing your images?",
               platform::MessageKind::Warning, platform::MessageButtons::YesNo) == platform::MessageResult::Yes;
}

bool createthumbnail(const QString& source, const QString& target, int W, int H, int quality) {
    platform::Hourglass hourglass;
    ShrunkImage shrunk = shrinkImage(source, W, H);
    if (shrunk.Outcome == ShrunkImage::Result::Made && writeThumbnail(*shrunk.Pixels, target, quality)) return true;
    return askToContinueAfterThumbnailError();
}
