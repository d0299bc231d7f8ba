// Unattended runs of the built program where things go wrong: killed mid-copy, absurd rotation
// counts, a site file that cannot be written, a dead display, no place for the single-instance
// lock, and a mail server that never answers while the next scheduled start comes.
#include "components/one_instance.h"
#include "rotation_tool/run_mode.h"
#include "tests/rotation_tool/spindleway_process.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <csignal>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>

using testing_support::readFile;
using testing_support::SpindlewayData;
using testing_support::writeFile;

namespace {

bool hasLine(const QStringList& lines, const QString& prefix, const QString& message) {
    for (const QString& line : lines)
        if (line.startsWith(prefix + " ") && line.endsWith(" - " + message)) return true;
    return false;
}

// Runs the program to its end; its exit code, or -1 when it did not end normally in time.
int runToEnd(const SpindlewayData& data, const QStringList& arguments, const QMap<QString, QString>& variables = {}) {
    QProcess process;
    data.prepare(process, variables);
    process.setArguments(arguments);
    process.start();
    if (!process.waitForFinished(120000)) return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Every file below a directory, by its path relative to it.
QStringList filesBelow(const QString& directory) {
    QStringList files;
    QDirIterator it(directory, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) files << QDir(directory).relativeFilePath(it.next());
    files.sort();
    return files;
}

bool isOwnTemporary(const QString& relative) {
    static const QRegularExpression form("(^|/)\\.spindleway-[A-Za-z0-9]{6}$");
    return form.match(relative).hasMatch();
}

// The program's temporary files in the live directory and its thumbnails.
QStringList temporariesIn(const QString& live) {
    QStringList found;
    for (const QString& directory : {live, live + "thumbs/"})
        for (const QString& name : QDir(directory).entryList(QDir::Files | QDir::Hidden))
            if (isOwnTemporary(name)) found << directory + name;
    return found;
}

// Waits until the running program has begun to copy into the live directory (a temporary file
// that was not there before shows); false when it ended first, unseen: on a busy machine this
// process may not get to look while the whole copying runs.
bool waitForCopying(QProcess& process, const QString& live, const QStringList& before) {
    QElapsedTimer waited;
    waited.start();
    while (!process.waitForFinished(0) && process.state() != QProcess::NotRunning && waited.elapsed() < 120000) {
        for (const QString& file : temporariesIn(live))
            if (!before.contains(file)) return true;
        QThread::usleep(500);
    }
    return false;
}

QString backupOf(const QString& name) {
    const int dot = name.lastIndexOf('.');
    return dot < 0 ? name + "." : name.left(dot) + ".~" + name.mid(dot + 1).chopped(1);
}

}  // namespace

TEST(SpindlewayKilled, EveryLiveFileStaysWholeInItsOldOrNewVersionAndTheNextRunFinishes) {
    SpindlewayData data;
    data.addSite(2, 2);
    data.addRotationSection(1);
    data.addRotationSection(2);
    writeFile(data.path() + "options.ini", "[Options]\r\nCreateBackups=True\r\n");

    // Two rotations of the same 300 names with different content; the live site starts as the first.
    QStringList names;
    for (int i = 0; i < 100; ++i) {
        names << QString("thumbs/photo%1_thb.jpg").arg(i) << QString("photo%1.jpg").arg(i)
              << (i == 0 ? QString("Index.html") : QString("page%1.html").arg(i));
    }
    QHash<QString, QByteArray> version[3];
    for (int r = 1; r <= 2; ++r) {
        for (const QString& name : names) {
            QByteArray content = QString("%1 of rotation %2\n").arg(name).arg(r).toUtf8();
            content += QByteArray(8000 + int(qHash(name) % 24000), char('a' + r));
            version[r][name] = content;
            writeFile(data.rotation(r) + name, content);
            if (r == 1) writeFile(data.live() + name, content);
        }
    }
    const auto wholeOldOrNew = [&](const QString& name, const QByteArray& content) {
        return content == version[1].value(name) || content == version[2].value(name);
    };

    // A complete run first, to know how long its copying takes: from the first temporary file
    // in the live directory to the end of the program (the whole run when the copying went unseen).
    QElapsedTimer copying;
    {
        QProcess process;
        data.prepare(process);
        process.setArguments({"/ROTATE"});
        copying.start();
        process.start();
        if (waitForCopying(process, data.live(), {})) copying.start();
        ASSERT_TRUE(process.state() == QProcess::NotRunning || process.waitForFinished(120000));
        ASSERT_EQ(process.exitCode(), 0);
    }
    const int copyMs = std::max(1, int(copying.elapsed()));
    ASSERT_EQ(data.storedPosition(), "3");

    // Kills now and then before the copying, mostly at a random moment of it, until twenty have
    // come while it was under way: a run whose copying this process did not see ends whole, and
    // the next one tries again.
    QRandomGenerator random(20240611);
    int killedMidCopy = 0, starts = 0;
    for (int kill = 0; killedMidCopy < 20 && kill < 200; ++kill, ++starts) {
        QProcess process;
        data.prepare(process);
        process.setArguments({"/ROTATE"});
        const QStringList leftBefore = temporariesIn(data.live());
        process.start();
        ASSERT_TRUE(process.waitForStarted(60000));
        if (kill % 5 != 0 && waitForCopying(process, data.live(), leftBefore)) {
            ++killedMidCopy;
            QThread::msleep(random.bounded(copyMs));
        }
        // A run that has been seen to end has no process left (and no process number) to kill.
        if (process.state() != QProcess::NotRunning) ::kill(pid_t(process.processId()), SIGKILL);
        ASSERT_TRUE(process.state() == QProcess::NotRunning || process.waitForFinished(60000));

        const QStringList present = filesBelow(data.live());
        for (const QString& name : names) {
            ASSERT_TRUE(present.contains(name)) << "kill " << kill << ": " << name.toStdString() << " is missing";
            ASSERT_TRUE(wholeOldOrNew(name, readFile(data.live() + name))) << "kill " << kill << ": " << name.toStdString();
        }
        for (const QString& other : present) {
            if (names.contains(other) || isOwnTemporary(other)) continue;
            // Anything else is a backup, and a backup is a whole version too.
            const auto original = std::find_if(names.begin(), names.end(), [&](const QString& n) { return backupOf(n) == other; });
            ASSERT_NE(original, names.end()) << other.toStdString();
            ASSERT_TRUE(wholeOldOrNew(*original, readFile(data.live() + other))) << other.toStdString();
        }
    }
    std::printf("killed %d times while the copying was under way (it takes %d ms), in %d starts\n", killedMidCopy,
                copyMs, starts);
    EXPECT_GE(killedMidCopy, 20);

    // One more complete run leaves exactly the rotation it copied, and no temporary file.
    const int position = data.storedPosition().toInt();
    const int expected = position >= 1 && position <= 2 ? position : 1;
    ASSERT_EQ(runToEnd(data, {"/ROTATE"}), 0);
    for (const QString& name : names) EXPECT_EQ(readFile(data.live() + name), version[expected][name]) << name.toStdString();
    for (const QString& file : filesBelow(data.live())) EXPECT_FALSE(isOwnTemporary(file)) << file.toStdString();
    EXPECT_EQ(data.storedPosition(), QString::number(expected + 1));
}

TEST(SpindlewayUnattended, AHugeRotationCountRotatesLikeASmallOne) {
    SpindlewayData data;
    data.addSite(2147483647, 5);
    data.addRotationSection(1);
    writeFile(data.rotation(1) + "Index.html", "rotation 1");
    writeFile(data.path() + "options.ini", "[Options]\r\nLogOnlyErrors=False\r\n");

    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(runToEnd(data, {"/ROTATE"}), 0);
    EXPECT_LT(timer.elapsed(), 20000);  // a run takes well under a second; counting through 2^31 would not
    EXPECT_EQ(readFile(data.live() + "Index.html"), "rotation 1");  // searched on from 5, wrapped to 1
    EXPECT_EQ(data.storedPosition(), "2");

    // The very last possible rotation: the position after it no longer fits and starts again at 1.
    data.addSite(2147483647, 2147483647);
    data.addRotationSection(1);
    data.addRotationSection(2147483647);
    writeFile(data.rotation(2147483647) + "Index.html", "rotation 2147483647");
    ASSERT_EQ(runToEnd(data, {"/ROTATE"}), 0);
    EXPECT_EQ(readFile(data.live() + "Index.html"), "rotation 2147483647");
    EXPECT_EQ(data.storedPosition(), "2147483648");
    ASSERT_EQ(runToEnd(data, {"/ROTATE"}), 0);
    EXPECT_EQ(readFile(data.live() + "Index.html"), "rotation 1");
    EXPECT_TRUE(hasLine(data.logLines(), "*", "Garden sucessfully updated to rotation 1"));
}

TEST(SpindlewayUnattended, ADisplayThatDoesNotAnswerStillRotatesAndLogs) {
    // A display number with no server behind it, and an address where nothing listens.
    int free = 900;
    while (QFileInfo::exists(QString("/tmp/.X11-unix/X%1").arg(free))) ++free;
    for (const QString& display : {QString(":%1").arg(free), QString("127.0.0.1:%1").arg(free)}) {
        SpindlewayData data;
        data.addSite(1, 1);
        data.addRotationSection(1);
        writeFile(data.rotation(1) + "Index.html", "rotation 1");
        writeFile(data.path() + "options.ini", "[Options]\r\nLogOnlyErrors=False\r\n");
        EXPECT_EQ(runToEnd(data, {"/ROTATE"}, {{"DISPLAY", display}}), 0) << display.toStdString();
        EXPECT_EQ(readFile(data.live() + "Index.html"), "rotation 1") << display.toStdString();
        EXPECT_TRUE(hasLine(data.logLines(), "*", "Garden sucessfully updated to rotation 1")) << display.toStdString();
    }
}

TEST(SpindlewayUnattended, WithoutATemporaryDirectoryTheLockGoesIntoTheDataDirectory) {
    SpindlewayData data;
    data.addSite(1, 1);
    data.addRotationSection(1);
    writeFile(data.rotation(1) + "Index.html", "rotation 1");
    const QMap<QString, QString> brokenTemp{{"TMPDIR", data.path() + "no such directory"}};

    // An interactive copy is open; a scheduled start hands over to it and rotates nothing.
    QProcess first;
    data.prepare(first, brokenTemp);
    first.start();
    const QString block = data.path() + data.instanceKey() + ".block";
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(block); }, 60000));
    EXPECT_EQ(runToEnd(data, {"/ROTATE"}, brokenTemp), rotation_tool::kExitOtherCopyRunning);
    first.kill();
    first.waitForFinished(5000);
    EXPECT_FALSE(QFileInfo::exists(data.live() + "Index.html"));
    EXPECT_EQ(data.storedPosition(), "1");

    // No lock anywhere (a directory stands where the lock file would go): the run still rotates
    // and says why it went on without one.
    QFile::remove(block);
    ASSERT_TRUE(QDir().mkpath(data.path() + data.instanceKey() + ".lock/x"));
    EXPECT_EQ(runToEnd(data, {"/ROTATE"}, brokenTemp), 1);  // its error line fails the run
    EXPECT_EQ(readFile(data.live() + "Index.html"), "rotation 1");
    EXPECT_EQ(data.storedPosition(), "2");
    const QStringList log = data.logLines();
    ASSERT_EQ(log.size(), 1) << log.join("\n").toStdString();
    EXPECT_TRUE(log[0].startsWith("! ") && log[0].contains(" - Unable to create semaphore")) << log[0].toStdString();
}

