// The build dialog driven from the site editor's Build!: the image list and its buttons, Start,
// Cancel, Build All, the page prefix, kept thumbnails, the progress count and the failure boxes.
#include "components/file_list_box.h"
#include "platform/ini_file.h"
#include "platform/shell_open.h"
#include "site_manager/builder/build_dialog.h"
#include "site_manager/builder/build_inputs.h"
#include "tests/common/link_checker.h"
#include "tests/common/list_gestures.h"
#include "tests/common/tree_contents.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <functional>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

const QString Preview = "Your build has been completed.  Would you like to preview it now?";
const QString CancelQuestion = "Are you sure you want to cancel processing of your Site Build?";

class BuildDialogTest : public MainWindowTest {
protected:
    // Site_1 with one rotation in <data>/site/Rotation_1 and a plain thumbnail template.
    void startWithSite(bool rotations = true) {
        writeGardenSite(rotations);
        rotationDir = siteDir + "Rotation_1/";
        thumbnailTemplate =
            data.write("Styles/plain.htm", "<html><body>***INDEX***<hr>***CONTENT***</body></html>\r\n");
        startWithGardenSite();
    }

    // The editor with the plain template chosen.
    void inEditor(MessageScript& script, const std::function<void(TdlgEditSite&)>& body) {
        MainWindowTest::inEditor(script, [this, body](TdlgEditSite& editor) {
            editor.cmbstyle->setCurrentText(thumbnailTemplate);
            body(editor);
        });
    }

    // Build! with the build dialog shown and handed to the body; returns the dialog's modal result.
    int build(MessageScript& script, TdlgEditSite& editor, const std::function<void(TdlgBuildProgress&)>& body) {
        int result = -1;
        script.onDialog([&](QDialog& d) {
            auto& dialog = dynamic_cast<TdlgBuildProgress&>(d);
            dialog.show();
            body(dialog);
            dialog.hide();
            result = dialog.result();
            return result;
        });
        editor.btnbuildClick(editor.btnbuild);
        return result;
    }

    void writeImages(const QStringList& names) {
        for (const QString& name : names) {
            QImage image(160, 120, QImage::Format_RGB32);
            image.fill(QColor(40, 120, 200));
            ASSERT_TRUE(image.save(rotationDir + name, "JPEG")) << name.toStdString();
        }
    }

    static QStringList listed(const TdlgBuildProgress& dialog) {
        QStringList names;
        for (int i = 0; i < dialog.lbximages->count(); ++i) names << dialog.lbximages->item(i)->text();
        return names;
    }

    QString readFile(const QString& path) const {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QString rotationDir;
    QString thumbnailTemplate;
};

}  // namespace

