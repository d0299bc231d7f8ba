#pragma once
// The actions that ask whose a folder is, driven as a user drives them: Site Options at OK,
// Delete Site, Delete Rotation and a build, each in a program started over the data directory as
// the files stand and stopped again.
#include "site_manager/site_options_dialog.h"
#include "tests/common/tree_contents.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <functional>

class OwnersTest : public MainWindowTest {
protected:
    using Fill = std::function<void(TdlgSIteOptions&)>;

    // Fills in Site Options: the site folder when given, and auto-rotation into the live
    // directory when one is given.
    static Fill typed(const QString& siteFolder, const QString& live = QString()) {
        return [siteFolder, live](TdlgSIteOptions& options) {
            if (!siteFolder.isEmpty()) options.edtpath->setText(siteFolder);
            if (live.isEmpty()) return;
            if (!options.chkSpindleway->isChecked()) QTest::mouseClick(options.chkSpindleway, Qt::LeftButton);
            options.edtlivepath->setText(live);
        };
    }

    // Opens Site Options of the site, fills it in and presses OK, which must close it. The boxes
    // shown.
    QStringList acceptedInSiteOptions(const QString& key, const Fill& fill) { return pressOk(key, fill, false); }
    // Opens Site Options of the site, fills it in and presses OK, which must leave it open (after
    // a box, answered OK); then Cancel. The boxes shown.
    QStringList refusedInSiteOptions(const QString& key, const Fill& fill) { return pressOk(key, fill, true); }

    // Alpha (Site_1), with multiple rotations on: its built rotation, whose page shows a picture
    // of a folder of its rotation, and the camera files it keeps in its site folder.
    void writeAlpha() {
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("Site_1.ini",
                   "[General]\r\nName=Alpha\r\nPath=%\\alpha\\\r\nRotationCount=1\r\n"
                   "[Rotation_1]\r\nRotation_Path=%\\alpha\\Rotation_1\\\r\n");
        data.write("alpha/Rotation_1/Index.html", "alpha page <img src=\"images/bg.jpg\">");
        data.write("alpha/Rotation_1/a.jpg", "alpha photo");
        data.write("alpha/Rotation_1/thumbs/a_thb.jpg", "alpha thumbnail");
        data.write("alpha/Rotation_1/images/bg.jpg", "alpha background");
        data.write("alpha/originals/a.jpg", "alpha camera file");
    }

    // Delete Site of the site, answering Yes to the question and OK to the box that follows. The
    // boxes shown.
    QStringList deleteSite(const QString& key) {
        startProgram();
        clickSite(key);
        testing_support::MessageScript script;
        script.answer(platform::MessageResult::Yes).answer(platform::MessageResult::OK);
        main->btndeletesiteClick();
        stopProgram();
        return script.texts();
    }

    // Delete Rotation of the site's last rotation, selected in the editor, answering OK to the
    // first box. The boxes shown.
    QStringList deleteLastRotation(const QString& key) {
        startProgram();
        clickSite(key);
        testing_support::MessageScript script;
        inEditor(script, [&](TdlgEditSite& editor) {
            editor.lbxrotations->setCurrentRow(editor.lbxrotations->count() - 1);
            editor.lbxrotationsClick();
            script.answer(platform::MessageResult::OK);
            editor.btndeleterotationClick();
        });
        stopProgram();
        return script.texts();
    }

    // Builds the site's first rotation from the data directory's sample template, every
    // thumbnail made again, answering OK to the first box the build shows. The boxes shown from
    // the start.
    QStringList buildFirstRotation(const QString& key) {
        startProgram();
        clickSite(key);
        testing_support::MessageScript script;
        QStringList shown;
        inEditor(script, [&](TdlgEditSite& editor) {
            editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
            script.onDialog([&](QDialog& d) {
                auto& build = dynamic_cast<TdlgBuildProgress&>(d);
                build.show();
                build.chkNoThumbRecreate->setChecked(false);
                script.clear();
                script.answer(platform::MessageResult::OK);
                QTest::mouseClick(build.btnok, Qt::LeftButton);
                shown = script.texts();
                return d.result();
            });
            QTest::mouseClick(editor.btnbuild, Qt::LeftButton);
        });
        stopProgram();
        return shown;
    }

    QStringList pressOk(const QString& key, const Fill& fill, bool staysOpen) {
        startProgram();
        clickSite(key);
        testing_support::MessageScript script;
        if (staysOpen) script.answer(platform::MessageResult::OK);
        script.onDialog([&](QDialog& d) {
            auto& options = dynamic_cast<TdlgSIteOptions&>(d);
            fill(options);
            QTest::mouseClick(options.BitBtn1, Qt::LeftButton);
            EXPECT_EQ(d.result(), staysOpen ? 0 : int(platform::mrOk));
            if (staysOpen) QTest::mouseClick(options.BitBtn2, Qt::LeftButton);
            return d.result();
        });
        main->btnsiteoptionsClick();
        stopProgram();
        return script.texts();
    }

    // A real photo of its own colour.
    static void writePhoto(const QString& path, int hue) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(hue, 200, 200));
        ASSERT_TRUE(image.save(path, "JPEG"));
    }
};
