// The thumbnail grid as a user meets it: rows for the files given, thumbnails fitted into their
// boxes, each cell painting its own file's picture, selection by mouse and keys, long names.
#include "components/file_list_box.h"
#include "components/thumb_grid.h"
#include "components/thumb_grid_names.h"
#include "tests/common/exif_test_support.h"
#include "tests/components/thumb_grid_test_support.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace thumb_test;

namespace {

QStringList fakePaths(int n) {
    QStringList paths;
    for (int i = 0; i < n; ++i) paths << QStringLiteral("/nowhere/image%1.jpg").arg(i);
    return paths;
}

QList<int> selectedIndexes(const TXThumbGrid& grid) {
    QList<int> result;
    for (int i = 0; i < grid.Count(); ++i)
        if (grid.IsSelected(i)) result << i;
    return result;
}

// The part of item 0's thumbnail box painted in either colour of a phone photo.
QRect paintedPhoto(TXThumbGrid& grid) {
    const QImage shown = Painted(grid);
    const QRect box(grid.visualRect(grid.model()->index(0, 0)).topLeft() + QPoint(5 + 2, 5 + 2), QSize(90, 75));
    QRect painted;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = shown.pixelColor(x, y);
            if (Near(c, exif_test::PhoneTop, 40) || Near(c, exif_test::PhoneBottom, 40)) painted |= QRect(x, y, 1, 1);
        }
    return painted;
}

}  // namespace

TEST(ThumbGrid, RowsFollowTheFileCountAndTheWidth) {
    struct Case {
        int files, columns, rows;
    };
    for (const Case c : {Case{7, 3, 3}, Case{2, 3, 1}, Case{0, 3, 1}, Case{9, 3, 3}, Case{7, 5, 2}}) {
        auto grid = ShownGrid(c.columns, 2);
        grid->LoadFromSource(fakePaths(c.files), true, true);
        EXPECT_EQ(grid->Count(), c.files);
        EXPECT_EQ(grid->rowCount(), c.rows) << c.files << " files in " << c.columns << " columns";
        EXPECT_EQ(grid->Cells(0, 0).isEmpty(), c.files == 0);
        if (c.files > 0) {
            EXPECT_EQ(selectedIndexes(*grid), QList<int>{0}) << "the first item is selected";
        }
    }
}

TEST(ThumbGrid, ResizingKeepsSelectionAndCurrentItem) {
    auto grid = ShownGrid(3, 3);
    grid->LoadFromSource(fakePaths(7), true, false);
    grid->SetSelectedIndexes({"1", "x", "5", "99"});
    grid->GoToIndex(5);
    grid->resize(grid->width() + 2 * grid->horizontalHeader()->defaultSectionSize(), grid->height());
    QTest::qWait(0);
    EXPECT_EQ(grid->columnCount(), 5);
    EXPECT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(selectedIndexes(*grid), (QList<int>{1, 5}));
    EXPECT_EQ(grid->CurrentIndex(), 5);
    EXPECT_EQ(grid->Cells(1, 1), "/nowhere/image6.jpg");
}

TEST(ThumbGrid, FillsFromAFileListBoxAndRefusesOtherSources) {
    QTemporaryDir dir;
    WriteSolidJpeg(dir.filePath("b.jpg"), 8, 8, Qt::red);
    WriteSolidJpeg(dir.filePath("a.jpg"), 8, 8, Qt::red);
    TFileListBox files;
    files.Mask = "*.jpg";
    files.ApplyFilePath(dir.path());
    TXThumbGrid grid;
    grid.LoadFromSource(&files, true, true);
    ASSERT_EQ(grid.Count(), 2);
    QStringList chosen;
    EXPECT_EQ(grid.GetSelectedFiles(chosen), 1);
    EXPECT_EQ(chosen, QStringList{dir.filePath("a.jpg")});
    QObject other;
    try {
        grid.LoadFromSource(&other, true, true);
        FAIL() << "a plain object is no file source";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "File source is not of compatible type");
    }
}