TEST_F(BuildDialogTest, TheImageListLeavesOutThumbnailsButtonsAndSupportFilesAndCanBeReordered) {
    startWithSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        writeImages({"a.jpg", "b.jpg", "c.jpe", "d.jpg", "beach_thb.jpg", "Page_Button_2.gif", "Next.gif"});
        // A navigation graphic that already lies in the rotation directory.
        dlgThumbOptions->Chkusecustombuttons->setChecked(true);
        dlgThumbOptions->edtnextfile->setText(rotationDir + "Next.gif");
        const QByteArray navigation = [&] {
            QFile f(rotationDir + "Next.gif");
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        const int result = build(script, editor, [&](TdlgBuildProgress& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Build Site");
            EXPECT_EQ(listed(dialog), (QStringList{"a.jpg", "b.jpg", "c.jpe", "d.jpg"}));
            EXPECT_FALSE(dialog.bkmkup->isEnabled());
            EXPECT_FALSE(dialog.btnexclude->isEnabled());
            EXPECT_TRUE(dialog.chkNoThumbRecreate->isChecked());

            // Up on the first wraps to the end; down on the last wraps to the start.
            dialog.lbximages->setCurrentRow(0);
            EXPECT_TRUE(dialog.bkmkup->isEnabled());
            EXPECT_TRUE(dialog.bkmkdown->isEnabled());
            QTest::mouseClick(dialog.bkmkup, Qt::LeftButton);
            EXPECT_EQ(listed(dialog), (QStringList{"b.jpg", "c.jpe", "d.jpg", "a.jpg"}));
            EXPECT_EQ(dialog.lbximages->currentRow(), 3);
            QTest::mouseClick(dialog.bkmkdown, Qt::LeftButton);
            EXPECT_EQ(listed(dialog), (QStringList{"a.jpg", "b.jpg", "c.jpe", "d.jpg"}));
            dialog.lbximages->setCurrentRow(1);
            QTest::mouseClick(dialog.bkmkdown, Qt::LeftButton);
            EXPECT_EQ(listed(dialog), (QStringList{"a.jpg", "c.jpe", "b.jpg", "d.jpg"}));

            // Exclude every selected image.
            dialog.lbximages->setCurrentRow(-1, QItemSelectionModel::Clear);
            dialog.lbximagesClick();
            dialog.lbximages->item(0)->setSelected(true);
            dialog.lbximages->item(2)->setSelected(true);
            EXPECT_TRUE(dialog.btnexclude->isEnabled());
            dialog.btnexcludeClick();
            EXPECT_EQ(listed(dialog), (QStringList{"c.jpe", "d.jpg"}));

            script.answer(MessageResult::No);
            dialog.btnokClick();
        });
        EXPECT_EQ(result, platform::mrOk);
        EXPECT_EQ(script.lastText(), Preview);
        // Only the images left in the list were built, in the list's order.
        EXPECT_TRUE(QFileInfo::exists(rotationDir + "thumbs/c_thb.jpg"));
        EXPECT_TRUE(QFileInfo::exists(rotationDir + "thumbs/d_thb.jpg"));
        EXPECT_FALSE(QFileInfo::exists(rotationDir + "thumbs/a_thb.jpg"));
        EXPECT_FALSE(QFileInfo::exists(rotationDir + "thumbs/beach_thb_thb.jpg"));
        const QString page = readFile(rotationDir + "Index.html");
        EXPECT_LT(page.indexOf("c_thb.jpg"), page.indexOf("d_thb.jpg"));
        EXPECT_FALSE(page.contains("a_thb.jpg"));
        // The navigation graphic copied "onto itself" is still there, unchanged.
        QFile f(rotationDir + "Next.gif");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), navigation);

        // Excluded images come back the next time; with none left Start refuses.
        build(script, editor, [&](TdlgBuildProgress& dialog) {
            EXPECT_EQ(listed(dialog), (QStringList{"a.jpg", "b.jpg", "c.jpe", "d.jpg"}));
            dialog.lbximages->selectAll();
            dialog.btnexcludeClick();
            EXPECT_EQ(dialog.lbximages->count(), 0);
            script.answer(MessageResult::OK);
            dialog.btnokClick();
            EXPECT_EQ(script.lastText(), "The current Site or Rotation does not contain any images!");
            EXPECT_EQ(dialog.result(), 0);
            QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
            EXPECT_EQ(dialog.result(), platform::mrCancel);
        });
    });
}

