#pragma once
// A tree of the folder namespace (platform/shell_namespace.h): the Desktop with Home, Computer,
// Trash and the folders below them. Children are read when a node opens; each opened folder with
// subfolders has a change monitor that re-reads it while it is open; mounts and unmounts refresh
// Computer. Nodes can be renamed by editing their labels, and a right click shows the item's
// context menu (components/context_menu.h) or the tree's own popup menu.
//
// Typical use (folders only, from the desktop):
//     auto* tree = new TShellTree(parent);
//     connect(tree, &TShellTree::OnChange, ..., [tree] { use(tree->Path()); });
//     tree->Loaded();                    // builds the tree
//     tree->setPath(QDir::homePath());   // selects the nearest existing folder
#include "platform/shell_namespace.h"

#include <QPointer>
#include <QStringList>
#include <QTreeWidget>
#include <functional>
#include <memory>

#include <QMenu>
class TDiscMonitorThread;
namespace disc_monitor {
struct Token;
}
class TShellTree;

enum TPidls {
    PIDL_DESKTOP, PIDL_PROGRAMS, PIDL_CONTROLS, PIDL_PRINTERS, PIDL_PERSONAL, PIDL_FAVORITES, PIDL_STARTUP,
    PIDL_RECENT, PIDL_SENDTO, PIDL_BITBUCKET, PIDL_STARTMENU, PIDL_DESKTOPDIRECTORY, PIDL_DRIVES, PIDL_NETWORK,
    PIDL_NETHOOD, PIDL_FONTS, PIDL_TEMPLATES, PIDL_USERDEFINED
};
enum TVisOption { TF_FOLDERS = 0x1, TF_NONFOLDERS = 0x2, TF_HIDDEN = 0x4 };
Q_DECLARE_FLAGS(TVisOptions, TVisOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TVisOptions)
enum TFileSortType { so_Name, so_Size, so_Type, so_Date };
enum TFileSortOrder { so_Ascending, so_Descending };
enum TPopupMenuMode { pmm_System, pmm_PopupMenu };

class TShellNode : public QTreeWidgetItem {
public:
    explicit TShellNode(const platform::shell::Item& item);
    ~TShellNode() override;

    const platform::shell::Item& ShellItem() const { return item_; }
    // The file-system path; empty for a virtual item.
    QString Path() const { return item_.path; }
    quint32 Attributes() const { return item_.attributes; }
    bool IsFile() const { return item_.isFile(); }
    bool HasAttributes(quint32 mask) const { return (item_.attributes & mask) == mask; }
    bool Filled() const { return filled_; }
    bool MonitorStarted() const { return monitor_ != nullptr; }
    TShellTree* Tree() const;

    QString GetDisplayName() const { return item_.name; }
    void UpdateIcons();
    // Renames the item; false for the current text or when the file system refuses.
    bool Rename(const QString& newName);

    void setData(int column, int role, const QVariant& value) override;
    bool operator<(const QTreeWidgetItem& other) const override;

private:
    friend class TShellTree;
    void setItem(const platform::shell::Item& item);
    void movePaths(const QString& oldPrefix, const QString& newPrefix);
    void StartMonitor();

    platform::shell::Item item_;
    bool filled_ = false;
    bool matched_ = false;
    std::unique_ptr<TDiscMonitorThread> monitor_;
};

class TShellTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit TShellTree(QWidget* parent = nullptr);
    ~TShellTree() override;

    // Builds the tree from the settings made so far, then applies a Path set before.
    void Loaded();
    bool Built() const { return built_; }

    QString Path() const;
    void setPath(const QString& path);
    QString RootDir() const { return rootDir_; }
    void setRootDir(const QString& rootDir);
    TPidls RootPIDL() const { return rootPidl_; }
    void setRootPIDL(TPidls rootPidl);
    bool RootUsePIDL() const { return rootUsePidl_; }
    void setRootUsePIDL(bool value);
    // The root for PIDL_USERDEFINED: the chain of items from the Desktop to it; empty for the Desktop.
    void setUserRoot(const QList<platform::shell::Item>& chain);
    TVisOptions Options() const { return options_; }
    void setOptions(TVisOptions options);
    bool ShowIcons() const { return showIcons_; }
    void setShowIcons(bool value);
    bool ShowVirtualFolders() const { return showVirtualFolders_; }
    void setShowVirtualFolders(bool value);
    QString FileMask() const { return masks_.join(';'); }
    void setFileMask(const QString& mask);
    bool FileMaskUse() const { return fileMaskUse_; }
    void setFileMaskUse(bool value);
    TFileSortType FileSortType() const { return fileSortType_; }
    void setFileSortType(TFileSortType value);
    TFileSortOrder FileSortOrder() const { return fileSortOrder_; }
    void setFileSortOrder(TFileSortOrder value);
    bool ShowSharedOverlay() const { return showSharedOverlay_; }
    void setShowSharedOverlay(bool value);
    bool ShowLinkOverlay() const { return showLinkOverlay_; }
    void setShowLinkOverlay(bool value);
    TPopupMenuMode PopupMenuMode() const { return popupMenuMode_; }
    void setPopupMenuMode(TPopupMenuMode value) { popupMenuMode_ = value; }
    QMenu* PopupMenu() const { return popupMenu_; }
    void setPopupMenu(QMenu* menu) { popupMenu_ = menu; }

    bool ShowMessages = true;
    bool UpdAutoThread = true;  // change reports re-read open folders
    bool UpdAuto = true;        // every expansion re-reads the node, not only the first
    bool UpdAutoRec = false;    // an expansion also re-reads the open nodes below

    std::function<void(const QString& Filename, int Attributes, bool& Allow)> OnFileAdd;
    std::function<void(TShellNode* Node, bool& Allow)> OnPopupMenu;
    std::function<void(TShellNode* Node, bool& AllowExpansion)> OnExpanding;
    std::function<void(TShellNode* Node, bool& AllowEdit)> OnEditing;
    std::function<void(TShellNode* Node, QString& S)> OnEdited;

    TShellNode* RootNode() const { return root_; }
    TShellNode* Selected() const;
    // The deepest node on the way to path, opening nodes on the way when expand is set.
    TShellNode* FindNodeOfPath(const QString& path, bool expand);
    void RefreshNode(TShellNode* node, bool recursive);
    void RefreshAll();
    // Re-reads Computer when it is open (called when the mount table changes).
    void RescanDrives();
    // Shows the context menu of a node as a right click on it would (point in screen coordinates).
    void ShowNodeMenu(TShellNode* node, const QPoint& globalPoint);

    // The number of folder reads so far (each fill of a node counts one).
    int ReadCount() const { return readCount_; }

signals:
    // The selection changed, or the selected node was renamed.
    void OnChange(TShellNode* node);

protected:
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    virtual bool DoPopupMenu(TShellNode* node);
    virtual void InitRoot();

private:
    friend class TShellNode;
    void Rebuild(int mode);
    void SetRoot(const QList<platform::shell::Item>& chain);
    void SelectPath(const QString& path);
    void FillNode(TShellNode* node);
    bool Accept(const platform::shell::Item& item) const;
    void ApplyChildren(TShellNode* child, const platform::shell::Item& item);
    void SortNode(TShellNode* node, bool recursive);
    bool NodeLess(const TShellNode* a, const TShellNode* b) const;
    unsigned EnumFlags() const;
    void NodeExpanded(QTreeWidgetItem* item);
    void NodeChanged(TShellNode* node);
    void EditCommitted(TShellNode* node, QString text);
    QIcon NodeIcon(const platform::shell::Item& item) const;
    QWidget* OwnerWindow();

    bool built_ = false;
    bool expandingAllowed_ = false;
    bool filling_ = false;
    QString pendingPath_;
    QString rootDir_ = QStringLiteral("/");
    TPidls rootPidl_ = PIDL_DESKTOP;
    bool rootUsePidl_ = true;
    QList<platform::shell::Item> userRoot_;
    QList<platform::shell::Item> rootChain_;
    TVisOptions options_ = TF_FOLDERS;
    bool showIcons_ = true;
    bool showVirtualFolders_ = true;
    QStringList masks_{QStringLiteral("*.*")};
    bool fileMaskUse_ = false;
    TFileSortType fileSortType_ = so_Name;
    TFileSortOrder fileSortOrder_ = so_Ascending;
    bool showSharedOverlay_ = true;
    bool showLinkOverlay_ = true;
    TPopupMenuMode popupMenuMode_ = pmm_System;
    QPointer<QMenu> popupMenu_;
    TShellNode* root_ = nullptr;
    int readCount_ = 0;
    quint64 mountWatch_ = 0;
    std::shared_ptr<disc_monitor::Token> mountToken_;
};