TEST(ThumbGrid, JpegsDecodeAtTheCoarsestScaleThatCoversTheBox) {
    QTemporaryDir dir;
    const QString photo = dir.filePath("photo.jpg");
    WriteSolidJpeg(photo, 800, 600, QColor(200, 40, 40));
    struct Case {
        int boxWidth, boxHeight, scale, width, height;
    };
    for (const Case c : {Case{90, 75, 8, 90, 68}, Case{400, 300, 2, 400, 300}, Case{150, 150, 4, 150, 112},
                         Case{401, 10, 1, 13, 10}, Case{0, 75, 0, 0, 0}}) {
        const TThumbnailPtr thumb = MakeThumbnail(photo, c.boxWidth, c.boxHeight, 1);
        if (c.scale == 0) {
            EXPECT_EQ(thumb, nullptr) << "a box without pixels gives no thumbnail";
            continue;
        }
        ASSERT_NE(thumb, nullptr);
        EXPECT_EQ(thumb->ScaleDenominator, c.scale) << c.boxWidth << "x" << c.boxHeight;
        EXPECT_EQ(thumb->Image.size(), QSize(c.width, c.height)) << c.boxWidth << "x" << c.boxHeight;
    }

    // On screen the 90 x 68 picture is centred in its 90 x 75 box, 2 pixels into the cell's inner
    // rectangle.
    auto grid = ShownGrid(3, 1);
    grid->LoadFromSource(QStringList{photo}, true, false);
    const QImage shown = Painted(*grid);
    const QPoint box = grid->visualRect(grid->model()->index(0, 0)).topLeft() + QPoint(5 + 2, 5 + 2);
    const QPoint pictureTop = box + QPoint(45, 4), pictureBottom = box + QPoint(45, 4 + 67);
    EXPECT_TRUE(Near(shown.pixelColor(pictureTop), QColor(200, 40, 40)));
    EXPECT_TRUE(Near(shown.pixelColor(pictureBottom), QColor(200, 40, 40)));
    EXPECT_FALSE(Near(shown.pixelColor(pictureTop - QPoint(0, 2)), QColor(200, 40, 40), 40));
    EXPECT_TRUE(Near(shown.pixelColor(box + QPoint(0, 30)), QColor(200, 40, 40)));
    EXPECT_TRUE(Near(shown.pixelColor(box + QPoint(89, 30)), QColor(200, 40, 40)));

    // Fitting and centring never divide by zero.
    EXPECT_EQ(FitThumbnail(800, 600, 90, 75), QSize(90, 68));
    EXPECT_EQ(FitThumbnail(10, 20, 90, 75), QSize(38, 75)) << "small pictures are enlarged";
    EXPECT_EQ(FitThumbnail(2000, 1, 90, 75), QSize(90, 1)) << "a side never shrinks to nothing";
    EXPECT_TRUE(FitThumbnail(0, 600, 90, 75).isEmpty());
    EXPECT_TRUE(FitThumbnail(800, 600, 90, 0).isEmpty());
    EXPECT_EQ(ThumbCentringOffset(QSize(90, 68), 90, 75), QPoint(0, 4));
    EXPECT_EQ(ThumbCentringOffset(QSize(89, 74), 90, 75), QPoint(0, 0));
}

TEST(ThumbGrid, EachCellPaintsItsOwnFile) {
    QTemporaryDir dir;
    QStringList paths;
    for (int k = 0; k < 12; ++k) {  // "colour0.jpg" and "Colour0.jpg" differ in case only
        paths << dir.filePath(k == 1 ? QStringLiteral("Colour0.jpg") : QStringLiteral("colour%1.jpg").arg(k));
        WriteSolidJpeg(paths.last(), 160, 120, DistinctColour(k));
    }
    auto grid = ShownGrid(3, 4);
    grid->LoadFromSource(paths, true, false);
    const QImage shown = Painted(*grid);
    for (int k = 0; k < 12; ++k)
        EXPECT_TRUE(Near(shown.pixelColor(CellCentre(*grid, k)), DistinctColour(k)))
            << "cell " << k << " shows " << shown.pixelColor(CellCentre(*grid, k)).name().toStdString();
}

