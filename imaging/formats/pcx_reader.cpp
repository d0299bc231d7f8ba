// Reading of Paintbrush files. The 128-byte header is checked as a whole (layout, window and
// bytes per line) before anything is allocated; the run-length data come through a checked
// 1024-byte buffer.
#include "imaging/formats/pcx_format.h"

#include "imaging/formats/fresh_pixels.h"
#include "imaging/formats/reader_progress.h"
#include "imaging/formats/stream_byte_reader.h"
#include "imaging/imaging_init.h"
#include "imaging/pg_messages.h"
#include "imaging/pixel_graphic.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

[[noreturn]] void raisePcx(const QString& text) { throw EPGPCXFileFormatReader(QStringLiteral("PCX: ") + text); }

constexpr int HeaderSize = 128;
constexpr int PaletteBlockSize = 769;  // the marker 12 and 256 red, green, blue entries
constexpr uint8_t PaletteMarker = 12;

struct PcxHeader {
    uint8_t Manufacturer = 0;
    uint8_t Version = 0;
    uint8_t BitsPerPlane = 0;
    int64_t Width = 0;   // xmax - xmin + 1
    int64_t Height = 0;  // ymax - ymin + 1
    std::array<uint8_t, 48> Palette16{};
    uint8_t Reserved = 0;
    uint8_t Planes = 0;
    int BytesPerLine = 0;  // per plane
    int PaletteInfo = 0;
};

PcxHeader parseHeader(const uint8_t* b) {
    auto word = [b](int at) { return int(b[at] | (b[at + 1] << 8)); };
    PcxHeader h;
    h.Manufacturer = b[0];
    h.Version = b[1];
    h.BitsPerPlane = b[3];
    h.Width = int64_t(word(8)) - word(4) + 1;
    h.Height = int64_t(word(10)) - word(6) + 1;
    std::memcpy(h.Palette16.data(), b + 16, 48);
    h.Reserved = b[64];
    h.Planes = b[65];
    h.BytesPerLine = word(66);
    h.PaletteInfo = word(68);
    return h;
}

enum class Layout { Unknown, Bits1, Bits4, Bits8, Bits24 };

Layout layoutOf(const PcxHeader& h) {
    if (h.BitsPerPlane == 1 && h.Planes == 1) return Layout::Bits1;
    if (h.BitsPerPlane == 1 && h.Planes == 4) return Layout::Bits4;
    if (h.BitsPerPlane == 8 && h.Planes == 1) return Layout::Bits8;
    if (h.BitsPerPlane == 8 && h.Planes == 3) return Layout::Bits24;
    return Layout::Unknown;
}

enum class HeaderCheck {
    Accepted,
    UnknownSubformat,  // palette information, reserved byte or plane layout not readable
    BadWindow,         // an empty or inverted window
    TooLarge,          // more pixels than the library holds
    ShortLines         // bytes per line too few for the width: the rows would not fit the line
};

HeaderCheck checkLayout(const PcxHeader& h) {
    if (h.PaletteInfo != 1 || h.Reserved != 0 || layoutOf(h) == Layout::Unknown) return HeaderCheck::UnknownSubformat;
    return HeaderCheck::Accepted;
}

HeaderCheck checkSizes(const PcxHeader& h) {
    if (h.Width <= 0 || h.Height <= 0) return HeaderCheck::BadWindow;
    if (!TPixelGraphic::WithinPixelLimit(h.Width, h.Height)) return HeaderCheck::TooLarge;
    const int64_t needed = h.BitsPerPlane == 1 ? (h.Width + 7) / 8 : h.Width;
    if (h.BytesPerLine < needed) return HeaderCheck::ShortLines;
    return HeaderCheck::Accepted;
}

// True when the bytes left could hold the lines at all: a run of two bytes gives at most 63 and
// runs end at the end of a line. A header claiming more is refused before the pixels are allocated.
bool dataCanFill(const PcxHeader& h, int64_t bytesLeft) {
    const int64_t lineLength = int64_t(h.Planes) * h.BytesPerLine;
    return (lineLength + 62) / 63 * 2 * h.Height <= bytesLeft;
}

