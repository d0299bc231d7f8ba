// The add-images dialog driven as a user would: opened with the site editor's "Select Images",
// folders picked in its tree, thumbnails clicked and dragged, files dropped on the rotation's list
// and deleted from it, and a whole site built from the images it copied.
#include "components/drop_file_source.h"
#include "components/file_list_box.h"
#include "components/shell_tree.h"
#include "components/thumb_grid.h"
#include "imaging/pixel_graphic.h"
#include "site_manager/add_images_dialog.h"
#include "site_manager/builder/build_dialog.h"
#include "tests/common/link_checker.h"
#include "tests/common/without_permission_override.h"
#include "tests/site_manager/drop_events.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDrag>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QSpinBox>
#include <QSplitter>
#include <QUrl>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

const QString SameFolder = "The destination folder is the same as the source!";

void writeJpeg(const QString& path, QColor colour, QSize size = QSize(160, 120)) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "JPEG", 90)) << path.toStdString();
}

// A 256-colour GIF written by the imaging library.
void writeGif(const QString& path) {
    TPixelGraphic gif;
    gif.SetSize(120, 90, PixelFormat8Bit);
    gif.SetPaletteIdent(pSpecial252);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x) gif.SetPixel(x, y, uint32_t(gif.NearestColorIndex(pgRGB(uint8_t(x * 2), uint8_t(y), 90))));
    gif.SaveToFile(path);
}

QByteArray digest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1);
}

// Every file of a folder with a digest of its bytes.
QMap<QString, QByteArray> contents(const QString& dir) {
    QMap<QString, QByteArray> result;
    for (const QString& name : QDir(dir).entryList(QDir::Files)) result[name] = digest(dir + "/" + name);
    return result;
}

QPoint cellCentre(const TXThumbGrid& grid, int index) {
    const int columns = grid.columnCount();
    return grid.visualRect(grid.model()->index(index / columns, index % columns)).center();
}

void clickCell(TXThumbGrid& grid, int index, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, keys, cellCentre(grid, index));
}

// Selects every thumbnail: a click on the first, Shift+click on the last.
void selectAll(TXThumbGrid& grid) {
    clickCell(grid, 0);
    grid.GoToIndex(grid.Count() - 1);
    clickCell(grid, grid.Count() - 1, Qt::ShiftModifier);
}

// A mouse move with buttons held, as the platform reports it during a press.
void moveMouse(QWidget* viewport, QPoint at, Qt::MouseButtons buttons, Qt::KeyboardModifiers keys) {
    QMouseEvent event(QEvent::MouseMove, QPointF(at), QPointF(viewport->mapToGlobal(at)), Qt::NoButton, buttons, keys);
    QCoreApplication::sendEvent(viewport, &event);
}

// Counts the drags the dialog starts instead of running them, and keeps the last one's files.
class DragRecorder {
public:
    DragRecorder() {
        TDropFileSource::setDragRunnerForTesting([this](QDrag& drag, Qt::DropActions allowed) {
            ++count;
            this->allowed = allowed;
            files.clear();
            for (const QUrl& url : drag.mimeData()->urls()) files << url.toLocalFile();
            return Qt::IgnoreAction;
        });
    }
    ~DragRecorder() { TDropFileSource::setDragRunnerForTesting({}); }
    int count = 0;
    Qt::DropActions allowed;
    QStringList files;
};

class AddImagesTest : public MainWindowTest {
protected:
    void SetUp() override {
        // The long-lived dialog exists before the site editor, whose creation resets its drag point.
        addImages = std::make_unique<TdlgAddImages>();
        dlgAddImages = addImages.get();
        addImages->DragStartPoint = QPoint(7, 7);
    }
    void TearDown() override {
        stopProgram();
        addImages.reset();
        dlgAddImages = nullptr;
    }

    // Garden with one rotation (Rotation_1, or the site directory with rotations off) and a source
    // folder of images, one of them named like an image already in the rotation.
    void startWithImages(bool rotations) {
        writeGardenSite(rotations);
        rotationDir = rotations ? siteDir + "Rotation_1/" : siteDir;
        writeSourceImages();
        startWithGardenSite();
    }

