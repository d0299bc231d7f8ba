#include "platform/smtp_client.h"
#include "tests/common/smtp_sink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostInfo>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using platform::SmtpClient;
using platform::SmtpError;
using testing_support::SmtpSink;

namespace {

// Names of the client's signals in the order they fired (status texts aside; runs of
// packetSent count once).
struct SignalLog {
    QStringList names;
    QList<QPair<qint64, qint64>> packets;

    explicit SignalLog(SmtpClient& c) {
        const auto note = [this](const char* name) { return [this, name] { names += name; }; };
        QObject::connect(&c, &SmtpClient::connected, note("connected"));
        QObject::connect(&c, &SmtpClient::disconnected, note("disconnected"));
        QObject::connect(&c, &SmtpClient::hostResolved, note("hostResolved"));
        QObject::connect(&c, &SmtpClient::sendStart, note("sendStart"));
        QObject::connect(&c, &SmtpClient::success, note("success"));
        QObject::connect(&c, &SmtpClient::connectionRequired, note("connectionRequired"));
        QObject::connect(&c, &SmtpClient::connectionFailed, note("connectionFailed"));
        QObject::connect(&c, &SmtpClient::failure, note("failure"));
        QObject::connect(&c, &SmtpClient::invalidHost, note("invalidHost"));
        QObject::connect(&c, &SmtpClient::headerIncomplete, note("headerIncomplete"));
        QObject::connect(&c, &SmtpClient::packetSent, [this](qint64 sent, qint64 total) {
            if (names.isEmpty() || names.last() != "packetSent") names += "packetSent";
            packets += {sent, total};
        });
    }
};

void pointAt(SmtpClient& client, const SmtpSink& sink) {
    client.Host = sink.host();
    client.Port = sink.port();
    client.UserID = "rotator.example";
    client.TimeoutMs = 3000;
}

void address(SmtpClient& client, const QStringList& to) {
    client.PostMessage.FromAddress = "tool@example.com";
    client.PostMessage.FromName = "Spindleway";
    client.PostMessage.Subject = "Rotation Log";
    client.PostMessage.ToAddress = to;
}

// A port nobody listens on right now.
int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A one-connection server on its own thread for misbehaviour the real server won't show: sends
// replies[0] on connect and each further reply after one received line; once the script is used
// up it reads one more line and drops the connection.
class ScriptedServer {
public:
    explicit ScriptedServer(const QList<QByteArray>& replies) {
        std::promise<int> listening;
        std::future<int> port = listening.get_future();
        worker_ = std::thread([this, replies, &listening] {
            QTcpServer server;
            server.listen(QHostAddress::LocalHost, 0);
            listening.set_value(server.serverPort());
            if (!server.waitForNewConnection(5000)) return;
            QTcpSocket* peer = server.nextPendingConnection();
            for (qsizetype i = 0; i <= replies.size(); ++i) {
                if (i > 0) {
                    while (!peer->canReadLine())
                        if (!peer->waitForReadyRead(5000)) break;
                    std::lock_guard lock(mutex_);
                    received_ += QString::fromUtf8(peer->readLine()).trimmed();
                }
                if (i < replies.size()) {
                    peer->write(replies[i]);
                    peer->waitForBytesWritten(2000);
                }
            }
            peer->abort();
            delete peer;
        });
        port_ = port.get();
    }
    ~ScriptedServer() { worker_.join(); }

    int port() const { return port_; }
    QStringList received() {
        std::lock_guard lock(mutex_);
        return received_;
    }

private:
    std::thread worker_;
    std::mutex mutex_;
    QStringList received_;
    int port_ = 0;
};

void pointAt(SmtpClient& client, const ScriptedServer& server) {
    client.Host = "127.0.0.1";
    client.Port = server.port();
    client.UserID = "rotator.example";
    client.TimeoutMs = 3000;
}

QString errorOf(const std::function<void()>& step) {
    try {
        step();
    } catch (const SmtpError& e) {
        return QString::fromUtf8(e.what());
    }
    return QString();
}

}  // namespace

