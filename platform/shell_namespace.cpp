#include "platform/shell_namespace.h"

#include <QApplication>
#include <QCollator>
#include <QDateTime>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStyle>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::shell {
namespace {

// Enough to answer "has a subfolder" for ordinary folders without reading huge ones whole.
constexpr int kSubfolderProbeLimit = 2000;

QString homePath() { return QDir::cleanPath(QDir::homePath()); }

QString joinPath(const QString& dir, const QString& name) {
    return dir.endsWith('/') ? dir + name : dir + '/' + name;
}

bool isDirectory(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool parentWritable(const QString& dir) { return ::access(QFile::encodeName(dir).constData(), W_OK) == 0; }

// Attributes of a file-system entry; the folder bit follows symbolic links, the link bit does not.
quint32 entryAttributes(const QString& path, const QString& name, bool canRename, bool includeHidden) {
    struct stat lst {};
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &lst) != 0) return 0;
    quint32 attributes = FILESYSTEM | HASPROPSHEET;
    bool folder = S_ISDIR(lst.st_mode);
    if (S_ISLNK(lst.st_mode)) {
        attributes |= LINK;
        struct stat st {};
        folder = ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    if (folder) attributes |= FOLDER | FILESYSANCESTOR;
    if (name.startsWith('.')) attributes |= HIDDEN;
    if (canRename) attributes |= CANRENAME;
    if (folder && hasSubfolder(path, includeHidden)) attributes |= HASSUBFOLDER;
    return attributes;
}

Item makeEntry(const QString& path, const QString& name, bool canRename, bool includeHidden) {
    return Item{ItemKind::Entry, path, name, entryAttributes(path, name, canRename, includeHidden)};
}

QString parentOf(const QString& path) {
    const int slash = path.lastIndexOf('/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

// Reads a directory's entries (names only, without "." and "..").
template <typename Visit>
void forEachEntry(const QString& dir, Visit visit) {
    DIR* handle = ::opendir(QFile::encodeName(dir).constData());
    if (!handle) return;
    while (const dirent* entry = ::readdir(handle)) {
        const char* n = entry->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
        if (!visit(entry)) break;
    }
    ::closedir(handle);
}

QList<Item> folderEntries(const QString& dir, unsigned flags) {
    QList<Item> items;
    const bool canRename = parentWritable(dir);
    const bool includeHidden = flags & IncludeHidden;
    forEachEntry(dir, [&](const dirent* entry) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name.startsWith('.') && !includeHidden) return true;
        // Cheap pre-filter by entry type: a plain file is never wanted in a folders-only listing.
        if (entry->d_type == DT_REG && !(flags & NonFolders)) return true;
        Item item = makeEntry(joinPath(dir, name), name, canRename, includeHidden);
        if (item.attributes == 0) return true;  // vanished while reading
        if (item.isFolder() ? (flags & Folders) : (flags & NonFolders)) items.append(item);
        return true;
    });
    return items;
}

QList<Item> desktopItems(unsigned flags) {
    QList<Item> items{home()};
    const QString desktopDir = QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    if (!desktopDir.isEmpty() && desktopDir != homePath() && isDirectory(desktopDir))
        items += folderEntries(desktopDir, flags);
    items << computer() << trash();
    return items;
}

bool skippedFileSystem(const QByteArray& type) {
    static const QSet<QByteArray> skipped{"proc",     "sysfs",      "tmpfs",    "overlay",  "squashfs", "devtmpfs",
                                          "devpts",   "cgroup",     "cgroup2",  "mqueue",   "debugfs",  "tracefs",
                                          "securityfs", "pstore",   "bpf",      "autofs",   "hugetlbfs", "fusectl",
                                          "configfs", "binfmt_misc", "nsfs",    "efivarfs", "ramfs",    "rpc_pipefs"};
    return skipped.contains(type);
}

int rank(const Item& item) {
    switch (item.kind) {
    case ItemKind::Desktop: return 0;
    case ItemKind::Home: return 1;
    case ItemKind::Computer: return 2;
    case ItemKind::Trash: return 3;
    case ItemKind::Volume: return item.path == "/" ? 4 : 5;
    case ItemKind::Entry: return 6;
    }
    return 6;
}

const QCollator& nameCollator() {
    static const QCollator collator = [] {
        // The C locale compares plain code points and knows no numeric mode.
        const QLocale system = QLocale::system();
        QCollator c(system.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : system);
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

int sign(qint64 v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

QIcon styleIcon(QStyle::StandardPixmap pixmap) {
    return QApplication::style() ? QApplication::style()->standardIcon(pixmap) : QIcon();
}

QIcon providerIcon(QAbstractFileIconProvider::IconType type, QStyle::StandardPixmap fallback) {
    static QFileIconProvider provider;
    QIcon result = provider.icon(type);
    return result.isNull() ? styleIcon(fallback) : result;
}

// The cleaned form of an absolute path that exists; empty otherwise.
QString existingAbsolute(const QString& pathText) {
    if (!QDir::isAbsolutePath(pathText)) return QString();
    const QString path = QDir::cleanPath(pathText);
    return QFileInfo::exists(path) ? path : QString();
}

bool isAtOrBelow(const QString& path, const QString& base) {
    return base == "/" ? path.startsWith('/') : path == base || path.startsWith(base + '/');
}

// The entries from just below base down to path, one for each path component.
QList<Item> entriesBelow(const QString& base, const QString& path) {
    QList<Item> chain;
    QString current = base;
    for (const QString& segment : path.mid(base.size()).split('/', Qt::SkipEmptyParts)) {
        const bool canRename = parentWritable(current);
        current = joinPath(current, segment);
        chain << makeEntry(current, segment, canRename, true);
    }
    return chain;
}

}  // namespace

Item desktop() { return Item{ItemKind::Desktop, QString(), QStringLiteral("Desktop"), FOLDER | FILESYSANCESTOR | HASSUBFOLDER}; }
Item computer() { return Item{ItemKind::Computer, QString(), QStringLiteral("Computer"), FOLDER | FILESYSANCESTOR | HASSUBFOLDER}; }
Item trash() { return Item{ItemKind::Trash, QString(), QStringLiteral("Trash"), FOLDER}; }

Item home() {
    const QString path = homePath();
    Item item = makeEntry(path, QStringLiteral("Home"), false, false);
    item.kind = ItemKind::Home;
    return item;
}

Item itemForPath(const QString& path) {
    const QString clean = QDir::cleanPath(path);
    if (clean == homePath()) return home();
    for (const Item& volume : volumes())
        if (volume.path == clean) return volume;
    return makeEntry(clean, QFileInfo(clean).fileName(), parentWritable(parentOf(clean)), false);
}

bool hasSubfolder(const QString& path, bool includeHidden) {
    bool found = false;
    int seen = 0;
    forEachEntry(path, [&](const dirent* entry) {
        if (++seen > kSubfolderProbeLimit) return false;
        if (entry->d_name[0] == '.' && !includeHidden) return true;
        if (entry->d_type == DT_DIR) found = true;
        else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
            found = isDirectory(joinPath(path, QFile::decodeName(entry->d_name)));
        return !found;
    });
    return found;
}

QList<Item> children(const Item& folder, unsigned flags) {
    switch (folder.kind) {
    case ItemKind::Desktop: return desktopItems(flags);
    case ItemKind::Computer: return volumes();
    case ItemKind::Trash: return {};
    default: return folder.isFolder() ? folderEntries(folder.path, flags) : QList<Item>{};
    }
}

QList<Item> volumes() {
    QList<Item> items;
    Item root = makeEntry(QStringLiteral("/"), QStringLiteral("/"), false, false);
    root.kind = ItemKind::Volume;
    items << root;
    QSet<QString> seen{QStringLiteral("/")};
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        const QString path = QDir::cleanPath(storage.rootPath());
        if (!storage.isValid() || skippedFileSystem(storage.fileSystemType()) || seen.contains(path)) continue;
        // Bind mounts of single files (a container's /etc/hosts) and the kernel's own trees are no volumes.
        if (!isDirectory(path) || path.startsWith("/proc") || path.startsWith("/sys") || path.startsWith("/dev")) continue;
        seen.insert(path);
        QString name = storage.displayName();
        if (name.isEmpty()) name = path;
        Item volume = makeEntry(path, name, false, false);
        volume.kind = ItemKind::Volume;
        items << volume;
    }
    return items;
}

namespace {

// The mounted volume that holds an absolute path: the one with the longest mount point above it.
Item volumeHolding(const QString& path) {
    Item best;
    for (const Item& volume : volumes())
        if (isAtOrBelow(path, volume.path) && volume.path.size() >= best.path.size()) best = volume;
    return best;
}

}  // namespace

QList<Item> chainTo(const QString& pathText) {
    const QString path = existingAbsolute(pathText);
    if (path.isEmpty()) return {};
    const QString homeDir = homePath();
    if (isAtOrBelow(path, homeDir)) return QList<Item>{desktop(), home()} + entriesBelow(homeDir, path);
    const Item volume = volumeHolding(path);
    return QList<Item>{desktop(), computer(), volume} + entriesBelow(volume.path, path);
}

QList<Item> chainBelow(const Item& root, const QString& pathText) {
    const QString path = existingAbsolute(pathText);
    if (path.isEmpty()) return {};
    switch (root.kind) {
    case ItemKind::Desktop: return chainTo(path);
    case ItemKind::Computer: {
        // Below Computer every path goes through its volume, Home included.
        const Item volume = volumeHolding(path);
        return QList<Item>{root, volume} + entriesBelow(volume.path, path);
    }
    case ItemKind::Trash: return {};
    default:
        if (root.isVirtual() || !isAtOrBelow(path, root.path)) return {};
        return QList<Item>{root} + entriesBelow(root.path, path);
    }
}

int compare(const Item& a, const Item& b, int column) {
    if (rank(a) != rank(b)) return rank(a) < rank(b) ? -1 : 1;
    if (a.isFolder() != b.isFolder()) return a.isFolder() ? -1 : 1;
    if (column != 0 && !a.isVirtual() && !b.isVirtual()) {
        const QFileInfo fa(a.path), fb(b.path);
        int result = 0;
        if (column == 1) result = sign(fa.size() - fb.size());
        else if (column == 2) result = nameCollator().compare(fa.suffix(), fb.suffix());
        else if (column == 3) result = sign(fa.lastModified().msecsTo(fb.lastModified()) * -1);
        if (result != 0) return result;
    }
    const int byName = nameCollator().compare(a.name, b.name);
    if (byName != 0) return byName < 0 ? -1 : 1;
    return a.path < b.path ? -1 : (a.path == b.path ? 0 : 1);  // keep equal-looking names apart
}

QString normalizeDirectory(const QString& pathText) {
    // Only absolute paths have a root part; anything else names nothing.
    if (!pathText.startsWith('/')) return QString();
    QString text = pathText;
    while (!isDirectory(text) && text.contains('/')) {
        if (text.size() > 1 && text.endsWith('/')) text.chop(1);
        text = text.left(text.lastIndexOf('/') + 1);
        if (text.size() <= 1 || isDirectory(text)) break;
    }
    if (!isDirectory(text)) return QString();
    if (text.size() > 1 && text.endsWith('/')) text.chop(1);
    return text;
}

bool rename(const Item& item, const QString& newName, Item* renamed) {
    if (item.isVirtual() || item.kind != ItemKind::Entry) return false;
    if (newName.isEmpty() || newName.contains('/') || newName.contains(QChar(0)) || newName == "." || newName == "..")
        return false;
    const QString target = joinPath(parentOf(item.path), newName);
    const QByteArray from = QFile::encodeName(item.path), to = QFile::encodeName(target);
    // Never replace what exists under the new name.
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS) return false;
        struct stat st {};
        if (::lstat(to.constData(), &st) == 0 || ::rename(from.constData(), to.constData()) != 0) return false;
    }
    if (renamed) {
        *renamed = itemForPath(target);
        renamed->name = newName;
    }
    return true;
}

