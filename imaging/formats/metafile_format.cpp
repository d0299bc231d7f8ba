// The WMF and EMF readers: load the data into a TMetafile and play it onto the graphic.
#include "imaging/formats/metafile_format.h"

#include "imaging/formats/bmp_format.h"
#include "imaging/pg_messages.h"
#include "imaging/pixel_graphic.h"
#include "platform/metafile.h"

#include <QBuffer>
#include <QIODevice>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr int PlaceableSize = 22;
constexpr int PreviewSize = 130;
constexpr int MadeUpWidth = 100, MadeUpHeight = 50;
constexpr TColor White = 0xFFFFFF;

uint16_t get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t get32(const uint8_t* p) { return uint32_t(get16(p)) | (uint32_t(get16(p + 2)) << 16); }

// Mean of the screen's horizontal and vertical resolution.
int screenUnitsPerInch() { return (TMetafile::ScreenPixelsPerInch + TMetafile::ScreenPixelsPerInch) / 2; }

// Pixel format and palette size from the metafile's palette: none gives 24 bits.
TPGPixelFormat pixelFormatFor(size_t paletteCount) {
    if (paletteCount == 0 || paletteCount > 256) return PixelFormat24Bit;
    if (paletteCount <= 2) return PixelFormat1Bit;
    if (paletteCount <= 16) return PixelFormat4Bit;
    return PixelFormat8Bit;
}

// The largest bitmap a bitmap record may unpack to: compressed (RLE) data can declare far more
// pixels than it holds, and a record's bitmap is never shown larger than the picture.
constexpr int64_t MaxRecordBitmapPixels = int64_t(MetafileMaxSide) * MetafileMaxSide;

bool recordBitmapWithinLimit(const QByteArray& dib) {
    if (dib.size() < 12) return false;
    const auto* b = reinterpret_cast<const uint8_t*>(dib.constData());
    const bool core = get32(b) == 12;
    if (!core && dib.size() < 16) return false;
    const int64_t width = core ? get16(b + 4) : int64_t(int32_t(get32(b + 4)));
    const int64_t height = core ? get16(b + 6) : std::abs(int64_t(int32_t(get32(b + 8))));
    return width >= 0 && width * height <= MaxRecordBitmapPixels;
}

// The bitmap of a bitmap record, read as a packed DIB by the BMP module's reader (every bit depth,
// RLE and bit fields); an unreadable bitmap is left out of the picture.
QImage decodeDib(const QByteArray& dib) {
    if (!recordBitmapWithinLimit(dib)) return QImage();
    try {
        QBuffer buffer;
        buffer.setData(dib);
        buffer.open(QIODevice::ReadOnly);
        TPixelGraphic graphic;
        graphic.LoadFromDIBStream(buffer, PackedDibHasCoreHeader(buffer));
        return graphic.ToQImage();
    } catch (const std::exception&) {
        return QImage();
    }
}

// Plays the metafile straight into a 24-bit graphic's pixels, so the picture exists once. The
// graphic keeps its bottom row first; the painter draws top row first, and the rows are turned
// over afterwards.
void playInto24Bits(const TMetafile& metafile, TPixelGraphic& graphic) {
    const int width = graphic.GetWidth(), height = graphic.GetHeight(), stride = graphic.GetBytesPerLine();
    uint8_t* bits = graphic.GetBits();
    std::memset(bits, 0xFF, size_t(graphic.GetImageSize()));  // white
    {
        QImage view(bits, width, height, stride, QImage::Format_BGR888);
        QPainter painter(&view);
        metafile.Draw(painter, QRect(0, 0, width, height));
    }
    std::vector<uint8_t> scratch(static_cast<size_t>(stride));
    for (int y = 0; y < height / 2; ++y) {
        uint8_t* a = bits + size_t(y) * size_t(stride);
        uint8_t* b = bits + size_t(height - 1 - y) * size_t(stride);
        std::memcpy(scratch.data(), a, scratch.size());
        std::memcpy(a, b, scratch.size());
        std::memcpy(b, scratch.data(), scratch.size());
    }
}

