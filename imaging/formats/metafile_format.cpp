// The WMF and EMF readers: load the data into a TMetafile and play it onto the graphic.
#include "imaging/formats/metafile_format.h"

#include "imaging/pixel_graphic.h"
#include "platform/metafile.h"

#include <QBuffer>
#include <QIODevice>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

// The largest picture played, in pixels (its working copy takes 4 bytes a pixel). Fuzzing builds
// lower it to keep each run small.
#ifndef METAFILE_MAX_PIXELS
#define METAFILE_MAX_PIXELS (TPixelGraphic::MaxImageBytes / 4)
#endif

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

// A packed DIB of a bitmap record, decoded by the library's DIB loader. The declared size is
// checked against the data first, so a damaged record cannot ask for a huge allocation.
QImage decodeDib(const QByteArray& dib) {
    if (dib.size() < 16) return QImage();
    const auto* b = reinterpret_cast<const uint8_t*>(dib.constData());
    const uint32_t headerSize = get32(b);
    if (headerSize < 40) return QImage();  // the loader reads information headers of 40 bytes and more
    const int64_t width = int32_t(get32(b + 4)), height = std::abs(int64_t(int32_t(get32(b + 8))));
    const int bits = get16(b + 14);
    if (width <= 0 || height <= 0 || bits <= 0 || bits > 32) return QImage();
    const int64_t rowBytes = (width * bits + 31) / 32 * 4;
    if (rowBytes * height > int64_t(dib.size())) return QImage();
    try {
        QBuffer buffer;
        buffer.setData(dib);
        buffer.open(QIODevice::ReadOnly);
        TPixelGraphic graphic;
        graphic.LoadFromDIBStream(buffer);
        return graphic.ToQImage();
    } catch (const std::exception&) {
        return QImage();  // an unreadable bitmap is left out of the picture
    }
}

// Copies what was drawn into the graphic; pixels still white keep the graphic's cleared background.
void storePicture(const QImage& picture, TPixelGraphic& graphic) {
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        if (graphic.GetPixelFormat() == PixelFormat24Bit) {
            uint8_t* out = graphic.GetScanLine(y);
            for (int x = 0; x < picture.width(); ++x) {
                out[3 * x] = uint8_t(qBlue(row[x]));
                out[3 * x + 1] = uint8_t(qGreen(row[x]));
                out[3 * x + 2] = uint8_t(qRed(row[x]));
            }
            continue;
        }
        for (int x = 0; x < picture.width(); ++x)
            if (row[x] != white) graphic.SetPixelColor(x, y, pgRGB(uint8_t(qRed(row[x])), uint8_t(qGreen(row[x])),
                                                                    uint8_t(qBlue(row[x]))));
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
    // A huge extent is scaled down to the largest picture the library holds.
    const double limit = double(METAFILE_MAX_PIXELS);
    if (w * h > limit) {
        const double f = std::sqrt(limit / (w * h));
        w *= f;
        h *= f;
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
        if (!LoadMetafile(Stream, metafile, placeable)) {
            Graphic.FireProgressEnd();
            return;
        }
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
        QImage picture(width, height, QImage::Format_RGB32);
        if (picture.isNull()) throw EPGInvalidSize(QStringLiteral("Invalid Metafile"));
        picture.fill(Qt::white);
        {
            QPainter painter(&picture);
            metafile.Draw(painter, QRect(0, 0, width, height));
        }
        Graphic.BeginUpdate();
        storePicture(picture, Graphic);
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
    // Chosen by its extension: the probe refuses the 108-byte headers most writers use today, and
    // the registry never picks a reader that has a probe by extension.
    HasSignature = false;
}

bool tEMFFileFormatReader::IsFormat(const uint8_t* Header) const {
    return get32(Header) == 1 && int32_t(get32(Header + 4)) <= 100;
}

void RegisterMetafileReaders() {
    TMetafile::SetDibDecoder(decodeDib);
    RegisterFileFormatReader(std::make_unique<tWMFFileFormatReader>());
    RegisterFileFormatReader(std::make_unique<tEMFFileFormatReader>());
}