TEST(SmtpClient, DeliversOneMessageWithItsHeadersBodyAndSignalsInOrder) {
    SmtpSink sink;
    SmtpClient client;
    SignalLog log(client);
    pointAt(client, sink);
    address(client, {"admin@example.com", "second@example.org"});
    client.PostMessage.Body = {"! 01/02/2024 - Rotation failed", ".hidden", ".", "", "..two", "last"};

    client.Connect();
    EXPECT_TRUE(client.Connected());
    client.SendMail();
    client.Disconnect();
    EXPECT_FALSE(client.Connected());

    const auto mails = sink.messages();
    ASSERT_EQ(mails.size(), 1);
    const auto& mail = mails[0];
    EXPECT_EQ(mail.helo, "rotator.example");
    EXPECT_EQ(mail.mailFrom, "tool@example.com");
    EXPECT_EQ(mail.recipients, QStringList({"admin@example.com", "second@example.org"}));
    EXPECT_EQ(mail.header("From"), "Spindleway <tool@example.com>");
    EXPECT_EQ(mail.header("To"), "admin@example.com, second@example.org");
    EXPECT_EQ(mail.header("Subject"), "Rotation Log");
    EXPECT_EQ(mail.header("X-Mailer"), "Spindleway SMTP");
    EXPECT_EQ(mail.header("Mime-Version"), "1.0");
    EXPECT_EQ(mail.header("Content-Type"), "text/plain; charset=us-ascii");
    EXPECT_FALSE(mail.header("Date").isEmpty());
    EXPECT_EQ(mail.bodyLines(), client.PostMessage.Body);
    // On the wire a leading dot is doubled; undone by the server, the data shows single dots.
    EXPECT_TRUE(mail.data.contains("\r\n.hidden\r\n.\r\n\r\n..two\r\n"));

    EXPECT_EQ(log.names, QStringList({"hostResolved", "connected", "sendStart", "packetSent", "success",
                                      "disconnected"}));
    ASSERT_FALSE(log.packets.isEmpty());
    EXPECT_EQ(log.packets.last().first, log.packets.last().second);
    ASSERT_TRUE(sink.waitForEvent("CLOSE"));
    EXPECT_EQ(sink.events(), QStringList({"CONNECT", "HELO rotator.example", "QUIT", "CLOSE"}));
}

TEST(SmtpClient, LargeBodiesGoOutInPacketsThatAddUp) {
    SmtpSink sink;
    SmtpClient client;
    SignalLog log(client);
    pointAt(client, sink);
    address(client, {"admin@example.com"});
    for (int i = 0; i < 400; ++i) client.PostMessage.Body += QString("line %1 of a long log").arg(i);
    client.Connect();
    client.SendMail();
    ASSERT_GT(log.packets.size(), 1);
    qint64 previous = 0;
    for (const auto& [sent, total] : log.packets) {
        EXPECT_GT(sent, previous);
        EXPECT_EQ(total, log.packets.last().second);
        previous = sent;
    }
    EXPECT_EQ(log.packets.last().first, log.packets.last().second);
    ASSERT_EQ(sink.messages().size(), 1);
    EXPECT_EQ(sink.messages()[0].bodyLines(), client.PostMessage.Body);
}

TEST(SmtpClient, LineBreaksInsideBodyLinesCannotEndTheMessageEarly) {
    SmtpSink sink;
    SmtpClient client;
    pointAt(client, sink);
    address(client, {"admin@example.com"});
    client.PostMessage.Subject = "Two\r\nBcc: sneaky@example.com";
    client.PostMessage.Body = {"first\r\n.\r\nMAIL FROM:<x@example.com>", "bare\rcr", "bare\n.hidden"};
    client.Connect();
    client.SendMail();
    // The same session still works afterwards: nothing was left half-read.
    client.PostMessage.Body = {"again"};
    client.SendMail();
    client.Disconnect();

    const auto mails = sink.messages();
    ASSERT_EQ(mails.size(), 2);
    EXPECT_EQ(mails[0].bodyLines(),
              QStringList({"first", ".", "MAIL FROM:<x@example.com>", "bare", "cr", "bare", ".hidden"}));
    EXPECT_EQ(mails[0].header("Subject"), "Two Bcc: sneaky@example.com");
    EXPECT_TRUE(mails[0].header("Bcc").isNull());
    EXPECT_EQ(mails[1].bodyLines(), QStringList({"again"}));
}

