// Deleting a site or a rotation removes exactly the folder it names, and never a folder that
// holds the data directory, the home folder or the site's own folder.
#include "components/file_list_box.h"
#include "platform/ini_file.h"
#include "site_manager/file_helpers.h"
#include "site_manager/site_paths.h"
#include "tests/common/temporary_home.h"
#include "tests/common/tree_contents.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QComboBox>
#include <QFileInfo>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>

using platform::MessageResult;
using testing_support::MessageScript;

class DeleteScopeTest : public MainWindowTest {};

TEST_F(DeleteScopeTest, DeleteSiteRemovesOnlyTheFolderItsPathNamesEvenWithASemicolonInIt) {
    data.write("sites.ini", "[Sites]\r\nSite_1=Photos\r\n");
    data.write("Site_1.ini", ("[General]\r\nName=Photos\r\nPath=" + data.path() + "Photos;2024/gallery/\r\n").toUtf8());
    data.write("Photos;2024/gallery/Index.html", "gallery page");
    data.write("Photos;2024/notes.txt", "beside the gallery");
    data.write("Photos/holiday.jpg", "the user's own photo");
    startProgram();
    clickSite("Site_1");
    MessageScript script;
    script.answer(MessageResult::Yes);
    main->btndeletesiteClick();
    EXPECT_EQ(script.texts().size(), 1) << script.texts().join("\n").toStdString();  // the confirmation only
    EXPECT_FALSE(QFileInfo::exists(data.file("Photos;2024/gallery")));
    EXPECT_EQ(data.read("Photos;2024/notes.txt"), "beside the gallery");
    EXPECT_EQ(data.read("Photos/holiday.jpg"), "the user's own photo");
}

// With multiple rotations off a site's one rotation is its site folder; once they are on, that
// rotation is the last one and Delete Rotation is offered for it.
TEST_F(DeleteScopeTest, DeleteRotationKeepsAFolderThatHoldsWhatDeleteSiteWouldKeep) {
    testing_support::TemporaryHome home;
    const struct {
        QString folder;  // the site folder, which is also rotation 1's
        const char* reason;
    } rows[] = {
        {data.path(), "is or holds the data directory of Lumenfold Pro"},
        {home.path() + "/", "is or holds your home directory"},
        {data.path() + "Garden/", "is or holds the site directory of its site"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        resetProgramGlobals();
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
        data.write("Site_1.ini", ("[General]\r\nName=Garden\r\nPath=" + row.folder + "\r\nRotationCount=1\r\n" +
                                  "[Rotation_1]\r\nRotation_Path=" + row.folder + "\r\n")
                                     .toUtf8());
        QDir().mkpath(row.folder);
        QFile photo(row.folder + "photo.txt");
        ASSERT_TRUE(photo.open(QIODevice::WriteOnly));

        startWithGardenSite();
        MessageScript script;
        inEditor(script, [&](TdlgEditSite& editor) {
            ASSERT_TRUE(editor.btndeleterotation->isEnabled());
            script.answer(MessageResult::OK);
            editor.btndeleterotationClick();
            EXPECT_EQ(script.texts(), QStringList{"The directory, " + row.folder + ", " + row.reason +
                                                  ", so it cannot be deleted.  The rotation has been kept."});
        });
        stopProgram();
        EXPECT_TRUE(QFileInfo::exists(photo.fileName()));
        const platform::IniFile site(data.file("Site_1.ini"));
        EXPECT_EQ(fixpath(site.readString("Rotation_1", "Rotation_Path", ""), true), row.folder);
        EXPECT_EQ(site.readString("General", "RotationCount", ""), "1");
    }
}

// A relative folder is the data directory's, never the one of the folder the program stands in.
TEST_F(DeleteScopeTest, ARelativeFolderIsTheDataDirectorysNeverTheWorkingDirectorys) {
    QTemporaryDir standing;
    const auto restore = qScopeGuard([saved = QDir::currentPath()] { QDir::setCurrent(saved); });
    ASSERT_TRUE(QDir::setCurrent(standing.path()));
    ASSERT_TRUE(QDir().mkpath("gallery"));
    ASSERT_TRUE(QDir().mkpath(data.file("gallery")));
    startProgram();
    dodeletedir("gallery/");
    EXPECT_TRUE(QFileInfo::exists(standing.path() + "/gallery"));
    EXPECT_FALSE(QFileInfo::exists(data.file("gallery")));
}

// Deleting a photo takes its display page along, but never when that page is a file the build
// reads: the user's template stays.
TEST_F(DeleteScopeTest, DeletingAPhotoKeepsItsPageWhenThatIsATemplate) {
    writeGardenSite(true);
    const QString rotation = siteDir + "Rotation_1/";
    for (const char* photo : {"a.jpg", "b.jpg"}) testing_support::writeFile(rotation + photo, "photo");
    testing_support::writeFile(rotation + "a.html", "a's old display page");
    testing_support::writeFile(rotation + "b.html", "<html>my template ***CONTENT***</html>");
    startWithGardenSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        editor.cmbstyle->setCurrentText(rotation + "b.html");
        dlgThumbOptions->rdbHTMLImageWindow->setChecked(true);
        editor.FileBox->Update();
        editor.FileBox->selectAll();
        script.answer(MessageResult::Yes);
        QTest::keyClick(editor.FileBox, Qt::Key_Delete);
    });
    EXPECT_FALSE(QFileInfo::exists(rotation + "a.jpg"));
    EXPECT_FALSE(QFileInfo::exists(rotation + "b.jpg"));
    EXPECT_FALSE(QFileInfo::exists(rotation + "a.html"));
    EXPECT_EQ(testing_support::readFile(rotation + "b.html"), "<html>my template ***CONTENT***</html>");
}
