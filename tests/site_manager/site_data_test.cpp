// Stored site data survives every edit a user makes: multi-line values, foreign encodings,
// missing folders, files reached under another spelling, keyboard selection; and the editor's
// looks.
#include "components/file_list_box.h"
#include "platform/file_ops.h"
#include "platform/ini_file.h"
#include "site_manager/file_helpers.h"
#include "site_manager/site_options_dialog.h"
#include "tests/common/windows_text.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QCoreApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <sys/inotify.h>
#include <unistd.h>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

class SiteDataTest : public MainWindowTest {
protected:
    platform::IniFile siteFile() const { return platform::IniFile(data.file("Site_1.ini")); }

    // Garden with three rotations, each with a directory of its own.
    void writeThreeRotations() {
        writeGardenSite(true);
        QByteArray ini = "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=3\r\n";
        for (int n = 1; n <= 3; ++n) {
            QDir().mkpath(siteDir + "Rotation_" + QString::number(n));
            ini += "[Rotation_" + QByteArray::number(n) + "]\r\nRotation_Path=%\\site\\Rotation_" +
                   QByteArray::number(n) + "\r\nThumb_Width=" + QByteArray::number(100 * n) + "\r\n";
        }
        data.write("Site_1.ini", ini);
    }
};

void writeJpeg(const QString& path) {
    QImage image(32, 24, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    ASSERT_TRUE(image.save(path, "JPEG"));
}

void selectRow(TdlgEditSite& editor, int row) {
    editor.lbxrotations->setCurrentRow(row);
    editor.lbxrotationsClick();
}

}  // namespace

// --- Stored values ---

TEST_F(SiteDataTest, StoredValuesSurviveSaveReloadNewRotationAndApplyToAll) {
    writeGardenSite(true);
    startWithGardenSite();
    const QString header = "<b>Top line</b>\r\n<i>second line</i>\r\n";
    const QString footer = "one\ntwo";
    const QString imageHeader = "  <p>image\r\nheader</p>";
    const QString imageFooter = "\"quoted\"\r\nfooter";
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        editor.cmbHeader->setCurrentIndex(1);
        editor.edtheaderhtml->setText(header);
        editor.cmbFooter->setCurrentIndex(1);
        editor.edtfooterhtml->setText(footer);
        dlgThumbOptions->rdbHTMLImageWindow->setChecked(true);
        dlgThumbOptions->cmbimageHeader->setCurrentIndex(2);
        dlgThumbOptions->edtimageheaderhtml->setText(imageHeader);
        dlgThumbOptions->cmbimageFooter->setCurrentIndex(2);
        dlgThumbOptions->edtimagefooterhtml->setText(imageFooter);
        QTest::mouseClick(editor.btnNewRotation, Qt::LeftButton);  // saves Rotation 1, inherits into 2
        QTest::mouseClick(editor.btnApplytoAll, Qt::LeftButton);
    });
    for (const QString section : {"Rotation_1", "Rotation_2"}) {
        EXPECT_EQ(siteFile().readString(section, "Header_HTML", ""), header) << section.toStdString();
        EXPECT_EQ(siteFile().readString(section, "Footer_HTML", ""), footer);
        EXPECT_EQ(siteFile().readString(section, "Image_Header_HTML", ""), imageHeader);
        EXPECT_EQ(siteFile().readString(section, "Image_Footer_HTML", ""), imageFooter);
        EXPECT_EQ(siteFile().readString(section, "Thumb_Width", ""), QString::number(dlgThumbOptions->SpnThumbW->value()));
    }
    // Every key of a section is one line: nothing spilled into the file as stray lines.
    for (const QByteArray& line : data.read("Site_1.ini").split('\n'))
        EXPECT_TRUE(line.trimmed().isEmpty() || line.startsWith('[') || line.contains('=')) << line.toStdString();

    // Reloaded into controls that held something else, the values come back whole.
    MessageScript again;
    inEditor(again, [&](TdlgEditSite& editor) {
        editor.edtheaderhtml->setText("other");
        dlgThumbOptions->edtimagefooterhtml->setText("other");
        selectRow(editor, 1);
        EXPECT_EQ(editor.edtheaderhtml->text(), header);
        EXPECT_EQ(editor.edtfooterhtml->text(), footer);
        EXPECT_EQ(dlgThumbOptions->edtimageheaderhtml->text(), imageHeader);
        EXPECT_EQ(dlgThumbOptions->edtimagefooterhtml->text(), imageFooter);
    });
}

