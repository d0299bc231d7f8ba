// Reading of the portable any-map variants P1..P6. Numbers are read as text through a checked
// 1024-byte buffer; the header is checked as a whole before anything is allocated.
#include "imaging/formats/pnm_format.h"

#include "imaging/formats/fresh_pixels.h"
#include "imaging/formats/reader_progress.h"
#include "imaging/formats/stream_byte_reader.h"
#include "imaging/imaging_init.h"
#include "imaging/pg_messages.h"
#include "imaging/pixel_graphic.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

const QString Prefix = QStringLiteral("PBM, PGM, PPM: ");

[[noreturn]] void raisePxM(const QString& text) { throw EPGPxMFileFormatReader(Prefix + text); }

// Numbers are capped here so that width x height x samples and value x 255 never overflow.
constexpr int64_t NumberCap = int64_t(1) << 31;

enum class Variant { Unknown, TextBitmap, TextGray, TextColor, BinaryBitmap, BinaryGray, BinaryColor };

Variant variantOf(uint8_t digit) {
    if (digit < '1' || digit > '6') return Variant::Unknown;
    return Variant(digit - '0');
}
bool isBinary(Variant v) { return v >= Variant::BinaryBitmap; }
bool isBitmap(Variant v) { return v == Variant::TextBitmap || v == Variant::BinaryBitmap; }
bool isColor(Variant v) { return v == Variant::TextColor || v == Variant::BinaryColor; }
int bitCountOf(Variant v) { return isBitmap(v) ? 1 : isColor(v) ? 24 : 8; }

struct PxMHeader {
    Variant Kind = Variant::Unknown;
    int64_t Width = 0;
    int64_t Height = 0;
    int64_t Maximum = 1;
};

enum class HeaderCheck {
    Accepted,
    EmptySize,    // width or height 0
    BadMaximum,   // a maximum of 0 (scaling divides by it), or 256 or more in a binary variant
    TooLarge      // more pixels, or more pixel bytes, than the library holds
};

HeaderCheck checkHeader(const PxMHeader& h) {
    if (h.Width == 0 || h.Height == 0) return HeaderCheck::EmptySize;
    if (h.Maximum == 0 || (isBinary(h.Kind) && h.Maximum >= 256)) return HeaderCheck::BadMaximum;
    if (!TPixelGraphic::WithinPixelLimit(h.Width, h.Height)) return HeaderCheck::TooLarge;
    const int64_t bytesPerLine = (h.Width * bitCountOf(h.Kind) + 31) / 32 * 4;
    if (bytesPerLine * h.Height > TPixelGraphic::MaxImageBytes) return HeaderCheck::TooLarge;
    return HeaderCheck::Accepted;
}

// True when the bytes left could hold the pixels at all: binary rows take their full length,
// text needs at least one character a value. A header claiming more is refused before the
// pixels are allocated.
bool dataCanFill(const PxMHeader& h, int64_t bytesLeft) {
    const int64_t samples = isColor(h.Kind) ? 3 : 1;
    int64_t needed = h.Width * h.Height * samples;
    if (h.Kind == Variant::BinaryBitmap) needed = (h.Width + 7) / 8 * h.Height;
    return needed <= bytesLeft;
}

// Token reading: comments run from "#" to the line feed, which is what they yield.
class PxMInput {
public:
    explicit PxMInput(QIODevice& stream)
        : In(stream, 1024, [] { raisePxM(GetMessageText(32)); }) {}

    uint8_t Char() {
        const uint8_t c = In.Byte();
        if (c != '#') return c;
        while (In.Byte() != '\n') {
        }
        return '\n';
    }
    // Skips everything up to a digit, then takes the digits; the character after them is consumed.
    // The end of the data may end a number (a file whose last value has no line feed after it).
    int64_t Number() {
        uint8_t c = Char();
        while (c < '0' || c > '9') c = Char();
        int64_t value = 0;
        for (;;) {
            value = std::min(NumberCap, value * 10 + (c - '0'));
            if (!In.TryByte(c)) return value;
            if (c == '#') {
                while (In.Byte() != '\n') {
                }
                return value;
            }
            if (c < '0' || c > '9') return value;
        }
    }
    // One pixel of a plain bitmap: a single digit, with or without blanks around it ("0101" is
    // four pixels). True for a set (black) pixel.
    bool BitmapDigit() {
        uint8_t c = Char();
        while (c < '0' || c > '9') c = Char();
        return c != '0';
    }
    PxMHeader Header() {
        if (In.Byte() != 'P') raisePxM(FormatMessage1(34, QStringLiteral("PBM, PGM, PPM")));
        PxMHeader h;
        h.Kind = variantOf(In.Byte());
        if (h.Kind == Variant::Unknown) raisePxM(GetMessageText(33));
        h.Width = Number();
        h.Height = Number();
        if (!isBitmap(h.Kind)) h.Maximum = Number();
        return h;
    }
    TStreamByteReader In;
};

// value x 255 div maximum, samples above the maximum giving 255.
uint8_t scaled(int64_t value, int64_t maximum) { return uint8_t(std::min<int64_t>(255, value * 255 / maximum)); }

std::array<uint8_t, 256> scaleTable(int64_t maximum) {
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) table[size_t(i)] = scaled(i, maximum);
    return table;
}

