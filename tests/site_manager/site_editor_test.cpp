// The site editor driven through the main window: rotations, images, the checks before a build
// and the preview.
#include "components/file_list_box.h"
#include "platform/file_ops.h"
#include "platform/ini_file.h"
#include "site_manager/builder/build_inputs.h"
#include "site_manager/builder/header_footer_editor_composer.h"
#include "site_manager/builder/header_footer_editor_list.h"
#include "site_manager/copy_settings_dialog.h"
#include "site_manager/rotation_store.h"
#include "tests/common/file_size_limit.h"
#include "tests/common/list_gestures.h"
#include "tests/common/without_permission_override.h"
#include "tests/common/tree_contents.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <functional>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

class SiteEditorTest : public MainWindowTest {
protected:
    void startWithSite(bool rotations) {
        writeGardenSite(rotations);
        startWithGardenSite();
    }

    platform::IniFile siteFile() const { return platform::IniFile(data.file("Site_1.ini")); }
};

void writeJpeg(const QString& path, Qt::GlobalColor colour = Qt::darkGreen) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "JPEG"));
}

QString located(const QString& directory) { return "Error!  The directory, " + directory + ", could not be located!"; }

QStringList rotationLines(const TdlgEditSite& editor) {
    QStringList lines;
    for (int i = 0; i < editor.lbxrotations->count(); ++i) lines << editor.lbxrotations->item(i)->text();
    return lines;
}

}  // namespace

TEST_F(SiteEditorTest, ANewSiteGetsItsFirstRotationAtOnce) {
    startWithSite(true);
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        EXPECT_EQ(editor.edtsite->text(), "Garden");
        EXPECT_EQ(rotationLines(editor), QStringList{"Rotation 1 : 0 Images : NOT BUILT"});
        EXPECT_EQ(editor.grpRotations->title(), "Rotation 1");
        EXPECT_EQ(CurrentRotationNumber, 1);
        EXPECT_EQ(editor.lblstatus->text(), "This Rotation has NOT been built");
        EXPECT_FALSE(editor.btnpreview->isEnabled());
        EXPECT_TRUE(editor.btnBuildAll->isEnabled());
        EXPECT_TRUE(editor.btnApplytoAll->isEnabled());
        EXPECT_EQ(editor.Label9->text(), "This Rotation contains the following images:");
    });
    EXPECT_TRUE(QFileInfo(siteDir + "Rotation_1").isDir());
    EXPECT_EQ(siteFile().readString("General", "RotationCount", ""), "1");
    EXPECT_EQ(siteFile().readString("Rotation_1", "Rotation_Path", ""), "%\\site/Rotation_1");
}

// A new rotation is found and not built from the start, in the editor and in Copy Settings, with
// the site path stored with its separator or without it (as the folder dialog gives it), however
// built the rotation before it was.
TEST_F(SiteEditorTest, NewRotationsAreListedAsFoundAndNotBuilt) {
    for (const QByteArray storedPath : {"%\\site\\", "%\\site"}) {
        SCOPED_TRACE(storedPath.toStdString());
        writeGardenSite(true);
        ASSERT_TRUE(QDir(siteDir).removeRecursively() && QDir().mkpath(siteDir));
        data.write("Site_1.ini", "[General]\r\nName=Garden\r\nPath=" + storedPath + "\r\nRotationCount=0\r\n");
        startWithGardenSite();
        const QStringList both{"Rotation 1 : 0 Images : NOT BUILT", "Rotation 2 : 0 Images : NOT BUILT"};
        QStringList copyLines;
        MessageScript script;
        inEditor(script, [&](TdlgEditSite& editor) {
            EXPECT_EQ(rotationLines(editor), QStringList{both.first()});
            CurrentRotationStatus = 2;  // rotation 1 has been built
            QTest::mouseClick(editor.btnNewRotation, Qt::LeftButton);
            EXPECT_EQ(rotationLines(editor), both);
            EXPECT_EQ(siteFile().readString("Rotation_2", "Status", ""), "0");
            EXPECT_EQ(editor.lblstatus->text(), "This Rotation has NOT been built");
            EXPECT_FALSE(editor.btnpreview->isEnabled());

            script.onDialog([&](QDialog& d) {
                const auto& dialog = dynamic_cast<TdlgCopySettings&>(d);
                for (int i = 0; i < dialog.lbxrotation->count(); ++i) copyLines << dialog.lbxrotation->item(i)->text();
                return int(platform::mrCancel);
            });
            QTest::mouseClick(editor.btnCopyFrom, Qt::LeftButton);

            // The built rotation stays built when its image list is read again.
            writeJpeg(siteDir + "Rotation_1/photo.jpg");
            editor.lbxrotations->setCurrentRow(0);
            editor.lbxrotationsClick();
            EXPECT_EQ(editor.lblstatus->text(), "This Rotation has been built");
        });
        EXPECT_EQ(copyLines, both);
        EXPECT_EQ(siteFile().readString("Rotation_1", "Status", ""), "2");
        stopProgram();
    }
}

