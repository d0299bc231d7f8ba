// Decoding a 6000 x 4000 photograph at full size and at 1/8 scale, and making a 150-pixel
// thumbnail of it (decode at 1/8, resample into the box, encode), as the site builder does, and
// the image open dialog's preview of it (load, fit into the preview box, convert for the display).
// The photograph is generated here: a smooth gradient with noise, saved at quality 90.
// LUMENFOLD_BENCH_DIR names a directory to keep it in (bench/jpeg_decode.sh uses the same file
// for its comparison); otherwise a temporary directory is used.
#include "imaging/format_registry.h"
#include "imaging/formats/jpeg_format.h"
#include "imaging/imaging_init.h"
#include "imaging/open_dialog_worker.h"
#include "imaging/pixel_graphic.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

constexpr int PhotoWidth = 6000, PhotoHeight = 4000, ThumbBox = 150;

QString photoPath, thumbPath;

void generatePhoto(const QString& path) {
    TPixelGraphic photo;
    photo.SetSize(PhotoWidth, PhotoHeight, PixelFormat24Bit);
    uint32_t seed = 2463534242u;
    for (int y = 0; y < PhotoHeight; ++y) {
        uint8_t* row = photo.GetScanLine(y);
        for (int x = 0; x < PhotoWidth; ++x) {
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            const int noise = int(seed % 13) - 6;
            const double fx = double(x) / PhotoWidth, fy = double(y) / PhotoHeight;
            const int r = int(255 * fx) + noise;
            const int g = int(255 * fy) + noise;
            const int b = int(128 + 90 * std::sin(6.0 * (fx + fy))) + noise;
            row[3 * x] = uint8_t(std::clamp(b, 0, 255));
            row[3 * x + 1] = uint8_t(std::clamp(g, 0, 255));
            row[3 * x + 2] = uint8_t(std::clamp(r, 0, 255));
        }
    }
    JpegQuality = 90;
    photo.SaveToFile(path);
}

// The site builder's fitting rule: shrink into the box keeping the aspect ratio, never enlarge.
void fitIntoBox(int w, int h, int box, int& nw, int& nh) {
    if (w < box && h < box) {
        nw = w;
        nh = h;
        return;
    }
    const double factor = double(box) / box > double(h) / w ? double(w) / box : double(h) / box;
    nw = std::min(box, int(w / factor));
    nh = std::min(box, int(h / factor));
}

void BM_DecodeFullSize(benchmark::State& state) {
    for (auto _ : state) {
        TPixelGraphic g;
        g.SetWarningMode(3);
        LoadJpegFileScaled(photoPath, g, 1, true);
        benchmark::DoNotOptimize(g.GetBits());
    }
}

void BM_DecodeEighthScale(benchmark::State& state) {
    for (auto _ : state) {
        TPixelGraphic g;
        g.SetWarningMode(3);
        LoadJpegFileScaled(photoPath, g, 8, true);
        benchmark::DoNotOptimize(g.GetBits());
    }
}

void BM_Thumbnail150(benchmark::State& state) {
    for (auto _ : state) {
        TPixelGraphic decoded;
        decoded.SetWarningMode(3);
        LoadJpegFileScaled(photoPath, decoded, 8, true);
        int w = 0, h = 0;
        fitIntoBox(decoded.GetWidth(), decoded.GetHeight(), ThumbBox, w, h);
        TPixelGraphic thumb;
        thumb.SetStretchMode(smMedium);
        thumb.SetSize(w, h, PixelFormat24Bit);
        thumb.StretchFrom(decoded);
        thumb.SetColorResolutionMode(0);
        JpegQuality = 70;
        JpegProgressive = true;
        thumb.SaveToFile(thumbPath);
        JpegProgressive = false;
    }
}

}  // namespace

// What the open dialog's worker does once the selection rests on the photograph.
void BM_OpenDialogPreview(benchmark::State& state) {
    TPreviewJob job;
    job.FileName = photoPath;
    job.BoxWidth = 134;
    job.BoxHeight = 134;
    for (auto _ : state) {
        auto preview = TCreateOpenSaveDialogPaintPGThread::MakePreview(job, {});
        if (!preview || preview->GetWidth() != 134) state.SkipWithError("no 134-pixel preview");
        benchmark::DoNotOptimize(preview.get());
    }
}

BENCHMARK(BM_DecodeFullSize)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DecodeEighthScale)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Thumbnail150)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_OpenDialogPreview)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) {
    InitImagingLibrary();
    std::unique_ptr<QTemporaryDir> temporary;
    QString directory = qEnvironmentVariable("LUMENFOLD_BENCH_DIR");
    if (directory.isEmpty()) {
        temporary = std::make_unique<QTemporaryDir>();
        directory = temporary->path();
    }
    QDir().mkpath(directory);
    photoPath = QDir(directory).filePath("photo_6000x4000.jpg");
    thumbPath = QDir(directory).filePath("photo_6000x4000_thb.jpg");
    if (!QFile::exists(photoPath)) generatePhoto(photoPath);
    std::fprintf(stderr, "photograph: %s\n", qPrintable(photoPath));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
