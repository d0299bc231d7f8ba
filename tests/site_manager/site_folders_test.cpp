// Site Options and New Rotation with folders that do not exist yet or that another site already
// keeps its files in.
#include "platform/ini_file.h"
#include "site_manager/site_options_dialog.h"
#include "tests/common/tree_contents.h"
#include "tests/site_manager/main_window_fixture.h"
#include "tests/site_manager/mount_namespace.h"

#include <QFile>
#include <QTemporaryDir>

using platform::MessageResult;
using testing_support::MessageScript;
using testing_support::treeContents;

class SiteFoldersTest : public MainWindowTest {
protected:
    // Writes Garden (Site_1) and Pond (Site_2) with multiple rotations on, starts and selects Pond.
    void startWithGardenAndPond(const QByteArray& garden, const QByteArray& pond) {
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\nSite_2=Pond\r\n");
        data.write("Site_1.ini", "[General]\r\nName=Garden\r\n" + garden);
        data.write("Site_2.ini", "[General]\r\nName=Pond\r\n" + pond);
        startProgram();
        clickSite("Site_2");
    }

    // Opens Site Options on the selected site, types the folder and presses OK; true when the
    // dialog stayed open (it is then cancelled).
    bool typeSiteFolder(MessageScript& script, const QString& folder) {
        bool stayedOpen = false;
        script.onDialog([&](QDialog& d) {
            auto& options = dynamic_cast<TdlgSIteOptions&>(d);
            options.edtpath->setText(folder);
            QTest::mouseClick(options.BitBtn1, Qt::LeftButton);
            stayedOpen = d.result() == 0;
            if (stayedOpen) QTest::mouseClick(options.BitBtn2, Qt::LeftButton);
            return d.result();
        });
        main->btnsiteoptionsClick();
        return stayedOpen;
    }
};

// "/" alone separates the folders made, a doubled one counts once, and "\" is part of a name.
TEST_F(SiteFoldersTest, SiteOptionsCreatesAMissingFolderAsItsPathNamesIt) {
    const struct {
        const char* typed;
        QStringList created;
    } cases[] = {
        {"www//site1", {"www/", "www/site1/"}},
        {"my\\www", {"my\\www/"}},
    };
    writeGardenSite(false);
    startWithGardenSite();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const QTemporaryDir out;
        const QString typed = out.path() + "/" + c.typed;
        MessageScript script;
        script.answer(MessageResult::Yes);
        EXPECT_FALSE(typeSiteFolder(script, typed));
        EXPECT_EQ(treeContents(out.path()), c.created);
    }
}

