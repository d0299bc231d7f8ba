#pragma once
// File operations of a rotation: the backup name of a replaced file, directory creation and
// single-file copies. Failures go to the rotation log, never to a message box, so an
// unattended run cannot stall on them.
#include <QString>
#include <stdexcept>

namespace rotation_tool {

class CopyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The name a replaced file is kept under: its extension becomes ".~" + the old extension without
// its last character (page.html -> page.~htm, b.jpg -> b.~jp); a name without extension gets ".".
QString backupFileName(const QString& target);

// Creates every missing directory of the path, outermost first. On failure the directories made
// by this call are removed again and the failure is logged. Paths of 3 characters or fewer are
// left alone (false).
bool createnewdirectory(const QString& path);

// Copies source over target. The data goes to a temporary file beside the target that is renamed
// over it, so the old target survives a copy that fails. Throws CopyError on failure.
void docopyfile(const QString& source, const QString& target);

}  // namespace rotation_tool
