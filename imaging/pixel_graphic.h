#pragma once
// TPixelGraphic: the image object of the imaging library. Pixels are held as a device-independent
// bitmap of 1, 4, 8 or 24 bits per pixel: rows bottom-up, each padded to a multiple of 4 bytes;
// 1-bit rows hold pixel x in bit (7 - x mod 8) of byte x div 8, 4-bit rows the even x in the high
// nibble, 24-bit rows blue, green, red per pixel. Paletted graphics keep their palette and the
// palette's recognised kind (TPaletteIdent).
#include "imaging/pg_exceptions.h"

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

class QByteArray;
class QIODevice;
class QImage;
class TPGCanvas;
class TFileFormatReader;
class QPainter;
class QRect;

// Colours: red in the low byte, green in the next, blue in the third.
using TColor = uint32_t;
constexpr TColor pgRGB(uint8_t r, uint8_t g, uint8_t b) {
    return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}
constexpr uint8_t pgRed(TColor c) { return uint8_t(c); }
constexpr uint8_t pgGreen(TColor c) { return uint8_t(c >> 8); }
constexpr uint8_t pgBlue(TColor c) { return uint8_t(c >> 16); }

enum TPaletteIdent : uint8_t {
    pNone, pTrueColor, pUnknown, pBlackWhite, pSysGray4, pSys16, pGray4, pGray16, pGray236,
    pGray256, pSpecial125, pSpecial216, pSpecial252, pOptimized252Sys16, pSource
};

enum TStretchMode : uint8_t { smFast = 0, smMedium = 1, smPrecise = 2 };

// Pixel formats: 0 = 1 bit, 1 = 4 bits, 2 = 8 bits, 3 = 24 bits per pixel.
enum TPGPixelFormat : uint8_t { PixelFormat1Bit = 0, PixelFormat4Bit = 1, PixelFormat8Bit = 2, PixelFormat24Bit = 3 };

// Palette index of pixel x in a row of 1, 4 or 8 bits (the leftmost pixel in the high bits).
inline int pgPackedIndex(const uint8_t* row, int x, TPGPixelFormat format) {
    switch (format) {
    case PixelFormat1Bit: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case PixelFormat4Bit: return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    default: return row[x];
    }
}

// The 40-byte information header of the DIB.
struct TPGBitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 24;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

class TPixelGraphic;
using TPGNotifyEvent = std::function<void(TPixelGraphic* Sender)>;
using TPGProgressEvent = std::function<void(TPixelGraphic* Sender, int Done, bool& Abort, int Total)>;

// The fixed 252-colour palette (RRGGBB values); entries 0..15 are the 16 system colours.
extern const uint32_t SystemPalette252[252];
// The 16 system colours as TColor values, in the order of pSys16.
extern const TColor SystemColors16[16];

// The error cap curve of dithering: Table[255 + e] for e = -255..255, cap C, soft knee when Taper.
void PGBuildErrorLimitTable(int C, bool Taper, int Table[511]);

class TPixelGraphic {
public:
    // Largest pixel memory a graphic may allocate; larger sizes fail like a failed DIB section.
    static constexpr int64_t MaxImageBytes = int64_t(1) << 30;
    // Most pixels a graphic may hold, whatever its format: readers refuse larger images before
    // they allocate or read anything, so a small file cannot claim gigabytes.
    static constexpr int64_t MaxPixels = int64_t(1) << 28;
    // True when a Width x Height image stays within MaxPixels (sizes of any range, no overflow).
    static constexpr bool WithinPixelLimit(int64_t Width, int64_t Height) {
        return Width >= 0 && Height >= 0 && Width <= MaxPixels && Height <= MaxPixels && Width * Height <= MaxPixels;
    }
    // A picture of more than LargePixels whose data draw less than a sixteenth of it is refused as
    // damaged: a few bytes declaring a huge, nearly empty picture would cost seconds to allocate,
    // shrink and convert. Real files draw their pictures whole.
    static constexpr int64_t LargePixels = int64_t(1) << 26;
    static constexpr bool EnoughPixelsDrawn(int64_t Drawn, int64_t Total) {
        return Total <= LargePixels || Drawn >= Total / 16;
    }