TEST_F(BuildDialogTest, UpDownAndExcludeActOnTheHighlightedImagesAndTheBuildFollows) {
    const struct {
        const char* name;
        const char* gestures;     // on a.jpg to e.jpg; see testing_support::gesture()
        const char* presses;      // U Up, D Down, X Exclude
        const char* order;        // afterwards, in the list and in the built index
        const char* highlighted;  // afterwards
    } rows[] = {
        {"two Ctrl+clicked images move up together", "1 ^3", "U", "b a d c e", "b d"},
        {"a block at the top stays while the other closes up to it", "0 +1 ^3", "U", "a b d c e", "a b d"},
        {"a block highlighted with Shift+Down moves down, keeping its order, and stops at the bottom", "1 +v", "DDD",
         "a d e b c", "b c"},
        {"the image left highlighted moves, not the one under the focus frame", "1 ^3 ^3", "D", "a c b d e", "b"},
        {"a Ctrl+click takes the highlight away: Up moves nothing", "2 ^2", "U", "a b c d e", ""},
        {"a click on empty space takes the highlight away: Exclude keeps all", "2 _", "X", "a b c d e", ""},
        {"Exclude leaves out every highlighted image and highlights none", "0 ^2 ^4", "X", "b d", ""},
    };
    startWithSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        writeImages({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"});
        for (const auto& row : rows) {
            SCOPED_TRACE(row.name);
            build(script, editor, [&](TdlgBuildProgress& dialog) {
                const QList<QPushButton*> buttons{dialog.bkmkup, dialog.bkmkdown, dialog.btnexclude};
                testing_support::gesture(dialog.lbximages, row.gestures);
                for (QChar press : QString(row.presses))
                    QTest::mouseClick(buttons[QString("UDX").indexOf(press)], Qt::LeftButton);
                EXPECT_EQ(listed(dialog).join(' ').remove(".jpg"), row.order);
                EXPECT_EQ(testing_support::highlightedTexts(dialog.lbximages).join(' ').remove(".jpg"),
                          row.highlighted);
                for (QPushButton* button : buttons) EXPECT_EQ(button->isEnabled(), *row.highlighted != 0);
                script.answer(MessageResult::No);
                dialog.btnokClick();
            });
            QStringList built;  // the thumbnails in the index, in its order
            for (const auto& thumbnail :
                 QRegularExpression("(\\w)_thb\\.jpg").globalMatch(readFile(rotationDir + "Index.html")))
                built << thumbnail.captured(1);
            EXPECT_EQ(built.join(' '), row.order);
        }
    });
}

TEST_F(BuildDialogTest, CancelAnsweredNoGoesOnAndYesStopsWithTheDialogOpen) {
    startWithSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        writeImages({"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg", "p5.jpg"});
        const int statusBefore = CurrentRotationStatus;

        // Cancel pressed during the thumbnails, then No: the build completes.
        int result = build(script, editor, [&](TdlgBuildProgress& dialog) {
            bool pressed = false;
            QObject::connect(dialog.ProgressBar, &QProgressBar::valueChanged, &dialog, [&](int value) {
                if (value == 2 && !pressed) {
                    pressed = true;
                    EXPECT_FALSE(dialog.btnok->isEnabled());
                    QTest::mouseClick(dialog.BitBtn2, Qt::LeftButton);
                    EXPECT_EQ(dialog.result(), 0);  // still open
                }
            });
            script.answer(MessageResult::No).answer(MessageResult::No);
            dialog.btnokClick();
            EXPECT_TRUE(pressed);
        });
        EXPECT_EQ(result, platform::mrOk);
        EXPECT_EQ(script.texts(), (QStringList{CancelQuestion, Preview}));
        EXPECT_TRUE(QFileInfo::exists(rotationDir + "Index.html"));
        EXPECT_EQ(QDir(rotationDir + "thumbs").entryList(QDir::Files).size(), 5);

        // Again from scratch, and Yes: the build stops, the dialog stays open.
        QDir(rotationDir + "thumbs").removeRecursively();
        QFile::remove(rotationDir + "Index.html");
        CurrentRotationStatus = statusBefore;
        script.clear();
        result = build(script, editor, [&](TdlgBuildProgress& dialog) {
            // Closing the window while building asks like Cancel.
            QObject::connect(dialog.ProgressBar, &QProgressBar::valueChanged, &dialog, [&](int value) {
                if (value == 2) dialog.close();
            });
            script.answer(MessageResult::Yes);
            dialog.btnokClick();
            EXPECT_EQ(dialog.result(), 0);
            EXPECT_TRUE(dialog.btnok->isEnabled());
            EXPECT_EQ(dialog.ProgressBar->value(), 0);
            EXPECT_TRUE(dialog.lblmessage->text().isEmpty());
            dialog.BitBtn2Click();  // now an ordinary Cancel
        });
        EXPECT_EQ(result, platform::mrCancel);
        EXPECT_EQ(script.texts(), QStringList{CancelQuestion});
        EXPECT_EQ(CurrentRotationStatus, statusBefore);
        EXPECT_FALSE(QFileInfo::exists(rotationDir + "Index.html"));
        // The step's thumbnails made so far go with it: none replaced, no temporary left.
        EXPECT_EQ(QDir(rotationDir + "thumbs").entryList(QDir::Files | QDir::Hidden), QStringList());
    });
}

