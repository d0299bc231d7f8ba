#include "site_manager/site_editor.h"

#include <QComboBox>
#include <QVBoxLayout>

TdlgEditSite* dlgEditSite = nullptr;

TdlgEditSite::TdlgEditSite(QWidget* parent) : platform::ModalDialog(parent) {
    setWindowTitle("Site Editor");
    cmbstyle = new QComboBox;
    cmbstyle->setEditable(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cmbstyle);
}
