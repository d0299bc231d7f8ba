#pragma once
// The GIF codec keeps a GIF stream as a tree of objects that mirrors its block structure: a header
// (signature, logical screen descriptor, global colour table), frames with their extensions and
// local colour tables, and a trailer. This header holds the shared pieces of that tree: the
// exception and messages of the codec, the stream helpers, the item and list base classes, the
// colour tables, the header and the trailer.
#include <QList>
#include <QRgb>
#include <QString>

#include <cstdint>
#include <stdexcept>
#include <vector>

class QIODevice;
class TGIFImage;
class TGIFSubImage;

// Colours of the codec: red in the low byte, green in the next, blue in the third.
using GifColor = uint32_t;
constexpr GifColor gifRGB(uint8_t r, uint8_t g, uint8_t b) {
    return GifColor(r) | (GifColor(g) << 8) | (GifColor(b) << 16);
}
// A palette as handed to bitmaps; empty means "no palette".
using GifPalette = QList<QRgb>;

// Failures of graphics in general, and of the GIF codec in particular.
class EInvalidGraphic : public std::runtime_error {
public:
    explicit EInvalidGraphic(const QString& message) : std::runtime_error(message.toStdString()), Message(message) {}
    const QString& message() const { return Message; }

private:
    QString Message;
};

class GIFException : public EInvalidGraphic {
public:
    explicit GIFException(const QString& message) : EInvalidGraphic(message) {}
};

// Message numbers of the codec (English texts only).
enum class GifMessage : int {
    ImageHeightTooSmall = 65280,
    ImageWidthTooSmall = 65281,
    ImageExceedsLogicalScreen = 65282,
    NoColorTable = 65283,
    GifImageName = 65286,
    Loading = 65287,
    Saving = 65288,
    Converting = 65289,
    Rendering = 65290,
    Copying = 65291,
    UnsupportedVersion = 65296,
    InvalidSignature = 65297,
    UnknownExtensionType = 65300,
    InvalidExtensionIntroducer = 65301,
    DibMemoryAllocationFailed = 65302,
    DibFromBitmapFailed = 65303,
    DecoderBitBufferUnderrun = 65304,
    CircularDecoderTableEntry = 65305,
    InvalidImageTrailer = 65306,
    ExtensionInstanceLabelMismatch = 65307,
    UnsupportedApplicationBlockSize = 65308,
    UnknownBlockType = 65309,
    UnsupportedObjectType = 65310,
    InvalidData = 65311,
    PrematureEndOfData = 65325,
    ColorTableOverflow = 65326,
    InvalidColorIndex = 65327,
};
QString GIFMessageText(GifMessage Id);

// Texts of the graphics platform that the codec also reports.
extern const char* const BitmapNotValidText;        // "Bitmap image is not valid"
extern const char* const ScanLineOutOfRangeText;    // "Scan line index out of range"
extern const char* const OutOfSystemResourcesText;  // "Out of system resources"

// Largest frame and logical screen the codec allocates (pixels), and the most pixel memory all
// frames of one image may hold together; beyond them loading fails instead of exhausting memory.
#ifndef GIF_MAX_IMAGE_PIXELS
#define GIF_MAX_IMAGE_PIXELS (int64_t(1) << 27)
#endif
#ifndef GIF_MAX_TOTAL_PIXELS
#define GIF_MAX_TOTAL_PIXELS (int64_t(1) << 28)
#endif
constexpr int64_t GIFMaxImagePixels = GIF_MAX_IMAGE_PIXELS;
constexpr int64_t GIFMaxTotalPixels = GIF_MAX_TOTAL_PIXELS;

// Stream helpers.
[[noreturn]] void RaiseGIFError(const QString& Message);
[[noreturn]] void RaiseGIFError(GifMessage MessageId);
void ReadCheck(QIODevice& Stream, void* Buffer, int64_t Count);
bool ReadByte(QIODevice& Stream, uint8_t& Value);  // false at the end of the stream
void WriteByte(QIODevice& Stream, uint8_t Value);
void WriteBytes(QIODevice& Stream, const void* Buffer, int64_t Count);
void StepBack(QIODevice& Stream, int64_t Count = 1);
void WriteStrings(QIODevice& Stream, const QList<QByteArray>& Strings);
void ReadStrings(QIODevice& Stream, QList<QByteArray>& Strings);
int BitsForColors(int Count);
int AlignBits(int Bits, int BitsPerPixel, int Alignment);
// The 216-colour cube: entry r*36 + g*6 + b is (r*51, g*51, b*51).
GifPalette CreateCubePalette();

class TGIFItem {
public:
    explicit TGIFItem(TGIFImage* image) : Image(image) {}
    virtual ~TGIFItem() = default;
    TGIFItem(const TGIFItem&) = delete;
    TGIFItem& operator=(const TGIFItem&) = delete;

