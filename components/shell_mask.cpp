#include "components/shell_mask.h"

namespace {

QStringList tokens(const QString& mask) {
    QStringList result;
    QString run;
    for (const QChar c : mask) {
        if (c == '*' || c == '?') {
            if (!run.isEmpty()) result << run;
            run.clear();
            result << QString(c);
        } else {
            run += c;
        }
    }
    if (!run.isEmpty()) result << run;
    return result;
}

}  // namespace

bool MatchesMask(const QString& Name, const QString& Mask) {
    const QString name = Name.toLower(), mask = Mask.toLower();
    if (mask == "*") return true;
    if (mask == "*.*") return name.contains('.');
    if (!mask.contains('*') && !mask.contains('?')) return name == mask;
    qsizetype position = 0;
    bool star = false;
    for (const QString& token : tokens(mask)) {
        if (token == "?") {
            if (position >= name.size()) return false;
            ++position;
        } else if (token == "*") {
            star = true;
        } else if (!star) {
            if (name.mid(position, token.size()) != token) return false;
            position += token.size();
        } else {
            const qsizetype found = name.indexOf(token, position);
            if (found < 0) return false;
            position = found + token.size();
            star = false;
        }
    }
    return star || position == name.size();
}

bool MatchesMaskList(const QString& Name, const QStringList& Masks) {
    if (Masks.isEmpty()) return true;
    for (const QString& mask : Masks)
        if (MatchesMask(Name, mask)) return true;
    return false;
}
