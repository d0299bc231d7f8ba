// TGIFImage: reading and writing whole GIF streams, the frame loop, the first frame as a bitmap,
// drawing and the clipboard.
#include "imaging/formats/gif_image.h"

#include "imaging/formats/gif_painter.h"
#include "platform/file_ops.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QThread>

#include <algorithm>
#include <cstring>

const char* const GIFClipboardFormatName = "GIF Image";
bool PaletteDisplay = false;

QString GIFClipboardMimeType() {
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(QLatin1String(GIFClipboardFormatName));
}

// ---- frame list ----

void TGIFImageList::LoadFromStream(QIODevice& Stream, TGIFImage* Parent, bool FirstFrameOnly) {
    uint8_t b;
    if (!ReadByte(Stream, b)) return;
    for (;;) {
        while (b == 0)
            if (!ReadByte(Stream, b)) return;
        StepBack(Stream);
        if (b == 0x3B) return;
        if (b != 0x21 && b != 0x2C) {
            Warning(1, GIFMessageText(GifMessage::UnknownBlockType));
            return;
        }
        auto frame = std::make_unique<TGIFSubImage>(Parent);
        frame->LoadFromStream(Stream);
        const qint64 size = Stream.size();
        if (Parent)
            Parent->Progress(Parent, GifProgressStage::Running, size > 0 ? int(Stream.pos() * 100 / size) : 0, false,
                             QRect(0, 0, 0, 0), GIFMessageText(GifMessage::Loading));
        Add(frame.release());
        if (FirstFrameOnly || !ReadByte(Stream, b)) return;
    }
}

void TGIFImageList::SaveToStream(QIODevice& Stream) {
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        Frame(i)->SaveToStream(Stream);
        if (Image)
            Image->Progress(Image, GifProgressStage::Running, (i + 1) * 100 / count, false, QRect(0, 0, 0, 0),
                            GIFMessageText(GifMessage::Saving));
    }
}

// ---- the image ----

TGIFImage::TGIFImage()
    : Frames(std::make_unique<TGIFImageList>(this)), HeaderItem(std::make_unique<TGIFHeader>(this)) {
    Clear();
}

TGIFImage::~TGIFImage() {
    StopDraw();
    {
        std::lock_guard<std::mutex> lock(PainterLock);
        for (TGIFPainter* painter : Painters) painter->ForgetImage();
        Painters.clear();
    }
    // Frames and the header report to this image while they go; detach them first.
    OnWarning = nullptr;
    OnChange = nullptr;
    OnProgress = nullptr;
    Frames->Clear();
    Frames.reset();
    HeaderItem->Image = nullptr;
    HeaderItem.reset();
}

void TGIFImage::FreeBitmap() {
    if (DrawPainter) DrawPainter->Stop();
    CachedBitmapCanvas.reset();
    CachedBitmap.reset();
}

namespace {

// Lets the calls that painter threads hand to this thread run; false when there were none.
bool runSynchronizedCalls() {
    if (!QCoreApplication::instance()) return false;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    return true;
}

}  // namespace

void TGIFImage::StopDraw() {
    for (;;) {
        std::vector<TGIFPainter*> painters;
        {
            std::lock_guard<std::mutex> lock(PainterLock);
            painters = Painters;
        }
        if (painters.empty()) {
            FreeBitmap();
            return;
        }
        int async = 0;
        for (auto it = painters.rbegin(); it != painters.rend(); ++it) {
            (*it)->Stop();
            if ((*it)->IsAsync()) ++async;
        }
        if (async == 0) {
            FreeBitmap();
            return;
        }
        runSynchronizedCalls();
        QThread::msleep(1);
    }
}

void TGIFImage::StopDrawPainter() {
    if (!DrawPainter) return;
    if (DrawPainter->IsAsync()) {
        while (DrawPainter) {
            DrawPainter->Stop();
            runSynchronizedCalls();
            if (DrawPainter) QThread::msleep(1);
        }
        FreeBitmap();
    } else {
        DrawPainter->Stop();
    }
}

