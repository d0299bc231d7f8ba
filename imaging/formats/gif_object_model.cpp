// Shared pieces of the GIF object tree: messages, stream helpers, lists, colour tables, header and
// trailer.
#include "imaging/formats/gif_object_model.h"

#include "imaging/formats/gif_extensions.h"
#include "imaging/formats/gif_image.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

const char* const BitmapNotValidText = "Bitmap image is not valid";
const char* const ScanLineOutOfRangeText = "Scan line index out of range";
const char* const OutOfSystemResourcesText = "Out of system resources";

QString GIFMessageText(GifMessage Id) {
    switch (Id) {
    case GifMessage::ImageHeightTooSmall: return QStringLiteral("Image height too small for contained frames");
    case GifMessage::ImageWidthTooSmall: return QStringLiteral("Image width too small for contained frames");
    case GifMessage::ImageExceedsLogicalScreen: return QStringLiteral("Image exceeds Logical Screen size");
    case GifMessage::NoColorTable: return QStringLiteral("No global or local color table defined");
    case GifMessage::GifImageName: return QStringLiteral("GIF Image");
    case GifMessage::Loading: return QStringLiteral("Loading...");
    case GifMessage::Saving: return QStringLiteral("Saving...");
    case GifMessage::Converting: return QStringLiteral("Converting...");
    case GifMessage::Rendering: return QStringLiteral("Rendering...");
    case GifMessage::Copying: return QStringLiteral("Copying...");
    case GifMessage::UnsupportedVersion: return QStringLiteral("Unsupported GIF version");
    case GifMessage::InvalidSignature: return QStringLiteral("Invalid GIF signature");
    case GifMessage::UnknownExtensionType: return QStringLiteral("Unknown extension type");
    case GifMessage::InvalidExtensionIntroducer: return QStringLiteral("Invalid extension introducer");
    case GifMessage::DibMemoryAllocationFailed: return QStringLiteral("Failed to allocate memory for GIF DIB");
    case GifMessage::DibFromBitmapFailed: return QStringLiteral("Failed to create DIB from Bitmap");
    case GifMessage::DecoderBitBufferUnderrun: return QStringLiteral("Decoder bit buffer under-run");
    case GifMessage::CircularDecoderTableEntry: return QStringLiteral("Circular decoder table entry");
    case GifMessage::InvalidImageTrailer: return QStringLiteral("Invalid Image trailer");
    case GifMessage::ExtensionInstanceLabelMismatch: return QStringLiteral("Internal error: Extension Instance does not match Extension Label");
    case GifMessage::UnsupportedApplicationBlockSize: return QStringLiteral("Unsupported Application Extension block size");
    case GifMessage::UnknownBlockType: return QStringLiteral("Unknown GIF block type");
    case GifMessage::UnsupportedObjectType: return QStringLiteral("Object type not supported for operation");
    case GifMessage::InvalidData: return QStringLiteral("Invalid GIF data");
    case GifMessage::PrematureEndOfData: return QStringLiteral("Premature end of data");
    case GifMessage::ColorTableOverflow: return QStringLiteral("Color table overflow");
    case GifMessage::InvalidColorIndex: return QStringLiteral("Invalid color index");
    default: return QString();
    }
}

void RaiseGIFError(const QString& Message) { throw GIFException(Message); }
void RaiseGIFError(GifMessage MessageId) { throw GIFException(GIFMessageText(MessageId)); }

void ReadCheck(QIODevice& Stream, void* Buffer, int64_t Count) {
    if (Count <= 0) return;
    if (Stream.read(static_cast<char*>(Buffer), Count) != Count) RaiseGIFError(GifMessage::PrematureEndOfData);
}

bool ReadByte(QIODevice& Stream, uint8_t& Value) {
    char c;
    if (!Stream.getChar(&c)) return false;
    Value = uint8_t(c);
    return true;
}

void WriteByte(QIODevice& Stream, uint8_t Value) { Stream.putChar(char(Value)); }

void WriteBytes(QIODevice& Stream, const void* Buffer, int64_t Count) {
    if (Count > 0) Stream.write(static_cast<const char*>(Buffer), Count);
}

void StepBack(QIODevice& Stream, int64_t Count) { Stream.seek(std::max<int64_t>(0, Stream.pos() - Count)); }

void WriteStrings(QIODevice& Stream, const QList<QByteArray>& Strings) {
    for (const QByteArray& s : Strings) {
        for (qsizetype at = 0; at < s.size(); at += 255) {
            const qsizetype n = std::min<qsizetype>(255, s.size() - at);
            WriteByte(Stream, uint8_t(n));
            WriteBytes(Stream, s.constData() + at, n);
        }
    }
    WriteByte(Stream, 0);
}

