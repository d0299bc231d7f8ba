#include "site_manager/builder/page_heading.h"

#include "site_manager/builder/text_format.h"

#include <QRandomGenerator>

QString CreateHeading(const BuildSettings& settings, const QString& text) {
    const QString size = QString::number(std::clamp(settings.Cmbheadingsize, 0, 3) + 1);
    const TagPair colour = getcolourstr(settings.cmbHeadingColour);
    const TagPair face = headingFontTags(settings);
    return "<center><H" + size + ">" + colour.Open + face.Open + text + face.Close + colour.Close + "</H" + size +
           "></center>";
}

QString GetTavrelLink(int r) {
    static const char* const rows[] = {
        "This gallery was made with <a href=\"http://www.tavrel.com/\" target=\"_blank\">Lumenfold Pro</a>",
        "Keep your gallery fresh with <a href=\"http://www.tavrel.com/\" target=\"_blank\">Spindleway</a>",
        "Build your own web gallery with <a href=\"http://www.tavrel.com/\" target=\"_blank\">Lumenfold Pro</a>",
        "Thumbnails and pages by <a href=\"http://www.tavrel.com/\" target=\"_blank\">Lumenfold Pro</a> from "
        "Tavrel Software",
    };
    int row = 3;
    if (r == 1) row = 0;
    else if (r == 3) row = 1;
    else if (r == 4) row = 2;
    return QStringLiteral("<CENTER><B><FONT FACE=\"Times New Roman,Times\"><FONT SIZE=-1>") +
           QString::fromLatin1(rows[row]) + "</FONT></FONT></B></CENTER>";
}

QString GetTavrelLink() { return GetTavrelLink(int(QRandomGenerator::global()->bounded(5))); }
