// The site options dialog's "Browse.." buttons pick folders through the folder dialog, answered
// as a user would: by selecting in its folder tree and pressing OK or Cancel.
#include "components/folder_browse_window.h"
#include "components/folder_dialog.h"
#include "components/shell_tree.h"
#include "site_manager/site_options_dialog.h"
#include "tests/common/message_responder.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using testing_support::MessageScript;

TShellNode* childOfKind(TShellNode* node, platform::shell::ItemKind kind) {
    for (int i = 0; i < node->childCount(); ++i) {
        auto* child = static_cast<TShellNode*>(node->child(i));
        if (child->ShellItem().kind == kind) return child;
    }
    return nullptr;
}

class SiteOptionsBrowseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        target = QDir::cleanPath(dir.filePath("sites/shop"));
        ASSERT_TRUE(QDir().mkpath(target));
    }
    // Presses the button; the body answers the folder dialog it shows by pressing OK or Cancel.
    void browse(QPushButton* button, const std::function<void(TFolderBrowseWindow&)>& body) {
        MessageScript script;
        script.onDialog([&](QDialog& d) {
            auto* window = dynamic_cast<TFolderBrowseWindow*>(&d);
            EXPECT_TRUE(window);
            if (!window) return int(platform::mrCancel);
            body(*window);
            return d.result();
        });
        button->click();
    }
    QTemporaryDir dir;
    QString target;
    TdlgSIteOptions options;
};

TEST_F(SiteOptionsBrowseTest, ChosenFolderGoesIntoTheEdit) {
    browse(options.BitBtn4, [&](TFolderBrowseWindow& window) {
        EXPECT_EQ(window.windowTitle(), "Browse for Folder");
        window.tree->setPath(target);
        EXPECT_TRUE(window.btnOk->isEnabled());
        EXPECT_EQ(window.lblStatus->fullText(), target);
        window.btnOk->click();
    });
    EXPECT_EQ(options.edtpath->text(), target);
    EXPECT_EQ(options.dlgFolder->Directory(), target);

    // Opened again, the dialog starts at the folder chosen last; the live directory's button
    // fills its own edit.
    options.btnBrowseSite->setEnabled(true);  // as an auto-rotating site has it
    browse(options.btnBrowseSite, [&](TFolderBrowseWindow& window) {
        EXPECT_EQ(window.tree->Path(), target);
        window.tree->setPath(dir.path());
        window.btnOk->click();
    });
    EXPECT_EQ(options.edtlivepath->text(), QDir::cleanPath(dir.path()));
}

TEST_F(SiteOptionsBrowseTest, OpensAtTheTypedFolderAndCancelEmptiesDirectory) {
    const QString typed = target + "/not-made-yet";
    options.edtpath->setText(typed);
    browse(options.BitBtn4, [&](TFolderBrowseWindow& window) {
        EXPECT_EQ(window.tree->Path(), target);  // the nearest existing folder of the typed one
        window.btnCancel->click();
    });
    EXPECT_EQ(options.edtpath->text(), typed);
    EXPECT_EQ(options.dlgFolder->Directory(), "");

    MessageScript script;
    script.onDialog([&](QDialog&) { return int(platform::mrCancel); });
    EXPECT_FALSE(options.dlgFolder->Execute());
}

// OK only on file system folders; a long path is elided in the middle, keeping its last folder.
TEST_F(SiteOptionsBrowseTest, OkOnlyOnFileSystemFoldersAndLongPathsElided) {
    QString deep = target;
    for (int i = 0; i < 6; ++i) deep += "/a-rather-long-folder-name-number-" + QString::number(i);
    deep += "/final-folder";
    ASSERT_TRUE(QDir().mkpath(deep));
    browse(options.BitBtn4, [&](TFolderBrowseWindow& window) {
        EXPECT_FALSE(window.btnOk->isEnabled());  // the desktop itself
        for (auto kind : {platform::shell::ItemKind::Computer, platform::shell::ItemKind::Trash}) {
            window.tree->setPath(target);
            EXPECT_TRUE(window.btnOk->isEnabled());
            TShellNode* node = childOfKind(window.tree->RootNode(), kind);
            EXPECT_TRUE(node);
            if (!node) continue;
            window.tree->setCurrentItem(node);
            EXPECT_FALSE(window.btnOk->isEnabled()) << node->text(0).toStdString();
            EXPECT_EQ(window.lblStatus->fullText(), "");
            EXPECT_EQ(options.dlgFolder->Directory(), "");
        }
        window.tree->setPath(deep);
        const QString shown = window.lblStatus->text();
        EXPECT_EQ(window.lblStatus->fullText(), deep);
        EXPECT_TRUE(shown.contains("...") && shown.endsWith("/final-folder") && shown.startsWith(deep.left(4)))
            << shown.toStdString();
        EXPECT_LE(window.lblStatus->fontMetrics().horizontalAdvance(shown), window.lblStatus->contentsRect().width());
        window.btnCancel->click();
    });
}

}  // namespace
