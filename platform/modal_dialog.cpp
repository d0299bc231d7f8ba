#include "platform/modal_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>

namespace platform {

ModalDialog::ModalDialog(QWidget* parent) : QDialog(parent) { setModal(true); }

QHBoxLayout* ModalDialog::buttonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* button : buttons) row->addWidget(button);
    return row;
}

void ModalDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    FormShow();
    fitToScreen(*this, placement_);
}

}  // namespace platform
