// Loads one image file through the format registry and prints "<width>x<height>", or the text of
// the error that loading raised. The imaging tests start it with a limited address space, so a
// file that costs too much fails its test instead of making the machine swap.
#include "imaging/imaging_init.h"
#include "imaging/pixel_graphic.h"

#include <QGuiApplication>

#include <cstdio>
#include <new>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // metafiles draw text
    if (argc != 2) {
        std::fprintf(stderr, "usage: image_load_probe FILE\n");
        return 2;
    }
    InitImagingLibrary();
    try {
        TPixelGraphic graphic;
        graphic.LoadFromFile(QString::fromLocal8Bit(argv[1]));
        std::printf("%dx%d\n", graphic.GetWidth(), graphic.GetHeight());
    } catch (const EPixelGraphic& e) {
        std::printf("%s\n", e.message().toUtf8().constData());
    } catch (const std::bad_alloc&) {
        std::printf("out of memory\n");
    }
    return 0;
}
