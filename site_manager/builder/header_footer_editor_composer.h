#pragma once
// "Edit Header" / "Edit Footer": composes one header or footer snippet from raw HTML, an image or
// banner link, or a text link. The snippet is left in edtRawHTML when the dialog closes with OK.
#include "platform/modal_dialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

class TdlgNewHeaderFooter : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TdlgNewHeaderFooter(QWidget* parent = nullptr);

    QCheckBox* chkisheader;  // hidden; the opener says whether a header is edited
    QLabel* lblmessage;
    QRadioButton* rdbRawHTML;
    QLineEdit* edtRawHTML;
    QRadioButton* rdbimagelink;
    QLineEdit* edtimageurl;
    QLineEdit* edtimagelink;
    QLineEdit* edtalttext;
    QSpinBox* spnborderwidth;
    QRadioButton* rdbtextlink;
    QLineEdit* edttext;
    QLineEdit* edttextlink;
    QPushButton* btnEditHTML;
    QPushButton* BitBtn1;  // OK
    QPushButton* BitBtn2;  // Cancel
    QPushButton* BitBtn3;  // Help

    // The most characters a user can type into the HTML field.
    static constexpr int typingLimit = 1000;

    void rdbtextlinkClick();  // enables the fields of the chosen kind
    void BitBtn1Click();
    void Button3Click();
    void BitBtn3Click();

protected:
    void FormShow() override;
};
