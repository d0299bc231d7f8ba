#include "rotation_tool/main_window.h"

#include "components/one_instance.h"
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/help.h"
#include "platform/ini_file.h"
#include "rotation_tool/rotation_log_dialog.h"
#include "rotation_tool/rotation_options_dialog.h"
#include "rotation_tool/run_mode.h"
#include "rotation_tool/worker_pool.h"
#include "site_manager/about_box.h"
#include "site_manager/selection_list_box.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

namespace rotation_tool {

TfrmMain* frmMain = nullptr;

namespace {

const QString kSites = QStringLiteral("Sites");
const QString kGeneral = QStringLiteral("General");

QPushButton* button(const QString& caption, const QString& hint) {
    auto* b = new QPushButton(caption);
    b->setToolTip(hint);
    return b;
}

}  // namespace

bool isRotateArgument(const QString& argument) {
    static const QStringList accepted = {"/ROTATE", "/ROT", "/R", "ROTATE", "ROT", "R", "\"/ROTATE\"", "\"/R\""};
    return accepted.contains(argument.toUpper());
}

TfrmMain::TfrmMain(const QStringList& arguments, QWidget* parent, bool singleInstance)
    : TSiteListForm(parent), workers_(std::make_unique<WorkerPool>()) {
    frmMain = this;
    setWindowTitle("Lumenfold Pro - Site Rotation Tool");
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    Label7 = new QLabel("Spindleway.exe must be run with the the /Rotate parameter to automatically rotate your site!");
    QFont big = Label7->font();
    big.setBold(true);
    big.setPixelSize(16);
    Label7->setFont(big);
    Label7->setWordWrap(true);
    Label7->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for the two lines of its longest text, also while it is empty or shows one line, so that
    // the controls below stay where they are while progress comes and goes.
    Label7->setMinimumHeight(2 * QFontMetrics(big).lineSpacing());

    // The directory listing the engine works from; never shown.
    FileBox = new QListWidget(this);
    FileBox->hide();
    edtrotationdirectory = new QLineEdit(this);
    edtrotationdirectory->hide();

    auto* sitesGroup = new QGroupBox("Web Sites");
    auto* sitesLayout = new QVBoxLayout(sitesGroup);
    sitesLayout->addWidget(lbxsites);


    btnRotateCurrent = button("Rotate Current", "Clicking this will copy the next available rotation of the selected suite");
    btnRotateCurrent->setDefault(true);
    btnrotateall = button("Rotate All",
                          "Clicking this will copy the next available rotation of all sites that have rotation enabled");
    btnOptions = button("Options..", "Set Spindleway ");
    btnabout = button("About..", "About Lumenfold Pro");
    BitBtn1 = button("Help", "Display Help information");
    BitBtn2 = button("&Close", "Close this application");

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {btnRotateCurrent, btnrotateall, btnOptions, btnabout, BitBtn1, BitBtn2}) buttons->addWidget(b);
    buttons->addStretch();

