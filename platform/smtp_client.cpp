#include "platform/smtp_client.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QHostInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTcpSocket>
#include <cctype>

namespace platform {

namespace {

const QByteArray kCrLf = "\r\n";
const QByteArray kMailer = "Spindleway SMTP";
// Nothing sane sends longer reply lines; the cap keeps a broken peer from eating memory.
constexpr qsizetype kMaxReplyLine = 64 * 1024;
constexpr qsizetype kChunkSize = 4096;
// QUIT is a courtesy; don't keep the user waiting long for its answer.
constexpr int kQuitTimeoutMs = 2000;
// Servers refuse a message with a line longer than this (CR LF not counted).
constexpr qsizetype kMaxLineOctets = 998;
// Quoted-printable lines stay within 76 characters, soft break included.
constexpr qsizetype kQuotedLineLength = 76;
// UTF-8 octets per encoded word: 39 octets make 52 base64 characters, so "=?UTF-8?B?...?=" is 64
// characters (at most 75 allowed) and even "Subject: " with the first word keeps within 76.
constexpr qsizetype kEncodedWordOctets = 39;
// RFC 5321 caps a path at 256 octets with its angle brackets; a longer address would be refused
// anyway, and the cap keeps the From and To lines short.
constexpr qsizetype kMaxAddressOctets = 254;

bool isAscii(const QString& text) {
    for (QChar c : text)
        if (c.unicode() > 0x7f) return false;
    return true;
}

// A header value must stay on its own line whatever the caller put in it.
QString singleLine(const QString& text) {
    QString out = text;
    out.replace(QRegularExpression("[\\r\\n]+"), " ");
    return out;
}

// The text as UTF-8 encoded words, one per folded line; whitespace between encoded words is
// dropped by the reader, so the text comes back exactly. A word never ends inside a character.
QByteArray encodedWords(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QList<QByteArray> words;
    for (qsizetype from = 0; from < utf8.size();) {
        qsizetype end = qMin(from + kEncodedWordOctets, utf8.size());
        while (end < utf8.size() && end > from && (uchar(utf8[end]) & 0xC0) == 0x80) --end;  // continuation octet
        words += "=?UTF-8?B?" + utf8.mid(from, end - from).toBase64() + "?=";
        from = end;
    }
    return words.join("\r\n ");
}

// A header's value: ASCII text that fits on the header's line goes as it is; anything else
// becomes encoded words, so no byte above 127 lands in a header and no line grows too long.
QByteArray headerText(const QByteArray& field, const QString& text) {
    const QString line = singleLine(text);
    if (isAscii(line) && field.size() + 2 + line.size() <= kMaxLineOctets) return line.toLatin1();
    return encodedWords(line);
}

// Header words joined by spaces, each folded onto a line of its own when it would take its line
// past 78 characters; `used` is what the line already holds ("To: ").
QByteArray foldedWords(qsizetype used, const QList<QByteArray>& words) {
    QByteArray out;
    qsizetype lineLength = used;
    for (const QByteArray& word : words) {
        const qsizetype firstLine = word.contains('\n') ? word.indexOf('\r') : word.size();
        if (!out.isEmpty()) {
            const bool fold = lineLength + 1 + firstLine > 78;
            out += fold ? "\r\n " : " ";
            lineLength = fold ? 1 : lineLength + 1;
        }
        out += word;
        lineLength = word.contains('\n') ? word.size() - word.lastIndexOf('\n') - 1 : lineLength + word.size();
    }
    return out;
}

// An address goes inside <...> on a command line, so it must not carry line breaks, control
// characters or angle brackets.
bool isUsableAddress(const QString& address) {
    if (address.toUtf8().size() > kMaxAddressOctets) return false;
    for (QChar c : address)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == '<' || c == '>') return false;
    return true;
}

// The host name as it may stand after the "@" of a Message-ID.
QByteArray messageIdDomain() {
    QByteArray name;
    for (char c : QHostInfo::localHostName().toLatin1())
        if (std::isalnum(uchar(c)) || c == '-' || (c == '.' && !name.isEmpty() && !name.endsWith('.'))) name += c;
    while (name.endsWith('.')) name.chop(1);
    return name.isEmpty() ? "localhost" : name;
}

// "<" time "." process id "." random part "@" host name ">": unique across messages, runs and
// machines, as some receiving servers want before they take a message.
QByteArray messageId() {
    const QByteArray time = QDateTime::currentDateTimeUtc().toString("yyyyMMddhhmmsszzz").toLatin1();
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid());
    const QByteArray random = QByteArray::number(QRandomGenerator::system()->generate64(), 16);
    return "<" + time + "." + pid + "." + random + "@" + messageIdDomain() + ">";
}

