#include "site_manager/add_images_dialog.h"

#include "components/drop_file_source.h"
#include "components/drop_file_target.h"
#include "components/file_list_box.h"
#include "components/shell_tree.h"
#include "components/thumb_grid.h"
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/hourglass.h"
#include "platform/ini_file.h"
#include "site_manager/application_options.h"
#include "site_manager/file_helpers.h"
#include "site_manager/dropped_files.h"
#include "site_manager/rotation_images.h"
#include "site_manager/rotation_store.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <cstdlib>
#include <exception>

TdlgAddImages* dlgAddImages = nullptr;

namespace {

const QString SourceMask =
    QStringLiteral("*.JPE;*.JPG;*.GIF;*.BMP;*.DIB;*.RLE;*.PCX;*.WMF;*.EMF;*.JIF;*.PNG;*.TIF;*.TGA;*.PBM;*.PGM;*.PPM;");
const QString GridFormats = QStringLiteral(
    "*.JPE;*.JPG;*.GIF;*.BMP;*.DIB;*.RLE;*.PCX;*.WMF;*.EMF;*.JIF;*.PNG;*.TIF;*.TGA;*.PBM;*.PGM;*.PPM;*.jpeg;*.TIFF");
const QString CopyCaption = QStringLiteral("Copy to current Site");
const int DragThreshold = 10;
const int RotationPanelWidth = 340;

// Copying a file onto itself would delete it before the copy: the batch stops here instead.
void sameAsSourceMessage() {
    platform::messageBox("The destination folder is the same as the source!", platform::MessageKind::Error,
                         platform::MessageButtons::OK, "DropSource Demo");
}

bool exactlyOneDragButton(Qt::MouseButtons buttons) {
    return buttons == Qt::MouseButtons(Qt::LeftButton) || buttons == Qt::MouseButtons(Qt::RightButton);
}

}  // namespace