TEST(SmtpClient, NonAsciiTextArrivesAsLabelledUtf8) {
    SmtpSink sink;
    SmtpClient client;
    pointAt(client, sink);
    address(client, {"admin@example.com"});
    client.PostMessage.Subject = QString::fromUtf8("Größe");
    client.PostMessage.Body = {QString::fromUtf8("Bild \u00e4\u00f6\u00fc.jpg rotated"), "plain"};
    client.Connect();
    client.SendMail();
    const auto mails = sink.messages();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0].header("Content-Type"), "text/plain; charset=utf-8");
    EXPECT_EQ(mails[0].bodyLines(), client.PostMessage.Body);
    const QString subject = mails[0].header("Subject");
    ASSERT_TRUE(subject.startsWith("=?UTF-8?B?") && subject.endsWith("?="));
    EXPECT_EQ(QString::fromUtf8(QByteArray::fromBase64(subject.mid(10, subject.size() - 12).toLatin1())),
              QString::fromUtf8("Größe"));
    // Headers themselves stay 7-bit.
    const QByteArray head = mails[0].data.left(mails[0].data.indexOf("\r\n\r\n"));
    for (char c : head) EXPECT_GE(c, 0) << "8-bit byte in the headers";
}

TEST(SmtpClient, RefusedRecipientRaisesFailureThrowsAndLeavesTheSessionUsable) {
    SmtpSink sink;
    SmtpClient client;
    SignalLog log(client);
    pointAt(client, sink);
    address(client, {"admin@example.com", "refused@example.com"});
    client.PostMessage.Body = {"text"};
    client.Connect();
    try {
        client.SendMail();
        FAIL() << "no error for a refused recipient";
    } catch (const SmtpError& e) {
        const QString what = e.what();
        EXPECT_TRUE(what.contains("RCPT TO:<refused@example.com>")) << e.what();
        EXPECT_TRUE(what.contains("550")) << e.what();
    }
    EXPECT_EQ(log.names, QStringList({"hostResolved", "connected", "sendStart", "failure"}));
    EXPECT_TRUE(sink.messages().isEmpty());

    // The half-built message was dropped, so the next one goes through on the same connection.
    EXPECT_TRUE(client.Connected());
    client.ClearParams();
    EXPECT_TRUE(client.PostMessage.ToAddress.isEmpty());
    EXPECT_TRUE(client.PostMessage.Body.isEmpty());
    address(client, {"admin@example.com"});
    client.PostMessage.Body = {"second try"};
    client.SendMail();
    ASSERT_EQ(sink.messages().size(), 1);
    EXPECT_EQ(sink.messages()[0].recipients, QStringList({"admin@example.com"}));
    EXPECT_EQ(sink.messages()[0].bodyLines(), QStringList({"second try"}));
}

TEST(SmtpClient, MissingSenderOrRecipientIsAnIncompleteHeader) {
    SmtpSink sink;
    SmtpClient client;
    SignalLog log(client);
    pointAt(client, sink);
    client.Connect();
    address(client, {});
    EXPECT_THROW(client.SendMail(), SmtpError);
    address(client, {"  "});  // an empty recipient edit is no recipient
    EXPECT_THROW(client.SendMail(), SmtpError);
    address(client, {"admin@example.com"});
    client.PostMessage.FromAddress.clear();
    EXPECT_THROW(client.SendMail(), SmtpError);
    EXPECT_EQ(log.names.count("headerIncomplete"), 3);
    EXPECT_FALSE(log.names.contains("sendStart"));
    EXPECT_TRUE(sink.messages().isEmpty());
}

