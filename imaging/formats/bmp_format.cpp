// BMP reader and writer. Headers are checked by small pure functions before anything is
// allocated; every byte comes through one checked input that refuses a short stream; pixel data
// is never read past its buffer nor written outside the image.
#include "imaging/formats/bmp_format.h"

#include "imaging/formats/fresh_pixels.h"
#include "imaging/formats/palette_cover.h"
#include "imaging/formats/reader_progress.h"
#include "imaging/imaging_init.h"
#include "imaging/pg_messages.h"
#include "imaging/pixel_graphic.h"

#include <QIODevice>

#include <algorithm>
#include <vector>

namespace {

[[noreturn]] void raiseBmp(const QString& text) { throw EPGBMPFileFormatReader(QStringLiteral("BMP: ") + text); }
[[noreturn]] void raiseInvalid(const char* field) { raiseBmp(FormatMessage1(7, QLatin1String(field))); }

// All reading of a bitmap goes through here; a stream that ends early raises.
class BmpInput {
public:
    explicit BmpInput(QIODevice& stream) : stream_(stream) {}

    void read(void* buffer, int64_t count) {
        if (count > 0 && stream_.read(static_cast<char*>(buffer), count) != count) raiseBmp(GetMessageText(32));
    }
    void skip(int64_t count) {
        if (count <= 0) return;
        if (!stream_.isSequential() && count > remaining()) raiseBmp(GetMessageText(32));
        std::vector<char> scratch(size_t(std::min<int64_t>(count, 65536)));
        while (count > 0) {
            const int64_t piece = std::min<int64_t>(count, int64_t(scratch.size()));
            read(scratch.data(), piece);
            count -= piece;
        }
    }
    // Refuses data the stream cannot hold before a buffer of that size is allocated.
    void requireAvailable(int64_t count) const {
        if (!stream_.isSequential() && count > remaining()) raiseBmp(GetMessageText(32));
    }
    QIODevice& device() { return stream_; }

private:
    int64_t remaining() const { return stream_.size() - stream_.pos(); }
    QIODevice& stream_;
};

inline uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

enum class Compression : uint32_t { None = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

// The fields of either header kind that reading needs.
struct DibHeader {
    bool Core = false;
    int32_t Width = 0;
    int32_t RawHeight = 0;  // negative: top-down
    uint16_t Planes = 1;
    uint16_t BitCount = 0;
    uint32_t Compression = 0;
    uint32_t SizeImage = 0;
    uint32_t ClrUsed = 0;

