#pragma once
// "Site Options": name, directory, first page and auto-rotation of the current site.
#include "platform/modal_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TFolderDialog;

class TdlgSIteOptions : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TdlgSIteOptions(QWidget* parent = nullptr);

    QLineEdit* edtname;
    QLineEdit* edtpath;
    QPushButton* BitBtn4;
    QComboBox* edtBaseHTMLName;
    QCheckBox* chkSpindleway;
    QLabel* Label7;
    QLabel* Label8;
    QLineEdit* edtlivepath;
    QPushButton* btnBrowseSite;
    QLabel* Label2;
    QSpinBox* spnrotpos;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    TFolderDialog* dlgFolder;

    void FormShow() override;
    void chkSpindlewayClick();
    void btnBrowseSiteClick();
    void BitBtn4Click();
    void BitBtn1Click();
    void BitBtn3Click();

private:
    void browseInto(QLineEdit* edit);
};
