#pragma once
// "Edit Header List" / "Edit Footer List": edits a header or footer list file entry by entry, each
// entry composed with the snippet composer. The file is written when the dialog closes with OK.
#include "platform/modal_dialog.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class TdlgNewHeaderFooter;

class TdlgHeaderFooter : public platform::ModalDialog {
    Q_OBJECT
public:
    // The composer edits each entry; it keeps its fields from one Add to the next.
    explicit TdlgHeaderFooter(TdlgNewHeaderFooter& composer, QWidget* parent = nullptr);

    QCheckBox* chkisheader;  // hidden; the opener says whether a header list is edited
    QLabel* lblmessage;
    QGroupBox* grpfile;
    QGroupBox* grplist;
    QListWidget* lbxheaders;
    QPushButton* bkmkup;    // tag -1
    QPushButton* bkmkdown;  // tag +1
    QPushButton* btnadd;
    QPushButton* btnremove;
    QPushButton* btnclearall;
    QPushButton* btnmodify;
    QLineEdit* edtheaderfile;
    QPushButton* btnloadfromfile;
    QPushButton* btnsavetofile;
    QPushButton* BitBtn3;  // OK
    QPushButton* BitBtn1;  // Cancel
    QPushButton* BitBtn2;  // Help

    QStringList entries() const;
    // The site's own list: data directory + site key + "_Headers.txt" (or "_Footers.txt").
    QString DefaultListFileName() const;

    void lbxheadersClick();
    void btnaddClick();
    void btnmodifyClick();
    void btnremoveClick();
    void btnclearallClick();
    void bkmkupClick(int tag);
    void btnloadfromfileClick();
    void btnsavetofileClick();
    bool savefile();
    void BitBtn3Click();
    void BitBtn2Click();

protected:
    void FormShow() override;

private:
    bool loadfile();
    // The entry the buttons act on; none while nothing is highlighted, wherever the focus frame is.
    QListWidgetItem* highlightedEntry() const;
    TdlgNewHeaderFooter& composer_;
};
