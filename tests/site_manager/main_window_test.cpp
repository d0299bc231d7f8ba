#include "platform/ini_file.h"
#include "site_manager/site_options_dialog.h"
#include "site_manager/site_paths.h"
#include "tests/common/list_gestures.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

void writeSite(const testing_support::TempDataDir& data, const QString& key, const QByteArray& general) {
    data.write(key + ".ini", "[General]\r\n" + general);
}

}  // namespace

TEST_F(MainWindowTest, WithoutSitesIniTheListIsEmptyAndSiteButtonsAreDisabled) {
    startProgram();
    EXPECT_EQ(main->windowTitle(), "Lumenfold Pro");
    EXPECT_EQ(DataDirectory, data.path());
    EXPECT_EQ(main->lbxsites->count(), 0);
    EXPECT_FALSE(main->btndeletesite->isEnabled());
    EXPECT_FALSE(main->btnsiteoptions->isEnabled());
    EXPECT_FALSE(main->btnedtsite->isEnabled());
    EXPECT_FALSE(main->btnRotateNow->isEnabled());  // multiple rotations are off by default
    EXPECT_TRUE(main->btnnewsite->isEnabled());
}

TEST_F(MainWindowTest, ListsSitesInFileOrderWithTheirDisplayNames) {
    data.write("sites.ini", "[Sites]\r\nSite_7=Holiday\r\nSite_2=Garden\r\n");
    writeSite(data, "Site_7", "Name=Holiday\r\nPath=%\\Site_7\\\r\n");
    writeSite(data, "Site_2", "Name=Garden\r\nPath=/srv/garden\r\n");
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    startProgram();
    ASSERT_EQ(main->lbxsites->count(), 2);
    EXPECT_EQ(main->lbxsites->item(0)->text(), "Site_7");
    EXPECT_EQ(displayNameAt(0), "Holiday");
    EXPECT_EQ(displayNameAt(1), "Garden");
    EXPECT_TRUE(main->btnRotateNow->isEnabled());

    clickSite("Site_7");
    EXPECT_EQ(tsiterecord.key, "Site_7");
    EXPECT_EQ(tsiterecord.Path, data.path() + "Site_7/");  // data-relative path read back whole
    EXPECT_EQ(main->lblsitename->text(), "Holiday");
    EXPECT_EQ(main->lbllocation->text(), data.path() + "Site_7/");
    EXPECT_EQ(main->lblrotationcount->text(), "20");  // no RotationCount stored
    EXPECT_TRUE(main->btnedtsite->isEnabled());
}

TEST_F(MainWindowTest, AKeyWithoutASiteFileOpensSiteOptionsInsteadOfTheEditor) {
    data.write("sites.ini", "[Sites]\r\nSite_1=Lost site\r\n");
    startProgram();
    EXPECT_EQ(displayNameAt(0), "Lost site");
    clickSite("Site_1");
    EXPECT_EQ(tsiterecord.key, "Site_1");
    EXPECT_EQ(tsiterecord.Name, "Name Error");
    EXPECT_TRUE(tsiterecord.Path.isEmpty());

    MessageScript script;
    QString shownName;
    script.onDialog([&](QDialog& d) {
        auto* options = dynamic_cast<TdlgSIteOptions*>(&d);
        EXPECT_NE(options, nullptr) << "Edit/Build Site must open Site Options for a site without a directory";
        if (options) shownName = options->edtname->text();
        return int(platform::mrCancel);
    });
    main->btnedtsiteClick();
    EXPECT_EQ(shownName, "Name Error");
}

