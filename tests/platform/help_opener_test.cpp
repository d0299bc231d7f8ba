// Help opened by a real opener program: a small script stands in for xdg-open, so the opener's
// start, the path it is given and its exit status are those of a real process.
#include "platform/help.h"
#include "platform/shell_open.h"
#include "tests/common/message_responder.h"
#include "tests/common/temp_data_dir.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr int HangGuardMs = 30000;

class HelpOpener : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setDocumentOpenerForTesting({});  // the opener program runs
        platform::setHelpFile(data.write("Lumefold.html", "<h1>Lumenfold Pro Help</h1>"));
        data.write("Lumefold_context27.html", "<h2>Edit Site</h2>");
    }
    void TearDown() override {
        platform::setOpenerProgramForTesting(QString());
        platform::setDocumentOpenerForTesting([](const QString&) { return true; });
        platform::setHelpFile(QString());
    }

    // An opener that writes the path it was given to "opened.txt", waits for the file "release"
    // and then ends as told ("exit 0", "exit 3", "kill -KILL $$").
    void useOpener(const QString& ending) {
        const QString script = data.write("opener.sh", QStringLiteral("#!/bin/sh\n"
                                                                      "printf '%s' \"$1\" > '%1opened.txt'\n"
                                                                      "while [ ! -e '%1release' ]; do sleep 0.01; done\n"
                                                                      "%2\n")
                                                           .arg(data.path(), ending)
                                                           .toUtf8());
        ASSERT_TRUE(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        platform::setOpenerProgramForTesting(script);
    }
    void release() { data.write("release", ""); }
    bool waitForOpened() {
        return QTest::qWaitFor([&] { return QFileInfo::exists(data.file("opened.txt")); }, HangGuardMs);
    }

    testing_support::TempDataDir data;
};

// A topic opens as its own page (no "#fragment" that an opener could drop); an opener that fails
// only after it started, or one that cannot start, brings the message naming that page, while the
// program goes on meanwhile. A topic without its page is reported at once.
TEST_F(HelpOpener, AFailingOpenerIsReportedWithThePageItWasGiven) {
    struct Case {
        int context;  // 0: the contents
        const char* opener;
        const char* page;
        const char* message;
    };
    const Case cases[] = {
        {27, "exit 3", "Lumefold_context27.html", "Unable to open the help file, "},
        {27, "kill -KILL $$", "Lumefold_context27.html", "Unable to open the help file, "},
        {0, nullptr, "Lumefold.html", "Unable to open the help file, "},
        {31, "exit 0", "Lumefold_context31.html", "Unable to locate the help file, "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        QFile::remove(data.file("opened.txt"));
        QFile::remove(data.file("release"));
        if (c.opener)
            useOpener(c.opener);
        else
            platform::setOpenerProgramForTesting(data.file("no such opener"));
        testing_support::MessageScript script;
        script.answer(platform::MessageResult::OK);
        if (c.context)
            platform::showHelpContext(c.context);
        else
            platform::showHelpContents();
        const bool pageExists = QFileInfo::exists(data.file(c.page));
        if (c.opener && pageExists) {
            ASSERT_TRUE(waitForOpened());
            EXPECT_EQ(data.read("opened.txt"), data.file(c.page).toUtf8());
            EXPECT_TRUE(script.texts().isEmpty()) << "the opener is still running";
            release();
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !script.texts().isEmpty(); }, HangGuardMs));
        EXPECT_EQ(script.texts().size(), 1);
        EXPECT_TRUE(script.lastText().startsWith(QString(c.message) + data.file(c.page)))
            << script.lastText().toStdString();
        EXPECT_EQ(script.requests().back().kind, platform::MessageKind::Warning);
        EXPECT_EQ(QFileInfo::exists(data.file("opened.txt")), c.opener && pageExists) << "an opener ran";
    }
}

}  // namespace
