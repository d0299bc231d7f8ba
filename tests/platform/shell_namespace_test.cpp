// The folder namespace over a real temporary tree: nearest existing folders, attributes of
// hidden, linked and looping folders, the chain from the Desktop, ordering and renames.
#include "platform/shell_namespace.h"
#include "tests/common/without_permission_override.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

namespace {

namespace shell = platform::shell;

class ShellNamespaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = QDir::cleanPath(dir.path());
    }
    void write(const QString& relative, const QByteArray& bytes) {
        QFile file(root + "/" + relative);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    shell::Item child(const QList<shell::Item>& items, const QString& name) {
        for (const shell::Item& item : items)
            if (item.name == name) return item;
        return {};
    }
    static QStringList names(const QList<shell::Item>& items) {
        QStringList result;
        for (const shell::Item& item : items) result << item.name;
        return result;
    }
    QTemporaryDir dir;
    QString root;
};

TEST_F(ShellNamespaceTest, NearestExistingFolderChainFromTheDesktopAndVolumes) {
    ASSERT_TRUE(QDir().mkpath(root + "/existing"));
    write("existing/file.txt", "x");
    const struct {
        QString input;
        QString expected;
    } cases[] = {
        {root + "/existing", root + "/existing"},
        {root + "/existing/", root + "/existing"},
        {root + "/existing/missing1/missing2", root + "/existing"},
        {root + "/existing/file.txt", root + "/existing"},
        {"/", "/"},
        {"relative/path", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(shell::normalizeDirectory(c.input), c.expected) << c.input.toStdString();

    // The chain from the Desktop down to an existing folder.
    ASSERT_TRUE(QDir().mkpath(root + "/a/b"));
    const QList<shell::Item> chain = shell::chainTo(root + "/a/b/");
    ASSERT_GE(chain.size(), 4);
    EXPECT_EQ(chain.first().kind, shell::ItemKind::Desktop);
    EXPECT_EQ(chain.last().path, root + "/a/b");
    EXPECT_EQ(chain.last().name, "b");
    EXPECT_EQ(chain[chain.size() - 2].path, root + "/a");
    EXPECT_TRUE(shell::chainTo(root + "/missing").isEmpty());

    const QList<shell::Item> home = shell::chainTo(QDir::homePath());
    ASSERT_EQ(home.size(), 2);
    EXPECT_EQ(home[1].kind, shell::ItemKind::Home);

    const QList<shell::Item> top = shell::children(shell::desktop(), shell::Folders);
    ASSERT_GE(top.size(), 3);
    EXPECT_EQ(top.first().kind, shell::ItemKind::Home);
    EXPECT_EQ(top[top.size() - 2].kind, shell::ItemKind::Computer);
    EXPECT_EQ(top.last().kind, shell::ItemKind::Trash);
    EXPECT_TRUE(top.last().isVirtual());

    // Computer's volumes start at the root and leave out kernel file systems.
    const QList<shell::Item> volumes = shell::volumes();
    ASSERT_FALSE(volumes.isEmpty());
    EXPECT_EQ(volumes.first().path, "/");
    for (const shell::Item& volume : volumes) {
        EXPECT_EQ(volume.kind, shell::ItemKind::Volume);
        EXPECT_TRUE(QFileInfo(volume.path).isDir()) << volume.path.toStdString();
        const QByteArray type = QStorageInfo(volume.path).fileSystemType();
        for (const char* kernel : {"proc", "sysfs", "tmpfs"})
            EXPECT_TRUE(volume.path == "/" || type != kernel) << volume.path.toStdString() << " " << kernel;
    }
}

TEST_F(ShellNamespaceTest, AttributesOfHiddenLinkedAndLoopingFolders) {
    ASSERT_TRUE(QDir().mkpath(root + "/plain/sub"));
    ASSERT_TRUE(QDir().mkpath(root + "/.hidden"));
    ASSERT_TRUE(QDir().mkpath(root + "/empty"));
    write("photo.jpg", "x");
    ASSERT_TRUE(QFile::link(root + "/plain", root + "/linked"));
    ASSERT_TRUE(QFile::link(root, root + "/plain/loop"));  // points back up: a loop
    ASSERT_TRUE(QFile::link(root + "/gone", root + "/broken"));

    const shell::Item folder = shell::itemForPath(root);
    const QList<shell::Item> folders = shell::children(folder, shell::Folders);
    QStringList folderNames = names(folders);
    folderNames.sort();
    EXPECT_EQ(folderNames, (QStringList{"empty", "linked", "plain"}));

    const shell::Item plain = child(folders, "plain");
    const quint32 plainAttributes = shell::FOLDER | shell::FILESYSTEM | shell::HASSUBFOLDER | shell::CANRENAME;
    EXPECT_EQ(plain.attributes & (plainAttributes | shell::LINK), plainAttributes);
    EXPECT_FALSE(child(folders, "empty").attributes & shell::HASSUBFOLDER);
    const shell::Item linked = child(folders, "linked");
    EXPECT_TRUE((linked.attributes & shell::LINK) && (linked.attributes & shell::FOLDER));
    EXPECT_EQ(linked.path, root + "/linked");
    // The loop is an ordinary linked folder: reading it reads one level, never the whole cycle.
    const shell::Item loop = child(shell::children(plain, shell::Folders), "loop");
    EXPECT_TRUE(loop.attributes & shell::LINK);
    EXPECT_TRUE(child(shell::children(loop, shell::Folders), "plain").attributes & shell::FOLDER);

    const QList<shell::Item> all = shell::children(folder, shell::Folders | shell::NonFolders | shell::IncludeHidden);
    EXPECT_TRUE(child(all, ".hidden").attributes & shell::HIDDEN);
    EXPECT_TRUE(child(all, "photo.jpg").isFile());
    EXPECT_TRUE(child(all, "broken").isFile());  // a link to nothing is no folder
}

TEST_F(ShellNamespaceTest, UnreadableFolderHasNoChildren) {
    ASSERT_TRUE(QDir().mkpath(root + "/locked/inner"));
    QFile::setPermissions(root + "/locked", QFile::Permissions());
    testing_support::WithoutPermissionOverride asPlainUser;
    ASSERT_EQ(::opendir(QFile::encodeName(root + "/locked").constData()), nullptr);
    const shell::Item locked = shell::itemForPath(root + "/locked");
    EXPECT_FALSE(locked.attributes & shell::HASSUBFOLDER);
    EXPECT_TRUE(shell::children(locked, shell::Folders).isEmpty());
    QFile::setPermissions(root + "/locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(ShellNamespaceTest, OrderIsNumericWithoutCaseAndFoldersFirst) {
    for (const char* name : {"img10", "Img3", "img2"}) ASSERT_TRUE(QDir().mkpath(root + "/" + name));
    write("a-file", "x");
    QList<shell::Item> items = shell::children(shell::itemForPath(root), shell::Folders | shell::NonFolders);
    items << shell::trash() << shell::computer() << shell::home();
    std::sort(items.begin(), items.end(), [](const shell::Item& a, const shell::Item& b) { return shell::compare(a, b) < 0; });
    EXPECT_EQ(names(items), (QStringList{"Home", "Computer", "Trash", "img2", "Img3", "img10", "a-file"}));
}

TEST_F(ShellNamespaceTest, RenameNeverReplacesWhatExists) {
    write("a.txt", "first");
    write("b.txt", "second");
    shell::Item renamed;
    EXPECT_FALSE(shell::rename(shell::itemForPath(root + "/a.txt"), "b.txt", &renamed));
    EXPECT_FALSE(shell::rename(shell::itemForPath(root + "/a.txt"), "..", &renamed));
    EXPECT_FALSE(shell::rename(shell::computer(), "Mine", &renamed));
    QFile b(root + "/b.txt");
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(b.readAll(), "second");
    EXPECT_TRUE(shell::rename(shell::itemForPath(root + "/a.txt"), "c.txt", &renamed));
    EXPECT_EQ(renamed.path, root + "/c.txt");
    EXPECT_TRUE(QFile::exists(root + "/c.txt"));
    EXPECT_FALSE(QFile::exists(root + "/a.txt"));
}

}  // namespace