// Plays the metafile onto a white RGB picture and maps what was drawn into the palette of the
// graphic (cleared to white before); the picture is the only full-colour copy.
void playIntoPalette(const TMetafile& metafile, TPixelGraphic& graphic) {
    const int width = graphic.GetWidth(), height = graphic.GetHeight();
    QImage picture(width, height, QImage::Format_RGB32);
    if (picture.isNull()) throw EPGInvalidSize(QStringLiteral("Invalid Metafile"));
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        metafile.Draw(painter, QRect(0, 0, width, height));
    }
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < width; ++x)
            if (row[x] != white)
                graphic.SetPixelColor(x, y, pgRGB(uint8_t(qRed(row[x])), uint8_t(qGreen(row[x])), uint8_t(qBlue(row[x]))));
    }
}

// Progress of one read: total 100, starting at 2, 15 a step; the abort flag is not honoured.
struct Progress {
    TPixelGraphic& Graphic;
    int Current = 2;
    void Step() {
        bool abort = false;
        Graphic.FireProgress(Current, abort, 100);
        Current += 15;
    }
};

}  // namespace

QByteArray MakePlaceableHeader(int Width, int Height, int UnitsPerInch) {
    const int right = std::max(std::min(Width, 0x7FFF) - 1, 2);
    const int bottom = std::max(std::min(Height, 0x7FFF) - 1, 2);
    const uint16_t words[10] = {uint16_t(PlaceableKey & 0xFFFF), uint16_t(PlaceableKey >> 16), 0, 0, 0,
                                uint16_t(right), uint16_t(bottom), uint16_t(UnitsPerInch), 0, 0};
    QByteArray header;
    uint16_t checksum = 0;
    for (uint16_t w : words) {
        header.append(char(w & 0xFF)).append(char(w >> 8));
        checksum ^= w;
    }
    header.append(char(checksum & 0xFF)).append(char(checksum >> 8));
    return header;
}

void FitMetafileSize(int& Width, int& Height, bool Preview) {
    if (Width <= 0 || Height <= 0) return;
    double w = Width, h = Height;
    if (Preview) {
        if (w > PreviewSize) {
            const double f = w / PreviewSize;
            w /= f;
            h /= f;
        }
        if (h > PreviewSize) {
            const double f = h / PreviewSize;
            w /= f;
            h /= f;
        }
    }
    // A larger extent is drawn with its longer side at the limit, keeping its shape.
    const double longer = std::max(w, h);
    if (longer > MetafileMaxSide) {
        w = w * MetafileMaxSide / longer;
        h = h * MetafileMaxSide / longer;
    }
    Width = std::max(1, int(std::lround(w)));
    Height = std::max(1, int(std::lround(h)));
}

tWMFFileFormatReader::tWMFFileFormatReader() {
    Extension = QStringLiteral("wmf");
    Description = QStringLiteral("Windows Metafile");
    HasSignature = true;
}

bool tWMFFileFormatReader::IsFormat(const uint8_t* Header) const {
    if (get32(Header) == PlaceableKey) return true;
    return get16(Header) < 2 && get16(Header + 2) == 9 && get16(Header + 4) != 0 &&
           int32_t(get32(Header + 6)) > 18 && get16(Header + 10) > 0;
}

bool tWMFFileFormatReader::LoadMetafile(QIODevice& Stream, TMetafile& Metafile, bool& Placeable) const {
    if (Enhanced) {
        Placeable = false;
        return Metafile.Load(Stream.readAll(), true);
    }
    Placeable = true;
    const qint64 start = Stream.pos();
    QByteArray data = Stream.read(PlaceableSize);
    const bool keyed = data.size() == PlaceableSize && get32(reinterpret_cast<const uint8_t*>(data.constData())) ==
                                                           PlaceableKey;
    if (!keyed) {
        Placeable = false;
        data = MakePlaceableHeader(MadeUpWidth, MadeUpHeight, screenUnitsPerInch());
        Stream.seek(start);
    }
    data += Stream.readAll();
    if (Metafile.Load(data, false)) return true;
    if (data.size() < PlaceableSize) return false;
    data.replace(0, PlaceableSize, MakePlaceableHeader(MadeUpWidth, MadeUpHeight, screenUnitsPerInch()));
    return Metafile.Load(data, false);
}

