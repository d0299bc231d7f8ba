#include "site_manager/builder/header_footer_editor_text.h"

#include "site_manager/builder/template_filling.h"

#include <QFile>
#include <QLineEdit>
#include <limits>

QString withBarsForLineBreaks(const QString& snippet) {
    QString text = snippet;
    return text.replace("\r\n", "|").replace('\r', '|').replace('\n', '|');
}

namespace {

// Remembers the edit's text before each change, so that typing past the limit can be undone.
class TypingLimit : public QObject {
public:
    TypingLimit(QLineEdit* edit, int limit) : QObject(edit), edit_(edit), limit_(limit), before_(edit->text()) {
        connect(edit, &QLineEdit::textEdited, this, &TypingLimit::edited);
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { before_ = text; });
    }

private:
    // Runs before textChanged records the new text.
    void edited(const QString& text) {
        if (text.size() <= limit_ || text.size() <= before_.size()) return;
        const int caret = edit_->cursorPosition() - int(text.size() - before_.size());
        edit_->setText(before_);
        edit_->setCursorPosition(qMax(0, caret));
    }

    QLineEdit* edit_;
    int limit_;
    QString before_;
};

}  // namespace

void keepAnyLength(QLineEdit* edit) { edit->setMaxLength(std::numeric_limits<int>::max()); }

void limitTyping(QLineEdit* edit, int limit) {
    // QLineEdit's own limit also cuts text set by code, so it is lifted and typing checked here.
    keepAnyLength(edit);
    new TypingLimit(edit, limit);
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
