#include "platform/file_ops.h"
#include "tests/rotation_tool/rotation_fixture.h"
#include "tests/rotation_tool/spindleway_process.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

using platform::MessageResult;
using testing_support::MessageScript;
using testing_support::treeContents;

TEST_F(RotationToolTest, MissingOptionsTakeTheirDefaultsAndDependantsFollowTheMasters) {
    startTool();
    EXPECT_EQ(options->edtport->text(), "25");
    EXPECT_TRUE(options->edthost->text().isEmpty());
    EXPECT_FALSE(options->edtemailfrom->text().isEmpty());
    EXPECT_EQ(options->edtfilename->text(), data.path() + "log.txt");
    EXPECT_TRUE(options->chklogging->isChecked());
    EXPECT_TRUE(options->chkonlylogerrors->isChecked());
    EXPECT_FALSE(options->chkcreatebackup->isChecked());
    EXPECT_FALSE(options->chkEmailLog->isChecked());
    EXPECT_TRUE(options->chkOnlyEmailErrors->isChecked());
    // Loading switched logging on, so its dependants came on with it; e-mail stayed off.
    EXPECT_TRUE(options->edtfilename->isEnabled());
    EXPECT_TRUE(options->lblfilename->isEnabled());
    EXPECT_TRUE(options->BitBtn3->isEnabled());
    EXPECT_TRUE(options->chkonlylogerrors->isEnabled());
    EXPECT_FALSE(options->chkOnlyEmailErrors->isEnabled());

    options->chklogging->setChecked(false);
    EXPECT_FALSE(options->edtfilename->isEnabled());
    EXPECT_FALSE(options->chkonlylogerrors->isEnabled());
    options->chkEmailLog->click();
    EXPECT_TRUE(options->chkOnlyEmailErrors->isEnabled());
}

TEST_F(RotationToolTest, OptionsRoundTripThroughOptionsIni) {
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\nMailPort=abc\r\nLogOnlyErrors=no\r\n"
                              "Logging=FALSE\r\nCreateBackups=true\r\nEmailLog=TRUE\r\nEmailOnlyErrors=false\r\n");
    startTool();
    EXPECT_EQ(options->edtport->text(), "abc");  // kept as text
    EXPECT_TRUE(options->chkonlylogerrors->isChecked());  // on unless FALSE
    EXPECT_FALSE(options->chklogging->isChecked());
    EXPECT_TRUE(options->chkcreatebackup->isChecked());
    EXPECT_TRUE(options->chkEmailLog->isChecked());
    EXPECT_FALSE(options->chkOnlyEmailErrors->isChecked());
    EXPECT_FALSE(options->edtfilename->isEnabled());
    EXPECT_TRUE(options->chkOnlyEmailErrors->isEnabled());

    options->edtemailfrom->setText("tool@example.org");
    options->edtemailto->setText("admin@example.org");
    options->edtuserid->setText("box1");
    options->edthost->setText("mail.example.org");
    options->edtport->setText("2525");
    options->edtfilename->setText("/var/log/rot.txt");
    options->chkonlylogerrors->setChecked(false);
    main->close();

    const platform::IniFile written(data.file("options.ini"));
    EXPECT_EQ(written.readString("Options", "UseRotations", ""), "True");  // the other program's key stays
    const std::pair<const char*, const char*> expected[] = {
        {"MailFrom", "tool@example.org"}, {"MailTo", "admin@example.org"}, {"MailUserID", "box1"},
        {"MailPort", "2525"}, {"MailHost", "mail.example.org"}, {"LogFileName", "/var/log/rot.txt"},
        {"LogOnlyErrors", "False"}, {"Logging", "False"}, {"EmailLog", "True"}, {"CreateBackups", "True"},
        {"EmailOnlyErrors", "False"}};
    for (const auto& [key, value] : expected) EXPECT_EQ(written.readString("Options", key, "?"), value) << key;

    main.reset();
    startTool();
    EXPECT_EQ(options->edtemailto->text(), "admin@example.org");
    EXPECT_EQ(options->edtport->text(), "2525");
    EXPECT_EQ(options->edtfilename->text(), "/var/log/rot.txt");
    EXPECT_FALSE(options->chkonlylogerrors->isChecked());
    EXPECT_FALSE(options->chklogging->isChecked());
    EXPECT_TRUE(options->chkEmailLog->isChecked());
}

