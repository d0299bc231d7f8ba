#pragma once
// Text rules shared by the header and footer dialogs.
#include <QString>
#include <QStringList>

class QLineEdit;

// A snippet stays on one line: every line break (CR LF, LF or CR) becomes the "|" mark.
QString withBarsForLineBreaks(const QString& snippet);

// Lifts QLineEdit's limit of 32,767 characters, which also cuts text set by code: stored
// headers and footers of any length are kept whole.
void keepAnyLength(QLineEdit* edit);

// Lets the user type at most limit characters into the edit, while text set by code (however
// long) is kept whole. Typing that would pass the limit is undone.
void limitTyping(QLineEdit* edit, int limit);

// The entries of a header or footer list file, read the way the build reads them; false when the
// file cannot be read.
bool readListFile(const QString& path, QStringList& entries);
