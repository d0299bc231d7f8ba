#pragma once
// A key held down presses once. While Return or Enter is held, the desktop repeats it, and every
// repeat would press a button again: the focused one, a dialog's default one, or the default
// button of a dialog the first press opened. One rule for the whole program drops those repeats,
// those the toolkit flags and those it does not (a release and a press with one timestamp); only a
// multi-line text editor still gets them, since there each repeat types a line break.
class QApplication;

namespace platform {

// Installs the rule for every window and dialog of the program; a second call changes nothing.
void installHeldEnterFilter(QApplication& app);

}  // namespace platform