    auto* left = new QVBoxLayout;
    left->addWidget(sitesGroup, 1);
    left->addWidget(statusPanel);
    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label7);
    layout->addLayout(body, 1);
    resize(600, 440);
    // The window's size limits are settled before it has a platform window: a platform without
    // size hints (the display-less one an unattended run uses) would complain when they came later.
    ensurePolished();
    layout->activate();

    Timer1 = new QTimer(this);
    Timer1->setInterval(300);

    lbxsites->setClickHandler([this] { lbxsitesClick(); });
    connect(btnRotateCurrent, &QPushButton::clicked, this, [this] { btnRotateCurrentClick(btnRotateCurrent); });
    connect(btnrotateall, &QPushButton::clicked, this, [this] { btnrotateallClick(); });
    connect(btnOptions, &QPushButton::clicked, this, [this] { btnOptionsClick(); });
    connect(btnabout, &QPushButton::clicked, this, [this] { btnaboutClick(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(edtrotationdirectory, &QLineEdit::textChanged, this, [this] { edtrotationdirectoryChange(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    OneInstance1 = new TOneInstance(this);
    if (singleInstance) {
        // When the temporary directory cannot hold the lock, the data directory does.
        OneInstance1->FallbackDirectory = platform::executableDirectory();
        try {
            OneInstance1->Loaded();
        } catch (const OneInstanceError& error) {
            // A scheduled run that missed its rotation would show nothing to anyone: it rotates
            // and puts the reason into its log instead.
            if (!isRotateArgument(arguments.value(0))) throw;
            RunsWithoutLock = QString::fromUtf8(error.what()) +
                              ": no single-instance lock could be made in the temporary directory or in " +
                              OneInstance1->FallbackDirectory + ", so this run goes on without one";
        }
        if (!OneInstance1->isFirstInstance()) return;  // this copy ends without doing anything
    }
    FormCreate(arguments);
}

TfrmMain::~TfrmMain() {
    if (frmMain == this) frmMain = nullptr;
}

void TfrmMain::FormCreate(const QStringList& arguments) {
    platform::setHelpFile(fixpath(platform::executableDirectory(), true) + platform::HelpFileName);
    UnattendedRun = false;
    const QString first = arguments.value(0);
    if (first.isEmpty()) return;
    if (isRotateArgument(first))
        UnattendedRun = true;
    else
        platform::showWarning("Parameter is not relevant: " + first);
}

void TfrmMain::FormShow() {
    initDataDirectory();
    lbxsites->clear();
    lbxsites->addItems(platform::IniFile(sitesFileName()).readSection(kSites));
    if (dlgRotOpt) dlgRotOpt->readOptions(platform::IniFile(DataDirectory + "options.ini"));
    rebuildSiteNameList();
    doselectionstatus();
    if (UnattendedRun) Timer1->start();
}

void TfrmMain::FormClose() {
    if (UnattendedRun || !dlgRotOpt) return;
    try {
        platform::IniFile options(DataDirectory + "options.ini");
        dlgRotOpt->writeOptions(options);
    } catch (const std::exception&) {
        platform::messageBox("Error encountered saving your settings!  You may be out of disk space!");
    }
}

void TfrmMain::Timer1Timer() {
    Timer1->stop();
    btnrotateallClick();
    close();
}

void TfrmMain::lbxsitesClick() {
    // The record is the highlighted site; with none highlighted the panel lets it go.
    if (const int row = lbxsites->highlightedRow(); row >= 0) loadsite(lbxsites->item(row)->text());
    doselectionstatus();
}

bool TfrmMain::loadsite(const QString& key) { return readSiteRecord(key, tsiterecord); }

QString TfrmMain::siteReadError(int index) const {
    const QString key = lbxsites->item(index)->text();
    const QString file = siteFileName(key);
    // A file that is missing or may not be read reads as empty, as does one that is no ini file;
    // a [General] without a single key tells nothing of the site either.
    if (!platform::IniFile(file).readSection(kGeneral).isEmpty()) return QString();
    return "Error analysing the status of Site " + QString::number(index) + ": " + key + ", " + file;
}

void TfrmMain::doselectionstatus() { showSiteStatus(true); }

void TfrmMain::btnOptionsClick() {
    if (dlgRotOpt) dlgRotOpt->ShowModal();
}

void TfrmMain::btnaboutClick() {
    TAboutBox about(this, "Spindleway", "1.0");
    about.ShowModal();
}

void TfrmMain::BitBtn1Click() { platform::showHelpContext(42); }

void TfrmMain::BitBtn2Click() { close(); }

QPushButton* TfrmMain::buttonForEnter(QPushButton* focused) {
    if (!btnRotateCurrent->isEnabled()) return nullptr;  // Rotate All runs
    return focused ? focused : btnRotateCurrent;
}

void TfrmMain::report(const QString& text, bool asWarning) {
    if (UnattendedRun) {
        if (dlgLog) dlgLog->Addwarning(text, true);
    } else if (asWarning) {
        platform::showWarning(text);
    } else {
        platform::showInformation(text);
    }
}

}  // namespace rotation_tool
