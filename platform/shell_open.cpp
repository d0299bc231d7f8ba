#include "platform/shell_open.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

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

// Reports the outcome once the signal that told it has returned, so that a message box shown by
// `ended` does not run inside the process object's own signal.
void report(const std::function<void(bool)>& ended, bool opened) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), [ended, opened] { ended(opened); }, Qt::QueuedConnection);
}
}  // namespace

bool openDocument(const QString& target) {
    if (opener()) return opener()(target);
    const bool isUrl = target.contains(':') && !QFileInfo::exists(target);
    return QDesktopServices::openUrl(isUrl ? QUrl(target) : QUrl::fromLocalFile(target));
}

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
    process->start(openerProgram().isEmpty() ? QStringLiteral("xdg-open") : openerProgram(), {target});
}

void setDocumentOpenerForTesting(DocumentOpener replacement) { opener() = std::move(replacement); }

void setOpenerProgramForTesting(const QString& program) { openerProgram() = program; }

}  // namespace platform
