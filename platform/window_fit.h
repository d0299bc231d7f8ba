#pragma once
// Makes a window that is about to be shown fit the screen it opens on: it gets at least its size
// hint where the screen's available area (the screen less panels and docks) has room for it, is
// shrunk to that area where not, and lies wholly inside it, centred on it when asked.
class QWidget;

namespace platform {

enum class WindowPlacement {
    KeepPlace,       // where it was put (a dialog over its parent), moved only as far as needed
    CentreOnScreen,  // centred in the available area
    UpperThird,      // centred across, a third of the free height above it and two thirds below
};

void fitToScreen(QWidget& window, WindowPlacement placement);

}  // namespace platform