    int64_t height() const { return RawHeight < 0 ? -int64_t(RawHeight) : RawHeight; }
    bool topDown() const { return RawHeight < 0; }
    int64_t stride() const { return ((int64_t(BitCount) * Width + 31) / 32) * 4; }
};

DibHeader parseCoreHeader(const uint8_t* b) {
    DibHeader h;
    h.Core = true;
    h.Width = le16(b + 4);
    h.RawHeight = le16(b + 6);
    h.Planes = le16(b + 8);
    h.BitCount = le16(b + 10);
    return h;
}

DibHeader parseInfoHeader(const uint8_t* b) {
    DibHeader h;
    h.Width = int32_t(le32(b + 4));
    h.RawHeight = int32_t(le32(b + 8));
    h.Planes = le16(b + 12);
    h.BitCount = le16(b + 14);
    h.Compression = le32(b + 16);
    h.SizeImage = le32(b + 20);
    h.ClrUsed = le32(b + 32);
    return h;
}

// What is wrong with a header, if anything; each value names the field that is refused.
enum class HeaderCheck { Ok, Planes, BitCount, Compression };

HeaderCheck checkHeader(const DibHeader& h) {
    if (h.Planes != 1) return HeaderCheck::Planes;
    if (h.Core) {
        const bool bits = h.BitCount == 1 || h.BitCount == 4 || h.BitCount == 8 || h.BitCount == 24;
        return bits ? HeaderCheck::Ok : HeaderCheck::BitCount;
    }
    const int b = h.BitCount;
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32) return HeaderCheck::BitCount;
    switch (Compression(h.Compression)) {
    case Compression::None: return HeaderCheck::Ok;
    case Compression::BitFields: return b == 16 || b == 32 ? HeaderCheck::Ok : HeaderCheck::Compression;
    case Compression::Rle8: return b == 8 && !h.topDown() ? HeaderCheck::Ok : HeaderCheck::Compression;
    case Compression::Rle4: return b == 4 && !h.topDown() ? HeaderCheck::Ok : HeaderCheck::Compression;
    }
    return HeaderCheck::Compression;
}

void raiseOnBadHeader(const DibHeader& h) {
    const char* prefix = h.Core ? "BitmapCoreHeader." : "BitmapInfoHeader.";
    switch (checkHeader(h)) {
    case HeaderCheck::Ok: return;
    case HeaderCheck::Planes: raiseBmp(FormatMessage1(7, QLatin1String(prefix) + (h.Core ? "bcPlanes" : "biPlanes")));
    case HeaderCheck::BitCount:
        raiseBmp(FormatMessage1(7, QLatin1String(prefix) + (h.Core ? "bcBitCount" : "biBitCount")));
    case HeaderCheck::Compression: raiseInvalid("BitmapInfoHeader.biCompression");
    }
}

// Reads the header at the stream's position (its size field included).
DibHeader readHeader(BmpInput& in, bool core) {
    uint8_t bytes[40];
    in.read(bytes, core ? 12 : 40);
    DibHeader h = core ? parseCoreHeader(bytes) : parseInfoHeader(bytes);
    raiseOnBadHeader(h);
    return h;
}

// The 14-byte file header is skipped unchecked; the header size decides the kind.
bool readFileHeaderIsCore(BmpInput& in) {
    uint8_t fileHeader[18];
    in.read(fileHeader, 18);
    in.device().seek(in.device().pos() - 4);
    const uint32_t size = le32(fileHeader + 14);
    if (size != 12 && size != 40) raiseBmp(FormatMessage1(27, QStringLiteral("BitmapInfoHeader/BitmapCoreHeader")));
    return size == 12;
}

// One colour component of a 16- or 32-bit pixel, widened so that the mask's top bit is bit 7.
struct ChannelMask {
    uint32_t Mask = 0;
    int Shift = 0;     // > 0: shift right, < 0: shift left
    uint32_t Fill = 0; // lowest bit of the shifted mask, added to non-zero values (16 bits only)

    ChannelMask(uint32_t mask, bool fillLowBits) : Mask(mask) {
        if (!mask) return;
        int top = 31;
        while (!(mask & (1u << top))) --top;
        Shift = top - 7;
        const uint32_t shifted = apply(mask);
        if (fillLowBits && shifted) Fill = shifted & (~shifted + 1);
    }
    uint32_t apply(uint32_t value) const {
        return Shift >= 0 ? (value & Mask) >> Shift : (value & Mask) << -Shift;
    }
    uint8_t operator()(uint32_t pixel) const {
        const uint32_t v = apply(pixel);
        if (v == 0) return 0;
        return uint8_t(std::min<uint32_t>(255, v + Fill));
    }
};

// Rows are exchanged pairwise so that a top-down file stands the right way up.
void flipRows(TPixelGraphic& g) {
    std::vector<uint8_t> scratch(size_t(g.GetBytesPerLine()));
    for (int y = 0; y < g.GetHeight() / 2; ++y) {
        uint8_t* a = g.GetScanLine(y);
        uint8_t* b = g.GetScanLine(g.GetHeight() - 1 - y);
        std::copy(a, a + scratch.size(), scratch.data());
        std::copy(b, b + scratch.size(), a);
        std::copy(scratch.begin(), scratch.end(), b);
    }
}

// Uncompressed 1, 4, 8 and 24 bits: straight into the pixel memory, in ten pieces.
bool readRawPixels(BmpInput& in, TPixelGraphic& g) {
    const int64_t size = g.GetImageSize();
    bool abort = false;
    if (size <= 0) return true;
    const int64_t got = g.ReadWithProgress(in.device(), reinterpret_cast<char*>(g.GetBits()), size, abort);
    if (abort) return false;
    if (got != size) raiseBmp(GetMessageText(32));
    return true;
}

bool readMaskedPixels(BmpInput& in, TPixelGraphic& g, const DibHeader& h, const uint32_t masks[3]) {
    const bool fill = h.BitCount == 16 && DibFill16BitLowBits;
    const ChannelMask red(masks[0], fill), green(masks[1], fill), blue(masks[2], fill);
    const int width = g.GetWidth(), height = g.GetHeight();
    std::vector<uint8_t> row(size_t(h.stride()));
    for (int i = 0; i < height; ++i) {
        in.read(row.data(), int64_t(row.size()));
        uint8_t* target = g.GetScanLine(height - 1 - i);
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = h.BitCount == 16 ? le16(&row[size_t(x) * 2]) : le32(&row[size_t(x) * 4]);
            target[3 * x] = blue(pixel);
            target[3 * x + 1] = green(pixel);
            target[3 * x + 2] = red(pixel);
        }
        bool abort = false;
        g.FireProgress(i, abort, height);
        if (abort) return false;
    }
    return true;
}