// Sections without a directory: the list finds the default directory beside the site path, also
// when only the letter case of its name differs.
TEST_F(SiteEditorTest, DefaultRotationDirectoriesAreFoundInAnyLetterCase) {
    writeGardenSite(true);
    data.write("Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\site\r\nRotationCount=4\r\n");
    const QString names[] = {"rotation_1", "Rotation_2", "ROTATION_3"};
    for (const QString& name : names) {
        ASSERT_TRUE(QDir().mkpath(siteDir + name));
        writeJpeg(siteDir + name + "/photo.jpg");
    }
    startWithGardenSite();
    QListWidget list;
    loadrotationlist("Site_1", &list);
    QStringList lines;
    for (int i = 0; i < list.count(); ++i) lines << list.item(i)->text();
    EXPECT_EQ(lines, (QStringList{"Rotation 1 : 1 Images : NOT BUILT", "Rotation 2 : 1 Images : NOT BUILT",
                                  "Rotation 3 : 1 Images : NOT BUILT", "Rotation 4 : ERROR! Not found!"}));
}

TEST_F(SiteEditorTest, WithRotationsOffTheSiteDirectoryHoldsTheOnlyVersion) {
    startWithSite(false);
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        EXPECT_EQ(rotationLines(editor), QStringList{"Current Site  : 0 Images : NOT BUILT"});
        EXPECT_EQ(editor.grpRotations->title(), "Current Site");
        EXPECT_EQ(editor.lblstatus->text(), "This Site has NOT been built");
        EXPECT_FALSE(editor.btnBuildAll->isEnabled());
        EXPECT_FALSE(editor.btnNewRotation->isVisibleTo(&editor));
        EXPECT_FALSE(editor.btndeleterotation->isVisibleTo(&editor));
        EXPECT_EQ(editor.Label9->text(), "This Site contains the following images:");
    });
    EXPECT_FALSE(QFileInfo::exists(siteDir + "Rotation_1"));
    EXPECT_EQ(QDir(siteFile().readString("Rotation_1", "Rotation_Path", "").replace("%\\", data.path())).absolutePath(),
              QDir(siteDir).absolutePath());
}

TEST_F(SiteEditorTest, RotationsKeepTheirOwnSettingsAndANewOneInheritsTheCurrent) {
    startWithSite(true);
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        dlgThumbOptions->SpnThumbW->setValue(150);
        QTest::mouseClick(editor.btnNewRotation, Qt::LeftButton);
        EXPECT_EQ(CurrentRotationNumber, 2);
        EXPECT_EQ(dlgThumbOptions->SpnThumbW->value(), 150);  // inherited
        dlgThumbOptions->SpnThumbW->setValue(300);

        editor.lbxrotations->setCurrentRow(0);
        editor.lbxrotationsClick();
        EXPECT_EQ(CurrentRotationNumber, 1);
        EXPECT_EQ(dlgThumbOptions->SpnThumbW->value(), 150);
        EXPECT_FALSE(editor.btndeleterotation->isEnabled());  // only the last can be deleted

        editor.lbxrotations->setCurrentRow(1);
        editor.lbxrotationsClick();
        EXPECT_EQ(dlgThumbOptions->SpnThumbW->value(), 300);
        EXPECT_TRUE(editor.btndeleterotation->isEnabled());
    });
    EXPECT_EQ(siteFile().readString("Rotation_1", "Thumb_Width", ""), "150");
    EXPECT_EQ(siteFile().readString("Rotation_2", "Thumb_Width", ""), "300");
    EXPECT_EQ(siteFile().readString("General", "RotationCount", ""), "2");
}

