#include "components/shell_tree.h"

#include "components/context_menu.h"
#include "components/disc_monitor.h"
#include "components/disc_monitor_watcher.h"
#include "components/shell_mask.h"
#include "platform/hourglass.h"

#include <QContextMenuEvent>
#include <QHash>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QStandardPaths>
#include <algorithm>

namespace shell = platform::shell;

namespace {

// The change filter the tree hands to its monitors: names of files and of folders.
constexpr quint32 kChangeFilter = disc_monitor::FilterFileName | disc_monitor::FilterDirName;

// Suspends painting while a batch of nodes changes; nests.
class UpdateLock {
public:
    explicit UpdateLock(QWidget* widget) : widget_(widget), wasEnabled_(widget->updatesEnabled()) {
        if (wasEnabled_) widget_->setUpdatesEnabled(false);
    }
    ~UpdateLock() {
        if (wasEnabled_) widget_->setUpdatesEnabled(true);
    }

private:
    QWidget* widget_;
    bool wasEnabled_;
};

QString nodeKey(const shell::Item& item) { return QString::number(int(item.kind)) + ':' + item.path; }

QPixmap withLinkOverlay(QPixmap pixmap) {
    QPainter painter(&pixmap);
    const qreal s = pixmap.width() / pixmap.devicePixelRatio();
    const QRectF box(0, s * 0.55, s * 0.45, s * 0.45);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(box, Qt::white);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(box.adjusted(0, 0, -0.5, -0.5));
    painter.drawLine(QPointF(box.left() + 2, box.bottom() - 2), QPointF(box.right() - 2, box.top() + 2));
    painter.drawLine(QPointF(box.right() - 2, box.top() + 2), QPointF(box.right() - 2, box.center().y()));
    painter.drawLine(QPointF(box.right() - 2, box.top() + 2), QPointF(box.center().x(), box.top() + 2));
    return pixmap;
}

QList<shell::Item> chainOfPath(const QString& path) {
    return path.isEmpty() ? QList<shell::Item>{} : shell::chainTo(path);
}

}  // namespace

// ---- TShellNode ----

TShellNode::TShellNode(const shell::Item& item) { setItem(item); }

TShellNode::~TShellNode() = default;  // the monitor goes with the node; a late report runs nothing

bool TShellNode::operator<(const QTreeWidgetItem& other) const {
    const TShellTree* tree = Tree();
    return tree ? tree->NodeLess(this, static_cast<const TShellNode*>(&other)) : text(0) < other.text(0);
}

TShellTree* TShellNode::Tree() const { return qobject_cast<TShellTree*>(treeWidget()); }

void TShellNode::setItem(const shell::Item& item) {
    item_ = item;
    QTreeWidgetItem::setData(0, Qt::DisplayRole, GetDisplayName());
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (item_.attributes & shell::CANRENAME) flags |= Qt::ItemIsEditable;
    setFlags(flags);
}

void TShellNode::UpdateIcons() {
    if (TShellTree* tree = Tree()) setIcon(0, tree->NodeIcon(item_));
}

void TShellNode::setData(int column, int role, const QVariant& value) {
    TShellTree* tree = Tree();
    // Only the label editor writes the edit role: a finished edit becomes a rename.
    if (role == Qt::EditRole && tree && column == 0) {
        tree->EditCommitted(this, value.toString());
        return;
    }
    QTreeWidgetItem::setData(column, role, value);
}

bool TShellNode::Rename(const QString& newName) {
    if (newName == text(0)) return false;
    shell::Item renamed;
    if (!shell::rename(item_, newName, &renamed)) return false;
    const QString oldPath = item_.path;
    renamed.kind = item_.kind;
    setItem(renamed);
    movePaths(oldPath, renamed.path);
    UpdateIcons();
    if (QTreeWidgetItem* up = parent()) up->sortChildren(0, Qt::AscendingOrder);
    if (TShellTree* tree = Tree()) emit tree->OnChange(this);
    return true;
}

void TShellNode::movePaths(const QString& oldPrefix, const QString& newPrefix) {
    if (item_.path.startsWith(oldPrefix)) item_.path = newPrefix + item_.path.mid(oldPrefix.size());
    if (monitor_) monitor_->setDirectory(item_.path);
    for (int i = 0; i < childCount(); ++i) static_cast<TShellNode*>(child(i))->movePaths(oldPrefix, newPrefix);
}

