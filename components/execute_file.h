#pragma once
// Starts a program or opens a document the way the desktop would. The result follows the old
// shell convention the callers test: a value above 32 means it started (for a document: the
// opener was asked; an opener that fails says so in a message), 32 or less that it did not.
#include <QString>

enum ShowCommand { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMAXIMIZED = 3 };

int ExecuteFile(const QString& FileName, const QString& Params, const QString& DefaultDir, int ShowCmd);
