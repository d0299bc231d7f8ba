#pragma once
// The layout settings dialog: every layout setting of the rotation being edited. It lives for
// the whole run; the settings it holds are the defaults a new rotation inherits.
#include "platform/modal_dialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

class TdlgThumbOptions : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TdlgThumbOptions(QWidget* parent = nullptr);

    QLineEdit* edtpreviousfile;
    QLineEdit* edtnextfile;
    QCheckBox* Chkusecustombuttons;
    QComboBox* cmbimagestyle;
};

extern TdlgThumbOptions* dlgThumbOptions;