void TShellNode::StartMonitor() {
    monitor_ = std::make_unique<TDiscMonitorThread>();
    monitor_->setWatchSubtree(true);
    monitor_->setFilter(kChangeFilter);
    monitor_->OnChange = [this](TDiscMonitorThread*) {
        if (TShellTree* tree = Tree()) tree->NodeChanged(this);
    };
    monitor_->setDirectory(item_.path);
    monitor_->Resume();
}

// ---- TShellTree ----

TShellTree::TShellTree(QWidget* parent) : QTreeWidget(parent), mountToken_(std::make_shared<disc_monitor::Token>()) {
    resize(170, 270);
    setColumnCount(1);
    setHeaderHidden(true);
    setUniformRowHeights(true);  // keeps folders with thousands of subfolders quick
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    connect(this, &QTreeWidget::itemExpanded, this, &TShellTree::NodeExpanded);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { emit OnChange(static_cast<TShellNode*>(current)); });
    mountToken_->onChange = [this] { RescanDrives(); };
}

TShellTree::~TShellTree() {
    mountToken_->alive = false;
    if (mountWatch_) disc_monitor::unwatchMounts(mountWatch_);
    blockSignals(true);
    clear();  // nodes and their monitors go before the tree's settings do
}

void TShellTree::Loaded() {
    Rebuild(0);
    if (!pendingPath_.isEmpty()) setPath(std::exchange(pendingPath_, QString()));
}

void TShellTree::showEvent(QShowEvent* event) {
    if (!built_) Loaded();
    QTreeWidget::showEvent(event);
}

TShellNode* TShellTree::Selected() const { return static_cast<TShellNode*>(currentItem()); }

QString TShellTree::Path() const {
    const TShellNode* node = Selected();
    return node ? node->Path() : QString();
}

void TShellTree::setPath(const QString& path) {
    const QString normalized = shell::normalizeDirectory(path);
    if (normalized.isEmpty()) {
        if (root_) setCurrentItem(root_);
        return;
    }
    if (!built_) {
        pendingPath_ = normalized;
        return;
    }
    if (normalized != Path()) SelectPath(normalized);
}

void TShellTree::setRootDir(const QString& rootDir) {
    const QString normalized = shell::normalizeDirectory(rootDir);
    if (normalized.isEmpty() || normalized == rootDir_) return;
    rootDir_ = normalized;
    if (built_ && !rootUsePidl_) Rebuild(2);
}

void TShellTree::setRootPIDL(TPidls rootPidl) {
    if (rootPidl == rootPidl_) return;
    rootPidl_ = rootPidl;
    if (built_ && rootUsePidl_) Rebuild(1);
}

void TShellTree::setRootUsePIDL(bool value) {
    if (value == rootUsePidl_) return;
    rootUsePidl_ = value;
    if (built_) Rebuild(0);
}

void TShellTree::setUserRoot(const QList<shell::Item>& chain) {
    userRoot_ = chain;
    if (built_ && rootUsePidl_ && rootPidl_ == PIDL_USERDEFINED) Rebuild(1);
}

void TShellTree::setOptions(TVisOptions options) {
    if (options == options_) return;
    options_ = options;
    if (built_) RefreshAll();
}

void TShellTree::setShowIcons(bool value) {
    if (value == showIcons_) return;
    showIcons_ = value;
    for (QTreeWidgetItemIterator it(this); *it; ++it) static_cast<TShellNode*>(*it)->UpdateIcons();
}

void TShellTree::setShowVirtualFolders(bool value) {
    if (value == showVirtualFolders_) return;
    showVirtualFolders_ = value;
    if (built_) RefreshAll();
}

void TShellTree::setFileMask(const QString& mask) {
    const QString value = mask.trimmed().isEmpty() ? QStringLiteral("*.*") : mask;
    QStringList masks;
    for (const QString& piece : value.split(';')) {
        const QString trimmed = piece.trimmed();
        if (!trimmed.isEmpty()) masks << trimmed;
    }
    if (masks == masks_) return;
    masks_ = masks;
    if (built_ && (options_ & TF_NONFOLDERS)) RefreshAll();
}

void TShellTree::setFileMaskUse(bool value) {
    if (value == fileMaskUse_) return;
    fileMaskUse_ = value;
    if (built_ && (options_ & TF_NONFOLDERS)) RefreshAll();
}

