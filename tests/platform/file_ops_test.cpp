#include "platform/file_ops.h"
#include "platform/ini_file.h"
#include "tests/common/file_size_limit.h"
#include "tests/common/temp_data_dir.h"

#include <QDir>
#include <QFileInfo>
#include <functional>
#include <vector>
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

// On a full disk every writer of the platform fails and reports it, and the file it would have
// replaced keeps every byte, with no temporary file left beside it. The child's files may not
// grow past 8 bytes, so even a one-key ini write fails in the kernel.
TEST(FileOps, WritesThatCannotBeMadeOnAFullDiskLeaveTheOldFileWhole) {
    TempDataDir dir;
    const QByteArray old = "[Sites]\r\nSite_1=Garden\r\n";
    const QString source = dir.write("source/Next.gif", "GIF89a new navigation graphic");
    struct Write {
        const char* name;
        std::function<bool(const QString&)> write;  // true when the write reports success
    };
    const std::vector<Write> writes = {
        {"ini key", [](const QString& path) {
             try {
                 platform::IniFile(path).writeString("Sites", "Site_2", "Shop");
                 return true;
             } catch (const platform::IniWriteError&) {
                 return false;
             }
         }},
        {"whole file", [](const QString& path) { return platform::writeFileAtomically(path, "0123456789abc"); }},
        {"text lines", [](const QString& path) { return platform::writeTextLines(path, {"Header", "Footer"}); }},
        {"copy", [&](const QString& path) { return platform::copyFile(source, path, false); }},
    };
    for (const Write& w : writes) {
        const QString target = dir.write(QString("target/") + w.name, old);
        const QStringList reported = testing_support::runWithFileSizeLimit(8, [&] {
            return QStringList{w.write(target) ? "written" : "failed"};
        });
        EXPECT_EQ(reported, QStringList{"failed"}) << w.name;
        EXPECT_EQ(dir.read(QString("target/") + w.name), old) << w.name;
        EXPECT_EQ(QDir(dir.file("target")).entryList(QDir::Files | QDir::Hidden).size(), 1) << w.name;
        QFile::remove(target);
    }
    // Without the limit the same writes succeed, so the failures above came from the full disk.
    for (const Write& w : writes) EXPECT_TRUE(w.write(dir.write(QString("free/") + w.name, old))) << w.name;
}
