// Times expanding one folder of many subfolders in the folder tree: reading the folder, making
// and sorting the nodes, starting the folder's change monitor and painting the opened tree.
// Usage: tree_expand_bench [subfolders (default 5000)] [runs (default 3)]
// Prints one line per run and the best time; bench/thumb_grid.sh reads the "best" line.
#include "components/shell_tree.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 5000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;

    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    const QString big = dir.filePath("big");
    for (int i = 0; i < count; ++i) {
        // Every tenth subfolder has a subfolder of its own, so both expand-indicator cases occur.
        const QString sub = QString("%1/folder %2").arg(big).arg(i);
        if (!QDir().mkpath(i % 10 == 0 ? sub + "/inner" : sub)) {
            std::fprintf(stderr, "cannot make %s\n", qPrintable(sub));
            return 1;
        }
    }

    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        TShellTree tree;
        tree.resize(300, 600);
        tree.setRootUsePIDL(false);
        tree.setRootDir(dir.path());
        tree.show();
        QApplication::processEvents();
        QTreeWidgetItem* node = tree.RootNode()->child(0);
        QElapsedTimer timer;
        timer.start();
        node->setExpanded(true);
        tree.viewport()->repaint();
        QApplication::processEvents();
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (node->childCount() != count) {
            std::fprintf(stderr, "expected %d nodes, got %d\n", count, node->childCount());
            return 1;
        }
        std::printf("run %d: expanding a folder of %d subfolders took %.3f s\n", run + 1, count, seconds);
        best = std::min(best, seconds);
    }
    std::printf("best: %.3f s (target <= 1.0 s)\n", best);
    return 0;
}
