#include "rotation_tool/rotation_options_dialog.h"

#include "platform/dialogs.h"
#include "platform/help.h"
#include "platform/ini_file.h"
#include "rotation_tool/log_file_guard.h"
#include "site_manager/site_paths.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace rotation_tool {

TdlgRotOpt* dlgRotOpt = nullptr;

namespace {

const QString kOptions = QStringLiteral("Options");
const QString kDefaultSender = QStringLiteral("spindleway@localhost");

QCheckBox* checkBox(const QString& caption, const QString& hint) {
    auto* box = new QCheckBox(caption);
    box->setToolTip(hint);
    return box;
}

QLineEdit* edit(const QString& hint) {
    auto* e = new QLineEdit;
    e->setToolTip(hint);
    return e;
}

// A value put into an edit is shown from its start, as when it was typed and the caret went home;
// a long address or path would otherwise show only its end.
void showText(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    edit->setCursorPosition(0);
}

}  // namespace

TdlgRotOpt::TdlgRotOpt(QWidget* parent) : platform::ModalDialog(parent) {
    dlgRotOpt = this;
    setWindowTitle("Rotation Options");

    // General tab.
    chklogging = checkBox("Create Log of Rotation",
                          "If this option is enabled Spindleway.exe will automatically maintain a log of all rotation "
                          "events and save it to the specified filename");
    lblfilename = new QLabel("Filename:");
    edtfilename = edit("Specify the filename for your log file");
    BitBtn3 = new QPushButton("...");
    BitBtn3->setMaximumWidth(30);
    chkonlylogerrors = checkBox("Only log if errors are encountered",
                                "If this is not checked both successful events and errors are recorded to your log.  If "
                                "you prefer you can have it only record errors");
    chkEmailLog = checkBox("Email Log to Administrator",
                           "If your system has access to an SMTP server, you can have the log automatically e-mailed "
                           "to a specified address");
    chkOnlyEmailErrors = checkBox("Only send e-mail if errors encountered",
                                  "Select this option if the log should only be sent when an error is encountered");
    chkcreatebackup = checkBox("Create *.~* backups of overwritten files",
                               "If you want Spindleway.exe to write a backup before overwriting any file then select "
                               "this option");
    // Design state: both master boxes off, so their dependants start disabled.
    for (QWidget* w : std::initializer_list<QWidget*>{lblfilename, edtfilename, BitBtn3, chkonlylogerrors, chkOnlyEmailErrors})
        w->setEnabled(false);
    chkcreatebackup->setChecked(true);

    auto* logging = new QGroupBox("Logging");
    auto* loggingLayout = new QGridLayout(logging);
    loggingLayout->addWidget(chklogging, 0, 0, 1, 3);
    loggingLayout->addWidget(lblfilename, 1, 0);
    loggingLayout->addWidget(edtfilename, 1, 1);
    loggingLayout->addWidget(BitBtn3, 1, 2);
    loggingLayout->addWidget(chkonlylogerrors, 2, 0, 1, 3);
    loggingLayout->addWidget(chkEmailLog, 3, 0, 1, 3);
    loggingLayout->addWidget(chkOnlyEmailErrors, 4, 0, 1, 3);
    auto* other = new QGroupBox("Other");
    auto* otherLayout = new QVBoxLayout(other);
    otherLayout->addWidget(chkcreatebackup);
    auto* general = new QWidget;
    auto* generalLayout = new QVBoxLayout(general);
    generalLayout->addWidget(logging);
    generalLayout->addWidget(other);
    generalLayout->addStretch();

    // E-mail tab.
    edthost = edit(QString());
    edtport = edit("Port: Generally this will be 25");
    edtuserid = edit("User Id:  This can generally be left blank");
    edtemailto = edit("Send e-mail to:  This is the e-mail address to which the log will be sent");
    edtemailfrom = edit("From Address:  This is the address that the e-mail will appear to have come from");
    auto* mail = new QGroupBox("E-mail Settings");
    auto* mailLayout = new QGridLayout(mail);
    const std::tuple<const char*, QLineEdit*, const char*> rows[] = {
        {"SMTP Host: ", edthost, "e.g. mail.example.com"},
        {"Port: ", edtport, "Generally 25"},
        {"User ID: ", edtuserid, "(Optional)"},
        {"Send E-mail To: ", edtemailto, "e.g. webmaster@example.com"},
        {"From Address: ", edtemailfrom, "e.g. spindleway@example.com"}};
    int row = 0;
    for (const auto& [caption, field, note] : rows) {
        mailLayout->addWidget(new QLabel(caption), row, 0);
        mailLayout->addWidget(field, row, 1);
        mailLayout->addWidget(new QLabel(note), row++, 2);
    }
    btnsendtestmessage = new QPushButton("Send Test Message");
    btnsendtestmessage->setToolTip("When you have specified your e-mail settings click this to send a test message");
    lblTestmessage = new QLabel("Send Status:");
    edtTestmessage = new QLineEdit;
    edtTestmessage->setReadOnly(true);
    lblTestmessage->hide();
    edtTestmessage->hide();
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(btnsendtestmessage);
    testRow->addWidget(lblTestmessage);
    testRow->addWidget(edtTestmessage, 1);
    auto* mailPage = new QWidget;
    auto* mailPageLayout = new QVBoxLayout(mailPage);
    mailPageLayout->addWidget(mail);
    mailPageLayout->addLayout(testRow);
    mailPageLayout->addStretch();

    PageControl1 = new QTabWidget;
    PageControl1->addTab(general, "General");
    PageControl1->addTab(mailPage, "E-mail Settings");

    BitBtn1 = new QPushButton("Help");
    btnClose = new QPushButton("&Close");
    btnClose->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttonRow({BitBtn1, btnClose}));

    connect(chklogging, &QCheckBox::toggled, this, [this] { chkloggingClick(); });
    connect(chkEmailLog, &QCheckBox::toggled, this, [this] { chkEmailLogClick(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(btnsendtestmessage, &QPushButton::clicked, this, [this] { btnsendtestmessageClick(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { done(platform::mrOk); });

    createMailClient();
}

TdlgRotOpt::~TdlgRotOpt() {
    if (dlgRotOpt == this) dlgRotOpt = nullptr;
}

void TdlgRotOpt::readOptions(const platform::IniFile& ini) {
    showText(edtemailfrom, ini.readString(kOptions, "MailFrom", kDefaultSender));
    showText(edtemailto, ini.readString(kOptions, "MailTo", QString()));
    showText(edtuserid, ini.readString(kOptions, "MailUserID", QString()));
    showText(edtport, ini.readString(kOptions, "MailPort", "25"));
    showText(edthost, ini.readString(kOptions, "MailHost", QString()));
    showText(edtfilename, ini.readString(kOptions, "LogFileName", DataDirectory + "log.txt"));
    chkonlylogerrors->setChecked(platform::onUnlessFalse(ini.readString(kOptions, "LogOnlyErrors", "True")));
    chklogging->setChecked(platform::onUnlessFalse(ini.readString(kOptions, "Logging", "True")));
    chkcreatebackup->setChecked(platform::onOnlyIfTrue(ini.readString(kOptions, "CreateBackups", "False")));
    chkEmailLog->setChecked(platform::onOnlyIfTrue(ini.readString(kOptions, "EmailLog", "FALSE")));
    chkOnlyEmailErrors->setChecked(platform::onUnlessFalse(ini.readString(kOptions, "EmailOnlyErrors", "True")));
}

void TdlgRotOpt::writeOptions(platform::IniFile& ini) const {
    ini.writeString(kOptions, "MailFrom", edtemailfrom->text());
    ini.writeString(kOptions, "MailTo", edtemailto->text());
    ini.writeString(kOptions, "MailUserID", edtuserid->text());
    ini.writeString(kOptions, "MailPort", edtport->text());
    ini.writeString(kOptions, "MailHost", edthost->text());
    ini.writeString(kOptions, "LogFileName", edtfilename->text());
    ini.writeBool(kOptions, "LogOnlyErrors", chkonlylogerrors->isChecked());
    ini.writeBool(kOptions, "Logging", chklogging->isChecked());
    ini.writeBool(kOptions, "EmailLog", chkEmailLog->isChecked());
    ini.writeBool(kOptions, "CreateBackups", chkcreatebackup->isChecked());
    ini.writeBool(kOptions, "EmailOnlyErrors", chkOnlyEmailErrors->isChecked());
}

void TdlgRotOpt::chkloggingClick() {
    const bool on = chklogging->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{edtfilename, lblfilename, BitBtn3, chkonlylogerrors}) w->setEnabled(on);
}

void TdlgRotOpt::chkEmailLogClick() { chkOnlyEmailErrors->setEnabled(chkEmailLog->isChecked()); }

void TdlgRotOpt::BitBtn3Click() {
    QFileDialog dialog(this, "Please choose a filename");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter("Text Files (*.txt)");
    if (platform::showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    showText(edtfilename, dialog.selectedFiles().first());
}

void TdlgRotOpt::BitBtn1Click() { platform::showHelpContext(55); }

bool TdlgRotOpt::FormCloseQuery() {
    bool canClose = true;
    if (chklogging->isChecked() && edtfilename->text().isEmpty()) {
        platform::showWarning("You have chosen to create a log file but have not entered a filename!");
        canClose = false;
    } else if (chklogging->isChecked()) {
        if (const QString own = ownFileReplacedByLog(edtfilename->text()); !own.isEmpty()) {
            platform::showWarning("The log file, " + edtfilename->text() + ", would replace " + own +
                                  " in the data directory!  Please choose another filename.");
            canClose = false;
        }
    }
    if (chkEmailLog->isChecked() && (edthost->text().isEmpty() || edtport->text().isEmpty() ||
                                     edtemailto->text().isEmpty() || edtemailfrom->text().isEmpty())) {
        platform::showWarning(
            "You have chosen to e-mail your log but have not entered values for all required e-mail fields (only "
            "User ID is optional)");
        canClose = false;
    }
    abortMail();
    return canClose;
}

void TdlgRotOpt::done(int result) {
    if (!FormCloseQuery()) return;
    platform::ModalDialog::done(result);
}

}  // namespace rotation_tool
