// Writing of PBM, PGM and PPM files in text or binary form, through a 1024-byte output buffer.
#include "imaging/formats/pnm_format.h"

#include "imaging/formats/reader_progress.h"
#include "imaging/imaging_init.h"
#include "imaging/pg_messages.h"
#include "imaging/pixel_graphic.h"

#include <QByteArray>
#include <QIODevice>

namespace {

const QString Prefix = QStringLiteral("PBM, PGM, PPM: ");

// Collects output and hands it to the stream 1024 bytes at a time.
class PxMOutput {
public:
    explicit PxMOutput(QIODevice& stream) : Stream(stream) { Pending.reserve(2048); }
    void Append(const char* text, int length) {
        Pending.append(text, length);
        if (Pending.size() >= 1024) Flush();
    }
    void Append(const QByteArray& text) { Append(text.constData(), int(text.size())); }
    void Number(int value, char separator) {
        char text[16];
        int n = 0;
        char digits[12];
        int d = 0;
        do {
            digits[d++] = char('0' + value % 10);
            value /= 10;
        } while (value > 0);
        while (d > 0) text[n++] = digits[--d];
        text[n++] = separator;
        Append(text, n);
    }
    void Flush() {
        if (!Pending.isEmpty() && Stream.write(Pending) != Pending.size())
            throw EPGPxMFileFormatWriter(Prefix + FormatMessage1(31, QStringLiteral("Write")));
        Pending.clear();
    }

private:
    QIODevice& Stream;
    QByteArray Pending;
};

enum class Kind { Bitmap = 1, Gray = 2, Color = 3 };

// Index 0 of a black-and-white graphic is black; other formats are read through their pixel value.
bool isBlack(const TPixelGraphic& g, int x, int y) { return g.GetPixel(x, y) == 0; }

void writeRow(PxMOutput& out, const TPixelGraphic& g, Kind kind, bool binary, int y, QByteArray& row) {
    const int width = g.GetWidth();
    const uint8_t* dib = g.GetScanLine(y);
    if (binary) {
        row.resize(kind == Kind::Bitmap ? (width + 7) / 8 : kind == Kind::Gray ? width : width * 3);
        auto* r = reinterpret_cast<uint8_t*>(row.data());
        if (kind == Kind::Bitmap) {
            if (g.GetPixelFormat() == PixelFormat1Bit) {
                for (int i = 0; i < row.size(); ++i) r[i] = uint8_t(~dib[i]);
            } else {
                row.fill('\0');
                for (int x = 0; x < width; ++x)
                    if (isBlack(g, x, y)) r[x / 8] |= uint8_t(0x80 >> (x % 8));
            }
        } else if (kind == Kind::Gray) {
            for (int x = 0; x < width; ++x) r[x] = uint8_t(g.GetPixel(x, y));
        } else {
            for (int x = 0; x < width; ++x) {
                r[3 * x] = dib[3 * x + 2];
                r[3 * x + 1] = dib[3 * x + 1];
                r[3 * x + 2] = dib[3 * x];
            }
        }
        out.Append(row);
        return;
    }
    for (int x = 0; x < width; ++x) {
        const char separator = x + 1 == width ? '\n' : ' ';
        if (kind == Kind::Bitmap) {
            out.Append(isBlack(g, x, y) ? "1" : "0", 1);
            out.Append(&separator, 1);
        } else if (kind == Kind::Gray) {
            out.Number(int(g.GetPixel(x, y)), separator);
        } else {
            out.Number(dib[3 * x + 2], ' ');
            out.Number(dib[3 * x + 1], ' ');
            out.Number(dib[3 * x], separator);
        }
    }
}

}  // namespace

void TPXMFileFormatWriter::Write(QIODevice& Stream, TPixelGraphic& Graphic) {
    Kind kind;
    if (Extension == QLatin1String("pbm")) kind = Kind::Bitmap;
    else if (Extension == QLatin1String("pgm")) kind = Kind::Gray;
    else if (Extension == QLatin1String("ppm")) kind = Kind::Color;
    else throw EPGPxMFileFormatWriter(Prefix + FormatMessage1(19, Extension));
    const int width = Graphic.GetWidth(), height = Graphic.GetHeight();
    if (width < 1 || height < 1) throw EPGPxMFileFormatWriter(Prefix + GetMessageText(35));
    PxMOutput out(Stream);
    const bool binary = PxMWriteBinary;
    QByteArray header = "P" + QByteArray::number(int(kind) + (binary ? 3 : 0)) + "\n" + QByteArray::number(width) + " " +
                        QByteArray::number(height) + "\n";
    if (kind != Kind::Bitmap) header += "255\n";
    const TPGPixelFormat format = Graphic.GetPixelFormat();
    const TPaletteIdent ident = Graphic.GetPaletteIdent();
    if (kind == Kind::Bitmap && format != PixelFormat1Bit && ident != pBlackWhite)
        throw EPGPxMFileFormatWriter(QStringLiteral("PBM: ") + GetMessageText(36));
    if (kind == Kind::Gray && format != PixelFormat8Bit && ident != pGray256)
        throw EPGPxMFileFormatWriter(QStringLiteral("PGM: ") + GetMessageText(36));
    if (kind == Kind::Color && format != PixelFormat24Bit)
        throw EPGPxMFileFormatWriter(QStringLiteral("PPM: ") + GetMessageText(36));
    out.Append(header);
    TProgressScope progress(Graphic);
    QByteArray row;
    for (int y = 0; y < height; ++y) {
        writeRow(out, Graphic, kind, binary, y, row);
        progress.Row(y, height);
    }
    out.Flush();
}

TPBMFileFormatWriter::TPBMFileFormatWriter() {
    Extension = QStringLiteral("pbm");
    Description = QStringLiteral("Portable Bitmap");
    CanWriteResolutions = ResolutionBit(ResolutionBlackWhite);
}

TPGMFileFormatWriter::TPGMFileFormatWriter() {
    Extension = QStringLiteral("pgm");
    Description = QStringLiteral("Portable Graymap");
    CanWriteResolutions = ResolutionBit(Resolution256Grays);
}

TPPMFileFormatWriter::TPPMFileFormatWriter() {
    Extension = QStringLiteral("ppm");
    Description = QStringLiteral("Portable Pixelmap");
    CanWriteResolutions = ResolutionBit(ResolutionTrueColor);
}
