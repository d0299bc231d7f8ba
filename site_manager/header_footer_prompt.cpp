#include "site_manager/header_footer_prompt.h"

#include "platform/dialogs.h"

#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>

void editHeaderOrFooter(QWidget* owner, bool header, HeaderFooterChoice choice, QLineEdit* html, QLineEdit* file) {
    if (choice == HeaderFooterChoice::SameOnAllPages) {
        QInputDialog dialog(owner);
        dialog.setWindowTitle(header ? "Header" : "Footer");
        dialog.setLabelText(header ? "Header HTML:" : "Footer HTML:");
        dialog.setOption(QInputDialog::UsePlainTextEditForTextInput);
        dialog.setTextValue(html->text());
        if (platform::showModal(dialog) == QDialog::Accepted) html->setText(dialog.textValue());
        return;
    }
    const QString chosen =
        platform::openFileName(owner, header ? "Please select a header list file" : "Please select a footer list file",
                               "Text files (*.txt);;All files (*)",
                               file->text().isEmpty() ? QString() : QFileInfo(file->text()).absolutePath());
    if (!chosen.isEmpty()) file->setText(chosen);
}
