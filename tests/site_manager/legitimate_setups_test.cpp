// The set-ups people really use pass Site Options at OK and go live with "/ROTATE": whatever the
// owner checks refuse, none of these. Each row lays out a fresh folder with the data directory
// in it, in a mount namespace of the test's own, since some rows mount folders.
#include "platform/file_ops.h"
#include "platform/ini_file.h"
#include "tests/site_manager/mount_namespace.h"
#include "tests/site_manager/owners_fixture.h"

#include <QTemporaryDir>

using testing_support::Mounts;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

const QStringList kBuiltFiles{"Index.html", "b.jpg", "thumbs/b_thb.jpg"};

struct Layout {
    const char* what;
    // Folders on disk: %R is the row's folder, %D the data directory (the link to it, in a row that
    // starts the programs through one).
    const char* site;
    const char* rotation;
    const char* live;
    const char* typedSite = "";  // as typed in Site Options when not the folder itself
    const char* typedLive = "";
    std::function<bool(Mounts&, const QString& root)> arrange = {};  // links and mounts; false: failed
    const char* alphaSite = "";  // a neighbour going live beside Beta; empty: one that does not rotate
    const char* alphaLive = "";
    bool dataDirectoryThroughLink = false;
};

bool linked(const QString& target, const QString& link) { return QDir().mkpath(target) && QFile::link(target, link); }

}  // namespace

class LegitimateSetupsInNamespace : public OwnersTest {
    void TestBody() override;

protected:
    ~LegitimateSetupsInNamespace() override { platform::setExecutableDirectoryForTesting(data.path()); }
};
const bool legitimateSetupsRegistered = testing_support::registerInOwnMountNamespace<LegitimateSetupsInNamespace>(
    "LegitimateSetupsInNamespace", "AcceptedAndGoneLive", __FILE__, __LINE__);

TEST(LegitimateSetups, PassSiteOptionsAndGoLive) {
    testing_support::runInOwnMountNamespace("LegitimateSetupsInNamespace.AcceptedAndGoneLive", 300000);
}

