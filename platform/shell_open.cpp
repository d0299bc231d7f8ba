#include "platform/shell_open.h"

#include "platform/dialogs.h"

#include <QCoreApplication>
#include <QProcess>

namespace platform {

namespace {
DocumentOpener& opener() {
    static DocumentOpener instance;
    return instance;
}

QString& openerProgram() {
    static QString program;
    return program;
}

int& unreported() {
    static int count = 0;
    return count;
}

// Reports the outcome once the signal that told it has returned, so that a message box shown by
// `ended` does not run inside the process object's own signal.
void report(const std::function<void(bool)>& ended, bool opened) {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [ended, opened] {
            ended(opened);
            --unreported();
        },
        Qt::QueuedConnection);
}
}  // namespace

void openDocumentWatched(const QString& target, std::function<void(bool opened)> ended) {
    if (opener()) {
        ended(opener()(target));
        return;
    }
    // Owned by nobody but itself: closing the program leaves a still running opener (and the
    // browser it may keep in the foreground) alone.
    auto* process = new QProcess;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::errorOccurred, process, [process, ended](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;  // a crash also ends in finished()
        process->deleteLater();
        report(ended, false);
    });
    QObject::connect(process, &QProcess::finished, process,
                     [process, ended](int exitCode, QProcess::ExitStatus status) {
                         process->deleteLater();
                         report(ended, status == QProcess::NormalExit && exitCode == 0);
                     });
    ++unreported();
    process->start(openerProgram().isEmpty() ? QStringLiteral("xdg-open") : openerProgram(), {target});
}

void openDocumentReported(const QString& target, const QString& failure) {
    const QString message = failure.isEmpty() ? "Unable to open the file, " + target : failure;
    openDocumentWatched(target, [message](bool opened) {
        if (!opened) showWarning(message);
    });
}

void setDocumentOpenerForTesting(DocumentOpener replacement) { opener() = std::move(replacement); }

void setOpenerProgramForTesting(const QString& program) { openerProgram() = program; }

int watchedOpenersUnreported() { return unreported(); }

}  // namespace platform
