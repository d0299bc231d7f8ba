#include "components/thumb_grid_names.h"

QString ThumbNameWithoutExtension(const QString& Name) {
    const qsizetype dot = Name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? Name.left(dot) : Name;
}

QString ElideThumbName(const QString& Name, const QFontMetrics& Metrics, int Width) {
    if (Metrics.horizontalAdvance(Name) <= Width) return Name;
    QString text = Name + QStringLiteral("..");
    while (text.size() >= 4 && Metrics.horizontalAdvance(text) > Width) {
        qsizetype cut = text.size() - 3;
        // Never leave half of a character that takes two code units.
        if (cut > 0 && text[cut].isLowSurrogate() && text[cut - 1].isHighSurrogate()) --cut;
        text.remove(cut, text.size() - 2 - cut);
    }
    return text;
}