TEST_F(RotationToolTest, ClosingTheOptionsChecksTheLogFileAndTheMailFields) {
    startTool();
    options->edtfilename->clear();
    options->chkEmailLog->setChecked(true);
    options->edthost->setText("mail.example.org");
    options->edtemailto->setText("admin@example.org");
    options->edtemailfrom->clear();
    MessageScript script;
    script
        .onDialog([&](QDialog& dialog) {
            options->btnClose->click();
            EXPECT_TRUE(dialog.isVisible());  // both checks failed: still open
            options->chklogging->setChecked(false);
            options->btnClose->click();
            EXPECT_TRUE(dialog.isVisible());  // the mail fields are still incomplete
            options->edtemailfrom->setText("tool@example.org");
            options->btnClose->click();
            EXPECT_FALSE(dialog.isVisible());
            return dialog.result();
        })
        .answer(MessageResult::OK)
        .answer(MessageResult::OK)
        .answer(MessageResult::OK);
    main->btnOptions->click();
    EXPECT_EQ(script.texts(),
              QStringList({"You have chosen to create a log file but have not entered a filename!",
                           "You have chosen to e-mail your log but have not entered values for all required e-mail "
                           "fields (only User ID is optional)",
                           "You have chosen to e-mail your log but have not entered values for all required e-mail "
                           "fields (only User ID is optional)"}));
}

TEST_F(RotationToolTest, InformationLinesOnlyWhenTheLogIsNotRestrictedToErrors) {
    startTool();
    ASSERT_TRUE(options->chkonlylogerrors->isChecked());
    log->Addwarning("went well", false);
    EXPECT_TRUE(log->lines().isEmpty());
    EXPECT_FALSE(log->ErrorFlag);
    log->Addwarning("went wrong", true);
    EXPECT_TRUE(logHasError("went wrong"));
    EXPECT_TRUE(log->ErrorFlag);

    options->chkonlylogerrors->setChecked(false);
    log->Addwarning("went well", false);
    EXPECT_TRUE(logHasInfo("went well"));
    EXPECT_EQ(log->lines().size(), 2);
    // The date-time between prefix and message is the one the log forms.
    EXPECT_TRUE(log->lines().last().startsWith("* " + rotation_tool::logDateTime().left(6)));
}

TEST_F(RotationToolTest, SaveLogReplacesTheFileAndReportsFailuresOnlyInteractively) {
    startTool();
    log->addPlainLine("first");
    log->btnSaveLog->click();
    EXPECT_EQ(data.read("log.txt"), "first\r\n");
    log->clearLog();
    log->addPlainLine("second");
    log->addPlainLine("third");
    log->btnSaveLog->click();
    EXPECT_EQ(data.read("log.txt"), "second\r\nthird\r\n");

    options->edtfilename->setText(data.path() + "no/such/dir/log.txt");
    {
        MessageScript script;
        script.answer(MessageResult::OK);
        log->btnSaveLog->click();
        EXPECT_EQ(script.lastText(), "Error saving your log to " + data.path() + "no/such/dir/log.txt");
    }
    UnattendedRun = true;
    log->btnSaveLogClick();  // no box (the failing responder would catch one), the log unchanged
    EXPECT_EQ(log->lines(), QStringList({"second", "third"}));
    ASSERT_EQ(log->errorLines().size(), 1);  // but the run's error output will tell
    EXPECT_TRUE(log->errorLines()[0].endsWith(" - Error saving your log to " + data.path() + "no/such/dir/log.txt"));
}

// Loaded values longer than their edits show their start, the default sender among them.
TEST_F(RotationToolTest, LoadedOptionsAreShownFromTheirStart) {
    const std::pair<const char*, QByteArray> cases[] = {
        {"defaults", "[Options]\r\n"},
        {"long value", "[Options]\r\nMailFrom=spindleway-rotation-reports@mail.example-hosting-company.org\r\n"},
    };
    for (const auto& [name, ini] : cases) {
        data.write("options.ini", ini);
        startTool();
        MessageScript script;
        script.onDialog([&](QDialog&) {
            // Where the sender does not fit its edit (a small screen), an edit scrolled to its cursor
            // at the end would hide its start.
            EXPECT_EQ(options->edtemailfrom->cursorPosition(), 0) << name;
            options->btnClose->click();
            return options->result();
        });
        QTest::mouseClick(main->btnOptions, Qt::LeftButton);
        EXPECT_EQ(script.dialogsShown(), 1) << name;
        main.reset();
    }
}

