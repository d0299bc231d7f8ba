// A gallery made the way a user makes one: images dropped on the site editor, a sample template
// chosen, Build! pressed and the build started; then the rotation tool, run as a scheduler runs
// it, copies the built rotation live. Every link of every page resolves at both places.
#include "components/file_list_box.h"
#include "platform/ini_file.h"
#include "site_manager/builder/build_dialog.h"
#include "tests/common/link_checker.h"
#include "tests/common/tree_contents.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QListWidget>
#include <QTest>

using platform::MessageResult;
using testing_support::MessageScript;
using testing_support::copyTree;

class BuildAndRotateTest : public MainWindowTest {};

TEST_F(BuildAndRotateTest, ABuiltRotationGoesLiveWithEveryLinkResolving) {
    const QString source = qEnvironmentVariable("LUMENFOLD_SOURCE_DIR");
    // The sample folders as they lie beside the programs: templates and navigation buttons.
    for (const char* folder : {"Styles", "Samples", "navgraph"})
        copyTree(source + "/data/" + folder, data.path() + folder);
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
    const QString live = data.path() + "www/garden";
    data.write("Site_1.ini", ("[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=0\r\nLivePath=" + live +
                              "\r\nAutoRotate=True\r\nCurrentRotationPosition=1\r\n")
                                 .toUtf8());
    QDir().mkpath(data.path() + "site");
    const QString incoming = data.path() + "incoming/";
    QDir().mkpath(incoming);
    QStringList photos;
    for (int i = 1; i <= 7; ++i) {
        QImage image(320, 200 + 10 * i, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(40 * i, 200, 200));
        const QString file = incoming + QString("Photo %1.jpg").arg(i);
        ASSERT_TRUE(image.save(file, "JPEG"));
        photos << file;
    }

    startProgram();
    clickSite("Site_1");
    MessageScript script;
    script.onDialog([&](QDialog& d) {
        auto& editor = dynamic_cast<TdlgEditSite&>(d);
        editor.DropFileTarget1Drop(photos);
        EXPECT_EQ(editor.FileBox->count(), 7);
        editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
        dlgThumbOptions->spnHorzCOunt->setValue(2);
        dlgThumbOptions->spnVertCOunt->setValue(2);
        EXPECT_TRUE(dlgThumbOptions->Chkusecustombuttons->isChecked());  // the sample buttons are found

        script.onDialog([&](QDialog& buildDialog) {
            auto& build = dynamic_cast<TdlgBuildProgress&>(buildDialog);
            EXPECT_EQ(build.lbximages->count(), 7);
            script.answer(MessageResult::No);  // no preview
            QTest::mouseClick(build.btnok, Qt::LeftButton);
            return buildDialog.result();
        });
        QTest::mouseClick(editor.btnbuild, Qt::LeftButton);
        EXPECT_EQ(script.lastText(), "Your build has been completed.  Would you like to preview it now?");
        EXPECT_EQ(CurrentRotationStatus, 2);
        // The list counts the photos only, not the navigation buttons the build copied.
        EXPECT_EQ(editor.lbxrotations->item(0)->text(), "Rotation 1 : 7 Images : Built");
        QTest::mouseClick(editor.BitBtn2, Qt::LeftButton);
        return d.result();
    });
    main->btnedtsiteClick();

    const QString rotation = data.path() + "site/Rotation_1/";
    for (const char* page : {"Index.html", "Index2.html"}) EXPECT_TRUE(QFileInfo::exists(rotation + page)) << page;
    EXPECT_FALSE(QFileInfo::exists(rotation + "Index3.html"));  // 7 images at 2 x 2 make two pages
    EXPECT_EQ(QDir(rotation + "thumbs").entryList(QDir::Files).size(), 7);
    EXPECT_TRUE(QFileInfo::exists(rotation + "Next.gif"));  // the navigation buttons are copied with the pages
    EXPECT_EQ(testing_support::brokenLinks(rotation), QStringList());
    EXPECT_EQ(platform::IniFile(data.file("Site_1.ini")).readString("Rotation_1", "Status", ""), "2");
    stopProgram();

    // The rotation tool runs from the data directory, as a scheduler starts it: no display.
    const QString tool = data.path() + "Spindleway_build_and_rotate";
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("LUMENFOLD_BIN_DIR") + "/Spindleway", tool));
    QFile::setPermissions(tool, QFile::permissions(tool) | QFileDevice::ExeOwner);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    process.setProcessEnvironment(environment);
    process.start(tool, {"/ROTATE"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);

    EXPECT_TRUE(QFileInfo::exists(live + "/Index.html"));
    EXPECT_EQ(QDir(live + "/thumbs").entryList(QDir::Files).size(), 7);
    EXPECT_EQ(testing_support::brokenLinks(live), QStringList());
    EXPECT_EQ(platform::IniFile(data.file("Site_1.ini")).readString("General", "CurrentRotationPosition", ""), "2");
}
