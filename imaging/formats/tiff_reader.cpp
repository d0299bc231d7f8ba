// Reading of TIFF images: strips, uncompressed or PackBits, through a checked 4096-byte window of
// the stream. The directory and the sample layout are checked before anything is allocated.
#include "imaging/formats/tiff_directory.h"
#include "imaging/formats/tiff_format.h"

#include "imaging/formats/fresh_pixels.h"
#include "imaging/formats/palette_cover.h"
#include "imaging/formats/reader_progress.h"
#include "imaging/imaging_init.h"
#include "imaging/pg_messages.h"
#include "imaging/pixel_graphic.h"
#include "platform/dialogs.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t Uncompressed = 1;
constexpr uint32_t PackBits = 32773;
enum Photometric : uint32_t { WhiteIsZero = 0, BlackIsZero = 1, Rgb = 2, Palette = 3, Cmyk = 5 };

const QString StripCountText = QStringLiteral("NumStripOffsets<>(ImageLength+RowsPerStrip-1) div RowsPerStrip");

void checkCompression(uint32_t compression) {
    switch (compression) {
    case Uncompressed:
    case PackBits: return;
    case 2: RaiseTiff(QStringLiteral("Unsupported compression CCITT 1D"));
    case 3: RaiseTiff(QStringLiteral("Unsupported compression Group 3 Fax"));
    case 4: RaiseTiff(QStringLiteral("Unsupported compression Group 4 Fax"));
    case 5: RaiseTiff(QStringLiteral("Unsupported compression LZW"));
    case 6: RaiseTiff(QStringLiteral("Unsupported compression JPEG"));
    default: RaiseTiff(QStringLiteral("Unsupported compression ") + QString::number(compression));
    }
}

enum class SizeCheck {
    Accepted,
    BadWidth,  // 0, or more than the largest image the library allocates
    BadLength,
    TooLarge   // more pixels than the library holds
};

SizeCheck checkSize(const TTiffDirectory& d, int bitsPerPixel) {
    const int64_t rowBytes = (int64_t(d.ImageWidth) * bitsPerPixel + 31) / 32 * 4;
    if (d.ImageWidth == 0 || rowBytes > TPixelGraphic::MaxImageBytes) return SizeCheck::BadWidth;
    if (d.ImageLength == 0 || rowBytes * d.ImageLength > TPixelGraphic::MaxImageBytes) return SizeCheck::BadLength;
    if (!TPixelGraphic::WithinPixelLimit(d.ImageWidth, d.ImageLength)) return SizeCheck::TooLarge;
    return SizeCheck::Accepted;
}

// True when every strip can hold its rows within the stream: uncompressed rows take their full
// length, PackBits rows at least two bytes for every 128. Checked before the pixels are allocated,
// so that a file cannot make the reader allocate more than its data could fill.
bool stripsFitStream(const TTiffDirectory& d, int64_t rowBytes, int64_t rowsPerStrip, int64_t streamSize) {
    const int64_t rowMinimum = d.Compression == PackBits ? 2 * ((rowBytes + 127) / 128) : rowBytes;
    for (size_t i = 0; i < d.StripOffsets.size(); ++i) {
        const int64_t firstRow = int64_t(i) * rowsPerStrip;
        if (firstRow >= int64_t(d.ImageLength)) break;
        const int64_t rows = std::min<int64_t>(rowsPerStrip, int64_t(d.ImageLength) - firstRow);
        if (d.FileStart + int64_t(d.StripOffsets[i]) + rows * rowMinimum > streamSize) return false;
    }
    return true;
}

// Rows per strip as the file is read: a single strip whose count does not match holds the whole
// image when the warning mode lets reading go on.
int64_t effectiveRowsPerStrip(const TTiffDirectory& d, uint8_t warningMode) {
    const int64_t length = d.ImageLength;
    if (d.RowsPerStrip == 0) return length;
    const int64_t rows = d.RowsPerStrip;
    const int64_t strips = (length + rows - 1) / rows;
    if (int64_t(d.StripOffsets.size()) == strips) return rows;
    if (d.StripOffsets.size() != 1) RaiseTiff(StripCountText);
    const QString text = QStringLiteral("TIFF: ") + StripCountText;
    switch (warningMode) {
    case 0: break;
    case 1:
        platform::messageBox(text, platform::MessageKind::Warning, platform::MessageButtons::OK,
                             QStringLiteral("TIFF-Warning"));
        break;
    case 2:
        if (platform::messageBox(text, platform::MessageKind::Warning, platform::MessageButtons::OKCancel,
                                 QStringLiteral("TIFF-Warning")) != platform::MessageResult::OK)
            RaiseTiff(StripCountText);
        break;
    default: RaiseTiff(StripCountText);
    }
    return length;
}

