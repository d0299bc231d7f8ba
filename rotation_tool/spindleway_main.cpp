// Spindleway: the rotation tool. Started with "/ROTATE" it rotates every auto-rotating site once
// and ends; otherwise its window waits for the user.
#include "components/one_instance.h"
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/held_key_filter.h"
#include "rotation_tool/display_choice.h"
#include "rotation_tool/main_window.h"
#include "rotation_tool/rotation_log_dialog.h"
#include "rotation_tool/rotation_options_dialog.h"
#include "rotation_tool/run_mode.h"

#include <QApplication>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    rotation_tool::provideRuntimeDirectory();
    rotation_tool::choosePlatform(argc > 1 && rotation_tool::isRotateArgument(QString::fromLocal8Bit(argv[1])));
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lumenfold Pro Rotation Site Tool");
    platform::installHeldEnterFilter(app);

    // The three long-lived forms, in their creation order. A later copy of the tool hands its
    // command line to the running one, which comes to the front, and ends without rotating.
    const QStringList arguments = app.arguments().mid(1);
    std::unique_ptr<rotation_tool::TfrmMain> created;
    try {
        created = std::make_unique<rotation_tool::TfrmMain>(arguments, nullptr, true);
    } catch (const OneInstanceError& error) {
        // Only an interactive start gets here: an unattended one runs on and logs why.
        platform::messageBox(error.what(), platform::MessageKind::Error);
        return 1;
    }
    rotation_tool::TfrmMain& mainWindow = *created;
    rotation_tool::TdlgRotOpt options(&mainWindow);
    rotation_tool::TdlgLog log(&mainWindow);

    if (UnattendedRun) {
        // Nobody is there to answer a box: whatever would ask goes into the log instead.
        platform::setMessageResponder([](const platform::MessageRequest& request) {
            if (rotation_tool::dlgLog) rotation_tool::dlgLog->Addwarning(request.text, true);
            return request.buttons == platform::MessageButtons::OK ? platform::MessageResult::OK
                                                                   : platform::MessageResult::Cancel;
        });
    }

    if (!mainWindow.OneInstance1->isFirstInstance()) {
        if (!rotation_tool::isRotateArgument(arguments.value(0))) return 0;
        // A scheduled run that rotated nothing must not look like one that did.
        std::fprintf(stderr, "%s\n",
                     rotation_tool::otherCopyRunningText(platform::executableDirectory()).toLocal8Bit().constData());
        return rotation_tool::kExitOtherCopyRunning;
    }
    mainWindow.show();
    const int status = app.exec();
    if (!UnattendedRun) return status;
    // A scheduler learns of a failed run from its exit status, and passes its error output on.
    for (const QString& line : log.errorLines()) std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    return log.errorLines().isEmpty() ? status : rotation_tool::kExitRunFailed;
}