// A Latin-1 site file keeps its bytes, and stored snippets longer than a line edit holds by
// default come back whole after a load and a save.
TEST_F(SiteDataTest, ALatin1SiteFileKeepsItsBytesAndLongSnippetsAndSiteOptionsCancelWritesNothing) {
    writeGardenSite(true);
    QDir().mkpath(siteDir + "Rotation_1");
    const QString header = QString(40000, 'h') + "<end>";
    const QString imageFooter = QString(40000, 'f') + "<end>";
    const QByteArray latin1 = "; Caf\xe9 sites\r\n[General]\r\nName=Caf\xe9 Gr\xfcn\r\nPath=%\\site\\\r\n"
                              "Custom=\xa9 1999\r\nRotationCount=1\r\n[Rotation_1]\r\nRotation_Path=%\\site\\Rotation_1\r\n"
                              "Header=1\r\nHeader_HTML=" + header.toLatin1() + "\r\nImage_Footer_HTML=" + imageFooter.toLatin1() + "\r\n";
    data.write("Site_1.ini", latin1);
    data.write("sites.ini", "[Sites]\r\nSite_1=Caf\xe9 Gr\xfcn\r\nSite_2=Lost\r\n");
    startWithGardenSite();
    EXPECT_EQ(tsiterecord.Name, QString::fromUtf8("Caf\xc3\xa9 Gr\xc3\xbcn"));
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        EXPECT_EQ(editor.edtheaderhtml->text().size(), header.size());
        EXPECT_EQ(dlgThumbOptions->edtimagefooterhtml->text().size(), imageFooter.size());
    });
    EXPECT_TRUE(siteFile().readString("Rotation_1", "Header_HTML", "") == header);  // no 40,000-character dump
    EXPECT_TRUE(siteFile().readString("Rotation_1", "Image_Footer_HTML", "") == imageFooter);
    const QByteArray after = data.read("Site_1.ini");
    EXPECT_TRUE(after.startsWith("; Caf\xe9 sites\r\n[General]\r\nName=Caf\xe9 Gr\xfcn\r\n")) << after.toStdString();
    EXPECT_TRUE(after.contains("\r\nCustom=\xa9 1999\r\n"));
    EXPECT_FALSE(after.contains("\xef\xbf\xbd"));  // no replacement characters
    EXPECT_EQ(data.read("sites.ini"), QByteArray("[Sites]\r\nSite_1=Caf\xe9 Gr\xfcn\r\nSite_2=Lost\r\n"));

    // Site_2 has no site file: Site Options, then Cancel, must not store "Name Error".
    clickSite("Site_2");
    EXPECT_EQ(tsiterecord.Name, "Name Error");
    MessageScript cancel;
    cancel.onDialog([](QDialog& d) {
        d.done(platform::mrCancel);
        return d.result();
    });
    QTest::mouseClick(main->btnsiteoptions, Qt::LeftButton);
    EXPECT_EQ(data.read("sites.ini"), QByteArray("[Sites]\r\nSite_1=Caf\xe9 Gr\xfcn\r\nSite_2=Lost\r\n"));
    EXPECT_FALSE(QFileInfo::exists(data.file("Site_2.ini")));
}

