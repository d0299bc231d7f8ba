// The GIF codec as a reader and writer of the format registry.
#include "imaging/formats/gif_bridge.h"

#include "imaging/formats/gif_image.h"
#include "imaging/pixel_graphic.h"

#include <QIODevice>
#include <QImage>
#include <QRect>

#include <algorithm>

namespace {

const QString GifFormatDescription = QStringLiteral("GIF-Format");

void refuseIndexAboveOne(int ImageIndex) {
    if (ImageIndex > 1) throw EPixelGraphic(QStringLiteral("Index > 1"));
}

// A logical screen of no width or height shows nothing; the extent of the frames read stands in
// for it.
void coverFramesWhenScreenIsEmpty(TGIFImage& gif) {
    if (gif.GetWidth() > 0 && gif.GetHeight() > 0) return;
    int width = gif.GetWidth(), height = gif.GetHeight();
    for (int i = 0; i < gif.Images().Count(); ++i) {
        const TGIFSubImage* frame = gif.Images().Frame(i);
        width = std::max(width, std::min(0xFFFF, frame->Left() + frame->Width()));
        height = std::max(height, std::min(0xFFFF, frame->Top() + frame->Height()));
    }
    gif.SetWidth(width);
    gif.SetHeight(height);
}

// A large picture that frame 0's data leave almost empty is refused before it is drawn.
void refuseNearlyEmptyPicture(TGIFImage& gif) {
    if (gif.Images().Count() == 0) return;
    const TGIFSubImage* frame = gif.Images().Frame(0);
    const QRect screen(0, 0, gif.GetWidth(), gif.GetHeight());
    const QRect visible = QRect(frame->Left(), frame->Top(), frame->Width(), frame->Height()) & screen;
    const int64_t drawn = std::min<int64_t>(frame->DecodedPixels, int64_t(visible.width()) * visible.height());
    if (TPixelGraphic::EnoughPixelsDrawn(drawn, int64_t(screen.width()) * screen.height())) return;
    const bool cut = frame->DecodedPixels < frame->DataSize;
    throw GIFException(GIFMessageText(cut ? GifMessage::PrematureEndOfData : GifMessage::InvalidData));
}

}  // namespace

TGIFFileFormatReader::TGIFFileFormatReader() {
    Extension = QStringLiteral("gif");
    Description = GifFormatDescription;
    ShowInFilter = true;
    HasSignature = true;
}

namespace {

// A transparent first frame names its key colour, so that users of the pixels (thumbnails) can
// tell the see-through areas.
void markTransparentColour(TGIFImage& gif, TPixelGraphic& graphic) {
    graphic.SetTransparent(false);
    TGIFSubImage* frame = gif.Images().Frame(0);
    if (!frame || !frame->Transparent || !frame->GraphicControlExtension) return;
    // The rendered frame's colour table, without rendering a frame that was not rendered whole.
    const GifPalette palette = frame->RenderPalette(gif.DoDither());
    const int key = frame->GraphicControlExtension->GetTransparentColorIndex();
    if (frame->Empty() || key >= palette.size()) return;
    const QRgb colour = palette[key];
    graphic.SetTransparent(true);
    graphic.SetTransparentColor(pgRGB(uint8_t(qRed(colour)), uint8_t(qGreen(colour)), uint8_t(qBlue(colour))));
}

}  // namespace

bool TGIFFileFormatReader::IsFormat(const uint8_t* Header) const {
    return int(Header[0]) + int(Header[1]) + int(Header[2]) == 214;
}

void TGIFFileFormatReader::Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) {
    refuseIndexAboveOne(ImageIndex);
    auto gif = std::make_unique<TGIFImage>();
    Graphic.FireProgressBegin();
    bool abort = false;
    try {
        Graphic.FireProgress(10, abort, 100);
        // The picture is frame 0; later frames are not read.
        gif->LoadFromStream(Stream, true);
        Graphic.FireProgress(90, abort, 100);
        Graphic.FireProgress(100, abort, 100);
        if (!abort) {
            coverFramesWhenScreenIsEmpty(*gif);
            refuseNearlyEmptyPicture(*gif);
            QImage bitmap;
            gif->AssignTo(bitmap);
            // A GIF without a single pixel is no image.
            if (bitmap.isNull()) throw GIFException(GIFMessageText(GifMessage::InvalidData));
            Graphic.AssignFromBitmap(bitmap);
            markTransparentColour(*gif, Graphic);
        }
    } catch (...) {
        gif.reset();
        Graphic.FireProgress(100, abort, 100);
        Graphic.FireProgressEnd();
        throw;
    }
    gif.reset();
    Graphic.FireProgress(100, abort, 100);
    Graphic.FireProgressEnd();
}

void TGIFFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) {
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    refuseIndexAboveOne(ImageIndex);
    TGIFImage gif;
    gif.LoadFromStream(Stream, true);
    Info.ImageCount = 1;
    Info.BitCount = 8;
    Info.ColorsText = QStringLiteral("256");
    Info.Width = gif.GetWidth();
    Info.Height = gif.GetHeight();
}

TGIFFileFormatWriter::TGIFFileFormatWriter() {
    Extension = QStringLiteral("gif");
    Description = GifFormatDescription;
    ShowInFilter = true;
    CanWriteResolutions = ResolutionBit(Resolution256Colors);
}

void TGIFFileFormatWriter::Write(QIODevice& Stream, TPixelGraphic& Graphic) {
    Graphic.FireProgressBegin();
    bool abort = false;
    try {
        Graphic.FireProgress(10, abort, 100);
        QImage bitmap;
        TGIFImage gif;
        Graphic.FireProgress(50, abort, 100);
        Graphic.AssignToBitmap(bitmap);
        gif.Assign(bitmap);
        Graphic.FireProgress(90, abort, 100);
        gif.SaveToStream(Stream);
        Graphic.FireProgress(100, abort, 100);
    } catch (...) {
        Graphic.FireProgressEnd();
        throw;
    }
    Graphic.FireProgressEnd();
}

void RegisterGIFFileFormat() {
    for (const auto& reader : FileFormatReaders)
        if (dynamic_cast<TGIFFileFormatReader*>(reader.get())) return;
    InitGIFCodec();
    RegisterFileFormatReader(std::make_unique<TGIFFileFormatReader>());
    RegisterFileFormatWriter(std::make_unique<TGIFFileFormatWriter>());
}
