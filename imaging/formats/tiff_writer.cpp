// Writing of TIFF files: the header, then one image directory at the current position with a
// fixed tag list, its values and the strips. Values that are offsets are written as 0 and filled
// in once the data they point to are placed.
#include "imaging/formats/tiff_directory.h"
#include "imaging/formats/tiff_format.h"

#include "imaging/formats/reader_progress.h"
#include "imaging/imaging_init.h"
#include "imaging/pg_messages.h"
#include "imaging/pixel_graphic.h"

#include <QByteArray>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr int MaxStripBytes = 32767;

[[noreturn]] void raiseWriter(const QString& text) { throw EPGTIFFileFormatWriter(QStringLiteral("TIFF: ") + text); }

// Numbers in the file's byte order.
class TiffOutput {
public:
    TiffOutput(QIODevice& stream, bool big) : Stream(stream), Big(big) {}
    void U16(uint16_t v) { Put(v, 2); }
    void U32(uint32_t v) { Put(v, 4); }
    void Bytes(const char* data, qint64 size) {
        if (Stream.write(data, size) != size) raiseWriter(FormatMessage1(31, QStringLiteral("Write")));
    }
    qint64 Pos() const { return Stream.pos(); }
    void Seek(qint64 at) {
        if (!Stream.seek(at)) raiseWriter(FormatMessage1(31, QStringLiteral("Seek")));
    }
    // Writes a 32-bit value at At and comes back to the current position.
    void Patch32(qint64 at, uint32_t v) {
        const qint64 here = Pos();
        Seek(at);
        U32(v);
        Seek(here);
    }
    void Patch16(qint64 at, uint16_t v) {
        const qint64 here = Pos();
        Seek(at);
        U16(v);
        Seek(here);
    }

private:
    void Put(uint32_t v, int size) {
        char b[4];
        for (int i = 0; i < size; ++i) b[i] = char(v >> (8 * (Big ? size - 1 - i : i)));
        Bytes(b, size);
    }
    QIODevice& Stream;
    bool Big;
};

enum class RowKind { Bilevel, Gray16, Palette16, Gray256, Palette256, Rgb, Cmyk };

RowKind rowKindOf(const TPixelGraphic& g) {
    switch (g.GetPixelFormat()) {
    case PixelFormat1Bit: return RowKind::Bilevel;
    case PixelFormat4Bit: return g.GetPaletteIdent() == pGray16 ? RowKind::Gray16 : RowKind::Palette16;
    case PixelFormat8Bit: return g.GetPaletteIdent() == pGray256 ? RowKind::Gray256 : RowKind::Palette256;
    default: return TiffWriteCmyk ? RowKind::Cmyk : RowKind::Rgb;
    }
}

bool hasColorMap(RowKind k) { return k == RowKind::Palette16 || k == RowKind::Palette256; }
int bitsOf(RowKind k) {
    switch (k) {
    case RowKind::Bilevel: return 1;
    case RowKind::Gray16:
    case RowKind::Palette16: return 4;
    case RowKind::Gray256:
    case RowKind::Palette256: return 8;
    default: return 8;
    }
}
int samplesOf(RowKind k) { return k == RowKind::Rgb ? 3 : k == RowKind::Cmyk ? 4 : 1; }
uint16_t photometricOf(RowKind k) {
    switch (k) {
    case RowKind::Palette16:
    case RowKind::Palette256: return 3;
    case RowKind::Rgb: return 2;
    case RowKind::Cmyk: return 5;
    default: return TiffWhiteIsZero ? 0 : 1;
    }
}
int64_t rowBytesOf(RowKind k, int width) {
    switch (k) {
    case RowKind::Bilevel: return (int64_t(width) + 7) / 8;
    case RowKind::Gray16:
    case RowKind::Palette16: return (int64_t(width) + 1) / 2;
    case RowKind::Gray256:
    case RowKind::Palette256: return width;
    case RowKind::Rgb: return 3 * int64_t(width);
    case RowKind::Cmyk: return 4 * int64_t(width);
    }
    return 0;
}

