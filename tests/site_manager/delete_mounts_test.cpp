// Delete Site and Delete Rotation stay on the file system of the folder they delete: a folder
// mounted inside it keeps everything in it, and the user is told. A folder that is a mount of one
// holding another site's folders is not deleted at all. The mounts are made in a mount
// namespace of their own (this test program run again under unshare), so none outlives a test
// that dies.
#include "platform/ini_file.h"
#include "tests/common/tree_contents.h"
#include "tests/site_manager/main_window_fixture.h"
#include "tests/site_manager/mount_namespace.h"

#include <QTemporaryDir>

using platform::MessageResult;
using testing_support::inOwnMountNamespace;
using testing_support::MessageScript;
using testing_support::Mounts;
using testing_support::runInOwnMountNamespace;
using testing_support::treeContents;

namespace {

QStringList prefixed(const QString& prefix, const QStringList& tree) {
    QStringList result;
    for (const QString& entry : tree) result << prefix + entry;
    return result;
}

// Only ever registered in the namespace that the outer tests make for them.
class DeleteMountsInNamespace : public MainWindowTest {
    void TestBody() override;
};
class MountedOwnersInNamespace : public MainWindowTest {
    void TestBody() override;
};

const bool innerTestsRegistered =
    testing_support::registerInOwnMountNamespace<DeleteMountsInNamespace>(
        "DeleteMountsInNamespace", "MountedFoldersKeepEverything", __FILE__, __LINE__) &&
    testing_support::registerInOwnMountNamespace<MountedOwnersInNamespace>(
        "DeleteMountsInNamespace", "FoldersShowingAnotherSitesAreKept", __FILE__, __LINE__);

}  // namespace

TEST(DeleteMounts, AFolderMountedInsideADeletedFolderKeepsEverythingInIt) {
    runInOwnMountNamespace("DeleteMountsInNamespace.MountedFoldersKeepEverything");
}

// Whether a folder holds another site's is asked of what it is on disk, not of its path.
TEST(DeleteMounts, AFolderThatShowsAnotherSitesFoldersIsKept) {
    runInOwnMountNamespace("DeleteMountsInNamespace.FoldersShowingAnotherSitesAreKept");
}

