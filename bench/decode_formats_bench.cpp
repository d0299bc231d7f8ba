// Times loading image files through the format registry, as the programs load them (probe, reader,
// gamma and palette detection). Prints one line per file: the best of N loads in milliseconds,
// the file name and the image size.
// Usage: bench_decode_formats [-n RUNS] FILE...
#include "imaging/imaging_init.h"
#include "imaging/pixel_graphic.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    InitImagingLibrary();
    int runs = 3;
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-n") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
            continue;
        }
        const QString file = QString::fromLocal8Bit(argv[i]);
        double best = std::numeric_limits<double>::max();
        int width = 0, height = 0;
        try {
            for (int r = 0; r < runs; ++r) {
                TPixelGraphic graphic;
                QElapsedTimer timer;
                timer.start();
                graphic.LoadFromFile(file);
                best = std::min(best, timer.nsecsElapsed() / 1e6);
                width = graphic.GetWidth();
                height = graphic.GetHeight();
            }
            std::printf("%.1f %s %dx%d\n", best, argv[i], width, height);
        } catch (const EPixelGraphic& e) {
            std::fprintf(stderr, "%s: %s\n", argv[i], e.message().toLocal8Bit().constData());
            status = 1;
        }
    }
    FinalizeImagingLibrary();
    return status;
}