TEST_F(SiteEditorTest, DeletingTheLastOfThreeRotationsRemovesItsSectionAndDirectory) {
    startWithSite(true);
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        QTest::mouseClick(editor.btnNewRotation, Qt::LeftButton);
        QTest::mouseClick(editor.btnNewRotation, Qt::LeftButton);
        ASSERT_EQ(editor.lbxrotations->count(), 3);
        writeJpeg(siteDir + "Rotation_3/old.jpg");
        script.answer(MessageResult::Yes);
        QTest::mouseClick(editor.btndeleterotation, Qt::LeftButton);
        EXPECT_EQ(script.lastText(), "Are you sure you want to remove Rotation 3 and delete all files in the "
                                     "directory, " + siteDir + "Rotation_3?");
        EXPECT_EQ(editor.lbxrotations->count(), 2);
        EXPECT_EQ(editor.lbxrotations->currentRow(), 0);
        EXPECT_EQ(CurrentRotationNumber, 1);
    });
    EXPECT_FALSE(QFileInfo::exists(siteDir + "Rotation_3"));
    EXPECT_FALSE(siteFile().sectionExists("Rotation_3"));
    EXPECT_EQ(siteFile().readString("General", "RotationCount", ""), "2");
}

// Delete Rotation erases the section and stores the count in one replacement of the site file:
// when it cannot be written the file keeps every byte and the rotation stays listed, current and
// loadable with its directory; when it can, every other byte of the file stays. "Room for the
// file as it is" fails only a file that grows: erasing the section alone would fit, the record's
// missing [General] keys stored with the count do not.
TEST_F(SiteEditorTest, DeleteRotationChangesTheSiteFileInOneWriteOrNotAtAll) {
    using Body = std::function<QStringList()>;
    struct Case {
        const char* name;
        const char* lineEnd;
        bool completeGeneral;
        std::function<QStringList(qint64 fileSize, const Body&)> failing;  // none: the write succeeds
    };
    const QString siteFileName = data.file("Site_1.ini");
    const Case cases[] = {
        {"room for the file as it is", "\r\n", false,
         [](qint64 size, const Body& body) { return testing_support::runWithFileSizeLimit(size, body); }},
        {"no room at all", "\r\n", false,
         [](qint64, const Body& body) { return testing_support::runWithFileSizeLimit(8, body); }},
        {"read-only site file", "\r\n", true,
         [&](qint64, const Body& body) {
             platform::setReadOnly(siteFileName, true);
             const QStringList boxes = body();
             platform::setReadOnly(siteFileName, false);
             return boxes;
         }},
        {"read-only data directory", "\r\n", true,
         [&](qint64, const Body& body) {
             testing_support::WithoutPermissionOverride asUser;
             QFile::setPermissions(data.path(), QFile::ReadOwner | QFile::ExeOwner);
             const QStringList boxes = body();
             QFile::setPermissions(data.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
             return boxes;
         }},
        {"CRLF, unknown keys and sections", "\r\n", true, nullptr},
        {"LF", "\n", true, nullptr},
    };
    const QString saveError =
        "Error encountered saving the settings for the current rotation.  Ensure you have "
        "sufficient disk space and write access to this drive";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeGardenSite(true);
        const QString confirmation =
            "Are you sure you want to remove Rotation 2 and delete all files in the directory, " + siteDir +
            "Rotation_2/?";
        QByteArray site = "[General]\r\nName=Garden\r\nPath=%\\site/\r\n";
        if (c.completeGeneral)
            site += "LivePath=\r\nAutoRotate=False\r\nCurrentRotationPosition=1\r\nBaseHTMLName=Index.html\r\n";
        site +=
            "RotationCount=2\r\nUnknown=kept\r\n[Rotation_1]\r\nRotation_Path=%\\site\\Rotation_1\\\r\nOdd=kept\r\n"
            "[Rotation_2]\r\nRotation_Path=%\\site\\Rotation_2\\\r\n[Notes]\r\n; a comment\r\nkept=yes";
        data.write("Site_1.ini", site.replace("\r\n", c.lineEnd));
        for (const char* rotation : {"Rotation_1", "Rotation_2"}) {
            ASSERT_TRUE(QDir().mkpath(siteDir + rotation));
            writeJpeg(siteDir + rotation + "/photo.jpg");
        }
        startWithGardenSite();
        MessageScript script;
        inEditor(script, [&](TdlgEditSite& editor) {
            editor.lbxrotations->setCurrentRow(1);
            editor.lbxrotationsClick();  // rotation 1 is saved whole on the way
            const QByteArray before = data.read("Site_1.ini");
            const QStringList images = editor.FileBox->fileNames();
            ASSERT_FALSE(images.isEmpty());
            const Body deleteRotation = [&] {
                script.clear();
                script.answer(MessageResult::Yes);
                if (c.failing) script.answer(MessageResult::OK);
                editor.btndeleterotationClick();
                if (!c.failing) return script.texts();
                EXPECT_EQ(rotationLines(editor).size(), 2);
                EXPECT_EQ(tsiterecord.RotationCount, 2);
                EXPECT_EQ(CurrentRotationNumber, 2);
                EXPECT_EQ(editor.grpRotations->title(), "Rotation 2");
                script.answer(MessageResult::OK);  // its save on the way cannot be written either
                editor.lbxrotationsClick();
                EXPECT_EQ(CurrentRotationNumber, 2);
                EXPECT_EQ(editor.FileBox->fileNames(), images);
                return script.texts();
            };
            if (c.failing) {
                EXPECT_EQ(c.failing(before.size(), deleteRotation), (QStringList{confirmation, saveError, saveError}));
                EXPECT_EQ(QString::fromUtf8(data.read("Site_1.ini")), QString::fromUtf8(before));
                EXPECT_TRUE(QFileInfo::exists(siteDir + "Rotation_2/photo.jpg"));
                return;
            }
            EXPECT_EQ(deleteRotation(), QStringList{confirmation});
            const qsizetype section = before.indexOf("[Rotation_2]"), next = before.indexOf("[Notes]");
            QByteArray expected = before.left(section) + before.mid(next);
            expected.replace("RotationCount=2", "RotationCount=1");
            EXPECT_EQ(QString::fromUtf8(data.read("Site_1.ini")), QString::fromUtf8(expected));
            EXPECT_EQ(rotationLines(editor), QStringList{"Rotation 1 : 1 Images : NOT BUILT"});
            EXPECT_FALSE(QFileInfo::exists(siteDir + "Rotation_2"));
        });
        stopProgram();
        resetProgramGlobals();
    }
}