TEST_F(BuildDialogTest, ThePagePrefixIsNormalisedInTheControlAndTheIndex) {
    startWithSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        writeImages({"a.jpg", "b.jpg", "c.jpg"});
        dlgThumbOptions->spnHorzCOunt->setValue(1);
        dlgThumbOptions->spnVertCOunt->setValue(2);
        dlgThumbOptions->SetDefaultSetColour(dlgThumbOptions->cmbIndexTextColour, false, 0x000000FF);  // red
        for (const auto& [typed, stored] : {std::pair<QString, QString>{"", "Page "}, {"Seite", "Seite "}}) {
            dlgThumbOptions->edtpagenumberprefix->setText(typed);
            build(script, editor, [&](TdlgBuildProgress& dialog) {
                script.answer(MessageResult::No);
                dialog.btnokClick();
            });
            EXPECT_EQ(dlgThumbOptions->edtpagenumberprefix->text(), stored);
            // Page 1 of two: the current label unlinked, the other linked.
            const QString page = readFile(rotationDir + "Index.html");
            EXPECT_TRUE(page.contains("<FONT COLOR=\"#FF0000\">" + stored + "1</FONT>")) << stored.toStdString();
            EXPECT_TRUE(page.contains("<A HREF=\"Index2.html\">" + stored + "2</A>")) << stored.toStdString();
            EXPECT_TRUE(QFileInfo::exists(rotationDir + "Index2.html"));
        }
    });
}

TEST_F(BuildDialogTest, ExistingThumbnailsAreKeptWhenAskedAndTheBarStillCountsThem) {
    startWithSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        writeImages({"a.jpg", "b.jpg", "c.jpg"});
        QDir().mkpath(rotationDir + "thumbs");
        for (const char* thumb : {"a_thb.jpg", "b_thb.jpg", "c_thb.jpg"})
            data.write(QString("site/Rotation_1/thumbs/") + thumb, "kept");
        // Only the image is shown: support file (none here) + images + pages = 3 + 1 steps.
        int maximum = 0, highest = 0;
        build(script, editor, [&](TdlgBuildProgress& dialog) {
            QObject::connect(dialog.ProgressBar, &QProgressBar::valueChanged, &dialog, [&](int value) {
                maximum = dialog.ProgressBar->maximum();
                highest = std::max(highest, value);
            });
            script.answer(MessageResult::No);
            dialog.btnokClick();
        });
        EXPECT_EQ(maximum, 4);
        EXPECT_EQ(highest, 4);
        EXPECT_EQ(data.read("site/Rotation_1/thumbs/b_thb.jpg"), "kept");

        // Unchecked, every thumbnail is made again; image pages add one step per image.
        dlgThumbOptions->rdbHTMLImageWindow->setChecked(true);
        dlgThumbOptions->cmbimagestyle->setCurrentText(thumbnailTemplate);
        maximum = highest = 0;
        build(script, editor, [&](TdlgBuildProgress& dialog) {
            dialog.chkNoThumbRecreate->setChecked(false);
            QObject::connect(dialog.ProgressBar, &QProgressBar::valueChanged, &dialog, [&](int value) {
                maximum = dialog.ProgressBar->maximum();
                highest = std::max(highest, value);
            });
            script.answer(MessageResult::No);
            dialog.btnokClick();
        });
        EXPECT_EQ(maximum, 7);
        EXPECT_EQ(highest, 7);
        EXPECT_TRUE(QImage(rotationDir + "thumbs/b_thb.jpg").width() > 0);
        EXPECT_TRUE(QFileInfo::exists(rotationDir + "b.html"));
    });
}