void ReadStrings(QIODevice& Stream, QList<QByteArray>& Strings) {
    Strings.clear();
    uint8_t size;
    while (ReadByte(Stream, size) && size != 0) {
        char buffer[256];
        ReadCheck(Stream, buffer, size);
        const char* end = static_cast<const char*>(std::memchr(buffer, 0, size));
        Strings.append(QByteArray(buffer, end ? int(end - buffer) : int(size)));
    }
}

int BitsForColors(int Count) {
    if (Count <= 0) return 0;
    for (int b = 1; b <= 8; ++b)
        if ((1 << b) >= Count) return b;
    return 8;
}

int AlignBits(int Bits, int BitsPerPixel, int Alignment) {
    return ((Bits * BitsPerPixel + Alignment - 1) / 8) & ~((Alignment - 1) / 8);
}

GifPalette CreateCubePalette() {
    GifPalette palette;
    palette.reserve(216);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) palette.append(qRgb(r * 51, g * 51, b * 51));
    return palette;
}

// ---- items and lists ----

void TGIFItem::Warning(uint8_t Severity, const QString& Message) {
    if (Image) Image->Warning(this, Severity, Message);
}

void TGIFList::Warning(uint8_t Severity, const QString& Message) {
    if (Image) Image->Warning(this, Severity, Message);
}

void TGIFList::SaveToStream(QIODevice& Stream) {
    for (TGIFItem* item : Items) item->SaveToStream(Stream);
}

int TGIFList::Add(TGIFItem* Item) {
    Items.push_back(Item);
    return int(Items.size()) - 1;
}

void TGIFList::Delete(int Index) {
    TGIFItem* item = Items.at(size_t(Index));
    Items.erase(Items.begin() + Index);
    delete item;
}

void TGIFList::Clear() {
    // Front to back, in one pass: erasing each from the front would move the rest every time.
    std::vector<TGIFItem*> items;
    items.swap(Items);
    for (TGIFItem* item : items) delete item;
}

void TGIFExtensionList::LoadFromStream(QIODevice& Stream, TGIFSubImage* Parent) {
    uint8_t b;
    if (!ReadByte(Stream, b)) return;
    while (b != 0x2C && b != 0x3B) {
        if (b != 0x21) {
            Warning(1, GIFMessageText(GifMessage::InvalidExtensionIntroducer));
            break;
        }
        const GifExtensionClass cls = TGIFExtension::FindExtensionClass(Stream);
        if (!cls || !cls->Create) RaiseGIFError(GifMessage::UnknownExtensionType);
        StepBack(Stream);
        std::unique_ptr<TGIFExtension> extension(cls->Create(Parent));
        extension->LoadFromStream(Stream);
        Add(extension.release());
        if (!ReadByte(Stream, b)) return;
    }
    StepBack(Stream);
}

// ---- colour tables ----

void TGIFColorMap::Clear() {
    Entries.clear();
    Entries.shrink_to_fit();
    Capacity = 0;
    Count = 0;
    IsSorted = false;
}

void TGIFColorMap::Grow(int Required) {
    if (Required < Capacity) return;
    int capacity = Required <= 16 ? 16 : (Required + 31) / 32 * 32;
    capacity = std::min(capacity, 256);
    Capacity = capacity;
    Entries.resize(size_t(capacity) * 3, 0);
}

void TGIFColorMap::LoadFromStream(QIODevice& Stream, int n) {
    Clear();
    n = std::clamp(n, 0, 256);
    Grow(n);
    ReadCheck(Stream, Entries.data(), int64_t(n) * 3);
    Count = n;
}

void TGIFColorMap::SaveToStream(QIODevice& Stream) const {
    if (Count == 0) return;
    WriteBytes(Stream, Entries.data(), int64_t(Count) * 3);
    const int padded = 1 << BitsPerPixel();
    static const uint8_t black[3] = {0, 0, 0};
    for (int i = Count; i < padded; ++i) WriteBytes(Stream, black, 3);
}

int TGIFColorMap::IndexOf(GifColor Color) const {
    const uint8_t r = uint8_t(Color), g = uint8_t(Color >> 8), b = uint8_t(Color >> 16);
    auto matches = [&](int i) {
        const uint8_t* e = &Entries[size_t(i) * 3];
        return e[0] == r && e[1] == g && e[2] == b;
    };
    if (IsSorted) {
        for (int i = 0; i < Count; ++i)
            if (matches(i)) return i;
    } else {
        for (int i = Count - 1; i >= 0; --i)
            if (matches(i)) return i;
    }
    return -1;
}

int TGIFColorMap::Add(GifColor Color) {
    const int found = IndexOf(Color);
    if (found >= 0) return found;
    if (Count >= 256) RaiseGIFError(GifMessage::ColorTableOverflow);
    if (Count >= Capacity) Grow(Count + 1);
    uint8_t* e = &Entries[size_t(Count) * 3];
    e[0] = uint8_t(Color);
    e[1] = uint8_t(Color >> 8);
    e[2] = uint8_t(Color >> 16);
    ++Count;
    IsSorted = false;
    Changed();
    return Count - 1;
}