TEST(SpindlewayUnattended, ASecondStartWhileTheFirstWaitsForTheMailServerEndsAtOnce) {
    SpindlewayData data;
    data.addSite(2, 1);
    data.addRotationSection(1);
    data.addRotationSection(2);
    writeFile(data.rotation(1) + "Index.html", "rotation 1");
    writeFile(data.rotation(2) + "Index.html", "rotation 2");
    // A mail server that takes the connection and never says a word.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    writeFile(data.path() + "options.ini", "[Options]\r\nLogOnlyErrors=False\r\nEmailLog=True\r\nEmailOnlyErrors=False\r\n"
                                           "MailHost=127.0.0.1\r\nMailPort=" +
                                               QByteArray::number(silent.serverPort()) +
                                               "\r\nMailTo=admin@example.org\r\nMailFrom=tool@example.org\r\n");

    QProcess first;
    data.prepare(first);
    first.setArguments({"/ROTATE"});
    first.start();
    ASSERT_TRUE(silent.waitForNewConnection(60000));
    QTcpSocket* mailer = silent.nextPendingConnection();
    ASSERT_NE(mailer, nullptr);

    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(runToEnd(data, {"/ROTATE"}), rotation_tool::kExitOtherCopyRunning);
    EXPECT_LT(timer.elapsed(), 5000);  // answered at once (a run takes well under a second), not after 10 s

    mailer->abort();  // the mail fails now and the first run ends
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 1);  // the failed mail is an error
    EXPECT_EQ(readFile(data.live() + "Index.html"), "rotation 1");
    EXPECT_EQ(data.storedPosition(), "2");  // rotated once
    const QStringList log = data.logLines();
    EXPECT_EQ(log.filter("sucessfully updated").size(), 1) << log.join("\n").toStdString();
    EXPECT_TRUE(hasLine(log, "!", "E-mail posting of Log failed!")) << log.join("\n").toStdString();
    // Being contacted by the second start added nothing to the first run's output.
    EXPECT_EQ(QString::fromLocal8Bit(first.readAllStandardError()).split('\n', Qt::SkipEmptyParts),
              log.filter(QRegularExpression("^! ")));
    EXPECT_EQ(first.readAllStandardOutput(), "");
}
