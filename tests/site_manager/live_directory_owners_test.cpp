// A live directory never lies on another site's folders, nor inside them, nor on the data
// directory or inside a folder the programs ship: Site Options refuses it at OK, and the rotation
// tool refuses to copy into it, touching nothing. The same holds for a site's own folders, and for
// a new rotation over what the site has live.
#include "platform/ini_file.h"
#include "site_manager/folder_owners.h"
#include "site_manager/site_paths.h"
#include "tests/site_manager/mount_namespace.h"
#include "tests/site_manager/owners_fixture.h"

using platform::MessageResult;
using testing_support::MessageScript;
using testing_support::readFile;
using testing_support::treeContents;

class LiveDirectoryOwnersTest : public OwnersTest {
protected:
    // Alpha's built rotation, and Beta's, which is to go live.
    void writeSites(const QByteArray& betaLive) {
        writeAlpha();
        data.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\nSite_2=Beta\r\n");
        data.write("Site_2.ini", "[General]\r\nName=Beta\r\nPath=%\\beta\\\r\nLivePath=" + betaLive +
                                     "\r\nAutoRotate=" + (betaLive.isEmpty() ? "False" : "True") +
                                     "\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n"
                                     "[Rotation_1]\r\nRotation_Path=%\\beta\\Rotation_1\\\r\n");
        data.write("beta/Rotation_1/Index.html", "beta page");
        data.write("beta/Rotation_1/b.jpg", "beta photo");
        data.write("beta/Rotation_1/thumbs/b_thb.jpg", "beta thumbnail");
        // Beta's rotation holds files of the same names as Alpha's.
        data.write("beta/Rotation_1/bg.jpg", "beta background");
        data.write("beta/Rotation_1/gallery.css", "beta stylesheet");
        // The shipped templates, one of them changed by the user.
        data.write("Styles/gallery.css", "the user's stylesheet");
        data.write("Styles/Sample_With_Index.htm", "shipped template");
    }

    // A live directory that Site Options and the rotation tool refuse.
    struct RefusedLive {
        const char* what;
        const char* live;   // below the data directory
        const char* typed;  // as the user types it; empty: the full path
        const char* shows;  // live is a link to (or a bind mount of) this folder below the data directory
        const char* owner;  // %1 is the data directory
    };
    void expectRefused(const RefusedLive& row) {
        const QString live = *row.typed ? QString(row.typed) : data.file(row.live);
        const QString owner = QString(row.owner).arg(data.path());

        // Site Options keeps the dialog open and stores nothing.
        writeSites({});
        const QByteArray betaBefore = data.read("Site_2.ini");
        EXPECT_EQ(refusedInSiteOptions("Site_2", typed(QString(), live)),
                  QStringList{"Copying the rotation to " + live + " would overwrite the files of " + owner +
                              "!  Please choose another directory."});
        EXPECT_EQ(data.read("Site_2.ini"), betaBefore);

        // Stored by hand, the rotation tool copies nothing and fails the run.
        writeSites(live.toUtf8());
        const QStringList before = othersFiles();
        const QByteArray betaStored = data.read("Site_2.ini");
        EXPECT_EQ(rotateUnattendedIn(data.path(), QDir::tempPath()), 1);
        EXPECT_EQ(othersFiles(), before);
        EXPECT_EQ(data.read("Site_2.ini"), betaStored);
        EXPECT_TRUE(QString::fromUtf8(data.read("log.txt"))
                        .contains("The site, Beta, was NOT updated to rotation 1: copying into its live directory, " +
                                  data.file(row.live) + ", would overwrite the files of " + owner))
            << data.read("log.txt").toStdString();
    }

    // The programs' files and Alpha's, as they are.
    QStringList othersFiles() const {
        QStringList files = treeContents(data.path() + "alpha") + treeContents(data.path() + "Styles");
        for (const char* name : {"sites.ini", "options.ini", "Site_1.ini", "Index.html", "b.jpg", "thumbs"})
            files << name +
                         (QFileInfo::exists(data.file(name)) ? ": " + readFile(data.file(name)) : QString(" absent"));
        return files;
    }
};