// A "%" that no separator follows is part of a folder's name in the data directory: Site Options
// makes that folder, stores it so that it reads back as the same folder, and saving the folder it
// read back keeps it.
TEST_F(SiteFoldersTest, SiteOptionsKeepsAFolderWhoseNameBeginsWithPercent) {
    const struct {
        const char* typed;
        const char* folder;  // below the data directory
        const char* stored;  // as Site Options first stores it; saved again it ends in "/"
    } cases[] = {
        {"%Gallery", "%Gallery/", "%\\%Gallery"},
        {"%", "%/", "%\\%"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        startWithGardenAndPond("Path=%\\garden\\\r\n", "Path=%\\pond\\\r\n");
        MessageScript script;
        script.answer(MessageResult::Yes);  // create the folder
        EXPECT_FALSE(typeSiteFolder(script, c.typed));
        EXPECT_EQ(script.texts(), QStringList{"The directory, " + QString(c.typed) +
                                              ", does not exist.  Would you like to create it?"});
        EXPECT_EQ(treeContents(data.file(c.folder)), QStringList());
        EXPECT_TRUE(QFileInfo(data.file(c.folder)).isDir());
        EXPECT_EQ(platform::IniFile(data.file("Site_2.ini")).readString("General", "Path", ""), c.stored);
        stopProgram();

        startProgram();
        clickSite("Site_2");
        EXPECT_EQ(tsiterecord.Path, data.file(c.folder));
        MessageScript again;
        EXPECT_FALSE(typeSiteFolder(again, tsiterecord.Path));
        EXPECT_EQ(again.texts(), QStringList());
        EXPECT_EQ(platform::IniFile(data.file("Site_2.ini")).readString("General", "Path", ""),
                  QString(c.stored) + "/");
        stopProgram();
        QDir(data.file(c.folder)).removeRecursively();
    }
}

// The refused rows change nothing, so all rows share one start; the stored one comes last.
TEST_F(SiteFoldersTest, SiteOptionsRefusesAFolderAnotherSiteKeepsItsFilesIn) {
    const struct {
        const char* what;
        const char* typed;   // below the data directory
        const char* owner;   // how the box names the owner; empty: the folder is stored
        const char* folder;  // the folder the box names, below the data directory
    } cases[] = {
        {"the other site's folder", "garden", "the site, Garden,", "garden/"},
        {"a link to it", "gardenlink/", "the site, Garden,", "garden/"},
        {"a rotation folder that is not on disk", "shared/R2", "rotation 2 of the site, Garden,", "shared/R2/"},
        {"a folder beside them", "pond2", "", ""},
    };
    data.write("garden/R1/Index.html", "garden 1");
    QDir().mkpath(data.file("pond2"));
    QFile::link(data.file("garden"), data.file("gardenlink"));
    startWithGardenAndPond(
        "Path=%\\garden\\\r\nRotationCount=2\r\n[Rotation_1]\r\nRotation_Path=%\\garden\\R1\\\r\n"
        "[Rotation_2]\r\nRotation_Path=%\\shared\\R2\\\r\n",
        "Path=%\\pond\\\r\nRotationCount=0\r\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const bool refused = *c.owner;
        MessageScript script;
        if (refused) script.answer(MessageResult::OK);
        EXPECT_EQ(typeSiteFolder(script, data.file(c.typed)), refused);
        EXPECT_EQ(script.texts(), refused ? QStringList{"Keeping this site in " + data.file(c.typed) +
                                                        " would overwrite the files of " + c.owner + " in " +
                                                        data.file(c.folder) + "!  Please choose another directory."}
                                          : QStringList());
        for (const auto& box : script.requests()) EXPECT_EQ(box.kind, platform::MessageKind::Information);
        EXPECT_EQ(platform::IniFile(data.file("Site_2.ini")).readString("General", "Path", ""),
                  refused ? "%\\pond\\" : "%\\pond2");
        EXPECT_FALSE(QFileInfo::exists(data.file("shared")));
    }
}

// New Rotation that would make its folder in another site's folder makes no rotation: no
// section, no count, no folder, and the other site's files stay as they are.
TEST_F(SiteFoldersTest, NewRotationRefusesAFolderAnotherSiteKeepsItsFilesIn) {
    const QByteArray garden =
        "Path=%\\pond\\Rotation_2\\\r\nRotationCount=1\r\n"
        "[Rotation_1]\r\nRotation_Path=%\\shared\\Rotation_1\\\r\n";
    const struct {
        const char* what;
        QByteArray pond;     // Pond's [General] and rotation sections
        const char* folder;  // the folder New Rotation would make, below the data directory
        const char* owner;
        int pondRotations;
    } cases[] = {
        {"Pond's first rotation is Garden's first", "Path=%\\shared\\\r\nRotationCount=0\r\n", "shared/Rotation_1/",
         "rotation 1 of the site, Garden,", 0},
        {"Pond's second rotation is Garden's folder",
         "Path=%\\pond\\\r\nRotationCount=1\r\n[Rotation_1]\r\nRotation_Path=%\\pond\\Rotation_1\\\r\n",
         "pond/Rotation_2/", "the site, Garden,", 1},
    };
    QDir().mkpath(data.file("pond/Rotation_1"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        data.write(QString(c.folder) + "Index.html", "garden's page");
        startWithGardenAndPond(garden, c.pond);

        MessageScript script;
        script.answer(MessageResult::OK);
        int listed = -1;
        inEditor(script, [&](TdlgEditSite& editor) {
            if (c.pondRotations > 0) QTest::mouseClick(editor.btnNewRotation, Qt::LeftButton);
            listed = editor.lbxrotations->count();
        });
        EXPECT_EQ(script.texts(), QStringList{"Creating the new rotation in " + data.file(c.folder).chopped(1) +
                                              " would overwrite the files of " + c.owner + " in " +
                                              data.file(c.folder) + "!  No rotation has been created."});
        EXPECT_EQ(listed, c.pondRotations);
        const platform::IniFile pond(data.file("Site_2.ini"));
        EXPECT_EQ(pond.readString("General", "RotationCount", ""), QString::number(c.pondRotations));
        EXPECT_FALSE(pond.sectionExists("Rotation_" + QString::number(c.pondRotations + 1)));
        EXPECT_EQ(data.read("Site_1.ini"), "[General]\r\nName=Garden\r\n" + garden);
        EXPECT_EQ(treeContents(data.file(c.folder)), QStringList{"Index.html: garden's page"});
        stopProgram();
    }
}

// A new rotation folder that is a bind mount of a folder inside another site's is refused as the
// same folder reached through a link is. The mount is made in a mount namespace of the test's own.
class SiteFoldersInNamespace : public SiteFoldersTest {
    void TestBody() override;
};
const bool siteFoldersRegistered = testing_support::registerInOwnMountNamespace<SiteFoldersInNamespace>(
    "SiteFoldersInNamespace", "NewRotationOnABindMount", __FILE__, __LINE__);

TEST_F(SiteFoldersTest, NewRotationRefusesABindMountOfAFolderAnotherSiteKeepsItsFilesIn) {
    testing_support::runInOwnMountNamespace("SiteFoldersInNamespace.NewRotationOnABindMount");
}

void SiteFoldersInNamespace::TestBody() {
    ASSERT_TRUE(testing_support::inOwnMountNamespace()) << "not in a mount namespace of its own";
    data.write("garden/originals/rose.jpg", "garden's camera file");
    QDir().mkpath(data.file("pond/Rotation_1"));
    testing_support::Mounts mounts;
    ASSERT_TRUE(mounts.bind(data.file("garden/originals"), data.file("pond/Rotation_2")));
    startWithGardenAndPond(
        "Path=%\\garden\\\r\n",
        "Path=%\\pond\\\r\nRotationCount=1\r\n[Rotation_1]\r\nRotation_Path=%\\pond\\Rotation_1\\\r\n");
    MessageScript script;
    script.answer(MessageResult::OK);
    inEditor(script, [&](TdlgEditSite& editor) {
        QTest::mouseClick(editor.btnNewRotation, Qt::LeftButton);
        EXPECT_EQ(editor.lbxrotations->count(), 1);
    });
    EXPECT_EQ(script.texts(), QStringList{"Creating the new rotation in " + data.file("pond/Rotation_2") +
                                          " would overwrite the files of the site, Garden, in " + data.file("garden/") +
                                          "!  No rotation has been created."});
    EXPECT_EQ(platform::IniFile(data.file("Site_2.ini")).readString("General", "RotationCount", ""), "1");
    EXPECT_EQ(treeContents(data.file("garden")),
              QStringList({"originals/", "originals/rose.jpg: garden's camera file"}));
}