TdlgAddImages::TdlgAddImages(QWidget* parent) : platform::ModalDialog(parent) {
    setWindowTitle("Add Images to Current Rotation");

    // --- Source images ---
    dirSource = new TShellTree;
    dirSource->setOptions(TF_FOLDERS);
    dirSource->setIndentation(19);
    ThumbGrid = new TXThumbGrid(nullptr, 100);
    ThumbGrid->SetThumbDisplayType(tdtLargeIcon);
    ThumbGrid->SetDiskCacheSaveFormat(".jpg");
    ThumbGrid->SupportedFormats = GridFormats;
    ThumbGrid->setColumnCount(3);
    fbxsource = new TFileListBox(this);
    fbxsource->Mask = SourceMask;
    fbxsource->setSelectionMode(QAbstractItemView::ExtendedSelection);
    fbxsource->hide();
    btncopy2site = new QPushButton(CopyCaption);
    btncopy2site->setToolTip("Copies the selected images to the current site or rotation");
    btncopy2site->setEnabled(false);
    btncopy2site->setAutoDefault(false);

    Splitter1 = new QSplitter(Qt::Vertical);
    Splitter1->addWidget(dirSource);
    Splitter1->addWidget(ThumbGrid);
    Splitter1->setStretchFactor(1, 1);
    auto* sourceGroup = new QGroupBox("Source Images");
    auto* source = new QVBoxLayout(sourceGroup);
    source->addWidget(new QLabel("  You can drag files from the selected directory to add to your site"));
    source->addWidget(Splitter1, 1);
    auto* Panel4 = new QHBoxLayout;
    Panel4->setContentsMargins(10, 0, 10, 0);
    Panel4->addWidget(btncopy2site);
    source->addLayout(Panel4);

    // --- Rotations ---
    edtsitename = new QLineEdit;
    edtsitename->setReadOnly(true);
    lblrotation = new QLabel("Rotation:");
    cmbrotation = new QComboBox;
    cmbrotation->setToolTip("Select a rotation to copy images to");
    edtrotationdirectory = new QLineEdit;
    edtrotationdirectory->setReadOnly(true);
    lblimagesheading = new QLabel("This Rotation contains the following images:");
    FileBox = new TFileListBox;
    FileBox->Mask = RotationImageMask;
    FileBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lblfilecount = new QLabel;
    auto* note = new QLabel(
        "(to add new images drag and drop the from Explorer or the source directories on the right.  To remove files "
        "select them and click 'Delete')");
    note->setWordWrap(true);

    auto* rotationGroup = new QGroupBox("Rotations");
    auto* rotation = new QGridLayout(rotationGroup);
    rotation->addWidget(new QLabel("Site:"), 0, 0);
    rotation->addWidget(edtsitename, 0, 1);
    rotation->addWidget(lblrotation, 1, 0);
    rotation->addWidget(cmbrotation, 1, 1);
    rotation->addWidget(new QLabel("Location"), 2, 0);
    rotation->addWidget(edtrotationdirectory, 2, 1);
    rotation->addWidget(lblimagesheading, 3, 0, 1, 2);
    rotation->addWidget(FileBox, 4, 0, 1, 2);
    rotation->setRowStretch(4, 1);
    rotation->addWidget(lblfilecount, 5, 0, 1, 2);
    rotation->addWidget(note, 6, 0, 1, 2);

    BitBtn1 = new QPushButton("Close");
    BitBtn1->setAutoDefault(false);

    // The source side takes what the dialog gains or loses in width; the rotation side keeps its own.
    rotationGroup->setFixedWidth(RotationPanelWidth);
    auto* panels = new QHBoxLayout;
    panels->addWidget(sourceGroup, 1);
    panels->addWidget(rotationGroup, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(panels, 1);
    layout->addLayout(buttonRow({BitBtn1}));
    resize(900, 620);

    DropSource1 = new TDropFileSource(this);
    DropSource1->Dragtypes = TDragTypes{TDragType::dtCopy};
    DropFileTarget1 = new TDropFileTarget(this);
    DropFileTarget1->Register(FileBox);
    DropFileTarget1->OnDrop = [this](QObject*, TDragType, QPoint) {
        // A copy: the handler's boxes run event loops, and the target clears its list afterwards.
        const QStringList files = DropFileTarget1->Files;
        return !files.isEmpty() && DropFileTarget1Drop(files);
    };

    connect(dirSource, &TShellTree::OnChange, this, [this] { dirSourceChange(); });
    connect(cmbrotation, &QComboBox::activated, this, [this] { cmbrotationChange(); });
    connect(edtrotationdirectory, &QLineEdit::textChanged, this, [this] { edtrotationdirectoryChange(); });
    connect(FileBox, &TFileListBox::changed, this, [this] { FileBoxChange(); });
    FileBox->installEventFilter(this);
    fbxsource->viewport()->installEventFilter(this);
    connect(btncopy2site, &QPushButton::clicked, this, [this] { btncopy2siteClick(); });
    connect(ThumbGrid, &TXThumbGrid::MouseUp, this, [this] { ThumbGridMouseUp(); });
    connect(ThumbGrid, &TXThumbGrid::DblClick, this, [this] { ThumbGridDblClick(); });
    connect(ThumbGrid, &TXThumbGrid::MouseDown, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers, QPoint position) { fbxsourceMouseDown(position); });
    connect(ThumbGrid, &TXThumbGrid::MouseMove, this,
            [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers keys, QPoint position) {
                fbxsourceMouseMove(ThumbGrid, buttons, keys, position);
            });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(platform::mrCancel); });

    // The tree starts at the user's home folder, whose images the grid then shows.
    dirSource->Loaded();
    dirSource->setPath(QDir::homePath());
}

TdlgAddImages::~TdlgAddImages() { DropFileTarget1->Unregister(); }

