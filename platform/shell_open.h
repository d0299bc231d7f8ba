#pragma once
// Opening documents and URLs with the desktop's opener. Tests replace the opener so that nothing
// is launched; the replacement sees every request.
#include <QString>
#include <functional>

namespace platform {

// Starts the desktop's opener (xdg-open) on a file, directory or URL ("mailto:", "https:") and
// returns at once, since the opener may run the program it starts in the foreground. `ended` is
// called on the GUI thread with false when the opener cannot be started or ends with a failure
// status, else with true.
void openDocumentWatched(const QString& target, std::function<void(bool opened)> ended);

// Opens the target through openDocumentWatched; when the opener cannot be started or fails, a
// warning shows `failure`, by default "Unable to open the file, <target>".
void openDocumentReported(const QString& target, const QString& failure = QString());

using DocumentOpener = std::function<bool(const QString& target)>;
void setDocumentOpenerForTesting(DocumentOpener opener);
// The program openDocumentWatched starts when no replacement opener is set; empty: xdg-open.
void setOpenerProgramForTesting(const QString& program);
// How many openers openDocumentWatched started have not yet had their end reported.
int watchedOpenersUnreported();

}  // namespace platform