// The palette of a one-sample image. A palette image must carry its ColorMap (refused otherwise);
// a ColorMap longer than 3 x 2^bits is cut to that.
void setPalette(TPixelGraphic& graphic, const TTiffDirectory& d, int bits) {
    if (bits == 1) {
        graphic.SetPaletteIdent(pBlackWhite);
        return;
    }
    const QString unsupported = QStringLiteral("Unsupported %1 Bits/Pixel").arg(bits);
    if (d.Photometric == WhiteIsZero || d.Photometric == BlackIsZero) {
        graphic.SetPaletteIdent(bits == 4 ? pGray16 : pGray256);
        return;
    }
    if (d.Photometric != Palette) RaiseTiff(unsupported);
    const size_t count = std::min<size_t>(d.ColorMap.size(), size_t(3) << bits) / 3;
    if (count == 0) RaiseTiff(FormatMessage1(7, QStringLiteral("ColorMap")));
    graphic.SetPaletteCount(int(count));
    for (size_t i = 0; i < count; ++i)
        graphic.SetPaletteColor(int(i), pgRGB(uint8_t(d.ColorMap[i] >> 8), uint8_t(d.ColorMap[count + i] >> 8),
                                              uint8_t(d.ColorMap[2 * count + i] >> 8)));
}

// PackBits: fills exactly Length bytes; a count reaching past the row is refused.
void unpackRow(TStreamByteReader& in, uint8_t* row, int64_t length, int rowNumber) {
    int64_t filled = 0;
    while (filled < length) {
        const int8_t n = int8_t(in.Byte());
        if (n == -128) continue;
        const int64_t count = n >= 0 ? n + 1 : 1 - n;
        if (filled + count > length)
            throw EPGTIFFileFormatReader(QStringLiteral("TIFF (PackBits): Invalid count of bytes in row ") +
                                         QString::number(rowNumber));
        if (n >= 0) in.Read(row + filled, count);
        else std::memset(row + filled, in.Byte(), size_t(count));
        filled += count;
    }
}

void storeRow(const uint8_t* s, int width, int bitsPerPixel, uint32_t photometric, uint8_t* row) {
    const bool inverted = photometric == WhiteIsZero;
    switch (bitsPerPixel) {
    case 1:
    case 4:
    case 8: {
        const int bytes = (width * bitsPerPixel + 7) / 8;
        if (inverted)
            for (int i = 0; i < bytes; ++i) row[i] = uint8_t(~s[i]);
        else
            std::memcpy(row, s, size_t(bytes));
        break;
    }
    case 24:
        for (int x = 0; x < width; ++x, s += 3, row += 3) {
            row[0] = s[2];
            row[1] = s[1];
            row[2] = s[0];
        }
        break;
    case 32:
        for (int x = 0; x < width; ++x, s += 4, row += 3) {
            if (photometric == Cmyk) {
                row[0] = uint8_t(std::max(0, 255 - s[2] - s[3]));
                row[1] = uint8_t(std::max(0, 255 - s[1] - s[3]));
                row[2] = uint8_t(std::max(0, 255 - s[0] - s[3]));
            } else {
                row[0] = s[2];
                row[1] = s[1];
                row[2] = s[0];
            }
        }
        break;
    default: break;
    }
}

}  // namespace

TTIFFileFormatReader::TTIFFileFormatReader() {
    Extension = QStringLiteral("tif");
    Description = QStringLiteral("Tagged Image File Format");
    HasSignature = true;
}

bool TTIFFileFormatReader::IsFormat(const uint8_t* Header) const {
    return (Header[0] == 'I' && Header[1] == 'I' && Header[2] == 42 && Header[3] == 0) ||
           (Header[0] == 'M' && Header[1] == 'M' && Header[2] == 0 && Header[3] == 42);
}

