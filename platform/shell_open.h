#pragma once
// Opening documents and URLs with the desktop's opener. Tests replace the opener so that nothing
// is launched; the replacement sees every request.
#include <QString>
#include <functional>

namespace platform {

// Opens a file, directory or URL ("mailto:", "http:") with the desktop's default handler.
bool openDocument(const QString& target);

// Starts the desktop's opener (xdg-open) on a file or URL and returns at once, since the opener
// may run the program it starts in the foreground. `ended` is called on the GUI thread with
// false when the opener cannot be started or ends with a failure status, else with true.
void openDocumentWatched(const QString& target, std::function<void(bool opened)> ended);

using DocumentOpener = std::function<bool(const QString& target)>;
void setDocumentOpenerForTesting(DocumentOpener opener);
// The program openDocumentWatched starts when no replacement opener is set; empty: xdg-open.
void setOpenerProgramForTesting(const QString& program);

}  // namespace platform