TEST(ThumbGrid, OtherFormatsAndUndecodableFilesShowTheirSubstitutes) {
    QTemporaryDir dir;
    const QString gif = dir.filePath("drawing.gif"), broken = dir.filePath("broken.jpg"),
                  text = dir.filePath("notes.txt"), error = dir.filePath("error.jpg"),
                  other = dir.filePath("other.jpg"), truncated = dir.filePath("truncated.jpg");
    WritePillowImage(gif, 60, 40, QColor(0, 0, 255));
    WriteSolidJpeg(error, 40, 30, QColor(250, 140, 0));
    WriteSolidJpeg(other, 40, 30, QColor(0, 110, 60));
    WriteSolidJpeg(truncated, 400, 300, QColor(220, 20, 20));
    QFile::resize(truncated, QFileInfo(truncated).size() / 2);
    const QString noExtension = dir.filePath("photo");  // a JPEG, but its name tells no format
    WriteSolidJpeg(dir.filePath("photo.jpg"), 40, 30, QColor(220, 20, 20));
    ASSERT_TRUE(QFile::rename(dir.filePath("photo.jpg"), noExtension));
    for (const auto& [path, bytes] : {std::pair{broken, QByteArray()}, std::pair{text, QByteArray("not a picture")}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }

    auto grid = ShownGrid(3, 2);
    grid->SupportedFormats = "*.jpg;*.gif;";
    grid->LoadFromSource(QStringList{gif, broken, text, truncated, dir.filePath("missing.jpg"), noExtension}, true, false);
    const QColor empty = CentreColour(*grid, 1);
    EXPECT_TRUE(Near(CentreColour(*grid, 0), QColor(0, 0, 255))) << "GIF through the format registry";
    const QPoint pictureTop = grid->visualRect(grid->model()->index(1, 0)).topLeft() + QPoint(5 + 2 + 45, 5 + 2 + 6);
    EXPECT_TRUE(Near(Painted(*grid).pixelColor(pictureTop), QColor(220, 20, 20)))
        << "the part of a truncated JPEG that was read: " << Painted(*grid).pixelColor(pictureTop).name().toStdString();
    EXPECT_FALSE(Near(empty, QColor(0, 0, 255), 60));

    grid->LoadErrorThumb = error;
    grid->NonSupportedFormatThumb = other;
    grid->viewport()->update();
    EXPECT_TRUE(Near(CentreColour(*grid, 1), QColor(250, 140, 0))) << "an empty .jpg shows the error picture";
    EXPECT_TRUE(Near(CentreColour(*grid, 2), QColor(0, 110, 60))) << "a .txt shows the other-format picture";
    EXPECT_TRUE(Near(CentreColour(*grid, 4), QColor(250, 140, 0))) << "a missing file shows the error picture";
    EXPECT_TRUE(Near(CentreColour(*grid, 5), QColor(0, 110, 60))) << "a name without extension is another format";
}

namespace {

struct Click {
    int index;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    Qt::MouseButton button = Qt::LeftButton;
};

}  // namespace

TEST(ThumbGrid, MouseSelection) {
    struct Case {
        const char* name;
        std::vector<Click> clicks;
        QList<int> selected;
        bool multipleSelect = true;
    };
    const Case cases[] = {
        {"Ctrl-click adds", {{1}, {3, Qt::ControlModifier}}, {1, 3}},
        {"Ctrl-click toggles", {{1}, {3, Qt::ControlModifier}, {1, Qt::ControlModifier}}, {3}},
        {"Shift-click ranges from the anchor", {{1}, {4, Qt::ShiftModifier}}, {1, 2, 3, 4}},
        {"ranges run backwards too", {{4}, {1, Qt::ShiftModifier}}, {1, 2, 3, 4}},
        {"a new Shift-click replaces the range", {{1}, {4, Qt::ShiftModifier}, {2, Qt::ShiftModifier}}, {1, 2}},
        {"Ctrl-click moves the anchor", {{0}, {3, Qt::ControlModifier}, {5, Qt::ShiftModifier}}, {0, 3, 4, 5}},
        {"Ctrl-Shift-click adds a range",
         {{0}, {3, Qt::ControlModifier}, {5, Qt::ShiftModifier}, {1, Qt::ControlModifier | Qt::ShiftModifier}},
         {0, 1, 2, 3, 4, 5}},
        {"Ctrl-Shift-click keeps what Ctrl chose", {{6}, {1, Qt::ControlModifier}, {4, Qt::ControlModifier | Qt::ShiftModifier}},
         {1, 2, 3, 4, 6}},
        {"right click keeps the selection", {{1}, {3, Qt::ControlModifier}, {3, {}, Qt::RightButton}}, {1, 3}},
        {"right click elsewhere selects alone", {{1}, {3, Qt::ControlModifier}, {5, {}, Qt::RightButton}}, {5}},
        {"plain click on a selected item selects it alone", {{1}, {3, Qt::ControlModifier}, {3}}, {3}},
        {"a click past the last item changes nothing", {{1}, {3, Qt::ControlModifier}, {7}}, {1, 3}},
        {"single selection ignores Ctrl", {{1}, {3, Qt::ControlModifier}}, {3}, false},
    };
    auto grid = ShownGrid(3, 3);
    for (const Case& c : cases) {
        grid->MultipleSelect = c.multipleSelect;
        grid->LoadFromSource(fakePaths(7), true, false);
        for (const Click& click : c.clicks)
            QTest::mouseClick(grid->viewport(), click.button, click.modifiers, CellCentre(*grid, click.index));
        EXPECT_EQ(selectedIndexes(*grid), c.selected) << c.name;
    }
}

TEST(ThumbGrid, MouseUpReportsTheNewSelection) {
    auto grid = ShownGrid(3, 3);
    grid->LoadFromSource(fakePaths(7), true, false);
    QList<int> countsSeen;
    QObject::connect(grid.get(), &TXThumbGrid::MouseUp, [&] { countsSeen << grid->SelectedCount(); });
    QSignalSpy doubleClicks(grid.get(), &TXThumbGrid::DblClick);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(*grid, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, CellCentre(*grid, 2));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, CellCentre(*grid, 4));
    EXPECT_EQ(countsSeen.mid(0, 2), (QList<int>{1, 3}));
    EXPECT_EQ(doubleClicks.count(), 1);
    QStringList files;
    EXPECT_EQ(grid->GetSelectedFiles(files), 1);
    EXPECT_EQ(files, QStringList{"/nowhere/image4.jpg"});
}