TEST_F(LiveDirectoryOwnersTest, ALiveDirectoryOnAnotherSitesFoldersOrTheDataDirectoryIsRefused) {
    const RefusedLive rows[] = {
        {"another site's folder", "alpha/", "", "", "the site, Alpha, in %1alpha/"},
        {"another site's rotation", "alpha/Rotation_1/", "", "",
         "rotation 1 of the site, Alpha, in %1alpha/Rotation_1/"},
        {"another site's rotation through a link", "golive/", "", "alpha/Rotation_1",
         "rotation 1 of the site, Alpha, in %1alpha/Rotation_1/"},
        {"the data directory", "", "", "", "the data directory of Lumenfold Pro in %1"},
        {"a folder another site's page uses", "alpha/Rotation_1/images/", "", "",
         "rotation 1 of the site, Alpha, in %1alpha/Rotation_1/"},
        {"inside another site's thumbs", "alpha/Rotation_1/thumbs/x/", "", "",
         "rotation 1 of the site, Alpha, in %1alpha/Rotation_1/thumbs/"},
        {"inside another site's folder", "alpha/originals/", "", "", "the site, Alpha, in %1alpha/"},
        {"a folder another site's page uses, through a link", "golive/", "", "alpha/Rotation_1/images",
         "rotation 1 of the site, Alpha, in %1alpha/Rotation_1/"},
        {"a shipped folder", "Styles/", "%\\Styles\\", "", "the Styles folder of Lumenfold Pro in %1Styles/"},
    };
    for (const RefusedLive& row : rows) {
        SCOPED_TRACE(row.what);
        const QString link = data.file(row.live).chopped(1);
        if (*row.shows) ASSERT_TRUE(QFile::link(data.file(row.shows), link));
        expectRefused(row);
        if (*row.shows) QFile::remove(link);
    }
}

// A bind mount is judged by the folder it shows, as a link is by the folder it leads to. The
// mounts are made in a mount namespace of the test's own.
class LiveDirectoryMountsInNamespace : public LiveDirectoryOwnersTest {
    void TestBody() override;
};
const bool liveDirectoryMountsRegistered = testing_support::registerInOwnMountNamespace<LiveDirectoryMountsInNamespace>(
    "LiveDirectoryOwnersInNamespace", "BindMountsOfAnotherSitesFolders", __FILE__, __LINE__);

TEST_F(LiveDirectoryOwnersTest, ALiveDirectoryThatIsABindMountOfAnotherSitesFolderIsRefused) {
    testing_support::runInOwnMountNamespace("LiveDirectoryOwnersInNamespace.BindMountsOfAnotherSitesFolders", 60000);
}

void LiveDirectoryMountsInNamespace::TestBody() {
    ASSERT_TRUE(testing_support::inOwnMountNamespace()) << "not in a mount namespace of its own";
    const RefusedLive rows[] = {
        {"a folder another site's page uses", "beta/www/", "", "alpha/Rotation_1/images",
         "rotation 1 of the site, Alpha, in %1alpha/Rotation_1/"},
        {"inside another site's folder", "beta/www/", "", "alpha/originals", "the site, Alpha, in %1alpha/"},
        {"inside another site's thumbs", "beta/www/", "", "alpha/Rotation_1/thumbs/x",
         "rotation 1 of the site, Alpha, in %1alpha/Rotation_1/thumbs/"},
    };
    for (const RefusedLive& row : rows) {
        SCOPED_TRACE(row.what);
        writeSites({});
        QDir().mkpath(data.file(row.shows));
        testing_support::Mounts mounts;
        ASSERT_TRUE(mounts.bind(data.file(row.shows), data.file(row.live)));
        expectRefused(row);
    }
}

