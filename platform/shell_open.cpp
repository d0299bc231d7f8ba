#include "platform/shell_open.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace platform {

namespace {
DocumentOpener& opener() {
    static DocumentOpener instance;
    return instance;
}
}  // namespace

bool openDocument(const QString& target) {
    if (opener()) return opener()(target);
    const bool isUrl = target.contains(':') && !QFileInfo::exists(target);
    return QDesktopServices::openUrl(isUrl ? QUrl(target) : QUrl::fromLocalFile(target));
}

void setDocumentOpenerForTesting(DocumentOpener replacement) { opener() = std::move(replacement); }

}  // namespace platform
