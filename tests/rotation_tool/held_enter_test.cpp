// Return held down presses once, in both programs: the desktop's repeats of the key press nothing,
// whichever button has the focus, and a question the first press asks is not asked again. In a
// text editor each repeat still types a line break.
#include "site_manager/builder/header_footer_editor_composer.h"
#include "site_manager/builder/header_footer_editor_list.h"
#include "site_manager/builder/html_editor.h"
#include "site_manager/site_paths.h"
#include "tests/common/list_gestures.h"
#include "tests/rotation_tool/rotation_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

// One press, three repeats and the release, each to the widget that has the focus then.
void holdReturn(QWidget* focused) {
    QWidget* window = focused->window();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    focused->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), focused);
    const auto send = [focused](QEvent::Type type, bool repeat) {
        QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, "\r", repeat);
        QWidget* receiver = QApplication::focusWidget();
        QApplication::sendEvent(receiver ? receiver : focused, &key);
    };
    for (const bool repeat : {false, true, true, true}) send(QEvent::KeyPress, repeat);
    send(QEvent::KeyRelease, false);
}

class HeldEnterTest : public RotationToolTest {
protected:
    void TearDown() override {
        DataDirectory = savedDataDirectory;
        RotationToolTest::TearDown();
    }
    QString savedDataDirectory = DataDirectory;
};

}  // namespace

TEST_F(HeldEnterTest, AHeldReturnPressesTheFocusedButtonOnce) {
    const QString noSite = "You have not selected a site!";
    const QString clearAll = "Are you sure you want to clear all your entries?";
    const struct {
        const char* name;
        // Sets up, holds Return on the widget the case is about and says how often its action ran.
        std::function<int(MessageScript&)> holdAndCount;
        int runs;
        QStringList boxes;  // what the first press asks or tells, each once
    } cases[] = {
        {"Spindleway: Rotate Current focused, a site highlighted",
         [this](MessageScript& script) {
             addSite("Site_1", "Garden", 5, 1);
             for (int n = 1; n <= 5; ++n) addRotation("Site_1", n);
             startTool();
             testing_support::gesture(main->lbxsites, "0");
             script.onDialog([](QDialog&) { return int(platform::mrOk); });  // the log
             holdReturn(main->btnRotateCurrent);
             EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 1");
             return storedPosition("Site_1") - 1;  // each rotation moves the stored position on
         },
         1,
         {}},
        {"Spindleway: Rotate Current focused, no site highlighted",
         [this, noSite](MessageScript& script) {
             addSite("Site_1", "Garden", 1, 1);
             addRotation("Site_1", 1);
             startTool();
             script.answer(MessageResult::OK);
             holdReturn(main->btnRotateCurrent);
             return int(script.texts().count(noSite));
         },
         1,
         {noSite}},
        {"Lumenfold: Clear All of the header list editor, answered No",
         [this, clearAll](MessageScript& script) {
             DataDirectory = data.path();
             tsiterecord = SiteRecord{};
             tsiterecord.key = "Site_4";
             TdlgNewHeaderFooter composer;
             TdlgHeaderFooter list(composer);
             list.chkisheader->setChecked(true);
             int entriesLeft = -1;
             script.answer(MessageResult::No);
             script.onDialog([&](QDialog&) {
                 list.lbxheaders->addItems({"<p>one</p>", "<p>two</p>"});
                 list.lbxheadersClick();
                 holdReturn(list.btnclearall);
                 entriesLeft = list.lbxheaders->count();
                 return int(platform::mrCancel);
             });
             list.ShowModal();
             EXPECT_EQ(entriesLeft, 2);  // only the user's answer counts
             return int(script.texts().count(clearAll));
         },
         1,
         {clearAll}},
        {"Lumenfold: the HTML editor types a line break for the press and for each repeat",
         [](MessageScript& script) {
             TfrmRichEdit editor;
             QString typed;
             script.onDialog([&](QDialog&) {
                 holdReturn(editor.Editor);
                 typed = editor.Editor->toPlainText();
                 EXPECT_EQ(editor.result(), platform::mrNone);  // OK was not pressed
                 return int(platform::mrCancel);
             });
             editor.ShowModal();
             return int(typed.count('\n'));
         },
         4,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MessageScript script;
        EXPECT_EQ(c.holdAndCount(script), c.runs);
        EXPECT_EQ(script.texts(), c.boxes);
        EXPECT_LE(script.dialogsShown(), 1);
        main.reset();
    }
}
