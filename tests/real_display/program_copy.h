#pragma once
// A built program run as a user runs it: a copy in a data directory of its own (the data
// directory is the executable's), started on the test's display.
#include "tests/real_display/x_session.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace real_display {

class ProgramCopy {
public:
    // "Lumenfold" or "Spindleway", from the build's bin/ with the sample folders beside it.
    explicit ProgramCopy(const QString& program);
    ~ProgramCopy();
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    // The data directory, with a trailing "/".
    QString path() const { return path_; }
    void write(const QString& relative, const QByteArray& content) const;
    QByteArray read(const QString& relative) const;
    // The files and folders ("name/") below a folder of the data directory, sorted.
    QStringList entriesBelow(const QString& relative) const;

    // Starts the program and waits for its main window to take the focus; its id, or empty.
    QString start(const XSession& session, const QString& mainTitle);
    // Waits until the program has handled every event it was sent: its GUI thread sleeps in the
    // event loop and has not run since the last look.
    bool waitUntilIdle() const;

private:
    QTemporaryDir dir_;
    QString path_;
    QString program_;
    QProcess process_;
};

}  // namespace real_display