// Garden's settings stay in the controls after its editor closes. Kitchen's first rotation cannot
// be listed, so none is current: every action that would write refuses with the line for it, and
// no site file or folder changes.
TEST_F(SiteEditorTest, WithNoRotationCurrentTheEditorChangesNothing) {
    const QString kitchen = data.path() + "kitchen/", unlisted = kitchen + "Rotation_1";
    const std::pair<const char*, std::function<void(TdlgEditSite&)>> actions[] = {
        {"Apply to All", [](TdlgEditSite& e) { QTest::mouseClick(e.btnApplytoAll, Qt::LeftButton); }},
        {"Delete key on a stale entry",
         [](TdlgEditSite& e) {
             e.FileBox->addItem("garden.jpg");
             e.FileBox->selectAll();
             QTest::keyClick(e.FileBox, Qt::Key_Delete);
         }},
        {"drop", [&](TdlgEditSite& e) { e.DropFileTarget1Drop({data.file("incoming/new.jpg")}); }},
        {"Build!", [](TdlgEditSite& e) { QTest::mouseClick(e.btnbuild, Qt::LeftButton); }},
        {"Build All", [](TdlgEditSite& e) { QTest::mouseClick(e.btnBuildAll, Qt::LeftButton); }},
        {"Preview", [](TdlgEditSite& e) { e.btnpreviewClick(e.btnpreview); }},
        {"New Rotation", [](TdlgEditSite& e) { QTest::mouseClick(e.btnNewRotation, Qt::LeftButton); }},
        {"Close only", {}},
    };
    for (const bool gone : {true, false}) {
        for (const auto& [name, run] : actions) {
            SCOPED_TRACE(std::string(gone ? "gone, " : "not searchable, ") + name);
            data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
            data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\nSite_2=Kitchen\r\n");
            data.write("Site_1.ini",
                       "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=1\r\n"
                       "[Rotation_1]\r\nRotation_Path=%\\site\\Rotation_1\r\nHorizontal_Thumb_Count=3\r\n");
            data.write(
                "Site_2.ini",
                "[General]\r\nName=Kitchen\r\nPath=%\\kitchen/\r\nRotationCount=2\r\nLivePath=\r\nAutoRotate=False\r\n"
                "CurrentRotationPosition=1\r\nBaseHTMLName=Index.html\r\n"
                "[Rotation_1]\r\nRotation_Path=%\\kitchen\\Rotation_1\r\nHorizontal_Thumb_Count=5\r\nStatus=2\r\n"
                "[Rotation_2]\r\nRotation_Path=%\\kitchen\\Rotation_2\r\nHorizontal_Thumb_Count=5\r\nStatus=2\r\n");
            for (const char* image : {"site/Rotation_1/garden.jpg", "kitchen/Rotation_1/kitchen.jpg",
                                      "kitchen/Rotation_2/kitchen.jpg", "incoming/new.jpg"}) {
                QDir().mkpath(QFileInfo(data.file(image)).path());
                writeJpeg(data.file(image));
            }
            startProgram();
            clickSite("Site_1");
            MessageScript script;
            inEditor(script, [](TdlgEditSite&) { ASSERT_EQ(dlgThumbOptions->spnHorzCOunt->value(), 3); });
            ASSERT_TRUE(gone ? QDir(unlisted).removeRecursively()
                             : QFile::setPermissions(unlisted, QFile::ReadOwner | QFile::WriteOwner));
            const QStringList before = testing_support::treeContents(data.path());

            clickSite("Site_2");
            {
                testing_support::WithoutPermissionOverride asUser;  // the folder's permissions bind root too
                inEditor(script, [&](TdlgEditSite& editor) {
                    EXPECT_EQ(CurrentRotationNumber, -1);
                    EXPECT_TRUE(editor.lbxrotations->selectedItems().isEmpty());
                    EXPECT_EQ(editor.FileBox->count(), 0);
                    if (run) {
                        script.answer(MessageResult::OK);
                        run(editor);
                    }
                    EXPECT_EQ(editor.lblstatus->text(), located(unlisted));
                });
            }
            QFile::setPermissions(unlisted, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            EXPECT_EQ(script.texts(), run ? QStringList{located(unlisted)} : QStringList());
            EXPECT_EQ(testing_support::treeContents(data.path()), before);
            stopProgram();
            resetProgramGlobals();
            QDir(kitchen).removeRecursively();
        }
    }
}

// The rotation the user highlights is loaded however the highlight moved, unless its folder cannot
// be listed; the highlight never leaves the rotation the controls hold.
TEST_F(SiteEditorTest, TheHighlightedRotationIsLoadedUnlessItsFolderCannotBeListed) {
    using testing_support::gesture;
    startWithSite(true);
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        QTest::mouseClick(editor.btnNewRotation, Qt::LeftButton);
        QTest::mouseClick(editor.btnNewRotation, Qt::LeftButton);
        writeJpeg(siteDir + "Rotation_3/third.jpg");
        auto* list = editor.lbxrotations;
        gesture(list, "0");
        ASSERT_EQ(CurrentRotationNumber, 1);

        testing_support::dragRows(list, 0, 2);
        EXPECT_EQ(CurrentRotationNumber, 3);
        EXPECT_EQ(QDir(editor.edtrotationdirectory->text()), QDir(siteDir + "Rotation_3"));

        // A Ctrl+click, a click on empty space and a click on a rotation whose folder can be read
        // but not entered leave Rotation 3 loaded and highlighted.
        testing_support::WithoutPermissionOverride asUser;
        ASSERT_TRUE(QFile::setPermissions(siteDir + "Rotation_2", QFile::ReadOwner | QFile::WriteOwner));
        for (const char* gestures : {"^2", "_", "1"}) {
            SCOPED_TRACE(gestures);
            gesture(list, gestures);
            EXPECT_EQ(list->selectedItems(), QList{list->item(2)});
            EXPECT_EQ(CurrentRotationNumber, 3);
            EXPECT_TRUE(editor.btndeleterotation->isEnabled());
        }
        EXPECT_EQ(editor.lblstatus->text(), located(siteDir + "Rotation_2"));
        EXPECT_EQ(editor.FileBox->fileNames(), QStringList{"third.jpg"});
    });
    EXPECT_TRUE(script.texts().isEmpty());
}

