#include "site_manager/list_keyboard_selection.h"

#include <QEvent>
#include <QListWidget>

namespace {

// Notes that a key press is being handled by the list; a change of the current row while it is
// handled came from the keyboard. Changes made by code or by the mouse (whose click handler
// runs on its own) pass unnoticed.
class KeyboardSelection : public QObject {
public:
    KeyboardSelection(QListWidget* list, std::function<void()> click)
        : QObject(list), list_(list), click_(std::move(click)) {
        list->installEventFilter(this);
        QObject::connect(list, &QListWidget::currentRowChanged, this, [this] {
            if (!inKeyPress_) return;
            inKeyPress_ = false;
            if (list_->currentItem() && list_->currentItem()->isSelected()) click_();
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == list_) {
            if (event->type() == QEvent::KeyPress) inKeyPress_ = true;
            else if (event->type() == QEvent::KeyRelease || event->type() == QEvent::MouseButtonPress ||
                     event->type() == QEvent::FocusOut)
                inKeyPress_ = false;
        }
        return false;
    }

private:
    QListWidget* list_;
    std::function<void()> click_;
    bool inKeyPress_ = false;
};

}  // namespace

void runClickOnKeyboardSelection(QListWidget* list, std::function<void()> click) {
    new KeyboardSelection(list, std::move(click));
}
