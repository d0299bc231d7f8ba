// A live directory never lies on another site's folders or on the data directory: Site Options
// refuses it at OK, and the rotation tool refuses to copy into it, touching nothing.
#include "platform/ini_file.h"
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
        QStringList files = treeContents(data.path() + "alpha");
        for (const char* name : {"sites.ini", "options.ini", "Site_1.ini", "Index.html", "b.jpg", "thumbs"})
            files << name +
                         (QFileInfo::exists(data.file(name)) ? ": " + readFile(data.file(name)) : QString(" absent"));
        return files;
    }
};

TEST_F(LiveDirectoryOwnersTest, ALiveDirectoryOnAnotherSitesFoldersOrTheDataDirectoryIsRefused) {
    const struct {
        const char* what;
        const char* live;  // below the data directory
        const char* link;  // made there, leading to Alpha's rotation; empty: none
        const char* owner;
    } rows[] = {
        {"another site's folder", "alpha/", "", "the site, Alpha, in %1alpha/"},
        {"another site's rotation", "alpha/Rotation_1/", "", "rotation 1 of the site, Alpha, in %1alpha/Rotation_1/"},
        {"another site's rotation through a link", "golive/", "golive",
         "rotation 1 of the site, Alpha, in %1alpha/Rotation_1/"},
        {"the data directory", "", "", "the data directory of Lumenfold Pro in %1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const QString live = data.file(row.live);
        const QString owner = QString(row.owner).arg(data.path());
        if (*row.link) QFile::link(data.file("alpha/Rotation_1"), data.file(row.link));

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
                                  live + ", would overwrite the files of " + owner));
        if (*row.link) QFile::remove(data.file(row.link));
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