void buildRow(const uint8_t* dib, int width, RowKind k, uint8_t* out) {
    const bool inverted = TiffWhiteIsZero;
    switch (k) {
    case RowKind::Bilevel:
    case RowKind::Gray16:
    case RowKind::Gray256: {
        const int64_t bytes = rowBytesOf(k, width);
        for (int64_t i = 0; i < bytes; ++i) out[i] = inverted ? uint8_t(~dib[i]) : dib[i];
        break;
    }
    case RowKind::Palette16:
    case RowKind::Palette256: std::memcpy(out, dib, size_t(rowBytesOf(k, width))); break;
    case RowKind::Rgb:
        for (int x = 0; x < width; ++x, dib += 3, out += 3) {
            out[0] = dib[2];
            out[1] = dib[1];
            out[2] = dib[0];
        }
        break;
    case RowKind::Cmyk:
        for (int x = 0; x < width; ++x, dib += 3, out += 4) {
            const uint8_t c = uint8_t(255 - dib[2]), m = uint8_t(255 - dib[1]), y = uint8_t(255 - dib[0]);
            const uint8_t black = std::min({c, m, y});
            out[0] = uint8_t(c - black);
            out[1] = uint8_t(m - black);
            out[2] = uint8_t(y - black);
            out[3] = black;
        }
        break;
    }
}

// PackBits of one row: runs of three or more equal bytes become repeats, everything else
// literals; both at most 128 bytes long. A run of two between literals stays literal.
void packRow(const uint8_t* row, int64_t length, QByteArray& out) {
    int64_t i = 0;
    while (i < length) {
        int64_t run = 1;
        while (i + run < length && run < 128 && row[i + run] == row[i]) ++run;
        if (run >= 3 || (run == 2 && i + run == length && i == 0)) {
            out.append(char(int8_t(1 - run)));
            out.append(char(row[i]));
            i += run;
            continue;
        }
        int64_t start = i, count = 0;
        while (i < length && count < 128) {
            int64_t ahead = 1;
            while (i + ahead < length && ahead < 3 && row[i + ahead] == row[i]) ++ahead;
            if (ahead >= 3) break;
            ++i;
            ++count;
        }
        out.append(char(count - 1));
        out.append(reinterpret_cast<const char*>(row + start), qsizetype(count));
    }
}

}  // namespace

TTIFFileFormatWriter::TTIFFileFormatWriter() {
    Extension = QStringLiteral("tif");
    Description = QStringLiteral("Tagged Image File Format");
    CanWriteResolutions = ColorResolutionSet(AllColorResolutions & ~ResolutionBit(Resolution2Colors));
}

void TTIFFileFormatWriter::Write(QIODevice& Stream, TPixelGraphic& Graphic) {
    WriteHeader(Stream, Graphic);
    WriteImage(Stream, Graphic);
    WriteTrailer(Stream, Graphic);
}

void TTIFFileFormatWriter::WriteHeader(QIODevice& Stream, TPixelGraphic&) {
    BigEndian = TiffBigEndian;
    FileStart = Stream.pos();
    TiffOutput out(Stream, BigEndian);
    out.Bytes(BigEndian ? "MM" : "II", 2);
    out.U16(42);
    NextOffsetField = out.Pos();
    out.U32(0);
}

