#include "platform/dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace platform {

namespace {

MessageResponder& messageResponder() {
    static MessageResponder responder;
    return responder;
}

DialogResponder& dialogResponder() {
    static DialogResponder responder;
    return responder;
}

MessageResult showRealBox(const MessageRequest& request) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(request.caption.isEmpty() ? QApplication::applicationName() : request.caption);
    // Messages are plain text: a file name quoted in one is shown as spelt, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(request.text);
    switch (request.kind) {
        case MessageKind::Information: box.setIcon(QMessageBox::Information); break;
        case MessageKind::Warning: box.setIcon(QMessageBox::Warning); break;
        case MessageKind::Error: box.setIcon(QMessageBox::Critical); break;
        case MessageKind::Confirmation: box.setIcon(QMessageBox::Question); break;
        case MessageKind::Plain: break;
    }
    switch (request.buttons) {
        case MessageButtons::OK: box.setStandardButtons(QMessageBox::Ok); break;
        case MessageButtons::OKCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case MessageButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes: return MessageResult::Yes;
        case QMessageBox::No: return MessageResult::No;
        case QMessageBox::Cancel: return MessageResult::Cancel;
        case QMessageBox::Ok: return MessageResult::OK;
        default:
            // Closing the box with its close button answers Cancel, or No where there is no Cancel.
            return request.buttons == MessageButtons::YesNo ? MessageResult::No
                   : request.buttons == MessageButtons::OK  ? MessageResult::OK
                                                            : MessageResult::Cancel;
    }
}

}  // namespace

MessageResult messageBox(const QString& text, MessageKind kind, MessageButtons buttons, const QString& caption) {
    const MessageRequest request{text, caption, kind, buttons};
    if (messageResponder()) return messageResponder()(request);
    return showRealBox(request);
}

void showInformation(const QString& text) { messageBox(text, MessageKind::Information, MessageButtons::OK); }

void showWarning(const QString& text) { messageBox(text, MessageKind::Warning, MessageButtons::OK); }

bool confirmYesNo(const QString& text) {
    return messageBox(text, MessageKind::Confirmation, MessageButtons::YesNo) == MessageResult::Yes;
}

MessageResult askYesNoCancel(const QString& text) {
    return messageBox(text, MessageKind::Confirmation, MessageButtons::YesNoCancel);
}

bool askOkCancel(const QString& text, MessageKind kind) {
    return messageBox(text, kind, MessageButtons::OKCancel) == MessageResult::OK;
}

int showModal(QDialog& dialog) {
    if (!dialogResponder()) return dialog.exec();
    // Showing the dialog runs its show handlers just as a real modal run would; the responder
    // then fills it in and presses its buttons.
    dialog.setResult(mrNone);
    dialog.show();
    const int result = dialogResponder()(dialog);
    dialog.hide();
    return result;
}

QString openFileName(QWidget* parent, const QString& title, const QString& filter, const QString& directory) {
    QFileDialog dialog(parent, title, directory, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
}

void setMessageResponder(MessageResponder responder) { messageResponder() = std::move(responder); }

void setDialogResponder(DialogResponder responder) { dialogResponder() = std::move(responder); }

}  // namespace platform