TPGPixelFormat pixelFormatOf(Layout layout) {
    switch (layout) {
    case Layout::Bits1: return PixelFormat1Bit;
    case Layout::Bits4: return PixelFormat4Bit;
    case Layout::Bits8: return PixelFormat8Bit;
    default: return PixelFormat24Bit;
    }
}

PcxHeader readHeader(QIODevice& stream) {
    uint8_t bytes[HeaderSize];
    if (stream.read(reinterpret_cast<char*>(bytes), HeaderSize) != HeaderSize) raisePcx(GetMessageText(32));
    return parseHeader(bytes);
}

// The palette block at the end of the file; false when the marker is missing. The stream position
// is restored either way.
bool readEndPalette(QIODevice& stream, std::array<uint8_t, 768>& palette) {
    const qint64 position = stream.pos();
    const qint64 size = stream.size();
    uint8_t block[PaletteBlockSize];
    const bool ok = size - PaletteBlockSize >= position && stream.seek(size - PaletteBlockSize) &&
                    stream.read(reinterpret_cast<char*>(block), PaletteBlockSize) == PaletteBlockSize &&
                    block[0] == PaletteMarker;
    stream.seek(position);
    if (ok) std::memcpy(palette.data(), block + 1, 768);
    return ok;
}

// Decodes one line of planes x bytes-per-line bytes; a run crossing the end is cut there. The
// buffered input is decoded in place; only a run whose two bytes straddle a refill goes byte-wise.
void decodeLine(TStreamByteReader& in, uint8_t* line, int length) {
    int filled = 0;
    while (filled < length) {
        int available = 0;
        const uint8_t* p = in.Window(available);
        const uint8_t* const start = p;
        const uint8_t* const end = p + available;
        while (filled < length && p < end) {
            const uint8_t value = *p;
            if (value < 192) {
                line[filled++] = value;
                ++p;
                continue;
            }
            if (p + 1 == end) break;
            const int count = std::min(value & 63, length - filled);
            std::memset(line + filled, p[1], size_t(count));
            filled += count;
            p += 2;
        }
        in.Advance(int(p - start));
        if (filled < length && p + 1 == end && *p >= 192) {
            const int count = std::min(in.Byte() & 63, length - filled);
            std::memset(line + filled, in.Byte(), size_t(count));
            filled += count;
        }
    }
}

void storeRow(Layout layout, const uint8_t* line, int lineLength, int width, uint8_t* row) {
    switch (layout) {
    case Layout::Bits1: {
        const int bytes = (width + 7) / 8;
        std::memcpy(row, line, size_t(bytes));
        if (width % 8) row[bytes - 1] &= uint8_t(0xFF << (8 - width % 8));
        break;
    }
    case Layout::Bits4: {
        const int plane = lineLength / 4;
        std::memset(row, 0, size_t((width + 1) / 2));
        for (int x = 0; x < width; ++x) {
            const int bit = 7 - x % 8;
            int index = 0;
            for (int k = 0; k < 4; ++k) index |= ((line[k * plane + x / 8] >> bit) & 1) << k;
            row[x / 2] |= uint8_t(x % 2 ? index : index << 4);
        }
        break;
    }
    case Layout::Bits8: std::memcpy(row, line, size_t(width)); break;
    case Layout::Bits24: {
        const uint8_t* red = line;
        const uint8_t* green = line + lineLength / 3;
        const uint8_t* blue = line + 2 * (lineLength / 3);
        for (int x = 0; x < width; ++x, row += 3) {
            row[0] = blue[x];
            row[1] = green[x];
            row[2] = red[x];
        }
        break;
    }
    case Layout::Unknown: break;
    }
}

void setPalette(TPixelGraphic& graphic, const uint8_t* rgb, int count) {
    graphic.SetPaletteCount(count);
    for (int i = 0; i < count; ++i) graphic.SetPaletteColor(i, pgRGB(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]));
}

}  // namespace