TGIFPainter* TGIFImage::CreatePainter(QPainter* Canvas, const QRect& Rect, uint16_t Options, TGIFPainter** Reference) {
    if (GetEmpty() || Rect.left() > Rect.right() || Rect.top() > Rect.bottom()) return nullptr;
    if (Images().Count() == 1 || !QCoreApplication::instance()) Options &= uint16_t(~DrawAsync);
    auto* painter = new TGIFPainter(Reference, Options, Rect, Canvas, this);
    {
        std::lock_guard<std::mutex> lock(PainterLock);
        Painters.push_back(painter);
    }
    painter->OnPainterStart = OnPainterStart;
    painter->OnFramePaint = OnFramePaint;
    painter->OnAnimationLoop = OnAnimationLoop;
    painter->OnPainterEnd = OnPainterEnd;
    if (painter->IsAsync()) {
        QObject::connect(painter, &QThread::finished, painter, &QObject::deleteLater);
        return painter;
    }
    painter->Execute();
    if (Reference && *Reference == painter) *Reference = nullptr;
    RemovePainter(painter);
    delete painter;
    return nullptr;
}

void TGIFImage::RemovePainter(TGIFPainter* Painter) {
    std::lock_guard<std::mutex> lock(PainterLock);
    Painters.erase(std::remove(Painters.begin(), Painters.end(), Painter), Painters.end());
}

int TGIFImage::PainterCount() {
    std::lock_guard<std::mutex> lock(PainterLock);
    return int(Painters.size());
}

void TGIFImage::Clear() {
    StopDraw();
    FreeBitmap();
    Frames->Clear();
    HeaderItem->GlobalColorMap.Clear();
    HeaderItem->ScreenDescriptor.ScreenWidth = 0;
    HeaderItem->ScreenDescriptor.ScreenHeight = 0;
    HeaderItem->Prepare();
    SetPalette(GifPalette());
}

void TGIFImage::SetWidth(int Width) {
    for (int i = 0; i < Images().Count(); ++i) {
        const TGIFSubImage* f = Images().Frame(i);
        if (f->Left() + f->Width() > Width) RaiseGIFError(GifMessage::ImageWidthTooSmall);
    }
    Header().ScreenDescriptor.ScreenWidth = uint16_t(std::clamp(Width, 0, 0xFFFF));
    FreeBitmap();
    Changed(this);
}

void TGIFImage::SetHeight(int Height) {
    for (int i = 0; i < Images().Count(); ++i) {
        const TGIFSubImage* f = Images().Frame(i);
        if (f->Top() + f->Height() > Height) RaiseGIFError(GifMessage::ImageHeightTooSmall);
    }
    Header().ScreenDescriptor.ScreenHeight = uint16_t(std::clamp(Height, 0, 0xFFFF));
    FreeBitmap();
    Changed(this);
}

GifPalette TGIFImage::GetPalette() {
    if (PaletteGuard) RaiseGIFError(GifMessage::NoColorTable);
    PaletteGuard = true;
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{PaletteGuard};
    if (CachedBitmap && !CachedBitmap->colorTable().isEmpty()) return CachedBitmap->colorTable();
    if (StoredPalette && !StoredPalette->isEmpty()) return *StoredPalette;
    if (DoDither()) {
        StoredPalette = CreateCubePalette();
        return *StoredPalette;
    }
    if (Header().GlobalColorMap.Count > 0) {
        StoredPalette = Header().GlobalColorMap.CreatePaletteHandle();
        return *StoredPalette;
    }
    if (Images().Count() > 0) return Images().Frame(0)->GetPalette();
    return GifPalette();
}

void TGIFImage::SetPalette(const GifPalette& Palette) {
    const std::optional<GifPalette> wanted = Palette.isEmpty() ? std::nullopt : std::optional<GifPalette>(Palette);
    if (wanted == StoredPalette) return;
    StoredPalette = wanted;
    if (CachedBitmap && CachedBitmap->colorTable() != Palette) {
        FreeBitmap();
        PaletteModified = true;
        Changed(this);
    }
}

bool TGIFImage::DoDither() const {
    return (DrawOptions & DrawDither) && (!(DrawOptions & DrawDitherOnPaletteOnly) || PaletteDisplay);
}