    void writeSourceImages() {
        sourceDir = data.path() + "source pictures/";
        QDir().mkpath(sourceDir);
        writeJpeg(sourceDir + "beach.jpg", Qt::blue);
        writeJpeg(sourceDir + "dunes.jpg", Qt::yellow, QSize(90, 160));
        writeJpeg(sourceDir + "harbour.jpeg", Qt::darkCyan);
        writeJpeg(sourceDir + "same.jpg", Qt::red);
        writeGif(sourceDir + "map.gif");
        data.write("source pictures/notes.txt", "not an image");
    }

    // The shipped templates and navigation graphics in the data directory.
    void copyShippedData() {
        for (const QString& folder : {QString("Styles"), QString("navgraph")}) {
            const QString from = qEnvironmentVariable("LUMENFOLD_SOURCE_DIR") + "/data/" + folder;
            QDir().mkpath(data.path() + folder);
            for (const QString& name : QDir(from).entryList(QDir::Files))
                ASSERT_TRUE(QFile::copy(from + "/" + name, data.path() + folder + "/" + name)) << name.toStdString();
        }
    }

    // Opens Select Images in the site editor and runs the body on the shown dialog, which is then
    // closed with its Close button.
    void inAddImages(MessageScript& script, const std::function<void(TdlgEditSite&, TdlgAddImages&)>& body) {
        inEditor(script, [&](TdlgEditSite& editor) {
            if (!QFileInfo::exists(rotationDir + "same.jpg")) writeJpeg(rotationDir + "same.jpg", Qt::green);
            script.onDialog([&](QDialog& d) {
                auto& dialog = dynamic_cast<TdlgAddImages&>(d);
                EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
                body(editor, dialog);
                QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
                return dialog.result();
            });
            QTest::mouseClick(editor.btnAddFiles, Qt::LeftButton);
        });
    }

    // Picks a folder in the tree, as a click on its node would.
    static void browse(TdlgAddImages& dialog, const QString& folder) {
        dialog.dirSource->setPath(folder);
        ASSERT_EQ(QDir(dialog.dirSource->Path()).absolutePath(), QDir(folder).absolutePath());
        QCoreApplication::processEvents();
    }

    // Opens the dialog for Garden and checks what it shows of the current rotation.
    void expectRotationShown(bool rotations);

    std::unique_ptr<TdlgAddImages> addImages;
    QString rotationDir;
    QString sourceDir;
};

}  // namespace

void AddImagesTest::expectRotationShown(bool rotations) {
    startWithImages(rotations);
    EXPECT_EQ(addImages->DragStartPoint, QPoint(-1, -1));  // reset by the site editor's creation
    MessageScript script;
    inAddImages(script, [&](TdlgEditSite& editor, TdlgAddImages& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Add Images to Current Rotation");
        EXPECT_EQ(dialog.lblrotation->text(), rotations ? "Rotation:" : "Version:");
        EXPECT_EQ(dialog.lblimagesheading->text(), rotations ? "This Rotation contains the following images:"
                                                             : "This Site contains the following images:");
        EXPECT_EQ(dialog.edtsitename->text(), "Garden");
        ASSERT_EQ(dialog.cmbrotation->count(), 1);
        EXPECT_EQ(dialog.cmbrotation->itemText(0), rotations ? "Rotation 1" : "Current Site");
        EXPECT_EQ(dialog.cmbrotation->currentIndex(), 0);
        EXPECT_EQ(dialog.edtrotationdirectory->text(), editor.edtrotationdirectory->text());
        EXPECT_EQ(QDir(dialog.FileBox->Directory()).absolutePath(), QDir(rotationDir).absolutePath());
        EXPECT_EQ(dialog.FileBox->fileNames(), QStringList{"same.jpg"});
        EXPECT_EQ(dialog.lblfilecount->text(), "1 Images");
        // The tree starts at the home folder.
        EXPECT_EQ(dialog.dirSource->Path(), QDir::cleanPath(QDir::homePath()));
    });
}

TEST_F(AddImagesTest, SelectImagesShowsTheCurrentRotation) { expectRotationShown(true); }

TEST_F(AddImagesTest, WithRotationsOffTheDialogSpeaksOfTheSiteAndItsVersion) { expectRotationShown(false); }