    TPixelGraphic();
    virtual ~TPixelGraphic();
    TPixelGraphic(const TPixelGraphic&) = delete;
    TPixelGraphic& operator=(const TPixelGraphic&) = delete;

    // Copies another graphic (pixels, palette and options); nullptr leaves an empty 24-bit graphic.
    virtual void Assign(const TPixelGraphic* Source);
    void CopyPaletteFrom(const TPixelGraphic& Source);

    // Change notification.
    void BeginUpdate();
    void EndUpdate();
    virtual void Changed();

    // Geometry.
    int GetWidth() const { return Width; }
    int GetHeight() const { return Height; }
    void SetWidth(int w);
    void SetHeight(int h);
    TPGPixelFormat GetPixelFormat() const { return PixelFormat; }
    void SetPixelFormat(TPGPixelFormat f);
    int GetBitCount() const;
    int GetMaxColors() const;
    bool GetEmpty() const { return Bits == nullptr; }
    int GetBytesPerLine() const { return BytesPerLine; }
    int GetImageSize() const { return ImageSize; }
    uint8_t* GetBits() {
        GdiFlush();
        return Bits;
    }
    const uint8_t* GetBits() const {
        GdiFlush();
        return Bits;
    }
    // Address of image row y (0 = top), nullptr when there are no pixels or y is outside.
    uint8_t* GetScanLine(int y);
    const uint8_t* GetScanLine(int y) const;
    int GetDIBSize() const;
    const TPGBitmapInfoHeader& GetBitmapInfoHeader() const { return BitmapInfo; }
    // The DIB colour table: blue, green, red, 0 per entry (2, 16 or 256 entries, none at 24 bits).
    const std::vector<uint32_t>& GetDibColorTable() const { return DibColorTable; }

    // Allocates the pixels, zeroed. Negative sizes raise EPGInvalidSize; the same
    // size and format clears the image to the background instead.
    void SetSize(int w, int h, TPGPixelFormat f);
    // Resamples the whole of Source into the whole of this graphic (both keep their sizes).
    void StretchFrom(const TPixelGraphic& Source);
    // Sizes this graphic to fit Source into a BoxWidth x BoxHeight box (aspect ratio kept, never
    // enlarged, at least 1 x 1) as 24 bits and resamples Source into it with the given mode.
    void ResampleIntoBox(const TPixelGraphic& Source, int BoxWidth, int BoxHeight, TStretchMode Mode);

    // Drawing surface on the pixels (created on first use); see pg_canvas.h.
    TPGCanvas& GetCanvas();
    // Ends drawing on the canvas and writes it back into the pixels.
    void FreeCanvasHandle() const;

    // Exchange with the platform's bitmap (QImage): 24 bits, or 8 bits with a palette for indexed
    // images; AssignToBitmap gives a top-down copy.
    void AssignFromBitmap(const QImage& Bitmap);
    void AssignToBitmap(QImage& Bitmap) const;

    // Pixels.
    uint32_t GetPixel(int x, int y) const;
    void SetPixel(int x, int y, uint32_t value);
    TColor GetPixelColor(int x, int y) const;
    void SetPixelColor(int x, int y, TColor colour);
    uint32_t GetBackground() const { return Background; }
    void SetBackground(TColor colour);
    TColor GetBackgroundColor() const;
    void Clear();

