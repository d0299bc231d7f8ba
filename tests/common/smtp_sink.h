#pragma once
// A real SMTP server on 127.0.0.1 for mail tests (smtp_sink.py under the system Python with
// aiosmtpd), as strict as common mail servers. It keeps every message it gets and answers 550 to
// any recipient whose address starts with "refused@", to a message with a line over 998 octets or
// without Date or Message-ID, and to the data of a message for "refused-data@...". The server
// lives as long as the object.
#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testing_support {

struct ReceivedMail {
    QString helo;            // the name the client gave with HELO
    QString mailFrom;        // envelope sender
    QStringList recipients;  // accepted envelope recipients
    QByteArray data;         // headers and body as received, CR LF line ends, dots unstuffed
    QString refusal;         // the server's answer when it refused the message, else empty
    // Subject and body as a mail reader decodes them (Python's mail library); null when it could not.
    QString decodedSubject;
    QString decodedBody;

    // The value of the first header of that name (case-insensitive), or a null string.
    QString header(const QString& name) const;
    // The body (after the blank line) as lines without their CR LF.
    QStringList bodyLines() const;
    // The decoded body as lines.
    QStringList decodedBodyLines() const;
    // Every line of the data as sent, headers included, without its CR LF.
    QList<QByteArray> rawLines() const;
    // Every encoded word ("=?charset?B?...?=") in the headers.
    QStringList encodedWords() const;
};

class SmtpSink {
public:
    SmtpSink();  // throws std::runtime_error when the server does not come up
    ~SmtpSink();
    SmtpSink(const SmtpSink&) = delete;
    SmtpSink& operator=(const SmtpSink&) = delete;

    QString host() const { return "127.0.0.1"; }
    int port() const { return port_; }

    // Accepted messages in order of arrival. A message is stored before the server answers the
    // end of its data, so whatever a client got a 250 for is already here.
    QList<ReceivedMail> messages() const;
    // Every message whose data arrived, refused ones included.
    QList<ReceivedMail> everyMessage() const;
    // Session events in order: "CONNECT", "HELO <name>", "QUIT", "CLOSE".
    QStringList events() const;
    // Waits until `event` has been seen `count` times; false on timeout.
    bool waitForEvent(const QString& event, int count = 1, int timeoutMs = 3000) const;

private:
    QTemporaryDir dir_;
    QProcess server_;
    int port_ = 0;
};

}  // namespace testing_support
