#pragma once
// The font, colour and link-enclosure tags that every generated text is wrapped in.
#include "site_manager/builder/build_settings.h"

#include <QString>

// An opening and a closing tag text; both empty when nothing is to be wrapped.
struct TagPair {
    QString Open;
    QString Close;
};

// A file name (or other plain text) written into a page as text: "<", ">", "&" and '"' become
// character references, so that no name ever turns into a tag or an attribute.
QString HtmlText(const QString& text);

// "#" and six upper-case hexadecimal digits, red first.
QString colortohtmlhex(const QColor& colour);

// Font tags: the face part (none for the default font or an empty face), then, unless only the
// face is asked for, bold, italics and size from the index controls (indexStyle) or the page
// controls.
TagPair getfontstr(const BuildSettings& settings, const QString& face, bool useDefaultFont, bool indexStyle,
                   bool faceOnly);
// Page face with page style: thumbnail captions and navigation links.
TagPair pageFontTags(const BuildSettings& settings);
// Page face only: headings.
TagPair headingFontTags(const BuildSettings& settings);

// "<FONT COLOR=...>" and "</FONT>"; nothing for "Default Page Colour".
TagPair getcolourstr(const ComboColour& colour);

// The link enclosure of cmbLinkEnclosure, each non-empty part in the colour of cmbLinkEncColour.
TagPair getEnclosurecharacter(const BuildSettings& settings);
