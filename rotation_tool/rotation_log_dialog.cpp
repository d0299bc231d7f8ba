#include "rotation_tool/rotation_log_dialog.h"
#include "site_manager/site_paths.h"

#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "rotation_tool/log_file_guard.h"
#include "rotation_tool/rotation_options_dialog.h"
#include "rotation_tool/run_mode.h"

#include <QCheckBox>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

namespace rotation_tool {

TdlgLog* dlgLog = nullptr;

QString logDateTime() {
    const QDateTime now = QDateTime::currentDateTime();
    if (!now.isValid()) return QString();
    // The system's formats, looked up once: a run logs a line for each of thousands of sites.
    static const QLocale locale = QLocale::system();
    static const QString timeFormat = [] {
        // The long time form without its time-zone name: date and time as the user reads them.
        QString format = locale.timeFormat(QLocale::LongFormat);
        format.remove('t');
        return format.trimmed();
    }();
    return locale.toString(now.date(), QLocale::ShortFormat) + " " + locale.toString(now.time(), timeFormat);
}

TdlgLog::TdlgLog(QWidget* parent) : platform::ModalDialog(parent) {
    setPlacement(platform::WindowPlacement::CentreOnScreen);
    dlgLog = this;
    setWindowTitle("Rotation Process Log");
    Label1 = new QLabel;
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label1->setWordWrap(true);
    memwarning = new QPlainTextEdit;
    memwarning->setReadOnly(true);
    memwarning->setUndoRedoEnabled(false);  // a log of many thousand lines is never undone
    memwarning->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* group = new QGroupBox("Log");
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(memwarning);

    btnEmail = new QPushButton("E-mail Log");
    btnEmail->setToolTip("E-mail log to the e-mail recipient specified options");
    btnSaveLog = new QPushButton("Save Log");
    btnSaveLog->setToolTip("Save log to the filename specified in options");
    btnClose = new QPushButton("&Close");
    btnClose->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(group, 1);
    layout->addLayout(buttonRow({btnEmail, btnSaveLog, btnClose}));
    resize(560, 360);

    connect(btnEmail, &QPushButton::clicked, this, [this] { btnEmailClick(); });
    connect(btnSaveLog, &QPushButton::clicked, this, [this] { btnSaveLogClick(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { done(platform::mrOk); });
}

TdlgLog::~TdlgLog() {
    if (dlgLog == this) dlgLog = nullptr;
}

void TdlgLog::Addwarning(const QString& message, bool isError) {
    const QString when = logDateTime();
    if (isError) {
        ErrorFlag = true;
        errorLines_ << "! " + when + " - " + message;
        addPlainLine(errorLines_.last());
    } else if (!dlgRotOpt || !dlgRotOpt->chkonlylogerrors->isChecked()) {
        addPlainLine("* " + when + " - " + message);
    }
}

void TdlgLog::AddSkipWarning(const QString& message) {
    ErrorFlag = true;
    addPlainLine("! " + logDateTime() + " - " + message);
}

QStringList TdlgLog::lines() const {
    if (memwarning->document()->isEmpty()) return {};
    return memwarning->toPlainText().split('\n');
}

void TdlgLog::clearLog() {
    memwarning->clear();
    errorLines_.clear();
}

void TdlgLog::addPlainLine(const QString& line) { memwarning->appendPlainText(line); }

// Appending leaves the cursor at the end of the last line, and the memo (which does not wrap)
// scrolls sideways to keep it in view, cutting off every line's prefix and date. At the start of
// the last line the newest lines stay in view, each from its start.
void TdlgLog::FormShow() {
    QTextCursor cursor = memwarning->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::StartOfBlock);
    memwarning->setTextCursor(cursor);
    memwarning->horizontalScrollBar()->setValue(0);
}

void TdlgLog::btnSaveLogClick() {
    const QString fileName = dlgRotOpt ? dlgRotOpt->edtfilename->text() : QString();
    // A name stored by hand may still be one of the programs' own files: it is never replaced.
    if (const QString own = ownFileReplacedByLog(fileName); !own.isEmpty()) {
        const QString refusal =
            "The log was not saved to " + fileName + ", which would replace " + own + " in the data directory";
        if (UnattendedRun)
            errorLines_ << "! " + logDateTime() + " - " + refusal;
        else
            platform::showWarning(refusal + "!");
        return;
    }
    // A relative name lies in the data directory, wherever the program was started from.
    const QString onDisk = storedPathOnDisk(fileName);
    if (!onDisk.isEmpty() && platform::writeTextLines(onDisk, lines())) return;
    // Unattended, the log stays as it is, but the run's error output names the failure.
    if (UnattendedRun)
        errorLines_ << "! " + logDateTime() + " - Error saving your log to " + fileName;
    else
        platform::showWarning("Error saving your log to " + fileName);
}

void TdlgLog::btnEmailClick() {
    try {
        if (dlgRotOpt) dlgRotOpt->sendmail();
    } catch (...) {
    }
}

}  // namespace rotation_tool
