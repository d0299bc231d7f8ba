#pragma once
// TGIFImage: the GIF codec's graphic. It holds a whole GIF stream as objects (header, frames with
// their extensions and colour tables), reads and writes it, converts to and from bitmaps (QImage),
// draws its first frame and exchanges GIF data with the clipboard under "GIF Image".
#include "imaging/formats/gif_extensions.h"
#include "imaging/formats/gif_object_model.h"
#include "imaging/formats/gif_subimage.h"

#include <QImage>
#include <QRect>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class QMimeData;
class QPainter;
class TGIFPainter;
using GifPainterEvent = std::function<void(TGIFPainter* Sender)>;

class TGIFImageList : public TGIFList {
public:
    using TGIFList::TGIFList;
    TGIFSubImage* Frame(int Index) const { return static_cast<TGIFSubImage*>(GetItem(Index)); }
    // Reads the frames between the header and the trailer; with FirstFrameOnly it stops after
    // frame 0, leaving the stream behind it.
    void LoadFromStream(QIODevice& Stream, TGIFImage* Parent, bool FirstFrameOnly = false);
    void SaveToStream(QIODevice& Stream) override;
};

enum class GifProgressStage { Starting, Running, Ending };

// Draw options, one bit each.
enum GifDrawOption : uint16_t {
    DrawAsync = 0x0001,                // animate on a thread of its own
    DrawTransparent = 0x0002,          // leave each frame's transparent colour out
    DrawAnimate = 0x0004,              // animate images of more than one frame
    DrawLoop = 0x0008,                 // start again after the last frame
    DrawLoopForever = 0x0010,          // ignore the loop count (asynchronous painters)
    DrawCheckCanvas = 0x0020,          // stop when the canvas is no longer valid
    DrawDirect = 0x0040,               // paint onto the caller's canvas, not the cached bitmap
    DrawDither = 0x0080,               // dither frames to the colour cube when rendering
    DrawDitherOnPaletteOnly = 0x0100,  // dither only on a palette-based display
};
constexpr uint16_t GIFDefaultDrawOptions = 0x018F;

// The clipboard format name and the MIME type it travels under.
extern const char* const GIFClipboardFormatName;  // "GIF Image"
QString GIFClipboardMimeType();

// True when the screen shows at most 256 colours; set by InitGIFCodec.
extern bool PaletteDisplay;
constexpr GifColor GifNoColor = 0x1FFFFFFF;

using GifWarningEvent = std::function<void(const void* Sender, uint8_t Severity, const QString& Message)>;
using GifProgressEvent = std::function<void(const void* Sender, GifProgressStage Stage, int PercentDone, bool RedrawNow,
                                             const QRect& Rect, const QString& Message)>;
using GifNotifyEvent = std::function<void(const void* Sender)>;

class TGIFImage {
public:
    TGIFImage();
    virtual ~TGIFImage();
    TGIFImage(const TGIFImage&) = delete;
    TGIFImage& operator=(const TGIFImage&) = delete;

    void Clear();
    bool GetEmpty() const { return Images().Count() == 0; }
    int GetWidth() const { return Header().ScreenDescriptor.ScreenWidth; }
    int GetHeight() const { return Header().ScreenDescriptor.ScreenHeight; }
    void SetWidth(int Width);
    void SetHeight(int Height);
    bool Equals(const TGIFImage& Other) const { return this == &Other; }

    GifPalette GetPalette();
    void SetPalette(const GifPalette& Palette);
    bool DoDither() const;

    // Frame 0 on the logical screen, built on demand and kept until the image changes.
    const QImage* GetBitmap();
    // Appends a frame built from a bitmap, or the given frame itself (taken over; nullptr raises).
    int Add(const QImage& Bitmap);
    int Add(TGIFSubImage* Frame);
    void Assign(const TGIFImage& Source);
    void Assign(const QImage& Bitmap);
    void AssignTo(QImage& Bitmap);

    // Draws the first frame, or animates images of several frames through a painter.
    void Draw(QPainter& Canvas, const QRect& Rect);
    // Stops every painter of this image (waiting for asynchronous ones) and drops the bitmap.
    void StopDraw();
    // A painter for Rect of Canvas, started by the caller; nullptr when there is nothing to paint
    // or the painter ran synchronously (and has finished). Reference receives the painter and is
    // cleared when it ends.
    TGIFPainter* CreatePainter(QPainter* Canvas, const QRect& Rect, uint16_t Options, TGIFPainter** Reference = nullptr);
    void RemovePainter(TGIFPainter* Painter);
    int PainterCount();

    // With FirstFrameOnly only frame 0 is read (and no trailer): a still picture shows nothing
    // else, and a file of many frames then costs no more than its first.
    void LoadFromStream(QIODevice& Stream, bool FirstFrameOnly = false);
    void SaveToStream(QIODevice& Stream);
    void LoadFromFile(const QString& FileName);
    void SaveToFile(const QString& FileName);

    // Clipboard: offers the bitmap together with the GIF stream under "GIF Image"; loading prefers
    // the GIF stream and falls back to the bitmap.
    void LoadFromClipboardFormat(const QMimeData& Data);
    void SaveToClipboardFormat(QMimeData& Data);

    virtual void Warning(const void* Sender, uint8_t Severity, const QString& Message);
    virtual void Changed(const void* Sender);
    void Progress(const void* Sender, GifProgressStage Stage, int PercentDone, bool RedrawNow, const QRect& Rect,
                  const QString& Message);

    TGIFImageList& Images() { return *Frames; }
    const TGIFImageList& Images() const { return *Frames; }
    TGIFHeader& Header() { return *HeaderItem; }
    const TGIFHeader& Header() const { return *HeaderItem; }

    // What the header asks of the image.
    int GetVersion() const;
    int GetColorResolution() const;
    int GetBitsPerPixel() const;
    GifColor GetBackgroundColor() { return Header().BackgroundColor(); }

    uint16_t DrawOptions = GIFDefaultDrawOptions;
    int ThreadPriority = 0;
    GifColor BackgroundColor = GifNoColor;
    bool PaletteModified = false;
    bool Transparent = false;
    GifWarningEvent OnWarning;
    GifProgressEvent OnProgress;
    GifNotifyEvent OnChange;
    // Handed to every painter this image creates.
    GifPainterEvent OnPainterStart, OnFramePaint, OnAnimationLoop, OnPainterEnd;

private:
    void ReadStream(QIODevice& Stream, bool FirstFrameOnly);
    void FreeBitmap();
    void StopDrawPainter();
    friend class TGIFSubImage;

    int64_t HeldPixels = 0;  // pixel bytes all frames that report to this image hold together

    bool Drawing = false;
    bool PaletteGuard = false;
    std::unique_ptr<TGIFImageList> Frames;
    std::unique_ptr<TGIFHeader> HeaderItem;
    std::optional<GifPalette> StoredPalette;
    std::unique_ptr<QImage> CachedBitmap;
    std::unique_ptr<QPainter> CachedBitmapCanvas;  // the draw painter's target on CachedBitmap
    std::mutex PainterLock;
    std::vector<TGIFPainter*> Painters;
    TGIFPainter* DrawPainter = nullptr;
};

// Start-up of the codec: sets PaletteDisplay from the screen. Shut-down frees the registries.
void InitGIFCodec();
void FinalizeGIFCodec();
