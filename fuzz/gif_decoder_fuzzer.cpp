// Fuzz target for the GIF decoders: the GIF codec (whole stream, first frame as a bitmap, a save
// and reload of what was read), the registry's GIF reader and the registry bridge. Only the
// errors these readers are meant to raise are caught; anything else is a finding.
#include "imaging/formats/gif_bridge.h"
#include "imaging/formats/gif_image.h"
#include "imaging/formats/gif_registry_reader.h"
#include "imaging/pixel_graphic.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace {

void fuzzCodec(const QByteArray& bytes) {
    QByteArray input = bytes;
    QBuffer stream(&input);
    stream.open(QIODevice::ReadOnly);
    TGIFImage image;
    int warnings = 0;
    image.OnWarning = [&warnings](const void*, uint8_t, const QString&) { ++warnings; };
    try {
        image.LoadFromStream(stream);
    } catch (const GIFException&) {
    }
    try {
        QImage bitmap;
        image.AssignTo(bitmap);
        if (image.Images().Count() > 0) {
            QByteArray saved;
            QBuffer out(&saved);
            out.open(QIODevice::WriteOnly);
            image.SaveToStream(out);
            out.close();
            out.open(QIODevice::ReadOnly);
            TGIFImage again;
            again.LoadFromStream(out);
        }
    } catch (const GIFException&) {
    }
}

void fuzzRegistryReaders(const QByteArray& bytes) {
    {
        QByteArray input = bytes;
        QBuffer stream(&input);
        stream.open(QIODevice::ReadOnly);
        tGifFileFormatReader reader;
        TPixelGraphic graphic;
        reader.Read(stream, graphic, 0);
        stream.seek(0);
        TPGGraphicInfo info;
        try {
            reader.GetInfo(stream, 1, info);
        } catch (const EPixelGraphic&) {
        }
    }
    {
        QByteArray input = bytes;
        QBuffer stream(&input);
        stream.open(QIODevice::ReadOnly);
        TGIFFileFormatReader bridge;
        TPixelGraphic graphic;
        try {
            bridge.Read(stream, graphic, 0);
            if (!graphic.GetEmpty()) (void)graphic.GetPixelColor(0, 0);
        } catch (const GIFException&) {
        } catch (const EPixelGraphic&) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    fuzzCodec(bytes);
    fuzzRegistryReaders(bytes);
    return 0;
}