void LegitimateSetupsInNamespace::TestBody() {
    ASSERT_TRUE(testing_support::inOwnMountNamespace()) << "not in a mount namespace of its own";
    const Layout rows[] = {
        {"a live directory inside the site folder", "%Rbeta/", "%Rbeta/Rotation_1/", "%Rbeta/live/"},
        {"a live directory that is the site folder, the rotations below it", "%Rbeta/", "%Rbeta/Rotation_1/",
         "%Rbeta/"},
        {"a live directory under a linked folder", "%Rbeta/", "%Rbeta/Rotation_1/", "%Rlinked/www/", "", "",
         [](Mounts&, const QString& root) { return linked(root + "real", root + "linked"); }},
        {"a live directory with missing parents several levels deep", "%Rbeta/", "%Rbeta/Rotation_1/",
         "%Rnew/a/b/c/www/"},
        {"a live directory that is a tmpfs mount point", "%Rbeta/", "%Rbeta/Rotation_1/", "%Rtmpfs/", "", "",
         [](Mounts& mounts, const QString& root) { return mounts.tmpfs(root + "tmpfs"); }},
        {"a live directory on another file system", "%Rbeta/", "%Rbeta/Rotation_1/", "%Rdrive/site/www/", "", "",
         [](Mounts& mounts, const QString& root) { return mounts.tmpfs(root + "drive"); }},
        {"two sites side by side",
         "%Rsrv/sites/b/",
         "%Rsrv/sites/b/Rotation_1/",
         "%Rsrv/www/b/",
         "",
         "",
         {},
         "%Rsrv/sites/a/",
         "%Rsrv/www/a/"},
        {"the data directory through a link, the programs started through it",
         "%Dbeta/",
         "%Dbeta/Rotation_1/",
         "%Rwww/",
         "",
         "",
         {},
         "",
         "",
         true},
        {"site folders in a sub-folder of the data directory",
         "%Dsites/b/",
         "%Dsites/b/Rotation_1/",
         "%Rwww/",
         "%\\sites\\b\\",
         "",
         {},
         "%Dsites/a/"},
        {"a live directory that holds the data directory", "%Rbeta/", "%Rbeta/Rotation_1/", "%Ropt/"},
        {"a live directory that holds the site folder", "%Rwww/beta/", "%Rwww/beta/Rotation_1/", "%Rwww/"},
        {"a live directory with blanks in its name", "%Rbeta/", "%Rbeta/Rotation_1/", "%Rmy live site/"},
        {"a live directory with a unicode name", "%Rbeta/", "%Rbeta/Rotation_1/", "%Rgalerie \u00e9t\u00e9 \u65e5/"},
        {"a live directory whose name begins with a dot", "%Rbeta/", "%Rbeta/Rotation_1/", "%R.www/"},
        {"a live directory whose name begins with a blank", "%Rbeta/", "%Rbeta/Rotation_1/", "%R www/"},
        {"rotation 1 as the site folder, the live directory inside it", "%Rbeta/", "%Rbeta/", "%Rbeta/www/"},
        {"a relative live directory", "%Rbeta/", "%Rbeta/Rotation_1/", "%Dlive/beta/", "", "live/beta"},
        {"a Styles folder that is not the data directory's", "%Rbeta/", "%Rbeta/Rotation_1/", "%RStyles/"},
        {"a Samples folder that is not the data directory's", "%Rbeta/", "%Rbeta/Rotation_1/", "%Rbeta/Samples/"},
        {"a live directory that is a link", "%Rbeta/", "%Rbeta/Rotation_1/", "%Rgolive/", "", "",
         [](Mounts&, const QString& root) { return linked(root + "fresh", root + "golive"); }},
        {"a live directory inside a bind mount of a fresh folder", "%Rbeta/", "%Rbeta/Rotation_1/", "%Rbound/www/", "",
         "",
         [](Mounts& mounts, const QString& root) {
             return QDir().mkpath(root + "fresh") && mounts.bind(root + "fresh", root + "bound");
         }},
        {"a live directory bound from a folder no mount shows any more", "%Rbeta/", "%Rbeta/Rotation_1/", "%Rorphan/",
         "", "",
         [](Mounts& mounts, const QString& root) {
             return mounts.tmpfs(root + "gone") && QDir().mkpath(root + "gone/sub") &&
                    mounts.bind(root + "gone/sub", root + "orphan") && mounts.detach(root + "gone");
         }},
    };
    for (const Layout& row : rows) {
        SCOPED_TRACE(row.what);
        resetProgramGlobals();
        const QTemporaryDir folder;
        const QString root = folder.path() + "/";
        const QString programs = root + "opt/programs/";
        const QString dataDirectory = row.dataDirectoryThroughLink ? root + "programs-link/" : programs;
        ASSERT_TRUE(QDir().mkpath(programs));
        if (row.dataDirectoryThroughLink) ASSERT_TRUE(QFile::link(programs, dataDirectory.chopped(1)));
        platform::setExecutableDirectoryForTesting(dataDirectory);
        const auto onDisk = [&](const char* path) {
            return QString(path).replace("%R", root).replace("%D", dataDirectory);
        };
        Mounts mounts;
        if (row.arrange) ASSERT_TRUE(row.arrange(mounts, root));

        const QString alphaSite = *row.alphaSite ? onDisk(row.alphaSite) : dataDirectory + "alpha/";
        const QString alphaLive = onDisk(row.alphaLive);
        writeFile(programs + "options.ini", "[Options]\r\nUseRotations=True\r\n");
        writeFile(programs + "sites.ini", "[Sites]\r\nSite_1=Alpha\r\nSite_2=Beta\r\n");
        writeFile(programs + "Site_1.ini", ("[General]\r\nName=Alpha\r\nPath=" + alphaSite + "\r\nLivePath=" +
                                            alphaLive + "\r\nAutoRotate=" + (*row.alphaLive ? "True" : "False") +
                                            "\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n[Rotation_1]\r\n"
                                            "Rotation_Path=" +
                                            alphaSite + "Rotation_1/\r\n")
                                               .toUtf8());
        writeFile(programs + "Site_2.ini",
                  ("[General]\r\nName=Beta\r\nPath=" + onDisk(row.site) +
                   "\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n[Rotation_1]\r\nRotation_Path=" +
                   onDisk(row.rotation) + "\r\n")
                      .toUtf8());
        for (const QString& file : kBuiltFiles) {
            writeFile(onDisk(row.rotation) + file, "beta's " + file.toUtf8());
            writeFile(alphaSite + "Rotation_1/" + file, "alpha's " + file.toUtf8());
        }

        const QString typedSite = *row.typedSite ? QString(row.typedSite) : onDisk(row.site);
        const QString typedLive = *row.typedLive ? QString(row.typedLive) : onDisk(row.live);
        EXPECT_EQ(acceptedInSiteOptions("Site_2", typed(typedSite, typedLive)), QStringList());
        EXPECT_EQ(platform::IniFile(programs + "Site_2.ini").readString("General", "LivePath", ""), typedLive);

        QString errors;
        EXPECT_EQ(rotateUnattendedIn(dataDirectory, QDir::tempPath(), &errors), 0) << errors.toStdString();
        for (const QString& file : kBuiltFiles) {
            EXPECT_EQ(readFile(onDisk(row.live) + file), "beta's " + file.toUtf8()) << file.toStdString();
            if (*row.alphaLive) EXPECT_EQ(readFile(alphaLive + file), "alpha's " + file.toUtf8()) << file.toStdString();
        }
    }
}