// A name typed into Site Options goes into a site file and site list saved by a Windows program
// in the file's own encoding: ’ is the byte 0x92 of Windows-1252, UTF-16 LE stays UTF-16 LE, and
// every other byte stays as it was.
TEST_F(SiteDataTest, SiteOptionsWritesANameInTheEncodingOfWindowsFiles) {
    for (const char* encoding : testing_support::kWindowsEncodings) {
        SCOPED_TRACE(encoding);
        stopProgram();
        QDir().mkpath(data.path() + "site");
        const auto site = [&](const QString& name) {
            return testing_support::windowsFile(
                encoding, QString::fromUtf8("; “Garden” \u0081\u008D\u008F\u0090\u009D\r\n[General]\r\nName=") + name +
                              "\r\nPath=%\\site/\r\nLivePath=\r\nAutoRotate=False\r\nCurrentRotationPosition=1\r\n"
                              "BaseHTMLName=Index.html\r\nRotationCount=0\r\n");
        };
        const auto sites = [&](const QString& name) {
            return testing_support::windowsFile(encoding, "[Sites]\r\nSite_1=" + name + "\r\n");
        };
        data.write("Site_1.ini", site(QString::fromUtf8("Garden – €")));
        data.write("sites.ini", sites(QString::fromUtf8("Garden – €")));
        startWithGardenSite();
        const QString typed = QString::fromUtf8("Tom’s Garden – €");
        MessageScript options;
        options.onDialog([&](QDialog& d) {
            auto& dialog = dynamic_cast<TdlgSIteOptions&>(d);
            EXPECT_EQ(dialog.edtname->text(), QString::fromUtf8("Garden – €"));
            dialog.edtname->setText(typed);
            QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
            return d.result();
        });
        QTest::mouseClick(main->btnsiteoptions, Qt::LeftButton);
        EXPECT_EQ(data.read("Site_1.ini"), site(typed));
        EXPECT_EQ(data.read("sites.ini"), sites(typed));
    }
}

// Spindleway stores the next rotation position while the site is open in Lumenfold: Lumenfold's
// saves keep it, unless the user sets a position in Site Options.
TEST_F(SiteDataTest, ThePositionSpindlewayStoresSurvivesLumenfoldsSaves) {
    writeThreeRotations();
    startWithGardenSite();
    EXPECT_EQ(tsiterecord.CurrentRotationPosition, 1);
    siteFile().writeInteger("General", "CurrentRotationPosition", 3);  // Spindleway rotates meanwhile
    MessageScript editor;
    inEditor(editor, [](TdlgEditSite&) {});
    EXPECT_EQ(siteFile().readInteger("General", "CurrentRotationPosition", 0), 3);
    EXPECT_EQ(tsiterecord.CurrentRotationPosition, 3);

    siteFile().writeInteger("General", "CurrentRotationPosition", 2);
    MessageScript options;
    options.onDialog([](QDialog& d) {
        auto& dialog = dynamic_cast<TdlgSIteOptions&>(d);
        dialog.spnrotpos->setValue(1);  // the user's choice wins
        QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
        return d.result();
    });
    QTest::mouseClick(main->btnsiteoptions, Qt::LeftButton);
    EXPECT_EQ(siteFile().readInteger("General", "CurrentRotationPosition", 0), 1);
}

// --- Missing folders and the wrong target ---

TEST_F(SiteDataTest, AMissingRotationDirectoryIsNeitherLoadedNorBuilt) {
    writeThreeRotations();
    writeJpeg(siteDir + "Rotation_1/one.jpg");
    writeJpeg(siteDir + "Rotation_2/two.jpg");
    startWithGardenSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        ASSERT_EQ(editor.FileBox->fileNames(), QStringList{"one.jpg"});
        // A file added on disk shows when the rotation is chosen again.
        writeJpeg(siteDir + "Rotation_1/new.jpg");
        selectRow(editor, 0);
        EXPECT_EQ(editor.FileBox->fileNames(), (QStringList{"new.jpg", "one.jpg"}));

        selectRow(editor, 2);
        ASSERT_TRUE(QDir(siteDir + "Rotation_3").removeRecursively());
        selectRow(editor, 1);
        selectRow(editor, 2);  // Rotation 2 stays loaded, with its own images
        const QString located = "Error!  The directory, " + siteDir + "Rotation_3, could not be located!";
        EXPECT_EQ(editor.lblstatus->text(), located);
        EXPECT_EQ(CurrentRotationNumber, 2);
        EXPECT_EQ(editor.FileBox->fileNames(), QStringList{"two.jpg"});

        // Build All refuses the missing rotation too (the others stop at their own build checks).
        script.clear();
        for (int i = 0; i < 3; ++i) script.answer(MessageResult::OK);
        QTest::mouseClick(editor.btnBuildAll, Qt::LeftButton);
        EXPECT_EQ(script.texts().size(), 3);
        EXPECT_EQ(script.lastText(), located);
        EXPECT_EQ(editor.lbxrotations->currentRow(), 1);
    });
    EXPECT_TRUE(QFileInfo::exists(siteDir + "Rotation_2/two.jpg"));
    EXPECT_TRUE(siteFile().sectionExists("Rotation_3"));
    EXPECT_EQ(siteFile().readString("General", "RotationCount", ""), "3");

    // The next site's editor never shows the previous rotation's images.
    MessageScript again;
    inEditor(again, [&](TdlgEditSite& editor) { EXPECT_EQ(editor.FileBox->count(), 1 + 1); });
    QDir(siteDir + "Rotation_1").removeRecursively();
    MessageScript missing;
    inEditor(missing, [&](TdlgEditSite& editor) { EXPECT_EQ(editor.FileBox->count(), 0); });
}

