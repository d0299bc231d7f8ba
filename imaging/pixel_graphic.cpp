// TPixelGraphic: construction, change notification, geometry, pixel and palette access.
#include "imaging/pixel_graphic.h"

#include "imaging/imaging_init.h"
#include "imaging/pg_canvas.h"
#include "imaging/pg_messages.h"

#include <cstring>

TPixelGraphic::TPixelGraphic() : ImageGamma(DisplayGamma) {}

TPixelGraphic::~TPixelGraphic() { Canvas.reset(); }

void TPixelGraphic::GdiFlush() const {
    if (Canvas && Canvas->HandleAllocated()) Canvas->FreeHandle();
}

void TPixelGraphic::FreeCanvasHandle() const { GdiFlush(); }

TPGCanvas& TPixelGraphic::GetCanvas() {
    if (!Canvas) Canvas = std::make_unique<TPGCanvas>(this);
    return *Canvas;
}

void TPixelGraphic::Assign(const TPixelGraphic* Source) {
    if (!Source) {
        SetSize(0, 0, PixelFormat24Bit);
        return;
    }
    if (Source == this) return;
    GdiFlush();
    Source->GdiFlush();
    BeginUpdate();
    try {
        SetSize(Source->Width, Source->Height, Source->PixelFormat);
        if (Bits && Source->Bits) std::memcpy(Bits, Source->Bits, size_t(ImageSize));
        SetPaletteIdent(Source->PaletteIdent);
        SetPaletteCount(Source->PaletteCount);
        Background = Source->Background;
        Dither = Source->Dither;
        ErrorLimit = Source->ErrorLimit;
        AutoErrorLimit = Source->AutoErrorLimit;
        TaperErrorLimit = Source->TaperErrorLimit;
        UseColorCache = Source->UseColorCache;
        ImageGamma = Source->ImageGamma;
        IntensityMode = Source->IntensityMode;
        StretchMode = Source->StretchMode;
        WarningMode = Source->WarningMode;
        Transparent = Source->Transparent;
        TransparentColor = Source->TransparentColor;
        RaiseRangeErrors = Source->RaiseRangeErrors;
        ColorResolutionMode = Source->ColorResolutionMode;
        for (int i = 0; i < Source->PaletteCount; ++i) SetPaletteColor(i, Source->Palette[size_t(i)]);
        DetectPaletteIdent();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TPixelGraphic::CopyPaletteFrom(const TPixelGraphic& Source) {
    SetPaletteCount(Source.PaletteCount);
    for (int i = 0; i < Source.PaletteCount; ++i) SetPaletteColor(i, Source.Palette[size_t(i)]);
    DetectPaletteIdent();
}

void TPixelGraphic::BeginUpdate() { ++UpdateLock; }

void TPixelGraphic::EndUpdate() {
    --UpdateLock;
    Changed();
}

void TPixelGraphic::Changed() {
    if (UpdateLock == 0 && OnChange) OnChange(this);
}

void TPixelGraphic::SetWidth(int w) {
    if (w != Width) SetSize(w, Height, PixelFormat);
}

void TPixelGraphic::SetHeight(int h) {
    if (h != Height) SetSize(Width, h, PixelFormat);
}

void TPixelGraphic::SetPixelFormat(TPGPixelFormat f) {
    if (f != PixelFormat) SetSize(Width, Height, f);
}

int TPixelGraphic::GetBitCount() const {
    static const int counts[4] = {1, 4, 8, 24};
    return counts[PixelFormat];
}

int TPixelGraphic::GetMaxColors() const {
    static const int counts[4] = {2, 16, 256, 0};
    return counts[PixelFormat];
}

uint8_t* TPixelGraphic::GetScanLine(int y) {
    GdiFlush();
    if (!Bits || y < 0 || y >= Height) return nullptr;
    return Bits + size_t(Height - 1 - y) * size_t(BytesPerLine);
}

const uint8_t* TPixelGraphic::GetScanLine(int y) const {
    return const_cast<TPixelGraphic*>(this)->GetScanLine(y);
}

int TPixelGraphic::GetDIBSize() const { return PaletteCount * 4 + ImageSize + 58; }

uint32_t TPixelGraphic::GetPixel(int x, int y) const {
    GdiFlush();
    if (x < 0 || y < 0 || x >= Width || y >= Height || !Bits) {
        if (RaiseRangeErrors) throw EPGXYIndexOutOfRange(GetMessageText(1));
        return Background;
    }
    const uint8_t* row = GetScanLine(y);
    switch (PixelFormat) {
    case PixelFormat1Bit:
    case PixelFormat4Bit:
    case PixelFormat8Bit: return uint32_t(pgPackedIndex(row, x, PixelFormat));
    case PixelFormat24Bit: {
        const uint8_t* p = row + size_t(x) * 3;
        return pgRGB(p[2], p[1], p[0]);
    }
    }
    return Background;
}

void TPixelGraphic::SetPixel(int x, int y, uint32_t value) {
    GdiFlush();
    if (x < 0 || y < 0 || x >= Width || y >= Height || !Bits) {
        if (RaiseRangeErrors) throw EPGXYIndexOutOfRange(GetMessageText(1));
        return;
    }
    uint8_t* row = GetScanLine(y);
    switch (PixelFormat) {
    case PixelFormat1Bit: {
        const uint8_t mask = uint8_t(0x80 >> (x & 7));
        if (value == 1) row[x >> 3] |= mask;
        else row[x >> 3] &= uint8_t(~mask);
        break;
    }
    case PixelFormat4Bit: {
        uint8_t& b = row[x >> 1];
        if (x & 1) b = uint8_t((b & 0xF0) | (value & 0x0F));
        else b = uint8_t((b & 0x0F) | ((value & 0x0F) << 4));
        break;
    }
    case PixelFormat8Bit: row[x] = uint8_t(value); break;
    case PixelFormat24Bit: {
        uint8_t* p = row + size_t(x) * 3;
        p[0] = pgBlue(value);
        p[1] = pgGreen(value);
        p[2] = pgRed(value);
        break;
    }
    }
}

TColor TPixelGraphic::GetPixelColor(int x, int y) const {
    if (PixelFormat == PixelFormat24Bit) return GetPixel(x, y);
    return GetPaletteColor(int(GetPixel(x, y)));
}

void TPixelGraphic::SetPixelColor(int x, int y, TColor colour) {
    if (PixelFormat == PixelFormat24Bit) SetPixel(x, y, colour);
    else SetPixel(x, y, uint32_t(NearestColorIndex(colour)));
}

void TPixelGraphic::SetBackground(TColor colour) {
    Background = PixelFormat == PixelFormat24Bit ? colour : uint32_t(NearestColorIndex(colour));
}

TColor TPixelGraphic::GetBackgroundColor() const {
    return PixelFormat == PixelFormat24Bit ? Background : GetPaletteColor(int(Background));
}

void TPixelGraphic::Clear() {
    GdiFlush();
    if (!Bits || Width == 0 || Height == 0) return;
    if (Background == 0) {
        std::memset(Bits, 0, size_t(ImageSize));
    } else if (PixelFormat == PixelFormat8Bit) {
        for (int y = 0; y < Height; ++y) std::memset(GetScanLine(y), int(uint8_t(Background)), size_t(Width));
    } else {
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) SetPixel(x, y, Background);
    }
    Changed();
}

void TPixelGraphic::FireProgressBegin() {
    if (OnProgressBegin) OnProgressBegin(this);
}

void TPixelGraphic::FireProgress(int Done, bool& Abort, int Total) {
    if (OnProgress) OnProgress(this, Done, Abort, Total);
}

void TPixelGraphic::FireProgressEnd() {
    if (OnProgressEnd) OnProgressEnd(this);
}
