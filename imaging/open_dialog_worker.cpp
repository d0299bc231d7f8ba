// The preview worker: load, fit into the box, convert for the display, post.
#include "imaging/open_dialog_worker.h"

#include "imaging/formats/jpeg_orientation.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

#include <algorithm>

std::atomic<int> TCreateOpenSaveDialogPaintPGThread::LoadCount{0};

namespace {

// Converts into a new graphic of the form Prepare gives it; the old one is freed.
template <typename Prepare>
std::unique_ptr<TPixelGraphic> convert(const TPixelGraphic& image, const TCreateOpenSaveDialogPaintPGThread::Hooks& hooks,
                                       Prepare prepare) {
    if (hooks.NextPhase) hooks.NextPhase();
    auto next = std::make_unique<TPixelGraphic>();
    prepare(*next);
    next->SetOnProgress(hooks.Progress);
    next->StretchFrom(image);
    return next;
}

}  // namespace

TCreateOpenSaveDialogPaintPGThread::TCreateOpenSaveDialogPaintPGThread(TPreviewJob Job, QObject* Receiver)
    : job_(std::move(Job)), receiver_(Receiver) {}

TCreateOpenSaveDialogPaintPGThread::~TCreateOpenSaveDialogPaintPGThread() {
    requestInterruption();
    wait();
}

std::unique_ptr<TPixelGraphic> TCreateOpenSaveDialogPaintPGThread::MakePreview(const TPreviewJob& Job,
                                                                              const Hooks& Hooks) {
    const auto Cancelled = [&] { return Hooks.Cancelled && Hooks.Cancelled(); };
    if (!QFileInfo(Job.FileName).isFile()) return nullptr;
    auto image = std::make_unique<TPixelGraphic>();
    image->SetOnProgress(Hooks.Progress);
    image->SetWarningMode(0);
    image->SetFastJpegDct(true);
    ++LoadCount;
    image->LoadFromFile(Job.FileName);
    if (Cancelled() || image->GetEmpty()) return nullptr;

    // A photo stored sideways with its turn recorded in EXIF is previewed upright, as the built
    // pages show it: the stored pixels are fitted into the box turned the same way, then turned.
    const JpegOrientation orientation = JpegFileOrientation(Job.FileName);
    const bool swap = OrientationSwapsAxes(orientation);
    const int boxW = swap ? Job.BoxHeight : Job.BoxWidth, boxH = swap ? Job.BoxWidth : Job.BoxHeight;
    const int w = image->GetWidth(), h = image->GetHeight();
    if (w > boxW || h > boxH) {
        const double aspect = double(w) / h;
        int fitW, fitH;
        if (double(boxW) / std::max(1, boxH) >= aspect) {
            fitH = boxH;
            fitW = std::clamp(int(aspect * boxH), 1, w);
        } else {
            fitW = boxW;
            fitH = std::clamp(int(boxW / aspect), 1, h);
        }
        fitW = std::max(1, fitW);
        fitH = std::max(1, fitH);
        image = convert(*image, Hooks, [&](TPixelGraphic& g) {
            g.SetSize(fitW, fitH, PixelFormat24Bit);
            g.SetStretchMode(Job.StretchMode);
        });
        if (Cancelled()) return nullptr;
    }
    ApplyOrientation(*image, orientation);

    const bool paletted = image->GetPixelFormat() != PixelFormat24Bit;
    const int fw = image->GetWidth(), fh = image->GetHeight();
    if (Job.DisplayBitsPerPixel < 8) {
        image = convert(*image, Hooks, [&](TPixelGraphic& g) {
            g.SetSize(fw, fh, PixelFormat4Bit);
            g.SetPaletteIdent(pSys16);
        });
    } else if (Job.DisplayBitsPerPixel == 8) {
        const TPaletteIdent kind = paletted ? Job.Palette8Bit : Job.Palette24Bit;
        const TPixelGraphic& source = *image;
        image = convert(source, Hooks, [&](TPixelGraphic& g) {
            g.SetSize(fw, fh, PixelFormat8Bit);
            if (kind == pOptimized252Sys16) g.ReduceColorsFrom(source, 252, true);
            else if (paletted && kind == pSource) g.CopyPaletteFrom(source);
            else g.SetPaletteIdent(kind);
        });
    }
    if (Cancelled()) return nullptr;
    return image;
}

void TCreateOpenSaveDialogPaintPGThread::run() {
    phase_ = 1;
    lastPercent_ = -1;
    lastSlot_ = -1;
    try {
        Hooks hooks;
        hooks.Progress = [this](TPixelGraphic*, int Done, bool& Abort, int Total) { Progress(Done, Abort, Total); };
        hooks.Cancelled = [this] { return isInterruptionRequested(); };
        hooks.NextPhase = [this] { ++phase_; };
        auto preview = MakePreview(job_, hooks);
        // The event owns the graphic: if the dialog is gone or has moved on, it is freed with it.
        if (preview && !isInterruptionRequested())
            QCoreApplication::postEvent(receiver_, new TPreviewReadyEvent(job_.Generation, std::move(preview)));
    } catch (const std::exception&) {
        // A file that cannot be previewed leaves the panel blank; the information panel says what it is.
    }
}

void TCreateOpenSaveDialogPaintPGThread::Progress(int Done, bool& Abort, int Total) {
    Abort = isInterruptionRequested();
    if (Total <= 0) return;
    const int percent = int(int64_t(Done) * 100 / Total);
    const int64_t slot = QDateTime::currentMSecsSinceEpoch() / 100;
    if (percent != lastPercent_ && (slot != lastSlot_ || percent / 16 != lastPercent_ / 16)) {
        QCoreApplication::postEvent(receiver_, new TPreviewProgressEvent(job_.Generation, phase_ * 16, percent));
        lastPercent_ = percent;
        lastSlot_ = slot;
    }
}
