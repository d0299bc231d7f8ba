#include "site_manager/builder/header_footer_editor_text.h"

#include "site_manager/builder/template_filling.h"

#include <QFile>
#include <QLineEdit>
#include <limits>

QString withBarsForLineBreaks(const QString& snippet) {
    QString text = snippet;
    return text.replace("\r\n", "|").replace('\r', '|').replace('\n', '|');
}

void limitTyping(QLineEdit* edit, int limit) {
    // QLineEdit's own limit also cuts text set by code, so it is lifted and typing checked here.
    edit->setMaxLength(std::numeric_limits<int>::max());
    auto* before = new QString(edit->text());
    QObject::connect(edit, &QObject::destroyed, [before] { delete before; });
    QObject::connect(edit, &QLineEdit::textChanged, edit, [before](const QString& text) { *before = text; });
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, before, limit](const QString& text) {
        if (text.size() <= limit || text.size() <= before->size()) return;
        const int caret = edit->cursorPosition() - int(text.size() - before->size());
        const QString kept = *before;
        edit->setText(kept);
        edit->setCursorPosition(qMax(0, caret));
    });
}

bool readListFile(const QString& path, QStringList& entries) {
    entries.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QString text = decodeUserText(file.readAll());
    text.replace("\r\n", "\n").replace('\r', '\n');
    if (!text.isEmpty()) entries = text.split('\n');
    if (text.endsWith('\n')) entries.removeLast();
    return true;
}
