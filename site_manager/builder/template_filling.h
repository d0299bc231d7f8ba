#pragma once
// Filling an HTML template: the four placeholders, the popup script of the JavaScript display
// methods, and reading templates and writing pages as CR LF text.
#include "platform/ini_document.h"
#include "site_manager/builder/build_settings.h"

#include <QString>

namespace platform {
class ReplacementBatch;
}

inline constexpr char ContentPlaceholder[] = "***CONTENT***";
inline constexpr char IndexPlaceholder[] = "***INDEX***";
inline constexpr char HeaderPlaceholder[] = "***HEADER***";
inline constexpr char FooterPlaceholder[] = "***FOOTER***";

// The first occurrence of placeholder (case-sensitive) replaced by value; text unchanged without one.
QString ReplaceString(const QString& text, const QString& placeholder, const QString& value);

// The eight lines of the openWin script, each ended by CR LF.
QString popupScript();

// The page text: the popup script before the closing head tag when insertScript is set and the
// display method uses JavaScript (in front of the content when the template has no such tag),
// then content, index, header and footer put in place of their placeholders.
QString splicetext(const BuildSettings& settings, const QString& templateText, const QString& content,
                   bool insertScript, const QString& footer, const QString& header, const QString& index);

// Text files of the user (templates, header and footer lists, description files) are read as the
// ini files are (platform::decodeFileText), so that no character is lost either way.
QString decodeUserText(const QByteArray& data, platform::TextEncoding* encoding = nullptr);

// The text of a template; raises PageBuildError when it cannot be read. encoding tells how it was read.
QString loadTemplate(const QString& path, platform::TextEncoding* encoding = nullptr);
// Writes a page as lines ended by CR LF, in the encoding of its template; raises PageBuildError
// when it cannot be written. Left in step when given (see writeBuildFile).
void writePage(const QString& path, const QString& text, platform::TextEncoding encoding = platform::TextEncoding::Utf8,
               platform::ReplacementBatch* step = nullptr);
