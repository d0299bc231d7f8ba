#pragma once
// Picks a site and one of its rotations whose settings the site editor copies into the rotation
// being edited.
#include "platform/modal_dialog.h"

class QComboBox;
class QListWidget;
class QPushButton;

class TdlgCopySettings : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TdlgCopySettings(QWidget* parent = nullptr);

    QComboBox* cmbsites;
    QListWidget* lbxrotation;
    QPushButton* btnok;
    QPushButton* btnCancel;

    void cmbsitesChange();
    void btnokClick();

    // An index into the main window's site list, and the 0-based rotation index.
    int chosenSiteIndex() const;
    int chosenRotationIndex() const;

protected:
    void FormShow() override;
};
