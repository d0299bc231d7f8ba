// The header and footer dialogs driven through their controls: the snippets the composer makes,
// the list editor's moves, edits and files, and a list written by the editor driving a build.
#include "site_manager/builder/build_dialog.h"
#include "site_manager/builder/header_footer_editor_composer.h"
#include "site_manager/builder/header_footer_editor_list.h"
#include "site_manager/builder/html_editor.h"
#include "site_manager/site_paths.h"
#include "tests/common/list_gestures.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>

using platform::MessageResult;
using testing_support::MessageScript;
using testing_support::TempDataDir;

namespace {

// Closes a dialog through one of its buttons and hands back its modal result.
int click(QDialog& dialog, QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    return dialog.result();
}

class ComposerTest : public ::testing::Test {
protected:
    // Shows the composer, lets the body fill it in, presses OK and returns the snippet.
    QString compose(const std::function<void(TdlgNewHeaderFooter&)>& fill) {
        MessageScript script;
        script.onDialog([&](QDialog&) {
            fill(composer);
            return click(composer, composer.BitBtn1);
        });
        EXPECT_EQ(composer.ShowModal(), platform::mrOk);
        return composer.edtRawHTML->text();
    }

    TdlgNewHeaderFooter composer;
};

class ListEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedDataDirectory = DataDirectory;
        DataDirectory = data.path();
        tsiterecord = SiteRecord{};
        tsiterecord.key = "Site_4";
        list.chkisheader->setChecked(true);
        composer.chkisheader->setChecked(true);
    }
    void TearDown() override { DataDirectory = savedDataDirectory; }

    // Runs the body in the shown list editor; the body closes it or it is cancelled.
    void inListEditor(MessageScript& script, const std::function<void()>& body) {
        script.onDialog([&](QDialog&) {
            body();
            if (list.result() == platform::mrNone) return click(list, list.BitBtn1);
            return list.result();
        });
        list.ShowModal();
    }

    // The next composer shown takes this raw HTML and OK.
    void composeNext(MessageScript& script, const QString& html) {
        script.onDialog([this, html](QDialog&) {
            composer.rdbRawHTML->setChecked(true);
            composer.edtRawHTML->setText(html);
            return click(composer, composer.BitBtn1);
        });
    }

    void focus(int row) { list.lbxheaders->setCurrentRow(row); }

    TempDataDir data;
    QString savedDataDirectory;
    TdlgNewHeaderFooter composer;
    TdlgHeaderFooter list{composer};
};

}  // namespace

TEST_F(ComposerTest, SnippetsAreBuiltFromTheChosenKindOfLink) {
    struct Case {
        char kind;  // 't'ext link, 'i'mage link, 'r'aw HTML
        QString text, link, image, alt;
        int border;
        QString snippet;
    };
    const Case cases[] = {
        {'t', "Home", "", "", "", 0, "Home"},
        {'t', "Home", "http://", "", "", 0, "<A HREF=\"http://\">Home</A>"},
        {'i', "", "", "banner.gif", "Our sponsor", 1, "<img SRC=\"banner.gif\" ALT=\"Our sponsor\" BORDER=1>"},
        {'i', "", " http://example.org/ ", " logo.jpg ", "", 0,
         "<A HREF=\"http://example.org/\"><img SRC=\"logo.jpg\" BORDER=0></A>"},
        // A line break never reaches a list line or a site file.
        {'r', "<B>one</B>\r\ntwo\nthree\rfour", "", "", "", 0, "<B>one</B>|two|three|four"},
    };
    for (const Case& c : cases) {
        const QString snippet = compose([&](TdlgNewHeaderFooter& f) {
            if (c.kind == 'r') {
                f.rdbRawHTML->setChecked(true);
                f.edtRawHTML->setText(c.text);
            } else if (c.kind == 't') {
                f.rdbtextlink->setChecked(true);
                f.edttext->setText(c.text);
                f.edttextlink->setText(c.link);
            } else {
                f.rdbimagelink->setChecked(true);
                f.edtimageurl->setText(c.image);
                f.edtimagelink->setText(c.link);
                f.edtalttext->setText(c.alt);
                f.spnborderwidth->setValue(c.border);
            }
        });
        EXPECT_EQ(snippet, c.snippet);
    }
}

TEST_F(ComposerTest, MissingInputKeepsTheDialogOpenWithItsMessage) {
    MessageScript script;
    script.onDialog([&](QDialog&) {
        composer.edtRawHTML->clear();
        for (QRadioButton* kind : {composer.rdbRawHTML, composer.rdbimagelink, composer.rdbtextlink}) {
            kind->setChecked(true);
            EXPECT_EQ(composer.edttext->isEnabled(), kind == composer.rdbtextlink);
            script.answer(MessageResult::OK);
            EXPECT_EQ(click(composer, composer.BitBtn1), platform::mrNone);
        }
        return click(composer, composer.BitBtn2);
    });
    EXPECT_EQ(composer.ShowModal(), platform::mrCancel);
    EXPECT_EQ(script.texts(), (QStringList{"You have not entered the HTML you would like to be inserted!",
                                           "You have not entered the location of the image you would like to be inserted!",
                                           "You have not entered the text that you would like to be inserted!"}));
    EXPECT_EQ(composer.windowTitle(), "Edit Footer");
}

