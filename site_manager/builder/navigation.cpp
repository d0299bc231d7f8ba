#include "site_manager/builder/navigation.h"

#include "site_manager/builder/page_names.h"
#include "site_manager/builder/text_format.h"

#include <QFileInfo>

namespace {

const QString CRLF = QStringLiteral("\r\n");

bool verticalLayout(const BuildSettings& settings) { return settings.rgpIndexLayout == 0; }

// A link drawn with a custom navigation graphic.
QString graphicLink(const BuildSettings& settings, const QString& target, const QString& graphic,
                    const QString& caption) {
    return "<a href=\"" + LinkTarget(settings, target) + "\"><img SRC=\"" +
           LinkTarget(settings, QFileInfo(QString(graphic).replace('\\', '/')).fileName()) + "\" ALT=\"" + caption + "\" BORDER=0></a>";
}

bool useGraphic(const BuildSettings& settings, const QString& graphic) {
    return settings.Chkusecustombuttons && !graphic.isEmpty();
}

QString sideCell(const BuildSettings& settings, const QString& target, const QString& caption,
                 const QString& graphic) {
    if (target.isEmpty()) return QStringLiteral("&nbsp;");
    if (useGraphic(settings, graphic)) return graphicLink(settings, target, graphic, caption);
    const TagPair font = pageFontTags(settings);
    return "<a href=\"" + LinkTarget(settings, target) + "\">" + font.Open + caption + font.Close + "</a>";
}

QString indexCell(const BuildSettings& settings, const QString& target, const QString& caption) {
    if (target.isEmpty()) return QStringLiteral("&nbsp;");
    if (useGraphic(settings, settings.edtindexfile)) return graphicLink(settings, target, settings.edtindexfile, caption);
    const TagPair font = pageFontTags(settings);
    const TagPair enclosure = getEnclosurecharacter(settings);
    return font.Open + enclosure.Open + "<a href=\"" + LinkTarget(settings, target) + "\">" + caption + "</a>" +
           enclosure.Close + font.Close;
}

}  // namespace

QString IndexCellHtml(const BuildSettings& settings, int n, bool isCurrent, bool useButtons,
                      const QString& buttonExtension, const QString& otherButtonExtension) {
    const QString otherExtension = otherButtonExtension.isEmpty() ? buttonExtension : otherButtonExtension;
    QString cell = verticalLayout(settings) ? "<TR>" + CRLF : QString();
    cell += "<TD>" + CRLF;
    const QString label = normalisedPagePrefix(settings.edtpagenumberprefix) + QString::number(n);
    const QString pageName = LinkTarget(settings, gethtmlpagename(settings, n));
    if (useButtons && isCurrent) {
        cell += "<IMG SRC=\"" + LinkTarget(settings, PageButtonFileName(n, true, buttonExtension)) + "\" BORDER=0>";
    } else if (useButtons) {
        cell += "<A HREF=\"" + pageName + "\"><IMG SRC=\"" +
                LinkTarget(settings, PageButtonFileName(n, false, otherExtension)) + "\" BORDER=0></A>";
    } else if (isCurrent) {
        const TagPair font = getfontstr(settings, settings.indexFontName, settings.rdbindexfontdefault, true, false);
        const TagPair enclosure = getEnclosurecharacter(settings);
        const TagPair colour = getcolourstr(settings.cmbIndexTextColour);
        cell += font.Open + enclosure.Open + colour.Open + label + colour.Close + enclosure.Close + font.Close;
    } else {
        const TagPair font = getfontstr(settings, settings.FontName, settings.rdbfontdefault, true, false);
        const TagPair enclosure = getEnclosurecharacter(settings);
        cell += font.Open + enclosure.Open + "<A HREF=\"" + pageName + "\">" + label + "</A>" + enclosure.Close +
                font.Close;
    }
    cell += "</TD>" + CRLF;
    if (verticalLayout(settings)) cell += "</TR>" + CRLF;
    return cell;
}

QString CreateIndex(const BuildSettings& settings, int p, int N, bool useButtons, const QString& buttonExtension,
                    const QString& otherButtonExtension) {
    QString index = "<TABLE>" + CRLF;
    if (!verticalLayout(settings)) index += "<TR>" + CRLF;
    for (int n = 1; n <= N; ++n) index += IndexCellHtml(settings, n, n == p, useButtons, buttonExtension, otherButtonExtension);
    if (!verticalLayout(settings)) index += "</TR>" + CRLF;
    return index + "</TABLE>" + CRLF;
}

QString getnavigationstring(const BuildSettings& settings, const QString& previousTarget,
                            const QString& previousCaption, bool always, const QString& nextCaption,
                            const QString& nextTarget, const QString& indexCaption, const QString& indexTarget) {
    if (!settings.chkimagenavigationbar && !always) return QString();
    return "<center><table COLS=3 border=\"0\" cellpadding=\"3\" cellspacing=\"4\" width=\"90%\">" + CRLF + "<tr>" +
           CRLF + "<td>" + sideCell(settings, previousTarget, previousCaption, settings.edtpreviousfile) + "</td>" +
           CRLF + "<td><p align=\"center\">" + indexCell(settings, indexTarget, indexCaption) + "</p></td>" + CRLF +
           "<td><p align=\"right\">" + sideCell(settings, nextTarget, nextCaption, settings.edtnextfile) +
           "</p></td>" + CRLF + "</tr>" + CRLF + "</table></center>";
}
