#pragma once
// TMetafile: a Windows metafile (WMF, with its 22-byte placeable header) or an enhanced metafile
// (EMF) held in memory, checked when loaded and played onto a QPainter. Every record is read
// through a bounded cursor, so damaged files draw what they can and never read past their data.
#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <functional>
#include <vector>

class QPainter;
class QRect;

class TMetafile {
public:
    // The resolution sizes are computed at (the offscreen platform has no real screen).
    static constexpr int ScreenPixelsPerInch = 96;
    // Decodes a packed DIB (information header, colour table, pixels) for the bitmap records.
    using DibDecoder = std::function<QImage(const QByteArray& PackedDib)>;

    // Takes a standard metafile that starts with a placeable header, or an enhanced metafile.
    // False (and an empty metafile) when the header does not check out.
    bool Load(const QByteArray& Data, bool Enhanced);
    void Clear();
    bool Empty() const { return data_.isEmpty(); }
    bool Enhanced() const { return enhanced_; }

    // Size in pixels at ScreenPixelsPerInch; the setters change the size it is played at.
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetWidth(int w) { width_ = w; }
    void SetHeight(int h) { height_ = h; }
    // Colours (QRgb, opaque) of the enhanced metafile's end-of-file palette, or of a standard
    // metafile's first CREATEPALETTE record; empty when it has none.
    const std::vector<uint32_t>& Palette() const { return palette_; }

    // Plays the records with the picture mapped onto Target.
    void Draw(QPainter& Painter, const QRect& Target) const;

    // Bitmap records are skipped while no decoder is set.
    static void SetDibDecoder(DibDecoder Decoder);
    static const DibDecoder& GetDibDecoder();

private:
    bool LoadStandard();
    bool LoadEnhanced();

    QByteArray data_;
    bool enhanced_ = false;
    int width_ = 0;
    int height_ = 0;
    // Placeable bounds of a standard metafile, or the frame of an enhanced one in device pixels.
    double boundsLeft_ = 0, boundsTop_ = 0, boundsWidth_ = 1, boundsHeight_ = 1;
    int objectCount_ = 0;
    std::vector<uint32_t> palette_;
};
