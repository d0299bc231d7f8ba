#include "platform/help.h"

#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/shell_open.h"

#include <QUrl>

namespace platform {

namespace {
QString& helpPath() {
    static QString path;
    return path;
}

// The help file is an HTML document whose topics are anchors named "context<n>".
bool openHelp(const QString& anchor) {
    if (!fileExists(helpPath())) {
        showWarning("Unable to locate the help file, " + helpPath());
        return false;
    }
    QString target = QUrl::fromLocalFile(helpPath()).toString();
    if (!anchor.isEmpty()) target += "#" + anchor;
    return openDocument(target);
}
}  // namespace

void setHelpFile(const QString& path) { helpPath() = path; }
QString helpFile() { return helpPath(); }
bool showHelpContents() { return openHelp(QString()); }
bool showHelpContext(int context) { return openHelp("context" + QString::number(context)); }

}  // namespace platform