void TShellTree::setFileSortType(TFileSortType value) {
    if (value == fileSortType_) return;
    fileSortType_ = value;
    if (root_) SortNode(root_, true);
}

void TShellTree::setFileSortOrder(TFileSortOrder value) {
    if (value == fileSortOrder_) return;
    fileSortOrder_ = value;
    if (root_) SortNode(root_, true);
}

void TShellTree::setShowSharedOverlay(bool value) {
    if (value == showSharedOverlay_) return;
    showSharedOverlay_ = value;
    if (built_) RefreshAll();
}

void TShellTree::setShowLinkOverlay(bool value) {
    if (value == showLinkOverlay_) return;
    showLinkOverlay_ = value;
    if (built_) RefreshAll();
}

void TShellTree::Rebuild(int mode) {
    UpdateLock lock(this);
    const QString oldPath = Path();
    const QString oldRootDir = rootDir_;
    if (!built_) mountWatch_ = disc_monitor::watchMounts(mountToken_);
    built_ = true;
    root_ = nullptr;
    clear();
    InitRoot();
    if (mode == 2) setPath(oldPath);
    else if (oldRootDir.size() > 1) setRootDir(oldRootDir);
}

void TShellTree::InitRoot() {
    QList<shell::Item> chain;
    if (rootUsePidl_) {
        switch (rootPidl_) {
        case PIDL_DESKTOP: chain = {shell::desktop()}; break;
        case PIDL_DRIVES: chain = {shell::desktop(), shell::computer()}; break;
        case PIDL_BITBUCKET: chain = {shell::desktop(), shell::trash()}; break;
        case PIDL_PERSONAL:
            chain = chainOfPath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
            break;
        case PIDL_DESKTOPDIRECTORY:
            chain = chainOfPath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
            break;
        case PIDL_USERDEFINED: chain = userRoot_; break;
        default: break;  // no counterpart here: the desktop stands in
        }
        if (chain.isEmpty()) chain = {shell::desktop()};
    } else {
        chain = chainOfPath(shell::normalizeDirectory(rootDir_));
        if (chain.isEmpty()) chain = shell::chainTo(QStringLiteral("/"));
    }
    SetRoot(chain);
}

void TShellTree::SetRoot(const QList<shell::Item>& chain) {
    rootChain_ = chain;
    root_ = new TShellNode(chain.last());
    addTopLevelItem(root_);
    root_->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    root_->UpdateIcons();
    expandingAllowed_ = true;
    root_->setExpanded(true);
    setCurrentItem(root_);
    if (!rootUsePidl_ && !root_->Path().isEmpty()) rootDir_ = root_->Path();
}

void TShellTree::SelectPath(const QString& path) {
    TShellNode* node = nullptr;
    {
        UpdateLock lock(this);
        node = FindNodeOfPath(path, true);
    }
    if (!node) return;
    node->setExpanded(true);
    setCurrentItem(node);
    scrollToItem(node);
}

TShellNode* TShellTree::FindNodeOfPath(const QString& path, bool expand) {
    if (!root_) return nullptr;
    // The way down is taken from the root itself, so that a path reaches its node under any
    // root (below Computer a path under Home goes through its volume, for one).
    const QList<shell::Item> chain = shell::chainBelow(root_->item_, path);
    if (chain.isEmpty() || !chain.first().sameAs(root_->item_)) return nullptr;
    TShellNode* node = root_;
    if (expand && !node->isExpanded()) node->setExpanded(true);
    for (int i = 1; i < chain.size(); ++i) {
        TShellNode* match = nullptr;
        for (int c = 0; c < node->childCount() && !match; ++c) {
            auto* child = static_cast<TShellNode*>(node->child(c));
            if (child->item_.sameAs(chain[i])) match = child;
        }
        if (!match) return node;
        if (i + 1 < chain.size() && !match->isExpanded()) {
            if (!expand) return nullptr;
            match->setExpanded(true);
        }
        node = match;
    }
    return node;
}

void TShellTree::NodeExpanded(QTreeWidgetItem* item) {
    auto* node = static_cast<TShellNode*>(item);
    bool allow = expandingAllowed_;
    if (OnExpanding) OnExpanding(node, allow);
    if (!allow) {
        node->setExpanded(false);
        return;
    }
    if (UpdAuto || !node->filled_) {
        RefreshNode(node, UpdAutoRec);
        node->filled_ = true;
    }
}

