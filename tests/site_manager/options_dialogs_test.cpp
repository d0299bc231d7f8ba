// The site options and application options dialogs driven through the main window, and the
// options file across a restart of the program.
#include "platform/ini_file.h"
#include "site_manager/options_dialog.h"
#include "site_manager/site_options_dialog.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

using platform::MessageResult;
using testing_support::MessageScript;

class OptionsDialogsTest : public MainWindowTest {};

TEST_F(OptionsDialogsTest, SiteOptionsStoreDirectoriesFirstPageAndAutoRotation) {
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    data.write("sites.ini", "[Sites]\r\nSite_1=Shop\r\n");
    const QString siteDir = data.path() + "shop";
    QDir().mkpath(siteDir);
    data.write("Site_1.ini", ("[General]\r\nName=Shop\r\nPath=" + siteDir + "\r\n").toUtf8());
    startProgram();
    clickSite("Site_1");

    const QString live = data.path() + "live";
    MessageScript script;
    script.onDialog([&](QDialog& d) {
        auto* options = dynamic_cast<TdlgSIteOptions*>(&d);
        EXPECT_NE(options, nullptr);
        if (!options) return int(platform::mrCancel);
        EXPECT_FALSE(options->edtlivepath->isEnabled());
        options->edtname->setText("Corner Shop");
        options->edtBaseHTMLName->setCurrentText("start");
        QTest::mouseClick(options->chkSpindleway, Qt::LeftButton);
        EXPECT_TRUE(options->edtlivepath->isEnabled());  // the click handler enabled its dependants
        options->edtlivepath->setText(live);
        options->spnrotpos->setValue(3);
        QTest::mouseClick(options->BitBtn1, Qt::LeftButton);
        return d.result();
    });
    main->btnsiteoptionsClick();

    const platform::IniFile site(data.file("Site_1.ini"));
    EXPECT_EQ(site.readString("General", "Name", ""), "Corner Shop");
    EXPECT_EQ(site.readString("General", "Path", ""), "%\\shop/");
    EXPECT_EQ(site.readString("General", "BaseHTMLName", ""), "start.html");
    EXPECT_EQ(site.readString("General", "LivePath", ""), live);
    EXPECT_EQ(site.readString("General", "AutoRotate", ""), "True");
    EXPECT_EQ(site.readString("General", "CurrentRotationPosition", ""), "3");
    EXPECT_EQ(platform::IniFile(data.file("sites.ini")).readString("Sites", "Site_1", ""), "Corner Shop");
    EXPECT_EQ(main->lblautorotate->text(), "Yes");
}

TEST_F(OptionsDialogsTest, AutoRotationIsRefusedWhileMultipleRotationsAreOff) {
    data.write("sites.ini", "[Sites]\r\nSite_1=Shop\r\n");
    data.write("Site_1.ini", ("[General]\r\nName=Shop\r\nPath=" + data.path() + "\r\n").toUtf8());
    startProgram();
    clickSite("Site_1");
    MessageScript script;
    script.answer(MessageResult::OK);
    script.onDialog([&](QDialog& d) {
        auto* options = dynamic_cast<TdlgSIteOptions*>(&d);
        QTest::mouseClick(options->chkSpindleway, Qt::LeftButton);
        EXPECT_FALSE(options->chkSpindleway->isChecked());
        EXPECT_FALSE(options->edtlivepath->isEnabled());
        return int(platform::mrCancel);
    });
    main->btnsiteoptionsClick();
    EXPECT_EQ(script.texts(), QStringList{"You have disabled support for multiple rotations under options"});
}

TEST_F(OptionsDialogsTest, ApplicationOptionsSurviveARestart) {
    startProgram();
    {
        MessageScript script;
        script.onDialog([&](QDialog& d) {
            auto* options = dynamic_cast<TdlgOptions*>(&d);
            EXPECT_NE(options, nullptr);
            if (!options) return int(platform::mrCancel);
            options->rgpmultiplerotations->setChecked(true);
            options->spnDefaultJPEGCompression->setValue(55);
            options->chkMaxFilenameLength->setChecked(true);
            options->spnMaxFilenameLength->setValue(20);
            options->Chksavetothumbdir->setChecked(false);
            options->chkforcelowercase->setChecked(true);
            QTest::mouseClick(options->BitBtn1, Qt::LeftButton);
            return d.result();
        });
        main->btnOptionsClick();
    }
    EXPECT_TRUE(main->btnRotateNow->isEnabled());
    stopProgram();  // options.ini is written at close

    const platform::IniFile ini(data.file("options.ini"));
    EXPECT_EQ(ini.readString("Options", "UseRotations", ""), "True");
    EXPECT_EQ(ini.readString("Options", "DefaultJPEGCompression", ""), "55");

    startProgram();
    EXPECT_TRUE(ApplicationOptions.UseRotations);
    EXPECT_EQ(ApplicationOptions.DefaultJPEGCompression, 55);
    EXPECT_EQ(ApplicationOptions.MaxFilenameLength, 20);
    EXPECT_FALSE(ApplicationOptions.UseThumbsDirectory);
    EXPECT_TRUE(ApplicationOptions.ForceLowercase);
    MessageScript script;
    script.onDialog([&](QDialog& d) {
        auto* options = dynamic_cast<TdlgOptions*>(&d);
        EXPECT_TRUE(options->rgpmultiplerotations->isChecked());
        EXPECT_EQ(options->spnDefaultJPEGCompression->value(), 55);
        EXPECT_EQ(options->spnMaxFilenameLength->value(), 20);
        EXPECT_FALSE(options->Chksavetothumbdir->isChecked());
        EXPECT_TRUE(options->chkforcelowercase->isChecked());
        return int(platform::mrCancel);
    });
    main->btnOptionsClick();
}

TEST_F(OptionsDialogsTest, AnOptionsFileThatCannotBeWrittenIsReportedAtClose) {
    startProgram();
    // A directory in place of options.ini cannot be replaced by a file, whoever runs the test.
    ASSERT_TRUE(QDir().mkpath(data.file("options.ini")));
    MessageScript script;
    script.answer(MessageResult::OK);
    stopProgram();
    EXPECT_EQ(script.texts(), QStringList{"Error encountered saving your settings!  You may be out of disk space!"});
}