void TTIFFileFormatReader::Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) {
    const TTiffDirectory d = ReadTiffDirectory(Stream, ImageIndex);
    CheckTiffLayout(d);
    checkCompression(d.Compression);
    const int samples = int(d.SamplesPerPixel);
    const int bitsPerPixel = samples == 1 ? int(d.BitsPerSample[0]) : 8 * samples;
    const int graphicBits = samples == 1 ? bitsPerPixel : 24;
    switch (checkSize(d, graphicBits)) {
    case SizeCheck::Accepted: break;
    case SizeCheck::BadWidth: RaiseTiff(FormatMessage1(7, QStringLiteral("ImageWidth")));
    case SizeCheck::BadLength: RaiseTiff(FormatMessage1(7, QStringLiteral("ImageLength")));
    case SizeCheck::TooLarge: RaiseTiff(FormatMessage1(27, QStringLiteral("image")));
    }
    const int64_t rowsPerStrip = effectiveRowsPerStrip(d, Graphic.GetWarningMode());
    const int width = int(d.ImageWidth), height = int(d.ImageLength);
    const int64_t rowBytes = (int64_t(bitsPerPixel) * width + 7) / 8;
    if (!stripsFitStream(d, rowBytes, rowsPerStrip, Stream.size())) RaiseTiff(GetMessageText(32));
    Graphic.SetSize(width, height, TPGPixelFormat(BitCountToPixelFormat(graphicBits)));
    PrepareFreshPixels(Graphic);
    if (samples == 1) setPalette(Graphic, d, bitsPerPixel);
    TPaletteCoverScope cover(Graphic);
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    TStreamByteReader in(Stream, 4096, [] { RaiseTiff(GetMessageText(32)); });
    TProgressScope progress(Graphic);
    for (int y = 0; y < height; ++y) {
        if (y % rowsPerStrip == 0) in.Seek(d.FileStart + d.StripOffsets[size_t(y / rowsPerStrip)]);
        if (d.Compression == PackBits) unpackRow(in, row.data(), rowBytes, y);
        else in.Read(row.data(), rowBytes);
        storeRow(row.data(), width, bitsPerPixel, d.Photometric, Graphic.GetScanLine(y));
        if (progress.Row(y, height)) break;
    }
}

void TTIFFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) {
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    const TTiffDirectory d = ReadTiffDirectory(Stream, ImageIndex);
    CheckTiffLayout(d);
    Info.ImageCount = d.ImageCount;
    QString text = d.BigEndian ? QStringLiteral("M, ") : QStringLiteral("I, ");
    switch (d.Compression) {
    case 1: text += QStringLiteral("Uncompr."); break;
    case 2: text += QStringLiteral("CCITT 1D"); break;
    case 3: text += QStringLiteral("Group 3 F."); break;
    case 4: text += QStringLiteral("Group 4 F."); break;
    case 5: text += QStringLiteral("LZW"); break;
    case 6: text += QStringLiteral("JPEG"); break;
    case PackBits: text += QStringLiteral("PackBits"); break;
    default: break;
    }
    if (d.Compression >= 2 && d.Compression <= 6) Info.SubFormat = QStringLiteral("(Unsupported compression)");
    switch (d.Photometric) {
    case WhiteIsZero: text += QStringLiteral(", WhiteIsZero"); break;
    case BlackIsZero: text += QStringLiteral(", BlackIsZero"); break;
    case Rgb: text += QStringLiteral(", RGB"); break;
    case Palette: text += QStringLiteral(", RGB Palette"); break;
    case Cmyk: text += QStringLiteral(", CMYK"); break;
    default: RaiseTiff(QStringLiteral("Unsupported photometric interpretation ") + QString::number(d.Photometric));
    }
    Info.Details = text;
    Info.Width = int(std::min<uint32_t>(d.ImageWidth, INT32_MAX));
    Info.Height = int(std::min<uint32_t>(d.ImageLength, INT32_MAX));
    int64_t sum = 0;
    for (uint32_t b : d.BitsPerSample) sum += b;
    Info.BitCount = int(sum);
    Info.ColorsText = sum > 23 ? QStringLiteral("16.7 M") : QString::number(uint64_t(1) << sum);
}