// Two images that share a thumbnail name (same.jpe, same.jpg): with thumbnails kept, the first
// one's thumbnail is made and kept for the second, and every later image still gets its own.
TEST_F(BuildDialogTest, ImagesSharingAThumbnailNameLeaveLaterThumbnailsTheirOwn) {
    startWithSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        const QList<std::pair<QString, QColor>> images{
            {"same.jpe", Qt::red}, {"same.jpg", Qt::blue}, {"z1.jpg", Qt::green}, {"z2.jpg", Qt::yellow}};
        for (const auto& [name, colour] : images) {
            QImage image(160, 120, QImage::Format_RGB32);
            image.fill(colour);
            ASSERT_TRUE(image.save(rotationDir + name, "JPEG"));
        }
        QStringList order;
        build(script, editor, [&](TdlgBuildProgress& dialog) {
            order = listed(dialog);
            script.answer(MessageResult::No);
            dialog.btnokClick();
        });
        ASSERT_EQ(order.size(), 4);
        const auto centre = [&](const QString& thumbnail) {
            return QImage(rotationDir + "thumbs/" + thumbnail).pixelColor(20, 15);
        };
        const auto near = [](QColor a, QColor b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
        };
        const QColor first = order.indexOf("same.jpe") < order.indexOf("same.jpg") ? Qt::red : Qt::blue;
        EXPECT_TRUE(near(centre("same_thb.jpg"), first)) << centre("same_thb.jpg").name().toStdString();
        EXPECT_TRUE(near(centre("z1_thb.jpg"), Qt::green)) << centre("z1_thb.jpg").name().toStdString();
        EXPECT_TRUE(near(centre("z2_thb.jpg"), Qt::yellow)) << centre("z2_thb.jpg").name().toStdString();
        EXPECT_EQ(script.texts(), QStringList{Preview});
    });
}

TEST_F(BuildDialogTest, PageButtonsOfDifferentFormatsAreLinkedByTheirOwnExtensions) {
    startWithSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        writeImages({"a.jpg", "b.jpg", "c.jpg"});
        dlgThumbOptions->spnHorzCOunt->setValue(1);
        dlgThumbOptions->spnVertCOunt->setValue(2);
        // A 256-colour style graphic makes GIF buttons, a true-colour one JPEG buttons.
        QImage trueColour(90, 24, QImage::Format_RGB32);
        trueColour.fill(Qt::darkCyan);
        ASSERT_TRUE(trueColour.save(data.path() + "other_style.jpg", "JPEG"));
        dlgThumbOptions->chkImageButtons->setChecked(true);
        dlgThumbOptions->edtSelectedImageButton->setText(qEnvironmentVariable("LUMENFOLD_SOURCE_DIR") +
                                                         "/data/navgraph/Index.gif");
        dlgThumbOptions->edtotherImageButton->setText(data.path() + "other_style.jpg");
        build(script, editor, [&](TdlgBuildProgress& dialog) {
            script.answer(MessageResult::No);
            dialog.btnokClick();
        });
        EXPECT_TRUE(QFileInfo::exists(rotationDir + "Page_Button_On_1.gif"));
        EXPECT_TRUE(QFileInfo::exists(rotationDir + "Page_Button_2.jpg"));
        EXPECT_EQ(testing_support::brokenLinks(rotationDir), QStringList());
    });
}

