#pragma once
// What both metafile fuzz targets share: the players draw text, and fonts need a GUI application;
// fontconfig keeps its caches for the life of the process, which LeakSanitizer is told; and
// pictures are kept small so that each run stays fast (the sizing is covered by GetInfo).
#include "imaging/format_registry.h"

#include <QBuffer>
#include <QGuiApplication>

#include <cstdlib>

extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\nleak:libfreetype\n"; }

namespace fuzzing {

constexpr int64_t MaxMetafilePixels = 512 * 512;

inline void ensureGuiApplication() {
    static int argc = 1;
    static char name[] = "fuzz_metafile";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QGuiApplication(argc, argv);  // lives for the whole run
    }();
    (void)app;
}

// True when the metafile is small enough to be played.
inline bool smallPicture(TFileFormatReader& reader, const uint8_t* data, size_t size) {
    QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer stream(&input);
    stream.open(QIODevice::ReadOnly);
    TPGGraphicInfo info;
    try {
        reader.GetInfo(stream, 0, info);
    } catch (const EPixelGraphic&) {
        return true;  // not loadable: Read must leave the graphic alone, which is worth running
    }
    return int64_t(info.Width) * info.Height <= MaxMetafilePixels;
}

}  // namespace fuzzing