TEST_F(AddImagesTest, WideningOrNarrowingTheDialogKeepsTheRotationPanelsWidth) {
    startWithImages(true);
    MessageScript script;
    inAddImages(script, [&](TdlgEditSite&, TdlgAddImages& dialog) {
        QWidget* rotationPanel = dialog.FileBox->parentWidget();
        QWidget* sourcePanel = dialog.Splitter1->parentWidget();
        QApplication::processEvents();
        const int width = rotationPanel->width(), sourceWidth = sourcePanel->width();
        for (int change : {400, -100}) {
            dialog.resize(dialog.width() + change, dialog.height());
            QApplication::processEvents();
            EXPECT_EQ(rotationPanel->width(), width) << change;
            EXPECT_NE(sourcePanel->width(), sourceWidth) << change;
        }
    });
}

TEST_F(AddImagesTest, TheCopyButtonCountsTheSelectedThumbnails) {
    startWithImages(true);
    MessageScript script;
    inAddImages(script, [&](TdlgEditSite&, TdlgAddImages& dialog) {
        browse(dialog, sourceDir);
        TXThumbGrid& grid = *dialog.ThumbGrid;
        // Images of every supported kind, in name order; the text file is left out.
        ASSERT_EQ(grid.Count(), 5);
        EXPECT_EQ(QFileInfo(grid.Path(2)).fileName(), "harbour.jpeg");

        clickCell(grid, 0);
        clickCell(grid, 1, Qt::ControlModifier);
        clickCell(grid, 3, Qt::ControlModifier);
        EXPECT_EQ(dialog.btncopy2site->text(), "Copy these 3 images to the current Site");
        EXPECT_TRUE(dialog.btncopy2site->isEnabled());

        for (int index : {0, 1, 3}) clickCell(grid, index, Qt::ControlModifier);
        EXPECT_EQ(grid.SelectedCount(), 0);
        EXPECT_EQ(dialog.btncopy2site->text(), "Copy to current Site");
        EXPECT_FALSE(dialog.btncopy2site->isEnabled());
    });
}

TEST_F(AddImagesTest, ADragStartsTenPixelsAwayWithExactlyOneButtonAndNoKey) {
    startWithImages(true);
    MessageScript script;
    inAddImages(script, [&](TdlgEditSite&, TdlgAddImages& dialog) {
        browse(dialog, sourceDir);
        TXThumbGrid& grid = *dialog.ThumbGrid;
        QWidget* view = grid.viewport();
        const QPoint start = cellCentre(grid, 1);
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, start);
        ASSERT_EQ(dialog.DragStartPoint, start);
        ASSERT_EQ(grid.SelectedCount(), 1);

        struct Move {
            QPoint offset;
            Qt::MouseButtons buttons;
            Qt::KeyboardModifiers keys;
            int drags;
        };
        const Move moves[] = {
            {{9, 0}, Qt::LeftButton, Qt::NoModifier, 0},
            {{0, -9}, Qt::LeftButton, Qt::NoModifier, 0},
            {{10, 0}, Qt::LeftButton, Qt::NoModifier, 1},
            {{0, -10}, Qt::RightButton, Qt::NoModifier, 1},
            {{30, 30}, Qt::LeftButton | Qt::RightButton, Qt::NoModifier, 0},
            {{30, 30}, Qt::LeftButton | Qt::MiddleButton, Qt::NoModifier, 0},
            {{30, 30}, Qt::LeftButton, Qt::ControlModifier, 0},
            {{30, 30}, Qt::NoButton, Qt::NoModifier, 0},
        };
        for (const Move& move : moves) {
            DragRecorder drags;
            moveMouse(view, start + move.offset, move.buttons, move.keys);
            EXPECT_EQ(drags.count, move.drags) << move.offset.x() << "," << move.offset.y() << " " << int(move.buttons);
            if (drags.count) {
                EXPECT_EQ(drags.files, QStringList{sourceDir + "dunes.jpg"});
                EXPECT_EQ(drags.allowed, Qt::DropActions(Qt::CopyAction));
            }
        }
        QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, start);

        // The hidden source list drags its own selection, from its directory.
        dialog.fbxsource->item(0)->setSelected(true);
        dialog.fbxsource->item(4)->setSelected(true);
        DragRecorder drags;
        dialog.fbxsourceMouseDown(QPoint(5, 5));
        dialog.fbxsourceMouseMove(dialog.fbxsource, Qt::LeftButton, Qt::NoModifier, QPoint(5, 14));
        EXPECT_EQ(drags.count, 0);
        dialog.fbxsourceMouseMove(dialog.fbxsource, Qt::LeftButton, Qt::NoModifier, QPoint(5, 15));
        EXPECT_EQ(drags.count, 1);
        EXPECT_EQ(drags.files, (QStringList{sourceDir + "beach.jpg", sourceDir + "same.jpg"}));
    });
}

