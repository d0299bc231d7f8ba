#include "platform/file_ops.h"
#include "rotation_tool/rotation_files.h"
#include "rotation_tool/written_folders.h"
#include "tests/rotation_tool/rotation_fixture.h"
#include "tests/rotation_tool/spindleway_process.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <sys/stat.h>

using platform::MessageResult;
using testing_support::MessageScript;
using testing_support::treeContents;

namespace {

// Starts unattended but keeps the timer from running Rotate All on its own.
void holdTimer(rotation_tool::TfrmMain& main) { main.Timer1->stop(); }

}  // namespace

TEST_F(RotationToolTest, SkipsRotationsWithoutTheFirstPageAndStoresTheNextPosition) {
    addSite("Site_1", "Garden", 3, 3);
    addRotation("Site_1", 1);
    addRotation("Site_1", 2);
    addRotation("Site_1", 3, /*withFirstPage=*/false);
    data.write("options.ini", "[Options]\r\nLogOnlyErrors=False\r\n");
    startTool({"/ROTATE"});
    holdTimer(*main);

    main->btnrotateallClick();

    // Rotation 3 lacks Index.html, so the search wraps to 1.
    EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 1");
    EXPECT_EQ(live("Site_1", "page2.htm"), "page 2 of rotation 1");
    EXPECT_EQ(live("Site_1", "photo.jpg"), "photo of rotation 1");
    EXPECT_EQ(live("Site_1", "thumbs/photo_thb.jpg"), "thumb of rotation 1");
    EXPECT_EQ(storedPosition("Site_1"), 2);
    EXPECT_TRUE(logHasInfo("Garden sucessfully updated to rotation 1"));
    EXPECT_FALSE(log->ErrorFlag);

    // The next run takes rotation 2 and stores 3; the one after that finds 3 invalid again.
    main->btnrotateallClick();
    EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 2");
    EXPECT_EQ(storedPosition("Site_1"), 3);
    main->btnrotateallClick();
    EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 1");
}

TEST_F(RotationToolTest, APositionPastTheCountStartsAgainAtOneAndFilesOfTheLiveSiteStay) {
    addSite("Site_1", "Garden", 2, 3);
    addRotation("Site_1", 1);
    addRotation("Site_1", 2);
    data.write("live_Site_1/keep.txt", "visitor counter");
    startTool({"/rotate"});
    holdTimer(*main);

    main->btnrotateallClick();
    EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 1");
    EXPECT_EQ(storedPosition("Site_1"), 2);
    EXPECT_EQ(live("Site_1", "keep.txt"), "visitor counter");
}

TEST_F(RotationToolTest, PositionZeroTriesTheDefaultDirectoryOfRotationZeroFirst) {
    addSite("Site_1", "Garden", 2, 0);
    addRotation("Site_1", 1);
    // No section for rotation 0: its directory is the site path followed by "rotation_0".
    data.write("Site_1/rotation_0/Index.html", "rotation zero");
    startTool({"R"});
    holdTimer(*main);

    main->btnrotateallClick();
    EXPECT_EQ(live("Site_1", "Index.html"), "rotation zero");
    EXPECT_EQ(storedPosition("Site_1"), 1);
}

TEST_F(RotationToolTest, NoValidRotationLogsOneErrorAndKeepsThePosition) {
    addSite("Site_1", "Garden", 3, 2);
    addRotation("Site_1", 1, false);
    addRotation("Site_1", 2, false);  // rotation 3 has no directory at all
    data.write("options.ini", "[Options]\r\nLogOnlyErrors=False\r\n");
    startTool({"/R"});
    holdTimer(*main);

    main->btnrotateallClick();
    EXPECT_EQ(log->lines().size(), 1) << log->lines().join("\n").toStdString();
    EXPECT_TRUE(logHasError("A valid rotation could not be found for the site, Garden"));
    EXPECT_TRUE(log->ErrorFlag);
    EXPECT_EQ(storedPosition("Site_1"), 2);
    EXPECT_FALSE(QFileInfo::exists(livePath("Site_1")));
}