const QImage* TGIFImage::GetBitmap() {
    if (GetEmpty()) return nullptr;
    if (CachedBitmap) return CachedBitmap.get();
    TGIFSubImage* frame = Images().Frame(0);
    const int width = GetWidth(), height = GetHeight();
    if (int64_t(width) * height > GIFMaxImagePixels) RaiseGIFError(QString::fromLatin1(OutOfSystemResourcesText));
    auto bitmap = std::make_unique<QImage>();
    if (frame->Width() == width && frame->Height() == height) {
        // Shared, not copied: whichever of the two is written to first detaches.
        frame->AssignTo(*bitmap);
    } else if (width > 0 && height > 0) {
        // Frame 0 at its place on the logical screen, clipped to it, without transparency.
        *bitmap = QImage(width, height, QImage::Format_Indexed8);
        if (bitmap->isNull()) RaiseGIFError(QString::fromLatin1(OutOfSystemResourcesText));
        // The frame's indices mean the colours of the table it was rendered with (its own local
        // table or the dither cube), so the screen takes that table; the uncovered screen shows the
        // global table's first colour wherever that table holds it.
        const GifPalette global = GetPalette();
        // A frame reaching past the screen is not rendered whole: its visible pixels are its
        // indices (unless dithered), so a few bytes declaring a huge frame cost only the screen.
        const bool composeVisible = !frame->Bitmap && !DoDither() && !frame->Empty() &&
                                    (frame->Left() + frame->Width() > width || frame->Top() + frame->Height() > height);
        const QImage* rendered = composeVisible ? nullptr : frame->GetBitmap();
        GifPalette palette = composeVisible ? frame->RenderPalette(false) : rendered ? rendered->colorTable() : global;
        qsizetype backdrop = global.isEmpty() ? 0 : palette.indexOf(global.first());
        if (backdrop < 0 && palette.size() < 256) {
            palette.append(global.first());
            backdrop = palette.size() - 1;
        }
        if (palette.isEmpty()) palette.append(qRgb(0, 0, 0));
        bitmap->setColorTable(palette);
        bitmap->fill(uint(std::max<qsizetype>(0, backdrop)));
        if (rendered || composeVisible) {
            const int x0 = frame->Left(), y0 = frame->Top();
            const int x1 = std::min(width, x0 + frame->Width()), y1 = std::min(height, y0 + frame->Height());
            for (int y = y0; y < y1 && x1 > x0; ++y) {
                uint8_t* out = bitmap->scanLine(y) + x0;
                const uint8_t* source = rendered ? rendered->constScanLine(y - y0) : frame->RowPixels(y - y0);
                if (source) std::memcpy(out, source, size_t(x1 - x0));
                else std::memset(out, 0, size_t(x1 - x0));
            }
        }
    }
    CachedBitmap = std::move(bitmap);
    return CachedBitmap.get();
}

int TGIFImage::Add(const QImage& Bitmap) {
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->Assign(Bitmap);
    return Add(frame.release());
}

int TGIFImage::Add(TGIFSubImage* Frame) {
    if (!Frame) RaiseGIFError(GifMessage::UnsupportedObjectType);
    // A frame taken from another image now reports to this one, with its extensions and pixels.
    if (Frame->Image != this) {
        const int64_t pixels = int64_t(Frame->Data.size());
        if (Frame->Image) Frame->Image->HeldPixels -= pixels;
        HeldPixels += pixels;
    }
    Frame->Image = this;
    Frame->Extensions.Image = this;
    for (TGIFItem* extension : Frame->Extensions.Items) extension->Image = this;
    const int index = Images().Add(Frame);
    bool grown = false;
    if (Frame->Left() + Frame->Width() > GetWidth()) {
        Header().ScreenDescriptor.ScreenWidth = uint16_t(std::min(0xFFFF, Frame->Left() + Frame->Width()));
        Warning(this, 1, GIFMessageText(GifMessage::ImageWidthTooSmall));
        grown = true;
    }
    if (Frame->Top() + Frame->Height() > GetHeight()) {
        Header().ScreenDescriptor.ScreenHeight = uint16_t(std::min(0xFFFF, Frame->Top() + Frame->Height()));
        Warning(this, 1, GIFMessageText(GifMessage::ImageHeightTooSmall));
        grown = true;
    }
    if (grown) {
        Warning(Frame, 1, GIFMessageText(GifMessage::ImageExceedsLogicalScreen));
        FreeBitmap();
        Changed(this);
    }
    return index;
}

