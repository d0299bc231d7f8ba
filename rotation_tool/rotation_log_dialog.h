#pragma once
// The rotation log: the lines of one memo, shown in the log window after an interactive run,
// saved to the log file and mailed.
#include "platform/modal_dialog.h"

#include <QString>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace rotation_tool {

class TdlgLog : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TdlgLog(QWidget* parent = nullptr);
    ~TdlgLog() override;

    QLabel* Label1;
    QPlainTextEdit* memwarning;
    QPushButton* btnEmail;
    QPushButton* btnSaveLog;
    QPushButton* btnClose;

    // Set by every error line; cleared only by the caller at the start of Rotate All.
    bool ErrorFlag = false;

    // Adds "! " or "* " + date-time + " - " + message (information lines only when the options
    // dialog does not restrict the log to errors).
    void Addwarning(const QString& message, bool isError);
    // An error line for a site the user left out of the rotation: it sets the error flag (a log
    // mailed only on errors still goes), but it is no failure of the run, so it stays out of
    // errorLines().
    void AddSkipWarning(const QString& message);
    QStringList lines() const;
    // The failures among the error lines, each whole even when its message spans several lines,
    // and a failed unattended save of the log (in that form, though it stays out of the log).
    const QStringList& errorLines() const { return errorLines_; }
    void clearLog();
    void addPlainLine(const QString& line);

    void btnSaveLogClick();
    void btnEmailClick();

protected:
    void FormShow() override;

private:
    QStringList errorLines_;
};

extern TdlgLog* dlgLog;

// The local date and time as the log writes it; empty when it cannot be formed.
QString logDateTime();

}  // namespace rotation_tool
