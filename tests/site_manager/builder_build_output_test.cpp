// Build output is written whole by rename: a reader never sees half a page, a replaced page keeps
// its mode, and a failed write leaves what was there.
#include "site_manager/builder/build_output.h"
#include "platform/file_ops.h"
#include "tests/common/temp_data_dir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using testing_support::TempDataDir;

namespace {

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

}  // namespace

TEST(BuilderBuildOutput, FilesAreReplacedWholeByRenameKeepingTheirMode) {
    TempDataDir data;
    const QString fresh = data.file("out/Index.html");
    QDir().mkpath(data.file("out"));
    ASSERT_TRUE(writeBuildFile(fresh, "<html>new</html>"));
    EXPECT_EQ(data.read("out/Index.html"), "<html>new</html>");
    EXPECT_EQ(modeOf(fresh), mode_t(0644));  // served to everyone, whatever the umask

    // A page the user made private stays private; a hard link to the old page (a published copy)
    // keeps the old bytes, so the page was replaced, not rewritten in place.
    const QString page = data.write("out/Beach.html", "old");
    ASSERT_EQ(::chmod(QFile::encodeName(page).constData(), 0640), 0);
    ASSERT_EQ(::link(QFile::encodeName(page).constData(), QFile::encodeName(data.file("copy.html")).constData()), 0);
    ASSERT_TRUE(writeBuildFile(page, "replaced"));
    EXPECT_EQ(data.read("out/Beach.html"), "replaced");
    EXPECT_EQ(modeOf(page), mode_t(0640));
    EXPECT_EQ(data.read("copy.html"), "old");
    EXPECT_EQ(QDir(data.file("out")).entryList(QDir::Files | QDir::Hidden), (QStringList{"Beach.html", "Index.html"}));
    EXPECT_TRUE(platform::syncFileSystemOf(data.file("out")));
}

TEST(BuilderBuildOutput, AWriteThatCannotBeMadeLeavesTheOldFile) {
    TempDataDir data;
    EXPECT_FALSE(writeBuildFile(data.file("missing/Index.html"), "x"));
    EXPECT_FALSE(QDir(data.file("missing")).exists());
    EXPECT_FALSE(platform::syncFileSystemOf(data.file("missing")));
    // A directory in the page's place cannot be replaced by a file: the directory and what it
    // holds stay, and no temporary file is left beside it.
    data.write("out/Index.html/keep.txt", "kept");
    EXPECT_FALSE(writeBuildFile(data.file("out/Index.html"), "x"));
    EXPECT_EQ(data.read("out/Index.html/keep.txt"), "kept");
    EXPECT_EQ(QDir(data.file("out")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"Index.html"});
}