TPCXFileFormatReader::TPCXFileFormatReader() {
    Extension = QStringLiteral("pcx");
    Description = QStringLiteral("Paintbrush");
    HasSignature = true;
}

// Beyond the manufacturer byte, the version, the run-length encoding byte and the bits per plane
// must be ones this reader knows: other files that begin with 10 (a Targa file with a 10-byte ID
// field) are left to their own readers.
bool TPCXFileFormatReader::IsFormat(const uint8_t* Header) const {
    const uint8_t version = Header[1], encoding = Header[2], bitsPerPlane = Header[3];
    const bool knownVersion = version == 0 || (version >= 2 && version <= 5);
    return Header[0] == 10 && knownVersion && encoding == 1 && (bitsPerPlane == 1 || bitsPerPlane == 8);
}

void TPCXFileFormatReader::Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) {
    if (ImageIndex != 0) raisePcx(FormatMessage1(7, QStringLiteral("Index")));
    Graphic.SetImageGamma(DisplayGamma);
    const PcxHeader h = readHeader(Stream);
    if (checkLayout(h) != HeaderCheck::Accepted) raisePcx(GetMessageText(33));
    switch (checkSizes(h)) {
    case HeaderCheck::Accepted: break;
    case HeaderCheck::TooLarge: raisePcx(FormatMessage1(27, QStringLiteral("image")));
    default: raisePcx(GetMessageText(33));
    }
    const Layout layout = layoutOf(h);
    std::array<uint8_t, 768> palette{};
    if (layout == Layout::Bits8 && !readEndPalette(Stream, palette)) raisePcx(GetMessageText(33));
    if (!dataCanFill(h, Stream.size() - Stream.pos())) raisePcx(GetMessageText(32));
    const int width = int(h.Width), height = int(h.Height);
    Graphic.SetSize(width, height, pixelFormatOf(layout));
    PrepareFreshPixels(Graphic);
    if (layout == Layout::Bits1) {
        Graphic.SetPaletteIdent(pBlackWhite);
    } else if (layout == Layout::Bits4) {
        if (h.Version == 3) Graphic.SetPaletteIdent(pSys16);
        else setPalette(Graphic, h.Palette16.data(), 16);
    } else if (layout == Layout::Bits8) {
        setPalette(Graphic, palette.data(), 256);
    }
    const int lineLength = h.Planes * h.BytesPerLine;
    std::vector<uint8_t> line(static_cast<size_t>(lineLength));
    TStreamByteReader in(Stream, 1024, [] { raisePcx(GetMessageText(32)); });
    TProgressScope progress(Graphic);
    for (int y = 0; y < height; ++y) {
        decodeLine(in, line.data(), lineLength);
        storeRow(layout, line.data(), lineLength, width, Graphic.GetScanLine(y));
        if (progress.Row(y, height)) break;
    }
}

void TPCXFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) {
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    if (ImageIndex != 0) raisePcx(FormatMessage1(20, QStringLiteral("Index")));
    const PcxHeader h = readHeader(Stream);
    if (h.PaletteInfo != 1 || h.Reserved != 0) raisePcx(GetMessageText(33));
    Info.BitCount = h.Planes * h.BitsPerPlane;
    Info.Width = int(std::clamp<int64_t>(h.Width, 0, INT32_MAX));
    Info.Height = int(std::clamp<int64_t>(h.Height, 0, INT32_MAX));
    switch (h.Version) {
    case 0: Info.Details = QStringLiteral("Version 2.5 (0)"); break;
    case 2: Info.Details = QStringLiteral("Version 2.8 (2) with Palette"); break;
    case 3: Info.Details = QStringLiteral("Version 2.8 (3) without Palette"); break;
    case 5: Info.Details = QStringLiteral("Version 3.0 (5)"); break;
    default: break;
    }
    Info.ColorsText = Info.BitCount == 24 ? QStringLiteral("16.7M")
                                          : QString::number(uint64_t(1) << std::min(Info.BitCount, 63));
}
