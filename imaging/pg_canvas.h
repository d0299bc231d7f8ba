#pragma once
// TPGCanvas: a drawing surface on a graphic's pixels. While it holds its handle the drawing goes to
// a 32-bit working copy of the pixels through a QPainter; releasing the handle (FreeHandle, which
// every direct pixel access of the graphic triggers) writes the changed pixels back, mapped to the
// nearest palette entries for paletted graphics. Canvases holding a handle are listed in
// LiveCanvases so that FreeAllCanvasHandles can release them.
#include <QImage>

#include <memory>
#include <vector>

class QPainter;
class TPixelGraphic;

class TPGCanvas {
public:
    explicit TPGCanvas(TPixelGraphic* Graphic);
    ~TPGCanvas();
    TPGCanvas(const TPGCanvas&) = delete;
    TPGCanvas& operator=(const TPGCanvas&) = delete;

    // The painter on the graphic; creates the handle on first use after a release.
    QPainter& Painter();
    bool HandleAllocated() const { return painter_ != nullptr; }
    // Ends the drawing and writes what was drawn back into the graphic.
    void FreeHandle();
    TPixelGraphic* Graphic() const { return graphic_; }

private:
    void CreateHandle();
    TPixelGraphic* graphic_;
    QImage work_;
    QImage original_;
    std::unique_ptr<QPainter> painter_;
};

extern std::vector<TPGCanvas*> LiveCanvases;
// Releases the handle of every live canvas.
void FreeAllCanvasHandles();
// Releases every live canvas drawing on the graphic.
void ReleaseCanvasesOf(const TPixelGraphic* Graphic);