void tWMFFileFormatReader::Read(QIODevice& Stream, TPixelGraphic& Graphic, int) {
    Progress progress{Graphic};
    Graphic.FireProgressBegin();
    try {
        progress.Step();
        TMetafile metafile;
        bool placeable = false;
        // Data that is no metafile is refused like any other unknown data; the graphic is unchanged.
        if (!LoadMetafile(Stream, metafile, placeable)) throw EPGUnknownFileFormat(GetMessageText(6));
        progress.Step();
        int width = metafile.Width(), height = metafile.Height();
        FitMetafileSize(width, height, Graphic.GetFastJpegDct());
        metafile.SetWidth(width);
        metafile.SetHeight(height);
        Graphic.SetBackground(White);
        const std::vector<uint32_t>& palette = metafile.Palette();
        const TPGPixelFormat format = pixelFormatFor(palette.size());
        Graphic.SetSize(width, height, format);
        if (format != PixelFormat24Bit) {
            Graphic.SetPaletteCount(int(palette.size()));
            for (size_t i = 0; i < palette.size(); ++i)
                Graphic.SetPaletteColor(int(i), pgRGB(uint8_t(qRed(palette[i])), uint8_t(qGreen(palette[i])),
                                                      uint8_t(qBlue(palette[i]))));
            Graphic.SetBackground(White);
            Graphic.Clear();
        }
        progress.Step();
        Graphic.BeginUpdate();
        try {
            if (format == PixelFormat24Bit) playInto24Bits(metafile, Graphic);
            else playIntoPalette(metafile, Graphic);
        } catch (...) {
            Graphic.EndUpdate();
            throw;
        }
        Graphic.EndUpdate();
        progress.Step();
    } catch (...) {
        Graphic.FireProgressEnd();
        throw;
    }
    Graphic.FireProgressEnd();
}

void tWMFFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) {
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    TMetafile metafile;
    bool placeable = false;
    if (!LoadMetafile(Stream, metafile, placeable)) throw EPixelGraphic(QStringLiteral("Invalid Metafile"));
    const size_t colours = metafile.Palette().size();
    switch (pixelFormatFor(colours)) {
    case PixelFormat1Bit: Info.ColorsText = QStringLiteral("2"); Info.BitCount = 1; break;
    case PixelFormat4Bit: Info.ColorsText = QStringLiteral("16"); Info.BitCount = 4; break;
    case PixelFormat8Bit: Info.ColorsText = QStringLiteral("256"); Info.BitCount = 8; break;
    default: Info.ColorsText = QStringLiteral("16.7M"); Info.BitCount = 24; break;
    }
    if (!Enhanced) Info.SubFormat = placeable ? QStringLiteral("Placeable, Aldus header") : QStringLiteral("No header");
    Info.Width = metafile.Width();
    Info.Height = metafile.Height();
    Info.ImageCount = 1;
}

tEMFFileFormatReader::tEMFFileFormatReader() {
    Extension = QStringLiteral("emf");
    Description = QStringLiteral("Enhanced Metafile");
    Enhanced = true;
    // Found by its header, whatever the name: the registry never picks a reader with a probe by
    // its extension, so data that is no metafile is refused even when named ".emf".
    HasSignature = true;
}

// The header record: type 1 and a size in whole 32-bit words of at least the 88 bytes of the
// first header layout (100 and 108 bytes with later extensions, more with a description inside).
// The signature at offset 40 lies beyond the probe; loading checks it.
bool tEMFFileFormatReader::IsFormat(const uint8_t* Header) const {
    const uint32_t size = get32(Header + 4);
    return get32(Header) == 1 && size >= 88 && size % 4 == 0;
}

void RegisterMetafileReaders() {
    TMetafile::SetDibDecoder(decodeDib);
    RegisterFileFormatReader(std::make_unique<tWMFFileFormatReader>());
    RegisterFileFormatReader(std::make_unique<tEMFFileFormatReader>());
}
