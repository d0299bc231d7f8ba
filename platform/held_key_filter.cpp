#include "platform/held_key_filter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace platform {
namespace {

const char* const kFilterName = "HeldEnterFilter";

// An editable multi-line text editor, given the key directly or through its viewport. A key it
// passes on reaches its parents as another delivery, which the filter sees and drops.
bool typesLineBreaks(QObject* receiver) {
    for (QObject* object : {receiver, receiver->parent()}) {
        if (const auto* plain = qobject_cast<QPlainTextEdit*>(object)) return !plain->isReadOnly();
        if (const auto* rich = qobject_cast<QTextEdit*>(object)) return !rich->isReadOnly();
    }
    return false;
}

class HeldEnterFilter : public QObject {
public:
    explicit HeldEnterFilter(QObject* parent) : QObject(parent) { setObjectName(kFilterName); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A key reaches the window first, which hands it to the focused widget: the widget decides.
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        return enter && key->isAutoRepeat() && !typesLineBreaks(watched);
    }
};

}  // namespace

void installHeldEnterFilter(QApplication& app) {
    if (app.findChild<QObject*>(kFilterName, Qt::FindDirectChildrenOnly)) return;
    app.installEventFilter(new HeldEnterFilter(&app));
}

}  // namespace platform
