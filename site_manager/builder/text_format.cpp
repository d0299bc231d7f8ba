#include "site_manager/builder/text_format.h"

QString HtmlText(const QString& text) { return text.toHtmlEscaped(); }

QString colortohtmlhex(const QColor& colour) {
    return QStringLiteral("#%1%2%3")
        .arg(colour.red(), 2, 16, QChar('0'))
        .arg(colour.green(), 2, 16, QChar('0'))
        .arg(colour.blue(), 2, 16, QChar('0'))
        .toUpper();
}

TagPair getfontstr(const BuildSettings& settings, const QString& face, bool useDefaultFont, bool indexStyle,
                   bool faceOnly) {
    TagPair tags;
    if (!useDefaultFont && !face.isEmpty()) {
        tags.Open = "<FONT FACE=\"" + face + "\">";
        tags.Close = "</FONT>";
    }
    if (faceOnly) return tags;
    const bool bold = indexStyle ? settings.chkindexBold : settings.chkBold;
    const bool italics = indexStyle ? settings.chkindexitalics : settings.chkitalics;
    const int size = indexStyle ? settings.cmbindexFontsize : settings.cmbFontsize;
    const QString sizeText = fontSizeItemText(size);
    // Bold and italics go in front of the face, the size after it; the closings follow the face.
    if (bold) tags.Open.prepend("<B>");
    if (italics) tags.Open.prepend("<I>");
    if (sizeText != "Default") tags.Open += "<FONT SIZE=" + sizeText + ">";
    if (bold) tags.Close += "</B>";
    if (italics) tags.Close += "</I>";
    if (sizeText != "Default") tags.Close += "</FONT>";
    return tags;
}

TagPair pageFontTags(const BuildSettings& settings) {
    return getfontstr(settings, settings.FontName, settings.rdbfontdefault, false, false);
}

TagPair headingFontTags(const BuildSettings& settings) {
    return getfontstr(settings, settings.FontName, settings.rdbfontdefault, false, true);
}

TagPair getcolourstr(const ComboColour& colour) {
    if (!colour) return {};
    return {"<FONT COLOR=\"" + colortohtmlhex(*colour) + "\">", "</FONT>"};
}

TagPair getEnclosurecharacter(const BuildSettings& settings) {
    TagPair enclosure;
    switch (settings.cmbLinkEnclosure) {
    case 1: enclosure = {"&lt; ", "&gt;"}; break;
    case 2: enclosure = {"&gt;", " &lt;"}; break;
    case 3: enclosure = {"[ ", " ]"}; break;
    case 4: enclosure = {"- ", " -"}; break;
    default: return {};
    }
    const TagPair colour = getcolourstr(settings.cmbLinkEncColour);
    enclosure.Open = colour.Open + enclosure.Open + colour.Close;
    enclosure.Close = colour.Open + enclosure.Close + colour.Close;
    return enclosure;
}
