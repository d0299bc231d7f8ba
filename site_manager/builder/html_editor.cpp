#include "site_manager/builder/html_editor.h"

#include "site_manager/builder/header_footer.h"
#include "site_manager/builder/template_filling.h"
#include "site_manager/file_helpers.h"
#include "site_manager/site_paths.h"
#include "platform/file_ops.h"
#include "platform/shell_open.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The editor text keeps 6 pixels free on the left and on the right.
class SnippetTextEdit : public QPlainTextEdit {
public:
    SnippetTextEdit() { setViewportMargins(6, 0, 6, 0); }
};

QToolButton* toolButton(const QString& text, const QString& hint) {
    auto* button = new QToolButton;
    button->setText(text);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    return button;
}

}  // namespace

QStringList TfrmRichEdit::snippetRows() {
    return {"&nbsp;",
            "<!-- COMMENT --> ",
            "<A NAME=\"PAGE TOP\"></A>",
            "<B>",
            "</B>",
            "<BR>",
            "<FONT COLOR=\"#FF0000\">",
            "<FONT FACE=\"Arial,Helvetica\">",
            "<FONT SIZE=+1>",
            "</FONT>",
            "<HR WIDTH=\"100%\">",
            "<I>",
            "</I>",
            "<IMG SRC=\"image.gif\" border=\"0\" width=\"468\" height=\"60\">",
            "<P>",
            "<SCRIPT LANGUAGE=\"Javascript\">",
            "</SCRIPT>"};
}

