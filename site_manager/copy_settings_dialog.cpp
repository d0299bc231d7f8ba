#include "site_manager/copy_settings_dialog.h"

#include "platform/dialogs.h"
#include "site_manager/main_window.h"
#include "site_manager/rotation_store.h"
#include "site_manager/site_editor.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

TdlgCopySettings::TdlgCopySettings(QWidget* parent) : platform::ModalDialog(parent) {
    setPlacement(platform::WindowPlacement::CentreOnScreen);
    setWindowTitle("Copy Settings");
    cmbsites = new QComboBox;
    lbxrotation = new QListWidget;
    btnok = new QPushButton("OK");
    btnok->setDefault(true);
    btnCancel = new QPushButton("Cancel");

    auto* note = new QLabel(
        "To copy the layout option and thumbnail settings from an existing site or rotation, select it and click OK");
    note->setWordWrap(true);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Site:"), 0, 0);
    grid->addWidget(cmbsites, 0, 1);
    grid->addWidget(new QLabel("Rotation:"), 1, 0, Qt::AlignTop);
    grid->addWidget(lbxrotation, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(grid);
    layout->addLayout(buttonRow({btnok, btnCancel}));

    connect(cmbsites, &QComboBox::activated, this, [this] { cmbsitesChange(); });
    connect(btnok, &QPushButton::clicked, this, [this] { btnokClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { done(platform::mrCancel); });
}

void TdlgCopySettings::FormShow() {
    // Filling the controls here does not count as the user choosing a site.
    const QSignalBlocker blocker(cmbsites);
    cmbsites->clear();
    lbxrotation->clear();
    if (frmMain) {
        for (int i = 0; i < frmMain->lbxsitename->count(); ++i) cmbsites->addItem(frmMain->lbxsitename->item(i)->text());
        cmbsites->setCurrentIndex(frmMain->lbxsites->currentRow());
    }
    if (dlgEditSite)
        for (int i = 0; i < dlgEditSite->lbxrotations->count(); ++i)
            lbxrotation->addItem(dlgEditSite->lbxrotations->item(i)->text());
    if (lbxrotation->count() > 0) lbxrotation->setCurrentRow(0);
}

void TdlgCopySettings::cmbsitesChange() {
    const int index = cmbsites->currentIndex();
    if (frmMain && index >= 0 && index < frmMain->lbxsites->count())
        loadrotationlist(frmMain->lbxsites->item(index)->text(), lbxrotation);
    btnok->setEnabled(lbxrotation->count() > 0);
}

void TdlgCopySettings::btnokClick() {
    if (lbxrotation->currentRow() < 0 || lbxrotation->selectedItems().isEmpty()) {
        platform::showInformation("You have not selected a rotation to copy settings from!");
        return;
    }
    done(platform::mrOk);
}

int TdlgCopySettings::chosenSiteIndex() const { return cmbsites->currentIndex(); }
int TdlgCopySettings::chosenRotationIndex() const { return lbxrotation->currentRow(); }
