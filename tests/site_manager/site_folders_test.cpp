// Site Options and New Rotation with folders that do not exist yet or that another site already
// keeps its files in.
#include "platform/ini_file.h"
#include "site_manager/site_options_dialog.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

// Every folder ("path/") and file ("path") below a directory, by relative path.
QStringList entriesBelow(const QString& directory) {
    QStringList entries;
    QDirIterator it(directory, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = QDir(directory).relativeFilePath(it.next());
        entries << (it.fileInfo().isDir() ? relative + "/" : relative);
    }
    entries.sort();
    return entries;
}

class SiteFoldersTest : public MainWindowTest {
protected:
    // Opens Site Options on the site, types the folder and presses OK; true when the dialog stayed
    // open (it is then cancelled).
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

    QMap<QString, QByteArray> siteFiles() const {
        QMap<QString, QByteArray> files;
        for (const char* name : {"sites.ini", "Site_1.ini", "Site_2.ini"}) files[name] = data.read(name);
        return files;
    }
};

}  // namespace

// "/" alone separates the folders made, a doubled one counts once, and "\" is part of a name.
TEST_F(SiteFoldersTest, SiteOptionsCreatesAMissingFolderAsItsPathNamesIt) {
    const struct {
        const char* typed;  // below the data directory's "out/", which exists
        QStringList outAfterwards;
    } cases[] = {
        {"www//site1", {"www/", "www/site1/"}},
        {"my\\www", {"my\\www/"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        writeGardenSite(false);
        ASSERT_TRUE(QDir().mkpath(data.file("out")));
        startWithGardenSite();
        MessageScript script;
        script.answer(MessageResult::Yes);
        EXPECT_FALSE(typeSiteFolder(script, data.file("out/") + c.typed));
        EXPECT_EQ(script.texts(), QStringList{"The directory, " + data.file("out/") + c.typed +
                                              ", does not exist.  Would you like to create it?"});
        EXPECT_EQ(entriesBelow(data.file("out")), c.outAfterwards);
        stopProgram();
        ASSERT_TRUE(QDir(data.file("out")).removeRecursively());
    }
}

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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\nSite_2=Pond\r\n");
        data.write("Site_1.ini",
                   "[General]\r\nName=Garden\r\nPath=%\\garden\\\r\nRotationCount=2\r\n"
                   "[Rotation_1]\r\nRotation_Path=%\\garden\\R1\\\r\n"
                   "[Rotation_2]\r\nRotation_Path=%\\shared\\R2\\\r\n");
        data.write("Site_2.ini", "[General]\r\nName=Pond\r\nPath=%\\pond\\\r\nRotationCount=0\r\n");
        data.write("garden/R1/Index.html", "garden 1");
        ASSERT_TRUE(QDir().mkpath(data.file("pond2")));
        QFile::link(data.file("garden"), data.file("gardenlink"));
        const auto before = siteFiles();
        startProgram();
        clickSite("Site_2");

        MessageScript script;
        if (*c.owner) script.answer(MessageResult::OK);
        const bool stayedOpen = typeSiteFolder(script, data.file(c.typed));

        EXPECT_EQ(stayedOpen, *c.owner != 0);
        if (*c.owner) {
            EXPECT_EQ(script.texts(),
                      QStringList{"Keeping this site in " + data.file(c.typed) + " would overwrite the files of " +
                                  c.owner + " in " + data.file(c.folder) + "!  Please choose another directory."});
            EXPECT_TRUE(!script.requests().empty() &&
                        script.requests().front().kind == platform::MessageKind::Information);
            EXPECT_EQ(siteFiles(), before);
        } else {
            EXPECT_EQ(script.texts(), QStringList());
            EXPECT_EQ(platform::IniFile(data.file("Site_2.ini")).readString("General", "Path", ""), "%\\pond2");
        }
        EXPECT_FALSE(QFileInfo::exists(data.file("shared")));
        EXPECT_EQ(data.read("garden/R1/Index.html"), "garden 1");
        stopProgram();
    }
}

// New Rotation that would make its folder in another site's folder makes no rotation: no
// section, no count, no folder, and the other site's files stay as they are.
TEST_F(SiteFoldersTest, NewRotationRefusesAFolderAnotherSiteKeepsItsFilesIn) {
    const struct {
        const char* what;
        QByteArray garden;    // Garden's [General] and rotation sections
        QByteArray pond;      // Pond's
        const char* refused;  // the folder New Rotation would make, below the data directory
        const char* owner;
        const char* folder;
        int pondRotations;
    } cases[] = {
        {"Pond's first rotation is Garden's first",
         "Path=%\\garden\\\r\nRotationCount=1\r\n[Rotation_1]\r\nRotation_Path=%\\shared\\Rotation_1\\\r\n",
         "Path=%\\shared\\\r\nRotationCount=0\r\n", "shared/Rotation_1", "rotation 1 of the site, Garden,",
         "shared/Rotation_1/", 0},
        {"Pond's second rotation is Garden's folder", "Path=%\\pond\\Rotation_2\\\r\nRotationCount=0\r\n",
         "Path=%\\pond\\\r\nRotationCount=1\r\n[Rotation_1]\r\nRotation_Path=%\\pond\\Rotation_1\\\r\n",
         "pond/Rotation_2", "the site, Garden,", "pond/Rotation_2/", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\nSite_2=Pond\r\n");
        data.write("Site_1.ini", "[General]\r\nName=Garden\r\n" + c.garden);
        data.write("Site_2.ini", "[General]\r\nName=Pond\r\n" + c.pond);
        ASSERT_TRUE(QDir().mkpath(data.file("pond/Rotation_1")));
        ASSERT_TRUE(QDir().mkpath(data.file("garden")));
        data.write(QString(c.folder) + "Index.html", "garden's page");
        const QByteArray gardenBefore = data.read("Site_1.ini");
        startProgram();
        clickSite("Site_2");

        MessageScript script;
        script.answer(MessageResult::OK);
        int listed = -1;
        inEditor(script, [&](TdlgEditSite& editor) {
            if (c.pondRotations > 0) QTest::mouseClick(editor.btnNewRotation, Qt::LeftButton);
            listed = editor.lbxrotations->count();
        });
        EXPECT_EQ(script.texts(), QStringList{"Creating the new rotation in " + data.file(c.refused) +
                                              " would overwrite the files of " + c.owner + " in " +
                                              data.file(c.folder) + "!  No rotation has been created."});
        EXPECT_EQ(listed, c.pondRotations);
        const platform::IniFile pond(data.file("Site_2.ini"));
        EXPECT_EQ(pond.readString("General", "RotationCount", ""), QString::number(c.pondRotations));
        EXPECT_FALSE(pond.sectionExists("Rotation_" + QString::number(c.pondRotations + 1)));
        EXPECT_EQ(data.read("Site_1.ini"), gardenBefore);
        EXPECT_EQ(entriesBelow(data.file(c.folder)), QStringList{"Index.html"});
        EXPECT_EQ(data.read(QString(c.folder) + "Index.html"), "garden's page");
        stopProgram();
        for (const char* dir : {"pond", "garden", "shared"}) QDir(data.file(dir)).removeRecursively();
    }
}
