// The copy-settings dialog through its own controls: a site without rotations offers nothing to
// copy, OK needs a chosen rotation, and a copy brings the layout settings but not the status or
// the directory of the other rotation.
#include "platform/ini_file.h"
#include "site_manager/copy_settings_dialog.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

class CopySettingsTest : public MainWindowTest {
protected:
    void SetUp() override {
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\nSite_2=Empty\r\nSite_3=Beach\r\n");
        QDir().mkpath(data.file("site/Rotation_1"));
        QDir().mkpath(data.file("empty"));
        QDir().mkpath(data.file("beach/Rotation_1"));
        data.write("Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=1\r\n"
                                 "[Rotation_1]\r\nRotation_Path=%\\site\\Rotation_1\r\nStatus=0\r\nThumb_Width=100\r\n");
        data.write("Site_2.ini", "[General]\r\nName=Empty\r\nPath=%\\empty\\\r\nRotationCount=0\r\n");
        data.write("Site_3.ini", "[General]\r\nName=Beach\r\nPath=%\\beach\\\r\nRotationCount=1\r\n"
                                 "[Rotation_1]\r\nRotation_Path=%\\beach\\Rotation_1\r\nStatus=2\r\nThumb_Width=420\r\n"
                                 "Header_HTML=two\x10" "0D\x10" "0Alines\r\nImage_Footer_HTML=\x10" "20padded\x10" "20\r\n");
        startProgram();
        clickSite("Site_1");
    }

    static void chooseSite(TdlgCopySettings& dialog, int index) {
        dialog.cmbsites->setCurrentIndex(index);
        emit dialog.cmbsites->activated(index);
    }
};

}  // namespace

TEST_F(CopySettingsTest, OkCopiesTheChosenRotationsSettingsButNotItsStatusOrDirectory) {
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        script.onDialog([&](QDialog& d) {
            auto& dialog = dynamic_cast<TdlgCopySettings&>(d);
            EXPECT_EQ(dialog.cmbsites->currentText(), "Garden");
            EXPECT_EQ(dialog.lbxrotation->currentRow(), 0);

            chooseSite(dialog, 1);  // no rotations: nothing to copy
            EXPECT_EQ(dialog.lbxrotation->count(), 0);
            EXPECT_FALSE(dialog.btnok->isEnabled());

            chooseSite(dialog, 2);
            EXPECT_EQ(dialog.lbxrotation->count(), 1);
            EXPECT_TRUE(dialog.btnok->isEnabled());
            dialog.lbxrotation->setCurrentRow(-1);
            script.answer(MessageResult::OK);
            QTest::mouseClick(dialog.btnok, Qt::LeftButton);
            EXPECT_EQ(script.lastText(), "You have not selected a rotation to copy settings from!");
            EXPECT_EQ(dialog.result(), platform::mrNone);
            EXPECT_TRUE(dialog.isVisible());

            dialog.lbxrotation->setCurrentRow(0);
            QTest::mouseClick(dialog.btnok, Qt::LeftButton);
            return dialog.result();
        });
        QTest::mouseClick(editor.btnCopyFrom, Qt::LeftButton);
        EXPECT_EQ(dlgThumbOptions->SpnThumbW->value(), 420);
        EXPECT_EQ(editor.edtheaderhtml->text(), "two\r\nlines");  // stored values come over whole
        EXPECT_EQ(dlgThumbOptions->edtimagefooterhtml->text(), " padded ");
        EXPECT_EQ(editor.lblstatus->text(), "This Rotation has NOT been built");
    });
    const platform::IniFile site(data.file("Site_1.ini"));
    EXPECT_EQ(site.readString("Rotation_1", "Thumb_Width", ""), "420");
    EXPECT_EQ(site.readString("Rotation_1", "Header_HTML", ""), "two\r\nlines");
    EXPECT_EQ(site.readString("Rotation_1", "Image_Footer_HTML", ""), " padded ");
    EXPECT_NE(site.readString("Rotation_1", "Status", ""), "2");
    EXPECT_TRUE(site.readString("Rotation_1", "Rotation_Path", "").startsWith("%\\site"));
}
