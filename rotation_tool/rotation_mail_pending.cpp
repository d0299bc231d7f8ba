// Until the SMTP client is available every mailing fails as an unreachable server would.
#include "platform/dialogs.h"
#include "rotation_tool/rotation_log_dialog.h"
#include "rotation_tool/rotation_options_dialog.h"
#include "rotation_tool/run_mode.h"

namespace rotation_tool {

void TdlgRotOpt::createMailClient() {}
void TdlgRotOpt::abortMail() {}
void TdlgRotOpt::reportMailFailure(const QString& logText, const QString& boxText) {
    if (UnattendedRun)
        dlgLog->Addwarning(logText, true);
    else
        platform::showWarning(boxText);
}
bool TdlgRotOpt::sendmail() {
    reportMailFailure("E-mail posting of Log failed!", "E-mail send failure!");
    return false;
}
void TdlgRotOpt::btnsendtestmessageClick() { sendmail(); }

}  // namespace rotation_tool
