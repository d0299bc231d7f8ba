// The site-gallery program on a full disk: a child process whose files may not grow past 8 bytes
// saves sites, adds images and builds. Each failure comes to the user once, as its operation's
// message, and every file of the data directory keeps every byte it had.
#include "platform/ini_file.h"
#include "site_manager/site_options_dialog.h"
#include "tests/common/file_size_limit.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QImage>
#include <QLineEdit>
#include <QMap>
#include <QRadioButton>
#include <QTest>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

constexpr long FullDisk = 8;  // bytes a file of the child may hold
const QString RotationSaveError =
    "Error encountered saving the settings for the current rotation.  Ensure you have sufficient disk space and "
    "write access to this drive";

class FullDiskTest : public MainWindowTest {
protected:
    // Site_1 with one built rotation: images, thumbnails, buttons and pages of an earlier build.
    void SetUp() override {
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
        rotationDir = data.path() + "site/Rotation_1/";
        data.write("Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=1\r\n"
                                 "[Rotation_1]\r\nRotation_Path=%\\site\\Rotation_1\\\r\n");
        thumbnailTemplate = data.write("Styles/plain.htm", "<html><body>***INDEX***<hr>***CONTENT***</body></html>\r\n");
        QDir().mkpath(rotationDir + "thumbs");
        for (const QString& name : {"a.jpg", "b.jpg", "photo.jpg"}) {
            QImage image(160, 120, QImage::Format_RGB32);
            image.fill(QColor(40, 120, 200));
            ASSERT_TRUE(image.save(rotationDir + name, "JPEG"));
        }
        QImage png(40, 30, QImage::Format_RGB32);
        png.fill(Qt::darkGreen);
        QDir().mkpath(data.path() + "drop");
        ASSERT_TRUE(png.save(data.path() + "drop/photo.png"));
        data.write("drop/a.jpg", "a newer a.jpg");
        for (const QString& old : {"Index.html", "a.html", "Page_Button_On_1.gif", "thumbs/a_thb.jpg",
                                   "thumbs/b_thb.jpg", "thumbs/Next_thb.jpg", "thumbs/photo_thb.jpg"})
            data.write("site/Rotation_1/" + old, "an earlier build's " + old.toUtf8());
        // An older navigation graphic, a picture of the rotation while it is not a support file.
        ASSERT_TRUE(QFile::copy(qEnvironmentVariable("LUMENFOLD_SOURCE_DIR") + "/data/navgraph/Previous.gif",
                                rotationDir + "Next.gif"));
        startProgram();
        clickSite("Site_1");
    }

    // Every file under the data directory with its bytes.
    QMap<QString, QByteArray> files() const {
        QMap<QString, QByteArray> all;
        QDirIterator it(data.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            all[path.mid(data.path().size())] = file.open(QIODevice::ReadOnly) ? file.readAll() : "unreadable";
        }
        return all;
    }

    // Runs the body under the full disk with a script for its boxes; returns the box texts.
    QStringList boxesOnAFullDisk(const std::function<void(MessageScript&)>& body) {
        return testing_support::runWithFileSizeLimit(FullDisk, [&] {
            MessageScript script;
            body(script);
            return script.texts();
        });
    }

    QString rotationDir;
    QString thumbnailTemplate;
};

}  // namespace

