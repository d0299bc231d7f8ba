// A site whose folders are stored relative lies in the data directory, wherever the program
// stands: file lists move the working directory, and neither the build nor the rotation tool
// follows it.
#include "components/file_list_box.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

using testing_support::MessageScript;

namespace {

void copyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& entry : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (entry.isDir())
            copyTree(entry.filePath(), to + "/" + entry.fileName());
        else
            QFile::copy(entry.filePath(), to + "/" + entry.fileName());
    }
}

QStringList everythingIn(const QString& directory) {
    QStringList found;
    QDirIterator it(directory, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) found << it.next();
    return found;
}

// Puts the working directory back for the tests that follow.
class WorkingDirectoryRestorer {
public:
    ~WorkingDirectoryRestorer() { QDir::setCurrent(saved_); }

private:
    QString saved_ = QDir::currentPath();
};

}  // namespace

class RelativePathsTest : public MainWindowTest {};

TEST_F(RelativePathsTest, ARelativeSiteIsBuiltAndRotatedInTheDataDirectoryAfterAFileListBrowsedElsewhere) {
    WorkingDirectoryRestorer restorer;
    const QString source = qEnvironmentVariable("LUMENFOLD_SOURCE_DIR");
    for (const char* folder : {"Styles", "Samples", "navgraph"})
        copyTree(source + "/data/" + folder, data.path() + folder);
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
    data.write("Site_1.ini",
               "[General]\r\nName=Garden\r\nPath=site\r\nRotationCount=0\r\nLivePath=www/garden\r\n"
               "AutoRotate=True\r\nCurrentRotationPosition=1\r\n");
    QDir().mkpath(data.path() + "site");
    QStringList photos;
    for (int i = 1; i <= 3; ++i) {
        QImage image(160, 120, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(60 * i, 200, 200));
        photos << data.path() + QString("incoming/Photo %1.jpg").arg(i);
        QDir().mkpath(data.path() + "incoming");
        ASSERT_TRUE(image.save(photos.last(), "JPEG"));
    }

    QTemporaryDir elsewhere;
    TFileListBox browsed;
    browsed.ApplyFilePath(elsewhere.path());

    startProgram();
    clickSite("Site_1");
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        editor.DropFileTarget1Drop(photos);
        editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
        buildInEditor(script, editor);
        EXPECT_EQ(script.lastText(), "Your build has been completed.  Would you like to preview it now?");
    });
    stopProgram();

    const QString rotation = data.path() + "site/Rotation_1/";
    EXPECT_TRUE(QFileInfo::exists(rotation + "Index.html"));
    EXPECT_EQ(QDir(rotation + "thumbs").entryList(QDir::Files).size(), 3);
    EXPECT_EQ(everythingIn(elsewhere.path()), QStringList());

    // The rotation tool started from that other folder, as a scheduler may start it.
    const QString tool = data.path() + "Spindleway_relative_paths";
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("LUMENFOLD_BIN_DIR") + "/Spindleway", tool));
    QFile::setPermissions(tool, QFile::permissions(tool) | QFileDevice::ExeOwner);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(elsewhere.path());
    process.start(tool, {"/ROTATE"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(data.read("www/garden/Index.html"), data.read("site/Rotation_1/Index.html"));
    EXPECT_EQ(QDir(data.path() + "www/garden/thumbs").entryList(QDir::Files).size(), 3);
    EXPECT_EQ(everythingIn(elsewhere.path()), QStringList());
}
