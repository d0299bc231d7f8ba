// Reading of Targa files. The 18-byte header and the colour map description are checked before
// anything is allocated; all data come through a checked 1024-byte buffer. A run-length packet
// that reaches past the end of a row carries on into the next row, as encoders write them.
#include "imaging/formats/tga_format.h"

#include "imaging/formats/fresh_pixels.h"
#include "imaging/formats/palette_cover.h"
#include "imaging/formats/reader_progress.h"
#include "imaging/formats/stream_byte_reader.h"
#include "imaging/imaging_init.h"
#include "imaging/pg_messages.h"
#include "imaging/pixel_graphic.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

[[noreturn]] void raiseTga(const QString& text) { throw EPGTGAFileFormatReader(QStringLiteral("TGA: ") + text); }

constexpr uint8_t RunLengthBit = 8;     // in the image type
constexpr uint8_t RightToLeftBit = 16;  // in the image descriptor
constexpr uint8_t TopToBottomBit = 32;

struct TgaHeader {
    uint8_t IdLength = 0;
    uint8_t ColorMapType = 0;
    uint8_t ImageType = 0;
    int FirstEntry = 0;
    int MapLength = 0;
    int EntryBits = 0;
    int Width = 0;
    int Height = 0;
    int Depth = 0;
    uint8_t Descriptor = 0;
};

TgaHeader parseHeader(const uint8_t* b) {
    auto word = [b](int at) { return int(b[at] | (b[at + 1] << 8)); };
    TgaHeader h;
    h.IdLength = b[0];
    h.ColorMapType = b[1];
    h.ImageType = b[2];
    h.FirstEntry = word(3);
    h.MapLength = word(5);
    h.EntryBits = b[7];
    h.Width = word(12);
    h.Height = word(14);
    h.Depth = b[16];
    h.Descriptor = b[17];
    return h;
}

enum class HeaderCheck {
    Accepted,
    BadDepth,     // a pixel depth other than 8, 16, 24 or 32
    EmptySize,    // width or height 0: nothing to read
    TooLarge,     // more pixels than the library holds
    BadColorMap   // the first entry lies beyond the map's length, or entries of an unknown size
};

bool readsColorMap(const TgaHeader& h) { return h.Depth == 8 && h.ColorMapType == 1; }

HeaderCheck checkHeader(const TgaHeader& h) {
    if (h.Depth != 8 && h.Depth != 16 && h.Depth != 24 && h.Depth != 32) return HeaderCheck::BadDepth;
    if (h.Width == 0 || h.Height == 0) return HeaderCheck::EmptySize;
    if (!TPixelGraphic::WithinPixelLimit(h.Width, h.Height)) return HeaderCheck::TooLarge;
    if (readsColorMap(h) && (h.FirstEntry > h.MapLength || (h.EntryBits != 16 && h.EntryBits != 24 && h.EntryBits != 32)))
        return HeaderCheck::BadColorMap;
    return HeaderCheck::Accepted;
}

// True when the bytes left could hold the pixels at all: uncompressed pixels take their full
// size, run-length packets at most 128 pixels for a header byte and one pixel value. A header
// claiming more is refused before the pixels are allocated.
bool dataCanFill(const TgaHeader& h, int64_t bytesLeft) {
    const int64_t pixels = int64_t(h.Width) * h.Height, size = h.Depth / 8;
    const int64_t needed = (h.ImageType & RunLengthBit) ? (pixels + 127) / 128 * (1 + size) : pixels * size;
    return needed <= bytesLeft;
}

TColor color555(uint16_t v) {
    return pgRGB(uint8_t(((v >> 10) & 31) << 3), uint8_t(((v >> 5) & 31) << 3), uint8_t((v & 31) << 3));
}

// Pixels of the general path as a run-length stream; a packet's rest is kept for the next row.
class PixelSource {
public:
    PixelSource(TStreamByteReader& in, int bytesPerPixel, bool encoded)
        : In(in), Size(bytesPerPixel), Encoded(encoded) {}

    void Row(uint8_t* target, int count) {
        if (!Encoded) {
            In.Read(target, int64_t(count) * Size);
            return;
        }
        while (count > 0) {
            if (Left == 0) {
                const uint8_t header = In.Byte();
                Left = (header & 127) + 1;
                Repeat = (header & 128) != 0;
                if (Repeat) In.Read(Value, Size);
            }
            const int take = std::min(Left, count);
            if (Repeat) {
                for (int i = 0; i < take; ++i, target += Size) std::memcpy(target, Value, size_t(Size));
            } else {
                In.Read(target, int64_t(take) * Size);
                target += take * Size;
            }
            Left -= take;
            count -= take;
        }
    }

private:
    TStreamByteReader& In;
    int Size;
    bool Encoded;
    int Left = 0;  // pixels of the current packet not yet given out
    bool Repeat = false;
    uint8_t Value[4] = {};
};

void storeRow(const uint8_t* pixels, int width, int depth, bool mirrored, uint8_t* row) {
    for (int i = 0; i < width; ++i) {
        const int x = mirrored ? width - 1 - i : i;
        if (depth == 8) {
            row[x] = pixels[i];
            continue;
        }
        uint8_t* p = row + 3 * x;
        if (depth == 16) {
            const TColor c = color555(uint16_t(pixels[2 * i] | (pixels[2 * i + 1] << 8)));
            p[0] = pgBlue(c);
            p[1] = pgGreen(c);
            p[2] = pgRed(c);
        } else {
            const uint8_t* s = pixels + i * (depth / 8);
            p[0] = s[0];
            p[1] = s[1];
            p[2] = s[2];
        }
    }
}

