// The site options and application options dialogs driven through the main window, and the
// options file across a restart of the program.
#include "platform/file_ops.h"
#include "platform/ini_file.h"
#include "site_manager/options_dialog.h"
#include "site_manager/site_options_dialog.h"
#include "site_manager/site_paths.h"
#include "tests/common/file_size_limit.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <functional>

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

// OK in Site Options on a disk that cannot take the site: the box tells it, the dialog closes,
// and the current site goes back to what its site file holds, so that no later save (the site
// editor's close) stores what the user was told was not saved.
TEST_F(OptionsDialogsTest, SiteOptionsThatCannotBeSavedAreNotSavedLater) {
    using Disk = std::function<void(const QString& siteFile, const std::function<void()>& ok)>;
    struct Case {
        const char* name;
        bool newSite;  // opened by New Site rather than Site Options
        Disk disk;     // runs the OK click on the disk of the case
        bool warned;   // the save failed
        bool stored;   // the site file took the new values
        const char* listed;
    };
    const Disk full = [](const QString&, const std::function<void()>& ok) {
        testing_support::FileSizeLimit full(8);
        ASSERT_TRUE(full.active());
        ok();
    };
    const Disk readOnlySiteFile = [](const QString& siteFile, const std::function<void()>& ok) {
        ASSERT_TRUE(platform::setReadOnly(siteFile, true));
        ok();
        platform::setReadOnly(siteFile, false);
    };
    const Disk room = [](const QString&, const std::function<void()>& ok) { ok(); };
    const Case cases[] = {
        {"full disk", false, full, true, false, "Garden"},
        {"read-only site file", false, readOnlySiteFile, true, false, "Garden"},
        {"room on the disk", false, room, false, true, "Corner Garden"},
        {"new site on a full disk", true, full, true, false, "New Site"},
    };
    const QString live = data.path() + "live/";
    const QString warning = "An error was encountered saving your option changes!";
    const auto fields = [](const SiteRecord& r) {
        return QStringList{r.key,
                           r.Name,
                           r.Path,
                           r.LivePath,
                           platform::boolText(r.AutoRotate),
                           QString::number(r.CurrentRotationPosition),
                           QString::number(r.RotationCount),
                           r.BaseHTMLName};
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(data.file("Site_2.ini"));  // what the new site of the case before left
        QDir(data.file("Site_2")).removeRecursively();
        writeGardenSite(true);
        startWithGardenSite();
        {
            MessageScript script;
            inEditor(script, [](TdlgEditSite&) {});  // the site file now holds all the editor writes
        }
        const QString key = c.newSite ? "Site_2" : "Site_1";
        const QString siteFile = data.file(key + ".ini");
        const QString originalName = c.newSite ? "New Site" : "Garden";
        QString before;
        int result = -1;
        MessageScript script;
        if (c.newSite) script.answer(MessageResult::Yes);  // create the site's directory
        if (c.warned) script.answer(MessageResult::OK);
        script.onDialog([&](QDialog& d) {
            auto& options = dynamic_cast<TdlgSIteOptions&>(d);
            before = QString::fromUtf8(data.read(key + ".ini"));
            options.edtname->setText("Corner Garden");
            QTest::mouseClick(options.chkSpindleway, Qt::LeftButton);
            options.edtlivepath->setText(live);
            options.spnrotpos->setValue(3);
            c.disk(siteFile, [&] { QTest::mouseClick(options.BitBtn1, Qt::LeftButton); });
            result = d.result();
            return result;
        });
        if (c.newSite)
            QTest::mouseClick(main->btnnewsite, Qt::LeftButton);
        else
            QTest::mouseClick(main->btnsiteoptions, Qt::LeftButton);

        QStringList boxes;
        if (c.newSite)
            boxes << "The directory, " + data.path() + "Site_2/, does not exist.  Would you like to create it?";
        if (c.warned) boxes << warning;
        EXPECT_EQ(script.texts(), boxes);
        EXPECT_EQ(result, platform::mrOk);
        const auto stored = [&] {
            SiteRecord inFile;
            readSiteRecord(key, inFile);
            if (!inFile.Path.isEmpty()) inFile.Path = fixpath(inFile.Path, true);
            return inFile;
        };
        const QString expectedName = c.stored ? "Corner Garden" : originalName;
        const QString expectedLive = c.stored ? live : "";
        if (!c.stored) {
            EXPECT_EQ(QString::fromUtf8(data.read(key + ".ini")), before);
        }
        // The current site is what its file holds.
        EXPECT_EQ(fields(tsiterecord), fields(stored()));
        EXPECT_EQ(tsiterecord.Name, expectedName);
        EXPECT_EQ(tsiterecord.LivePath, expectedLive);
        EXPECT_EQ(main->lblsitename->text(), tsiterecord.Name);
        EXPECT_EQ(displayNameAt(main->lbxsites->currentRow()), c.listed);

        // A later save: Edit/Build opens the editor on a site with a directory and Close saves it;
        // a new site whose file holds none gets Site Options again.
        const bool hasDirectory = !c.newSite || c.stored;
        QString opened;
        script.onDialog([&](QDialog& d) {
            opened = d.metaObject()->className();
            if (auto* editor = dynamic_cast<TdlgEditSite*>(&d))
                QTest::mouseClick(editor->BitBtn2, Qt::LeftButton);
            else
                d.reject();
            return d.result();
        });
        QTest::mouseClick(main->btnedtsite, Qt::LeftButton);
        EXPECT_EQ(opened, QString(hasDirectory ? "TdlgEditSite" : "TdlgSIteOptions"));
        EXPECT_EQ(stored().Name, expectedName);
        EXPECT_EQ(stored().LivePath, expectedLive);
        if (!c.stored) {
            EXPECT_EQ(QString::fromUtf8(data.read(key + ".ini")), before);
        }
        stopProgram();
        resetProgramGlobals();
    }
}
