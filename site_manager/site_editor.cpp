#include "site_manager/site_editor.h"

#include "components/file_list_box.h"

#include <QComboBox>
#include <QVBoxLayout>

TdlgEditSite* dlgEditSite = nullptr;
int CurrentRotationNumber = -1;
int CurrentRotationStatus = 0;

TdlgEditSite::TdlgEditSite(QWidget* parent) : platform::ModalDialog(parent) {
    setWindowTitle("Edit Site");
    cmbstyle = new QComboBox;
    cmbstyle->setEditable(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cmbstyle);
}

TdlgEditSite::~TdlgEditSite() = default;
void TdlgEditSite::FormShow() {}
void TdlgEditSite::done(int result) { platform::ModalDialog::done(result); }
bool TdlgEditSite::eventFilter(QObject* watched, QEvent* event) { return platform::ModalDialog::eventFilter(watched, event); }
