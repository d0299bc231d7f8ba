#include "components/folder_dialog.h"

#include "components/folder_browse_window.h"
#include "components/shell_tree.h"
#include "platform/dialogs.h"
#include "platform/shell_namespace.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QMetaProperty>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>

namespace shell = platform::shell;

namespace {

QList<shell::Item> chainOfLocation(QStandardPaths::StandardLocation location) {
    const QString path = QStandardPaths::writableLocation(location);
    return path.isEmpty() ? QList<shell::Item>{} : shell::chainTo(path);
}

// The items from the Desktop down to a special folder; empty for the whole namespace.
QList<shell::Item> rootChain(TShellFolder folder) {
    switch (folder) {
    case sfoDesktop: return {shell::desktop()};
    case sfoMyComputer: return {shell::desktop(), shell::computer()};
    case sfoRecycleBin: return {shell::desktop(), shell::trash()};
    case sfoPersonal: return chainOfLocation(QStandardPaths::DocumentsLocation);
    case sfoDesktopDirectory: return chainOfLocation(QStandardPaths::DesktopLocation);
    case sfoAppData: return chainOfLocation(QStandardPaths::GenericDataLocation);
    default: return {};
    }
}

// A new button of the same kind, with the given one's own settings copied over.
QAbstractButton* cloneButton(QAbstractButton* source) {
    QAbstractButton* clone = nullptr;
    if (qobject_cast<QCheckBox*>(source)) clone = new QCheckBox;
    else if (qobject_cast<QRadioButton*>(source)) clone = new QRadioButton;
    else if (qobject_cast<QPushButton*>(source)) clone = new QPushButton;
    if (!clone) return nullptr;
    const QMetaObject* meta = source->metaObject();
    for (int i = QAbstractButton::staticMetaObject.propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (property.isWritable() && property.isStored()) property.write(clone, property.read(source));
    }
    for (const char* name : {"toolTip", "statusTip", "whatsThis", "font", "styleSheet"})
        clone->setProperty(name, source->property(name));
    // The clone's clicks are the button's own: its handlers run, with the clone's state.
    QObject::connect(clone, &QAbstractButton::clicked, source, &QAbstractButton::clicked);
    return clone;
}

}  // namespace

TFolderDialog::TFolderDialog(QWidget* owner) : QObject(owner), owner_(owner) {}

TFolderDialog::~TFolderDialog() {
    if (window_) window_->reject();
}

QWidget* TFolderDialog::ParentControl() const { return owner_ ? owner_ : QApplication::activeWindow(); }

QString TFolderDialog::Directory() const { return window_ ? selectionPath_ : directory_; }

void TFolderDialog::setDirectory(const QString& directory) {
    directory_ = directory;
    SelectDirectory(directory);
}

QString TFolderDialog::Title() const { return window_ ? window_->windowTitle() : title_; }

void TFolderDialog::setTitle(const QString& title) {
    title_ = title;
    if (window_) window_->setWindowTitle(title);
}

QAbstractButton* TFolderDialog::CustomButton() const { return window_ && clone_ ? clone_ : customButton_.data(); }

void TFolderDialog::setTop(int top) {
    top_ = top;
    PositionDialog();
}

void TFolderDialog::setLeft(int left) {
    left_ = left;
    PositionDialog();
}

void TFolderDialog::setOptions(TFolderDialogOptions value) {
    const TFolderDialogOptions old = options_;
    TFolderDialogOptions a = value;
    // Only one way of centring: the one just added wins.
    if (a.testFlag(bfScreenCenter) && a.testFlag(bfParentCenter)) {
        if (old.testFlag(bfScreenCenter)) a &= ~TFolderDialogOptions(bfScreenCenter);
        else if (old.testFlag(bfParentCenter)) a &= ~TFolderDialogOptions(bfParentCenter);
    }
    if (a.testFlag(bfBrowseForComputer) && !old.testFlag(bfBrowseForComputer)) {
        rootFolder_ = sfoNetwork;
        a &= ~TFolderDialogOptions(bfFileSysDirsOnly | bfFileSysAncestors | bfBrowseForPrinter);
    } else if (a.testFlag(bfBrowseForPrinter) && !old.testFlag(bfBrowseForPrinter)) {
        a &= ~TFolderDialogOptions(bfFileSysDirsOnly | bfDontGoBelowDomain | bfFileSysAncestors | bfBrowseForComputer);
    }
    // A path in the status line needs the status line, and goes with it.
    if (a.testFlag(bfShowPathInStatusArea) && !old.testFlag(bfShowPathInStatusArea) && !a.testFlag(bfStatusText))
        a |= bfStatusText;
    if (!a.testFlag(bfStatusText) && old.testFlag(bfStatusText) && a.testFlag(bfShowPathInStatusArea))
        a &= ~TFolderDialogOptions(bfShowPathInStatusArea);
    options_ = a;
}

