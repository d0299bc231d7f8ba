#pragma once
// File-name masks of the folder tree: "*" for any run, "?" for one character, compared without
// case. A star takes the first occurrence of the text after it (no backtracking), and "*.*"
// matches only names that contain a dot.
#include <QString>
#include <QStringList>

bool MatchesMask(const QString& Name, const QString& Mask);
// True when the list is empty or any entry matches.
bool MatchesMaskList(const QString& Name, const QStringList& Masks);
