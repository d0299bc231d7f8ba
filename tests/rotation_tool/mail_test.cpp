#include "platform/smtp_client.h"
#include "tests/common/smtp_sink.h"
#include "tests/rotation_tool/rotation_fixture.h"
#include "tests/rotation_tool/spindleway_process.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>

using platform::MessageResult;
using testing_support::MessageScript;
using testing_support::readFile;
using testing_support::SmtpSink;
using testing_support::SpindlewayData;
using testing_support::writeFile;

namespace {

// A port on which nothing listens.
int closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

}  // namespace

class RotationMailTest : public RotationToolTest {
protected:
    // options.ini with mailing on, pointed at the sink.
    void writeMailOptions(int port, const QString& to, bool onlyErrors) {
        data.write("options.ini", "[Options]\r\nMailHost=127.0.0.1\r\nMailPort=" + QByteArray::number(port) +
                                      "\r\nMailTo=" + to.toUtf8() +
                                      "\r\nMailFrom=rotator@example.org\r\nMailUserID=gallerybox\r\nEmailLog=True\r\n"
                                      "EmailOnlyErrors=" + (onlyErrors ? "True" : "False") + "\r\n");
    }

    // An unattended Rotate All; a timeout given replaces the client's wait for each reply.
    void unattendedRotation(int timeoutMs = 0) {
        startTool({"/ROTATE"});
        main->Timer1->stop();
        if (timeoutMs > 0) options->NMSMTP1->TimeoutMs = timeoutMs;
        main->btnrotateallClick();
    }

    SmtpSink sink;
};

TEST_F(RotationMailTest, AnUnattendedRunMailsItsLog) {
    addSite("Site_1", "Garden", 1, 1);
    addRotation("Site_1", 1);
    writeMailOptions(sink.port(), "admin@example.org", false);
    unattendedRotation();

    const auto mails = sink.messages();
    ASSERT_EQ(mails.size(), 1);
    const auto& mail = mails.first();
    EXPECT_EQ(mail.helo, "gallerybox");
    EXPECT_EQ(mail.mailFrom, "rotator@example.org");
    EXPECT_EQ(mail.recipients, QStringList({"admin@example.org"}));
    EXPECT_EQ(mail.header("From"), "Spindleway <rotator@example.org>");
    EXPECT_TRUE(mail.header("Subject").startsWith("Spindleway Rotation Log for "));
    EXPECT_GT(mail.header("Subject").size(), QString("Spindleway Rotation Log for ").size());  // with its date-time
    EXPECT_EQ(mail.bodyLines(), QStringList({"Your site update completed without error!"}));
    EXPECT_EQ(data.read("log.txt"), "Your site update completed without error!\r\n");
    EXPECT_TRUE(sink.waitForEvent("QUIT"));
}

TEST_F(RotationMailTest, OnlyErrorsAreMailedWhenSoAsked) {
    addSite("Site_1", "Garden", 1, 1);
    addRotation("Site_1", 1);
    writeMailOptions(sink.port(), "admin@example.org", true);
    unattendedRotation();
    EXPECT_TRUE(sink.messages().isEmpty());

    // A site without auto-rotation counts as an error, so the next run mails.
    addSite("Site_2", "Kitchen", 1, 1, false);
    main.reset();
    unattendedRotation();
    const auto mails = sink.messages();
    ASSERT_EQ(mails.size(), 1);
    const QStringList body = mails.first().bodyLines();
    ASSERT_EQ(body.size(), 1);
    EXPECT_TRUE(hasLogLine(body, "!", "Skipping site, Kitchen, which does not have autorotation enabled!"));
}

// A failed mailing logs the event's line, then why it failed as the client saw it (the server's
// answer or the connection's error), then "E-mail posting of Log failed!"; the run still saves
// its log with all three.
struct MailFailureRow {
    const char* name;
    enum Server { Sink, Closed, Silent } server;
    const char* to;
    const char* eventLine;
    const char* answer;  // what the line between must hold
};
void PrintTo(const MailFailureRow& row, std::ostream* out) { *out << row.name; }

class RotationMailFailure : public RotationMailTest, public ::testing::WithParamInterface<MailFailureRow> {};

