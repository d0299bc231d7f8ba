// A stored path names one folder for every reader: folder creation, the site editor, the rotation
// tool and Delete Site with its check. The data directory's own path holds a "\" here, as a
// folder name may.
#include "components/file_list_box.h"
#include "platform/file_ops.h"
#include "platform/ini_file.h"
#include "site_manager/file_helpers.h"
#include "tests/common/tree_contents.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QFileInfo>

using platform::MessageResult;
using testing_support::MessageScript;
using testing_support::writeFile;

class StoredPathsTest : public MainWindowTest {
protected:
    StoredPathsTest() : root(data.path()), dataDir(root + "Web\\Gallery/") {
        QDir().mkpath(dataDir);
        platform::setExecutableDirectoryForTesting(dataDir);
    }

    void writeSites(const QByteArray& sites, const QByteArray& site1, const QByteArray& site2 = {}) {
        writeFile(dataDir + "options.ini", "[Options]\r\nUseRotations=True\r\n");
        writeFile(dataDir + "sites.ini", "[Sites]\r\n" + sites);
        writeFile(dataDir + "Site_1.ini", site1);
        if (!site2.isEmpty()) writeFile(dataDir + "Site_2.ini", site2);
    }

    // Deletes Site_1 as the user does, answering the confirmation and, when it is refused, the
    // box that says why; the texts shown.
    QStringList deleteSite1(bool refused) {
        startProgram();
        clickSite("Site_1");
        MessageScript script;
        script.answer(MessageResult::Yes);
        if (refused) script.answer(MessageResult::OK);
        QTest::mouseClick(main->btndeletesite, Qt::LeftButton);
        stopProgram();
        return script.texts();
    }

    QString root;     // holds the data directory, with a trailing "/"
    QString dataDir;  // "<root>Web\Gallery/"
};

TEST_F(StoredPathsTest, EveryReaderFindsTheSameFolder) {
    QString rootWrittenBackslashed = root;
    rootWrittenBackslashed.replace('/', '\\');
    const struct {
        const char* form;
        QString stored;
        QString folder;
    } rows[] = {
        {"the data directory's form", "%\\site\\rot1\\", dataDir + "site/rot1"},
        {"a trailing \\", root + "trail\\", root + "trail"},
        {"a \\ inside a name", root + "my\\pond/", root + "my\\pond"},
        {"a leading \\", rootWrittenBackslashed + "lead\\", root + "lead"},
        {"a doubled /", root + "double//x/", root + "double/x"},
        {"\".\" and \"..\"", root + "./dots/x/../y/.", root + "dots/y"},
        {"relative", "web", dataDir + "web"},
        {"a relative name beginning with %", "%Gallery", dataDir + "%Gallery"},
        {"a relative name beginning with %20", "%20live\\", dataDir + "%20live"},
    };
    writeFile(dataDir + "built/r1/Index.html", "built page");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.form);
        const QByteArray stored = row.stored.toUtf8();
        startProgram();
        EXPECT_TRUE(createnewdirectory(row.stored));
        EXPECT_TRUE(QFileInfo(row.folder).isDir());
        stopProgram();

        writeFile(row.folder + "/photo.jpg", "photo");
        writeSites("Site_1=Garden\r\n",
                   "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=1\r\n"
                   "[Rotation_1]\r\nRotation_Path=" +
                       stored + "\r\n");
        startProgram();
        clickSite("Site_1");
        MessageScript script;
        inEditor(script, [&](TdlgEditSite& editor) {
            EXPECT_EQ(editor.FileBox->fileNames(), QStringList{"photo.jpg"});
            EXPECT_TRUE(sameFile(editor.FileBox->Directory(), row.folder));
        });
        stopProgram();

        writeSites("Site_1=Garden\r\n", "[General]\r\nName=Garden\r\nPath=%\\built\\\r\nLivePath=" + stored +
                                            "\r\nAutoRotate=True\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n"
                                            "[Rotation_1]\r\nRotation_Path=%\\built\\r1\\\r\n");
        EXPECT_EQ(rotateUnattendedIn(dataDir, root), 0);
        EXPECT_EQ(testing_support::readFile(row.folder + "/Index.html"), "built page");

        // Delete Site checks the folder it deletes: another site's live directory stays.
        writeSites("Site_1=Garden\r\nSite_2=Other\r\n", "[General]\r\nName=Garden\r\nPath=" + stored + "\r\n",
                   "[General]\r\nName=Other\r\nPath=%\\other\\\r\nLivePath=" + row.folder.toUtf8() + "\r\n");
        EXPECT_TRUE(deleteSite1(true).last().contains("is used by the site, Other, as its live directory"));
        EXPECT_TRUE(QFileInfo::exists(row.folder + "/photo.jpg"));
        writeSites("Site_1=Garden\r\n", "[General]\r\nName=Garden\r\nPath=" + stored + "\r\n");
        EXPECT_EQ(deleteSite1(false).size(), 1);  // the confirmation only
        EXPECT_FALSE(QFileInfo::exists(row.folder));
        EXPECT_TRUE(QFileInfo::exists(dataDir + "sites.ini"));
    }
}

// Delete Site keeps a folder that is or holds the data directory, the home folder or another
// site's folder, read as the delete reads it, whatever "\" their paths hold.
TEST_F(StoredPathsTest, DeleteSiteKeepsFoldersWhosePathsHoldABackslash) {
    const QByteArray savedHome = qgetenv("HOME");
    const QString home = root + "u\\home";
    QDir().mkpath(home);
    qputenv("HOME", QFile::encodeName(home));
    const struct {
        const char* what;
        QByteArray sitePath;
        QByteArray otherSite;  // Site_2's [General], when there is one
        QString kept;          // a file that must stay
        const char* reason;
    } rows[] = {
        {"the data directory", "%\\", {}, dataDir + "notes.txt", "is or holds the data directory of Lumenfold Pro"},
        {"the home folder", home.toUtf8() + "/", {}, home + "/notes.txt", "is or holds your home directory"},
        {"another site's folder inside", "%\\shared\\",
         "[General]\r\nName=Pond\r\nPath=" + dataDir.toUtf8() + "shared/my\\pond/\r\n",
         dataDir + "shared/my\\pond/fish.jpg", "is used by the site, Pond, as its site directory"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        writeFile(row.kept, "keep me");
        writeSites(row.otherSite.isEmpty() ? "Site_1=Garden\r\n" : "Site_1=Garden\r\nSite_2=Pond\r\n",
                   "[General]\r\nName=Garden\r\nPath=" + row.sitePath + "\r\n", row.otherSite);
        const QStringList texts = deleteSite1(true);
        EXPECT_TRUE(texts.size() == 2 && texts.last().contains(row.reason)) << texts.join("\n").toStdString();
        EXPECT_EQ(testing_support::readFile(row.kept), "keep me");
        EXPECT_TRUE(platform::IniFile(dataDir + "sites.ini").valueExists("Sites", "Site_1"));
    }
    qputenv("HOME", savedHome);
}