TEST_F(BuildDialogTest, AFailingPageButtonOffersATextIndexOrStops) {
    startWithSite();
    MessageScript script;
    const QString buttonFailure =
        "An error was encountered creating your page index buttons.  A text index will be created instead.";
    inEditor(script, [&](TdlgEditSite& editor) {
        writeImages({"a.jpg", "b.jpg"});
        dlgThumbOptions->chkImageButtons->setChecked(true);
        dlgThumbOptions->edtSelectedImageButton->setText(data.path() + "no_such_style.gif");
        dlgThumbOptions->edtpagenumberprefix->setText("Page ");

        // Cancel: the build fails and no page is written.
        int result = build(script, editor, [&](TdlgBuildProgress& dialog) {
            script.answer(MessageResult::Cancel);
            dialog.btnokClick();
            EXPECT_EQ(dialog.result(), 0);
            dialog.BitBtn2Click();
        });
        EXPECT_EQ(result, platform::mrCancel);
        EXPECT_EQ(script.texts(), QStringList{buttonFailure});
        EXPECT_FALSE(QFileInfo::exists(rotationDir + "Index.html"));

        // OK: the build goes on with a text index.
        script.clear();
        result = build(script, editor, [&](TdlgBuildProgress& dialog) {
            script.answer(MessageResult::OK).answer(MessageResult::No);
            dialog.btnokClick();
        });
        EXPECT_EQ(result, platform::mrOk);
        EXPECT_EQ(script.texts(), (QStringList{buttonFailure, Preview}));
        const QString page = readFile(rotationDir + "Index.html");
        EXPECT_TRUE(page.contains("Page 1"));
        EXPECT_FALSE(page.contains("Page_Button"));
    });
}

TEST_F(BuildDialogTest, DescriptionFilesThatCannotBeReadStopOrBuildWithFileNames) {
    startWithSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        writeImages({"a.jpg"});
        dlgThumbOptions->rdbshowdescription->setChecked(true);
        dlgThumbOptions->edtdescripfile->setText(data.write("empty.txt", ""));
        build(script, editor, [&](TdlgBuildProgress& dialog) {
            script.answer(MessageResult::OK);
            dialog.btnokClick();
            EXPECT_EQ(dialog.result(), 0);
            dialog.BitBtn2Click();
        });
        EXPECT_EQ(script.lastText(), "An error was encountered reading your description file!");
        EXPECT_FALSE(QFileInfo::exists(rotationDir + "Index.html"));
        EXPECT_FALSE(QFileInfo::exists(data.path() + "~empty.ini"));

        // A file without a single entry: building anyway shows the file names.
        script.clear();
        dlgThumbOptions->edtdescripfile->setText(data.write("nonsense.txt", "no comma here\r\n"));
        const int result = build(script, editor, [&](TdlgBuildProgress& dialog) {
            script.answer(MessageResult::Yes).answer(MessageResult::No);
            dialog.btnokClick();
        });
        EXPECT_EQ(result, platform::mrOk);
        EXPECT_EQ(script.texts(), (QStringList{"No valid entries were found in the file, " + data.path() +
                                                   "nonsense.txt.  Do you still want to build this Site?",
                                               Preview}));
        EXPECT_TRUE(readFile(rotationDir + "Index.html").contains(">a.jpg<"));
        EXPECT_FALSE(QFileInfo::exists(data.path() + "~nonsense.ini"));
    });
}