    // Palette.
    int GetPaletteCount() const { return PaletteCount; }
    TPaletteIdent GetPaletteIdent() const { return PaletteIdent; }
    TColor GetPaletteColor(int i) const;
    virtual void SetPaletteColor(int i, TColor colour);
    virtual void SetPaletteCount(int n);
    virtual void SetPaletteIdent(TPaletteIdent kind);
    void DetectPaletteIdent();
    // Computes an optimised palette of at most N colours for Source's pixels (N - 16 colours and
    // then the 16 system colours when AddSystemColors); the pixels are left to StretchFrom.
    void ReduceColorsFrom(const TPixelGraphic& Source, int N, bool AddSystemColors);
    bool GetIsGray() const { return IsGray; }
    virtual int NearestColorIndex(TColor colour);
    virtual void FreeColorCache();
    virtual void SetUseColorCache(bool b);
    bool GetUseColorCache() const { return UseColorCache; }
    virtual void SetIntensityMode(bool b);
    bool GetIntensityMode() const { return IntensityMode; }
    int Intensity(TColor colour) const;

    // Loading and saving through the format registry.
    virtual void LoadFromFile(const QString& FileName);
    virtual void LoadFromStream(QIODevice& Stream);
    void LoadFromStreamExt(QIODevice& Stream, const QString& Extension, int ImageIndex);
    virtual void SaveToFile(const QString& FileName);
    virtual void SaveToStream(QIODevice& Stream);
    virtual void SaveToStreamExt(QIODevice& Stream, const QString& Extension);
    // Reads Count bytes in ten pieces with progress events; returns the bytes read.
    int64_t ReadWithProgress(QIODevice& Stream, char* Buffer, int64_t Count, bool& Abort);

    // Clipboard exchange as packed DIBs: written with a 40-byte information header, palette and
    // pixels; read by LoadFromDIBStream (12- or 40-byte headers, told by the header's size field).
    // Formats other than CF_BITMAP and CF_DIB, or no data, raise EPGUnknownClipboardFormat.
    static constexpr int CF_BITMAP = 2;
    static constexpr int CF_DIB = 8;
    virtual void LoadFromClipboardFormat(int Format, const QByteArray* Data);
    virtual void SaveToClipboardFormat(int& Format, QByteArray& Data);
    void SaveToDIBStream(QIODevice& Stream);
    // Reads a packed DIB (header, palette, pixels) at the stream's position with the BMP module's
    // reader: 1 to 32 bits, RLE and bit fields; the 12-byte OS/2 header when CoreHeader, the
    // 40-byte Windows header otherwise.
    void LoadFromDIBStream(QIODevice& Stream, bool CoreHeader);

    // Form streaming: a length-prefixed BMP image.
    void WriteData(QIODevice& Stream);
    void ReadData(QIODevice& Stream);

    // Drawing: a copy of the pixels as a QImage, and painting scaled into a rectangle.
    QImage ToQImage() const;
    void Draw(QPainter& Painter, const QRect& Rect) const;

    // Options.
    void SetDither(bool b) { Dither = b; }
    bool GetDither() const { return Dither; }
    void SetErrorLimit(uint8_t v) { ErrorLimit = v; }
    uint8_t GetErrorLimit() const { return ErrorLimit; }
    void SetAutoErrorLimit(bool b) { AutoErrorLimit = b; }
    bool GetAutoErrorLimit() const { return AutoErrorLimit; }
    void SetTaperErrorLimit(bool b) { TaperErrorLimit = b; }
    bool GetTaperErrorLimit() const { return TaperErrorLimit; }
    void SetFastJpegDct(bool b) { FastJpegDct = b; }
    bool GetFastJpegDct() const { return FastJpegDct; }
    void SetWarningMode(uint8_t m) { WarningMode = m; }
    uint8_t GetWarningMode() const { return WarningMode; }
    void SetColorResolutionMode(uint8_t m) { ColorResolutionMode = m; }
    uint8_t GetColorResolutionMode() const { return ColorResolutionMode; }
    void SetStretchMode(TStretchMode m) { StretchMode = m; }
    TStretchMode GetStretchMode() const { return StretchMode; }
    void SetTransparent(bool b) { Transparent = b; }
    bool GetTransparent() const { return Transparent; }
    void SetTransparentColor(TColor c) { TransparentColor = c; }
    TColor GetTransparentColor() const { return TransparentColor; }
    void SetImageGamma(long double g) { ImageGamma = g; }
    long double GetImageGamma() const { return ImageGamma; }
    void SetRaiseRangeErrors(bool b) { RaiseRangeErrors = b; }
    bool GetRaiseRangeErrors() const { return RaiseRangeErrors; }

