#include "components/thumb_image_loader.h"

#include "imaging/formats/jpeg_format.h"
#include "imaging/formats/jpeg_orientation.h"
#include "imaging/formats/jpeg_scale.h"
#include "imaging/pg_exceptions.h"

#include <algorithm>
#include <cmath>

namespace {

// Round to nearest, halves to even (the default floating-point rounding mode).
int roundHalfEven(double value) { return int(std::nearbyint(value)); }

// Warning modes of the imaging library.
constexpr uint8_t IgnoreWarnings = 0, RaiseWarnings = 3;

// Other formats go through the registry with warnings raised; a JPEG stream that merely ends early
// still gives the part that was read.
bool loadThroughRegistry(const QString& FileName, TPixelGraphic& Decoded) {
    Decoded.SetWarningMode(RaiseWarnings);
    Decoded.SetFastJpegDct(true);
    try {
        Decoded.LoadFromFile(FileName);
    } catch (const EPixelGraphic& e) {
        if (e.message() != QStringLiteral("JPG: Premature end of JPEG file")) return false;
    }
    return true;
}

bool loadJpeg(const QString& FileName, TPixelGraphic& Decoded, int BoxWidth, int BoxHeight, int& Scale) {
    // A truncated or slightly damaged JPEG still shows what could be decoded.
    Decoded.SetWarningMode(IgnoreWarnings);
    // A phone's portrait photo is stored sideways with its turn recorded in EXIF; the thumbnail
    // shows it upright, as the built pages do. The box is measured against the upright picture,
    // the scale against the stored pixels.
    const JpegOrientation orientation = JpegFileOrientation(FileName);
    const bool swap = OrientationSwapsAxes(orientation);
    const auto choose = [BoxWidth, BoxHeight, swap](int w, int h) {
        return swap ? JpegScaleFor(w, h, BoxHeight, BoxWidth) : JpegScaleFor(w, h, BoxWidth, BoxHeight);
    };
    Scale = LoadJpegFileScaled(FileName, Decoded, choose, true).ScaleDenominator;
    ApplyOrientation(Decoded, orientation);
    return true;
}

}  // namespace

QSize FitThumbnail(int ImageWidth, int ImageHeight, int BoxWidth, int BoxHeight) {
    if (ImageWidth < 1 || ImageHeight < 1 || BoxWidth < 1 || BoxHeight < 1) return {};
    const double xRatio = double(ImageWidth) / BoxWidth, yRatio = double(ImageHeight) / BoxHeight;
    if (xRatio > yRatio) return {BoxWidth, std::max(1, roundHalfEven(ImageHeight / xRatio))};
    return {std::max(1, roundHalfEven(ImageWidth / yRatio)), BoxHeight};
}

QPoint ThumbCentringOffset(const QSize& Fitted, int BoxWidth, int BoxHeight) {
    QPoint offset;
    if (Fitted.width() < BoxWidth - 1) offset.setX(roundHalfEven((BoxWidth - Fitted.width()) / 2.0));
    if (Fitted.height() < BoxHeight - 1) offset.setY(roundHalfEven((BoxHeight - Fitted.height()) / 2.0));
    return offset;
}

std::shared_ptr<TThumbnail> MakeThumbnail(const QString& FileName, int BoxWidth, int BoxHeight, int SizeFactor) {
    if (BoxWidth < 1 || BoxHeight < 1) return nullptr;
    try {
        TPixelGraphic decoded;
        int scale = 1;
        const bool loaded = IsJpegFile(FileName) ? loadJpeg(FileName, decoded, BoxWidth, BoxHeight, scale)
                                                        : loadThroughRegistry(FileName, decoded);
        if (!loaded || decoded.GetEmpty()) return nullptr;
        const QSize fitted = FitThumbnail(decoded.GetWidth(), decoded.GetHeight(), BoxWidth, BoxHeight);
        if (fitted.isEmpty()) return nullptr;
        auto thumb = std::make_shared<TThumbnail>();
        thumb->ScaleDenominator = scale;
        thumb->Graphic.SetSize(fitted.width() * SizeFactor, fitted.height() * SizeFactor, PixelFormat24Bit);
        thumb->Graphic.StretchFrom(decoded);
        thumb->Image = thumb->Graphic.ToQImage();
        return thumb;
    } catch (const std::exception&) {
        // Undecodable files show the error picture or none; the caller decides.
        return nullptr;
    }
}

TThumbnailPtr ThumbnailFromGraphic(TPixelGraphic& Graphic) {
    if (Graphic.GetEmpty() || Graphic.GetWidth() < 1 || Graphic.GetHeight() < 1) return nullptr;
    auto thumb = std::make_shared<TThumbnail>();
    thumb->Graphic.Assign(&Graphic);
    thumb->Image = thumb->Graphic.ToQImage();
    return thumb;
}
