#include "platform/file_ops.h"
#include "platform/ini_file.h"
#include "site_manager/file_helpers.h"
#include "site_manager/site_paths.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QDir>
#include <QFileInfo>

using platform::MessageResult;
using testing_support::MessageScript;

TEST_F(MainWindowTest, PathFormsExpandTruncateAndFix) {
    startProgram();
    const QString dd = DataDirectory;
    EXPECT_EQ(expandpath("%\\Site_3\\"), dd + "Site_3/");
    EXPECT_EQ(expandpath("%/Site_3/"), dd + "Site_3/");
    EXPECT_EQ(expandpath("  /srv/web/ \t"), "/srv/web/");
    EXPECT_EQ(expandpath("   "), "");
    EXPECT_EQ(truncatepath(dd + "site_1/"), "%\\site_1/");
    EXPECT_EQ(truncatepath("/elsewhere/site_1/"), "/elsewhere/site_1/");
    // Only a path that starts with the data directory is made relative to it.
    EXPECT_EQ(truncatepath("/backup" + dd + "x/"), "/backup" + dd + "x/");
    EXPECT_EQ(expandpath(truncatepath(dd + "a/b/")), dd + "a/b/");
    EXPECT_EQ(fixpath("/srv/web/", false), "/srv/web");
    EXPECT_EQ(fixpath("/srv/web", true), "/srv/web/");
    EXPECT_EQ(fixpath("/srv/Web\\", false), "/srv/Web");
    // A relative path names a folder of the data directory, wherever the program stands.
    EXPECT_EQ(expandpath(" gallery "), dd + "gallery");
    EXPECT_EQ(fixpath("gallery\\", true), dd + "gallery/");
    EXPECT_EQ(fixpath("web/site1", false), dd + "web/site1");
    EXPECT_EQ(fixpath("/srv/www/site1\\", true), "/srv/www/site1/");  // the folder, not a name ending in a backslash
    EXPECT_EQ(fixpath("", true), "");
    EXPECT_EQ(fixpath("%\\Site_2", true), dd + "Site_2/");
    EXPECT_EQ(changeextension("/a.b/photo.bmp", ".jpg"), "/a.b/photo.jpg");
    EXPECT_EQ(changeextension("/a.b/photo", ".jpg"), "/a.b/photo.jpg");
}

TEST_F(MainWindowTest, NewSiteKeysSkipFilesAndListedKeys) {
    data.write("sites.ini", "[Sites]\r\nSite_1=A\r\nSite_3=B\r\n");
    startProgram();
    EXPECT_EQ(main->generatenewsitename(), "Site_4");  // starts at 3, which is listed
    data.write("Site_4.ini", "[General]\r\nName=orphan\r\n");
    EXPECT_EQ(main->generatenewsitename(), "Site_5");
}

TEST_F(MainWindowTest, LoadSiteAppliesTheReadRules) {
    startProgram();
    data.write("Site_9.ini",
               "[General]\r\nName=Odd\r\nPath=/srv/odd\r\nAutoRotate=TRUE\r\nCurrentRotationPosition=x\r\n"
               "RotationCount=many\r\n");
    EXPECT_TRUE(main->loadsite("Site_9"));
    EXPECT_EQ(tsiterecord.Path, "/srv/odd/");
    EXPECT_FALSE(tsiterecord.AutoRotate);  // no live directory
    EXPECT_EQ(tsiterecord.CurrentRotationPosition, 1);
    EXPECT_EQ(tsiterecord.RotationCount, 20);
    EXPECT_EQ(tsiterecord.BaseHTMLName, "Index.html");

    data.write("Site_8.ini", "[General]\r\nName=NoPath\r\nCurrentRotationPosition=4\r\n");
    EXPECT_FALSE(main->loadsite("Site_8"));
    EXPECT_EQ(tsiterecord.key, "Site_8");
    EXPECT_EQ(tsiterecord.Name, "NoPath");
    EXPECT_EQ(tsiterecord.CurrentRotationPosition, 4);
}

