// The GIF animation painter.
#include "imaging/formats/gif_painter.h"

#include "imaging/formats/gif_image.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

#include <algorithm>
#include <set>

namespace {

qint64 nowMs() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

// What the canvas shows in Rect, when its device can be read.
QImage grabCanvas(QPainter* canvas, const QRect& rect) {
    if (!canvas || !canvas->device()) return QImage();
    QPaintDevice* device = canvas->device();
    if (device->devType() == QInternal::Image) return static_cast<QImage*>(device)->copy(rect);
    if (device->devType() == QInternal::Pixmap) return static_cast<QPixmap*>(device)->toImage().copy(rect);
    return QImage();
}

QImage bufferLike(const QRect& rect, QRgb colour, const QImage& contents) {
    QImage buffer(rect.size(), QImage::Format_RGB32);
    buffer.fill(colour);
    if (!contents.isNull()) {
        QPainter p(&buffer);
        p.drawImage(QPoint(0, 0), contents);
    }
    return buffer;
}

const TGIFAppExtNSLoop* loopExtension(TGIFSubImage* frame) {
    for (TGIFItem* item : frame->Extensions.Items)
        if (auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(item)) return loop;
    return nullptr;
}

}  // namespace

TGIFPainter::TGIFPainter(TGIFPainter** Reference, uint16_t Options, const QRect& PaintRect, QPainter* PaintCanvas,
                         TGIFImage* PaintImage)
    : Image(PaintImage), Canvas(PaintCanvas), Rect(PaintRect), DrawOptions(Options), ReferencePlace(Reference) {
    if (ReferencePlace) *ReferencePlace = this;
    const bool async = IsAsync();
    HasWakeEvent = async && (DrawOptions & DrawAnimate) && Image && Image->Images().Count() > 1;

    // Background colour.
    if (Image && Image->BackgroundColor != GifNoColor) {
        const GifColor c = Image->BackgroundColor;
        BackgroundColor = qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    } else if (!Image || Image->Header().GlobalColorMap.Count == 0) {
        BackgroundColor = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                              ? QGuiApplication::palette().color(QPalette::Window).rgb()
                              : qRgb(255, 255, 255);
    } else {
        const GifColor c = Image->GetBackgroundColor();
        BackgroundColor = qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    }
    // Buffers for the disposal methods that need them.
    std::set<int> disposals;
    if (Image)
        for (int i = 0; i < Image->Images().Count(); ++i)
            if (auto* control = Image->Images().Frame(i)->GraphicControlExtension) disposals.insert(control->GetDisposal());
    const bool restoreBackground = disposals.count(2) > 0;
    const bool restorePrevious = disposals.count(3) > 0;
    if (Rect.isEmpty()) return;
    if (restoreBackground && (DrawOptions & DrawTransparent))
        InitialBackground = std::make_unique<QImage>(bufferLike(Rect, BackgroundColor, grabCanvas(Canvas, Rect)));
    if (restoreBackground || restorePrevious) {
        BackgroundBuffer = std::make_unique<QImage>(bufferLike(Rect, BackgroundColor, grabCanvas(Canvas, Rect)));
        SaveBuffer = std::make_unique<QImage>(bufferLike(Rect, BackgroundColor, QImage()));
    }
}

TGIFPainter::~TGIFPainter() {
    Stop();
    if (isRunning()) wait();
}

bool TGIFPainter::IsAsync() const { return (DrawOptions & DrawAsync) != 0; }

void TGIFPainter::Start() {
    if (IsAsync()) start();
}

void TGIFPainter::Stop() {
    Stopping = true;
    if (IsAsync()) {
        std::lock_guard<std::mutex> lock(WakeMutex);
        WakeSignaled = true;
        Wake.notify_all();
    }
}

void TGIFPainter::Synchronize(const std::function<void()>& Call) {
    if (IsAsync() && QThread::currentThread() == this) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), Call, Qt::BlockingQueuedConnection);
    } else {
        Call();
    }
}

void TGIFPainter::Fire(const GifPainterEvent& Event) {
    if (!Event) return;
    Synchronize([&] { Event(this); });
}

bool TGIFPainter::WaitDelay(int Milliseconds, qint64 Since) {
    const qint64 until = Since + Milliseconds;
    if (IsAsync()) {
        std::unique_lock<std::mutex> lock(WakeMutex);
        const qint64 left = std::max<qint64>(0, until - nowMs());
        if (HasWakeEvent) {
            if (Wake.wait_for(lock, std::chrono::milliseconds(left), [this] { return WakeSignaled; })) {
                // A signal ends the painter (the lock is held: no Stop() here).
                WakeSignaled = false;
                Stopping = true;
                return false;
            }
        } else {
            lock.unlock();
            QThread::msleep(static_cast<unsigned long>(left));
        }
        return !Stopping;
    }
    // Synchronous: sleeps of 100 ms, letting the caller's queue run in between.
    do {
        QThread::msleep(100);
        QCoreApplication::processEvents();
    } while (nowMs() < until && !Stopping);
    return !Stopping;
}

