#pragma once
// Checks of a window open on the test screen (1024 x 600, see tests/CMakeLists.txt): it lies inside
// the screen's available area, centred there when its program centres it, and every button is at
// least as tall as it asks to be. A screenshot of it goes to build/tests/artifacts/.
#include <QString>

class QWidget;

namespace testing_support {

enum class Centred { No, Yes };

void expectFitsScreen(QWidget& window, const QString& name, Centred centred);
// Every visible edit, button and spin box of the window has at least its size hint.
void expectControlsAtSizeHint(QWidget& window, const QString& name);

}  // namespace testing_support
