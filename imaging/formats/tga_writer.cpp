// Writing of uncompressed Targa files: 8-bit images colour-mapped, 24-bit images true-colour,
// rows from the bottom.
#include "imaging/formats/tga_format.h"

#include "imaging/formats/reader_progress.h"
#include "imaging/pg_messages.h"
#include "imaging/pixel_graphic.h"

#include <QByteArray>
#include <QIODevice>

#include <cstring>

namespace {

void put16(QByteArray& out, int value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

void writeAll(QIODevice& stream, const QByteArray& bytes) {
    if (stream.write(bytes) != bytes.size())
        throw EPixelGraphic(QStringLiteral("TGA: ") + FormatMessage1(31, QStringLiteral("Write")));
}

}  // namespace

TTGAFileFormatWriter::TTGAFileFormatWriter() {
    Extension = QStringLiteral("tga");
    Description = QStringLiteral("Truevision Targa");
    CanWriteResolutions = ResolutionBit(Resolution256Colors) | ResolutionBit(ResolutionTrueColor);
}

void TTGAFileFormatWriter::Write(QIODevice& Stream, TPixelGraphic& Graphic) {
    // Images of fewer bits (only reached by direct calls) are written as 8-bit indices.
    const bool trueColor = Graphic.GetPixelFormat() == PixelFormat24Bit;
    const int width = Graphic.GetWidth(), height = Graphic.GetHeight();
    const int colours = trueColor ? 0 : Graphic.GetPaletteCount();
    QByteArray header;
    header.append(char(0));                         // no ID field
    header.append(char(trueColor ? 0 : 1));         // colour map type
    header.append(char(trueColor ? 2 : 1));         // image type
    put16(header, 0);                               // first colour-map entry
    put16(header, colours);                         // colour-map length
    header.append(char(trueColor ? 0 : 24));        // colour-map entry size
    put16(header, 0);
    put16(header, 0);
    put16(header, width);
    put16(header, height);
    header.append(char(trueColor ? 24 : 8));
    header.append(char(0));                         // bottom-left origin
    for (int i = 0; i < colours; ++i) {
        const TColor c = Graphic.GetPaletteColor(i);
        header.append(char(pgBlue(c)));
        header.append(char(pgGreen(c)));
        header.append(char(pgRed(c)));
    }
    writeAll(Stream, header);
    TProgressScope progress(Graphic);
    QByteArray row(trueColor ? width * 3 : width, '\0');
    for (int r = 0; r < height; ++r) {
        const int y = height - 1 - r;
        if (trueColor || Graphic.GetPixelFormat() == PixelFormat8Bit) {
            std::memcpy(row.data(), Graphic.GetScanLine(y), size_t(row.size()));
        } else {
            for (int x = 0; x < width; ++x) row[x] = char(Graphic.GetPixel(x, y));
        }
        writeAll(Stream, row);
        progress.Row(r, height);
    }
}
