#pragma once
// TGIFPainter plays the frames of a TGIFImage onto a canvas rectangle: it waits each frame's
// delay, applies the frames' disposal methods, honours the looping extension and reports through
// four events. Asynchronous painters run on a thread of their own and hand every render and paint
// to the GUI thread; synchronous ones run inside the call that created them.
#include <QImage>
#include <QRect>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class QPainter;
class TGIFImage;
class TGIFPainter;

using GifPainterEvent = std::function<void(TGIFPainter* Sender)>;

// Timing: milliseconds per hundredth of a second of GIF delay, and the delays in hundredths.
constexpr int PainterMsPerDelayUnit = 12;
constexpr int PainterDefaultDelay = 10;
constexpr int PainterMinimumDelay = 4;
constexpr int PainterMaximumSyncDelay = 1000;  // synchronous painters only

class TGIFPainter : public QThread {
public:
    TGIFPainter(TGIFPainter** Reference, uint16_t Options, const QRect& Rect, QPainter* Canvas, TGIFImage* Image);
    ~TGIFPainter() override;

    void Start();
    void Stop();
    // The animation loop (on the painter's thread, or on the caller's for a synchronous painter).
    void Execute();
    bool IsAsync() const;
    bool StopRequested() const { return Stopping.load(); }
    bool HasPainted() const { return Painted.load(); }
    // The image is going away: forget it.
    void ForgetImage() { Image = nullptr; }

    TGIFImage* Image;
    QPainter* Canvas;
    QRect Rect;
    uint16_t DrawOptions;
    std::atomic<int> CurrentFrame{-1};
    uint8_t Disposal = 0;
    uint8_t PreviousDisposal = 0;
    std::unique_ptr<QImage> BackgroundBuffer;
    std::unique_ptr<QImage> SaveBuffer;
    std::unique_ptr<QImage> InitialBackground;
    QRgb BackgroundColor = 0;
    // Copied from the image; each gets this painter as sender.
    GifPainterEvent OnPainterStart, OnFramePaint, OnAnimationLoop, OnPainterEnd;

protected:
    void run() override { Execute(); }

private:
    void Synchronize(const std::function<void()>& Call);
    void Fire(const GifPainterEvent& Event);
    void PaintFrame();
    bool WaitDelay(int Milliseconds, qint64 Since);
    // Leaves the image's painter list and clears the creator's reference (GUI thread).
    void Detach();

    TGIFPainter** ReferencePlace;
    std::atomic<bool> Stopping{false};
    std::atomic<bool> Painted{false};
    bool CanvasWasActive = true;
    bool HasWakeEvent = false;
    std::mutex WakeMutex;
    std::condition_variable Wake;
    bool WakeSignaled = false;
};
