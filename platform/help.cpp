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

bool openHelp(const QString& anchor) {
    if (!fileExists(helpPath())) {
        showWarning("Unable to locate the help file, " + helpPath());
        return false;
    }
    QUrl url = QUrl::fromLocalFile(helpPath());
    if (!anchor.isEmpty()) url.setFragment(anchor);
    if (openDocument(url.toString())) return true;
    showWarning("Unable to open the help file, " + helpPath() +
                ", in a web browser!  Open it in your browser yourself, or set a default browser for HTML files.");
    return false;
}
}  // namespace

void setHelpFile(const QString& path) { helpPath() = path; }
QString helpFile() { return helpPath(); }
bool showHelpContents() { return openHelp(QString()); }
bool showHelpContext(int context) { return openHelp("context" + QString::number(context)); }

}  // namespace platform
