// Return held down presses once, in both programs, whatever has the focus: its repeats press
// nothing and answer nothing. In a text editor each repeat still types a line break.
#include "site_manager/builder/header_footer_editor_composer.h"
#include "site_manager/builder/header_footer_editor_list.h"
#include "site_manager/builder/html_editor.h"
#include "tests/common/list_gestures.h"
#include "tests/rotation_tool/rotation_fixture.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <functional>

using testing_support::MessageScript;

namespace {

// One press, three repeats and the release, through the window as the desktop delivers them: to
// the widget that has the focus.
void holdReturn(QWidget* focused) {
    QWindow* window = focused->window()->windowHandle();
    focused->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    focused->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), focused);
    for (const bool repeat : {false, true, true, true})
        QTest::simulateEvent(window, true, Qt::Key_Return, Qt::NoModifier, "\r", repeat);
    QTest::simulateEvent(window, false, Qt::Key_Return, Qt::NoModifier, "\r", false);
}

}  // namespace

TEST_F(RotationToolTest, AHeldReturnActsOnce) {
    const QString noSite = "You have not selected a site!";
    const QString clearAll = "Are you sure you want to clear all your entries?";
    const struct {
        const char* name;
        std::function<int(MessageScript&)> holdAndCount;  // how often the focused widget acted
        int acts;
        QStringList boxes;  // each asked or told once
    } cases[] = {
        {"Spindleway: Rotate Current, a site highlighted",
         [this](MessageScript& script) {
             addSite("Site_1", "Garden", 5, 1);
             for (int n = 1; n <= 5; ++n) addRotation("Site_1", n);
             startTool();
             testing_support::gesture(main->lbxsites, "0");
             script.onDialog([](QDialog&) { return int(platform::mrOk); });  // the log
             holdReturn(main->btnRotateCurrent);
             return storedPosition("Site_1") - 1;
         },
         1,
         {}},
        {"Spindleway: Rotate Current, no site highlighted",
         [&](MessageScript& script) {
             addSite("Site_1", "Garden", 1, 1);
             startTool();
             script.answer(platform::MessageResult::OK);
             holdReturn(main->btnRotateCurrent);
             return int(script.texts().count(noSite));
         },
         1,
         {noSite}},
        {"Lumenfold: Clear All of a header list, answered No",
         [&](MessageScript& script) {
             TdlgNewHeaderFooter composer;
             TdlgHeaderFooter list(composer);
             script.answer(platform::MessageResult::No);
             script.onDialog([&](QDialog&) {
                 list.lbxheaders->addItems({"<p>one</p>", "<p>two</p>"});
                 list.lbxheadersClick();
                 holdReturn(list.btnclearall);
                 EXPECT_EQ(list.lbxheaders->count(), 2);
                 return int(platform::mrCancel);
             });
             list.ShowModal();
             return int(script.texts().count(clearAll));
         },
         1,
         {clearAll}},
        {"Lumenfold: the HTML editor types a line break for the press and each repeat",
         [](MessageScript& script) {
             TfrmRichEdit editor;
             script.onDialog([&](QDialog&) {
                 holdReturn(editor.Editor);
                 return editor.result() == platform::mrNone ? int(platform::mrCancel) : editor.result();
             });
             EXPECT_EQ(editor.ShowModal(), platform::mrCancel);  // OK was not pressed
             return int(editor.Editor->toPlainText().count('\n'));
         },
         4,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MessageScript script;
        EXPECT_EQ(c.holdAndCount(script), c.acts);
        EXPECT_EQ(script.texts(), c.boxes);
        main.reset();
    }
}