// Walks RLE8 and RLE4 packets, rows counting up from the bottom of the image: Run(x, y, count,
// value) is given each run of pixels, value(k) its k-th pixel. Progress(tenth) answers false to stop.
template <typename RunSink, typename ProgressSink>
void walkRlePackets(const std::vector<uint8_t>& data, int64_t bottomRow, bool rle4, RunSink&& Run,
                    ProgressSink&& Progress) {
    const size_t size = data.size();
    const size_t tenth = size / 10;
    size_t lastTenth = 0;
    size_t pos = 0;
    int64_t x = 0, y = bottomRow;
    auto nibble = [rle4](int byte, int k) { return rle4 ? ((k & 1) ? byte & 0x0F : byte >> 4) : byte; };
    while (pos + 2 <= size) {
        if (tenth > 0 && pos / tenth > lastTenth) {
            lastTenth = std::min<size_t>(pos / tenth, 10);
            if (!Progress(int(lastTenth))) return;
        }
        const int first = data[pos], second = data[pos + 1];
        pos += 2;
        if (first > 0) {
            Run(x, y, first, [&](int k) { return nibble(second, k); });
            x += first;
            continue;
        }
        if (second == 0) {
            x = 0;
            --y;
        } else if (second == 1) {
            return;
        } else if (second == 2) {
            if (pos + 2 > size) return;
            x += data[pos];
            y -= data[pos + 1];
            pos += 2;
        } else {
            // An absolute run; pixels whose bytes the data lack are not drawn.
            const int count = second;
            const size_t bytes = rle4 ? size_t(count + 1) / 2 : size_t(count);
            const size_t available = std::min(bytes, size - pos);
            const int drawn = rle4 ? std::min(count, int(available) * 2) : int(available);
            const size_t start = pos;
            Run(x, y, drawn, [&](int k) { return nibble(data[start + (rle4 ? size_t(k) / 2 : size_t(k))], k); });
            x += drawn;
            pos += available;
            if ((pos & 1) && pos < size) ++pos;  // runs are padded to whole words
        }
    }
}

// How many pixels of a Width x Height picture the packets draw.
int64_t rlePixelsDrawn(const std::vector<uint8_t>& data, int64_t width, int64_t height, bool rle4) {
    int64_t drawn = 0;
    walkRlePackets(
        data, height - 1, rle4,
        [&](int64_t x, int64_t y, int count, auto&&) {
            if (y >= 0 && y < height && x < width) drawn += std::min<int64_t>(count, width - x);
        },
        [](int) { return true; });
    return drawn;
}

void decodeRle(const std::vector<uint8_t>& data, TPixelGraphic& g, bool rle4) {
    const int64_t width = g.GetWidth();
    walkRlePackets(
        data, int64_t(g.GetHeight()) - 1, rle4,
        [&](int64_t x, int64_t y, int count, auto&& value) {
            for (int k = 0; k < count; ++k, ++x) {
                if (rle4) {
                    if (x < width && y >= 0) g.SetPixel(int(x), int(y), uint32_t(value(k)));
                } else if (x <= INT32_MAX && y >= INT32_MIN) {
                    g.SetPixel(int(x), int(y), uint32_t(value(k)));  // drops pixels outside, or raises when asked
                }
            }
        },
        [&](int tenth) {
            bool abort = false;
            g.FireProgress(tenth, abort, 10);
            return !abort;
        });
}

// The colour table as stored: blue, green, red (and a fourth byte unless Core) per entry.
struct PaletteBytes {
    std::vector<uint8_t> Bytes;
    int EntrySize = 4;
};

PaletteBytes readPaletteBytes(BmpInput& in, int bitCount, int64_t entries, int entrySize) {
    const int64_t maxEntries = int64_t(1) << bitCount;
    in.requireAvailable(entries * entrySize);
    PaletteBytes palette{std::vector<uint8_t>(size_t(std::min(entries, maxEntries) * entrySize)), entrySize};
    in.read(palette.Bytes.data(), int64_t(palette.Bytes.size()));
    // Entries no pixel can index are skipped.
    in.skip((entries - std::min(entries, maxEntries)) * entrySize);
    return palette;
}

