#include "platform/help.h"

#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/shell_open.h"

#include <QFileInfo>

namespace platform {

namespace {
QString& helpPath() {
    static QString path;
    return path;
}

// "<dir>/Lumefold_context27.html" beside "<dir>/Lumefold.html"; none without a help file.
QString topicPage(int context) {
    if (helpPath().isEmpty()) return QString();
    const QFileInfo help(helpPath());
    return help.path() + "/" + help.completeBaseName() + "_context" + QString::number(context) + "." + help.suffix();
}

bool openHelpPage(const QString& page) {
    if (!fileExists(page)) {
        showWarning("Unable to locate the help file, " + page);
        return false;
    }
    openDocumentReported(page, "Unable to open the help file, " + page +
                                   ", in a web browser!  Open it in your browser yourself, or set a default browser "
                                   "for HTML files.");
    return true;
}
}  // namespace

void setHelpFile(const QString& path) { helpPath() = path; }
QString helpFile() { return helpPath(); }
bool showHelpContents() { return openHelpPage(helpPath()); }
bool showHelpContext(int context) {
    // A topic the help file has no section for still finds the help: at its contents.
    const QString page = topicPage(context);
    return openHelpPage(fileExists(page) ? page : helpPath());
}

}  // namespace platform
