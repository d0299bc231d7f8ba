// The item context menu, driven through its menu seam: each entry on real temporary files.
#include "components/context_menu.h"
#include "components/item_properties_dialog.h"
#include "components/shell_tree.h"
#include "platform/shell_open.h"
#include "tests/common/message_responder.h"
#include "tests/common/temporary_home.h"
#include "tests/common/without_permission_override.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QContextMenuEvent>
#include <gtest/gtest.h>

namespace {

namespace shell = platform::shell;
using testing_support::MessageScript;

// Picks the entry with the given text (none: cancels) and remembers what the menu offered.
struct MenuPick {
    explicit MenuPick(QString entry) : entry(std::move(entry)) {
        setContextMenuRunnerForTesting([this](QMenu& menu, const QPoint& point) -> QAction* {
            ++shown;
            at = point;
            if (whileShown) whileShown();
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
    QPoint at;                         // where the menu was shown
    std::function<void()> whileShown;  // runs while the menu is open
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
    // A tree over the temporary folder, whose only subfolder is "pictures".
    std::unique_ptr<TShellTree> makeTree() {
        auto tree = std::make_unique<TShellTree>();
        tree->setRootUsePIDL(false);
        tree->setRootDir(dir.path());
        return tree;
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

TEST_F(ContextMenuTest, CancelledMenuReturnsTrueVirtualItemsOfferNothingAndCopyUsesTheClipboard) {
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

    pick.entry = "Copy";
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
    auto tree = makeTree();
    tree->Loaded();
    ASSERT_EQ(tree->RootNode()->childCount(), 1);
    auto* pictures = static_cast<TShellNode*>(tree->RootNode()->child(0));
    ASSERT_EQ(pictures->text(0), "pictures");
    MenuPick pick("");
    tree->OnPopupMenu = [](TShellNode*, bool& allow) { allow = false; };
    tree->ShowNodeMenu(pictures, QPoint());
    EXPECT_EQ(pick.shown, 0);
    EXPECT_EQ(tree->Selected(), tree->RootNode());

    tree->OnPopupMenu = nullptr;
    tree->ShowNodeMenu(pictures, QPoint());
    EXPECT_EQ(pick.shown, 1);
    EXPECT_EQ(tree->Selected(), tree->RootNode());  // the selection comes back after the menu
}

// A Move to Trash that fails is told in the tree's window, naming the item, which stays listed; a
// tree that shows no messages stays silent.
TEST_F(ContextMenuTest, AFailedMoveToTrashSaysSoWhereTheTreeShowsMessages) {
    testing_support::TemporaryHome home;  // the trash lies in a home of the test's own
    const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (oldDataHome.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", oldDataHome);
    });
    ASSERT_TRUE(QDir().mkpath(home.filePath("data")));
    // The item cannot leave its folder, which is read-only (for root too, below).
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const QString question = "Move \"pictures\" to the Trash?";
    const QString failure = "Error encountered moving the item, " + folder + ", to the Trash!";
    struct Row {
        bool ShowMessages;
        QStringList Texts;
    };
    const Row rows[] = {{true, {question, failure}}, {false, {question}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.ShowMessages ? "messages shown" : "no messages");
        auto tree = makeTree();
        tree->ShowMessages = row.ShowMessages;
        tree->Loaded();
        ASSERT_EQ(tree->RootNode()->childCount(), 1);
        MenuPick pick("Move to Trash");
        MessageScript script;
        script.answer(platform::MessageResult::Yes);
        if (row.ShowMessages) script.answer(platform::MessageResult::OK);
        {
            testing_support::WithoutPermissionOverride asUser;
            tree->ShowNodeMenu(static_cast<TShellNode*>(tree->RootNode()->child(0)), QPoint());
        }
        EXPECT_EQ(script.texts(), row.Texts);
        if (row.ShowMessages) EXPECT_EQ(script.requests().back().kind, platform::MessageKind::Warning);
        EXPECT_TRUE(QFileInfo(folder).isDir());
        QCoreApplication::processEvents();
        ASSERT_EQ(tree->RootNode()->childCount(), 1);
        EXPECT_EQ(tree->RootNode()->child(0)->text(0), "pictures");
    }
}

TEST_F(ContextMenuTest, RightClickAndMenuKeyShowTheMenuOfTheirNode) {
    auto tree = makeTree();
    tree->resize(300, 300);
    tree->show();
    ASSERT_TRUE(tree->RootNode() && tree->RootNode()->childCount() == 1);
    QTreeWidgetItem* pictures = tree->RootNode()->child(0);
    MenuPick pick("");
    QString shownFor;
    pick.whileShown = [&] { shownFor = tree->Selected() ? tree->Selected()->text(0) : QString(); };

    // A right click on a node: its menu, at the pointer, with the node selected meanwhile.
    const QPoint inside = tree->visualItemRect(pictures).center();
    const QPoint global = tree->viewport()->mapToGlobal(inside);
    QTest::mousePress(tree->viewport(), Qt::RightButton, {}, inside);
    EXPECT_EQ(tree->Selected(), tree->RootNode()) << "a right press alone selects nothing";
    QContextMenuEvent click(QContextMenuEvent::Mouse, inside, global);
    QApplication::sendEvent(tree->viewport(), &click);
    QTest::mouseRelease(tree->viewport(), Qt::RightButton, {}, inside);
    EXPECT_EQ(pick.shown, 1);
    EXPECT_EQ(shownFor, "pictures");
    EXPECT_EQ(pick.at, global);
    EXPECT_EQ(tree->Selected(), tree->RootNode());

    // A right click below the last node: no node, no menu.
    const QPoint empty(5, tree->viewport()->height() - 5);
    QContextMenuEvent nowhere(QContextMenuEvent::Mouse, empty, tree->viewport()->mapToGlobal(empty));
    QApplication::sendEvent(tree->viewport(), &nowhere);
    EXPECT_EQ(pick.shown, 1);

    // The menu key: the selected node's menu at the middle of its text.
    tree->setCurrentItem(pictures);
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), QPoint());
    QApplication::sendEvent(tree->viewport(), &key);
    EXPECT_EQ(pick.shown, 2);
    EXPECT_EQ(shownFor, "pictures");
    EXPECT_EQ(pick.at, tree->viewport()->mapToGlobal(tree->visualItemRect(pictures).center()));
}

}  // namespace
