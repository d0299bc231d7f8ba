#pragma once
// The context menu of one item of the folder namespace, and its Properties. Our own menu: Open
// (the default entry), Copy, Move to Trash (after a confirmation; nothing is ever deleted outright)
// and Properties. Entries that other programs add to a desktop's menus cannot be shown here.
#include "platform/shell_namespace.h"

#include <QPoint>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QWidget;

// Modes: show the menu and run the chosen entry, run Properties, or run the default entry.
enum ContextMenuMode : quint8 { cmmShowMenu = 0, cmmProperties = 1, cmmDefault = 2 };

// The item is given by Item, or (Item null) by Path. Attributes decide whether Properties may
// run in mode 1 (HASPROPSHEET). True when the menu was shown and the chosen entry did not fail
// (a cancelled menu counts as shown), or when mode 1 or 2 carried out its entry.
bool DisplayContextMenu(const QString& Path, const platform::shell::Item* Item, quint32 Attributes, quint8 Mode,
                        QWidget* Owner, const QPoint& Point);
// The menu of an item, mode 0.
bool DisplayContextMenuPidl(const platform::shell::Item& Item, quint32 Attributes, QWidget* Owner, const QPoint& Point);

// Shows the menu at the point and returns the chosen entry (null when cancelled). Tests install
// one that picks an entry; an empty function restores the real menu.
using ContextMenuRunner = std::function<QAction*(QMenu& menu, const QPoint& point)>;
void setContextMenuRunnerForTesting(ContextMenuRunner runner);