TfrmRichEdit::TfrmRichEdit(QWidget* parent) : platform::ModalDialog(parent) {
    setPlacement(platform::WindowPlacement::CentreOnScreen);
    setWindowTitle("Create HTML");
    resize(560, 380);
    Editor = new SnippetTextEdit;
    Editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Editor->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Editor->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    OpenButton = toolButton("Open", "Select a file from your system to copy the text from");
    PrintButton = toolButton("Print", "Print the current HTML");
    UndoButton = toolButton("Undo", "Undo the last action");
    CutButton = toolButton("Cut", "Cut the selected text to the clipboard");
    CopyButton = toolButton("Copy", "Copy the selected text to the clipboard");
    PasteButton = toolButton("Paste", "Paste the contents of the clipboard");
    btnwrap = toolButton("Wrap", "Wrap the text to the width of the window");
    btnwrap->setCheckable(true);
    btnwrap->setChecked(true);
    btninsert = toolButton("Insert", "Insert HTML code snippets");
    btnPreview = toolButton("Preview", "Preview the current HTML in your browser");
    btnOK = new QPushButton("OK");
    btnCancel = new QPushButton("Cancel");

    // The menu caption "&&nbsp;" shows the ampersand; the row inserts "&nbsp;".
    puInsert = new QMenu(this);
    for (const QString& row : snippetRows()) {
        QAction* action = puInsert->addAction(QString(row).replace('&', "&&"));
        connect(action, &QAction::triggered, this, [this, row] { InsertTextClick(row); });
    }

    auto* toolbar = new QHBoxLayout;
    for (QToolButton* button :
         {OpenButton, PrintButton, UndoButton, CutButton, CopyButton, PasteButton, btnwrap, btninsert, btnPreview})
        toolbar->addWidget(button);
    toolbar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(toolbar);
    layout->addWidget(Editor, 1);
    layout->addLayout(buttonRow({btnOK, btnCancel}));

    connect(OpenButton, &QToolButton::clicked, this, [this] { FileOpen(); });
    connect(PrintButton, &QToolButton::clicked, this, [this] { FilePrint(); });
    connect(UndoButton, &QToolButton::clicked, this, [this] { EditUndo(); });
    connect(CutButton, &QToolButton::clicked, this, [this] { EditCut(); });
    connect(CopyButton, &QToolButton::clicked, this, [this] { EditCopy(); });
    connect(PasteButton, &QToolButton::clicked, this, [this] { EditPaste(); });
    connect(btnwrap, &QToolButton::toggled, this, [this] { btnwrapClick(); });
    connect(btninsert, &QToolButton::released, this, [this] { btninsertMouseUp(); });
    connect(btnPreview, &QToolButton::clicked, this, [this] { btnPreviewClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { done(platform::mrOk); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { done(platform::mrCancel); });
    connect(Editor, &QPlainTextEdit::selectionChanged, this, [this] { SelectionChange(); });
    connect(Editor, &QPlainTextEdit::textChanged, this, [this] { RichEditChange(); });
    connect(Editor, &QPlainTextEdit::undoAvailable, this, [this] { RichEditChange(); });
    // Paste follows the clipboard while the editor exists.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { updatePaste(); });

    SelectionChange();
    RichEditChange();
    updatePaste();
}

QStringList TfrmRichEdit::lines() const {
    const QString text = Editor->toPlainText();
    if (text.isEmpty()) return {};
    return text.split('\n');
}

void TfrmRichEdit::setLines(const QStringList& lines) { Editor->setPlainText(lines.join('\n')); }

void TfrmRichEdit::FormShow() {
    const bool modified = Editor->document()->isModified();
    SelectionChange();
    RichEditChange();
    updatePaste();
    Editor->document()->setModified(modified);
    Editor->setFocus();
}

void TfrmRichEdit::SelectionChange() {
    CopyButton->setEnabled(Editor->textCursor().hasSelection());
    CutButton->setEnabled(CopyButton->isEnabled());
}

void TfrmRichEdit::RichEditChange() {
    UndoButton->setEnabled(Editor->document()->isUndoAvailable());
    btnPreview->setEnabled(!Editor->toPlainText().isEmpty());
}

void TfrmRichEdit::updatePaste() { PasteButton->setEnabled(Editor->canPaste()); }

void TfrmRichEdit::FileOpen() {
    // Qt's own dialog, so that it can carry the read-only choice.
    QFileDialog dialog(this, "Open", QString(), "Rich Text Files (*.RTF *.rtf);;Text Files (*.TXT *.txt)");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    auto* readOnly = new QCheckBox("Open as read-only", &dialog);
    readOnly->setObjectName("readOnly");
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) grid->addWidget(readOnly, grid->rowCount(), 0, 1, -1);
    if (platform::showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    QFile file(dialog.selectedFiles().first());
    if (!file.open(QIODevice::ReadOnly)) {
        platform::showWarning("Cannot open the file " + file.fileName());
        return;
    }
    QString text = decodeUserText(file.readAll());
    text.replace("\r\n", "\n").replace('\r', '\n');
    if (text.endsWith('\n')) text.chop(1);
    Editor->setPlainText(text);
    Editor->setFocus();
    Editor->document()->setModified(false);
    Editor->setReadOnly(readOnly->isChecked());
}

void TfrmRichEdit::FilePrint() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (platform::showModal(dialog) != QDialog::Accepted) return;
    printer.setDocName("Lumenfold Pro");
    Editor->print(&printer);
}

void TfrmRichEdit::EditUndo() { Editor->undo(); }
void TfrmRichEdit::EditCut() { Editor->cut(); }
void TfrmRichEdit::EditCopy() { Editor->copy(); }
void TfrmRichEdit::EditPaste() { Editor->paste(); }

void TfrmRichEdit::btnwrapClick() {
    Editor->setLineWrapMode(btnwrap->isChecked() ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TfrmRichEdit::btninsertMouseUp() { puInsert->popup(btninsert->mapToGlobal(btninsert->rect().center())); }

void TfrmRichEdit::InsertTextClick(const QString& text) {
    const int at = Editor->textCursor().selectionStart();
    QTextCursor insertion(Editor->document());
    insertion.setPosition(at);
    insertion.insertText(text);
    QTextCursor caret = Editor->textCursor();
    caret.setPosition(at + int(text.size()));
    Editor->setTextCursor(caret);
}

void TfrmRichEdit::btnPreviewClick() {
    const QString preview = DataDirectory + "~prev.htm";
    const QString failure = "Error encountered previewing this HTML!";
    try {
        if (platform::fileExists(preview) && !dodeletefile(preview, true)) throw PageBuildError(preview);
        // Written like a built page, so the browser reads the snippet the way it will appear.
        writePage(preview, "<BODY>\r\n" + Editor->toPlainText() + "\r\n</BODY>");
        // The opener may fail only after it started; that is reported the same way.
        platform::openDocumentReported(preview, failure);
    } catch (const PageBuildError&) {
        platform::showWarning(failure);
    }
}