TEST_F(AddImagesTest, DroppedFilesAreAddedButAFileOfTheRotationItselfStopsTheDrop) {
    startWithImages(true);
    const QString link = data.path() + "link to rotation";
    ASSERT_TRUE(QFile::link(QDir(rotationDir).absolutePath(), link));
    MessageScript script;
    inAddImages(script, [&](TdlgEditSite&, TdlgAddImages& dialog) {
        TDropFileSource source;
        source.Files = {sourceDir + "beach.jpg", sourceDir + "map.gif"};
        std::unique_ptr<QMimeData> outside(source.createMimeData());
        EXPECT_TRUE(dropOn(dialog.FileBox->viewport(), *outside));
        EXPECT_EQ(dialog.FileBox->fileNames(), (QStringList{"beach.jpg", "map.gif", "same.jpg"}));
        EXPECT_EQ(dialog.lblfilecount->text(), "3 Images");
        EXPECT_TRUE(script.texts().isEmpty());

        const auto before = contents(rotationDir);
        // The rotation's own file, spelt plainly, with "//" and "./", and through a symbolic link.
        for (const QString& spelling : {rotationDir + "same.jpg", siteDir + "Rotation_1//./same.jpg", link + "/same.jpg"}) {
            SCOPED_TRACE(spelling.toStdString());
            script.clear();
            source.Files = {spelling, sourceDir + "dunes.jpg"};
            std::unique_ptr<QMimeData> own(source.createMimeData());
            script.answer(MessageResult::OK);
            EXPECT_TRUE(dropOn(dialog.FileBox->viewport(), *own));
            ASSERT_EQ(script.texts(), QStringList{SameFolder});
            EXPECT_EQ(script.requests().front().caption, "DropSource Demo");
            EXPECT_EQ(script.requests().front().kind, platform::MessageKind::Error);
            EXPECT_EQ(contents(rotationDir), before);  // nothing deleted, and the drop stopped there
        }
    });
}

// A Shift-drop asks to move the files. On both image lists it is reported to the source as a move
// only when every file came into the rotation as it is, so that a file manager which deletes its
// files after a move never loses a photo the rotation did not take, or took only as a JPEG of it.
TEST_F(AddImagesTest, AShiftDropIsReportedAsAMoveOnlyWhenEveryFileWasTakenAsItIs) {
    startWithImages(true);
    QImage scan(120, 80, QImage::Format_RGB32);
    scan.fill(Qt::darkMagenta);
    ASSERT_TRUE(scan.save(sourceDir + "scan.png", "PNG"));
    struct Row {
        const char* Case;
        QStringList Dropped;  // from the source folder
        QList<MessageResult> Answers;
        bool ReadOnlyRotation;
        Qt::DropAction Reported;
        QStringList Rotation;  // the rotation's copies afterwards; same.jpg always the rotation's own
        QString Converted;     // the JPEG made from scan.png, when the rotation holds one
    };
    const Row rows[] = {
        {"declined", {"same.jpg"}, {MessageResult::No}, false, Qt::CopyAction, {"same.jpg"}},
        {"partly taken",
         {"same.jpg", "beach.jpg"},
         {MessageResult::No},
         false,
         Qt::CopyAction,
         {"beach.jpg", "same.jpg"}},
        {"copy fails", {"beach.jpg"}, {MessageResult::OK}, true, Qt::CopyAction, {"same.jpg"}},
        {"converted", {"scan.png"}, {}, false, Qt::CopyAction, {"same.jpg"}, "scan.jpg"},
        {"one of them converted",
         {"beach.jpg", "scan.png"},
         {},
         false,
         Qt::CopyAction,
         {"beach.jpg", "same.jpg"},
         "scan.jpg"},
        {"copied", {"beach.jpg", "map.gif"}, {}, false, Qt::MoveAction, {"beach.jpg", "map.gif", "same.jpg"}},
    };
    const auto runRows = [&](const char* list, QWidget* target, MessageScript& script) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(list) + ": " + row.Case);
            for (const QString& name : QDir(rotationDir).entryList(QDir::Files)) QFile::remove(rotationDir + name);
            writeJpeg(rotationDir + "same.jpg", Qt::green);
            QMap<QString, QByteArray> expected;
            for (const QString& name : row.Rotation)
                expected[name] = digest((name == "same.jpg" ? rotationDir : sourceDir) + name);
            script.clear();
            for (MessageResult answer : row.Answers) script.answer(answer);
            TDropFileSource source;
            for (const QString& name : row.Dropped) source.Files << sourceDir + name;
            std::unique_ptr<QMimeData> files(source.createMimeData());
            Qt::DropAction reported = Qt::IgnoreAction;
            if (row.ReadOnlyRotation) {
                ASSERT_TRUE(QFile::setPermissions(rotationDir, QFile::ReadOwner | QFile::ExeOwner));
                testing_support::WithoutPermissionOverride asUser;
                reported = dropActionOn(target, *files, Qt::ShiftModifier);
            } else {
                reported = dropActionOn(target, *files, Qt::ShiftModifier);
            }
            QFile::setPermissions(rotationDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            EXPECT_EQ(reported, row.Reported);
            EXPECT_EQ(script.texts().size(), row.Answers.size()) << script.texts().join('\n').toStdString();
            QMap<QString, QByteArray> rotation = contents(rotationDir);
            if (!row.Converted.isEmpty()) {
                QImage jpeg;
                EXPECT_TRUE(jpeg.load(rotationDir + row.Converted, "JPEG"));
                EXPECT_EQ(jpeg.size(), scan.size());
                rotation.remove(row.Converted);
            }
            EXPECT_EQ(rotation, expected);
            for (const QString& name : row.Dropped) EXPECT_TRUE(QFileInfo::exists(sourceDir + name));
        }
    };
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) { runRows("editor", editor.FileBox->viewport(), script); });
    inAddImages(script, [&](TdlgEditSite&, TdlgAddImages& dialog) {
        runRows("add-images dialog", dialog.FileBox->viewport(), script);
    });
}