TEST_F(SiteEditorTest, ApplyToAllWritesTheSettingsButKeepsStatusAndDirectories) {
    startWithSite(true);
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        QTest::mouseClick(editor.btnNewRotation, Qt::LeftButton);
        QTest::mouseClick(editor.btnNewRotation, Qt::LeftButton);
        dlgThumbOptions->spnHorzCOunt->setValue(7);
        CurrentRotationStatus = 2;
        QTest::mouseClick(editor.btnApplytoAll, Qt::LeftButton);
        for (int n = 1; n <= 3; ++n) {
            const QString section = "Rotation_" + QString::number(n);
            EXPECT_EQ(siteFile().readString(section, "Horizontal_Thumb_Count", ""), "7") << n;
            EXPECT_EQ(siteFile().readString(section, "Rotation_Path", ""),
                      "%\\site/Rotation_" + QString::number(n));
        }
        EXPECT_EQ(siteFile().readString("Rotation_1", "Status", ""), "1");
    });
}

TEST_F(SiteEditorTest, CopiedSettingsBelongToTheCurrentRotationWhenItIsSaved) {
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\nSite_2=Beach\r\n");
    QDir().mkpath(data.file("site/Rotation_1"));
    QDir().mkpath(data.file("beach/Rotation_1"));
    data.write("Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=1\r\n"
                             "[Rotation_1]\r\nRotation_Path=%\\site\\Rotation_1\r\nThumb_Width=100\r\n");
    data.write("Site_2.ini", "[General]\r\nName=Beach\r\nPath=%\\beach\\\r\nRotationCount=1\r\n"
                             "[Rotation_1]\r\nRotation_Path=%\\beach\\Rotation_1\r\nThumb_Width=420\r\n"
                             "Vertical_Thumb_Count=9\r\n");
    startProgram();
    clickSite("Site_1");
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        script.onDialog([&](QDialog& d) {
            auto* combo = d.findChild<QComboBox*>();
            auto* list = d.findChild<QListWidget*>();
            EXPECT_EQ(combo->currentText(), "Garden");
            combo->setCurrentIndex(1);
            emit combo->activated(1);
            EXPECT_EQ(list->count(), 1);
            list->setCurrentRow(0);
            d.done(platform::mrOk);
            return d.result();
        });
        QTest::mouseClick(editor.btnCopyFrom, Qt::LeftButton);
        EXPECT_EQ(dlgThumbOptions->SpnThumbW->value(), 420);
        EXPECT_EQ(dlgThumbOptions->spnVertCOunt->value(), 9);
        EXPECT_EQ(editor.grpRotations->title(), "Rotation 1");
    });
    EXPECT_EQ(siteFile().readString("Rotation_1", "Thumb_Width", ""), "420");
    EXPECT_EQ(siteFile().readString("Rotation_1", "Rotation_Path", ""), "%\\site/Rotation_1");
}

