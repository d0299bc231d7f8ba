// Reading of Windows icon files. The directory and each entry's sizes are checked (in 64-bit
// arithmetic, against the stream's size) before an image's bytes are read; every read goes
// through the checked input.
#include "imaging/formats/ico_format.h"

#include "imaging/formats/reader_progress.h"
#include "imaging/formats/stream_byte_reader.h"

#include <QIODevice>

#include <algorithm>
#include <utility>

int IconReaderMode = 1;
TColor IconTransparentColor = 0xFFFFFF;

namespace {

constexpr int DirectoryHeaderSize = 6;
constexpr int EntrySize = 16;
constexpr int InfoHeaderSize = 40;

struct EndOfIcon {};  // a read past the end of the stream

// Reads at absolute positions and puts the stream back where it was.
class IconInput {
public:
    explicit IconInput(QIODevice& stream)
        : Stream(stream), Saved(stream.pos()), In(stream, 1024, [] { throw EndOfIcon(); }) {}
    ~IconInput() { Stream.seek(Saved); }
    uint16_t Word(qint64 at) {
        In.Seek(at);
        return In.WordLE();
    }
    uint32_t Long(qint64 at) {
        In.Seek(at);
        const uint32_t lo = In.WordLE();
        return lo | (uint32_t(In.WordLE()) << 16);
    }
    void Bytes(qint64 at, uint8_t* target, int64_t count) {
        In.Seek(at);
        In.Read(target, count);
    }
    int64_t Size() const { return Stream.size(); }

private:
    QIODevice& Stream;
    qint64 Saved;

public:
    TStreamByteReader In;
};

int rowBytes(int width, int bits) { return ((width * bits + 7) / 8 + 3) / 4 * 4; }

enum class EntryCheck {
    Accepted,
    BadSize,      // width or height outside 8..64
    BadBitCount,  // not 1, 4 or 8 bits per pixel
    BadType       // neither icon nor cursor
};

EntryCheck checkEntry(int width, int height, int bits, int type) {
    if (width < 8 || width > 64 || height < 8 || height > 64) return EntryCheck::BadSize;
    if (bits != 1 && bits != 4 && bits != 8) return EntryCheck::BadBitCount;
    if (type != 1 && type != 2) return EntryCheck::BadType;
    return EntryCheck::Accepted;
}

qint64 imageOffset(IconInput& in, qint64 base, int index) {
    return base + in.Long(base + DirectoryHeaderSize + qint64(index) * EntrySize + 12);
}

// Width, height and bit count of the image whose information header starts at Image.
TIconEntryInfo imageInfoAt(IconInput& in, qint64 image) {
    TIconEntryInfo info;
    info.Width = int(in.Long(image + 4));
    info.Height = int(in.Long(image + 8)) / 2;
    info.BitCount = in.Word(image + 14);
    return info;
}

QString colourCount(int bits) {
    switch (bits) {
    case 1: return QStringLiteral("2");
    case 4: return QStringLiteral("16");
    case 8: return QStringLiteral("256");
    default: return QString();
    }
}

}  // namespace

TIconDirectory tIconHandler::ReadDirectory(QIODevice& Stream, qint64 Base) const {
    try {
        IconInput in(Stream);
        const int64_t size = in.Size();
        if (size - Base <= DirectoryHeaderSize) return {};
        const int reserved = in.Word(Base), type = in.Word(Base + 2), count = in.Word(Base + 4);
        if (reserved != 0 || (type != 1 && type != 2) || count == 0) return {};
        if (size - Base - DirectoryHeaderSize <= int64_t(count) * EntrySize) return {};
        for (int i = 0; i < count; ++i) {
            const qint64 entry = Base + DirectoryHeaderSize + qint64(i) * EntrySize;
            const int64_t bytes = in.Long(entry + 8), offset = in.Long(entry + 12);
            if (Base + offset + bytes > size) return {};
        }
        return {count, type};
    } catch (const EndOfIcon&) {
        return {};
    }
}