void readRow(PxMInput& input, const PxMHeader& h, uint8_t* row, std::vector<uint8_t>& buffer,
             const std::array<uint8_t, 256>& table) {
    const int width = int(h.Width);
    switch (h.Kind) {
    case Variant::TextBitmap:
        std::fill(row, row + (width + 7) / 8, 0);
        for (int x = 0; x < width; ++x)
            if (!input.BitmapDigit()) row[x / 8] |= uint8_t(0x80 >> (x % 8));
        break;
    case Variant::TextGray:
        for (int x = 0; x < width; ++x) row[x] = scaled(input.Number(), h.Maximum);
        break;
    case Variant::TextColor:
        for (int x = 0; x < width; ++x) {
            const uint8_t r = scaled(input.Number(), h.Maximum);
            const uint8_t g = scaled(input.Number(), h.Maximum);
            row[3 * x + 2] = r;
            row[3 * x + 1] = g;
            row[3 * x] = scaled(input.Number(), h.Maximum);
        }
        break;
    case Variant::BinaryBitmap: {
        const int bytes = (width + 7) / 8;
        input.In.Read(row, bytes);
        for (int i = 0; i < bytes; ++i) row[i] = uint8_t(~row[i]);
        break;
    }
    case Variant::BinaryGray:
        input.In.Read(row, width);
        if (h.Maximum != 255)
            for (int x = 0; x < width; ++x) row[x] = table[row[x]];
        break;
    case Variant::BinaryColor: {
        input.In.Read(buffer.data(), int64_t(width) * 3);
        const uint8_t* s = buffer.data();
        for (int x = 0; x < width; ++x, s += 3, row += 3) {
            row[0] = table[s[2]];
            row[1] = table[s[1]];
            row[2] = table[s[0]];
        }
        break;
    }
    case Variant::Unknown: break;
    }
}

}  // namespace

TPxMFileFormatReader::TPxMFileFormatReader() { HasSignature = true; }

bool TPxMFileFormatReader::IsFormat(const uint8_t* Header) const {
    return Header[0] == 'P' && (Header[1] == uint8_t(TextDigit) || Header[1] == uint8_t(BinaryDigit));
}

void TPxMFileFormatReader::Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) {
    if (ImageIndex != 0) throw EPGPxMFileFormatReader(QStringLiteral("PxM: ") + FormatMessage1(7, QStringLiteral("Index")));
    Graphic.SetImageGamma(DisplayGamma);
    PxMInput input(Stream);
    const PxMHeader h = input.Header();
    switch (checkHeader(h)) {
    case HeaderCheck::Accepted: break;
    case HeaderCheck::EmptySize:
    case HeaderCheck::BadMaximum:
    case HeaderCheck::TooLarge: raisePxM(GetMessageText(30));
    }
    if (!dataCanFill(h, input.In.StreamSize() - input.In.Position())) raisePxM(GetMessageText(32));
    const int width = int(h.Width), height = int(h.Height);
    if (isBitmap(h.Kind)) {
        Graphic.SetSize(width, height, PixelFormat1Bit);
        Graphic.SetPaletteIdent(pBlackWhite);
    } else if (isColor(h.Kind)) {
        Graphic.SetSize(width, height, PixelFormat24Bit);
    } else {
        Graphic.SetSize(width, height, PixelFormat8Bit);
        Graphic.SetPaletteIdent(pGray256);
    }
    PrepareFreshPixels(Graphic);
    std::vector<uint8_t> buffer(h.Kind == Variant::BinaryColor ? size_t(width) * 3 : 0);
    const std::array<uint8_t, 256> table = scaleTable(h.Maximum);
    TProgressScope progress(Graphic);
    for (int y = 0; y < height; ++y) {
        readRow(input, h, Graphic.GetScanLine(y), buffer, table);
        if (progress.Row(y, height)) break;
    }
}

void TPxMFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) {
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    if (ImageIndex != 0) raisePxM(FormatMessage1(20, QStringLiteral("Index")));
    PxMInput input(Stream);
    if (input.In.Byte() != 'P') raisePxM(FormatMessage1(34, QStringLiteral("PBM, PGM, PPM")));
    const Variant kind = variantOf(input.In.Byte());
    if (kind == Variant::Unknown) raisePxM(GetMessageText(33));
    Info.Details = isBinary(kind) ? QStringLiteral("Binary") : QStringLiteral("ASCII");
    Info.BitCount = bitCountOf(kind);
    Info.Width = int(std::min<int64_t>(input.Number(), INT32_MAX));
    Info.Height = int(std::min<int64_t>(input.Number(), INT32_MAX));
    Info.ColorsText = Info.BitCount == 24 ? QStringLiteral("16.7M") : QString::number(1 << Info.BitCount);
}

TPBMFileFormatReader::TPBMFileFormatReader() {
    Extension = QStringLiteral("pbm");
    Description = QStringLiteral("Portable Bitmap");
    TextDigit = '1';
    BinaryDigit = '4';
}

TPGMFileFormatReader::TPGMFileFormatReader() {
    Extension = QStringLiteral("pgm");
    Description = QStringLiteral("Portable Graymap");
    TextDigit = '2';
    BinaryDigit = '5';
}

TPPMFileFormatReader::TPPMFileFormatReader() {
    Extension = QStringLiteral("ppm");
    Description = QStringLiteral("Portable Pixelmap");
    TextDigit = '3';
    BinaryDigit = '6';
}
