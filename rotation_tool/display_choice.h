#pragma once
// Picks the window-system platform before the application object is made. A scheduler may start
// the tool where no display exists, or with DISPLAY naming a display that is gone; an unattended
// run must rotate and log all the same, so it then runs without a display.

namespace rotation_tool {

// Sets QT_QPA_PLATFORM to "offscreen" unless a platform was chosen already or a display answers.
// Without any display set this holds in both modes; a display that is set but does not answer is
// checked only for an unattended run (an interactive one needs its window shown).
void choosePlatform(bool unattended);

// A scheduler's environment has no session, so no XDG_RUNTIME_DIR: the application object would
// then fall back to a per-user directory in the temporary directory and say so on every start.
// Sets the variable to that directory, made private to the user, when it is not set.
void provideRuntimeDirectory();

// True when the X display named by the text accepts a connection within the time.
bool xDisplayAnswers(const char* display, int timeoutMs);

}  // namespace rotation_tool
