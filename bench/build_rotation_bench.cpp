// Builds a 25-image rotation of 6000 x 4000 photographs through the build dialog, as Build! does:
// thumbnails, image display pages and thumbnail pages from the sample templates. Prints the time
// of the whole build per image (best of the runs) and the peak memory of the process.
// Usage: bench_build_rotation <work directory> <sample templates directory> [runs] [threads]
// threads: the thumbnail worker threads, 0 (default) for one per core.
// The photographs are generated into <work directory>/photos once and reused on later calls.
#include "build_forms.h"
#include "imaging/imaging_init.h"
#include "imaging/pixel_graphic.h"
#include "platform/dialogs.h"
#include "site_manager/builder/build_dialog.h"
#include "site_manager/builder/build_inputs.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/main_window.h"
#include "site_manager/site_editor.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QSpinBox>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int PhotoWidth = 6000, PhotoHeight = 4000, ImageCount = 25;

// A smooth gradient with noise, so the JPEG carries real detail.
void generatePhoto(const QString& path, int variant) {
    TPixelGraphic photo;
    photo.SetSize(PhotoWidth, PhotoHeight, PixelFormat24Bit);
    uint32_t seed = 2463534242u + uint32_t(variant);
    for (int y = 0; y < PhotoHeight; ++y) {
        uint8_t* row = photo.GetScanLine(y);
        for (int x = 0; x < PhotoWidth; ++x) {
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            const int noise = int(seed % 13) - 6;
            const double fx = double(x) / PhotoWidth, fy = double(y) / PhotoHeight;
            row[3 * x] = uint8_t(std::clamp(int(128 + 90 * std::sin(6.0 * (fx + fy) + variant)) + noise, 0, 255));
            row[3 * x + 1] = uint8_t(std::clamp(int(255 * fy) + noise, 0, 255));
            row[3 * x + 2] = uint8_t(std::clamp(int(255 * fx) + noise, 0, 255));
        }
    }
    JpegQuality = 90;
    photo.SaveToFile(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_build_rotation <work directory> <templates directory> [runs]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitImagingLibrary();
    const QString work = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + "/";
    const QString templates = QDir(QString::fromLocal8Bit(argv[2])).absolutePath() + "/";
    const int runs = argc > 3 ? std::max(1, atoi(argv[3])) : 3;
    ThumbnailWorkerThreads = argc > 4 ? std::max(0, atoi(argv[4])) : 0;
    bool unexpected = false;
    refusePreviewReportOtherBoxes(unexpected);

    const QString photos = work + "photos/";
    QDir().mkpath(photos);
    const QString rotation = work + "rotation/";
    QDir(rotation).removeRecursively();
    QDir().mkpath(rotation);
    for (int i = 1; i <= ImageCount; ++i) {
        const QString name = QString("photo%1.jpg").arg(i, 2, 10, QChar('0'));
        if (!QFile::exists(photos + name)) {
            std::fprintf(stderr, "generating %s\n", qPrintable(name));
            generatePhoto(photos + name, i);
        }
        QFile::copy(photos + name, rotation + name);
    }

    TdlgThumbOptions options;
    TdlgEditSite editor;
    setUpBuildForms(options, editor, work, templates);
    options.SpnThumbW->setValue(150);
    options.SpnThumbH->setValue(150);

    double best = 0;
    for (int run = 0; run < runs; ++run) {
        QDir(rotation + "thumbs").removeRecursively();
        TdlgBuildProgress dialog;
        dialog.show();
        if (dialog.lbximages->count() != ImageCount) {
            std::fprintf(stderr, "the rotation lists %d images\n", dialog.lbximages->count());
            return 1;
        }
        QElapsedTimer timer;
        timer.start();
        dialog.btnokClick();
        const double ms = timer.nsecsElapsed() / 1e6;
        if (dialog.result() != platform::mrOk || unexpected) {
            std::fprintf(stderr, "the build failed\n");
            return 1;
        }
        std::printf("run %d: %.1f ms for %d images (%.1f ms per image)\n", run + 1, ms, ImageCount, ms / ImageCount);
        if (run == 0 || ms < best) best = ms;
    }
    std::printf("best: %.1f ms per image\n", best / ImageCount);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %.1f MiB\n", usage.ru_maxrss / 1024.0);
    dlgThumbOptions = nullptr;
    dlgEditSite = nullptr;
    FinalizeImagingLibrary();
    return 0;
}
