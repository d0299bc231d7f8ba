// TPixelGraphic: clipboard exchange as packed device-independent bitmaps.
#include "imaging/pixel_graphic.h"

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

uint32_t get32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
uint16_t get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }

[[noreturn]] void raiseDib(int message) {
    throw EPGBMPFileFormatReader(QStringLiteral("BMP: ") + GetMessageText(message));
}

void readExactly(QIODevice& stream, void* buffer, qint64 count) {
    if (stream.read(static_cast<char*>(buffer), count) != count) raiseDib(32);
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

void TPixelGraphic::LoadFromDIBStream(QIODevice& Stream) {
    uint8_t header[40];
    readExactly(Stream, header, 4);
    const uint32_t headerSize = get32(header);
    if (headerSize < 40 || headerSize > 4096) raiseDib(33);
    readExactly(Stream, header + 4, 36);
    if (!Stream.skip(qint64(headerSize) - 40) && headerSize > 40) raiseDib(32);
    const int32_t width = int32_t(get32(header + 4));
    const int32_t rawHeight = int32_t(get32(header + 8));
    const int bitCount = get16(header + 14);
    const uint32_t compression = get32(header + 16);
    uint32_t colours = get32(header + 32);
    if (compression != 0) raiseDib(39);
    const int format = BitCountToPixelFormat(bitCount);
    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -int64_t(rawHeight) : rawHeight;
    if (width <= 0 || height <= 0) raiseDib(35);
    if (height > INT32_MAX) raiseDib(35);
    const int maxColours = bitCount == 24 ? 0 : 1 << bitCount;
    if (colours == 0) colours = uint32_t(maxColours);
    if (colours > 256) raiseDib(36);
    std::vector<uint8_t> quads(size_t(colours) * 4);
    if (colours > 0) readExactly(Stream, quads.data(), qint64(quads.size()));
    // Refuse before allocating when the data cannot hold the rows it claims.
    const int64_t rowBytes = ((int64_t(bitCount) * width + 31) / 32) * 4;
    if (!Stream.isSequential() && Stream.size() - Stream.pos() < rowBytes * height) raiseDib(32);
    SetSize(width, int(height), TPGPixelFormat(format));
    if (format != PixelFormat24Bit) {
        SetPaletteCount(int(std::min<uint32_t>(colours, uint32_t(maxColours))));
        for (int i = 0; i < PaletteCount; ++i)
            SetPaletteColor(i, pgRGB(quads[size_t(i) * 4 + 2], quads[size_t(i) * 4 + 1], quads[size_t(i) * 4]));
    }
    for (int row = 0; row < Height; ++row) {
        // Stored rows are bottom-up unless the height is negative.
        uint8_t* target = Bits + size_t(topDown ? Height - 1 - row : row) * size_t(BytesPerLine);
        readExactly(Stream, target, BytesPerLine);
    }
    Changed();
}

void TPixelGraphic::LoadFromClipboardFormat(int Format, const QByteArray* Data) {
    if ((Format != CF_BITMAP && Format != CF_DIB) || !Data) throw EPGUnknownClipboardFormat(GetMessageText(4));
    BeginUpdate();
    try {
        QBuffer buffer;
        buffer.setData(*Data);
        buffer.open(QIODevice::ReadOnly);
        LoadFromDIBStream(buffer);
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