// One line as quoted-printable: soft line breaks ("=" at the end) keep every line within 76
// characters, and an escape ("=XX") is never split.
QByteArray quotedPrintable(const QByteArray& line) {
    QByteArray out;
    qsizetype lineLength = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const bool last = i + 1 == line.size();
        // Spaces and tabs at the end of a line may be lost on the way, so they are escaped there.
        bool literal = (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last);
        // The final piece of the line may take the column a soft break would need.
        const qsizetype room = last ? kQuotedLineLength : kQuotedLineLength - 1;
        if (lineLength + (literal ? 1 : 3) > room) {
            out += "=" + kCrLf;
            lineLength = 0;
        }
        // A dot opening a line is escaped too, so no line needs the transport's doubled dot.
        if (c == '.' && lineLength == 0) literal = false;
        const QByteArray piece = literal ? QByteArray(1, c) : "=" + QByteArray(1, c).toHex().toUpper();
        out += piece;
        lineLength += piece.size();
    }
    return out;
}

// Headers, blank line, body and the closing "." exactly as they go out after DATA.
QByteArray messageContent(const SmtpMessage& message, const QString& from, const QStringList& to) {
    // Body lines may themselves hold line breaks; each fragment becomes a line of its own so a stray
    // CR or LF can never end the message early.
    QStringList lines;
    for (const QString& line : message.Body) lines += line.split(QRegularExpression("\\r\\n|\\r|\\n"));
    bool asciiBody = true;
    bool longLine = false;
    QList<QByteArray> bodyBytes;
    for (const QString& line : lines) {
        asciiBody = asciiBody && isAscii(line);
        bodyBytes += line.toUtf8();
        longLine = longLine || bodyBytes.last().size() > kMaxLineOctets;
    }

    QByteArray out;
    const QString name = singleLine(message.FromName).trimmed();
    QList<QByteArray> fromWords;
    if (!name.isEmpty()) fromWords += headerText("From", name);
    fromWords += "<" + from.toUtf8() + ">";
    out += "From: " + foldedWords(6, fromWords) + kCrLf;
    QList<QByteArray> toWords;
    for (const QString& address : to) toWords += address.toUtf8() + (toWords.size() + 1 < to.size() ? "," : "");
    out += "To: " + foldedWords(4, toWords) + kCrLf;
    out += "Subject: " + headerText("Subject", message.Subject) + kCrLf;
    out += "Date: " + QDateTime::currentDateTime().toString(Qt::RFC2822Date).toLatin1() + kCrLf;
    out += "Message-ID: " + messageId() + kCrLf;
    out += "X-Mailer: " + kMailer + kCrLf;
    out += "Mime-Version: 1.0" + kCrLf;
    out += "Content-Type: text/plain; charset=" + QByteArray(asciiBody ? "us-ascii" : "utf-8") + kCrLf;
    // Labelling UTF-8 text as us-ascii would garble it for the reader; a line longer than servers
    // take goes as quoted-printable, whose soft breaks the reader joins again.
    if (longLine)
        out += "Content-Transfer-Encoding: quoted-printable" + kCrLf;
    else if (!asciiBody)
        out += "Content-Transfer-Encoding: 8bit" + kCrLf;
    out += kCrLf;
    for (const QByteArray& line : bodyBytes) {
        const QByteArray bytes = longLine ? quotedPrintable(line) : line;
        if (bytes.startsWith('.')) out += '.';
        out += bytes + kCrLf;
    }
    out += "." + kCrLf;
    return out;
}

}  // namespace

SmtpClient::SmtpClient(QObject* parent) : QObject(parent), socket_(new QTcpSocket(this)) {}

SmtpClient::~SmtpClient() { socket_->abort(); }

bool SmtpClient::Connected() const { return socket_->state() == QAbstractSocket::ConnectedState; }

