#include "site_manager/about_box.h"

#include "platform/shell_open.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
const char* kMailAddress = "mailto:support@lumenfold.example";
const char* kHomePage = "https://lumenfold.example/";

QLabel* linkLabel(const QString& text) {
    auto* label = new QLabel("<a href=\"#\" style=\"color:blue\">" + text + "</a>");
    label->setCursor(Qt::PointingHandCursor);
    return label;
}
}  // namespace

TAboutBox::TAboutBox(QWidget* parent, QString product, QString version)
    : platform::ModalDialog(parent), product_(std::move(product)), version_(std::move(version)) {
    setPlacement(platform::WindowPlacement::CentreOnScreen);
    auto* panel = new QFrame;
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    ProgramIcon = new QLabel;
    ProgramIcon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_DesktopIcon).pixmap(32, 32));
    ProductName = new QLabel;
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    LBLVERSION = new QLabel;
    Comments = new QLabel("Builds web galleries from your images and keeps them fresh with rotations.");
    Comments->setWordWrap(true);
    lblemail = linkLabel("support@lumenfold.example");
    lblemail->setToolTip("Send us an e-mail");
    lbltavrel = linkLabel("lumenfold.example");
    lbltavrel->setToolTip("Visit our home page");
    OKbtn = new QPushButton("&Close");
    OKbtn->setDefault(true);

    auto* panelLayout = new QVBoxLayout(panel);
    for (QWidget* w : std::initializer_list<QWidget*>{ProgramIcon, ProductName, LBLVERSION, Comments, lblemail, lbltavrel})
        panelLayout->addWidget(w);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(OKbtn, 0, Qt::AlignHCenter);

    connect(lblemail, &QLabel::linkActivated, this, [this] { lblemailClick(); });
    connect(lbltavrel, &QLabel::linkActivated, this, [this] { lbltavrelClick(); });
    connect(OKbtn, &QPushButton::clicked, this, [this] { done(platform::mrOk); });
}

void TAboutBox::FormShow() {
    ProductName->setText(product_);
    setWindowTitle("About " + product_);
    LBLVERSION->setText("Version " + version_);
}

// A link whose opener fails says so; otherwise the click would seem to do nothing.
void TAboutBox::lblemailClick() { platform::openDocumentReported(kMailAddress); }
void TAboutBox::lbltavrelClick() { platform::openDocumentReported(kHomePage); }
