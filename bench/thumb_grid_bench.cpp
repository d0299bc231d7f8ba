// The thumbnail grid on a folder of photographs, as the add-images dialog shows it: large icons,
// 3 columns, decoding on the GUI thread while painting. Prints one "key value" line per figure
// for bench/thumb_grid.sh:
//   load_ms            LoadFromSource of the folder's files (the directory already listed)
//   visible_cells      cells in the first view
//   first_paint_ms     first paint of those cells (every one decoded)
//   page <n> <new cells> <ms>   one line per page while paging to the end
//   cached_repaint_ms  worst repaint of a page whose thumbnails are all in memory
//   rss_first_kb, rss_after_kb  resident memory after the first paint and after the full scroll
// Usage: thumb_grid_bench <folder> [grid height in pixels, default 440]
// The add-images dialog's size is not laid down anywhere; 440 pixels hold four rows of large icons
// at the default font, three columns wide as the dialog starts, so a first view is 12 cells.
#include "components/file_list_box.h"
#include "components/thumb_grid.h"
#include "imaging/imaging_init.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <set>

namespace {

long residentKb() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

double paintMs(TXThumbGrid& grid) {
    QElapsedTimer timer;
    timer.start();
    grid.viewport()->repaint();
    return double(timer.nsecsElapsed()) / 1e6;
}

// The items whose cells show in the viewport now.
std::set<int> visibleItems(const TXThumbGrid& grid) {
    std::set<int> items;
    const int first = grid.rowAt(0);
    int last = grid.rowAt(grid.viewport()->height() - 1);
    if (last < 0) last = grid.rowCount() - 1;
    for (int row = std::max(0, first); row <= last; ++row)
        for (int column = 0; column < grid.columnCount(); ++column) {
            const int index = column + row * grid.columnCount();
            if (index < grid.Count()) items.insert(index);
        }
    return items;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: thumb_grid_bench <folder> [grid height]\n");
        return 2;
    }
    InitImagingLibrary();
    const int height = argc > 2 ? std::atoi(argv[2]) : 440;

    TFileListBox files;
    files.Mask = "*.JPE;*.JPG;*.GIF;*.BMP;*.DIB;*.RLE;*.PCX;*.WMF;*.EMF;*.JIF;*.PNG;*.TIF;*.TGA;*.PBM;*.PGM;*.PPM;";
    files.ApplyFilePath(QString::fromLocal8Bit(argv[1]));

    TXThumbGrid grid;
    grid.SetThumbDisplayType(tdtLargeIcon);
    grid.SupportedFormats = "*.JPE;*.JPG;*.GIF;*.BMP;*.DIB;*.RLE;*.PCX;*.WMF;*.EMF;*.JIF;*.PNG;*.TIF;*.TGA;*.PBM;*.PGM;*.PPM;*.jpeg;*.TIFF";
    grid.resize(3 * grid.horizontalHeader()->defaultSectionSize() + 20 + grid.frameWidth(), height);
    grid.show();
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    grid.LoadFromSource(&files, true, true);
    std::printf("files %d\nload_ms %.3f\n", grid.Count(), double(timer.nsecsElapsed()) / 1e6);

    std::set<int> painted = visibleItems(grid);
    std::printf("visible_cells %zu\n", painted.size());
    std::printf("first_paint_ms %.3f\n", paintMs(grid));
    const long rssFirst = residentKb();

    QScrollBar* bar = grid.verticalScrollBar();
    int page = 0;
    while (bar->value() < bar->maximum()) {
        // Scrolling only marks the viewport for painting; the timed repaint does the work.
        bar->setValue(bar->value() + bar->pageStep());
        const std::set<int> shown = visibleItems(grid);
        int fresh = 0;
        for (int item : shown) fresh += painted.insert(item).second ? 1 : 0;
        std::printf("page %d %d %.3f\n", ++page, fresh, paintMs(grid));
        QApplication::processEvents();
    }

    // A page from the end is held whole in the memory cache.
    bar->setValue(std::max(0, bar->maximum() - bar->pageStep()));
    QApplication::processEvents();
    paintMs(grid);
    double worst = 0;
    for (int k = 0; k < 20; ++k) worst = std::max(worst, paintMs(grid));
    std::printf("cached_repaint_ms %.3f\n", worst);
    std::printf("rss_first_kb %ld\nrss_after_kb %ld\n", rssFirst, residentKb());
    return 0;
}