bool TFolderDialog::Execute() {
    TFolderBrowseWindow window(ParentControl());
    window_ = &window;
    selectionPath_.clear();
    window.lblText->setText(text_);
    window.lblText->setVisible(!text_.isEmpty());
    window.lblStatus->setVisible(options_.testFlag(bfStatusText));
    TShellTree* tree = window.tree;
    tree->setOptions(options_.testFlag(bfBrowseIncludeFiles) ? TVisOptions(TF_FOLDERS | TF_NONFOLDERS) : TVisOptions(TF_FOLDERS));
    const QList<shell::Item> chain = rootChain(rootFolder_);
    if (!chain.isEmpty()) {
        tree->setUserRoot(chain);
        tree->setRootPIDL(PIDL_USERDEFINED);
    }
    tree->Loaded();
    connect(tree, &TShellTree::OnChange, this, [this](TShellNode* node) { SelectionChanged(node); });
    connect(window.btnOk, &QPushButton::clicked, this, [this] { Accept(); });
    SelectionChanged(tree->Selected());
    Initialized();

    const bool ok = platform::showModal(window) == platform::mrOk;
    if (QWidget* parent = ParentControl()) parent->setFocus();
    directory_ = ok ? selectionPath_ : QString();
    window_ = nullptr;
    delete clone_;
    clone_ = nullptr;
    if (OnClose) OnClose(this);
    return ok;
}

void TFolderDialog::Initialized() {
    window_->layout()->activate();
    PositionDialog();
    if (!directory_.isEmpty()) SelectDirectory(directory_);
    if (customButton_) PlaceClone();
    window_->setWindowTitle(title_);
    if (OnShow) OnShow(this);
}

void TFolderDialog::SelectDirectory(const QString& pathText) {
    if (!window_ || pathText == selectionPath_) return;
    QString path = pathText;
    if (path.endsWith("/.")) path.chop(1);
    // The nearest existing folder is selected, with the tree opened down to it; a path of which
    // nothing exists, or one outside the root, leaves the selection as it is.
    const QString nearest = shell::normalizeDirectory(path);
    if (nearest.isEmpty()) return;
    TShellTree* tree = window_->tree;
    TShellNode* node = tree->FindNodeOfPath(nearest, true);
    if (!node || node->Path().isEmpty()) return;
    node->setExpanded(true);
    tree->setCurrentItem(node);
    tree->scrollToItem(node);
}

void TFolderDialog::SelectionChanged(TShellNode* node) {
    if (!window_) return;
    const QString path = node ? node->Path() : QString();
    selectionPath_ = path;
    if (options_.testFlag(bfFileSysDirsOnly)) {
        window_->btnOk->setEnabled(!path.isEmpty());
        if (options_.testFlag(bfSyncCustomButton) && clone_) clone_->setEnabled(!path.isEmpty());
    }
    if (!path.isEmpty()) {
        if (options_.testFlag(bfShowPathInStatusArea)) SetStatusText(path);
        if (OnChange) OnChange(this);
    } else if (options_.testFlag(bfFileSysDirsOnly) || options_.testFlag(bfShowPathInStatusArea)) {
        SetStatusText(QString());
    }
}

void TFolderDialog::SetStatusText(const QString& text) {
    statusText_ = text;
    if (window_) window_->lblStatus->setFullText(text, options_.testFlag(bfShowPathInStatusArea));
}

void TFolderDialog::PlaceClone() {
    QAbstractButton* clone = cloneButton(customButton_);
    if (!clone) return;  // a kind of control that cannot be copied: the dialog opens without it
    clone_ = clone;
    const QSize cancel = window_->btnCancel->sizeHint();
    const bool pushButton = qobject_cast<QPushButton*>(customButton_.data()) != nullptr;
    const QSize size = options_.testFlag(bfResizeCustomButton)
                           ? cancel
                           : QSize(customButton_->width(), pushButton ? cancel.height() : customButton_->height());
    clone->setFixedSize(size);
    if (options_.testFlag(bfAlignCustomButton)) {
        window_->buttonLine->insertWidget(0, clone);
    } else {
        clone->setParent(window_);
        clone->move(customButton_->pos());
        clone->raise();
    }
    clone->setEnabled(customButton_->isEnabled());
    if (options_.testFlag(bfSyncCustomButton)) clone->setEnabled(window_->btnOk->isEnabled());
}

void TFolderDialog::Accept() {
    // A check box or radio button takes the clone's state, without running its click handler.
    if (clone_ && customButton_ && customButton_->isCheckable()) {
        const QSignalBlocker blocker(customButton_.data());
        customButton_->setChecked(clone_->isChecked());
    }
    window_->closeWithResult(platform::mrOk);
}

void TFolderDialog::PositionDialog() {
    if (!window_) return;
    QWidget* parent = ParentControl();
    QPoint place;
    if (options_.testFlag(bfParentCenter) && parent) {
        const QRect frame = parent->window()->frameGeometry();
        place = QPoint(frame.left() + frame.width() / 2 - window_->frameGeometry().width() / 2,
                       frame.top() + frame.height() / 4);
    } else if (options_.testFlag(bfScreenCenter) || options_.testFlag(bfParentCenter)) {
        const QScreen* screen = window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->geometry() : QRect();
        place = QPoint((area.width() - window_->width()) / 2, (area.height() - window_->height()) / 3);
    } else {
        place = parent ? parent->mapToGlobal(QPoint(left_, top_)) : QPoint(left_, top_);
    }
    window_->move(place);
}
