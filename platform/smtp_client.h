#pragma once
// A small synchronous SMTP client: connects, sends one plain-text message and quits. Every step
// raises the matching signal so a dialog can show progress; failures raise a signal and then
// throw SmtpError.
#include <QObject>
#include <QString>
#include <QStringList>
#include <stdexcept>

class QDeadlineTimer;
class QTcpSocket;

namespace platform {

class SmtpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct SmtpMessage {
    QString FromAddress;
    QString FromName;
    QString Subject;
    QStringList ToAddress;  // one RCPT TO each
    QStringList Body;       // lines; a leading "." is doubled on the wire
};

class SmtpClient : public QObject {
    Q_OBJECT
public:
    explicit SmtpClient(QObject* parent = nullptr);
    ~SmtpClient() override;

    QString Host;
    int Port = 25;
    QString UserID;  // sent with HELO
    SmtpMessage PostMessage;
    int TimeoutMs = 20000;  // per reply

    bool Connected() const;
    // Resolves the host, connects, reads the greeting and says "HELO " + UserID.
    // Emits hostResolved/connected, or invalidHost/connectionFailed and throws.
    void Connect();
    // Sends PostMessage. When not connected, emits connectionRequired() first (a handler may
    // connect); throws when still not connected. A missing sender or recipient emits
    // headerIncomplete() and throws; a failure reply emits failure() and throws.
    void SendMail();
    // Says QUIT (when connected), closes and emits disconnected().
    void Disconnect();
    // Drops the connection at once without any dialogue.
    void Abort();
    // Clears PostMessage.
    void ClearParams();

signals:
    void connected();
    void disconnected();
    void status(const QString& text);
    void hostResolved();
    void packetSent(qint64 bytesSent, qint64 bytesTotal);
    void sendStart();
    void success();
    void connectionRequired();
    void connectionFailed();
    void failure();
    void invalidHost();
    void headerIncomplete();

private:
    struct Reply {
        int code = 0;
        QString text;  // every line of the reply, codes included
    };
    using Signal = void (SmtpClient::*)();

    // Low-level exchange: false with *error set when the link broke or timed out.
    bool writeAll(const QByteArray& bytes, QString* error);
    bool readLine(QByteArray* line, const QDeadlineTimer& deadline, QString* error);
    bool readReply(Reply* reply, QString* error, int timeoutMs);
    // Sends one command and wants a reply of the given class (2 for 2xx, 3 for 3xx). On anything
    // else raises onFailure and throws; a refused step inside a mail transaction is reset first
    // so the session stays usable.
    Reply command(const QByteArray& line, int expectedClass, Signal onFailure, bool inTransaction);
    void expectReply(const QString& step, int expectedClass, Signal onFailure, bool inTransaction);
    void sendContent(const QByteArray& content);
    void resetQuietly();
    [[noreturn]] void giveUp(Signal signal, const QString& message, bool dropLink);

    QTcpSocket* socket_;
    QByteArray incoming_;  // received bytes not yet taken as reply lines
};

}  // namespace platform