TEST(SmtpClient, SendingUnconnectedAsksForAConnection) {
    SmtpSink sink;
    SmtpClient client;
    SignalLog log(client);
    pointAt(client, sink);
    address(client, {"admin@example.com"});
    client.PostMessage.Body = {"text"};

    // Nobody answers the request: the send fails without touching the server.
    EXPECT_THROW(client.SendMail(), SmtpError);
    EXPECT_EQ(log.names, QStringList({"connectionRequired"}));
    EXPECT_TRUE(sink.events().isEmpty());

    // A handler that connects lets the send go ahead.
    QObject::connect(&client, &SmtpClient::connectionRequired, &client, [&client] { client.Connect(); });
    log.names.clear();
    client.SendMail();
    EXPECT_EQ(log.names, QStringList({"connectionRequired", "hostResolved", "connected", "sendStart", "packetSent",
                                      "success"}));
    EXPECT_EQ(sink.messages().size(), 1);
}

TEST(SmtpClient, WithoutAUserIdHeloNamesThisMachine) {
    SmtpSink sink;
    SmtpClient client;
    pointAt(client, sink);
    client.UserID.clear();
    client.Connect();
    client.Disconnect();
    const QString local = QHostInfo::localHostName().isEmpty() ? "localhost" : QHostInfo::localHostName();
    EXPECT_EQ(sink.events().value(1), "HELO " + local);
}

TEST(SmtpClient, AbortDropsTheConnectionWithoutQuit) {
    SmtpSink sink;
    SmtpClient client;
    SignalLog log(client);
    pointAt(client, sink);
    client.Connect();
    client.Abort();
    EXPECT_FALSE(client.Connected());
    ASSERT_TRUE(sink.waitForEvent("CLOSE"));
    EXPECT_FALSE(sink.events().contains("QUIT"));
    EXPECT_FALSE(log.names.contains("disconnected"));
}

TEST(SmtpClient, NoServerOnThePortIsAConnectionFailure) {
    SmtpClient client;
    SignalLog log(client);
    client.Host = "127.0.0.1";
    client.Port = freePort();
    client.TimeoutMs = 3000;
    EXPECT_THROW(client.Connect(), SmtpError);
    EXPECT_EQ(log.names, QStringList({"hostResolved", "connectionFailed"}));
    EXPECT_FALSE(client.Connected());

    log.names.clear();
    client.Port = 0;
    EXPECT_THROW(client.Connect(), SmtpError);
    EXPECT_EQ(log.names, QStringList({"hostResolved", "connectionFailed"}));
}

TEST(SmtpClient, UnknownHostIsAnInvalidHost) {
    SmtpClient client;
    SignalLog log(client);
    client.Host = "no-such-host.invalid";
    client.TimeoutMs = 3000;
    EXPECT_THROW(client.Connect(), SmtpError);
    client.Host = "";
    EXPECT_THROW(client.Connect(), SmtpError);
    EXPECT_EQ(log.names, QStringList({"invalidHost", "invalidHost"}));
    EXPECT_FALSE(client.Connected());
}

TEST(SmtpClient, ASilentServerTimesOut) {
    // Accepts the connection (the system does that for a listening socket) but never greets.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    SmtpClient client;
    SignalLog log(client);
    client.Host = "127.0.0.1";
    client.Port = silent.serverPort();
    client.TimeoutMs = 300;
    QElapsedTimer timer;
    timer.start();
    try {
        client.Connect();
        FAIL() << "connected to a server that never greeted";
    } catch (const SmtpError& e) {
        EXPECT_TRUE(QString(e.what()).contains("timed out")) << e.what();
    }
    EXPECT_LT(timer.elapsed(), 6000);  // its own 300 ms, not the default 20 s
    EXPECT_EQ(log.names, QStringList({"hostResolved", "connectionFailed"}));
    EXPECT_FALSE(client.Connected());
}

