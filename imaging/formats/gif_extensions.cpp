// GIF extension blocks and their registries.
#include "imaging/formats/gif_extensions.h"

#include "imaging/formats/gif_image.h"
#include "imaging/formats/gif_subimage.h"

#include <QIODevice>

#include <cstring>
#include <mutex>

namespace {

template <typename T>
GifExtensionClassInfo makeClassInfo(const char* name,
                                     GifExtensionClass (*resolve)(GifExtensionClass, QIODevice&) = ResolveOwnClass) {
    return GifExtensionClassInfo{name, [](TGIFSubImage* frame) -> TGIFExtension* { return new T(frame); }, resolve};
}

GifExtensionClass resolveApplicationClass(GifExtensionClass Self, QIODevice& Stream);

uint16_t readWord(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
void putWord(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

}  // namespace

const GifExtensionClassInfo TGIFGraphicControlExtension::ClassInfo =
    makeClassInfo<TGIFGraphicControlExtension>("TGIFGraphicControlExtension");
const GifExtensionClassInfo TGIFTextExtension::ClassInfo = makeClassInfo<TGIFTextExtension>("TGIFTextExtension");
const GifExtensionClassInfo TGIFCommentExtension::ClassInfo =
    makeClassInfo<TGIFCommentExtension>("TGIFCommentExtension");
const GifExtensionClassInfo TGIFApplicationExtension::ClassInfo =
    makeClassInfo<TGIFApplicationExtension>("TGIFApplicationExtension", resolveApplicationClass);
const GifExtensionClassInfo TGIFUnknownAppExtension::ClassInfo =
    makeClassInfo<TGIFUnknownAppExtension>("TGIFUnknownAppExtension", resolveApplicationClass);
const GifExtensionClassInfo TGIFAppExtNSLoop::ClassInfo =
    makeClassInfo<TGIFAppExtNSLoop>("TGIFAppExtNSLoop", resolveApplicationClass);

GifExtensionClass ResolveOwnClass(GifExtensionClass Self, QIODevice&) { return Self; }

namespace {

GifExtensionClass resolveApplicationClass(GifExtensionClass Self, QIODevice& Stream) {
    const qint64 position = Stream.pos();
    uint8_t size;
    if (!ReadByte(Stream, size)) return nullptr;
    if (size == 10) {
        char ident[10];
        if (Stream.read(ident, 10) == 10) return &TGIFUnknownAppExtension::ClassInfo;
        return nullptr;
    }
    if (size == 11) {
        GifApplicationId ident;
        if (Stream.read(reinterpret_cast<char*>(ident.data()), 11) == 11) {
            const GifExtensionClass found = AppExtensionList().Find(ident);
            return found ? found : &TGIFUnknownAppExtension::ClassInfo;
        }
    }
    Stream.seek(position);
    return Self;
}

}  // namespace

GifApplicationId MakeApplicationId(const char (&IdentAndCode)[12]) {
    GifApplicationId rec{};
    std::memcpy(rec.data(), IdentAndCode, 11);
    return rec;
}

// ---- registries ----

void TExtensionList::Add(uint8_t Label, GifExtensionClass Class) { Entries.push_back({Class, Label}); }

GifExtensionClass TExtensionList::Find(uint8_t Label) const {
    for (auto it = Entries.rbegin(); it != Entries.rend(); ++it)
        if (it->Label == Label) return it->Class;
    return nullptr;
}

void TAppExtensionList::Add(const GifApplicationId& Identifier, GifExtensionClass Class) {
    Entries.push_back({Class, Identifier});
}

GifExtensionClass TAppExtensionList::Find(const GifApplicationId& Identifier) const {
    for (auto it = Entries.rbegin(); it != Entries.rend(); ++it)
        if (it->Identifier == Identifier) return it->Class;
    return nullptr;
}

namespace {
std::unique_ptr<TExtensionList> extensionRegistry;
std::unique_ptr<TAppExtensionList> appExtensionRegistry;
// The registries are built on first use, which may come from two loading threads at once.
std::mutex registryCreation;
}  // namespace

TExtensionList& ExtensionList() {
    const std::lock_guard<std::mutex> lock(registryCreation);
    if (!extensionRegistry) {
        extensionRegistry = std::make_unique<TExtensionList>();
        extensionRegistry->Add(0x01, &TGIFTextExtension::ClassInfo);
        extensionRegistry->Add(0xF9, &TGIFGraphicControlExtension::ClassInfo);
        extensionRegistry->Add(0xFE, &TGIFCommentExtension::ClassInfo);
        extensionRegistry->Add(0xFF, &TGIFApplicationExtension::ClassInfo);
    }
    return *extensionRegistry;
}

TAppExtensionList& AppExtensionList() {
    const std::lock_guard<std::mutex> lock(registryCreation);
    if (!appExtensionRegistry) {
        appExtensionRegistry = std::make_unique<TAppExtensionList>();
        appExtensionRegistry->Add(MakeApplicationId("NETSCAPE2.0"), &TGIFAppExtNSLoop::ClassInfo);
        appExtensionRegistry->Add(MakeApplicationId("ANIMEXTS1.0"), &TGIFAppExtNSLoop::ClassInfo);
    }
    return *appExtensionRegistry;
}

void FreeExtensionRegistries() {
    const std::lock_guard<std::mutex> lock(registryCreation);
    extensionRegistry.reset();
    appExtensionRegistry.reset();
}

// ---- base extension ----

TGIFExtension::TGIFExtension(TGIFSubImage* frame) : TGIFItem(frame ? frame->Image : nullptr), SubImage(frame) {}

void TGIFExtension::SaveToStream(QIODevice& Stream) {
    WriteByte(Stream, 0x21);
    WriteByte(Stream, GetExtensionType());
}

uint8_t TGIFExtension::ReadExtensionHeader(QIODevice& Stream) {
    uint8_t header[2];
    ReadCheck(Stream, header, 2);
    if (header[0] != 0x21) RaiseGIFError(GifMessage::InvalidExtensionIntroducer);
    return header[1];
}

void TGIFExtension::LoadFromStream(QIODevice& Stream) {
    if (ReadExtensionHeader(Stream) != GetExtensionType()) RaiseGIFError(GifMessage::ExtensionInstanceLabelMismatch);
}

GifExtensionClass TGIFExtension::FindExtensionClass(QIODevice& Stream) {
    const qint64 position = Stream.pos();
    GifExtensionClass result = nullptr;
    uint8_t label;
    if (ReadByte(Stream, label)) {
        GifExtensionClass current = ExtensionList().Find(label);
        // Each answer is asked again; a chain of identifier-like sub-blocks is bounded by the data.
        while (current) {
            const GifExtensionClass next = current->ResolveClass(current, Stream);
            if (!next || next == current) {
                result = next;
                break;
            }
            current = next;
        }
    }
    Stream.seek(position);
    return result;
}

// ---- graphic control ----

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage* frame) : TGIFExtension(frame) {
    if (SubImage && !SubImage->GraphicControlExtension) SubImage->GraphicControlExtension = this;
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension() {
    if (!SubImage) return;
    if (GetTransparent()) SubImage->Transparent = false;
    if (SubImage->GraphicControlExtension == this) SubImage->GraphicControlExtension = nullptr;
}

void TGIFGraphicControlExtension::SetTransparent(bool Value) {
    PackedFields = uint8_t(Value ? PackedFields | 0x01 : PackedFields & ~0x01);
    if (SubImage) {
        SubImage->Transparent = Value;
        SubImage->FreeMask();
        SubImage->FreeBitmap();
    }
}

void TGIFGraphicControlExtension::SetDisposal(int Value) {
    PackedFields = uint8_t((PackedFields & ~0x1C) | ((Value & 7) << 2));
}

void TGIFGraphicControlExtension::SetTransparentColorIndex(int Index) {
    if (SubImage) {
        const TGIFColorMap& map = SubImage->ActiveColorMap();
        if (map.Count > 0 && (Index < 0 || Index >= map.Count)) {
            Warning(1, GIFMessageText(GifMessage::InvalidColorIndex));
            Index = 0;
        }
    }
    TransparentColorIndex = uint8_t(Index);
}

void TGIFGraphicControlExtension::SaveToStream(QIODevice& Stream) {
    TGIFExtension::SaveToStream(Stream);
    uint8_t r[6] = {BlockSize, PackedFields, 0, 0, TransparentColorIndex, Terminator};
    putWord(r + 2, Delay);
    WriteBytes(Stream, r, 6);
}

void TGIFGraphicControlExtension::LoadFromStream(QIODevice& Stream) {
    TGIFExtension::LoadFromStream(Stream);
    uint8_t r[6];
    ReadCheck(Stream, r, 6);
    BlockSize = r[0];
    PackedFields = r[1];
    Delay = readWord(r + 2);
    TransparentColorIndex = r[4];
    Terminator = r[5];
    if (GetTransparent() && SubImage) SubImage->Transparent = true;
}

// ---- plain text and comment ----

void TGIFTextExtension::SaveToStream(QIODevice& Stream) {
    TGIFExtension::SaveToStream(Stream);
    uint8_t r[13];
    r[0] = BlockSize;
    putWord(r + 1, Left);
    putWord(r + 3, Top);
    putWord(r + 5, Width);
    putWord(r + 7, Height);
    r[9] = CellWidth;
    r[10] = CellHeight;
    r[11] = TextFGColorIndex;
    r[12] = TextBGColorIndex;
    WriteBytes(Stream, r, 13);
    WriteStrings(Stream, Text);
}

void TGIFTextExtension::LoadFromStream(QIODevice& Stream) {
    TGIFExtension::LoadFromStream(Stream);
    uint8_t r[13];
    ReadCheck(Stream, r, 13);
    BlockSize = r[0];
    Left = readWord(r + 1);
    Top = readWord(r + 3);
    Width = readWord(r + 5);
    Height = readWord(r + 7);
    CellWidth = r[9];
    CellHeight = r[10];
    TextFGColorIndex = r[11];
    TextBGColorIndex = r[12];
    ReadStrings(Stream, Text);
}

void TGIFCommentExtension::SaveToStream(QIODevice& Stream) {
    TGIFExtension::SaveToStream(Stream);
    WriteStrings(Stream, Text);
}

void TGIFCommentExtension::LoadFromStream(QIODevice& Stream) {
    TGIFExtension::LoadFromStream(Stream);
    ReadStrings(Stream, Text);
}

// ---- application extensions ----

void TGIFApplicationExtension::SaveToStream(QIODevice& Stream) {
    TGIFExtension::SaveToStream(Stream);
    WriteByte(Stream, 11);
    WriteBytes(Stream, Identifier.data(), 11);
    SaveData(Stream);
}

void TGIFApplicationExtension::LoadFromStream(QIODevice& Stream) {
    TGIFExtension::LoadFromStream(Stream);
    uint8_t size;
    ReadCheck(Stream, &size, 1);
    if (size < 10) RaiseGIFError(GifMessage::UnsupportedApplicationBlockSize);
    Identifier.fill(0);
    if (size == 10) {
        ReadCheck(Stream, Identifier.data(), 10);
    } else {
        ReadCheck(Stream, Identifier.data(), 11);
        char rest[256];
        ReadCheck(Stream, rest, size - 11);
    }
    LoadData(Stream);
}

void TGIFApplicationExtension::SaveData(QIODevice&) { RaiseGIFError(GifMessage::UnsupportedApplicationBlockSize); }
void TGIFApplicationExtension::LoadData(QIODevice&) { RaiseGIFError(GifMessage::UnsupportedApplicationBlockSize); }

void TGIFBlock::SaveToStream(QIODevice& Stream) const {
    WriteByte(Stream, Size());
    WriteBytes(Stream, Data.constData(), Data.size());
}

void TGIFBlock::LoadFromStream(QIODevice& Stream) { ReadCheck(Stream, Data.data(), Data.size()); }

void TGIFUnknownAppExtension::SaveData(QIODevice& Stream) {
    for (const auto& block : Blocks) block->SaveToStream(Stream);
    WriteByte(Stream, 0);
}

void TGIFUnknownAppExtension::LoadData(QIODevice& Stream) {
    Blocks.clear();
    uint8_t size;
    while (ReadByte(Stream, size) && size != 0) {
        auto block = std::make_unique<TGIFBlock>(size);
        block->LoadFromStream(Stream);
        Blocks.push_back(std::move(block));
    }
}

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage* frame) : TGIFApplicationExtension(frame) {
    Identifier = MakeApplicationId("NETSCAPE2.0");
}

void TGIFAppExtNSLoop::SaveData(QIODevice& Stream) {
    WriteByte(Stream, 3);
    WriteByte(Stream, 1);
    uint8_t w[2];
    putWord(w, Loops);
    WriteBytes(Stream, w, 2);
    WriteByte(Stream, 0);
}

void TGIFAppExtNSLoop::LoadData(QIODevice& Stream) {
    uint8_t b = 0xFF;
    if (!ReadByte(Stream, b) || b != 3) RaiseGIFError(GifMessage::InvalidData);
    if (!ReadByte(Stream, b) || b != 1) RaiseGIFError(GifMessage::InvalidData);
    uint8_t w[2];
    ReadCheck(Stream, w, 2);
    Loops = readWord(w);
    if (!ReadByte(Stream, b) || b != 0) RaiseGIFError(GifMessage::InvalidData);
}