TEST_F(SiteDataTest, DeleteSiteNeverRemovesADirectoryThatMustStay) {
    QDir().mkpath(data.file("shared/Rotation_1"));
    QDir().mkpath(data.file("other"));
    QDir().mkpath(data.file("own"));
    data.write("Site_1.ini", "[General]\r\nName=Data\r\nPath=" + data.path().toUtf8() + "\r\n");
    data.write("Site_2.ini", "[General]\r\nName=Shared\r\nPath=%\\shared\\\r\n");
    data.write("Site_4.ini", "[General]\r\nName=Other\r\nPath=%\\other\\\r\n"
                             "[Rotation_1]\r\nRotation_Path=%\\shared\\Rotation_1\r\n");
    data.write("sites.ini", "[Sites]\r\nSite_1=Data\r\nSite_2=Shared\r\nSite_4=Other\r\nSite_3=Own\r\n");
    data.write("Site_3.ini", "[General]\r\nName=Own\r\nPath=%\\own\\\r\n");
    startProgram();

    struct Case {
        const char* key;
        const char* why;
    };
    for (const Case& c : {Case{"Site_1", "is or holds the data directory of Lumenfold Pro"},
                          Case{"Site_2", "is used by the site, Other, as its rotation directory"}}) {
        clickSite(c.key);
        MessageScript script;
        script.answer(MessageResult::Yes).answer(MessageResult::OK);
        QTest::mouseClick(main->btndeletesite, Qt::LeftButton);
        EXPECT_TRUE(script.lastText().contains(c.why)) << script.lastText().toStdString();
        EXPECT_EQ(platform::IniFile(data.file("sites.ini")).readSection("Sites").size(), 4);
        EXPECT_TRUE(QFileInfo::exists(data.file(QString(c.key) + ".ini")));
    }
    EXPECT_TRUE(QFileInfo::exists(data.file("shared/Rotation_1")));

    // A site with a directory of its own goes, directory and all.
    clickSite("Site_3");
    MessageScript yes;
    yes.answer(MessageResult::Yes);
    QTest::mouseClick(main->btndeletesite, Qt::LeftButton);
    EXPECT_FALSE(QFileInfo::exists(data.file("own")));
    EXPECT_EQ(platform::IniFile(data.file("sites.ini")).readSection("Sites").size(), 3);

    // Cancel after New Site makes no folder, so it deletes none: an old gallery lying where the new
    // site's folder would be stays.
    data.write("Site_5.ini", "[General]\r\nName=Fifth\r\nPath=%\\Site_5\\\r\n");
    data.write("sites.ini", "[Sites]\r\nSite_1=Data\r\nSite_2=Shared\r\nSite_4=Other\r\nSite_5=Fifth\r\n");
    data.write("Site_6/Index.html", "an old gallery");
    stopProgram();
    startProgram();
    MessageScript cancel;
    cancel.onDialog([](QDialog& d) {
        EXPECT_EQ(tsiterecord.key, "Site_6");
        d.done(platform::mrCancel);
        return d.result();
    });
    QTest::mouseClick(main->btnnewsite, Qt::LeftButton);
    EXPECT_EQ(cancel.texts(), QStringList());
    EXPECT_FALSE(QFileInfo::exists(data.file("Site_6.ini")));
    EXPECT_EQ(platform::IniFile(data.file("sites.ini")).readSection("Sites").size(), 4);
    EXPECT_EQ(data.read("Site_6/Index.html"), "an old gallery");
}

