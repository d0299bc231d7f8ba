// The folder dialog's own rules: its options, its events, the shortened status line and the
// custom button's copy.
#include "components/folder_browse_window.h"
#include "components/folder_dialog.h"
#include "components/shell_tree.h"
#include "tests/common/message_responder.h"
#include "tests/common/qt_print.h"
#include "tests/common/temporary_home.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using testing_support::MessageScript;

TEST(FolderDialog, OptionsStayConsistent) {
    TFolderDialog dialog;
    EXPECT_EQ(dialog.Options(), TFolderDialog::DefaultOptions);
    EXPECT_TRUE(dialog.Options().testFlag(bfParentCenter));

    dialog.setOptions(dialog.Options() | bfScreenCenter);  // the newly added centring wins
    EXPECT_TRUE(dialog.Options().testFlag(bfScreenCenter));
    EXPECT_FALSE(dialog.Options().testFlag(bfParentCenter));
    dialog.setOptions(dialog.Options() | bfParentCenter);
    EXPECT_TRUE(dialog.Options().testFlag(bfParentCenter));
    EXPECT_FALSE(dialog.Options().testFlag(bfScreenCenter));

    dialog.setOptions(dialog.Options() & ~TFolderDialogOptions(bfStatusText));  // the path needs the line
    EXPECT_FALSE(dialog.Options().testFlag(bfShowPathInStatusArea));
    dialog.setOptions(dialog.Options() | bfShowPathInStatusArea);
    EXPECT_TRUE(dialog.Options().testFlag(bfStatusText));

    dialog.setOptions(dialog.Options() | bfFileSysAncestors | bfBrowseForComputer);
    EXPECT_EQ(dialog.RootFolder(), sfoNetwork);
    EXPECT_FALSE(dialog.Options() & (bfFileSysDirsOnly | bfFileSysAncestors));

    dialog.setOptions(dialog.Options() | bfFileSysDirsOnly | bfDontGoBelowDomain | bfBrowseForPrinter);
    EXPECT_FALSE(dialog.Options() & (bfFileSysDirsOnly | bfDontGoBelowDomain | bfBrowseForComputer));
    EXPECT_TRUE(dialog.Options().testFlag(bfBrowseForPrinter));
}

TEST(FolderDialog, PlacedOverItsOwnerOnTheScreenOrAtItsPosition) {
    QWidget owner;
    owner.setGeometry(50, 40, 700, 500);  // every place below lies inside the 800 x 600 test screen
    owner.show();
    TFolderDialog dialog(&owner);
    dialog.setLeft(368);
    dialog.setTop(32);
    const QRect screen = owner.screen()->geometry();
    struct Case {
        TFolderDialogOptions centring;
        std::function<QPoint(const QSize&)> expected;
    };
    const Case cases[] = {
        {bfParentCenter, [&](const QSize& size) {
             const QRect frame = owner.frameGeometry();
             return QPoint(frame.left() + frame.width() / 2 - size.width() / 2, frame.top() + frame.height() / 4);
         }},
        {bfScreenCenter,
         [&](const QSize& size) { return QPoint((screen.width() - size.width()) / 2, (screen.height() - size.height()) / 3); }},
        {{}, [](const QSize&) { return QPoint(50 + 368, 40 + 32); }},
    };
    MessageScript script;
    for (const Case& c : cases) {
        dialog.setOptions((dialog.Options() & ~TFolderDialogOptions(bfParentCenter | bfScreenCenter)) | c.centring);
        script.onDialog([&](QDialog& d) {
            // Window frames may shift the place by their width.
            const QPoint offset = d.pos() - c.expected(d.frameGeometry().size());
            EXPECT_LE(std::max(std::abs(offset.x()), std::abs(offset.y())), 3) << int(c.centring) << " off by "
                                                                                << offset.x() << "," << offset.y();
            if (!c.centring) {  // a new position moves the open dialog
                dialog.setLeft(10);
                EXPECT_EQ(d.pos(), QPoint(50 + 10, 40 + 32));
                dialog.setLeft(368);
            }
            return int(platform::mrCancel);
        });
        EXPECT_FALSE(dialog.Execute());
    }
}

// Directory opens the dialog at its nearest existing folder, under the whole namespace and under
// Computer alike (a folder in the home folder goes through its volume there); a folder made in
// the selected, empty folder appears.
TEST(FolderDialog, DirectorySelectsItsNearestFolderUnderEveryRoot) {
    const testing_support::TemporaryHome home;
    const QString nearest = QDir::cleanPath(home.filePath("sites/shop"));
    ASSERT_TRUE(QDir().mkpath(nearest));
    for (const TShellFolder root : {sfoDesktopExpanded, sfoDesktop, sfoMyComputer}) {
        SCOPED_TRACE(int(root));
        TFolderDialog dialog;
        dialog.setRootFolder(root);
        dialog.setDirectory(nearest + "/live/2024");
        MessageScript script;
        script.onDialog([&](QDialog& d) {
            auto* window = dynamic_cast<TFolderBrowseWindow*>(&d);
            EXPECT_EQ(window->tree->Path(), nearest);
            EXPECT_TRUE(window->btnOk->isEnabled());
            for (QTreeWidgetItem* node = window->tree->Selected(); node; node = node->parent())
                EXPECT_TRUE(node->isExpanded()) << node->text(0).toStdString();
            EXPECT_TRUE(QDir(nearest).mkdir("live"));
            EXPECT_TRUE(QTest::qWaitFor([&] { return window->tree->Selected()->childCount() == 1; }, 5000));
            EXPECT_TRUE(QDir(nearest).rmdir("live"));
            window->btnOk->click();
            return d.result();
        });
        EXPECT_TRUE(dialog.Execute());
        EXPECT_EQ(dialog.Directory(), nearest);
    }
}