void SmtpClient::Connect() {
    Abort();
    const QString host = Host.trimmed();
    emit status("Resolving " + host + "..");
    QList<QHostAddress> addresses;
    if (!host.isEmpty()) {
        const QHostInfo info = QHostInfo::fromName(host);
        if (info.error() == QHostInfo::NoError) addresses = info.addresses();
    }
    if (addresses.isEmpty()) {
        emit invalidHost();
        throw SmtpError(QString("Cannot resolve the SMTP host \"%1\"").arg(host).toStdString());
    }
    emit hostResolved();

    const QString where = QString("%1:%2").arg(host).arg(Port);
    if (Port < 1 || Port > 65535) giveUp(&SmtpClient::connectionFailed, "Invalid SMTP port " + where, true);
    emit status("Connecting to " + where + "..");
    for (const QHostAddress& address : addresses) {
        socket_->connectToHost(address, quint16(Port));
        if (socket_->waitForConnected(TimeoutMs)) break;
        socket_->abort();
    }
    if (!Connected())
        giveUp(&SmtpClient::connectionFailed, "Cannot connect to " + where + ": " + socket_->errorString(), true);

    Reply greeting;
    QString error;
    if (!readReply(&greeting, &error, TimeoutMs))
        giveUp(&SmtpClient::connectionFailed, "No greeting from " + where + ": " + error, true);
    if (greeting.code != 220)
        giveUp(&SmtpClient::connectionFailed, "The SMTP server at " + where + " turned us away: " + greeting.text, true);

    // The greeting needs a name; without a user id the machine's own name is the usual choice.
    QString helo = singleLine(UserID).trimmed();
    if (helo.isEmpty()) helo = QHostInfo::localHostName();
    if (helo.isEmpty()) helo = "localhost";
    emit status("Sending HELO..");
    try {
        command("HELO " + helo.toUtf8(), 2, &SmtpClient::failure, false);
    } catch (const SmtpError&) {
        Abort();  // a server that won't take our greeting won't take mail either
        throw;
    }
    emit connected();
}

void SmtpClient::SendMail() {
    if (!Connected()) {
        emit connectionRequired();
        if (!Connected()) throw SmtpError("Not connected to an SMTP server");
    }
    const QString from = PostMessage.FromAddress.trimmed();
    QStringList recipients;
    for (const QString& to : PostMessage.ToAddress)
        if (!to.trimmed().isEmpty()) recipients += to.trimmed();
    if (from.isEmpty() || recipients.isEmpty()) {
        emit headerIncomplete();
        throw SmtpError("The message needs a sender and at least one recipient");
    }
    const QStringList addresses = QStringList(recipients) << from;
    for (const QString& address : addresses)
        if (!isUsableAddress(address)) giveUp(&SmtpClient::failure, "Not a usable e-mail address: " + address, false);

    emit sendStart();
    emit status("Sending message..");
    command("MAIL FROM:<" + from.toUtf8() + ">", 2, &SmtpClient::failure, true);
    for (const QString& to : recipients) command("RCPT TO:<" + to.toUtf8() + ">", 2, &SmtpClient::failure, true);
    command("DATA", 3, &SmtpClient::failure, true);
    sendContent(messageContent(PostMessage, from, recipients));
    expectReply("the message", 2, &SmtpClient::failure, true);
    emit status("Message accepted");
    emit success();
}

void SmtpClient::Disconnect() {
    if (Connected()) {
        emit status("Closing connection..");
        QString error;
        if (writeAll("QUIT" + kCrLf, &error)) {
            // Wait for the goodbye so the server has seen the whole session; its code doesn't matter.
            Reply bye;
            readReply(&bye, &error, qMin(TimeoutMs, kQuitTimeoutMs));
        }
    }
    Abort();
    emit disconnected();
}

void SmtpClient::Abort() {
    socket_->abort();
    incoming_.clear();
}

void SmtpClient::ClearParams() { PostMessage = SmtpMessage(); }

bool SmtpClient::writeAll(const QByteArray& bytes, QString* error) {
    if (!Connected()) {
        *error = "the connection is closed";
        return false;
    }
    const QDeadlineTimer deadline(TimeoutMs);
    socket_->write(bytes);
    while (socket_->bytesToWrite() > 0) {
        if (!socket_->waitForBytesWritten(int(deadline.remainingTime()))) {
            *error = Connected() ? "timed out while sending" : "the connection was closed: " + socket_->errorString();
            return false;
        }
    }
    return true;
}

