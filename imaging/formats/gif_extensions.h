#pragma once
// GIF extension blocks (graphic control, plain text, comment, application extensions with the
// looping extension) and the two registries through which the reader picks a class for a block:
// one by label, one by application identifier and authentication code.
#include "imaging/formats/gif_object_model.h"

#include <QByteArray>

#include <array>
#include <functional>
#include <memory>

class TGIFExtension;

// A class reference for extensions: how to make one and how to pick the class for a block.
struct GifExtensionClassInfo {
    const char* Name;
    // Creates an instance owned by the frame's extension list.
    std::function<TGIFExtension*(TGIFSubImage* Frame)> Create;
    // Given the stream just behind the label, the class that should read this block (itself by
    // default, nullptr when none).
    const GifExtensionClassInfo* (*ResolveClass)(const GifExtensionClassInfo* Self, QIODevice& Stream);
};
using GifExtensionClass = const GifExtensionClassInfo*;

const GifExtensionClassInfo* ResolveOwnClass(const GifExtensionClassInfo* Self, QIODevice& Stream);

class TGIFExtension : public TGIFItem {
public:
    explicit TGIFExtension(TGIFSubImage* frame);
    virtual uint8_t GetExtensionType() const = 0;
    int GetVersion() const override { return 2; }
    void SaveToStream(QIODevice& Stream) override;
    void LoadFromStream(QIODevice& Stream) override;
    static uint8_t ReadExtensionHeader(QIODevice& Stream);
    // With the stream just behind the introducer: the class to read the block, or nullptr; the
    // stream position is the same on return.
    static GifExtensionClass FindExtensionClass(QIODevice& Stream);

    TGIFSubImage* SubImage;  // owning frame
};

class TGIFGraphicControlExtension : public TGIFExtension {
public:
    static const GifExtensionClassInfo ClassInfo;
    explicit TGIFGraphicControlExtension(TGIFSubImage* frame);
    ~TGIFGraphicControlExtension() override;
    uint8_t GetExtensionType() const override { return 0xF9; }
    void SaveToStream(QIODevice& Stream) override;
    void LoadFromStream(QIODevice& Stream) override;

    bool GetTransparent() const { return (PackedFields & 0x01) != 0; }
    void SetTransparent(bool Value);
    int GetDisposal() const { return (PackedFields >> 2) & 7; }
    void SetDisposal(int Value);
    uint16_t GetDelay() const { return Delay; }
    void SetDelay(uint16_t Value) { Delay = Value; }
    uint8_t GetTransparentColorIndex() const { return TransparentColorIndex; }
    void SetTransparentColorIndex(int Index);

    // The 6-byte record as in the file.
    uint8_t BlockSize = 4;
    uint8_t PackedFields = 0;
    uint16_t Delay = 0;
    uint8_t TransparentColorIndex = 0;
    uint8_t Terminator = 0;
};

class TGIFTextExtension : public TGIFExtension {
public:
    static const GifExtensionClassInfo ClassInfo;
    using TGIFExtension::TGIFExtension;
    uint8_t GetExtensionType() const override { return 0x01; }
    void SaveToStream(QIODevice& Stream) override;
    void LoadFromStream(QIODevice& Stream) override;

    // The 13-byte record as in the file.
    uint8_t BlockSize = 12;
    uint16_t Left = 0, Top = 0, Width = 0, Height = 0;
    uint8_t CellWidth = 0, CellHeight = 0;
    uint8_t TextFGColorIndex = 0, TextBGColorIndex = 0;
    QList<QByteArray> Text;
};

class TGIFCommentExtension : public TGIFExtension {
public:
    static const GifExtensionClassInfo ClassInfo;
    using TGIFExtension::TGIFExtension;
    uint8_t GetExtensionType() const override { return 0xFE; }
    void SaveToStream(QIODevice& Stream) override;
    void LoadFromStream(QIODevice& Stream) override;

    QList<QByteArray> Text;
};

// Application identifier (8 bytes) and authentication code (3 bytes).
using GifApplicationId = std::array<uint8_t, 11>;
GifApplicationId MakeApplicationId(const char (&IdentAndCode)[12]);

class TGIFApplicationExtension : public TGIFExtension {
public:
    static const GifExtensionClassInfo ClassInfo;
    using TGIFExtension::TGIFExtension;
    uint8_t GetExtensionType() const override { return 0xFF; }
    void SaveToStream(QIODevice& Stream) override;
    void LoadFromStream(QIODevice& Stream) override;
    // What follows the identifier block. A block of 12 bytes or more resolves to this class,
    // which cannot read any data: loading it fails.
    virtual void SaveData(QIODevice& Stream);
    virtual void LoadData(QIODevice& Stream);

    GifApplicationId Identifier{};
};

// One raw data sub-block.
class TGIFBlock {
public:
    explicit TGIFBlock(uint8_t size) : Data(size, '\0') {}
    uint8_t Size() const { return uint8_t(Data.size()); }
    void SaveToStream(QIODevice& Stream) const;
    void LoadFromStream(QIODevice& Stream);
    QByteArray Data;
};

class TGIFUnknownAppExtension : public TGIFApplicationExtension {
public:
    static const GifExtensionClassInfo ClassInfo;
    using TGIFApplicationExtension::TGIFApplicationExtension;
    void SaveData(QIODevice& Stream) override;
    void LoadData(QIODevice& Stream) override;
    std::vector<std::unique_ptr<TGIFBlock>> Blocks;
};

class TGIFAppExtNSLoop : public TGIFApplicationExtension {
public:
    static const GifExtensionClassInfo ClassInfo;
    explicit TGIFAppExtNSLoop(TGIFSubImage* frame);
    void SaveData(QIODevice& Stream) override;
    void LoadData(QIODevice& Stream) override;
    uint16_t Loops = 0;  // 0: loop for ever
};

// Registry of extension classes by label.
class TExtensionList {
public:
    void Add(uint8_t Label, GifExtensionClass Class);
    GifExtensionClass Find(uint8_t Label) const;
    struct Entry {
        GifExtensionClass Class;
        uint8_t Label;
    };
    std::vector<Entry> Entries;
};

// Registry of application extension classes by identifier and code.
class TAppExtensionList {
public:
    void Add(const GifApplicationId& Identifier, GifExtensionClass Class);
    GifExtensionClass Find(const GifApplicationId& Identifier) const;
    struct Entry {
        GifExtensionClass Class;
        GifApplicationId Identifier;
    };
    std::vector<Entry> Entries;
};

// The process-wide registries, created on first use.
TExtensionList& ExtensionList();
TAppExtensionList& AppExtensionList();
// Frees both registries (library shut-down); the next use creates them afresh.
void FreeExtensionRegistries();
