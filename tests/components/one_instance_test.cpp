// The single-instance component across real processes: this test process holds one copy and
// starts the probe program as the others.
#include "components/one_instance.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>
#include <QWidget>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <QFileInfo>
#include <memory>

namespace {

QString probePath() { return QCoreApplication::applicationDirPath() + "/one_instance_probe"; }

// A program name no other test (or test run) uses.
QString freshName() { return "probe" + QUuid::createUuid().toString(QUuid::Id128); }

// A program name that stays the same from run to run of this build, for tests that leave
// something behind on purpose: each run then meets what the run before left.
QString nameOfThisBuild(const char* tag) {
    return QString("probe") + tag + QString::fromLatin1(QCryptographicHash::hash(QCoreApplication::applicationDirPath().toUtf8(),
                                                QCryptographicHash::Md5).toHex().left(12));
}

// Waits (serving events) until the first copy has dealt with the given number of hand-overs, and
// tells whether that is exactly how many it dealt with. A later copy ends as soon as its hand-over
// is answered; the first copy's own thread handles the arguments afterwards, when its events run.
bool dealtWith(QSignalSpy& started, int count) {
    (void)QTest::qWaitFor([&] { return started.count() >= count; }, 30000);
    return started.count() == count;
}

class Probe {
public:
    Probe(const QStringList& arguments, const QMap<QString, QString>& environment,
          const QString& program = probePath()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (auto it = environment.begin(); it != environment.end(); ++it) env.insert(it.key(), it.value());
        process_.setProcessEnvironment(env);
        process_.start(program, arguments);
    }
    ~Probe() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // Waits (serving this process's events) until the probe has printed the line.
    bool waitForLine(const QString& line, int ms = 60000) {
        return QTest::qWaitFor([&] { return lines().contains(line); }, ms);
    }
    // Waits without serving this process's events, so a copy held here cannot answer.
    bool waitForLineBlocking(const QString& line, int ms = 60000) {
        QElapsedTimer timer;
        timer.start();
        while (!lines().contains(line) && timer.elapsed() < ms) process_.waitForReadyRead(100);
        return lines().contains(line);
    }
    // Waits (serving events) for the probe to end; returns its exit code, or -1.
    int finish(int ms = 60000) {
        if (!QTest::qWaitFor([&] { return process_.state() == QProcess::NotRunning; }, ms)) return -1;
        lines();
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    QStringList lines() {
        output_ += QString::fromUtf8(process_.readAllStandardOutput());
        return output_.split('\n', Qt::SkipEmptyParts);
    }
    // The argument lists the probe received as a first copy, in order.
    QList<QStringList> received() {
        QList<QStringList> lists;
        for (const QString& line : lines()) {
            if (line.startsWith("received ")) lists.append(QStringList());
            else if (line.startsWith("arg:") && !lists.isEmpty()) lists.last().append(line.mid(4));
        }
        return lists;
    }
    QProcess& process() { return process_; }

private:
    QProcess process_;
    QString output_;
};

// A main window that is minimised while another window of the program is active.
struct Windows {
    Windows() {
        main.setWindowTitle("main");
        main.show();
        other.setWindowTitle("other");
        other.show();
        main.showMinimized();
        other.activateWindow();
        activated = QTest::qWaitFor([&] { return QApplication::activeWindow() == &other; }, 30000);
    }
    QWidget main;
    QWidget other;
    bool activated = false;
};

}  // namespace

TEST(OneInstance, ALaterCopyHandsItsArgumentsToTheFirstWhichComesToTheFront) {
    Windows windows;
    ASSERT_TRUE(windows.activated);
    const QString name = freshName();
    TOneInstance first(&windows.main, name);
    first.Loaded();
    ASSERT_TRUE(first.isFirstInstance());
    QSignalSpy started(&first, &TOneInstance::OnInstanceStarted);

    const QStringList arguments{"one", "two words", QString::fromUtf8("\xC3\xA9lan"), ""};
    Probe later(arguments, {{"ONEINSTANCE_PROBE_NAME", name}});
    EXPECT_EQ(later.finish(), 20);
    EXPECT_EQ(later.lines(), QStringList{"not first"});
    ASSERT_TRUE(dealtWith(started, 1)) << started.count();
    EXPECT_EQ(started.at(0).at(0).toStringList(), arguments);
    EXPECT_FALSE(windows.main.isMinimized());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &windows.main; }, 30000));
}

