#include "tests/common/smtp_sink.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QThread>
#include <stdexcept>

namespace testing_support {

namespace {

const QByteArray kCrLf = "\r\n";

// The script sits next to this file in the source tree; ctest names that tree, and a test binary
// started by hand falls back on where this file was compiled from.
QString scriptPath() {
    const QString source = qEnvironmentVariable("LUMENFOLD_SOURCE_DIR");
    const QString path = source.isEmpty() ? QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/smtp_sink.py"
                                          : source + "/tests/common/smtp_sink.py";
    if (!QFileInfo::exists(path)) throw std::runtime_error("SMTP sink script not found: " + path.toStdString());
    return path;
}

}  // namespace

QString ReceivedMail::header(const QString& name) const {
    const qsizetype end = data.indexOf(kCrLf + kCrLf);
    const QList<QByteArray> lines = data.left(end < 0 ? data.size() : end).split('\n');
    QString found;
    bool inside = false;
    for (QByteArray line : lines) {
        if (line.endsWith('\r')) line.chop(1);
        if (inside && (line.startsWith(' ') || line.startsWith('\t'))) {  // folded continuation
            found += QString::fromUtf8(line);
            continue;
        }
        if (inside) break;
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && QString::fromUtf8(line.left(colon)).compare(name, Qt::CaseInsensitive) == 0) {
            found = QString::fromUtf8(line.mid(colon + 1)).trimmed();
            inside = true;
        }
    }
    return found;
}

QStringList ReceivedMail::bodyLines() const {
    const qsizetype end = data.indexOf(kCrLf + kCrLf);
    if (end < 0) return {};
    QByteArray body = data.mid(end + 4);
    if (body.endsWith(kCrLf)) body.chop(2);
    if (body.isEmpty()) return {};
    QStringList lines;
    for (qsizetype from = 0;;) {
        const qsizetype next = body.indexOf(kCrLf, from);
        lines += QString::fromUtf8(body.mid(from, next < 0 ? -1 : next - from));
        if (next < 0) break;
        from = next + 2;
    }
    return lines;
}

QStringList ReceivedMail::decodedBodyLines() const {
    QStringList lines = decodedBody.split(QRegularExpression("\\r\\n|\\n"));
    if (lines.last().isEmpty()) lines.removeLast();  // the last line's end
    return lines;
}

QList<QByteArray> ReceivedMail::rawLines() const {
    QList<QByteArray> lines = data.split('\n');
    for (QByteArray& line : lines)
        if (line.endsWith('\r')) line.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

QStringList ReceivedMail::encodedWords() const {
    static const QRegularExpression word("=\\?[^?\\s]+\\?[BbQq]\\?[^?\\s]*\\?=");
    const QString head = QString::fromLatin1(data.left(data.indexOf(kCrLf + kCrLf)));
    QStringList words;
    for (auto it = word.globalMatch(head); it.hasNext();) words += it.next().captured();
    return words;
}

SmtpSink::SmtpSink() {
    if (!dir_.isValid()) throw std::runtime_error("cannot create a directory for the SMTP sink");
    // The system interpreter is the one that has aiosmtpd.
    server_.setProgram("/usr/bin/python3");
    server_.setArguments({scriptPath(), dir_.path()});
    server_.setProcessChannelMode(QProcess::SeparateChannels);
    server_.setReadChannel(QProcess::StandardOutput);
    server_.start();
    if (!server_.waitForStarted(30000)) throw std::runtime_error("cannot start /usr/bin/python3 for the SMTP sink");
    // The script reports its port only once it listens, so connections are accepted from then on.
    const QDeadlineTimer deadline(60000);
    QByteArray out;
    while (!out.contains('\n') && !deadline.hasExpired() && server_.state() == QProcess::Running) {
        server_.waitForReadyRead(int(deadline.remainingTime()));
        out += server_.readAllStandardOutput();
    }
    if (out.startsWith("PORT ")) port_ = out.mid(5).trimmed().toInt();
    if (port_ <= 0) {
        const QByteArray err = server_.readAllStandardError();
        server_.kill();
        server_.waitForFinished(2000);
        throw std::runtime_error("SMTP sink did not come up: " + (out + err).toStdString());
    }
}

SmtpSink::~SmtpSink() {
    server_.kill();
    server_.waitForFinished(3000);
}

QList<ReceivedMail> SmtpSink::everyMessage() const {
    QList<ReceivedMail> mails;
    const QDir dir(dir_.path());
    for (const QString& name : dir.entryList({"mail-*.json"}, QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QJsonObject o = QJsonDocument::fromJson(f.readAll()).object();
        ReceivedMail mail;
        mail.helo = o.value("helo").toString();
        mail.mailFrom = o.value("mail_from").toString();
        for (const QJsonValue& r : o.value("rcpt_tos").toArray()) mail.recipients += r.toString();
        mail.data = QByteArray::fromBase64(o.value("data").toString().toLatin1());
        mail.refusal = o.value("refusal").toString();
        if (o.value("subject").isString()) mail.decodedSubject = o.value("subject").toString();
        if (o.value("body").isString()) mail.decodedBody = o.value("body").toString();
        mails += mail;
    }
    return mails;
}

QList<ReceivedMail> SmtpSink::messages() const {
    QList<ReceivedMail> accepted;
    for (const ReceivedMail& mail : everyMessage())
        if (mail.refusal.isEmpty()) accepted += mail;
    return accepted;
}

QStringList SmtpSink::events() const {
    QFile f(dir_.filePath("events.txt"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray text = f.readAll();
    text.truncate(text.lastIndexOf('\n') + 1);  // a line still being written doesn't count yet
    QStringList lines = QString::fromUtf8(text).split('\n');
    lines.removeLast();
    return lines;
}

bool SmtpSink::waitForEvent(const QString& event, int count, int timeoutMs) const {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (events().count(event) >= count) return true;
        if (deadline.hasExpired()) return false;
        QThread::msleep(20);
    }
}

}  // namespace testing_support