    // 1 for GIF87a, 2 for GIF89a.
    virtual int GetVersion() const { return 1; }
    virtual void Warning(uint8_t Severity, const QString& Message);
    virtual void SaveToStream(QIODevice& Stream) = 0;
    virtual void LoadFromStream(QIODevice& Stream) = 0;

    TGIFImage* Image;  // owner of the tree, not owned
};

// An ordered list of owned items.
class TGIFList {
public:
    explicit TGIFList(TGIFImage* image) : Image(image) {}
    virtual ~TGIFList() { Clear(); }
    TGIFList(const TGIFList&) = delete;
    TGIFList& operator=(const TGIFList&) = delete;

    virtual void Warning(uint8_t Severity, const QString& Message);
    virtual void SaveToStream(QIODevice& Stream);

    TGIFItem* GetItem(int Index) const { return Items.at(size_t(Index)); }
    int Count() const { return int(Items.size()); }
    int Add(TGIFItem* Item);
    void Delete(int Index);
    void Clear();
    TGIFItem* First() const { return Items.empty() ? nullptr : Items.front(); }

    TGIFImage* Image;
    std::vector<TGIFItem*> Items;
};

class TGIFColorMap {
public:
    TGIFColorMap() = default;
    virtual ~TGIFColorMap() = default;
    TGIFColorMap(const TGIFColorMap&) = delete;
    TGIFColorMap& operator=(const TGIFColorMap&) = delete;

    virtual void Assign(const TGIFColorMap& Source);
    virtual void Warning(uint8_t Severity, const QString& Message) = 0;
    virtual bool SortByUse() = 0;
    virtual void Changed() = 0;

    void Clear();
    void Grow(int Required);
    void LoadFromStream(QIODevice& Stream, int Count);
    void SaveToStream(QIODevice& Stream) const;
    int BitsPerPixel() const { return BitsForColors(Count); }
    int IndexOf(GifColor Color) const;
    int Add(GifColor Color);
    GifColor GetColor(int Index);
    // DIB colour entries (blue, green, red, reserved).
    void ImportDIBColors(const uint8_t* Entries, int Count);
    void ImportPalette(const GifPalette& Palette);
    GifPalette CreatePaletteHandle() const;
    bool ReorderByUse(TGIFSubImage& Frame, bool Truncate);

    std::vector<uint8_t> Entries;  // red, green, blue per entry; Capacity entries allocated
    int Capacity = 0;
    int Count = 0;
    bool IsSorted = false;
};

class TGIFHeader;

class TGIFGlobalColorMap : public TGIFColorMap {
public:
    explicit TGIFGlobalColorMap(TGIFHeader* owner) : Owner(owner) {}
    ~TGIFGlobalColorMap() override;
    void Warning(uint8_t Severity, const QString& Message) override;
    bool SortByUse() override;
    void Changed() override;
    TGIFHeader* Owner;
};

class TGIFLocalColorMap : public TGIFColorMap {
public:
    explicit TGIFLocalColorMap(TGIFSubImage* owner) : Owner(owner) {}
    ~TGIFLocalColorMap() override;
    void Warning(uint8_t Severity, const QString& Message) override;
    bool SortByUse() override;
    void Changed() override;
    TGIFSubImage* Owner;
};

// The logical screen descriptor as stored.
struct GifScreenDescriptor {
    uint16_t ScreenWidth = 0;
    uint16_t ScreenHeight = 0;
    uint8_t PackedFields = 0;  // bit 7 global table, bits 4-6 colour resolution, bit 3 sorted, 0-2 size
    uint8_t BackgroundColorIndex = 0;
    uint8_t AspectRatio = 0;
};

class TGIFHeader : public TGIFItem {
public:
    explicit TGIFHeader(TGIFImage* image);
    void AssignTo(TGIFHeader& Destination) const;
    int GetVersion() const override;
    void SaveToStream(QIODevice& Stream) override;
    void LoadFromStream(QIODevice& Stream) override;

    int BitsPerPixel() const { return GlobalColorMap.BitsPerPixel(); }
    int ColorResolution() const { return BitsPerPixel() - 1; }
    GifColor BackgroundColor() { return GlobalColorMap.GetColor(ScreenDescriptor.BackgroundColorIndex); }
    void Prepare();

    GifScreenDescriptor ScreenDescriptor;
    TGIFGlobalColorMap GlobalColorMap{this};
};

class TGIFTrailer : public TGIFItem {
public:
    using TGIFItem::TGIFItem;
    void SaveToStream(QIODevice& Stream) override;
    void LoadFromStream(QIODevice& Stream) override;
};

class TGIFExtensionList : public TGIFList {
public:
    using TGIFList::TGIFList;
    // Reads the extensions in front of a frame; leaves the stream on the "," or ";" that follows.
    void LoadFromStream(QIODevice& Stream, TGIFSubImage* Parent);
};
