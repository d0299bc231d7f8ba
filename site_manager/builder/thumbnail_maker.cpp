#include "site_manager/builder/thumbnail_maker.h"

#include "imaging/formats/jpeg_format.h"
#include "imaging/pg_canvas.h"
#include "imaging/pixel_graphic.h"
#include "platform/dialogs.h"
#include "platform/hourglass.h"
#include "site_manager/builder/thumbnail_sizing.h"
#include "site_manager/image_conversion.h"

#include <exception>
#include <stdexcept>

namespace {

// Decodes the source once, at a reduced size when it is a JPEG, and resamples it into the box.
void makeThumbnail(const QString& source, int W, int H, TPixelGraphic& thumbnail) {
    TPixelGraphic decoded;
    if (IsJpegFile(source)) {
        LoadJpegFileScaled(
            source, decoded, [W, H](int fullWidth, int fullHeight) { return JpegScaleFor(fullWidth, fullHeight, W, H); },
            true);
        decoded.SetStretchMode(smMedium);
        thumbnail.SetStretchMode(smMedium);
    } else {
        decoded.SetFastJpegDct(true);
        decoded.LoadFromFile(source);
    }
    const QSize size = calculatedimensions(decoded.GetWidth(), decoded.GetHeight(), W, H);
    if (size == QSize(decoded.GetWidth(), decoded.GetHeight()) && decoded.GetBitCount() == 24) {
        thumbnail.Assign(&decoded);
        return;
    }
    thumbnail.SetSize(std::max(1, size.width()), std::max(1, size.height()), pf24Bit);
    thumbnail.StretchFrom(decoded);
}

}  // namespace

bool createthumbnail(const QString& source, const QString& target, int W, int H, int quality) {
    platform::Hourglass hourglass;
    bool result = true;
    try {
        TPixelGraphic thumbnail;
        makeThumbnail(source, W, H, thumbnail);
        if (!savetojpeg(thumbnail, target, true, quality)) throw std::runtime_error("thumbnail not saved");
    } catch (const std::exception&) {
        result = platform::messageBox(
                     "Error encountered creating thumbnail.  Please ensure you have sufficient disk space.  Do you "
                     "want to continue processing your images?",
                     platform::MessageKind::Warning, platform::MessageButtons::YesNo) == platform::MessageResult::Yes;
    }
    FreeAllCanvasHandles();
    return result;
}
