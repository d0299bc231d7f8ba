// The item context menu, driven through its menu seam: each entry on real temporary files.
#include "components/context_menu.h"
#include "components/item_properties_dialog.h"
#include "components/shell_tree.h"
#include "platform/shell_open.h"
#include "tests/common/message_responder.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

namespace shell = platform::shell;
using testing_support::MessageScript;

// Picks the entry with the given text (none: cancels) and remembers what the menu offered.
struct MenuPick {
    explicit MenuPick(QString entry) : entry(std::move(entry)) {
        setContextMenuRunnerForTesting([this](QMenu& menu, const QPoint&) -> QAction* {
            ++shown;
            if (menu.defaultAction()) defaultEntry = menu.defaultAction()->text();
            for (QAction* action : menu.actions()) {
                if (action->isSeparator()) continue;
                if (!action->text().isEmpty()) offered << action->text() + (action->isEnabled() ? "" : " (off)");
                if (action->text() == this->entry) return action;
            }
            return nullptr;
        });
    }
    ~MenuPick() { setContextMenuRunnerForTesting(nullptr); }
    QString entry;
    QString defaultEntry;
    QStringList offered;
    int shown = 0;
};

// Records what would have been opened.
struct OpenedDocuments {
    OpenedDocuments() {
        platform::setDocumentOpenerForTesting([this](const QString& target) {
            targets << target;
            return true;
        });
    }
    ~OpenedDocuments() { platform::setDocumentOpenerForTesting([](const QString&) { return true; }); }
    QStringList targets;
};

class ContextMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        folder = dir.filePath("pictures");
        ASSERT_TRUE(QDir().mkpath(folder));
        file = dir.filePath("note.txt");
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("twelve bytes");
    }
    QTemporaryDir dir;
    QString folder, file;
};

TEST_F(ContextMenuTest, PropertiesOnlyForItemsWithAPropertySheet) {
    MessageScript script;  // any dialog would fail the test unless queued
    const shell::Item item = shell::itemForPath(file);
    EXPECT_FALSE(DisplayContextMenu(QString(), &item, 0, cmmProperties, nullptr, QPoint()));
    EXPECT_EQ(script.dialogsShown(), 0);

    QString shownName, shownSize;
    script.onDialog([&](QDialog& d) {
        auto* properties = dynamic_cast<TItemPropertiesDialog*>(&d);
        EXPECT_TRUE(properties);
        if (properties) {
            shownName = properties->lblName->text();
            shownSize = properties->lblSize->text();
        }
        return int(platform::mrOk);
    });
    EXPECT_TRUE(DisplayContextMenu(file, nullptr, 0, cmmProperties, nullptr, QPoint()));  // path form: its own attributes
    EXPECT_EQ(shownName, "note.txt");
    EXPECT_TRUE(shownSize.contains("12 bytes")) << shownSize.toStdString();
}

TEST_F(ContextMenuTest, OpenIsTheDefaultAndOpensThePath) {
    OpenedDocuments opened;
    {
        MenuPick pick("Open");
        const shell::Item item = shell::itemForPath(folder);
        EXPECT_TRUE(DisplayContextMenuPidl(item, 0, nullptr, QPoint(10, 10)));
        EXPECT_EQ(pick.shown, 1);
    }
    EXPECT_EQ(opened.targets, QStringList{folder});
    EXPECT_TRUE(DisplayContextMenu(folder, nullptr, 0, cmmDefault, nullptr, QPoint()));
    EXPECT_EQ(opened.targets.size(), 2);
}

TEST_F(ContextMenuTest, CancelledMenuReturnsTrueAndVirtualItemsOfferNothing) {
    OpenedDocuments opened;
    MenuPick pick("");
    const shell::Item item = shell::itemForPath(folder);
    EXPECT_TRUE(DisplayContextMenuPidl(item, 0, nullptr, QPoint()));
    EXPECT_EQ(pick.defaultEntry, "Open");
    EXPECT_EQ(pick.offered, (QStringList{"Open", "Copy", "Move to Trash", "Properties"}));
    pick.offered.clear();
    EXPECT_TRUE(DisplayContextMenuPidl(shell::computer(), 0, nullptr, QPoint()));
    EXPECT_EQ(pick.offered, (QStringList{"Open (off)", "Copy (off)", "Move to Trash (off)", "Properties (off)"}));
    EXPECT_TRUE(opened.targets.isEmpty());
    EXPECT_FALSE(DisplayContextMenu(dir.filePath("missing"), nullptr, 0, cmmShowMenu, nullptr, QPoint()));
}

TEST_F(ContextMenuTest, CopyPutsTheFileOnTheClipboard) {
    MenuPick pick("Copy");
    EXPECT_TRUE(DisplayContextMenu(file, nullptr, 0, cmmShowMenu, nullptr, QPoint()));
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(data && data->hasUrls());
    EXPECT_EQ(data->urls().value(0).toLocalFile(), file);
}

TEST_F(ContextMenuTest, MoveToTrashAsksFirstAndNeverDeletes) {
    MenuPick pick("Move to Trash");
    {
        MessageScript script;
        script.answer(platform::MessageResult::No);
        EXPECT_TRUE(DisplayContextMenu(file, nullptr, 0, cmmShowMenu, nullptr, QPoint()));
        EXPECT_TRUE(script.lastText().contains("note.txt"));
    }
    EXPECT_TRUE(QFile::exists(file));

    // With Yes the file goes into the trash of the data folder, where it can be restored.
    const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
    QDir().mkpath(dir.filePath("data"));
    {
        MessageScript script;
        script.answer(platform::MessageResult::Yes);
        EXPECT_TRUE(DisplayContextMenu(file, nullptr, 0, cmmShowMenu, nullptr, QPoint()));
    }
    if (oldDataHome.isEmpty()) qunsetenv("XDG_DATA_HOME");
    else qputenv("XDG_DATA_HOME", oldDataHome);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(QFile::exists(dir.filePath("data/Trash/files/note.txt")));
}

TEST_F(ContextMenuTest, TreeAsksOnPopupMenuAndKeepsTheSelection) {
    QDir().mkpath(folder + "/inner");
    TShellTree tree;
    tree.setRootUsePIDL(false);
    tree.setRootDir(dir.path());
    tree.Loaded();
    TShellNode* pictures = nullptr;
    for (int i = 0; i < tree.RootNode()->childCount(); ++i)
        if (tree.RootNode()->child(i)->text(0) == "pictures") pictures = static_cast<TShellNode*>(tree.RootNode()->child(i));
    ASSERT_TRUE(pictures);
    MenuPick pick("");
    tree.OnPopupMenu = [](TShellNode*, bool& allow) { allow = false; };
    tree.ShowNodeMenu(pictures, QPoint());
    EXPECT_EQ(pick.shown, 0);
    EXPECT_EQ(tree.Selected(), tree.RootNode());

    tree.OnPopupMenu = nullptr;
    tree.ShowNodeMenu(pictures, QPoint());
    EXPECT_EQ(pick.shown, 1);
    EXPECT_EQ(tree.Selected(), tree.RootNode());  // the selection comes back after the menu
}

}  // namespace