TEST_F(MainWindowTest, WithRotationsOffTheStatusShowsNoRotationsAndNoAutoRotation) {
    data.write("sites.ini", "[Sites]\r\nSite_1=Shop\r\n");
    writeSite(data, "Site_1",
              "Name=Shop\r\nPath=/srv/shop/\r\nLivePath=/srv/live\r\nAutoRotate=true\r\nCurrentRotationPosition=3\r\n"
              "RotationCount=4\r\n");
    startProgram();
    clickSite("Site_1");
    EXPECT_TRUE(tsiterecord.AutoRotate);
    EXPECT_EQ(main->lblrotationcount->text(), "N/A");
    EXPECT_EQ(main->lblautorotate->text(), "No");
    EXPECT_TRUE(main->lbllivepath->text().isEmpty());
    EXPECT_TRUE(main->lblcurrentrotation->text().isEmpty());

    ApplicationOptions.UseRotations = true;
    main->doselectionstatus();
    EXPECT_EQ(main->lblrotationcount->text(), "4");
    EXPECT_EQ(main->lblautorotate->text(), "Yes");
    EXPECT_EQ(main->lbllivepath->text(), "/srv/live");
    EXPECT_EQ(main->lblcurrentrotation->text(), "3");
}

TEST_F(MainWindowTest, NewSiteThenCancelRemovesTheSiteAgain) {
    data.write("sites.ini", "[Sites]\r\nSite_1=First\r\n");
    writeSite(data, "Site_1", "Name=First\r\nPath=/srv/first/\r\n");
    startProgram();
    MessageScript script;
    QString newKeyDuringDialog;
    script.onDialog([&](QDialog& d) {
        newKeyDuringDialog = tsiterecord.key;
        EXPECT_TRUE(QFileInfo::exists(data.file(tsiterecord.key + ".ini")));
        EXPECT_EQ(platform::IniFile(data.file("sites.ini")).readString("Sites", tsiterecord.key, ""), "New Site");
        auto* options = dynamic_cast<TdlgSIteOptions*>(&d);
        EXPECT_EQ(options->edtname->text(), "New Site");
        EXPECT_EQ(options->edtBaseHTMLName->currentText(), "Index.html");
        QTest::mouseClick(options->BitBtn2, Qt::LeftButton);
        return d.result();
    });
    QTest::mouseClick(main->btnnewsite, Qt::LeftButton);
    EXPECT_EQ(newKeyDuringDialog, "Site_2");
    EXPECT_FALSE(QFileInfo::exists(data.file("Site_2.ini")));
    EXPECT_EQ(platform::IniFile(data.file("sites.ini")).readSection("Sites"), QStringList{"Site_1"});
    EXPECT_EQ(main->lbxsites->count(), 1);
    EXPECT_EQ(main->lbxsitename->count(), 1);
    EXPECT_TRUE(tsiterecord.key.isEmpty());
}

TEST_F(MainWindowTest, NewSiteWithOkStoresTheSiteAndCreatesItsDirectory) {
    startProgram();
    MessageScript script;
    const QString siteDir = data.path() + "galleries/holiday";
    script.answer(MessageResult::Yes);  // create the missing directory
    script.onDialog([&](QDialog& d) {
        auto* options = dynamic_cast<TdlgSIteOptions*>(&d);
        options->edtname->setText("Holiday");
        options->edtpath->setText(siteDir);
        options->edtBaseHTMLName->setCurrentText("home");
        QTest::mouseClick(options->BitBtn1, Qt::LeftButton);
        return d.result();
    });
    main->btnnewsiteClick();
    ASSERT_EQ(script.texts().size(), 1);
    EXPECT_EQ(script.texts()[0], "The directory, " + siteDir + ", does not exist.  Would you like to create it?");
    EXPECT_TRUE(QFileInfo(siteDir).isDir());

    const platform::IniFile site(data.file("Site_1.ini"));
    EXPECT_EQ(site.readString("General", "Name", ""), "Holiday");
    EXPECT_EQ(site.readString("General", "Path", ""), "%\\galleries/holiday");
    EXPECT_EQ(site.readString("General", "BaseHTMLName", ""), "home.html");
    EXPECT_EQ(site.readString("General", "AutoRotate", ""), "False");
    EXPECT_EQ(platform::IniFile(data.file("sites.ini")).readString("Sites", "Site_1", ""), "Holiday");
    EXPECT_EQ(displayNameAt(0), "Holiday");
    EXPECT_EQ(main->lblsitename->text(), "Holiday");

    // The stored data-relative path is read back whole after a restart.
    stopProgram();
    startProgram();
    clickSite("Site_1");
    EXPECT_EQ(tsiterecord.Path, siteDir + "/");
}

