// The HTML text editor used for header and footer snippets: snippet insertion, the toolbar's
// states, open with read-only, print to a PDF file and the browser preview.
#include "platform/shell_open.h"
#include "site_manager/builder/html_editor.h"
#include "site_manager/site_paths.h"
#include "tests/common/message_responder.h"
#include "tests/common/temp_data_dir.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using testing_support::MessageScript;
using testing_support::TempDataDir;

namespace {

class HtmlEditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedDataDirectory = DataDirectory;
        DataDirectory = data.path();
    }
    void TearDown() override {
        DataDirectory = savedDataDirectory;
        platform::setDocumentOpenerForTesting({});
    }

    void putCaret(int position) {
        QTextCursor caret = editor.Editor->textCursor();
        caret.setPosition(position);
        editor.Editor->setTextCursor(caret);
    }

    TempDataDir data;
    QString savedDataDirectory;
    TfrmRichEdit editor;
};

}  // namespace

TEST_F(HtmlEditorTest, SnippetRowsInsertTheirTextAtTheCaretWithoutReplacingTheSelection) {
    const QList<QAction*> rows = editor.puInsert->actions();
    ASSERT_EQ(rows.size(), 17);
    EXPECT_EQ(rows[0]->text(), "&&nbsp;");
    EXPECT_EQ(rows[13]->text(), "<IMG SRC=\"image.gif\" border=\"0\" width=\"468\" height=\"60\">");

    editor.Editor->setPlainText("ab");
    putCaret(1);
    rows[0]->trigger();
    EXPECT_EQ(editor.Editor->toPlainText(), "a&nbsp;b");
    EXPECT_EQ(editor.Editor->textCursor().position(), 7);

    // A selection stays in the text; the row goes in at its start.
    QTextCursor selection = editor.Editor->textCursor();
    selection.setPosition(0);
    selection.setPosition(1, QTextCursor::KeepAnchor);
    editor.Editor->setTextCursor(selection);
    EXPECT_TRUE(editor.CutButton->isEnabled());
    rows[1]->trigger();
    EXPECT_EQ(editor.Editor->toPlainText(), "<!-- COMMENT --> a&nbsp;b");
    EXPECT_EQ(editor.Editor->textCursor().position(), 17);
    EXPECT_FALSE(editor.CopyButton->isEnabled());

    // An empty editor simply gets the row.
    editor.Editor->clear();
    rows[5]->trigger();
    EXPECT_EQ(editor.lines(), QStringList{"<BR>"});
}

// Preview and Paste follow the text and the clipboard; Preview writes the snippet in a body and
// opens it, and an opener that fails is reported.
TEST_F(HtmlEditorTest, PreviewAndPasteFollowTheTextAndTheClipboard) {
    EXPECT_FALSE(editor.btnPreview->isEnabled());
    QTest::keyClick(editor.Editor, Qt::Key_X);
    EXPECT_TRUE(editor.btnPreview->isEnabled());
    EXPECT_TRUE(editor.UndoButton->isEnabled());
    QTest::mouseClick(editor.UndoButton, Qt::LeftButton);
    EXPECT_FALSE(editor.btnPreview->isEnabled());

    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(editor.PasteButton->isEnabled());
    QGuiApplication::clipboard()->setText("<B>copied elsewhere</B>");
    EXPECT_TRUE(editor.PasteButton->isEnabled());
    QTest::mouseClick(editor.PasteButton, Qt::LeftButton);
    EXPECT_EQ(editor.Editor->toPlainText(), "<B>copied elsewhere</B>");

    QStringList opened;
    platform::setDocumentOpenerForTesting([&](const QString& target) {
        opened << target;
        return true;
    });
    data.write("~prev.htm", "an older preview that is much longer than the new one");
    editor.setLines({"<B>Caf\u00e9</B>", "<BR>"});
    QTest::mouseClick(editor.btnPreview, Qt::LeftButton);
    EXPECT_EQ(opened, QStringList{data.file("~prev.htm")});
    EXPECT_EQ(data.read("~prev.htm"), "<BODY>\r\n<B>Caf\xC3\xA9</B>\r\n<BR>\r\n</BODY>\r\n");

    platform::setDocumentOpenerForTesting([](const QString&) { return false; });
    MessageScript script;
    script.answer(platform::MessageResult::OK);
    QTest::mouseClick(editor.btnPreview, Qt::LeftButton);
    EXPECT_EQ(script.lastText(), "Error encountered previewing this HTML!");
}

TEST_F(HtmlEditorTest, OpenReplacesTheTextAndCanMakeItReadOnly) {
    const QString file = data.write("snippet.txt", "<P>one\r\ntwo\r\n");
    editor.Editor->setPlainText("old");
    MessageScript script;
    script.onDialog([&](QDialog& d) {
        auto& dialog = dynamic_cast<QFileDialog&>(d);
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        auto* readOnly = dialog.findChild<QCheckBox*>("readOnly");
        EXPECT_TRUE(readOnly && readOnly->isVisible());
        if (readOnly) readOnly->setChecked(true);
        dialog.selectFile(file);
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(editor.OpenButton, Qt::LeftButton);
    EXPECT_EQ(editor.lines(), (QStringList{"<P>one", "two"}));
    EXPECT_TRUE(editor.Editor->isReadOnly());
    EXPECT_FALSE(editor.Editor->document()->isModified());
}

TEST_F(HtmlEditorTest, PrintWritesTheTextThroughThePrinter) {
    const QString pdf = data.file("printed.pdf");
    editor.setLines({"<B>Printed header</B>"});
    MessageScript script;
    script.onDialog([&](QDialog& d) {
        QPrinter* printer = dynamic_cast<QPrintDialog&>(d).printer();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(editor.PrintButton, Qt::LeftButton);
    QFile printed(pdf);
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    EXPECT_TRUE(printed.read(4) == "%PDF");
}