TEST(ThumbGrid, KeysMoveAndSelectOnlyWhenEnabled) {
    auto grid = ShownGrid(3, 3);
    grid->LoadFromSource(fakePaths(8), true, true);
    grid->setFocus();
    QTest::keyClick(grid.get(), Qt::Key_Right);
    EXPECT_EQ(grid->CurrentIndex(), 0) << "key handling is off by default";

    grid->DisableComponentKeyEventHandling = false;
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int current;
        QList<int> selected;
    };
    const Step steps[] = {
        {Qt::Key_Right, {}, 1, {1}},
        {Qt::Key_Down, {}, 4, {4}},
        {Qt::Key_Right, Qt::ShiftModifier, 5, {4, 5}},
        {Qt::Key_Right, {}, 6, {6}},  // from the last column to the start of the next row
        {Qt::Key_Down, {}, 1, {1}},   // from the last row to the top of the next column
        {Qt::Key_Left, {}, 0, {0}},
        {Qt::Key_Up, {}, 0, {0}},  // the last row of no column: nothing happens
        {Qt::Key_End, {}, 7, {7}},
        {Qt::Key_Home, {}, 0, {0}},
        {Qt::Key_PageDown, {}, 6, {6}},  // three rows show: a page is two rows
        {Qt::Key_PageDown, {}, 7, {7}},  // no further than the last item
        {Qt::Key_PageUp, {}, 1, {1}},
        {Qt::Key_PageUp, {}, 0, {0}},
    };
    for (const Step& s : steps) {
        QTest::keyClick(grid.get(), s.key, s.modifiers);
        EXPECT_EQ(grid->CurrentIndex(), s.current) << "key " << s.key;
        EXPECT_EQ(selectedIndexes(*grid), s.selected) << "key " << s.key;
    }
}

