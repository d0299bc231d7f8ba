#pragma once
// The metafile players draw text, and fonts need a GUI application: both metafile fuzz targets
// start an offscreen one before the first input.
#include <QGuiApplication>

#include <cstdlib>

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