void applyPalette(TPixelGraphic& g, const PaletteBytes& palette) {
    const int count = int(palette.Bytes.size() / size_t(palette.EntrySize));
    g.SetPaletteCount(count);
    for (int i = 0; i < count; ++i) {
        const uint8_t* e = &palette.Bytes[size_t(i) * size_t(palette.EntrySize)];
        g.SetPaletteColor(i, pgRGB(e[2], e[1], e[0]));
    }
}

TPGPixelFormat formatOf(int bitCount) {
    switch (bitCount) {
    case 1: return PixelFormat1Bit;
    case 4: return PixelFormat4Bit;
    case 8: return PixelFormat8Bit;
    default: return PixelFormat24Bit;
    }
}

// Refuses an image larger than the library holds before allocating it. The pixel count is
// checked first, so that the byte count below stays far inside 64 bits.
void checkSize(const DibHeader& h) {
    const int64_t height = h.height();
    const int64_t bits = h.BitCount > 8 ? 24 : h.BitCount;
    if (!TPixelGraphic::WithinPixelLimit(h.Width, height)) raiseBmp(FormatMessage1(27, QStringLiteral("image")));
    const int64_t bytes = ((bits * h.Width + 31) / 32) * 4 * height;
    if (bytes > TPixelGraphic::MaxImageBytes || int64_t(h.SizeImage) > TPixelGraphic::MaxImageBytes)
        raiseBmp(FormatMessage1(27, QStringLiteral("image")));
}

void readDibBody(BmpInput& in, TPixelGraphic& g, const DibHeader& h) {
    checkSize(h);
    const int height = int(h.height());
    const Compression compression = Compression(h.Compression);
    const bool rle = compression == Compression::Rle8 || compression == Compression::Rle4;
    bool upright = true;
    if (h.BitCount > 8) {
        uint32_t masks[3] = {0, 0, 0};
        if (h.BitCount == 16) {
            masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
        } else if (h.BitCount == 32) {
            masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
        }
        if (compression == Compression::BitFields) {
            uint8_t bytes[12];
            in.read(bytes, 12);
            for (int k = 0; k < 3; ++k) masks[k] = le32(bytes + 4 * k);
        }
        in.skip(int64_t(h.ClrUsed) * 4);
        in.requireAvailable(h.stride() * h.height());
        g.SetSize(h.Width, height, PixelFormat24Bit);
        PrepareFreshPixels(g);
        g.SetPaletteIdent(pTrueColor);
        // An image without rows or columns has no pixels to read (and no row buffer to allocate).
        if (g.GetEmpty()) return;
        upright = h.BitCount == 24 ? readRawPixels(in, g) : readMaskedPixels(in, g, h, masks);
    } else {
        const TPGPixelFormat format = formatOf(h.BitCount);
        const int64_t entries = h.Core || h.ClrUsed == 0 ? (int64_t(1) << h.BitCount) : int64_t(h.ClrUsed);
        in.requireAvailable(entries * (h.Core ? 3 : 4) + (rle ? int64_t(h.SizeImage) : h.stride() * h.height()));
        const PaletteBytes palette = readPaletteBytes(in, h.BitCount, entries, h.Core ? 3 : 4);
        if (rle) {
            // The packets are read before the pixels are made: data that leave a large picture
            // almost empty are damaged (end-of-bitmap and delta packets can skip any part of it)
            // and are refused before anything is allocated.
            std::vector<uint8_t> data(h.SizeImage);
            bool abort = false;
            const int64_t got = g.ReadWithProgress(in.device(), reinterpret_cast<char*>(data.data()), int64_t(data.size()), abort);
            if (got != int64_t(data.size()) && !abort) raiseBmp(GetMessageText(32));
            const bool rle4 = compression == Compression::Rle4;
            if (!abort && !TPixelGraphic::EnoughPixelsDrawn(rlePixelsDrawn(data, h.Width, height, rle4),
                                                            int64_t(h.Width) * height))
                raiseBmp(GetMessageText(32));
            g.SetSize(h.Width, height, format);
            PrepareFreshPixels(g);  // pixels no packet reaches stay at index 0
            applyPalette(g, palette);
            if (!abort) decodeRle(data, g, rle4);
        } else {
            g.SetSize(h.Width, height, format);
            PrepareFreshPixels(g);  // pixels a short file leaves stay at index 0
            applyPalette(g, palette);
            upright = readRawPixels(in, g);
        }
    }
    if (h.topDown() && upright) flipRows(g);
    g.Changed();
}