TEST(FolderDialog, PathElisionKeepsTheLastComponent) {
    const QFontMetrics metrics{QFont()};
    const QString path = "/home/someone/pictures/holidays/2024/summer/final";
    EXPECT_EQ(TElidedLabel::ElidePath(path, metrics, 10000), path);
    const int width = metrics.horizontalAdvance("/home/so.../final");
    const QString shown = TElidedLabel::ElidePath(path, metrics, width);
    EXPECT_TRUE(shown.startsWith("/home/so")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(".../final")) << shown.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(shown), width);
    const int narrow = metrics.horizontalAdvance(".../fin");  // not even the last folder fits
    const QString tiny = TElidedLabel::ElidePath(path, metrics, narrow);
    EXPECT_TRUE(tiny.startsWith("...")) << tiny.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(tiny), narrow);
}

TEST(FolderDialog, EventsRootAndCustomButtonCopy) {
    QTemporaryDir dir;
    const QString chosen = QDir::cleanPath(dir.filePath("docs/chosen"));
    ASSERT_TRUE(QDir().mkpath(chosen));
    QWidget owner;
    auto* recurse = new QCheckBox("Include subfolders", &owner);
    int ownerClicks = 0;
    QObject::connect(recurse, &QCheckBox::clicked, [&] { ++ownerClicks; });

    TFolderDialog dialog(&owner);
    dialog.setTitle("Pick");
    dialog.setText("Choose a folder of pictures");
    dialog.setCustomButton(recurse);
    dialog.setDirectory(dir.filePath("docs/missing"));  // not existing: the nearest folder that does
    QStringList events;
    dialog.OnShow = [&](TFolderDialog*) { events << "show"; };
    dialog.OnChange = [&](TFolderDialog* d) { events << "change:" + d->Directory(); };
    dialog.OnClose = [&](TFolderDialog*) { events << "close"; };

    MessageScript script;
    script.onDialog([&](QDialog& d) {
        auto* window = dynamic_cast<TFolderBrowseWindow*>(&d);
        EXPECT_EQ(window->windowTitle(), "Pick");
        EXPECT_EQ(window->lblText->text(), "Choose a folder of pictures");
        EXPECT_EQ(window->tree->Path(), QDir::cleanPath(dir.filePath("docs")));
        auto* clone = qobject_cast<QCheckBox*>(dialog.CustomButton());
        EXPECT_TRUE(clone && clone != recurse);
        if (!clone) return int(platform::mrCancel);
        EXPECT_EQ(clone->text(), "Include subfolders");
        EXPECT_TRUE(clone->isEnabled());
        window->tree->setCurrentItem(window->tree->RootNode());
        EXPECT_FALSE(clone->isEnabled());  // follows OK, which the desktop disables
        window->tree->setPath(chosen);
        EXPECT_TRUE(clone->isEnabled());
        clone->click();  // runs the owner's handler with the copy's state
        EXPECT_EQ(ownerClicks, 1);
        EXPECT_FALSE(recurse->isChecked());
        window->btnOk->click();
        return d.result();
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Directory(), chosen);
    EXPECT_TRUE(recurse->isChecked());  // taken over at OK, without another click
    EXPECT_EQ(ownerClicks, 1);
    // The preselection is a change made while the dialog is set up, before it shows.
    ASSERT_GE(events.size(), 2);
    EXPECT_EQ(events[0], "change:" + QDir::cleanPath(dir.filePath("docs")));
    EXPECT_EQ(events[1], "show");
    EXPECT_EQ(events.last(), "close");
    EXPECT_TRUE(events.contains("change:" + chosen));
    EXPECT_EQ(dialog.CustomButton(), recurse);

    // A root folder of its own: Computer at the top; one without a counterpart: the whole namespace.
    for (auto [root, top] : {std::pair{sfoMyComputer, QString("Computer")}, std::pair{sfoFonts, QString("Desktop")}}) {
        dialog.setRootFolder(root);
        script.onDialog([&, top = top](QDialog& d) {
            auto* window = dynamic_cast<TFolderBrowseWindow*>(&d);
            EXPECT_EQ(window->tree->RootNode()->text(0), top);
            return int(platform::mrCancel);
        });
        EXPECT_FALSE(dialog.Execute());
    }
}

}  // namespace
