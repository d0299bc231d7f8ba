#pragma once
// Checks a built gallery the way a browser would follow it: every href and src of every page must
// name a file that exists in the directory (absolute URLs, anchors and script calls aside).
#include <QString>
#include <QStringList>

namespace testing_support {

// The href and src values of one page, in order of appearance.
QStringList pageReferences(const QString& html);
// The local target a reference names, or empty for absolute URLs, anchors and "javascript:" calls
// (whose first quoted argument is the target), percent-decoded as a browser does.
QString localTarget(const QString& reference);
// "page: reference" for each reference of each .htm/.html page under dir that does not resolve.
QStringList brokenLinks(const QString& dir);
// True when every string literal of script closes on its line and the brackets balance (line
// comments, "//" and "<!--", aside).
bool scriptWellFormed(const QString& script);
// "page: script" for each "javascript:" link (as a browser runs it, percent-decoded) and each
// <script> block of each .htm/.html page under dir that is not well formed.
QStringList malformedScripts(const QString& dir);

}  // namespace testing_support
