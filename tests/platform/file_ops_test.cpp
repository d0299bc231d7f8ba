#include "platform/file_ops.h"
#include "tests/common/temp_data_dir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using testing_support::TempDataDir;

TEST(FileOps, CopyRefusesAnExistingTargetWhenAsked) {
    TempDataDir dir;
    const QString a = dir.write("a.txt", "new");
    const QString b = dir.write("b.txt", "old");
    EXPECT_FALSE(platform::copyFile(a, b, true));
    EXPECT_EQ(dir.read("b.txt"), "old");
    EXPECT_TRUE(platform::copyFile(a, b, false));
    EXPECT_EQ(dir.read("b.txt"), "new");
    EXPECT_TRUE(platform::copyFile(a, dir.file("c.txt"), true));
    EXPECT_EQ(dir.read("c.txt"), "new");
    // No temporary files are left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);
}

TEST(FileOps, CopyOfAMissingSourceFailsAndCreatesNothing) {
    TempDataDir dir;
    EXPECT_FALSE(platform::copyFile(dir.file("missing"), dir.file("t"), false));
    EXPECT_FALSE(QFileInfo::exists(dir.file("t")));
}

TEST(FileOps, ShellDeleteRemovesWholeTrees) {
    TempDataDir dir;
    dir.write("tree/sub/deep/file.txt", "x");
    dir.write("tree/top.txt", "y");
    const QString single = dir.write("single.txt", "z");
    EXPECT_TRUE(platform::shellDeleteFiles({dir.file("tree"), single}));
    EXPECT_FALSE(QFileInfo::exists(dir.file("tree")));
    EXPECT_FALSE(QFileInfo::exists(single));
    EXPECT_FALSE(platform::shellDeleteFiles({dir.file("tree")}));  // nothing there any more
}

TEST(FileOps, ReadOnlyFlag) {
    TempDataDir dir;
    const QString f = dir.write("ro.txt", "x");
    EXPECT_FALSE(platform::isReadOnly(f));
    ASSERT_TRUE(platform::setReadOnly(f, true));
    EXPECT_TRUE(platform::isReadOnly(f));
    ASSERT_TRUE(platform::setReadOnly(f, false));
    EXPECT_FALSE(platform::isReadOnly(f));
}

TEST(FileOps, TextLinesRoundTripWithCrLf) {
    TempDataDir dir;
    ASSERT_TRUE(platform::writeTextLines(dir.file("l.txt"), {"one", "", "three"}));
    EXPECT_EQ(dir.read("l.txt"), "one\r\n\r\nthree\r\n");
    EXPECT_EQ(platform::readTextLines(dir.file("l.txt")), (QStringList{"one", "", "three"}));
    dir.write("unix.txt", "a\nb");
    EXPECT_EQ(platform::readTextLines(dir.file("unix.txt")), (QStringList{"a", "b"}));
}