void TGIFImage::Assign(const TGIFImage& Source) {
    if (&Source == this) return;
    Clear();
    OnProgress = Source.OnProgress;
    const QString message = GIFMessageText(GifMessage::Copying);
    Progress(this, GifProgressStage::Starting, 0, false, QRect(0, 0, 0, 0), message);
    try {
        OnChange = Source.OnChange;
        OnWarning = Source.OnWarning;
        Source.Header().AssignTo(Header());
        ThreadPriority = Source.ThreadPriority;
        BackgroundColor = Source.BackgroundColor;
        DrawOptions = Source.DrawOptions;
        const int count = Source.Images().Count();
        for (int i = 0; i < count; ++i) {
            auto frame = std::make_unique<TGIFSubImage>(this);
            frame->Assign(*Source.Images().Frame(i));
            Add(frame.release());
            Progress(this, GifProgressStage::Running, (i + 1) * 100 / count, false, QRect(0, 0, 0, 0), message);
        }
    } catch (...) {
        Progress(this, GifProgressStage::Ending, 0, false, QRect(0, 0, 0, 0), message);
        throw;
    }
    Progress(this, GifProgressStage::Ending, 100, false, QRect(0, 0, 0, 0), message);
}

void TGIFImage::Assign(const QImage& Bitmap) {
    Clear();
    Add(Bitmap);
}

void TGIFImage::AssignTo(QImage& Bitmap) {
    const QImage* bitmap = GetBitmap();
    Bitmap = bitmap ? *bitmap : QImage();  // shared until either side is written
}

void TGIFImage::Draw(QPainter& Canvas, const QRect& Rect) {
    if (Drawing || GetEmpty()) return;
    Drawing = true;
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{Drawing};
    if (Images().Count() == 1 || !(DrawOptions & DrawAnimate)) {
        Images().Frame(0)->Draw(Canvas, Rect, (DrawOptions & DrawTransparent) != 0);
        return;
    }
    if (CachedBitmap && !(DrawOptions & DrawDirect)) {
        Canvas.drawImage(Rect, *CachedBitmap);
        return;
    }
    if (DrawPainter && DrawPainter->Canvas == &Canvas && DrawPainter->Rect == Rect) return;
    StopDrawPainter();

    QPainter* target = &Canvas;
    QRect targetRect = Rect;
    if (!(DrawOptions & DrawDirect)) {
        // The painter paints into a bitmap of the logical screen, which starts as what the canvas
        // shows in the rectangle.
        FreeBitmap();
        CachedBitmap = std::make_unique<QImage>(std::max(1, GetWidth()), std::max(1, GetHeight()), QImage::Format_RGB32);
        CachedBitmap->fill(Qt::white);
        if (Canvas.device() && Canvas.device()->devType() == QInternal::Image) {
            const QImage shown = static_cast<QImage*>(Canvas.device())->copy(Rect);
            QPainter copy(CachedBitmap.get());
            copy.drawImage(CachedBitmap->rect(), shown);
        }
        CachedBitmapCanvas = std::make_unique<QPainter>(CachedBitmap.get());
        target = CachedBitmapCanvas.get();
        targetRect = CachedBitmap->rect();
    }
    TGIFPainter* painter = CreatePainter(target, targetRect, DrawOptions, &DrawPainter);
    if (!painter) {
        // A synchronous painter has already played the animation into the bitmap.
        if (CachedBitmap) Canvas.drawImage(Rect, *CachedBitmap);
        return;
    }
    painter->Start();
    if (DrawOptions & DrawDirect) return;
    while (DrawPainter && !DrawPainter->HasPainted() && !DrawPainter->StopRequested()) {
        runSynchronizedCalls();
        QThread::yieldCurrentThread();
    }
    if (CachedBitmap) Canvas.drawImage(Rect, *CachedBitmap);
}

void TGIFImage::Warning(const void* Sender, uint8_t Severity, const QString& Message) {
    if (OnWarning) OnWarning(Sender, Severity, Message);
}

void TGIFImage::Changed(const void* Sender) {
    if (OnChange) OnChange(Sender);
}

void TGIFImage::Progress(const void* Sender, GifProgressStage Stage, int PercentDone, bool RedrawNow, const QRect& Rect,
                         const QString& Message) {
    if (OnProgress) OnProgress(Sender, Stage, PercentDone, RedrawNow, Rect, Message);
}

