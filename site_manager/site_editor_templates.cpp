// The site editor's templates, header and footer, the checks before a build, Build All and the
// preview of the built site.
#include "components/file_list_box.h"
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/hourglass.h"
#include "platform/shell_open.h"
#include "site_manager/builder/build_dialog.h"
#include "site_manager/builder/build_inputs.h"
#include "site_manager/builder/compliance_test_dialog.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/builder/header_footer_editor.h"
#include "site_manager/main_window.h"
#include "site_manager/rotation_store.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"


#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <algorithm>

using platform::MessageKind;

namespace {

bool missingFile(const QString& fileName) { return fileName.isEmpty() || !platform::fileExists(fileName); }

// The HTML open dialog of the editor; empty when cancelled.
QString chooseHtmlFile(QWidget* owner) {
    return platform::openFileName(owner, "Please select an HTML File", "HTML Files (*.htm *.html)");
}

// Adds the files a tested template refers to, relative to the template's directory.
void addSupportFiles(const TdlgStyle& style, const QString& templateFile) {
    const QString directory = fixpath(QFileInfo(templateFile).absolutePath(), true);
    for (const QString& line : style.requiredFiles()) {
        SupportFileNames << line.toUpper();
        SupportFiles << directory + line;
    }
}

}  // namespace

void TdlgEditSite::seedTemplateList() {
    if (cmbstyle->count() == 0) {
        for (const char* name : {"Styles/Sample_With_Index.htm", "Styles/Sample_No_Index.htm",
                                 "Styles/Blue_Border_With_Index.htm"}) {
            const QString file = DataDirectory + name;
            if (platform::fileExists(file)) cmbstyle->addItem(file);
        }
    }
    sortTemplateList();
}

void TdlgEditSite::sortTemplateList() {
    const QString current = cmbstyle->currentText();
    QStringList items;
    for (int i = 0; i < cmbstyle->count(); ++i) items << cmbstyle->itemText(i);
    QStringList sorted = items;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    if (sorted == items) return;
    const QSignalBlocker blocker(cmbstyle);  // the text stays; only the order of the items changes
    cmbstyle->clear();
    cmbstyle->addItems(sorted);
    cmbstyle->setCurrentIndex(cmbstyle->findText(current, Qt::MatchExactly | Qt::MatchCaseSensitive));
    cmbstyle->setEditText(current);
}

void TdlgEditSite::cmbstyleChange() {
    const bool any = !cmbstyle->currentText().isEmpty();
    btnteststyle->setEnabled(any);
    btnviewhtml->setEnabled(any);
}

void TdlgEditSite::cmbstyleExit() {
    addtexttocombolist(cmbstyle);
    sortTemplateList();
}

void TdlgEditSite::addtexttocombolist(QComboBox* combo) {
    const QString text = combo->currentText();
    // Exact: a path that differs from an item only in case names another file here.
    if (text.isEmpty() || combo->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive) >= 0) return;
    combo->addItem(text);
    combo->setCurrentText(text);
}

void TdlgEditSite::btnnewstyleClick() {
    const QString file = chooseHtmlFile(this);
    if (file.isEmpty()) return;
    TdlgStyle style(this);
    style.TestCompliancy(file, true);
    if (style.ShowModal() == platform::mrOk) cmbstyle->setCurrentText(file);
}

void TdlgEditSite::btnteststyleClick() {
    const QString file = cmbstyle->currentText();
    if (file.isEmpty()) return;
    {
        TdlgStyle style(this);
        style.TestCompliancy(file, true);
        style.ShowModal();
    }
    btnteststyle->setEnabled(false);
}

void TdlgEditSite::cmbHeaderChange() {
    btneditheader->setEnabled(cmbHeader->currentIndex() > 0);
    btneditfooter->setEnabled(cmbFooter->currentIndex() > 0);
}

void TdlgEditSite::btneditheaderClick(QPushButton* sender) {
    const bool header = sender == btneditheader;
    const int choice = (header ? cmbHeader : cmbFooter)->currentIndex();
    if (choice < 1) return;
    editHeaderOrFooter(this, header,
                       choice == 1 ? HeaderFooterChoice::SameOnAllPages : HeaderFooterChoice::DifferentOnEachPage,
                       header ? edtheaderhtml : edtfooterhtml, header ? edtheaderfile : edtfooterfile);
}

void TdlgEditSite::btnThumbnailOptionsClick() {
    if (dlgThumbOptions) dlgThumbOptions->ShowModal();
}