TgaHeader readHeader(TStreamByteReader& in) {
    uint8_t bytes[18];
    in.Read(bytes, 18);
    return parseHeader(bytes);
}

// The colour map: entries from its start, then the read position after the whole map.
std::vector<TColor> readColorMap(TStreamByteReader& in, const TgaHeader& h) {
    std::vector<TColor> colours;
    const int64_t mapBytes = int64_t(h.MapLength) * h.EntryBits / 8;
    if (!readsColorMap(h)) {
        if (h.ColorMapType == 1) in.Skip(mapBytes);
        return colours;
    }
    const int64_t end = in.Position() + mapBytes;
    const int count = std::min(h.MapLength - h.FirstEntry, 256);
    for (int i = 0; i < count; ++i) {
        if (h.EntryBits == 16) {
            colours.push_back(color555(in.WordLE()));
        } else {
            const uint8_t b = in.Byte(), g = in.Byte(), r = in.Byte();
            if (h.EntryBits == 32) in.Byte();
            colours.push_back(pgRGB(r, g, b));
        }
    }
    in.Seek(end);
    return colours;
}

}  // namespace

TTGAFileFormatReader::TTGAFileFormatReader() {
    Extension = QStringLiteral("tga");
    Description = QStringLiteral("Truevision Targa");
    HasSignature = false;
}

void TTGAFileFormatReader::Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) {
    if (ImageIndex != 0) raiseTga(FormatMessage1(7, QStringLiteral("Index")));
    Graphic.SetImageGamma(DisplayGamma);
    TStreamByteReader in(Stream, 1024, [] { raiseTga(GetMessageText(32)); });
    const TgaHeader h = readHeader(in);
    switch (checkHeader(h)) {
    case HeaderCheck::Accepted: break;
    case HeaderCheck::TooLarge: raiseTga(FormatMessage1(27, QStringLiteral("image")));
    default: raiseTga(GetMessageText(30));
    }
    in.Skip(h.IdLength);
    const std::vector<TColor> colours = readColorMap(in, h);
    if (!dataCanFill(h, in.StreamSize() - in.Position())) raiseTga(GetMessageText(32));
    Graphic.SetSize(h.Width, h.Height, h.Depth == 8 ? PixelFormat8Bit : PixelFormat24Bit);
    PrepareFreshPixels(Graphic);
    if (h.Depth == 8 && readsColorMap(h)) {
        Graphic.SetPaletteCount(int(colours.size()));
        for (int i = 0; i < int(colours.size()); ++i) Graphic.SetPaletteColor(i, colours[size_t(i)]);
    } else if (h.Depth == 8) {
        Graphic.SetPaletteIdent(pGray256);
    }
    TPaletteCoverScope cover(Graphic);
    const bool encoded = (h.ImageType & RunLengthBit) != 0;
    const bool mirrored = (h.Descriptor & RightToLeftBit) != 0;
    const bool topDown = (h.Descriptor & TopToBottomBit) != 0;
    const bool fast = !encoded && !mirrored && (h.Depth == 8 || h.Depth == 24);
    const int bytesPerPixel = h.Depth / 8;
    std::vector<uint8_t> pixels(fast ? 0 : size_t(h.Width) * size_t(bytesPerPixel));
    PixelSource source(in, bytesPerPixel, encoded);
    TProgressScope progress(Graphic);
    for (int r = 0; r < h.Height; ++r) {
        uint8_t* row = Graphic.GetScanLine(topDown ? r : h.Height - 1 - r);
        if (fast) {
            in.Read(row, int64_t(h.Width) * bytesPerPixel);
        } else {
            source.Row(pixels.data(), h.Width);
            storeRow(pixels.data(), h.Width, h.Depth, mirrored, row);
        }
        if (progress.Row(r, h.Height)) break;
    }
}

void TTGAFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) {
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    if (ImageIndex != 0) raiseTga(FormatMessage1(20, QStringLiteral("Index")));
    TStreamByteReader in(Stream, 1024, [] { raiseTga(GetMessageText(32)); });
    const TgaHeader h = readHeader(in);
    const QString uncompressed = QStringLiteral("Uncompressed"), encoded = QStringLiteral("Run-length encoded");
    const QString blackWhite = QStringLiteral("\"Black-and-white\"");
    switch (h.ImageType) {
    case 1: Info.Details = uncompressed, Info.SubFormat = QStringLiteral("Color-mapped"); break;
    case 2: Info.Details = uncompressed, Info.SubFormat = QStringLiteral("True-color"); break;
    case 3: Info.Details = uncompressed, Info.SubFormat = blackWhite; break;
    case 9: Info.Details = encoded, Info.SubFormat = QStringLiteral("Color-mapped"); break;
    case 10: Info.Details = encoded, Info.SubFormat = QStringLiteral("True-color"); break;
    case 11: Info.Details = encoded, Info.SubFormat = blackWhite; break;
    default: raiseTga(FormatMessage1(20, QStringLiteral("ImageType")));
    }
    Info.Width = h.Width;
    Info.Height = h.Height;
    Info.BitCount = h.Depth;
    Info.ColorsText = h.Depth <= 23 ? QString::number(1u << h.Depth)
                      : h.Depth == 24 ? QStringLiteral("16.7M")
                                      : QStringLiteral("16.7M ?");
}
