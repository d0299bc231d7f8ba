// Times the library's decoders and its colour reduction on one file, for bench/decode_formats.sh.
// Usage: bench_decode_formats decode FILE [RUNS]   best time of loading FILE, in ms
//        bench_decode_formats reduce FILE [RUNS]   best time of ReduceColorsFrom(252 with the
//                                                   system colours) + StretchFrom of FILE's image
#include "imaging/imaging_init.h"
#include "imaging/pixel_graphic.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>

namespace {

double bestOf(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (std::strcmp(argv[1], "decode") != 0 && std::strcmp(argv[1], "reduce") != 0)) {
        std::fprintf(stderr, "usage: %s decode|reduce FILE [RUNS]\n", argv[0]);
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[2]);
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    try {
        InitImagingLibrary();
        double ms = 0;
        if (std::strcmp(argv[1], "decode") == 0) {
            ms = bestOf(runs, [&] {
                TPixelGraphic image;
                image.LoadFromFile(file);
            });
        } else {
            TPixelGraphic image;
            image.LoadFromFile(file);
            ms = bestOf(runs, [&] {
                TPixelGraphic reduced;
                reduced.SetSize(image.GetWidth(), image.GetHeight(), PixelFormat8Bit);
                reduced.ReduceColorsFrom(image, 252, true);
                reduced.StretchFrom(image);
            });
        }
        std::printf("%.1f\n", ms);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
