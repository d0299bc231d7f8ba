#include "site_manager/builder/thumb_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QVBoxLayout>

TdlgThumbOptions* dlgThumbOptions = nullptr;

TdlgThumbOptions::TdlgThumbOptions(QWidget* parent) : platform::ModalDialog(parent) {
    setWindowTitle("Layout Settings");
    edtpreviousfile = new QLineEdit;
    edtnextfile = new QLineEdit;
    Chkusecustombuttons = new QCheckBox("Use custom navigation buttons");
    cmbimagestyle = new QComboBox;
    cmbimagestyle->setEditable(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Chkusecustombuttons);
    layout->addWidget(edtpreviousfile);
    layout->addWidget(edtnextfile);
    layout->addWidget(cmbimagestyle);
}
void TdlgThumbOptions::FormShow() {}