TEST_F(AddImagesTest, ARotationWhoseDirectoryIsMissingIsNotChosen) {
    writeGardenSite(true);
    rotationDir = siteDir + "Rotation_1/";
    QDir().mkpath(rotationDir);
    // Rotation 2 has no stored directory: the dialog looks for "Rotation2" in the site folder.
    data.write("Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=3\r\n"
                             "[Rotation_1]\r\nRotation_Path=%\\site\\Rotation_1\r\n"
                             "[Rotation_3]\r\nRotation_Path=%\\site\\gone\r\n");
    startWithGardenSite();
    MessageScript script;
    inAddImages(script, [&](TdlgEditSite&, TdlgAddImages& dialog) {
        ASSERT_EQ(dialog.cmbrotation->count(), 3);
        const QString shown = dialog.edtrotationdirectory->text();
        for (const auto& [key, missing] :
             {std::pair{Qt::Key_Down, siteDir + "Rotation2"}, std::pair{Qt::Key_End, siteDir + "gone"}}) {
            script.clear();
            script.answer(MessageResult::OK);
            QTest::keyClick(dialog.cmbrotation, key);
            EXPECT_EQ(script.texts(), QStringList{"Error!  The directory, " + missing + ", could not be located!"});
            EXPECT_EQ(script.requests().front().kind, platform::MessageKind::Warning);
            EXPECT_EQ(dialog.cmbrotation->currentIndex(), 0);
            EXPECT_EQ(dialog.edtrotationdirectory->text(), shown);
        }
        // Once it exists, the default directory of rotation 2 is taken.
        QDir().mkpath(siteDir + "Rotation2");
        writeJpeg(siteDir + "Rotation2/other.jpg", Qt::gray);
        script.clear();
        QTest::keyClick(dialog.cmbrotation, Qt::Key_Down);
        EXPECT_EQ(dialog.cmbrotation->currentIndex(), 1);
        EXPECT_TRUE(script.texts().isEmpty());
        EXPECT_EQ(dialog.edtrotationdirectory->text(), siteDir + "Rotation2");
        EXPECT_EQ(dialog.FileBox->fileNames(), QStringList{"other.jpg"});
    });
}