int TGIFImage::GetVersion() const {
    int version = 0;
    for (int i = 0; i < Images().Count(); ++i) {
        version = std::max(version, Images().Frame(i)->GetVersion());
        if (version >= 2) break;
    }
    return version;
}

int TGIFImage::GetColorResolution() const {
    int result = Header().GlobalColorMap.BitsPerPixel() - 1;
    for (int i = 0; i < Images().Count(); ++i) result = std::max(result, Images().Frame(i)->ColorResolution());
    return result;
}

int TGIFImage::GetBitsPerPixel() const {
    int result = Header().GlobalColorMap.BitsPerPixel();
    for (int i = 0; i < Images().Count(); ++i) result = std::max(result, Images().Frame(i)->BitsPerPixel());
    return result;
}

void TGIFImage::LoadFromStream(QIODevice& Stream, bool FirstFrameOnly) {
    if (Stream.isSequential() || qobject_cast<QBuffer*>(&Stream)) return ReadStream(Stream, FirstFrameOnly);
    // The frames are read a byte at a time with steps back, which a file answers with a system
    // call each; the rest of the file is read from memory instead, and the file is left behind
    // what was read.
    const qint64 start = Stream.pos();
    QByteArray bytes = Stream.readAll();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        ReadStream(buffer, FirstFrameOnly);
    } catch (...) {
        Stream.seek(start + buffer.pos());
        throw;
    }
    Stream.seek(start + buffer.pos());
}

void TGIFImage::ReadStream(QIODevice& Stream, bool FirstFrameOnly) {
    const QString message = GIFMessageText(GifMessage::Loading);
    Progress(this, GifProgressStage::Starting, 0, false, QRect(0, 0, 0, 0), message);
    try {
        Clear();
        Header().LoadFromStream(Stream);
        Images().LoadFromStream(Stream, this, FirstFrameOnly);
        if (!FirstFrameOnly) {
            TGIFTrailer trailer(this);
            trailer.LoadFromStream(Stream);
        }
    } catch (...) {
        Progress(this, GifProgressStage::Ending, 0, true, QRect(0, 0, 0, 0), message);
        throw;
    }
    Progress(this, GifProgressStage::Ending, 100, true, QRect(0, 0, 0, 0), message);
}

void TGIFImage::SaveToStream(QIODevice& Stream) {
    const QString message = GIFMessageText(GifMessage::Saving);
    Progress(this, GifProgressStage::Starting, 0, false, QRect(0, 0, 0, 0), message);
    try {
        Header().SaveToStream(Stream);
        Images().SaveToStream(Stream);
        TGIFTrailer trailer(this);
        trailer.SaveToStream(Stream);
    } catch (...) {
        Progress(this, GifProgressStage::Ending, 0, true, QRect(0, 0, 0, 0), message);
        throw;
    }
    Progress(this, GifProgressStage::Ending, 100, true, QRect(0, 0, 0, 0), message);
}

void TGIFImage::LoadFromFile(const QString& FileName) {
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly)) RaiseGIFError(QStringLiteral("Cannot open file ") + FileName);
    LoadFromStream(file);
}

void TGIFImage::SaveToFile(const QString& FileName) {
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    SaveToStream(encoded);
    if (!platform::writeFileAtomically(FileName, encoded.data()))
        RaiseGIFError(QStringLiteral("Cannot write file ") + FileName);
}

void TGIFImage::LoadFromClipboardFormat(const QMimeData& Data) {
    for (const QString& type : {GIFClipboardMimeType(), QString::fromLatin1(GIFClipboardFormatName)}) {
        if (!Data.hasFormat(type)) continue;
        QByteArray bytes = Data.data(type);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        LoadFromStream(buffer);
        return;
    }
    const QImage bitmap = qvariant_cast<QImage>(Data.imageData());
    if (bitmap.isNull()) RaiseGIFError(GifMessage::UnsupportedObjectType);
    Assign(bitmap);
}

void TGIFImage::SaveToClipboardFormat(QMimeData& Data) {
    if (GetEmpty()) return;
    const QImage* bitmap = GetBitmap();
    if (bitmap) Data.setImageData(*bitmap);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    SaveToStream(buffer);
    Data.setData(GIFClipboardMimeType(), bytes);
}

void InitGIFCodec() {
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    PaletteDisplay = screen && screen->depth() <= 8;
}

void FinalizeGIFCodec() { FreeExtensionRegistries(); }