void TdlgAddImages::FormShow() {
    const bool rotations = ApplicationOptions.UseRotations;
    lblrotation->setText(rotations ? "Rotation:" : "Version:");
    lblimagesheading->setText(rotations ? "This Rotation contains the following images:"
                                        : "This Site contains the following images:");
    edtsitename->setText(tsiterecord.Name);
    if (!dlgEditSite) return;
    // One entry per rotation of the editor's list, which the editor has just loaded.
    cmbrotation->clear();
    for (int n = 1; n <= dlgEditSite->lbxrotations->count(); ++n)
        cmbrotation->addItem(rotations ? "Rotation " + QString::number(n) : QStringLiteral("Current Site"));
    // The rotation first: its list follows the directory and counts by that rotation's settings.
    cmbrotation->setCurrentIndex(CurrentRotationNumber - 1);
    shownRotationIndex_ = cmbrotation->currentIndex();
    const QString directory = dlgEditSite->edtrotationdirectory->text();
    if (edtrotationdirectory->text() == directory)
        edtrotationdirectoryChange();  // the same directory, read again: the editor may have changed it
    else
        edtrotationdirectory->setText(directory);
}

void TdlgAddImages::dirSourceChange() {
    const QString path = dirSource->Path();
    if (path.isEmpty()) return;  // a virtual folder (Desktop, Computer) has no files to show
    try {
        fbxsource->ApplyFilePath(path);
        ThumbGrid->LoadFromSource(fbxsource, true, true);
    } catch (const std::exception&) {
        platform::messageBox("Error encountered changing to this directory");
    }
    ThumbGridMouseUp();  // the button follows the selection the grid was filled with
}

void TdlgAddImages::cmbrotationChange() {
    const int index = cmbrotation->currentIndex();
    if (index < 0) return;
    const QString n = QString::number(index + 1);
    const QString fallback = defaultRotationDirectory(tsiterecord.Path, "Rotation", n.toLongLong());
    const QString directory =
        expandpath(platform::IniFile(siteFileName(tsiterecord.key)).readString("Rotation_" + n, "Rotation_Path", fallback));
    if (platform::canListDirectory(directory)) {
        shownRotationIndex_ = index;
        edtrotationdirectory->setText(directory);
    } else {
        // The combo names the rotation whose directory and images are shown.
        cmbrotation->setCurrentIndex(shownRotationIndex_);
        platform::showWarning("Error!  The directory, " + directory + ", could not be located!");
    }
}

void TdlgAddImages::edtrotationdirectoryChange() {
    const QString directory = edtrotationdirectory->text();
    // The list shows what a build of the chosen rotation would take as images, as the editor's does.
    const QStringList support = rotationSupportFileNames(tsiterecord.key, cmbrotation->currentIndex() + 1);
    FileBox->Accept = [support](const QString& name) { return isRotationImage(name, support); };
    try {
        FileBox->ApplyFilePath(directory);
        rotationLocated_ = true;
    } catch (const std::exception&) {
        rotationLocated_ = false;
        FileBox->clear();  // never the list of a rotation other than the one named
        FileBoxChange();
        platform::showWarning("Error encountered changing to the directory, " + directory + "!");
    }
}

void TdlgAddImages::FileBoxChange() { lblfilecount->setText(QString::number(FileBox->count()) + " Images"); }

QString TdlgAddImages::locatedRotationDirectory() {
    if (rotationLocated_) return fixpath(FileBox->Directory(), true);
    platform::showWarning("Error!  The directory, " + edtrotationdirectory->text() + ", could not be located!");
    return QString();
}

// Only the editor's rotation has its settings at hand, in the editor's controls: the pages of
// another rotation are left as they are.
std::optional<RotationPageNaming> TdlgAddImages::shownRotationPageNaming(const QString& directory) const {
    if (!dlgEditSite || cmbrotation->currentIndex() + 1 != CurrentRotationNumber ||
        !sameFile(directory, dlgEditSite->edtrotationdirectory->text()))
        return std::nullopt;
    return dlgEditSite->currentPageNaming(FileBox->fileNames());
}