// Beside all that, a live directory of its own goes live: a fresh one, or one in the site's own
// folder.
TEST_F(LiveDirectoryOwnersTest, AFreshLiveDirectoryOrOneInTheSitesOwnFolderIsAccepted) {
    for (const char* live : {"www/", "beta/live/"}) {
        SCOPED_TRACE(live);
        writeSites({});
        EXPECT_EQ(acceptedInSiteOptions("Site_2",
                                        [&](TdlgSIteOptions& options) {
                                            QTest::mouseClick(options.chkSpindleway, Qt::LeftButton);
                                            options.edtlivepath->setText(data.file(live));
                                        }),
                  QStringList());
        EXPECT_TRUE(data.read("Site_2.ini").contains("LivePath=" + data.file(live).toUtf8() + "\r\n"));
        const QStringList before = othersFiles();
        QString errors;
        EXPECT_EQ(rotateUnattendedIn(data.path(), QDir::tempPath(), &errors), 0) << errors.toStdString();
        EXPECT_EQ(treeContents(data.file(live)), treeContents(data.file("beta/Rotation_1")));
        EXPECT_EQ(othersFiles(), before);
        QDir(data.file("www")).removeRecursively();
        QDir(data.file("beta/live")).removeRecursively();
    }
}

// A site folder that another owner's files are in is refused as well: each build of a rotation
// sweeps its thumbs folder, and the live directory and the data directory are not a site's.
TEST_F(LiveDirectoryOwnersTest, ASiteFolderOnAnotherOwnersFilesIsRefused) {
    const struct {
        const char* what;
        const char* folder;  // below the data directory
        const char* owner;
    } rows[] = {
        {"the data directory", "", "the data directory of Lumenfold Pro in %1"},
        {"another site's live directory", "www/", "the live directory of the site, Beta, in %1www/"},
        {"inside another site's thumbs", "alpha/Rotation_1/thumbs/mine/",
         "rotation 1 of the site, Alpha, in %1alpha/Rotation_1/thumbs/"},
        {"inside another site's rotation", "alpha/Rotation_1/images/",
         "rotation 1 of the site, Alpha, in %1alpha/Rotation_1/"},
        {"inside another site's folder", "alpha/originals/", "the site, Alpha, in %1alpha/"},
        {"inside another site's live directory", "www/beta/", "the live directory of the site, Beta, in %1www/"},
        {"in a shipped folder", "Styles/gamma/", "the Styles folder of Lumenfold Pro in %1Styles/"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        writeSites(data.file("www/").toUtf8());
        data.write("Site_3.ini", "[General]\r\nName=Gamma\r\nPath=%\\gamma\\\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\nSite_2=Beta\r\nSite_3=Gamma\r\n");
        const QByteArray gammaBefore = data.read("Site_3.ini");
        EXPECT_EQ(refusedInSiteOptions("Site_3",
                                       [&](TdlgSIteOptions& options) { options.edtpath->setText(data.file(row.folder)); }),
                  QStringList{"Keeping this site in " + data.file(row.folder) + " would overwrite the files of " +
                              QString(row.owner).arg(data.path()) + "!  Please choose another directory."});
        EXPECT_EQ(data.read("Site_3.ini"), gammaBefore);
    }
}

// A rotation that is the data directory would publish the site list, the options and the site
// files: it never goes live.
TEST_F(LiveDirectoryOwnersTest, ARotationThatIsTheDataDirectoryNeverGoesLive) {
    writeSites(data.file("www/").toUtf8());
    data.write("Site_2.ini", "[General]\r\nName=Beta\r\nPath=%\\beta\\\r\nLivePath=" + data.file("www/").toUtf8() +
                                 "\r\nAutoRotate=True\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n"
                                 "[Rotation_1]\r\nRotation_Path=%\\\r\n");
    data.write("Index.html", "not a gallery");
    EXPECT_EQ(rotateUnattendedIn(data.path(), QDir::tempPath()), 1);
    EXPECT_FALSE(QFileInfo::exists(data.file("www")));
    EXPECT_TRUE(QString::fromUtf8(data.read("log.txt"))
                    .contains("The site, Beta, was NOT updated to rotation 1: its directory, " + data.path() +
                              ", is the data directory of Lumenfold Pro"));
}

// A new rotation is never made over what the site has live: not in its live directory, nor in a
// folder that holds it. Nothing is written, no folder made. Going live writes only the live
// directory's own files and its thumbs, so a new rotation may lie deeper inside a live directory
// that is or holds the site folder, as Site Options accepts those.
TEST_F(LiveDirectoryOwnersTest, NewRotationOverTheSitesOwnLiveDirectoryIsRefused) {
    const struct {
        const char* what;
        const char* site;  // the site folder, below the data directory
        const char* live;
        bool added;
    } rows[] = {
        {"is the live directory", "garden/", "garden/Rotation_2/", false},
        {"holds the live directory", "garden/", "garden/Rotation_2/www/", false},
        {"lies inside a live directory that is the site folder", "garden/", "garden/", true},
        {"lies inside a live directory that holds the site folder", "www/garden/", "www/", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        for (const char* folder : {"garden", "www"}) QDir(data.file(folder)).removeRecursively();
        const QString site = data.file(row.site);
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
        data.write("Site_1.ini", "[General]\r\nName=Garden\r\nPath=" + site.toUtf8() +
                                     "\r\nLivePath=" + data.file(row.live).toUtf8() +
                                     "\r\nAutoRotate=True\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n"
                                     "[Rotation_1]\r\nRotation_Path=" +
                                     site.toUtf8() + "Rotation_1\\\r\n");
        data.write(QString(row.site) + "Rotation_1/Index.html", "rotation 1 page");
        data.write(QString(row.live) + "Index.html", "live page");
        startProgram();
        clickSite("Site_1");
        MessageScript script;
        inEditor(script, [&](TdlgEditSite& editor) {
            const QByteArray siteBefore = data.read("Site_1.ini");
            const QStringList filesBefore = treeContents(site);
            if (!row.added) script.answer(MessageResult::OK);
            editor.btnNewRotation->click();
            if (row.added) {
                EXPECT_EQ(script.texts(), QStringList());
                EXPECT_EQ(editor.lbxrotations->count(), 2);
                EXPECT_EQ(
                    fixpath(platform::IniFile(data.file("Site_1.ini")).readString("Rotation_2", "Rotation_Path", ""),
                            true),
                    site + "Rotation_2/");
                EXPECT_TRUE(QFileInfo(site + "Rotation_2").isDir());
                return;
            }
            EXPECT_EQ(script.texts(), QStringList{"Creating the new rotation in " + site + "Rotation_2" +
                                                  " would overwrite the files of the live directory of the site, "
                                                  "Garden, in " +
                                                  data.file(row.live) + "!  No rotation has been created."});
            EXPECT_EQ(editor.lbxrotations->count(), 1);
            EXPECT_EQ(data.read("Site_1.ini"), siteBefore);
            EXPECT_EQ(treeContents(site), filesBefore);
        });
        stopProgram();
    }
}

// With multiple rotations off the site's one rotation is its site folder: one that is the live
// directory's thumbs would be overwritten by every run, though the live directory holds it.
TEST_F(LiveDirectoryOwnersTest, TheSitesOneRotationIsNeverTheLiveDirectorysThumbs) {
    data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
    data.write("Site_1.ini", "[General]\r\nName=Garden\r\nPath=" + data.file("www/thumbs/").toUtf8() +
                                 "\r\nLivePath=" + data.file("www/").toUtf8() + "\r\nRotationCount=0\r\n");
    data.write("www/thumbs/g_thb.jpg", "live thumbnail");
    startProgram();
    clickSite("Site_1");
    MessageScript script;
    script.answer(MessageResult::OK);
    inEditor(script, [&](TdlgEditSite& editor) { EXPECT_EQ(editor.lbxrotations->count(), 0); });
    stopProgram();
    EXPECT_EQ(script.texts(), QStringList{"Creating the new rotation in " + data.file("www/thumbs/") +
                                          " would overwrite the files of the live directory of the site, Garden, in " +
                                          data.file("www/") + "!  No rotation has been created."});
    EXPECT_FALSE(platform::IniFile(data.file("Site_1.ini")).sectionExists("Rotation_1"));
    EXPECT_EQ(treeContents(data.file("www")), QStringList({"thumbs/", "thumbs/g_thb.jpg: live thumbnail"}));
}

// The folders the programs own in the data directory are those the build ships there.
TEST(ShippedFolders, AreTheFoldersOfTheProgramsData) {
    QStringList shipped = QDir(qEnvironmentVariable("LUMENFOLD_SOURCE_DIR") + "/data")
                              .entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    QStringList named = ShippedFolderNames;
    shipped.sort();
    named.sort();
    EXPECT_EQ(named, shipped);
}