TIconEntryInfo tIconHandler::GetEntryInfo(QIODevice& Stream, qint64 Base, int Index) const {
    const TIconDirectory directory = ReadDirectory(Stream, Base);
    if (Index < 0 || Index >= directory.Count) return {};
    try {
        IconInput in(Stream);
        return imageInfoAt(in, imageOffset(in, Base, Index));
    } catch (const EndOfIcon&) {
        return {};
    }
}

std::vector<TIconEntryInfo> tIconHandler::GetEntryInfos(QIODevice& Stream, qint64 Base) const {
    const TIconDirectory directory = ReadDirectory(Stream, Base);
    std::vector<TIconEntryInfo> infos;
    IconInput in(Stream);
    // The directory in one sweep first, then the images: reading alternately from both would
    // refill the input buffer twice an entry.
    std::vector<qint64> images;
    try {
        for (int i = 0; i < directory.Count; ++i) images.push_back(imageOffset(in, Base, i));
    } catch (const EndOfIcon&) {
        return infos;  // the directory was checked, so only a stream that shrank ends here
    }
    infos.reserve(images.size());
    for (const qint64 image : images) {
        try {
            infos.push_back(imageInfoAt(in, image));
        } catch (const EndOfIcon&) {
            infos.push_back({});  // an entry whose header lies past the end reads as zeros
        }
    }
    return infos;
}

bool tIconHandler::LoadImage(QIODevice& Stream, qint64 Base, int Index) {
    Release();
    const TIconDirectory directory = ReadDirectory(Stream, Base);
    if (Index < 0 || Index >= directory.Count) return false;
    try {
        IconInput in(Stream);
        const qint64 entry = Base + DirectoryHeaderSize + qint64(Index) * EntrySize;
        const int64_t bytesInResource = in.Long(entry + 8);
        const qint64 image = Base + in.Long(entry + 12);
        const int32_t width = int32_t(in.Long(image + 4)), height = int32_t(in.Long(image + 8)) / 2;
        const int bits = in.Word(image + 14);
        if (checkEntry(width, height, bits, directory.Type) != EntryCheck::Accepted) return false;
        const int colourRow = rowBytes(width, bits), maskRow = rowBytes(width, 1);
        const int64_t tableBytes = int64_t(4) << bits;
        const int64_t pixelBytes = int64_t(colourRow + maskRow) * height;
        if (bytesInResource != InfoHeaderSize + tableBytes + pixelBytes) return false;
        std::vector<uint8_t> table(size_t(tableBytes), 0);
        in.Bytes(image + InfoHeaderSize, table.data(), tableBytes);
        Pixels.resize(size_t(pixelBytes));
        in.Bytes(image + InfoHeaderSize + tableBytes, Pixels.data(), pixelBytes);
        // The file's table is blue, green, red; the graphic wants red, green, blue.
        for (int i = 0; i < (1 << bits); ++i) Table.push_back(pgRGB(table[4 * i + 2], table[4 * i + 1], table[4 * i]));
        ImageWidth = width;
        ImageHeight = height;
        Bits = bits;
        ColorRowBytes = colourRow;
        MaskRowBytes = maskRow;
        return true;
    } catch (const EndOfIcon&) {
        Release();
        return false;
    }
}

void tIconHandler::Release() {
    Pixels.clear();
    Table.clear();
    ImageWidth = ImageHeight = Bits = ColorRowBytes = MaskRowBytes = 0;
}

int tIconHandler::ColorIndex(int x, int y) const {
    const uint8_t* row = Pixels.data() + size_t(ImageHeight - 1 - y) * ColorRowBytes;
    switch (Bits) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
    default: return row[x];
    }
}

TColor tIconHandler::Color(int x, int y) const {
    const uint8_t* mask = Pixels.data() + size_t(ImageHeight) * ColorRowBytes + size_t(ImageHeight - 1 - y) * MaskRowBytes;
    if ((mask[x / 8] >> (7 - x % 8)) & 1) return TransparentColor;
    return TableColor(ColorIndex(x, y));
}

