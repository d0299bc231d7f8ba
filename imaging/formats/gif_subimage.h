#pragma once
// One frame of a GIF: its image descriptor, local colour table, the extensions in front of it, its
// pixels as palette indices (rows top to bottom, never interlaced in memory) and what it caches
// for display: the rendered 8-bit bitmap, the transparency mask and the palette.
#include "imaging/formats/gif_object_model.h"

#include <QImage>

#include <memory>
#include <optional>

class QPainter;
class QRect;
class TGIFGraphicControlExtension;

// The image descriptor as stored.
struct GifImageDescriptor {
    uint8_t Separator = 0x2C;
    uint16_t Left = 0;
    uint16_t Top = 0;
    uint16_t Width = 0;
    uint16_t Height = 0;
    uint8_t PackedFields = 0;  // bit 7 local table, bit 6 interlaced, bit 5 sorted, 0-2 size
};

class TGIFSubImage : public TGIFItem {
public:
    explicit TGIFSubImage(TGIFImage* image);
    ~TGIFSubImage() override;

    int GetVersion() const override;
    void SaveToStream(QIODevice& Stream) override;
    void LoadFromStream(QIODevice& Stream) override;
    void LoadFromFile(const QString& FileName);
    // Copies another frame through its GIF encoding.
    void Assign(const TGIFSubImage& Source);
    // Builds the frame from a bitmap: its colours become the local table, its pixels the indices.
    void Assign(const QImage& Bitmap);
    // The rendered bitmap (empty for an empty frame).
    void AssignTo(QImage& Bitmap);

    int Left() const { return ImageDescriptor.Left; }
    int Top() const { return ImageDescriptor.Top; }
    int Width() const { return ImageDescriptor.Width; }
    int Height() const { return ImageDescriptor.Height; }
    void SetLeft(int v) { ImageDescriptor.Left = uint16_t(v); }
    void SetTop(int v) { ImageDescriptor.Top = uint16_t(v); }
    void SetWidth(int v) { ImageDescriptor.Width = uint16_t(v); }
    void SetHeight(int v) { ImageDescriptor.Height = uint16_t(v); }
    bool Interlaced() const { return (ImageDescriptor.PackedFields & 0x40) != 0; }
    void SetInterlaced(bool b) {
        ImageDescriptor.PackedFields = uint8_t(b ? ImageDescriptor.PackedFields | 0x40 : ImageDescriptor.PackedFields & ~0x40);
    }
    int BitsPerPixel() const { return ColorMap.BitsPerPixel(); }
    int ColorResolution() const { return BitsPerPixel() - 1; }

    void Clear();
    bool Empty() const;
    // Sizes the frame's pixels to Width * Height (zeroed); too large a frame raises GIFException.
    // Without Allocate the pixels are not held yet: the decoder grows them as its data fill them.
    void NewImage(bool Allocate = true);
    // Makes Data hold all DataSize pixels; those the data never reached are 0.
    void FillPixels();
    // Pixels of row Y, or nullptr for a row the data never reached (all 0).
    const uint8_t* RowPixels(int Y) const {
        const size_t at = size_t(Y) * size_t(Width());
        return at + size_t(Width()) <= Data.size() ? Data.data() + at : nullptr;
    }
    void FreeBitmap();
    void NewBitmap();
    void FreeMask();
    GifPalette GetPalette();
    void SetPalette(const std::optional<GifPalette>& Palette);
    TGIFColorMap& ActiveColorMap();
    void Prepare();

    // LZW coding of the pixel data.
    void Decode(QIODevice& Stream);
    void Encode(QIODevice& Stream);

    // Rendering and drawing.
    const QImage* GetBitmap();
    // The colour table the rendered bitmap has (padded with black up to the largest pixel value).
    GifPalette RenderPalette(bool Dithered);
    bool HasMask();
    QRect ScaleRect(const QRect& Rect) const;
    void Draw(QPainter& Canvas, const QRect& Rect, bool WithTransparency);
    void StretchDraw(QPainter& Canvas, const QRect& Rect, bool WithTransparency);

    std::unique_ptr<QImage> Bitmap;  // rendered frame, 8 bits per pixel
    std::unique_ptr<QImage> Mask;    // monochrome, 1 = transparent
    bool MaskStale = true;
    std::optional<GifPalette> Palette;  // cached palette
    // The pixels decoded so far, row by row; DataSize is the frame's whole pixel count, and pixels
    // beyond Data are 0. Resize only through ResizeData, which keeps the image's count of them.
    std::vector<uint8_t> Data;
    int DataSize = 0;
    // The pixels the last decoding filled from the data (DataSize when they were all there).
    int64_t DecodedPixels = 0;
    TGIFLocalColorMap ColorMap{this};
    GifImageDescriptor ImageDescriptor;
    TGIFExtensionList Extensions;
    bool Transparent = false;
    TGIFGraphicControlExtension* GraphicControlExtension = nullptr;

private:
    // Sets Data's size, counting it against the pixel memory of the whole image.
    void ResizeData(int64_t Size);
    void Render(bool Dithered);
    void RenderDirectRows(QImage& Target, std::vector<uint8_t>& MaskBuffer, int MaskRowBytes, int TransparentIndex);
    void RenderDitheredRows(QImage& Target, std::vector<uint8_t>& MaskBuffer, int MaskRowBytes, int TransparentIndex);
    void ConvertRows(const QImage& Source);
};

// Draws Source (rect SourceRect) into Dest of Canvas, leaving the destination where Mask is 1.
bool MaskedStretchBlt(QPainter& Canvas, const QRect& Dest, const QImage& Source, const QRect& SourceRect,
                      const QImage& Mask);
