#include "site_manager/site_editor.h"

#include "components/drop_file_target.h"
#include "components/file_list_box.h"
#include "platform/typed_file_name_combo.h"
#include "site_manager/add_images_dialog.h"
#include "site_manager/builder/header_footer_editor_text.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/selection_list_box.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TdlgEditSite* dlgEditSite = nullptr;
int CurrentRotationNumber = -1;
int CurrentRotationStatus = 0;

namespace {

QPushButton* button(const QString& caption, const QString& hint = QString()) {
    auto* b = new QPushButton(caption);
    if (!hint.isEmpty()) b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

QLabel* boldLabel(const QString& text = QString()) {
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

void makeBold(QWidget* widget) {
    QFont font = widget->font();
    font.setBold(true);
    widget->setFont(font);
}

}  // namespace

TdlgEditSite::TdlgEditSite(QWidget* parent) : platform::ModalDialog(parent) {
    setPlacement(platform::WindowPlacement::CentreOnScreen);
    setWindowTitle("Edit Site");
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);

    // --- Rotations (left) ---
    edtsite = new QLineEdit;
    edtsite->setReadOnly(true);
    makeBold(edtsite);
    lbxrotations = new SelectionListBox;
    // Wide enough for a whole line of a built-up rotation without a scroll bar.
    lbxrotations->setMinimumWidth(lbxrotations->fontMetrics().horizontalAdvance("Rotation 99 : 9999 Images : NOT BUILT") +
                                  2 * lbxrotations->frameWidth() +
                                  lbxrotations->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16);
    btnNewRotation = button("New Rotation", "Add a new rotation (version) to the current site");
    btndeleterotation = button("Delete Rotation", "Delete the selected rotation (version) from this site");

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel("Site:"));
    left->addWidget(edtsite);
    left->addWidget(new QLabel("This Site Contains:"));
    left->addWidget(lbxrotations, 1);
    auto* rotationButtons = new QHBoxLayout;
    rotationButtons->addWidget(btnNewRotation);
    rotationButtons->addWidget(btndeleterotation);
    left->addLayout(rotationButtons);

    // --- The current rotation (right) ---
    grpRotations = new QGroupBox;
    makeBold(grpRotations);
    lblstatus = boldLabel();
    edtrotationdirectory = new QLineEdit(this);
    edtrotationdirectory->hide();
    fbxtemp = new TFileListBox(this);
    fbxtemp->Mask = RotationImageMask;
    fbxtemp->hide();

    Label9 = new QLabel("This Rotation contains the following images:");
    FileBox = new TFileListBox;
    FileBox->Mask = RotationImageMask;
    FileBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FileBox->setToolTip(
        "The files that are contained in this site.  To add new images drag them from Windows Explorer.  "
        "To remove images, select them and click delete");
    FileBox->installEventFilter(this);
    DropFileTarget1 = new TDropFileTarget(this);
    DropFileTarget1->Register(FileBox);
    DropFileTarget1->OnDrop = [this](QObject*, TDragType, QPoint) {
        // A copy: the handler's boxes run event loops, and the target clears its list afterwards.
        const QStringList files = DropFileTarget1->Files;
        return !files.isEmpty() && DropFileTarget1Drop(files);
    };
    if (dlgAddImages) dlgAddImages->DragStartPoint = QPoint(-1, -1);
    lblfilecount = new QLabel("Total: 0 images");
    lblfilecount->setAlignment(Qt::AlignRight);
    btnAddFiles = button("Select Images");

