// The folder tree over real temporary folders: selection by path, masks, renames, lazy reads and
// the change monitors that keep open folders current.
#include "components/disc_monitor.h"
#include "components/disc_monitor_watcher.h"
#include "components/shell_mask.h"
#include "components/shell_tree.h"
#include "tests/common/temporary_home.h"
#include "tests/common/qt_print.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <unistd.h>

namespace {

TShellNode* childNamed(QTreeWidgetItem* node, const QString& name) {
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->text(0) == name) return static_cast<TShellNode*>(node->child(i));
    return nullptr;
}

QStringList childNames(QTreeWidgetItem* node) {
    QStringList names;
    for (int i = 0; i < node->childCount(); ++i) names << node->child(i)->text(0);
    return names;
}

// Descriptors of this process that are inotify instances.
int inotifyDescriptors() {
    int count = 0;
    for (const QString& name : QDir("/proc/self/fd").entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        char target[256] = {};
        const QByteArray link = QFile::encodeName("/proc/self/fd/" + name);
        if (::readlink(link.constData(), target, sizeof target - 1) > 0 && QByteArray(target) == "anon_inode:inotify")
            ++count;
    }
    return count;
}

// Every node from this one up to the top is open.
bool openedDownTo(const QTreeWidgetItem* node) {
    for (; node; node = node->parent())
        if (!node->isExpanded()) return false;
    return true;
}

class ShellTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = QDir::cleanPath(dir.path());
    }
    void mkdir(const QString& relative) { ASSERT_TRUE(QDir().mkpath(root + "/" + relative)) << relative.toStdString(); }
    // A tree rooted at the temporary folder, built.
    std::unique_ptr<TShellTree> makeTree() {
        auto tree = std::make_unique<TShellTree>();
        tree->setRootUsePIDL(false);
        tree->setRootDir(root);
        tree->Loaded();
        return tree;
    }

    QTemporaryDir dir;
    QString root;
};

