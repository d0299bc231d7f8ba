// File names typed into the editable combo boxes of the site options, the site editor and the
// layout settings: real key presses through the window, left with Tab or Enter, keep the text
// exactly as typed (file names are case-sensitive here), and that text is what gets stored.
#include "platform/ini_file.h"
#include "site_manager/site_options_dialog.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

enum class Combo { FirstPage, ThumbnailTemplate, ImageTemplate };

// Key presses through the window, as a user's would come: while the completer's list is open it
// receives them, as it would from the desktop.
void typeAndLeave(QComboBox* combo, const QString& text, Qt::Key leave) {
    QWidget* window = combo->window();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    combo->setFocus();
    combo->clearEditText();
    for (const QChar c : text) QTest::keyClick(window->windowHandle(), c.toLatin1());
    const bool listOpen = QApplication::activePopupWidget() != nullptr;
    QTest::keyClick(window->windowHandle(), leave);
    // Enter in an open list of completions only closes it; the next Enter reaches the dialog.
    if (leave == Qt::Key_Return && listOpen) QTest::keyClick(window->windowHandle(), leave);
}

class FileNameCombosTest : public MainWindowTest {};

}  // namespace

TEST_F(FileNameCombosTest, TabAndEnterKeepTheFileNameAsTyped) {
    QTemporaryDir styles;  // outside the data directory, so the stored paths are the typed ones
    ASSERT_TRUE(styles.isValid());
    const QString dir = styles.path() + "/";
    for (const char* name : {"Gallery.html", "gallery.html", "Gallery.htm", "Image.html", "image.html", "Image.htm"}) {
        QFile page(dir + name);
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write("<html><body>***CONTENT***</body></html>");
    }

    struct Case {
        Combo combo;
        QString item;    // offered by the combo
        QString typed;   // differs from the item only in case, or begins it
        QString stored;  // what the site file holds afterwards
    };
    const Case cases[] = {
        {Combo::FirstPage, "Index.html", "index.html", "index.html"},
        {Combo::FirstPage, "Default.htm", "Default", "Default.html"},  // OK adds the extension
        {Combo::ThumbnailTemplate, dir + "Gallery.html", dir + "gallery.html", dir + "gallery.html"},
        {Combo::ThumbnailTemplate, dir + "Gallery.html", dir + "Gallery.htm", dir + "Gallery.htm"},
        {Combo::ImageTemplate, dir + "Image.html", dir + "image.html", dir + "image.html"},
        {Combo::ImageTemplate, dir + "Image.html", dir + "Image.htm", dir + "Image.htm"},
    };
    for (const Case& c : cases) {
        for (const Qt::Key leave : {Qt::Key_Tab, Qt::Key_Return}) {
            SCOPED_TRACE(c.typed.toStdString() + (leave == Qt::Key_Tab ? " Tab" : " Enter"));
            writeGardenSite(false);
            for (const char* recent : {"recent_styles.txt", "recent_image_styles.txt"})
                QFile::remove(data.file(recent));
            startWithGardenSite();
            QString shown;
            MessageScript script;
            // Leaves the combo, then presses OK (if any) unless Enter already did.
            const auto typeAndAccept = [&](QComboBox* combo, QPushButton* ok) {
                if (combo->findText(c.item, Qt::MatchExactly) < 0) combo->addItem(c.item);
                typeAndLeave(combo, c.typed, leave);
                shown = combo->currentText();
                if (ok && leave == Qt::Key_Tab) QTest::mouseClick(ok, Qt::LeftButton);
            };
            QString key = "Style_File";
            if (c.combo == Combo::FirstPage) {
                script.onDialog([&](QDialog& d) {
                    auto& options = dynamic_cast<TdlgSIteOptions&>(d);
                    typeAndAccept(options.edtBaseHTMLName, options.BitBtn1);
                    return d.result();
                });
                main->btnsiteoptionsClick();
                key = "BaseHTMLName";
            } else {
                inEditor(script, [&](TdlgEditSite& editor) {
                    if (c.combo == Combo::ThumbnailTemplate) {
                        // Enter presses Build!, which finds the template and no images.
                        if (leave == Qt::Key_Return) script.answer(MessageResult::No);
                        typeAndAccept(editor.cmbstyle, nullptr);
                        return;
                    }
                    script.onDialog([&](QDialog& d) {
                        auto& settings = dynamic_cast<TdlgThumbOptions&>(d);
                        settings.rdbHTMLImageWindow->setChecked(true);
                        typeAndAccept(settings.cmbimagestyle, settings.btnOK);
                        return d.result();
                    });
                    QTest::mouseClick(editor.btnThumbnailOptions, Qt::LeftButton);
                    EXPECT_EQ(dlgThumbOptions->result(), platform::mrOk);
                });
                if (c.combo == Combo::ImageTemplate) key = "Image_Style_File";
            }
            // Enter on the first page has pressed OK as well, which shows the name it stored.
            EXPECT_EQ(shown, c.combo == Combo::FirstPage && leave == Qt::Key_Return ? c.stored : c.typed);
            const platform::IniFile site(data.file("Site_1.ini"));
            EXPECT_EQ(site.readString(c.combo == Combo::FirstPage ? "General" : "Rotation_1", key, ""), c.stored);
            stopProgram();
        }
    }
}
