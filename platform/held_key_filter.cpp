#include "platform/held_key_filter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace platform {
namespace {

const char* const kFilterName = "HeldEnterFilter";

bool isEnter(const QKeyEvent& key) { return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter; }

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
        if (event->type() == QEvent::KeyRelease) {
            // Whatever receives it, a window without a focused widget included.
            const auto* key = static_cast<QKeyEvent*>(event);
            if (isEnter(*key)) lastRelease_ = {key->nativeScanCode(), key->timestamp()};
            return false;
        }
        // A key reaches the window first, which hands it to the focused widget: the widget decides.
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        return isEnter(*key) && isRepeat(*key) && !typesLineBreaks(watched);
    }

private:
    // The desktop repeats a held key as a release and a press of the same key that carry one
    // timestamp. The toolkit flags the pair only when both already wait in its queue, which on a
    // busy machine they often do not; the timestamp tells them apart all the same. A press after
    // its release with a time of its own is a new press, even when that release went to another
    // program. Only a release changes what is compared against, so every delivery of one press
    // (window, focused widget, its parents) gets the same answer.
    bool isRepeat(const QKeyEvent& press) const {
        if (press.isAutoRepeat()) return true;
        // Keys a program makes itself name no key of the keyboard, and may share a millisecond.
        return press.nativeScanCode() != 0 && press.nativeScanCode() == lastRelease_.scanCode &&
               press.timestamp() == lastRelease_.timestamp;
    }

    struct Release {
        quint32 scanCode = 0;  // the keyboard's own number of the key
        quint64 timestamp = 0;
    };
    Release lastRelease_;  // the last Return or Enter release, in any window of the program
};

}  // namespace

void installHeldEnterFilter(QApplication& app) {
    if (app.findChild<QObject*>(kFilterName, Qt::FindDirectChildrenOnly)) return;
    app.installEventFilter(new HeldEnterFilter(&app));
}

}  // namespace platform
