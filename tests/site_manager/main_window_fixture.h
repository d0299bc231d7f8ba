#pragma once
// A running site-gallery program for tests: a temporary data directory and the long-lived forms,
// created in the program's order, with the main window shown.
#include "site_manager/application_options.h"
#include "site_manager/builder/build_dialog.h"
#include "site_manager/builder/build_inputs.h"
#include "site_manager/builder/compliance_test_dialog.h"
#include "site_manager/builder/page_buttons.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/main_window.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_record.h"
#include "tests/common/message_responder.h"
#include "tests/common/temp_data_dir.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Puts back the globals a fresh program holds, so that no test sees what another left behind.
inline void resetProgramGlobals() {
    CurrentRotationNumber = -1;
    CurrentRotationStatus = 0;
    NoThumbnailMode = false;
    NoThumbnailPageCount = 0;
    BuildAllMode = false;
    DescriptionIniPath.clear();
    CancelRequested = false;
    TemplateFeatures = TTemplateFeatures{};
    ButtonExtension = QStringLiteral(".gif");
    SupportFiles.clear();
    SupportFileNames.clear();
}

// Runs the built rotation tool from a copy in the data directory, as a scheduler starts it: without
// a display, standing in another folder. Its exit status; its error output into errors.
inline int rotateUnattendedIn(const QString& dataDirectory, const QString& workingDirectory,
                              QString* errors = nullptr) {
    const QString tool = dataDirectory + "Spindleway";
    if (!QFileInfo::exists(tool)) {
        EXPECT_TRUE(QFile::copy(qEnvironmentVariable("LUMENFOLD_BIN_DIR") + "/Spindleway", tool));
    }
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.start(tool, {"/ROTATE"});
    EXPECT_TRUE(process.waitForFinished(60000));
    if (errors) *errors = QString::fromUtf8(process.readAllStandardError());
    return process.exitCode();
}

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest() { resetProgramGlobals(); }

    // Starts the program over the data directory as the files stand now.
    void startProgram() {
        tsiterecord = SiteRecord{};
        ApplicationOptions = TApplicationOptions{};
        main = std::make_unique<TfrmMain>();
        thumbOptions = std::make_unique<TdlgThumbOptions>(main.get());
        editSite = std::make_unique<TdlgEditSite>(main.get());
        dlgThumbOptions = thumbOptions.get();
        dlgEditSite = editSite.get();
        main->show();
    }

    // Closes the main window (writing options.ini) and frees the forms.
    void stopProgram() {
        if (!main) return;
        main->close();
        editSite.reset();
        thumbOptions.reset();
        main.reset();
        dlgThumbOptions = nullptr;
        dlgEditSite = nullptr;
    }

    void TearDown() override { stopProgram(); }

    // Selects the list item of a key as a click would.
    void clickSite(const QString& key) {
        const auto items = main->lbxsites->findItems(key, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << key.toStdString();
        main->lbxsites->setCurrentItem(items.first());
        main->lbxsitesClick();
    }

    QString displayNameAt(int row) const { return main->lbxsitename->item(row)->text(); }

    // Writes the site "Site_1" (Garden) in <data>/site, with no rotations yet and multiple
    // rotations on or off.
    void writeGardenSite(bool rotations) {
        if (rotations) data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
        siteDir = data.path() + "site/";
        QDir().mkpath(siteDir);
        data.write("Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=0\r\n");
    }

    // Starts the program and selects Site_1.
    void startWithGardenSite() {
        startProgram();
        clickSite("Site_1");
    }

    // Opens the site editor, runs the body on it and closes it with its Close button.
    void inEditor(testing_support::MessageScript& script, const std::function<void(TdlgEditSite&)>& body) {
        script.onDialog([body](QDialog& d) {
            auto& editor = dynamic_cast<TdlgEditSite&>(d);
            body(editor);
            QTest::mouseClick(editor.BitBtn2, Qt::LeftButton);
            return d.result();
        });
        main->btnedtsiteClick();
    }

    // Presses Build! in the open editor and starts the build dialog it shows, answering the
    // closing preview question; the hooks look at the dialog before the start and after the build.
    void buildInEditor(testing_support::MessageScript& script, TdlgEditSite& editor,
                       platform::MessageResult preview = platform::MessageResult::No,
                       const std::function<void(TdlgBuildProgress&)>& before = {},
                       const std::function<void(TdlgBuildProgress&)>& after = {}) {
        script.onDialog([&script, preview, before, after](QDialog& d) {
            auto& build = dynamic_cast<TdlgBuildProgress&>(d);
            build.show();
            if (before) before(build);
            script.answer(preview);
            build.btnokClick();
            if (after) after(build);
            return build.result();
        });
        QTest::mouseClick(editor.btnbuild, Qt::LeftButton);
    }

    // Image pages with the navigation bar, and the shipped navigation graphics (from the data
    // directory's navgraph folder) as custom and page buttons.
    void useShippedButtons(TdlgThumbOptions& o) {
        o.chkimagenavigationbar->setChecked(true);
        o.Chkusecustombuttons->setChecked(true);
        o.edtpreviousfile->setText(data.path() + "navgraph/Previous.gif");
        o.edtnextfile->setText(data.path() + "navgraph/Next.gif");
        o.edtindexfile->setText(data.path() + "navgraph/Index.gif");
        o.chkImageButtons->setChecked(true);
        o.edtSelectedImageButton->setText(data.path() + "navgraph/Index.gif");
        o.edtotherImageButton->setText(data.path() + "navgraph/Index.gif");
    }

    testing_support::TempDataDir data;
    std::unique_ptr<TfrmMain> main;
    std::unique_ptr<TdlgThumbOptions> thumbOptions;
    std::unique_ptr<TdlgEditSite> editSite;
    QString siteDir;  // set by writeGardenSite
};
