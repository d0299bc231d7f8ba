#pragma once
// The programs' help: one HTML file in the data directory, opened in the browser at its contents,
// and beside it a page per numbered help context ("Lumefold_context27.html" for context 27, cut
// from the help file by the build), opened for that topic: desktop openers drop the "#context27"
// of a file URL, so a page of its own is how a topic is reached.
#include <QString>

namespace platform {

// The help file's name in the data directory.
inline constexpr char HelpFileName[] = "Lumefold.html";

void setHelpFile(const QString& path);
QString helpFile();
// Opens the help file at its contents. False (after a message) when the file is missing; an
// opener that cannot be started or fails shows a message naming the file when it ends.
bool showHelpContents();
// Opens the page of the topic with the given context number, the same way; the contents when the
// topic has no page.
bool showHelpContext(int context);

}  // namespace platform