void TdlgEditSite::btnbuildClick(QObject* sender) {
    if (refuseUnlocatedRotation()) return;
    DescriptionIniPath.clear();
    FileBox->Update();
    NoThumbnailMode = false;
    if (sender == btnbuild) BuildAllMode = false;
    dlgThumbOptions->SetDefaultValues();

    const QString thumbnailTemplate = cmbstyle->currentText();
    const QString imageTemplate = dlgThumbOptions->cmbimagestyle->currentText();
    const bool imagePages = dlgThumbOptions->rdbHTMLImageWindow->isChecked();
    if (missingFile(thumbnailTemplate)) {
        platform::showInformation("You have not specified a HTML template file for your thumbnail page or the file "
                                  "cannot be located!");
        return;
    }
    if (imagePages && missingFile(imageTemplate)) {
        platform::showInformation("You have not specified a HTML template file for your image display page or the "
                                  "file cannot be located!");
        return;
    }
    if (dlgThumbOptions->rdbshowdescription->isChecked() && missingFile(dlgThumbOptions->edtdescripfile->text())) {
        platform::showWarning("You have elected to show descriptions for your thumbnails, however you have not "
                              "specified a description file or the file cannot be located!");
        return;
    }
    if (cmbHeader->currentIndex() == 1 && edtheaderhtml->text().isEmpty()) {
        platform::showInformation("You have elected to insert a header, but have not provided any HTML!");
        return;
    }
    if (cmbHeader->currentIndex() == 2 && missingFile(edtheaderfile->text())) {
        platform::showWarning("You have elected to insert custom headers, but you have not specified a file to use "
                              "or the file cannot be located!");
        return;
    }
    if (cmbFooter->currentIndex() == 1 && edtfooterhtml->text().isEmpty()) {
        platform::showInformation("You have elected to insert a footer, but have not provided any HTML!");
        return;
    }
    if (cmbFooter->currentIndex() == 2 && missingFile(edtfooterfile->text())) {
        platform::showWarning("You have elected to insert custom footers, but you have not specified a file to use "
                              "or the file cannot be located!");
        return;
    }
    if (FileBox->count() == 0) {
        if (!platform::confirmYesNo("The current Site or Rotation does not contain any images!  Do you want to "
                                    "create a site without thumbnails?"))
            return;
        QInputDialog input(this);
        input.setWindowTitle("Number of Pages");
        input.setLabelText("How many pages should be inserted into your site?");
        input.setTextValue("10");
        if (platform::showModal(input) != QDialog::Accepted) return;
        bool ok = false;
        const int pages = input.textValue().trimmed().toInt(&ok);
        if (!ok || pages <= 0) {
            platform::showWarning("You failed to enter a valid number");
            return;
        }
        NoThumbnailPageCount = pages;
        NoThumbnailMode = true;
    }

    SupportFiles.clear();
    SupportFileNames.clear();
    if (dlgThumbOptions->Chkusecustombuttons->isChecked()) {
        for (QLineEdit* edit : {dlgThumbOptions->edtnextfile, dlgThumbOptions->edtpreviousfile,
                                dlgThumbOptions->edtindexfile}) {
            SupportFileNames << QFileInfo(edit->text()).fileName().toUpper();
            SupportFiles << edit->text();
        }
    }

    {
        TdlgStyle style(this);
        if (!style.TestCompliancy(thumbnailTemplate, true)) {
            platform::showWarning("The HTML Template file, " + thumbnailTemplate +
                                  ", has failed the compliancy test.  Please use 'Test Compliance' to review and "
                                  "correct the problems!");
            Displaycurrentstatus();
            return;
        }
        addSupportFiles(style, thumbnailTemplate);
        if (imagePages) {
            if (!style.TestCompliancy(imageTemplate, false)) {
                platform::showWarning("The HTML Template file for your image pages, " + imageTemplate +
                                      ", has failed the compliancy test.  Please use 'Test Compliance' to review and "
                                      "correct the problems.");
                Displaycurrentstatus();
                return;
            }
            addSupportFiles(style, imageTemplate);
        }
    }
    Displaycurrentstatus();

    {
        TdlgBuildProgress build(this);
        build.ShowModal();
    }
    Displaycurrentstatus();
    if (sender == btnbuild) {
        const int row = lbxrotations->currentRow();
        loadrotationlist(tsiterecord.key, lbxrotations);
        lbxrotations->setCurrentRow(row);
    }
}

void TdlgEditSite::btnBuildAllClick() {
    if (refuseUnlocatedRotation()) return;
    platform::Hourglass hourglass;
    BuildAllMode = true;
    for (int i = 0; i < lbxrotations->count(); ++i) {
        lbxrotations->setCurrentRow(i);
        lbxrotationsClick();
        // A rotation that could not be loaded is not built (the one still loaded is another): the
        // line its click gave is told like any refused build.
        if (CurrentRotationNumber != i + 1)
            platform::showInformation(lblstatus->text());
        else
            btnbuildClick(nullptr);
    }
    BuildAllMode = false;
    loadrotationlist(tsiterecord.key, lbxrotations);
    highlightCurrentRotation();
}

void TdlgEditSite::btnpreviewClick(QObject* sender) {
    if (sender != btnviewhtml && refuseUnlocatedRotation()) return;
    // withExistingCase: a build with the lower-case option writes the first page in lower case.
    const QString file = sender == btnviewhtml
                             ? cmbstyle->currentText()
                             : withExistingCase(fixpath(edtrotationdirectory->text(), true) + tsiterecord.BaseHTMLName);
    // Opened as a document whatever its permissions, and a failing opener is reported: a click
    // that silently does nothing looks like a broken button.
    if (!file.isEmpty()) platform::openDocumentReported(file);
}
