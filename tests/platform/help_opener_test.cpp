// Help opened by a real opener program: a small script stands in for xdg-open, so the opener's
// start, the path it is given and its exit status are those of a real process.
#include "platform/help.h"
#include "platform/shell_open.h"
#include "tests/common/message_responder.h"
#include "tests/common/stand_in_opener.h"
#include "tests/common/temp_data_dir.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int HangGuardMs = 30000;

class HelpOpener : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setHelpFile(data.write("Lumefold.html", "<h1>Lumenfold Pro Help</h1>"));
        data.write("Lumefold_context27.html", "<h2>Edit Site</h2>");
    }
    void TearDown() override { platform::setHelpFile(QString()); }

    testing_support::TempDataDir data;
    testing_support::StandInOpener opener;
};

// A topic opens as its own page (no "#fragment" that an opener could drop); an opener that fails
// only after it started, or one that cannot start, brings the message naming that page, while the
// program goes on meanwhile.
TEST_F(HelpOpener, AFailingOpenerIsReportedWithThePageItWasGiven) {
    struct Case {
        int context;         // 0: the contents
        const char* opener;  // null: the opener cannot be started
        const char* page;
    };
    const Case cases[] = {
        {27, "exit 3", "Lumefold_context27.html"},
        {27, "kill -KILL $$", "Lumefold_context27.html"},
        {0, nullptr, "Lumefold.html"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        if (c.opener)
            opener.use(c.opener, true);
        else
            opener.useMissing();
        testing_support::MessageScript script;
        script.answer(platform::MessageResult::OK);
        if (c.context)
            platform::showHelpContext(c.context);
        else
            platform::showHelpContents();
        if (c.opener) {
            ASSERT_TRUE(opener.waitForOpened(HangGuardMs));
            EXPECT_EQ(opener.opened(), data.file(c.page));
            EXPECT_TRUE(script.texts().isEmpty()) << "the opener is still running";
            opener.release();
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !script.texts().isEmpty(); }, HangGuardMs));
        EXPECT_EQ(script.texts().size(), 1);
        EXPECT_TRUE(script.lastText().startsWith("Unable to open the help file, " + data.file(c.page)))
            << script.lastText().toStdString();
        EXPECT_EQ(script.requests().back().kind, platform::MessageKind::Warning);
        EXPECT_EQ(opener.ran(), c.opener != nullptr) << "an opener ran";
    }
}

// A topic the help file has no page for still finds the help, at its contents; only a help file
// that is not there is reported, at once.
TEST_F(HelpOpener, ATopicWithoutItsPageOpensTheContents) {
    struct Case {
        int context;
        bool helpFile;
        const char* opened;   // null: nothing is opened
        const char* message;  // followed by the help file's path
    };
    const Case cases[] = {
        {27, true, "Lumefold_context27.html", nullptr},
        {31, true, "Lumefold.html", nullptr},
        {31, false, nullptr, "Unable to locate the help file, "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.context);
        if (!c.helpFile) QFile::remove(data.file("Lumefold.html"));
        opener.use("exit 0");
        testing_support::MessageScript script;
        if (c.message) script.answer(platform::MessageResult::OK);
        platform::showHelpContext(c.context);
        ASSERT_TRUE(testing_support::StandInOpener::waitForOpenersToEnd(HangGuardMs));
        EXPECT_EQ(opener.opened(), c.opened ? data.file(c.opened) : QString());
        EXPECT_EQ(script.texts(), c.message ? QStringList{c.message + data.file("Lumefold.html")} : QStringList());
    }
}

}  // namespace
