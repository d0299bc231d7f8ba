#pragma once
// A running site-gallery program for tests: a temporary data directory and the long-lived forms,
// created in the program's order, with the main window shown.
#include "site_manager/application_options.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/main_window.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_record.h"
#include "tests/common/message_responder.h"
#include "tests/common/temp_data_dir.h"

#include <QListWidget>
#include <gtest/gtest.h>
#include <memory>

class MainWindowTest : public ::testing::Test {
protected:
    // Starts the program over the data directory as the files stand now.
    void startProgram() {
        tsiterecord = SiteRecord{};
        ApplicationOptions = TApplicationOptions{};
        main = std::make_unique<TfrmMain>();
        thumbOptions = std::make_unique<TdlgThumbOptions>(main.get());
        editSite = std::make_unique<TdlgEditSite>(main.get());
        dlgThumbOptions = thumbOptions.get();
        dlgEditSite = editSite.get();
        main->show();
    }

    // Closes the main window (writing options.ini) and frees the forms.
    void stopProgram() {
        if (!main) return;
        main->close();
        editSite.reset();
        thumbOptions.reset();
        main.reset();
        dlgThumbOptions = nullptr;
        dlgEditSite = nullptr;
    }

    void TearDown() override { stopProgram(); }

    // Selects the list item of a key as a click would.
    void clickSite(const QString& key) {
        const auto items = main->lbxsites->findItems(key, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << key.toStdString();
        main->lbxsites->setCurrentItem(items.first());
        main->lbxsitesClick();
    }

    QString displayNameAt(int row) const { return main->lbxsitename->item(row)->text(); }

    testing_support::TempDataDir data;
    std::unique_ptr<TfrmMain> main;
    std::unique_ptr<TdlgThumbOptions> thumbOptions;
    std::unique_ptr<TdlgEditSite> editSite;
};
