// Mailing the rotation log: the options dialog's SMTP client, its events, and the test message.
#include "platform/dialogs.h"
#include "platform/hourglass.h"
#include "platform/smtp_client.h"
#include "rotation_tool/rotation_log_dialog.h"
#include "rotation_tool/rotation_options_dialog.h"
#include "rotation_tool/run_mode.h"

#include <QLabel>
#include <QLineEdit>
#include <exception>

namespace rotation_tool {

void TdlgRotOpt::createMailClient() {
    NMSMTP1 = new platform::SmtpClient(this);
    NMSMTP1->Port = 25;
    connect(NMSMTP1, &platform::SmtpClient::connected, this, [this] { NMSMTP1Connect(); });
    connect(NMSMTP1, &platform::SmtpClient::disconnected, this, [this] { NMSMTP1Disconnect(); });
    connect(NMSMTP1, &platform::SmtpClient::status, this, [this](const QString& text) { NMSMTP1Status(text); });
    connect(NMSMTP1, &platform::SmtpClient::hostResolved, this, [this] { NMSMTP1HostResolved(); });
    connect(NMSMTP1, &platform::SmtpClient::packetSent, this,
            [this](qint64 sent, qint64 total) { NMSMTP1PacketSent(sent, total); });
    connect(NMSMTP1, &platform::SmtpClient::sendStart, this, [this] { NMSMTP1SendStart(); });
    connect(NMSMTP1, &platform::SmtpClient::success, this, [this] { NMSMTP1Success(); });
    connect(NMSMTP1, &platform::SmtpClient::connectionRequired, this, [this] { NMSMTP1ConnectionRequired(); });
    connect(NMSMTP1, &platform::SmtpClient::connectionFailed, this, [this] { NMSMTP1ConnectionFailed(); });
    connect(NMSMTP1, &platform::SmtpClient::failure, this, [this] { NMSMTP1Failure(); });
    connect(NMSMTP1, &platform::SmtpClient::invalidHost, this, [this] { NMSMTP1InvalidHost(); });
    connect(NMSMTP1, &platform::SmtpClient::headerIncomplete, this, [this] { NMSMTP1HeaderIncomplete(); });
}

void TdlgRotOpt::abortMail() { NMSMTP1->Abort(); }

void TdlgRotOpt::reportMailFailure(const QString& logText, const QString& boxText) {
    if (UnattendedRun)
        dlgLog->Addwarning(logText, true);
    else
        platform::showWarning(boxText);
}

bool TdlgRotOpt::sendmail() {
    platform::Hourglass hourglass;
    mailError_.clear();
    bool sent = emailconnect();
    if (sent) sent = emailsend();
    // A port error still leaves a connection open; it is closed whatever happened.
    if (NMSMTP1->Connected()) {
        try {
            NMSMTP1->Disconnect();
        } catch (const std::exception&) {
            NMSMTP1->Abort();
        }
    }
    if (!sent) {
        // The fixed texts don't say why; the server's answer or the connection's error does. A
        // reply of several lines stays one line of the log.
        const QString why = mailError_.simplified();
        if (UnattendedRun && !why.isEmpty()) dlgLog->Addwarning(why, true);
        reportMailFailure("E-mail posting of Log failed!",
                          why.isEmpty() ? "E-mail send failure!" : "E-mail send failure!\n\n" + mailError_);
    }
    return sent;
}

bool TdlgRotOpt::emailconnect() {
    NMSMTP1->Host = edthost->text();
    bool portIsNumber = false;
    const int port = edtport->text().trimmed().toInt(&portIsNumber);
    if (portIsNumber)
        NMSMTP1->Port = port;
    else
        reportMailFailure("E-mail posting of Log encountered a Port Error!", "Port Error!");
    NMSMTP1->UserID = edtuserid->text();
    try {
        NMSMTP1->Connect();
    } catch (const std::exception& e) {
        mailError_ = QString::fromUtf8(e.what());
        return false;
    }
    return portIsNumber;
}

bool TdlgRotOpt::emailsend() {
    const QString when = logDateTime();
    // Each mailing starts from an empty message, so a failed attempt never doubles the recipient.
    NMSMTP1->ClearParams();
    NMSMTP1->PostMessage.FromAddress = edtemailfrom->text();
    NMSMTP1->PostMessage.FromName = "Spindleway";
    NMSMTP1->PostMessage.Subject = "Spindleway Rotation Log for " + when;
    NMSMTP1->PostMessage.ToAddress << edtemailto->text();
    if (dlgLog->lines().isEmpty()) dlgLog->addPlainLine("No Entries!");
    NMSMTP1->PostMessage.Body = dlgLog->lines();
    try {
        NMSMTP1->SendMail();
    } catch (const std::exception& e) {
        mailError_ = QString::fromUtf8(e.what());
        return false;
    }
    NMSMTP1->ClearParams();
    return true;
}

void TdlgRotOpt::btnsendtestmessageClick() {
    if (edthost->text().isEmpty() || edtport->text().isEmpty() || edtemailto->text().isEmpty() ||
        edtemailfrom->text().isEmpty()) {
        platform::showWarning("You have not entered values for all required e-mail fields (only User ID is optional)");
        return;
    }
    edtTestmessage->setText("Testing..");
    lblTestmessage->show();
    edtTestmessage->show();
    struct HideStatus {
        TdlgRotOpt* dialog;
        ~HideStatus() {
            dialog->lblTestmessage->hide();
            dialog->edtTestmessage->hide();
        }
    } hideStatus{this};
    dlgLog->clearLog();
    dlgLog->Addwarning("Test message to " + edtemailto->text(), true);
    sendmail();
}

void TdlgRotOpt::NMSMTP1Connect() { edtTestmessage->setText("Connected.."); }
void TdlgRotOpt::NMSMTP1Disconnect() { edtTestmessage->setText("Disconnected"); }
void TdlgRotOpt::NMSMTP1Status(const QString& text) { edtTestmessage->setText(text); }
void TdlgRotOpt::NMSMTP1HostResolved() { edtTestmessage->setText("Host Resolved.."); }
void TdlgRotOpt::NMSMTP1PacketSent(qint64 bytesSent, qint64 bytesTotal) {
    edtTestmessage->setText(QString::number(bytesSent) + " bytes of " + QString::number(bytesTotal) + " sent");
}
void TdlgRotOpt::NMSMTP1SendStart() { edtTestmessage->setText("Sending message.."); }
void TdlgRotOpt::NMSMTP1Success() { edtTestmessage->setText("Success!"); }

void TdlgRotOpt::NMSMTP1ConnectionRequired() {
    try {
        NMSMTP1->Connect();
    } catch (const std::exception&) {
        // The client reports the failed connection itself and refuses to send.
    }
}

void TdlgRotOpt::NMSMTP1ConnectionFailed() {
    reportMailFailure("E-mail posting of Log encountered a Connection Failure!", "Connection Failed!");
}
void TdlgRotOpt::NMSMTP1Failure() { reportMailFailure("E-mail posting of Log encountered a Failure!", "Send Failure!"); }
void TdlgRotOpt::NMSMTP1InvalidHost() {
    reportMailFailure("E-mail posting of Log encountered an error; Invalid Host!", "Invalid Host!");
}
void TdlgRotOpt::NMSMTP1HeaderIncomplete() {
    reportMailFailure("E-mail posting of Log encountered the error, Header Incomplete!", "Header Incomplete!");
}

}  // namespace rotation_tool