TEST_F(SiteEditorTest, DroppedImagesAreCopiedOrRefusedAndTheListFollows) {
    startWithSite(true);
    const QString outside = data.path() + "incoming/";
    QDir().mkpath(outside);
    writeJpeg(outside + "image.jpeg");
    data.write("incoming/readme.txt", "not an image");
    writeJpeg(outside + "second.jpg", Qt::red);
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        EXPECT_EQ(CurrentRotationStatus, 1);  // a status of 0 becomes 1 once the list is read
        script.answer(MessageResult::OK);     // go on after the unsupported file
        editor.DropFileTarget1Drop({outside + "image.jpeg", outside + "readme.txt", outside + "second.jpg"});
        EXPECT_EQ(script.texts(), QStringList{"The file, " + outside + "readme.txt, is not a supported image format"});
        EXPECT_EQ(editor.FileBox->fileNames(), (QStringList{"image.jpeg", "second.jpg"}));
        EXPECT_EQ(editor.lblfilecount->text(), "2 Images");
        EXPECT_EQ(QFileInfo(siteDir + "Rotation_1/image.jpeg").size(), QFileInfo(outside + "image.jpeg").size());

        // Dropping an existing name asks; No skips it and the next file follows.
        script.clear();
        script.answer(MessageResult::No);
        editor.DropFileTarget1Drop({outside + "second.jpg"});
        EXPECT_EQ(script.lastText(), "A file by the name of " + siteDir +
                                         "Rotation_1/second.jpg already exists.  Are you sure you want to "
                                         "overwrite it?");

        // A file of the rotation dropped on its own list stops the drop.
        script.clear();
        script.answer(MessageResult::OK);
        editor.DropFileTarget1Drop({siteDir + "Rotation_1/image.jpeg", outside + "readme.txt"});
        ASSERT_EQ(script.requests().size(), 1u);
        EXPECT_EQ(script.requests()[0].caption, "DropSource Demo");
        EXPECT_EQ(script.lastText(), "The destination folder is the same as the source!");
    });
}

