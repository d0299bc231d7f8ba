#pragma once
// The programs' help: one help file, opened at its contents or at a numbered topic.
#include <QString>

namespace platform {

void setHelpFile(const QString& path);
QString helpFile();
// Opens the help file at its contents; false when it cannot be opened.
bool showHelpContents();
// Opens the help file at the topic with the given context number.
bool showHelpContext(int context);

}  // namespace platform