TEST(OneInstance, HandedOverArgumentsAreLimitedToTenOfAtMost300Characters) {
    const QString name = freshName();
    TOneInstance first(nullptr, name);
    first.Loaded();
    QSignalSpy started(&first, &TOneInstance::OnInstanceStarted);

    QStringList eleven;
    for (int i = 1; i <= 11; ++i) eleven << QString::number(i);
    eleven[2] = QString(400, 'x');
    Probe later(eleven, {{"ONEINSTANCE_PROBE_NAME", name}});
    EXPECT_EQ(later.finish(), 20);

    Probe withoutArguments({}, {{"ONEINSTANCE_PROBE_NAME", name}});
    EXPECT_EQ(withoutArguments.finish(), 20);

    ASSERT_TRUE(dealtWith(started, 2)) << started.count();
    QStringList expected = eleven.mid(0, 10);
    expected[2] = QString(300, 'x');
    EXPECT_EQ(started.at(0).at(0).toStringList(), expected);
    EXPECT_EQ(started.at(1).at(0).toStringList(), QStringList());
}

TEST(OneInstance, WithoutShowOnNewInstanceTheFirstStaysAsItWasAndTheLaterStillEnds) {
    Windows windows;
    ASSERT_TRUE(windows.activated);
    const QString name = freshName();
    TOneInstance first(&windows.main, name);
    first.ShowOnNewInstance = false;
    first.Loaded();
    QSignalSpy started(&first, &TOneInstance::OnInstanceStarted);

    Probe later({"a"}, {{"ONEINSTANCE_PROBE_NAME", name}});
    EXPECT_EQ(later.finish(), 20);
    EXPECT_TRUE(dealtWith(started, 1)) << started.count();
    EXPECT_TRUE(windows.main.isMinimized());
    EXPECT_EQ(QApplication::activeWindow(), &windows.other);
}

TEST(OneInstance, WithHaltALaterCopyStopsAtOnce) {
    const QString name = freshName();
    TOneInstance first(nullptr, name);
    first.Loaded();
    QSignalSpy started(&first, &TOneInstance::OnInstanceStarted);

    Probe later({"halted"}, {{"ONEINSTANCE_PROBE_NAME", name}, {"ONEINSTANCE_PROBE_HALT", "1"}});
    EXPECT_EQ(later.finish(), 0);
    EXPECT_TRUE(later.lines().isEmpty());  // it never got back from the check
    ASSERT_TRUE(dealtWith(started, 1)) << started.count();
    EXPECT_EQ(started.at(0).at(0).toStringList(), QStringList{"halted"});
}

TEST(OneInstance, ProgramsWithDifferentNamesDoNotMeet) {
    const QString name = freshName();
    TOneInstance first(nullptr, name);
    first.Loaded();
    QSignalSpy started(&first, &TOneInstance::OnInstanceStarted);

    Probe other({"x"}, {{"ONEINSTANCE_PROBE_NAME", freshName()}});
    EXPECT_EQ(other.finish(), 10);
    EXPECT_EQ(other.lines(), QStringList{"first"});
    EXPECT_TRUE(first.isFirstInstance());
    // Hand-overs arrive in order: once a copy of this name has been dealt with, nothing came before it.
    Probe same({"same name"}, {{"ONEINSTANCE_PROBE_NAME", name}});
    EXPECT_EQ(same.finish(), 20);
    ASSERT_TRUE(dealtWith(started, 1)) << started.count();
    EXPECT_EQ(started.at(0).at(0).toStringList(), QStringList{"same name"});
}