const QString BmpDescription = QStringLiteral("Bitmap");

}  // namespace

void ReadPackedDib(QIODevice& Stream, TPixelGraphic& Graphic, bool CoreHeader) {
    Graphic.GetBits();  // flushes pending drawing
    TProgressScope progress(Graphic);
    TPaletteCoverScope cover(Graphic);  // indices past a short colour table show black
    BmpInput in(Stream);
    const DibHeader header = readHeader(in, CoreHeader);
    readDibBody(in, Graphic, header);
}

bool PackedDibHasCoreHeader(QIODevice& Stream) {
    uint8_t size[4];
    if (Stream.peek(reinterpret_cast<char*>(size), 4) != 4) raiseBmp(GetMessageText(32));
    if (le32(size) != 12 && le32(size) != 40)
        raiseBmp(FormatMessage1(27, QStringLiteral("BitmapInfoHeader/BitmapCoreHeader")));
    return le32(size) == 12;
}

TBMPFileFormatReader::TBMPFileFormatReader() {
    Extension = QStringLiteral("bmp");
    Description = BmpDescription;
    HasSignature = true;
}

bool TBMPFileFormatReader::IsFormat(const uint8_t* Header) const { return Header[0] == 'B' && Header[1] == 'M'; }

void TBMPFileFormatReader::Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) {
    if (ImageIndex != 0) raiseBmp(FormatMessage1(7, QStringLiteral("Index")));
    BmpInput in(Stream);
    const bool core = readFileHeaderIsCore(in);
    Graphic.LoadFromDIBStream(Stream, core);
}

void TBMPFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) {
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    if (ImageIndex != 0) raiseBmp(FormatMessage1(20, QStringLiteral("Index")));
    BmpInput in(Stream);
    const bool core = readFileHeaderIsCore(in);
    const DibHeader h = readHeader(in, core);
    Info.Width = h.Width;
    Info.Height = h.RawHeight;
    Info.BitCount = h.BitCount;
    if (core) {
        Info.Details = QStringLiteral("OS/2");
    } else {
        QString details = QStringLiteral("Windows");
        switch (Compression(h.Compression)) {
        case Compression::None: details += QStringLiteral(", RGB"); break;
        case Compression::Rle8: details += QStringLiteral(", RLE8"); break;
        case Compression::Rle4: details += QStringLiteral(", RLE4"); break;
        case Compression::BitFields: break;
        }
        if (h.topDown()) details += QStringLiteral(", Top-Down");
        Info.Details = details;
    }
    switch (h.BitCount) {
    case 1: Info.ColorsText = QStringLiteral("2"); break;
    case 4: Info.ColorsText = QStringLiteral("16"); break;
    case 8: Info.ColorsText = QStringLiteral("256"); break;
    case 16: Info.ColorsText = QStringLiteral("64K"); break;
    default: Info.ColorsText = QStringLiteral("16.7M"); break;
    }
}

TBMPFileFormatWriter::TBMPFileFormatWriter() {
    Extension = QStringLiteral("bmp");
    Description = BmpDescription;
    CanWriteResolutions = AllColorResolutions;
}

void TBMPFileFormatWriter::Write(QIODevice& Stream, TPixelGraphic& Graphic) {
    const uint32_t paletteBytes = uint32_t(Graphic.GetPaletteCount()) * 4;
    const uint32_t offset = 54 + paletteBytes;
    const uint32_t total = offset + uint32_t(Graphic.GetImageSize());
    const uint8_t header[14] = {'B', 'M', uint8_t(total), uint8_t(total >> 8), uint8_t(total >> 16), uint8_t(total >> 24),
                                0, 0, 0, 0, uint8_t(offset), uint8_t(offset >> 8), uint8_t(offset >> 16),
                                uint8_t(offset >> 24)};
    if (Stream.write(reinterpret_cast<const char*>(header), 14) != 14)
        throw EPixelGraphic(FormatMessage1(31, QStringLiteral("Write")));
    Graphic.SaveToDIBStream(Stream);
}