// The rotation's directory vanished after the editor loaded it: the dialog lists nothing and copies
// nothing, rather than working in whatever directory its list showed before.
TEST_F(AddImagesTest, NothingIsCopiedWhileTheRotationDirectoryCannotBeEntered) {
    startWithImages(true);
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        ASSERT_TRUE(QDir(rotationDir).removeRecursively());
        script.answer(MessageResult::OK);  // the dialog cannot enter the directory
        script.onDialog([&](QDialog& d) {
            auto& dialog = dynamic_cast<TdlgAddImages&>(d);
            EXPECT_EQ(dialog.FileBox->count(), 0);
            browse(dialog, sourceDir);
            selectAll(*dialog.ThumbGrid);
            script.answer(MessageResult::OK);
            QTest::mouseClick(dialog.btncopy2site, Qt::LeftButton);
            return int(platform::mrCancel);
        });
        QTest::mouseClick(editor.btnAddFiles, Qt::LeftButton);
        const QString directory = editor.edtrotationdirectory->text();
        EXPECT_EQ(script.texts(), (QStringList{"Error encountered changing to the directory, " + directory + "!",
                                               "Error!  The directory, " + directory + ", could not be located!"}));
    });
    EXPECT_EQ(QDir(sourceDir).entryList(QDir::Files).size(), 6);
}

// A file list box makes its folder the current directory, so after browsing the source folder a
// name from the rotation's list would name the source's file of that name.
TEST_F(AddImagesTest, DeleteRemovesOnlyTheRotationsFilesAfterBrowsingASourceWithTheSameNames) {
    startWithImages(true);
    MessageScript script;
    inAddImages(script, [&](TdlgEditSite&, TdlgAddImages& dialog) {
        writeJpeg(rotationDir + "beach.jpg", Qt::green);
        writeJpeg(rotationDir + "dunes.jpg", Qt::green);
        dialog.FileBox->Update();
        browse(dialog, sourceDir);
        ASSERT_EQ(QDir(QDir::currentPath()), QDir(sourceDir));
        const auto source = contents(sourceDir);

        dialog.FileBox->item(dialog.FileBox->fileNames().indexOf("same.jpg"))->setSelected(true);
        script.answer(MessageResult::Yes);
        QTest::keyClick(dialog.FileBox, Qt::Key_Delete);
        EXPECT_EQ(script.lastText(), "Are you sure you want to delete the file, same.jpg?");
        EXPECT_EQ(dialog.FileBox->fileNames(), (QStringList{"beach.jpg", "dunes.jpg"}));

        dialog.FileBox->selectAll();
        script.answer(MessageResult::Yes);
        QTest::keyClick(dialog.FileBox, Qt::Key_Delete);
        EXPECT_EQ(script.lastText(), "Are you sure you want to delete these 2 files?");
        EXPECT_EQ(dialog.FileBox->count(), 0);
        EXPECT_EQ(dialog.lblfilecount->text(), "0 Images");
        EXPECT_EQ(contents(sourceDir), source);
    });
    EXPECT_TRUE(QDir(rotationDir).entryList(QDir::Files).isEmpty());
}

TEST_F(AddImagesTest, CopyingFromTheRotationDirectoryOrALinkToItNeverDeletesAnImage) {
    startWithImages(true);
    const QString link = data.path() + "rotation link";
    ASSERT_TRUE(QFile::link(QDir(rotationDir).absolutePath(), link));
    MessageScript script;
    inAddImages(script, [&](TdlgEditSite& editor, TdlgAddImages& dialog) {
        writeJpeg(rotationDir + "beach.jpg", Qt::magenta);
        const auto before = contents(rotationDir);
        for (const QString& folder : {rotationDir, link + "/"}) {
            SCOPED_TRACE(folder.toStdString());
            browse(dialog, folder);
            ASSERT_EQ(dialog.ThumbGrid->Count(), 2);
            selectAll(*dialog.ThumbGrid);
            script.clear();
            script.answer(MessageResult::OK);
            QTest::mouseClick(dialog.btncopy2site, Qt::LeftButton);
            EXPECT_EQ(script.texts(), QStringList{SameFolder});  // no overwrite question first
            EXPECT_EQ(contents(rotationDir), before);

            // addimage itself refuses a file onto itself, however it is spelt.
            script.clear();
            script.answer(MessageResult::OK);
            EXPECT_FALSE(editor.addimage(folder + "beach.jpg", rotationDir + "beach.jpg"));
            EXPECT_EQ(script.texts(), QStringList{SameFolder});
            EXPECT_EQ(contents(rotationDir), before);
        }
    });
}

