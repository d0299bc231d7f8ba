#pragma once
// The programs' help: one HTML file in the data directory, opened in the browser at its contents
// or at the topic of a numbered help context (the anchor "context<n>").
#include <QString>

namespace platform {

// The help file's name in the data directory.
inline constexpr char HelpFileName[] = "Lumefold.html";

void setHelpFile(const QString& path);
QString helpFile();
// Opens the help file at its contents; false (after a message) when it cannot be opened.
bool showHelpContents();
// Opens the help file at the topic with the given context number.
bool showHelpContext(int context);

}  // namespace platform
