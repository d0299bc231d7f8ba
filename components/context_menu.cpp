#include "components/context_menu.h"

#include "components/execute_file.h"
#include "components/item_properties_dialog.h"
#include "platform/dialogs.h"
#include "platform/hourglass.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

namespace {

ContextMenuRunner& runner() {
    static ContextMenuRunner instance;
    return instance;
}

bool openItem(const platform::shell::Item& item) {
    if (item.path.isEmpty()) return false;
    platform::Hourglass hourglass;
    return ExecuteFile(item.path, QString(), QFileInfo(item.path).absolutePath(), SW_SHOWNORMAL) > 32;
}

bool copyItem(const platform::shell::Item& item) {
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(item.path)});
    QApplication::clipboard()->setMimeData(data);
    return true;
}

// A failure is told only where there is an owner window to tell it in; the item stays where it was.
bool trashItem(const platform::shell::Item& item, QWidget* owner) {
    if (!platform::confirmYesNo(QString("Move \"%1\" to the Trash?").arg(item.name))) return true;
    bool trashed = false;
    {
        platform::Hourglass hourglass;
        trashed = QFile::moveToTrash(item.path);
    }
    if (!trashed && owner) platform::showWarning("Error encountered moving the item, " + item.path + ", to the Trash!");
    return trashed;
}

bool showProperties(const platform::shell::Item& item, QWidget* owner) {
    if (item.path.isEmpty()) return false;
    TItemPropertiesDialog dialog(item, owner);
    dialog.ShowModal();
    return true;
}

bool runMenu(const platform::shell::Item& item, QWidget* owner, const QPoint& point) {
    const bool fileSystem = !item.path.isEmpty();
    QMenu menu(owner);
    QAction* open = menu.addAction("Open");
    menu.setDefaultAction(open);
    QAction* copy = menu.addAction("Copy");
    QAction* trash = menu.addAction("Move to Trash");
    menu.addSeparator();
    QAction* properties = menu.addAction("Properties");
    open->setEnabled(fileSystem);
    copy->setEnabled(fileSystem);
    // Home, the root and mounted volumes are not things to throw away.
    trash->setEnabled(fileSystem && item.kind == platform::shell::ItemKind::Entry);
    properties->setEnabled(fileSystem);

    QAction* chosen = runner() ? runner()(menu, point) : menu.exec(point);
    if (!chosen || !chosen->isEnabled()) return true;
    if (chosen == open) return openItem(item);
    if (chosen == copy) return copyItem(item);
    if (chosen == trash) return trashItem(item, owner);
    if (chosen == properties) return showProperties(item, owner);
    return true;
}

}  // namespace

void setContextMenuRunnerForTesting(ContextMenuRunner replacement) { runner() = std::move(replacement); }

bool DisplayContextMenu(const QString& Path, const platform::shell::Item* Item, quint32 Attributes, quint8 Mode,
                        QWidget* Owner, const QPoint& Point) {
    // The busy cursor shows while the item is looked up and while an entry runs, not over the
    // menu or the dialogs, which wait for the user.
    platform::shell::Item item;
    if (Item) {
        item = *Item;
    } else {
        platform::Hourglass hourglass;
        if (Path.isEmpty() || !QFileInfo::exists(Path)) return false;
        item = platform::shell::itemForPath(Path);
        Attributes = item.attributes;
    }
    switch (Mode) {
    case cmmShowMenu: return runMenu(item, Owner, Point);
    case cmmProperties: return (Attributes & platform::shell::HASPROPSHEET) && showProperties(item, Owner);
    case cmmDefault: return openItem(item);
    default: return false;
    }
}

bool DisplayContextMenuPidl(const platform::shell::Item& Item, quint32 Attributes, QWidget* Owner, const QPoint& Point) {
    return DisplayContextMenu(QString(), &Item, Attributes, cmmShowMenu, Owner, Point);
}
