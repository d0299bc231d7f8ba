// A live directory never lies on another site's folders, nor inside them, nor on the data
// directory or inside a folder the programs ship: Site Options refuses it at OK, and the rotation
// tool refuses to copy into it, touching nothing. The same holds for a site's own folders, and for
// a new rotation over what the site has live.
#include "platform/ini_file.h"
#include "site_manager/folder_owners.h"
#include "site_manager/site_options_dialog.h"
#include "tests/common/tree_contents.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <functional>

using platform::MessageResult;
using testing_support::MessageScript;
using testing_support::readFile;
using testing_support::treeContents;

class LiveDirectoryOwnersTest : public MainWindowTest {
protected:
    // Alpha's built rotation, and Beta's, which is to go live.
    void writeSites(const QByteArray& betaLive) {
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\nSite_2=Beta\r\n");
        data.write("Site_1.ini",
                   "[General]\r\nName=Alpha\r\nPath=%\\alpha\\\r\nRotationCount=1\r\n"
                   "[Rotation_1]\r\nRotation_Path=%\\alpha\\Rotation_1\\\r\n");
        data.write("Site_2.ini", "[General]\r\nName=Beta\r\nPath=%\\beta\\\r\nLivePath=" + betaLive +
                                     "\r\nAutoRotate=" + (betaLive.isEmpty() ? "False" : "True") +
                                     "\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n"
                                     "[Rotation_1]\r\nRotation_Path=%\\beta\\Rotation_1\\\r\n");
        for (const char* site : {"alpha", "beta"}) {
            const QString rotation = QString(site) + "/Rotation_1/";
            data.write(rotation + "Index.html", QByteArray(site) + " page");
            data.write(rotation + site[0] + ".jpg", QByteArray(site) + " photo");
            data.write(rotation + "thumbs/" + site[0] + "_thb.jpg", QByteArray(site) + " thumbnail");
        }
        // Alpha's page shows a picture of a folder of its rotation, and Alpha keeps its camera
        // files in its site folder. Beta's rotation holds files of the same names as those.
        data.write("alpha/Rotation_1/Index.html", "alpha page <img src=\"images/bg.jpg\">");
        data.write("alpha/Rotation_1/images/bg.jpg", "alpha background");
        data.write("alpha/originals/a.jpg", "alpha camera file");
        data.write("beta/Rotation_1/bg.jpg", "beta background");
        data.write("beta/Rotation_1/gallery.css", "beta stylesheet");
        // The shipped templates, one of them changed by the user.
        data.write("Styles/gallery.css", "the user's stylesheet");
        data.write("Styles/Sample_With_Index.htm", "shipped template");
    }

    // Opens Site Options of the site, fills it in and presses OK, which must close it. The boxes
    // shown.
    QStringList acceptedInSiteOptions(const QString& key, const std::function<void(TdlgSIteOptions&)>& fill) {
        startProgram();
        clickSite(key);
        MessageScript script;
        script.onDialog([&](QDialog& d) {
            auto& options = dynamic_cast<TdlgSIteOptions&>(d);
            fill(options);
            QTest::mouseClick(options.BitBtn1, Qt::LeftButton);
            EXPECT_EQ(d.result(), int(platform::mrOk));
            return d.result();
        });
        main->btnsiteoptionsClick();
        stopProgram();
        return script.texts();
    }

    // Opens Site Options of the site, fills it in and presses OK, which must leave it open; then
    // Cancel. The boxes shown.
    QStringList refusedInSiteOptions(const QString& key, const std::function<void(TdlgSIteOptions&)>& fill) {
        startProgram();
        clickSite(key);
        MessageScript script;
        script.answer(MessageResult::OK);
        script.onDialog([&](QDialog& d) {
            auto& options = dynamic_cast<TdlgSIteOptions&>(d);
            fill(options);
            QTest::mouseClick(options.BitBtn1, Qt::LeftButton);
            EXPECT_EQ(d.result(), 0);  // still open
            QTest::mouseClick(options.BitBtn2, Qt::LeftButton);
            return d.result();
        });
        main->btnsiteoptionsClick();
        stopProgram();
        return script.texts();
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
    const struct {
        const char* what;
        const char* live;    // below the data directory
        const char* typed;   // as the user types it; empty: the full path
        const char* linkTo;  // live is a link to this folder below the data directory; empty: none
        const char* owner;
    } rows[] = {
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
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const QString live = *row.typed ? QString(row.typed) : data.file(row.live);
        const QString owner = QString(row.owner).arg(data.path());
        const QString link = data.file(row.live).chopped(1);
        if (*row.linkTo) ASSERT_TRUE(QFile::link(data.file(row.linkTo), link));

        // Site Options keeps the dialog open and stores nothing.
        writeSites({});
        const QByteArray betaBefore = data.read("Site_2.ini");
        EXPECT_EQ(refusedInSiteOptions("Site_2",
                                       [&](TdlgSIteOptions& options) {
                                           QTest::mouseClick(options.chkSpindleway, Qt::LeftButton);
                                           options.edtlivepath->setText(live);
                                       }),
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
        if (*row.linkTo) QFile::remove(link);
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
// folder that holds it or lies inside it. Nothing is written, no folder made.
TEST_F(LiveDirectoryOwnersTest, NewRotationOverTheSitesOwnLiveDirectoryIsRefused) {
    const struct {
        const char* what;
        const char* live;  // below the data directory
    } rows[] = {
        {"is the live directory", "garden/Rotation_2/"},
        {"holds the live directory", "garden/Rotation_2/www/"},
        {"lies inside the live directory", "garden/"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QDir(data.file("garden")).removeRecursively();
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
        data.write("Site_1.ini",
                   "[General]\r\nName=Garden\r\nPath=%\\garden\\\r\nLivePath=" + data.file(row.live).toUtf8() +
                       "\r\nAutoRotate=True\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n"
                       "[Rotation_1]\r\nRotation_Path=%\\garden\\Rotation_1\\\r\n");
        data.write("garden/Rotation_1/Index.html", "rotation 1 page");
        data.write(QString(row.live) + "Index.html", "live page");
        startProgram();
        clickSite("Site_1");
        MessageScript script;
        inEditor(script, [&](TdlgEditSite& editor) {
            const QByteArray siteBefore = data.read("Site_1.ini");
            const QStringList filesBefore = treeContents(data.file("garden"));
            script.answer(MessageResult::OK);
            editor.btnNewRotation->click();
            EXPECT_EQ(script.texts(), QStringList{"Creating the new rotation in " + data.file("garden/Rotation_2") +
                                                  " would overwrite the files of the live directory of the site, "
                                                  "Garden, in " +
                                                  data.file(row.live) + "!  No rotation has been created."});
            EXPECT_EQ(editor.lbxrotations->count(), 1);
            EXPECT_EQ(data.read("Site_1.ini"), siteBefore);
            EXPECT_EQ(treeContents(data.file("garden")), filesBefore);
        });
        stopProgram();
    }
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
