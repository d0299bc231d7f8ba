#pragma once
// The body shared by the fuzz targets of the registry's readers: the bytes are read by one
// reader (every image index it may be asked for) and described by GetInfo. Only the library's own
// errors are caught; anything else, and every sanitizer report, is a finding.
#include "imaging/format_registry.h"
#include "imaging/imaging_init.h"
#include "imaging/pixel_graphic.h"

#include <QBuffer>
#include <QByteArray>

#include <cstddef>
#include <cstdint>

inline void FuzzFormatReader(TFileFormatReader& Reader, const uint8_t* Data, size_t Size) {
    static const bool initialised = (InitImagingLibrary(), true);
    (void)initialised;
    QByteArray input(reinterpret_cast<const char*>(Data), qsizetype(Size));
    uint8_t probe[TFileFormatReader::ProbeSize] = {};
    for (size_t i = 0; i < sizeof probe && i < Size; ++i) probe[i] = Data[i];
    (void)Reader.IsFormat(probe);
    for (int index = 0; index < 2; ++index) {
        QBuffer stream(&input);
        stream.open(QIODevice::ReadOnly);
        TPixelGraphic graphic;
        graphic.SetWarningMode(0);
        try {
            Reader.Read(stream, graphic, index);
        } catch (const EPixelGraphic&) {
        }
        if (!graphic.GetEmpty())
            (void)graphic.GetPixelColor(graphic.GetWidth() - 1, graphic.GetHeight() - 1);
        stream.seek(0);
        TPGGraphicInfo info;
        try {
            Reader.GetInfo(stream, index, info);
        } catch (const EPixelGraphic&) {
        }
    }
}
