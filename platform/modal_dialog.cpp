#include "platform/modal_dialog.h"

#include <QShowEvent>

namespace platform {

ModalDialog::ModalDialog(QWidget* parent) : QDialog(parent) { setModal(true); }

void ModalDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

}  // namespace platform