TEST_F(FullDiskTest, SiteSavesAndImageCopiesTellTheUserOnceAndKeepTheFiles) {
    struct Save {
        const char* name;
        std::function<void(MessageScript&)> run;
        QStringList boxes;
    };
    const QString photo = data.path() + "drop/photo.png";
    const std::vector<Save> saves = {
        {"site options",
         [&](MessageScript& script) {
             script.onDialog([&](QDialog& d) {
                 auto& options = dynamic_cast<TdlgSIteOptions&>(d);
                 options.edtname->setText("Corner Garden");
                 script.answer(MessageResult::OK);
                 QTest::mouseClick(options.BitBtn1, Qt::LeftButton);
                 return d.result();
             });
             main->btnsiteoptionsClick();
         },
         {"An error was encountered saving your option changes!"}},
        // Closing the editor saves the rotation and the site: one box for both.
        {"site editor", [&](MessageScript& script) {
             script.answer(MessageResult::OK);
             inEditor(script, [](TdlgEditSite&) {});
         },
         {RotationSaveError}},
        // A converted image that cannot be written leaves the rotation's image of that name.
        {"image conversion", [&](MessageScript& script) {
             inEditor(script, [&](TdlgEditSite& editor) {
                 script.answer(MessageResult::Yes).answer(MessageResult::OK).answer(MessageResult::OK);
                 editor.DropFileTarget1Drop({photo});
             });
         },
         {"A file by the name of " + rotationDir + "photo.jpg already exists.  Are you sure you want to overwrite it?",
          "Error encountered copying the file, " + photo +
              "!  You may be out of disk space or do not have write access to the directory you are copying to",
          RotationSaveError}},
        {"image copy", [&](MessageScript& script) {
             inEditor(script, [&](TdlgEditSite& editor) {
                 script.answer(MessageResult::Yes).answer(MessageResult::OK).answer(MessageResult::OK);
                 editor.DropFileTarget1Drop({data.path() + "drop/a.jpg"});
             });
         },
         {"A file by the name of " + rotationDir + "a.jpg already exists.  Are you sure you want to overwrite it?",
          "Error encountered copying the file, " + data.path() + "drop/a.jpg" +
              "!  You may be out of disk space or do not have write access to the directory you are copying to",
          RotationSaveError}},
    };
    for (const Save& save : saves) {
        const auto before = files();
        EXPECT_EQ(boxesOnAFullDisk(save.run), save.boxes) << save.name;
        EXPECT_EQ(files(), before) << save.name;
    }
}

TEST_F(FullDiskTest, ABuildThatCannotWriteStopsAtItsFirstFileWithOneBox) {
    const QString writeError = "Error encountered writing to the directory, %1.  Building will terminate!";
    struct Step {
        const char* name;
        std::function<void()> settings;  // on the layout dialog, before Build!
        QString box;
    };
    const QString nextGraphic = qEnvironmentVariable("LUMENFOLD_SOURCE_DIR") + "/data/navgraph/Next.gif";
    const std::vector<Step> steps = {
        {"support file",
         [&] {
             dlgThumbOptions->Chkusecustombuttons->setChecked(true);
             dlgThumbOptions->edtnextfile->setText(nextGraphic);
         },
         "An error was encountered copying the file, " + nextGraphic + "!"},
        {"page button",
         [&] {
             dlgThumbOptions->chkImageButtons->setChecked(true);
             dlgThumbOptions->edtSelectedImageButton->setText(qEnvironmentVariable("LUMENFOLD_SOURCE_DIR") +
                                                              "/data/navgraph/Index.gif");
         },
         writeError.arg(rotationDir)},
        {"thumbnail", [] {}, writeError.arg(rotationDir + "thumbs/")},
        {"image page",
         [&] {
             dlgThumbOptions->rdbHTMLImageWindow->setChecked(true);
             dlgThumbOptions->cmbimagestyle->setCurrentText(thumbnailTemplate);
         },
         "Error encountered creating your Image Display pages.  Please ensure you have enough disk space"},
        {"thumbnail page", [] {}, "Error encountered creating your HTML pages.  Please ensure you have enough disk space"},
    };
    // The last two keep the thumbnails, so that pages are the first files the build writes.
    const bool keepThumbnails[] = {false, false, false, true, true};
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& step = steps[i];
        const auto before = files();
        const QStringList boxes = boxesOnAFullDisk([&](MessageScript& script) {
            inEditor(script, [&](TdlgEditSite& editor) {
                editor.cmbstyle->setCurrentText(thumbnailTemplate);
                step.settings();
                script.onDialog([&](QDialog& d) {
                    auto& dialog = dynamic_cast<TdlgBuildProgress&>(d);
                    dialog.show();
                    dialog.chkNoThumbRecreate->setChecked(keepThumbnails[i]);
                    script.answer(MessageResult::OK);
                    dialog.btnokClick();
                    EXPECT_TRUE(dialog.btnok->isEnabled());  // the build failed and the dialog stays
                    dialog.BitBtn2Click();
                    return dialog.result();
                });
                editor.btnbuildClick(editor.btnbuild);
                script.answer(MessageResult::OK);  // the rotation cannot be saved as the editor closes
            });
        });
        EXPECT_EQ(boxes, (QStringList{step.box, RotationSaveError})) << step.name;
        EXPECT_EQ(files(), before) << step.name;
    }
}
