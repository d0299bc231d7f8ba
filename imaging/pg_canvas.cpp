// TPGCanvas: painting on a working copy of a graphic's pixels, written back on release.
#include "imaging/pg_canvas.h"

#include "imaging/pixel_graphic.h"

#include <QPainter>

#include <algorithm>

std::vector<TPGCanvas*> LiveCanvases;

TPGCanvas::TPGCanvas(TPixelGraphic* Graphic) : graphic_(Graphic) {}

TPGCanvas::~TPGCanvas() { FreeHandle(); }

QPainter& TPGCanvas::Painter() {
    if (!painter_) CreateHandle();
    return *painter_;
}

void TPGCanvas::CreateHandle() {
    ReleaseCanvasesOf(graphic_);
    // Take a snapshot of the pixels without going through the flushing accessors.
    work_ = graphic_->ToQImage().convertToFormat(QImage::Format_RGB32);
    if (work_.isNull()) work_ = QImage(1, 1, QImage::Format_RGB32);  // an empty graphic: draw into nothing
    original_ = work_.copy();
    painter_ = std::make_unique<QPainter>(&work_);
    LiveCanvases.push_back(this);
}

void TPGCanvas::FreeHandle() {
    if (!painter_) return;
    painter_->end();
    painter_.reset();
    LiveCanvases.erase(std::remove(LiveCanvases.begin(), LiveCanvases.end(), this), LiveCanvases.end());
    if (graphic_->GetEmpty() || work_.size() != QSize(graphic_->GetWidth(), graphic_->GetHeight())) return;
    for (int y = 0; y < work_.height(); ++y) {
        const QRgb* now = reinterpret_cast<const QRgb*>(work_.constScanLine(y));
        const QRgb* before = reinterpret_cast<const QRgb*>(original_.constScanLine(y));
        for (int x = 0; x < work_.width(); ++x)
            if (now[x] != before[x])
                graphic_->SetPixelColor(x, y, pgRGB(uint8_t(qRed(now[x])), uint8_t(qGreen(now[x])), uint8_t(qBlue(now[x]))));
    }
    work_ = QImage();
    original_ = QImage();
    graphic_->Changed();
}

void FreeAllCanvasHandles() {
    while (!LiveCanvases.empty()) LiveCanvases.front()->FreeHandle();
}

void ReleaseCanvasesOf(const TPixelGraphic* Graphic) {
    for (size_t i = LiveCanvases.size(); i-- > 0;)
        if (i < LiveCanvases.size() && LiveCanvases[i]->Graphic() == Graphic) LiveCanvases[i]->FreeHandle();
}