void TShellTree::NodeChanged(TShellNode* node) {
    if (node->treeWidget() == this && node->isExpanded() && UpdAutoThread) RefreshNode(node, false);
}

void TShellTree::RefreshNode(TShellNode* node, bool recursive) {
    FillNode(node);
    if (!recursive) return;
    for (int i = 0; i < node->childCount(); ++i) {
        auto* child = static_cast<TShellNode*>(node->child(i));
        if (child->childCount() > 0 && child->isExpanded()) RefreshNode(child, true);
        else child->filled_ = false;
    }
}

void TShellTree::RefreshAll() {
    if (!root_) return;
    UpdateLock lock(this);
    RefreshNode(root_, true);
}

unsigned TShellTree::EnumFlags() const {
    unsigned flags = unsigned(options_.toInt()) << 5;
    return flags;
}

bool TShellTree::Accept(const shell::Item& item) const {
    if (!showVirtualFolders_ && !(item.attributes & (shell::FILESYSTEM | shell::FILESYSANCESTOR))) return false;
    if ((options_ & TF_NONFOLDERS) && item.isFile()) {
        if (fileMaskUse_ && !MatchesMaskList(item.name, masks_)) return false;
        bool allow = true;
        if (OnFileAdd) OnFileAdd(item.path, int(item.attributes), allow);
        return allow;
    }
    return true;
}

void TShellTree::ApplyChildren(TShellNode* child, const shell::Item& item) {
    bool has = item.attributes & shell::HASSUBFOLDER;
    if (!has && (options_ & TF_NONFOLDERS) && item.isFolder()) has = !shell::children(item, EnumFlags()).isEmpty();
    if (!has) {
        child->filled_ = false;
        qDeleteAll(child->takeChildren());
    }
    child->setChildIndicatorPolicy(has ? QTreeWidgetItem::ShowIndicator : QTreeWidgetItem::DontShowIndicator);
    child->UpdateIcons();
}

void TShellTree::FillNode(TShellNode* node) {
    platform::Hourglass hourglass;
    UpdateLock lock(this);
    ++readCount_;
    unsigned flags = EnumFlags();
    if (node->item_.kind == shell::ItemKind::Desktop) flags |= shell::Folders;
    const QList<shell::Item> items = shell::children(node->item_, flags);

    QHash<QString, TShellNode*> existing;
    for (int i = 0; i < node->childCount(); ++i) {
        auto* child = static_cast<TShellNode*>(node->child(i));
        child->matched_ = false;
        existing.insert(nodeKey(child->item_), child);
    }
    QList<TShellNode*> added;
    for (const shell::Item& item : items) {
        if (!Accept(item)) continue;
        TShellNode* child = existing.take(nodeKey(item));
        if (child) {
            child->setItem(item);
            child->matched_ = true;
            ApplyChildren(child, item);
        } else {
            // Not in the tree yet: its indicator and icon are set once it is.
            child = new TShellNode(item);
            child->matched_ = true;
            added << child;
        }
    }
    for (int i = node->childCount() - 1; i >= 0; --i)
        if (!static_cast<TShellNode*>(node->child(i))->matched_) delete node->child(i);
    std::sort(added.begin(), added.end(), [this](const TShellNode* a, const TShellNode* b) { return NodeLess(a, b); });
    node->addChildren(QList<QTreeWidgetItem*>(added.begin(), added.end()));
    for (TShellNode* child : added) ApplyChildren(child, child->item_);
    SortNode(node, false);

    node->setChildIndicatorPolicy(node->childCount() > 0 ? QTreeWidgetItem::ShowIndicator
                                                         : QTreeWidgetItem::DontShowIndicator);
    // An open folder is watched even while it has no subfolders, so that the ones made in it
    // later appear.
    if (!node->Path().isEmpty() && !node->monitor_ && (node->childCount() > 0 || node->isExpanded()))
        node->StartMonitor();
}

bool TShellTree::NodeLess(const TShellNode* a, const TShellNode* b) const {
    if (a->IsFile() && b->IsFile()) {
        // Files in ascending order come in the reverse of the shell's order, as they always have.
        const int result = shell::compare(a->item_, b->item_, int(fileSortType_));
        return fileSortOrder_ == so_Ascending ? result > 0 : result < 0;
    }
    return shell::compare(a->item_, b->item_, 0) < 0;
}