TEST_F(AddImagesTest, ImagesChosenWithSelectImagesBuildIntoPagesWhoseLinksAllResolve) {
    startWithImages(true);
    copyShippedData();
    QFile::remove(sourceDir + "same.jpg");
    const QString artifacts = QCoreApplication::applicationDirPath() + "/artifacts/";
    ASSERT_TRUE(QDir().mkpath(artifacts));
    const QStringList images{"beach.jpg", "dunes.jpg", "harbour.jpeg", "map.gif"};
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        script.onDialog([&](QDialog& d) {
            auto& dialog = dynamic_cast<TdlgAddImages&>(d);
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
            browse(dialog, sourceDir);
            EXPECT_EQ(dialog.ThumbGrid->Count(), 4);
            selectAll(*dialog.ThumbGrid);
            EXPECT_EQ(dialog.btncopy2site->text(), "Copy these 4 images to the current Site");
            // For a human look (build/tests/artifacts/); beach.jpg's blue shows in its cell.
            const QImage shot = dialog.grab().toImage();
            EXPECT_TRUE(shot.save(artifacts + "add_images_dialog.png", "PNG"));
            const QColor first = shot.pixelColor(dialog.ThumbGrid->viewport()->mapTo(&dialog, cellCentre(*dialog.ThumbGrid, 0)));
            EXPECT_TRUE(first.blue() > 180 && first.red() < 60) << first.name().toStdString();

            QTest::mouseClick(dialog.btncopy2site, Qt::LeftButton);
            EXPECT_EQ(dialog.FileBox->fileNames(), images);
            QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
            return dialog.result();
        });
        QTest::mouseClick(editor.btnAddFiles, Qt::LeftButton);
        EXPECT_TRUE(script.texts().isEmpty()) << script.texts().join('\n').toStdString();
        EXPECT_EQ(editor.FileBox->fileNames(), images);

        editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
        buildInEditor(script, editor);  // no preview
        EXPECT_EQ(CurrentRotationStatus, 2);
    });
    EXPECT_EQ(digest(rotationDir + "map.gif"), digest(sourceDir + "map.gif"));  // copied as it is
    for (const QString& image : images)
        EXPECT_TRUE(QFileInfo::exists(rotationDir + "thumbs/" + QFileInfo(image).completeBaseName() + "_thb.jpg"))
            << image.toStdString();
    EXPECT_TRUE(QFileInfo::exists(rotationDir + "Index.html"));
    EXPECT_EQ(testing_support::brokenLinks(rotationDir), QStringList());
}

namespace {

QStringList rotationLines(const TdlgEditSite& editor) {
    QStringList lines;
    for (int i = 0; i < editor.lbxrotations->count(); ++i) lines << editor.lbxrotations->item(i)->text();
    return lines;
}

}  // namespace

