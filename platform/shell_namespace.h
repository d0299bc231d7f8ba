#pragma once
// The desktop's folder namespace as the folder tree and the folder dialog see it. Items are
// identified by path; a few are virtual (no path): the Desktop at the top, which holds Home, the
// items of the desktop folder, Computer (the root and the mounted volumes) and Trash.
#include <QIcon>
#include <QList>
#include <QString>

namespace platform::shell {

// Attribute bits of an item; the values are the ones the tree's callers test.
enum Attribute : quint32 {
    CANRENAME = 0x10,
    HASPROPSHEET = 0x40,
    LINK = 0x10000,
    SHARE = 0x20000,  // never set: there is no shared-folder notion here
    HIDDEN = 0x80000,
    FILESYSANCESTOR = 0x10000000,
    FOLDER = 0x20000000,
    FILESYSTEM = 0x40000000,
    HASSUBFOLDER = 0x80000000,
};

enum class ItemKind { Desktop, Computer, Trash, Home, Volume, Entry };

struct Item {
    ItemKind kind = ItemKind::Desktop;
    QString path;  // absolute file-system path; empty for a virtual item
    QString name;  // the name shown
    quint32 attributes = 0;

    bool isVirtual() const { return path.isEmpty(); }
    bool isFolder() const { return attributes & FOLDER; }
    bool isFile() const { return (attributes & FILESYSTEM) && !(attributes & FOLDER); }
    // The same item: same kind and same path (the spelling of a path is its identity here, as
    // the tree pairs items of one parent folder, never across folders).
    bool sameAs(const Item& other) const { return kind == other.kind && path == other.path; }
};

// What an enumeration returns.
enum EnumFlag : unsigned { Folders = 0x20, NonFolders = 0x40, IncludeHidden = 0x80 };

Item desktop();
Item computer();
Item trash();
Item home();
// The item of an existing file-system path; a path that does not exist gives an item without
// attributes.
Item itemForPath(const QString& path);

// The children of a folder item, unsorted. A folder that cannot be read has none.
QList<Item> children(const Item& folder, unsigned flags);
// Whether the folder holds at least one subfolder (looks at a bounded number of entries).
bool hasSubfolder(const QString& path, bool includeHidden);

// The chain of items from the Desktop to the item of path (both included); empty when the path
// does not exist. A path under Home goes through Home, others through Computer and the volume
// that holds them.
QList<Item> chainTo(const QString& path);
// The chain of items from root (included) down to the item of path: below the Desktop as chainTo;
// below Computer through the volume that holds the path; below a folder through its subfolders.
// Empty when the path does not exist or does not lie below root.
QList<Item> chainBelow(const Item& root, const QString& path);

// The shell's order: Home, Computer and Trash first, then folders before files, then names
// compared numerically and without case ("img2" before "img10"). Column 1 compares sizes,
// 2 types (suffixes), 3 modification dates; ties fall back to the name.
int compare(const Item& a, const Item& b, int column = 0);

// The nearest existing directory of an absolute path (dropping missing trailing levels), without
// a trailing "/" except for the root; empty when nothing of it exists or the path is relative.
QString normalizeDirectory(const QString& pathText);

// Renames an item in its folder; false when the name is not a single valid name or the rename
// fails. On success *renamed is the item under its new name.
bool rename(const Item& item, const QString& newName, Item* renamed);

// The mounted volumes shown under Computer, "/" first. Kernel and memory file systems are left out.
QList<Item> volumes();

QIcon icon(const Item& item, bool open = false);

}  // namespace platform::shell
