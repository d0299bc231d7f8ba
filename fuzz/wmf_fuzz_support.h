#pragma once
// What both metafile fuzz targets share: the players draw text, and fonts need a GUI application;
// fontconfig keeps its caches for the life of the process, which LeakSanitizer is told.
#include <QGuiApplication>

#include <cstdlib>

extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\nleak:libfreetype\n"; }

namespace fuzzing {

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

}  // namespace fuzzing