// A built rotation holds page buttons, navigation graphics and a style sheet beside its photos: the
// add-images dialog lists and counts only the photos, as the editor does, for the rotation the
// editor holds and for one it reads from the site file. Every way of adding or removing images
// renews the editor's rotation lines at once, without a build.
TEST_F(AddImagesTest, EveryListOfARotationCountsItsPhotosAndTheRotationLinesFollowEveryChange) {
    writeGardenSite(true);
    data.write("Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=2\r\n"
                             "[Rotation_1]\r\nRotation_Path=%\\site\\Rotation_1\r\n"
                             "[Rotation_2]\r\nRotation_Path=%\\site\\Rotation_2\r\n");
    rotationDir = siteDir + "Rotation_1/";
    const QString secondDir = siteDir + "Rotation_2/";
    QDir().mkpath(rotationDir);
    QDir().mkpath(secondDir);
    QStringList photos;
    for (int i = 1; i <= 5; ++i) {
        photos << QString("photo%1.jpg").arg(i);
        writeJpeg(rotationDir + photos.last(), Qt::darkGreen);
    }
    writeSourceImages();
    copyShippedData();
    startWithGardenSite();

    // Opens Select Images, runs the body on the dialog and closes it.
    const auto inDialog = [](TdlgEditSite& editor, MessageScript& script,
                             const std::function<void(TdlgAddImages&)>& body) {
        script.onDialog([&](QDialog& d) {
            auto& dialog = dynamic_cast<TdlgAddImages&>(d);
            body(dialog);
            QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
            return dialog.result();
        });
        QTest::mouseClick(editor.btnAddFiles, Qt::LeftButton);
    };
    const auto selectNames = [](TFileListBox& list, const QStringList& names) {
        list.clearSelection();
        for (const QString& name : names) list.item(list.fileNames().indexOf(name))->setSelected(true);
    };
    const auto expectList = [](TdlgAddImages& dialog, const QStringList& names) {
        EXPECT_EQ(dialog.FileBox->fileNames(), names);
        EXPECT_EQ(dialog.lblfilecount->text(), QString::number(names.size()) + " Images");
    };
    const QStringList built{"Index.gif", "Next.gif", "Page_Button_1.gif", "Page_Button_On_3.gif", "Previous.gif"};

    struct Change {
        const char* Way;
        std::function<void(TdlgEditSite&, MessageScript&)> Make;
        QStringList Lines;  // the editor's rotation lines right afterwards
    };
    const Change changes[] = {
        {"two files dropped on the editor's list",
         [&](TdlgEditSite& editor, MessageScript&) {
             TDropFileSource source;
             source.Files = {sourceDir + "beach.jpg", sourceDir + "map.gif"};
             std::unique_ptr<QMimeData> files(source.createMimeData());
             EXPECT_TRUE(dropOn(editor.FileBox->viewport(), *files));
         },
         {"Rotation 1 : 7 Images : Built", "Rotation 2 : 0 Images : NOT BUILT"}},
        {"a file dropped on the add-images dialog's list of rotation 2",
         [&](TdlgEditSite& editor, MessageScript& script) {
             inDialog(editor, script, [&](TdlgAddImages& dialog) {
                 QTest::keyClick(dialog.cmbrotation, Qt::Key_Down);
                 ASSERT_EQ(QDir(dialog.FileBox->Directory()).absolutePath(), QDir(secondDir).absolutePath());
                 TDropFileSource source;
                 source.Files = {sourceDir + "harbour.jpeg"};
                 std::unique_ptr<QMimeData> files(source.createMimeData());
                 EXPECT_TRUE(dropOn(dialog.FileBox->viewport(), *files));
                 expectList(dialog, {"harbour.jpeg"});
             });
         },
         {"Rotation 1 : 7 Images : Built", "Rotation 2 : 1 Images : NOT BUILT"}},
        {"one image deleted in the editor",
         [&](TdlgEditSite& editor, MessageScript& script) {
             selectNames(*editor.FileBox, {"map.gif"});
             script.answer(MessageResult::Yes);
             QTest::keyClick(editor.FileBox, Qt::Key_Delete);
         },
         {"Rotation 1 : 6 Images : Built", "Rotation 2 : 1 Images : NOT BUILT"}},
    };

    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
        TdlgThumbOptions& o = *dlgThumbOptions;
        o.spnHorzCOunt->setValue(2);
        o.spnVertCOunt->setValue(1);  // three pages, so three page buttons of each kind
        useShippedButtons(o);
        buildInEditor(script, editor);
        ASSERT_EQ(script.texts(), QStringList{"Your build has been completed.  Would you like to preview it now?"});
        for (const QString& name : built) ASSERT_TRUE(QFileInfo::exists(rotationDir + name)) << name.toStdString();
        EXPECT_EQ(rotationLines(editor),
                  (QStringList{"Rotation 1 : 5 Images : Built", "Rotation 2 : 0 Images : NOT BUILT"}));

        script.clear();
        inDialog(editor, script, [&](TdlgAddImages& dialog) { expectList(dialog, photos); });
        for (const Change& change : changes) {
            SCOPED_TRACE(change.Way);
            script.clear();
            change.Make(editor, script);
            EXPECT_EQ(rotationLines(editor), change.Lines);
        }
        EXPECT_EQ(editor.FileBox->fileNames(), QStringList{"beach.jpg"} + photos);

        // With rotation 2 in the editor, rotation 1 is listed by the settings stored for it.
        script.clear();
        editor.lbxrotations->setCurrentRow(1);
        editor.lbxrotationsClick();
        inDialog(editor, script, [&](TdlgAddImages& dialog) {
            expectList(dialog, {"harbour.jpeg"});
            QTest::keyClick(dialog.cmbrotation, Qt::Key_Up);
            expectList(dialog, QStringList{"beach.jpg"} + photos);
        });
        EXPECT_TRUE(script.texts().isEmpty()) << script.texts().join('\n').toStdString();
    });
}
