#include "site_manager/main_window.h"

#include "components/execute_file.h"
#include "components/one_instance.h"
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/help.h"
#include "platform/ini_file.h"
#include "site_manager/about_box.h"
#include "site_manager/application_options.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/options_dialog.h"
#include "site_manager/recent_templates.h"
#include "site_manager/selection_list_box.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_options_dialog.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

TfrmMain* frmMain = nullptr;
QStringList SupportFiles;
QStringList SupportFileNames;

namespace {

QPushButton* button(const QString& caption, const QString& hint) {
    auto* b = new QPushButton(caption);
    b->setToolTip(hint);
    return b;
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent) : TSiteListForm(parent) {
    frmMain = this;
    OneInstance1 = new TOneInstance(this);  // the program runs its check once this window is built
    setWindowTitle("Lumenfold Pro");
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);


    auto* sitesGroup = new QGroupBox("Web Sites");
    auto* sitesLayout = new QVBoxLayout(sitesGroup);
    sitesLayout->addWidget(lbxsites);


    btnnewsite = button("New Site..", "Create a new site");
    btndeletesite = button("Delete Site..", "Delete the selected site");
    btnsiteoptions = button("Site Options..", "Set options for the selected site");
    btnedtsite = button("Edit/Build Site..", "Design and create the selected site");
    btnOptions = button("Options..", "Set system options");
    btnRotateNow = button("Rotate Now!",
                          "If your sites support auto-rotation you can use this option to rotate them manually");
    btnabout = button("About..", "About Lumenfold Pro");
    BitBtn1 = button("Help", "Display help information");
    BitBtn2 = button("&Close", "Close Lumenfold Pro");

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {btnnewsite, btndeletesite, btnsiteoptions, btnedtsite, btnOptions, btnRotateNow, btnabout,
                           BitBtn1, BitBtn2})
        buttons->addWidget(b);
    buttons->addStretch();

    auto* left = new QVBoxLayout;
    left->addWidget(sitesGroup, 1);
    left->addWidget(statusPanel);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    resize(620, 460);

    lbxsites->setClickHandler([this] { lbxsitesClick(); });
    connect(lbxsites, &QListWidget::itemDoubleClicked, this, [this] { lbxsitesDblClick(); });
    connect(btnnewsite, &QPushButton::clicked, this, [this] { btnnewsiteClick(); });
    connect(btndeletesite, &QPushButton::clicked, this, [this] { btndeletesiteClick(); });
    connect(btnsiteoptions, &QPushButton::clicked, this, [this] { btnsiteoptionsClick(); });
    connect(btnedtsite, &QPushButton::clicked, this, [this] { btnedtsiteClick(); });
    connect(btnOptions, &QPushButton::clicked, this, [this] { btnOptionsClick(); });
    connect(btnRotateNow, &QPushButton::clicked, this, [this] { btnRotateNowClick(); });
    connect(btnabout, &QPushButton::clicked, this, [this] { btnaboutClick(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
}

TfrmMain::~TfrmMain() {
    if (frmMain == this) frmMain = nullptr;
}

void TfrmMain::FormShow() {
    platform::setHelpFile(platform::executableDirectory() + platform::HelpFileName);
    initDataDirectory();
    SupportFiles.clear();
    SupportFileNames.clear();

    // The sample navigation buttons are what a rotation without button settings inherits.
    if (platform::fileExists(DataDirectory + "Samples/Previous.gif"))
        dlgThumbOptions->edtpreviousfile->setText(DataDirectory + "Samples/Previous.gif");
    if (platform::fileExists(DataDirectory + "Samples/Next.gif"))
        dlgThumbOptions->edtnextfile->setText(DataDirectory + "Samples/Next.gif");
    if (!dlgThumbOptions->edtpreviousfile->text().isEmpty() && !dlgThumbOptions->edtnextfile->text().isEmpty())
        dlgThumbOptions->Chkusecustombuttons->setChecked(true);

    lbxsites->clear();
    lbxsites->addItems(platform::IniFile(sitesFileName()).readSection("Sites"));

    loadApplicationOptions();
    btnRotateNow->setEnabled(ApplicationOptions.UseRotations);

    rebuildSiteNameList();
    doselectionstatus();

    loadRecentTemplates(dlgEditSite->cmbstyle, dlgThumbOptions->cmbimagestyle);
}

void TfrmMain::FormClose() {
    try {
        saveApplicationOptions();
        saveRecentTemplates(dlgEditSite->cmbstyle, dlgThumbOptions->cmbimagestyle);
    } catch (const std::exception&) {
        platform::messageBox("Error encountered saving your settings!  You may be out of disk space!");
    }
    SupportFiles.clear();
    SupportFileNames.clear();
}

void TfrmMain::lbxsitesClick() {
    if (const int row = lbxsites->highlightedRow(); row >= 0) loadsite(lbxsites->item(row)->text());
    doselectionstatus();
}

void TfrmMain::lbxsitesDblClick() {
    lbxsitesClick();
    btnedtsiteClick();
    doselectionstatus();
}

void TfrmMain::doselectionstatus() {
    showSiteStatus(ApplicationOptions.UseRotations);
    const bool current = !tsiterecord.key.isEmpty();
    btndeletesite->setEnabled(current);
    btnsiteoptions->setEnabled(current);
    btnedtsite->setEnabled(current);
}

void TfrmMain::changeEvent(QEvent* event) {
    TSiteListForm::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) rereadRotationPosition();
}

void TfrmMain::btnnewsiteClick() {
    const QString key = generatenewsitename();
    if (!addsite(key))
        platform::showWarning(
            "Error encountered creating new site!  Ensure you have write access and sufficient disk space for your "
            "data directory, " + DataDirectory + "!");
    tsiterecord = SiteRecord{};
    loadedRotationPosition_.reset();
    tsiterecord.key = key;
    tsiterecord.Name = "New Site";
    tsiterecord.Path = DataDirectory + key + "/";
    tsiterecord.BaseHTMLName = "Index.html";
    tsiterecord.CurrentRotationPosition = 1;
    tsiterecord.RotationCount = 0;
    if (lbxsites->count() > 0) lbxsites->setCurrentRow(lbxsites->count() - 1);

    TdlgSIteOptions dialog(this);
    // The dialog made no folder when it was cancelled: whatever lies where it suggested is not the
    // new site's, and stays.
    if (dialog.ShowModal() == platform::mrCancel) forgetcurrentsite();
    doselectionstatus();
}

void TfrmMain::btndeletesiteClick() {
    QListWidgetItem* item = lbxsites->currentItem();
    if (!item || !item->isSelected() || item->text() != tsiterecord.key) return;
    if (platform::confirmYesNo("Are you sure you want to delete the current site, " + tsiterecord.Name + "?  \r\n\r\n" +
                               "Note: This will also delete the directory, " + tsiterecord.Path +
                               " and all files that it contains!"))
        deletecurrentsite();
    lbxsitesClick();
}

void TfrmMain::btnsiteoptionsClick() {
    if (lbxsites->selectedItems().isEmpty()) {
        platform::showWarning("You have not selected a site!");
        return;
    }
    {
        // OK stores the site itself; Cancel leaves every stored value as it was.
        TdlgSIteOptions dialog(this);
        dialog.ShowModal();
    }
    doselectionstatus();
}

void TfrmMain::btnedtsiteClick() {
    if (!tsiterecord.key.isEmpty() && !tsiterecord.Path.isEmpty()) {
        dlgEditSite->ShowModal();
        doselectionstatus();
    } else {
        btnsiteoptionsClick();
    }
}

void TfrmMain::btnOptionsClick() {
    TdlgOptions dialog(this);
    dialog.ShowModal();
}

void TfrmMain::btnRotateNowClick() {
    const QString directory = platform::executableDirectory();
    const QString tool = directory + "Spindleway";
    int result = 0;
    try {
        result = ExecuteFile(tool, QString(), QString(), SW_SHOWNORMAL);
    } catch (const std::exception&) {
        result = 0;
    }
    if (result <= 32) platform::messageBox("Could not load " + directory + "Spindleway!");
    doselectionstatus();
}

void TfrmMain::btnaboutClick() {
    TAboutBox about(this);
    about.ShowModal();
}

void TfrmMain::BitBtn1Click() { platform::showHelpContents(); }

void TfrmMain::BitBtn2Click() { close(); }
