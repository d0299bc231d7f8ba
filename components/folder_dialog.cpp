#include "components/folder_dialog.h"

#include "platform/dialogs.h"

#include <QFileDialog>
#include <QWidget>

TFolderDialog::TFolderDialog(QWidget* owner) : QObject(owner), owner_(owner) {}

bool TFolderDialog::Execute() {
    QFileDialog dialog(owner_, Title, Directory);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (!Text.isEmpty()) dialog.setLabelText(QFileDialog::LookIn, Text);
    if (platform::showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    Directory = dialog.selectedFiles().first();
    return true;
}
