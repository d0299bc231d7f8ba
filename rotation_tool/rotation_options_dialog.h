#pragma once
// The rotation tool's options: logging, mailing the log, backups and the SMTP connection. The
// controls are the settings; the dialog owns the SMTP client that mails the log.
#include "platform/modal_dialog.h"

#include <QtGlobal>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace platform {
class IniFile;
class SmtpClient;
}

namespace rotation_tool {

class TdlgRotOpt : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TdlgRotOpt(QWidget* parent = nullptr);
    ~TdlgRotOpt() override;

    QTabWidget* PageControl1;
    QCheckBox* chklogging;
    QLabel* lblfilename;
    QLineEdit* edtfilename;
    QPushButton* BitBtn3;  // "..."
    QCheckBox* chkonlylogerrors;
    QCheckBox* chkEmailLog;
    QCheckBox* chkOnlyEmailErrors;
    QCheckBox* chkcreatebackup;
    QLineEdit* edthost;
    QLineEdit* edtport;
    QLineEdit* edtuserid;
    QLineEdit* edtemailto;
    QLineEdit* edtemailfrom;
    QPushButton* btnsendtestmessage;
    QLabel* lblTestmessage;
    QLineEdit* edtTestmessage;
    QPushButton* BitBtn1;  // Help
    QPushButton* btnClose;
    platform::SmtpClient* NMSMTP1;

    // [Options] of options.ini into and out of the controls.
    void readOptions(const platform::IniFile& ini);
    void writeOptions(platform::IniFile& ini) const;  // throws platform::IniWriteError

    // Mails the log; true when the mail went out. Failures are reported (log line when
    // unattended, warning box otherwise).
    bool sendmail();
    bool emailconnect();
    bool emailsend();

    void chkloggingClick();
    void chkEmailLogClick();
    void btnsendtestmessageClick();
    void BitBtn3Click();
    void BitBtn1Click();
    // False keeps the dialog open.
    bool FormCloseQuery();

    // SMTP client events.
    void NMSMTP1Connect();
    void NMSMTP1Disconnect();
    void NMSMTP1Status(const QString& text);
    void NMSMTP1HostResolved();
    void NMSMTP1PacketSent(qint64 bytesSent, qint64 bytesTotal);
    void NMSMTP1SendStart();
    void NMSMTP1Success();
    void NMSMTP1ConnectionRequired();
    void NMSMTP1ConnectionFailed();
    void NMSMTP1Failure();
    void NMSMTP1InvalidHost();
    void NMSMTP1HeaderIncomplete();

    // Closing runs FormCloseQuery first; a refusal keeps the dialog open.
    void done(int result) override;

private:
    // Creates the SMTP client with its design settings and connects its events.
    void createMailClient();
    // Tells the SMTP client to drop whatever it is doing.
    void abortMail();
    // A mail failure: an error line in the log when unattended, else a warning box.
    void reportMailFailure(const QString& logText, const QString& boxText);

    // Why the current mailing failed, as the client saw it (the server's answer or the
    // connection's error); empty when nothing went wrong or the client gave no reason.
    QString mailError_;
};

extern TdlgRotOpt* dlgRotOpt;

}  // namespace rotation_tool