TEST_F(ComposerTest, EditOpensTheHtmlEditorOneLinePerBarSeparatedPiece) {
    MessageScript script;
    composer.edtRawHTML->setText("<B>a</B>|<BR>");
    script.onDialog([](QDialog& d) {
        auto& editor = dynamic_cast<TfrmRichEdit&>(d);
        EXPECT_EQ(editor.windowTitle(), "Create HTML");
        EXPECT_EQ(editor.lines(), (QStringList{"<B>a</B>", "<BR>"}));
        return click(editor, editor.btnCancel);
    });
    QTest::mouseClick(composer.btnEditHTML, Qt::LeftButton);
    EXPECT_EQ(composer.edtRawHTML->text(), "<B>a</B>|<BR>|");  // the field keeps the added bar

    script.onDialog([](QDialog& d) {
        auto& editor = dynamic_cast<TfrmRichEdit&>(d);
        editor.setLines({"<I>x</I>", "", "<P>"});
        return click(editor, editor.btnOK);
    });
    QTest::mouseClick(composer.btnEditHTML, Qt::LeftButton);
    EXPECT_EQ(composer.edtRawHTML->text(), "<I>x</I>||<P>");

    // An editor left without lines changes nothing.
    script.onDialog([](QDialog& d) {
        auto& editor = dynamic_cast<TfrmRichEdit&>(d);
        editor.Editor->clear();
        return click(editor, editor.btnOK);
    });
    script.answer(MessageResult::OK);
    QTest::mouseClick(composer.btnEditHTML, Qt::LeftButton);
    EXPECT_EQ(script.lastText(), "Error creating your HTML!");
    EXPECT_EQ(composer.edtRawHTML->text(), "<I>x</I>||<P>|");
}

TEST_F(ComposerTest, TheTypingLimitNeverCutsTextSetByCode) {
    const QString longText(40000, 'x');
    composer.edtRawHTML->setText(longText);
    EXPECT_EQ(composer.edtRawHTML->text(), longText);
    composer.edtRawHTML->setCursorPosition(10);
    QTest::keyClick(composer.edtRawHTML, Qt::Key_Y);  // would lengthen it: refused
    EXPECT_EQ(composer.edtRawHTML->text(), longText);
    QTest::keyClick(composer.edtRawHTML, Qt::Key_Backspace);  // shortening is fine
    EXPECT_EQ(composer.edtRawHTML->text().size(), 39999);

    composer.edtRawHTML->setText(QString(TdlgNewHeaderFooter::typingLimit - 1, 'a'));
    composer.edtRawHTML->end(false);
    QTest::keyClicks(composer.edtRawHTML, "bc");
    EXPECT_EQ(composer.edtRawHTML->text(), QString(TdlgNewHeaderFooter::typingLimit - 1, 'a') + "b");
}

TEST_F(ListEditorTest, EntriesAreAddedBeforeTheFocusedOneAndMoveRound) {
    MessageScript script;
    inListEditor(script, [&] {
        EXPECT_EQ(list.windowTitle(), "Edit Header List");
        EXPECT_EQ(list.grplist->title(), "Header List");
        EXPECT_EQ(list.edtheaderfile->text(), data.path() + "Site_4_Headers.txt");
        EXPECT_FALSE(list.btnclearall->isEnabled());
        for (const char* entry : {"one", "two", "three"}) {
            composeNext(script, entry);
            QTest::mouseClick(list.btnadd, Qt::LeftButton);  // nothing or the last focused: appended
            focus(list.lbxheaders->count() - 1);
        }
        EXPECT_EQ(list.entries(), (QStringList{"one", "two", "three"}));

        focus(0);
        composeNext(script, "zero");
        QTest::mouseClick(list.btnadd, Qt::LeftButton);
        EXPECT_EQ(list.entries(), (QStringList{"zero", "one", "two", "three"}));

        focus(0);
        QTest::mouseClick(list.bkmkup, Qt::LeftButton);
        EXPECT_EQ(list.entries(), (QStringList{"one", "two", "three", "zero"}));
        EXPECT_EQ(list.lbxheaders->currentRow(), 3);
        QTest::mouseClick(list.bkmkdown, Qt::LeftButton);
        EXPECT_EQ(list.entries(), (QStringList{"zero", "one", "two", "three"}));
        EXPECT_EQ(list.lbxheaders->currentRow(), 0);

        focus(2);
        QTest::mouseClick(list.btnremove, Qt::LeftButton);
        EXPECT_EQ(list.entries(), (QStringList{"zero", "one", "three"}));

        script.answer(MessageResult::No);
        QTest::mouseClick(list.btnclearall, Qt::LeftButton);
        EXPECT_EQ(list.entries().size(), 3);
        script.answer(MessageResult::Yes);
        QTest::mouseClick(list.btnclearall, Qt::LeftButton);
        EXPECT_EQ(script.lastText(), "Are you sure you want to clear all your entries?");
        EXPECT_TRUE(list.entries().isEmpty());
        EXPECT_FALSE(list.btnremove->isEnabled());

        // OK on an empty list writes nothing and stays open.
        script.answer(MessageResult::OK);
        EXPECT_EQ(click(list, list.BitBtn3), platform::mrNone);
        EXPECT_EQ(script.lastText(), "You have not created Header List!");
    });
    EXPECT_FALSE(QFile::exists(data.path() + "Site_4_Headers.txt"));
}

