#include "site_manager/options_dialog.h"

#include "platform/help.h"
#include "site_manager/application_options.h"
#include "site_manager/main_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
QLabel* wrapped(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}
}  // namespace

TdlgOptions::TdlgOptions(QWidget* parent) : platform::ModalDialog(parent) {
    setPlacement(platform::WindowPlacement::CentreOnScreen);
    setWindowTitle("Options");

    auto* rotations = new QGroupBox("Support Rotations?");
    rotations->setToolTip(
        "Lumenfold Pro has a tool called Spindleway.exe that will automatically update the content of your sites "
        "with a new rotation (version) when called from a scheduler.  If you want to create sites that can be "
        "automatically updated select the Multiple option");
    rgpsinglesite = new QRadioButton("Each Site has only a single version");
    rgpsinglesite->setChecked(true);
    rgpmultiplerotations = new QRadioButton("Each Site has multiple rotations (versions)");
    auto* rotationsLayout = new QVBoxLayout(rotations);
    rotationsLayout->addWidget(rgpsinglesite);
    rotationsLayout->addWidget(wrapped("Use this option if you are just creating one-off sites that won't change frequently"));
    rotationsLayout->addWidget(rgpmultiplerotations);
    rotationsLayout->addWidget(wrapped(
        "Use this option if you want to automatically update the content of your sites on a regular basis using "
        "Spindleway.exe"));

    auto* quality = new QGroupBox("Default JPEG Quality");
    quality->setToolTip("The JPEG quality setting you specify here will be used for all images that are converted to JPEG");
    spnDefaultJPEGCompression = new QSpinBox;
    spnDefaultJPEGCompression->setRange(1, 100);
    auto* qualityLayout = new QGridLayout(quality);
    qualityLayout->addWidget(wrapped(
        "When image formats not supported by browsers are added to your site they will be automatically converted "
        "to JPEG.  What quality setting would you like to use for these images?"), 0, 0, 1, 3);
    qualityLayout->addWidget(new QLabel("Image JPEG Quality Setting:"), 1, 0);
    qualityLayout->addWidget(spnDefaultJPEGCompression, 1, 1);
    qualityLayout->addWidget(new QLabel("%"), 1, 2);

    auto* other = new QGroupBox("Other");
    const QString lengthHint =
        "If set then if a filename is longer than the specified value, it will be truncated for display so that the "
        "width of your thumbnail columns is not stretched";
    chkMaxFilenameLength = new QCheckBox("Truncate the display of filenames greater than");
    chkMaxFilenameLength->setChecked(true);
    chkMaxFilenameLength->setToolTip(lengthHint);
    spnMaxFilenameLength = new QSpinBox;
    spnMaxFilenameLength->setRange(10, 99);
    spnMaxFilenameLength->setValue(15);
    spnMaxFilenameLength->setToolTip(lengthHint);
    Chksavetothumbdir = new QCheckBox("Save thumbnails to /thumbs/ sub-directory");
    Chksavetothumbdir->setToolTip(
        "If this option is set then the thumbnails created will not be saved to the same directory as your images, "
        "but to a sub-directory named 'thumbs'");
    chkforcelowercase = new QCheckBox("Force lowercase filenames in all HTML references (links)");
    chkforcelowercase->setToolTip(
        "This option allows you to specify that all links created in all your site should be made lowercase.  This "
        "is generally used when your site resides on a case-sensitive system such as UNIX.  It is not required with "
        "Windows.");
    auto* otherLayout = new QGridLayout(other);
    otherLayout->addWidget(chkMaxFilenameLength, 0, 0);
    otherLayout->addWidget(spnMaxFilenameLength, 0, 1);
    otherLayout->addWidget(new QLabel("characters"), 0, 2);
    otherLayout->addWidget(Chksavetothumbdir, 1, 0, 1, 3);
    otherLayout->addWidget(chkforcelowercase, 2, 0, 1, 3);

    BitBtn1 = new QPushButton("OK");
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton("Cancel");
    BitBtn3 = new QPushButton("Help");
    QHBoxLayout* buttons = buttonRow({BitBtn1, BitBtn2, BitBtn3});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rotations);
    layout->addWidget(quality);
    layout->addWidget(other);
    layout->addLayout(buttons);

    connect(chkMaxFilenameLength, &QCheckBox::toggled, this, [this] { chkMaxFilenameLengthClick(); });
    connect(rgpsinglesite, &QRadioButton::clicked, this, [this] { rgpmultiplerotationsClick(); });
    connect(rgpmultiplerotations, &QRadioButton::clicked, this, [this] { rgpmultiplerotationsClick(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(platform::mrCancel); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
}

void TdlgOptions::FormShow() {
    if (ApplicationOptions.MaxFilenameLength > 100) {
        chkMaxFilenameLength->setChecked(false);
    } else {
        spnMaxFilenameLength->setValue(ApplicationOptions.MaxFilenameLength);  // the spin clamps to 10..99
    }
    spnDefaultJPEGCompression->setValue(ApplicationOptions.DefaultJPEGCompression);
    Chksavetothumbdir->setChecked(ApplicationOptions.UseThumbsDirectory);
    chkforcelowercase->setChecked(ApplicationOptions.ForceLowercase);
    rgpmultiplerotations->setChecked(ApplicationOptions.UseRotations);
    rgpsinglesite->setChecked(!ApplicationOptions.UseRotations);
}

void TdlgOptions::chkMaxFilenameLengthClick() { spnMaxFilenameLength->setEnabled(chkMaxFilenameLength->isChecked()); }

void TdlgOptions::BitBtn1Click() {
    ApplicationOptions.MaxFilenameLength = qint16(chkMaxFilenameLength->isChecked() ? spnMaxFilenameLength->value() : 999);
    ApplicationOptions.DefaultJPEGCompression = qint16(spnDefaultJPEGCompression->value());
    ApplicationOptions.UseThumbsDirectory = Chksavetothumbdir->isChecked();
    ApplicationOptions.ForceLowercase = chkforcelowercase->isChecked();
    ApplicationOptions.UseRotations = rgpmultiplerotations->isChecked();
    if (frmMain) frmMain->btnRotateNow->setEnabled(ApplicationOptions.UseRotations);
    done(platform::mrOk);
}

void TdlgOptions::BitBtn3Click() { platform::showHelpContext(25); }
