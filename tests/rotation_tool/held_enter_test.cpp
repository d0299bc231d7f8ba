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

// How the desktop's repeats of a held key arrive.
enum class Repeats {
    Flagged,  // presses the toolkit marks as repeats
    Pairs,    // unmarked, each a release and a press that share a timestamp, as X sends them when busy
};

// Return's own numbers on an X keyboard, which the desktop's key events carry.
constexpr quint32 kReturnScanCode = 36;
constexpr quint32 kReturnKeySym = 0xff0d;

// A key event as the desktop delivers it, through the window to the widget that has the focus.
void sendDesktopKey(QWindow* window, QEvent::Type type, quint64 timestamp) {
    QKeyEvent event(type, Qt::Key_Return, Qt::NoModifier, kReturnScanCode, kReturnKeySym, 0, "\r");
    event.setTimestamp(timestamp);
    QApplication::sendEvent(window, &event);
}

// One press, three repeats and the release, to the widget that has the focus.
void holdReturn(QWidget* focused, Repeats repeats) {
    QWindow* window = focused->window()->windowHandle();
    focused->window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    focused->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), focused);
    if (repeats == Repeats::Flagged) {
        for (const bool repeat : {false, true, true, true})
            QTest::simulateEvent(window, true, Qt::Key_Return, Qt::NoModifier, "\r", repeat);
        QTest::simulateEvent(window, false, Qt::Key_Return, Qt::NoModifier, "\r", false);
        return;
    }
    static quint64 time = 1000;  // the desktop's clock in milliseconds, never going back
    sendDesktopKey(window, QEvent::KeyPress, time += 500);
    for (int repeat = 0; repeat < 3; ++repeat) {
        time += 33;
        sendDesktopKey(window, QEvent::KeyRelease, time);
        sendDesktopKey(window, QEvent::KeyPress, time);
    }
    sendDesktopKey(window, QEvent::KeyRelease, time += 20);
}

}  // namespace

TEST_F(RotationToolTest, AHeldReturnActsOnce) {
    const QString noSite = "You have not selected a site!";
    const QString clearAll = "Are you sure you want to clear all your entries?";
    const struct {
        const char* name;
        std::function<int(MessageScript&, Repeats)> holdAndCount;  // how often the focused widget acted
        int acts;
        QStringList boxes;  // each asked or told once
    } cases[] = {
        {"Spindleway: Rotate Current, a site highlighted",
         [this](MessageScript& script, Repeats repeats) {
             addSite("Site_1", "Garden", 5, 1);
             for (int n = 1; n <= 5; ++n) addRotation("Site_1", n);
             startTool();
             testing_support::gesture(main->lbxsites, "0");
             script.onDialog([](QDialog&) { return int(platform::mrOk); });  // the log
             holdReturn(main->btnRotateCurrent, repeats);
             return storedPosition("Site_1") - 1;
         },
         1,
         {}},
        {"Spindleway: Rotate Current, no site highlighted",
         [&](MessageScript& script, Repeats repeats) {
             addSite("Site_1", "Garden", 1, 1);
             startTool();
             script.answer(platform::MessageResult::OK);
             holdReturn(main->btnRotateCurrent, repeats);
             return int(script.texts().count(noSite));
         },
         1,
         {noSite}},
        {"Lumenfold: Clear All of a header list, answered No",
         [&](MessageScript& script, Repeats repeats) {
             TdlgNewHeaderFooter composer;
             TdlgHeaderFooter list(composer);
             script.answer(platform::MessageResult::No);
             script.onDialog([&](QDialog&) {
                 list.lbxheaders->addItems({"<p>one</p>", "<p>two</p>"});
                 list.lbxheadersClick();
                 holdReturn(list.btnclearall, repeats);
                 EXPECT_EQ(list.lbxheaders->count(), 2);
                 return int(platform::mrCancel);
             });
             list.ShowModal();
             return int(script.texts().count(clearAll));
         },
         1,
         {clearAll}},
        {"Lumenfold: the HTML editor types a line break for the press and each repeat",
         [](MessageScript& script, Repeats repeats) {
             TfrmRichEdit editor;
             script.onDialog([&](QDialog&) {
                 holdReturn(editor.Editor, repeats);
                 return editor.result() == platform::mrNone ? int(platform::mrCancel) : editor.result();
             });
             EXPECT_EQ(editor.ShowModal(), platform::mrCancel);  // OK was not pressed
             return int(editor.Editor->toPlainText().count('\n'));
         },
         4,
         {}},
    };
    for (const Repeats repeats : {Repeats::Flagged, Repeats::Pairs}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (repeats == Repeats::Pairs ? ", repeats in unmarked pairs" : ""));
            MessageScript script;
            EXPECT_EQ(c.holdAndCount(script, repeats), c.acts);
            EXPECT_EQ(script.texts(), c.boxes);
            main.reset();
        }
    }
}