void DeleteMountsInNamespace::TestBody() {
    // Never mount where the mounts would outlive the test.
    ASSERT_TRUE(inOwnMountNamespace()) << "not in a mount namespace of its own";

    enum class Source {
        OtherSite,      // Site_2's folder, on the same file system: only the mount id tells
        DataDirectory,  // also on the same file system
        Drive,          // a file system of its own: the device tells
    };
    const struct {
        const char* name;
        bool rotation;  // Delete Rotation of rotation 2, else Delete Site
        Source source;
    } rows[] = {
        {"another site's folder inside the site folder", false, Source::OtherSite},
        {"the data directory inside the site folder", false, Source::DataDirectory},
        {"a drive inside the rotation folder", true, Source::Drive},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        resetProgramGlobals();
        QTemporaryDir outside;
        const QString photos = outside.path() + "/Photos/";
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Photos\r\nSite_2=Garden\r\n");
        data.write("Site_1.ini", ("[General]\r\nName=Photos\r\nPath=" + photos + "\r\nRotationCount=2\r\n" +
                                  "[Rotation_1]\r\nRotation_Path=" + photos + "Rotation_1\\\r\n" +
                                  "[Rotation_2]\r\nRotation_Path=" + photos + "Rotation_2\\\r\n")
                                     .toUtf8());
        data.write("Site_2.ini", "[General]\r\nName=Garden\r\nPath=%\\Garden\\\r\nRotationCount=1\r\n");
        data.write("Garden/Index.html", "<html>the garden</html>");
        data.write("Garden/Rotation_1/rose.txt", "a rose\r\n");
        const QString deleted = row.rotation ? photos + "Rotation_2" : outside.path() + "/Photos";
        for (const char* file : {"/Index.html", "/.hidden", "/shelf/old.txt", "/thumbs/page.html"})
            testing_support::writeFile(deleted + file, QByteArray("from ") + file);
        QDir().mkpath(photos + "Rotation_1");

        Mounts mounts;
        QString source = data.path() + "Garden";
        if (row.source == Source::DataDirectory) source = data.path();
        if (row.source == Source::Drive) {
            source = outside.path() + "/drive";
            ASSERT_TRUE(mounts.tmpfs(source));
            testing_support::writeFile(source + "/holiday/beach.txt", "sand\r\n");
            testing_support::writeFile(source + "/list.txt", "one\ntwo\n");
        }
        const QString point = deleted + "/shelf/mounted";
        ASSERT_TRUE(mounts.bind(source, point));
        // The delete itself takes the deleted site's entry and file out of the data directory.
        const auto comparable = [&](QStringList tree) {
            if (row.source == Source::DataDirectory)
                tree.removeIf(
                    [](const QString& e) { return e.startsWith("sites.ini:") || e.startsWith("Site_1.ini:"); });
            return tree;
        };
        const QStringList sourceBefore = comparable(treeContents(source));

        startProgram();
        clickSite("Site_1");
        MessageScript script;
        if (row.rotation) {
            inEditor(script, [&](TdlgEditSite& editor) {
                editor.lbxrotations->setCurrentRow(1);
                editor.lbxrotationsClick();
                script.answer(MessageResult::Yes).answer(MessageResult::OK);
                editor.btndeleterotationClick();
            });
        } else {
            script.answer(MessageResult::Yes).answer(MessageResult::OK);
            main->btndeletesiteClick();
        }

        EXPECT_EQ(comparable(treeContents(source)), sourceBefore);
        EXPECT_EQ(treeContents(deleted),
                  QStringList({"shelf/", "shelf/mounted/"}) + prefixed("shelf/mounted/", treeContents(source)));
        EXPECT_EQ(script.texts().size(), 2) << script.texts().join("\n").toStdString();
        EXPECT_EQ(script.texts().value(1), "The directory, " + deleted +
                                               ", could not be deleted whole: a folder mounted inside it, " + point +
                                               ", and everything in it were kept.");
        // What the delete lets go of goes as when it fails: the site's entry, or the rotation.
        if (row.rotation)
            EXPECT_EQ(platform::IniFile(data.file("Site_1.ini")).readString("General", "RotationCount", ""), "1");
        else
            EXPECT_EQ(platform::IniFile(data.file("sites.ini")).readString("Sites", "Site_1", "gone"), "gone");
        stopProgram();
    }
}

// A folder that shows, by a bind mount, the folder in which another site keeps its files is kept
// by Delete Site, with everything in it.
void MountedOwnersInNamespace::TestBody() {
    ASSERT_TRUE(inOwnMountNamespace()) << "not in a mount namespace of its own";
    const struct {
        const char* what;
        const char* general;  // Delta's folders, in "shared/" below the data directory
        const char* reason;
    } rows[] = {
        {"another site's folder", "Path=%\\shared\\delta\\\r\n", "is used by the site, Delta, as its site directory"},
        {"another site's live directory", "Path=%\\delta\\\r\nLivePath=%\\shared\\www\\\r\n",
         "is used by the site, Delta, as its live directory"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        resetProgramGlobals();
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Gamma\r\nSite_2=Delta\r\n");
        data.write("Site_1.ini", "[General]\r\nName=Gamma\r\nPath=" + data.file("view/").toUtf8() + "\r\n");
        data.write("Site_2.ini", QByteArray("[General]\r\nName=Delta\r\n") + row.general);
        data.write("shared/delta/photo.jpg", "delta photo");
        data.write("shared/www/Index.html", "delta live page");
        const QStringList before = treeContents(data.file("shared"));
        Mounts mounts;
        ASSERT_TRUE(mounts.bind(data.file("shared"), data.file("view")));

        startProgram();
        clickSite("Site_1");
        MessageScript script;
        script.answer(MessageResult::Yes).answer(MessageResult::OK);
        main->btndeletesiteClick();
        stopProgram();
        EXPECT_EQ(script.texts().value(1), "The directory, " + data.file("view/") + ", " + row.reason +
                                               ", so it cannot be deleted.  The site, Gamma, has been kept.");
        EXPECT_EQ(treeContents(data.file("shared")), before);
        EXPECT_EQ(platform::IniFile(data.file("sites.ini")).readString("Sites", "Site_1", "gone"), "Gamma");
    }
}