TEST(SmtpClient, ADroppedConnectionIsAFailure) {
    ScriptedServer server({"220 ready\r\n", "250-one\r\n250 two\r\n"});
    SmtpClient client;
    SignalLog log(client);
    pointAt(client, server);
    address(client, {"admin@example.com"});
    client.Connect();
    const QString error = errorOf([&] { client.SendMail(); });
    EXPECT_TRUE(error.contains("MAIL FROM:<tool@example.com>")) << qPrintable(error);
    EXPECT_TRUE(error.contains("closed")) << qPrintable(error);
    EXPECT_EQ(log.names, QStringList({"hostResolved", "connected", "sendStart", "failure"}));
    EXPECT_FALSE(client.Connected());
    EXPECT_EQ(server.received(), QStringList({"HELO rotator.example", "MAIL FROM:<tool@example.com>"}));
}

TEST(SmtpClient, AReplyOfTheWrongClassIsAFailure) {
    // DATA must be answered with 3xx; a 2xx there means the server and we disagree.
    ScriptedServer server({"220 ready\r\n", "250 hello\r\n", "250 sender ok\r\n", "250 rcpt ok\r\n",
                           "250 not really\r\n", "250 reset\r\n"});
    SmtpClient client;
    SignalLog log(client);
    pointAt(client, server);
    address(client, {"admin@example.com"});
    client.Connect();
    const QString error = errorOf([&] { client.SendMail(); });
    EXPECT_TRUE(error.contains("DATA") && error.contains("250 not really")) << qPrintable(error);
    EXPECT_EQ(log.names.last(), "failure");
    EXPECT_FALSE(log.names.contains("success"));
    EXPECT_EQ(server.received().value(4), "RSET");
}

TEST(SmtpClient, AGreetingThatTurnsUsAwayIsAConnectionFailure) {
    ScriptedServer server({"554 no service here\r\n"});
    SmtpClient client;
    SignalLog log(client);
    pointAt(client, server);
    const QString error = errorOf([&] { client.Connect(); });
    EXPECT_TRUE(error.contains("554 no service here")) << qPrintable(error);
    EXPECT_EQ(log.names, QStringList({"hostResolved", "connectionFailed"}));
    EXPECT_FALSE(client.Connected());
}

TEST(SmtpClient, ARefusedHeloIsAFailure) {
    ScriptedServer server({"220 ready\r\n", "501-bad name\r\n501 really\r\n"});
    SmtpClient client;
    SignalLog log(client);
    pointAt(client, server);
    const QString error = errorOf([&] { client.Connect(); });
    EXPECT_TRUE(error.contains("501-bad name\n501 really")) << qPrintable(error);
    EXPECT_EQ(log.names, QStringList({"hostResolved", "failure"}));
    EXPECT_FALSE(client.Connected());
}

// What a strict server takes: no line over 998 octets (a longer body line goes quoted-printable),
// encoded words of at most 75 characters that each hold whole UTF-8 characters, and headers that
// a reader decodes back to what was sent.
struct ServerTakesRow {
    const char* name;
    QString subject;
    QStringList body;
    QStringList to;
    const char* transferEncoding;  // the Content-Transfer-Encoding header, "" for none
};
void PrintTo(const ServerTakesRow& row, std::ostream* out) { *out << row.name; }

class SmtpClientServerTakes : public ::testing::TestWithParam<ServerTakesRow> {};

TEST_P(SmtpClientServerTakes, TheMailIsAcceptedAndReadsAsSent) {
    const ServerTakesRow& row = GetParam();
    SmtpSink sink;
    SmtpClient client;
    pointAt(client, sink);
    address(client, row.to);
    client.PostMessage.Subject = row.subject;
    client.PostMessage.Body = row.body;
    client.Connect();
    const QString error = errorOf([&] { client.SendMail(); });
    EXPECT_TRUE(error.isEmpty()) << qPrintable(error);

    const auto mails = sink.everyMessage();
    ASSERT_EQ(mails.size(), 1);
    const auto& mail = mails[0];
    EXPECT_EQ(mail.refusal, "");
    for (const QByteArray& line : mail.rawLines()) EXPECT_LE(line.size(), 998) << line.left(60).constData() << "...";
    for (const QString& word : mail.encodedWords()) {
        EXPECT_LE(word.size(), 75) << qPrintable(word);
        const QByteArray text = QByteArray::fromBase64(word.section('?', 3, 3).toLatin1());
        // Invalid UTF-8 would not come back the same.
        EXPECT_EQ(QString::fromUtf8(text).toUtf8(), text)
            << "a character split between encoded words: " << qPrintable(word);
    }
    EXPECT_EQ(mail.header("Content-Transfer-Encoding"), QString(row.transferEncoding));
    EXPECT_EQ(mail.decodedSubject, row.subject);
    EXPECT_EQ(mail.decodedBodyLines(), row.body);
    EXPECT_EQ(mail.recipients, row.to);
}