bool SmtpClient::readLine(QByteArray* line, const QDeadlineTimer& deadline, QString* error) {
    for (;;) {
        const qsizetype end = incoming_.indexOf('\n');
        if (end >= 0) {
            *line = incoming_.left(end);
            if (line->endsWith('\r')) line->chop(1);
            incoming_.remove(0, end + 1);
            return true;
        }
        if (incoming_.size() > kMaxReplyLine) {
            *error = "the server's reply line is too long";
            return false;
        }
        if (socket_->bytesAvailable() == 0) {
            if (!Connected()) {
                *error = "the server closed the connection";
                return false;
            }
            if (deadline.hasExpired() || !socket_->waitForReadyRead(int(deadline.remainingTime()))) {
                if (socket_->bytesAvailable() == 0) {
                    *error = Connected() ? "timed out waiting for the server" : "the server closed the connection";
                    return false;
                }
            }
        }
        incoming_ += socket_->readAll();
    }
}

bool SmtpClient::readReply(Reply* reply, QString* error, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    static const QRegularExpression shape("^([1-5][0-9][0-9])([ -]|$)");
    QStringList lines;
    reply->code = 0;
    for (;;) {
        QByteArray line;
        if (!readLine(&line, deadline, error)) return false;
        const QString text = QString::fromUtf8(line);
        const QRegularExpressionMatch m = shape.match(text);
        const int code = m.hasMatch() ? m.captured(1).toInt() : 0;
        if (code == 0 || (reply->code != 0 && code != reply->code)) {
            *error = "the server's reply makes no sense: " + text;
            return false;
        }
        reply->code = code;
        lines += text;
        if (m.captured(2) != "-") break;  // "250-" lines continue, "250 " ends the reply
    }
    reply->text = lines.join('\n');
    return true;
}

SmtpClient::Reply SmtpClient::command(const QByteArray& line, int expectedClass, Signal onFailure, bool inTransaction) {
    QString error;
    if (!writeAll(line + kCrLf, &error))
        giveUp(onFailure, "SMTP command " + QString::fromUtf8(line) + " failed: " + error, true);
    Reply reply;
    if (!readReply(&reply, &error, TimeoutMs)) giveUp(onFailure, "SMTP command " + QString::fromUtf8(line) + " failed: " + error, true);
    if (reply.code / 100 != expectedClass) {
        if (inTransaction) resetQuietly();
        giveUp(onFailure, "The SMTP server refused " + QString::fromUtf8(line) + ": " + reply.text, false);
    }
    return reply;
}

void SmtpClient::expectReply(const QString& step, int expectedClass, Signal onFailure, bool inTransaction) {
    QString error;
    Reply reply;
    if (!readReply(&reply, &error, TimeoutMs)) giveUp(onFailure, "Sending " + step + " failed: " + error, true);
    if (reply.code / 100 != expectedClass) {
        if (inTransaction) resetQuietly();
        giveUp(onFailure, "The SMTP server refused " + step + ": " + reply.text, false);
    }
}

void SmtpClient::sendContent(const QByteArray& content) {
    const qint64 total = content.size();
    for (qint64 sent = 0; sent < total;) {
        const QByteArray chunk = content.mid(sent, kChunkSize);
        QString error;
        if (!writeAll(chunk, &error)) giveUp(&SmtpClient::failure, "Sending the message failed: " + error, true);
        sent += chunk.size();
        emit packetSent(sent, total);
    }
}

void SmtpClient::resetQuietly() {
    // After a refusal the server may still hold a half-built message; RSET drops it so the same
    // connection can be used again. If even that fails the link is of no further use.
    QString error;
    Reply reply;
    if (!writeAll("RSET" + kCrLf, &error) || !readReply(&reply, &error, TimeoutMs) || reply.code / 100 != 2) Abort();
}

void SmtpClient::giveUp(Signal signal, const QString& message, bool dropLink) {
    if (dropLink) Abort();
    emit(this->*signal)();
    throw SmtpError(message.toStdString());
}

}  // namespace platform