// Copies meet by program name and folder (the program's data directory): a copy of the same name in
// another folder is another program, and the same folder reached by another path is the same.
TEST(OneInstance, CopiesMeetOnlyInTheSameFolderByIdentity) {
    QTemporaryDir dirA, dirB, links;
    const QString fileName = freshName();
    const QString programA = dirA.path() + "/" + fileName;
    const QString programB = dirB.path() + "/" + fileName;
    ASSERT_TRUE(QFile::copy(probePath(), programA));
    ASSERT_TRUE(QFile::copy(probePath(), programB));
    const QString linkedFolder = links.path() + "/to A";
    ASSERT_TRUE(QFile::link(dirA.path(), linkedFolder));
    const QString programViaLink = linkedFolder + "/" + fileName;

    const struct {
        const char* what;
        QString later;
        bool meets;
    } cases[] = {
        {"the same folder", programA, true},
        {"the same folder through a link", programViaLink, true},
        {"another folder", programB, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Probe first({}, {{"ONEINSTANCE_PROBE_SERVE", "1"}, {"ONEINSTANCE_PROBE_STAY_MS", "60000"}}, programA);
        ASSERT_TRUE(first.waitForLine("first"));
        Probe later({"from", c.what}, {}, c.later);
        EXPECT_EQ(later.finish(), c.meets ? 20 : 10);
        EXPECT_EQ(later.lines(), QStringList{c.meets ? "not first" : "first"});
        if (c.meets) {
            EXPECT_EQ(first.finish(), 10);
            EXPECT_EQ(first.received(), QList<QStringList>{QStringList({"from", c.what})});
        }
    }
}

TEST(OneInstance, AfterTheFirstCopyEndsTheNextStartIsFirst) {
    const QString name = freshName();
    {
        Probe earlier({}, {{"ONEINSTANCE_PROBE_NAME", name}});
        EXPECT_EQ(earlier.finish(), 10);
    }
    {
        TOneInstance first(nullptr, name);
        first.Loaded();
        EXPECT_TRUE(first.isFirstInstance());
    }
    TOneInstance next(nullptr, name);
    next.Loaded();
    EXPECT_TRUE(next.isFirstInstance());
    QSignalSpy started(&next, &TOneInstance::OnInstanceStarted);
    Probe later({"z"}, {{"ONEINSTANCE_PROBE_NAME", name}});
    EXPECT_EQ(later.finish(), 20);
    EXPECT_TRUE(dealtWith(started, 1)) << started.count();
}

TEST(OneInstance, OnlyOneComponentPerProcess) {
    auto first = std::make_unique<TOneInstance>(nullptr, freshName());
    try {
        TOneInstance second(nullptr, freshName());
        ADD_FAILURE() << "a second component was accepted";
    } catch (const OneInstanceError& error) {
        EXPECT_STREQ(error.what(), "Drop only one of these components on your form !");
    }
    first.reset();
    EXPECT_NO_THROW(TOneInstance(nullptr, freshName()));
}

TEST(OneInstance, TheNameDefaultsToTheProgramFileNameAndMakesASafeKey) {
    TOneInstance instance(nullptr);
    EXPECT_EQ(instance.key(), TOneInstance::KeyFor("test_components"));

    const QString odd = QString::fromUtf8("My Pr\xC3\xB8g (2)/..\\x.exe");
    const QString key = TOneInstance::KeyFor(odd);
    for (const QChar c : key)
        EXPECT_TRUE(c.isDigit() || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'-')
            << key.toStdString();
    EXPECT_LE(key.size(), 60);
    EXPECT_EQ(key, TOneInstance::KeyFor(odd));
    EXPECT_NE(TOneInstance::KeyFor("Lumenfold"), TOneInstance::KeyFor("Spindleway"));
    EXPECT_NE(TOneInstance::KeyFor("Spindleway"), TOneInstance::KeyFor("spindleway"));
}

TEST(OneInstance, ACrashedFirstCopyDoesNotBlockLaterStarts) {
    const QString name = nameOfThisBuild("crash");
    {
        Probe crashed({}, {{"ONEINSTANCE_PROBE_NAME", name}, {"ONEINSTANCE_PROBE_SERVE", "1"}});
        ASSERT_TRUE(crashed.waitForLine("first"));
        crashed.process().kill();
        ASSERT_TRUE(crashed.process().waitForFinished(30000));
    }
    // The next start would wait ten minutes for an answer: it takes over at once instead.
    Probe next({}, {{"ONEINSTANCE_PROBE_NAME", name}, {"ONEINSTANCE_PROBE_SERVE", "1"}, {"ONEINSTANCE_PROBE_TIMEOUT_MS", "600000"}});
    ASSERT_TRUE(next.waitForLine("first")) << next.lines().join("\n").toStdString();

    Probe later({"after crash"}, {{"ONEINSTANCE_PROBE_NAME", name}});
    EXPECT_EQ(later.finish(), 20);
    EXPECT_EQ(next.finish(), 10);
    EXPECT_EQ(next.received(), QList<QStringList>{QStringList{"after crash"}});
}

TEST(OneInstance, AStaleBlockNamingAVanishedCopyDoesNotBlock) {
    // A block that outlived its copy names a listener that is gone.
    const QString name = freshName();
    QFile leftover(QDir::tempPath() + "/" + TOneInstance::KeyFor(name) + ".block");
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.write(QDir::tempPath().toUtf8() + "/vanished-" + freshName().toUtf8());
    leftover.close();

    // The taker would wait ten minutes for an answer: it takes over at once instead.
    Probe taker({}, {{"ONEINSTANCE_PROBE_NAME", name}, {"ONEINSTANCE_PROBE_SERVE", "1"}, {"ONEINSTANCE_PROBE_TIMEOUT_MS", "600000"}});
    ASSERT_TRUE(taker.waitForLine("first")) << taker.lines().join("\n").toStdString();

    // Later starts now reach the copy that took over.
    Probe later({"reached"}, {{"ONEINSTANCE_PROBE_NAME", name}});
    EXPECT_EQ(later.finish(), 20);
    EXPECT_EQ(taker.finish(), 10);
    EXPECT_EQ(taker.received(), QList<QStringList>{QStringList{"reached"}});
    EXPECT_FALSE(leftover.exists());  // the copy that took over cleared it when it ended
}

TEST(OneInstance, AFileLeftWhereThisCopyListensIsReplaced) {
    const QString name = freshName();
    const QString socketPath =
        QDir::tempPath() + "/" + TOneInstance::KeyFor(name) + "-" + QString::number(QCoreApplication::applicationPid());
    QFile leftover(socketPath);
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();

    TOneInstance first(nullptr, name);
    first.Loaded();
    QSignalSpy started(&first, &TOneInstance::OnInstanceStarted);
    Probe later({"b"}, {{"ONEINSTANCE_PROBE_NAME", name}});
    EXPECT_EQ(later.finish(), 20);
    EXPECT_TRUE(dealtWith(started, 1)) << started.count();
}

TEST(OneInstance, AFirstCopyThatDoesNotAnswerIsTakenOver) {
    const QString name = freshName();
    Probe silent({}, {{"ONEINSTANCE_PROBE_NAME", name}, {"ONEINSTANCE_PROBE_SERVE", "1"}});
    ASSERT_TRUE(silent.waitForLine("first"));
    ::kill(pid_t(silent.process().processId()), SIGSTOP);  // hangs as a whole: nothing answers

    Probe taker({"unanswered"}, {{"ONEINSTANCE_PROBE_NAME", name},
                                 {"ONEINSTANCE_PROBE_TIMEOUT_MS", "300"},
                                 {"ONEINSTANCE_PROBE_SERVE", "1"}});
    ASSERT_TRUE(taker.waitForLine("first"));

    // The next start reaches the copy that took over; the silent one would run on unaware.
    Probe later({"next"}, {{"ONEINSTANCE_PROBE_NAME", name}});
    EXPECT_EQ(later.finish(), 20);
    EXPECT_EQ(taker.finish(), 10);
    EXPECT_EQ(taker.received(), QList<QStringList>{QStringList{"next"}});
    ::kill(pid_t(silent.process().processId()), SIGCONT);
}

TEST(OneInstance, AFirstCopyAnswersAtOnceWhileItsOwnWorkKeepsItsEventLoopAway) {
    const QString name = freshName();
    TOneInstance first(nullptr, name);
    first.Loaded();
    ASSERT_TRUE(first.isFirstInstance());
    QSignalSpy started(&first, &TOneInstance::OnInstanceStarted);

    // This thread serves no events while the later copy waits for its answer.
    // Unanswered, the later copy would take over after its wait and end as a first copy (10).
    Probe later({"while busy"}, {{"ONEINSTANCE_PROBE_NAME", name}});
    ASSERT_TRUE(later.process().waitForFinished(60000));
    EXPECT_EQ(later.process().exitCode(), 20);
    EXPECT_EQ(started.count(), 0);  // the arguments wait for the event loop
    ASSERT_TRUE(dealtWith(started, 1)) << started.count();
    EXPECT_EQ(started.at(0).at(0).toStringList(), QStringList{"while busy"});
}

TEST(OneInstance, WithoutATemporaryDirectoryCopiesMeetInTheFallbackOrRunWithoutALock) {
    QTemporaryDir fallback;
    const QString name = freshName();
    const QString missing = fallback.path() + "/no such directory";
    const QMap<QString, QString> environment{
        {"ONEINSTANCE_PROBE_NAME", name}, {"TMPDIR", missing}, {"ONEINSTANCE_PROBE_FALLBACK", fallback.path()}};
    QMap<QString, QString> serving = environment;
    serving.insert("ONEINSTANCE_PROBE_SERVE", "1");
    Probe first({}, serving);
    ASSERT_TRUE(first.waitForLine("first")) << first.lines().join("\n").toStdString();
    EXPECT_TRUE(QFileInfo::exists(fallback.path() + "/" + TOneInstance::KeyFor(name) + ".block"));
    Probe later({"via fallback"}, environment);
    EXPECT_EQ(later.finish(), 20);
    EXPECT_EQ(first.finish(), 10);
    EXPECT_EQ(first.received(), QList<QStringList>{QStringList{"via fallback"}});

    QMap<QString, QString> nowhere = environment;
    nowhere.insert("ONEINSTANCE_PROBE_FALLBACK", missing);
    Probe lockless({}, nowhere);
    EXPECT_EQ(lockless.finish(), 30);
    EXPECT_EQ(lockless.lines(), QStringList{"no lock: Unable to create semaphore"});
}

TEST(OneInstance, ALockLeftByACopyThatDiedMidCheckDoesNotBlock) {
    // The block lock of a copy that was killed while it checked: its process is gone.
    const QString name = freshName();
    QFile lock(QDir::tempPath() + "/" + TOneInstance::KeyFor(name) + ".lock");
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("2147483646\none_instance_probe\n\n");
    lock.close();

    // Unless the lock is seen to be stale, the taker gives up on it and reports "no lock".
    Probe taker({}, {{"ONEINSTANCE_PROBE_NAME", name}, {"ONEINSTANCE_PROBE_SERVE", "1"}});
    ASSERT_TRUE(taker.waitForLine("first")) << taker.lines().join("\n").toStdString();
    Probe later({"unblocked"}, {{"ONEINSTANCE_PROBE_NAME", name}});
    EXPECT_EQ(later.finish(), 20);
    EXPECT_EQ(taker.finish(), 10);
    EXPECT_EQ(taker.received(), QList<QStringList>{QStringList{"unblocked"}});
    EXPECT_FALSE(lock.exists());
}