TEST_F(MainWindowTest, SaveCurrentSiteWritesGeneralInOrder) {
    startProgram();
    tsiterecord.key = "Site_1";
    tsiterecord.Name = "Shop";
    tsiterecord.Path = DataDirectory + "Site_1/";
    tsiterecord.LivePath = "/var/www/shop";
    tsiterecord.AutoRotate = true;
    tsiterecord.CurrentRotationPosition = 2;
    tsiterecord.BaseHTMLName = "Default.htm";
    tsiterecord.RotationCount = 5;
    main->savecurrentsite();
    EXPECT_EQ(platform::IniFile(data.file("Site_1.ini")).readSection("General"),
              (QStringList{"Name", "Path", "LivePath", "AutoRotate", "CurrentRotationPosition", "BaseHTMLName",
                           "RotationCount"}));
    EXPECT_EQ(data.read("Site_1.ini"),
              "[General]\r\nName=Shop\r\nPath=%\\Site_1/\r\nLivePath=/var/www/shop\r\nAutoRotate=True\r\n"
              "CurrentRotationPosition=2\r\nBaseHTMLName=Default.htm\r\nRotationCount=5\r\n");
    EXPECT_EQ(platform::IniFile(data.file("sites.ini")).readString("Sites", "Site_1", ""), "Shop");
}

TEST_F(MainWindowTest, CreateNewDirectoryCreatesEveryMissingLevel) {
    startProgram();
    EXPECT_TRUE(createnewdirectory(data.path() + "a/b/c"));
    EXPECT_TRUE(QFileInfo(data.path() + "a/b/c").isDir());
    EXPECT_TRUE(createnewdirectory(data.path() + "a/b/c/"));  // nothing missing
    EXPECT_FALSE(createnewdirectory("/"));
    EXPECT_FALSE(createnewdirectory("C:\\"));
}

TEST_F(MainWindowTest, CreateNewDirectoryRollsBackWhenALevelCannotBeCreated) {
    startProgram();
    MessageScript script;
    script.answer(MessageResult::OK);
    QDir().mkpath(data.path() + "existing");
    // n1 and n2 can be made; a name longer than the file system allows cannot.
    const QString path = data.path() + "existing/n1/n2/" + QString(300, 'z') + "/leaf";
    EXPECT_FALSE(createnewdirectory(path));
    EXPECT_EQ(script.lastText(), "An error was encountered whilst trying to create the directory, " + path);
    EXPECT_FALSE(QFileInfo::exists(data.path() + "existing/n1"));  // created by the call, removed again
    EXPECT_TRUE(QFileInfo(data.path() + "existing").isDir());       // existed before the call
}

TEST_F(MainWindowTest, DeleteFileHandlesMissingAndReadOnlyFiles) {
    startProgram();
    MessageScript script;
    script.answer(MessageResult::OK);
    EXPECT_TRUE(dodeletefile(data.file("missing.txt"), false));
    EXPECT_EQ(script.lastText(), "Unable to locate the file, " + data.file("missing.txt"));

    const QString ro = data.write("ro.txt", "x");
    platform::setReadOnly(ro, true);
    script.answer(MessageResult::No);
    EXPECT_FALSE(dodeletefile(ro, false));
    EXPECT_EQ(script.lastText(), "Are you sure you want to delete the file, " + ro + "?  This file is marked READ ONLY!");
    EXPECT_TRUE(QFileInfo::exists(ro));
    script.answer(MessageResult::Yes);
    EXPECT_TRUE(dodeletefile(ro, false));
    EXPECT_FALSE(QFileInfo::exists(ro));

    const QString plain = data.write("plain.txt", "x");
    EXPECT_TRUE(dodeletefile(plain, true));  // no question for a normal file
    EXPECT_FALSE(QFileInfo::exists(plain));
}

TEST_F(MainWindowTest, CopyFileAsksBeforeOverwriting) {
    startProgram();
    const QString src = data.write("src.txt", "new");
    const QString dst = data.write("dst.txt", "old");
    MessageScript script;
    script.answer(MessageResult::No);
    docopyfile(src, dst, true);
    EXPECT_EQ(data.read("dst.txt"), "old");
    EXPECT_EQ(script.lastText(), "A file already exists by the name of " + dst + ".  Are you sure you want to overwrite it?");
    script.answer(MessageResult::Yes);
    docopyfile(src, dst, true);
    EXPECT_EQ(data.read("dst.txt"), "new");
    script.answer(MessageResult::OK);
    docopyfile(data.file("nothing.txt"), data.file("copy.txt"), false);
    EXPECT_EQ(script.lastText(), "An error was encountered copying the file, " + data.file("nothing.txt") + "!");
}
