#include "site_manager/site_options_dialog.h"

#include "components/folder_dialog.h"
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/help.h"
#include "platform/typed_file_name_combo.h"
#include "site_manager/application_options.h"
#include "site_manager/file_helpers.h"
#include "site_manager/folder_owners.h"
#include "site_manager/main_window.h"
#include "site_manager/rotation_store.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <exception>
#include <stdexcept>

TdlgSIteOptions::TdlgSIteOptions(QWidget* parent) : platform::ModalDialog(parent) {
    setPlacement(platform::WindowPlacement::CentreOnScreen);
    setWindowTitle("Site Options");
    edtname = new QLineEdit;
    edtname->setToolTip("Enter a name for this site");
    edtpath = new QLineEdit;
    edtpath->setToolTip("Specify the directory where the site should be created on your system");
    BitBtn4 = new QPushButton("Browse..");
    BitBtn4->setToolTip("Browse for a directory where the site should be created on your system");
    edtBaseHTMLName = new QComboBox;
    edtBaseHTMLName->setEditable(true);
    platform::keepTypedFileName(edtBaseHTMLName);
    edtBaseHTMLName->addItems({"Index.htm", "Index.html", "Default.htm", "Default.html"});
    chkSpindleway = new QCheckBox("Add this site to Spindleway.exe's rotation schedule");
    chkSpindleway->setToolTip(
        "If you want this site to be automatically update with the new content every time you run Spindleway.exe "
        "then check this option");
    Label7 = new QLabel("Copy the rotation to:");
    Label8 = new QLabel(
        "(This is the location on your computer where the files reside when they are live or where they are stored "
        "before FTP'ing)");
    Label8->setWordWrap(true);
    edtlivepath = new QLineEdit;
    edtlivepath->setToolTip("Specify the directory on your computer where the new rotation should be copied to make it live");
    btnBrowseSite = new QPushButton("Browse..");
    btnBrowseSite->setToolTip("Browser for a directory on your computer where the new rotation should be copied to make it live");
    Label2 = new QLabel("Next Rotation to copy:");
    spnrotpos = new QSpinBox;
    spnrotpos->setRange(1, 99999);
    spnrotpos->setToolTip(
        "This value specifies the rotation number that will be copied across when Spindleway.exe is next run.  If "
        "the value exceeds the number of sites created then the first site will be copied across instead");
    BitBtn1 = new QPushButton("OK");
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton("Cancel");
    BitBtn3 = new QPushButton("Help");
    dlgFolder = new TFolderDialog(this);
    dlgFolder->setTitle("Browse for Folder");
    dlgFolder->setTop(32);
    dlgFolder->setLeft(368);

    for (QWidget* w : std::initializer_list<QWidget*>{edtlivepath, btnBrowseSite, spnrotpos, Label7, Label8, Label2})
        w->setEnabled(false);

    auto* form = new QGridLayout;
    form->addWidget(new QLabel("Site Name:"), 0, 0);
    form->addWidget(edtname, 0, 1, 1, 2);
    form->addWidget(new QLabel("Site creation location:"), 1, 0);
    form->addWidget(edtpath, 1, 1);
    form->addWidget(BitBtn4, 1, 2);
    form->addWidget(new QLabel("Name of first HTML page:"), 2, 0);
    form->addWidget(edtBaseHTMLName, 2, 1, 1, 2);

    auto* rotation = new QGroupBox("Auto Rotation");
    auto* rotationLayout = new QGridLayout(rotation);
    auto* about = new QLabel(
        "Lumenfold Pro can create multiple rotations (versions) of your site so you can regularly update your site "
        "content.  Running Spindleway.exe from your scheduling program will automatically update the content of "
        "your site with the next rotation.");
    about->setWordWrap(true);
    rotationLayout->addWidget(about, 0, 0, 1, 3);
    rotationLayout->addWidget(chkSpindleway, 1, 0, 1, 3);
    rotationLayout->addWidget(Label7, 2, 0);
    rotationLayout->addWidget(edtlivepath, 2, 1);
    rotationLayout->addWidget(btnBrowseSite, 2, 2);
    rotationLayout->addWidget(Label8, 3, 0, 1, 3);
    rotationLayout->addWidget(Label2, 4, 0);
    rotationLayout->addWidget(spnrotpos, 4, 1);

    QHBoxLayout* buttons = buttonRow({BitBtn1, BitBtn2, BitBtn3});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(rotation);
    layout->addLayout(buttons);

    connect(chkSpindleway, &QCheckBox::toggled, this, [this] { chkSpindlewayClick(); });
    connect(btnBrowseSite, &QPushButton::clicked, this, [this] { btnBrowseSiteClick(); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(platform::mrCancel); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
}

void TdlgSIteOptions::FormShow() {
    edtname->setText(tsiterecord.Name);
    edtpath->setText(tsiterecord.Path);
    edtlivepath->setText(tsiterecord.LivePath);
    chkSpindleway->setChecked(tsiterecord.AutoRotate);  // a change runs chkSpindlewayClick
    edtBaseHTMLName->setCurrentText(tsiterecord.BaseHTMLName);
    spnrotpos->setValue(tsiterecord.CurrentRotationPosition);
}

void TdlgSIteOptions::chkSpindlewayClick() {
    if (chkSpindleway->isChecked() && !ApplicationOptions.UseRotations) {
        platform::showInformation("You have disabled support for multiple rotations under options");
        chkSpindleway->setChecked(false);
    }
    const bool on = chkSpindleway->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{edtlivepath, btnBrowseSite, Label7, Label8, spnrotpos, Label2})
        w->setEnabled(on);
}

// The browser opens at the folder typed so far (or the nearest one of it that exists); with
// nothing typed, at the folder chosen last.
void TdlgSIteOptions::browseInto(QLineEdit* edit) {
    if (!edit->text().trimmed().isEmpty()) dlgFolder->setDirectory(edit->text().trimmed());
    if (dlgFolder->Execute()) edit->setText(dlgFolder->Directory());
}

void TdlgSIteOptions::btnBrowseSiteClick() { browseInto(edtlivepath); }

void TdlgSIteOptions::BitBtn4Click() { browseInto(edtpath); }

void TdlgSIteOptions::BitBtn1Click() {
    if (edtname->text().isEmpty()) {
        platform::showInformation("You have not entered a site name!");
        return;
    }
    const QString path = edtpath->text();
    if (path.isEmpty()) {
        platform::showInformation("You have not entered a directory for this site!");
        return;
    }
    if (chkSpindleway->isChecked() && edtlivepath->text().isEmpty()) {
        platform::showInformation(
            "You have elected to automatically rotate this site, but have not entered a destination directory!");
        return;
    }
    // Neither the site's files nor what goes live may land on files that are not the site's own.
    const FolderOwners owners = FolderOwners::read();
    if (chkSpindleway->isChecked()) {
        const QByteArray live = QFile::encodeName(fixpath(edtlivepath->text(), true));
        const QList<SiteRotationDirectory> rotations = listedRotationDirectories(tsiterecord.key, path);
        const QList<QByteArray> written = foldersWrittenUnderLiveDirectory(live, rotations);
        // Going live into a folder a rotation publishes from would overwrite that rotation's files.
        if (const auto overwritten = rotationFolderWrittenInto(live, written, rotations)) {
            platform::showInformation("Copying the rotation to " + edtlivepath->text() +
                                      " would overwrite the files of rotation " +
                                      QString::number(overwritten->rotation) + " in " +
                                      QFile::decodeName(overwritten->folder) + "!  Please choose another directory.");
            return;
        }
        if (const auto owner = owners.otherOwnerWrittenInto(written, tsiterecord.key)) {
            platform::showInformation("Copying the rotation to " + edtlivepath->text() +
                                      " would overwrite the files of " + describeOwner(*owner) + " in " +
                                      owner->folder + "!  Please choose another directory.");
            return;
        }
    }
    // Nor may the site folder take another site's folders in with everything in it.
    std::optional<OwnedFolder> owner = owners.otherOwnerOfSiteFiles(path, tsiterecord.key);
    if (!owner) owner = owners.otherSitesFolderHeldBy(path, tsiterecord.key);
    if (owner) {
        platform::showInformation("Keeping this site in " + path + " would overwrite the files of " +
                                  describeOwner(*owner) + " in " + owner->folder +
                                  "!  Please choose another directory.");
        return;
    }
    // A relative folder lies in the data directory, wherever the program stands.
    if (!platform::directoryExists(fixpath(path, true))) {
        if (!platform::confirmYesNo("The directory, " + path + ", does not exist.  Would you like to create it?"))
            return;
        if (!createnewdirectory(path)) {
            platform::showWarning("An error was encountered creating the directory ," + path + "!");
            return;
        }
    }
    try {
        tsiterecord.Name = edtname->text();
        tsiterecord.Path = path;
        tsiterecord.LivePath = edtlivepath->text();
        tsiterecord.AutoRotate = chkSpindleway->isChecked();
        QString first = edtBaseHTMLName->currentText();
        if (first.isEmpty()) first = "Index.html";
        else if (QFileInfo(first).suffix().isEmpty()) first += ".html";
        edtBaseHTMLName->setCurrentText(first);
        tsiterecord.BaseHTMLName = first;
        tsiterecord.CurrentRotationPosition = spnrotpos->value();
        const bool saved = frmMain->savecurrentsite();
        frmMain->rebuildSiteNameList();
        if (!saved) throw std::runtime_error("site file not written");
    } catch (const std::exception&) {
        // The record goes back to what the site file holds, so that no later save of it (the site
        // editor's close) stores what the user is told here was not saved.
        frmMain->loadsite(tsiterecord.key);
        platform::showWarning("An error was encountered saving your option changes!");
    }
    done(platform::mrOk);
}

void TdlgSIteOptions::BitBtn3Click() { platform::showHelpContext(26); }