// A text description file is read through a temporary file of the build's own: a user's
// "~captions.ini" beside it (perhaps another rotation's description file) is neither read, nor
// changed, nor removed.
TEST_F(BuildDialogTest, TheBuildsTemporaryDescriptionFileNeverTouchesAFileOfTheUsers) {
    struct Row {
        const char* Case;
        QByteArray Captions;
        QStringList Answers;  // Yes to build without entries, then No to the preview
        QString Caption;      // what the page shows for a.jpg
    };
    const Row rows[] = {
        {"entries", "a.jpg,A red door\r\n", {"No"}, "A red door"},
        {"no entry, built anyway", "no comma here\r\n", {"Yes", "No"}, ">a.jpg<"},
    };
    startWithSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        writeImages({"a.jpg"});
        for (const Row& row : rows) {
            SCOPED_TRACE(row.Case);
            script.clear();
            QDir(data.path() + "lists").removeRecursively();
            data.write("lists/~captions.ini", "[Descriptions]\r\na.jpg=The user's own caption\r\n");
            dlgThumbOptions->rdbshowdescription->setChecked(true);
            dlgThumbOptions->edtdescripfile->setText(data.write("lists/captions.txt", row.Captions));
            const QStringList before = testing_support::treeContents(data.path() + "lists");
            const int result = build(script, editor, [&](TdlgBuildProgress& dialog) {
                for (const QString& answer : row.Answers)
                    script.answer(answer == "Yes" ? MessageResult::Yes : MessageResult::No);
                dialog.btnokClick();
            });
            EXPECT_EQ(result, platform::mrOk);
            EXPECT_EQ(testing_support::treeContents(data.path() + "lists"), before);
            const QString page = readFile(rotationDir + "Index.html");
            EXPECT_TRUE(page.contains(row.Caption)) << page.toStdString();
            EXPECT_FALSE(page.contains("The user's own caption"));
        }
    });
}

TEST_F(BuildDialogTest, PreviewYesOpensTheBuiltFirstPage) {
    startWithSite();
    QStringList opened;
    platform::setDocumentOpenerForTesting([&](const QString& target) {
        opened << target;
        return true;
    });
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        writeImages({"a.jpg"});
        build(script, editor, [&](TdlgBuildProgress& dialog) {
            script.answer(MessageResult::Yes);
            dialog.btnokClick();
        });
    });
    platform::setDocumentOpenerForTesting([](const QString&) { return true; });
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(QFileInfo(opened.first()).canonicalFilePath(), QFileInfo(rotationDir + "Index.html").canonicalFilePath());
}

TEST_F(BuildDialogTest, BuildAllStartsByItselfAndAsksNoPreview) {
    startWithSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        writeImages({"a.jpg", "b.jpg"});
        script.onDialog([&](QDialog& d) {
            auto& dialog = dynamic_cast<TdlgBuildProgress&>(d);
            dialog.show();
            EXPECT_TRUE(dialog.Timer1->isActive());
            EXPECT_EQ(dialog.Timer1->interval(), 300);
            EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.result() != 0; }, 30000));
            return dialog.result();
        });
        editor.btnBuildAllClick();
        EXPECT_FALSE(BuildAllMode);
        EXPECT_TRUE(script.texts().isEmpty());
    });
    EXPECT_TRUE(QFileInfo::exists(rotationDir + "Index.html"));
    EXPECT_TRUE(QFileInfo::exists(rotationDir + "thumbs/b_thb.jpg"));
    EXPECT_EQ(platform::IniFile(data.file("Site_1.ini")).readString("Rotation_1", "Status", ""), "2");
}

