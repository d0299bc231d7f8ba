#pragma once
// A small script in place of the desktop's opener (xdg-open) while the object lives, so that the
// opener's start, the target it is given and its exit status are those of a real process.
#include "platform/shell_open.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace testing_support {

class StandInOpener {
public:
    StandInOpener() { platform::setDocumentOpenerForTesting({}); }  // the opener program runs
    ~StandInOpener() {
        platform::setOpenerProgramForTesting(QString());
        platform::setDocumentOpenerForTesting([](const QString&) { return true; });
    }
    StandInOpener(const StandInOpener&) = delete;
    StandInOpener& operator=(const StandInOpener&) = delete;

    // The opener records its target in "opened.txt", whole (written aside and renamed, so that
    // it is never seen half written), waits for release() when `held`, and then ends as told
    // ("exit 0", "exit 3", "kill -KILL $$"). Any earlier record and release are forgotten.
    void use(const QString& ending, bool held = false) {
        forget();
        // A new file each time: a shell still running an earlier opener reads its script as it goes.
        const QString script = dir_.filePath(QStringLiteral("opener%1.sh").arg(++scripts_));
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly)) {
            ADD_FAILURE() << "cannot write " << script.toStdString();
            return;
        }
        const QString record = dir_.filePath("opened");
        QString text = QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1.tmp' && mv '%1.tmp' '%1.txt'\n").arg(record);
        if (held) text += QStringLiteral("while [ ! -e '%1' ]; do sleep 0.01; done\n").arg(dir_.filePath("release"));
        file.write((text + ending + "\n").toUtf8());
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        platform::setOpenerProgramForTesting(script);
    }
    // An opener program that is not there, so it cannot be started.
    void useMissing() {
        forget();
        platform::setOpenerProgramForTesting(dir_.filePath("no such opener"));
    }
    void release() const { QFile(dir_.filePath("release")).open(QIODevice::WriteOnly); }

    bool ran() const { return QFileInfo::exists(dir_.filePath("opened.txt")); }
    QString opened() const {
        QFile file(dir_.filePath("opened.txt"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    bool waitForOpened(int timeoutMs) const {
        return QTest::qWaitFor([this] { return ran(); }, timeoutMs);
    }
    // Waits until every opener started has ended and its end has been reported.
    static bool waitForOpenersToEnd(int timeoutMs) {
        return QTest::qWaitFor([] { return platform::watchedOpenersUnreported() == 0; }, timeoutMs);
    }

private:
    void forget() const {
        QFile::remove(dir_.filePath("opened.txt"));
        QFile::remove(dir_.filePath("release"));
    }

    QTemporaryDir dir_;
    int scripts_ = 0;
};

}  // namespace testing_support