// Log lines are wider than the log window: shown after a run, the window shows each line from its
// start (the prefix and the date), with the newest lines in view.
TEST_F(RotationToolTest, TheLogWindowShowsItsLinesFromTheirStart) {
    const QString longName =
        "The Garden Centre on the Corner of the Old Market Square and the Long Street by the River";
    struct Case {
        const char* name;
        int sites;  // none of them has a built rotation: each adds an error line
        bool rotateAll;
    };
    const Case cases[] = {
        {"rotate current, one line", 1, false},
        {"rotate all, more lines than the window is high", 20, true},
    };
    for (const Case& c : cases) {
        for (int n = 1; n <= c.sites; ++n)
            addSite("Site_" + QString::number(n), longName + " " + QString::number(n), 1, 1);
        startTool();
        MessageScript script;
        script.onDialog([&](QDialog& dialog) {
            QPlainTextEdit* memo = log->memwarning;
            EXPECT_TRUE(dialog.isVisible()) << c.name;
            EXPECT_GT(memo->horizontalScrollBar()->maximum(), 0) << c.name;  // the lines are wider than the memo
            EXPECT_EQ(memo->horizontalScrollBar()->value(), 0) << c.name;
            // The first text shown is the start of a log line: its prefix and date.
            const QTextCursor first = memo->cursorForPosition(QPoint(2, 2));
            EXPECT_EQ(first.positionInBlock(), 0) << c.name;
            EXPECT_TRUE(first.block().text().startsWith("! " + rotation_tool::logDateTime().left(4)))
                << c.name << ": " << first.block().text().toStdString();
            // The start of the newest line is in view.
            const QRect newest = memo->cursorRect(QTextCursor(memo->document()->lastBlock()));
            EXPECT_TRUE(memo->viewport()->rect().contains(newest.center())) << c.name;
            return int(platform::mrOk);
        });
        if (c.rotateAll) {
            main->btnrotateall->click();
        } else {
            clickSite("Site_1");
            main->btnRotateCurrent->click();
        }
        EXPECT_EQ(script.dialogsShown(), 1) << c.name;
        main.reset();
    }
}

// The log is never saved over the programs' own files in the data directory, however its name
// reaches them: Save Log refuses such a name as it stands (as it would one stored by hand), and the
// options refuse it at Close.
TEST_F(RotationToolTest, TheLogIsNeverSavedOverTheProgramsOwnFiles) {
    data.write("options.ini", "[Options]\r\nLogging=True\r\n");
    addSite("Site_1", "Garden", 1, 1);
    QFile::link(data.file("sites.ini"), data.file("sites-link.txt"));
    data.write("Styles/Sample_With_Index.htm", "shipped template");
    const QStringList before = treeContents(data.path());
    const QString styles = "a file of the Styles folder of Lumenfold Pro";
    const struct {
        QString typed;
        QString replaced;  // empty: the name is free for a log
    } cases[] = {
        {data.file("sites.ini"), "sites.ini"},       // the site list
        {data.file("sites-link.txt"), "sites.ini"},  // a link to it
        {data.file("Site_1.ini"), "Site_1.ini"},     // a site file
        {data.file("Site_9.ini"), "Site_9.ini"},     // a site file to come
        {data.file("Spindleway"), "Spindleway"},     // a program
        {"Styles\\Sample_With_Index.htm", styles},   // a shipped template
        {"Styles\\log.txt", styles},                 // a new file among them
        {data.file("Site_1.ini.txt"), ""},           // free, and last: it closes the options
    };
    startTool();
    MessageScript script;
    script.onDialog([&](QDialog& dialog) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.typed.toStdString());
            const bool own = !c.replaced.isEmpty();
            script.clear();
            if (own) script.answer(MessageResult::OK).answer(MessageResult::OK);
            options->edtfilename->setText(c.typed);
            log->clearLog();
            log->addPlainLine("a log line");
            log->btnSaveLog->click();
            options->btnClose->click();
            EXPECT_EQ(dialog.isVisible(), own);
            const QString replaces = "would replace " + c.replaced + " in the data directory!";
            const QStringList refusals{
                "The log was not saved to " + c.typed + ", which " + replaces,
                "The log file, " + c.typed + ", " + replaces + "  Please choose another filename."};
            EXPECT_EQ(script.texts(), own ? refusals : QStringList());
            QStringList after = treeContents(data.path());
            EXPECT_EQ(after.removeOne("Site_1.ini.txt: a log line\r\n"), !own);  // only a free name is written
            EXPECT_EQ(after, before);
        }
        return dialog.result();
    });
    main->btnOptions->click();
}
