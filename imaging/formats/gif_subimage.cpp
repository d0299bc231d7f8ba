// A GIF frame: descriptor, pixels, palette and its part of the stream.
#include "imaging/formats/gif_subimage.h"

#include "imaging/formats/gif_extensions.h"
#include "imaging/formats/gif_image.h"

#include <QBuffer>
#include <QFile>

TGIFSubImage::TGIFSubImage(TGIFImage* image) : TGIFItem(image), Extensions(image) {}

TGIFSubImage::~TGIFSubImage() {
    Clear();
    // The extensions go before the colour table: a graphic control extension still refers to us.
    Extensions.Clear();
}

void TGIFSubImage::Clear() {
    Extensions.Clear();
    ColorMap.Clear();
    ResizeData(0);
    DataSize = 0;
    SetHeight(0);
    SetWidth(0);
    Transparent = false;
    GraphicControlExtension = nullptr;
    FreeBitmap();
    FreeMask();
}

bool TGIFSubImage::Empty() const { return DataSize == 0 || Width() == 0 || Height() == 0; }

void TGIFSubImage::NewImage(bool Allocate) {
    ResizeData(0);
    DataSize = 0;
    const int64_t size = int64_t(Width()) * Height();
    if (size == 0) return;
    if (size > GIFMaxImagePixels) RaiseGIFError(QString::fromLatin1(OutOfSystemResourcesText));
    if (Allocate) ResizeData(size);
    DataSize = int(size);
}

void TGIFSubImage::FillPixels() {
    if (int64_t(Data.size()) < DataSize) ResizeData(DataSize);
}

void TGIFSubImage::ResizeData(int64_t Size) {
    const int64_t held = int64_t(Data.size());
    if (Size == held) return;
    if (Size > held && Image && Image->HeldPixels + (Size - held) > GIFMaxTotalPixels)
        RaiseGIFError(QString::fromLatin1(OutOfSystemResourcesText));
    try {
        Data.resize(size_t(Size), 0);
    } catch (const std::bad_alloc&) {
        RaiseGIFError(QString::fromLatin1(OutOfSystemResourcesText));
    }
    if (Size == 0) Data.shrink_to_fit();
    if (Image) Image->HeldPixels += Size - held;
}

void TGIFSubImage::FreeBitmap() { Bitmap.reset(); }

void TGIFSubImage::NewBitmap() {
    FreeBitmap();
    Bitmap = std::make_unique<QImage>();
}

void TGIFSubImage::FreeMask() {
    Mask.reset();
    MaskStale = true;
}

GifPalette TGIFSubImage::GetPalette() {
    if (Bitmap && !Bitmap->colorTable().isEmpty()) return Bitmap->colorTable();
    if (Palette) return *Palette;
    const bool dither = Image && Image->DoDither();
    if (!dither && ColorMap.Count == 0) return Image ? Image->GetPalette() : GifPalette();
    Palette = dither ? CreateCubePalette() : ColorMap.CreatePaletteHandle();
    return *Palette;
}

void TGIFSubImage::SetPalette(const std::optional<GifPalette>& NewPalette) {
    if (NewPalette == Palette) return;
    Palette = NewPalette;
    if (Bitmap && Bitmap->colorTable() != NewPalette.value_or(GifPalette())) {
        FreeBitmap();
        if (Image) {
            Image->PaletteModified = true;
            Image->Changed(this);
        }
    }
}

TGIFColorMap& TGIFSubImage::ActiveColorMap() {
    if (ColorMap.Count > 0) return ColorMap;
    if (Image && Image->Header().GlobalColorMap.Count > 0) return Image->Header().GlobalColorMap;
    return ColorMap;
}

int TGIFSubImage::GetVersion() const { return (ColorMap.IsSorted || Extensions.Count() > 0) ? 2 : 1; }

void TGIFSubImage::Prepare() {
    uint8_t& packed = ImageDescriptor.PackedFields;
    if (ColorMap.Count > 0) {
        packed = 0x80;
        if (ColorMap.IsSorted) packed |= 0x20;
        packed |= uint8_t((BitsPerPixel() - 1) & 7);
    } else {
        packed &= 0x58;
    }
}

void TGIFSubImage::SaveToStream(QIODevice& Stream) {
    Extensions.SaveToStream(Stream);
    if (Empty()) return;
    Prepare();
    const GifImageDescriptor& d = ImageDescriptor;
    const uint8_t bytes[10] = {d.Separator,         uint8_t(d.Left),        uint8_t(d.Left >> 8),
                               uint8_t(d.Top),      uint8_t(d.Top >> 8),    uint8_t(d.Width),
                               uint8_t(d.Width >> 8), uint8_t(d.Height),    uint8_t(d.Height >> 8),
                               d.PackedFields};
    WriteBytes(Stream, bytes, 10);
    ColorMap.SaveToStream(Stream);
    Encode(Stream);
}

void TGIFSubImage::LoadFromStream(QIODevice& Stream) {
    Clear();
    Extensions.LoadFromStream(Stream, this);
    uint8_t b;
    if (!ReadByte(Stream, b)) return;
    StepBack(Stream);
    if (b == 0x3B || b == 0) return;
    uint8_t d[10];
    ReadCheck(Stream, d, 10);
    ImageDescriptor.Separator = d[0];
    ImageDescriptor.Left = uint16_t(d[1] | (d[2] << 8));
    ImageDescriptor.Top = uint16_t(d[3] | (d[4] << 8));
    ImageDescriptor.Width = uint16_t(d[5] | (d[6] << 8));
    ImageDescriptor.Height = uint16_t(d[7] | (d[8] << 8));
    ImageDescriptor.PackedFields = d[9];
    if (Height() == 0 || Width() == 0) {
        SetHeight(Image ? Image->GetHeight() : 0);
        SetWidth(Image ? Image->GetWidth() : 0);
        Warning(1, GIFMessageText(GifMessage::ImageExceedsLogicalScreen));
    }
    if (d[9] & 0x80) ColorMap.LoadFromStream(Stream, 2 << (d[9] & 7));
    Decode(Stream);
}

void TGIFSubImage::LoadFromFile(const QString& FileName) {
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly)) RaiseGIFError(QStringLiteral("Cannot open file ") + FileName);
    LoadFromStream(file);
}

void TGIFSubImage::Assign(const TGIFSubImage& Source) {
    if (&Source == this) return;
    Clear();
    if (!Source.Empty()) {
        QByteArray bytes;
        {
            QBuffer out(&bytes);
            out.open(QIODevice::WriteOnly);
            const_cast<TGIFSubImage&>(Source).SaveToStream(out);
        }
        QBuffer in(&bytes);
        in.open(QIODevice::ReadOnly);
        LoadFromStream(in);
    }
    if (Source.Bitmap) {
        NewBitmap();
        *Bitmap = Source.Bitmap->copy();
    }
}

void TGIFSubImage::AssignTo(QImage& Target) {
    const QImage* rendered = GetBitmap();
    Target = rendered ? *rendered : QImage();
}