TEST_F(RotationToolTest, AFirstPageAloneIsAValidRotation) {
    addSite("Site_1", "Garden", 1, 1);
    platform::IniFile(data.file("Site_1.ini")).writeString("Rotation_1", "Rotation_Path", "%\\Site_1\\only\\");
    data.write("Site_1/only/Index.html", "lonely page");
    startTool({"ROTATE"});
    holdTimer(*main);

    main->btnrotateallClick();
    EXPECT_EQ(live("Site_1", "Index.html"), "lonely page");
    EXPECT_EQ(storedPosition("Site_1"), 2);  // n + 1 even after the last rotation
}

TEST_F(RotationToolTest, BackupsKeepTheOldestReplacedVersion) {
    addSite("Site_1", "Garden", 2, 1);
    addRotation("Site_1", 1);
    addRotation("Site_1", 2);
    data.write("Site_1/R1/README", "readme 1");
    data.write("Site_1/R2/README", "readme 2");
    data.write("live_Site_1/Index.html", "original index");
    data.write("live_Site_1/README", "original readme");
    data.write("options.ini", "[Options]\r\nCreateBackups=True\r\n");
    startTool({"/ROTATE"});
    holdTimer(*main);
    ASSERT_TRUE(options->chkcreatebackup->isChecked());

    main->btnrotateallClick();
    EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 1");
    EXPECT_EQ(live("Site_1", "Index.~htm"), "original index");
    EXPECT_EQ(live("Site_1", "README."), "original readme");  // no extension: name + "."
    EXPECT_FALSE(QFileInfo::exists(livePath("Site_1") + "photo.~jp"));  // nothing was replaced

    main->btnrotateallClick();
    EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 2");
    EXPECT_EQ(live("Site_1", "Index.~htm"), "original index");
    EXPECT_EQ(live("Site_1", "photo.~jp"), "photo of rotation 1");
    EXPECT_EQ(live("Site_1", "thumbs/photo_thb.~jp"), "thumb of rotation 1");
    EXPECT_EQ(live("Site_1", "page2.~ht"), "page 2 of rotation 1");
    EXPECT_FALSE(log->ErrorFlag) << log->lines().join("\n").toStdString();
}

TEST_F(RotationToolTest, WithoutBackupsFilesAreReplacedInPlace) {
    addSite("Site_1", "Garden", 1, 1);
    addRotation("Site_1", 1);
    data.write("live_Site_1/Index.html", "original index");
    startTool({"/ROTATE"});
    holdTimer(*main);
    EXPECT_FALSE(options->chkcreatebackup->isChecked());  // missing key reads as off

    main->btnrotateallClick();
    EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 1");
    const QStringList left = QDir(livePath("Site_1")).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left, QStringList({"Index.html", "page2.htm", "photo.jpg"}));
}

TEST_F(RotationToolTest, AMissingLiveDirectoryIsCreatedWithItsParents) {
    addSite("Site_1", "Garden", 1, 1);
    addRotation("Site_1", 1);
    const QString deep = data.path() + "a/b/c/live";
    platform::IniFile(data.file("Site_1.ini")).writeString("General", "LivePath", deep);
    startTool({"/ROTATE"});
    holdTimer(*main);

    main->btnrotateallClick();
    EXPECT_EQ(data.read("a/b/c/live/Index.html"), "index of rotation 1");
    EXPECT_EQ(data.read("a/b/c/live/thumbs/photo_thb.jpg"), "thumb of rotation 1");
}

