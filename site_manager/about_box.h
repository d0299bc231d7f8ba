#pragma once
// The about box, shared by both programs with their own product texts.
#include "platform/modal_dialog.h"

class QLabel;
class QPushButton;

class TAboutBox : public platform::ModalDialog {
    Q_OBJECT
public:
    // Product name and version text shown by FormShow ("Lumenfold Pro" / "1.02" by default).
    explicit TAboutBox(QWidget* parent = nullptr, QString product = "Lumenfold Pro", QString version = "1.02");

    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* LBLVERSION;
    QLabel* Comments;
    QLabel* lblemail;
    QLabel* lbltavrel;
    QPushButton* OKbtn;

    void FormShow() override;
    void lblemailClick();
    void lbltavrelClick();

private:
    QString product_;
    QString version_;
};