QIcon icon(const Item& item, bool open) {
    switch (item.kind) {
    case ItemKind::Desktop: return providerIcon(QAbstractFileIconProvider::Desktop, QStyle::SP_DesktopIcon);
    case ItemKind::Computer: return providerIcon(QAbstractFileIconProvider::Computer, QStyle::SP_ComputerIcon);
    case ItemKind::Trash: return providerIcon(QAbstractFileIconProvider::Trashcan, QStyle::SP_TrashIcon);
    case ItemKind::Volume: return providerIcon(QAbstractFileIconProvider::Drive, QStyle::SP_DriveHDIcon);
    case ItemKind::Home: {
        static const QIcon homeIcon = QIcon::fromTheme("user-home", styleIcon(QStyle::SP_DirHomeIcon));
        return homeIcon;
    }
    case ItemKind::Entry: break;
    }
    if (item.isFolder()) {
        static const QIcon closedIcon = providerIcon(QAbstractFileIconProvider::Folder, QStyle::SP_DirIcon);
        static const QIcon openIcon = QIcon::fromTheme("folder-open", styleIcon(QStyle::SP_DirOpenIcon));
        return open ? openIcon : closedIcon;
    }
    static QFileIconProvider provider;
    const QIcon fileIcon = provider.icon(QFileInfo(item.path));
    return fileIcon.isNull() ? styleIcon(QStyle::SP_FileIcon) : fileIcon;
}

}  // namespace platform::shell