TEST_F(ListEditorTest, LongEntriesSurviveModifyAndTheFileWhole) {
    const QString twoThousand = QString(1998, 'a') + "|b";
    const QString fortyThousand = "<p>" + QString(39993, 'c') + "</p>";
    const QString file = data.write("long.txt", (twoThousand + "\r\n" + fortyThousand + "\r\nshort\r\n").toUtf8());
    list.edtheaderfile->setText(file);
    MessageScript script;
    inListEditor(script, [&] {
        ASSERT_EQ(list.entries(), (QStringList{twoThousand, fortyThousand, "short"}));
        for (int row : {0, 1}) {
            focus(row);
            script.onDialog([&](QDialog&) {
                EXPECT_TRUE(composer.rdbRawHTML->isChecked());
                return click(composer, composer.BitBtn1);
            });
            QTest::mouseClick(list.btnmodify, Qt::LeftButton);
        }
        // A modified entry holding line breaks stays one entry.
        focus(2);
        composeNext(script, "line one\r\nline two");
        QTest::mouseClick(list.btnmodify, Qt::LeftButton);
        click(list, list.BitBtn3);
    });
    EXPECT_EQ(list.result(), platform::mrOk);
    EXPECT_EQ(data.read("long.txt"), (twoThousand + "\r\n" + fortyThousand + "\r\nline one|line two\r\n").toUtf8());
}

TEST_F(ListEditorTest, CancellingLoadOrSaveAsChangesNothing) {
    const QString other = data.write("other.txt", "<p>other</p>\r\n");
    const QString mine = data.write("Site_4_Headers.txt", "<p>mine</p>\r\n");
    MessageScript script;
    inListEditor(script, [&] {
        EXPECT_EQ(list.entries(), QStringList{"<p>mine</p>"});  // the default list is loaded at once
        composeNext(script, "<p>unsaved</p>");
        QTest::mouseClick(list.btnadd, Qt::LeftButton);

        script.onDialog([](QDialog&) { return int(QDialog::Rejected); });
        QTest::mouseClick(list.btnloadfromfile, Qt::LeftButton);
        EXPECT_EQ(list.entries(), (QStringList{"<p>mine</p>", "<p>unsaved</p>"}));

        script.onDialog([](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Please choose a file name");
            return int(QDialog::Rejected);
        });
        QTest::mouseClick(list.btnsavetofile, Qt::LeftButton);
        EXPECT_EQ(data.read("Site_4_Headers.txt"), "<p>mine</p>\r\n");

        // Loading another file replaces the list; a file that cannot be read is reported.
        script.onDialog([&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Please select a text file");
            dynamic_cast<QFileDialog&>(d).selectFile(other);
            return int(QDialog::Accepted);
        });
        QTest::mouseClick(list.btnloadfromfile, Qt::LeftButton);
        EXPECT_EQ(list.entries(), QStringList{"<p>other</p>"});
        // The file goes away between choosing and reading it.
        script.onDialog([&](QDialog& d) {
            dynamic_cast<QFileDialog&>(d).selectFile(other);
            QFile::remove(other);
            return int(QDialog::Accepted);
        });
        script.answer(MessageResult::OK);
        QTest::mouseClick(list.btnloadfromfile, Qt::LeftButton);
        EXPECT_EQ(script.lastText(), "Error encountered loading your Header List list file, " + other + "!");
        EXPECT_EQ(list.entries(), QStringList{"<p>other</p>"});
    });
    EXPECT_EQ(data.read("Site_4_Headers.txt"), "<p>mine</p>\r\n");
}

