#pragma once
// "Create HTML": a plain-text editor for one header or footer snippet, with a toolbar (open, print,
// undo, clipboard, word wrap), a menu of ready-made HTML pieces and a preview in the browser.
#include "platform/modal_dialog.h"

#include <QStringList>

class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

class TfrmRichEdit : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TfrmRichEdit(QWidget* parent = nullptr);

    QPlainTextEdit* Editor;
    QToolButton* OpenButton;
    QToolButton* PrintButton;
    QToolButton* UndoButton;
    QToolButton* CutButton;
    QToolButton* CopyButton;
    QToolButton* PasteButton;
    QToolButton* btnwrap;
    QToolButton* btninsert;
    QToolButton* btnPreview;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QMenu* puInsert;

    // The snippet, one editor line per element; an empty editor has no lines.
    QStringList lines() const;
    void setLines(const QStringList& lines);

    void FileOpen();
    void FilePrint();
    void EditUndo();
    void EditCut();
    void EditCopy();
    void EditPaste();
    void btnwrapClick();
    void btninsertMouseUp();
    // Inserts the text at the caret (the start of any selection, which is not replaced) and puts
    // the caret just after it.
    void InsertTextClick(const QString& text);
    void btnPreviewClick();

    void SelectionChange();
    void RichEditChange();
    void updatePaste();

    // The rows of the snippet menu, in order, as they are inserted.
    static QStringList snippetRows();

protected:
    void FormShow() override;
};
