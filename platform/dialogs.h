#pragma once
// The one seam through which every message box and every modal dialog of both programs runs.
// Normally they are shown to the user; tests install responders that record and answer them.
#include <QString>
#include <functional>

class QDialog;
class QWidget;

namespace platform {

enum class MessageKind { Plain, Information, Warning, Error, Confirmation };
enum class MessageButtons { OK, OKCancel, YesNo, YesNoCancel };
enum class MessageResult { OK, Cancel, Yes, No };

struct MessageRequest {
    QString text;
    QString caption;
    MessageKind kind = MessageKind::Plain;
    MessageButtons buttons = MessageButtons::OK;
};

// Modal results of a dialog, as its buttons set them.
enum ModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };

MessageResult messageBox(const QString& text, MessageKind kind = MessageKind::Plain,
                         MessageButtons buttons = MessageButtons::OK, const QString& caption = QString());

// Shorthands for the patterns the programs use.
void showInformation(const QString& text);                        // refused input, OK
void showWarning(const QString& text);                            // failed operation, OK
bool confirmYesNo(const QString& text);                           // question; true on Yes
MessageResult askYesNoCancel(const QString& text);                 // existing destination in a batch
bool askOkCancel(const QString& text, MessageKind kind = MessageKind::Warning);  // true on OK

// Shows the dialog modally and returns its modal result (the value passed to QDialog::done).
int showModal(QDialog& dialog);

// Asks for an existing file through showModal; empty when the user cancels. The filter is in the
// form "Name (*.a *.b);;Other (*.c)".
QString openFileName(QWidget* parent, const QString& title, const QString& filter,
                     const QString& directory = QString());

using MessageResponder = std::function<MessageResult(const MessageRequest&)>;
using DialogResponder = std::function<int(QDialog&)>;

// Installs a responder in place of the real boxes and dialogs; an empty function restores them.
void setMessageResponder(MessageResponder responder);
void setDialogResponder(DialogResponder responder);

}  // namespace platform