TEST_F(MainWindowTest, DeleteSiteRemovesFileDirectoryAndEntryAfterConfirmation) {
    data.write("sites.ini", "[Sites]\r\nSite_1=Keep\r\nSite_2=Old\r\n");
    writeSite(data, "Site_1", "Name=Keep\r\nPath=%\\Site_1\\\r\n");
    writeSite(data, "Site_2", "Name=Old\r\nPath=%\\Site_2\\\r\n");
    data.write("Site_1/Index.html", "keep");
    data.write("Site_2/Rotation_1/Index.html", "old");
    startProgram();
    clickSite("Site_2");

    MessageScript script;
    script.answer(MessageResult::No);
    main->btndeletesiteClick();
    EXPECT_TRUE(QFileInfo::exists(data.file("Site_2.ini")));
    EXPECT_EQ(script.lastText(), "Are you sure you want to delete the current site, Old?  \r\n\r\nNote: This will also "
                                 "delete the directory, " + data.path() + "Site_2/ and all files that it contains!");

    script.answer(MessageResult::Yes);
    main->btndeletesiteClick();
    EXPECT_FALSE(QFileInfo::exists(data.file("Site_2.ini")));
    EXPECT_FALSE(QFileInfo::exists(data.file("Site_2")));
    EXPECT_TRUE(QFileInfo::exists(data.file("Site_1/Index.html")));
    EXPECT_EQ(platform::IniFile(data.file("sites.ini")).readSection("Sites"), QStringList{"Site_1"});
    ASSERT_EQ(main->lbxsites->count(), 1);
    EXPECT_EQ(displayNameAt(0), "Keep");
    EXPECT_TRUE(tsiterecord.key.isEmpty());
    EXPECT_FALSE(main->btndeletesite->isEnabled());
}

TEST_F(MainWindowTest, DeleteSiteDoesNothingWhenTheSelectedItemIsNotTheCurrentSite) {
    data.write("sites.ini", "[Sites]\r\nSite_1=One\r\nSite_2=Two\r\n");
    writeSite(data, "Site_1", "Name=One\r\nPath=%\\Site_1\\\r\n");
    writeSite(data, "Site_2", "Name=Two\r\nPath=%\\Site_2\\\r\n");
    startProgram();
    clickSite("Site_1");
    // The selection moves without a click, so Site_1 stays the current site.
    main->lbxsites->setCurrentRow(1);
    MessageScript script;  // no box may appear
    main->btndeletesiteClick();
    EXPECT_TRUE(QFileInfo::exists(data.file("Site_1.ini")));
    EXPECT_TRUE(QFileInfo::exists(data.file("Site_2.ini")));
    EXPECT_EQ(main->lbxsites->count(), 2);
}

// The record is the highlighted site: a drag loads the site where it ends, and a click on empty
// space lets the record go with the highlight.
TEST_F(MainWindowTest, TheHighlightedSiteIsTheRecord) {
    using testing_support::rowCentre;
    data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\nSite_2=Kitchen\r\nSite_3=Attic\r\n");
    for (const QString key : {"Site_1", "Site_2", "Site_3"})
        writeSite(data, key, "Name=" + key.toUtf8() + "\r\nPath=%\\" + key.toUtf8() + "\\\r\n");
    startProgram();
    auto* list = main->lbxsites;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, 0));
    ASSERT_EQ(tsiterecord.key, "Site_1");

    testing_support::dragRows(list, 0, 2);
    EXPECT_EQ(tsiterecord.key, "Site_3");
    EXPECT_EQ(main->lblsitename->text(), "Site_3");
    EXPECT_EQ(main->lbllocation->text(), data.path() + "Site_3/");
    EXPECT_TRUE(main->btnsiteoptions->isEnabled());

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, testing_support::emptySpace(list));
    EXPECT_TRUE(list->selectedItems().isEmpty());
    EXPECT_TRUE(tsiterecord.key.isEmpty());
    EXPECT_TRUE(main->lblsitename->text().isEmpty());
    for (const QPushButton* button : {main->btndeletesite, main->btnsiteoptions, main->btnedtsite})
        EXPECT_FALSE(button->isEnabled()) << button->text().toStdString();
}