void TTIFFileFormatWriter::WriteImage(QIODevice& Stream, TPixelGraphic& Graphic) {
    if (TiffCompression != 1 && TiffCompression != 32773) raiseWriter(QStringLiteral("Internal Error"));
    const bool packBits = TiffCompression == 32773;
    const int width = Graphic.GetWidth(), height = Graphic.GetHeight();
    if (width < 1 || height < 1) raiseWriter(GetMessageText(35));
    const RowKind kind = rowKindOf(Graphic);
    const int64_t rowBytes = rowBytesOf(kind, width);
    const int64_t largestRow = packBits ? 2 * rowBytes : rowBytes;
    const int64_t rowsPerStrip = std::clamp<int64_t>(MaxStripBytes / largestRow, 1, height);
    const int64_t strips = (height + rowsPerStrip - 1) / rowsPerStrip;
    const int samples = samplesOf(kind);
    const int colorMapValues = hasColorMap(kind) ? 3 << bitsOf(kind) : 0;

    TiffOutput out(Stream, BigEndian);
    const qint64 directory = out.Pos();
    out.Patch32(NextOffsetField, uint32_t(directory - FileStart));
    out.U16(0);
    int entries = 0;
    std::vector<std::pair<qint64, int>> fixups;  // value fields to fill: position, what
    enum { StripOffsetsField, StripCountsField, BitsField, XResField, YResField, MapField };
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value, int fixup = -1) {
        out.U16(tag);
        out.U16(type);
        out.U32(count);
        if (fixup >= 0) fixups.push_back({out.Pos(), fixup});
        if (type == tiff_type::Short && count == 1) {
            out.U16(uint16_t(value));
            out.U16(0);
        } else {
            out.U32(value);
        }
        ++entries;
    };
    using namespace tiff_tag;
    using namespace tiff_type;
    entry(NewSubfileType, Long, 1, 0);
    entry(ImageWidth, Long, 1, uint32_t(width));
    entry(ImageLength, Long, 1, uint32_t(height));
    entry(BitsPerSample, Short, uint32_t(samples), uint32_t(bitsOf(kind)), samples > 1 ? BitsField : -1);
    entry(Compression, Short, 1, uint32_t(TiffCompression));
    entry(Photometric, Short, 1, photometricOf(kind));
    entry(StripOffsets, Long, uint32_t(strips), 0, StripOffsetsField);
    entry(SamplesPerPixel, Short, 1, uint32_t(samples));
    entry(RowsPerStrip, Long, 1, uint32_t(rowsPerStrip));
    entry(StripByteCounts, Long, uint32_t(strips), 0, StripCountsField);
    entry(XResolution, Rational, 1, 0, XResField);
    entry(YResolution, Rational, 1, 0, YResField);
    entry(ResolutionUnit, Short, 1, uint32_t(std::min<int>(TiffResolutionUnit, 2) + 1));
    if (colorMapValues) entry(ColorMap, Short, uint32_t(colorMapValues), 0, MapField);
    out.Patch16(directory, uint16_t(entries));
    NextOffsetField = out.Pos();
    out.U32(0);

    auto fill = [&](int what, qint64 at) {
        for (const auto& f : fixups)
            if (f.second == what) out.Patch32(f.first, uint32_t(at - FileStart));
    };
    if (colorMapValues) {
        fill(MapField, out.Pos());
        const int entriesPerColour = colorMapValues / 3;
        for (int component = 0; component < 3; ++component)
            for (int i = 0; i < entriesPerColour; ++i) {
                const TColor c = i < Graphic.GetPaletteCount() ? Graphic.GetPaletteColor(i) : 0;
                const uint8_t value = component == 0 ? pgRed(c) : component == 1 ? pgGreen(c) : pgBlue(c);
                out.U16(uint16_t(value * 256));
            }
    }
    if (samples > 1) {
        fill(BitsField, out.Pos());
        for (int i = 0; i < samples; ++i) out.U16(8);
    }
    fill(XResField, out.Pos());
    out.U32(TiffXResolutionNumerator);
    out.U32(TiffXResolutionDenominator);
    fill(YResField, out.Pos());
    out.U32(TiffYResolutionNumerator);
    out.U32(TiffYResolutionDenominator);
    qint64 offsetsArray = 0, countsArray = 0;
    if (strips > 1) {
        offsetsArray = out.Pos();
        for (int64_t i = 0; i < strips; ++i) out.U32(0);
        countsArray = out.Pos();
        for (int64_t i = 0; i < strips; ++i) out.U32(0);
    }

    std::vector<uint32_t> offsets, counts;
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    QByteArray strip;
    strip.reserve(MaxStripBytes + 1);
    TProgressScope progress(Graphic);
    for (int y = 0; y < height; ++y) {
        if (y % rowsPerStrip == 0) {
            if (out.Pos() % 2) out.Bytes("", 1);
            offsets.push_back(uint32_t(out.Pos() - FileStart));
            strip.clear();
        }
        buildRow(Graphic.GetScanLine(y), width, kind, row.data());
        if (packBits) packRow(row.data(), rowBytes, strip);
        else strip.append(reinterpret_cast<const char*>(row.data()), qsizetype(rowBytes));
        if ((y + 1) % rowsPerStrip == 0 || y + 1 == height) {
            out.Bytes(strip.constData(), strip.size());
            counts.push_back(uint32_t(strip.size()));
        }
        progress.Row(y, height - 1);
    }
    const qint64 end = out.Pos();
    if (strips == 1) {
        for (const auto& f : fixups) {
            if (f.second == StripOffsetsField) out.Patch32(f.first, offsets[0]);
            if (f.second == StripCountsField) out.Patch32(f.first, counts[0]);
        }
    } else {
        fill(StripOffsetsField, offsetsArray);
        fill(StripCountsField, countsArray);
        out.Seek(offsetsArray);
        for (uint32_t v : offsets) out.U32(v);
        for (uint32_t v : counts) out.U32(v);
    }
    out.Seek(end);
}