GifColor TGIFColorMap::GetColor(int Index) {
    if (Index < 0 || Index >= Count) {
        Warning(1, GIFMessageText(GifMessage::InvalidColorIndex));
        return 0;  // black outside the table
    }
    const uint8_t* e = &Entries[size_t(Index) * 3];
    return gifRGB(e[0], e[1], e[2]);
}

void TGIFColorMap::ImportDIBColors(const uint8_t* DibEntries, int n) {
    Clear();
    n = std::clamp(n, 0, 256);
    if (n == 0) return;
    Grow(n);
    for (int i = 0; i < n; ++i) {
        Entries[size_t(i) * 3 + 0] = DibEntries[i * 4 + 2];
        Entries[size_t(i) * 3 + 1] = DibEntries[i * 4 + 1];
        Entries[size_t(i) * 3 + 2] = DibEntries[i * 4 + 0];
    }
    Count = n;
    Changed();
}

void TGIFColorMap::ImportPalette(const GifPalette& Palette) {
    std::vector<uint8_t> dib;
    const int n = std::min<int>(int(Palette.size()), 256);
    dib.resize(size_t(n) * 4 + 4);
    for (int i = 0; i < n; ++i) {
        const QRgb c = Palette[i];
        dib[size_t(i) * 4 + 0] = uint8_t(qBlue(c));
        dib[size_t(i) * 4 + 1] = uint8_t(qGreen(c));
        dib[size_t(i) * 4 + 2] = uint8_t(qRed(c));
    }
    ImportDIBColors(dib.data(), n);
}

GifPalette TGIFColorMap::CreatePaletteHandle() const {
    GifPalette palette;
    palette.reserve(Count);
    for (int i = 0; i < Count; ++i) {
        const uint8_t* e = &Entries[size_t(i) * 3];
        palette.append(qRgb(e[0], e[1], e[2]));
    }
    return palette;
}

void TGIFColorMap::Assign(const TGIFColorMap& Source) {
    if (&Source == this) return;
    Clear();
    Capacity = Source.Capacity;
    Count = Source.Count;
    IsSorted = Source.IsSorted;
    Entries = Source.Entries;
    Entries.resize(size_t(Capacity) * 3, 0);
    Changed();
}

