#include "tests/common/smtp_sink.h"
#include "tests/rotation_tool/rotation_fixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>

using platform::MessageResult;
using testing_support::MessageScript;
using testing_support::SmtpSink;

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

    void unattendedRotation() {
        startTool({"/ROTATE"});
        main->Timer1->stop();
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

TEST_F(RotationMailTest, ARefusedRecipientIsLoggedAndTheRunStillSavesItsLog) {
    addSite("Site_1", "Garden", 1, 1);
    addRotation("Site_1", 1);
    writeMailOptions(sink.port(), "refused@example.org", false);
    unattendedRotation();

    EXPECT_TRUE(sink.messages().isEmpty());
    EXPECT_TRUE(logHasError("E-mail posting of Log encountered a Failure!"));
    EXPECT_TRUE(logHasError("E-mail posting of Log failed!"));
    const QByteArray saved = data.read("log.txt");
    EXPECT_TRUE(saved.startsWith("Your site update completed without error!\r\n"));
    EXPECT_TRUE(saved.contains(" - E-mail posting of Log failed!\r\n"));
    EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 1");
}

TEST_F(RotationMailTest, NoServerIsAConnectionFailure) {
    addSite("Site_1", "Garden", 1, 1);
    addRotation("Site_1", 1);
    writeMailOptions(closedPort(), "admin@example.org", false);
    unattendedRotation();

    EXPECT_TRUE(logHasError("E-mail posting of Log encountered a Connection Failure!"));
    EXPECT_TRUE(logHasError("E-mail posting of Log failed!"));
    EXPECT_TRUE(data.read("log.txt").contains(" - E-mail posting of Log failed!\r\n"));
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