// --- Same file under another spelling ---

TEST_F(SiteDataTest, AFileIsNeverCopiedOntoItselfAndADeclinedQuestionIsNoError) {
    writeGardenSite(true);
    QDir().mkpath(siteDir + "Rotation_1");
    writeJpeg(siteDir + "Rotation_1/only.jpg");
    const qint64 size = QFileInfo(siteDir + "Rotation_1/only.jpg").size();
    ASSERT_TRUE(QFile::link(siteDir, data.path() + "alias"));
    startWithGardenSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        for (const QString& spelling : {data.path() + "alias/Rotation_1/only.jpg", siteDir + "Rotation_1//only.jpg",
                                        siteDir + "./Rotation_1/only.jpg"}) {
            script.clear();
            script.answer(MessageResult::OK);
            editor.DropFileTarget1Drop({spelling});
            EXPECT_EQ(script.texts(), QStringList{"The destination folder is the same as the source!"});
            EXPECT_EQ(QFileInfo(siteDir + "Rotation_1/only.jpg").size(), size);
            script.clear();
            script.answer(MessageResult::OK);
            EXPECT_FALSE(editor.addimage(spelling, siteDir + "Rotation_1/only.jpg"));
            EXPECT_EQ(QFileInfo(siteDir + "Rotation_1/only.jpg").size(), size);
        }

        // Read-only files: declining deletion or replacement shows no error box.
        const QString outside = data.path() + "only.jpg";
        writeJpeg(outside);
        platform::setReadOnly(siteDir + "Rotation_1/only.jpg", true);
        script.clear();
        script.answer(MessageResult::Yes).answer(MessageResult::No);  // overwrite? yes; read-only? no
        editor.DropFileTarget1Drop({outside});
        EXPECT_EQ(script.texts().size(), 2);
        editor.FileBox->item(0)->setSelected(true);
        script.clear();
        script.answer(MessageResult::Yes).answer(MessageResult::No);  // delete? yes; read-only? no
        QTest::keyClick(editor.FileBox, Qt::Key_Delete);
        EXPECT_EQ(script.texts().size(), 2) << script.lastText().toStdString();
        EXPECT_EQ(QFileInfo(siteDir + "Rotation_1/only.jpg").size(), size);
    });
    // The build's support files go through the same check.
    docopyfile(data.path() + "alias/Rotation_1/only.jpg", siteDir + "Rotation_1/only.jpg", false);
    EXPECT_EQ(QFileInfo(siteDir + "Rotation_1/only.jpg").size(), size);
    EXPECT_TRUE(sameFile(siteDir + "Rotation_1/only.jpg", data.path() + "alias//Rotation_1/./only.jpg"));
    EXPECT_FALSE(sameFile(siteDir + "Rotation_1/only.jpg", data.path() + "only.jpg"));
}

// --- Keyboard ---

TEST_F(SiteDataTest, KeyboardSelectionActsLikeAClick) {
    writeThreeRotations();
    data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\nSite_2=Beach\r\n");
    data.write("Site_2.ini", "[General]\r\nName=Beach\r\nPath=%\\site\\\r\n");
    startWithGardenSite();
    main->lbxsites->setFocus();
    QTest::keyClick(main->lbxsites, Qt::Key_Down);
    EXPECT_EQ(tsiterecord.key, "Site_2");
    EXPECT_EQ(main->lblsitename->text(), "Beach");
    QTest::keyClick(main->lbxsites, Qt::Key_Up);
    EXPECT_EQ(tsiterecord.key, "Site_1");

    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        QTest::keyClick(editor.lbxrotations, Qt::Key_Down);
        EXPECT_EQ(CurrentRotationNumber, 2);
        EXPECT_EQ(dlgThumbOptions->SpnThumbW->value(), 200);
        QTest::keyClick(editor.lbxrotations, Qt::Key_End);
        EXPECT_EQ(CurrentRotationNumber, 3);
        EXPECT_TRUE(editor.btndeleterotation->isEnabled());
    });
}

