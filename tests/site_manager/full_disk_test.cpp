// The site-gallery program on a full disk (a child process whose files may not grow past 8 bytes):
// each failed save, image copy, build step or deletion comes to the user once, as its operation's message,
// and every file of the data directory keeps every byte it had. On a disk that takes the writes
// but fails the sync that ends a build step, the step replaces none of the files built before.
#include "components/file_list_box.h"
#include "site_manager/site_options_dialog.h"
#include "tests/common/file_size_limit.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QRadioButton>

using platform::MessageResult;
using testing_support::MessageScript;

TEST_F(MainWindowTest, OnAFullDiskEachFailureIsToldOnceAndEveryFileKeepsItsBytes) {
    // Site_1 with one rotation built before: images, thumbnails, a button and pages.
    const QString source = qEnvironmentVariable("LUMENFOLD_SOURCE_DIR") + "/data/navgraph/";
    const QString rotation = data.path() + "site/Rotation_1/";
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
    data.write("Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=1\r\n"
                             "[Rotation_1]\r\nRotation_Path=%\\site\\Rotation_1\\\r\n");
    const QString plain = data.write("Styles/plain.htm", "<html><body>***INDEX***<hr>***CONTENT***</body></html>");
    for (const QString& old : {"Index.html", "a.html", "Page_Button_On_1.gif", "thumbs/a_thb.jpg", "thumbs/photo_thb.jpg",
                               "thumbs/Next_thb.jpg"})
        data.write("site/Rotation_1/" + old, "built before: " + old.toUtf8());
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    ASSERT_TRUE(image.save(rotation + "a.jpg") && image.save(rotation + "photo.jpg") &&
                image.save(data.path() + "Styles/photo.png"));
    ASSERT_TRUE(QFile::copy(source + "Previous.gif", rotation + "Next.gif"));  // an older graphic
    data.write("Styles/a.jpg", "a newer a.jpg");
    startProgram();
    clickSite("Site_1");

    const QString copyError = "Error encountered copying the file, %1!  You may be out of disk space or do not have "
                              "write access to the directory you are copying to";
    const QString overwrite = "A file by the name of %1 already exists.  Are you sure you want to overwrite it?";
    const QString writeError = "Error encountered writing to the directory, %1.  Building will terminate!";
    const QString rotationSaveError = "Error encountered saving the settings for the current rotation.  Ensure you "
                                      "have sufficient disk space and write access to this drive";
    // Build! with the layout settings made by setUp; the editor's close then cannot save either.
    const auto build = [&](const std::function<void()>& setUp, bool keepThumbnails, int boxes = 2) {
        return [=](MessageScript& script) {
            inEditor(script, [&](TdlgEditSite& editor) {
                editor.cmbstyle->setCurrentText(plain);
                setUp();
                script.onDialog([&](QDialog& d) {
                    auto& dialog = dynamic_cast<TdlgBuildProgress&>(d);
                    dialog.chkNoThumbRecreate->setChecked(keepThumbnails);
                    for (int i = 0; i < boxes; ++i) script.answer(MessageResult::OK);
                    dialog.btnokClick();
                    dialog.BitBtn2Click();  // still open: the build failed
                    return dialog.result();
                });
                editor.btnbuildClick(editor.btnbuild);
            });
        };
    };
    const auto drop = [&](const QString& file) {
        return [=](MessageScript& script) {
            inEditor(script, [&](TdlgEditSite& editor) {
                script.answer(MessageResult::Yes).answer(MessageResult::OK).answer(MessageResult::OK);
                editor.DropFileTarget1Drop({data.path() + "Styles/" + file});
            });
        };
    };
    const auto buttons = [&] {
        dlgThumbOptions->chkImageButtons->setChecked(true);
        dlgThumbOptions->edtSelectedImageButton->setText(source + "Index.gif");
    };
    const auto imagePages = [&] {
        dlgThumbOptions->rdbHTMLImageWindow->setChecked(true);
        dlgThumbOptions->cmbimagestyle->setCurrentText(plain);
    };
    struct Operation {
        const char* name;
        std::function<void(MessageScript&)> run;
        QStringList boxes;
    };
    const std::vector<Operation> operations = {
        {"site options", [&](MessageScript& script) {
             script.onDialog([&](QDialog& d) {
                 dynamic_cast<TdlgSIteOptions&>(d).edtname->setText("Corner Garden");
                 script.answer(MessageResult::OK);
                 dynamic_cast<TdlgSIteOptions&>(d).BitBtn1Click();
                 return d.result();
             });
             main->btnsiteoptionsClick();
         }, {"An error was encountered saving your option changes!"}},
        {"site editor", [&](MessageScript& script) {
             script.answer(MessageResult::OK);
             inEditor(script, [](TdlgEditSite&) {});
         }, {rotationSaveError}},
        {"image conversion", drop("photo.png"),
         {overwrite.arg(rotation + "photo.jpg"), copyError.arg(data.path() + "Styles/photo.png"), rotationSaveError}},
        {"image copy", drop("a.jpg"),
         {overwrite.arg(rotation + "a.jpg"), copyError.arg(data.path() + "Styles/a.jpg"), rotationSaveError}},
        {"support file", build([&] {
             dlgThumbOptions->Chkusecustombuttons->setChecked(true);
             dlgThumbOptions->edtnextfile->setText(source + "Next.gif");
         }, false), {"An error was encountered copying the file, " + source + "Next.gif!", rotationSaveError}},
        {"page button", build(buttons, false), {writeError.arg(rotation), rotationSaveError}},
        {"thumbnail", build([] {}, false), {writeError.arg(rotation + "thumbs/"), rotationSaveError}},
        {"image page", build(imagePages, true),
         {"Error encountered creating your Image Display pages.  Please ensure you have enough disk space",
          rotationSaveError}},
        {"thumbnail page", build([] {}, true),
         {"Error encountered creating your HTML pages.  Please ensure you have enough disk space", rotationSaveError}},
        {"delete rotation", [&](MessageScript& script) {
             inEditor(script, [&](TdlgEditSite& editor) {
                 const QStringList images = editor.FileBox->fileNames();
                 EXPECT_FALSE(images.isEmpty());
                 script.answer(MessageResult::Yes).answer(MessageResult::OK);
                 editor.btndeleterotationClick();
                 // Still listed, current and loadable; the close cannot save it either.
                 EXPECT_EQ(editor.lbxrotations->count(), 1);
                 EXPECT_EQ(tsiterecord.RotationCount, 1);
                 editor.lbxrotations->setCurrentRow(0);
                 script.answer(MessageResult::OK);
                 editor.lbxrotationsClick();
                 EXPECT_EQ(CurrentRotationNumber, 1);
                 EXPECT_EQ(editor.grpRotations->title(), "Rotation 1");
                 EXPECT_EQ(editor.FileBox->fileNames(), images);
                 script.answer(MessageResult::OK);
             });
         }, {"Are you sure you want to remove Rotation 1 and delete all files in the directory, " + rotation + "?",
             rotationSaveError, rotationSaveError, rotationSaveError}},
        {"delete site", [&](MessageScript& script) {
             script.answer(MessageResult::Yes).answer(MessageResult::OK);
             main->btndeletesiteClick();
             EXPECT_EQ(main->lbxsites->count(), 1);
         }, QString("Are you sure you want to delete the current site, Garden?  \r\n\r\nNote: This will also "
                    "delete the directory, " + data.path() + "site/ and all files that it contains!")
                    .split('\n')  // the child hands its boxes back line by line
                << "Error encountered saving your settings!  You may be out of disk space!"},
    };
    const auto files = [&](const QString& root) {
        QMap<QString, QByteArray> all;
        for (QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            QFile file(it.next());
            all[file.fileName()] = file.open(QIODevice::ReadOnly) ? file.readAll() : "unreadable";
        }
        return all;
    };
    const auto before = files(data.path());
    for (const Operation& operation : operations) {
        const QStringList boxes = testing_support::runWithFileSizeLimit(8, [&] {
            MessageScript script;
            operation.run(script);
            return script.texts();
        });
        EXPECT_EQ(boxes, operation.boxes) << operation.name;
        EXPECT_EQ(files(data.path()), before) << operation.name;
    }
    // The settings are saved there; the built files stay as they were, with no temporary left.
    const std::vector<Operation> failedSyncs = {
        {"page button", build(buttons, false, 1), {writeError.arg(rotation)}},
        {"thumbnail", build([] {}, false, 1), {writeError.arg(rotation + "thumbs/")}},
        {"image page", build(imagePages, true, 1), {writeError.arg(rotation)}},
        {"thumbnail page", build([] {}, true, 1), {writeError.arg(rotation)}},
    };
    const auto built = files(rotation);
    // Temporaries of a build that never finished: the next build removes them.
    data.write("site/Rotation_1/.~0123456789ab.html", "half a page");
    data.write("site/Rotation_1/thumbs/.~00000000000f.jpg", "half a thumbnail");
    for (const Operation& operation : failedSyncs) {
        const QStringList boxes = testing_support::runWithFailingFileSystemSync([&] {
            MessageScript script;
            operation.run(script);
            return script.texts();
        });
        EXPECT_EQ(boxes, operation.boxes) << operation.name;
        EXPECT_EQ(files(rotation), built) << operation.name;
    }
}