QString repeated(const QString& piece, int characters) {
    QString text;
    while (text.size() < characters) text += piece;
    return text.left(characters);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SmtpClientServerTakes,
    ::testing::Values(
        ServerTakesRow{"LineOf1200Characters",
                       "Rotation Log",
                       // '=' and a line-opening dot must survive the encoding, a trailing space too.
                       {"! 01/02/2024 - first", ". " + repeated("Site = Garden, ", 1200) + " ", "last"},
                       {"admin@example.com"},
                       "quoted-printable"},
        ServerTakesRow{
            "LineOf998OctetsStaysAsItIs", "Rotation Log", {repeated("g", 998), "next"}, {"admin@example.com"}, ""},
        // 39 octets end inside the tenth of these four-octet characters.
        ServerTakesRow{"FourOctetCharactersInTheSubject",
                       repeated(QString::fromUtf8("\U0001F600"), 60),
                       {"text"},
                       {"admin@example.com"},
                       ""},
        ServerTakesRow{"SubjectOf1200Characters", repeated("Rotation Log ", 1200), {"text"}, {"admin@example.com"}, ""},
        ServerTakesRow{"FortyRecipients",
                       "Rotation Log",
                       {"text"},
                       [] {
                           QStringList to;
                           for (int i = 0; i < 40; ++i)
                               to += QString("administrator.of.site.number.%1@galleries.example.com").arg(i);
                           return to;
                       }(),
                       ""}),
    [](const ::testing::TestParamInfo<ServerTakesRow>& info) { return std::string(info.param.name); });

TEST(SmtpClient, EveryMessageCarriesADateAndAMessageIdOfItsOwn) {
    SmtpSink sink;
    SmtpClient client;
    pointAt(client, sink);
    address(client, {"admin@example.com"});
    client.PostMessage.Body = {"text"};
    client.Connect();
    client.SendMail();
    client.SendMail();  // at once, in the same second and process
    const auto mails = sink.messages();
    ASSERT_EQ(mails.size(), 2);
    static const QRegularExpression form("^<([0-9]{17})\\.([0-9]+)\\.([0-9a-f]+)@([A-Za-z0-9.-]+)>$");
    for (const auto& mail : mails) {
        EXPECT_FALSE(mail.header("Date").isEmpty());
        const QRegularExpressionMatch id = form.match(mail.header("Message-ID"));
        ASSERT_TRUE(id.hasMatch()) << qPrintable(mail.header("Message-ID"));
        EXPECT_EQ(id.captured(2).toLongLong(), QCoreApplication::applicationPid());
        if (!QHostInfo::localHostName().isEmpty()) EXPECT_EQ(id.captured(4), QHostInfo::localHostName());
    }
    EXPECT_NE(mails[0].header("Message-ID"), mails[1].header("Message-ID"));
}

TEST(SmtpClient, AnAddressLongerThanAnSmtpPathIsRefusedBeforeAnythingIsSent) {
    SmtpSink sink;
    SmtpClient client;
    SignalLog log(client);
    pointAt(client, sink);
    // 255 octets: one over what RFC 5321 lets a path hold, so the From and To lines stay short.
    address(client, {QString(243, 'a') + "@example.com"});
    client.Connect();
    const QString error = errorOf([&] { client.SendMail(); });
    EXPECT_TRUE(error.startsWith("Not a usable e-mail address: aaa")) << qPrintable(error);
    EXPECT_EQ(log.names, QStringList({"hostResolved", "connected", "failure"}));
    EXPECT_TRUE(sink.everyMessage().isEmpty());
}
