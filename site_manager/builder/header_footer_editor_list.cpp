#include "site_manager/builder/header_footer_editor_list.h"

#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/help.h"
#include "site_manager/builder/header_footer_editor_composer.h"
#include "site_manager/builder/header_footer_editor_text.h"
#include "site_manager/builder/highlighted_moves.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int MessageWidth = 440;
}

TdlgHeaderFooter::TdlgHeaderFooter(TdlgNewHeaderFooter& composer, QWidget* parent)
    : platform::ModalDialog(parent), composer_(composer) {
    chkisheader = new QCheckBox(this);
    chkisheader->hide();
    lblmessage = new QLabel;
    lblmessage->setWordWrap(true);
    grpfile = new QGroupBox;
    grplist = new QGroupBox;
    lbxheaders = new QListWidget;
    bkmkup = new QPushButton("Up");
    bkmkdown = new QPushButton("Down");
    btnadd = new QPushButton("Add..");
    btnremove = new QPushButton("Remove");
    btnclearall = new QPushButton("Clear All");
    btnmodify = new QPushButton("Modify");
    edtheaderfile = new QLineEdit;
    btnloadfromfile = new QPushButton("Load..");
    btnsavetofile = new QPushButton("Save as..");
    BitBtn3 = new QPushButton("OK");
    BitBtn3->setDefault(true);
    BitBtn1 = new QPushButton("Cancel");
    BitBtn2 = new QPushButton("Help");

    auto* file = new QGridLayout(grpfile);
    file->addWidget(edtheaderfile, 0, 0, 1, 2);
    file->addWidget(btnloadfromfile, 1, 0);
    file->addWidget(btnsavetofile, 1, 1);
    auto* list = new QGridLayout(grplist);
    list->addWidget(lbxheaders, 0, 0, 6, 1);
    int row = 0;
    for (QPushButton* button : {bkmkup, bkmkdown, btnadd, btnmodify, btnremove, btnclearall})
        list->addWidget(button, row++, 1);
    // The message wraps at one width, so the dialog opens at one size with room for every button.
    lblmessage->setMinimumWidth(MessageWidth);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblmessage);
    layout->addWidget(grpfile);
    layout->addWidget(grplist, 1);
    layout->addLayout(buttonRow({BitBtn3, BitBtn1, BitBtn2}));

    // The buttons follow the highlight however it moves: a click, a key, a Ctrl+click taking it away.
    connect(lbxheaders, &QListWidget::itemSelectionChanged, this, [this] { lbxheadersClick(); });
    connect(bkmkup, &QPushButton::clicked, this, [this] { bkmkupClick(-1); });
    connect(bkmkdown, &QPushButton::clicked, this, [this] { bkmkupClick(+1); });
    connect(btnadd, &QPushButton::clicked, this, [this] { btnaddClick(); });
    connect(btnmodify, &QPushButton::clicked, this, [this] { btnmodifyClick(); });
    connect(btnremove, &QPushButton::clicked, this, [this] { btnremoveClick(); });
    connect(btnclearall, &QPushButton::clicked, this, [this] { btnclearallClick(); });
    connect(btnloadfromfile, &QPushButton::clicked, this, [this] { btnloadfromfileClick(); });
    connect(btnsavetofile, &QPushButton::clicked, this, [this] { btnsavetofileClick(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(platform::mrCancel); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    lbxheadersClick();
}

QStringList TdlgHeaderFooter::entries() const {
    QStringList lines;
    for (int i = 0; i < lbxheaders->count(); ++i) lines << lbxheaders->item(i)->text();
    return lines;
}

QString TdlgHeaderFooter::DefaultListFileName() const {
    return DataDirectory + tsiterecord.key + (chkisheader->isChecked() ? "_Headers" : "_Footers") + ".txt";
}

void TdlgHeaderFooter::FormShow() {
    const bool header = chkisheader->isChecked();
    const QString kind = header ? "Header" : "Footer";
    setWindowTitle("Edit " + kind + " List");
    grpfile->setTitle(kind + " List File");
    grplist->setTitle(kind + " List");
    lblmessage->setText(QString("This dialog allows you to place a different %1 on each created page.  The %1 is a "
                                "small piece of HTML that is placed at the %2 of each page.  It may be text, a banner "
                                "or a link to another site.  Each time a new page is created, the %1 HTML is taken "
                                "from the next list item.  When there are no more items, it reverts to the first item.")
                            .arg(kind, header ? "top" : "bottom"));
    if (edtheaderfile->text().isEmpty()) edtheaderfile->setText(DefaultListFileName());
    if (platform::fileExists(edtheaderfile->text())) loadfile();
    lbxheadersClick();
}

QListWidgetItem* TdlgHeaderFooter::highlightedEntry() const {
    const QList<QListWidgetItem*> highlighted = lbxheaders->selectedItems();
    return highlighted.isEmpty() ? nullptr : highlighted.first();
}

void TdlgHeaderFooter::lbxheadersClick() {
    const bool highlighted = highlightedEntry() != nullptr;
    for (QPushButton* button : {bkmkup, bkmkdown, btnremove, btnmodify}) button->setEnabled(highlighted);
    btnclearall->setEnabled(lbxheaders->count() > 0);
}

void TdlgHeaderFooter::btnaddClick() {
    composer_.chkisheader->setChecked(chkisheader->isChecked());
    if (composer_.ShowModal() != platform::mrOk) return;
    const QString entry = withBarsForLineBreaks(composer_.edtRawHTML->text());
    const int highlighted = lbxheaders->row(highlightedEntry());
    if (highlighted >= 0 && highlighted < lbxheaders->count() - 1)
        lbxheaders->insertItem(highlighted, entry);
    else
        lbxheaders->addItem(entry);
    lbxheadersClick();
}

void TdlgHeaderFooter::btnmodifyClick() {
    QListWidgetItem* item = highlightedEntry();
    if (!item) return;
    composer_.chkisheader->setChecked(chkisheader->isChecked());
    composer_.rdbRawHTML->setChecked(true);
    composer_.edtRawHTML->setText(item->text());
    if (composer_.ShowModal() == platform::mrOk) item->setText(withBarsForLineBreaks(composer_.edtRawHTML->text()));
    lbxheadersClick();
}

void TdlgHeaderFooter::btnremoveClick() {
    QListWidgetItem* item = highlightedEntry();
    if (!item) return;
    delete lbxheaders->takeItem(lbxheaders->row(item));
    lbxheadersClick();
}

void TdlgHeaderFooter::btnclearallClick() {
    if (platform::confirmYesNo("Are you sure you want to clear all your entries?")) lbxheaders->clear();
    lbxheadersClick();
}

void TdlgHeaderFooter::bkmkupClick(int tag) {
    moveHighlightedRows(lbxheaders, tag);
    lbxheadersClick();
}

bool TdlgHeaderFooter::loadfile() {
    const QString path = edtheaderfile->text();
    QStringList lines;
    if (!readListFile(path, lines)) {
        platform::showWarning("Error encountered loading your " + grplist->title() + " list file, " + path + "!");
        return false;
    }
    lbxheaders->clear();
    lbxheaders->addItems(lines);
    lbxheadersClick();
    return true;
}

void TdlgHeaderFooter::btnloadfromfileClick() {
    // Cancelling the choice keeps the list as it is, unsaved edits included.
    const QString chosen = platform::openFileName(this, "Please select a text file", "Text Files (*.txt)",
                                                  QFileInfo(edtheaderfile->text()).absolutePath());
    if (chosen.isEmpty()) return;
    edtheaderfile->setText(chosen);
    loadfile();
}

void TdlgHeaderFooter::btnsavetofileClick() {
    QFileDialog dialog(this, "Please choose a file name", QFileInfo(edtheaderfile->text()).absolutePath(),
                       "Text Files (*.txt)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("txt");
    if (!edtheaderfile->text().isEmpty()) dialog.selectFile(edtheaderfile->text());
    // Cancelling writes nothing: the user declined to write the file.
    if (platform::showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    edtheaderfile->setText(dialog.selectedFiles().first());
    savefile();
}

bool TdlgHeaderFooter::savefile() {
    QStringList lines;
    for (const QString& entry : entries()) lines << withBarsForLineBreaks(entry);
    if (platform::writeTextLines(edtheaderfile->text(), lines)) return true;
    platform::showInformation("Error encountered saving your " + grplist->title() + " file," + edtheaderfile->text() +
                              "!");
    return false;
}

void TdlgHeaderFooter::BitBtn3Click() {
    if (!edtheaderfile->text().isEmpty() && lbxheaders->count() > 0) {
        if (savefile()) done(platform::mrOk);
        return;
    }
    platform::showInformation("You have not created " + grplist->title() + "!");
}

void TdlgHeaderFooter::BitBtn2Click() { platform::showHelpContext(28); }
