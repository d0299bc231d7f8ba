#pragma once
// The preview worker of the image open dialog: loads one file, fits it into the preview box and
// converts it for the display's colour depth, posting progress and the finished graphic to the
// dialog. Each job carries the generation number the dialog gave it, so the dialog can tell a
// result of a superseded job and drop it.
#include "imaging/pixel_graphic.h"

#include <QEvent>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

// The dialog's messages, as event types posted to it.
constexpr QEvent::Type PreviewReadyEvent = QEvent::Type(QEvent::User + 1024);     // the finished graphic
constexpr QEvent::Type PreviewProgressEvent = QEvent::Type(QEvent::User + 1025);  // phase and percent
constexpr QEvent::Type PreviewStartEvent = QEvent::Type(QEvent::User + 1027);     // preview the selection

// Owns the finished preview until the dialog takes it; freed with the event when nobody does.
class TPreviewReadyEvent : public QEvent {
public:
    TPreviewReadyEvent(uint64_t generation, std::unique_ptr<TPixelGraphic> graphic)
        : QEvent(PreviewReadyEvent), Generation(generation), Graphic(std::move(graphic)) {}
    const uint64_t Generation;
    std::unique_ptr<TPixelGraphic> Graphic;
};

class TPreviewProgressEvent : public QEvent {
public:
    TPreviewProgressEvent(uint64_t generation, int phase, int percent)
        : QEvent(PreviewProgressEvent), Generation(generation), Phase(phase), Percent(percent) {}
    const uint64_t Generation;
    const int Phase;    // phase * 16 + sub-phase
    const int Percent;
};

struct TPreviewJob {
    QString FileName;
    uint64_t Generation = 0;
    int BoxWidth = 0, BoxHeight = 0;
    TStretchMode StretchMode = smPrecise;
    TPaletteIdent Palette24Bit = pOptimized252Sys16;  // on an 8-bit display, for a 24-bit file
    TPaletteIdent Palette8Bit = pOptimized252Sys16;   // on an 8-bit display, for a paletted file
    int DisplayBitsPerPixel = 24;
};

class TCreateOpenSaveDialogPaintPGThread : public QThread {
public:
    // Receiver gets the events; it must outlive the thread (the dialog stops and waits for it).
    TCreateOpenSaveDialogPaintPGThread(TPreviewJob Job, QObject* Receiver);
    ~TCreateOpenSaveDialogPaintPGThread() override;

    // Every file load the workers start, for tests.
    static std::atomic<int> LoadCount;

    struct Hooks {
        TPGProgressEvent Progress;        // given to every graphic of the job
        std::function<bool()> Cancelled;  // true once the job is to stop
        std::function<void()> NextPhase;  // before each conversion
    };
    // Builds the preview graphic; nullptr when the job was cancelled. Raises what loading raises.
    static std::unique_ptr<TPixelGraphic> MakePreview(const TPreviewJob& Job, const Hooks& Hooks);

protected:
    void run() override;

private:
    void Progress(int Done, bool& Abort, int Total);
    TPreviewJob job_;
    QObject* receiver_;
    int phase_ = 1;
    int lastPercent_ = -1;
    int64_t lastSlot_ = -1;
};
