// The pages of a build with descriptions at two sizes: prints the time per image of writing every
// image display page and thumbnail page for a rotation of N images and of 10 N images, and their
// ratio. The cost per image must not grow with the size of the rotation (pages without the page
// index, whose size grows with the number of pages by design).
// Usage: bench_build_rotation_scale <work directory> <templates directory> [N]   (default 500)
#include "site_manager/builder/descriptions.h"
#include "site_manager/builder/page_generator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

namespace {

// Seconds per image for a build of count images (pages only, descriptions on).
double secondsPerImage(const QString& work, const QString& templates, int count, int run) {
    // A fresh directory per run: the file system is slow to reuse inodes freed moments before,
    // which would charge a deletion between runs to the build.
    const QString rotation = work + QString("rotation_%1_%2/").arg(count).arg(run);
    QDir().mkpath(rotation);
    QStringList images;
    QByteArray descriptions = "[Descriptions]\r\n";
    for (int i = 0; i < count; ++i) {
        images << QString("photo%1.jpg").arg(i, 5, 10, QChar('0'));
        descriptions += images.last().toUtf8() + "=Photograph number " + QByteArray::number(i) + "\r\n";
    }
    QFile ini(work + QString("descriptions_%1.ini").arg(count));
    if (!ini.open(QIODevice::WriteOnly) || ini.write(descriptions) != descriptions.size()) return -1;
    ini.close();

    BuildSettings settings;
    settings.RotationDirectory = rotation;
    settings.ThumbnailTemplate = templates + "Sample_With_Index.htm";
    settings.ImageTemplate = templates + "Sample_Image_Page.htm";
    // No page index: an index lists every page, so its size grows with the rotation by design.
    settings.Features.Thumbnail = {true, false, true, true};
    settings.Features.Image = {true, false, true, true};
    settings.rdbHTMLImageWindow = true;
    settings.chkimagenavigationbar = true;
    settings.chkImageHeading = true;
    settings.Filename_Display = FilenameDisplay::Description;
    QElapsedTimer timer;
    timer.start();
    PageGenerator pages(settings, images);
    pages.setDescriptionIniPath(ini.fileName());
    if (pages.writeImagePages() != PageGenerator::RunResult::Done ||
        pages.writeThumbPages() != PageGenerator::RunResult::Done)
        return -1;
    return timer.nsecsElapsed() / 1e9 / count;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_build_rotation_scale <work directory> <templates directory> [N]\n");
        return 2;
    }
    const QString work = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + "/";
    const QString templates = QDir(QString::fromLocal8Bit(argv[2])).absolutePath() + "/";
    const int small = argc > 3 ? std::max(1, atoi(argv[3])) : 500;
    QDir().mkpath(work);
    double best[2] = {0, 0};
    const int counts[2] = {small, small * 10};
    for (int run = 0; run < 5; ++run)
        for (int k = 0; k < 2; ++k) {
            const double perImage = secondsPerImage(work, templates, counts[k], run);
            if (perImage < 0) {
                std::fprintf(stderr, "the build of %d images failed\n", counts[k]);
                return 1;
            }
            if (run == 0 || perImage < best[k]) best[k] = perImage;
        }
    std::printf("%d images: %.3f ms per image\n", counts[0], best[0] * 1e3);
    std::printf("%d images: %.3f ms per image\n", counts[1], best[1] * 1e3);
    std::printf("ratio: %.2fx\n", best[1] / best[0]);
    return 0;
}
