#include "platform/file_ops.h"
#include "platform/file_replacement.h"
#include "platform/ini_file.h"
#include "platform/replacement_batch.h"
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
    // Lists saved by Windows programs read as the ini files do.
    dir.write("windows.txt", "/t/Tom\x92s.htm\r\n");
    EXPECT_EQ(platform::readTextLines(dir.file("windows.txt")), QStringList{QString::fromUtf8("/t/Tom’s.htm")});
}

// On a full disk (a child whose files may not grow past 8 bytes) every writer fails and says so,
// and the file it would have replaced keeps every byte, with no temporary file left beside it.
TEST(FileOps, WritesThatCannotBeMadeOnAFullDiskLeaveTheOldFileWhole) {
    TempDataDir dir;
    const QString target = dir.write("target/sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
    const QString source = dir.write("Next.gif", "GIF89a new navigation graphic");
    const std::vector<std::function<bool()>> writes = {
        [&] {
            try {
                platform::IniFile(target).writeString("Sites", "Site_2", "Shop");
                return true;
            } catch (const platform::IniWriteError&) {
                return false;
            }
        },
        [&] { return platform::writeTextLines(target, {"Header", "Footer"}); },
        [&] { return platform::copyFile(source, target, false); },
    };
    for (size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(testing_support::runWithFileSizeLimit(8, [&] { return QStringList{writes[i]() ? "written" : "failed"}; }),
                  QStringList{"failed"}) << i;
        EXPECT_EQ(dir.read("target/sites.ini"), "[Sites]\r\nSite_1=Garden\r\n") << i;
        EXPECT_EQ(QDir(dir.file("target")).entryList(QDir::Files | QDir::Hidden), QStringList{"sites.ini"}) << i;
    }
    EXPECT_TRUE(writes[0]());  // the same write succeeds with room on the disk
}

TEST(FileOps, AWriteThroughALinkReplacesTheFileItLeadsTo) {
    TempDataDir dir;
    const QString kept = dir.write("elsewhere/sites.ini", "old");
    ASSERT_TRUE(QFile::link(kept, dir.file("sites.ini")));
    ASSERT_TRUE(platform::writeFileAtomically(dir.file("sites.ini"), "new"));
    EXPECT_TRUE(QFileInfo(dir.file("sites.ini")).isSymLink());
    EXPECT_EQ(dir.read("elsewhere/sites.ini"), "new");
}

// A batch replaces no target before its one sync: until finish() the old files keep their bytes
// beside the new temporaries, which a failed sync or a discard removes.
TEST(FileOps, ABatchReplacesItsTargetsOnlyAfterItsSync) {
    TempDataDir dir;
    const QString page = dir.write("site/Index.html", "old page"), thumb = dir.write("site/a_thb.jpg", "old thumb");
    const auto entries = [&] { return QDir(dir.file("site")).entryList(QDir::Files | QDir::Hidden); };
    for (const std::string ending : {"finish", "failed sync", "discard"}) {
        platform::ReplacementBatch batch;
        ASSERT_TRUE(batch.write("new page", page) && batch.write("new thumb", thumb));
        const QStringList pending = entries();
        ASSERT_EQ(pending.size(), 4) << ending;
        for (const QString& name : pending)
            EXPECT_EQ(platform::isReplacementTemporaryName(name), name.startsWith(".~")) << name.toStdString();
        EXPECT_EQ(dir.read("site/Index.html") + dir.read("site/a_thb.jpg"), "old pageold thumb");
        if (ending == "finish")
            EXPECT_TRUE(batch.finish().isEmpty());
        else if (ending == "failed sync")
            EXPECT_EQ(testing_support::runWithFailingFileSystemSync([&] { return batch.finish(); }),
                      (QStringList{page, thumb}));
        else
            batch.discard();
        EXPECT_EQ(entries(), (QStringList{"a_thb.jpg", "Index.html"})) << ending;
        const QByteArray expected = ending == "finish" ? "new pagenew thumb" : "old pageold thumb";
        EXPECT_EQ(dir.read("site/Index.html") + dir.read("site/a_thb.jpg"), expected) << ending;
        dir.write("site/Index.html", "old page");
        dir.write("site/a_thb.jpg", "old thumb");
    }
    // Names a replacement never makes.
    for (const char* name : {".~0123456789ab.tar.gz", ".~0123456789AB.jpg", ".~0123456789a.jpg", "~0123456789ab.jpg",
                             ".~0123456789ab.jpg.part"})
        EXPECT_FALSE(platform::isReplacementTemporaryName(name)) << name;
    EXPECT_TRUE(platform::isReplacementTemporaryName(".~0123456789ab"));
}