TEST_F(BuildDialogTest, FailingStepsEndTheBuildWithTheirMessageAndTheDialogOpen) {
    startWithSite();
    MessageScript script;
    const auto failedBuild = [&](TdlgEditSite& editor, int answers, const QList<MessageResult>& replies) {
        script.clear();
        const int result = build(script, editor, [&](TdlgBuildProgress& dialog) {
            for (MessageResult reply : replies) script.answer(reply);
            dialog.btnokClick();
            EXPECT_EQ(dialog.result(), 0);
            EXPECT_TRUE(dialog.btnok->isEnabled());
            dialog.BitBtn2Click();
        });
        EXPECT_EQ(result, platform::mrCancel);
        EXPECT_EQ(script.texts().size(), answers);
        EXPECT_FALSE(QFileInfo(rotationDir + "Index.html").isFile());
    };
    inEditor(script, [&](TdlgEditSite& editor) {
        writeImages({"a.jpg"});
        const int statusBefore = CurrentRotationStatus;

        // A file where the thumbs directory belongs.
        data.write("site/Rotation_1/thumbs", "in the way");
        failedBuild(editor, 2, {MessageResult::OK, MessageResult::OK});
        EXPECT_EQ(script.lastText(), "Error encountered creating the directory, " + rotationDir + "thumbs/" +
                                         ".  Building will terminate!");
        QFile::remove(rotationDir + "thumbs");

        // An image that cannot be read: No at the thumbnail question stops.
        data.write("site/Rotation_1/broken.jpg", "not a picture");
        failedBuild(editor, 2, {MessageResult::No, MessageResult::OK});
        EXPECT_EQ(script.texts().first(), "Error encountered creating thumbnail.  Please ensure you have sufficient disk "
                                          "space.  Do you want to continue processing your images?");
        EXPECT_EQ(script.lastText(), "Error encountered creating the thumbnail, broken.jpg");
        QFile::remove(rotationDir + "broken.jpg");

        // Pages that cannot be written.
        dlgThumbOptions->rdbHTMLImageWindow->setChecked(true);
        dlgThumbOptions->cmbimagestyle->setCurrentText(thumbnailTemplate);
        QDir().mkpath(rotationDir + "a.html");
        failedBuild(editor, 1, {MessageResult::OK});
        EXPECT_EQ(script.lastText(),
                  "Error encountered creating your Image Display pages.  Please ensure you have enough disk space");
        QDir(rotationDir + "a.html").removeRecursively();
        QDir().mkpath(rotationDir + "Index.html/blocked");
        failedBuild(editor, 1, {MessageResult::OK});
        EXPECT_EQ(script.lastText(), "Error encountered creating your HTML pages.  Please ensure you have enough disk space");
        EXPECT_TRUE(QFileInfo::exists(rotationDir + "a.html"));
        EXPECT_EQ(CurrentRotationStatus, statusBefore);
    });
}

// Counts the paint events of a widget.
class PaintCounter : public QObject {
public:
    int Paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++Paints;
        return false;
    }
};

TEST_F(BuildDialogTest, TheProgressTextIsRepaintedAtMostEvery50MsWithTheSameTextsAndCount) {
    startWithSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        QStringList names;
        for (int i = 0; i < 40; ++i) names << QString("p%1.jpg").arg(i, 2, 10, QChar('0'));
        writeImages(names);
        dlgThumbOptions->rdbHTMLImageWindow->setChecked(true);
        dlgThumbOptions->cmbimagestyle->setCurrentText(thumbnailTemplate);
        PaintCounter counter;
        QStringList texts;
        int highest = 0;
        QElapsedTimer timer;
        build(script, editor, [&](TdlgBuildProgress& dialog) {
            dialog.lblmessage->installEventFilter(&counter);
            QObject::connect(dialog.ProgressBar, &QProgressBar::valueChanged, &dialog, [&](int value) {
                highest = std::max(highest, value);
                if (!texts.contains(dialog.lblmessage->text())) texts << dialog.lblmessage->text();
            });
            script.answer(MessageResult::No);
            timer.start();
            dialog.btnokClick();
        });
        const qint64 elapsed = timer.elapsed();
        // 40 thumbnails, 40 image pages and 2 thumbnail pages are counted...
        EXPECT_EQ(highest, 82);
        EXPECT_TRUE(texts.contains("Creating Thumbnail for p38.jpg"));
        EXPECT_TRUE(texts.contains("Creating Image Display page for the image, p07.jpg"));
        // ...but the text is painted at most once per 50 ms, not once per item.
        EXPECT_LE(counter.Paints, elapsed / 50 + 5) << elapsed << " ms";
        EXPECT_EQ(QDir(rotationDir + "thumbs").entryList(QDir::Files).size(), 40);
    });
}