TEST_F(MainWindowTest, SiteOptionsWithoutASelectionWarns) {
    startProgram();
    MessageScript script;
    script.answer(MessageResult::OK);
    main->btnsiteoptionsClick();
    EXPECT_EQ(script.lastText(), "You have not selected a site!");
}

TEST_F(MainWindowTest, RotateNowReportsAToolThatCannotBeStarted) {
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    startProgram();
    MessageScript script;
    script.answer(MessageResult::OK);
    QTest::mouseClick(main->btnRotateNow, Qt::LeftButton);
    EXPECT_EQ(script.lastText(), "Could not load " + data.path() + "Spindleway!");
}

// Spindleway stores the next position from its own process: once this window is in front again
// its panel shows what the file holds.
TEST_F(MainWindowTest, ThePanelShowsTheStoredPositionOnceTheWindowIsActiveAgain) {
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
    writeSite(data, "Site_1",
              "Name=Garden\r\nPath=%\\site\\\r\nLivePath=/srv/www\r\nAutoRotate=True\r\n"
              "CurrentRotationPosition=1\r\nRotationCount=3\r\n");
    startProgram();
    clickSite("Site_1");
    EXPECT_EQ(main->lblcurrentrotation->text(), "1");
    QWidget other;
    other.show();
    for (const int stored : {2, 3, 1}) {
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &other; }, 5000));
        platform::IniFile(data.file("Site_1.ini")).writeInteger("General", "CurrentRotationPosition", stored);
        EXPECT_NE(main->lblcurrentrotation->text(), QString::number(stored));
        main->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return main->lblcurrentrotation->text() == QString::number(stored); }, 5000))
            << main->lblcurrentrotation->text().toStdString();
        EXPECT_EQ(tsiterecord.CurrentRotationPosition, stored);
    }
    main->savecurrentsite();
    EXPECT_EQ(platform::IniFile(data.file("Site_1.ini")).readInteger("General", "CurrentRotationPosition", 0), 1);
}

TEST_F(MainWindowTest, SampleButtonsBecomeTheLayoutDefaults) {
    data.write("Samples/Previous.gif", "GIF89a");
    data.write("Samples/Next.gif", "GIF89a");
    data.write("recent_styles.txt", "/t/a.htm\r\n/t/b.htm\r\n");
    startProgram();
    EXPECT_EQ(dlgThumbOptions->edtpreviousfile->text(), data.path() + "Samples/Previous.gif");
    EXPECT_EQ(dlgThumbOptions->edtnextfile->text(), data.path() + "Samples/Next.gif");
    EXPECT_TRUE(dlgThumbOptions->Chkusecustombuttons->isChecked());
    EXPECT_EQ(dlgEditSite->cmbstyle->count(), 2);
}

TEST_F(MainWindowTest, MainWindowScreenshotShowsTheSiteListAndStatusPanel) {
    data.write("sites.ini", "[Sites]\r\nSite_1=Holiday photos\r\n");
    writeSite(data, "Site_1", "Name=Holiday photos\r\nPath=/srv/holiday/\r\n");
    startProgram();
    clickSite("Site_1");
    const QImage shot = main->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_GT(shot.width(), 300);
    const QString out = qEnvironmentVariable("LUMENFOLD_SCREENSHOT_DIR");
    if (!out.isEmpty()) shot.save(out + "/main_window.png");
    EXPECT_EQ(main->lblsitename->text(), "Holiday photos");
    EXPECT_TRUE(main->lblsitename->isVisible());
    EXPECT_TRUE(main->lbxsites->isVisible());
}
