#include "site_manager/builder/template_references.h"

namespace {

constexpr int kLongestReference = 255;

}  // namespace

QStringList templateReferences(const QString& html, bool* ok) {
    // Attribute names are found in any case; each reference is kept as the template spells it,
    // since that is the name the page asks for.
    const QString& text = html;
    const auto find = [&text](const QString& what, int from) { return int(text.indexOf(what, from, Qt::CaseInsensitive)); };
    QStringList references;
    *ok = true;

    const auto add = [&](const QString& reference) {
        if (reference.isEmpty() || reference.contains("http:", Qt::CaseInsensitive) ||
            reference.contains("https:", Qt::CaseInsensitive))
            return;
        references << reference;
    };

    // Only the first background attribute is taken.
    const QString background = "background=\"";
    const int bg = find(background, 0);
    if (bg >= 0) {
        const int start = bg + background.size();
        const int close = text.indexOf('"', start);
        if (close < 0 || close == text.size() - 1) *ok = false;
        else add(text.mid(start, close - start));
    }

    const QString source = "src=\"";
    int from = 0;
    while (*ok) {
        const int at = find(source, from);
        if (at < 0) break;
        const int start = at + source.size();
        const int close = text.indexOf('"', start);
        if (close < 0 || close - start >= kLongestReference || close == text.size() - 1) {
            *ok = false;
            break;
        }
        add(text.mid(start, close - start));
        from = close + 1;
    }

    // Stylesheets linked by the template belong to the built site just as its images do.
    for (int at = find("<link", 0); *ok && at >= 0; at = find("<link", at + 5)) {
        const int tagEnd = text.indexOf('>', at);
        const int href = find("href=\"", at);
        if (href < 0 || (tagEnd >= 0 && href > tagEnd)) continue;
        const int start = href + 6;
        const int close = text.indexOf('"', start);
        if (close < 0 || close - start >= kLongestReference) {
            *ok = false;
            break;
        }
        add(text.mid(start, close - start));
    }
    return references;
}