TEST(ShellMask, MatchesLikeTheTreeDocumentsIt) {
    const struct {
        const char* name;
        const char* mask;
        bool matches;
    } cases[] = {
        {"a.jpg", "*.jp?", true}, {"a.jp", "*.jp?", false}, {"abxc", "a*c", true},   {"abxcd", "a*c", false},
        {"noext", "*.*", false},  {"x.y", "*.*", true},     {"ANY", "*", true},       {"A.JPG", "*.jpg", true},
        {"b.jpg", "a*", false},   {"exact", "EXACT", true}, {"exact2", "exact", false}, {"ab", "a?", true},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name << " " << c.mask;
    EXPECT_TRUE(MatchesMaskList("a.png", {}));
    EXPECT_TRUE(MatchesMaskList("a.png", {"*.jpg", "*.png"}));
    EXPECT_FALSE(MatchesMaskList("a.gif", {"*.jpg", "*.png"}));
}

TEST_F(ShellTreeTest, LinkedFoldersCarryTheLinkOverlayAndPathSelectsTheNearestExistingFolder) {
    mkdir("existing/inner");
    ASSERT_TRUE(QFile::link(root + "/existing", root + "/linked"));
    auto tree = makeTree();
    const auto picture = [&](const char* name) {
        TShellNode* node = childNamed(tree->RootNode(), name);
        return node ? node->icon(0).pixmap(16).toImage() : QImage();
    };
    ASSERT_FALSE(picture("existing").isNull());
    EXPECT_NE(picture("linked"), picture("existing"));
    tree->setShowLinkOverlay(false);
    EXPECT_EQ(picture("linked"), picture("existing"));
    tree->setShowIcons(false);
    EXPECT_TRUE(picture("existing").isNull());

    tree->setPath(root + "/existing/missing1/missing2");
    EXPECT_EQ(tree->Path(), root + "/existing");
    tree->setPath(root + "/existing/inner");
    EXPECT_EQ(tree->Path(), root + "/existing/inner");
    EXPECT_EQ(tree->Selected()->text(0), "inner");
}

// Under every root, a folder under the home folder or elsewhere is selected through Path (or its
// nearest existing folder) with the nodes above it open; a folder made later in the selected,
// empty folder appears in it.
TEST_F(ShellTreeTest, PathSelectsUnderEveryRootAndAnEmptySelectedFolderShowsNewSubfolders) {
    const testing_support::TemporaryHome home;
    const QString inHome = QDir::cleanPath(home.path()) + "/Pictures/trip";
    ASSERT_TRUE(QDir().mkpath(inHome));
    mkdir("site/photos");
    const std::pair<const char*, std::function<void(TShellTree&)>> roots[] = {
        {"Desktop", [](TShellTree&) {}},
        {"file-system root", [](TShellTree& tree) { tree.setRootUsePIDL(false); }},  // RootDir "/"
        {"Computer", [](TShellTree& tree) { tree.setRootPIDL(PIDL_DRIVES); }},
    };
    for (const auto& [name, chooseRoot] : roots)
        for (const QString& folder : {root + "/site/photos", inHome})
            for (const QString& tail : {QString(), QString("/missing/deeper")}) {
                SCOPED_TRACE((name + (" " + folder + tail)).toStdString());
                TShellTree tree;
                chooseRoot(tree);
                tree.Loaded();
                tree.setPath(folder + tail);
                ASSERT_EQ(tree.Path(), folder);
                EXPECT_TRUE(openedDownTo(tree.Selected()));
                ASSERT_TRUE(QDir(folder).mkdir("new"));
                EXPECT_TRUE(QTest::qWaitFor([&] { return childNamed(tree.Selected(), "new") != nullptr; }, 5000));
                ASSERT_TRUE(QDir(folder).rmdir("new"));
            }
}

TEST_F(ShellTreeTest, VirtualNodesHaveNoPathAndFoldersSortNumerically) {
    TShellTree tree;
    tree.Loaded();  // rooted at the desktop
    ASSERT_TRUE(tree.RootNode());
    EXPECT_EQ(tree.RootNode()->text(0), "Desktop");
    EXPECT_EQ(tree.Path(), "");
    TShellNode* computer = childNamed(tree.RootNode(), "Computer");
    ASSERT_TRUE(computer);
    tree.setCurrentItem(computer);
    EXPECT_EQ(tree.Path(), "");
    ASSERT_TRUE(childNamed(tree.RootNode(), "Home"));
    EXPECT_EQ(childNamed(tree.RootNode(), "Home")->Path(), QDir::cleanPath(QDir::homePath()));

    // A change of the mounts (/proc/self/mountinfo) re-reads an open Computer; a closed one waits.
    computer->setExpanded(true);
    ASSERT_GE(computer->childCount(), 1);
    EXPECT_EQ(computer->child(0)->text(0), "/");
    const int reads = tree.ReadCount();
    tree.RescanDrives();
    EXPECT_EQ(tree.ReadCount(), reads + 1);
    computer->setExpanded(false);
    tree.RescanDrives();
    EXPECT_EQ(tree.ReadCount(), reads + 1);

    // Without virtual folders only file system items and their ancestors show.
    ASSERT_TRUE(childNamed(tree.RootNode(), "Trash"));
    tree.setShowVirtualFolders(false);
    EXPECT_FALSE(childNamed(tree.RootNode(), "Trash")) << "nothing on disk below it";
    ASSERT_TRUE(childNamed(tree.RootNode(), "Home"));
    computer = childNamed(tree.RootNode(), "Computer");
    ASSERT_TRUE(computer) << "it holds the volumes";
    computer->setExpanded(true);
    EXPECT_TRUE(childNamed(computer, "/"));
    tree.setShowVirtualFolders(true);
    EXPECT_TRUE(childNamed(tree.RootNode(), "Trash"));

    mkdir("img10");
    mkdir("img2");
    mkdir("Img3");
    mkdir(".hidden");
    auto folderTree = makeTree();
    EXPECT_EQ(childNames(folderTree->RootNode()), (QStringList{"img2", "Img3", "img10"}));
}

TEST_F(ShellTreeTest, FilesShownThroughMasksAndOnFileAdd) {
    mkdir("sub/inner");
    for (const char* name : {"a.jpg", "a.jp", "b.jpeg", "c.JPG", "skip.jpg"}) {
        QFile file(root + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    TShellTree tree;
    tree.setRootUsePIDL(false);
    tree.setRootDir(root);
    tree.setOptions(TF_FOLDERS | TF_NONFOLDERS);
    tree.setFileMask(" *.jp? ;; ");
    EXPECT_EQ(tree.FileMask(), "*.jp?");
    tree.setFileMaskUse(true);
    tree.OnFileAdd = [](const QString& name, int, bool& allow) { allow = !name.endsWith("skip.jpg"); };
    tree.Loaded();
    // Folders first; files in ascending order come in the reverse of the name order.
    EXPECT_EQ(childNames(tree.RootNode()), (QStringList{"sub", "c.JPG", "a.jpg"}));
    tree.setFileSortOrder(so_Descending);
    EXPECT_EQ(childNames(tree.RootNode()), (QStringList{"sub", "a.jpg", "c.JPG"}));
    tree.setFileMask("");
    EXPECT_EQ(tree.FileMask(), "*.*");
    EXPECT_EQ(childNames(tree.RootNode()), (QStringList{"sub", "a.jp", "a.jpg", "b.jpeg", "c.JPG"}));

    // OnExpanding can refuse: the node closes again unread.
    tree.OnExpanding = [](TShellNode*, bool& allow) { allow = false; };
    TShellNode* sub = childNamed(tree.RootNode(), "sub");
    ASSERT_EQ(sub->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    sub->setExpanded(true);
    EXPECT_FALSE(sub->isExpanded());
    EXPECT_FALSE(sub->Filled());
    EXPECT_EQ(sub->childCount(), 0);
    tree.OnExpanding = nullptr;
    sub->setExpanded(true);
    EXPECT_EQ(childNames(sub), QStringList{"inner"});
}

TEST_F(ShellTreeTest, RenameByLabel) {
    mkdir("a");
    mkdir("b");
    auto tree = makeTree();
    TShellNode* a = childNamed(tree->RootNode(), "a");
    ASSERT_TRUE(a && a->HasAttributes(platform::shell::CANRENAME));

    EXPECT_FALSE(a->Rename("a"));  // its own text: nothing happens
    EXPECT_FALSE(a->Rename("b"));  // the name is taken: refused, nothing replaced
    EXPECT_FALSE(a->Rename("x/y"));
    EXPECT_EQ(a->text(0), "a");
    EXPECT_TRUE(QFileInfo(root + "/a").isDir());

    // An edit that ends goes through OnEdited and then the rename.
    tree->OnEdited = [](TShellNode*, QString& s) { s = s.trimmed(); };
    a->setData(0, Qt::EditRole, QString("  c  "));
    EXPECT_EQ(a->text(0), "c");
    EXPECT_EQ(a->Path(), root + "/c");
    EXPECT_TRUE(QFileInfo(root + "/c").isDir());
    EXPECT_FALSE(QFileInfo::exists(root + "/a"));
    EXPECT_EQ(childNames(tree->RootNode()), (QStringList{"b", "c"}));
}

TEST_F(ShellTreeTest, UpdAutoFalseReadsANodeOnce) {
    mkdir("a/one");
    for (const bool updAuto : {false, true}) {
        auto tree = makeTree();
        tree->UpdAuto = updAuto;
        tree->UpdAutoThread = false;
        TShellNode* a = childNamed(tree->RootNode(), "a");
        a->setExpanded(true);
        const int reads = tree->ReadCount();
        a->setExpanded(false);
        mkdir(QString("a/new%1").arg(updAuto));
        a->setExpanded(true);
        EXPECT_EQ(tree->ReadCount(), updAuto ? reads + 1 : reads);
        EXPECT_EQ(a->childCount(), updAuto ? 3 : 1) << updAuto;
    }
}

TEST_F(ShellTreeTest, MonitorShowsANewFolderInAnOpenNodeAndDropsAnEmptiedIndicator) {
    mkdir("a/one");
    mkdir("b/only");
    mkdir("c");
    auto tree = makeTree();
    TShellNode* b = childNamed(tree->RootNode(), "b");
    EXPECT_EQ(b->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_EQ(childNamed(tree->RootNode(), "c")->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
    TShellNode* a = childNamed(tree->RootNode(), "a");
    a->setExpanded(true);
    ASSERT_TRUE(a->MonitorStarted());
    mkdir("a/two");
    EXPECT_TRUE(QTest::qWaitFor([&] { return childNamed(a, "two") != nullptr; }, 30000));
    // A renamed folder is replaced by its new name.
    ASSERT_TRUE(QDir(root + "/a").rename("one", "uno"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return childNamed(a, "uno") && !childNamed(a, "one"); }, 30000));
    // Deleting the last subfolder of a closed node removes its expand indicator.
    ASSERT_TRUE(QDir(root + "/b").rmdir("only"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return b->childIndicatorPolicy() == QTreeWidgetItem::DontShowIndicator; }, 30000));
}

TEST_F(ShellTreeTest, ACollapsedNodeIsNotRefreshed) {
    mkdir("a/one");
    auto tree = makeTree();
    TShellNode* a = childNamed(tree->RootNode(), "a");
    a->setExpanded(true);
    a->setExpanded(false);
    mkdir("a/two");
    mkdir("a/three");
    // The open parent re-reads (a's own subfolders changed); a itself stays as it was.
    QTest::qWait(300);
    EXPECT_EQ(a->childCount(), 1);
    a->setExpanded(true);  // read again when it opens
    EXPECT_EQ(a->childCount(), 3);
}

TEST_F(ShellTreeTest, DestroyingNodesWhileTheirMonitorsReportNeverDeadlocks) {
    mkdir("busy/sub");
    std::atomic<bool> stop{false};
    const QByteArray busy = QFile::encodeName(root + "/busy");
    std::thread churn([&] {
        for (int i = 0; !stop; ++i) {
            const QByteArray path = busy + "/d" + QByteArray::number(i % 8);
            QDir().mkdir(QFile::decodeName(path));
            QDir().rmdir(QFile::decodeName(path));
        }
    });
    QElapsedTimer timer;
    timer.start();
    for (int cycle = 0; cycle < 200; ++cycle) {
        auto tree = makeTree();
        TShellNode* node = childNamed(tree->RootNode(), "busy");
        ASSERT_TRUE(node);
        node->setExpanded(true);
        QCoreApplication::processEvents();
        QThread::usleep(500);  // let reports queue up behind the destruction
        if (cycle % 2) delete node;  // a node alone, or the whole tree below
    }
    QCoreApplication::processEvents();
    stop = true;
    churn.join();
    EXPECT_LT(timer.elapsed(), 10000);  // about half a second: a guard against a stall, not a speed figure
}

TEST_F(ShellTreeTest, ThreeHundredOpenFoldersShareOneInotifyInstance) {
    for (int i = 0; i < 300; ++i) mkdir(QString("f%1/sub").arg(i));
    auto tree = makeTree();
    ASSERT_EQ(tree->RootNode()->childCount(), 300);
    for (int i = 0; i < 300; ++i) tree->RootNode()->child(i)->setExpanded(true);
    for (int i = 0; i < 300; ++i) EXPECT_TRUE(static_cast<TShellNode*>(tree->RootNode()->child(i))->MonitorStarted());
    EXPECT_EQ(disc_monitor::inotifyInstances(), 1);
    EXPECT_LE(inotifyDescriptors(), 2);
}

TEST_F(ShellTreeTest, MonitorReportsItsOwnFolderAndDirectSubfoldersOnly) {
    mkdir("w/sub/deep");
    TDiscMonitorThread monitor;
    int changes = 0, invalid = 0;
    monitor.OnChange = [&](TDiscMonitorThread*) { ++changes; };
    monitor.OnInvalid = [&](TDiscMonitorThread*) { ++invalid; };
    monitor.setWatchSubtree(true);
    monitor.setFilter(3);
    monitor.setDirectory(root + "/w");
    ASSERT_TRUE(monitor.Suspended());
    mkdir("w/before");  // while suspended nothing is watched
    QTest::qWait(100);
    EXPECT_EQ(changes, 0);
    monitor.Resume();
    mkdir("w/sub/x");
    EXPECT_TRUE(QTest::qWaitFor([&] { return changes > 0; }, 30000));
    changes = 0;
    mkdir("w/sub/deep/y");  // two levels down: the subfolder's own monitor would see it
    QTest::qWait(200);
    EXPECT_EQ(changes, 0);

    // A new folder while running: the watch moves there.
    mkdir("v");
    monitor.setDirectory(root + "/v");
    changes = 0;
    mkdir("w/after");
    mkdir("v/x");
    EXPECT_TRUE(QTest::qWaitFor([&] { return changes > 0; }, 30000));
    QTest::qWait(100);
    EXPECT_EQ(changes, 1) << "one report for the new folder, none for the old one";

    monitor.setDirectory(root + "/missing");
    EXPECT_TRUE(QTest::qWaitFor([&] { return invalid == 1; }, 30000));
}

}  // namespace