// --- Looks ---

TEST_F(SiteDataTest, TheEditorShowsWholeRotationLinesPlainControlsAndSortedTemplates) {
    writeGardenSite(true);
    QDir().mkpath(siteDir + "Rotation_1");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) writeJpeg(siteDir + "Rotation_1/" + name);
    data.write("Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=1\r\n"
                             "[Rotation_1]\r\nRotation_Path=%\\site\\Rotation_1\r\n");
    data.write("recent_styles.txt", "/t/zebra.htm\r\n/t/Apple.htm\r\n/t/mango.htm\r\n");
    startWithGardenSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        const QString line = editor.lbxrotations->item(0)->text();
        EXPECT_EQ(line, "Rotation 1 : 4 Images : NOT BUILT");
        QCoreApplication::processEvents();
        const QString artifacts = QCoreApplication::applicationDirPath() + "/artifacts/";
        QDir().mkpath(artifacts);
        EXPECT_TRUE(editor.grab().save(artifacts + "site_editor.png"));
        const int textWidth = editor.lbxrotations->fontMetrics().horizontalAdvance(line);
        EXPECT_LT(textWidth, editor.lbxrotations->viewport()->width() - 4);
        EXPECT_FALSE(editor.lbxrotations->horizontalScrollBar()->isVisible());

        EXPECT_TRUE(editor.grpRotations->font().bold());
        for (QWidget* plain : std::initializer_list<QWidget*>{editor.Label9, editor.FileBox, editor.btnAddFiles,
                                                              editor.btnCopyFrom, editor.cmbstyle})
            EXPECT_FALSE(plain->font().bold()) << plain->metaObject()->className();
        EXPECT_TRUE(editor.lblstatus->font().bold());
        EXPECT_TRUE(editor.btnbuild->font().bold());

        QStringList items;
        for (int i = 0; i < editor.cmbstyle->count(); ++i) items << editor.cmbstyle->itemText(i);
        EXPECT_EQ(items, (QStringList{"/t/Apple.htm", "/t/mango.htm", "/t/zebra.htm"}));
        editor.cmbstyle->setEditText("/t/banana.htm");
        editor.cmbstyleExit();
        EXPECT_EQ(editor.cmbstyle->itemText(1), "/t/banana.htm");
        EXPECT_EQ(editor.cmbstyle->currentText(), "/t/banana.htm");
    });
}

// --- One replacement of the file per save ---

namespace {

// Counts the times a file of the directory is put in place by rename, from now on.
class ReplacementCounter {
public:
    explicit ReplacementCounter(const QString& directory) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        inotify_add_watch(fd_, QFile::encodeName(directory).constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
    }
    ~ReplacementCounter() { ::close(fd_); }
    int count(const QString& name) {
        alignas(inotify_event) char buffer[64 * 1024];
        ssize_t n;
        while ((n = ::read(fd_, buffer, sizeof buffer)) > 0)
            for (char* p = buffer; p < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(p);
                if (event->len > 0 && name == QString::fromLocal8Bit(event->name)) ++count_;
                p += sizeof(inotify_event) + event->len;
            }
        return count_;
    }

private:
    int fd_;
    int count_ = 0;
};

}  // namespace

TEST_F(SiteDataTest, EachSaveReplacesTheSiteFileOnce) {
    writeThreeRotations();
    startWithGardenSite();
    MessageScript script;
    ReplacementCounter counter(data.path());
    inEditor(script, [&](TdlgEditSite& editor) {
        EXPECT_EQ(counter.count("Site_1.ini"), 0);  // opening reads only
        QTest::mouseClick(editor.btnApplytoAll, Qt::LeftButton);
        EXPECT_EQ(counter.count("Site_1.ini"), 1);  // three rotations, one replacement
        selectRow(editor, 1);
        EXPECT_EQ(counter.count("Site_1.ini"), 2);  // the rotation left behind
    });
    // Closing: the current rotation, then the site's settings.
    EXPECT_EQ(counter.count("Site_1.ini"), 4);
    EXPECT_EQ(siteFile().readString("Rotation_3", "Thumb_Width", ""), QString::number(dlgThumbOptions->SpnThumbW->value()));
}
