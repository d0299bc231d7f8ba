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
    QStringList acceptedInSiteOptions(const QString& key, const Fill& fill) {
        startProgram();
        clickSite(key);
        testing_support::MessageScript script;
        script.onDialog([&](QDialog& d) {
            auto& options = dynamic_cast<TdlgSIteOptions&>(d);
            fill(options);
            QTest::mouseClick(options.BitBtn1, Qt::LeftButton);
            EXPECT_EQ(d.result(), int(platform::mrOk));
            return d.result();
        });
        main->btnsiteoptionsClick();
        stopProgram();
        return script.texts();
    }

    // Opens Site Options of the site, fills it in and presses OK, which must leave it open; then
    // Cancel. The boxes shown.
    QStringList refusedInSiteOptions(const QString& key, const Fill& fill) {
        startProgram();
        clickSite(key);
        testing_support::MessageScript script;
        script.answer(platform::MessageResult::OK);
        script.onDialog([&](QDialog& d) {
            auto& options = dynamic_cast<TdlgSIteOptions&>(d);
            fill(options);
            QTest::mouseClick(options.BitBtn1, Qt::LeftButton);
            EXPECT_EQ(d.result(), 0);  // still open
            QTest::mouseClick(options.BitBtn2, Qt::LeftButton);
            return d.result();
        });
        main->btnsiteoptionsClick();
        stopProgram();
        return script.texts();
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

    // A real photo of its own colour.
    static void writePhoto(const QString& path, int hue) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(hue, 200, 200));
        ASSERT_TRUE(image.save(path, "JPEG"));
    }
};