void TShellTree::SortNode(TShellNode* node, bool recursive) {
    QList<const TShellNode*> children;
    for (int i = 0; i < node->childCount(); ++i) children << static_cast<const TShellNode*>(node->child(i));
    const auto less = [this](const TShellNode* a, const TShellNode* b) { return NodeLess(a, b); };
    if (!std::is_sorted(children.begin(), children.end(), less)) node->sortChildren(0, Qt::AscendingOrder);
    if (recursive)
        for (int i = 0; i < node->childCount(); ++i) SortNode(static_cast<TShellNode*>(node->child(i)), true);
}

void TShellTree::RescanDrives() {
    if (!root_ || rootChain_.size() > 2) return;
    TShellNode* computerNode = root_->item_.kind == shell::ItemKind::Computer ? root_ : nullptr;
    for (int i = 0; i < root_->childCount() && !computerNode; ++i) {
        auto* child = static_cast<TShellNode*>(root_->child(i));
        if (child->item_.kind == shell::ItemKind::Computer) computerNode = child;
    }
    if (computerNode && computerNode->isExpanded()) RefreshNode(computerNode, false);
}

QIcon TShellTree::NodeIcon(const shell::Item& item) const {
    if (!showIcons_) return QIcon();
    const QIcon closed = shell::icon(item, false);
    const QIcon open = item.isFolder() ? shell::icon(item, true) : closed;
    const bool link = showLinkOverlay_ && (item.attributes & shell::LINK);
    // SHARE is never reported here, so the shared overlay never shows.
    if (!link && open.cacheKey() == closed.cacheKey()) return closed;
    static QHash<QString, QIcon> cache;
    const QString key = QString("%1/%2/%3").arg(closed.cacheKey()).arg(open.cacheKey()).arg(link);
    auto it = cache.constFind(key);
    if (it != cache.constEnd()) return *it;
    const int side = style()->pixelMetric(QStyle::PM_SmallIconSize);
    QPixmap normal = closed.pixmap(side), selected = open.pixmap(side);
    if (link) {
        normal = withLinkOverlay(normal);
        selected = withLinkOverlay(selected);
    }
    QIcon result;
    result.addPixmap(normal, QIcon::Normal);
    result.addPixmap(selected, QIcon::Selected);
    cache.insert(key, result);
    return result;
}

QWidget* TShellTree::OwnerWindow() { return window(); }

void TShellTree::mousePressEvent(QMouseEvent* event) {
    // A right click shows the menu of the node under it without moving the selection.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void TShellTree::contextMenuEvent(QContextMenuEvent* event) {
    TShellNode* node = nullptr;
    QPoint point = event->globalPos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        node = Selected();
        if (node) point = viewport()->mapToGlobal(visualItemRect(node).center());
    } else {
        node = static_cast<TShellNode*>(itemAt(viewport()->mapFromGlobal(event->globalPos())));
    }
    event->accept();
    ShowNodeMenu(node, point);
}

bool TShellTree::DoPopupMenu(TShellNode* node) {
    if (!node) return false;
    bool allow = true;
    if (OnPopupMenu) OnPopupMenu(node, allow);
    return allow;
}

void TShellTree::ShowNodeMenu(TShellNode* node, const QPoint& globalPoint) {
    if (!DoPopupMenu(node)) return;
    // The menu runs an event loop in which monitors may replace nodes: hold on by index.
    const QPersistentModelIndex previous = Selected() ? QPersistentModelIndex(indexFromItem(Selected())) : QPersistentModelIndex();
    const shell::Item item = node->item_;
    setCurrentItem(node);
    if (popupMenuMode_ == pmm_PopupMenu) {
        if (popupMenu_) popupMenu_->exec(globalPoint);
    } else {
        DisplayContextMenuPidl(item, 0, ShowMessages ? OwnerWindow() : nullptr, globalPoint);
    }
    if (previous.isValid()) setCurrentItem(itemFromIndex(previous));
}

bool TShellTree::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    auto* node = static_cast<TShellNode*>(itemFromIndex(index));
    if (node && (trigger & editTriggers())) {
        if (!node->HasAttributes(shell::CANRENAME)) return false;
        bool allow = true;
        if (OnEditing) OnEditing(node, allow);
        if (!allow) return false;
    }
    return QTreeWidget::edit(index, trigger, event);
}

void TShellTree::EditCommitted(TShellNode* node, QString text) {
    if (OnEdited) OnEdited(node, text);
    node->Rename(text);
}