TEST_F(ListEditorTest, TheButtonsActOnlyOnTheHighlightedEntry) {
    const struct {
        const char* name;
        const char* gestures;     // on one two three; see testing_support::gesture()
        char button;              // U Up, D Down, M Modify (to "four"), R Remove, A Add ("four")
        const char* saved;        // the entries afterwards
        const char* highlighted;  // afterwards
    } rows[] = {
        {"a Ctrl+click takes the highlight away: Up moves nothing", "1 ^1", 'U', "one two three", ""},
        {"a click on empty space takes the highlight away: Down moves nothing", "0 _", 'D', "one two three", ""},
        {"the focus frame alone highlights nothing: Modify opens nothing", "f", 'M', "one two three", ""},
        {"Add with the highlight taken from the first entry appends", "0 ^0", 'A', "one two three four", ""},
        {"Up moves the clicked entry and keeps it highlighted", "2", 'U', "one three two", "three"},
        {"Modify replaces the entry the arrow key highlighted", "0 v", 'M', "one four three", "four"},
        {"Remove deletes the highlighted entry", "1", 'R', "one three", "three"},
    };
    const auto words = [](const char* text) { return QString(text).split(' ', Qt::SkipEmptyParts); };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        data.write("Site_4_Headers.txt", "one\r\ntwo\r\nthree\r\n");
        TdlgHeaderFooter editor(composer);
        editor.chkisheader->setChecked(true);
        const QList<QPushButton*> buttons{editor.bkmkup, editor.bkmkdown, editor.btnmodify, editor.btnremove};
        const bool composes = row.button == 'A' || (row.button == 'M' && *row.highlighted);
        MessageScript script;
        script.onDialog([&](QDialog&) {
            editor.show();
            testing_support::gesture(editor.lbxheaders, row.gestures);
            if (composes) composeNext(script, "four");
            QTest::mouseClick((buttons + QList{editor.btnadd})[QString("UDMRA").indexOf(row.button)], Qt::LeftButton);
            EXPECT_EQ(testing_support::highlightedTexts(editor.lbxheaders), words(row.highlighted));
            for (QPushButton* button : buttons) EXPECT_EQ(button->isEnabled(), *row.highlighted != 0);
            return click(editor, editor.BitBtn3);
        });
        EXPECT_EQ(editor.ShowModal(), platform::mrOk);
        EXPECT_EQ(script.dialogsShown(), composes ? 2 : 1);
        EXPECT_EQ(data.read("Site_4_Headers.txt"), (words(row.saved).join("\r\n") + "\r\n").toUtf8());
    }
}

namespace {

class HeaderListBuildTest : public MainWindowTest {
protected:
    void TearDown() override {
        MainWindowTest::TearDown();
        CurrentRotationStatus = 0;  // the build leaves "built" behind for later tests in this process
    }
};

QString readPage(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

TEST_F(HeaderListBuildTest, AListWrittenByTheEditorAlternatesTheHeadersPageByPage) {
    writeGardenSite(true);
    const QString styles = qEnvironmentVariable("LUMENFOLD_SOURCE_DIR") + "/data/Styles/";
    for (const QString name : {"Sample_With_Index.htm", "gallery.css"}) data.write("Styles/" + name, readPage(styles + name).toUtf8());
    startWithGardenSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
        editor.cmbHeader->setCurrentIndex(2);
        script.onDialog([&](QDialog& d) {
            auto& list = dynamic_cast<TdlgHeaderFooter&>(d);
            for (const char* banner : {"Banner A", "Banner B"}) {
                script.onDialog([banner](QDialog& c) {
                    auto& composer = dynamic_cast<TdlgNewHeaderFooter&>(c);
                    composer.rdbtextlink->setChecked(true);
                    composer.edttext->setText(banner);
                    composer.edttextlink->clear();
                    return click(composer, composer.BitBtn1);
                });
                QTest::mouseClick(list.btnadd, Qt::LeftButton);
            }
            return click(list, list.BitBtn3);
        });
        QTest::mouseClick(editor.btneditheader, Qt::LeftButton);
        EXPECT_EQ(editor.edtheaderfile->text(), data.path() + "Site_1_Headers.txt");

        script.answer(MessageResult::Yes);  // a site without thumbnails
        script.onDialog([](QDialog& d) {
            dynamic_cast<QInputDialog&>(d).setTextValue("3");
            return int(QDialog::Accepted);
        });
        buildInEditor(script, editor);
    });
    EXPECT_EQ(data.read("Site_1_Headers.txt"), "Banner A\r\nBanner B\r\n");
    const QString rotation = siteDir + "Rotation_1/";
    EXPECT_TRUE(readPage(rotation + "Index.html").contains("<div class=\"banner\">Banner A</div>"));
    EXPECT_TRUE(readPage(rotation + "Index2.html").contains("<div class=\"banner\">Banner B</div>"));
    EXPECT_TRUE(readPage(rotation + "Index3.html").contains("<div class=\"banner\">Banner A</div>"));
}