TEST_F(SiteEditorTest, TheDeleteKeyRemovesSelectedImagesAfterConfirmation) {
    startWithSite(true);
    QDir().mkpath(siteDir + "Rotation_1");
    for (const char* name : {"a.jpg", "b.jpg", "c.gif"}) writeJpeg(siteDir + "Rotation_1/" + name);
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        ASSERT_EQ(editor.FileBox->count(), 3);
        editor.FileBox->item(0)->setSelected(true);
        script.answer(MessageResult::Yes);
        QTest::keyClick(editor.FileBox, Qt::Key_Delete);
        EXPECT_EQ(script.lastText(), "Are you sure you want to delete the file, a.jpg?");
        EXPECT_FALSE(QFileInfo::exists(siteDir + "Rotation_1/a.jpg"));

        editor.FileBox->selectAll();
        script.answer(MessageResult::No);
        QTest::keyClick(editor.FileBox, Qt::Key_Delete);
        EXPECT_EQ(script.lastText(), "Are you sure you want to delete these 2 files?");
        EXPECT_EQ(editor.FileBox->count(), 2);
    });
}

TEST_F(SiteEditorTest, BuildChecksRefuseMissingPiecesInOrder) {
    startWithSite(true);
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        editor.cmbstyle->setCurrentText(data.path() + "missing.htm");
        script.answer(MessageResult::OK);
        QTest::mouseClick(editor.btnbuild, Qt::LeftButton);
        EXPECT_EQ(script.lastText(), "You have not specified a HTML template file for your thumbnail page or the "
                                     "file cannot be located!");

        const QString style = data.write("Styles/mine.htm", "<html><body>***CONTENT***</body></html>");
        editor.cmbstyle->setCurrentText(style);
        editor.cmbHeader->setCurrentIndex(1);
        editor.cmbFooter->setCurrentIndex(1);
        EXPECT_TRUE(editor.btneditheader->isEnabled());
        script.answer(MessageResult::OK);
        QTest::mouseClick(editor.btnbuild, Qt::LeftButton);
        EXPECT_EQ(script.lastText(), "You have elected to insert a header, but have not provided any HTML!");
        editor.edtheaderhtml->setText("<b>Top</b>");
        script.answer(MessageResult::OK);
        QTest::mouseClick(editor.btnbuild, Qt::LeftButton);
        EXPECT_EQ(script.lastText(), "You have elected to insert a footer, but have not provided any HTML!");
        editor.cmbFooter->setCurrentIndex(0);

        // No images: pages without thumbnails, but only for a whole number above 0.
        script.answer(MessageResult::Yes);
        script.onDialog([](QDialog& d) {
            auto& input = dynamic_cast<QInputDialog&>(d);
            EXPECT_EQ(input.windowTitle(), "Number of Pages");
            EXPECT_EQ(input.textValue(), "10");
            input.setTextValue("0");
            return int(QDialog::Accepted);
        });
        script.answer(MessageResult::OK);
        QTest::mouseClick(editor.btnbuild, Qt::LeftButton);
        EXPECT_EQ(script.lastText(), "You failed to enter a valid number");
        EXPECT_FALSE(NoThumbnailMode);
    });
}

