// TPixelGraphic: packed device-independent bitmaps, read and written, and the clipboard exchange
// built on them.
#include "imaging/pixel_graphic.h"

#include "imaging/formats/bmp_format.h"
#include "imaging/imaging_init.h"
#include "imaging/pg_messages.h"

#include <QBuffer>
#include <QByteArray>

#include <cstring>

namespace {

void put16(QByteArray& out, uint16_t v) {
    out.append(char(v));
    out.append(char(v >> 8));
}

void put32(QByteArray& out, uint32_t v) {
    for (int k = 0; k < 4; ++k) out.append(char(v >> (8 * k)));
}

}  // namespace

void TPixelGraphic::SaveToDIBStream(QIODevice& Stream) {
    GdiFlush();
    QByteArray header;
    put32(header, 40);
    put32(header, uint32_t(Width));
    put32(header, uint32_t(Height));
    put16(header, 1);
    put16(header, uint16_t(GetBitCount()));
    put32(header, 0);
    put32(header, uint32_t(ImageSize));
    put32(header, 0);
    put32(header, 0);
    put32(header, uint32_t(PaletteCount));
    put32(header, 0);
    for (int i = 0; i < PaletteCount; ++i) {
        const TColor c = Palette[size_t(i)];
        header.append(char(pgBlue(c)));
        header.append(char(pgGreen(c)));
        header.append(char(pgRed(c)));
        header.append(char(0));
    }
    if (Stream.write(header) != header.size()) throw EPixelGraphic(FormatMessage1(31, QStringLiteral("Write")));
    if (Bits && ImageSize > 0 && Stream.write(reinterpret_cast<const char*>(Bits), ImageSize) != ImageSize)
        throw EPixelGraphic(FormatMessage1(31, QStringLiteral("Write")));
}

void TPixelGraphic::LoadFromDIBStream(QIODevice& Stream, bool CoreHeader) { ReadPackedDib(Stream, *this, CoreHeader); }

void TPixelGraphic::LoadFromClipboardFormat(int Format, const QByteArray* Data) {
    if ((Format != CF_BITMAP && Format != CF_DIB) || !Data) throw EPGUnknownClipboardFormat(GetMessageText(4));
    BeginUpdate();
    try {
        QBuffer buffer;
        buffer.setData(*Data);
        buffer.open(QIODevice::ReadOnly);
        LoadFromDIBStream(buffer, PackedDibHasCoreHeader(buffer));
        ImageGamma = DisplayGamma;
    } catch (...) {
        DetectPaletteIdent();
        EndUpdate();
        throw;
    }
    DetectPaletteIdent();
    EndUpdate();
}

void TPixelGraphic::SaveToClipboardFormat(int& Format, QByteArray& Data) {
    QByteArray block;
    block.reserve(GetDIBSize());
    QBuffer buffer(&block);
    buffer.open(QIODevice::WriteOnly);
    SaveToDIBStream(buffer);
    buffer.close();
    Data = block;
    Format = CF_DIB;
}
