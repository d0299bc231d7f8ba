// Spindleway: the rotation tool. Started with "/ROTATE" it rotates every auto-rotating site once
// and ends; otherwise its window waits for the user.
#include "platform/dialogs.h"
#include "rotation_tool/main_window.h"
#include "rotation_tool/rotation_log_dialog.h"
#include "rotation_tool/rotation_options_dialog.h"
#include "rotation_tool/run_mode.h"

#include <QApplication>

namespace {

// A scheduler may start the tool where no display exists; it still has to run.
void chooseHeadlessPlatformWhenNoDisplay() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
}

}  // namespace

int main(int argc, char** argv) {
    chooseHeadlessPlatformWhenNoDisplay();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lumenfold Pro Rotation Site Tool");

    // The three long-lived forms, in their creation order.
    rotation_tool::TfrmMain mainWindow(app.arguments().mid(1));
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

    mainWindow.show();
    return app.exec();
}