    cmbstyle = new QComboBox;
    cmbstyle->setEditable(true);
    cmbstyle->setInsertPolicy(QComboBox::InsertAlphabetically);
    platform::keepTypedFileName(cmbstyle);
    cmbstyle->setToolTip(
        "This is the HTML page from which all created thumbnail index pages will be based.  Any HTML page "
        "can be used but it must contain the text ***CONTENT***");
    btnnewstyle = button("Browse..", "Select a new HTML template page from your hard drive");
    btnteststyle = button("Test Compliance",
                          "Check that the selected HTML template page contains the required text items so that "
                          "it is usable by Lumenfold Pro");
    btnteststyle->setEnabled(false);
    btnviewhtml = button("View Page", "Display the current HTML page in your browser");
    cmbHeader = new QComboBox;
    cmbHeader->addItems({"No Header", "Same Header on all created pages", "Different Header on each created page"});
    cmbHeader->setToolTip(
        "Determines what HTML will be inserted in place of the ***HEADER*** text item in your created HTML pages");
    cmbFooter = new QComboBox;
    cmbFooter->addItems({"No Footer", "Same Footer on all created pages", "Different Footer on each created page"});
    cmbFooter->setToolTip(
        "Determines what HTML will be inserted in place of the ***FOOTER*** text item in your created HTML pages");
    btneditheader = button("Edit Header", "Edit your headers");
    btneditheader->setEnabled(false);
    btneditfooter = button("Edit Footer", "Edit your footers");
    btneditfooter->setEnabled(false);
    edtheaderhtml = new QLineEdit(this);
    edtheaderfile = new QLineEdit(this);
    edtfooterhtml = new QLineEdit(this);
    edtfooterfile = new QLineEdit(this);
    for (auto* hidden : {edtheaderhtml, edtheaderfile, edtfooterhtml, edtfooterfile}) {
        keepAnyLength(hidden);
        hidden->hide();
    }

    auto* styleGroup = new QGroupBox("Style");
    auto* style = new QGridLayout(styleGroup);
    style->addWidget(new QLabel("Please choose an HTML Template page:"), 0, 0, 1, 3);
    style->addWidget(cmbstyle, 1, 0, 1, 3);
    style->addWidget(btnnewstyle, 2, 0);
    style->addWidget(btnteststyle, 2, 1);
    style->addWidget(btnviewhtml, 2, 2);
    style->addWidget(new QLabel("Header/Top Banner:"), 3, 0);
    style->addWidget(cmbHeader, 3, 1);
    style->addWidget(btneditheader, 3, 2);
    style->addWidget(new QLabel("Footer/Bottom Banner:"), 4, 0);
    style->addWidget(cmbFooter, 4, 1);
    style->addWidget(btneditfooter, 4, 2);

    btnThumbnailOptions =
        button("Other Layout Settings", "Specify other options and settings for the current site or rotation");
    btnCopyFrom = button("Copy settings..", "Copy settings from another site or rotation to this one");
    btnApplytoAll = button("Apply to All", "Apply the current settings to all rotations within this site");
    btnApplytoAll->setEnabled(false);
    btnbuild = button("Build!", "Build HTML and thumbnails for the current rotations");
    makeBold(btnbuild);
    btnbuild->setDefault(true);
    btnBuildAll = button("Build All", "Build HTML and thumbnails for all rotations of the current site");
    makeBold(btnBuildAll);
    btnBuildAll->setEnabled(false);
    btnpreview = button("Preview", "Preview the current Rotation or Site");

    auto* rotation = new QVBoxLayout(grpRotations);
    rotation->addWidget(lblstatus);
    rotation->addWidget(Label9);
    rotation->addWidget(FileBox, 1);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(btnAddFiles);
    countRow->addStretch(1);
    countRow->addWidget(lblfilecount);
    rotation->addLayout(countRow);
    rotation->addWidget(styleGroup);
    auto* settingsRow = new QHBoxLayout;
    settingsRow->addWidget(btnThumbnailOptions);
    settingsRow->addWidget(btnCopyFrom);
    settingsRow->addWidget(btnApplytoAll);
    rotation->addLayout(settingsRow);
    auto* buildRow = new QHBoxLayout;
    buildRow->addWidget(btnbuild);
    buildRow->addWidget(btnBuildAll);
    buildRow->addWidget(btnpreview);
    rotation->addLayout(buildRow);

