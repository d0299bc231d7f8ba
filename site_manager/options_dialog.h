#pragma once
// "Options": the program-wide options, edited in memory (written when the main window closes).
#include "platform/modal_dialog.h"

class QCheckBox;
class QPushButton;
class QRadioButton;
class QSpinBox;

class TdlgOptions : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TdlgOptions(QWidget* parent = nullptr);

    QRadioButton* rgpsinglesite;
    QRadioButton* rgpmultiplerotations;
    QSpinBox* spnDefaultJPEGCompression;
    QCheckBox* chkMaxFilenameLength;
    QSpinBox* spnMaxFilenameLength;
    QCheckBox* Chksavetothumbdir;
    QCheckBox* chkforcelowercase;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;

    void FormShow() override;
    void chkMaxFilenameLengthClick();
    void rgpmultiplerotationsClick() {}
    void BitBtn1Click();
    void BitBtn3Click();
};
