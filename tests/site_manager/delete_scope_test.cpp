// Deleting a site or a rotation removes exactly the folder it names, and never a folder that
// holds the data directory, the home folder or the site's own folder.
#include "platform/ini_file.h"
#include "site_manager/file_helpers.h"
#include "site_manager/site_paths.h"
#include "tests/common/temporary_home.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>

using platform::MessageResult;
using testing_support::MessageScript;

class DeleteScopeTest : public MainWindowTest {};

TEST_F(DeleteScopeTest, DeleteSiteRemovesOnlyTheFolderItsPathNamesEvenWithASemicolonInIt) {
    const QString site = data.path() + "Photos;2024/gallery/";
    data.write("sites.ini", "[Sites]\r\nSite_1=Photos\r\n");
    data.write("Site_1.ini", ("[General]\r\nName=Photos\r\nPath=" + site + "\r\n").toUtf8());
    data.write("Photos;2024/gallery/Index.html", "gallery page");
    data.write("Photos;2024/notes.txt", "beside the gallery");
    data.write("Photos/holiday.jpg", "the user's own photo");
    startProgram();
    clickSite("Site_1");

    MessageScript script;
    script.answer(MessageResult::Yes);
    main->btndeletesiteClick();

    EXPECT_EQ(script.texts().size(), 1) << script.texts().join("\n").toStdString();  // the confirmation only
    EXPECT_FALSE(QFileInfo::exists(site));
    EXPECT_EQ(data.read("Photos;2024/notes.txt"), "beside the gallery");
    EXPECT_EQ(data.read("Photos/holiday.jpg"), "the user's own photo");
    EXPECT_FALSE(QFileInfo::exists(data.file("Site_1.ini")));
}

// With multiple rotations off, a site's one rotation is its site folder; once they are turned on
// that rotation is the last one, and Delete Rotation is offered for it.
namespace {

enum class Kept { DataDirectory, HomeFolder, SiteFolder };

struct KeptFolder {
    QString folder;  // the site folder, which is also rotation 1's
    QString reason;
};

KeptFolder keptFolder(Kept kept, const QString& data, const QString& home) {
    switch (kept) {
    case Kept::DataDirectory:
        return {data, "is or holds the data directory of Lumenfold Pro"};
    case Kept::HomeFolder:
        return {home, "is or holds your home directory"};
    case Kept::SiteFolder:
        break;
    }
    return {data + "Garden/", "is or holds the site directory of its site"};
}

}  // namespace

class DeleteRotationScopeTest : public MainWindowTest, public ::testing::WithParamInterface<Kept> {};

TEST_P(DeleteRotationScopeTest, DeleteRotationKeepsAFolderThatHoldsWhatDeleteSiteWouldKeep) {
    testing_support::TemporaryHome home;
    const KeptFolder c = keptFolder(GetParam(), data.path(), home.path() + "/");
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
    data.write("Site_1.ini", ("[General]\r\nName=Garden\r\nPath=" + c.folder + "\r\nRotationCount=1\r\n" +
                              "[Rotation_1]\r\nRotation_Path=" + c.folder + "\r\n")
                                 .toUtf8());
    const QString photo = c.folder + "photo.txt";
    QDir().mkpath(c.folder);
    QFile file(photo);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("the user's photo");
    file.close();

    startWithGardenSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        ASSERT_EQ(editor.lbxrotations->count(), 1);
        ASSERT_TRUE(editor.btndeleterotation->isEnabled());
        script.answer(MessageResult::OK);
        editor.btndeleterotationClick();
        EXPECT_EQ(script.texts(), QStringList{"The directory, " + c.folder + ", " + c.reason +
                                              ", so it cannot be deleted.  The rotation has been kept."});
        EXPECT_EQ(editor.lbxrotations->count(), 1);
    });
    stopProgram();
    EXPECT_EQ(data.read("sites.ini"), "[Sites]\r\nSite_1=Garden\r\n");
    EXPECT_TRUE(QFileInfo::exists(photo));
    const platform::IniFile site(data.file("Site_1.ini"));
    EXPECT_EQ(fixpath(site.readString("Rotation_1", "Rotation_Path", ""), true), c.folder);
    EXPECT_EQ(site.readString("General", "RotationCount", ""), "1");
}

INSTANTIATE_TEST_SUITE_P(KeptIn, DeleteRotationScopeTest,
                         ::testing::Values(Kept::DataDirectory, Kept::HomeFolder, Kept::SiteFolder),
                         [](const ::testing::TestParamInfo<Kept>& info) {
                             return std::string(info.param == Kept::DataDirectory ? "DataDirectory"
                                                : info.param == Kept::HomeFolder  ? "HomeFolder"
                                                                                  : "SiteFolder");
                         });

TEST_F(DeleteScopeTest, ARelativeFolderIsNeverDeleted) {
    QTemporaryDir standing;
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(standing.path()));
    QDir().mkpath(standing.path() + "/gallery");
    QFile f(standing.path() + "/gallery/page.html");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    MessageScript script;  // no box either
    dodeletedir("gallery");
    dodeletedir("gallery/");
    QDir::setCurrent(saved);
    EXPECT_TRUE(QFileInfo::exists(standing.path() + "/gallery/page.html"));
}
