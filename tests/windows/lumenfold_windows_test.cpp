// Every window of Lumenfold on a 1024 x 600 screen, and the two header/footer editors, which open
// at a size that gives every control its size hint, the same each time.
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
#include "tests/windows/help_checks.h"
#include "tests/windows/window_checks.h"

#include <QCheckBox>
#include <QTabWidget>

using testing_support::Centred;

namespace {

class LumenfoldWindows : public MainWindowTest {
protected:
    void SetUp() override {
        writeGardenSite(true);
        testing_support::copyHelpFileTo(data.path());
        startWithGardenSite();
    }
};

struct WindowCase {
    const char* name;
    Centred centred;
    std::function<QWidget*(TfrmMain& main, std::vector<std::unique_ptr<QWidget>>& owned)> open;
};

template <typename Window, typename... Args>
QWidget* make(std::vector<std::unique_ptr<QWidget>>& owned, Args&&... args) {
    owned.push_back(std::make_unique<Window>(std::forward<Args>(args)...));
    return owned.back().get();
}

}  // namespace

TEST_F(LumenfoldWindows, EveryWindowFitsTheScreen) {
    auto composer = std::make_unique<TdlgNewHeaderFooter>(main.get());
    const WindowCase cases[] = {
        {"lumenfold_main", Centred::Yes, [](TfrmMain& m, auto&) { return &m; }},
        {"options", Centred::Yes, [](TfrmMain& m, auto& o) { return make<TdlgOptions>(o, &m); }},
        {"site_options", Centred::Yes, [](TfrmMain& m, auto& o) { return make<TdlgSIteOptions>(o, &m); }},
        {"about", Centred::Yes, [](TfrmMain& m, auto& o) { return make<TAboutBox>(o, &m); }},
        {"site_editor", Centred::Yes, [](TfrmMain&, auto&) { return dlgEditSite; }},
        {"add_images", Centred::No, [](TfrmMain& m, auto& o) { return make<TdlgAddImages>(o, &m); }},
        {"copy_settings", Centred::Yes, [](TfrmMain& m, auto& o) { return make<TdlgCopySettings>(o, &m); }},
        {"layout_settings", Centred::No, [](TfrmMain&, auto&) { return dlgThumbOptions; }},
        {"compliance_test", Centred::No, [](TfrmMain& m, auto& o) { return make<TdlgStyle>(o, &m); }},
        {"build", Centred::No, [](TfrmMain& m, auto& o) { return make<TdlgBuildProgress>(o, &m); }},
        {"html_editor", Centred::Yes, [](TfrmMain& m, auto& o) { return make<TfrmRichEdit>(o, &m); }},
        {"header_composer", Centred::No, [&](TfrmMain&, auto&) { return composer.get(); }},
        {"header_list", Centred::No,
         [&](TfrmMain& m, auto& o) { return make<TdlgHeaderFooter>(o, *composer, &m); }},
        {"open_image", Centred::No, [](TfrmMain& m, auto& o) { return make<TPGOpenDialog>(o, &m); }},
        {"browse_folder", Centred::No, [](TfrmMain& m, auto& o) { return make<TFolderBrowseWindow>(o, &m); }},
        {"item_properties", Centred::No,
         [this](TfrmMain& m, auto& o) {
             return make<TItemPropertiesDialog>(o, platform::shell::itemForPath(data.path()), &m);
         }},
    };
    for (const WindowCase& c : cases) {
        std::vector<std::unique_ptr<QWidget>> owned;
        QWidget* window = c.open(*main, owned);
        window->show();
        testing_support::expectFitsScreen(*window, c.name, c.centred);
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
            QApplication::processEvents();
            testing_support::expectControlsAtSizeHint(*dialog, dialog->windowTitle());
            if (first.isEmpty()) first = dialog->size();
            EXPECT_EQ(dialog->size(), first) << dialog->windowTitle().toStdString();
            dialog->hide();
        }
    }
}

TEST_F(LumenfoldWindows, EveryHelpButtonOpensTheHtmlHelpAtTheTopicOfItsWindow) {
    testing_support::OpenedHelp help;
    TdlgOptions options(main.get());
    TdlgSIteOptions siteOptions(main.get());
    TdlgNewHeaderFooter composer(main.get());
    TdlgHeaderFooter list(composer, main.get());
    TdlgStyle compliance(main.get());
    TdlgBuildProgress build(main.get());
    const std::pair<QPushButton*, int> buttons[] = {
        {main->BitBtn1, 0},         {options.BitBtn3, 25}, {siteOptions.BitBtn3, 26}, {dlgEditSite->BitBtn1, 27},
        {list.BitBtn2, 28},         {composer.BitBtn3, 29}, {compliance.BitBtn3, 56}, {build.BitBtn1, 38},
    };
    for (const auto& [button, context] : buttons) {
        button->click();
        help.expectTopic(context, button->window()->metaObject()->className());
    }
    const int pageContexts[] = {31, 32, 32, 33, 34, 36};
    ASSERT_EQ(dlgThumbOptions->PageControl1->count(), 6);
    for (int page = 0; page < 6; ++page) {
        dlgThumbOptions->PageControl1->setCurrentIndex(page);
        dlgThumbOptions->btnHelp->click();
        help.expectTopic(pageContexts[page], "layout settings page " + std::to_string(page));
    }
}

TEST_F(LumenfoldWindows, HelpThatCannotBeOpenedSaysSo) {
    platform::setDocumentOpenerForTesting([](const QString&) { return false; });
    testing_support::MessageScript script;
    script.answer(platform::MessageResult::OK);
    main->BitBtn1->click();
    ASSERT_EQ(script.texts().size(), 1);
    EXPECT_TRUE(script.lastText().contains(platform::helpFile())) << script.lastText().toStdString();
    EXPECT_EQ(script.requests().back().kind, platform::MessageKind::Warning);
    platform::setDocumentOpenerForTesting([](const QString&) { return true; });
}