// A rotation that cannot be written whole changes nothing live and keeps the position, so that
// the next run tries it again.
TEST_F(RotationToolTest, ARotationThatCannotBeWrittenWholeLeavesTheLiveSiteAsItWas) {
    const struct {
        const char* what;
        QString livePath;      // below the data directory
        QString blocker;       // a file or directory made first, below the data directory
        bool blockerIsFile;
        QString expectedError;  // besides the line that the site was not updated
    } cases[] = {
        {"a directory where an image goes", "live/", "live/photo.jpg", false,
         "Could not copy the file, %1Site_1/R1/photo.jpg, for site, Garden!"},
        {"a live directory below a file", "blocker/live/", "blocker", true,
         "An error was encountered whilst trying to create the directory, %1blocker/live/thumbs"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(data.path()).removeRecursively();
        QDir().mkpath(data.path());
        addSite("Site_1", "Garden", 1, 1);
        addRotation("Site_1", 1);
        data.write("Site_1/R1/img/paper.gif", "paper");  // a new sub-folder would be made live too
        platform::IniFile(data.file("Site_1.ini")).writeString("General", "LivePath", data.path() + c.livePath);
        if (c.blockerIsFile)
            data.write(c.blocker, "a file, not a directory");
        else
            QDir().mkpath(data.file(c.blocker));
        data.write("live/Index.html", "old index");
        // The log file aside (an unattended run writes it), nothing changes.
        const auto before = treeContents(data.path()).filter(QRegularExpression("^(?!log\\.txt: )"));
        startTool({"/ROTATE"});
        holdTimer(*main);

        main->btnrotateallClick();
        EXPECT_TRUE(logHasError(QString(c.expectedError).arg(data.path()))) << log->lines().join("\n").toStdString();
        EXPECT_TRUE(logHasError("The site, Garden, was NOT updated to rotation 1: not every file could be written, so "
                                "the live site was left as it was"));
        EXPECT_EQ(storedPosition("Site_1"), 1);
        EXPECT_EQ(treeContents(data.path()).filter(QRegularExpression("^(?!log\\.txt: )")), before);
        main.reset();
    }
}

TEST_F(RotationToolTest, RotateAllSkipsSitesWithoutAutoRotationAndReportsAnEmptyList) {
    addSite("Site_1", "Garden", 1, 1, /*autoRotate=*/false);
    addSite("Site_2", "Kitchen", 1, 1);
    addRotation("Site_2", 1);
    startTool({"/ROTATE"});
    holdTimer(*main);

    main->btnrotateallClick();
    EXPECT_TRUE(logHasError("Skipping site, Garden, which does not have autorotation enabled!"));
    EXPECT_TRUE(log->ErrorFlag);
    EXPECT_EQ(live("Site_2", "Index.html"), "index of rotation 1");
    EXPECT_EQ(main->lbxsites->currentRow(), 1);  // the last site stays selected
    EXPECT_TRUE(main->btnrotateall->isEnabled());
    EXPECT_TRUE(main->lbxsites->isEnabled());
    EXPECT_TRUE(main->Label7->text().isEmpty());

    main->lbxsites->clear();
    main->btnrotateallClick();
    EXPECT_TRUE(logHasError("There are no sites to rotate!"));
}

TEST_F(RotationToolTest, InteractiveRotateAllShowsTheLogWithTheCount) {
    addSite("Site_1", "Garden", 1, 1);
    addSite("Site_2", "Kitchen", 1, 1);  // auto-rotating but nothing built: still counted
    addSite("Site_3", "Cellar", 1, 1, false);
    addRotation("Site_1", 1);
    startTool();
    QString heading;
    QStringList shownLines;
    bool controlsWereDisabled = false;
    {
        MessageScript script;
        script.onDialog([&](QDialog&) {
            heading = log->Label1->text();
            shownLines = log->lines();
            controlsWereDisabled = !main->btnrotateall->isEnabled() && !main->btnOptions->isEnabled() &&
                                   !main->btnRotateCurrent->isEnabled() && !main->BitBtn1->isEnabled();
            return int(platform::mrOk);
        });
        main->btnrotateall->click();
    }
    EXPECT_EQ(heading, "Rotation of All sites is completed with a total of 2 updated!");
    EXPECT_TRUE(hasLogLine(shownLines, "!", "A valid rotation could not be found for the site, Kitchen"));
    EXPECT_TRUE(hasLogLine(shownLines, "!", "Skipping site, Cellar, which does not have autorotation enabled!"));
    EXPECT_TRUE(controlsWereDisabled);
    EXPECT_TRUE(main->btnrotateall->isEnabled());
    EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 1");
    EXPECT_FALSE(QFileInfo::exists(data.file("log.txt")));  // an interactive run saves nothing by itself
}

TEST_F(RotationToolTest, RotateCurrentFromTheButtonShowsTheLogAndClearsIt) {
    addSite("Site_1", "Garden", 1, 1);
    addSite("Site_2", "Kitchen", 1, 1);
    addSite("Site_3", "Cellar", 1, 1, false);
    addRotation("Site_1", 1);
    startTool();
    log->addPlainLine("left over");
    QStringList headings;
    {
        MessageScript script;
        script.onDialog([&](QDialog&) {
                  headings << log->Label1->text();
                  EXPECT_FALSE(log->lines().contains("left over"));
                  return int(platform::mrOk);
              })
            .onDialog([&](QDialog&) {
                headings << log->Label1->text();
                EXPECT_TRUE(logHasError("A valid rotation could not be found for the site, Kitchen"));
                return int(platform::mrOk);
            })
            .answer(MessageResult::OK);
        clickSite("Site_1");
        main->btnRotateCurrent->click();
        clickSite("Site_2");
        main->btnRotateCurrent->click();
        clickSite("Site_3");
        main->btnRotateCurrent->click();
        EXPECT_EQ(script.lastText(), "The site, Cellar, does not have auto-rotation enabled so it will be skipped!");
        EXPECT_EQ(script.requests().back().kind, platform::MessageKind::Information);
    }
    EXPECT_EQ(headings, QStringList({"The current site has been updated!",
                                     "The current site was not updated.  View log for details"}));
    EXPECT_TRUE(log->lines().isEmpty());
    EXPECT_EQ(storedPosition("Site_1"), 2);
    EXPECT_EQ(storedPosition("Site_2"), 1);
}

TEST_F(RotationToolTest, UnattendedRunSavesTheCompletionLineWhenNothingWentWrong) {
    addSite("Site_1", "Garden", 1, 1);
    addRotation("Site_1", 1);
    startTool({"/ROTATE"});
    holdTimer(*main);
    ASSERT_TRUE(options->chklogging->isChecked());
    ASSERT_TRUE(options->chkonlylogerrors->isChecked());

    main->btnrotateallClick();
    EXPECT_EQ(data.read("log.txt"), "Your site update completed without error!\r\n");

    // A second run replaces the file rather than adding to it.
    addSite("Site_1", "Garden", 1, 1, false);
    main->btnrotateallClick();
    const QByteArray saved = data.read("log.txt");
    EXPECT_TRUE(saved.startsWith("! ")) << saved.constData();
    EXPECT_TRUE(saved.endsWith(" - Skipping site, Garden, which does not have autorotation enabled!\r\n"));
    EXPECT_EQ(saved.count("\r\n"), 1);
}

TEST_F(RotationToolTest, UnattendedRunWithoutLoggingWritesNoLogFile) {
    addSite("Site_1", "Garden", 1, 1);
    addRotation("Site_1", 1);
    data.write("options.ini", "[Options]\r\nLogging=False\r\nLogFileName=" + data.file("mine.txt").toUtf8() + "\r\n");
    startTool({"/ROTATE"});
    holdTimer(*main);
    main->btnrotateallClick();
    EXPECT_FALSE(QFileInfo::exists(data.file("mine.txt")));
    EXPECT_FALSE(QFileInfo::exists(data.file("log.txt")));
}

TEST_F(RotationToolTest, TheTimerRunsRotateAllOnceAndClosesTheWindowWithoutWritingOptions) {
    addSite("Site_1", "Garden", 1, 1);
    addRotation("Site_1", 1);
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    startTool({"/ROTATE"});
    ASSERT_TRUE(main->Timer1->isActive());
    EXPECT_EQ(main->Timer1->interval(), 300);
    options->chkcreatebackup->setChecked(true);  // changed but never saved in this mode
    ASSERT_TRUE(QTest::qWaitFor([&] { return !main->isVisible(); }, 30000));
    EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 1");
    EXPECT_EQ(data.read("options.ini"), "[Options]\r\nUseRotations=True\r\n");
}

TEST(RotationBackupName, ReplacesTheExtensionByTildeAndAllButItsLastCharacter) {
    using rotation_tool::backupFileName;
    EXPECT_EQ(backupFileName("/live/page.html"), "/live/page.~htm");
    EXPECT_EQ(backupFileName("/live/index.htm"), "/live/index.~ht");
    EXPECT_EQ(backupFileName("/live/a.gif"), "/live/a.~gi");
    EXPECT_EQ(backupFileName("/live/b.jpg"), "/live/b.~jp");
    EXPECT_EQ(backupFileName("/live.d/README"), "/live.d/README.");
}

TEST(RotationBackupName, NativeNamesKeepTheirBytesAndLoseOneWholeCharacter) {
    using rotation_tool::nativeBackupFileName;
    const struct {
        QByteArray target, backup;
    } cases[] = {
        {"/live/page.html", "/live/page.~htm"},
        {"/live.d/README", "/live.d/README."},
        {"/live/.htaccess", "/live/.~htacces"},
        {"/live/caf\xE9.jp\xE9", "/live/caf\xE9.~jp"},        // Latin-1 bytes: one byte each
        {"/live/x.\xC3\xA9\xC3\xA9", "/live/x.~\xC3\xA9"},  // UTF-8: a character is two bytes here
    };
    for (const auto& c : cases) EXPECT_EQ(nativeBackupFileName(c.target), c.backup) << c.target.constData();
}

TEST_F(RotationToolTest, EveryRegularFileIsPublishedWhateverItsNameAndOwnLeftoversGo) {
    addSite("Site_1", "Garden", 1, 1);
    addRotation("Site_1", 1);
    const QByteArray rotation = QFile::encodeName(data.path() + "Site_1/R1/");
    const QByteArray liveDir = QFile::encodeName(livePath("Site_1"));
    const QByteArray latin1Name = "caf\xE9.jpg";  // not valid UTF-8
    data.write("Site_1/R1/.htaccess", "deny from none");
    {
        std::FILE* f = std::fopen((rotation + latin1Name).constData(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("latin-1 photo", f);
        std::fclose(f);
    }
    // What a killed run leaves, and user files that only look alike.
    data.write("live_Site_1/.spindleway-Ab3xYz", "half a page");
    data.write("live_Site_1/thumbs/.spindleway-000000", "half a thumbnail");
    data.write("live_Site_1/old/deeper/.spindleway-q1W2e3", "left long ago");
    data.write("live_Site_1/.spindleway-notes.txt", "the user's own");
    data.write("live_Site_1/.spindleway-ab3", "the user's own too");
    data.write("live_Site_1/Index.html", "old index");
    // What a build that never finished leaves in the rotation, and a user file that only looks alike.
    data.write("Site_1/R1/.~0123456789ab.html", "half a page");
    data.write("Site_1/R1/thumbs/.~00000000000f.jpg", "half a thumbnail");
    data.write("Site_1/R1/.~0123456789ab.tar.gz", "the user's own");
    data.write("options.ini", "[Options]\r\nCreateBackups=True\r\n");
    struct stat oldIndex {};
    ASSERT_EQ(::stat((liveDir + "Index.html").constData(), &oldIndex), 0);
    startTool({"/ROTATE"});
    holdTimer(*main);

    main->btnrotateallClick();
    EXPECT_FALSE(log->ErrorFlag) << log->lines().join("\n").toStdString();
    EXPECT_EQ(live("Site_1", ".htaccess"), "deny from none");
    std::FILE* f = std::fopen((liveDir + latin1Name).constData(), "rb");
    ASSERT_NE(f, nullptr);
    char buffer[64] = {};
    const size_t got = std::fread(buffer, 1, sizeof buffer, f);
    std::fclose(f);
    EXPECT_EQ(QByteArray(buffer, int(got)), "latin-1 photo");

    for (const char* gone : {".spindleway-Ab3xYz", "thumbs/.spindleway-000000"})
        EXPECT_FALSE(QFileInfo::exists(livePath("Site_1") + gone)) << gone;
    EXPECT_EQ(live("Site_1", "old/deeper/.spindleway-q1W2e3"), "left long ago");  // no file goes there
    EXPECT_EQ(live("Site_1", ".spindleway-notes.txt"), "the user's own");
    EXPECT_EQ(live("Site_1", ".spindleway-ab3"), "the user's own too");
    for (const char* unpublished : {".~0123456789ab.html", "thumbs/.~00000000000f.jpg"})
        EXPECT_FALSE(QFileInfo::exists(livePath("Site_1") + unpublished)) << unpublished;
    EXPECT_EQ(live("Site_1", ".~0123456789ab.tar.gz"), "the user's own");

    // The backup is the old file itself, linked under its backup name.
    struct stat backup {};
    ASSERT_EQ(::stat((liveDir + "Index.~htm").constData(), &backup), 0);
    EXPECT_EQ(backup.st_ino, oldIndex.st_ino);
    EXPECT_EQ(live("Site_1", "Index.~htm"), "old index");
    EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 1");
}

// A file whose target does not exist is made without a name and linked in when whole; a target
// that appears meanwhile (another program, a second copy) is replaced like any other, backup
// included, and no file is ever left beside the target.
TEST(RotationFileSteps, ANewTargetIsLinkedInWholeAndOneMadeMeanwhileIsReplacedSafely) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray root = QFile::encodeName(dir.path()) + "/";
    const auto write = [](const QByteArray& path, const QByteArray& text) {
        QFile f(QFile::decodeName(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    const auto read = [](const QByteArray& path) {
        QFile f(QFile::decodeName(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    };
    write(root + "source.jpg", "new photo");
    ASSERT_EQ(::chmod((root + "source.jpg").constData(), 0640), 0);
    const struct {
        const char* name;
        const char* appearsMeanwhile;  // written between creating and installing; null: none
        const char* backup;            // expected content of the backup; null: none
    } cases[] = {{"a.jpg", nullptr, nullptr}, {"b.jpg", "someone else's", "someone else's"}};
    rotation_tool::WrittenFolders folders({root});
    ASSERT_FALSE(folders.open());
    rotation_tool::Turns turns(1);
    for (const auto& c : cases) {
        rotation_tool::FileCopy copy{root + "source.jpg", root + c.name};
        folders.assign(copy);
        rotation_tool::docopyfile(copy, turns);
        if (c.appearsMeanwhile) write(copy.target, c.appearsMeanwhile);
        ASSERT_TRUE(rotation_tool::flushFiles({copy}));
        ASSERT_TRUE(rotation_tool::MakeBackupFile(copy));
        rotation_tool::installFile(copy);
        EXPECT_TRUE(copy.published) << c.name;
        EXPECT_EQ(copy.descriptor, -1) << c.name;
        EXPECT_EQ(read(copy.target), "new photo") << c.name;
        struct stat info {};
        ASSERT_EQ(::stat(copy.target.constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0640u) << c.name;
        const QByteArray backup = rotation_tool::nativeBackupFileName(copy.target);
        EXPECT_EQ(read(backup), c.backup ? QByteArray(c.backup) : QByteArray("<missing>")) << c.name;
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"a.jpg", "b.jpg", "b.~jp", "source.jpg"}));

    // A copy dropped before its install leaves nothing, named or not.
    rotation_tool::FileCopy dropped{root + "source.jpg", root + "c.jpg"};
    folders.assign(dropped);
    rotation_tool::docopyfile(dropped, turns);
    rotation_tool::discardFile(dropped);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
}

TEST_F(RotationToolTest, RotateCurrentOnASiteThatCannotBeReadSaysSoInABox) {
    addSite("Site_1", "Garden", 1, 1);
    addRotation("Site_1", 1);
    platform::IniFile(data.file("sites.ini")).writeString("Sites", "Site_2", "Shed");  // no site file
    startTool();
    clickSite("Site_2");
    MessageScript script;
    script.answer(MessageResult::OK);
    main->btnRotateCurrent->click();
    EXPECT_EQ(script.texts(), QStringList{"Error analysing the status of Site 1: Site_2, " + data.file("Site_2.ini")});
    EXPECT_EQ(script.requests().back().kind, platform::MessageKind::Warning);
    EXPECT_EQ(script.dialogsShown(), 0);  // no log window: nothing was rotated
}
