#pragma once
// Opening documents and URLs with the desktop's opener. Tests replace the opener so that nothing
// is launched; the replacement sees every request.
#include <QString>
#include <functional>

namespace platform {

// Opens a file, directory or URL ("mailto:", "http:") with the desktop's default handler.
bool openDocument(const QString& target);

using DocumentOpener = std::function<bool(const QString& target)>;
void setDocumentOpenerForTesting(DocumentOpener opener);

}  // namespace platform