namespace {

struct UsageEntry {
    int Index;
    int64_t Uses;
};

void quickSortByUse(std::vector<UsageEntry>& pairs, int lo, int hi) {
    while (lo < hi) {
        int i = lo, j = hi;
        const int64_t pivot = pairs[size_t((lo + hi) / 2)].Uses;
        do {
            while (pairs[size_t(i)].Uses > pivot) ++i;
            while (pairs[size_t(j)].Uses < pivot) --j;
            if (i <= j) {
                std::swap(pairs[size_t(i)], pairs[size_t(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (lo < j) quickSortByUse(pairs, lo, j);
        lo = i;
    }
}

}  // namespace

bool TGIFColorMap::ReorderByUse(TGIFSubImage& Frame, bool Truncate) {
    if (Count < 2) return false;
    IsSorted = true;
    std::vector<UsageEntry> pairs(size_t(Count), UsageEntry{0, 0});
    for (int i = 0; i < Count; ++i) pairs[size_t(i)] = {i, 0};
    Frame.FillPixels();
    const size_t pixels = std::min(Frame.Data.size(), size_t(Frame.Width()) * size_t(Frame.Height()));
    for (size_t p = 0; p < pixels; ++p)
        if (Frame.Data[p] < Count) ++pairs[Frame.Data[p]].Uses;
    quickSortByUse(pairs, 0, Count - 1);
    bool inOrder = true;
    for (int k = 0; k < Count; ++k)
        if (pairs[size_t(k)].Index != k) inOrder = false;
    if (inOrder) return true;

    std::vector<uint8_t> newIndex(256);
    for (int i = 0; i < 256; ++i) newIndex[size_t(i)] = uint8_t(i);
    for (int k = 0; k < Count; ++k) newIndex[size_t(pairs[size_t(k)].Index)] = uint8_t(k);
    for (size_t p = 0; p < pixels; ++p) Frame.Data[p] = newIndex[Frame.Data[p]];
    if (Frame.Transparent && Frame.GraphicControlExtension)
        Frame.GraphicControlExtension->SetTransparentColorIndex(
            newIndex[Frame.GraphicControlExtension->GetTransparentColorIndex()]);

    std::vector<uint8_t> permuted(Entries.size(), 0);
    for (int j = 0; j < Count; ++j)
        std::memcpy(&permuted[size_t(newIndex[size_t(j)]) * 3], &Entries[size_t(j) * 3], 3);
    Entries.swap(permuted);

    if (Truncate) {
        for (int k = 0; k < Count; ++k)
            if (pairs[size_t(k)].Uses == 0) {
                Count = k;
                break;
            }
    }
    Changed();
    return true;
}

TGIFGlobalColorMap::~TGIFGlobalColorMap() { Clear(); }

void TGIFGlobalColorMap::Warning(uint8_t Severity, const QString& Message) {
    if (Owner && Owner->Image) Owner->Image->Warning(this, Severity, Message);
}

bool TGIFGlobalColorMap::SortByUse() {
    if (Owner && Owner->Image && Owner->Image->Images().Count() > 0)
        return ReorderByUse(*Owner->Image->Images().Frame(0), Owner->Image->Images().Count() == 1);
    return false;
}

void TGIFGlobalColorMap::Changed() {
    if (Owner && Owner->Image) Owner->Image->SetPalette(GifPalette());
}

TGIFLocalColorMap::~TGIFLocalColorMap() { Clear(); }

void TGIFLocalColorMap::Warning(uint8_t Severity, const QString& Message) {
    if (Owner && Owner->Image) Owner->Image->Warning(this, Severity, Message);
}

bool TGIFLocalColorMap::SortByUse() { return Owner ? ReorderByUse(*Owner, true) : false; }

void TGIFLocalColorMap::Changed() {
    if (Owner) Owner->SetPalette(std::nullopt);
}

// ---- header and trailer ----

TGIFHeader::TGIFHeader(TGIFImage* image) : TGIFItem(image) {}

void TGIFHeader::AssignTo(TGIFHeader& Destination) const {
    Destination.GlobalColorMap.Assign(GlobalColorMap);
    Destination.ScreenDescriptor = ScreenDescriptor;
}

int TGIFHeader::GetVersion() const {
    return (GlobalColorMap.IsSorted || ScreenDescriptor.AspectRatio != 0) ? 2 : 1;
}

void TGIFHeader::Prepare() {
    uint8_t packed = 0;
    if (GlobalColorMap.Count > 0) {
        packed |= 0x80;
        if (GlobalColorMap.IsSorted) packed |= 0x08;
    }
    const int resolution = Image ? Image->GetColorResolution() : ColorResolution();
    packed |= uint8_t((resolution << 4) & 0x70);
    packed |= uint8_t((GlobalColorMap.BitsPerPixel() - 1) & 7);
    ScreenDescriptor.PackedFields = packed;
}

void TGIFHeader::SaveToStream(QIODevice& Stream) {
    const int version = Image ? Image->GetVersion() : GetVersion();
    if (version == 0) RaiseGIFError(GifMessage::UnsupportedVersion);
    WriteBytes(Stream, version == 1 ? "GIF87a" : "GIF89a", 6);
    Prepare();
    uint8_t d[7];
    d[0] = uint8_t(ScreenDescriptor.ScreenWidth);
    d[1] = uint8_t(ScreenDescriptor.ScreenWidth >> 8);
    d[2] = uint8_t(ScreenDescriptor.ScreenHeight);
    d[3] = uint8_t(ScreenDescriptor.ScreenHeight >> 8);
    d[4] = ScreenDescriptor.PackedFields;
    d[5] = ScreenDescriptor.BackgroundColorIndex;
    d[6] = ScreenDescriptor.AspectRatio;
    WriteBytes(Stream, d, 7);
    if (ScreenDescriptor.PackedFields & 0x80) GlobalColorMap.SaveToStream(Stream);
}

void TGIFHeader::LoadFromStream(QIODevice& Stream) {
    char signature[6];
    ReadCheck(Stream, signature, 6);
    if (QByteArray(signature, 3).toUpper() != "GIF") RaiseGIFError(GifMessage::InvalidSignature);
    uint8_t d[7];
    ReadCheck(Stream, d, 7);
    ScreenDescriptor.ScreenWidth = uint16_t(d[0] | (d[1] << 8));
    ScreenDescriptor.ScreenHeight = uint16_t(d[2] | (d[3] << 8));
    ScreenDescriptor.PackedFields = d[4];
    ScreenDescriptor.BackgroundColorIndex = d[5];
    ScreenDescriptor.AspectRatio = d[6];
    if (d[4] & 0x80)
        GlobalColorMap.LoadFromStream(Stream, 2 << (d[4] & 7));
    else
        GlobalColorMap.Clear();
}

void TGIFTrailer::SaveToStream(QIODevice& Stream) { WriteByte(Stream, 0x3B); }

void TGIFTrailer::LoadFromStream(QIODevice& Stream) {
    uint8_t b;
    if (ReadByte(Stream, b) && b != 0x3B) Warning(1, GIFMessageText(GifMessage::InvalidImageTrailer));
}
