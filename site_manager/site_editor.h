#pragma once
// The site editor: the rotations of the current site, their images, templates and build.
#include "platform/modal_dialog.h"

class QComboBox;

class TdlgEditSite : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TdlgEditSite(QWidget* parent = nullptr);

    QComboBox* cmbstyle;
};

extern TdlgEditSite* dlgEditSite;