// Names in FileBox are deleted by their full path in the rotation directory: the process's
// current directory is wherever a file list was last pointed, often the source folder that
// holds the originals of these very names.
void TdlgAddImages::FileBoxKeyUp(int key) {
    if (key != Qt::Key_Delete) return;
    const QStringList selected = FileBox->selectedFileNames();
    if (selected.isEmpty()) return;
    const QString directory = locatedRotationDirectory();
    if (directory.isEmpty()) return;
    auto remove = [&](const QStringList& names) {
        deleteRotationImages(directory, names, shownRotationPageNaming(directory));
    };
    if (selected.size() == 1) {
        if (platform::confirmYesNo("Are you sure you want to delete the file, " + selected.first() + "?"))
            remove({selected.first()});
        FileBox->Update();
        return;
    }
    {
        platform::Hourglass hourglass;
        if (platform::confirmYesNo("Are you sure you want to delete these " + QString::number(selected.size()) +
                                   " files?"))
            remove(QStringList(selected.crbegin(), selected.crend()));
    }
    FileBox->Update();
}

void TdlgAddImages::btncopy2siteClick() {
    const QString directory = locatedRotationDirectory();
    if (directory.isEmpty() || !dlgEditSite) return;
    QStringList files;
    ThumbGrid->GetSelectedFiles(files);
    for (const QString& source : files) {
        const QString target = directory + QFileInfo(source).fileName();
        if (sameFile(source, target)) {
            sameAsSourceMessage();
            break;
        }
        if (!dlgEditSite->addimage(source, target)) break;
    }
    FileBox->Update();
}

bool TdlgAddImages::DropFileTarget1Drop(const QStringList& files) {
    const QString directory = locatedRotationDirectory();
    if (directory.isEmpty() || !dlgEditSite) return false;
    const bool whole = addDroppedImages(*dlgEditSite, directory, files);
    FileBox->Update();
    return whole;
}

void TdlgAddImages::ThumbGridMouseUp() {
    const int n = ThumbGrid->SelectedCount();
    btncopy2site->setEnabled(n > 0);
    btncopy2site->setText(n > 0 ? "Copy these " + QString::number(n) + " images to the current Site" : CopyCaption);
}

void TdlgAddImages::ThumbGridDblClick() {
    if (btncopy2site->isEnabled()) btncopy2siteClick();
}

void TdlgAddImages::fbxsourceMouseDown(const QPoint& position) { DragStartPoint = position; }

void TdlgAddImages::fbxsourceMouseMove(QObject* sender, Qt::MouseButtons buttons, Qt::KeyboardModifiers keys,
                                       const QPoint& position) {
    if (DragStartPoint == QPoint(-1, -1) || keys != Qt::NoModifier || !exactlyOneDragButton(buttons)) return;
    if (std::abs(position.x() - DragStartPoint.x()) < DragThreshold &&
        std::abs(position.y() - DragStartPoint.y()) < DragThreshold)
        return;
    DropSource1->Files.clear();
    if (sender == fbxsource) {
        const QString directory = fixpath(fbxsource->Directory(), true);
        for (const QString& name : fbxsource->selectedFileNames()) DropSource1->Files << directory + name;
    } else {
        ThumbGrid->GetSelectedFiles(DropSource1->Files);
    }
    DropSource1->Execute();
}

bool TdlgAddImages::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FileBox && event->type() == QEvent::KeyRelease)
        FileBoxKeyUp(static_cast<QKeyEvent*>(event)->key());
    if (watched == fbxsource->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            fbxsourceMouseDown(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (event->type() == QEvent::MouseMove) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            fbxsourceMouseMove(fbxsource, mouse->buttons(), mouse->modifiers(), mouse->position().toPoint());
        }
    }
    return platform::ModalDialog::eventFilter(watched, event);
}
