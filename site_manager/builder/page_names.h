#pragma once
// The file names a build writes (pages, image pages, thumbnails, page buttons) and the link
// targets that pages use to refer to them.
#include "site_manager/builder/build_settings.h"

#include <QString>

// The file-name part of a path with its extension (from the last dot) removed.
QString NameWithoutExtension(const QString& path);
// The extension of a file name from its last dot, dot included; empty when there is none.
QString fileExtension(const QString& fileName);
// An image's name (a name, never a path: "\" is one of its characters) without its extension.
QString imageNameWithoutExtension(const QString& imageName);

// Thumbnail page n: BaseHTMLName for page 1, else its name without extension + n + its extension.
QString gethtmlpagename(const BuildSettings& settings, int n);
// The display page an image asks for: its whole name with the extension of BaseHTMLName.
QString imagePageName(const BuildSettings& settings, const QString& imageName);
// The display pages of the images of a build, one each and in their order. Each gets the name it
// asks for unless another image asks for the same or a thumbnail page (1 to pageCount) has it;
// those images get a name from their whole file name with its extension ("Index.jpg.html"),
// numbered when even that is taken. No two images share a page, and no image page takes the name
// of a thumbnail page or the page another image asks for.
QStringList imagePageNames(const BuildSettings& settings, const QStringList& images, int pageCount);
// The directory thumbnails are written to: "thumbs/" under the page directory when the option is
// on and the build makes thumbnails, else the page directory.
QString thumbnailDirectory(const BuildSettings& settings);
// "Page_Button_On_<n>" (current page) or "Page_Button_<n>", followed by extension.
QString PageButtonFileName(int n, bool currentPage, const QString& extension = QString());

// The text lower-cased when ForceLowercase is on; for link targets and image sources only.
QString ApplyLowercase(const BuildSettings& settings, const QString& text);

// A file name or relative path as an href or src value: lower-cased by option and
// percent-encoded (UTF-8, "/" kept), so that a link resolves whatever characters the name holds.
QString LinkTarget(const BuildSettings& settings, const QString& fileName);

// Where a link to an image leads: the image itself when only the image is shown, else its
// display page (one of imagePageNames).
QString GetImageLinkName(const BuildSettings& settings, const QString& imageName, const QString& pageName);
// The href text of a thumbnail link by the image display method (target lower-cased by option).
QString GetHREF(const BuildSettings& settings, const QString& target);
// "show_" + the target's file name reduced to 0-9, a-z and "_" + "_window".
QString PopupWindowName(const QString& target);
// The SRC of a thumbnail in a page: "./thumbs/<thumbnail>" or "<thumbnail>", as LinkTarget.
QString thumbnailSource(const BuildSettings& settings, const QString& imageName);