// A disk with room for the settings of the rotation being left but not for a new section: New
// Rotation stops with the store's message, the rotation left stays current with its own directory
// and status, and Close writes back exactly what its section held.
TEST_F(MainWindowTest, ANewRotationThatCannotBeSavedLeavesTheCurrentRotationsSectionAsItWas) {
    const QString rotationSaveError = "Error encountered saving the settings for the current rotation.  Ensure you "
                                      "have sufficient disk space and write access to this drive";
    struct Case {
        const char* name;
        int rotations;
        int current;  // the rotation selected before New Rotation
        const char* status;
    };
    const Case cases[] = {
        {"the only rotation, built", 1, 1, "2"},
        {"the second of two, images changed", 2, 2, "1"},
    };
    for (const Case& c : cases) {
        QByteArray site = "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=" +
                          QByteArray::number(c.rotations) + "\r\n";
        for (int n = 1; n <= c.rotations; ++n) {
            const QByteArray number = QByteArray::number(n);
            site += "[Rotation_" + number + "]\r\nStatus=" + c.status +
                    "\r\nRotation_Path=%\\site\\Rotation_" + number + "\\\r\n";
            data.write("site/Rotation_" + number + "/a.jpg", "an image");
        }
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
        data.write("Site_1.ini", site);
        startWithGardenSite();
        const auto select = [&](TdlgEditSite& editor) {
            editor.lbxrotations->setCurrentRow(c.current - 1);
            editor.lbxrotationsClick();
        };
        {
            // Once through the editor: every section holds all the settings the editor writes.
            MessageScript script;
            inEditor(script, select);
        }
        const QByteArray before = data.read("Site_1.ini");
        const QStringList boxes = testing_support::runWithFileSizeLimit(before.size(), [&] {
            MessageScript script;
            inEditor(script, [&](TdlgEditSite& editor) {
                select(editor);
                script.answer(MessageResult::OK);
                QTest::mouseClick(editor.btnNewRotation, Qt::LeftButton);
                EXPECT_EQ(CurrentRotationNumber, c.current) << c.name;
                EXPECT_EQ(editor.lbxrotations->count(), c.rotations) << c.name;
                EXPECT_EQ(QDir(editor.edtrotationdirectory->text()).absolutePath(),
                          data.path() + "site/Rotation_" + QString::number(c.current))
                    << c.name;
            });
            return script.texts();
        });
        EXPECT_EQ(boxes, QStringList{rotationSaveError}) << c.name;
        EXPECT_EQ(QString::fromUtf8(data.read("Site_1.ini")), QString::fromUtf8(before)) << c.name;
        stopProgram();
        resetProgramGlobals();
    }
}
