// Lumenfold's windows on a 1024 x 600 screen, and their Help buttons.
#include "components/folder_browse_window.h"
#include "components/item_properties_dialog.h"
#include "imaging/open_dialog.h"
#include "platform/shell_namespace.h"
#include "site_manager/about_box.h"
#include "site_manager/add_images_dialog.h"
#include "site_manager/builder/header_footer_editor_composer.h"
#include "site_manager/builder/header_footer_editor_list.h"
#include "site_manager/builder/html_editor.h"
#include "site_manager/copy_settings_dialog.h"
#include "site_manager/options_dialog.h"
#include "site_manager/site_options_dialog.h"
#include "tests/site_manager/main_window_fixture.h"
#include "tests/windows/window_checks.h"

#include <QCheckBox>
#include <QLabel>
#include <QTabWidget>

// The dialogs with a Help button, each made once for a test.
struct HelpDialogs {
    explicit HelpDialogs(QWidget* parent)
        : options(parent), siteOptions(parent), compliance(parent), build(parent), composer(parent),
          list(composer, parent) {}
    TdlgOptions options;
    TdlgSIteOptions siteOptions;
    TdlgStyle compliance;
    TdlgBuildProgress build;
    TdlgNewHeaderFooter composer;
    TdlgHeaderFooter list;
};

class LumenfoldWindows : public MainWindowTest {
protected:
    void SetUp() override {
        writeGardenSite(true);
        testing_support::copyHelpFileTo(data.path());
        startWithGardenSite();
    }
};

TEST_F(LumenfoldWindows, EveryWindowFitsTheScreen) {
    HelpDialogs d(main.get());
    TAboutBox about(main.get());
    TdlgAddImages addImages(main.get());
    TdlgCopySettings copySettings(main.get());
    TfrmRichEdit htmlEditor(main.get());
    TPGOpenDialog openImage(main.get());
    TFolderBrowseWindow browseFolder(main.get());
    TItemPropertiesDialog properties(platform::shell::itemForPath(data.path()), main.get());
    const std::tuple<const char*, QWidget*, bool> windows[] = {
        {"lumenfold_main", main.get(), true}, {"options", &d.options, true}, {"site_options", &d.siteOptions, true},
        {"about", &about, true},              {"site_editor", dlgEditSite, true}, {"add_images", &addImages, false},
        {"copy_settings", &copySettings, true}, {"layout_settings", dlgThumbOptions, false},
        {"compliance_test", &d.compliance, false}, {"build", &d.build, false}, {"html_editor", &htmlEditor, true},
        {"header_composer", &d.composer, false}, {"header_list", &d.list, false}, {"open_image", &openImage, false},
        {"browse_folder", &browseFolder, false}, {"item_properties", &properties, false},
    };
    for (const auto& [name, window, centred] : windows) {
        window->show();
        testing_support::expectFitsScreen(*window, name, centred);
        if (window != main.get()) window->hide();
    }
}

TEST_F(LumenfoldWindows, HeaderAndFooterEditorsGiveEveryControlItsSizeHintEachTime) {
    TdlgNewHeaderFooter composer(main.get());
    TdlgHeaderFooter list(composer, main.get());
    const std::pair<QWidget*, QCheckBox*> dialogs[] = {{&composer, composer.chkisheader}, {&list, list.chkisheader}};
    for (const auto& [dialog, isHeader] : dialogs) {
        QSize first;
        for (bool header : {true, false, true}) {
            isHeader->setChecked(header);
            dialog->show();
            testing_support::expectFitsScreen(*dialog, "header_footer", false, /*wholeHints=*/true);
            if (first.isEmpty()) first = dialog->size();
            EXPECT_EQ(dialog->size(), first) << dialog->windowTitle().toStdString();
            dialog->hide();
        }
    }
}

TEST_F(LumenfoldWindows, EveryHelpButtonOpensTheHtmlHelpAtTheTopicOfItsWindow) {
    testing_support::OpenedHelp help;
    HelpDialogs d(main.get());
    const std::pair<QPushButton*, const char*> buttons[] = {
        {main->BitBtn1, "Lumenfold Pro Help"},
        {d.options.BitBtn3, "Options"},
        {d.siteOptions.BitBtn3, "Site Options"},
        {dlgEditSite->BitBtn1, "Edit Site"},
        {d.list.BitBtn2, "Header and footer lists"},
        {d.composer.BitBtn3, "Editing a header or footer"},
        {d.compliance.BitBtn3, "HTML Compliance"},
        {d.build.BitBtn1, "Build Site"},
    };
    for (const auto& [button, heading] : buttons) {
        button->click();
        help.expectTopic(heading, button->window()->metaObject()->className());
    }
    const char* pageTopics[] = {"Settings: Thumbnails", "Settings: Page Index and Page Index 2",
                                "Settings: Page Index and Page Index 2", "Settings: Image Display",
                                "Settings: Page Text", "Settings: Other"};
    ASSERT_EQ(dlgThumbOptions->PageControl1->count(), 6);
    for (int page = 0; page < 6; ++page) {
        dlgThumbOptions->PageControl1->setCurrentIndex(page);
        dlgThumbOptions->btnHelp->click();
        help.expectTopic(pageTopics[page], "layout settings page " + std::to_string(page));
    }

    platform::setDocumentOpenerForTesting([](const QString&) { return false; });  // no browser
    testing_support::MessageScript script;
    script.answer(platform::MessageResult::OK);
    main->BitBtn1->click();
    ASSERT_EQ(script.texts().size(), 1);
    EXPECT_TRUE(script.lastText().contains(platform::helpFile())) << script.lastText().toStdString();
    EXPECT_EQ(script.requests().back().kind, platform::MessageKind::Warning);
}

void PrintTo(const QSize& size, std::ostream* os) { *os << size.width() << "x" << size.height(); }

// The editor's size does not follow what it happens to show: a rotation whose directory is gone
// (no group caption, a long error line) or one that is found, opened in either order.
TEST_F(LumenfoldWindows, TheSiteEditorOpensAtOneSizeEachTime) {
    data.write("Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=1\r\n"
                             "[Rotation_1]\r\nRotation_Path=%\\site\\Rotation_1\\\r\n");
    stopProgram();
    startWithGardenSite();
    const QString rotation = siteDir + "Rotation_1";
    const std::pair<const char*, bool> openings[] = {{"missing", false}, {"found", true}, {"missing_again", false}};
    QSize first;
    for (const auto& [name, found] : openings) {
        if (found)
            ASSERT_TRUE(QDir().mkpath(rotation));
        else
            ASSERT_TRUE(QDir(rotation).removeRecursively());
        testing_support::MessageScript script;
        script.onDialog([&](QDialog& editor) {
            EXPECT_EQ(dlgEditSite->lblstatus->text().startsWith("Error!"), !found) << name;
            testing_support::expectFitsScreen(editor, std::string("site_editor_") + name, true);
            if (first.isEmpty()) first = editor.size();
            EXPECT_EQ(editor.size(), first) << name;
            QTest::mouseClick(dlgEditSite->BitBtn2, Qt::LeftButton);
            return editor.result();
        });
        QTest::mouseClick(main->btnedtsite, Qt::LeftButton);
        EXPECT_EQ(script.dialogsShown(), 1) << name;
    }
}