TEST_P(RotationMailFailure, TheLogSaysWhy) {
    const MailFailureRow& row = GetParam();
    addSite("Site_1", "Garden", 1, 1);
    addRotation("Site_1", 1);
    QTcpServer silent;  // takes the connection and never says a word
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    const int port = row.server == MailFailureRow::Sink     ? sink.port()
                     : row.server == MailFailureRow::Silent ? silent.serverPort()
                                                            : closedPort();
    writeMailOptions(port, row.to, false);
    unattendedRotation(row.server == MailFailureRow::Silent ? 300 : 0);

    EXPECT_TRUE(sink.messages().isEmpty());
    const QStringList lines = log->lines();
    ASSERT_EQ(lines.size(), 4) << lines.join("\n").toStdString();
    EXPECT_EQ(lines[0], "Your site update completed without error!");
    EXPECT_TRUE(hasLogLine({lines[1]}, "!", row.eventLine)) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("! ") && lines[2].contains(row.answer, Qt::CaseInsensitive))
        << lines[2].toStdString();
    EXPECT_TRUE(hasLogLine({lines[3]}, "!", "E-mail posting of Log failed!")) << lines[3].toStdString();
    EXPECT_EQ(data.read("log.txt"), (lines.join("\r\n") + "\r\n").toUtf8());
    EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 1");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RotationMailFailure,
    ::testing::Values(MailFailureRow{"RecipientRefused", MailFailureRow::Sink, "refused@example.org",
                                     "E-mail posting of Log encountered a Failure!", "550 5.1.1 Recipient refused"},
                      MailFailureRow{"DataRefused", MailFailureRow::Sink, "refused-data@example.org",
                                     "E-mail posting of Log encountered a Failure!",
                                     "550 5.7.1 message content refused"},
                      MailFailureRow{"NoServer", MailFailureRow::Closed, "admin@example.org",
                                     "E-mail posting of Log encountered a Connection Failure!", "connection refused"},
                      MailFailureRow{"SilentServer", MailFailureRow::Silent, "admin@example.org",
                                     "E-mail posting of Log encountered a Connection Failure!", "timed out"}),
    [](const ::testing::TestParamInfo<MailFailureRow>& info) { return std::string(info.param.name); });

TEST_F(RotationMailTest, AnInteractiveFailureShowsTheServersAnswerUnderTheFailureBox) {
    writeMailOptions(sink.port(), "refused@example.org", false);
    startTool();
    log->addPlainLine("report");
    MessageScript script;
    script.answer(MessageResult::OK).answer(MessageResult::OK);
    EXPECT_FALSE(options->sendmail());
    ASSERT_EQ(script.texts().size(), 2);
    EXPECT_EQ(script.texts()[0], "Send Failure!");
    EXPECT_TRUE(script.texts()[1].startsWith("E-mail send failure!\n\n")) << script.texts()[1].toStdString();
    EXPECT_TRUE(script.texts()[1].contains("550 5.1.1 Recipient refused")) << script.texts()[1].toStdString();
    EXPECT_EQ(log->lines(), QStringList({"report"}));  // boxes, not log lines, when interactive
}

TEST_F(RotationMailTest, APortThatIsNoNumberFailsButConnectsOnThePreviousPort) {
    writeMailOptions(sink.port(), "admin@example.org", false);
    startTool();
    log->addPlainLine("first");
    EXPECT_TRUE(options->sendmail());
    ASSERT_EQ(sink.messages().size(), 1);

    options->edtport->setText("abc");
    {
        MessageScript script;
        script.answer(MessageResult::OK).answer(MessageResult::OK);
        EXPECT_FALSE(options->sendmail());
        EXPECT_EQ(script.texts(), QStringList({"Port Error!", "E-mail send failure!"}));
    }
    EXPECT_TRUE(sink.waitForEvent("CONNECT", 2));  // the second attempt still reached the sink
    EXPECT_TRUE(sink.waitForEvent("QUIT", 2));
    EXPECT_EQ(sink.messages().size(), 1);
}

TEST_F(RotationMailTest, AFailedMailingDoesNotDoubleTheRecipientOfTheNextOne) {
    writeMailOptions(sink.port(), "refused@example.org", false);
    startTool({"/ROTATE"});
    main->Timer1->stop();
    log->addPlainLine("report");
    EXPECT_FALSE(options->sendmail());
    options->edtemailto->setText("admin@example.org");
    EXPECT_TRUE(options->sendmail());
    const auto mails = sink.messages();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails.first().recipients, QStringList({"admin@example.org"}));
}

TEST_F(RotationMailTest, AnEmptyLogMailedFromTheLogWindowSaysNoEntries) {
    writeMailOptions(sink.port(), "admin@example.org", false);
    startTool();
    ASSERT_TRUE(log->lines().isEmpty());
    log->btnEmail->click();
    const auto mails = sink.messages();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails.first().bodyLines(), QStringList({"No Entries!"}));
    EXPECT_EQ(log->lines(), QStringList({"No Entries!"}));
}