TEST(ThumbGrid, LongNamesAreCutAndEndInTwoDots) {
    const QFontMetrics metrics(QApplication::font());
    const int width = 90 - 6;
    EXPECT_EQ(ElideThumbName("a.jpg", metrics, width), "a.jpg");
    const QString cut = ElideThumbName("a very long holiday photograph name.jpg", metrics, width);
    EXPECT_TRUE(cut.endsWith("..")) << cut.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(cut), width);
    EXPECT_TRUE(QString("a very long holiday photograph name.jpg").startsWith(cut.chopped(2)));
    EXPECT_EQ(ElideThumbName("abcdef", metrics, 1), "a..") << "cutting stops at three characters";
    EXPECT_EQ(ThumbNameWithoutExtension("holiday.2024.jpg"), "holiday.2024");
    EXPECT_EQ(ThumbNameWithoutExtension(".hidden"), ".hidden");
}

TEST(ThumbGrid, ThumbnailSizeIsKeptInEveryLayout) {
    TXThumbGrid grid;
    ASSERT_EQ(grid.ThumbDisplayType(), tdtFilename);
    const int nameColumn = grid.horizontalHeader()->defaultSectionSize();
    grid.SetThumbnailWidth(50);
    grid.SetThumbnailHeight(40);
    EXPECT_EQ(grid.horizontalHeader()->defaultSectionSize(), nameColumn) << "names only: the column stays";
    grid.SetThumbDisplayType(tdtLargeIcon);
    EXPECT_EQ(grid.horizontalHeader()->defaultSectionSize(), 2 * 5 + 50 + 6);
    EXPECT_EQ(grid.ThumbnailHeight(), 40);
    grid.SetThumbDisplayType(tdtIconInfo);
    EXPECT_EQ(grid.horizontalHeader()->defaultSectionSize(), 2 * 5 + 25 + 70 + 8);
    EXPECT_EQ(grid.verticalHeader()->defaultSectionSize(), 2 * 5 + 20 + 6);
}

TEST(ThumbGrid, PortraitPhonePhotosStandUprightFreshAndFromTheDiskCache) {
    // Stored 400 x 300 and turned by EXIF: upright 300 x 400, fitted to 56 x 75 in the 90 x 75 box.
    for (const int orientation : {6, 8}) {
        QTemporaryDir dir, cache;
        const QString photo = dir.filePath("phone.jpg");
        QFile file(photo);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(exif_test::sidewaysPhoto(400, 300, orientation));
        file.close();
        const QColor top = orientation == 6 ? exif_test::PhoneTop : exif_test::PhoneBottom;
        // The first grid decodes the photo and caches the thumbnail; the second reads the cache.
        for (const char* pass : {"decoded", "cached"}) {
            auto grid = ShownGrid(3, 1);
            grid->SetDiskCacheDirectory(cache.path());
            grid->LoadFromSource(QStringList{photo}, true, false);
            const QRect painted = paintedPhoto(*grid);
            const QImage shown = Painted(*grid);
            SCOPED_TRACE(std::string(pass) + " orientation " + std::to_string(orientation));
            EXPECT_GT(painted.height(), painted.width());
            EXPECT_NEAR(painted.width(), 56, 1);
            EXPECT_EQ(painted.height(), 75);
            EXPECT_TRUE(Near(shown.pixelColor(painted.center().x(), painted.top() + 5), top, 40));
            EXPECT_FALSE(Near(shown.pixelColor(painted.center().x(), painted.bottom() - 5), top, 40));
        }
        EXPECT_EQ(QDir(cache.path()).entryList({"~x*.jpg"}).size(), 1);
    }
}