TEST_F(SiteEditorTest, HeaderAndFooterAreEditedAsSnippetOrListFile) {
    startWithSite(true);
    const QString list = data.write("headers.txt", "<p>one</p>\r\n");
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        editor.cmbHeader->setCurrentIndex(1);
        editor.cmbFooter->setCurrentIndex(2);
        // The same header on every page: the snippet composer.
        script.onDialog([](QDialog& d) {
            auto& composer = dynamic_cast<TdlgNewHeaderFooter&>(d);
            EXPECT_EQ(composer.windowTitle(), "Edit Header");
            EXPECT_TRUE(composer.rdbRawHTML->isChecked());
            composer.edtRawHTML->setText("<b>Top</b>");
            QTest::mouseClick(composer.BitBtn1, Qt::LeftButton);
            return d.result();
        });
        // A different footer on each page: the list editor loads the chosen file and adds a link.
        script.onDialog([&](QDialog& d) {
            auto& editorOfList = dynamic_cast<TdlgHeaderFooter&>(d);
            EXPECT_EQ(editorOfList.windowTitle(), "Edit Footer List");
            EXPECT_EQ(editorOfList.edtheaderfile->text(), data.path() + "Site_1_Footers.txt");
            script.onDialog([&](QDialog& chooser) {
                dynamic_cast<QFileDialog&>(chooser).selectFile(list);
                return int(QDialog::Accepted);
            });
            QTest::mouseClick(editorOfList.btnloadfromfile, Qt::LeftButton);
            script.onDialog([](QDialog& c) {
                auto& composer = dynamic_cast<TdlgNewHeaderFooter&>(c);
                EXPECT_EQ(composer.windowTitle(), "Edit Footer");
                composer.rdbtextlink->setChecked(true);
                composer.edttext->setText("Home");
                composer.edttextlink->setText(" index.htm ");
                QTest::mouseClick(composer.BitBtn1, Qt::LeftButton);
                return c.result();
            });
            QTest::mouseClick(editorOfList.btnadd, Qt::LeftButton);
            QTest::mouseClick(editorOfList.BitBtn3, Qt::LeftButton);
            return d.result();
        });
        QTest::mouseClick(editor.btneditheader, Qt::LeftButton);
        QTest::mouseClick(editor.btneditfooter, Qt::LeftButton);
        EXPECT_EQ(editor.edtheaderhtml->text(), "<b>Top</b>");
        EXPECT_EQ(editor.edtfooterfile->text(), list);
    });
    EXPECT_EQ(data.read("headers.txt"), "<p>one</p>\r\n<A HREF=\"index.htm\">Home</A>\r\n");
    // Stored with the rotation when the editor closes.
    EXPECT_EQ(siteFile().readString("Rotation_1", "Header_HTML", ""), "<b>Top</b>");
    EXPECT_EQ(siteFile().readString("Rotation_1", "Footer_File", ""), "%\\headers.txt");
}

TEST_F(SiteEditorTest, PreviewFollowsTheBuiltStatusAndViewPageTheTemplateText) {
    startWithSite(true);
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        EXPECT_FALSE(editor.btnpreview->isEnabled());
        CurrentRotationStatus = 2;
        editor.Displaycurrentstatus();
        EXPECT_TRUE(editor.btnpreview->isEnabled());
        EXPECT_EQ(editor.lblstatus->text(), "This Rotation has been built");
        editor.cmbstyle->setCurrentText(QString());
        EXPECT_FALSE(editor.btnviewhtml->isEnabled());
        editor.cmbstyle->setCurrentText("/somewhere/t.htm");
        EXPECT_TRUE(editor.btnviewhtml->isEnabled());
    });
    EXPECT_EQ(siteFile().readString("Rotation_1", "Status", ""), "2");
}