TColor tIconHandler::TableColor(int i) const { return i >= 0 && i < int(Table.size()) ? Table[size_t(i)] : 0; }

tIcoFileFormatReader::tIcoFileFormatReader() {
    Extension = QStringLiteral("ico");
    Description = QStringLiteral("Windows Icon");
    HasSignature = true;
}

bool tIcoFileFormatReader::IsFormat(const uint8_t* Header) const {
    auto word = [Header](int at) { return Header[at] | (Header[at + 1] << 8); };
    return word(0) == 0 && word(2) == 1 && word(4) != 0;
}

void tIcoFileFormatReader::Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) {
    Graphic.SetTransparentColor(IconTransparentColor);
    Graphic.SetTransparent(true);
    tIconHandler handler;
    handler.TransparentColor = IconTransparentColor;
    const qint64 base = Stream.pos();
    const TIconDirectory directory = handler.ReadDirectory(Stream, base);
    if (directory.Type != 1 || directory.Count < 1) throw EPixelGraphic(QStringLiteral("Not an Icon file"));
    if (ImageIndex < 0 || ImageIndex >= directory.Count || !handler.LoadImage(Stream, base, ImageIndex))
        throw EPixelGraphic(QStringLiteral("Index out of bounds"));
    const int width = handler.Width(), height = handler.Height();
    if (IconReaderMode == 0) {
        Graphic.SetSize(width, height, handler.BitsPerPixel() == 1 ? PixelFormat1Bit : handler.BitsPerPixel() == 4 ? PixelFormat4Bit : PixelFormat8Bit);
        Graphic.SetTransparent(false);
        Graphic.SetPaletteCount(handler.Colors());
        for (int i = 0; i < handler.Colors(); ++i) Graphic.SetPaletteColor(i, handler.TableColor(i));
    } else if (IconReaderMode == 1) {
        Graphic.SetSize(width, height, PixelFormat24Bit);
        Graphic.SetTransparent(true);
    } else {
        return;
    }
    TProgressScope progress(Graphic);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (IconReaderMode == 0) Graphic.SetPixel(x, y, uint32_t(handler.ColorIndex(x, y)));
            else Graphic.SetPixel(x, y, handler.Color(x, y));
        }
        if (progress.Row(y, height - 1)) break;
    }
}

void tIcoFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) {
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    const qint64 base = Stream.pos();
    const tIconHandler handler;
    const TIconDirectory directory = handler.ReadDirectory(Stream, base);
    if (directory.Type != 1 || directory.Count < 1) throw EPixelGraphic(QStringLiteral("Not an Icon file"));
    Info.ImageCount = directory.Count;
    const std::vector<TIconEntryInfo> entries = handler.GetEntryInfos(Stream, base);
    const TIconEntryInfo first = entries.empty() ? TIconEntryInfo() : entries.front();
    Info.Width = first.Width;
    Info.Height = first.Height;
    Info.BitCount = first.BitCount;
    if (directory.Count == 1) {
        Info.ColorsText = colourCount(first.BitCount);
        return;
    }
    int minBits = first.BitCount, maxBits = first.BitCount, minWidth = first.Width, maxWidth = first.Width;
    for (const TIconEntryInfo& e : entries) {
        minBits = std::min(minBits, e.BitCount);
        maxBits = std::max(maxBits, e.BitCount);
        minWidth = std::min(minWidth, e.Width);
        maxWidth = std::max(maxWidth, e.Width);
    }
    Info.Details = QStringLiteral("Colors ") + colourCount(minBits) + QStringLiteral("..") + colourCount(maxBits);
    Info.SubFormat = QStringLiteral("Sizes %1..%2").arg(minWidth).arg(maxWidth);
}

void RegisterIcoReader() { RegisterFileFormatReader(std::make_unique<tIcoFileFormatReader>()); }