void TGIFPainter::Execute() {
    try {
        if (DrawOptions & DrawCheckCanvas) CanvasWasActive = Canvas && Canvas->isActive();
        Fire(OnPainterStart);
        int loopCount = 1;
        int loopStart = 0;
        bool loopSeen = false;
        int delay = IsAsync() ? 0 : 1;
        PreviousDisposal = 1;
        Painted = false;
        qint64 last = nowMs();
        while ((loopCount != 0 || (DrawOptions & DrawLoopForever)) && !Stopping) {
            if (Painted) Fire(OnAnimationLoop);
            for (int index = loopStart; !Stopping; ++index) {
                TGIFSubImage* frame = nullptr;
                Synchronize([&] {
                    if (Image && index < Image->Images().Count()) frame = Image->Images().Frame(index);
                });
                if (!frame || frame->Empty()) break;
                CurrentFrame = index;
                if (delay < 1) {
                    QThread::yieldCurrentThread();
                } else {
                    Synchronize([&] {
                        if (!Stopping) frame->GetBitmap();
                    });
                    if (!WaitDelay(delay * PainterMsPerDelayUnit, last)) break;
                }
                last = nowMs();
                Disposal = frame->GraphicControlExtension ? uint8_t(frame->GraphicControlExtension->GetDisposal()) : 1;
                if (const TGIFAppExtNSLoop* loop = loopExtension(frame); loop && !loopSeen) {
                    loopSeen = true;
                    loopCount = loop->Loops;
                    if (IsAsync() && (loop->Loops == 0 || (DrawOptions & DrawLoopForever))) loopCount = -1;
                    loopStart = index;
                }
                Fire(OnFramePaint);
                Synchronize([&] { PaintFrame(); });
                PreviousDisposal = Disposal;
                if (!(DrawOptions & DrawAnimate)) break;
                const int frameDelay = frame->GraphicControlExtension ? frame->GraphicControlExtension->GetDelay() : 0;
                if (frameDelay != 0) {
                    delay = std::max(frameDelay, PainterMinimumDelay);
                    if (!IsAsync()) delay = std::min(delay, PainterMaximumSyncDelay);
                } else {
                    delay = PainterDefaultDelay;
                }
            }
            if (loopCount > 0) --loopCount;
            if (!((DrawOptions & DrawAnimate) && (DrawOptions & DrawLoop))) break;
        }
    } catch (...) {
        Stop();
    }
    CurrentFrame = -1;
    try {
        Fire(OnPainterEnd);
    } catch (...) {
    }
    Synchronize([this] { Detach(); });
}

void TGIFPainter::Detach() {
    if (ReferencePlace && *ReferencePlace == this) *ReferencePlace = nullptr;
    ReferencePlace = nullptr;
    if (Image) Image->RemovePainter(this);
    Image = nullptr;
    BackgroundBuffer.reset();
    SaveBuffer.reset();
    InitialBackground.reset();
}

void TGIFPainter::PaintFrame() {
    if (Stopping || !Image || !Canvas) return;
    const int index = CurrentFrame;
    if (index < 0 || index >= Image->Images().Count()) return;
    TGIFSubImage* frame = Image->Images().Frame(index);
    if ((DrawOptions & DrawCheckCanvas) && (!CanvasWasActive || !Canvas->isActive())) {
        Stop();
        return;
    }
    const bool transparent = (DrawOptions & DrawTransparent) != 0;
    if (!BackgroundBuffer) {
        frame->Draw(*Canvas, Rect, transparent);
        Painted = true;
        return;
    }
    const QRect local(QPoint(0, 0), Rect.size());
    auto drawInto = [&](QImage& target) {
        QPainter p(&target);
        frame->Draw(p, local, transparent);
    };
    switch (Disposal) {
    case 0:
    case 1:
    case 2: {
        drawInto(*BackgroundBuffer);
        Canvas->drawImage(Rect.topLeft(), *BackgroundBuffer);
        if (Disposal == 2) {
            const QRect area = frame->ScaleRect(local);
            QPainter p(BackgroundBuffer.get());
            if (transparent && InitialBackground)
                p.drawImage(area.topLeft(), *InitialBackground, area);
            else
                p.fillRect(area, BackgroundColor);
        }
        break;
    }
    case 3:
        if (PreviousDisposal <= 1) {
            frame->Draw(*Canvas, Rect, transparent);
        } else {
            *SaveBuffer = BackgroundBuffer->copy();
            drawInto(*SaveBuffer);
            Canvas->drawImage(Rect.topLeft(), *SaveBuffer);
        }
        break;
    default: return;  // reserved disposals are not painted
    }
    Painted = true;
}
