// Building a GIF frame from a bitmap: the bitmap's colours become the local colour table and its
// pixels the frame's indices. Bitmaps of more than 8 bits per pixel are first reduced to 8 bits.
#include "imaging/formats/gif_image.h"
#include "imaging/formats/gif_subimage.h"

#include <cstring>

namespace {

bool isOneBit(QImage::Format f) { return f == QImage::Format_Mono || f == QImage::Format_MonoLSB; }

}  // namespace

void TGIFSubImage::Assign(const QImage& Source) {
    Clear();
    if (Source.isNull() || Source.width() < 1 || Source.height() < 1) return;
    if (Source.width() > 0xFFFF || Source.height() > 0xFFFF) RaiseGIFError(QString::fromLatin1(BitmapNotValidText));
    NewBitmap();
    *Bitmap = Source.copy();
    if (Bitmap->isNull()) RaiseGIFError(GIFMessageText(GifMessage::DibMemoryAllocationFailed));
    if (!isOneBit(Bitmap->format()) && Bitmap->format() != QImage::Format_Indexed8) {
        // The colours are reduced to 8 bits: exactly when there are at most 256 of them.
        *Bitmap = Bitmap->convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither | Qt::AvoidDither);
        if (Bitmap->isNull()) RaiseGIFError(GIFMessageText(GifMessage::DibMemoryAllocationFailed));
    }
    SetWidth(Source.width());
    SetHeight(Source.height());
    NewImage();

    const QString message = GIFMessageText(GifMessage::Converting);
    if (Image) Image->Progress(this, GifProgressStage::Starting, 0, false, QRect(0, 0, 0, 0), message);
    try {
        ColorMap.ImportPalette(Bitmap->colorTable());
        ConvertRows(*Bitmap);
    } catch (...) {
        if (Image)
            Image->Progress(this, GifProgressStage::Ending, 0, Image->PaletteModified, QRect(0, 0, 0, 0), message);
        throw;
    }
    if (Image) Image->Progress(this, GifProgressStage::Ending, 100, Image->PaletteModified, QRect(0, 0, 0, 0), message);
}

void TGIFSubImage::ConvertRows(const QImage& Source) {
    const int width = Width(), height = Height();
    const QString message = GIFMessageText(GifMessage::Converting);
    const QImage::Format format = Source.format();
    for (int y = 0; y < height; ++y) {
        if (y % 32 == 0 && Image)
            Image->Progress(this, GifProgressStage::Running, y * 100 / height, false, QRect(0, 0, 0, 0), message);
        const uint8_t* row = Source.constScanLine(y);
        uint8_t* out = Data.data() + int64_t(y) * width;
        if (format == QImage::Format_Indexed8) {
            std::memcpy(out, row, size_t(width));
        } else if (format == QImage::Format_Mono) {
            for (int x = 0; x < width; ++x) out[x] = (row[x / 8] >> (7 - x % 8)) & 1;
        } else {
            for (int x = 0; x < width; ++x) out[x] = (row[x / 8] >> (x % 8)) & 1;
        }
    }
}