TEST_F(RotationMailTest, TheTestMessageNeedsAllFieldsAndMailsItsOwnLogLine) {
    writeMailOptions(sink.port(), "admin@example.org", false);
    startTool();
    options->edthost->clear();
    {
        MessageScript script;
        script.answer(MessageResult::OK);
        options->btnsendtestmessage->click();
        EXPECT_EQ(script.lastText(),
                  "You have not entered values for all required e-mail fields (only User ID is optional)");
    }
    EXPECT_TRUE(sink.messages().isEmpty());

    options->edthost->setText("127.0.0.1");
    log->addPlainLine("old line");
    QStringList statuses;
    QObject::connect(options->edtTestmessage, &QLineEdit::textChanged,
                     [&](const QString& text) { statuses << text; });
    options->btnsendtestmessage->click();
    const auto mails = sink.messages();
    ASSERT_EQ(mails.size(), 1);
    const QStringList body = mails.first().bodyLines();
    ASSERT_EQ(body.size(), 1);
    EXPECT_TRUE(hasLogLine(body, "!", "Test message to admin@example.org"));
    EXPECT_EQ(log->lines(), body);  // the test line stays in the log
    EXPECT_TRUE(statuses.contains("Testing.."));
    EXPECT_TRUE(statuses.contains("Connected.."));
    EXPECT_TRUE(statuses.contains("Success!"));
    EXPECT_TRUE(statuses.contains("Disconnected"));
    EXPECT_TRUE(options->edtTestmessage->isHidden());
    EXPECT_TRUE(options->lblTestmessage->isHidden());
}

// The built program run unattended, as a scheduler runs it, mailing its log to a strict server: a
// site name of 1,200 characters makes a log line longer than servers take, and an Arabic locale
// makes the date-time in the subject long non-ASCII text. The mail is accepted, no line of it is
// over 998 octets, no encoded word over 75 characters, and it reads back as the saved log.
struct UnattendedMailRow {
    const char* name;
    QString siteName;
    bool arabic;                   // LANG and LC_ALL in an Arabic locale
    const char* transferEncoding;  // the Content-Transfer-Encoding header, "" for none
};
void PrintTo(const UnattendedMailRow& row, std::ostream* out) { *out << row.name; }

class UnattendedMail : public ::testing::TestWithParam<UnattendedMailRow> {};

QString repeated(const QString& piece, int characters) {
    QString text;
    while (text.size() < characters) text += piece;
    return text.left(characters);
}

TEST_P(UnattendedMail, AStrictServerTakesTheMailAndItReadsAsTheLog) {
    const UnattendedMailRow& row = GetParam();
    SmtpSink sink;
    SpindlewayData data;
    data.addSite(1, 1);
    for (const QString& file : {data.path() + "sites.ini", data.path() + "Site_1.ini"})
        writeFile(file, readFile(file).replace("=Garden\r\n", "=" + row.siteName.toUtf8() + "\r\n"));
    data.addRotationSection(1);
    writeFile(data.rotation(1) + "Index.html", "rotation 1");
    writeFile(data.path() + "options.ini",
              "[Options]\r\nLogOnlyErrors=False\r\nEmailLog=True\r\nEmailOnlyErrors=False\r\n"
              "MailHost=127.0.0.1\r\nMailPort=" +
                  QByteArray::number(sink.port()) + "\r\nMailTo=admin@example.org\r\nMailFrom=tool@example.org\r\n");

    QProcess run;
    QMap<QString, QString> locale;
    if (row.arabic) locale = {{"LANG", "ar_EG.UTF-8"}, {"LC_ALL", "ar_EG.UTF-8"}};
    data.prepare(run, locale);
    run.setArguments({"/ROTATE"});
    run.start();
    ASSERT_TRUE(run.waitForFinished(120000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();

    const QStringList log = data.logLines();
    EXPECT_EQ(log.size(), 1) << log.join("\n").toStdString();  // no mail failure added
    EXPECT_TRUE(log.value(0).startsWith("* ") &&
                log.value(0).endsWith(" - " + row.siteName + " sucessfully updated to rotation 1"));
    const auto mails = sink.everyMessage();
    ASSERT_EQ(mails.size(), 1);
    const auto& mail = mails[0];
    EXPECT_EQ(mail.refusal, "");
    for (const QByteArray& line : mail.rawLines()) EXPECT_LE(line.size(), 998) << line.left(60).constData() << "...";
    for (const QString& word : mail.encodedWords()) EXPECT_LE(word.size(), 75) << word.toStdString();
    EXPECT_EQ(mail.header("Content-Transfer-Encoding"), QString(row.transferEncoding));
    EXPECT_EQ(mail.decodedBodyLines(), log);
    const QString subject = mail.decodedSubject;
    EXPECT_TRUE(subject.startsWith("Spindleway Rotation Log for ")) << subject.toStdString();
    // The date-time in the subject is the locale's own: Arabic-Indic digits.
    EXPECT_EQ(subject.contains(QRegularExpression("[\\x{0660}-\\x{0669}]")), row.arabic) << subject.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UnattendedMail,
    ::testing::Values(UnattendedMailRow{"SiteNameOf1200Characters", repeated("Long Garden Name ", 1200), false,
                                        "quoted-printable"},
                      UnattendedMailRow{"ArabicLocale", "Garden", true, "8bit"},
                      UnattendedMailRow{"ArabicLocaleAndArabicSiteNameOf1200Characters",
                                        repeated(QString::fromUtf8("\u062d\u062f\u064a\u0642\u0629 \u0648"), 1200),
                                        true, "quoted-printable"}),
    [](const ::testing::TestParamInfo<UnattendedMailRow>& info) { return std::string(info.param.name); });