    // Events.
    void SetOnChange(TPGNotifyEvent e) { OnChange = std::move(e); }
    void SetOnProgress(TPGProgressEvent e) { OnProgress = std::move(e); }
    void SetOnProgressBegin(TPGNotifyEvent e) { OnProgressBegin = std::move(e); }
    void SetOnProgressEnd(TPGNotifyEvent e) { OnProgressEnd = std::move(e); }
    const TPGProgressEvent& GetOnProgress() const { return OnProgress; }
    const TPGNotifyEvent& GetOnProgressBegin() const { return OnProgressBegin; }
    const TPGNotifyEvent& GetOnProgressEnd() const { return OnProgressEnd; }
    // Convenience for readers and writers: fire the events when assigned.
    void FireProgressBegin();
    void FireProgress(int Done, bool& Abort, int Total);
    void FireProgressEnd();

private:
    friend class TPGDither;
    friend class TPGCanvas;
    // Drawing on the canvas goes to a working copy; direct pixel access writes it back first.
    void GdiFlush() const;
    void SaveWithWriter(bool ToFile, const QString& FileName, const QString& Extension, QIODevice* Stream);
    // Loading with the reader FindReader gives (none: unknown file format), then gamma and palette kind.
    void LoadWithReader(QIODevice& Stream, const std::function<TFileFormatReader*()>& FindReader, int ImageIndex);
    void ApplyGammaCorrection();
    void WriteDibColorEntry(int i);
    void RebuildDibColorTable();
    int ExhaustiveNearest(TColor colour) const;
    int CachedNearest(TColor colour);
    void SeedColorCache();
    void StretchRect(const TPixelGraphic& Source);
    void CopyRect(const TPixelGraphic& Source);
    void StorePixelColor(int x, int y, int r, int g, int b, class TPGDither* dither, int direction);
    void DetectPaletteIdentGrayOnly();

    uint32_t Background = 0;
    TPGPixelFormat PixelFormat = PixelFormat24Bit;
    uint8_t* Bits = nullptr;
    // Pixel memory comes from calloc: large blocks arrive as fresh zero pages that are only
    // touched when a reader writes them, instead of being cleared up front.
    struct FreePixels {
        void operator()(uint8_t* p) const noexcept { std::free(p); }
    };
    std::unique_ptr<uint8_t[], FreePixels> PixelMemory;
    TPGBitmapInfoHeader BitmapInfo;
    std::vector<uint32_t> DibColorTable;
    bool Dither = true;
    uint8_t ErrorLimit = 32;
    bool AutoErrorLimit = true;
    bool TaperErrorLimit = true;
    bool UseColorCache = true;
    bool FastJpegDct = false;
    int Height = 0;
    bool IsGray = false;
    long double ImageGamma = 1.8L;
    int ImageSize = 0;
    int PaletteCount = 0;
    int BytesPerLine = 0;
    TPGNotifyEvent OnChange;
    TPGProgressEvent OnProgress;
    TPGNotifyEvent OnProgressEnd;
    TPGNotifyEvent OnProgressBegin;
    std::unique_ptr<uint8_t[]> ColorCache;       // 65,536 cells
    bool ColorCacheStale = true;
    TColor LastColor = 0;
    int LastIndex = 0;
    bool MemoStale = true;
    std::unique_ptr<uint8_t[]> ColorCacheKnown;  // 8,192-byte bit set
    std::vector<TColor> Palette;
    TPaletteIdent PaletteIdent = pTrueColor;
    bool IntensityMode = true;
    TStretchMode StretchMode = smPrecise;
    bool Transparent = false;
    TColor TransparentColor = 0;
    int UpdateLock = 0;
    uint8_t WarningMode = 2;
    bool RaiseRangeErrors = false;
    uint8_t ColorResolutionMode = 2;
    int Width = 0;
    mutable std::unique_ptr<TPGCanvas> Canvas;
};
