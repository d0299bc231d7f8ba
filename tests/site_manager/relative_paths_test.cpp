// A site whose folders are stored relative lies in the data directory, wherever the program
// stands: file lists move the working directory, and neither the build nor the rotation tool
// follows it.
#include "components/file_list_box.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QComboBox>
#include <QImage>
#include <QScopeGuard>
#include <QTemporaryDir>

using testing_support::MessageScript;

class RelativePathsTest : public MainWindowTest {};

TEST_F(RelativePathsTest, ARelativeSiteIsBuiltAndRotatedInTheDataDirectoryAfterAFileListBrowsedElsewhere) {
    const auto restore = qScopeGuard([saved = QDir::currentPath()] { QDir::setCurrent(saved); });
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
    data.write("Site_1.ini",
               "[General]\r\nName=Garden\r\nPath=site\r\nRotationCount=0\r\nLivePath=www/garden\r\n"
               "AutoRotate=True\r\nCurrentRotationPosition=1\r\n");
    QDir().mkpath(data.path() + "site");
    const QString style = data.write("Styles/plain.htm", "<html><body>***HEADER***<hr>***CONTENT***</body></html>");
    QImage image(160, 120, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    ASSERT_TRUE(image.save(data.file("photo.jpg"), "JPEG"));

    QTemporaryDir elsewhere;
    TFileListBox().ApplyFilePath(elsewhere.path());
    startProgram();
    clickSite("Site_1");
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        editor.DropFileTarget1Drop({data.file("photo.jpg")});
        editor.cmbstyle->setCurrentText(style);
        buildInEditor(script, editor);
    });
    stopProgram();
    EXPECT_TRUE(QFileInfo::exists(data.file("site/Rotation_1/thumbs/photo_thb.jpg")));

    // The rotation tool started from that other folder, as a scheduler may start it.
    QString errors;
    EXPECT_EQ(rotateUnattendedIn(data.path(), elsewhere.path(), &errors), 0) << errors.toStdString();
    EXPECT_TRUE(data.read("www/garden/Index.html").contains("photo_thb.jpg"));
    EXPECT_TRUE(QFileInfo::exists(data.file("www/garden/thumbs/photo_thb.jpg")));
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}
