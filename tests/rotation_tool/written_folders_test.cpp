// The folders a rotation is copied into: a run touches only the folders it checked and writes
// into, even when another program swaps one of them while the copy runs.
#include "rotation_tool/rotation_files.h"
#include "tests/common/tree_contents.h"
#include "tests/rotation_tool/rotation_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <unistd.h>

using testing_support::treeContents;

namespace {

// The copy's hook, put back whatever the test does.
struct OnTemporaryCreated {
    explicit OnTemporaryCreated(std::function<void(const QByteArray&)> hook) {
        rotation_tool::setOnTemporaryCreated(std::move(hook));
    }
    ~OnTemporaryCreated() { rotation_tool::setOnTemporaryCreated(nullptr); }
};

}  // namespace

class WrittenFoldersTest : public RotationToolTest {
protected:
    void freshDataDirectory() {
        main.reset();
        QDir(data.path()).removeRecursively();
        QDir().mkpath(data.path());
    }

    // Rotation n of the site as the fixture builds it, with a dozen more photos and thumbnails, so
    // that a copy has more files than it has threads.
    void addBigRotation(const QString& key, int n) {
        addRotation(key, n);
        for (int i = 0; i < 12; ++i) {
            const QString dir = key + "/R" + QString::number(n) + "/";
            const QByteArray mark = QByteArray::number(i) + " of rotation " + QByteArray::number(n);
            data.write(dir + "photo" + QString::number(i) + ".jpg", "photo " + mark);
            data.write(dir + "thumbs/photo" + QString::number(i) + "_thb.jpg", "thumb " + mark);
        }
    }

    void rotateAll() {
        startTool({"/ROTATE"});
        main->Timer1->stop();
        main->btnrotateallClick();
    }
};