    BitBtn1 = button("Help", "Display Help Information");
    BitBtn2 = button("Close", "Return to the Site selector");

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addWidget(grpRotations, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(buttonRow({BitBtn1, BitBtn2}));

    // Only the group's caption is bold: its controls get the dialog's own font back, and the few
    // bold ones are made bold again.
    // The weight is set explicitly: a font that merely equals the dialog's would still inherit
    // the group's bold.
    QFont plain = grpRotations->font();
    plain.setBold(false);
    for (QWidget* child : grpRotations->findChildren<QWidget*>()) child->setFont(plain);
    for (QWidget* bold : std::initializer_list<QWidget*>{lblstatus, btnbuild, btnBuildAll}) makeBold(bold);
    // The status line wraps within two lines of its own (a missing directory's path is long), so
    // that neither its length nor its text makes the editor wider or taller.
    lblstatus->setWordWrap(true);
    lblstatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    lblstatus->setFixedHeight(2 * lblstatus->fontMetrics().lineSpacing() + 2 * lblstatus->margin());

    lbxrotations->setClickHandler([this] { lbxrotationsClick(); });
    connect(btnNewRotation, &QPushButton::clicked, this, [this] { btnNewRotationClick(); });
    connect(btndeleterotation, &QPushButton::clicked, this, [this] { btndeleterotationClick(); });
    connect(btnCopyFrom, &QPushButton::clicked, this, [this] { btnCopyFromClick(); });
    connect(btnApplytoAll, &QPushButton::clicked, this, [this] { btnApplytoAllClick(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(platform::mrCancel); });

    connect(edtrotationdirectory, &QLineEdit::textChanged, this, [this] { edtrotationdirectoryChange(); });
    connect(FileBox, &TFileListBox::changed, this, [this] { FileBoxChange(); });
    connect(btnAddFiles, &QPushButton::clicked, this, [this] { btnAddFilesClick(); });

    connect(cmbstyle, &QComboBox::editTextChanged, this, [this] { cmbstyleChange(); });
    connect(cmbstyle->lineEdit(), &QLineEdit::editingFinished, this, [this] { cmbstyleExit(); });
    connect(btnnewstyle, &QPushButton::clicked, this, [this] { btnnewstyleClick(); });
    connect(btnteststyle, &QPushButton::clicked, this, [this] { btnteststyleClick(); });
    connect(btnviewhtml, &QPushButton::clicked, this, [this] { btnpreviewClick(btnviewhtml); });
    connect(cmbHeader, &QComboBox::currentIndexChanged, this, [this] { cmbHeaderChange(); });
    connect(cmbFooter, &QComboBox::currentIndexChanged, this, [this] { cmbHeaderChange(); });
    connect(btneditheader, &QPushButton::clicked, this, [this] { btneditheaderClick(btneditheader); });
    connect(btneditfooter, &QPushButton::clicked, this, [this] { btneditheaderClick(btneditfooter); });
    connect(btnThumbnailOptions, &QPushButton::clicked, this, [this] { btnThumbnailOptionsClick(); });
    connect(btnbuild, &QPushButton::clicked, this, [this] { btnbuildClick(btnbuild); });
    connect(btnBuildAll, &QPushButton::clicked, this, [this] { btnBuildAllClick(); });
    connect(btnpreview, &QPushButton::clicked, this, [this] { btnpreviewClick(btnpreview); });
}

TdlgEditSite::~TdlgEditSite() { DropFileTarget1->Unregister(); }

void TdlgEditSite::done(int result) {
    if (isVisible()) FormClose();
    platform::ModalDialog::done(result);
}

// The Delete key on the image list.
bool TdlgEditSite::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FileBox && event->type() == QEvent::KeyRelease) FileBoxKeyUp(static_cast<QKeyEvent*>(event)->key());
    return platform::ModalDialog::eventFilter(watched, event);
}