// Only the folders a run writes into are swept of the temporary files a killed run left; a run
// that writes nothing (a refused site, no valid rotation) sweeps nothing.
TEST_F(WrittenFoldersTest, LeftoverTemporariesGoOnlyFromTheFoldersARunWritesInto) {
    const struct {
        const char* what;
        const char* livePath;  // below the data directory; empty: the fixture's
        bool firstPage;        // does rotation 1 hold its first page
        const char* leftover;  // below the data directory
        bool stays;
        int position;  // stored after the run
    } cases[] = {
        {"the live directory, which is written into", "", true, "live_Site_1/.spindleway-Ab3xYz", false, 2},
        {"a folder of the live directory that no file goes to", "", true, "live_Site_1/old/deeper/.spindleway-q1W2e3",
         true, 2},
        {"a live directory that is another site's rotation", "Site_2/R1/", true, "Site_2/R1/thumbs/.spindleway-Ab3xYz",
         true, 1},
        {"a live directory that is the site's own rotation", "Site_1/R1/", true, "Site_1/R1/.spindleway-Ab3xYz", true,
         1},
        {"the live directory of a site without a valid rotation", "", false, "live_Site_1/.spindleway-Ab3xYz", true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freshDataDirectory();
        addSite("Site_1", "Garden", 1, 1);
        addRotation("Site_1", 1, c.firstPage);
        addSite("Site_2", "Shed", 1, 1);
        addRotation("Site_2", 1);
        if (*c.livePath)
            platform::IniFile(data.file("Site_1.ini")).writeString("General", "LivePath", data.path() + c.livePath);
        data.write("live_Site_1/Index.html", "the live page");
        data.write(c.leftover, "left by a killed run");

        rotateAll();
        EXPECT_EQ(QFileInfo::exists(data.file(c.leftover)), c.stays) << log->lines().join("\n").toStdString();
        EXPECT_EQ(storedPosition("Site_1"), c.position);
    }
}

// A live directory, or its thumbs, swapped for a link to another rotation or to another site's
// folder just as the first temporary file appears: nothing is written through the link, the
// folder moved away is left as it was (no temporary file in it either), and the site fails.
TEST_F(WrittenFoldersTest, AFolderSwappedForALinkWhileTheCopyRunsIsNeverWrittenThrough) {
    const struct {
        const char* what;
        const char* swapped;  // below the data directory
        const char* linkTo;   // below the data directory
    } cases[] = {
        {"the live directory, for a link to another rotation of the site", "live_Site_1", "Site_1/R3"},
        {"the live thumbs, for a link to another rotation's thumbs", "live_Site_1/thumbs", "Site_1/R3/thumbs"},
        {"the live directory, for a link to another site's rotation", "live_Site_1", "Site_2/R1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freshDataDirectory();
        addSite("Site_1", "Garden", 3, 2);
        for (int n = 1; n <= 3; ++n) addBigRotation("Site_1", n);
        addSite("Site_2", "Shed", 1, 1);
        addBigRotation("Site_2", 1);
        data.write("live_Site_1/Index.html", "the live page");
        data.write("live_Site_1/thumbs/photo_thb.jpg", "the live thumbnail");
        const QString swapped = data.file(c.swapped), moved = swapped + ".moved", target = data.file(c.linkTo);
        const QStringList swappedBefore = treeContents(swapped), targetBefore = treeContents(target);

        // The link takes the folder's place in one step, so that the path never leads nowhere. The
        // copy's threads make temporary files side by side: those after the first wait until the
        // swap is done, so that every later file meets the link.
        std::mutex swapping;
        bool swappedNow = false;
        OnTemporaryCreated hook([&](const QByteArray&) {
            const std::lock_guard<std::mutex> lock(swapping);
            if (swappedNow) return;
            const QByteArray link = QFile::encodeName(moved), folder = QFile::encodeName(swapped);
            swappedNow = ::symlink(QFile::encodeName(target).constData(), link.constData()) == 0 &&
                         ::renameat2(AT_FDCWD, link.constData(), AT_FDCWD, folder.constData(), RENAME_EXCHANGE) == 0;
        });

        rotateAll();
        ASSERT_TRUE(swappedNow);
        EXPECT_EQ(treeContents(target), targetBefore);
        EXPECT_EQ(treeContents(moved), swappedBefore);  // byte for byte, and no temporary file
        EXPECT_TRUE(logHasError("Could not write into the folder, " + swapped +
                                "/, for site, Garden: it is no longer the folder that was checked!"))
            << log->lines().join("\n").toStdString();
        EXPECT_TRUE(
            logHasError("The site, Garden, was NOT updated to rotation 2: not every file could be written, so "
                        "the live site was left as it was"));
        EXPECT_EQ(storedPosition("Site_1"), 2);
    }
}

// Links that stand in the live directory's path before the run are no swap: the copy goes into the
// folders they lead to, as the checks judged them.
TEST_F(WrittenFoldersTest, ALiveDirectoryReachedThroughLinksGoesLiveWhereTheyLead) {
    const struct {
        const char* what;
        const char* link;  // below the data directory, made before the run
        const char* to;    // below the data directory
        const char* live;  // the stored live directory, below the data directory
    } cases[] = {
        {"the live directory, a link", "www", "real-www", "www/"},
        {"its thumbs, a link to a folder elsewhere", "live_Site_1/thumbs", "shared-thumbs", "live_Site_1/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        freshDataDirectory();
        addSite("Site_1", "Garden", 1, 1);
        addRotation("Site_1", 1);
        platform::IniFile(data.file("Site_1.ini")).writeString("General", "LivePath", data.path() + c.live);
        QDir().mkpath(data.file(c.to));
        QDir().mkpath(QFileInfo(data.file(c.link)).path());
        ASSERT_TRUE(QFile::link(data.file(c.to), data.file(c.link)));

        rotateAll();
        EXPECT_EQ(log->errorLines(), QStringList());
        for (const char* file : {"Index.html", "page2.htm", "photo.jpg", "thumbs/photo_thb.jpg"})
            EXPECT_EQ(data.read(QString(c.live) + file), data.read(QString("Site_1/R1/") + file)) << file;
        EXPECT_TRUE(QFileInfo(data.file(c.link)).isSymLink());
        EXPECT_EQ(storedPosition("Site_1"), 2);
    }
}
